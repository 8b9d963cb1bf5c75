#include "reduce/match_index.h"

#include <cassert>
#include <iterator>

#include "base/run_both.h"

namespace marovel {
namespace {

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
      if (is_twin_candidate(next)) {
        others.prefetch_slot(neighbour(next));
        if (twins != nullptr) twins->prefetch_group(next);
      }
      ++slots;
    }
    if (ahead != nodes.end()) {
      const NetNode& next = (*ahead).second;
      if (is_twin_candidate(next)) others.prefetch_node(neighbour(next));
      ++ahead;
    }
    visit(name, node);
  }
}

}  // namespace

MatchIndex::MatchIndex(const NetModel& model, const RuleSet& rules,
                       TwoCores cores)
    : model_(model),
      rules_(rules),
      parallel_places_(model.names.size(),
                       rules[Rule::kC] ? model.p_map.size() : 0),
      parallel_transitions_(model.names.size(),
                            rules[Rule::kD] ? model.t_map.size() : 0) {
  for_each_rule([&](auto rule) {
    using R = typename decltype(rule)::type;
    if (!kGroupsTwins<R> && rules_[R::kRule])
      queue(R::kRule) = CandidateQueue(model.names.size());
  });
  // Every node is offered to the rules whose candidates are of its kind.
  // The walk over the places fills only what the places are candidates
  // for, the walk over the transitions the rest, and both only read the
  // model: on a large net they run at once. A node's series candidacy
  // reads the neighbour through its output (places, rule B) or its input
  // (transitions, rule A), which the walks ask for ahead.
  const auto index_kind = [&](NodeKind kind) {
    const bool groups = rules_[kind == NodeKind::kPlace ? Rule::kC : Rule::kD];
    walk_ahead(model.nodes(kind), model.nodes(other_kind(kind)),
               /*through_output=*/kind == NodeKind::kPlace,
               groups ? &twins(kind) : nullptr,
               [&](NameId name, const NetNode& node) {
                 for_each_rule([&](auto rule) {
                   using R = typename decltype(rule)::type;
                   if (R::kCandidate != kind || !rules_[R::kRule]) return;
                   if constexpr (kGroupsTwins<R>) {
                     twins(kind).add(name, node);
                   } else if (R::at(model_, name)) {
                     queue(R::kRule).insert(name);
                   }
                 });
               });
  };
  run_both(
      cores.worth(model.p_map.size() + model.t_map.size()),
      [&] { index_kind(NodeKind::kPlace); },
      [&] { index_kind(NodeKind::kTransition); });
}

void MatchIndex::offer(NodeKind kind, NameId name) {
  const NetNode* node = model_.nodes(kind).find(name);
  assert(node != nullptr);
  for_each_rule([&](auto rule) {
    using R = typename decltype(rule)::type;
    if (!rules_[R::kRule]) return;
    if constexpr (kGroupsTwins<R>) {
      if (R::kCandidate == kind) twins(kind).add(name, *node);
    } else {
      R::for_dependents(model_, kind, name, [&](NameId candidate) {
        if (R::at(model_, candidate)) queue(R::kRule).insert(candidate);
      });
    }
  });
}

void MatchIndex::drop(NodeKind kind, NameId name) {
  for_each_rule([&](auto rule) {
    using R = typename decltype(rule)::type;
    if (R::kCandidate != kind || !rules_[R::kRule]) return;
    if constexpr (kGroupsTwins<R>) {
      twins(kind).remove(name);
    } else {
      queue(R::kRule).erase(name);
    }
  });
}

void MatchIndex::before_step(const StepFootprint& footprint) {
  for (const NameId place : footprint.erased_places)
    drop(NodeKind::kPlace, place);
  for (const NameId transition : footprint.erased_transitions)
    drop(NodeKind::kTransition, transition);
  // Their groups may change with their bags.
  for (const NameId place : footprint.touched_places)
    parallel_places_.remove(place);
  for (const NameId transition : footprint.touched_transitions)
    parallel_transitions_.remove(transition);
}

void MatchIndex::after_step(const StepFootprint& footprint) {
  for (const NameId place : footprint.touched_places)
    offer(NodeKind::kPlace, place);
  for (const NameId transition : footprint.touched_transitions)
    offer(NodeKind::kTransition, transition);
}

void MatchIndex::prefetch_next_loop(NodeKind kind) const {
  // Loops go in name order, so the next one's own node is near; its
  // neighbour is anywhere, and asked for a step ahead.
  const NodeMap& nodes = model_.nodes(kind);
  const NodeMap& others = model_.nodes(other_kind(kind));
  const TwinGroups& own = twins(kind);
  const TwinGroups& other = twins(other_kind(kind));
  const Rule rule = kind == NodeKind::kPlace ? Rule::kE : Rule::kF;
  const std::optional<NameId> next =
      queues_[static_cast<size_t>(rule)].next_guess();
  if (!next) return;
  const NetNode* node = nodes.find(*next);
  if (node == nullptr || node->in.size() != 1) return;
  const NodeId neighbour = node->in.first();
  others.prefetch_slot(neighbour);
  const NameId neighbour_name = others.name_of(neighbour);
  other.prefetch(neighbour_name);
  model_.aggregates.prefetch(neighbour_name);
  own.prefetch_group_of(*next);
}

void MatchIndex::prefetch_entries(NameId name, NodeKind kind) const {
  // A removed node's name is looked up in both maps (a node of the other
  // kind may bear it).
  model_.p_map.prefetch_slot(model_.p_map.id_of(name));
  model_.t_map.prefetch_slot(model_.t_map.id_of(name));
  twins(kind).prefetch(name);
  model_.aggregates.prefetch(name);
}

void MatchIndex::prefetch_names(std::span<const NameId> places,
                                std::span<const NameId> transitions) const {
  // First every entry found by name alone, then what those entries point
  // to: the nodes and the twin groups, then the nodes' bags.
  for (const NameId place : places) prefetch_entries(place, NodeKind::kPlace);
  for (const NameId transition : transitions)
    prefetch_entries(transition, NodeKind::kTransition);
  for (const NameId place : places) {
    model_.p_map.prefetch_node(model_.p_map.id_of(place));
    parallel_places_.prefetch_group_of(place);
  }
  for (const NameId transition : transitions) {
    model_.t_map.prefetch_node(model_.t_map.id_of(transition));
    parallel_transitions_.prefetch_group_of(transition);
  }
  for (const NameId place : places)
    model_.p_map.prefetch_bags(model_.p_map.id_of(place));
  for (const NameId transition : transitions)
    model_.t_map.prefetch_bags(model_.t_map.id_of(transition));
}

void MatchIndex::prefetch(const RuleNames& match) const {
  NameId places[4], transitions[4];
  size_t place_count = 0, transition_count = 0;
  for (size_t k = 0; k < match.size; ++k) {
    if (match.kinds[k] == NodeKind::kPlace) {
      places[place_count++] = match.ids[k];
    } else {
      transitions[transition_count++] = match.ids[k];
    }
  }
  prefetch_names({places, place_count}, {transitions, transition_count});
}

void MatchIndex::prefetch(const StepFootprint& footprint) const {
  // The nodes a step touches besides its match's are the names the
  // touched nodes gain (rules A and B, which also list the survivor); the
  // match's own were asked for already.
  prefetch_names(footprint.gained_by_transitions, footprint.gained_by_places);
}

size_t MatchIndex::size() const {
  size_t total = parallel_places_.size() + parallel_transitions_.size();
  for (const CandidateQueue& candidates : queues_) total += candidates.size();
  return total;
}

}  // namespace marovel
