// A set of node ids that gives out its smallest member, for the match index:
// a min-heap of ids with a membership flag per id. Erasing clears the flag
// alone; an id no longer a member leaves the heap when it reaches the top.
// Every operation touches a flat array, where a tree of ids allocated and
// chased pointers on every insert and erase.
#ifndef MAROVEL_REDUCE_CANDIDATE_QUEUE_H_
#define MAROVEL_REDUCE_CANDIDATE_QUEUE_H_

#include <cassert>
#include <cstddef>
#include <functional>
#include <queue>
#include <vector>

#include "model/name_table.h"

namespace marovel {

class CandidateQueue {
 public:
  // Ids below `names` may be members.
  explicit CandidateQueue(size_t names = 0) : member_(names, false) {}

  void insert(NameId id) {
    assert(id < member_.size());
    if (member_[id]) return;
    member_[id] = true;
    heap_.push(id);
    ++size_;
  }
  void erase(NameId id) {
    assert(id < member_.size());
    if (!member_[id]) return;
    member_[id] = false;
    --size_;
  }
  bool contains(NameId id) const { return member_[id]; }
  bool empty() const { return size_ == 0; }
  size_t size() const { return size_; }

  // Precondition: !empty().
  NameId smallest() {
    assert(!empty());
    while (!member_[heap_.top()]) heap_.pop();
    return heap_.top();
  }

 private:
  // May hold an id twice (erased, then inserted again): harmless, as both
  // copies stand for the one flag.
  std::priority_queue<NameId, std::vector<NameId>, std::greater<>> heap_;
  std::vector<bool> member_;
  size_t size_ = 0;
};

}  // namespace marovel

#endif  // MAROVEL_REDUCE_CANDIDATE_QUEUE_H_
