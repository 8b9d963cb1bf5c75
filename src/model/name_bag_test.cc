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

// Past a handful of names a bag changes how it holds them; neither its
// content, nor its order, nor equality with a small bag may notice.
TEST(NameBagTest, ManyNamesKeepOrderCountsAndEquality) {
  std::pmr::unsynchronized_pool_resource pool;
  NameBag big(&pool), small;
  for (NameId n = 100; n-- > 0;) big.insert(n * 7 % 100, n % 3 + 1);
  ASSERT_EQ(big.distinct(), 100u);
  NameId previous = 0;
  uint64_t total = 0;
  for (const auto [name, copies] : big) {
    EXPECT_TRUE(total == 0 || name > previous);
    EXPECT_EQ(copies, big.count(name));
    previous = name;
    total += copies;
  }
  EXPECT_EQ(total, big.size());
  EXPECT_EQ(big.first(), 0u);
  for (NameId n = 0; n < 100; ++n) {
    if (n != 40 && n != 3) {
      EXPECT_GT(big.erase(n), 0u);
    }
  }
  small.insert(40, big.count(40));
  small.insert(3, big.count(3));
  EXPECT_TRUE(big == small);
  EXPECT_TRUE(small == big);
  small.insert(41);
  EXPECT_FALSE(big == small);

  // Moves and copies between resources carry every entry.
  NameBag copy = big;
  NameBag moved(&pool);
  for (NameId n = 0; n < 50; ++n) moved.insert(n);
  NameBag other_home;
  other_home = std::move(moved);
  EXPECT_EQ(other_home.distinct(), 50u);
  EXPECT_TRUE(moved.empty());
  other_home = copy;
  EXPECT_TRUE(other_home == big);
  NameBag same_home(&pool);
  same_home = std::move(big);
  EXPECT_TRUE(same_home == copy);
  EXPECT_TRUE(big.empty());
}

}  // namespace
}  // namespace marovel
