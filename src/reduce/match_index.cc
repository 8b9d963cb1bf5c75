#include "reduce/match_index.h"

#include <cassert>

#include "base/run_both.h"

namespace marovel {

// Calls visit(name, node) for every node of `kind` in name order. The nodes
// lie in memory in that order, but what indexing one reads besides lies
// anywhere: the neighbour a rule's at() reads (its read_ahead()) and the
// twin group the node joins. Both are asked for some nodes ahead, the
// neighbour's slot before its node.
template <typename Visit>
void MatchIndex::walk_ahead(NodeKind kind, Visit visit) const {
  const NodeMap& nodes = model_.nodes(kind);
  const NodeMap& others = model_.nodes(other_kind(kind));
  const auto ask_ahead = [&](const NetNode& next, bool slots) {
    for_each_rule([&](auto rule) {
      using R = typename decltype(rule)::type;
      if (R::kCandidate != kind || !rules_[kRuleOf<R>]) return;
      if constexpr (R::kIndex == CandidateIndex::kTwinGroups) {
        if (slots) candidates<R>().prefetch_group(next);
      } else if (const std::optional<NodeId> read = R::read_ahead(next)) {
        if (slots) {
          others.prefetch_slot(*read);
        } else {
          others.prefetch_node(*read);
        }
      }
    });
  };
  constexpr int kSlotsAhead = 16, kNodesAhead = 8;
  auto slots = nodes.begin(), ahead = nodes.begin();
  for (int k = 0; k < kSlotsAhead && slots != nodes.end(); ++k) {
    if (k >= kSlotsAhead - kNodesAhead) ++ahead;
    ++slots;
  }
  for (const auto& [name, node] : nodes) {
    if (slots != nodes.end()) {
      ask_ahead((*slots).second, /*slots=*/true);
      ++slots;
    }
    if (ahead != nodes.end()) {
      ask_ahead((*ahead).second, /*slots=*/false);
      ++ahead;
    }
    visit(name, node);
  }
}

MatchIndex::MatchIndex(const NetModel& model, const RuleSet& rules,
                       const KeptNames& kept, TwoCores cores)
    : model_(model), rules_(rules), kept_(kept) {
  for_each_rule([&](auto rule) {
    using R = typename decltype(rule)::type;
    if (!rules_[kRuleOf<R>]) return;
    if constexpr (R::kIndex == CandidateIndex::kTwinGroups) {
      candidates<R>() = TwinGroups(model.names.size(),
                                   model.nodes(R::kCandidate).size(), &kept_);
    } else {
      candidates<R>() = CandidateQueue(model.names.size());
    }
  });
  // Every node is offered to the rules whose candidates are of its kind.
  // The walk over the places fills only what the places are candidates
  // for, the walk over the transitions the rest, and both only read the
  // model: on a large net they run at once.
  const auto index_kind = [&](NodeKind kind) {
    walk_ahead(kind, [&](NameId name, const NetNode& node) {
      for_each_rule([&](auto rule) {
        using R = typename decltype(rule)::type;
        if (R::kCandidate != kind || !rules_[kRuleOf<R>]) return;
        if constexpr (R::kIndex == CandidateIndex::kTwinGroups) {
          candidates<R>().add(name, node);
        } else if (R::at(model_, name, kept_)) {
          candidates<R>().insert(name);
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
  assert(model_.nodes(kind).contains(name));
  for_each_rule([&](auto rule) {
    using R = typename decltype(rule)::type;
    if (!rules_[kRuleOf<R>]) return;
    R::for_dependents(model_, kind, name, [&](NameId candidate) {
      if constexpr (R::kIndex == CandidateIndex::kTwinGroups) {
        if (const NetNode* node = model_.nodes(R::kCandidate).find(candidate))
          candidates<R>().add(candidate, *node);
      } else if (R::at(model_, candidate, kept_)) {
        candidates<R>().insert(candidate);
      }
    });
  });
}

void MatchIndex::drop(NodeKind kind, NameId name) {
  for_each_rule([&](auto rule) {
    using R = typename decltype(rule)::type;
    if (R::kCandidate != kind || !rules_[kRuleOf<R>]) return;
    if constexpr (R::kIndex == CandidateIndex::kTwinGroups) {
      if (const NetNode* node = model_.nodes(kind).find(name))
        candidates<R>().remove(name, *node);
    } else {
      candidates<R>().erase(name);
    }
  });
}

void MatchIndex::ungroup(NodeKind kind, NameId name) {
  for_each_rule([&](auto rule) {
    using R = typename decltype(rule)::type;
    if constexpr (R::kIndex == CandidateIndex::kTwinGroups) {
      if (!rules_[kRuleOf<R>]) return;
      const NodeMap& nodes = model_.nodes(R::kCandidate);
      R::for_dependents(model_, kind, name, [&](NameId candidate) {
        if (const NetNode* node = nodes.find(candidate))
          candidates<R>().remove(candidate, *node);
      });
    }
  });
}

// Leaving a twin group reads the node's slot, its node, then its group's
// slot, each a cache miss on a large net. Every node slot of the step is
// asked for, then every node, then every group, so that the misses of a
// step overlap rather than follow each other.
void MatchIndex::prefetch_leaving(const StepFootprint& footprint) const {
  for_each_rule([&](auto rule) {
    using R = typename decltype(rule)::type;
    if constexpr (R::kIndex == CandidateIndex::kTwinGroups) {
      if (!rules_[kRuleOf<R>]) return;
      const TwinGroups& groups = candidates<R>();
      const bool places = R::kCandidate == NodeKind::kPlace;
      const auto& erased =
          places ? footprint.erased_places : footprint.erased_transitions;
      const auto& touched =
          places ? footprint.touched_places : footprint.touched_transitions;
      const NodeMap& nodes = model_.nodes(R::kCandidate);
      for (const auto* names : {&erased, &touched})
        for (const NameId name : *names) nodes.prefetch_slot(nodes.id_of(name));
      for (const auto* names : {&erased, &touched})
        for (const NameId name : *names) nodes.prefetch_node(nodes.id_of(name));
      for (const auto* names : {&erased, &touched})
        for (const NameId name : *names)
          if (const NetNode* node = nodes.find(name))
            groups.prefetch_group_of(name, *node);
    }
  });
}

void MatchIndex::before_step(const StepFootprint& footprint) {
  prefetch_leaving(footprint);
  for (const NameId place : footprint.erased_places)
    drop(NodeKind::kPlace, place);
  for (const NameId transition : footprint.erased_transitions)
    drop(NodeKind::kTransition, transition);
  // A twin's group hangs on bags the step changes: it leaves now and
  // rejoins, in the group its new bags say, after the step.
  for (const NameId place : footprint.touched_places)
    ungroup(NodeKind::kPlace, place);
  for (const NameId transition : footprint.touched_transitions)
    ungroup(NodeKind::kTransition, transition);
}

void MatchIndex::after_step(const StepFootprint& footprint) {
  for (const NameId place : footprint.touched_places)
    offer(NodeKind::kPlace, place);
  for (const NameId transition : footprint.touched_transitions)
    offer(NodeKind::kTransition, transition);
}

}  // namespace marovel
