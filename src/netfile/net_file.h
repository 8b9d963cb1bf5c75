// What the reader, the writer and the companion commands share of marovel's
// net file format: the three lists under the root `petrinet`, the messages of
// their faults, a `multiplicity` value, and the index of a list's elements
// by node name.
#ifndef MAROVEL_NETFILE_NET_FILE_H_
#define MAROVEL_NETFILE_NET_FILE_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "xml/xml_document.h"

namespace marovel {

inline constexpr std::string_view kNetRoot = "petrinet";

enum class NetList { kPlaces, kTransitions, kEdges };

// "placelist", "transitionlist" or "edgelist".
std::string_view list_element_name(NetList list);

// The first child element of `root` named after `list`, which must hold at
// least one child node. Fails with the list's message otherwise ("No
// placelist found\n", "No places found\n" and the like).
Status find_net_list(const XmlNode& root, NetList list, const XmlNode*& found);

// The message of a member of `list` that lacks its name ("Can't find the
// place name\n"). REQUIRES: list is kPlaces or kTransitions.
const char* missing_name_message(NetList list);

// A `multiplicity` value: optional leading white space, an optional sign,
// decimal digits and nothing else, within the signed 32-bit range. Any
// other value is none, which counts as weight 1.
std::optional<int32_t> parse_multiplicity(std::string_view text);

// One arc between place `place` and transition `transition` (indexes of the
// caller's, each below 2^31) in one direction, as one number, for finding
// parallel arcs.
inline uint64_t arc_key(uint32_t place, uint32_t transition,
                        bool to_transition) {
  return uint64_t{place} << 32 | uint64_t{transition} << 1 |
         (to_transition ? 1 : 0);
}

// By name id, the first element of a list that bears each name; null for
// the names the list lacks.
using ListIndex = std::vector<const XmlNode*>;

// The index of `members`, where `ids[k]` is the name id of `members[k]`, or
// none for a name the index need not hold; ids are below `names`.
ListIndex index_by_name(std::span<const XmlNode* const> members,
                        std::span<const std::optional<uint32_t>> ids,
                        size_t names);

struct ElementIndex {
  ListIndex places;
  ListIndex transitions;
};

// The input file as the reader loaded it, kept for the writer: while the
// file still holds the bytes it was loaded from, the writer copies elements
// from this document instead of loading the file again.
struct InputDocument {
  XmlDocument document;
  ElementIndex elements;
};

}  // namespace marovel

#endif  // MAROVEL_NETFILE_NET_FILE_H_
