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
    : grouped_(names, false),
#ifndef NDEBUG
      key_of_(names, kNone),
#endif
      heads_(names),
      kept_(kept) {
  // At most three quarters full: probes stay short (five slots share a
  // cache line), and the table of half a million nodes takes 2^20 slots,
  // not 2^21.
  const size_t slots = std::bit_ceil(std::max<size_t>(nodes + nodes / 3, 16));
  slots_.resize(slots);
  log2_ = std::countr_zero(slots);
}

size_t TwinGroups::find(uint64_t key) const {
  const LinearProbing probing = table();
  return probing.probe(probing.home(key), [&](size_t at) {
    const uint64_t at_key = slots_[at].key();
    return at_key == key || at_key == kNone;
  });
}

void TwinGroups::grow() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  ++log2_;
  for (const Slot& slot : old)
    if (!slot.empty()) slots_[find(slot.key())] = slot;
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
  if (slot.empty() || slot.single()) return std::nullopt;
  const auto twins = members_of_[slot.members()].twins();
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
  if (grouped_[name] || !is_twin_candidate(node)) return;
  const uint64_t key = twin_key(node);
  grouped_[name] = true;
#ifndef NDEBUG
  key_of_[name] = key;
#endif
  ++members_;
  size_t at = find(key);
  if (slots_[at].empty()) {
    if (4 * (groups_ + 1) > 3 * slots_.size()) {
      grow();
      at = find(key);
    }
    slots_[at] = Slot(key, name);
    ++groups_;
    return;
  }
  Slot& slot = slots_[at];
  const std::optional<NameId> head = head_of(slot);
  if (slot.single()) {
    const NameId alone = slot.alone();
    slot.set_members(new_members());
    side_of(members_of_[slot.members()], alone).insert(alone);
  }
  Members& members = members_of_[slot.members()];
  side_of(members, name).insert(name);
  rehead(head, head_of(slot));
}

void TwinGroups::remove(NameId name, const NetNode& node) {
  if (!grouped_[name]) return;
  const uint64_t key = twin_key(node);
  assert(key == key_of_[name]);
  grouped_[name] = false;
  --members_;
  const size_t at = find(key);
  Slot& slot = slots_[at];
  assert(slot.key() == key);
  if (slot.single()) {
    assert(slot.alone() == name);
    const LinearProbing probing = table();
    probing.erase(
        at, [&](size_t k) { return slots_[k].empty(); },
        [&](size_t k) { return probing.home(slots_[k].key()); },
        [&](size_t from, size_t to) { slots_[to] = slots_[from]; },
        [&](size_t k) { slots_[k] = Slot{}; });
    --groups_;
    return;
  }
  const std::optional<NameId> head = head_of(slot);
  Members& members = members_of_[slot.members()];
  side_of(members, name).erase(name);
  if (members.size() == 1) {
    free_members_.push_back(slot.members());
    slot.set_alone(members.only());
    members.clear();
  }
  rehead(head, head_of(slot));
}

TwinGroups::Twins TwinGroups::twins_at(uint64_t key,
                                       [[maybe_unused]] NameId head) const {
  const Slot& slot = slots_[find(key)];
  const auto twins = members_of_[slot.members()].twins();
  assert(twins && twins->first == head);
  return Twins{twins->first, twins->second, key};
}

}  // namespace marovel
