// The nodes of one kind with one input and one output arc of weight 1,
// grouped by that (input, output) pair of neighbours: the candidates of the
// rules of twins (CandidateIndex::kTwinGroups). Gives out the first match of
// such a rule: the smallest node q that has a twin p which is not kept, with
// the smallest such p (q itself may be kept). Without kept names that is the
// smallest node that has a twin, with its smallest twin.
#ifndef MAROVEL_REDUCE_TWIN_GROUPS_H_
#define MAROVEL_REDUCE_TWIN_GROUPS_H_

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "base/linear_probing.h"
#include "base/prefetch.h"
#include "model/net_model.h"
#include "reduce/candidate_queue.h"
#include "reduce/kept_names.h"

namespace marovel {

// A node with one input and one output arc, each of weight 1, may have
// twins: the other nodes of its kind with the same two neighbours.
inline bool is_twin_candidate(const NetNode& node) {
  return node.in.size() == 1 && node.out.size() == 1;
}

// The node ids of a twin candidate's input and output neighbours, as one
// number: two candidates are twins exactly when their keys are equal. A key
// stays right when a neighbour changes its name, since node ids do not.
// REQUIRES: is_twin_candidate(node).
inline uint64_t twin_key(const NetNode& node) {
  return uint64_t{node.in.first().value} << 32 | node.out.first().value;
}
inline NodeId twin_key_input(uint64_t key) {
  return NodeId(static_cast<uint32_t>(key >> 32));
}
inline NodeId twin_key_output(uint64_t key) {
  return NodeId(static_cast<uint32_t>(key & 0xffffffff));
}

class TwinGroups {
 public:
  // Ids below `names` may join; about `nodes` of them are expected to, so
  // the table is sized for them once rather than grown step by step. The
  // members `kept` names are never given out as the twin to remove; null
  // keeps none. REQUIRES: `kept` outlives the groups and does not change.
  explicit TwinGroups(size_t names = 0, size_t nodes = 0,
                      const KeptNames* kept = nullptr);

  // Adds `name` to the group of its neighbour pair if `node` has one input
  // and one output of weight 1; a member already grouped stays as it is.
  void add(NameId name, const NetNode& node);
  // Takes `name` out of its group, if it is in one. The groups keep no key
  // per member (8 bytes a name, the largest part of them): the key is read
  // again from the member's node. REQUIRES: if `name` is grouped, `node`
  // has the bags it had when it joined.
  void remove(NameId name, const NetNode& node);
  // The first match: the smallest member q of any group that has a twin p
  // not kept, the smallest such p, and the group's key (which names the
  // shared neighbours). In a group, q is the smallest member when two or
  // more members are not kept, else (one member p not kept) the smallest
  // kept member, which may come after p. `key_of(name)` gives the key of a
  // grouped member's node.
  struct Twins {
    NameId kept;
    NameId removed;
    uint64_t key;
  };
  template <typename KeyOf>
  std::optional<Twins> first(const KeyOf& key_of);
  // Members held.
  size_t size() const { return members_; }

  // Hints that a node with these bags is about to be added.
  void prefetch_group(const NetNode& node) const {
    if (is_twin_candidate(node))
      prefetch_memory(&slots_[table().home(twin_key(node))]);
  }
  // Hints that `name`, whose node is `node`, is about to leave its group.
  void prefetch_group_of(NameId name, const NetNode& node) const {
    if (grouped_[name]) prefetch_memory(&slots_[table().home(twin_key(node))]);
  }

 private:
  // A group's neighbour pair, packed; kNone for an empty slot.
  static constexpr uint64_t kNone = ~uint64_t{0};

  // Names in name order: a short sorted array, which holds the groups of
  // a few members in a cache line, and a tree once the group is large, so
  // that no change costs more than a logarithm however many twins a pair
  // of neighbours has.
  class SortedNames {
   public:
    void insert(NameId name);
    void erase(NameId name);
    size_t size() const { return tree_ ? tree_->size() : flat_.size(); }
    bool empty() const { return size() == 0; }
    // REQUIRES: !empty().
    NameId smallest() const;
    // The two smallest. REQUIRES: size() >= 2.
    std::pair<NameId, NameId> two_smallest() const;
    void clear();

