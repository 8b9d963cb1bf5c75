#include "model/name_bag.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace marovel {

NameBag::NameBag(const NameBag& other) { *this = other; }

NameBag::NameBag(NameBag&& other) noexcept
    : entries_(std::exchange(other.entries_, nullptr)),
      pool_(other.pool_),
      size_(std::exchange(other.size_, 0)),
      distinct_(std::exchange(other.distinct_, 0)),
      log2_(std::exchange(other.log2_, 0)),
      hashed_(std::exchange(other.hashed_, false)) {}

NameBag& NameBag::operator=(const NameBag& other) {
  if (this == &other) return *this;
  release();
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

NameBag& NameBag::operator=(NameBag&& other) {
  if (this == &other) return *this;
  // A block can change hands only between bags of one pool.
  if (pool_ != other.pool_) {
    *this = other;
    other.clear();
    return *this;
  }
  release();
  entries_ = std::exchange(other.entries_, nullptr);
  size_ = std::exchange(other.size_, 0);
  distinct_ = std::exchange(other.distinct_, 0);
  log2_ = std::exchange(other.log2_, 0);
  hashed_ = std::exchange(other.hashed_, false);
  return *this;
}

NameBag::Entry* NameBag::allocate(int log2) {
  if (pool_ != nullptr) return pool_->take(log2);
  return static_cast<Entry*>(::operator new(sizeof(Entry) << log2));
}

void NameBag::deallocate(Entry* block, int log2) {
  if (pool_ != nullptr) {
    pool_->give(block, log2);
  } else {
    ::operator delete(block, sizeof(Entry) << log2);
  }
}

void NameBag::release() {
  if (entries_ != nullptr) deallocate(entries_, log2_);
  entries_ = nullptr;
  log2_ = 0;
  hashed_ = false;
}

void NameBag::clear() {
  release();
  size_ = 0;
  distinct_ = 0;
}

NameBag::Entry* NameBag::find_in_array(NameId name) const {
  Entry* const end = entries_ + distinct_;
  Entry* const at = std::lower_bound(
      entries_, end, name, [](const Entry& e, NameId n) { return e.name < n; });
  return at != end && at->name == name ? at : nullptr;
}

size_t NameBag::find_slot(NameId name) const {
  const size_t mask = capacity() - 1;
  size_t at = home(name);
  while (entries_[at].name != name && entries_[at].name != kEmpty)
    at = (at + 1) & mask;
  return at;
}

void NameBag::erase_slot(size_t at) {
  // Shifts back every later entry of the probe run that may move closer to
  // its home, so that no search stops early at the hole.
  const size_t mask = capacity() - 1;
  size_t next = at;
  for (;;) {
    next = (next + 1) & mask;
    if (entries_[next].name == kEmpty) break;
    const size_t want = home(entries_[next].name);
    const bool stays =
        at < next ? at < want && want <= next : at < want || want <= next;
    if (stays) continue;
    entries_[at] = entries_[next];
    at = next;
  }
  entries_[at].name = kEmpty;
}

void NameBag::reshape(int log2, bool hashed) {
  Entry* const old = entries_;
  const int old_log2 = log2_;
  const size_t old_used = used();
  const bool old_hashed = hashed_;
  Entry* const fresh = allocate(log2);
  entries_ = fresh;
  log2_ = static_cast<uint8_t>(log2);
  hashed_ = hashed;
  if (hashed) {
    for (size_t k = 0; k < capacity(); ++k) entries_[k].name = kEmpty;
    for (size_t k = 0; k < old_used; ++k)
      if (old[k].name != kEmpty) entries_[find_slot(old[k].name)] = old[k];
  } else {
    size_t n = 0;
    for (size_t k = 0; k < old_used; ++k)
      if (old[k].name != kEmpty) entries_[n++] = old[k];
    // A table's entries come in no order; an array keeps them sorted.
    if (old_hashed)
      std::sort(entries_, entries_ + n,
                [](const Entry& a, const Entry& b) { return a.name < b.name; });
  }
  if (old != nullptr) deallocate(old, old_log2);
}

void NameBag::insert(NameId name, uint64_t copies) {
  assert(name != kEmpty);
  if (copies == 0) return;
  size_ += copies;
  if (!hashed_) {
    if (Entry* found = entries_ ? find_in_array(name) : nullptr) {
      found->count += copies;
      return;
    }
    if (distinct_ == capacity()) {
      if (distinct_ < kArrayLimit) {
        reshape(distinct_ == 0 ? 0 : log2_ + 1, /*hashed=*/false);
      } else {
        // A table at most half full after the insertion.
        reshape(kArrayLog2 + 2, /*hashed=*/true);
      }
    }
    if (!hashed_) {
      Entry* const end = entries_ + distinct_;
      Entry* const at =
          std::lower_bound(entries_, end, name,
                           [](const Entry& e, NameId n) { return e.name < n; });
      std::memmove(static_cast<void*>(at + 1), at,
                   sizeof(Entry) * static_cast<size_t>(end - at));
      *at = Entry{name, copies};
      ++distinct_;
      return;
    }
  }
  size_t at = find_slot(name);
  if (entries_[at].name == name) {
    entries_[at].count += copies;
    return;
  }
  // At most three quarters full.
  if (4 * (distinct_ + 1) > 3 * capacity()) {
    reshape(log2_ + 1, /*hashed=*/true);
    at = find_slot(name);
  }
  entries_[at] = Entry{name, copies};
  ++distinct_;
}

uint64_t NameBag::erase(NameId name) {
  if (entries_ == nullptr) return 0;
  uint64_t copies = 0;
  if (!hashed_) {
    Entry* const found = find_in_array(name);
    if (found == nullptr) return 0;
    copies = found->count;
    Entry* const end = entries_ + distinct_;
    std::memmove(static_cast<void*>(found), found + 1,
                 sizeof(Entry) * static_cast<size_t>(end - found - 1));
    --distinct_;
  } else {
    const size_t at = find_slot(name);
    if (entries_[at].name != name) return 0;
    copies = entries_[at].count;
    erase_slot(at);
    --distinct_;
    // A table that shrank to a few names becomes an array again; one that
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

uint64_t NameBag::count(NameId name) const {
  if (entries_ == nullptr) return 0;
  if (!hashed_) {
    const Entry* found = find_in_array(name);
    return found != nullptr ? found->count : 0;
  }
  const Entry& slot = entries_[find_slot(name)];
  return slot.name == name ? slot.count : 0;
}

NameId NameBag::first() const {
  assert(!empty());
  if (!hashed_) return entries_[0].name;
  NameId smallest = kEmpty;
  for (size_t k = 0; k < capacity(); ++k)
    smallest = std::min(smallest, entries_[k].name);
  return smallest;
}

bool operator==(const NameBag& a, const NameBag& b) {
  if (a.size_ != b.size_ || a.distinct_ != b.distinct_) return false;
  for (const auto [name, copies] : a)
    if (b.count(name) != copies) return false;
  return true;
}

}  // namespace marovel
