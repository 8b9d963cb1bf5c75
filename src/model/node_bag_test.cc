#include "model/node_bag.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace marovel {
namespace {

using Entries = std::vector<std::pair<NodeId, uint64_t>>;

Entries entries(const NodeBag& bag) { return Entries(bag.begin(), bag.end()); }

// Node ids are plain numbers in these tests.
NodeId operator""_n(unsigned long long id) {
  return NodeId(static_cast<uint32_t>(id));
}

TEST(NodeBagTest, CountsRepeatsAndKeepsIdOrder) {
  NodeBag bag;
  bag.insert(2_n);
  bag.insert(1_n, 2);
  bag.insert(0_n);
  bag.insert(2_n, 3);
  bag.insert(7_n, 0);  // no copies: nothing added
  EXPECT_EQ(bag.size(), 7u);
  EXPECT_EQ(bag.distinct(), 3u);
  EXPECT_EQ(bag.first(), 0_n);
  EXPECT_EQ(bag.count(2_n), 4u);
  EXPECT_EQ(bag.count(7_n), 0u);
  EXPECT_EQ(entries(bag), (Entries{{0_n, 1}, {1_n, 2}, {2_n, 4}}));
}

TEST(NodeBagTest, EraseRemovesEveryCopy) {
  NodeBag bag;
  bag.insert(3_n, 3);
  bag.insert(5_n);
  EXPECT_EQ(bag.erase(3_n), 3u);
  EXPECT_EQ(bag.erase(3_n), 0u);
  EXPECT_EQ(bag.size(), 1u);
  EXPECT_EQ(bag.first(), 5_n);
  bag.clear();
  EXPECT_TRUE(bag.empty());
  EXPECT_EQ(bag.distinct(), 0u);
}

TEST(NodeBagTest, LargeCountsNeedNoMemoryPerUnit) {
  NodeBag bag;
  bag.insert(0_n, 2147483647);
  bag.insert(0_n, 2147483647);
  bag.insert(0_n, 2);
  EXPECT_EQ(bag.size(), uint64_t{1} << 32);
  EXPECT_EQ(bag.count(0_n), uint64_t{1} << 32);
  EXPECT_EQ(bag.erase(0_n), uint64_t{1} << 32);
  EXPECT_TRUE(bag.empty());
}

TEST(NodeBagTest, EqualityComparesIdsWithMultiplicities) {
  BagPool pool;
  NodeBag a(&pool), b;
  a.insert(4_n, 2);
  b.insert(4_n);
  EXPECT_FALSE(a == b);
  b.insert(4_n);
  EXPECT_TRUE(a == b);
  b = a;
  EXPECT_TRUE(a == b);
  a = a;
  EXPECT_EQ(a.count(4_n), 2u);
}

// Past a handful of names a bag becomes a table, and an array again once it
// shrinks; neither its content, nor its sorted order, nor equality with a
// small bag may notice.
TEST(NodeBagTest, ManyIdsKeepCountsSortedOrderAndEquality) {
  BagPool pool;
  NodeBag big(&pool), small;
  for (uint32_t n = 100; n-- > 0;) big.insert(NodeId(n * 7 % 100), n % 3 + 1);
  ASSERT_EQ(big.distinct(), 100u);
  uint64_t total = 0;
  for (const auto [id, copies] : big) {
    EXPECT_EQ(copies, big.count(id));
    total += copies;
  }
  EXPECT_EQ(total, big.size());
  EXPECT_EQ(big.first(), 0_n);
  std::vector<uint32_t> ids;
  for (const auto [id, copies] : big) ids.push_back(id.value);
  std::sort(ids.begin(), ids.end());
  ASSERT_EQ(ids.size(), 100u);
  for (size_t k = 0; k < ids.size(); ++k) EXPECT_EQ(ids[k], k);
  for (uint32_t n = 0; n < 100; ++n) {
    if (n != 40 && n != 3) {
      EXPECT_GT(big.erase(NodeId(n)), 0u);
    }
  }
  small.insert(40_n, big.count(40_n));
  small.insert(3_n, big.count(3_n));
  EXPECT_TRUE(big == small);
  EXPECT_TRUE(small == big);
  EXPECT_EQ(big.first(), 3_n);
  small.insert(41_n);
  EXPECT_FALSE(big == small);

  // Moves and copies between pools carry every entry.
  NodeBag copy = big;
  NodeBag moved(&pool);
  for (uint32_t n = 0; n < 50; ++n) moved.insert(NodeId(n));
  NodeBag other_home;
  other_home = std::move(moved);
  EXPECT_EQ(other_home.distinct(), 50u);
  EXPECT_TRUE(moved.empty());
  other_home = copy;
  EXPECT_TRUE(other_home == big);
  NodeBag same_home(&pool);
  same_home = std::move(big);
  EXPECT_TRUE(same_home == copy);
  EXPECT_TRUE(big.empty());
}

// Random insertions and erasures against a map that is known to count
// right, through every change of form: among a few ids the bag goes from
// empty to one id held in place to an array and back, among hundreds it
// grows into a table and shrinks back into an array. Copies and moves of
// the bag in each form must agree too.
TEST(NodeBagTest, AgreesWithAMapUnderRandomChanges) {
  for (const uint32_t ids : {2u, 3u, 300u}) {
    BagPool pool;
    NodeBag bag(&pool);
    std::map<NodeId, uint64_t> expected;
    std::mt19937 random(7);
    for (int op = 0; op < 40000; ++op) {
      // Phases of growth and of shrinking, so that the bag changes its form
      // several times.
      const bool growing = (op / 5000) % 2 == 0;
      const NodeId id(random() % ids);
      if (random() % 4 != 0 ? growing : !growing) {
        const uint64_t copies = random() % 3 + 1;
        bag.insert(id, copies);
        expected[id] += copies;
      } else {
        const auto found = expected.find(id);
        ASSERT_EQ(bag.erase(id), found == expected.end() ? 0 : found->second)
            << ids << " ids, op " << op;
        if (found != expected.end()) expected.erase(found);
      }
      if (op % 97 == 0 || ids < 10) {
        uint64_t total = 0;
        for (const auto& [n, copies] : expected) {
          ASSERT_EQ(bag.count(n), copies) << ids << " ids, op " << op;
          total += copies;
        }
        ASSERT_EQ(bag.size(), total) << ids << " ids, op " << op;
        ASSERT_EQ(bag.distinct(), expected.size()) << ids << " ids, op " << op;
        const std::map<NodeId, uint64_t> walked(bag.begin(), bag.end());
        ASSERT_EQ(walked, expected) << ids << " ids, op " << op;
        if (!expected.empty()) {
          ASSERT_EQ(bag.first(), expected.begin()->first);
        }
      }
      if (op % 1001 == 0) {
        // A copy from operator new, then moved back into the pool's bag.
        NodeBag copy(bag);
        ASSERT_TRUE(copy == bag) << ids << " ids, op " << op;
        NodeBag moved(std::move(copy));
        ASSERT_TRUE(copy.empty());
        bag = moved;
        ASSERT_TRUE(moved == bag) << ids << " ids, op " << op;
      }
    }
  }
}

// Assigning an empty bag empties the bag assigned to, whatever its form.
TEST(NodeBagTest, AssigningAnEmptyBagEmpties) {
  for (const uint32_t ids : {1u, 2u, 40u}) {
    BagPool pool;
    NodeBag bag(&pool);
    for (uint32_t n = 0; n < ids; ++n) bag.insert(NodeId(n), 2);
    bag = NodeBag(&pool);
    EXPECT_TRUE(bag.empty()) << ids;
    EXPECT_EQ(bag.distinct(), 0u) << ids;
    EXPECT_TRUE(bag.begin() == bag.end()) << ids;
    NodeBag other(&pool);
    for (uint32_t n = 0; n < ids; ++n) other.insert(NodeId(n), 2);
    other = NodeBag();  // from another pool: copied, not moved
    EXPECT_TRUE(other.empty()) << ids;
    EXPECT_EQ(other.distinct(), 0u) << ids;
  }
}

// What a bag gives back, the next one takes: cycles of growth and release
// ask the system for nothing more after the first.
TEST(NodeBagTest, FreedBlocksAreReused) {
  BagPool pool;
  size_t after_first = 0;
  for (int cycle = 0; cycle < 50; ++cycle) {
    NodeBag bag(&pool);
    for (uint32_t n = 0; n < 5000; ++n) bag.insert(NodeId(n));
    for (uint32_t n = 0; n < 5000; n += 2) bag.erase(NodeId(n));
    if (cycle == 0) after_first = pool.reserved();
    EXPECT_EQ(pool.reserved(), after_first) << cycle;
  }
}

}  // namespace
}  // namespace marovel
