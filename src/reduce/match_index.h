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
#include <memory_resource>
#include <optional>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/net_model.h"
#include "model/step_footprint.h"
#include "reduce/candidate_queue.h"
#include "reduce/parallel_rules.h"
#include "reduce/rule_set.h"
#include "reduce/self_loop_rules.h"
#include "reduce/series_rules.h"
#include "xml/huge_page_resource.h"

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

  // Candidates held, stale ones included (for tests and measurements).
  size_t size() const;

 private:
  // Ids are ranks in name order.
  using Candidates = CandidateQueue;

  // Nodes with one input and one output arc of weight 1, grouped by that
  // (input, output) pair of neighbours.
  class TwinGroups {
   public:
    // `nodes`: how many nodes may join, at most; the table is sized for
    // them once rather than grown step by step.
    TwinGroups(size_t names, size_t nodes);
    void add(NameId name, const NetNode& node);
    void remove(NameId name);
    // The smallest node that has a twin, and the smallest of its twins.
    std::optional<std::pair<NameId, NameId>> first();
    size_t size() const { return members_; }

   private:
    // The smallest member of a group of two or more; none for a smaller one.
    static std::optional<NameId> head_of(const std::pmr::set<NameId>& group);
    // Moves a group's entry among the heads from `before` to `after`.
    void rehead(std::optional<NameId> before, std::optional<NameId> after);

    // The (input, output) pair, packed; kNone for a node in no group.
    static constexpr uint64_t kNone = ~uint64_t{0};
    // Groups and their member sets come and go by the million on large
    // nets: an arena keeps that from the general heap (what a step frees is
    // not reused, which costs at most what the steps add).
    std::pmr::monotonic_buffer_resource arena_{huge_page_resource()};
    std::pmr::unordered_map<uint64_t, std::pmr::set<NameId>> groups_{&arena_};
    std::vector<uint64_t> key_of_;
    size_t members_ = 0;
    // The smallest member of every group of two or more.
    CandidateQueue heads_;
  };

  void offer_place(NameId place);
  void offer_transition(NameId transition);
  void drop_place(NameId place);
  void drop_transition(NameId transition);

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
