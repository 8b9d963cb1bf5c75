#include "model/name_bag.h"

namespace marovel {

void NameBag::insert(std::string_view name, uint64_t copies) {
  if (copies == 0) return;
  auto it = counts_.find(name);
  if (it == counts_.end()) {
    counts_.emplace(std::string(name), copies);
  } else {
    it->second += copies;
  }
  size_ += copies;
}

uint64_t NameBag::erase(std::string_view name) {
  auto it = counts_.find(name);
  if (it == counts_.end()) return 0;
  const uint64_t copies = it->second;
  counts_.erase(it);
  size_ -= copies;
  return copies;
}

uint64_t NameBag::count(std::string_view name) const {
  auto it = counts_.find(name);
  return it == counts_.end() ? 0 : it->second;
}

}  // namespace marovel
