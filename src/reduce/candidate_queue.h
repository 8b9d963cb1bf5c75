// A set of node ids that gives out its smallest member, for the match index:
// a min-heap of ids with a membership flag per id. Erasing clears the flag
// alone; an id no longer a member leaves the heap when it reaches the top.
// Every operation touches a flat array and allocates nothing but the heap's
// growth.
#ifndef MAROVEL_REDUCE_CANDIDATE_QUEUE_H_
#define MAROVEL_REDUCE_CANDIDATE_QUEUE_H_

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <functional>
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
    heap_.push_back(id);
    std::push_heap(heap_.begin(), heap_.end(), std::greater<>());
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
    while (!member_[heap_.front()]) {
      std::pop_heap(heap_.begin(), heap_.end(), std::greater<>());
      heap_.pop_back();
    }
    return heap_.front();
  }

 private:
  // May hold an id twice (erased, then inserted again): harmless, as both
  // copies stand for the one flag.
  std::vector<NameId> heap_;  // a min-heap
  std::vector<bool> member_;
  size_t size_ = 0;
};

}  // namespace marovel

#endif  // MAROVEL_REDUCE_CANDIDATE_QUEUE_H_
