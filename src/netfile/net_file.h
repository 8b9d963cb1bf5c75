// What the reader, the writer and the companion commands share of marovel's
// net file format: the three lists under the root `petrinet`, the messages of
// their faults, the number of names read at most, the two readings of a
// `multiplicity` value and the key of an arc.
#ifndef MAROVEL_NETFILE_NET_FILE_H_
#define MAROVEL_NETFILE_NET_FILE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "base/status.h"

namespace marovel {

inline constexpr std::string_view kNetRoot = "petrinet";

// Whether a root of that name is a PNML document's, `pnml` with or without
// a namespace prefix: a file to convert with pnml2net first.
bool is_pnml_root(std::string_view name);

enum class NetList { kPlaces, kTransitions, kEdges };

// "placelist", "transitionlist" or "edgelist".
std::string_view list_element_name(NetList list);

// What can be wrong with a list: the root has no child of its name, that
// child has no child node, or a member lacks its name.
enum class ListFault { kNotFound, kEmpty, kNameless };

// The message of a list's fault ("No placelist found\n", "No places
// found\n", "Can't find the place name\n" and the like).
// REQUIRES: no kNameless for the edge list.
const char* list_fault_message(NetList list, ListFault fault);

// At most this many names (declared places and transitions, counted as
// often as they are declared) are read: every node and every name is then
// numbered in 32 bits with room to spare.
inline constexpr size_t kMaxNames = (size_t{1} << 31) - 1;

// marovel's reading of a `multiplicity` value: optional leading white
// space, an optional sign, decimal digits and nothing else, within the
// signed 32-bit range. Any other value is none, which counts as weight 1.
std::optional<int32_t> parse_multiplicity(std::string_view text);

// The companion commands' reading, which must carry every weight marovel
// writes (fused weights are 64-bit): marovel's where it gives a number, and
// beyond it a positive number of at most 2^64 - 1 in the same form. A value
// of 0 or below gives 0 (no arc, as for marovel); anything else is none,
// which those commands refuse instead of counting it as 1.
std::optional<uint64_t> parse_full_weight(std::string_view text);

// One arc between place `place` and transition `transition` (indexes of the
// caller's, each below 2^31) in one direction, as one number, for finding
// parallel arcs.
inline uint64_t arc_key(uint32_t place, uint32_t transition,
                        bool to_transition) {
  return uint64_t{place} << 32 | uint64_t{transition} << 1 |
         (to_transition ? 1 : 0);
}

}  // namespace marovel

#endif  // MAROVEL_NETFILE_NET_FILE_H_
