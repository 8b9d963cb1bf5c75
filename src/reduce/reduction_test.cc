// The step loop itself: the step limit, the per-step closure check and its
// step numbers, rules that fail, what the run reports, a run without a log,
// the step observer, and the model a run leaves when it is cut short.
#include <gtest/gtest.h>

#include <climits>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "reduce/reducer.h"
#include "reduce/reduction_log.h"
#include "reduce/test_net.h"
#include "tests/allocation_limit.h"

namespace marovel {
namespace {

using testing::AllocationLimit;
using testing::dump_aggregates;
using testing::dump_net;
using testing::make_net;
using testing::mirrored_and_closed;

// The faults of a run as the entry point shows them.
std::string messages(const ReductionReport& report) {
  std::string text;
  for (const ReductionReport::Fault& fault : report.faults)
    text += fault_message(fault);
  return text;
}

std::string inconsistent_on(const std::vector<int>& steps) {
  std::string text;
  for (int step : steps)
    text += "\nNet inconsistent on step " + std::to_string(step) + "\n";
  return text;
}

// Two rule A applications away from a single place. The dangling arc into z
// makes every check fail, so the messages show which steps ran.
NetModel chain_with_dangling_arc() {
  NetModel model =
      make_net({"p1>t1", "p2<t1", "p2>t2", "p3<t2"}, {"z", "ghost"});
  model.p_map.at(model.id("z")).in.insert(model.t_map.id_of(model.id("ghost")));
  return model;
}

struct LimitCase {
  int32_t max_steps;
  size_t applications;
  std::vector<int> checked_steps;
};

void PrintTo(const LimitCase& c, std::ostream* os) {
  *os << "max_steps " << c.max_steps;
}

class StepLimitTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(StepLimitTest, RunsAtMostMaxStepsAndChecksEach) {
  const LimitCase& c = GetParam();
  NetModel model = chain_with_dangling_arc();
  const std::string before = dump_net(model);
  std::ostringstream log;
  const ReductionReport report =
      run_reduction(model, {.rules = RuleSet::from_letters("A"),
                            .max_steps = c.max_steps,
                            .log = &log});

