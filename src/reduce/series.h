// Series fusion. Rule A removes a transition that only passes a token from
// one place to the next and fuses the two places into the first; rule B
// removes a place that only links one transition to the next and fuses the
// two transitions into the first.
#ifndef MAROVEL_REDUCE_SERIES_H_
#define MAROVEL_REDUCE_SERIES_H_

#include <optional>

#include "model/net_model.h"
#include "reduce/rule.h"
#include "reduce/step_footprint.h"

namespace marovel {

// Rule A: place i -> transition t -> place o, every arc of weight 1, where t
// has no other arcs and i has no other output. An isolated loop of one place
// and one transition (i == o) matches too, when nothing else feeds i.
struct SeriesPlaces {
  static constexpr char kLetter = 'A';
  static constexpr NodeKind kCandidate = NodeKind::kTransition;
  static constexpr CandidateIndex kIndex = CandidateIndex::kQueue;
  struct Match {
    NameId kept_place;     // i
    NameId transition;     // t, removed
    NameId removed_place;  // o
    friend bool operator==(const Match&, const Match&) = default;
  };

  static std::optional<Match> at(const NetModel& model, NameId t,
                                 const KeptNames& kept);

  // o and t go (i too when i == o).
  static MatchNameIds erased(const Match& m) {
    return {{m.removed_place, m.transition},
            {NodeKind::kPlace, NodeKind::kTransition},
            2};
  }
  static MatchNameIds absorber(const Match& m) {
    return {{m.kept_place}, {NodeKind::kPlace}, 1};
  }

  // at() reads the input place of a transition with one input and one
  // output arc.
  static std::optional<NodeId> read_ahead(const NetNode& t) {
    if (t.in.size() != 1 || t.out.size() != 1) return std::nullopt;
    return t.in.first();
  }

  // A transition's candidacy hangs on its own bags and on the bags of its
  // input place: a changed place offers the one transition it feeds.
  template <typename F>
  static void for_dependents(const NetModel& model, NodeKind kind, NameId name,
                             F&& f) {
    if (kind == NodeKind::kTransition) {
      f(name);
    } else if (const NetNode* place = model.p_map.find(name);
               place != nullptr && place->out.size() == 1) {
      f(model.t_map.name_of(place->out.first()));
    }
  }

  static void footprint(const NetModel& model, const Match& match,
                        StepFootprint& footprint);

  // Fuses o into i: i keeps its inputs, gains o's inputs other than t
  // (weights add up where a transition fed both), and takes o's outputs in
  // place of t. When o is not a place of the model, returns false, leaving
  // the maps as they were but the aggregate of i already extended.
  [[nodiscard]] static bool apply(NetModel& model, const Match& match,
                                  FusionMoves moves);

  // Whether moving the smaller side into the larger keeps o's record, to be
  // named i, rather than i's: when o has more neighbours than i has inputs,
  // i's inputs move to o's record and o's neighbours are left as they are,
  // so that the work is in proportion to the smaller side.
  static bool keeps_removed_record(const NetModel& model, const Match& match);

  static MatchNameIds names(const Match& m) {
    return {{m.kept_place, m.transition, m.removed_place},
            {NodeKind::kPlace, NodeKind::kTransition, NodeKind::kPlace},
            3};
  }
};

// Rule B: transition u -> place p -> transition v, every arc of weight 1,
// where p has no other arcs and v has no other input. An isolated loop of
// one transition and one place (u == v) matches too, when u feeds nothing
// else.
struct SeriesTransitions {
  static constexpr char kLetter = 'B';
  static constexpr NodeKind kCandidate = NodeKind::kPlace;
  static constexpr CandidateIndex kIndex = CandidateIndex::kQueue;
  struct Match {
    NameId kept_transition;     // u
    NameId place;               // p, removed
    NameId removed_transition;  // v
    friend bool operator==(const Match&, const Match&) = default;
  };

  static std::optional<Match> at(const NetModel& model, NameId p,
                                 const KeptNames& kept);

  // p and v go (u too when u == v).
  static MatchNameIds erased(const Match& m) {
    return {{m.place, m.removed_transition},
            {NodeKind::kPlace, NodeKind::kTransition},
            2};
  }
  static MatchNameIds absorber(const Match& m) {
    return {{m.kept_transition}, {NodeKind::kTransition}, 1};
  }

  // at() reads the output transition of a place with one input and one
  // output arc.
  static std::optional<NodeId> read_ahead(const NetNode& p) {
    if (p.in.size() != 1 || p.out.size() != 1) return std::nullopt;
    return p.out.first();
  }

  // A place's candidacy hangs on its own bags and on the bags of its output
  // transition: a changed transition offers the one place that feeds it.
  template <typename F>
  static void for_dependents(const NetModel& model, NodeKind kind, NameId name,
                             F&& f) {
    if (kind == NodeKind::kPlace) {
      f(name);
    } else if (const NetNode* transition = model.t_map.find(name);
               transition != nullptr && transition->in.size() == 1) {
      f(model.p_map.name_of(transition->in.first()));
    }
  }

  static void footprint(const NetModel& model, const Match& match,
                        StepFootprint& footprint);

  // Fuses v into u: u keeps its inputs and its outputs other than p, and
  // gains v's outputs (weights add up where both fed one place).
  [[nodiscard]] static bool apply(NetModel& model, const Match& match,
                                  FusionMoves moves);

  // Whether applying the match keeps v's record, to be named u, rather than
  // u's: when v has more outputs than u has neighbours (see SeriesPlaces).
  static bool keeps_removed_record(const NetModel& model, const Match& match);

  static MatchNameIds names(const Match& m) {
    return {{m.kept_transition, m.place, m.removed_transition},
            {NodeKind::kTransition, NodeKind::kPlace, NodeKind::kTransition},
            3};
  }
};

}  // namespace marovel

#endif  // MAROVEL_REDUCE_SERIES_H_
