#include "reduce/series.h"

#include <cassert>
#include <utility>

#include "reduce/aggregate.h"

namespace marovel {
namespace {

bool holds_only(const NameBag& bag, NameId name) {
  return bag.size() == bag.count(name);
}

}  // namespace

std::optional<SeriesPlaces::Match> SeriesPlaces::at(const NetModel& model,
                                                    NameId t) {
  const NetNode* transition = model.t_map.find(t);
  if (transition == nullptr || transition->in.size() != 1 ||
      transition->out.size() != 1)
    return std::nullopt;
  const NameId i = transition->in.first();
  const NameId o = transition->out.first();
  const NetNode* input = model.p_map.find(i);
  if (input == nullptr || input->out.size() != 1) return std::nullopt;
  // Fusing a place with itself erases it, which is sound only when nothing
  // but t feeds it; a loop on a place with other inputs is no series.
  if (i == o && !holds_only(input->in, t)) return std::nullopt;
  return Match{i, t, o};
}

void SeriesPlaces::footprint(const NetModel& model, const Match& match,
                             StepFootprint& footprint) {
  const NameId i = match.kept_place;
  const NameId t = match.transition;
  const NameId o = match.removed_place;
  footprint.erased_places.push_back(o);
  footprint.erased_transitions.push_back(t);
  if (i == o) return;  // an isolated loop goes whole
  footprint.touch_place(model, i);
  const NetNode* removed = model.p_map.find(o);
  assert(removed != nullptr);
  for (const auto& [b, copies] : removed->out) {
    footprint.touch_transition(model, b);
    footprint.gained_by_places.push_back(b);
  }
  for (const auto& [c, copies] : removed->in) {
    if (c == t) continue;
    footprint.touch_transition(model, c);
    footprint.gained_by_places.push_back(c);
  }
  if (!footprint.touched_transitions.empty())
    footprint.gained_by_transitions.push_back(i);
}

bool SeriesPlaces::apply(NetModel& model, const Match& match) {
  const NameId i = match.kept_place;
  const NameId t = match.transition;
  const NameId o = match.removed_place;
  absorb_aggregate(model.aggregates, i, o, model.t_map);
  absorb_aggregate(model.aggregates, i, t, model.p_map);

  NetNode* removed = model.p_map.find(o);
  if (removed == nullptr) return false;
  NetNode& kept = model.p_map.at(i);
  // For i == o the walk over o's inputs below would feed the bag it walks.
  assert(i != o || holds_only(removed->in, t));

  // Every transition o fed now takes as many tokens from i.
  for (const auto& [b, copies] : removed->out) {
    NetNode& next = model.t_map.at(b);
    next.in.erase(o);
    next.in.insert(i, copies);
  }
  // Every transition that fed o, but t, now feeds i instead.
  for (const auto& [c, copies] : removed->in) {
    if (c == t) continue;
    kept.in.insert(c, copies);
    if (NetNode* source = model.t_map.find(c)) {
      source->out.erase(o);
      source->out.insert(i, copies);
    }
  }
  // i's only output was the arc to t; o's outputs replace it.
  if (i != o) kept.out = std::move(removed->out);

  model.p_map.erase(o);
  model.t_map.erase(t);
  return true;
}

std::optional<SeriesTransitions::Match> SeriesTransitions::at(
    const NetModel& model, NameId p) {
  const NetNode* place = model.p_map.find(p);
  if (place == nullptr || place->in.size() != 1 || place->out.size() != 1)
    return std::nullopt;
  const NameId u = place->in.first();
  const NameId v = place->out.first();
  const NetNode* output = model.t_map.find(v);
  if (output == nullptr || output->in.size() != 1) return std::nullopt;
  // Fusing a transition with itself erases it, which is sound only when it
  // feeds nothing but p.
  if (u == v && !holds_only(output->out, p)) return std::nullopt;
  return Match{u, p, v};
}

void SeriesTransitions::footprint(const NetModel& model, const Match& match,
                                  StepFootprint& footprint) {
  const NameId u = match.kept_transition;
  const NameId p = match.place;
  const NameId v = match.removed_transition;
  footprint.erased_places.push_back(p);
  footprint.erased_transitions.push_back(v);
  if (u == v) return;  // an isolated loop goes whole
  footprint.touch_transition(model, u);
  const NetNode* removed = model.t_map.find(v);
  assert(removed != nullptr);
  for (const auto& [a, copies] : removed->out) {
    footprint.touch_place(model, a);
    footprint.gained_by_transitions.push_back(a);
  }
  if (!footprint.touched_places.empty())
    footprint.gained_by_places.push_back(u);
}

bool SeriesTransitions::apply(NetModel& model, const Match& match) {
  const NameId u = match.kept_transition;
  const NameId p = match.place;
  const NameId v = match.removed_transition;
  absorb_aggregate(model.aggregates, u, p, model.t_map);
  absorb_aggregate(model.aggregates, u, v, model.p_map);

  NetNode& kept = model.t_map.at(u);
  kept.out.erase(p);
  const NetNode& removed = model.t_map.at(v);
  // For u == v the walk below would feed the bag it walks.
  assert(u != v || removed.out.empty());
  for (const auto& [a, copies] : removed.out) {
    kept.out.insert(a, copies);
    if (NetNode* target = model.p_map.find(a)) {
      target->in.erase(v);
      target->in.insert(u, copies);
    }
  }

  model.t_map.erase(v);
  model.p_map.erase(p);
  return true;
}

}  // namespace marovel
