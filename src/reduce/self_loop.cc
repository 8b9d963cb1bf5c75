#include "reduce/self_loop.h"

#include "reduce/aggregate.h"

namespace marovel {

template <NodeKind kKind>
bool SelfLoopRemoval<kKind>::apply(NetModel& model, const Match& match) {
  NodeMap& others = model.nodes(other_kind(kKind));
  absorb_aggregate(model.aggregates, match.neighbour, match.removed, others);
  NetNode& kept = others.at(match.neighbour);
  kept.out.erase(match.removed);
  kept.in.erase(match.removed);
  model.nodes(kKind).erase(match.removed);
  return true;
}

template struct SelfLoopRemoval<NodeKind::kPlace>;
template struct SelfLoopRemoval<NodeKind::kTransition>;

}  // namespace marovel
