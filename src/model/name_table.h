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
#include "model/ids.h"

namespace marovel {

class NameTable {
 public:
  NameTable() = default;
  // The distinct names among `names` (any order, repeats allowed), copied.
  explicit NameTable(const std::vector<std::string_view>& names);
  // The same, setting `ids[k]` to the id of `names[k]`. A reader that
  // has the names in runs builds with a Builder instead.
  // REQUIRES: names.size() < 2^32.
  NameTable(const std::vector<std::string_view>& names,
            std::vector<NameId>& ids);
  class Builder;

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
  // Lets the hash index go: lookups by text then search the names, which
  // lie in id order, at a logarithm's cost. For a table whose many lookups
  // are over (the reader's, once every edge end is found) and which lives
  // on through a run that mostly asks for names by id.
  void drop_index();
  // Hints that the start of name `id` is about to be read, so that a walk
  // over names scattered in the table can fetch them ahead.
  void prefetch_start(NameId id) const { prefetch_memory(&starts_[id]); }
  // find() for each of `names` into `ids` (of the same size). Looks up many
  // names at once so that their cache misses overlap rather than follow one
  // another: the reader's lookups of edge ends go this way.
  void find_all(std::span<const std::string_view> names,
                std::span<std::optional<NameId>> ids) const;

 private:
  // A name with its position among the names given, and its first eight
  // bytes as a big-endian number, zero-padded: comparing those numbers
  // compares the prefixes as memcmp does (unsigned bytes), so most
  // comparisons never reach the names, which lie scattered in memory.
  struct Entry {
    uint64_t prefix;
    std::string_view name;
    uint32_t position;
  };
  static Entry entry_of(std::string_view name, uint32_t position);
  static bool before(const Entry& a, const Entry& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    return a.name < b.name;
  }
  // The table of the names of `sorted`, in order; ids[index(position)] is
  // the id of each entry's name.
  template <typename Index>
  NameTable(const std::vector<Entry>& sorted, std::vector<NameId>& ids,
            size_t positions, const Index& index);

  static LinearProbing probing(std::span<const uint64_t> slots);
  // The hash index of the names (see slots_).
  std::vector<uint64_t> make_index() const;
  void build_index();
  std::optional<NameId> find_hashed(std::span<const uint64_t> slots,
                                    std::string_view name, uint64_t hash) const;
  void find_all_hashed(std::span<const uint64_t> slots,
                       std::span<const std::string_view> names,
                       std::span<std::optional<NameId>> ids) const;
  std::optional<NameId> find_sorted(std::string_view name) const;

  std::vector<char> text_;  // names in id order
  // Name k is [starts_[k], starts_[k + 1]).
  std::vector<size_t> starts_;
  // Linear probing, at most half full: each slot holds the
  // high half of a name's hash and its id + 1 (0: empty), so that a lookup
  // costs one slot read and, mostly, one name compare. Empty once dropped
  // (and in a table of no names).
  std::vector<uint64_t> slots_;
};

// Builds a table from names that arrive in runs while something else goes
// on (a parse delivering the lists): each run is sorted as it arrives and
// merged with the runs before it of no greater length, so that once the
// last run is in, what is left is a few merges rather than a whole sort.
// The names come in two groups of positions (the place list and the
// transition list, in either order); ids are filled as if the groups were
// one list, group 0 first.
class NameTable::Builder {
 public:
  // Takes `names` as positions first, first + 1, ... of `group`. The names'
  // bytes must outlive the builder; the span need not.
  // REQUIRES: group < 2; first + names.size() <= kMaxPosition.
  void add(std::span<const std::string_view> names, unsigned group,
           size_t first);
  // Names taken so far.
  size_t size() const { return entries_.size(); }
  // The table of every name taken; ids[k] is the id of position k, where
  // the positions of group 1 follow the `group0_size` of group 0.
  // REQUIRES: the positions taken are 0 .. group0_size - 1 of group 0 and
  // 0 .. n - 1 of group 1, each once.
  NameTable finish(std::vector<NameId>& ids, size_t group0_size) &&;

  static constexpr size_t kMaxPosition = (size_t{1} << 31) - 1;

 private:
  std::vector<Entry> entries_;
  std::vector<size_t> run_starts_;  // where each sorted run begins
};

}  // namespace marovel

#endif  // MAROVEL_MODEL_NAME_TABLE_H_
