#include "pnml/id_index.h"

#include <algorithm>
#include <functional>
#include <limits>

namespace marovel {
namespace {

constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();

uint64_t hash_of(std::string_view id) {
  return std::hash<std::string_view>{}(id);
}

bool by_hash_then_position(uint64_t hash_a, uint32_t position_a,
                           uint64_t hash_b, uint32_t position_b) {
  return hash_a != hash_b ? hash_a < hash_b : position_a < position_b;
}

}  // namespace

IdIndex::IdIndex(std::pmr::vector<NamedEntry> named,
                 std::pmr::memory_resource* memory)
    : memory_(memory), named_(std::move(named), memory), records_(memory) {
  records_.reserve(named_.size());
  for (size_t i = 0; i < named_.size(); ++i)
    records_.push_back({hash_of(named_[i].id), static_cast<uint32_t>(i)});
  std::sort(
      records_.begin(), records_.end(), [](const Record& a, const Record& b) {
        return by_hash_then_position(a.hash, a.position, b.hash, b.position);
      });
}

std::optional<std::string_view> IdIndex::first_repeated() const {
  uint32_t first = kNone;
  // Equal ids have equal hashes, so they meet within a run of equal
  // hashes, where records come in the given order.
  for (size_t start = 0; start < records_.size();) {
    size_t end = start + 1;
    while (end < records_.size() && records_[end].hash == records_[start].hash)
      ++end;
    for (size_t later = start + 1; later < end; ++later)
      for (size_t earlier = start; earlier < later; ++earlier)
        if (named_[records_[earlier].position].id ==
            named_[records_[later].position].id) {
          first = std::min(first, records_[later].position);
          break;
        }
    start = end;
  }
  if (first == kNone) return std::nullopt;
  return named_[first].id;
}

std::optional<PnmlEntry> IdIndex::find_in_run(uint64_t hash,
                                              std::string_view id) const {
  auto at = std::lower_bound(
      records_.begin(), records_.end(), hash,
      [](const Record& record, uint64_t h) { return record.hash < h; });
  for (; at != records_.end() && at->hash == hash; ++at)
    if (named_[at->position].id == id) return named_[at->position].entry;
  return std::nullopt;
}

std::pmr::vector<std::optional<PnmlEntry>> IdIndex::find_all(
    std::span<const std::string_view> ids) const {
  struct Query {
    uint64_t hash;
    uint32_t index;  // in ids
  };
  std::pmr::vector<Query> queries(memory_);
  queries.reserve(ids.size());
  for (size_t i = 0; i < ids.size(); ++i)
    queries.push_back({hash_of(ids[i]), static_cast<uint32_t>(i)});
  std::sort(queries.begin(), queries.end(), [](const Query& a, const Query& b) {
    return by_hash_then_position(a.hash, a.index, b.hash, b.index);
  });

  // Each id's candidate: the first entry with its hash.
  std::pmr::vector<uint32_t> candidates(ids.size(), kNone, memory_);
  size_t r = 0;
  for (const Query& query : queries) {
    while (r < records_.size() && records_[r].hash < query.hash) ++r;
    if (r < records_.size() && records_[r].hash == query.hash)
      candidates[query.index] = records_[r].position;
  }

  // Checked in the caller's order, which mostly follows the order of the
  // entries themselves; only a hash shared by different ids takes a search.
  std::pmr::vector<std::optional<PnmlEntry>> found(ids.size(), memory_);
  for (size_t i = 0; i < ids.size(); ++i) {
    const uint32_t candidate = candidates[i];
    if (candidate == kNone) continue;
    if (named_[candidate].id == ids[i])
      found[i] = named_[candidate].entry;
    else
      found[i] = find_in_run(hash_of(ids[i]), ids[i]);
  }
  return found;
}

}  // namespace marovel
