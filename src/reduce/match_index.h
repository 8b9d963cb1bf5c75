// An index of rule candidates that finds, for each of the six rules, exactly
// the match the name-order scan of that rule's search returns, without
// scanning: candidate sets ordered by name, brought up to date after each
// application from what the application touched.
//
// Works on models that are closed and mirrored (every model the reader
// builds, and every model the rules make from one); neighbours are found
// through the bags of the changed nodes, which is sound only then.
#ifndef MAROVEL_REDUCE_MATCH_INDEX_H_
#define MAROVEL_REDUCE_MATCH_INDEX_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "model/net_model.h"
#include "model/step_footprint.h"
#include "reduce/candidate_queue.h"
#include "reduce/parallel_rules.h"
#include "reduce/rule_set.h"
#include "reduce/self_loop_rules.h"
#include "reduce/series_rules.h"
#include "reduce/twin_groups.h"

namespace marovel {

// What a rule's candidacy of a node depends on, which is what the updates
// follow:
//   A, transition t: its own bags; the `out` bag of its single input place
//      i; for the loop case (output place == i) the `in` bag of i. So a
//      changed place i re-offers the one transition of its `out` bag.
//   B, place p: its own bags; the `in` bag of its single output transition
//      v; for the loop case the `out` bag of v. A changed transition
//      re-offers the one place of its `in` bag.
//   C, place: its own bags alone decide its twin group (input, output
//      transition); whether it is the kept one depends on the group.
//   D, transition: likewise with the input and output place.
//   E, F: the node's own bags alone.
class MatchIndex {
 public:
  // Indexes the candidates of the enabled rules. `model` must outlive the
  // index and change only through the steps reported to it.
  MatchIndex(const NetModel& model, const RuleSet& rules);

  // The match the rule's reference search would return. Drops candidates
  // found stale on the way, hence not const.
  std::optional<SeriesPlacesMatch> find_series_places();
  std::optional<SeriesTransitionsMatch> find_series_transitions();
  std::optional<ParallelPlacesMatch> find_parallel_places();
  std::optional<ParallelTransitionsMatch> find_parallel_transitions();
  std::optional<SelfLoopPlaceMatch> find_self_loop_place();
  std::optional<SelfLoopTransitionMatch> find_self_loop_transition();

  // Around each application: `before_step` lets go of the nodes the step
  // erases or regroups, `after_step` re-offers what it touched.
  void before_step(const StepFootprint& footprint);
  void after_step(const StepFootprint& footprint);

  // Asks for what applying the match will read, all at once, so that on a
  // large net the cache misses of a step overlap rather than queue up.
  void prefetch(const SeriesPlacesMatch& match) const;
  void prefetch(const SeriesTransitionsMatch& match) const;
  void prefetch(const ParallelPlacesMatch& match) const;
  void prefetch(const ParallelTransitionsMatch& match) const;
  void prefetch(const SelfLoopPlaceMatch& match) const;
  void prefetch(const SelfLoopTransitionMatch& match) const;
  // The same for the neighbours a step touches beyond its match, once its
  // footprint is known.
  void prefetch(const StepFootprint& footprint) const;

  // Candidates held, stale ones included (for tests and measurements).
  size_t size() const;

 private:
  // Ids are ranks in name order.
  using Candidates = CandidateQueue;

  void offer_place(NameId place);
  void offer_transition(NameId transition);
  void drop_place(NameId place);
  void drop_transition(NameId transition);
  // Asks for the neighbour of the self-loop place (else transition) likely
  // to come after the one just found.
  void prefetch_next_loop(bool places) const;
  // Asks for the entries of the place (else transition) `name` that are
  // found by the name alone.
  void prefetch_entries(NameId name, bool place) const;
  void prefetch_names(std::span<const NameId> places,
                      std::span<const NameId> transitions) const;

  const NetModel& model_;
  RuleSet rules_;
  // Supersets of the candidates of rules A, B, E and F: every node that
  // matches is held; one that no longer matches leaves when a search
  // meets it.
  Candidates series_places_;         // A, transitions
  Candidates series_transitions_;    // B, places
  Candidates loop_places_;           // E
  Candidates loop_transitions_;      // F
  TwinGroups parallel_places_;       // C
  TwinGroups parallel_transitions_;  // D
};

// The footprint of one application, read off the model before it runs.
// Preconditions as for MatchIndex.
void footprint_of(const NetModel& model, const SeriesPlacesMatch& match,
                  StepFootprint& footprint);
void footprint_of(const NetModel& model, const SeriesTransitionsMatch& match,
                  StepFootprint& footprint);
void footprint_of(const NetModel& model, const ParallelPlacesMatch& match,
                  StepFootprint& footprint);
void footprint_of(const NetModel& model, const ParallelTransitionsMatch& match,
                  StepFootprint& footprint);
void footprint_of(const NetModel& model, const SelfLoopPlaceMatch& match,
                  StepFootprint& footprint);
void footprint_of(const NetModel& model, const SelfLoopTransitionMatch& match,
                  StepFootprint& footprint);

}  // namespace marovel

#endif  // MAROVEL_REDUCE_MATCH_INDEX_H_
