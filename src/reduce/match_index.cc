#include "reduce/match_index.h"

#include <cassert>
#include <iterator>

#include "model/run_both.h"

namespace marovel {
namespace {

bool holds_only(const NameBag& bag, NameId name) {
  return bag.size() == bag.count(name);
}

// The candidacy tests repeat the conditions of the reference searches
// (series_rules.cc, parallel_rules.cc, self_loop_rules.cc) node by node.

std::optional<SeriesPlacesMatch> series_places_at(const NetModel& model,
                                                  NameId t) {
  const NetNode* transition = model.t_map.find(t);
  if (transition == nullptr || transition->in.size() != 1 ||
      transition->out.size() != 1)
    return std::nullopt;
  const NameId i = transition->in.first();
  const NameId o = transition->out.first();
  const NetNode* input = find_node(model.p_map, i);
  if (input == nullptr || input->out.size() != 1) return std::nullopt;
  if (i == o && !holds_only(input->in, t)) return std::nullopt;
  return SeriesPlacesMatch{i, t, o};
}

std::optional<SeriesTransitionsMatch> series_transitions_at(
    const NetModel& model, NameId p) {
  const NetNode* place = model.p_map.find(p);
  if (place == nullptr || place->in.size() != 1 || place->out.size() != 1)
    return std::nullopt;
  const NameId u = place->in.first();
  const NameId v = place->out.first();
  const NetNode* output = find_node(model.t_map, v);
  if (output == nullptr || output->in.size() != 1) return std::nullopt;
  if (u == v && !holds_only(output->out, p)) return std::nullopt;
  return SeriesTransitionsMatch{u, p, v};
}

bool is_loop(const NetNode& node) {
  return node.out.size() == 1 && node.in == node.out;
}

// Finds the first member of `candidates` that `test` accepts, dropping the
// members before it, which no longer match.
template <typename Set, typename Test>
auto first_accepted(Set& candidates, Test test) -> decltype(test(0)) {
  while (!candidates.empty()) {
    const NameId first = candidates.smallest();
    if (auto match = test(first)) return match;
    candidates.erase(first);
  }
  return std::nullopt;
}

// Calls visit(name, node) for every node of `nodes` in name order. The
// nodes lie in memory in that order, but what a visit reads besides lies
// anywhere: the twin group of the node and the neighbour its series
// candidacy looks at (through its output, else its input). Both are asked
// for some nodes ahead, the neighbour's slot before its node.
template <typename Visit>
void walk_ahead(const NodeMap& nodes, const NodeMap& others,
                bool through_output, const TwinGroups* twins, Visit visit) {
  constexpr int kSlotsAhead = 16, kNodesAhead = 8;
  auto neighbour = [through_output](const NetNode& node) {
    return through_output ? node.out.first() : node.in.first();
  };
  auto slots = nodes.begin(), ahead = nodes.begin();
  for (int k = 0; k < kSlotsAhead && slots != nodes.end(); ++k) {
    if (k >= kSlotsAhead - kNodesAhead) ++ahead;
    ++slots;
  }
  for (const auto& [name, node] : nodes) {
    if (slots != nodes.end()) {
      const NetNode& next = (*slots).second;
      if (next.in.size() == 1 && next.out.size() == 1) {
        others.prefetch_slot(neighbour(next));
        if (twins != nullptr) twins->prefetch_group(next);
      }
      ++slots;
    }
    if (ahead != nodes.end()) {
      const NetNode& next = (*ahead).second;
      if (next.in.size() == 1 && next.out.size() == 1)
        others.prefetch_node(neighbour(next));
      ++ahead;
    }
    visit(name, node);
  }
}

}  // namespace

MatchIndex::MatchIndex(const NetModel& model, const RuleSet& rules)
    : model_(model),
      rules_(rules),
      series_places_(model.names.size()),
      series_transitions_(model.names.size()),
      loop_places_(model.names.size()),
      loop_transitions_(model.names.size()),
      parallel_places_(model.names.size(),
                       rules[Rule::kC] ? model.p_map.size() : 0),
      parallel_transitions_(model.names.size(),
                            rules[Rule::kD] ? model.t_map.size() : 0) {
  // The walk over the places fills only what the places are candidates
  // for, the walk over the transitions the rest, and both only read the
  // model: on a large net they run at once.
  run_both(
      model.p_map.size() + model.t_map.size() >= kItemsWorthAThread,
      [&] {
        walk_ahead(
            model.p_map, model.t_map, /*through_output=*/true,
            rules_[Rule::kC] ? &parallel_places_ : nullptr,
            [&](NameId place, const NetNode& node) {
              if (rules_[Rule::kB] && series_transitions_at(model, place))
                series_transitions_.insert(place);
              if (rules_[Rule::kE] && is_loop(node)) loop_places_.insert(place);
              if (rules_[Rule::kC]) parallel_places_.add(place, node);
            });
      },
      [&] {
        walk_ahead(
            model.t_map, model.p_map, /*through_output=*/false,
            rules_[Rule::kD] ? &parallel_transitions_ : nullptr,
            [&](NameId transition, const NetNode& node) {
              if (rules_[Rule::kA] && series_places_at(model, transition))
                series_places_.insert(transition);
              if (rules_[Rule::kF] && is_loop(node))
                loop_transitions_.insert(transition);
              if (rules_[Rule::kD]) parallel_transitions_.add(transition, node);
            });
      });
}

std::optional<SeriesPlacesMatch> MatchIndex::find_series_places() {
  return first_accepted(series_places_,
                        [&](NameId t) { return series_places_at(model_, t); });
}

std::optional<SeriesTransitionsMatch> MatchIndex::find_series_transitions() {
  return first_accepted(series_transitions_, [&](NameId p) {
    return series_transitions_at(model_, p);
  });
}

std::optional<ParallelPlacesMatch> MatchIndex::find_parallel_places() {
  auto twins = parallel_places_.first();
  if (!twins) return std::nullopt;
  if (const auto next = parallel_places_.next_twin())
    prefetch_entries(*next, /*place=*/true);
  // The group's key names the neighbours: the kept node itself need not
  // be read.
  return ParallelPlacesMatch{twins->input, twins->kept, twins->removed,
                             twins->output};
}

std::optional<ParallelTransitionsMatch>
MatchIndex::find_parallel_transitions() {
  auto twins = parallel_transitions_.first();
  if (!twins) return std::nullopt;
  if (const auto next = parallel_transitions_.next_twin())
    prefetch_entries(*next, /*place=*/false);
  return ParallelTransitionsMatch{twins->input, twins->kept, twins->removed,
                                  twins->output};
}

std::optional<SelfLoopPlaceMatch> MatchIndex::find_self_loop_place() {
  auto match = first_accepted(
      loop_places_, [&](NameId q) -> std::optional<SelfLoopPlaceMatch> {
        const NetNode* node = model_.p_map.find(q);
        if (node == nullptr || !is_loop(*node)) return std::nullopt;
        return SelfLoopPlaceMatch{node->in.first(), q};
      });
  if (match) prefetch_next_loop(/*places=*/true);
  return match;
}

std::optional<SelfLoopTransitionMatch> MatchIndex::find_self_loop_transition() {
  auto match =
      first_accepted(loop_transitions_,
                     [&](NameId p) -> std::optional<SelfLoopTransitionMatch> {
                       const NetNode* node = model_.t_map.find(p);
                       if (node == nullptr || !is_loop(*node))
                         return std::nullopt;
                       return SelfLoopTransitionMatch{p, node->in.first()};
                     });
  if (match) prefetch_next_loop(/*places=*/false);
  return match;
}

void MatchIndex::prefetch_next_loop(bool places) const {
  // Loops go in name order, so the next one's own node is near; its
  // neighbour is anywhere, and asked for a step ahead.
  const NodeMap& nodes = places ? model_.p_map : model_.t_map;
  const NodeMap& others = places ? model_.t_map : model_.p_map;
  const TwinGroups& own = places ? parallel_places_ : parallel_transitions_;
  const TwinGroups& other = places ? parallel_transitions_ : parallel_places_;
  const std::optional<NameId> next =
      (places ? loop_places_ : loop_transitions_).next_guess();
  if (!next) return;
  const NetNode* node = nodes.find(*next);
  if (node == nullptr || node->in.size() != 1) return;
  const NameId neighbour = node->in.first();
  others.prefetch_slot(neighbour);
  other.prefetch(neighbour);
  model_.aggregates.prefetch(neighbour);
  own.prefetch_group_of(*next);
}

void MatchIndex::offer_place(NameId place) {
  const NetNode* bags = model_.p_map.find(place);
  assert(bags != nullptr);
  if (rules_[Rule::kB] && series_transitions_at(model_, place))
    series_transitions_.insert(place);
  if (rules_[Rule::kE] && is_loop(*bags)) loop_places_.insert(place);
  if (rules_[Rule::kC]) parallel_places_.add(place, *bags);
  // The one transition whose rule-A candidacy may hang on this place.
  if (rules_[Rule::kA] && bags->out.size() == 1) {
    const NameId t = bags->out.first();
    if (series_places_at(model_, t)) series_places_.insert(t);
  }
}

void MatchIndex::offer_transition(NameId transition) {
  const NetNode* bags = model_.t_map.find(transition);
  assert(bags != nullptr);
  if (rules_[Rule::kA] && series_places_at(model_, transition))
    series_places_.insert(transition);
  if (rules_[Rule::kF] && is_loop(*bags)) loop_transitions_.insert(transition);
  if (rules_[Rule::kD]) parallel_transitions_.add(transition, *bags);
  // The one place whose rule-B candidacy may hang on this transition.
  if (rules_[Rule::kB] && bags->in.size() == 1) {
    const NameId p = bags->in.first();
    if (series_transitions_at(model_, p)) series_transitions_.insert(p);
  }
}

void MatchIndex::drop_place(NameId place) {
  series_transitions_.erase(place);
  loop_places_.erase(place);
  parallel_places_.remove(place);
}

void MatchIndex::drop_transition(NameId transition) {
  series_places_.erase(transition);
  loop_transitions_.erase(transition);
  parallel_transitions_.remove(transition);
}

void MatchIndex::before_step(const StepFootprint& footprint) {
  for (const NameId place : footprint.erased_places) drop_place(place);
  for (const NameId transition : footprint.erased_transitions)
    drop_transition(transition);
  // Their groups may change with their bags.
  for (const NameId place : footprint.touched_places)
    parallel_places_.remove(place);
  for (const NameId transition : footprint.touched_transitions)
    parallel_transitions_.remove(transition);
}

void MatchIndex::after_step(const StepFootprint& footprint) {
  for (const NameId place : footprint.touched_places) offer_place(place);
  for (const NameId transition : footprint.touched_transitions)
    offer_transition(transition);
}

void MatchIndex::prefetch_entries(NameId name, bool place) const {
  // A removed node's name is looked up in both maps (a node of the other
  // kind may bear it).
  model_.p_map.prefetch_slot(name);
  model_.t_map.prefetch_slot(name);
  (place ? parallel_places_ : parallel_transitions_).prefetch(name);
  model_.aggregates.prefetch(name);
}

void MatchIndex::prefetch_names(std::span<const NameId> places,
                                std::span<const NameId> transitions) const {
  // First every entry found by name alone, then what those entries point
  // to: the nodes and the twin groups, then the nodes' bags.
  for (const NameId place : places) prefetch_entries(place, /*place=*/true);
  for (const NameId transition : transitions)
    prefetch_entries(transition, /*place=*/false);
  for (const NameId place : places) {
    model_.p_map.prefetch_node(place);
    parallel_places_.prefetch_group_of(place);
  }
  for (const NameId transition : transitions) {
    model_.t_map.prefetch_node(transition);
    parallel_transitions_.prefetch_group_of(transition);
  }
  for (const NameId place : places) model_.p_map.prefetch_bags(place);
  for (const NameId transition : transitions)
    model_.t_map.prefetch_bags(transition);
}

void MatchIndex::prefetch(const SeriesPlacesMatch& m) const {
  const NameId places[] = {m.kept_place, m.removed_place},
               transitions[] = {m.transition};
  prefetch_names(places, transitions);
}
void MatchIndex::prefetch(const SeriesTransitionsMatch& m) const {
  const NameId places[] = {m.place},
               transitions[] = {m.kept_transition, m.removed_transition};
  prefetch_names(places, transitions);
}
void MatchIndex::prefetch(const ParallelPlacesMatch& m) const {
  const NameId places[] = {m.kept_place, m.removed_place},
               transitions[] = {m.input_transition, m.output_transition};
  prefetch_names(places, transitions);
}
void MatchIndex::prefetch(const ParallelTransitionsMatch& m) const {
  const NameId places[] = {m.input_place, m.output_place},
               transitions[] = {m.kept_transition, m.removed_transition};
  prefetch_names(places, transitions);
}
void MatchIndex::prefetch(const SelfLoopPlaceMatch& m) const {
  const NameId places[] = {m.removed_place}, transitions[] = {m.transition};
  prefetch_names(places, transitions);
}
void MatchIndex::prefetch(const SelfLoopTransitionMatch& m) const {
  const NameId places[] = {m.place}, transitions[] = {m.removed_transition};
  prefetch_names(places, transitions);
}

void MatchIndex::prefetch(const StepFootprint& footprint) const {
  // The nodes a step touches besides its match's are the names the
  // touched nodes gain (rules A and B, which also list the survivor); the
  // match's own were asked for already.
  prefetch_names(footprint.gained_by_transitions, footprint.gained_by_places);
}

size_t MatchIndex::size() const {
  return series_places_.size() + series_transitions_.size() +
         loop_places_.size() + loop_transitions_.size() +
         parallel_places_.size() + parallel_transitions_.size();
}

// Footprints. In a mirrored model the neighbours of a node are the names of
// its bags, so the nodes an application rewrites are read off the match.

namespace {

void touch(const NodeMap& map, NameId name, std::vector<NameId>& touched) {
  assert(map.contains(name));
  if (map.contains(name)) touched.push_back(name);
}

}  // namespace

void footprint_of(const NetModel& model, const SeriesPlacesMatch& match,
                  StepFootprint& footprint) {
  const NameId i = match.kept_place;
  const NameId t = match.transition;
  const NameId o = match.removed_place;
  footprint.erased_places.push_back(o);
  footprint.erased_transitions.push_back(t);
  if (i == o) return;  // an isolated loop goes whole
  touch(model.p_map, i, footprint.touched_places);
  const NetNode* removed = find_node(model.p_map, o);
  assert(removed != nullptr);
  for (const auto& [b, copies] : removed->out) {
    touch(model.t_map, b, footprint.touched_transitions);
    footprint.gained_by_places.push_back(b);
  }
  for (const auto& [c, copies] : removed->in) {
    if (c == t) continue;
    touch(model.t_map, c, footprint.touched_transitions);
    footprint.gained_by_places.push_back(c);
  }
  if (!footprint.touched_transitions.empty())
    footprint.gained_by_transitions.push_back(i);
}

void footprint_of(const NetModel& model, const SeriesTransitionsMatch& match,
                  StepFootprint& footprint) {
  const NameId u = match.kept_transition;
  const NameId p = match.place;
  const NameId v = match.removed_transition;
  footprint.erased_places.push_back(p);
  footprint.erased_transitions.push_back(v);
  if (u == v) return;  // an isolated loop goes whole
  touch(model.t_map, u, footprint.touched_transitions);
  const NetNode* removed = find_node(model.t_map, v);
  assert(removed != nullptr);
  for (const auto& [a, copies] : removed->out) {
    touch(model.p_map, a, footprint.touched_places);
    footprint.gained_by_transitions.push_back(a);
  }
  if (!footprint.touched_places.empty())
    footprint.gained_by_places.push_back(u);
}

void footprint_of(const NetModel& model, const ParallelPlacesMatch& match,
                  StepFootprint& footprint) {
  footprint.erased_places.push_back(match.removed_place);
  touch(model.t_map, match.input_transition, footprint.touched_transitions);
  if (match.output_transition != match.input_transition)
    touch(model.t_map, match.output_transition, footprint.touched_transitions);
}

void footprint_of(const NetModel& model, const ParallelTransitionsMatch& match,
                  StepFootprint& footprint) {
  footprint.erased_transitions.push_back(match.removed_transition);
  touch(model.p_map, match.input_place, footprint.touched_places);
  if (match.output_place != match.input_place)
    touch(model.p_map, match.output_place, footprint.touched_places);
}

void footprint_of(const NetModel& model, const SelfLoopPlaceMatch& match,
                  StepFootprint& footprint) {
  footprint.erased_places.push_back(match.removed_place);
  touch(model.t_map, match.transition, footprint.touched_transitions);
}

void footprint_of(const NetModel& model, const SelfLoopTransitionMatch& match,
                  StepFootprint& footprint) {
  footprint.erased_transitions.push_back(match.removed_transition);
  touch(model.p_map, match.place, footprint.touched_places);
}

}  // namespace marovel
