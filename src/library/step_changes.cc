#include "library/step_changes.h"

#include <algorithm>
#include <string>

namespace marovel {
namespace {

bool by_ends(NameId a_from, NameId a_to, NameId b_from, NameId b_to) {
  return a_from != b_from ? a_from < b_from : a_to < b_to;
}

}  // namespace

bool ChangeRecorder::erased(NodeKind kind, NameId name) const {
  for (size_t k = 0; k < erased_.size; ++k)
    if (erased_.kinds[k] == kind && erased_.ids[k] == name) return true;
  return false;
}

void ChangeRecorder::before(const PendingApplication& pending,
                            const NetModel& model) {
  erased_ = pending.erased;
  absorber_ = pending.absorber.ids[0];
  absorber_kind_ = pending.absorber.kinds[0];
  removed_.clear();
  pairs_.clear();
  const NodeKind neighbour_kind = other_kind(absorber_kind_);
  for (size_t k = 0; k < erased_.size; ++k) {
    const NodeKind kind = erased_.kinds[k];
    const NameId name = erased_.ids[k];
    const NetNode* node = model.nodes(kind).find(name);
    if (node == nullptr) continue;
    const NodeKind other = other_kind(kind);
    const NodeMap& others = model.nodes(other);
    const bool from_place = kind == NodeKind::kPlace;
    const auto neighbour = [&](NameId name) {
      if (other == neighbour_kind && !erased(other, name))
        pairs_.push_back({name, 0, 0});
    };
    for (const auto& [id, weight] : node->out) {
      const NameId to = others.name_of(id);
      removed_.push_back({from_place, name, to, weight});
      neighbour(to);
    }
    for (const auto& [id, weight] : node->in) {
      const NameId from = others.name_of(id);
      // An arc between two erased nodes is listed once, from its source.
      if (!erased(other, from))
        removed_.push_back({!from_place, from, name, weight});
      neighbour(from);
    }
  }
  absorber_lives_ = !erased(absorber_kind_, absorber_) &&
                    model.nodes(absorber_kind_).contains(absorber_);
  if (!absorber_lives_) {
    pairs_.clear();
    return;
  }
  std::sort(pairs_.begin(), pairs_.end(), [](const Pair& a, const Pair& b) {
    return a.neighbour < b.neighbour;
  });
  pairs_.erase(std::unique(pairs_.begin(), pairs_.end(),
                           [](const Pair& a, const Pair& b) {
                             return a.neighbour == b.neighbour;
                           }),
               pairs_.end());
  const NetNode& absorber = *model.nodes(absorber_kind_).find(absorber_);
  const NodeMap& neighbours = model.nodes(neighbour_kind);
  for (Pair& pair : pairs_) {
    const NodeId id = neighbours.id_of(pair.neighbour);
    pair.out = absorber.out.count(id);
    pair.in = absorber.in.count(id);
  }
}

void ChangeRecorder::after(const NetModel& model, StepChanges& changes) {
  added_.clear();
  const bool absorber_is_place = absorber_kind_ == NodeKind::kPlace;
  if (const NetNode* absorber =
          absorber_lives_ ? model.nodes(absorber_kind_).find(absorber_)
                          : nullptr) {
    const NodeMap& neighbours = model.nodes(other_kind(absorber_kind_));
    for (const Pair& pair : pairs_) {
      const NodeId id = neighbours.id_of(pair.neighbour);
      const uint64_t out = absorber->out.count(id);
      const uint64_t in = absorber->in.count(id);
      if (out != pair.out) {
        if (pair.out != 0)
          removed_.push_back(
              {absorber_is_place, absorber_, pair.neighbour, pair.out});
        if (out != 0)
          added_.push_back({absorber_is_place, absorber_, pair.neighbour, out});
      }
      if (in != pair.in) {
        if (pair.in != 0)
          removed_.push_back(
              {!absorber_is_place, pair.neighbour, absorber_, pair.in});
        if (in != 0)
          added_.push_back({!absorber_is_place, pair.neighbour, absorber_, in});
      }
    }
  }

  changes = StepChanges();
  for (size_t k = 0; k < erased_.size; ++k) {
    auto& names = erased_.kinds[k] == NodeKind::kPlace
                      ? changes.erased_places
                      : changes.erased_transitions;
    names.emplace_back(model.name(erased_.ids[k]));
  }
  std::sort(changes.erased_places.begin(), changes.erased_places.end());
  std::sort(changes.erased_transitions.begin(),
            changes.erased_transitions.end());
  changes.absorber = std::string(model.name(absorber_));
  changes.absorber_is_place = absorber_is_place;
  const auto fill = [&](std::vector<RawArc>& raw, std::vector<Arc>& places,
                        std::vector<Arc>& transitions) {
    std::sort(raw.begin(), raw.end(), [](const RawArc& a, const RawArc& b) {
      return by_ends(a.from, a.to, b.from, b.to);
    });
    for (const RawArc& arc : raw)
      (arc.from_place ? places : transitions)
          .push_back({std::string(model.name(arc.from)),
                      std::string(model.name(arc.to)), arc.weight});
  };
  fill(removed_, changes.removed_from_places, changes.removed_from_transitions);
  fill(added_, changes.added_from_places, changes.added_from_transitions);
}

}  // namespace marovel
