#include "model/aggregates.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <numeric>
#include <utility>

namespace marovel {

Aggregates::Aggregates(size_t names) : next_(names), moved_(names, false) {
  std::iota(next_.begin(), next_.end(), NameId{0});
}

void Aggregates::absorb(NameId kept, NameId removed, bool removed_lives_on) {
  assert(kept < size() && removed < size());
  if (kept == removed) return;
  // Two rings are joined only when both names are borne by a node and the
  // removed one by no other: then they are two rings, never one. A name
  // that moved (a failed rule took it in, yet its node lives on) may have
  // moved into the very ring it meets again, so the members are copied.
  if (!removed_lives_on && !moved_[kept] && !moved_[removed]) {
    std::swap(next_[kept], next_[removed]);
    moved_[removed] = true;
    if (auto from = copied_.find(removed); from != copied_.end()) {
      std::vector<NameId>& into = copied_[kept];
      if (from->second.size() > into.size()) into.swap(from->second);
      into.insert(into.end(), from->second.begin(), from->second.end());
      copied_.erase(from);
    }
    return;
  }
  std::vector<NameId> copy;
  members(removed, copy);
  std::vector<NameId>& into = copied_[kept];
  into.insert(into.end(), copy.begin(), copy.end());
  into.push_back(removed);
  if (!removed_lives_on) {
    moved_[removed] = true;
    copied_.erase(removed);
  }
}

void Aggregates::members(NameId id, std::vector<NameId>& members) const {
  assert(id < size());
  members.clear();
  // A moved name's ring went to another name; what it gained since is
  // all it holds.
  if (!moved_[id]) {
    NameId at = id;
    do {
      members.push_back(at);
      at = next_[at];
    } while (at != id);
  }
  if (auto copied = copied_.find(id); copied != copied_.end())
    members.insert(members.end(), copied->second.begin(), copied->second.end());
  if (members.size() >= kMarkedFrom && members.size() >= size() / 16) {
    in_order_by_marks(members);
    return;
  }
  std::sort(members.begin(), members.end());
  members.erase(std::unique(members.begin(), members.end()), members.end());
}

void Aggregates::in_order_by_marks(std::vector<NameId>& members) const {
  std::vector<uint64_t> marks((size() + 63) / 64, 0);
  for (const NameId member : members)
    marks[member / 64] |= uint64_t{1} << (member % 64);
  members.clear();
  for (size_t word = 0; word < marks.size(); ++word)
    for (uint64_t bits = marks[word]; bits != 0; bits &= bits - 1)
      members.push_back(
          static_cast<NameId>(64 * word + std::countr_zero(bits)));
}

}  // namespace marovel
