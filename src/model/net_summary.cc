#include "model/net_summary.h"

#include <vector>

namespace marovel {

NetSize size_of(const NetModel& model) {
  NetSize size{model.p_map.size(), model.t_map.size(), 0};
  for (const NodeKind kind : {NodeKind::kPlace, NodeKind::kTransition})
    for (const auto& [name, node] : model.nodes(kind))
      size.arcs += node.out.distinct();
  return size;
}

std::optional<LargestAggregate> largest_aggregate(const NetModel& model) {
  std::optional<LargestAggregate> largest;
  std::vector<NameId> members;
  for (const NodeKind kind : {NodeKind::kPlace, NodeKind::kTransition}) {
    for (const auto& [name, node] : model.nodes(kind)) {
      size_t count = 1;
      if (model.aggregates.merged(name)) {
        model.aggregates.members(name, members);
        count = members.size();
      }
      if (!largest || count > largest->members)
        largest = LargestAggregate{kind, name, count};
    }
  }
  return largest;
}

}  // namespace marovel
