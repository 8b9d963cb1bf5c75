#include "model/name_bag.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
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
  BagPool pool;
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

// Past a handful of names a bag becomes a table, and an array again once it
// shrinks; neither its content, nor its sorted order, nor equality with a
// small bag may notice.
TEST(NameBagTest, ManyNamesKeepCountsSortedOrderAndEquality) {
  BagPool pool;
  NameBag big(&pool), small;
  for (NameId n = 100; n-- > 0;) big.insert(n * 7 % 100, n % 3 + 1);
  ASSERT_EQ(big.distinct(), 100u);
  uint64_t total = 0;
  for (const auto [name, copies] : big) {
    EXPECT_EQ(copies, big.count(name));
    total += copies;
  }
  EXPECT_EQ(total, big.size());
  EXPECT_EQ(big.first(), 0u);
  std::vector<NameId> names;
  for (const auto [name, copies] : big) names.push_back(name);
  std::sort(names.begin(), names.end());
  ASSERT_EQ(names.size(), 100u);
  for (size_t k = 0; k < names.size(); ++k) EXPECT_EQ(names[k], k);
  for (NameId n = 0; n < 100; ++n) {
    if (n != 40 && n != 3) {
      EXPECT_GT(big.erase(n), 0u);
    }
  }
  small.insert(40, big.count(40));
  small.insert(3, big.count(3));
  EXPECT_TRUE(big == small);
  EXPECT_TRUE(small == big);
  EXPECT_EQ(big.first(), 3u);
  small.insert(41);
  EXPECT_FALSE(big == small);

  // Moves and copies between pools carry every entry.
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

// Random insertions and erasures against a map that is known to count
// right, through every change of form.
TEST(NameBagTest, AgreesWithAMapUnderRandomChanges) {
  BagPool pool;
  NameBag bag(&pool);
  std::map<NameId, uint64_t> expected;
  std::mt19937 random(7);
  for (int op = 0; op < 40000; ++op) {
    // Phases of growth and of shrinking, so that the bag grows into a
    // table and shrinks back into an array several times.
    const bool growing = (op / 5000) % 2 == 0;
    const NameId name = random() % 300;
    if (random() % 4 != 0 ? growing : !growing) {
      const uint64_t copies = random() % 3 + 1;
      bag.insert(name, copies);
      expected[name] += copies;
    } else {
      const auto found = expected.find(name);
      ASSERT_EQ(bag.erase(name), found == expected.end() ? 0 : found->second)
          << op;
      if (found != expected.end()) expected.erase(found);
    }
    if (op % 97 == 0) {
      uint64_t total = 0;
      for (const auto& [n, copies] : expected) {
        ASSERT_EQ(bag.count(n), copies) << op;
        total += copies;
      }
      ASSERT_EQ(bag.size(), total) << op;
      ASSERT_EQ(bag.distinct(), expected.size()) << op;
      if (!expected.empty()) {
        ASSERT_EQ(bag.first(), expected.begin()->first);
      }
    }
  }
}

// What a bag gives back, the next one takes: cycles of growth and release
// ask the system for nothing more after the first.
TEST(NameBagTest, FreedBlocksAreReused) {
  BagPool pool;
  size_t after_first = 0;
  for (int cycle = 0; cycle < 50; ++cycle) {
    NameBag bag(&pool);
    for (NameId n = 0; n < 5000; ++n) bag.insert(n);
    for (NameId n = 0; n < 5000; n += 2) bag.erase(n);
    if (cycle == 0) after_first = pool.reserved();
    EXPECT_EQ(pool.reserved(), after_first) << cycle;
  }
}

}  // namespace
}  // namespace marovel
