#include "model/consistency.h"

#include <gtest/gtest.h>

namespace marovel {
namespace {

TEST(ConsistencyTest, EmptyModelAndArclessNodesAreConsistent) {
  NetModel model(NameTable{"p", "t"});
  EXPECT_TRUE(check_consistency(model));
  node_at(model.p_map, model.id("p"));
  node_at(model.t_map, model.id("t"));
  EXPECT_TRUE(check_consistency(model));
}

TEST(ConsistencyTest, DetectsNamesMissingFromTheOtherMap) {
  NetModel model(NameTable{"p", "t"});
  const NameId p = model.id("p");
  const NameId t = model.id("t");
  node_at(model.p_map, p).out.insert(t);
  node_at(model.t_map, t).in.insert(p);
  EXPECT_TRUE(check_consistency(model));
  // Multiplicities may disagree: only closure is checked.
  node_at(model.t_map, t).in.insert(p, 4);
  EXPECT_TRUE(check_consistency(model));

  NetModel no_place = model;
  no_place.p_map.erase(p);
  EXPECT_FALSE(check_consistency(no_place));
  NetModel no_transition = model;
  no_transition.t_map.erase(t);
  EXPECT_FALSE(check_consistency(no_transition));
  EXPECT_TRUE(check_consistency(model));  // the copies were separate
}

TEST(ConsistencyTest, ANameThatIsBothKindsPasses) {
  NetModel model(NameTable{"x"});
  const NameId x = model.id("x");
  node_at(model.p_map, x).out.insert(x);
  node_at(model.t_map, x).in.insert(x);
  EXPECT_TRUE(check_consistency(model));
}

TEST(NetModelTest, FindNeverCreatesButIndexedAccessDoes) {
  NetModel model(NameTable{"a", "t", "z"});
  const NameId t = model.id("t");
  EXPECT_EQ(find_node(model.t_map, t), nullptr);
  EXPECT_TRUE(model.t_map.empty());
  node_at(model.t_map, t).out.insert(model.id("z"));
  EXPECT_EQ(model.t_map.size(), 1u);
  ASSERT_NE(find_node(model.t_map, t), nullptr);
  EXPECT_EQ(model.t_map.erase(t), 1u);
  EXPECT_EQ(model.t_map.erase(t), 0u);
  // Created again, a node starts with empty bags.
  EXPECT_TRUE(node_at(model.t_map, t).out.empty());
}

TEST(NetModelTest, WalksKeysInNameOrderAndSurvivesMoves) {
  NetModel model(NameTable{"c", "a", "b", "d"});
  for (const char* name : {"d", "a", "c"})
    node_at(model.p_map, model.id(name)).in.insert(model.id("b"), 2);
  model.p_map.erase(model.id("c"));
  NetModel moved = std::move(model);
  NetModel assigned;
  assigned = std::move(moved);
  std::string walked;
  for (const auto& [name, node] : assigned.p_map) {
    walked += assigned.name(name);
    walked += std::to_string(node.in.count(assigned.id("b")));
  }
  EXPECT_EQ(walked, "a2d2");
  EXPECT_EQ(assigned.aggregates.size(), 4u);
}

}  // namespace
}  // namespace marovel
