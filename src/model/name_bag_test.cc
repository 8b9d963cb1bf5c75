#include "model/name_bag.h"

#include <gtest/gtest.h>

#include <vector>

namespace marovel {
namespace {

std::vector<NameId> occurrences(const NameBag& bag) {
  std::vector<NameId> names;
  bag.for_each_occurrence([&](NameId n) { names.push_back(n); });
  return names;
}

TEST(NameBagTest, CountsRepeatsAndKeepsNameOrder) {
  NameBag bag;
  bag.insert(2);
  bag.insert(1, 2);
  bag.insert(0);
  bag.insert(2, 3);
  bag.insert(7, 0);  // no copies: nothing added
  EXPECT_EQ(bag.size(), 7u);
  EXPECT_EQ(bag.distinct(), 3u);
  EXPECT_EQ(bag.first(), 0u);
  EXPECT_EQ(bag.count(2), 4u);
  EXPECT_EQ(bag.count(7), 0u);
  EXPECT_EQ(occurrences(bag), (std::vector<NameId>{0, 1, 1, 2, 2, 2, 2}));
}

TEST(NameBagTest, EraseRemovesEveryCopy) {
  NameBag bag;
  bag.insert(3, 3);
  bag.insert(5);
  EXPECT_EQ(bag.erase(3), 3u);
  EXPECT_EQ(bag.erase(3), 0u);
  EXPECT_EQ(bag.size(), 1u);
  EXPECT_EQ(bag.first(), 5u);
  bag.clear();
  EXPECT_TRUE(bag.empty());
  EXPECT_EQ(bag.distinct(), 0u);
}

TEST(NameBagTest, LargeCountsNeedNoMemoryPerUnit) {
  NameBag bag;
  bag.insert(0, 2147483647);
  bag.insert(0, 2147483647);
  bag.insert(0, 2);
  EXPECT_EQ(bag.size(), uint64_t{1} << 32);
  EXPECT_EQ(bag.count(0), uint64_t{1} << 32);
  EXPECT_EQ(bag.erase(0), uint64_t{1} << 32);
  EXPECT_TRUE(bag.empty());
}

TEST(NameBagTest, EqualityComparesNamesWithMultiplicities) {
  std::pmr::unsynchronized_pool_resource pool;
  NameBag a(&pool), b;
  a.insert(4, 2);
  b.insert(4);
  EXPECT_FALSE(a == b);
  b.insert(4);
  EXPECT_TRUE(a == b);
  b = a;
  EXPECT_TRUE(a == b);
  a = a;
  EXPECT_EQ(a.count(4), 2u);
}

}  // namespace
}  // namespace marovel
