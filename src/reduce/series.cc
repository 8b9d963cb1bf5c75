#include "reduce/series.h"

#include <cassert>
#include <optional>
#include <utility>

namespace marovel {
namespace {

bool holds_only(const NodeBag& bag, NodeId id) {
  return bag.size() == bag.count(id);
}

size_t neighbours(const NetNode& node) {
  return node.in.distinct() + node.out.distinct();
}

// Moves every arc of `from`'s bag `bag` (in or out) to `into`'s same bag,
// and points the neighbours' mirror bags `mirror` at `into`: the neighbours
// held `from_id`, they hold `into_id` now, with the weights added to any
// they held already. Skips the neighbour `skipped`; a neighbour that is no
// node (a model made by hand) keeps nothing to point.
void move_arcs(NodeBag NetNode::*bag, NodeBag NetNode::*mirror, NetNode& from,
               NetNode& into, NodeId from_id, NodeId into_id,
               NodeMap& neighbours_map, std::optional<NodeId> skipped) {
  for (const auto& [neighbour, copies] : from.*bag) {
    if (skipped && neighbour == *skipped) continue;
    (into.*bag).insert(neighbour, copies);
    if (NetNode* other = neighbours_map.node(neighbour)) {
      (other->*mirror).erase(from_id);
      (other->*mirror).insert(into_id, copies);
    }
  }
}

}  // namespace

std::optional<SeriesPlaces::Match> SeriesPlaces::at(const NetModel& model,
                                                    NameId t,
                                                    const KeptNames& kept) {
  const NetNode* transition = model.t_map.find(t);
  if (transition == nullptr || transition->in.size() != 1 ||
      transition->out.size() != 1)
    return std::nullopt;
  const NodeId i_id = transition->in.first();
  const NodeId o_id = transition->out.first();
  const NetNode* input = model.p_map.node(i_id);
  if (input == nullptr || input->out.size() != 1) return std::nullopt;
  // Fusing a place with itself erases it, which is sound only when nothing
  // but t feeds it; a loop on a place with other inputs is no series.
  if (i_id == o_id && !holds_only(input->in, model.t_map.id_of(t)))
    return std::nullopt;
  const Match match{model.p_map.name_of(i_id), t, model.p_map.name_of(o_id)};
  if (!kept.spares(erased(match).names())) return std::nullopt;
  return match;
}

bool SeriesPlaces::keeps_removed_record(const NetModel& model,
                                        const Match& match) {
  if (match.kept_place == match.removed_place) return false;
  const NetNode* kept = model.p_map.find(match.kept_place);
  const NetNode* removed = model.p_map.find(match.removed_place);
  return kept != nullptr && removed != nullptr &&
         neighbours(*removed) > kept->in.distinct();
}

void SeriesPlaces::footprint(const NetModel& model, const Match& match,
                             StepFootprint& footprint) {
  const NameId i = match.kept_place;
  const NameId t = match.transition;
  const NameId o = match.removed_place;
  if (i == o) return;  // an isolated loop goes whole
  footprint.touch_place(model, i);
  // The transitions whose bags change: o's, whose bags are to name i, or,
  // when o's record is kept under i's name, i's inputs, whose bags are to
  // name that record.
  const auto touch = [&](NodeId id) {
    const NameId name = model.t_map.name_of(id);
    footprint.touch_transition(model, name);
    footprint.transitions_gained_by_places.push_back(name);
  };
  if (keeps_removed_record(model, match)) {
    for (const auto& [c, copies] : model.p_map.find(i)->in) touch(c);
  } else {
    const NetNode* removed = model.p_map.find(o);
    assert(removed != nullptr);
    const NodeId t_id = model.t_map.id_of(t);
    for (const auto& [b, copies] : removed->out) touch(b);
    for (const auto& [c, copies] : removed->in)
      if (c != t_id) touch(c);
  }
  if (!footprint.touched_transitions.empty())
    footprint.places_gained_by_transitions.push_back(i);
}

bool SeriesPlaces::apply(NetModel& model, const Match& match,
                         FusionMoves moves) {
  const NameId i = match.kept_place;
  const NameId t = match.transition;
  const NameId o = match.removed_place;
  model.aggregates.absorb(i, o, model.t_map.contains(o));
  model.aggregates.absorb(i, t, model.p_map.contains(t));

  NetNode* removed = model.p_map.find(o);
  if (removed == nullptr) return false;
  const bool keep_removed = moves == FusionMoves::kSmallerIntoLarger &&
                            keeps_removed_record(model, match);
  const NodeId i_id = model.p_map.id_of(i);
  const NodeId o_id = model.p_map.id_of(o);
  const NodeId t_id = model.t_map.id_of(t);
  NetNode& kept = model.p_map.at(i);
  // For i == o the walk over o's inputs below would feed the bag it walks.
  assert(i != o || holds_only(removed->in, t_id));

  if (keep_removed) {
    // o's record takes i's inputs (i's only output was t, which goes) and
    // then i's name; o's neighbours keep pointing at it.
    removed->in.erase(t_id);
    move_arcs(&NetNode::in, &NetNode::out, kept, *removed, i_id, o_id,
              model.t_map, std::nullopt);
    model.p_map.erase(i);
    model.p_map.swap_names(i, o);
  } else {
    // Every transition o fed now takes as many tokens from i.
    for (const auto& [b, copies] : removed->out) {
      NetNode& next = model.t_map.at_id(b);
      next.in.erase(o_id);
      next.in.insert(i_id, copies);
    }
    // Every transition that fed o, but t, now feeds i instead.
    move_arcs(&NetNode::in, &NetNode::out, *removed, kept, o_id, i_id,
              model.t_map, t_id);
    // i's only output was the arc to t; o's outputs replace it.
    if (i != o) kept.out = std::move(removed->out);
    model.p_map.erase(o);
  }
  model.t_map.erase(t);
  return true;
}

std::optional<SeriesTransitions::Match> SeriesTransitions::at(
    const NetModel& model, NameId p, const KeptNames& kept) {
  const NetNode* place = model.p_map.find(p);
  if (place == nullptr || place->in.size() != 1 || place->out.size() != 1)
    return std::nullopt;
  const NodeId u_id = place->in.first();
  const NodeId v_id = place->out.first();
  const NetNode* output = model.t_map.node(v_id);
  if (output == nullptr || output->in.size() != 1) return std::nullopt;
  // Fusing a transition with itself erases it, which is sound only when it
  // feeds nothing but p.
  if (u_id == v_id && !holds_only(output->out, model.p_map.id_of(p)))
    return std::nullopt;
  const Match match{model.t_map.name_of(u_id), p, model.t_map.name_of(v_id)};
  if (!kept.spares(erased(match).names())) return std::nullopt;
  return match;
}

bool SeriesTransitions::keeps_removed_record(const NetModel& model,
                                             const Match& match) {
  if (match.kept_transition == match.removed_transition) return false;
  const NetNode* kept = model.t_map.find(match.kept_transition);
  const NetNode* removed = model.t_map.find(match.removed_transition);
  return kept != nullptr && removed != nullptr &&
         removed->out.distinct() > neighbours(*kept);
}

void SeriesTransitions::footprint(const NetModel& model, const Match& match,
                                  StepFootprint& footprint) {
  const NameId u = match.kept_transition;
  const NameId p = match.place;
  const NameId v = match.removed_transition;
  if (u == v) return;  // an isolated loop goes whole
  footprint.touch_transition(model, u);
  // The places whose bags change: v's outputs, or, when v's record is kept
  // under u's name, u's neighbours but p.
  const auto touch = [&](NodeId id) {
    const NameId name = model.p_map.name_of(id);
    footprint.touch_place(model, name);
    footprint.places_gained_by_transitions.push_back(name);
  };
  if (keeps_removed_record(model, match)) {
    const NetNode* kept = model.t_map.find(u);
    const NodeId p_id = model.p_map.id_of(p);
    for (const auto& [a, copies] : kept->in) touch(a);
    for (const auto& [a, copies] : kept->out)
      if (a != p_id) touch(a);
  } else {
    const NetNode* removed = model.t_map.find(v);
    assert(removed != nullptr);
    for (const auto& [a, copies] : removed->out) touch(a);
  }
  if (!footprint.touched_places.empty())
    footprint.transitions_gained_by_places.push_back(u);
}

bool SeriesTransitions::apply(NetModel& model, const Match& match,
                              FusionMoves moves) {
  const NameId u = match.kept_transition;
  const NameId p = match.place;
  const NameId v = match.removed_transition;
  model.aggregates.absorb(u, p, model.t_map.contains(p));
  model.aggregates.absorb(u, v, model.p_map.contains(v));

  const bool keep_removed = moves == FusionMoves::kSmallerIntoLarger &&
                            keeps_removed_record(model, match);
  const NodeId u_id = model.t_map.id_of(u);
  const NodeId v_id = model.t_map.id_of(v);
  const NodeId p_id = model.p_map.id_of(p);
  NetNode& kept = model.t_map.at(u);
  kept.out.erase(p_id);
  NetNode& removed = model.t_map.at(v);
  // For u == v the walk below would feed the bag it walks.
  assert(u != v || removed.out.empty());
  if (keep_removed) {
    // v's record takes u's arcs (v's only input was p, which goes) and
    // then u's name; v's outputs keep pointing at it.
    removed.in.erase(p_id);
    move_arcs(&NetNode::in, &NetNode::out, kept, removed, u_id, v_id,
              model.p_map, std::nullopt);
    move_arcs(&NetNode::out, &NetNode::in, kept, removed, u_id, v_id,
              model.p_map, std::nullopt);
    model.t_map.erase(u);
    model.t_map.swap_names(u, v);
  } else {
    move_arcs(&NetNode::out, &NetNode::in, removed, kept, v_id, u_id,
              model.p_map, std::nullopt);
    model.t_map.erase(v);
  }
  model.p_map.erase(p);
  return true;
}

}  // namespace marovel
