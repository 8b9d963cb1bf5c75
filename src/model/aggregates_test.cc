#include "model/aggregates.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/net_model.h"

namespace marovel {
namespace {

// Ids follow name order: a=0, b=1, k=2, x=3.
NetModel abkx() { return NetModel(NameTable{"a", "b", "k", "x"}); }
constexpr NameId a = 0, b = 1, k = 2, x = 3;
using Ids = std::vector<NameId>;

// A model over the names "0" to "count - 1" (ids in their byte order).
NetModel numbered(NameId count) {
  std::vector<std::string> texts;
  for (NameId n = 0; n < count; ++n) texts.push_back(std::to_string(n));
  return NetModel(
      NameTable(std::vector<std::string_view>(texts.begin(), texts.end())));
}

TEST(AggregatesTest, MovesTheAggregateOfANodeNothingElseNames) {
  NetModel model = abkx();
  EXPECT_EQ(model.aggregates.members(k), Ids{k});
  EXPECT_FALSE(model.aggregates.merged(k));
  model.aggregates.absorb(x, a, model.t_map.contains(a));
  model.aggregates.absorb(x, b, model.t_map.contains(b));
  model.aggregates.absorb(k, x, model.t_map.contains(x));
  EXPECT_EQ(model.aggregates.members(k), (Ids{a, b, k, x}));
  EXPECT_TRUE(model.aggregates.merged(k));
  // The removed nodes' members went to the survivor, not into a copy.
  for (const NameId gone : {a, b, x}) {
    EXPECT_TRUE(model.aggregates.members(gone).empty());
    EXPECT_FALSE(model.aggregates.merged(gone));
  }
  // A removed name offered again (a rule that failed after taking it in)
  // is a member once.
  model.aggregates.absorb(k, x, model.t_map.contains(x));
  model.aggregates.absorb(b, x, model.t_map.contains(x));
  EXPECT_EQ(model.aggregates.members(k), (Ids{a, b, k, x}));
}

TEST(AggregatesTest, CopiesAnAggregateStillSharedWithANodeOfTheOtherKind) {
  NetModel model = abkx();
  model.t_map.at(x);  // a surviving transition named like the place
  model.aggregates.absorb(x, a, model.t_map.contains(a));
  model.aggregates.absorb(k, x, model.t_map.contains(x));
  EXPECT_EQ(model.aggregates.members(k), (Ids{a, k, x}));
  EXPECT_EQ(model.aggregates.members(x), (Ids{a, x}));
  // A node absorbing its same-named twin only gains the name.
  model.aggregates.absorb(x, x, model.p_map.contains(x));
  EXPECT_EQ(model.aggregates.members(x), (Ids{a, x}));
  // The copy travels on when its holder is absorbed in turn, and meeting
  // the shared members again lists them once.
  model.t_map.erase(x);
  model.aggregates.absorb(b, k, model.t_map.contains(k));
  model.aggregates.absorb(b, x, model.t_map.contains(x));
  EXPECT_EQ(model.aggregates.members(b), (Ids{a, b, k, x}));
}

// A rule that fails after taking in a node that lives on (only a hand-made,
// unclosed model lets rule A fail) may later keep that node: what it
// gains then is what it holds, and the ring it moved into stays whole.
TEST(AggregatesTest, NodeTakenInByAFailedRuleMayBeKeptLater) {
  NetModel model = abkx();
  model.aggregates.absorb(k, a, model.t_map.contains(a));
  model.aggregates.absorb(k, x, model.t_map.contains(x));  // x lives on
  EXPECT_EQ(model.aggregates.members(x), Ids{});
  model.aggregates.absorb(x, k, model.t_map.contains(k));
  EXPECT_EQ(model.aggregates.members(x), (Ids{a, k, x}));
  EXPECT_EQ(model.aggregates.members(k), Ids{});
  model.aggregates.absorb(b, x, model.t_map.contains(x));
  EXPECT_EQ(model.aggregates.members(b), (Ids{a, b, k, x}));
}

TEST(AggregatesTest, ChainOfFusionsStaysLinear) {
  // Each survivor takes over the aggregate of the one before, from either
  // end: a copy per fusion would add up to a quadratic total.
  constexpr NameId kLength = 20000;
  NetModel model = numbered(kLength);
  for (NameId n = kLength / 2 - 1; n > 0; --n)
    model.aggregates.absorb(n - 1, n, model.t_map.contains(n));
  for (NameId n = kLength / 2 + 1; n < kLength; ++n)
    model.aggregates.absorb(n, n - 1, model.t_map.contains(n - 1));
  model.aggregates.absorb(0, kLength - 1, model.t_map.contains(kLength - 1));
  const Ids members = model.aggregates.members(0);
  ASSERT_EQ(members.size(), size_t{kLength});
  for (NameId n = 0; n < kLength; ++n) EXPECT_EQ(members[n], n);
  for (NameId n = 1; n < kLength; ++n) ASSERT_FALSE(model.aggregates.merged(n));
}

// An aggregate holding most of the net comes in name order whether its
// members came by moves (a ring in the order of the fusions) or by copies
// that repeat some of them: the same list a sort gives.
TEST(AggregatesTest, AggregateOfMostNamesComesInOrderOnce) {
  constexpr NameId kNames = 30000;
  NetModel model = numbered(kNames);
  // A place and a transition share the name `shared`: its aggregate stays
  // with the transition and is copied into the hub, twice.
  const NameId hub = 7, shared = 11;
  model.t_map.at(shared);
  for (NameId n = 20000; n < 20100; ++n)
    model.aggregates.absorb(shared, n, model.t_map.contains(n));
  // Fusions into the hub in a scrambled order.
  for (NameId k = 0; k < kNames; ++k) {
    const NameId n = (k * 7919) % kNames;
    if (n != hub && n != shared && (n < 20000 || n >= 20100))
      model.aggregates.absorb(hub, n, model.t_map.contains(n));
  }
  model.aggregates.absorb(hub, shared, model.t_map.contains(shared));
  model.aggregates.absorb(hub, shared, model.t_map.contains(shared));
  const Ids members = model.aggregates.members(hub);
  ASSERT_EQ(members.size(), size_t{kNames});
  for (NameId n = 0; n < kNames; ++n) ASSERT_EQ(members[n], n);
  EXPECT_EQ(model.aggregates.members(shared).size(), 101u);
}

}  // namespace
}  // namespace marovel
