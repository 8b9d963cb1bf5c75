// An ordered multiset of node names, held as one count per distinct name.
// A name's count is the weight of an arc; size() counts every unit of weight.
#ifndef MAROVEL_MODEL_NAME_BAG_H_
#define MAROVEL_MODEL_NAME_BAG_H_

#include <cassert>
#include <cstdint>
#include <functional>
#include <map>
#include <memory_resource>

#include "model/name_table.h"

namespace marovel {

class NameBag {
 public:
  // Distinct names in name order (ids are ranks in name order), each with
  // its count. Counts are 64-bit: fusions add weights up past 2^31.
  using Counts = std::pmr::map<NameId, uint64_t>;
  using const_iterator = Counts::const_iterator;

  NameBag() = default;
  // A bag whose entries come from `memory`, which must outlive it.
  explicit NameBag(std::pmr::memory_resource* memory) : counts_(memory) {}

  // Adds `copies` occurrences of `name` (none when `copies` is 0).
  void insert(NameId name, uint64_t copies = 1);
  // Removes every occurrence of `name`; returns how many there were.
  uint64_t erase(NameId name);
  uint64_t count(NameId name) const;
  void clear() {
    counts_.clear();
    size_ = 0;
  }

  // The number of occurrences, repeats counted.
  uint64_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // The smallest name. Precondition: !empty().
  NameId first() const {
    assert(!empty());
    return counts_.begin()->first;
  }

  const_iterator begin() const { return counts_.begin(); }
  const_iterator end() const { return counts_.end(); }
  size_t distinct() const { return counts_.size(); }

  // Calls f(name) once per occurrence, in name order.
  template <typename F>
  void for_each_occurrence(F&& f) const {
    for (const auto& [name, copies] : counts_)
      for (uint64_t i = 0; i < copies; ++i) f(name);
  }

  friend bool operator==(const NameBag& a, const NameBag& b) {
    return a.size_ == b.size_ && a.counts_ == b.counts_;
  }

 private:
  Counts counts_;
  uint64_t size_ = 0;
};

}  // namespace marovel

#endif  // MAROVEL_MODEL_NAME_BAG_H_
