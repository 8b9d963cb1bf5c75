// How every reader of the format reads the edges a scan delivers: which
// edges join a declared place and transition, in which direction, and where
// the reading stops. marovel's reader and the companion commands' both go
// through read_edges(), each with its own table of names.
#ifndef MAROVEL_NETFILE_EDGE_READING_H_
#define MAROVEL_NETFILE_EDGE_READING_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "netfile/edge_batch.h"

namespace marovel {

// Which lists declare a name: a name may be a place and a transition both.
enum Declared : uint8_t { kAsPlace = 1, kAsTransition = 2 };

// Why the reading of the edges stopped, if it did.
enum class EdgeFault : uint8_t { kNone, kNoFrom, kNoTo, kWrong };

struct EdgeStop {
  EdgeFault fault = EdgeFault::kNone;
  size_t edge = 0;  // the edge at fault, by its index in the batch
};

// Whether an edge whose ends are declared as `source` and `target`
// (Declared bits, 0 for a name no list declares) is an arc that leaves a
// place, or nothing when it joins no place and transition. The source
// decides: declared as a place, the arc leaves it and the target must be a
// transition; otherwise the source must be a transition and the target a
// place.
inline std::optional<bool> arc_leaves_place(uint8_t source, uint8_t target) {
  if (source & kAsPlace) {
    if (!(target & kAsTransition)) return std::nullopt;
    return true;
  }
  if ((source & kAsTransition) && (target & kAsPlace)) return false;
  return std::nullopt;
}

// Reads `batch` in document order up to its first fault, and calls
// emit(edge, source, target, leaves_place) for each edge before it whose
// weight is above 0 (an edge of weight 0 or below enters no arc and creates
// no node). `find_all(names, ids)` sets each of `ids` to the id of the name
// at its place in `names`, or to none; it is asked for the ends of 64 edges
// at once, so that the cache misses of their lookups overlap.
// `declared_as(id)` gives the Declared bits of a name.
template <typename Id, typename FindAll, typename DeclaredAs, typename Emit>
EdgeStop read_edges(const EdgeBatch& batch, const FindAll& find_all,
                    const DeclaredAs& declared_as, Emit&& emit) {
  constexpr size_t kBlock = 64;
  std::string_view ends[2 * kBlock];
  std::optional<Id> ids[2 * kBlock];
  for (size_t start = 0; start < batch.edges.size(); start += kBlock) {
    const size_t count = std::min(kBlock, batch.edges.size() - start);
    size_t read = 0;
    for (; read < count; ++read) {
      const EdgeBatch::Edge& edge = batch.edges[start + read];
      if (edge.missing != MissingEnd::kNone) break;
      ends[2 * read] = batch.from(edge);
      ends[2 * read + 1] = batch.to(edge);
    }
    find_all(std::span<const std::string_view>(ends, 2 * read),
             std::span<std::optional<Id>>(ids, 2 * read));
    for (size_t k = 0; k < read; ++k) {
      const std::optional<Id>& source = ids[2 * k];
      const std::optional<Id>& target = ids[2 * k + 1];
      const std::optional<bool> leaves_place = arc_leaves_place(
          source ? declared_as(*source) : 0, target ? declared_as(*target) : 0);
      if (!leaves_place) return {EdgeFault::kWrong, start + k};
      if (batch.edges[start + k].weight > 0)
        emit(start + k, *source, *target, *leaves_place);
    }
    if (read < count) {
      return {batch.edges[start + read].missing == MissingEnd::kFrom
                  ? EdgeFault::kNoFrom
                  : EdgeFault::kNoTo,
              start + read};
    }
  }
  return {};
}

}  // namespace marovel

#endif  // MAROVEL_NETFILE_EDGE_READING_H_
