// The rules in priority order, one row each: a step offers the net to them
// in this order and applies the first that matches. Both engines, the
// command line and the reduction log walk this one table, so a rule is
// added or changed in one place.
#ifndef MAROVEL_REDUCE_RULE_TABLE_H_
#define MAROVEL_REDUCE_RULE_TABLE_H_

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "reduce/parallel.h"
#include "reduce/rule.h"
#include "reduce/self_loop.h"
#include "reduce/series.h"

namespace marovel {

using RuleTable =
    std::tuple<SeriesPlaces, SeriesTransitions, ParallelPlaces,
               ParallelTransitions, SelfLoopPlace, SelfLoopTransition>;

inline constexpr size_t kRuleCount = std::tuple_size_v<RuleTable>;

namespace rule_table_detail {

template <typename R, typename... Rules>
constexpr size_t index_in(std::type_identity<std::tuple<Rules...>>) {
  size_t index = 0;
  ((std::is_same_v<R, Rules> ? false : (++index, true)) && ...);
  return index;
}

template <typename... Rules>
constexpr std::array<char, sizeof...(Rules)> letters_of(
    std::type_identity<std::tuple<Rules...>>) {
  static_assert((ReductionRule<Rules> && ...));
  return {Rules::kLetter...};
}

constexpr bool distinct_capitals(std::span<const char> letters) {
  for (size_t k = 0; k < letters.size(); ++k) {
    if (letters[k] < 'A' || letters[k] > 'Z') return false;
    for (size_t j = 0; j < k; ++j)
      if (letters[j] == letters[k]) return false;
  }
  return true;
}

}  // namespace rule_table_detail

// The rule R, by its place in the table.
template <typename R>
requires(rule_table_detail::index_in<R>(std::type_identity<RuleTable>{}) <
         kRuleCount) inline constexpr Rule kRuleOf{
    rule_table_detail::index_in<R>(std::type_identity<RuleTable>{})};

// The rules' letters in priority order ("ABCDEF"): each names its rule on
// the command line and in the reduction log.
inline constexpr std::array<char, kRuleCount> kRuleLetters =
    rule_table_detail::letters_of(std::type_identity<RuleTable>{});
static_assert(rule_table_detail::distinct_capitals(kRuleLetters));

inline char rule_letter(Rule rule) { return kRuleLetters[rule.index]; }

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
// candidate kind, in name order, at which R::at() finds one that erases no
// kept node.
template <typename R>
std::optional<typename R::Match> scan(const NetModel& model,
                                      const KeptNames& kept) {
  for (const auto& [name, node] : model.nodes(R::kCandidate))
    if (auto match = R::at(model, name, kept)) return match;
  return std::nullopt;
}

// Records into `footprint` what applying `match` will erase and touch, read
// off the model before it changes.
template <typename R>
void record_footprint(const NetModel& model, const typename R::Match& match,
                      StepFootprint& footprint) {
  const MatchNameIds erased = R::erased(match);
  for (size_t k = 0; k < erased.size; ++k)
    footprint.erase(erased.kinds[k], erased.ids[k]);
  R::footprint(model, match, footprint);
}

}  // namespace marovel

#endif  // MAROVEL_REDUCE_RULE_TABLE_H_
