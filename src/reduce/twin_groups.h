// The nodes of one kind with one input and one output arc of weight 1,
// grouped by that (input, output) pair of neighbours: the candidates of the
// rules of twins (CandidateIndex::kTwinGroups). Gives out the first match of
// such a rule: the smallest node q that has a twin p which is not kept, with
// the smallest such p (q itself may be kept). Without kept names that is the
// smallest node that has a twin, with its smallest twin.
#ifndef MAROVEL_REDUCE_TWIN_GROUPS_H_
#define MAROVEL_REDUCE_TWIN_GROUPS_H_

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
  // Takes `name` out of its group, if it is in one.
  void remove(NameId name);
  // The first match: the smallest member q of any group that has a twin p
  // not kept, the smallest such p, and the group's key (which names the
  // shared neighbours). In a group, q is the smallest member when two or
  // more members are not kept, else (one member p not kept) the smallest
  // kept member, which may come after p.
  struct Twins {
    NameId kept;
    NameId removed;
    uint64_t key;
  };
  std::optional<Twins> first();
  // Members held.
  size_t size() const { return members_; }

  // Hints that a node with these bags is about to be added.
  void prefetch_group(const NetNode& node) const {
    if (is_twin_candidate(node))
      prefetch_memory(&slots_[table().home(twin_key(node))]);
  }
  // Hints that `name` is about to leave its group: its key first, then,
  // once the key has come, its group's slot.
  void prefetch_key(NameId name) const { prefetch_memory(&key_of_[name]); }
  void prefetch_group_of(NameId name) const {
    const uint64_t key = key_of_[name];
    if (key != kNone) prefetch_memory(&slots_[table().home(key)]);
  }

 private:
  // A group's neighbour pair, packed; kNone for a node in no group and for
  // an empty slot.
  static constexpr uint64_t kNone = ~uint64_t{0};
  static constexpr uint32_t kAlone = ~uint32_t{0};

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
  // or more keeps its members in `members_of_`.
  struct Slot {
    uint64_t key = kNone;
    NameId alone = 0;           // the member of a group of one
    uint32_t members = kAlone;  // else the index of its members
  };

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

  std::vector<Slot> slots_;
  int log2_ = 1;
  size_t groups_ = 0;
  std::vector<Members> members_of_;
  std::vector<uint32_t> free_members_;
  std::vector<uint64_t> key_of_;  // by name: its group's key, or kNone
  size_t members_ = 0;
  // The member q of every group's match.
  CandidateQueue heads_;
  const KeptNames* kept_ = nullptr;
};

}  // namespace marovel

#endif  // MAROVEL_REDUCE_TWIN_GROUPS_H_
