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
#include <span>
#include <string_view>
#include <vector>

#include "base/linear_probing.h"
#include "base/prefetch.h"
#include "base/two_cores.h"
#include "model/ids.h"

namespace marovel {

class NameTable {
 public:
  NameTable() = default;
  // The distinct names among `names` (any order, repeats allowed), copied.
  explicit NameTable(const std::vector<std::string_view>& names);
  // The same, setting `ids[k]` to the id of `names[k]`; large tables are
  // sorted on both cores when `cores` says so.
  // REQUIRES: names.size() < 2^32.
  NameTable(const std::vector<std::string_view>& names,
            std::vector<NameId>& ids, TwoCores cores = {});
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

  std::optional<NameId> find(std::string_view name) const;
  // Hints that the start of name `id` is about to be read, so that a walk
  // over names scattered in the table can fetch them ahead.
  void prefetch_start(NameId id) const { prefetch_memory(&starts_[id]); }
  // find() for each of `names` into `ids` (of the same size). Looks up many
  // names at once so that their cache misses overlap rather than follow one
  // another: the reader's lookups of edge ends go this way.
  void find_all(std::span<const std::string_view> names,
                std::span<std::optional<NameId>> ids) const;

 private:
  LinearProbing probing() const;
  void build_index();
  std::optional<NameId> find_hashed(std::string_view name, uint64_t hash) const;

  std::vector<char> text_;  // names in id order
  // Name k is [starts_[k], starts_[k + 1]).
  std::vector<size_t> starts_;
  // Linear probing, at most half full: each slot holds the
  // high half of a name's hash and its id + 1 (0: empty), so that a lookup
  // costs one slot read and, mostly, one name compare.
  std::vector<uint64_t> slots_;
};

}  // namespace marovel

#endif  // MAROVEL_MODEL_NAME_TABLE_H_
