// The six rules in priority order: a step offers the net to them in this
// order and applies the first that matches. Both engines walk this one
// table, so a rule is added or changed in one place.
#ifndef MAROVEL_REDUCE_RULE_TABLE_H_
#define MAROVEL_REDUCE_RULE_TABLE_H_

#include <cstddef>
#include <optional>
#include <tuple>
#include <type_traits>

#include "reduce/parallel.h"
#include "reduce/rule_set.h"
#include "reduce/self_loop.h"
#include "reduce/series.h"

namespace marovel {

using RuleTable =
    std::tuple<SeriesPlaces, SeriesTransitions, ParallelPlaces,
               ParallelTransitions, SelfLoopPlace, SelfLoopTransition>;

namespace rule_table_detail {
template <size_t... k>
constexpr bool in_priority_order(std::index_sequence<k...>) {
  return ((std::tuple_element_t<k, RuleTable>::kRule == static_cast<Rule>(k)) &&
          ...);
}
}  // namespace rule_table_detail
static_assert(std::tuple_size_v<RuleTable> == kRuleCount &&
              rule_table_detail::in_priority_order(
                  std::make_index_sequence<kRuleCount>()));

// Calls f(std::type_identity<R>{}) for each rule R in priority order until
// a call returns true; returns whether one did.
template <typename F>
bool until_a_rule(F&& f) {
  return []<typename... R>(F& g, std::type_identity<std::tuple<R...>>) {
    return (g(std::type_identity<R>{}) || ...);
  }(f, std::type_identity<RuleTable>{});
}

// Calls f(std::type_identity<R>{}) for every rule R in priority order.
template <typename F>
void for_each_rule(F&& f) {
  until_a_rule([&](auto rule) {
    f(rule);
    return false;
  });
}

// The reference scan of rule R: the match at the first node of its
// candidate kind, in name order, at which R::at() finds one.
template <typename R>
std::optional<typename R::Match> scan(const NetModel& model) {
  for (const auto& [name, node] : model.nodes(R::kCandidate))
    if (auto match = R::at(model, name)) return match;
  return std::nullopt;
}

// Whether a rule's candidates are grouped by twin key (C and D) rather than
// held in a queue of their own.
template <typename R>
inline constexpr bool kGroupsTwins =
    std::is_same_v<R, ParallelPlaces> || std::is_same_v<R, ParallelTransitions>;

}  // namespace marovel

#endif  // MAROVEL_REDUCE_RULE_TABLE_H_
