// Figures of a net for a person to read: how many nodes and arcs it has,
// and which node stands for the most input nodes.
#ifndef MAROVEL_MODEL_NET_SUMMARY_H_
#define MAROVEL_MODEL_NET_SUMMARY_H_

#include <cstddef>
#include <optional>

#include "model/net_model.h"

namespace marovel {

struct NetSize {
  size_t places = 0;
  size_t transitions = 0;
  size_t arcs = 0;  // distinct: parallel arcs count once, whatever the weight
};

NetSize size_of(const NetModel& model);

struct LargestAggregate {
  NodeKind kind;
  NameId name;
  size_t members;  // the input nodes it stands for, itself included
};

// The node that stands for the most input nodes (the first in name order,
// places before transitions, among equals), or none when the model has no
// node.
std::optional<LargestAggregate> largest_aggregate(const NetModel& model);

}  // namespace marovel

#endif  // MAROVEL_MODEL_NET_SUMMARY_H_
