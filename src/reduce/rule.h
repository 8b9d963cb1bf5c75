// What a rule is: the members every rule states once and every engine uses
// (the ReductionRule concept), and the records of one application.
#ifndef MAROVEL_REDUCE_RULE_H_
#define MAROVEL_REDUCE_RULE_H_

#include <array>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "model/net_model.h"
#include "reduce/kept_names.h"
#include "reduce/step_footprint.h"

namespace marovel {

// A rule, by its place in the priority order of RuleTable (rule_table.h).
struct Rule {
  size_t index = 0;
  friend bool operator==(Rule, Rule) = default;
};

// The name ids of some nodes of one application, with their kinds: those of
// its log line, in that order, or those it erases.
struct MatchNameIds {
  std::array<NameId, 4> ids{};
  std::array<NodeKind, 4> kinds{};
  size_t size = 0;

  std::span<const NameId> names() const { return {ids.data(), size}; }
  friend bool operator==(const MatchNameIds&, const MatchNameIds&) = default;
};

// How a fusion moves arcs. Removing into kept is the plain way: the removed
// node's arcs go to the kept node and every neighbour of the removed node
// is told, which is sound on any model. Smaller into larger keeps whichever
// record has more neighbours and gives it the kept node's name (see
// NodeMap::swap_names), so that the work is in proportion to the smaller
// side; it needs a closed, mirrored model. Both leave the same net.
enum class FusionMoves { kRemovedIntoKept, kSmallerIntoLarger };

// One application of a rule, as the reduction log records it.
struct Application {
  Rule rule;
  MatchNameIds names;
  friend bool operator==(const Application&, const Application&) = default;
};

// How the match index keeps a rule's candidates.
enum class CandidateIndex {
  // A queue of the nodes at which at() may find a match, smallest name
  // first: a superset of the matches, re-checked through for_dependents()
  // after each step, whose stale members leave when a search meets them.
  kQueue,
  // Groups of twins: the nodes with one input and one output arc of weight
  // 1, grouped by that pair of neighbours (twin_groups.h). A match keeps a
  // node q and erases a twin p of q; at() at q looks through q's twins in
  // name order. The rule's first match is thus the smallest q that has a
  // twin p it may erase, with the smallest such p: without kept names, the
  // smallest node that has a twin with the smallest of its twins.
  kTwinGroups,
};

// A rule is one type whose static members say all there is to know about
// it; both engines (the reference scan and the match index) and the
// command line take everything from them.
template <typename R>
concept ReductionRule = std::equality_comparable<typename R::Match> &&
    requires(const NetModel& model, NetModel& changed, NodeKind kind,
             NameId name, const KeptNames& kept, const typename R::Match& match,
             StepFootprint& footprint, FusionMoves moves, void (*offer)(NameId),
             const NetNode& node) {
  // The letter that names the rule on the command line and in the
  // reduction log, a capital.
  { R::kLetter } -> std::convertible_to<char>;
  // The kind of node a match is found at: its candidates.
  { R::kCandidate } -> std::convertible_to<NodeKind>;
  // How the match index keeps the candidates.
  { R::kIndex } -> std::convertible_to<CandidateIndex>;
  // Whether the rule can apply at that candidate: its first match there,
  // in the rule's order, whose application erases no node of `kept`
  // (kept.spares(erased(match))), or none. A match that would erase a kept
  // node is passed over, never cut short. The reference scan calls it on
  // every node of kCandidate in name order; the first match is the rule's.
  {
    R::at(model, name, kept)
    } -> std::same_as<std::optional<typename R::Match>>;
  // The nodes the application of the match erases, read off the match
  // alone: what a kept name forbids, and the erased part of the footprint.
  { R::erased(match) } -> std::same_as<MatchNameIds>;
  // The one node that takes over the erased nodes' aggregates and, in a
  // fusion, their arcs: the only survivor whose arcs to the erased nodes'
  // neighbours the application may change. It is erased too when the
  // match is an isolated loop that goes whole.
  { R::absorber(match) } -> std::same_as<MatchNameIds>;
  // Calls offer(candidate) for every candidate whose answer to at() may
  // change when the bags of node `name` (of `kind`) change: what the
  // index re-checks after a step, and the candidates a twin group lets
  // go of before the step.
  R::for_dependents(model, kind, name, offer);
  // The surviving nodes that applying the match will touch, read off the
  // model before it changes (record_footprint() adds the erased ones): the
  // index lets go of the erased nodes and re-offers the touched ones, the
  // closure check looks only at them.
  R::footprint(model, match, footprint);
  // Rewrites the model; false only when it cannot (a model that names a
  // node it lacks), and then the next rule gets the step.
  { R::apply(changed, match, moves) } -> std::same_as<bool>;
  // The nodes of the match in the order of its log line.
  { R::names(match) } -> std::same_as<MatchNameIds>;
  // The neighbour (of the other kind), if any, whose node at() reads at a
  // candidate with the bags of `node` besides the candidate's own: the
  // index asks for it some candidates ahead while it walks them.
  { R::read_ahead(node) } -> std::same_as<std::optional<NodeId>>;
} &&
    // A rule of twins builds its match from the group the index found: the
    // twins `kept` and `removed` and the key naming their two neighbours.
    (R::kIndex != CandidateIndex::kTwinGroups ||
     requires(const NetModel& model, uint64_t key, NameId kept,
              NameId removed) {
       {
         R::from_key(model, key, kept, removed)
         } -> std::same_as<typename R::Match>;
     });

}  // namespace marovel

#endif  // MAROVEL_REDUCE_RULE_H_
