// Parallel fusion. Rule C removes a place that duplicates another: both have
// one input arc from the same transition and one output arc to the same
// transition. Rule D does the same for two transitions sharing their single
// input place and their single output place. The kept node's arcs stay as
// they are; the duplicate's arcs are dropped.
//
// As with the other rules, a search returns the roles of the first match and
// changes nothing; the application works from those roles alone.
#ifndef MAROVEL_REDUCE_PARALLEL_RULES_H_
#define MAROVEL_REDUCE_PARALLEL_RULES_H_

#include <iosfwd>
#include <optional>

#include "model/net_model.h"

namespace marovel {

// Rule C. The kept place is the smallest name among places that have a twin,
// the removed one the smallest of its twins. The shared transitions may be
// one and the same.
struct ParallelPlacesMatch {
  NameId input_transition;   // r
  NameId kept_place;         // q
  NameId removed_place;      // p
  NameId output_transition;  // s
  friend bool operator==(const ParallelPlacesMatch&,
                         const ParallelPlacesMatch&) = default;
};

std::optional<ParallelPlacesMatch> find_parallel_places(const NetModel& model);
void apply_parallel_places(NetModel& model, const ParallelPlacesMatch& match,
                           std::ostream* log);
// Rule C: find + apply.
bool fuse_parallel_places(NetModel& model, std::ostream* log);

// Rule D, the same with places and transitions exchanged.
struct ParallelTransitionsMatch {
  NameId input_place;         // q
  NameId kept_transition;     // r
  NameId removed_transition;  // s
  NameId output_place;        // p
  friend bool operator==(const ParallelTransitionsMatch&,
                         const ParallelTransitionsMatch&) = default;
};

std::optional<ParallelTransitionsMatch> find_parallel_transitions(
    const NetModel& model);
void apply_parallel_transitions(NetModel& model,
                                const ParallelTransitionsMatch& match,
                                std::ostream* log);
// Rule D: find + apply.
bool fuse_parallel_transitions(NetModel& model, std::ostream* log);

}  // namespace marovel

#endif  // MAROVEL_REDUCE_PARALLEL_RULES_H_
