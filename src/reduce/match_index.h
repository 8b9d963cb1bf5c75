// An index of rule candidates that finds, for each rule, exactly the match
// the name-order scan of that rule returns, without scanning: candidate sets
// ordered by name, brought up to date after each application from what the
// application touched. How a rule's candidates are kept is its own kIndex;
// which candidates a change can affect, its own for_dependents(); whether a
// candidate matches, its own at(). The index names no rule.
//
// Works on models that are closed and mirrored (every model the reader
// builds, and every model the rules make from one); neighbours are found
// through the bags of the changed nodes, which is sound only then.
#ifndef MAROVEL_REDUCE_MATCH_INDEX_H_
#define MAROVEL_REDUCE_MATCH_INDEX_H_

#include <optional>
#include <tuple>
#include <type_traits>

#include "base/two_cores.h"
#include "model/net_model.h"
#include "reduce/candidate_queue.h"
#include "reduce/kept_names.h"
#include "reduce/rule.h"
#include "reduce/rule_set.h"
#include "reduce/rule_table.h"
#include "reduce/step_footprint.h"
#include "reduce/twin_groups.h"

namespace marovel {

class MatchIndex {
 public:
  // Indexes the candidates of the enabled rules, passing over the matches
  // that would erase a node `kept` names; on a large net the places and
  // the transitions are walked on both cores when `cores` says so.
  // REQUIRES: `model` is closed and mirrored, outlives the index and
  // changes only through the steps reported to it; `kept` outlives the
  // index and does not change.
  MatchIndex(const NetModel& model, const RuleSet& rules, const KeptNames& kept,
             TwoCores cores = {});

  // The match R's scan would return: the first node in name order at which
  // R::at() finds one. Drops candidates found stale on the way, hence not
  // const. REQUIRES: R is enabled.
  template <typename R>
  std::optional<typename R::Match> find();

  // Around each application: `before_step` lets go of the nodes the step
  // erases or regroups, `after_step` re-offers what it touched.
  void before_step(const StepFootprint& footprint);
  void after_step(const StepFootprint& footprint);

 private:
  // What holds the candidates of rule R.
  template <typename R>
  using CandidatesOf =
      std::conditional_t<R::kIndex == CandidateIndex::kTwinGroups, TwinGroups,
                         CandidateQueue>;
  template <typename Table>
  struct PerRule;
  template <typename... R>
  struct PerRule<std::tuple<R...>> {
    using type = std::tuple<CandidatesOf<R>...>;
  };

  template <typename R>
  CandidatesOf<R>& candidates() {
    return std::get<kRuleOf<R>.index>(candidates_);
  }
  template <typename R>
  const CandidatesOf<R>& candidates() const {
    return std::get<kRuleOf<R>.index>(candidates_);
  }
  // Walks the nodes of `kind` in name order for the first indexing.
  template <typename Visit>
  void walk_ahead(NodeKind kind, Visit visit) const;
  // Offers the candidates that a change of node `name` may affect.
  void offer(NodeKind kind, NameId name);
  // Lets go of a node the step erases.
  void drop(NodeKind kind, NameId name);
  // Takes the candidates that a change of node `name` may regroup out of
  // their twin groups, until offer() puts them back.
  void ungroup(NodeKind kind, NameId name);
  // Asks for the twin groups the nodes of a step are about to leave.
  void prefetch_leaving(const StepFootprint& footprint) const;

  const NetModel& model_;
  RuleSet rules_;
  const KeptNames& kept_;
  // A queue holds a superset of the candidates that match: every node that
  // matches is held; one that no longer does leaves when a search meets it.
  // A candidate whose match would erase a kept node is no match: what it
  // would erase changes only with the bags its at() reads (for_dependents()
  // offers it again then) or as a fusion hands an erased node's record to
  // a survivor, which puts the survivor's name where the erased one was:
  // neither lets a candidate passed over for a kept node match unoffered.
  typename PerRule<RuleTable>::type candidates_;
};

template <typename R>
std::optional<typename R::Match> MatchIndex::find() {
  if constexpr (R::kIndex == CandidateIndex::kTwinGroups) {
    const NodeMap& nodes = model_.nodes(R::kCandidate);
    const auto found = candidates<R>().first(
        [&](NameId name) { return twin_key(*nodes.find(name)); });
    if (!found) return std::nullopt;
    // The group's key names the neighbours: the kept node itself need not
    // be read.
    return R::from_key(model_, found->key, found->kept, found->removed);
  } else {
    CandidateQueue& queue = candidates<R>();
    while (!queue.empty()) {
      const NameId first = queue.smallest();
      if (auto match = R::at(model_, first, kept_)) return match;
      queue.erase(first);
    }
    return std::nullopt;
  }
}

}  // namespace marovel

#endif  // MAROVEL_REDUCE_MATCH_INDEX_H_
