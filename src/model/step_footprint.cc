#include "model/step_footprint.h"

#include <string_view>
#include <unordered_map>

namespace marovel {
namespace {

// No touched node still names an erased node that is gone for good.
bool names_none_of(const std::vector<const NodeEntry*>& touched,
                   const std::vector<std::string>& erased,
                   const NodeMap& erased_from) {
  for (const std::string& name : erased) {
    // Named again by a node created during the step: nothing dangles.
    if (erased_from.contains(name)) continue;
    for (const NodeEntry* holder : touched) {
      if (holder->second.in.count(name) != 0 ||
          holder->second.out.count(name) != 0)
        return false;
    }
  }
  return true;
}

bool all_keys(const std::vector<std::string>& gained, const NodeMap& map) {
  for (const std::string& name : gained)
    if (!map.contains(name)) return false;
  return true;
}

using NodeIndex = std::unordered_map<std::string_view, const NetNode*>;

NodeIndex hashed(const NodeMap& map) {
  NodeIndex index;
  index.reserve(map.size());
  for (const auto& [name, node] : map) index.emplace(name, &node);
  return index;
}

// Hashed lookups: a tree lookup per arc costs a cache miss per level.
bool mirrored_side(const NodeMap& nodes, const NodeIndex& others) {
  for (const auto& [name, node] : nodes) {
    for (const auto& [bag, other_bag] :
         {std::pair{&node.in, &NetNode::out}, {&node.out, &NetNode::in}}) {
      for (const auto& [neighbour, copies] : *bag) {
        auto other = others.find(neighbour);
        if (other == others.end() ||
            (other->second->*other_bag).count(name) != copies)
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
                       model.p_map) &&
         names_none_of(footprint.touched_places, footprint.erased_transitions,
                       model.t_map);
}

bool is_closed_and_mirrored(const NetModel& model) {
  return mirrored_side(model.p_map, hashed(model.t_map)) &&
         mirrored_side(model.t_map, hashed(model.p_map));
}

}  // namespace marovel
