#include "reduce/rule_set.h"

#include <gtest/gtest.h>

#include <string>

namespace marovel {
namespace {

// The rules a --rules value enables, as their letters in priority order.
std::string enabled(const RuleSet& rules) {
  std::string letters;
  for (size_t k = 0; k < kRuleCount; ++k)
    if (rules[Rule{k}]) letters += rule_letter(Rule{k});
  return letters;
}

TEST(RuleSetTest, FromLettersTakesEitherCaseAndPassesOverTheRest) {
  const struct {
    const char* letters;
    const char* enabled;
  } kCases[] = {
      {"", ""},
      {"ABCDEF", "ABCDEF"},
      {"fedcba", "ABCDEF"},
      {"eE", "E"},
      {"Z9 -,a", "A"},
      {"\xc3\x81\xe1\xc1", ""},  // bytes of no rule, however read
  };
  for (const auto& c : kCases)
    EXPECT_EQ(enabled(RuleSet::from_letters(c.letters)), c.enabled)
        << c.letters;
  EXPECT_EQ(enabled(RuleSet::all()), RuleSet::letters());
}

}  // namespace
}  // namespace marovel
