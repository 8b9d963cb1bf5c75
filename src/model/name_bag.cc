#include "model/name_bag.h"

namespace marovel {

void NameBag::insert(NameId name, uint64_t copies) {
  if (copies == 0) return;
  const auto [it, added] = counts_.try_emplace(name, copies);
  if (!added) it->second += copies;
  size_ += copies;
}

uint64_t NameBag::erase(NameId name) {
  auto it = counts_.find(name);
  if (it == counts_.end()) return 0;
  const uint64_t copies = it->second;
  counts_.erase(it);
  size_ -= copies;
  return copies;
}

uint64_t NameBag::count(NameId name) const {
  auto it = counts_.find(name);
  return it == counts_.end() ? 0 : it->second;
}

}  // namespace marovel
