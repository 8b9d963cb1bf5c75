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

// The first match by its definition: the smallest member q of any group
// with a member p != q that is not kept, and the smallest such p; as
// {q, p, input, output}.
std::optional<std::array<NameId, 4>> first_match(
    const std::map<std::pair<NameId, NameId>, std::set<NameId>>& groups,
    const KeptNames& kept) {
  std::optional<std::array<NameId, 4>> first;
  for (const auto& [pair, set] : groups) {
    for (const NameId q : set) {
      if (first && q >= (*first)[0]) break;
      for (const NameId p : set) {
        if (p != q && !kept.contains(p)) {
          first = {q, p, pair.first, pair.second};
          break;
        }
      }
      if (first && (*first)[0] == q) break;
    }
  }
  return first;
}

// Random joins and departures against ordered sets of the same groups,
// with no kept names and with every third one kept, in groups of a few
// members and in groups past the short array's limit. The table starts
// sized for a handful of nodes, so that probe runs collide, wrap around
// and the table grows, and departures must close the gaps they leave in a
// run.
TEST(TwinGroupsTest, AgreesWithOrderedSetsUnderChurn) {
  constexpr NameId kNames = 300;
  KeptNames every_third;
  for (NameId name = 0; name < kNames; name += 3) every_third.insert(name);
  for (const KeptNames& kept : {KeptNames{}, every_third}) {
    for (const uint32_t neighbours : {7u, 2u}) {
      SCOPED_TRACE(std::to_string(kept.size()) + " kept, " +
                   std::to_string(neighbours) + " neighbours");
      TwinGroups groups(kNames, 3, &kept);
      std::map<std::pair<NameId, NameId>, std::set<NameId>> expected;
      std::vector<std::optional<std::pair<NameId, NameId>>> group_of(kNames);
      std::mt19937 rng(11);
      size_t members = 0;
      const auto key_of = [&](NameId name) {
        return twin_key(
            node_between(group_of[name]->first, group_of[name]->second));
      };
      for (int op = 0; op < 30000; ++op) {
        const NameId name = rng() % kNames;
        if (group_of[name]) {
          groups.remove(name, node_between(group_of[name]->first,
                                           group_of[name]->second));
          auto& set = expected[*group_of[name]];
          set.erase(name);
          if (set.empty()) expected.erase(*group_of[name]);
          group_of[name].reset();
          --members;
        } else if (rng() % 8 == 0) {
          // A weight-2 input joins no group.
          groups.add(name, node_between(1, 2, 2));
        } else {
          const std::pair<NameId, NameId> pair{rng() % neighbours,
                                               rng() % neighbours};
          const NetNode node = node_between(pair.first, pair.second);
          groups.add(name, node);
          groups.add(name, node);  // offered twice, grouped once
          expected[pair].insert(name);
          group_of[name] = pair;
          ++members;
        }
        const auto first = first_match(expected, kept);
        const auto found = groups.first(key_of);
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
  }
}

// A group far larger than the groups of a few twins, filled in name order
// as the first walk fills it and emptied from its smallest twins as the
// rules empty it.
TEST(TwinGroupsTest, LargeGroupGivesItsTwoSmallest) {
  constexpr NameId kNames = 1000;
  const NetNode node = node_between(3, 4);
  const auto key_of = [&](NameId) { return twin_key(node); };
  TwinGroups groups(kNames, 4);
  for (NameId name = 0; name < kNames; ++name) groups.add(name, node);
  for (NameId removed = 1; removed + 1 < kNames; ++removed) {
    const auto found = groups.first(key_of);
    ASSERT_TRUE(found.has_value());
    ASSERT_EQ(found->kept, 0u);
    ASSERT_EQ(found->removed, removed);
    groups.remove(removed, node);
  }
  groups.remove(0, node);
  EXPECT_FALSE(groups.first(key_of).has_value());
  EXPECT_EQ(groups.size(), 1u);
}

// In a large group whose members are all kept but one, each kept member in
// turn absorbs that one, the smallest first.
TEST(TwinGroupsTest, LargeKeptGroupGivesItsOneRemovable) {
  constexpr NameId kNames = 1000, kRemovable = 500;
  KeptNames kept;
  for (NameId name = 0; name < kNames; ++name)
    if (name != kRemovable) kept.insert(name);
  const NetNode node = node_between(3, 4);
  const auto key_of = [&](NameId) { return twin_key(node); };
  TwinGroups groups(kNames, 4, &kept);
  for (NameId name = 0; name < kNames; ++name) groups.add(name, node);
  for (NameId gone = 0; gone < kNames; ++gone) {
    if (gone == kRemovable) continue;
    const auto found = groups.first(key_of);
    ASSERT_TRUE(found.has_value());
    ASSERT_EQ(found->kept, gone);
    ASSERT_EQ(found->removed, kRemovable);
    groups.remove(gone, node);
  }
  EXPECT_FALSE(groups.first(key_of).has_value());
}

}  // namespace
}  // namespace marovel
