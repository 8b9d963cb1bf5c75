// An ordered multiset of ids, held as one count per distinct id, that gives
// its smallest members at once: a short sorted array while it holds at most
// sixteen ids, a tree from then on. The twin groups keep their members in
// it, since the smallest member of a group is the one a rule keeps.
#ifndef MAROVEL_REDUCE_ORDERED_IDS_H_
#define MAROVEL_REDUCE_ORDERED_IDS_H_

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory_resource>
#include <utility>
#include <vector>

#include "base/prefetch.h"
#include "model/name_table.h"

namespace marovel {

class OrderedIds {
 public:
  // A distinct name and its count. Counts are 64-bit: fusions add weights
  // up past 2^31.
  using Entry = std::pair<NameId, uint64_t>;

  // Walks the distinct names in name order (ids are ranks in name order),
  // each with its count. Any change to the bag invalidates it.
  class const_iterator {
   public:
    using value_type = Entry;
    using reference = Entry;
    using difference_type = std::ptrdiff_t;
    using iterator_category = std::forward_iterator_tag;

    const_iterator() = default;
    Entry operator*() const { return in_tree_ ? Entry(*tree_) : *flat_; }
    const_iterator& operator++() {
      if (in_tree_) {
        ++tree_;
      } else {
        ++flat_;
      }
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator before = *this;
      ++*this;
      return before;
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) {
      return a.in_tree_ ? a.tree_ == b.tree_ : a.flat_ == b.flat_;
    }

   private:
    friend class OrderedIds;
    using Tree = std::pmr::map<NameId, uint64_t>;
    explicit const_iterator(const Entry* flat) : flat_(flat) {}
    explicit const_iterator(Tree::const_iterator tree)
        : tree_(tree), in_tree_(true) {}

    const Entry* flat_ = nullptr;
    Tree::const_iterator tree_{};
    bool in_tree_ = false;
  };

  OrderedIds() = default;
  // A bag whose entries come from `memory`, which must outlive it.
  explicit OrderedIds(std::pmr::memory_resource* memory) : flat_(memory) {}
  // A copy's entries come from the default resource, as a copied standard
  // container's would; assignments keep the bag's own resource.
  OrderedIds(const OrderedIds& other);
  OrderedIds(OrderedIds&& other) noexcept;
  OrderedIds& operator=(const OrderedIds& other);
  OrderedIds& operator=(OrderedIds&& other);
  ~OrderedIds() { drop_tree(); }

  // Adds `copies` occurrences of `name` (none when `copies` is 0).
  void insert(NameId name, uint64_t copies = 1);
  // Removes every occurrence of `name`; returns how many there were.
  uint64_t erase(NameId name);
  uint64_t count(NameId name) const;
  void clear();

  // The number of occurrences, repeats counted.
  uint64_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // The smallest name. Precondition: !empty().
  NameId first() const {
    assert(!empty());
    return tree_ != nullptr ? tree_->begin()->first : flat_.front().first;
  }
  const_iterator begin() const {
    return tree_ != nullptr ? const_iterator(tree_->cbegin())
                            : const_iterator(flat_.data());
  }
  const_iterator end() const {
    return tree_ != nullptr ? const_iterator(tree_->cend())
                            : const_iterator(flat_.data() + flat_.size());
  }
  size_t distinct() const {
    return tree_ != nullptr ? tree_->size() : flat_.size();
  }

  // Hints that the entries are about to be read.
  void prefetch() const {
    if (tree_ == nullptr) prefetch_memory(flat_.data());
  }

  // Calls f(name) once per occurrence, in name order.
  template <typename F>
  void for_each_occurrence(F&& f) const {
    for (const auto [name, copies] : *this)
      for (uint64_t i = 0; i < copies; ++i) f(name);
  }

  friend bool operator==(const OrderedIds& a, const OrderedIds& b);

 private:
  using Tree = const_iterator::Tree;
  // Most nodes have a handful of neighbours: a short sorted array holds
  // them in a cache line or two, which a tree spread over the arena does
  // not. Past this many distinct names (hubs) the bag becomes a tree for
  // good, so that no change costs more than a logarithm.
  static constexpr size_t kFlatLimit = 16;

  std::pmr::memory_resource* resource() const {
    return flat_.get_allocator().resource();
  }
  // A tree from resource() holding [first, last).
  template <typename Iterator>
  Tree* new_tree(Iterator first, Iterator last) {
    return std::pmr::polymorphic_allocator<Tree>(resource())
        .new_object<Tree>(first, last);
  }
  void drop_tree();
  void make_tree();

  std::pmr::vector<Entry> flat_;  // sorted by name; empty once tree_ is set
  Tree* tree_ = nullptr;          // from resource(), owned
  uint64_t size_ = 0;
};

}  // namespace marovel

#endif  // MAROVEL_REDUCE_ORDERED_IDS_H_
