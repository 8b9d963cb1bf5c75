#include "pnml/pnml_resolver.h"

#include <cstdint>
#include <memory_resource>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "base/quoted.h"
#include "netfile/net_file.h"
#include "pnml/id_index.h"
#include "pnml/pnml_values.h"

namespace marovel {
namespace {

class Resolver {
 public:
  Resolver(const PnmlNetParts& parts, PtNet& net)
      : parts_(parts), net_(net), ids_(named_entries(), &memory_) {}

  Status resolve() {
    Status status = check_ids();
    if (status.ok()) status = resolve_references();
    if (status.ok()) status = add_arcs();
    return status;
  }

 private:
  enum class State : uint8_t { kOpen, kFollowing, kDone };

  static Status fail(std::string message) {
    return Status::error(Status::Code::kInvalidInput, std::move(message));
  }

  // Places, then transitions, then references: the order in which a
  // repeated id is looked for.
  std::pmr::vector<NamedEntry> named_entries() {
    std::pmr::vector<NamedEntry> named(&memory_);
    named.reserve(net_.places.size() + net_.transitions.size() +
                  parts_.references.size());
    for (size_t i = 0; i < net_.places.size(); ++i)
      named.push_back(
          {net_.places[i].id, {PnmlKind::kPlace, static_cast<uint32_t>(i)}});
    for (size_t i = 0; i < net_.transitions.size(); ++i)
      named.push_back({net_.transitions[i].id,
                       {PnmlKind::kTransition, static_cast<uint32_t>(i)}});
    for (size_t i = 0; i < parts_.references.size(); ++i)
      named.push_back(
          {parts_.references[i].id,
           {reference_kind(parts_.references[i]), static_cast<uint32_t>(i)}});
    return named;
  }

  static PnmlKind reference_kind(const PnmlReference& reference) {
    return reference.to_place ? PnmlKind::kPlaceReference
                              : PnmlKind::kTransitionReference;
  }

  Status check_ids() {
    if (const auto repeated = ids_.first_repeated())
      return fail("the id " + quoted(*repeated) +
                  " is given to more than one node");
    return Status();
  }

  // Follows every reference to the place or transition at the end of its
  // chain, each chain once, and refuses a chain that comes back on itself.
  Status resolve_references() {
    const std::pmr::vector<PnmlReference>& references = parts_.references;
    std::pmr::vector<std::string_view> refs(&memory_);
    refs.reserve(references.size());
    for (const PnmlReference& reference : references)
      refs.push_back(reference.ref.value_or(""));
    const auto named = ids_.find_all(refs);

    states_.assign(references.size(), State::kOpen);
    targets_.assign(references.size(), PnmlEntry{PnmlKind::kPlace, 0});
    std::vector<uint32_t> chain;
    for (size_t start = 0; start < references.size(); ++start) {
      chain.clear();
      PnmlEntry at{reference_kind(references[start]),
                   static_cast<uint32_t>(start)};
      while (is_reference(at.kind) && states_[at.index] != State::kDone) {
        const PnmlReference& reference = references[at.index];
        if (states_[at.index] == State::kFollowing)
          return fail("the reference " + quoted(reference.id) +
                      " leads back to itself through a cycle of references");
        states_[at.index] = State::kFollowing;
        chain.push_back(at.index);
        if (!reference.ref)
          return fail("the reference " + quoted(reference.id) +
                      " has no ref attribute");
        if (!named[at.index])
          return fail("the reference " + quoted(reference.id) + " names " +
                      quoted(*reference.ref) + ", which is no node of the net");
        at = *named[at.index];
      }
      const PnmlEntry target = follow(at);
      for (const uint32_t index : chain) {
        const PnmlReference& reference = references[index];
        if (reference.to_place != (target.kind == PnmlKind::kPlace))
          return fail(std::string("the ") +
                      (reference.to_place ? "referencePlace "
                                          : "referenceTransition ") +
                      quoted(reference.id) + " leads to the " +
                      (reference.to_place ? "transition " : "place ") +
                      quoted(node_id(target)));
        targets_[index] = target;
        states_[index] = State::kDone;
      }
    }
    return Status();
  }

  // The place or transition an entry stands for, once references are done.
  PnmlEntry follow(PnmlEntry entry) const {
    return is_reference(entry.kind) ? targets_[entry.index] : entry;
  }

  std::string_view node_id(PnmlEntry entry) const {
    return entry.kind == PnmlKind::kPlace ? net_.places[entry.index].id
                                          : net_.transitions[entry.index].id;
  }

