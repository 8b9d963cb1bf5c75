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

// `count` names in a scrambled order, `distinct` of each kind at most, a
// third of them with a long shared prefix, so that comparisons go past the
// first eight bytes.
std::vector<std::string> scrambled_names(int count, int distinct) {
  std::vector<std::string> texts;
  for (int k = 0; k < count; ++k) {
    const int scrambled = (k * 7919) % count;
    texts.push_back((k % 3 == 0 ? "place_long_prefix_" : "t") +
                    std::to_string(scrambled % distinct));
  }
  return texts;
}

TEST(NameTableTest, LargeTablesRankAsSmallOnesDo) {
  const std::vector<std::string> texts = scrambled_names(50000, 20000);
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

// Without its index a table finds every name, and misses every other, as
// with it: the search compares bytes as unsigned, as the ranks do.
TEST(NameTableTest, FindsTheSameAfterItsIndexIsDropped) {
  std::vector<std::string> texts = {"",    "\xc3\xa9", "P1", "p",
                                    "p10", "p2",       "z"};
  for (int k = 0; k < 3000; ++k)
    texts.push_back("place_long_prefix_" + std::to_string(k * 7));
  const std::vector<std::string_view> names(texts.begin(), texts.end());
  const NameTable hashed(names);
  NameTable searched = hashed;
  searched.drop_index();
  std::vector<std::string_view> queries = names;
  for (const char* absent :
       {"p0", "p1", "p3", "\xc3", "\xff", "a", "place_long_prefix_1",
        "place_long_prefix_99999", "zz"})
    queries.push_back(absent);
  std::vector<std::optional<NameId>> from_hashed(queries.size());
  std::vector<std::optional<NameId>> from_searched(queries.size());
  hashed.find_all(queries, from_hashed);
  searched.find_all(queries, from_searched);
  EXPECT_EQ(from_searched, from_hashed);
  for (size_t k = 0; k < queries.size(); ++k) {
    SCOPED_TRACE(k);
    ASSERT_EQ(searched.find(queries[k]), hashed.find(queries[k]));
    ASSERT_EQ(from_hashed[k].has_value(), k < names.size());
  }
  EXPECT_EQ(NameTable().find(""), std::nullopt);
}

// A builder fed in runs, in any order of its two groups, makes the table and
// the ids the whole list makes at once.
TEST(NameTableTest, BuilderFedInRunsMatchesTheWholeList) {
  std::vector<std::string> texts = scrambled_names(5000, 3000);
  texts.push_back("");
  const std::vector<std::string_view> all_names(texts.begin(), texts.end());
  const size_t group0 = 3001;  // names 0 .. 3000; the rest are group 1
  std::vector<NameId> expected_ids;
  const NameTable expected(all_names, expected_ids);

  // Each case: run lengths, taken alternately from group 0 and group 1
  // while both have names left; "group 1 first" starts with group 1.
  struct Case {
    const char* what;
    std::vector<size_t> runs;
    bool group1_first;
  };
  const Case cases[] = {
      {"one run per group", {group0, 5001 - group0}, false},
      {"group 1 first", {5001 - group0, group0}, true},
      {"short runs", {1, 1, 7, 100, 3, 1000, 2, 64}, false},
      {"growing runs", {1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1024}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NameTable::Builder builder;
    size_t taken[2] = {0, 0};
    const size_t sizes[2] = {group0, all_names.size() - group0};
    unsigned group = c.group1_first ? 1 : 0;
    size_t run = 0;
    while (taken[0] < sizes[0] || taken[1] < sizes[1]) {
      if (taken[group] == sizes[group]) group = 1 - group;
      const size_t length =
          std::min(c.runs[run++ % c.runs.size()], sizes[group] - taken[group]);
      const size_t offset = group == 0 ? 0 : group0;
      builder.add(std::span(all_names).subspan(offset + taken[group], length),
                  group, taken[group]);
      taken[group] += length;
      group = 1 - group;
    }
    std::vector<NameId> ids;
    const NameTable table = std::move(builder).finish(ids, group0);
    EXPECT_EQ(all(table), all(expected));
    EXPECT_EQ(ids, expected_ids);
    EXPECT_EQ(table.find("t17"), expected.find("t17"));
  }
}

}  // namespace
}  // namespace marovel
