#include "reduce/aggregate.h"

#include <cassert>

namespace marovel {

void absorb_aggregate(AggregateMap& aggregates, NameId kept, NameId removed,
                      const NodeMap& other_kind) {
  assert(kept < aggregates.size() && removed < aggregates.size());
  AggregateSet& into = aggregates[kept];
  // A place and a transition of the same name share one set.
  if (kept != removed) {
    AggregateSet& from = aggregates[removed];
    if (other_kind.contains(removed)) {
      into.insert(from.begin(), from.end());
    } else {
      if (from.size() > into.size()) into.swap(from);
      into.merge(from);
      from.clear();
    }
  }
  into.insert(removed);
}

}  // namespace marovel
