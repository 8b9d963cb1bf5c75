// The step loop of the reducer. Each step offers the net to the enabled rules
// in priority order A to F and applies the first that matches, once. The loop
// ends at the first step in which no rule applies, or after `max_steps`
// steps; nothing but the model is carried from one step to the next.
#ifndef MAROVEL_REDUCE_REDUCTION_H_
#define MAROVEL_REDUCE_REDUCTION_H_

#include <cstdint>
#include <iosfwd>

#include "model/net_model.h"
#include "reduce/rule_set.h"

namespace marovel {

// Reduces `model` in place. Each application writes its line to
// `reduction_log` unless that is null. Every step ends with a closure check;
// a failure is reported on `out` as "\nNet inconsistent on step N\n" (steps
// count from 0) and the loop goes on. Returns true: reduction cannot fail.
//
// Matches are found through an index of candidates kept up to date step by
// step, and the closure check looks only at what a step changed; both give
// exactly what the scans below give, in time that does not grow with the
// net. A model that is not closed and mirrored to begin with is reduced by
// the scans; `known_closed_and_mirrored` spares that check for a model known
// to be so (every model the reader returns).
bool run_reduction(NetModel& model, const RuleSet& rules, int32_t max_steps,
                   std::ostream* reduction_log, std::ostream& out,
                   bool known_closed_and_mirrored = false);

// The same run with the reference searches: every step walks the maps from
// their first keys (rules C and D compare every candidate with every node)
// and ends with a closure check over every bag. Kept to check the indexed
// run against and to measure it by.
bool run_reduction_reference(NetModel& model, const RuleSet& rules,
                             int32_t max_steps, std::ostream* reduction_log,
                             std::ostream& out);

}  // namespace marovel

#endif  // MAROVEL_REDUCE_REDUCTION_H_
