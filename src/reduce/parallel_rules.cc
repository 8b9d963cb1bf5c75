#include "reduce/parallel_rules.h"

#include <cassert>

#include "reduce/aggregate.h"
#include "reduce/reduction_log.h"

namespace marovel {
namespace {

struct Twins {
  NameId kept;
  const NetNode* kept_node;
  NameId removed;
};

// The first node with one input and one output of weight 1 that has a twin
// (same bags), paired with its first twin. Every candidate is compared with
// the whole map, in name order.
std::optional<Twins> find_twins(const NodeMap& nodes) {
  for (const auto& [kept, node] : nodes) {
    if (node.in.size() != 1 || node.out.size() != 1) continue;
    for (const auto& [other, twin] : nodes) {
      if (other != kept && twin.out == node.out && twin.in == node.in)
        return Twins{kept, &node, other};
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<ParallelPlacesMatch> find_parallel_places(const NetModel& model) {
  std::optional<Twins> twins = find_twins(model.p_map);
  if (!twins) return std::nullopt;
  return ParallelPlacesMatch{twins->kept_node->in.first(), twins->kept,
                             twins->removed, twins->kept_node->out.first()};
}

void apply_parallel_places(NetModel& model, const ParallelPlacesMatch& match,
                           std::ostream* log) {
  const NameId p = match.removed_place;
  assert(p != match.kept_place);
  absorb_aggregate(model.aggregates, match.kept_place, p, model.t_map);
  node_at(model.t_map, match.input_transition).out.erase(p);
  node_at(model.t_map, match.output_transition).in.erase(p);
  model.p_map.erase(p);
  write_log_line(
      log, 'C', model.names,
      {match.input_transition, match.kept_place, p, match.output_transition});
}

bool fuse_parallel_places(NetModel& model, std::ostream* log) {
  std::optional<ParallelPlacesMatch> match = find_parallel_places(model);
  if (!match) return false;
  apply_parallel_places(model, *match, log);
  return true;
}

std::optional<ParallelTransitionsMatch> find_parallel_transitions(
    const NetModel& model) {
  std::optional<Twins> twins = find_twins(model.t_map);
  if (!twins) return std::nullopt;
  return ParallelTransitionsMatch{twins->kept_node->in.first(), twins->kept,
                                  twins->removed,
                                  twins->kept_node->out.first()};
}

void apply_parallel_transitions(NetModel& model,
                                const ParallelTransitionsMatch& match,
                                std::ostream* log) {
  const NameId s = match.removed_transition;
  assert(s != match.kept_transition);
  absorb_aggregate(model.aggregates, match.kept_transition, s, model.p_map);
  node_at(model.p_map, match.input_place).out.erase(s);
  node_at(model.p_map, match.output_place).in.erase(s);
  model.t_map.erase(s);
  write_log_line(
      log, 'D', model.names,
      {match.input_place, match.kept_transition, s, match.output_place});
}

bool fuse_parallel_transitions(NetModel& model, std::ostream* log) {
  std::optional<ParallelTransitionsMatch> match =
      find_parallel_transitions(model);
  if (!match) return false;
  apply_parallel_transitions(model, *match, log);
  return true;
}

}  // namespace marovel
