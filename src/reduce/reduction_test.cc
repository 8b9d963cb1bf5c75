// The step loop itself: the step limit, the per-step closure check and its
// step numbers, rules that fail, what the run reports, and a run without a
// log.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>
#include <vector>

#include "reduce/reducer.h"
#include "reduce/test_net.h"

namespace marovel {
namespace {

using testing::dump_aggregates;
using testing::dump_net;
using testing::make_net;

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

}  // namespace
}  // namespace marovel
