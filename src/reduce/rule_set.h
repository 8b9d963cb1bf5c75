// Which of the rules a run may apply.
#ifndef MAROVEL_REDUCE_RULE_SET_H_
#define MAROVEL_REDUCE_RULE_SET_H_

#include <array>
#include <cstddef>
#include <string_view>

#include "reduce/rule.h"
#include "reduce/rule_table.h"

namespace marovel {

struct RuleSet {
  std::array<bool, kRuleCount> enabled{};  // all off

  bool operator[](Rule r) const { return enabled[r.index]; }
  void set(Rule r, bool on = true) { enabled[r.index] = on; }
  static RuleSet all() {
    RuleSet s;
    s.enabled.fill(true);
    return s;
  }
  // The rules whose letters `letters` holds, in either case; other
  // characters name no rule and are passed over.
  static RuleSet from_letters(std::string_view letters);
  // Every rule's letter, in priority order: "ABCDEF".
  static std::string_view letters() {
    return {kRuleLetters.data(), kRuleLetters.size()};
  }
};

}  // namespace marovel

#endif  // MAROVEL_REDUCE_RULE_SET_H_