   private:
    static constexpr size_t kFlatLimit = 32;
    std::vector<NameId> flat_;  // sorted; empty once tree_ is set
    std::unique_ptr<std::set<NameId>> tree_;
  };

  // The members of a group of two or more: those that may be removed, and
  // the kept ones.
  struct Members {
    SortedNames removable;
    SortedNames kept;

    size_t size() const { return removable.size() + kept.size(); }
    // The group's match (q, p), if it has one.
    std::optional<std::pair<NameId, NameId>> twins() const;
    // The one member left. REQUIRES: size() == 1.
    NameId only() const {
      return removable.empty() ? kept.smallest() : removable.smallest();
    }
    void clear() {
      removable.clear();
      kept.clear();
    }
  };

  // Most groups have one member, held in the slot itself; a group of two
  // or more keeps its members in `members_of_`. Twelve bytes, the key in
  // two 4-byte halves, so that a table of a million groups takes 12 MB
  // rather than 16. Names are below 2^31 (kMaxNames), which leaves the top
  // bit of the last word to tell a member from an index of members.
  class Slot {
   public:
    Slot() = default;
    Slot(uint64_t key, NameId alone)
        : high_(static_cast<uint32_t>(key >> 32)),
          low_(static_cast<uint32_t>(key)),
          word_(alone) {
      assert(!(alone & kMembersBit));
    }
    uint64_t key() const { return uint64_t{high_} << 32 | low_; }
    bool empty() const { return key() == kNone; }
    // A group of one, whose member alone() is.
    bool single() const { return !(word_ & kMembersBit); }
    NameId alone() const {
      assert(single());
      return word_;
    }
    uint32_t members() const {
      assert(!single());
      return word_ & ~kMembersBit;
    }
    void set_alone(NameId name) {
      assert(!(name & kMembersBit));
      word_ = name;
    }
    void set_members(uint32_t index) {
      assert(!(index & kMembersBit));
      word_ = index | kMembersBit;
    }

   private:
    static constexpr uint32_t kMembersBit = uint32_t{1} << 31;
    uint32_t high_ = ~uint32_t{0};
    uint32_t low_ = ~uint32_t{0};
    uint32_t word_ = 0;
  };
  static_assert(sizeof(Slot) == 12);

  LinearProbing table() const { return LinearProbing(log2_); }
  // The slot of `key`, or the empty slot where it would go.
  size_t find(uint64_t key) const;
  void grow();
  // The member q of a group's match; none for a group without one.
  std::optional<NameId> head_of(const Slot& slot) const;
  // The side of `members` that holds `name`, or would.
  SortedNames& side_of(Members& members, NameId name) const {
    return kept_ != nullptr && kept_->contains(name) ? members.kept
                                                     : members.removable;
  }
  // Moves a group's entry among the heads from `before` to `after`.
  void rehead(std::optional<NameId> before, std::optional<NameId> after);
  uint32_t new_members();
  // The match of the group of `key`, whose head is `head`.
  Twins twins_at(uint64_t key, NameId head) const;

  std::vector<Slot> slots_;
  int log2_ = 1;
  size_t groups_ = 0;
  std::vector<Members> members_of_;
  std::vector<uint32_t> free_members_;
  std::vector<bool> grouped_;  // by name
#ifndef NDEBUG
  // By name, the key it joined with, to check remove()'s and first()'s.
  std::vector<uint64_t> key_of_;
#endif
  size_t members_ = 0;
  // The member q of every group's match.
  CandidateQueue heads_;
  const KeptNames* kept_ = nullptr;
};

template <typename KeyOf>
std::optional<TwinGroups::Twins> TwinGroups::first(const KeyOf& key_of) {
  if (heads_.empty()) return std::nullopt;
  const NameId head = heads_.smallest();
  const uint64_t key = key_of(head);
  assert(key == key_of_[head]);
  return twins_at(key, head);
}

}  // namespace marovel

#endif  // MAROVEL_REDUCE_TWIN_GROUPS_H_
