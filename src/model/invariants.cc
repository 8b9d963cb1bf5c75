#include "model/invariants.h"

#include <utility>

namespace marovel {

std::optional<std::string> find_broken_invariant(const NetModel& model) {
  for (const NodeKind kind : {NodeKind::kPlace, NodeKind::kTransition}) {
    const NodeMap& nodes = model.nodes(kind);
    const NodeMap& others = model.nodes(other_kind(kind));
    const char* what = kind == NodeKind::kPlace ? "place " : "transition ";
    for (const auto& [name, node] : nodes) {
      for (const auto& [bag, other_bag] :
           {std::pair{&node.in, &NetNode::out}, {&node.out, &NetNode::in}}) {
        for (const auto& [neighbour, copies] : *bag) {
          const NetNode* other = others.find(neighbour);
          if (other == nullptr)
            return what + std::string(model.name(name)) + " names missing " +
                   std::string(model.name(neighbour));
          if ((other->*other_bag).count(name) != copies)
            return what + std::string(model.name(name)) + " holds " +
                   std::string(model.name(neighbour)) + " " +
                   std::to_string(copies) + " times, not mirrored";
        }
      }
    }
  }
  return std::nullopt;
}

}  // namespace marovel
