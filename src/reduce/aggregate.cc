#include "reduce/aggregate.h"

#include <string>

namespace marovel {

void absorb_aggregate(AggregateMap& aggregates, std::string_view kept,
                      std::string_view removed, const NodeMap& other_kind) {
  AggregateSet& into = aggregate_at(aggregates, kept);
  // A place and a transition of the same name share one set.
  if (kept != removed) {
    const auto it = aggregates.find(removed);
    if (it != aggregates.end()) {
      AggregateSet& from = it->second;
      if (other_kind.contains(removed)) {
        into.insert(from.begin(), from.end());
      } else {
        if (from.size() > into.size()) into.swap(from);
        into.merge(from);
        from.clear();
      }
    }
  }
  if (!into.contains(removed)) into.emplace(removed);
}

}  // namespace marovel
