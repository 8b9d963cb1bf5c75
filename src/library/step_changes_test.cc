// The changes a reduction records, replayed over the input: after every
// step they must give exactly the net that a reduction stopped at that step
// leaves, arcs, nodes and aggregates alike.
#include "library/step_changes.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "bench/net_generator.h"
#include "marovel/marovel.h"

namespace marovel {
namespace {

// A net as the replay holds it: arcs keyed by (leaves a place, source,
// target), and what each name stands for.
struct Replayed {
  std::set<std::string> places, transitions;
  std::map<std::tuple<bool, std::string, std::string>, uint64_t> arcs;
  std::map<std::string, std::set<std::string>> members;
};

struct Input {
  std::vector<std::string> places, transitions;
  std::vector<Arc> arcs;
};

Input input_of(const bench::GeneratedNet& net) {
  Input input{net.place_names, net.transition_names, {}};
  for (const bench::GeneratedArc& arc : net.arcs) {
    const std::string& p = net.place_names[arc.place];
    const std::string& t = net.transition_names[arc.transition];
    input.arcs.push_back(arc.from_place ? Arc{p, t, arc.weight}
                                        : Arc{t, p, arc.weight});
  }
  return input;
}

Net build(const Input& input) {
  return Net::from_arcs(input.places, input.transitions, input.arcs);
}

Replayed replayed_from(const Net& net) {
  Replayed state;
  for (const std::string& p : net.places()) state.places.insert(p);
  for (const std::string& t : net.transitions()) state.transitions.insert(t);
  for (const Arc& arc : net.arcs())
    state.arcs[{state.places.count(arc.source) != 0, arc.source, arc.target}] =
        arc.weight;
  for (const auto& [name, members] : net.aggregates())
    state.members[name] = {members.begin(), members.end()};
  return state;
}

void apply(const StepChanges& changes, Replayed& state) {
  const auto remove = [&](const std::vector<Arc>& arcs, bool from_place) {
    for (const Arc& arc : arcs) {
      const auto found = state.arcs.find({from_place, arc.source, arc.target});
      ASSERT_NE(found, state.arcs.end()) << arc.source << ">" << arc.target;
      EXPECT_EQ(found->second, arc.weight) << arc.source << ">" << arc.target;
      state.arcs.erase(found);
    }
  };
  const auto add = [&](const std::vector<Arc>& arcs, bool from_place) {
    for (const Arc& arc : arcs)
      EXPECT_TRUE(state.arcs
                      .emplace(std::tuple{from_place, arc.source, arc.target},
                               arc.weight)
                      .second)
          << arc.source << ">" << arc.target;
  };
  remove(changes.removed_from_places, true);
  remove(changes.removed_from_transitions, false);
  add(changes.added_from_places, true);
  add(changes.added_from_transitions, false);
  EXPECT_TRUE((changes.absorber_is_place ? state.places : state.transitions)
                  .contains(changes.absorber))
      << changes.absorber;
  std::set<std::string>& into = state.members[changes.absorber];
  for (const auto* names :
       {&changes.erased_places, &changes.erased_transitions}) {
    for (const std::string& name : *names) {
      const std::set<std::string>& from = state.members[name];
      into.insert(from.begin(), from.end());
      EXPECT_EQ(
          (names == &changes.erased_places ? state.places : state.transitions)
              .erase(name),
          1u)
          << name;
    }
  }
  // What an erased name stood for stays with it while a node of the other
  // kind bears it; otherwise it is gone with the node.
  for (const auto* names :
       {&changes.erased_places, &changes.erased_transitions})
    for (const std::string& name : *names)
      if (!state.places.contains(name) && !state.transitions.contains(name))
        state.members.erase(name);
}

// Replays a whole run of `input` with `options` and compares, after every
// step K, with the net a run limited to K steps leaves.
void check_replay(const Input& input, Options options) {
  Net net = build(input);
  Replayed state = replayed_from(net);
  std::vector<StepChanges> steps;
  options.record_changes = true;
  options.on_step = [&](const Step& step) { steps.push_back(step.changes); };
  net.reduce(options);
  for (size_t k = 0; k < steps.size(); ++k) {
    SCOPED_TRACE("after step " + std::to_string(k + 1));
    apply(steps[k], state);
    Net stopped = build(input);
    Options limited = options;
    limited.on_step = nullptr;
    limited.max_steps = static_cast<int32_t>(k + 1);
    stopped.reduce(limited);
    const Replayed expected = replayed_from(stopped);
    ASSERT_EQ(state.places, expected.places);
    ASSERT_EQ(state.transitions, expected.transitions);
    ASSERT_EQ(state.arcs, expected.arcs);
    ASSERT_EQ(state.members, expected.members);
  }
}

class StepChangesTest : public ::testing::TestWithParam<bench::Family> {};

TEST_P(StepChangesTest, ReplayGivesTheNetAfterEveryStep) {
  for (uint64_t seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const Input input =
        input_of(bench::generate_net(GetParam(), 40 + seed * 15, seed));
    Options options;
    // Every other run keeps a few names, so that matches are passed over.
    if (seed % 2 == 0)
      for (size_t k = 0; k < input.places.size(); k += 7)
        options.keep.push_back(input.places[k]);
    check_replay(input, options);
  }
}

INSTANTIATE_TEST_SUITE_P(Families, StepChangesTest,
                         ::testing::ValuesIn(bench::kFamilies),
                         [](const auto& info) {
                           return std::string(family_name(info.param));
                         });

// What the families leave out: a transition that feeds both fused places
// (a weight changes), an isolated loop that goes whole, and a name that is
// a place and a transition.
TEST(StepChangesTest, WeightsLoopsAndSharedNames) {
  check_replay({{"i", "o", "x", "l", "s"},
                {"t", "c", "d", "m", "s"},
                {{"i", "t"},
                 {"t", "o"},
                 {"c", "i"},
                 {"c", "o", 2},
                 {"o", "d"},
                 {"x", "c"},
                 {"d", "x"},
                 {"l", "m"},
                 {"m", "l"},
                 {"s", "d"},
                 {"d", "s"}}},
               {});
}

TEST(StepChangesTest, OffByDefault) {
  Net net = build(input_of(bench::generate_net(bench::Family::kChains, 60, 3)));
  Options options;
  size_t steps = 0;
  options.on_step = [&](const Step& step) {
    ++steps;
    EXPECT_TRUE(step.changes.absorber.empty());
    EXPECT_TRUE(step.changes.removed_from_places.empty() &&
                step.changes.removed_from_transitions.empty());
  };
  net.reduce(options);
  EXPECT_GT(steps, 0u);
}

}  // namespace
}  // namespace marovel
