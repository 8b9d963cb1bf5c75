#include "reduce/reducer.h"

#include <cassert>
#include <ostream>
#include <utility>

#include "model/invariants.h"
#include "reduce/reduction_log.h"
#include "reduce/rule_table.h"

namespace marovel {

Reducer::Reducer(NetModel model, const RuleSet& rules, Engine engine,
                 TwoCores cores)
    : model_(std::move(model)), rules_(rules), engine_(engine), cores_(cores) {
  // The index finds neighbours through bags, which needs a closed and
  // mirrored model.
  assert(engine != Engine::kIndexed || is_closed_and_mirrored(model_));
  if (engine_ == Engine::kIndexed)
    index_ = std::make_unique<MatchIndex>(model_, rules_, cores_);
}

template <typename R>
std::optional<typename R::Match> Reducer::find() {
  if (index_) return index_->find<R>();
  return scan<R>(model_);
}

Reducer::Step Reducer::step() {
  Step step;
  footprint_.clear();
  until_a_rule([&](auto rule) {
    using R = typename decltype(rule)::type;
    if (!rules_[kRuleOf<R>]) return false;
    const std::optional<typename R::Match> match = find<R>();
    if (!match) return false;
    if (index_) {
      // The footprint is read off the model before the application
      // changes it, so that the index can let go of what is erased.
      R::footprint(model_, *match, footprint_);
      index_->before_step(footprint_);
    }
    const FusionMoves moves = index_ ? FusionMoves::kSmallerIntoLarger
                                     : FusionMoves::kRemovedIntoKept;
    if (!R::apply(model_, *match, moves)) {
      // A rule fails only on a model that names a node it lacks, which a
      // closed model rules out; the next rule gets the step.
      step.missing_place = true;
      index_.reset();
      engine_ = Engine::kReference;
      return false;
    }
    if (index_) index_->after_step(footprint_);
    step.applied = Application{kRuleOf<R>, R::names(*match)};
    return true;
  });
  if (index_) {
    // A step that applied nothing changed nothing: the model stays closed.
    if (step.applied && !check_consistency_after(model_, footprint_)) {
      // The rules keep a closed, mirrored model so; should one ever fail
      // to, the scans take over.
      step.consistent = false;
      index_.reset();
      engine_ = Engine::kReference;
    }
  } else {
    step.consistent = check_consistency(model_, cores_);
  }
  return step;
}

bool Reducer::can_step() {
  // Finding a match leaves the model as it is: the index only lets go of
  // candidates that no longer match.
  return until_a_rule([&](auto rule) {
    using R = typename decltype(rule)::type;
    return rules_[kRuleOf<R>] && find<R>().has_value();
  });
}

uint64_t ReductionReport::applications() const {
  uint64_t total = 0;
  for (const uint64_t count : applied) total += count;
  return total;
}

std::string stopped_text(const ReductionReport& report, int32_t max_steps) {
  if (max_steps <= 0)
    return "no step allowed (--steps=" + std::to_string(max_steps) + ")";
  if (report.stopped_at_limit) {
    std::string text = "step limit " + std::to_string(max_steps) + " reached";
    if (report.exhausted_at_limit) text += "; no rule applies any more";
    return text;
  }
  return report.applications() == 0 ? "no rule applied at all"
                                    : "no rule applies any more";
}

std::string fault_message(const ReductionReport::Fault& fault) {
  if (fault.kind == ReductionReport::Fault::Kind::kMissingPlace)
    return "\n missing place_j!\n";
  return "\nNet inconsistent on step " + std::to_string(fault.step) + "\n";
}

namespace {

ReductionReport run_steps(NetModel& model, const RuleSet& rules,
                          int32_t max_steps, std::ostream* reduction_log,
                          Engine engine, TwoCores cores) {
  ReductionReport report;
  report.stopped_at_limit = true;
  if (max_steps <= 0) return report;
  Reducer reducer(std::move(model), rules, engine, cores);
  for (int32_t step = 0; step < max_steps; ++step) {
    const Reducer::Step done = reducer.step();
    using Fault = ReductionReport::Fault;
    if (done.missing_place)
      report.faults.push_back({Fault::Kind::kMissingPlace, step});
    if (!done.consistent)
      report.faults.push_back({Fault::Kind::kInconsistent, step});
    if (!done.applied) {
      report.stopped_at_limit = false;
      break;
    }
    ++report.applied[done.applied->rule.index];
    write_log_line(reduction_log, *done.applied, reducer.model().names);
  }
  if (report.stopped_at_limit) report.exhausted_at_limit = !reducer.can_step();
  model = reducer.release();
  return report;
}

}  // namespace

ReductionReport run_reduction(NetModel& model, const RuleSet& rules,
                              int32_t max_steps, std::ostream* reduction_log,
                              bool known_closed_and_mirrored, TwoCores cores) {
  assert(!known_closed_and_mirrored || is_closed_and_mirrored(model));
  const bool indexed = max_steps > 0 && (known_closed_and_mirrored ||
                                         is_closed_and_mirrored(model));
  return run_steps(model, rules, max_steps, reduction_log,
                   indexed ? Engine::kIndexed : Engine::kReference, cores);
}

ReductionReport run_reduction_reference(NetModel& model, const RuleSet& rules,
                                        int32_t max_steps,
                                        std::ostream* reduction_log) {
  return run_steps(model, rules, max_steps, reduction_log, Engine::kReference,
                   TwoCores{});
}

}  // namespace marovel
