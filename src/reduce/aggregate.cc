#include "reduce/aggregate.h"

#include <string>

namespace marovel {

void absorb_aggregate(AggregateMap& aggregates, std::string_view kept,
                      std::string_view removed) {
  AggregateSet& into = aggregate_at(aggregates, kept);
  into.insert(std::string(removed));
  // A place and a transition of the same name share one set.
  if (kept == removed) return;
  auto it = aggregates.find(removed);
  if (it != aggregates.end()) into.insert(it->second.begin(), it->second.end());
}

}  // namespace marovel
