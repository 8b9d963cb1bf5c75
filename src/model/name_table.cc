#include "model/name_table.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <limits>
#include <utility>

#include "base/linear_probing.h"
#include "base/prefetch.h"

namespace marovel {

NameTable::NameTable(const std::vector<std::string_view>& names) {
  std::vector<NameId> ids;
  *this = NameTable(names, ids);
}

NameTable::Entry NameTable::entry_of(std::string_view name, uint32_t position) {
  unsigned char bytes[8] = {};
  if (!name.empty())
    std::memcpy(bytes, name.data(), std::min<size_t>(8, name.size()));
  uint64_t prefix = 0;
  for (const unsigned char byte : bytes) prefix = prefix << 8 | byte;
  return {prefix, name, position};
}

NameTable::NameTable(const std::vector<std::string_view>& names,
                     std::vector<NameId>& ids) {
  assert(names.size() < std::numeric_limits<NameId>::max());
  std::vector<Entry> sorted;
  sorted.reserve(names.size());
  for (size_t k = 0; k < names.size(); ++k)
    sorted.push_back(entry_of(names[k], static_cast<uint32_t>(k)));
  std::sort(sorted.begin(), sorted.end(), before);
  *this = NameTable(sorted, ids, names.size(),
                    [](uint32_t position) { return position; });
}

template <typename Index>
NameTable::NameTable(const std::vector<Entry>& sorted, std::vector<NameId>& ids,
                     size_t positions, const Index& index) {
  size_t total = 0;
  for (const Entry& entry : sorted) total += entry.name.size();
  text_.reserve(total);
  starts_.reserve(sorted.size() + 1);
  ids.resize(positions);
  // In name order the names and their positions lie anywhere: each is
  // asked for some entries ahead.
  constexpr size_t kAhead = 16;
  for (size_t k = 0; k < sorted.size(); ++k) {
    if (k + kAhead < sorted.size()) {
      prefetch_memory(sorted[k + kAhead].name.data());
      prefetch_memory(&ids[index(sorted[k + kAhead].position)]);
    }
    const std::string_view name = sorted[k].name;
    if (k == 0 || name != sorted[k - 1].name) {
      starts_.push_back(text_.size());
      text_.insert(text_.end(), name.begin(), name.end());
    }
    ids[index(sorted[k].position)] = static_cast<NameId>(starts_.size() - 1);
  }
  starts_.push_back(text_.size());
  build_index();
}

namespace {

// A builder's position: the group in the top bit.
constexpr uint32_t kGroup1 = uint32_t{1} << 31;

}  // namespace

void NameTable::Builder::add(std::span<const std::string_view> names,
                             unsigned group, size_t first) {
  assert(group < 2 && first + names.size() <= kMaxPosition);
  if (names.empty()) return;
  const size_t start = entries_.size();
  const uint32_t tag = group == 0 ? 0 : kGroup1;
  for (size_t k = 0; k < names.size(); ++k)
    entries_.push_back(
        entry_of(names[k], tag | static_cast<uint32_t>(first + k)));
  std::sort(entries_.begin() + static_cast<ptrdiff_t>(start), entries_.end(),
            before);
  run_starts_.push_back(start);
  // Runs of no more than the newest run's length are merged into it, so
  // that the runs' lengths fall from the first to the last and each entry
  // takes part in about log2(runs) merges.
  while (run_starts_.size() >= 2) {
    const size_t last = run_starts_.back();
    const size_t before_last = run_starts_[run_starts_.size() - 2];
    if (last - before_last > entries_.size() - last) break;
    std::inplace_merge(entries_.begin() + static_cast<ptrdiff_t>(before_last),
                       entries_.begin() + static_cast<ptrdiff_t>(last),
                       entries_.end(), before);
    run_starts_.pop_back();
  }
}

NameTable NameTable::Builder::finish(std::vector<NameId>& ids,
                                     size_t group0_size) && {
  // The newest runs are the shortest: merging from the back keeps each
  // merge's shorter side short.
  while (run_starts_.size() >= 2) {
    std::inplace_merge(
        entries_.begin() + static_cast<ptrdiff_t>(run_starts_.end()[-2]),
        entries_.begin() + static_cast<ptrdiff_t>(run_starts_.back()),
        entries_.end(), before);
    run_starts_.pop_back();
  }
  return NameTable(entries_, ids, entries_.size(), [&](uint32_t position) {
    return position & kGroup1 ? group0_size + (position & ~kGroup1)
                              : size_t{position};
  });
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

namespace {

uint64_t hash_of(std::string_view name) {
  return std::hash<std::string_view>()(name);
}

}  // namespace

LinearProbing NameTable::probing(std::span<const uint64_t> slots) {
  return LinearProbing(std::countr_zero(slots.size()));
}

std::vector<uint64_t> NameTable::make_index() const {
  size_t capacity = 2;
  while (capacity < 2 * size()) capacity *= 2;
  std::vector<uint64_t> slots(capacity, 0);
  const LinearProbing table = probing(slots);
  // The names go in a batch at a time, their slots asked for first, so
  // that the slots' cache misses overlap.
  constexpr NameId kBatch = 32;
  size_t homes[kBatch];
  uint64_t hashes[kBatch];
  for (NameId start = 0; start < size(); start += kBatch) {
    const NameId count = std::min<NameId>(kBatch, size() - start);
    for (NameId k = 0; k < count; ++k) {
      hashes[k] = hash_of((*this)[start + k]);
      homes[k] = table.home(hashes[k]);
      prefetch_memory(&slots[homes[k]]);
    }
    for (NameId k = 0; k < count; ++k) {
      const size_t slot =
          table.probe(homes[k], [&](size_t at) { return slots[at] == 0; });
      slots[slot] = (hashes[k] >> 32 << 32) | (uint64_t{start + k} + 1);
    }
  }
  return slots;
}

void NameTable::build_index() { slots_ = make_index(); }

void NameTable::drop_index() { slots_ = {}; }

std::optional<NameId> NameTable::find(std::string_view name) const {
  if (slots_.empty()) return find_sorted(name);
  return find_hashed(slots_, name, hash_of(name));
}

std::optional<NameId> NameTable::find_sorted(std::string_view name) const {
  NameId low = 0, high = static_cast<NameId>(size());
  while (low < high) {
    const NameId middle = low + (high - low) / 2;
    if ((*this)[middle] < name)
      low = middle + 1;
    else
      high = middle;
  }
  if (low < size() && (*this)[low] == name) return low;
  return std::nullopt;
}

void NameTable::find_all(std::span<const std::string_view> names,
                         std::span<std::optional<NameId>> ids) const {
  assert(names.size() == ids.size());
  if (!slots_.empty()) return find_all_hashed(slots_, names, ids);
  // Without the index, a few lookups search; many, in no useful order,
  // would cost a logarithm of cache misses each, so they build an index of
  // their own first, which costs about as much as one pass over the names.
  if (names.size() >= size() / 16 + 64) {
    const std::vector<uint64_t> slots = make_index();
    return find_all_hashed(slots, names, ids);
  }
  for (size_t k = 0; k < names.size(); ++k) ids[k] = find_sorted(names[k]);
}

void NameTable::find_all_hashed(std::span<const uint64_t> slots,
                                std::span<const std::string_view> names,
                                std::span<std::optional<NameId>> ids) const {
  const LinearProbing table = probing(slots);
  constexpr size_t kBatch = 64;
  uint64_t hashes[kBatch];
  size_t homes[kBatch];
  for (size_t start = 0; start < names.size(); start += kBatch) {
    const size_t count = std::min(kBatch, names.size() - start);
    // Each stage touches what the one before fetched and asks for what the
    // next one needs: the slot, then the name's start, then its text.
    for (size_t k = 0; k < count; ++k) {
      hashes[k] = hash_of(names[start + k]);
      homes[k] = table.home(hashes[k]);
      prefetch_memory(&slots[homes[k]]);
    }
    for (size_t k = 0; k < count; ++k) {
      const uint64_t entry = slots[homes[k]];
      if (entry != 0) prefetch_memory(&starts_[(entry & 0xffffffff) - 1]);
    }
    for (size_t k = 0; k < count; ++k) {
      const uint64_t entry = slots[homes[k]];
      if (entry != 0)
        prefetch_memory(text_.data() + starts_[(entry & 0xffffffff) - 1]);
    }
    for (size_t k = 0; k < count; ++k)
      ids[start + k] = find_hashed(slots, names[start + k], hashes[k]);
  }
}

std::optional<NameId> NameTable::find_hashed(std::span<const uint64_t> slots,
                                             std::string_view name,
                                             uint64_t hash) const {
  const uint64_t tag = hash >> 32;
  const LinearProbing table = probing(slots);
  std::optional<NameId> found;
  table.probe(table.home(hash), [&](size_t at) {
    const uint64_t entry = slots[at];
    if (entry == 0) return true;
    if (entry >> 32 != tag) return false;
    const NameId id = static_cast<NameId>(entry) - 1;
    if ((*this)[id] != name) return false;
    found = id;
    return true;
  });
  return found;
}

}  // namespace marovel
