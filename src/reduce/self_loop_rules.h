// Self-loop removal. Rule E removes a place whose only input and only output
// is one arc each, of weight 1, from and to the same transition; rule F
// removes a transition likewise looped on one place. The neighbour stays,
// keeps its other arcs and absorbs the removed node's aggregate.
//
// As with the other rules, a search returns the roles of the first match and
// changes nothing; the application works from those roles alone.
#ifndef MAROVEL_REDUCE_SELF_LOOP_RULES_H_
#define MAROVEL_REDUCE_SELF_LOOP_RULES_H_

#include <iosfwd>
#include <optional>

#include "model/net_model.h"

namespace marovel {

// Rule E.
struct SelfLoopPlaceMatch {
  NameId transition;  // kept
  NameId removed_place;
  friend bool operator==(const SelfLoopPlaceMatch&,
                         const SelfLoopPlaceMatch&) = default;
};

std::optional<SelfLoopPlaceMatch> find_self_loop_place(const NetModel& model);
void apply_self_loop_place(NetModel& model, const SelfLoopPlaceMatch& match,
                           std::ostream* log);
// Rule E: find + apply.
bool remove_self_loop_place(NetModel& model, std::ostream* log);

// Rule F.
struct SelfLoopTransitionMatch {
  NameId removed_transition;
  NameId place;  // kept
  friend bool operator==(const SelfLoopTransitionMatch&,
                         const SelfLoopTransitionMatch&) = default;
};

std::optional<SelfLoopTransitionMatch> find_self_loop_transition(
    const NetModel& model);
void apply_self_loop_transition(NetModel& model,
                                const SelfLoopTransitionMatch& match,
                                std::ostream* log);
// Rule F: find + apply.
bool remove_self_loop_transition(NetModel& model, std::ostream* log);

}  // namespace marovel

#endif  // MAROVEL_REDUCE_SELF_LOOP_RULES_H_
