// Aggregates record which input nodes a node stands for. When a rule removes
// a node in favour of another, the survivor takes over the removed node's
// name and everything the removed node stood for.
#ifndef MAROVEL_REDUCE_AGGREGATE_H_
#define MAROVEL_REDUCE_AGGREGATE_H_

#include <string_view>

#include "model/net_model.h"

namespace marovel {

// Adds `removed` and every member of its aggregate set to the set of `kept`.
// The set of `removed` is only read; a missing one counts as empty.
void absorb_aggregate(AggregateMap& aggregates, std::string_view kept,
                      std::string_view removed);

}  // namespace marovel

#endif  // MAROVEL_REDUCE_AGGREGATE_H_
