// Aggregates record which input nodes a node stands for. When a rule removes
// a node in favour of another, the survivor takes over the removed node's
// name and everything the removed node stood for.
#ifndef MAROVEL_REDUCE_AGGREGATE_H_
#define MAROVEL_REDUCE_AGGREGATE_H_

#include "model/net_model.h"

namespace marovel {

// Adds `removed` and every member of its aggregate to the aggregate of
// `kept`. `other_kind` is the map of the kind the removed node is not: when
// it holds a node of the same name, that node keeps sharing the aggregate,
// which is copied; otherwise its members move.
void absorb_aggregate(Aggregates& aggregates, NameId kept, NameId removed,
                      const NodeMap& other_kind);

}  // namespace marovel

#endif  // MAROVEL_REDUCE_AGGREGATE_H_
