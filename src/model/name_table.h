// The names of one net, interned: every name gets a dense id, its rank in
// bytewise name order. Rules create no names, so ids keep that order for a
// whole run, and comparing two ids compares the two names.
#ifndef MAROVEL_MODEL_NAME_TABLE_H_
#define MAROVEL_MODEL_NAME_TABLE_H_

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace marovel {

using NameId = uint32_t;

class NameTable {
 public:
  NameTable() = default;
  // The distinct names among `names` (any order, repeats allowed), copied.
  explicit NameTable(const std::vector<std::string_view>& names);
  // The same, setting `ids[k]` to the id of `names[k]`.
  NameTable(const std::vector<std::string_view>& names,
            std::vector<NameId>& ids);
  NameTable(std::initializer_list<std::string_view> names)
      : NameTable(std::vector<std::string_view>(names)) {}

  NameTable(const NameTable& other);
  NameTable& operator=(const NameTable& other);
  NameTable(NameTable&&) = default;
  NameTable& operator=(NameTable&&) = default;

  size_t size() const { return starts_.empty() ? 0 : starts_.size() - 1; }

  std::string_view operator[](NameId id) const {
    assert(id < size());
    return {text_.data() + starts_[id], starts_[id + 1] - starts_[id]};
  }

  std::optional<NameId> find(std::string_view name) const {
    const auto it = index_.find(name);
    if (it == index_.end()) return std::nullopt;
    return it->second;
  }

 private:
  void build_index();

  std::vector<char> text_;      // every name, back to back, in id order
  std::vector<size_t> starts_;  // name k is [starts_[k], starts_[k + 1])
  std::unordered_map<std::string_view, NameId> index_;
};

}  // namespace marovel

#endif  // MAROVEL_MODEL_NAME_TABLE_H_
