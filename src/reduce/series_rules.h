// Series fusion. Rule A removes a transition that only passes a token from
// one place to the next and fuses the two places into the first; rule B
// removes a place that only links one transition to the next and fuses the
// two transitions into the first.
//
// Each rule comes in two pieces: a search that returns the roles of the first
// match in name order and changes nothing, and an application that rewrites
// the model from those roles alone and writes the rule's log line.
#ifndef MAROVEL_REDUCE_SERIES_RULES_H_
#define MAROVEL_REDUCE_SERIES_RULES_H_

#include <iosfwd>
#include <optional>

#include "model/net_model.h"

namespace marovel {

// Rule A: place i -> transition t -> place o, every arc of weight 1, where
// t has no other arcs and i has no other output. An isolated loop of one
// place and one transition (i == o) matches too.
struct SeriesPlacesMatch {
  NameId kept_place;     // i
  NameId transition;     // t, removed
  NameId removed_place;  // o
  friend bool operator==(const SeriesPlacesMatch&,
                         const SeriesPlacesMatch&) = default;
};

std::optional<SeriesPlacesMatch> find_series_places(const NetModel& model);

// Fuses o into i: i keeps its inputs, gains o's inputs other than t (weights
// add up where a transition fed both), and takes o's outputs in place of t.
// When o is not a place of the model, prints "\n missing place_j!\n" on `out`
// and returns false, leaving the maps as they were but the aggregate of i
// already extended.
bool apply_series_places(NetModel& model, const SeriesPlacesMatch& match,
                         std::ostream* log, std::ostream& out);

// Rule A: find + apply. False when nothing matched or the application failed.
bool fuse_series_places(NetModel& model, std::ostream* log, std::ostream& out);

// Rule B: transition u -> place p -> transition v, every arc of weight 1,
// where p has no other arcs and v has no other input. An isolated loop of
// one transition and one place (u == v) matches too.
struct SeriesTransitionsMatch {
  NameId kept_transition;     // u
  NameId place;               // p, removed
  NameId removed_transition;  // v
  friend bool operator==(const SeriesTransitionsMatch&,
                         const SeriesTransitionsMatch&) = default;
};

std::optional<SeriesTransitionsMatch> find_series_transitions(
    const NetModel& model);

// Fuses v into u: u keeps its inputs and its outputs other than p, and gains
// v's outputs (weights add up where both fed one place).
void apply_series_transitions(NetModel& model,
                              const SeriesTransitionsMatch& match,
                              std::ostream* log);

// Rule B: find + apply.
bool fuse_series_transitions(NetModel& model, std::ostream* log);

}  // namespace marovel

#endif  // MAROVEL_REDUCE_SERIES_RULES_H_
