#include "reduce/reduction.h"

#include <cassert>
#include <iterator>
#include <optional>
#include <ostream>

#include "model/consistency.h"
#include "model/step_footprint.h"
#include "reduce/match_index.h"
#include "reduce/parallel_rules.h"
#include "reduce/self_loop_rules.h"
#include "reduce/series_rules.h"

namespace marovel {
namespace {

// One application of a rule; false when it changed nothing (or, for rule A,
// failed on an inconsistent model).
using RuleOperation = bool (*)(NetModel& model, std::ostream* log,
                               std::ostream& out);

struct RuleEntry {
  Rule rule;
  RuleOperation operation;
};

// In priority order.
constexpr RuleEntry kRuleTable[] = {
    {Rule::kA, &fuse_series_places},
    {Rule::kB,
     [](NetModel& model, std::ostream* log, std::ostream&) {
       return fuse_series_transitions(model, log);
     }},
    {Rule::kC, [](NetModel& model, std::ostream* log,
                  std::ostream&) { return fuse_parallel_places(model, log); }},
    {Rule::kD,
     [](NetModel& model, std::ostream* log, std::ostream&) {
       return fuse_parallel_transitions(model, log);
     }},
    {Rule::kE,
     [](NetModel& model, std::ostream* log, std::ostream&) {
       return remove_self_loop_place(model, log);
     }},
    {Rule::kF,
     [](NetModel& model, std::ostream* log, std::ostream&) {
       return remove_self_loop_transition(model, log);
     }},
};

constexpr bool in_priority_order() {
  for (size_t k = 0; k < std::size(kRuleTable); ++k)
    if (kRuleTable[k].rule != static_cast<Rule>(k)) return false;
  return std::size(kRuleTable) == kRuleCount;
}
static_assert(in_priority_order());

// Applies the first enabled rule that matches; disabled rules are not called.
bool apply_first_rule(NetModel& model, const RuleSet& rules, std::ostream* log,
                      std::ostream& out) {
  for (const RuleEntry& entry : kRuleTable) {
    if (rules[entry.rule] && entry.operation(model, log, out)) return true;
  }
  return false;
}

// Applies one indexed match: the footprint is read off the model before the
// application changes it, so the index can let go of what is erased.
template <typename Match, typename Apply>
bool apply_indexed(NetModel& model, MatchIndex& index, StepFootprint& footprint,
                   const std::optional<Match>& match, Apply apply) {
  if (!match) return false;
  index.prefetch(*match);
  footprint_of(model, *match, footprint);
  index.prefetch(footprint);
  index.before_step(footprint);
  apply(*match);
  index.after_step(footprint);
  return true;
}

// The indexed counterpart of apply_first_rule, on a closed and mirrored
// model. Fills `footprint` with what the applied rule touched.
bool apply_first_indexed(NetModel& model, const RuleSet& rules,
                         MatchIndex& index, StepFootprint& footprint,
                         std::ostream* log, std::ostream& out) {
  if (rules[Rule::kA] &&
      apply_indexed(model, index, footprint, index.find_series_places(),
                    [&](const SeriesPlacesMatch& m) {
                      // Fails only when the output place is missing, which
                      // a closed model rules out.
                      [[maybe_unused]] const bool applied =
                          apply_series_places(model, m, log, out);
                      assert(applied);
                    }))
    return true;
  if (rules[Rule::kB] &&
      apply_indexed(model, index, footprint, index.find_series_transitions(),
                    [&](const SeriesTransitionsMatch& m) {
                      apply_series_transitions(model, m, log);
                    }))
    return true;
  if (rules[Rule::kC] &&
      apply_indexed(model, index, footprint, index.find_parallel_places(),
                    [&](const ParallelPlacesMatch& m) {
                      apply_parallel_places(model, m, log);
                    }))
    return true;
  if (rules[Rule::kD] &&
      apply_indexed(model, index, footprint, index.find_parallel_transitions(),
                    [&](const ParallelTransitionsMatch& m) {
                      apply_parallel_transitions(model, m, log);
                    }))
    return true;
  if (rules[Rule::kE] &&
      apply_indexed(model, index, footprint, index.find_self_loop_place(),
                    [&](const SelfLoopPlaceMatch& m) {
                      apply_self_loop_place(model, m, log);
                    }))
    return true;
  return rules[Rule::kF] &&
         apply_indexed(model, index, footprint,
                       index.find_self_loop_transition(),
                       [&](const SelfLoopTransitionMatch& m) {
                         apply_self_loop_transition(model, m, log);
                       });
}

// Steps `first_step` up to the limit with the reference searches and the
// full closure check.
void run_reference_steps(NetModel& model, const RuleSet& rules,
                         int32_t first_step, int32_t max_steps,
                         std::ostream* log, std::ostream& out) {
  bool applied = true;
  for (int32_t step = first_step; applied && step < max_steps; ++step) {
    applied = apply_first_rule(model, rules, log, out);
    if (!check_consistency(model))
      out << "\nNet inconsistent on step " << step << "\n";
  }
}

}  // namespace

bool run_reduction(NetModel& model, const RuleSet& rules, int32_t max_steps,
                   std::ostream* reduction_log, std::ostream& out,
                   bool known_closed_and_mirrored) {
  if (max_steps <= 0) return true;
  // The index finds neighbours through bags, which needs a closed and
  // mirrored model; the reader builds no other, but a model made by hand
  // may be, and then the reference searches serve.
  assert(!known_closed_and_mirrored || is_closed_and_mirrored(model));
  if (!known_closed_and_mirrored && !is_closed_and_mirrored(model))
    return run_reduction_reference(model, rules, max_steps, reduction_log, out);
  MatchIndex index(model, rules);
  StepFootprint footprint;
  bool applied = true;
  for (int32_t step = 0; applied && step < max_steps; ++step) {
    footprint.clear();
    applied =
        apply_first_indexed(model, rules, index, footprint, reduction_log, out);
    // A step that applied nothing changed nothing: the model stays closed.
    if (applied && !check_consistency_after(model, footprint)) {
      // The rules keep a closed, mirrored model so; should one ever fail
      // to, the index can no longer be trusted and the scans take over.
      out << "\nNet inconsistent on step " << step << "\n";
      run_reference_steps(model, rules, step + 1, max_steps, reduction_log,
                          out);
      return true;
    }
  }
  return true;
}

bool run_reduction_reference(NetModel& model, const RuleSet& rules,
                             int32_t max_steps, std::ostream* reduction_log,
                             std::ostream& out) {
  run_reference_steps(model, rules, 0, max_steps, reduction_log, out);
  return true;
}

}  // namespace marovel
