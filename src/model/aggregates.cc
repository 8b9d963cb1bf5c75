#include "model/aggregates.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace marovel {

Aggregates::Aggregates(size_t names) : next_(names), moved_(names, false) {
  std::iota(next_.begin(), next_.end(), NameId{0});
}

void Aggregates::absorb(NameId kept, NameId removed, bool removed_lives_on) {
  assert(kept < size() && removed < size());
  if (kept == removed) return;
  if (moved_[removed]) {
    // Its members went elsewhere when its node went; only the name is new
    // here, if it is new at all (a failed rule may offer it twice).
    copied_[kept].push_back(removed);
    return;
  }
  if (removed_lives_on) {
    std::vector<NameId> copy;
    members(removed, copy);
    std::vector<NameId>& into = copied_[kept];
    into.insert(into.end(), copy.begin(), copy.end());
    return;
  }
  std::swap(next_[kept], next_[removed]);
  moved_[removed] = true;
  if (auto from = copied_.find(removed); from != copied_.end()) {
    std::vector<NameId>& into = copied_[kept];
    if (from->second.size() > into.size()) into.swap(from->second);
    into.insert(into.end(), from->second.begin(), from->second.end());
    copied_.erase(from);
  }
}

void Aggregates::members(NameId id, std::vector<NameId>& members) const {
  assert(id < size());
  members.clear();
  if (moved_[id]) return;
  NameId at = id;
  do {
    members.push_back(at);
    at = next_[at];
  } while (at != id);
  if (auto copied = copied_.find(id); copied != copied_.end())
    members.insert(members.end(), copied->second.begin(), copied->second.end());
  std::sort(members.begin(), members.end());
  members.erase(std::unique(members.begin(), members.end()), members.end());
}

}  // namespace marovel
