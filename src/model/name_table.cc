#include "model/name_table.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace marovel {

NameTable::NameTable(const std::vector<std::string_view>& names) {
  std::vector<NameId> ids;
  *this = NameTable(names, ids);
}

NameTable::NameTable(const std::vector<std::string_view>& names,
                     std::vector<NameId>& ids) {
  assert(names.size() < std::numeric_limits<NameId>::max());
  // Each name with its position; string_view compares with memcmp, which is
  // the bytewise order on unsigned bytes.
  std::vector<std::pair<std::string_view, NameId>> sorted;
  sorted.reserve(names.size());
  for (size_t k = 0; k < names.size(); ++k)
    sorted.emplace_back(names[k], static_cast<NameId>(k));
  std::sort(sorted.begin(), sorted.end());
  size_t total = 0;
  for (const auto& [name, position] : sorted) total += name.size();
  text_.reserve(total);
  starts_.reserve(sorted.size() + 1);
  ids.resize(names.size());
  for (size_t k = 0; k < sorted.size(); ++k) {
    const std::string_view name = sorted[k].first;
    if (k == 0 || name != sorted[k - 1].first) {
      starts_.push_back(text_.size());
      text_.insert(text_.end(), name.begin(), name.end());
    }
    ids[sorted[k].second] = static_cast<NameId>(starts_.size() - 1);
  }
  starts_.push_back(text_.size());
  build_index();
}

NameTable::NameTable(const NameTable& other)
    : text_(other.text_), starts_(other.starts_) {
  build_index();
}

NameTable& NameTable::operator=(const NameTable& other) {
  if (this != &other) {
    text_ = other.text_;
    starts_ = other.starts_;
    build_index();
  }
  return *this;
}

void NameTable::build_index() {
  index_.clear();
  index_.reserve(size());
  for (NameId id = 0; id < size(); ++id) index_.emplace((*this)[id], id);
}

}  // namespace marovel
