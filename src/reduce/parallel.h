// Parallel fusion. Rule C removes a place that duplicates another: both have
// one input arc from the same transition and one output arc to the same
// transition. Rule D does the same for two transitions sharing their single
// input place and their single output place. The kept node's arcs stay as
// they are; the duplicate's arcs are dropped. Both are rules of twins: their
// candidates are kept in twin groups (twin_groups.h).
#ifndef MAROVEL_REDUCE_PARALLEL_H_
#define MAROVEL_REDUCE_PARALLEL_H_

#include <cstdint>
#include <optional>

#include "model/net_model.h"
#include "reduce/rule.h"
#include "reduce/step_footprint.h"
#include "reduce/twin_groups.h"

namespace marovel {

// Rules C and D in one template: C over places, D over transitions.
template <NodeKind kKind>
struct ParallelFusion {
  static constexpr char kLetter = kKind == NodeKind::kPlace ? 'C' : 'D';
  static constexpr NodeKind kCandidate = kKind;
  static constexpr CandidateIndex kIndex = CandidateIndex::kTwinGroups;
  // The kept node q is the smallest name among the nodes that have a twin
  // the rule may erase, the removed one p the smallest such twin of q (see
  // CandidateIndex::kTwinGroups). The shared neighbours may be one and the
  // same.
  struct Match {
    NameId input;    // r for C, q for D
    NameId kept;     // q for C, r for D
    NameId removed;  // p for C, s for D
    NameId output;   // s for C, p for D
    friend bool operator==(const Match&, const Match&) = default;
  };

  // Compares `name` with every node of its kind, in name order, and keeps
  // `name` with the first twin that may go.
  static std::optional<Match> at(const NetModel& model, NameId name,
                                 const KeptNames& kept) {
    const NodeMap& nodes = model.nodes(kKind);
    const NetNode* node = nodes.find(name);
    if (node == nullptr || !is_twin_candidate(*node)) return std::nullopt;
    const uint64_t key = twin_key(*node);
    for (const auto& [other, twin] : nodes) {
      if (other == name || !is_twin_candidate(twin) || twin_key(twin) != key)
        continue;
      const Match match = from_key(model, key, name, other);
      if (kept.spares(erased(match).names())) return match;
    }
    return std::nullopt;
  }

  static MatchNameIds erased(const Match& m) {
    return {{m.removed}, {kKind}, 1};
  }
  static MatchNameIds absorber(const Match& m) {
    return {{m.kept}, {kKind}, 1};
  }

  // The index finds twins through their group, not through a neighbour.
  static std::optional<NodeId> read_ahead(const NetNode&) {
    return std::nullopt;
  }

  // A node's twins are decided by its own bags alone: a changed node leaves
  // its group and joins the one its new bags say.
  template <typename F>
  static void for_dependents(const NetModel&, NodeKind kind, NameId name,
                             F&& f) {
    if (kind == kKind) f(name);
  }

  // The match of the twins `kept` and `removed`, whose key is `key`.
  static Match from_key(const NetModel& model, uint64_t key, NameId kept,
                        NameId removed) {
    const NodeMap& others = model.nodes(other_kind(kKind));
    return {others.name_of(twin_key_input(key)), kept, removed,
            others.name_of(twin_key_output(key))};
  }

  static void footprint(const NetModel& model, const Match& match,
                        StepFootprint& footprint) {
    if constexpr (kKind == NodeKind::kPlace) {
      footprint.touch_transition(model, match.input);
      if (match.output != match.input)
        footprint.touch_transition(model, match.output);
    } else {
      footprint.touch_place(model, match.input);
      if (match.output != match.input)
        footprint.touch_place(model, match.output);
    }
  }

  // Removes the twin and both of its arcs; the kept node is not touched.
  [[nodiscard]] static bool apply(NetModel& model, const Match& match,
                                  FusionMoves moves);

  static MatchNameIds names(const Match& m) {
    constexpr NodeKind kOther =
        kKind == NodeKind::kPlace ? NodeKind::kTransition : NodeKind::kPlace;
    return {{m.input, m.kept, m.removed, m.output},
            {kOther, kKind, kKind, kOther},
            4};
  }
};

using ParallelPlaces = ParallelFusion<NodeKind::kPlace>;            // rule C
using ParallelTransitions = ParallelFusion<NodeKind::kTransition>;  // rule D

}  // namespace marovel

#endif  // MAROVEL_REDUCE_PARALLEL_H_
