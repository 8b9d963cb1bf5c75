#include "reduce/ordered_ids.h"

#include <algorithm>

namespace marovel {
namespace {

// The first entry whose name is not below `name`.
template <typename Entries>
auto entry_at(Entries& flat, NameId name) {
  return std::lower_bound(
      flat.begin(), flat.end(), name,
      [](const OrderedIds::Entry& e, NameId n) { return e.first < n; });
}

}  // namespace

OrderedIds::OrderedIds(const OrderedIds& other)
    : flat_(other.flat_), size_(other.size_) {
  if (other.tree_ != nullptr)
    tree_ = new_tree(other.tree_->begin(), other.tree_->end());
}

OrderedIds::OrderedIds(OrderedIds&& other) noexcept
    : flat_(std::move(other.flat_)),
      tree_(std::exchange(other.tree_, nullptr)),
      size_(std::exchange(other.size_, 0)) {
  other.flat_.clear();
}

OrderedIds& OrderedIds::operator=(const OrderedIds& other) {
  if (this == &other) return *this;
  clear();
  if (other.tree_ != nullptr) {
    tree_ = new_tree(other.tree_->begin(), other.tree_->end());
  } else {
    flat_.assign(other.flat_.begin(), other.flat_.end());
  }
  size_ = other.size_;
  return *this;
}

OrderedIds& OrderedIds::operator=(OrderedIds&& other) {
  if (this == &other) return *this;
  // A tree can change hands only between bags of one resource.
  if (resource() != other.resource()) {
    *this = other;
    other.clear();
    return *this;
  }
  drop_tree();
  flat_ = std::move(other.flat_);
  other.flat_.clear();
  tree_ = std::exchange(other.tree_, nullptr);
  size_ = std::exchange(other.size_, 0);
  return *this;
}

void OrderedIds::drop_tree() {
  if (tree_ == nullptr) return;
  std::pmr::polymorphic_allocator<Tree>(resource()).delete_object(tree_);
  tree_ = nullptr;
}

void OrderedIds::make_tree() {
  tree_ = new_tree(flat_.begin(), flat_.end());
  flat_.clear();
  flat_.shrink_to_fit();
}

void OrderedIds::insert(NameId name, uint64_t copies) {
  if (copies == 0) return;
  size_ += copies;
  if (tree_ == nullptr) {
    const auto it = entry_at(flat_, name);
    if (it != flat_.end() && it->first == name) {
      it->second += copies;
      return;
    }
    if (flat_.size() < kFlatLimit) {
      flat_.insert(it, Entry{name, copies});
      return;
    }
    make_tree();
  }
  const auto [it, added] = tree_->try_emplace(name, copies);
  if (!added) it->second += copies;
}

uint64_t OrderedIds::erase(NameId name) {
  uint64_t copies = 0;
  if (tree_ == nullptr) {
    const auto it = entry_at(flat_, name);
    if (it == flat_.end() || it->first != name) return 0;
    copies = it->second;
    flat_.erase(it);
  } else {
    const auto it = tree_->find(name);
    if (it == tree_->end()) return 0;
    copies = it->second;
    tree_->erase(it);
  }
  size_ -= copies;
  return copies;
}

uint64_t OrderedIds::count(NameId name) const {
  if (tree_ == nullptr) {
    const auto it = entry_at(flat_, name);
    return it != flat_.end() && it->first == name ? it->second : 0;
  }
  const auto it = tree_->find(name);
  return it == tree_->end() ? 0 : it->second;
}

void OrderedIds::clear() {
  flat_.clear();
  drop_tree();
  size_ = 0;
}

bool operator==(const OrderedIds& a, const OrderedIds& b) {
  return a.size_ == b.size_ && a.distinct() == b.distinct() &&
         std::equal(a.begin(), a.end(), b.begin());
}

}  // namespace marovel
