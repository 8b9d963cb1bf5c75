// The six rules driven through the reducer, one net per row: which lines
// the log gets, which net and aggregates are left, and that the model stays
// mirrored and closed and keeps its kept nodes after every single step, with
// either engine.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "reduce/reducer.h"
#include "reduce/reduction_log.h"
#include "reduce/series.h"
#include "reduce/test_net.h"

namespace marovel {
namespace {

using testing::dump_aggregates;
using testing::dump_net;
using testing::kept_survive;
using testing::make_net;
using testing::mirrored_and_closed;

struct Case {
  const char* name;
  std::vector<std::string_view> arcs;
  const char* rules;
  std::vector<std::string> log;
  std::string net;         // as dump_net prints it
  std::string aggregates;  // as dump_aggregates prints it
  // Names no rule may erase.
  std::vector<std::string_view> keep = {};
};

const Case kCases[] = {
    {"Chain",
     {"p1>t1", "p2<t1", "p2>t2", "p3<t2"},
     "ABCDEF",
     {"A:p1,t1,p2 reduced", "A:p1,t2,p3 reduced"},
     "places[p1] transitions[] arcs[]",
     "p1{p1 p2 p3 t1 t2}"},
    {"SeriesTransitionsOnly",
     {"p1>t0", "p0<t0", "p0>t1", "p2<t1"},
     "B",
     {"B:t0,p0,t1 reduced"},
     "places[p1 p2] transitions[t0] arcs[p1>t0 p2<t0]",
     "t0{p0 t0 t1}"},
    {"SeriesPlacesBeforeTransitions",
     {"p1>t0", "p0<t0", "p0>t1", "p2<t1"},
     "ABCDEF",
     {"A:p1,t0,p0 reduced", "A:p1,t1,p2 reduced"},
     "places[p1] transitions[] arcs[]",
     "p1{p0 p1 p2 t0 t1}"},
    {"WeightTwoMatchesNothing",
     {"p0>t0*2", "p1<t0"},
     "ABCDEF",
     {},
     "places[p0 p1] transitions[t0] arcs[p0>t0*2 p1<t0]",
     ""},
    {"ParallelPlacesThenSeries",
     {"pa<t1", "pa>t2", "pb<t1", "pb>t2", "pc<t1", "pc>t2"},
     "ABCDEF",
     {"C:t1,pa,pb,t2 reduced", "C:t1,pa,pc,t2 reduced", "B:t1,pa,t2 reduced"},
     "places[] transitions[t1] arcs[]",
     "t1{pa pb pc t1 t2}"},
    // p0 has no twin and pa's input weighs 2: neither stops the search.
    {"ParallelPlacesNeedEqualBags",
     {"p0<t0", "p0>t3", "pa<t1*2", "pa>t2", "pb<t1", "pb>t2", "pc<t1", "pc>t2"},
     "C",
     {"C:t1,pb,pc,t2 reduced"},
     "places[p0 pa pb] transitions[t0 t1 t2 t3] "
     "arcs[p0>t3 p0<t0 pa>t2 pa<t1*2 pb>t2 pb<t1]",
     "pb{pb pc}"},
    {"ParallelPlacesOnOneTransition",
     {"pa>t", "pa<t", "pb>t", "pb<t"},
     "C",
     {"C:t,pa,pb,t reduced"},
     "places[pa] transitions[t] arcs[pa>t pa<t]",
     "pa{pa pb}"},
    // Name order is bytewise: t10 comes before t2 and is kept.
    {"ParallelTransitionsKeepSmallerName",
     {"q>t2", "q>t10", "p<t2", "p<t10"},
     "D",
     {"D:q,t10,t2,p reduced"},
     "places[p q] transitions[t10] arcs[p<t10 q>t10]",
     "t10{t10 t2}"},
    {"IsolatedLoopTakenBySeriesPlaces",
     {"P>T", "P<T"},
     "ABCDEF",
     {"A:P,T,P reduced"},
     "places[] transitions[] arcs[]",
     "P{P T}"},
    {"IsolatedLoopTakenBySeriesTransitions",
     {"P>T", "P<T"},
     "BCDEF",
     {"B:T,P,T reduced"},
     "places[] transitions[] arcs[]",
     "T{P T}"},
    {"IsolatedLoopTakenBySelfLoopPlace",
     {"P>T", "P<T"},
     "CDEF",
     {"E:T,P reduced"},
     "places[] transitions[T] arcs[]",
     "T{P T}"},
    {"IsolatedLoopTakenBySelfLoopTransition",
     {"P>T", "P<T"},
     "F",
     {"F:T,P reduced"},
     "places[P] transitions[] arcs[]",
     "P{P T}"},
    {"SeriesPlacesCarryWeights",
     {"p1>t", "p2<t", "p2>b*3", "p1<c*2", "p2<c*3"},
     "A",
     {"A:p1,t,p2 reduced"},
     "places[p1] transitions[b c] arcs[p1>b*3 p1<c*5]",
     "p1{p1 p2 t}"},
    {"SeriesTransitionsCarryWeights",
     {"p<u", "p>v", "a<v*2", "a<u"},
     "B",
     {"B:u,p,v reduced"},
     "places[a] transitions[u] arcs[a<u*3]",
     "u{p u v}"},
    {"SelfLoopPlaceLeavesOtherArcs",
     {"q>t", "q<t", "x>t", "y<t"},
     "E",
     {"E:t,q reduced"},
     "places[x y] transitions[t] arcs[x>t y<t]",
     "t{q t}"},
    {"SelfLoopTransitionLeavesOtherArcs",
     {"p>tt", "p<tt", "p<a", "p>b"},
     "F",
     {"F:tt,p reduced"},
     "places[p] transitions[a b] arcs[p>b p<a]",
     "p{p tt}"},
    {"SelfLoopOfWeightTwoMatchesNothing",
     {"q>t*2", "q<t*2"},
     "ABCDEF",
     {},
     "places[q] transitions[t] arcs[q>t*2 q<t*2]",
     ""},
    // A loop on a place that c also feeds is no series; the search goes on.
    {"SeriesPlacesSkipFedLoop",
     {"P>a", "P<a", "P<c", "q1>z", "q2<z"},
     "A",
     {"A:q1,z,q2 reduced"},
     "places[P q1] transitions[a c] arcs[P>a P<a P<c]",
     "q1{q1 q2 z}"},
    {"FedLoopLeftToSelfLoopTransition",
     {"P>a", "P<a", "P<c"},
     "ABCDEF",
     {"F:a,P reduced"},
     "places[P] transitions[c] arcs[P<c]",
     "P{P a}"},
    // A loop on a transition that also feeds Q is no series; the search goes
    // on.
    {"SeriesTransitionsSkipFeedingLoop",
     {"P<u", "P>u", "Q<u", "r1<x", "r1>y"},
     "B",
     {"B:x,r1,y reduced"},
     "places[P Q] transitions[u x] arcs[P>u P<u Q<u]",
     "x{r1 x y}"},
    {"FeedingLoopLeftToSelfLoopPlace",
     {"P<u", "P>u", "Q<u"},
     "ABCDEF",
     {"E:u,P reduced"},
     "places[Q] transitions[u] arcs[Q<u]",
     "u{P u}"},
    // The removed transition and the removed place are both named x.
    {"PlaceAndTransitionOfOneName",
     {"p>x", "x<x", "x>y", "q<y"},
     "ABCDEF",
     {"A:p,x,x reduced", "A:p,y,q reduced"},
     "places[p] transitions[] arcs[]",
     "p{p q x y}"},
    // b loops on o, so fusing o into i turns b into a loop on i, which is
    // then isolated and fused away.
    {"SeriesPlacesOntoLoop",
     {"i>t", "o<t", "o>b", "o<b"},
     "A",
     {"A:i,t,o reduced", "A:i,b,i reduced"},
     "places[] transitions[] arcs[]",
     "i{b i o t}"},
    // Kept nodes. Rule A at t1 would erase p2; the search looks on to t2,
    // whose application p2 survives and absorbs p3. t1 is then passed
    // over for good.
    {"SeriesPlacesPassOverKeptOutput",
     {"p1>t1", "p2<t1", "p2>t2", "p3<t2"},
     "ABCDEF",
     {"A:p2,t2,p3 reduced"},
     "places[p1 p2] transitions[t1] arcs[p1>t1 p2<t1]",
     "p2{p2 p3 t2}",
     {"p2"}},
    {"SeriesPlacesPassOverKeptTransition",
     {"p1>t1", "p2<t1", "p2>t2", "p3<t2"},
     "A",
     {"A:p2,t2,p3 reduced"},
     "places[p1 p2] transitions[t1] arcs[p1>t1 p2<t1]",
     "p2{p2 p3 t2}",
     {"t1"}},
    // The kept input place absorbs as it would unkept.
    {"SeriesPlacesKeptInputAbsorbs",
     {"p1>t1", "p2<t1", "p2>t2", "p3<t2"},
     "A",
     {"A:p1,t1,p2 reduced", "A:p1,t2,p3 reduced"},
     "places[p1] transitions[] arcs[]",
     "p1{p1 p2 p3 t1 t2}",
     {"p1"}},
    // Rule B at p0 would erase the kept t1.
    {"SeriesTransitionsPassOverKeptOutput",
     {"p1>t0", "p0<t0", "p0>t1", "p2<t1"},
     "B",
     {},
     "places[p0 p1 p2] transitions[t0 t1] arcs[p0>t1 p0<t0 p1>t0 p2<t1]",
     "",
     {"t1"}},
    // Rule A at t0 would erase the kept t0, rule B at p0 the kept p0: rule
    // A at t1 fuses p2 into p0.
    {"SeriesKeptOnBothSides",
     {"p1>t0", "p0<t0", "p0>t1", "p2<t1"},
     "ABCDEF",
     {"A:p0,t1,p2 reduced"},
     "places[p0 p1] transitions[t0] arcs[p0<t0 p1>t0]",
     "p0{p0 p2 t1}",
     {"p0", "t0"}},
    // Each rule in turn would erase the kept node of an isolated loop,
    // until one erases the other.
    {"IsolatedLoopKeepsPlace",
     {"P>T", "P<T"},
     "ABCDEF",
     {"F:T,P reduced"},
     "places[P] transitions[] arcs[]",
     "P{P T}",
     {"P"}},
    {"IsolatedLoopKeepsTransition",
     {"P>T", "P<T"},
     "ABCDEF",
     {"E:T,P reduced"},
     "places[] transitions[T] arcs[]",
     "T{P T}",
     {"T"}},
    {"IsolatedLoopKeepsBoth",
     {"P>T", "P<T"},
     "ABCDEF",
     {},
     "places[P] transitions[T] arcs[P>T P<T]",
     "",
     {"P", "T"}},
    // Twins: the kept node q may come after the twin p it absorbs, when p
    // is the only member that may go.
    {"ParallelPlacesKeepSmallest",
     {"pa<t1", "pa>t2", "pb<t1", "pb>t2", "pc<t1", "pc>t2"},
     "C",
     {"C:t1,pa,pb,t2 reduced", "C:t1,pa,pc,t2 reduced"},
     "places[pa] transitions[t1 t2] arcs[pa>t2 pa<t1]",
     "pa{pa pb pc}",
     {"pa"}},
    {"ParallelPlacesKeepMiddle",
     {"pa<t1", "pa>t2", "pb<t1", "pb>t2", "pc<t1", "pc>t2"},
     "C",
     {"C:t1,pa,pc,t2 reduced", "C:t1,pb,pa,t2 reduced"},
     "places[pb] transitions[t1 t2] arcs[pb>t2 pb<t1]",
     "pb{pa pb pc}",
     {"pb"}},
    {"ParallelPlacesKeepLargest",
     {"pa<t1", "pa>t2", "pb<t1", "pb>t2", "pc<t1", "pc>t2"},
     "C",
     {"C:t1,pa,pb,t2 reduced", "C:t1,pc,pa,t2 reduced"},
     "places[pc] transitions[t1 t2] arcs[pc>t2 pc<t1]",
     "pc{pa pb pc}",
     {"pc"}},
    {"ParallelPlacesKeepTwoOfThree",
     {"pa<t1", "pa>t2", "pb<t1", "pb>t2", "pc<t1", "pc>t2"},
     "C",
     {"C:t1,pb,pa,t2 reduced"},
     "places[pb pc] transitions[t1 t2] arcs[pb>t2 pb<t1 pc>t2 pc<t1]",
     "pb{pa pb}",
     {"pb", "pc"}},
    // A group whose members are all kept gives way to the next group.
    {"ParallelPlacesKeptGroupGivesWay",
     {"pa<t1", "pa>t2", "pb<t1", "pb>t2", "qa<t3", "qa>t4", "qb<t3", "qb>t4"},
     "C",
     {"C:t3,qa,qb,t4 reduced"},
     "places[pa pb qa] transitions[t1 t2 t3 t4] "
     "arcs[pa>t2 pa<t1 pb>t2 pb<t1 qa>t4 qa<t3]",
     "qa{qa qb}",
     {"pa", "pb"}},
    {"ParallelTransitionsKeepLarger",
     {"q>t2", "q>t10", "p<t2", "p<t10"},
     "D",
     {"D:q,t2,t10,p reduced"},
     "places[p q] transitions[t2] arcs[p<t2 q>t2]",
     "t2{t10 t2}",
     {"t2"}},
    // Rules E and F pass over a kept loop and look on to the next; the
    // kept nodes absorb the loops left on them.
    {"SelfLoopsPassOverKeptNodes",
     {"qa>t", "qa<t", "qb>t", "qb<t", "p>ua", "p<ua", "p>ub", "p<ub"},
     "EF",
     {"E:t,qb reduced", "F:t,qa reduced", "F:ub,p reduced", "E:ua,p reduced"},
     "places[qa] transitions[ua] arcs[]",
     "qa{qa qb t} ua{p ua ub}",
     {"qa", "ua"}},
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class RulesTest : public ::testing::TestWithParam<Case> {};

std::string lines(const std::vector<std::string>& log) {
  std::string text;
  for (const std::string& line : log) text += line + '\n';
  return text;
}

// The ids of `names` in `model`.
KeptNames kept_names(const NetModel& model,
                     const std::vector<std::string_view>& names) {
  KeptNames kept;
  for (const std::string_view name : names) kept.insert(model.id(name));
  return kept;
}

TEST_P(RulesTest, ReducesAsExpected) {
  const Case& c = GetParam();
  const RuleSet rules = RuleSet::from_letters(c.rules);
  const NetModel input = make_net(c.arcs);
  const KeptNames kept = kept_names(input, c.keep);

  // One step at a time: the loop carries nothing between steps but the
  // model (and, for the indexed engine, the index that follows it).
  for (const Engine engine : {Engine::kIndexed, Engine::kReference}) {
    SCOPED_TRACE(engine == Engine::kIndexed ? "indexed" : "reference");
    NetModel model = input;
    ASSERT_TRUE(mirrored_and_closed(model));
    Reducer reducer(std::move(model), rules, engine, kept);
    std::string log;
    for (int step = 0; step < 64; ++step) {
      const Reducer::Step done = reducer.step();
      ASSERT_TRUE(mirrored_and_closed(reducer.model()))
          << "after step " << step;
      ASSERT_TRUE(kept_survive(input, reducer.model(), kept))
          << "after step " << step;
      EXPECT_TRUE(done.consistent);
      EXPECT_FALSE(done.missing_place);
      if (!done.applied) break;
      log += log_line(*done.applied, reducer.model().names);
    }
    EXPECT_EQ(log, lines(c.log));
    EXPECT_EQ(dump_net(reducer.model()), c.net);
    EXPECT_EQ(dump_aggregates(reducer.model()), c.aggregates);
  }

  NetModel whole = input;
  std::ostringstream whole_log;
  const ReductionReport report =
      run_reduction(whole, {.rules = rules, .log = &whole_log, .keep = kept});
  EXPECT_EQ(whole_log.str(), lines(c.log));
  EXPECT_EQ(report.applications(), c.log.size());
  EXPECT_FALSE(report.stopped_at_limit);
  EXPECT_TRUE(report.faults.empty());
  EXPECT_EQ(dump_net(whole), c.net);
  EXPECT_EQ(dump_aggregates(whole), c.aggregates);
}

INSTANTIATE_TEST_SUITE_P(Nets, RulesTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return info.param.name;
                         });

// A neighbour that is not a node reads as one without arcs: it never
// completes a match.
TEST(SeriesRulesTest, DanglingNeighbourCompletesNoMatch) {
  NetModel places(NameTable{"i", "o", "t"});
  const NameId i = 0, o = 1, t = 2;
  places.t_map.at(t).in.insert(places.p_map.id_of(i));
  places.t_map.at(t).out.insert(places.p_map.id_of(o));
  places.p_map.at(o).in.insert(places.t_map.id_of(t));
  EXPECT_FALSE(SeriesPlaces::at(places, t, KeptNames{}));

  NetModel transitions(NameTable{"p", "u", "v"});
  const NameId p = 0, u = 1, v = 2;
  transitions.p_map.at(p).in.insert(transitions.t_map.id_of(u));
  transitions.p_map.at(p).out.insert(transitions.t_map.id_of(v));
  transitions.t_map.at(u).out.insert(transitions.p_map.id_of(p));
  EXPECT_FALSE(SeriesTransitions::at(transitions, p, KeptNames{}));
}

}  // namespace
}  // namespace marovel
