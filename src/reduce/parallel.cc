#include "reduce/parallel.h"

#include <cassert>

namespace marovel {

template <NodeKind kKind>
bool ParallelFusion<kKind>::apply(NetModel& model, const Match& match,
                                  FusionMoves) {
  assert(match.removed != match.kept);
  NodeMap& own = model.nodes(kKind);
  NodeMap& others = model.nodes(other_kind(kKind));
  model.aggregates.absorb(match.kept, match.removed,
                          others.contains(match.removed));
  const NodeId removed = own.id_of(match.removed);
  others.at(match.input).out.erase(removed);
  others.at(match.output).in.erase(removed);
  own.erase(match.removed);
  return true;
}

template struct ParallelFusion<NodeKind::kPlace>;
template struct ParallelFusion<NodeKind::kTransition>;

}  // namespace marovel
