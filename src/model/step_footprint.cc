#include "model/step_footprint.h"

#include <utility>

namespace marovel {
namespace {

// No touched node still names an erased node that is gone for good.
bool names_none_of(const std::vector<NameId>& touched,
                   const std::vector<NameId>& erased, const NodeMap& holders,
                   const NodeMap& erased_from) {
  for (const NameId name : erased) {
    // Named again by a node created during the step: nothing dangles.
    if (erased_from.contains(name)) continue;
    for (const NameId holder : touched) {
      const NetNode* node = holders.find(holder);
      if (node != nullptr &&
          (node->in.count(name) != 0 || node->out.count(name) != 0))
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

bool mirrored_side(const NodeMap& nodes, const NodeMap& others) {
  for (const auto& [name, node] : nodes) {
    for (const auto& [bag, other_bag] :
         {std::pair{&node.in, &NetNode::out}, {&node.out, &NetNode::in}}) {
      for (const auto& [neighbour, copies] : *bag) {
        const NetNode* other = others.find(neighbour);
        if (other == nullptr || (other->*other_bag).count(name) != copies)
          return false;
      }
    }
  }
  return true;
}

}  // namespace

void StepFootprint::clear() {
  erased_places.clear();
  erased_transitions.clear();
  touched_places.clear();
  touched_transitions.clear();
  gained_by_places.clear();
  gained_by_transitions.clear();
}

bool check_consistency_after(const NetModel& model,
                             const StepFootprint& footprint) {
  return all_keys(footprint.gained_by_places, model.t_map) &&
         all_keys(footprint.gained_by_transitions, model.p_map) &&
         names_none_of(footprint.touched_transitions, footprint.erased_places,
                       model.t_map, model.p_map) &&
         names_none_of(footprint.touched_places, footprint.erased_transitions,
                       model.p_map, model.t_map);
}

bool is_closed_and_mirrored(const NetModel& model) {
  return mirrored_side(model.p_map, model.t_map) &&
         mirrored_side(model.t_map, model.p_map);
}

}  // namespace marovel
