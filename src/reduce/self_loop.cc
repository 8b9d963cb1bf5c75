#include "reduce/self_loop.h"

namespace marovel {

template <NodeKind kKind>
bool SelfLoopRemoval<kKind>::apply(NetModel& model, const Match& match,
                                   FusionMoves) {
  NodeMap& own = model.nodes(kKind);
  NodeMap& others = model.nodes(other_kind(kKind));
  model.aggregates.absorb(match.neighbour, match.removed,
                          others.contains(match.removed));
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
