#include "reduce/aggregate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace marovel {
namespace {

// Ids follow name order: a=0, b=1, k=2, x=3.
NetModel abkx() { return NetModel(NameTable{"a", "b", "k", "x"}); }
constexpr NameId a = 0, b = 1, k = 2, x = 3;

TEST(AbsorbAggregateTest, MovesTheSetOfANodeNothingElseNames) {
  NetModel model = abkx();
  model.aggregate_map[k] = {k};
  model.aggregate_map[x] = {a, b, x};
  absorb_aggregate(model.aggregate_map, k, x, model.t_map);
  EXPECT_EQ(model.aggregate_map[k], (AggregateSet{a, b, k, x}));
  // The removed node's members went to the survivor, not into a copy.
  EXPECT_TRUE(model.aggregate_map[x].empty());
}

TEST(AbsorbAggregateTest, CopiesASetStillSharedWithANodeOfTheOtherKind) {
  NetModel model = abkx();
  node_at(model.t_map, x);  // a surviving transition named like the place
  model.aggregate_map[k] = {k};
  model.aggregate_map[x] = {a, x};
  absorb_aggregate(model.aggregate_map, k, x, model.t_map);
  EXPECT_EQ(model.aggregate_map[k], (AggregateSet{a, k, x}));
  EXPECT_EQ(model.aggregate_map[x], (AggregateSet{a, x}));
  // A node absorbing its same-named twin only gains the name.
  absorb_aggregate(model.aggregate_map, x, x, model.p_map);
  EXPECT_EQ(model.aggregate_map[x], (AggregateSet{a, x}));
}

TEST(AbsorbAggregateTest, ChainOfFusionsStaysLinear) {
  // Each survivor takes over the set of the one before: the sets must move,
  // or the removed nodes' sets add up to a quadratic total.
  constexpr NameId kLength = 20000;
  std::vector<std::string> texts;
  for (NameId n = 0; n < kLength; ++n) texts.push_back(std::to_string(n));
  NetModel model(
      NameTable(std::vector<std::string_view>(texts.begin(), texts.end())));
  for (NameId n = 0; n < kLength; ++n) model.aggregate_map[n] = {n};
  for (NameId n = kLength - 1; n > 0; --n)
    absorb_aggregate(model.aggregate_map, n - 1, n, model.t_map);
  size_t total = 0;
  for (const AggregateSet& members : model.aggregate_map)
    total += members.size();
  EXPECT_EQ(total, size_t{kLength});
  EXPECT_EQ(model.aggregate_map[0].size(), size_t{kLength});
}

}  // namespace
}  // namespace marovel
