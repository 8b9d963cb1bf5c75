#include "reduce/twin_groups.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <iterator>

namespace marovel {

void TwinGroups::SortedNames::insert(NameId name) {
  if (tree_) {
    tree_->insert(name);
    return;
  }
  const auto at = std::lower_bound(flat_.begin(), flat_.end(), name);
  if (at != flat_.end() && *at == name) return;
  if (flat_.size() < kFlatLimit) {
    flat_.insert(at, name);
    return;
  }
  tree_ = std::make_unique<std::set<NameId>>(flat_.begin(), flat_.end());
  tree_->insert(name);
  flat_ = {};
}

void TwinGroups::SortedNames::erase(NameId name) {
  if (tree_) {
    tree_->erase(name);
    return;
  }
  const auto at = std::lower_bound(flat_.begin(), flat_.end(), name);
  if (at != flat_.end() && *at == name) flat_.erase(at);
}

NameId TwinGroups::SortedNames::smallest() const {
  assert(!empty());
  return tree_ ? *tree_->begin() : flat_[0];
}

std::pair<NameId, NameId> TwinGroups::SortedNames::two_smallest() const {
  assert(size() >= 2);
  if (tree_) return {*tree_->begin(), *std::next(tree_->begin())};
  return {flat_[0], flat_[1]};
}

void TwinGroups::SortedNames::clear() {
  flat_.clear();
  tree_.reset();
}

std::optional<std::pair<NameId, NameId>> TwinGroups::Members::twins() const {
  // at() at q takes q's first twin that may go. With two removable members,
  // the smallest member has one (the smallest removable member other than
  // itself); with one, p, every other member has p and p has none.
  if (removable.size() >= 2) {
    const auto [first, second] = removable.two_smallest();
    if (!kept.empty() && kept.smallest() < first)
      return std::pair{kept.smallest(), first};
    return std::pair{first, second};
  }
  if (removable.size() == 1 && !kept.empty())
    return std::pair{kept.smallest(), removable.smallest()};
  return std::nullopt;
}

TwinGroups::TwinGroups(size_t names, size_t nodes, const KeptNames* kept)
    : key_of_(names, kNone), heads_(names), kept_(kept) {
  // At most half full, so that probes stay short.
  const size_t slots = std::bit_ceil(std::max<size_t>(2 * nodes, 16));
  slots_.resize(slots);
  log2_ = std::countr_zero(slots);
}

size_t TwinGroups::find(uint64_t key) const {
  const LinearProbing probing = table();
  return probing.probe(probing.home(key), [&](size_t at) {
    return slots_[at].key == key || slots_[at].key == kNone;
  });
}

void TwinGroups::grow() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  ++log2_;
  for (const Slot& slot : old)
    if (slot.key != kNone) slots_[find(slot.key)] = slot;
}

uint32_t TwinGroups::new_members() {
  if (!free_members_.empty()) {
    const uint32_t members = free_members_.back();
    free_members_.pop_back();
    return members;
  }
  members_of_.emplace_back();
  return static_cast<uint32_t>(members_of_.size() - 1);
}

std::optional<NameId> TwinGroups::head_of(const Slot& slot) const {
  if (slot.key == kNone || slot.members == kAlone) return std::nullopt;
  const auto twins = members_of_[slot.members].twins();
  if (!twins) return std::nullopt;
  return twins->first;
}

void TwinGroups::rehead(std::optional<NameId> before,
                        std::optional<NameId> after) {
  // Most changes leave a group's head as it was; the queue is touched only
  // when it moves, so that it does not fill with copies of one head.
  if (before == after) return;
  if (before) heads_.erase(*before);
  if (after) heads_.insert(*after);
}

void TwinGroups::add(NameId name, const NetNode& node) {
  // A node offered twice in one step (a footprint may list it twice) is
  // grouped once.
  if (key_of_[name] != kNone || !is_twin_candidate(node)) return;
  const uint64_t key = twin_key(node);
  key_of_[name] = key;
  ++members_;
  size_t at = find(key);
  if (slots_[at].key == kNone) {
    if (2 * (groups_ + 1) > slots_.size()) {
      grow();
      at = find(key);
    }
    slots_[at] = Slot{key, name, kAlone};
    ++groups_;
    return;
  }
  Slot& slot = slots_[at];
  const std::optional<NameId> head = head_of(slot);
  if (slot.members == kAlone) {
    slot.members = new_members();
    Members& members = members_of_[slot.members];
    side_of(members, slot.alone).insert(slot.alone);
  }
  Members& members = members_of_[slot.members];
  side_of(members, name).insert(name);
  rehead(head, head_of(slot));
}

void TwinGroups::remove(NameId name) {
  const uint64_t key = key_of_[name];
  if (key == kNone) return;
  key_of_[name] = kNone;
  --members_;
  const size_t at = find(key);
  Slot& slot = slots_[at];
  assert(slot.key == key);
  if (slot.members == kAlone) {
    assert(slot.alone == name);
    const LinearProbing probing = table();
    probing.erase(
        at, [&](size_t k) { return slots_[k].key == kNone; },
        [&](size_t k) { return probing.home(slots_[k].key); },
        [&](size_t from, size_t to) { slots_[to] = slots_[from]; },
        [&](size_t k) { slots_[k] = Slot{}; });
    --groups_;
    return;
  }
  const std::optional<NameId> head = head_of(slot);
  Members& members = members_of_[slot.members];
  side_of(members, name).erase(name);
  if (members.size() == 1) {
    slot.alone = members.only();
    members.clear();
    free_members_.push_back(slot.members);
    slot.members = kAlone;
  }
  rehead(head, head_of(slot));
}

std::optional<TwinGroups::Twins> TwinGroups::first() {
  if (heads_.empty()) return std::nullopt;
  const NameId head = heads_.smallest();
  const uint64_t key = key_of_[head];
  const Slot& slot = slots_[find(key)];
  assert(slot.members != kAlone);
  const auto twins = members_of_[slot.members].twins();
  assert(twins && twins->first == head);
  return Twins{twins->first, twins->second, key};
}

}  // namespace marovel
