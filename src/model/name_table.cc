#include "model/name_table.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <limits>
#include <utility>

#include "base/linear_probing.h"
#include "base/prefetch.h"
#include "base/run_both.h"

namespace marovel {

NameTable::NameTable(const std::vector<std::string_view>& names) {
  std::vector<NameId> ids;
  *this = NameTable(names, ids);
}

NameTable::NameTable(const std::vector<std::string_view>& names,
                     std::vector<NameId>& ids, TwoCores cores) {
  assert(names.size() < std::numeric_limits<NameId>::max());
  // Each name with its position and its first eight bytes as a big-endian
  // number, zero-padded: comparing those numbers compares the prefixes as
  // memcmp does (unsigned bytes), so most comparisons never reach the
  // names, which lie scattered over the loaded document.
  struct Entry {
    uint64_t prefix;
    std::string_view name;
    NameId position;
  };
  std::vector<Entry> sorted;
  sorted.reserve(names.size());
  for (size_t k = 0; k < names.size(); ++k) {
    unsigned char bytes[8] = {};
    if (!names[k].empty())
      std::memcpy(bytes, names[k].data(), std::min<size_t>(8, names[k].size()));
    uint64_t prefix = 0;
    for (const unsigned char byte : bytes) prefix = prefix << 8 | byte;
    sorted.push_back({prefix, names[k], static_cast<NameId>(k)});
  }
  const auto before = [](const Entry& a, const Entry& b) {
    if (a.prefix != b.prefix) return a.prefix < b.prefix;
    return a.name < b.name;
  };
  // Large tables sort their halves on both cores, then merge them.
  const auto middle =
      sorted.begin() + static_cast<ptrdiff_t>(sorted.size() / 2);
  run_both(
      cores.worth(sorted.size()),
      [&] { std::sort(middle, sorted.end(), before); },
      [&] { std::sort(sorted.begin(), middle, before); });
  std::inplace_merge(sorted.begin(), middle, sorted.end(), before);
  size_t total = 0;
  for (const Entry& entry : sorted) total += entry.name.size();
  text_.reserve(total);
  starts_.reserve(sorted.size() + 1);
  ids.resize(names.size());
  // In name order the names and their positions lie anywhere: each is
  // asked for some entries ahead.
  constexpr size_t kAhead = 16;
  for (size_t k = 0; k < sorted.size(); ++k) {
    if (k + kAhead < sorted.size()) {
      prefetch_memory(sorted[k + kAhead].name.data());
      prefetch_memory(&ids[sorted[k + kAhead].position]);
    }
    const std::string_view name = sorted[k].name;
    if (k == 0 || name != sorted[k - 1].name) {
      starts_.push_back(text_.size());
      text_.insert(text_.end(), name.begin(), name.end());
    }
    ids[sorted[k].position] = static_cast<NameId>(starts_.size() - 1);
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

namespace {

uint64_t hash_of(std::string_view name) {
  return std::hash<std::string_view>()(name);
}

}  // namespace

LinearProbing NameTable::probing() const {
  return LinearProbing(std::countr_zero(slots_.size()));
}

void NameTable::build_index() {
  size_t capacity = 2;
  while (capacity < 2 * size()) capacity *= 2;
  slots_.assign(capacity, 0);
  const LinearProbing table = probing();
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
      prefetch_memory(&slots_[homes[k]]);
    }
    for (NameId k = 0; k < count; ++k) {
      const size_t slot =
          table.probe(homes[k], [&](size_t at) { return slots_[at] == 0; });
      slots_[slot] = (hashes[k] >> 32 << 32) | (uint64_t{start + k} + 1);
    }
  }
}

std::optional<NameId> NameTable::find(std::string_view name) const {
  if (slots_.empty()) return std::nullopt;
  return find_hashed(name, hash_of(name));
}

void NameTable::find_all(std::span<const std::string_view> names,
                         std::span<std::optional<NameId>> ids) const {
  assert(names.size() == ids.size());
  if (slots_.empty()) {
    std::fill(ids.begin(), ids.end(), std::nullopt);
    return;
  }
  const LinearProbing table = probing();
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
      prefetch_memory(&slots_[homes[k]]);
    }
    for (size_t k = 0; k < count; ++k) {
      const uint64_t entry = slots_[homes[k]];
      if (entry != 0) prefetch_memory(&starts_[(entry & 0xffffffff) - 1]);
    }
    for (size_t k = 0; k < count; ++k) {
      const uint64_t entry = slots_[homes[k]];
      if (entry != 0)
        prefetch_memory(text_.data() + starts_[(entry & 0xffffffff) - 1]);
    }
    for (size_t k = 0; k < count; ++k)
      ids[start + k] = find_hashed(names[start + k], hashes[k]);
  }
}

std::optional<NameId> NameTable::find_hashed(std::string_view name,
                                             uint64_t hash) const {
  const uint64_t tag = hash >> 32;
  std::optional<NameId> found;
  probing().probe(probing().home(hash), [&](size_t at) {
    const uint64_t entry = slots_[at];
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
