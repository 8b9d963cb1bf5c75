#include "model/name_bag.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace marovel {
namespace {

std::vector<std::string> occurrences(const NameBag& bag) {
  std::vector<std::string> names;
  bag.for_each_occurrence([&](const std::string& n) { names.push_back(n); });
  return names;
}

TEST(NameBagTest, CountsRepeatsAndKeepsNameOrder) {
  NameBag bag;
  bag.insert("p2");
  bag.insert("p10", 2);
  bag.insert("P1");
  bag.insert("p2", 3);
  bag.insert("ignored", 0);
  EXPECT_EQ(bag.size(), 7u);
  EXPECT_EQ(bag.distinct(), 3u);
  EXPECT_EQ(bag.first(), "P1");
  EXPECT_EQ(bag.count("p2"), 4u);
  EXPECT_EQ(bag.count("absent"), 0u);
  EXPECT_EQ(occurrences(bag), (std::vector<std::string>{
                                  "P1", "p10", "p10", "p2", "p2", "p2", "p2"}));
}

TEST(NameBagTest, NameOrderIsOnUnsignedBytes) {
  NameBag bag;
  bag.insert("\xc3\xa9");  // é, a byte above 127
  bag.insert("z");
  bag.insert("");
  bag.insert("zz");
  EXPECT_EQ(occurrences(bag),
            (std::vector<std::string>{"", "z", "zz", "\xc3\xa9"}));
}

TEST(NameBagTest, EraseRemovesEveryCopy) {
  NameBag bag;
  bag.insert("t", 3);
  bag.insert("u");
  EXPECT_EQ(bag.erase("t"), 3u);
  EXPECT_EQ(bag.erase("t"), 0u);
  EXPECT_EQ(bag.size(), 1u);
  EXPECT_EQ(bag.first(), "u");
}

TEST(NameBagTest, LargeCountsNeedNoMemoryPerUnit) {
  NameBag bag;
  bag.insert("t", 2147483647);
  bag.insert("t", 2147483647);
  bag.insert("t", 2);
  EXPECT_EQ(bag.size(), uint64_t{1} << 32);
  EXPECT_EQ(bag.count("t"), uint64_t{1} << 32);
  EXPECT_EQ(bag.erase("t"), uint64_t{1} << 32);
  EXPECT_TRUE(bag.empty());
}

TEST(NameBagTest, EqualityComparesNamesWithMultiplicities) {
  NameBag a, b;
  a.insert("x", 2);
  b.insert("x");
  EXPECT_FALSE(a == b);
  b.insert("x");
  EXPECT_TRUE(a == b);
  b = a;
  EXPECT_TRUE(a == b);
  a = a;
  EXPECT_EQ(a.count("x"), 2u);
}

}  // namespace
}  // namespace marovel