  const std::string all_lines = "A:p1,t1,p2 reduced\nA:p1,t2,p3 reduced\n";
  const size_t line_length = all_lines.find('\n') + 1;
  EXPECT_EQ(log.str(), all_lines.substr(0, c.applications * line_length));
  EXPECT_EQ(messages(report), inconsistent_on(c.checked_steps));
  EXPECT_EQ(report.applications(), c.applications);
  // The limit ends the run unless a step found nothing to apply first.
  EXPECT_EQ(report.stopped_at_limit, c.checked_steps.size() == c.applications);
  if (c.applications == 0) {
    EXPECT_EQ(dump_net(model), before);
  }
}

// Two applications exhaust the net: a limit of 2 stops without the final
// empty step, a limit of 3 or more reaches it.
INSTANTIATE_TEST_SUITE_P(
    Limits, StepLimitTest,
    ::testing::Values(LimitCase{INT32_MIN, 0, {}}, LimitCase{-1, 0, {}},
                      LimitCase{0, 0, {}}, LimitCase{1, 1, {0}},
                      LimitCase{2, 2, {0, 1}}, LimitCase{3, 2, {0, 1, 2}},
                      LimitCase{2000000, 2, {0, 1, 2}}));

TEST(RunReductionTest, NoRuleEnabledRunsOneEmptyStep) {
  NetModel model = chain_with_dangling_arc();
  const std::string before = dump_net(model);
  std::ostringstream log;
  const ReductionReport report =
      run_reduction(model, {.rules = RuleSet{}, .log = &log});
  EXPECT_EQ(log.str(), "");
  EXPECT_EQ(messages(report), inconsistent_on({0}));
  EXPECT_FALSE(report.stopped_at_limit);
  EXPECT_EQ(dump_net(model), before);
}

// Eight loops on t go one per step; w names the last one without it naming w,
// so the model turns inconsistent with the eighth step, step 7.
TEST(RunReductionTest, ReportsTheStepThatBrokeClosure) {
  NetModel model =
      make_net({"q1>t", "q1<t", "q2>t", "q2<t", "q3>t", "q3<t", "q4>t", "q4<t",
                "q5>t", "q5<t", "q6>t", "q6<t", "q7>t", "q7<t", "q8>t", "q8<t"},
               {"w"});
  model.t_map.at(model.id("w")).in.insert(model.p_map.id_of(model.id("q8")));
  std::ostringstream log;
  const ReductionReport report =
      run_reduction(model, {.rules = RuleSet::from_letters("E"), .log = &log});
  EXPECT_EQ(messages(report), inconsistent_on({7, 8}));
  EXPECT_EQ(log.str(),
            "E:t,q1 reduced\nE:t,q2 reduced\nE:t,q3 reduced\nE:t,q4 reduced\n"
            "E:t,q5 reduced\nE:t,q6 reduced\nE:t,q7 reduced\nE:t,q8 reduced\n");
}

// Rule A's output place is not a place of the model: the rule reports it,
// keeps only its aggregate additions and fails, and the step goes on to the
// next enabled rule. The next step meets the same transition again.
TEST(RunReductionTest, MissingOutputPlaceFailsRuleA) {
  NetModel model = make_net({"i>t", "e>u", "e<u"}, {"o"});
  const NameId o = model.id("o");
  model.t_map.at(model.id("t")).out.insert(model.p_map.id_of(o));
  std::ostringstream log;
  const ReductionReport report =
      run_reduction(model, {.rules = RuleSet::from_letters("AE"), .log = &log});

  const std::string missing = "\n missing place_j!\n";
  EXPECT_EQ(messages(report),
            missing + inconsistent_on({0}) + missing + inconsistent_on({1}));
  EXPECT_EQ(log.str(), "E:u,e reduced\n");
  EXPECT_EQ(dump_net(model), "places[i] transitions[t u] arcs[i>t]");
  EXPECT_EQ(model.t_map.find(model.id("t"))->out.count(model.p_map.id_of(o)),
            1u);
  EXPECT_EQ(dump_aggregates(model), "i{i o t} u{e u}");
}

TEST(RunReductionTest, RunsWithoutLog) {
  NetModel model = make_net({"p1>t1", "p2<t1", "p2>t2", "p3<t2"});
  const ReductionReport report = run_reduction(model, ReductionSettings{});
  EXPECT_TRUE(report.faults.empty());
  EXPECT_EQ(report.applications(), 2u);
  EXPECT_EQ(dump_net(model), "places[p1] transitions[] arcs[]");
  EXPECT_EQ(dump_aggregates(model), "p1{p1 p2 p3 t1 t2}");
}

// A chain of `transitions` rule A applications: p0 > t0 > p1 > t1 > ...
NetModel long_chain(int transitions) {
  std::vector<std::string> arcs;
  for (int k = 0; k < transitions; ++k) {
    arcs.push_back("p" + std::to_string(k) + ">t" + std::to_string(k));
    arcs.push_back("p" + std::to_string(k + 1) + "<t" + std::to_string(k));
  }
  return make_net(std::vector<std::string_view>(arcs.begin(), arcs.end()));
}

// Every rule has work in it, and rule A's first fusions keep the removed
// place's record under the kept name.
NetModel mixed_net() {
  return make_net({"p1>t1", "p2<t1", "p2>t2", "p3<t2", "p3>t3", "p3<c",
                   "pa<u1", "pa>u2", "pb<u1", "pb>u2", "pc<u1", "pc>u2",
                   "x>va",  "x>vb",  "y<va",  "y<vb",  "q>v",   "q<v",
                   "x<v",   "r>w",   "r<w",   "r<d",   "y>d"});
}

struct Stop {};

// What a run told its observer; throws Stop at the application or progress
// call it is asked to.
class Recorder : public StepObserver {
 public:
  void applied(const Application& application, const NetModel& model) override {
    applications.push_back(application);
    transitions_left.push_back(model.t_map.size());
    if (applications.size() == stop_at_application) throw Stop{};
  }
  void progress(uint64_t applications_so_far) override {
    progress_calls.push_back(applications_so_far);
    if (stop_at_progress) throw Stop{};
  }

