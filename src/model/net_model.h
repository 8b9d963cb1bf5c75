// The in-memory net: places and transitions keyed by name, each with the
// bags of its neighbours, and the set of input nodes every node stands for.
// The entry point owns one NetModel per run and hands it to each phase.
#ifndef MAROVEL_MODEL_NET_MODEL_H_
#define MAROVEL_MODEL_NET_MODEL_H_

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "model/name_bag.h"

namespace marovel {

// For a place: `in` holds the transitions with an arc into it, `out` the
// transitions it has an arc to; for a transition, the places likewise.
struct NetNode {
  NameBag in;
  NameBag out;
};

using NodeMap = std::map<std::string, NetNode, std::less<>>;
using AggregateSet = std::set<std::string, std::less<>>;
using AggregateMap = std::map<std::string, AggregateSet, std::less<>>;

struct NetModel {
  NodeMap p_map;
  NodeMap t_map;
  // One entry per declared name, places and transitions together; entries
  // are never removed, even when a rule removes the node.
  AggregateMap aggregate_map;
};

// Indexed access: the node of that name, created with empty bags when the
// name is not a key (as the reader and the rules' neighbour updates need).
NetNode& node_at(NodeMap& map, std::string_view name);

// The node of that name, or nullptr; never creates.
const NetNode* find_node(const NodeMap& map, std::string_view name);
NetNode* find_node(NodeMap& map, std::string_view name);

// The aggregate set of `name`, created empty when absent.
AggregateSet& aggregate_at(AggregateMap& map, std::string_view name);

}  // namespace marovel

#endif  // MAROVEL_MODEL_NET_MODEL_H_
