#include "reduce/match_index.h"

#include <cassert>
#include <iterator>

namespace marovel {
namespace {

bool holds_only(const NameBag& bag, std::string_view name) {
  return bag.size() == bag.count(name);
}

const NodeEntry* entry_of(const NodeMap& map, std::string_view name) {
  auto it = map.find(name);
  return it == map.end() ? nullptr : &*it;
}

// The candidacy tests repeat the conditions of the reference searches
// (series_rules.cc, parallel_rules.cc, self_loop_rules.cc) node by node.

std::optional<SeriesPlacesMatch> series_places_at(const NetModel& model,
                                                  const NodeEntry& entry) {
  const auto& [t, transition] = entry;
  if (transition.in.size() != 1 || transition.out.size() != 1)
    return std::nullopt;
  const std::string& i = transition.in.first();
  const std::string& o = transition.out.first();
  const NetNode* input = find_node(model.p_map, i);
  if (input == nullptr || input->out.size() != 1) return std::nullopt;
  if (i == o && !holds_only(input->in, t)) return std::nullopt;
  return SeriesPlacesMatch{i, t, o};
}

std::optional<SeriesTransitionsMatch> series_transitions_at(
    const NetModel& model, const NodeEntry& entry) {
  const auto& [p, place] = entry;
  if (place.in.size() != 1 || place.out.size() != 1) return std::nullopt;
  const std::string& u = place.in.first();
  const std::string& v = place.out.first();
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
auto first_accepted(Set& candidates, Test test) -> decltype(test(nullptr)) {
  while (!candidates.empty()) {
    if (auto match = test(*candidates.begin())) return match;
    candidates.erase(candidates.begin());
  }
  return std::nullopt;
}

}  // namespace

void MatchIndex::TwinGroups::add(const NodeEntry* node,
                                 const NodeMap& neighbours) {
  const NetNode& bags = node->second;
  if (bags.in.size() != 1 || bags.out.size() != 1) return;
  const Key key{entry_of(neighbours, bags.in.first()),
                entry_of(neighbours, bags.out.first())};
  // A closed model: every neighbour is a node.
  assert(key.first != nullptr && key.second != nullptr);
  Candidates& group = groups_[key];
  if (group.size() >= 2) heads_.erase(*group.begin());
  group.insert(node);
  if (group.size() >= 2) heads_.insert(*group.begin());
  group_of_.emplace(node, key);
}

void MatchIndex::TwinGroups::remove(const NodeEntry* node) {
  auto member = group_of_.find(node);
  if (member == group_of_.end()) return;
  auto group = groups_.find(member->second);
  assert(group != groups_.end());
  Candidates& members = group->second;
  if (members.size() >= 2) heads_.erase(*members.begin());
  members.erase(node);
  if (members.size() >= 2) heads_.insert(*members.begin());
  if (members.empty()) groups_.erase(group);
  group_of_.erase(member);
}

std::optional<std::pair<const NodeEntry*, const NodeEntry*>>
MatchIndex::TwinGroups::first() const {
  if (heads_.empty()) return std::nullopt;
  const NodeEntry* kept = *heads_.begin();
  const Candidates& members = groups_.at(group_of_.at(kept));
  assert(members.size() >= 2 && *members.begin() == kept);
  return std::pair{kept, *std::next(members.begin())};
}

MatchIndex::MatchIndex(const NetModel& model, const RuleSet& rules)
    : model_(model), rules_(rules) {
  // Both maps are walked in name order, so every insertion goes at the end.
  for (const NodeEntry& place : model.p_map) {
    if (rules_[Rule::kB] && series_transitions_at(model, place))
      series_transitions_.insert(series_transitions_.end(), &place);
    if (rules_[Rule::kE] && is_loop(place.second))
      loop_places_.insert(loop_places_.end(), &place);
    if (rules_[Rule::kC]) parallel_places_.add(&place, model.t_map);
  }
  for (const NodeEntry& transition : model.t_map) {
    if (rules_[Rule::kA] && series_places_at(model, transition))
      series_places_.insert(series_places_.end(), &transition);
    if (rules_[Rule::kF] && is_loop(transition.second))
      loop_transitions_.insert(loop_transitions_.end(), &transition);
    if (rules_[Rule::kD]) parallel_transitions_.add(&transition, model.p_map);
  }
}

std::optional<SeriesPlacesMatch> MatchIndex::find_series_places() {
  return first_accepted(series_places_, [&](const NodeEntry* t) {
    return series_places_at(model_, *t);
  });
}

std::optional<SeriesTransitionsMatch> MatchIndex::find_series_transitions() {
  return first_accepted(series_transitions_, [&](const NodeEntry* p) {
    return series_transitions_at(model_, *p);
  });
}

std::optional<ParallelPlacesMatch> MatchIndex::find_parallel_places() const {
  auto twins = parallel_places_.first();
  if (!twins) return std::nullopt;
  const auto& [q, kept] = *twins->first;
  return ParallelPlacesMatch{kept.in.first(), q, twins->second->first,
                             kept.out.first()};
}

std::optional<ParallelTransitionsMatch> MatchIndex::find_parallel_transitions()
    const {
  auto twins = parallel_transitions_.first();
  if (!twins) return std::nullopt;
  const auto& [r, kept] = *twins->first;
  return ParallelTransitionsMatch{kept.in.first(), r, twins->second->first,
                                  kept.out.first()};
}

std::optional<SelfLoopPlaceMatch> MatchIndex::find_self_loop_place() {
  return first_accepted(
      loop_places_,
      [](const NodeEntry* q) -> std::optional<SelfLoopPlaceMatch> {
        if (!is_loop(q->second)) return std::nullopt;
        return SelfLoopPlaceMatch{q->second.in.first(), q->first};
      });
}

std::optional<SelfLoopTransitionMatch> MatchIndex::find_self_loop_transition() {
  return first_accepted(
      loop_transitions_,
      [](const NodeEntry* p) -> std::optional<SelfLoopTransitionMatch> {
        if (!is_loop(p->second)) return std::nullopt;
        return SelfLoopTransitionMatch{p->first, p->second.in.first()};
      });
}

void MatchIndex::offer_place(const NodeEntry* place) {
  const NetNode& bags = place->second;
  if (rules_[Rule::kB] && series_transitions_at(model_, *place))
    series_transitions_.insert(place);
  if (rules_[Rule::kE] && is_loop(bags)) loop_places_.insert(place);
  if (rules_[Rule::kC]) parallel_places_.add(place, model_.t_map);
  // The one transition whose rule-A candidacy may hang on this place.
  if (rules_[Rule::kA] && bags.out.size() == 1) {
    const NodeEntry* t = entry_of(model_.t_map, bags.out.first());
    if (t != nullptr && series_places_at(model_, *t)) series_places_.insert(t);
  }
}

void MatchIndex::offer_transition(const NodeEntry* transition) {
  const NetNode& bags = transition->second;
  if (rules_[Rule::kA] && series_places_at(model_, *transition))
    series_places_.insert(transition);
  if (rules_[Rule::kF] && is_loop(bags)) loop_transitions_.insert(transition);
  if (rules_[Rule::kD]) parallel_transitions_.add(transition, model_.p_map);
  // The one place whose rule-B candidacy may hang on this transition.
  if (rules_[Rule::kB] && bags.in.size() == 1) {
    const NodeEntry* p = entry_of(model_.p_map, bags.in.first());
    if (p != nullptr && series_transitions_at(model_, *p))
      series_transitions_.insert(p);
  }
}

void MatchIndex::drop_place(const NodeEntry* place) {
  series_transitions_.erase(place);
  loop_places_.erase(place);
  parallel_places_.remove(place);
}

void MatchIndex::drop_transition(const NodeEntry* transition) {
  series_places_.erase(transition);
  loop_transitions_.erase(transition);
  parallel_transitions_.remove(transition);
}

void MatchIndex::before_step(const StepFootprint& footprint) {
  for (const std::string& name : footprint.erased_places)
    if (const NodeEntry* place = entry_of(model_.p_map, name))
      drop_place(place);
  for (const std::string& name : footprint.erased_transitions)
    if (const NodeEntry* transition = entry_of(model_.t_map, name))
      drop_transition(transition);
  // Their groups may change with their bags.
  for (const NodeEntry* place : footprint.touched_places)
    parallel_places_.remove(place);
  for (const NodeEntry* transition : footprint.touched_transitions)
    parallel_transitions_.remove(transition);
}

void MatchIndex::after_step(const StepFootprint& footprint) {
  for (const NodeEntry* place : footprint.touched_places) offer_place(place);
  for (const NodeEntry* transition : footprint.touched_transitions)
    offer_transition(transition);
}

size_t MatchIndex::size() const {
  return series_places_.size() + series_transitions_.size() +
         loop_places_.size() + loop_transitions_.size() +
         parallel_places_.size() + parallel_transitions_.size();
}

// Footprints. In a mirrored model the neighbours of a node are the names of
// its bags, so the nodes an application rewrites are read off the match.

namespace {

void touch(const NodeMap& map, std::string_view name,
           std::vector<const NodeEntry*>& touched) {
  const NodeEntry* entry = entry_of(map, name);
  assert(entry != nullptr);
  if (entry != nullptr) touched.push_back(entry);
}

}  // namespace

void footprint_of(const NetModel& model, const SeriesPlacesMatch& match,
                  StepFootprint& footprint) {
  const std::string& i = match.kept_place;
  const std::string& t = match.transition;
  const std::string& o = match.removed_place;
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
  const std::string& u = match.kept_transition;
  const std::string& p = match.place;
  const std::string& v = match.removed_transition;
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
