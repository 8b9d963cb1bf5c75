// The nodes of one kind with one input and one output arc of weight 1,
// grouped by that (input, output) pair of neighbours: the twins of rules C
// and D. Gives out the smallest node that has a twin, with its smallest twin.
#ifndef MAROVEL_REDUCE_TWIN_GROUPS_H_
#define MAROVEL_REDUCE_TWIN_GROUPS_H_

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <optional>
#include <utility>
#include <vector>

#include "base/prefetch.h"
#include "model/net_model.h"
#include "reduce/candidate_queue.h"
#include "reduce/ordered_ids.h"
#include "reduce/parallel.h"

namespace marovel {

class TwinGroups {
 public:
  // Ids below `names` may join; about `nodes` of them are expected to, so
  // the table is sized for them once rather than grown step by step.
  TwinGroups(size_t names, size_t nodes);

  // Adds `name` to the group of its neighbour pair if `node` has one input
  // and one output of weight 1; a member already grouped stays as it is.
  void add(NameId name, const NetNode& node);
  // Takes `name` out of its group, if it is in one.
  void remove(NameId name);
  // The smallest member of any group of two or more, the smallest of its
  // twins, and the group's key (which names the shared neighbours).
  struct Twins {
    NameId kept;
    NameId removed;
    uint64_t key;
  };
  std::optional<Twins> first();
  // After first(): the twin after the one it gave, which the next step will
  // likely remove; none if the group has no third member.
  std::optional<NameId> next_twin() const { return next_twin_; }
  // Members held.
  size_t size() const { return members_; }

  // Hints that `name` is about to be added or removed.
  void prefetch(NameId name) const { prefetch_memory(&key_of_[name]); }
  // Hints that `name`'s group is about to change: reads the key, so best
  // once prefetch() has fetched it.
  void prefetch_group_of(NameId name) const {
    if (key_of_[name] != kNone) prefetch_memory(&slots_[home(key_of_[name])]);
  }
  // Hints that a node with these bags is about to be added.
  void prefetch_group(const NetNode& node) const;

 private:
  // A group's neighbour pair, packed; kNone for a node in no group and for
  // an empty slot.
  static constexpr uint64_t kNone = ~uint64_t{0};
  static constexpr uint32_t kAlone = ~uint32_t{0};
  // Most groups have one member, held in the slot itself; a group of two
  // or more keeps its members in a bag of `bags_`.
  struct Slot {
    uint64_t key = kNone;
    NameId alone = 0;       // the member of a group of one
    uint32_t bag = kAlone;  // else the index of its members' bag
  };

  size_t home(uint64_t key) const {
    return static_cast<size_t>((key * 0x9E3779B97F4A7C15u) >> shift_);
  }
  // The slot of `key`, or the empty slot where it would go.
  size_t find(uint64_t key) const;
  void erase_slot(size_t at);
  void grow();
  // The smallest member of a group of two or more; none for a smaller one.
  std::optional<NameId> head_of(const Slot& slot) const;
  // Moves a group's entry among the heads from `before` to `after`.
  void rehead(std::optional<NameId> before, std::optional<NameId> after);
  uint32_t new_bag();
  // Fetches the group of the next head one level further per call.
  void look_ahead();

  // Open addressing with linear probing, so that one probe finds most
  // groups in one cache miss.
  std::vector<Slot> slots_;
  int shift_ = 64;  // 64 - log2(slots_.size())
  size_t groups_ = 0;
  std::vector<OrderedIds> bags_;
  std::vector<uint32_t> free_bags_;
  std::vector<uint64_t> key_of_;  // by name: its group's key, or kNone
  size_t members_ = 0;
  // The smallest member of every group of two or more.
  CandidateQueue heads_;
  // The head look_ahead() is fetching the group of, and how far it got.
  NameId ahead_ = 0;
  int ahead_level_ = 0;
  std::optional<NameId> next_twin_;
};

}  // namespace marovel

#endif  // MAROVEL_REDUCE_TWIN_GROUPS_H_
