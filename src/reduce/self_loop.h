// Self-loop removal. Rule E removes a place whose only input and only output
// is one arc each, of weight 1, from and to the same transition; rule F
// removes a transition likewise looped on one place. The neighbour stays,
// keeps its other arcs and absorbs the removed node's aggregate.
#ifndef MAROVEL_REDUCE_SELF_LOOP_H_
#define MAROVEL_REDUCE_SELF_LOOP_H_

#include <optional>

#include "model/net_model.h"
#include "reduce/rule.h"
#include "reduce/step_footprint.h"

namespace marovel {

// One output arc of weight 1, going to the node the one input arc comes
// from.
inline bool is_self_loop(const NetNode& node) {
  return node.out.size() == 1 && node.in == node.out;
}

// Rules E and F in one template: E removes a place, F a transition.
template <NodeKind kKind>
struct SelfLoopRemoval {
  static constexpr char kLetter = kKind == NodeKind::kPlace ? 'E' : 'F';
  static constexpr NodeKind kCandidate = kKind;
  static constexpr CandidateIndex kIndex = CandidateIndex::kQueue;
  struct Match {
    NameId removed;
    NameId neighbour;  // kept
    friend bool operator==(const Match&, const Match&) = default;
  };

  static std::optional<Match> at(const NetModel& model, NameId name,
                                 const KeptNames& kept) {
    const NetNode* node = model.nodes(kKind).find(name);
    if (node == nullptr || !is_self_loop(*node)) return std::nullopt;
    const Match match{name,
                      model.nodes(other_kind(kKind)).name_of(node->in.first())};
    if (!kept.spares(erased(match).names())) return std::nullopt;
    return match;
  }

  static MatchNameIds erased(const Match& m) {
    return {{m.removed}, {kKind}, 1};
  }
  static MatchNameIds absorber(const Match& m) {
    return {{m.neighbour}, {other_kind(kKind)}, 1};
  }

  // at() reads no node but the candidate.
  static std::optional<NodeId> read_ahead(const NetNode&) {
    return std::nullopt;
  }

  // A node's loop is decided by its own bags alone.
  template <typename F>
  static void for_dependents(const NetModel&, NodeKind kind, NameId name,
                             F&& f) {
    if (kind == kKind) f(name);
  }

  static void footprint(const NetModel& model, const Match& match,
                        StepFootprint& footprint) {
    if constexpr (kKind == NodeKind::kPlace) {
      footprint.touch_transition(model, match.neighbour);
    } else {
      footprint.touch_place(model, match.neighbour);
    }
  }

  // Drops both arcs on the neighbour's side and the removed node with its.
  [[nodiscard]] static bool apply(NetModel& model, const Match& match,
                                  FusionMoves moves);

  // The transition comes first in both log lines, whichever is removed.
  static MatchNameIds names(const Match& m) {
    if constexpr (kKind == NodeKind::kPlace) {
      return {{m.neighbour, m.removed},
              {NodeKind::kTransition, NodeKind::kPlace},
              2};
    } else {
      return {{m.removed, m.neighbour},
              {NodeKind::kTransition, NodeKind::kPlace},
              2};
    }
  }
};

using SelfLoopPlace = SelfLoopRemoval<NodeKind::kPlace>;            // rule E
using SelfLoopTransition = SelfLoopRemoval<NodeKind::kTransition>;  // rule F

}  // namespace marovel

#endif  // MAROVEL_REDUCE_SELF_LOOP_H_
