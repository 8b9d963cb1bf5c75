// The reducer: the one owner of a run's model, its match index and the
// footprint of the step at hand, and the only way the model changes during
// a run. Each step offers the net to the enabled rules in priority order
// (rule_table.h) and applies the first that matches, once.
#ifndef MAROVEL_REDUCE_REDUCER_H_
#define MAROVEL_REDUCE_REDUCER_H_

#include <array>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/two_cores.h"
#include "model/net_model.h"
#include "reduce/kept_names.h"
#include "reduce/match_index.h"
#include "reduce/rule.h"
#include "reduce/rule_set.h"
#include "reduce/step_footprint.h"

namespace marovel {

// How a step finds its match: through the index of candidates, or by the
// reference scans (every rule walks its map from the first key, the rules of
// twins compare every candidate with every node, and every step ends with a
// closure check over every bag). The scans are kept to check the index
// against and to measure it by; they also serve a model that is not
// closed and mirrored, which the index cannot.
enum class Engine { kIndexed, kReference };

class StepObserver;

class Reducer {
 public:
  // Takes over `model`, of which no step erases a node `kept` names. Should
  // the index not fit in memory, throws std::bad_alloc and leaves `model`
  // as it was. REQUIRES: for kIndexed, the model is closed and mirrored.
  Reducer(NetModel&& model, const RuleSet& rules, Engine engine,
          KeptNames kept = {}, TwoCores cores = {});
  Reducer(const Reducer&) = delete;
  Reducer& operator=(const Reducer&) = delete;

  struct Step {
    // The application, or none when no enabled rule matched.
    std::optional<Application> applied;
    // Rule A found its output place missing (a model that names a node it
    // lacks) and left only the kept place's aggregate extended.
    bool missing_place = false;
    // The closure check that ends every step.
    bool consistent = true;
  };
  // One step. Once a step leaves the model inconsistent, the index can no
  // longer be trusted and the reference scans take over. Should memory run
  // out (std::bad_alloc), the step may be left half done: the model is then
  // fit only to be destroyed. Unless `watcher` is null, its before() is
  // called with the match found, on the model as it still is, just before
  // the application.
  Step step(StepObserver* watcher = nullptr);

  // Whether a step would apply a rule now; changes nothing.
  bool can_step();

  const NetModel& model() const { return model_; }
  // Gives the model back; the reducer is done with it.
  NetModel release() { return std::move(model_); }

 private:
  template <typename R>
  std::optional<typename R::Match> find();

  NetModel model_;
  RuleSet rules_;
  Engine engine_;
  KeptNames kept_;
  TwoCores cores_;
  std::unique_ptr<MatchIndex> index_;  // for kIndexed
  StepFootprint footprint_;
};

// What a run did, for the entry point to report.
struct ReductionReport {
  // Applications per rule, in priority order.
  std::array<uint64_t, kRuleCount> applied{};
  // The run ended because the step limit was reached (rather than at a
  // step in which no rule applied), and whether no rule had a match left
  // by then either.
  bool stopped_at_limit = false;
  bool exhausted_at_limit = false;
  // Faults in the order they arose: a step after which the model was found
  // inconsistent (its number, counting from 0), or rule A's missing place.
  struct Fault {
    enum class Kind { kInconsistent, kMissingPlace } kind;
    int32_t step;
  };
  std::vector<Fault> faults;

  uint64_t applications() const;
};

// The message the entry point shows for a fault: "\nNet inconsistent on step
// N\n" or "\n missing place_j!\n".
std::string fault_message(const ReductionReport::Fault& fault);

// Why the run ended, as a person reads it: "no rule applies any more", "no
// rule applied at all", "step limit N reached", the last followed by "; no
// rule applies any more" when the limit came as the rules ran out, or "no
// step allowed (--steps=N)" for a limit of 0 or less. `max_steps` is the
// run's limit.
std::string stopped_text(const ReductionReport& report, int32_t max_steps);

// An application about to be made, as StepObserver::before() sees it.
struct PendingApplication {
  Application application;
  MatchNameIds erased;    // the nodes it erases (the rule's erased())
  MatchNameIds absorber;  // the node that takes them over (absorber())
};

// Follows a run application by application, for callers other than the
// reduction log. An exception thrown by applied() or progress() stops the
// run and propagates out of run_reduction, the model left as after the last
// application; one thrown by before() leaves it empty, as std::bad_alloc
// within a step does.
class StepObserver {
 public:
  // The applications between two calls of progress().
  static constexpr uint64_t kProgressInterval = 4096;

  virtual ~StepObserver() = default;
  // Whether the run is to call before(): asked once, so that a run whose
  // observer needs no look before the applications costs nothing more.
  virtual bool wants_before() const { return false; }
  // Just before each application, with the model it is about to change.
  // An application that then fails (rule A on a model that names a place
  // it lacks) is followed by the next rule's before() in the same step.
  virtual void before(const PendingApplication& pending, const NetModel& model);
  // After each application, in the order of the log, with the model it
  // left.
  virtual void applied(const Application& application, const NetModel& model);
  // After the applied() of every kProgressInterval-th application, with
  // the number of applications so far.
  virtual void progress(uint64_t applications);
};

// --steps' default.
inline constexpr int32_t kDefaultMaxSteps = 2000000;

// How a run goes.
struct ReductionSettings {
  RuleSet rules = RuleSet::all();
  // At most this many steps; none when it is 0 or less.
  int32_t max_steps = kDefaultMaxSteps;
  // Each application writes its line here, unless it is null.
  std::ostream* log = nullptr;
  // The names of the nodes no rule may erase.
  KeptNames keep = {};
  // Told of each application, unless it is null.
  StepObserver* observer = nullptr;
  TwoCores cores = {};
  // The indexed engine serves when the model is closed and mirrored; this
  // spares that check for a model known to be so (every model the reader
  // returns). Otherwise the reference scans serve.
  bool known_closed_and_mirrored = false;
};

// Reduces `model` in place as `settings` say. An exception from the log's
// stream or the observer leaves `model` as after the last application.
// Should memory run out (std::bad_alloc) while the index is built, `model`
// is left as it was; during a step, which may then be half done, `model` is
// left empty (no names, no nodes).
ReductionReport run_reduction(NetModel& model,
                              const ReductionSettings& settings);

// The same run with the reference scans, whatever the model.
ReductionReport run_reduction_reference(NetModel& model,
                                        const ReductionSettings& settings);

}  // namespace marovel

#endif  // MAROVEL_REDUCE_REDUCER_H_
