// The replay's ids against the library: the arcs the page finds alive after
// the last step, and the nodes it finds left, are those of the reduced net.
#include "html/replay_data.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "bench/net_generator.h"

namespace marovel {
namespace {

Net generated(bench::Family family, uint64_t seed) {
  const bench::GeneratedNet net = bench::generate_net(family, 120, seed);
  std::vector<Arc> arcs;
  for (const bench::GeneratedArc& arc : net.arcs) {
    const std::string& p = net.place_names[arc.place];
    const std::string& t = net.transition_names[arc.transition];
    arcs.push_back(arc.from_place ? Arc{p, t, arc.weight}
                                  : Arc{t, p, arc.weight});
  }
  return Net::from_arcs(net.place_names, net.transition_names, arcs);
}

using ArcKey = std::tuple<bool, std::string, std::string, uint64_t>;

TEST(ReplayDataTest, LiveIdsAfterTheLastStepAreTheReducedNet) {
  for (const bench::Family family : bench::kFamilies) {
    SCOPED_TRACE(std::string(family_name(family)));
    Net net = generated(family, 5);
    const ReplayData data = record_reduction(net, {});
    ASSERT_FALSE(data.steps.empty());

    std::vector<bool> arc_alive(data.arcs.size(), true);
    std::vector<bool> node_alive(data.names.size(), true);
    size_t next = data.input_arc_count;
    for (const ReplayStep& step : data.steps) {
      for (const uint32_t id : step.removed) {
        ASSERT_TRUE(arc_alive[id]) << "removed twice";
        arc_alive[id] = false;
      }
      for (const uint32_t id : step.erased) node_alive[id] = false;
      next += step.added;
    }
    ASSERT_EQ(next, data.arcs.size());

    std::set<ArcKey> replayed, reduced;
    for (size_t id = 0; id < data.arcs.size(); ++id)
      if (arc_alive[id]) {
        const ReplayArc& arc = data.arcs[id];
        EXPECT_TRUE(node_alive[arc.from] && node_alive[arc.to]);
        replayed.emplace(arc.from < data.place_count, data.names[arc.from],
                         data.names[arc.to], arc.weight);
      }
    const std::vector<std::string> places = net.places();
    const std::set<std::string> place_set(places.begin(), places.end());
    for (const Arc& arc : net.arcs())
      // The generated nets name no place as a transition.
      reduced.emplace(place_set.contains(arc.source), arc.source, arc.target,
                      arc.weight);
    EXPECT_EQ(replayed, reduced);

    std::vector<std::string> left_places;
    for (size_t n = 0; n < data.place_count; ++n)
      if (node_alive[n]) left_places.push_back(data.names[n]);
    EXPECT_EQ(left_places, places);
  }
}

}  // namespace
}  // namespace marovel