  static std::string arc_name(const PnmlArc& arc) {
    return arc.id ? "arc " + quoted(*arc.id) : "an arc without an id";
  }

  // Sets `node` to the place or transition at one end of `arc`.
  // `looked_up` is what the ids of the ends not found while parsing name,
  // in the order of the arcs; `next` goes through it.
  Status arc_end(const PnmlArc& arc, const PnmlArcEnd& end,
                 std::span<const std::optional<PnmlEntry>> looked_up,
                 size_t& next, const char* which, PnmlEntry& node) const {
    switch (end.state) {
      case PnmlArcEnd::State::kFound:
        node = follow(end.found);
        return Status();
      case PnmlArcEnd::State::kNamed:
        if (const std::optional<PnmlEntry>& entry = looked_up[next++]) {
          node = follow(*entry);
          return Status();
        }
        return fail(arc_name(arc) + " has the " + which + " " + quoted(end.id) +
                    ", which is no node of the net");
      case PnmlArcEnd::State::kMissing:
        break;
    }
    return fail(arc_name(arc) + " has no " + which);
  }

  Status add_arcs() {
    const std::pmr::vector<PnmlArc>& arcs = parts_.arcs;
    std::pmr::vector<std::string_view> names(&memory_);
    for (const PnmlArc& arc : arcs)
      for (const PnmlArcEnd* end : {&arc.source, &arc.target})
        if (end->state == PnmlArcEnd::State::kNamed) names.push_back(end->id);
    const auto looked_up = ids_.find_all(names);
    size_t next = 0;

    std::pmr::unordered_map<uint64_t, size_t> merged_at(&memory_);  // arc_key()
    merged_at.reserve(arcs.size());
    net_.arcs.reserve(arcs.size());
    const std::optional<PnmlArcFault>& fault = parts_.arc_fault;
    for (size_t i = 0; i < arcs.size(); ++i) {
      const PnmlArc& arc = arcs[i];
      const bool faulty = fault && fault->arc == i;
      if (faulty && fault->kind == PnmlArcFault::Kind::kType)
        return fail(arc_name(arc) + " is of type " + quoted(fault->text) +
                    "; only ordinary arcs can be converted");
      PnmlEntry source, target;
      if (Status status =
              arc_end(arc, arc.source, looked_up, next, "source", source);
          !status.ok())
        return status;
      if (Status status =
              arc_end(arc, arc.target, looked_up, next, "target", target);
          !status.ok())
        return status;
      if (source.kind == target.kind) {
        const char* kind =
            source.kind == PnmlKind::kPlace ? "place" : "transition";
        return fail(arc_name(arc) + " goes from the " + kind + " " +
                    quoted(node_id(source)) + " to the " + kind + " " +
                    quoted(node_id(target)) +
                    "; an arc must join a place and a transition");
      }
      if (faulty && fault->kind == PnmlArcFault::Kind::kInscription)
        return fail(arc_name(arc) + " has the inscription " +
                    quoted(fault->text) +
                    ", which is not a positive integer of at most " +
                    std::to_string(kMaxWeight));

      const bool to_transition = source.kind == PnmlKind::kPlace;
      const size_t place = to_transition ? source.index : target.index;
      const size_t transition = to_transition ? target.index : source.index;
      const auto [slot, added] = merged_at.try_emplace(
          arc_key(static_cast<uint32_t>(place),
                  static_cast<uint32_t>(transition), to_transition),
          net_.arcs.size());
      if (added) {
        net_.arcs.push_back(
            PtArc{place, transition, to_transition, arc.weight});
        continue;
      }
      PtArc& merged = net_.arcs[slot->second];
      if (merged.weight > kMaxWeight - arc.weight)
        return fail("the arcs from " + quoted(node_id(source)) + " to " +
                    quoted(node_id(target)) + " add up to more than " +
                    std::to_string(kMaxWeight));
      merged.weight += arc.weight;
    }
    if (net_.arcs.empty())
      return fail("the net " + quoted(net_.id) +
                  " has no arcs, and marovel's nets need at least one");
    return Status();
  }

  const PnmlNetParts& parts_;
  PtNet& net_;
  // What resolving takes, all freed at once.
  std::pmr::monotonic_buffer_resource memory_;
  const IdIndex ids_;
  std::vector<State> states_;       // of each reference
  std::vector<PnmlEntry> targets_;  // of each reference, once done
};

}  // namespace

Status resolve_pnml(const PnmlNetParts& parts, PtNet& net) {
  return Resolver(parts, net).resolve();
}

}  // namespace marovel
