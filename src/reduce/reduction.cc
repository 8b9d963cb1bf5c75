#include "reduce/reduction.h"

#include <iterator>
#include <ostream>

#include "model/consistency.h"
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

}  // namespace

bool run_reduction(NetModel& model, const RuleSet& rules, int32_t max_steps,
                   std::ostream* reduction_log, std::ostream& out) {
  bool applied = true;
  for (int32_t step = 0; applied && step < max_steps; ++step) {
    applied = apply_first_rule(model, rules, reduction_log, out);
    if (!check_consistency(model))
      out << "\nNet inconsistent on step " << step << "\n";
  }
  return true;
}

}  // namespace marovel
