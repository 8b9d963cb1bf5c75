// The in-memory net: places and transitions keyed by name, each with the
// bags of its neighbours, and the set of input nodes every node stands for.
// Names are interned once in the model's name table; the maps are indexed by
// name id and walk their nodes in name order. The entry point owns one
// NetModel per run and hands it to each phase.
//
// A bag holds its neighbours' node ids, not their names (see ids.h): a rule
// may fuse a small node into a large one by keeping the large one's record
// under the small one's name, and the large one's neighbours never learn of
// it.
#ifndef MAROVEL_MODEL_NET_MODEL_H_
#define MAROVEL_MODEL_NET_MODEL_H_

#include <cassert>
#include <cstddef>
#include <iterator>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "base/prefetch.h"
#include "model/aggregates.h"
#include "model/ids.h"
#include "model/name_table.h"
#include "model/node_bag.h"

namespace marovel {

// For a place: `in` holds the transitions with an arc into it, `out` the
// transitions it has an arc to; for a transition, the places likewise, each
// by its node id in the other map.
struct NetNode {
  NetNode() = default;
  explicit NetNode(BagPool* pool) : in(pool), out(pool) {}
  NodeBag in;
  NodeBag out;
};

// The nodes of one kind, by name id; any id of the model's name table may
// be a key. Walks keys in name order. A node is stored the first time its
// record becomes a key and stays where it is, so references to nodes stay
// valid while the map lives; the names of the other kind cost a slot
// number each, not a node.
class NodeMap {
 public:
  NodeMap() = default;
  explicit NodeMap(size_t names);
  // A copy's bags allocate from the general heap.
  NodeMap(const NodeMap& other);
  NodeMap& operator=(const NodeMap& other);
  NodeMap(NodeMap&&) = default;
  // Swaps, so that the old bags go before the pool they came from.
  NodeMap& operator=(NodeMap&& other) noexcept;
  ~NodeMap();

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  // The node id of a name, and the name of a node id.
  NodeId id_of(NameId name) const {
    return id_of_.empty() ? NodeId(name) : id_of_[name];
  }
  NameId name_of(NodeId id) const {
    return name_of_.empty() ? id.value : name_of_[id.value];
  }

  // By name.
  bool contains(NameId name) const { return live(id_of(name)); }
  const NetNode* find(NameId name) const { return node(id_of(name)); }
  NetNode* find(NameId name) { return node(id_of(name)); }
  // The node of that name, created with empty bags when it is not a key.
  NetNode& at(NameId name) { return at_id(id_of(name)); }
  // Removes the node; returns 1 if it was a key, else 0. Its bags' blocks
  // go back to the pool for the steps to come.
  size_t erase(NameId name);

  // By node id, as bags hold them.
  bool live(NodeId id) const {
    return id.value < slot_.size() && slot_[id.value] < kAbsent;
  }
  const NetNode* node(NodeId id) const {
    return live(id) ? &nodes_[slot_[id.value]] : nullptr;
  }
  NetNode* node(NodeId id) {
    return live(id) ? &nodes_[slot_[id.value]] : nullptr;
  }
  // The node of that id, created with empty bags when it is not a key.
  NetNode& at_id(NodeId id);
  // Stores the node of `id` without making it a key, when it has none yet:
  // nodes stored in name order lie in memory in that order, for the walks.
  void make_room(NodeId id);

  // Exchanges the nodes of two names: `a` names what `b` named, and the
  // other way round, key or not. Every bag that held either node still
  // holds it, under its new name.
  void swap_names(NameId a, NameId b);

  // Hints that a node id's slot, then its node, is about to be used, so
  // that a walk over many nodes can fetch them ahead of time.
  void prefetch_slot(NodeId id) const { prefetch_memory(&slot_[id.value]); }
  void prefetch_node(NodeId id) const {
    if (const uint32_t slot = slot_[id.value]; slot != kNoSlot)
      prefetch_memory(&nodes_[slot & ~kAbsent]);
  }

  class const_iterator {
   public:
    using value_type = std::pair<NameId, const NetNode&>;
    using difference_type = std::ptrdiff_t;
    using iterator_category = std::forward_iterator_tag;

    const_iterator() = default;
    value_type operator*() const { return {name_, *map_->find(name_)}; }
    const_iterator& operator++() {
      name_ = map_->next_key(name_ + 1);
      return *this;
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) {
      return a.name_ == b.name_;
    }

   private:
    friend class NodeMap;
    const_iterator(const NodeMap* map, NameId name) : map_(map), name_(name) {}
    const NodeMap* map_ = nullptr;
    NameId name_ = 0;
  };

  const_iterator begin() const { return {this, next_key(0)}; }
  const_iterator end() const {
    return {this, static_cast<NameId>(slot_.size())};
  }

 private:
  // The first key at or after `id`, or the end.
  NameId next_key(NameId id) const;

  // The bags' entries are many and small, and all go at once when the map
  // does: a pool of blocks makes both cheap, and hands what a step frees to
  // the next. Declared first, so it goes last.
  std::unique_ptr<BagPool> pool_;
  // Room for a node per name is reserved up front and never outgrown, so
  // nodes never move; pages the map never fills are never touched.
  std::vector<NetNode> nodes_;
  // By node id: its node's index, with kAbsent set while it is not a key;
  // kNoSlot until its node is created. One array answers both "is it a
  // key" and "where is its node", so a lookup costs one cache miss.
  static constexpr uint32_t kAbsent = uint32_t{1} << 31;
  static constexpr uint32_t kNoSlot = ~uint32_t{0};
  std::vector<uint32_t> slot_;
  size_t size_ = 0;
  // The permutation between names and node ids, filled at the first
  // swap_names(); empty while every name is its own node's id.
  std::vector<NodeId> id_of_;    // by name
  std::vector<NameId> name_of_;  // by node id
};

// A neighbour by name, with the weight of the arc.
struct NamedNeighbour {
  NameId name;
  uint64_t count;
};

// The entries of `bag`, whose ids are nodes of `others`, with each id
// replaced by its name, in name order, into `entries`.
void named_entries(const NodeBag& bag, const NodeMap& others,
                   std::vector<NamedNeighbour>& entries);

enum class NodeKind : uint8_t { kPlace, kTransition };

inline NodeKind other_kind(NodeKind kind) {
  return kind == NodeKind::kPlace ? NodeKind::kTransition : NodeKind::kPlace;
}

struct NetModel {
  NetModel() = default;
  // A model with no nodes over the names of `table`, each name the sole
  // member of its own aggregate.
  explicit NetModel(NameTable table);

  // The id of a name of the table. Precondition: it is one.
  NameId id(std::string_view text) const {
    const auto found = names.find(text);
    assert(found.has_value());
    return *found;
  }
  std::string_view name(NameId id) const { return names[id]; }

  // p_map for places, t_map for transitions.
  NodeMap& nodes(NodeKind kind) {
    return kind == NodeKind::kPlace ? p_map : t_map;
  }
  const NodeMap& nodes(NodeKind kind) const {
    return kind == NodeKind::kPlace ? p_map : t_map;
  }

  NameTable names;
  NodeMap p_map;
  NodeMap t_map;
  // By name; a removed node's entry stays.
  Aggregates aggregates;
};

}  // namespace marovel

#endif  // MAROVEL_MODEL_NET_MODEL_H_
