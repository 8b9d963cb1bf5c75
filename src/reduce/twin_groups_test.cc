#include "reduce/twin_groups.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace marovel {
namespace {

NetNode node_between(uint32_t input, uint32_t output, uint64_t weight = 1) {
  NetNode node;
  node.in.insert(NodeId(input), weight);
  node.out.insert(NodeId(output));
  return node;
}

// Random joins and departures against ordered sets of the same groups. The
// table starts sized for a handful of nodes, so that probe runs collide,
// wrap around and the table grows, and departures must close the gaps they
// leave in a run.
TEST(TwinGroupsTest, AgreesWithOrderedSetsUnderChurn) {
  constexpr NameId kNames = 300;
  TwinGroups groups(kNames, 3);
  std::map<std::pair<NameId, NameId>, std::set<NameId>> expected;
  std::vector<std::optional<std::pair<NameId, NameId>>> group_of(kNames);
  std::mt19937 rng(11);
  size_t members = 0;
  for (int op = 0; op < 30000; ++op) {
    const NameId name = rng() % kNames;
    if (group_of[name]) {
      groups.remove(name);
      auto& set = expected[*group_of[name]];
      set.erase(name);
      if (set.empty()) expected.erase(*group_of[name]);
      group_of[name].reset();
      --members;
    } else if (rng() % 8 == 0) {
      // A weight-2 input joins no group.
      groups.add(name, node_between(1, 2, 2));
    } else {
      const std::pair<NameId, NameId> pair{rng() % 7, rng() % 7};
      const NetNode node = node_between(pair.first, pair.second);
      groups.add(name, node);
      groups.add(name, node);  // offered twice, grouped once
      expected[pair].insert(name);
      group_of[name] = pair;
      ++members;
    }
    // kept, removed, input, output
    std::optional<std::array<NameId, 4>> first;
    for (const auto& [pair, set] : expected)
      if (set.size() >= 2 && (!first || *set.begin() < (*first)[0]))
        first = {*set.begin(), *std::next(set.begin()), pair.first,
                 pair.second};
    const auto found = groups.first();
    ASSERT_EQ(found.has_value(), first.has_value()) << "operation " << op;
    if (found) {
      ASSERT_EQ((std::array{found->kept, found->removed,
                            twin_key_input(found->key).value,
                            twin_key_output(found->key).value}),
                *first)
          << "after operation " << op;
    }
    ASSERT_EQ(groups.size(), members);
  }
}

// A group far larger than the groups of a few twins, filled in name order
// as the first walk fills it and emptied from its smallest twins as the
// rules empty it.
TEST(TwinGroupsTest, LargeGroupGivesItsTwoSmallest) {
  constexpr NameId kNames = 1000;
  TwinGroups groups(kNames, 4);
  for (NameId name = 0; name < kNames; ++name)
    groups.add(name, node_between(3, 4));
  for (NameId removed = 1; removed + 1 < kNames; ++removed) {
    const auto found = groups.first();
    ASSERT_TRUE(found.has_value());
    ASSERT_EQ(found->kept, 0u);
    ASSERT_EQ(found->removed, removed);
    groups.remove(removed);
  }
  groups.remove(0);
  EXPECT_FALSE(groups.first().has_value());
  EXPECT_EQ(groups.size(), 1u);
}

}  // namespace
}  // namespace marovel
