#include "model/node_bag.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace marovel {

NodeBag::NodeBag(const NodeBag& other) { *this = other; }

NodeBag::NodeBag(NodeBag&& other) noexcept
    : pool_(other.pool_),
      size_(std::exchange(other.size_, 0)),
      distinct_(std::exchange(other.distinct_, 0)),
      log2_(std::exchange(other.log2_, 0)),
      hashed_(std::exchange(other.hashed_, false)) {
  if (in_place()) {
    single_ = other.single_;
  } else {
    entries_ = other.entries_;
  }
  other.entries_ = nullptr;
}

NodeBag& NodeBag::operator=(const NodeBag& other) {
  if (this == &other) return *this;
  clear();
  if (other.in_place()) {
    hold_in_place(NodeId(other.single_));
    size_ = other.size_;
    return *this;
  }
  if (other.entries_ == nullptr) return *this;
  entries_ = allocate(other.log2_);
  std::memcpy(static_cast<void*>(entries_), other.entries_,
              sizeof(Entry) * other.capacity());
  size_ = other.size_;
  distinct_ = other.distinct_;
  log2_ = other.log2_;
  hashed_ = other.hashed_;
  return *this;
}

NodeBag& NodeBag::operator=(NodeBag&& other) {
  if (this == &other) return *this;
  // A block can change hands only between bags of one pool.
  if (pool_ != other.pool_) {
    *this = other;
    other.clear();
    return *this;
  }
  release();
  if (other.in_place()) {
    single_ = other.single_;
  } else {
    entries_ = other.entries_;
  }
  other.entries_ = nullptr;
  size_ = std::exchange(other.size_, 0);
  distinct_ = std::exchange(other.distinct_, 0);
  log2_ = std::exchange(other.log2_, 0);
  hashed_ = std::exchange(other.hashed_, false);
  return *this;
}

NodeBag::Entry* NodeBag::allocate(int log2) {
  if (pool_ != nullptr) return pool_->take(log2);
  return static_cast<Entry*>(::operator new(sizeof(Entry) << log2));
}

void NodeBag::deallocate(Entry* block, int log2) {
  if (pool_ != nullptr) {
    pool_->give(block, log2);
  } else {
    ::operator delete(block, sizeof(Entry) << log2);
  }
}

void NodeBag::release() {
  if (!in_place() && entries_ != nullptr) deallocate(entries_, log2_);
  entries_ = nullptr;
  log2_ = 0;
  hashed_ = false;
}

void NodeBag::clear() {
  release();
  size_ = 0;
  distinct_ = 0;
}

NodeBag::Entry* NodeBag::find_in_array(NodeId id) const {
  Entry* const end = entries_ + distinct_;
  Entry* const at = std::lower_bound(
      entries_, end, id, [](const Entry& e, NodeId n) { return e.node < n; });
  return at != end && at->node == id ? at : nullptr;
}

size_t NodeBag::find_slot(NodeId id) const {
  const LinearProbing probing = table();
  return probing.probe(probing.home(id.value), [&](size_t at) {
    return entries_[at].node == id || entries_[at].node == kEmpty;
  });
}

void NodeBag::hold_in_place(NodeId id) {
  assert(id != kEmpty);
  single_ = id.value;
  distinct_ = 1;
  log2_ = 0;
  hashed_ = false;
}

void NodeBag::reshape(int log2, bool hashed) {
  assert(!in_place());
  Entry* const old = entries_;
  const int old_log2 = log2_;
  const size_t old_used = used();
  const bool old_hashed = hashed_;
  Entry* const fresh = allocate(log2);
  entries_ = fresh;
  log2_ = static_cast<uint8_t>(log2);
  hashed_ = hashed;
  if (hashed) {
    for (size_t k = 0; k < capacity(); ++k) entries_[k].node = kEmpty;
    for (size_t k = 0; k < old_used; ++k)
      if (old[k].node != kEmpty) entries_[find_slot(old[k].node)] = old[k];
  } else {
    size_t n = 0;
    for (size_t k = 0; k < old_used; ++k)
      if (old[k].node != kEmpty) entries_[n++] = old[k];
    // A table's entries come in no order; an array keeps them sorted.
    if (old_hashed)
      std::sort(entries_, entries_ + n,
                [](const Entry& a, const Entry& b) { return a.node < b.node; });
  }
  if (old != nullptr) deallocate(old, old_log2);
}

