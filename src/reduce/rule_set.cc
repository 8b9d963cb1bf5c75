#include "reduce/rule_set.h"

namespace marovel {

RuleSet RuleSet::from_letters(std::string_view letters) {
  RuleSet rules;
  for (size_t k = 0; k < kRuleCount; ++k) {
    const char upper = kRuleLetters[k];
    const char lower = static_cast<char>(upper - 'A' + 'a');
    rules.enabled[k] = letters.find(upper) != std::string_view::npos ||
                       letters.find(lower) != std::string_view::npos;
  }
  return rules;
}

}  // namespace marovel
