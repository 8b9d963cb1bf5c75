#include "reduce/self_loop.h"

#include "reduce/aggregate.h"

namespace marovel {

template <NodeKind kKind>
bool SelfLoopRemoval<kKind>::apply(NetModel& model, const Match& match,
                                   FusionMoves) {
  NodeMap& own = model.nodes(kKind);
  NodeMap& others = model.nodes(other_kind(kKind));
  absorb_aggregate(model.aggregates, match.neighbour, match.removed, others);
  const NodeId removed = own.id_of(match.removed);
  NetNode& kept = others.at(match.neighbour);
  kept.out.erase(removed);
  kept.in.erase(removed);
  own.erase(match.removed);
  return true;
}

template struct SelfLoopRemoval<NodeKind::kPlace>;
template struct SelfLoopRemoval<NodeKind::kTransition>;

}  // namespace marovel
