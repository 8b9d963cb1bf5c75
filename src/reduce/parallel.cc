#include "reduce/parallel.h"

#include <cassert>

#include "reduce/aggregate.h"

namespace marovel {

template <NodeKind kKind>
bool ParallelFusion<kKind>::apply(NetModel& model, const Match& match) {
  assert(match.removed != match.kept);
  NodeMap& others = model.nodes(other_kind(kKind));
  absorb_aggregate(model.aggregates, match.kept, match.removed, others);
  others.at(match.input).out.erase(match.removed);
  others.at(match.output).in.erase(match.removed);
  model.nodes(kKind).erase(match.removed);
  return true;
}

template struct ParallelFusion<NodeKind::kPlace>;
template struct ParallelFusion<NodeKind::kTransition>;

}  // namespace marovel
