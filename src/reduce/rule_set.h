// Which of the six rules a run may apply, and the order it offers them in.
#ifndef MAROVEL_REDUCE_RULE_SET_H_
#define MAROVEL_REDUCE_RULE_SET_H_

#include <array>
#include <cstddef>

namespace marovel {

// Priority order: a step offers the net to the rules in this order.
enum class Rule : size_t { kA, kB, kC, kD, kE, kF };
inline constexpr size_t kRuleCount = 6;

struct RuleSet {
  std::array<bool, kRuleCount> enabled{};  // all off

  bool operator[](Rule r) const { return enabled[static_cast<size_t>(r)]; }
  void set(Rule r, bool on = true) { enabled[static_cast<size_t>(r)] = on; }
  static RuleSet all() {
    RuleSet s;
    s.enabled.fill(true);
    return s;
  }
};

}  // namespace marovel

#endif  // MAROVEL_REDUCE_RULE_SET_H_
