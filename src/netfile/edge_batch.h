// The members of an edge list, as a scan delivers them: a batch at a time,
// in document order, each edge with its ends' names (held in the batch's
// own text) and its weight as marovel reads `multiplicity`.
#ifndef MAROVEL_NETFILE_EDGE_BATCH_H_
#define MAROVEL_NETFILE_EDGE_BATCH_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace marovel {

// Which end a member lacks; a member that is no element lacks both.
enum class MissingEnd : uint8_t { kNone, kFrom, kTo };

struct EdgeBatch {
  struct Edge {
    uint32_t from_begin, from_size;
    uint32_t to_begin, to_size;
    int32_t weight;  // a `multiplicity` that does not read counts as 1
    MissingEnd missing;
  };

  // Edges before this batch in the list.
  size_t first_index = 0;
  std::string text;
  std::vector<Edge> edges;

  std::string_view from(const Edge& edge) const {
    return std::string_view(text).substr(edge.from_begin, edge.from_size);
  }
  std::string_view to(const Edge& edge) const {
    return std::string_view(text).substr(edge.to_begin, edge.to_size);
  }
};

}  // namespace marovel

#endif  // MAROVEL_NETFILE_EDGE_BATCH_H_
