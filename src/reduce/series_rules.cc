#include "reduce/series_rules.h"

#include <cassert>
#include <ostream>
#include <utility>

#include "reduce/aggregate.h"
#include "reduce/reduction_log.h"

namespace marovel {
namespace {

bool holds_only(const NameBag& bag, NameId name) {
  return bag.size() == bag.count(name);
}

}  // namespace

std::optional<SeriesPlacesMatch> find_series_places(const NetModel& model) {
  for (const auto& [t, transition] : model.t_map) {
    if (transition.in.size() != 1 || transition.out.size() != 1) continue;
    const NameId i = transition.in.first();
    const NameId o = transition.out.first();
    const NetNode* input = find_node(model.p_map, i);
    if (input == nullptr || input->out.size() != 1) continue;
    // Fusing a place with itself erases it, which is sound only when nothing
    // but t feeds it; a loop on a place with other inputs is no series.
    if (i == o && !holds_only(input->in, t)) continue;
    return SeriesPlacesMatch{i, t, o};
  }
  return std::nullopt;
}

bool apply_series_places(NetModel& model, const SeriesPlacesMatch& match,
                         std::ostream* log, std::ostream& out) {
  const NameId i = match.kept_place;
  const NameId t = match.transition;
  const NameId o = match.removed_place;
  absorb_aggregate(model.aggregates, i, o, model.t_map);
  absorb_aggregate(model.aggregates, i, t, model.p_map);

  NetNode* removed = find_node(model.p_map, o);
  if (removed == nullptr) {
    out << "\n missing place_j!\n";
    return false;
  }
  NetNode& kept = node_at(model.p_map, i);
  // For i == o the walk over o's inputs below would feed the bag it walks.
  assert(i != o || holds_only(removed->in, t));

  // Every transition o fed now takes as many tokens from i.
  for (const auto& [b, copies] : removed->out) {
    NetNode& next = node_at(model.t_map, b);
    next.in.erase(o);
    next.in.insert(i, copies);
  }
  // Every transition that fed o, but t, now feeds i instead.
  for (const auto& [c, copies] : removed->in) {
    if (c == t) continue;
    kept.in.insert(c, copies);
    if (NetNode* source = find_node(model.t_map, c)) {
      source->out.erase(o);
      source->out.insert(i, copies);
    }
  }
  // i's only output was the arc to t; o's outputs replace it.
  if (i != o) kept.out = std::move(removed->out);

  model.p_map.erase(o);
  model.t_map.erase(t);
  write_log_line(log, 'A', model.names, {i, t, o});
  return true;
}

bool fuse_series_places(NetModel& model, std::ostream* log, std::ostream& out) {
  std::optional<SeriesPlacesMatch> match = find_series_places(model);
  return match && apply_series_places(model, *match, log, out);
}

std::optional<SeriesTransitionsMatch> find_series_transitions(
    const NetModel& model) {
  for (const auto& [p, place] : model.p_map) {
    if (place.in.size() != 1 || place.out.size() != 1) continue;
    const NameId u = place.in.first();
    const NameId v = place.out.first();
    const NetNode* output = find_node(model.t_map, v);
    if (output == nullptr || output->in.size() != 1) continue;
    // Fusing a transition with itself erases it, which is sound only when it
    // feeds nothing but p.
    if (u == v && !holds_only(output->out, p)) continue;
    return SeriesTransitionsMatch{u, p, v};
  }
  return std::nullopt;
}

void apply_series_transitions(NetModel& model,
                              const SeriesTransitionsMatch& match,
                              std::ostream* log) {
  const NameId u = match.kept_transition;
  const NameId p = match.place;
  const NameId v = match.removed_transition;
  absorb_aggregate(model.aggregates, u, p, model.t_map);
  absorb_aggregate(model.aggregates, u, v, model.p_map);

  NetNode& kept = node_at(model.t_map, u);
  kept.out.erase(p);
  const NetNode& removed = node_at(model.t_map, v);
  // For u == v the walk below would feed the bag it walks.
  assert(u != v || removed.out.empty());
  for (const auto& [a, copies] : removed.out) {
    kept.out.insert(a, copies);
    if (NetNode* target = find_node(model.p_map, a)) {
      target->in.erase(v);
      target->in.insert(u, copies);
    }
  }

  model.t_map.erase(v);
  model.p_map.erase(p);
  write_log_line(log, 'B', model.names, {u, p, v});
}

bool fuse_series_transitions(NetModel& model, std::ostream* log) {
  std::optional<SeriesTransitionsMatch> match = find_series_transitions(model);
  if (!match) return false;
  apply_series_transitions(model, *match, log);
  return true;
}

}  // namespace marovel
