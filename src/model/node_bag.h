// A multiset of node ids (see ids.h), held as one count per distinct id: an
// id's count is the weight of an arc, and size() counts every unit of weight,
// kept as a total rather than recounted. A bag of one id holds it in place
// of a block (its count is the total): most nodes of a large net have one
// input or one output, and reading such a bag then costs no cache miss and
// its block no memory. A bag of a few ids is a short array sorted by id;
// past sixteen ids (a hub) it is an open-addressing table, so that every
// insertion, erasure and count costs the same whatever the bag's size.
// Walks over a table come in no particular order.
#ifndef MAROVEL_MODEL_NODE_BAG_H_
#define MAROVEL_MODEL_NODE_BAG_H_

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

#include "base/linear_probing.h"
#include "model/bag_pool.h"
#include "model/ids.h"

namespace marovel {

class NodeBag {
 public:
  using Entry = BagEntry;

  // Walks the distinct ids, each with its count: in id order while the bag
  // is an array, in no particular order once it is a table. Any change to
  // the bag invalidates it.
  class const_iterator {
   public:
    using value_type = std::pair<NodeId, uint64_t>;
    using reference = value_type;
    using difference_type = std::ptrdiff_t;
    using iterator_category = std::forward_iterator_tag;

    const_iterator() = default;
    value_type operator*() const {
      if (at_ == nullptr) return {single_, single_count_};
      const uint64_t count = at_->count;  // 4-byte aligned: copied, not bound
      return {at_->node, count};
    }
    const_iterator& operator++() {
      if (at_ == nullptr) {
        single_left_ = false;
        return *this;
      }
      ++at_;
      skip_empty();
      return *this;
    }
    friend bool operator==(const const_iterator& a, const const_iterator& b) {
      return a.at_ == b.at_ && a.single_left_ == b.single_left_;
    }

   private:
    friend class NodeBag;
    const_iterator(const Entry* at, const Entry* end) : at_(at), end_(end) {
      skip_empty();
    }
    // The one id of a bag that holds it in place.
    const_iterator(NodeId single, uint64_t count)
        : single_(single), single_count_(count), single_left_(true) {}
    void skip_empty() {
      while (at_ != end_ && at_->node == kEmpty) ++at_;
    }
    const Entry* at_ = nullptr;
    const Entry* end_ = nullptr;
    NodeId single_;
    uint64_t single_count_ = 0;
    bool single_left_ = false;
  };

  // A bag whose blocks come from `pool`, which must outlive it; without a
  // pool they come from operator new.
  NodeBag() = default;
  explicit NodeBag(BagPool* pool) : pool_(pool) {}
  // A copy takes its blocks from operator new, as a copied standard
  // container would; assignments keep the bag's own pool.
  NodeBag(const NodeBag& other);
  NodeBag(NodeBag&& other) noexcept;
  NodeBag& operator=(const NodeBag& other);
  NodeBag& operator=(NodeBag&& other);
  ~NodeBag() { release(); }

  // Adds `copies` occurrences of `id` (none when `copies` is 0).
  void insert(NodeId id, uint64_t copies = 1);
  // Removes every occurrence of `id`; returns how many there were.
  uint64_t erase(NodeId id);
  uint64_t count(NodeId id) const;
  // Empties the bag and gives its block back.
  void clear();
  // Empties the bag without giving its block back: for the bags of a pool
  // that is about to free all its blocks at once. REQUIRES: the bag has a
  // pool.
  void forget_block() {
    assert(pool_ != nullptr);
    entries_ = nullptr;
    size_ = 0;
    distinct_ = 0;
    log2_ = 0;
    hashed_ = false;
  }

  // The number of occurrences, repeats counted.
  uint64_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  size_t distinct() const { return distinct_; }
  // The smallest id, at once for an array (so for every bag of one id) and
  // by a walk over a table. REQUIRES: !empty().
  NodeId first() const;

  const_iterator begin() const {
    if (in_place()) return {NodeId(single_), size_};
    return {entries_, entries_ + used()};
  }
  const_iterator end() const {
    if (in_place()) return {};
    return {entries_ + used(), entries_ + used()};
  }

  friend bool operator==(const NodeBag& a, const NodeBag& b);

 private:
  static constexpr NodeId kEmpty{~uint32_t{0}};
  // Past this many distinct ids an array becomes a table; a table that
  // shrinks to a quarter of that becomes an array again.
  static constexpr int kArrayLog2 = 4;
  static constexpr size_t kArrayLimit = size_t{1} << kArrayLog2;

  size_t capacity() const {
    return !in_place() && entries_ ? size_t{1} << log2_ : 0;
  }
  // The entries a walk visits: the used part of an array, a whole table.
  size_t used() const { return hashed_ ? capacity() : distinct_; }
  Entry* allocate(int log2);
  void deallocate(Entry* block, int log2);
  void release();
  // Moves the entries into a block of 2^log2, as a table or as an array.
  void reshape(int log2, bool hashed);
  LinearProbing table() const { return LinearProbing(log2_); }
  // The slot of `id` in the table, or the empty slot where it would go.
  size_t find_slot(NodeId id) const;
  Entry* find_in_array(NodeId id) const;

  // A bag of one id holds it in `single_`, in place of a block: arrays
  // have two ids or more, tables more than four.
  bool in_place() const { return distinct_ == 1; }
  // Makes the bag one of the one id `id`, in place.
  void hold_in_place(NodeId id);

  union {
    Entry* entries_ = nullptr;  // unless in_place()
    uint32_t single_;           // if in_place(): the one id
  };
  BagPool* pool_ = nullptr;
  uint64_t size_ = 0;
  uint32_t distinct_ = 0;
  uint8_t log2_ = 0;     // of the block's capacity
  bool hashed_ = false;  // a table rather than an array
};

}  // namespace marovel

#endif  // MAROVEL_MODEL_NODE_BAG_H_
