#include "model/invariants.h"

#include <gtest/gtest.h>

namespace marovel {
namespace {

TEST(ConsistencyTest, EmptyModelAndArclessNodesAreConsistent) {
  NetModel model(NameTable{"p", "t"});
  EXPECT_TRUE(check_consistency(model));
  model.p_map.at(model.id("p"));
  model.t_map.at(model.id("t"));
  EXPECT_TRUE(check_consistency(model));
}

TEST(ConsistencyTest, DetectsNamesMissingFromTheOtherMap) {
  NetModel model(NameTable{"p", "t"});
  const NameId p = model.id("p");
  const NameId t = model.id("t");
  const NodeId p_id = model.p_map.id_of(p), t_id = model.t_map.id_of(t);
  model.p_map.at(p).out.insert(t_id);
  model.t_map.at(t).in.insert(p_id);
  EXPECT_TRUE(check_consistency(model));
  // Multiplicities may disagree: only closure is checked.
  model.t_map.at(t).in.insert(p_id, 4);
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
  model.p_map.at(x).out.insert(model.t_map.id_of(x));
  model.t_map.at(x).in.insert(model.p_map.id_of(x));
  EXPECT_TRUE(check_consistency(model));
}

TEST(NetModelTest, FindNeverCreatesButIndexedAccessDoes) {
  NetModel model(NameTable{"a", "t", "z"});
  const NameId t = model.id("t");
  EXPECT_EQ(model.t_map.find(t), nullptr);
  EXPECT_TRUE(model.t_map.empty());
  model.t_map.at(t).out.insert(model.p_map.id_of(model.id("z")));
  EXPECT_EQ(model.t_map.size(), 1u);
  ASSERT_NE(model.t_map.find(t), nullptr);
  EXPECT_EQ(model.t_map.erase(t), 1u);
  EXPECT_EQ(model.t_map.erase(t), 0u);
  // Created again, a node starts with empty bags.
  EXPECT_TRUE(model.t_map.at(t).out.empty());
}

TEST(NetModelTest, WalksKeysInNameOrderAndSurvivesMoves) {
  NetModel model(NameTable{"c", "a", "b", "d"});
  for (const char* name : {"d", "a", "c"})
    model.p_map.at(model.id(name))
        .in.insert(model.t_map.id_of(model.id("b")), 2);
  model.p_map.erase(model.id("c"));
  NetModel moved = std::move(model);
  NetModel assigned;
  assigned = std::move(moved);
  std::string walked;
  for (const auto& [name, node] : assigned.p_map) {
    walked += assigned.name(name);
    walked +=
        std::to_string(node.in.count(assigned.t_map.id_of(assigned.id("b"))));
  }
  EXPECT_EQ(walked, "a2d2");
  EXPECT_EQ(assigned.aggregates.size(), 4u);
}

}  // namespace
}  // namespace marovel