void NodeBag::insert(NodeId id, uint64_t copies) {
  assert(id != kEmpty);
  if (copies == 0) return;
  if (in_place()) {
    if (id.value == single_) {
      size_ += copies;
      return;
    }
    // A second id: the two go into an array. Should the block not come,
    // the bag stays as it was.
    const Entry held{NodeId(single_), size_};
    Entry* const block = allocate(1);
    entries_ = block;
    log2_ = 1;
    const bool before = id < held.node;
    entries_[before ? 1 : 0] = held;
    entries_[before ? 0 : 1] = Entry{id, copies};
    distinct_ = 2;
    size_ += copies;
    return;
  }
  if (entries_ == nullptr) {
    hold_in_place(id);
    size_ = copies;
    return;
  }
  size_ += copies;
  if (!hashed_) {
    if (Entry* found = find_in_array(id)) {
      found->count += copies;
      return;
    }
    if (distinct_ == capacity()) {
      if (distinct_ < kArrayLimit) {
        reshape(log2_ + 1, /*hashed=*/false);
      } else {
        // A table at most half full after the insertion.
        reshape(kArrayLog2 + 2, /*hashed=*/true);
      }
    }
    if (!hashed_) {
      Entry* const end = entries_ + distinct_;
      Entry* const at =
          std::lower_bound(entries_, end, id,
                           [](const Entry& e, NodeId n) { return e.node < n; });
      std::memmove(static_cast<void*>(at + 1), at,
                   sizeof(Entry) * static_cast<size_t>(end - at));
      *at = Entry{id, copies};
      ++distinct_;
      return;
    }
  }
  size_t at = find_slot(id);
  if (entries_[at].node == id) {
    entries_[at].count += copies;
    return;
  }
  // At most three quarters full.
  if (4 * (distinct_ + 1) > 3 * capacity()) {
    reshape(log2_ + 1, /*hashed=*/true);
    at = find_slot(id);
  }
  entries_[at] = Entry{id, copies};
  ++distinct_;
}

uint64_t NodeBag::erase(NodeId id) {
  if (in_place()) {
    if (id.value != single_) return 0;
    const uint64_t copies = size_;
    clear();
    return copies;
  }
  if (entries_ == nullptr) return 0;
  uint64_t copies = 0;
  if (!hashed_) {
    Entry* const found = find_in_array(id);
    if (found == nullptr) return 0;
    copies = found->count;
    Entry* const end = entries_ + distinct_;
    std::memmove(static_cast<void*>(found), found + 1,
                 sizeof(Entry) * static_cast<size_t>(end - found - 1));
    if (distinct_ == 2) {
      // The one id left goes in place; its count is what the size keeps.
      const NodeId last = entries_[0].node;
      deallocate(entries_, log2_);
      hold_in_place(last);
      size_ -= copies;
      return copies;
    }
    --distinct_;
  } else {
    const size_t at = find_slot(id);
    if (entries_[at].node != id) return 0;
    copies = entries_[at].count;
    const LinearProbing probing = table();
    probing.erase(
        at, [&](size_t k) { return entries_[k].node == kEmpty; },
        [&](size_t k) { return probing.home(entries_[k].node.value); },
        [&](size_t from, size_t to) { entries_[to] = entries_[from]; },
        [&](size_t k) { entries_[k].node = kEmpty; });
    --distinct_;
    // A table that shrank to a few ids becomes an array again; one that
    // is mostly empty halves.
    if (distinct_ <= kArrayLimit / 4) {
      reshape(kArrayLog2, /*hashed=*/false);
    } else if (8 * distinct_ < capacity()) {
      reshape(log2_ - 1, /*hashed=*/true);
    }
  }
  size_ -= copies;
  if (distinct_ == 0) release();
  return copies;
}

uint64_t NodeBag::count(NodeId id) const {
  if (in_place()) return id.value == single_ ? size_ : 0;
  if (entries_ == nullptr) return 0;
  if (!hashed_) {
    const Entry* found = find_in_array(id);
    return found != nullptr ? found->count : 0;
  }
  const Entry& slot = entries_[find_slot(id)];
  return slot.node == id ? slot.count : 0;
}

NodeId NodeBag::first() const {
  assert(!empty());
  if (in_place()) return NodeId(single_);
  if (!hashed_) return entries_[0].node;
  NodeId smallest = kEmpty;
  for (size_t k = 0; k < capacity(); ++k)
    smallest = std::min(smallest, entries_[k].node);
  return smallest;
}

bool operator==(const NodeBag& a, const NodeBag& b) {
  if (a.size_ != b.size_ || a.distinct_ != b.distinct_) return false;
  for (const auto [id, copies] : a)
    if (b.count(id) != copies) return false;
  return true;
}

}  // namespace marovel
