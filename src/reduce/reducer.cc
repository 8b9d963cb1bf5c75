#include "reduce/reducer.h"

#include <cassert>
#include <ostream>
#include <utility>

#include "model/invariants.h"
#include "reduce/reduction_log.h"
#include "reduce/rule_table.h"

namespace marovel {

Reducer::Reducer(NetModel&& model, const RuleSet& rules, Engine engine,
                 KeptNames kept, TwoCores cores)
    : model_(std::move(model)),
      rules_(rules),
      engine_(engine),
      kept_(std::move(kept)),
      cores_(cores) {
  // The index finds neighbours through bags, which needs a closed and
  // mirrored model.
  assert(engine != Engine::kIndexed || is_closed_and_mirrored(model_));
  if (engine_ == Engine::kIndexed) {
    try {
      index_ = std::make_unique<MatchIndex>(model_, rules_, kept_, cores_);
    } catch (...) {
      // Building the index only reads the model.
      model = std::move(model_);
      throw;
    }
  }
}

template <typename R>
std::optional<typename R::Match> Reducer::find() {
  if (index_) return index_->find<R>();
  return scan<R>(model_, kept_);
}

Reducer::Step Reducer::step(StepObserver* watcher) {
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
      record_footprint<R>(model_, *match, footprint_);
      index_->before_step(footprint_);
    }
    if (watcher != nullptr)
      watcher->before({Application{kRuleOf<R>, R::names(*match)},
                       R::erased(*match), R::absorber(*match)},
                      model_);
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

void StepObserver::before(const PendingApplication&, const NetModel&) {}
void StepObserver::applied(const Application&, const NetModel&) {}
void StepObserver::progress(uint64_t) {}

namespace {

// Puts the reducer's model back into the caller's on every way out of a
// run: as the last step left it, or empty when a step failed half done.
class ModelReturn {
 public:
  ModelReturn(NetModel& model, Reducer& reducer)
      : model_(model), reducer_(reducer) {}
  ModelReturn(const ModelReturn&) = delete;
  ModelReturn& operator=(const ModelReturn&) = delete;
  ~ModelReturn() {
    if (step_done_) {
      model_ = reducer_.release();
    } else {
      model_ = NetModel();
    }
  }

  // Around each step, so that an exception from within it is told from
  // one after it.
  void step_begins() { step_done_ = false; }
  void step_ends() { step_done_ = true; }

 private:
  NetModel& model_;
  Reducer& reducer_;
  bool step_done_ = true;
};

ReductionReport run_steps(NetModel& model, const ReductionSettings& settings,
                          Engine engine) {
  ReductionReport report;
  report.stopped_at_limit = true;
  if (settings.max_steps <= 0) return report;
  Reducer reducer(std::move(model), settings.rules, engine, settings.keep,
                  settings.cores);
  ModelReturn model_return(model, reducer);
  StepObserver* const watcher =
      settings.observer != nullptr && settings.observer->wants_before()
          ? settings.observer
          : nullptr;
  for (int32_t step = 0; step < settings.max_steps; ++step) {
    model_return.step_begins();
    const Reducer::Step done = reducer.step(watcher);
    model_return.step_ends();
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
    write_log_line(settings.log, *done.applied, reducer.model().names);
    if (StepObserver* observer = settings.observer) {
      observer->applied(*done.applied, reducer.model());
      const uint64_t applications = uint64_t(step) + 1;
      if (applications % StepObserver::kProgressInterval == 0)
        observer->progress(applications);
    }
  }
  if (report.stopped_at_limit) report.exhausted_at_limit = !reducer.can_step();
  return report;
}

}  // namespace

ReductionReport run_reduction(NetModel& model,
                              const ReductionSettings& settings) {
  assert(!settings.known_closed_and_mirrored || is_closed_and_mirrored(model));
  const bool indexed =
      settings.max_steps > 0 &&
      (settings.known_closed_and_mirrored || is_closed_and_mirrored(model));
  return run_steps(model, settings,
                   indexed ? Engine::kIndexed : Engine::kReference);
}

ReductionReport run_reduction_reference(NetModel& model,
                                        const ReductionSettings& settings) {
  return run_steps(model, settings, Engine::kReference);
}

}  // namespace marovel
