// Builds the model of a net given in code: its lists as a scan found them
// (netfile/named_lists.h) and its arcs by name, each read as an edge of a
// file is (netfile/edge_reading.h) but with its weight in full.
#ifndef MAROVEL_READER_ARC_LIST_H_
#define MAROVEL_READER_ARC_LIST_H_

#include <cstdint>
#include <span>
#include <string_view>

#include "base/status.h"
#include "model/net_model.h"
#include "netfile/input_net.h"

namespace marovel {

struct NamedArc {
  std::string_view source;
  std::string_view target;
  uint64_t weight;  // 0 enters no arc
};

// Fills the empty `model` from the lists of `input`, which a scan filled and
// which has no edge list, and from `arcs`, which stand for its edge list:
// the lists' faults are marovel's (an empty arc list is an empty edge
// list), an arc whose ends are no declared place and transition is a
// "Wrong edge" with the companions' wording as the detail, and weights that
// add up past 2^64 - 1 over the whole net (where fusions could carry them)
// are a kLimit. On success the model is closed and mirrored and `input`
// indexes its members by the model's names, as read_net() leaves them.
Status read_arc_list(std::span<const NamedArc> arcs, NetModel& model,
                     InputNet& input);

}  // namespace marovel

#endif  // MAROVEL_READER_ARC_LIST_H_
