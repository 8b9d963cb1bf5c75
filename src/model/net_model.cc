#include "model/net_model.h"

namespace marovel {

NetNode& node_at(NodeMap& map, std::string_view name) {
  auto it = map.lower_bound(name);
  if (it == map.end() || it->first != name)
    it = map.emplace_hint(it, std::string(name), NetNode{});
  return it->second;
}

const NetNode* find_node(const NodeMap& map, std::string_view name) {
  auto it = map.find(name);
  return it == map.end() ? nullptr : &it->second;
}

NetNode* find_node(NodeMap& map, std::string_view name) {
  auto it = map.find(name);
  return it == map.end() ? nullptr : &it->second;
}

AggregateSet& aggregate_at(AggregateMap& map, std::string_view name) {
  auto it = map.lower_bound(name);
  if (it == map.end() || it->first != name)
    it = map.emplace_hint(it, std::string(name), AggregateSet{});
  return it->second;
}

}  // namespace marovel
