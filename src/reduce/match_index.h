// An index of rule candidates that finds, for each of the six rules, exactly
// the match the name-order scan of that rule returns, without scanning:
// candidate sets ordered by name, brought up to date after each application
// from what the application touched. Which candidates a change can affect
// is each rule's own for_dependents(); whether a candidate matches is its
// own at().
//
// Works on models that are closed and mirrored (every model the reader
// builds, and every model the rules make from one); neighbours are found
// through the bags of the changed nodes, which is sound only then.
#ifndef MAROVEL_REDUCE_MATCH_INDEX_H_
#define MAROVEL_REDUCE_MATCH_INDEX_H_

#include <array>
#include <cstddef>
#include <optional>
#include <span>

#include "base/run_both.h"
#include "model/net_model.h"
#include "reduce/candidate_queue.h"
#include "reduce/rule.h"
#include "reduce/rule_table.h"
#include "reduce/step_footprint.h"
#include "reduce/twin_groups.h"

namespace marovel {

class MatchIndex {
 public:
  // Indexes the candidates of the enabled rules; on a large net the places
  // and the transitions are walked on both cores when `cores` says so.
  // REQUIRES: `model` is closed and mirrored, outlives the index and
  // changes only through the steps reported to it.
  MatchIndex(const NetModel& model, const RuleSet& rules, TwoCores cores = {});

  // The match R's scan would return: the first node in name order at which
  // R::at() finds one. Drops candidates found stale on the way, hence not
  // const. REQUIRES: R is enabled.
  template <typename R>
  std::optional<typename R::Match> find();

  // Around each application: `before_step` lets go of the nodes the step
  // erases or regroups, `after_step` re-offers what it touched.
  void before_step(const StepFootprint& footprint);
  void after_step(const StepFootprint& footprint);

  // Asks for what applying a match of these nodes will read, all at once,
  // so that on a large net the cache misses of a step overlap rather than
  // queue up; then the same for the neighbours a step touches beyond its
  // match, once its footprint is known.
  void prefetch(const RuleNames& match) const;
  void prefetch(const StepFootprint& footprint) const;

  // Candidates held, stale ones included (for tests and measurements).
  size_t size() const;

 private:
  // Offers the candidates that a change of node `name` may affect.
  void offer(NodeKind kind, NameId name);
  void drop(NodeKind kind, NameId name);
  TwinGroups& twins(NodeKind kind) {
    return kind == NodeKind::kPlace ? parallel_places_ : parallel_transitions_;
  }
  const TwinGroups& twins(NodeKind kind) const {
    return kind == NodeKind::kPlace ? parallel_places_ : parallel_transitions_;
  }
  CandidateQueue& queue(Rule rule) {
    return queues_[static_cast<size_t>(rule)];
  }
  // Asks for the neighbour of the self-loop node likely to come after the
  // one just found.
  void prefetch_next_loop(NodeKind kind) const;
  // Asks for the entries of `name` found by the name alone.
  void prefetch_entries(NameId name, NodeKind kind) const;
  void prefetch_names(std::span<const NameId> places,
                      std::span<const NameId> transitions) const;

  const NetModel& model_;
  RuleSet rules_;
  // For the rules of a queue (A, B, E and F): a superset of the candidates
  // that match. Every node that matches is held; one that no longer does
  // leaves when a search meets it. The queues of C and D stay empty.
  std::array<CandidateQueue, kRuleCount> queues_;
  TwinGroups parallel_places_;       // C
  TwinGroups parallel_transitions_;  // D
};

template <typename R>
std::optional<typename R::Match> MatchIndex::find() {
  if constexpr (kGroupsTwins<R>) {
    TwinGroups& groups = twins(R::kCandidate);
    const auto found = groups.first();
    if (!found) return std::nullopt;
    if (const auto next = groups.next_twin())
      prefetch_entries(*next, R::kCandidate);
    // The group's key names the neighbours: the kept node itself need not
    // be read.
    return R::from_key(model_, found->key, found->kept, found->removed);
  } else {
    CandidateQueue& candidates = queue(R::kRule);
    while (!candidates.empty()) {
      const NameId first = candidates.smallest();
      if (auto match = R::at(model_, first)) {
        if constexpr (std::is_same_v<R, SelfLoopPlace> ||
                      std::is_same_v<R, SelfLoopTransition>)
          prefetch_next_loop(R::kCandidate);
        return match;
      }
      candidates.erase(first);
    }
    return std::nullopt;
  }
}

}  // namespace marovel

#endif  // MAROVEL_REDUCE_MATCH_INDEX_H_
