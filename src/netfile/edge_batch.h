// The members of an edge list, as a scan delivers them: a batch at a time,
// in document order, each edge with its ends' names (held in the batch's
// own text) and its weight as marovel reads `multiplicity`, with the values
// that reading counts as 1 kept aside for the readers that take weights in
// full.
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

  // A `multiplicity` that is no signed 32-bit number, so that its edge's
  // weight reads as 1: the edge's index in `edges` and the value's place in
  // `text`. Rare; in the order of the edges.
  struct OddWeight {
    uint32_t edge;
    uint32_t begin, size;
  };

  // Edges before this batch in the list.
  size_t first_index = 0;
  std::string text;
  std::vector<Edge> edges;
  std::vector<OddWeight> odd_weights;

  std::string_view from(const Edge& edge) const {
    return std::string_view(text).substr(edge.from_begin, edge.from_size);
  }
  std::string_view to(const Edge& edge) const {
    return std::string_view(text).substr(edge.to_begin, edge.to_size);
  }
  std::string_view value(const OddWeight& weight) const {
    return std::string_view(text).substr(weight.begin, weight.size);
  }
};

}  // namespace marovel

#endif  // MAROVEL_NETFILE_EDGE_BATCH_H_
