#include "reduce/aggregate.h"

#include <gtest/gtest.h>

namespace marovel {
namespace {

TEST(AbsorbAggregateTest, MovesTheSetOfANodeNothingElseNames) {
  NetModel model;
  model.aggregate_map["k"] = {"k"};
  model.aggregate_map["x"] = {"a", "b", "x"};
  absorb_aggregate(model.aggregate_map, "k", "x", model.t_map);
  EXPECT_EQ(model.aggregate_map["k"], (AggregateSet{"a", "b", "k", "x"}));
  // The removed node's members went to the survivor, not into a copy.
  EXPECT_TRUE(model.aggregate_map["x"].empty());
}

TEST(AbsorbAggregateTest, CopiesASetStillSharedWithANodeOfTheOtherKind) {
  NetModel model;
  node_at(model.t_map, "x");  // a surviving transition named like the place
  model.aggregate_map["k"] = {"k"};
  model.aggregate_map["x"] = {"a", "x"};
  absorb_aggregate(model.aggregate_map, "k", "x", model.t_map);
  EXPECT_EQ(model.aggregate_map["k"], (AggregateSet{"a", "k", "x"}));
  EXPECT_EQ(model.aggregate_map["x"], (AggregateSet{"a", "x"}));

  // A node absorbing its same-named twin only gains the name.
  absorb_aggregate(model.aggregate_map, "x", "x", model.p_map);
  EXPECT_EQ(model.aggregate_map["x"], (AggregateSet{"a", "x"}));
}

TEST(AbsorbAggregateTest, ChainOfFusionsStaysLinear) {
  // Each survivor takes over the set of the one before: the sets must move,
  // or the removed nodes' sets add up to a quadratic total.
  NetModel model;
  constexpr int kLength = 20000;
  for (int k = 0; k < kLength; ++k)
    model.aggregate_map[std::to_string(k)] = {std::to_string(k)};
  for (int k = kLength - 1; k > 0; --k)
    absorb_aggregate(model.aggregate_map, std::to_string(k - 1),
                     std::to_string(k), model.t_map);
  size_t total = 0;
  for (const auto& [name, members] : model.aggregate_map)
    total += members.size();
  EXPECT_EQ(total, size_t{kLength});
  EXPECT_EQ(model.aggregate_map["0"].size(), size_t{kLength});
}

}  // namespace
}  // namespace marovel
