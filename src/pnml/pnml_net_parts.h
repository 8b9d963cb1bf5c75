// What the gatherer keeps of the chosen net besides its nodes, for the
// resolver: its references and arcs as the file writes them, with the ids
// that could not be found while parsing left to be looked up once every
// node is known. Their text lives in the PtNet being read.
#ifndef MAROVEL_PNML_PNML_NET_PARTS_H_
#define MAROVEL_PNML_PNML_NET_PARTS_H_

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <optional>
#include <string_view>
#include <vector>

namespace marovel {

enum class PnmlKind : uint8_t {
  kPlace,
  kTransition,
  kPlaceReference,
  kTransitionReference
};

inline bool is_reference(PnmlKind kind) {
  return kind == PnmlKind::kPlaceReference ||
         kind == PnmlKind::kTransitionReference;
}

// What an id names: a node, by its index in the net's list of its kind, or
// a reference, by its index in PnmlNetParts::references.
struct PnmlEntry {
  PnmlKind kind;
  uint32_t index;
};

struct PnmlReference {
  std::string_view id;
  bool to_place;  // a referencePlace, else a referenceTransition
  std::optional<std::string_view> ref;
};

// One end of an arc: what its id names, when that was found while parsing,
// else the id as written, to be looked up once every node is known.
struct PnmlArcEnd {
  enum class State : uint8_t { kMissing, kFound, kNamed };
  State state = State::kMissing;
  PnmlEntry found{};      // kFound
  std::string_view id{};  // kNamed
};

struct PnmlArc {
  std::optional<std::string_view> id;
  PnmlArcEnd source;
  PnmlArcEnd target;
  uint64_t weight = 1;
};

// What makes an arc unconvertible whatever its ends name. Only the first
// such arc can matter: no arc after it is kept.
struct PnmlArcFault {
  size_t arc;  // index into PnmlNetParts::arcs
  enum class Kind : uint8_t {
    kType,         // it declares a kind other than ordinary: `text`
    kInscription,  // its inscription, `text`, is no weight
  } kind;
  std::string_view text;
};

struct PnmlNetParts {
  PnmlNetParts() = default;
  PnmlNetParts(const PnmlNetParts&) = delete;
  PnmlNetParts& operator=(const PnmlNetParts&) = delete;

  // Large lists grow in blocks that all go at once.
  std::pmr::monotonic_buffer_resource memory;
  std::pmr::vector<PnmlReference> references{&memory};  // in document order
  std::pmr::vector<PnmlArc> arcs{&memory};              // in document order
  std::optional<PnmlArcFault> arc_fault;
};

}  // namespace marovel

#endif  // MAROVEL_PNML_PNML_NET_PARTS_H_
