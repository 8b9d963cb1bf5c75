#include "reduce/aggregate.h"

namespace marovel {

void absorb_aggregate(Aggregates& aggregates, NameId kept, NameId removed,
                      const NodeMap& other_kind) {
  aggregates.absorb(kept, removed, other_kind.contains(removed));
}

}  // namespace marovel
