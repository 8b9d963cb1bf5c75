#include "reduce/twin_groups.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <iterator>

#include "base/prefetch.h"

namespace marovel {

TwinGroups::TwinGroups(size_t names, size_t nodes)
    : key_of_(names, kNone), heads_(names) {
  // At most half full, so that probes stay short.
  const size_t slots = std::bit_ceil(std::max<size_t>(2 * nodes, 16));
  slots_.resize(slots);
  shift_ = 64 - std::countr_zero(slots);
}

size_t TwinGroups::find(uint64_t key) const {
  const size_t mask = slots_.size() - 1;
  size_t at = home(key);
  while (slots_[at].key != key && slots_[at].key != kNone) at = (at + 1) & mask;
  return at;
}

void TwinGroups::erase_slot(size_t at) {
  // Shifts back every later slot of the probe run that may move closer to
  // its home, so that no search stops early at the hole.
  const size_t mask = slots_.size() - 1;
  size_t next = at;
  while (true) {
    next = (next + 1) & mask;
    if (slots_[next].key == kNone) break;
    const size_t want = home(slots_[next].key);
    // Stays when its home lies cyclically in (at, next].
    const bool stays =
        at < next ? at < want && want <= next : at < want || want <= next;
    if (stays) continue;
    slots_[at] = slots_[next];
    at = next;
  }
  slots_[at] = Slot{};
}

void TwinGroups::grow() {
  std::vector<Slot> old(slots_.size() * 2);
  old.swap(slots_);
  --shift_;
  for (const Slot& slot : old)
    if (slot.key != kNone) slots_[find(slot.key)] = slot;
}

uint32_t TwinGroups::new_bag() {
  if (!free_bags_.empty()) {
    const uint32_t bag = free_bags_.back();
    free_bags_.pop_back();
    return bag;
  }
  // A group's members come from the general heap, which takes back what a
  // shrinking group frees and hands it to a growing one.
  bags_.emplace_back(std::pmr::new_delete_resource());
  return static_cast<uint32_t>(bags_.size() - 1);
}

std::optional<NameId> TwinGroups::head_of(const Slot& slot) const {
  if (slot.key == kNone || slot.bag == kAlone) return std::nullopt;
  return bags_[slot.bag].first();
}

void TwinGroups::rehead(std::optional<NameId> before,
                        std::optional<NameId> after) {
  // Most changes leave a group's head as it was; the queue is touched only
  // when it moves, so that it does not fill with copies of one head.
  if (before == after) return;
  if (before) heads_.erase(*before);
  if (after) heads_.insert(*after);
}

void TwinGroups::prefetch_group(const NetNode& node) const {
  if (is_twin_candidate(node)) prefetch_memory(&slots_[home(twin_key(node))]);
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
  if (slot.bag == kAlone) {
    const uint32_t bag = new_bag();
    bags_[bag].insert(slot.alone);
    slot.bag = bag;
  }
  bags_[slot.bag].insert(name);
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
  if (slot.bag == kAlone) {
    assert(slot.alone == name);
    erase_slot(at);
    --groups_;
    return;
  }
  const std::optional<NameId> head = head_of(slot);
  OrderedIds& members = bags_[slot.bag];
  members.erase(name);
  if (members.distinct() == 1) {
    slot.alone = members.first();
    members.clear();
    free_bags_.push_back(slot.bag);
    slot.bag = kAlone;
  }
  rehead(head, head_of(slot));
}

// A step reads its group's slot, the group's bag and the bag's members, one
// after the other: three cache misses on a large net. The head often stays
// for a few steps (one per twin), long enough to fetch the next head's
// group a level per step, each level reading what the one before fetched.
void TwinGroups::look_ahead() {
  const std::optional<NameId> next = heads_.next_guess();
  if (!next) return;
  if (*next != ahead_) {
    ahead_ = *next;
    ahead_level_ = 0;
  }
  const int level = ahead_level_++;
  if (level == 0) {
    prefetch_memory(&key_of_[ahead_]);
    return;
  }
  const uint64_t key = key_of_[ahead_];
  if (key == kNone || level > 3) return;
  if (level == 1) {
    prefetch_memory(&slots_[home(key)]);
    return;
  }
  const Slot& slot = slots_[find(key)];
  if (slot.key != key || slot.bag == kAlone) return;
  if (level == 2) {
    prefetch_memory(&bags_[slot.bag]);
  } else {
    bags_[slot.bag].prefetch();
  }
}

std::optional<TwinGroups::Twins> TwinGroups::first() {
  if (heads_.empty()) return std::nullopt;
  const NameId kept = heads_.smallest();
  look_ahead();
  const uint64_t key = key_of_[kept];
  const Slot& slot = slots_[find(key)];
  assert(slot.bag != kAlone);
  const OrderedIds& members = bags_[slot.bag];
  assert(members.distinct() >= 2 && members.first() == kept);
  auto second = std::next(members.begin());
  auto third = std::next(second);
  next_twin_.reset();
  if (third != members.end()) next_twin_ = (*third).first;
  return Twins{kept, (*second).first, key};
}

}  // namespace marovel
