#include "model/consistency.h"

namespace marovel {
namespace {

// Every name of both bags of every node in `nodes` is a key of `others`.
bool closed_over(const NodeMap& nodes, const NodeMap& others) {
  for (const auto& [name, node] : nodes) {
    for (const NameBag* bag : {&node.in, &node.out})
      for (const auto& [neighbour, copies] : *bag)
        if (!others.contains(neighbour)) return false;
  }
  return true;
}

}  // namespace

bool check_consistency(const NetModel& model) {
  return closed_over(model.t_map, model.p_map) &&
         closed_over(model.p_map, model.t_map);
}

}  // namespace marovel
