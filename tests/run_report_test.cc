// What a run tells about itself beyond its messages: the summary of -v and
// the hint for a PNML input, on standard error.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tool_runner.h"

namespace marovel::testing {
namespace {

// A chain p1 -> t1 -> p2 -> t2 -> p3 that rule A folds in two steps.
const char kChain[] =
    "<petrinet><placelist><p name=\"p1\"><info/></p><p name=\"p2\"><info/>"
    "</p><p name=\"p3\"><info/></p></placelist><transitionlist>"
    "<t name=\"t1\"><info/></t><t name=\"t2\"><info/></t></transitionlist>"
    "<edgelist><e from=\"p1\" to=\"t1\"/><e from=\"t1\" to=\"p2\"/>"
    "<e from=\"p2\" to=\"t2\"/><e from=\"t2\" to=\"p3\"/></edgelist>"
    "</petrinet>";

// The lines of `text` that start with `prefix`.
std::vector<std::string> lines_with(const std::string& text,
                                    const std::string& prefix) {
  std::vector<std::string> found;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
    start = end + 1;
  }
  return found;
}

TEST(RunReportTest, VerboseSummaryCountsAndSaysWhyTheRunStopped) {
  const struct {
    std::vector<std::string> options;
    std::string steps;  // the steps line after "marovel: steps: "
    std::string left;   // the left line after "marovel: left: "
  } kCases[] = {
      {{},
       "2 (A 2, B 0, C 0, D 0, E 0, F 0), stopped: no rule applies any more",
       "1 place, 0 transitions, 0 arcs"},
      {{"--steps=1"},
       "1 (A 1, B 0, C 0, D 0, E 0, F 0), stopped: step limit 1 "
       "reached",
       "2 places, 1 transition, 2 arcs"},
      {{"--steps=2"},
       "2 (A 2, B 0, C 0, D 0, E 0, F 0), stopped: step limit 2 "
       "reached; no rule applies any more",
       "1 place, 0 transitions, 0 arcs"},
      {{"--steps=0"},
       "0 (A 0, B 0, C 0, D 0, E 0, F 0), stopped: no step "
       "allowed (--steps=0)",
       "3 places, 2 transitions, 4 arcs"},
      {{"--steps=-5"},
       "0 (A 0, B 0, C 0, D 0, E 0, F 0), stopped: no step "
       "allowed (--steps=-5)",
       "3 places, 2 transitions, 4 arcs"},
      {{"--rules=E"},
       "0 (A 0, B 0, C 0, D 0, E 0, F 0), stopped: no rule "
       "applied at all",
       "3 places, 2 transitions, 4 arcs"},
  };
  for (const auto& c : kCases) {
    const std::string what = ::testing::PrintToString(c.options);
    ScratchDir dir;
    dir.write("chain.xml", kChain);
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"-v", "chain.xml"});
    const ToolRun run = run_tool(args, dir.path());
    EXPECT_EQ(run.status, 1) << what;
    EXPECT_EQ(lines_with(run.err, "marovel: input: "),
              std::vector<std::string>{
                  "marovel: input: 3 places, 2 transitions, 4 arcs"})
        << what;
    EXPECT_EQ(lines_with(run.err, "marovel: steps: "),
              std::vector<std::string>{"marovel: steps: " + c.steps})
        << what;
    EXPECT_EQ(lines_with(run.err, "marovel: left: "),
              std::vector<std::string>{"marovel: left: " + c.left})
        << what;
    EXPECT_EQ(lines_with(run.err, "marovel: output: "),
              std::vector<std::string>{"marovel: output: chain_reduced.xml"})
        << what;
  }
}

TEST(RunReportTest, LargestAggregateIsNamedInTheSingularAndPlural) {
  ScratchDir dir;
  dir.write("chain.xml", kChain);
  ToolRun run = run_tool({"-v", "chain.xml"}, dir.path());
  EXPECT_EQ(lines_with(run.err, "marovel: largest: "),
            std::vector<std::string>{
                "marovel: largest: place 'p1' stands for 5 input nodes"});
  run = run_tool({"-v", "--rules=", "chain.xml"}, dir.path());
  EXPECT_EQ(lines_with(run.err, "marovel: largest: "),
            std::vector<std::string>{
                "marovel: largest: place 'p1' stands for 1 input node"});
}

TEST(RunReportTest, PnmlRootsGetTheHintWithOrWithoutAPrefix) {
  for (const std::string root :
       {"<pnml>",
        "<p:pnml xmlns:p=\"http://www.pnml.org/version-2009/grammar/pnml\">"}) {
    ScratchDir dir;
    const std::string end =
        root[1] == 'p' && root[2] == ':' ? "</p:pnml>" : "</pnml>";
    dir.write("net.pnml", root + "<net/>" + end);
    const ToolRun run = run_tool({"net.pnml"}, dir.path());
    EXPECT_EQ(run.status, 2) << root;
    EXPECT_EQ(run.out, "Wrong input file\n") << root;
    EXPECT_EQ(run.err,
              "marovel: 'net.pnml' is a PNML file: convert it with pnml2net "
              "first, then reduce the net file it writes\n")
        << root;
  }
}

}  // namespace
}  // namespace marovel::testing
