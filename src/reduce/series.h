// Series fusion. Rule A removes a transition that only passes a token from
// one place to the next and fuses the two places into the first; rule B
// removes a place that only links one transition to the next and fuses the
// two transitions into the first.
//
// Every rule is one type with the same members, stated once and used by both
// engines (the reference scan and the match index):
//   kRule       its letter's place in the priority order;
//   kCandidate  the kind of node a match is found at;
//   Match       the roles of one match;
//   at(model, name)  whether the rule can apply at that node: its match, or
//               none. The scan calls it on every node in name order;
//   for_dependents(model, kind, name, f)  calls f(candidate) for every
//               candidate node whose answer to at() may change when the
//               bags of node `name` (of `kind`) change: what the index
//               re-checks after a step;
//   footprint(model, match, footprint)  what applying the match will erase
//               and touch, read off the model before it changes;
//   apply(model, match, moves)  rewrites the model; false only when it
//               cannot (rule A on a model that names a missing place);
//   names(match)  the nodes involved, in the order of the log line.
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
  static constexpr Rule kRule = Rule::kA;
  static constexpr NodeKind kCandidate = NodeKind::kTransition;
  struct Match {
    NameId kept_place;     // i
    NameId transition;     // t, removed
    NameId removed_place;  // o
    friend bool operator==(const Match&, const Match&) = default;
  };

  static std::optional<Match> at(const NetModel& model, NameId t);

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

  static RuleNames names(const Match& m) {
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
  static constexpr Rule kRule = Rule::kB;
  static constexpr NodeKind kCandidate = NodeKind::kPlace;
  struct Match {
    NameId kept_transition;     // u
    NameId place;               // p, removed
    NameId removed_transition;  // v
    friend bool operator==(const Match&, const Match&) = default;
  };

  static std::optional<Match> at(const NetModel& model, NameId p);

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

  static RuleNames names(const Match& m) {
    return {{m.kept_transition, m.place, m.removed_transition},
            {NodeKind::kTransition, NodeKind::kPlace, NodeKind::kTransition},
            3};
  }
};

}  // namespace marovel

#endif  // MAROVEL_REDUCE_SERIES_H_
