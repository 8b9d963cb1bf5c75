#include "reduce/parallel.h"

#include <cassert>

#include "reduce/aggregate.h"

namespace marovel {

template <NodeKind kKind>
bool ParallelFusion<kKind>::apply(NetModel& model, const Match& match,
                                  FusionMoves) {
  assert(match.removed != match.kept);
  NodeMap& own = model.nodes(kKind);
  NodeMap& others = model.nodes(other_kind(kKind));
  absorb_aggregate(model.aggregates, match.kept, match.removed, others);
  const NodeId removed = own.id_of(match.removed);
  others.at(match.input).out.erase(removed);
  others.at(match.output).in.erase(removed);
  own.erase(match.removed);
  return true;
}

template struct ParallelFusion<NodeKind::kPlace>;
template struct ParallelFusion<NodeKind::kTransition>;

}  // namespace marovel
