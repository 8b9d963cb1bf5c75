#include "reduce/step_footprint.h"

#include <cassert>

namespace marovel {
namespace {

// No touched node still names an erased node that is gone for good.
bool names_none_of(const std::vector<NameId>& touched,
                   const std::vector<NameId>& erased, const NodeMap& holders,
                   const NodeMap& erased_from) {
  for (const NameId name : erased) {
    // Named again by a node created during the step: nothing dangles.
    if (erased_from.contains(name)) continue;
    const NodeId gone = erased_from.id_of(name);
    for (const NameId holder : touched) {
      const NetNode* node = holders.find(holder);
      if (node != nullptr &&
          (node->in.count(gone) != 0 || node->out.count(gone) != 0))
        return false;
    }
  }
  return true;
}

bool all_keys(const std::vector<NameId>& gained, const NodeMap& map) {
  for (const NameId name : gained)
    if (!map.contains(name)) return false;
  return true;
}

}  // namespace

void StepFootprint::touch_place(const NetModel& model, NameId place) {
  assert(model.p_map.contains(place));
  if (model.p_map.contains(place)) touched_places.push_back(place);
}

void StepFootprint::touch_transition(const NetModel& model, NameId transition) {
  assert(model.t_map.contains(transition));
  if (model.t_map.contains(transition))
    touched_transitions.push_back(transition);
}

void StepFootprint::clear() {
  erased_places.clear();
  erased_transitions.clear();
  touched_places.clear();
  touched_transitions.clear();
  transitions_gained_by_places.clear();
  places_gained_by_transitions.clear();
}

bool check_consistency_after(const NetModel& model,
                             const StepFootprint& footprint) {
  return all_keys(footprint.transitions_gained_by_places, model.t_map) &&
         all_keys(footprint.places_gained_by_transitions, model.p_map) &&
         names_none_of(footprint.touched_transitions, footprint.erased_places,
                       model.t_map, model.p_map) &&
         names_none_of(footprint.touched_places, footprint.erased_transitions,
                       model.p_map, model.t_map);
}

}  // namespace marovel
