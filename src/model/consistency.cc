#include "model/consistency.h"

#include <string_view>
#include <unordered_set>

namespace marovel {
namespace {

// Every name of both bags of every node in `nodes` is a key of `others`.
// A name's copies all give the same answer, so one lookup per distinct name
// gives the result a walk over every occurrence would. The keys are hashed
// first: a tree lookup per arc costs a cache miss per level on large nets.
bool closed_over(const NodeMap& nodes, const NodeMap& others) {
  std::unordered_set<std::string_view> keys;
  keys.reserve(others.size());
  for (const auto& [name, node] : others) keys.insert(name);
  for (const auto& [name, node] : nodes) {
    for (const NameBag* bag : {&node.in, &node.out})
      for (const auto& [neighbour, copies] : *bag)
        if (!keys.contains(neighbour)) return false;
  }
  return true;
}

}  // namespace

bool check_consistency(const NetModel& model) {
  return closed_over(model.t_map, model.p_map) &&
         closed_over(model.p_map, model.t_map);
}

}  // namespace marovel
