#include "model/invariants.h"

#include <utility>

#include "base/run_both.h"

namespace marovel {
namespace {

// Every name of both bags of every node in `nodes` is a key of `others`.
bool closed_over(const NodeMap& nodes, const NodeMap& others) {
  for (const auto& [name, node] : nodes) {
    for (const NodeBag* bag : {&node.in, &node.out})
      for (const auto& [neighbour, copies] : *bag)
        if (!others.live(neighbour)) return false;
  }
  return true;
}

}  // namespace

bool check_consistency(const NetModel& model, TwoCores cores) {
  // Both halves only read: on a large net they run at once.
  bool transitions_closed = false, places_closed = false;
  run_both(
      cores.worth(model.p_map.size() + model.t_map.size()),
      [&] { transitions_closed = closed_over(model.t_map, model.p_map); },
      [&] { places_closed = closed_over(model.p_map, model.t_map); });
  return transitions_closed && places_closed;
}

std::optional<std::string> find_broken_invariant(const NetModel& model) {
  for (const NodeKind kind : {NodeKind::kPlace, NodeKind::kTransition}) {
    const NodeMap& nodes = model.nodes(kind);
    const NodeMap& others = model.nodes(other_kind(kind));
    const char* what = kind == NodeKind::kPlace ? "place " : "transition ";
    for (const auto& [name, node] : nodes) {
      for (const auto& [bag, other_bag] :
           {std::pair{&node.in, &NetNode::out}, {&node.out, &NetNode::in}}) {
        for (const auto& [neighbour, copies] : *bag) {
          const NetNode* other = others.node(neighbour);
          const std::string neighbour_name(
              model.name(others.name_of(neighbour)));
          if (other == nullptr)
            return what + std::string(model.name(name)) + " names missing " +
                   neighbour_name;
          if ((other->*other_bag).count(nodes.id_of(name)) != copies)
            return what + std::string(model.name(name)) + " holds " +
                   neighbour_name + " " + std::to_string(copies) +
                   " times, not mirrored";
        }
      }
    }
  }
  return std::nullopt;
}

}  // namespace marovel
