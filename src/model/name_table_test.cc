#include "model/name_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace marovel {
namespace {

std::vector<std::string_view> all(const NameTable& table) {
  std::vector<std::string_view> names;
  for (NameId id = 0; id < table.size(); ++id) names.push_back(table[id]);
  return names;
}

TEST(NameTableTest, RanksDistinctNamesInUnsignedByteOrder) {
  // "é" starts with a byte above 127, so it sorts after every ASCII name.
  const std::vector<std::string_view> input = {"p2", "\xc3\xa9", "p10", "",
                                               "P1", "p2",       "z"};
  std::vector<NameId> ids;
  const NameTable table(input, ids);
  EXPECT_EQ(all(table), (std::vector<std::string_view>{"", "P1", "p10", "p2",
                                                       "z", "\xc3\xa9"}));
  EXPECT_EQ(ids, (std::vector<NameId>{3, 5, 2, 0, 1, 3, 4}));
  EXPECT_EQ(table.find("p2"), NameId{3});
  EXPECT_EQ(table.find(""), NameId{0});
  EXPECT_EQ(table.find("p"), std::nullopt);
}

TEST(NameTableTest, LargeTablesRankAsSmallOnesDo) {
  // Enough names that the halves are sorted apart and merged; long shared
  // prefixes make the comparisons go past the first eight bytes.
  std::vector<std::string> texts;
  for (int k = 0; k < 50000; ++k) {
    const int scrambled = (k * 7919) % 50000;
    texts.push_back((k % 3 == 0 ? "place_long_prefix_" : "t") +
                    std::to_string(scrambled % 20000));
  }
  const std::vector<std::string_view> input(texts.begin(), texts.end());
  std::vector<NameId> ids;
  const NameTable table(input, ids);
  std::vector<std::string_view> expected = input;
  std::sort(expected.begin(), expected.end());
  expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
  EXPECT_EQ(all(table), expected);
  for (size_t k = 0; k < input.size(); ++k) ASSERT_EQ(table[ids[k]], input[k]);
}

TEST(NameTableTest, CopiesAndMovesKeepTheirOwnText) {
  std::string scratch = "node";
  NameTable table({std::string_view(scratch), "a"});
  scratch = "gone";  // the table holds its own copy of every name
  NameTable copy = table;
  NameTable moved = std::move(table);
  for (const NameTable* t : {&copy, &moved}) {
    EXPECT_EQ(all(*t), (std::vector<std::string_view>{"a", "node"}));
    EXPECT_EQ(t->find("node"), NameId{1});
  }
  copy = moved;
  EXPECT_EQ(copy.find("a"), NameId{0});
}

}  // namespace
}  // namespace marovel
