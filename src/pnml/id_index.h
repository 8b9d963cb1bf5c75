// Finds which node or reference of a PNML net an id names. The index holds
// the hashes of all ids sorted; a whole batch of ids is looked up by sorting
// its hashes too and merging the two, so that a batch of any size costs a
// few sequential passes rather than a cache miss or more per id once the net
// outgrows the cache.
#ifndef MAROVEL_PNML_ID_INDEX_H_
#define MAROVEL_PNML_ID_INDEX_H_

#include <cstdint>
#include <memory_resource>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "pnml/pnml_net_parts.h"

namespace marovel {

struct NamedEntry {
  std::string_view id;
  PnmlEntry entry;
};

class IdIndex {
 public:
  // The text the ids view must outlive the index, which takes its memory,
  // and that of what it finds, from `memory`.
  IdIndex(std::pmr::vector<NamedEntry> named,
          std::pmr::memory_resource* memory);

  // The first id, in the order given to the constructor, that an entry
  // before it has too; nothing when every id is unique.
  std::optional<std::string_view> first_repeated() const;

  // What each of `ids` names: the entry of that id (the first one given,
  // should an id be repeated), or nothing.
  std::pmr::vector<std::optional<PnmlEntry>> find_all(
      std::span<const std::string_view> ids) const;

 private:
  struct Record {
    uint64_t hash;
    uint32_t position;  // in named_
  };

  // The entry named `id` among the records whose hash is `hash`.
  std::optional<PnmlEntry> find_in_run(uint64_t hash,
                                       std::string_view id) const;

  std::pmr::memory_resource* memory_;
  std::pmr::vector<NamedEntry> named_;
  std::pmr::vector<Record> records_;  // by hash, then position
};

}  // namespace marovel

#endif  // MAROVEL_PNML_ID_INDEX_H_
