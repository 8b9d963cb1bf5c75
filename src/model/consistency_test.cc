#include "model/consistency.h"

#include <gtest/gtest.h>

namespace marovel {
namespace {

TEST(ConsistencyTest, EmptyModelAndArclessNodesAreConsistent) {
  NetModel model;
  EXPECT_TRUE(check_consistency(model));
  node_at(model.p_map, "p");
  node_at(model.t_map, "t");
  EXPECT_TRUE(check_consistency(model));
}

TEST(ConsistencyTest, DetectsNamesMissingFromTheOtherMap) {
  NetModel model;
  node_at(model.p_map, "p").out.insert("t");
  node_at(model.t_map, "t").in.insert("p");
  EXPECT_TRUE(check_consistency(model));

  // Multiplicities may disagree: only closure is checked.
  node_at(model.t_map, "t").in.insert("p", 4);
  EXPECT_TRUE(check_consistency(model));

  NetModel no_place = model;
  no_place.p_map.erase("p");
  EXPECT_FALSE(check_consistency(no_place));

  NetModel no_transition = model;
  no_transition.t_map.erase("t");
  EXPECT_FALSE(check_consistency(no_transition));
}

TEST(ConsistencyTest, ANameThatIsBothKindsPasses) {
  NetModel model;
  node_at(model.p_map, "x").out.insert("x");
  node_at(model.t_map, "x").in.insert("x");
  EXPECT_TRUE(check_consistency(model));
}

TEST(NetModelTest, FindNeverCreatesButIndexedAccessDoes) {
  NetModel model;
  EXPECT_EQ(find_node(model.t_map, "t"), nullptr);
  EXPECT_TRUE(model.t_map.empty());
  node_at(model.t_map, "t");
  EXPECT_EQ(model.t_map.size(), 1u);
  EXPECT_NE(find_node(model.t_map, "t"), nullptr);
}

}  // namespace
}  // namespace marovel
