#include "reduce/self_loop_rules.h"

#include <utility>

#include "reduce/aggregate.h"
#include "reduce/reduction_log.h"

namespace marovel {
namespace {

// The first node, in name order, whose one output arc of weight 1 goes to
// the node its one input arc comes from; returns its name and neighbour.
std::optional<std::pair<NameId, NameId>> find_loop(const NodeMap& nodes) {
  for (const auto& [name, node] : nodes) {
    if (node.out.size() == 1 && node.in == node.out)
      return std::pair{name, node.in.first()};
  }
  return std::nullopt;
}

// Drops both arcs between `removed` and its neighbour, on the neighbour's
// side; the removed node's own entry goes with it.
void drop_loop(NodeMap& removed_map, NodeMap& neighbour_map,
               const NameId removed, const NameId neighbour) {
  NetNode& kept = node_at(neighbour_map, neighbour);
  kept.out.erase(removed);
  kept.in.erase(removed);
  removed_map.erase(removed);
}

}  // namespace

std::optional<SelfLoopPlaceMatch> find_self_loop_place(const NetModel& model) {
  auto loop = find_loop(model.p_map);
  if (!loop) return std::nullopt;
  return SelfLoopPlaceMatch{loop->second, loop->first};
}

void apply_self_loop_place(NetModel& model, const SelfLoopPlaceMatch& match,
                           std::ostream* log) {
  absorb_aggregate(model.aggregates, match.transition, match.removed_place,
                   model.t_map);
  drop_loop(model.p_map, model.t_map, match.removed_place, match.transition);
  write_log_line(log, 'E', model.names,
                 {match.transition, match.removed_place});
}

bool remove_self_loop_place(NetModel& model, std::ostream* log) {
  std::optional<SelfLoopPlaceMatch> match = find_self_loop_place(model);
  if (!match) return false;
  apply_self_loop_place(model, *match, log);
  return true;
}

std::optional<SelfLoopTransitionMatch> find_self_loop_transition(
    const NetModel& model) {
  auto loop = find_loop(model.t_map);
  if (!loop) return std::nullopt;
  return SelfLoopTransitionMatch{loop->first, loop->second};
}

void apply_self_loop_transition(NetModel& model,
                                const SelfLoopTransitionMatch& match,
                                std::ostream* log) {
  absorb_aggregate(model.aggregates, match.place, match.removed_transition,
                   model.p_map);
  drop_loop(model.t_map, model.p_map, match.removed_transition, match.place);
  write_log_line(log, 'F', model.names,
                 {match.removed_transition, match.place});
}

bool remove_self_loop_transition(NetModel& model, std::ostream* log) {
  std::optional<SelfLoopTransitionMatch> match =
      find_self_loop_transition(model);
  if (!match) return false;
  apply_self_loop_transition(model, *match, log);
  return true;
}

}  // namespace marovel
