// The two kinds of id of the model, distinct types so that one never passes
// for the other. A name id is a name's rank in the name table; the maps of
// nodes are keyed by it. A node id is the identity of a node record in its
// map, which the bags of its neighbours hold: it stays with the record when
// the record changes its name (NodeMap::swap_names), so the two differ once
// a fusion has swapped names, and a bag never learns of the swap.
#ifndef MAROVEL_MODEL_IDS_H_
#define MAROVEL_MODEL_IDS_H_

#include <compare>
#include <cstdint>

namespace marovel {

// Dense, from 0; comparing two ids compares the two names.
using NameId = uint32_t;

struct NodeId {
  uint32_t value = 0;

  constexpr NodeId() = default;
  // Until a map swaps names, each node id has the value of its name id;
  // only the map of nodes says which id a name has (NodeMap::id_of).
  constexpr explicit NodeId(uint32_t id) : value(id) {}
  friend constexpr auto operator<=>(NodeId, NodeId) = default;
};

}  // namespace marovel

#endif  // MAROVEL_MODEL_IDS_H_
