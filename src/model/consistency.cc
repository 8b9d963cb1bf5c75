#include "model/consistency.h"

#include "base/run_both.h"

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

bool check_consistency(const NetModel& model, TwoCores cores) {
  // Both halves only read: on a large net they run at once.
  bool transitions_closed = false, places_closed = false;
  run_both(
      cores.worth(model.p_map.size() + model.t_map.size()),
      [&] { transitions_closed = closed_over(model.t_map, model.p_map); },
      [&] { places_closed = closed_over(model.p_map, model.t_map); });
  return transitions_closed && places_closed;
}

}  // namespace marovel