  uint64_t stop_at_application = 0;  // 0: never
  bool stop_at_progress = false;
  std::vector<Application> applications;
  std::vector<size_t> transitions_left;
  std::vector<uint64_t> progress_calls;
};

TEST(StepObserverTest, ToldEachApplicationAndTheProgress) {
  const NetModel chain = long_chain(9000);
  NetModel model = chain;
  Recorder recorder;
  std::ostringstream log;
  const ReductionReport report =
      run_reduction(model, {.rules = RuleSet::from_letters("A"),
                            .log = &log,
                            .observer = &recorder});
  EXPECT_EQ(report.applications(), 9000u);
  std::string lines;
  for (const Application& application : recorder.applications)
    lines += log_line(application, model.names);
  EXPECT_EQ(lines, log.str());
  // Each call sees the model its application left.
  ASSERT_EQ(recorder.transitions_left.size(), 9000u);
  for (size_t k = 0; k < 9000; ++k)
    ASSERT_EQ(recorder.transitions_left[k], 9000 - k - 1);
  EXPECT_EQ(recorder.progress_calls, (std::vector<uint64_t>{4096, 8192}));

  // Stopped through progress(), the run leaves what a run of as many steps
  // leaves.
  NetModel stopped = chain;
  Recorder stopper;
  stopper.stop_at_progress = true;
  EXPECT_THROW(run_reduction(stopped, {.rules = RuleSet::from_letters("A"),
                                       .observer = &stopper}),
               Stop);
  NetModel limited = chain;
  run_reduction(limited,
                {.rules = RuleSet::from_letters("A"), .max_steps = 4096});
  EXPECT_EQ(dump_net(stopped), dump_net(limited));
  EXPECT_EQ(dump_aggregates(stopped), dump_aggregates(limited));
}

TEST(StepObserverTest, ThrowLeavesTheModelAsAfterThatApplication) {
  const NetModel input = mixed_net();
  NetModel whole = input;
  const uint64_t applications =
      run_reduction(whole, ReductionSettings{}).applications();
  ASSERT_GE(applications, 8u);
  for (const auto engine : {&run_reduction, &run_reduction_reference}) {
    for (uint64_t stop = 1; stop <= applications; ++stop) {
      SCOPED_TRACE("stopped at application " + std::to_string(stop));
      NetModel model = input;
      Recorder recorder;
      recorder.stop_at_application = stop;
      EXPECT_THROW(engine(model, {.observer = &recorder}), Stop);
      NetModel limited = input;
      engine(limited, {.max_steps = static_cast<int32_t>(stop)});
      EXPECT_TRUE(mirrored_and_closed(model));
      EXPECT_EQ(dump_net(model), dump_net(limited));
      EXPECT_EQ(dump_aggregates(model), dump_aggregates(limited));
    }
  }
}

// Every allocation of a run fails in turn: the run throws std::bad_alloc
// and leaves the model as it was (the index did not fit) or empty (a step
// failed, maybe half done), never a model half changed; the sanitizers
// watch the half-done steps being torn down.
TEST(RunReductionTest, OutOfMemoryLeavesTheModelWholeOrEmpty) {
  const NetModel input = mixed_net();
  const KeptNames kept{input.id("p2"), input.id("pb")};
  NetModel whole = input;
  run_reduction(whole, {.keep = kept});
  for (const auto engine : {&run_reduction, &run_reduction_reference}) {
    int untouched = 0, emptied = 0;
    for (uint64_t successes = 0;; ++successes) {
      SCOPED_TRACE(std::to_string(successes) + " allocations");
      NetModel model = input;
      bool threw = false;
      {
        AllocationLimit limit(successes);
        try {
          engine(model, {.keep = kept});
        } catch (const std::bad_alloc&) {
          threw = true;
        }
      }
      if (!threw) {
        EXPECT_EQ(dump_net(model), dump_net(whole));
        EXPECT_EQ(dump_aggregates(model), dump_aggregates(whole));
        break;
      }
      if (model.names.size() == 0) {
        ++emptied;
        EXPECT_TRUE(model.p_map.empty() && model.t_map.empty());
      } else {
        ++untouched;
        EXPECT_EQ(dump_net(model), dump_net(input));
        EXPECT_EQ(dump_aggregates(model), dump_aggregates(input));
      }
    }
    EXPECT_GT(emptied, 0);
    if (engine == &run_reduction) {
      EXPECT_GT(untouched, 0);
    }
  }
}

}  // namespace
}  // namespace marovel
