#include "model/net_model.h"

#include <utility>

#include "xml/huge_page_resource.h"

namespace marovel {

NodeMap::NodeMap(size_t names)
    : pool_(std::make_unique<std::pmr::unsynchronized_pool_resource>(
          huge_page_resource())),
      present_(names, false) {
  nodes_.reserve(names);
  for (size_t k = 0; k < names; ++k) nodes_.emplace_back(pool_.get());
}

NodeMap& NodeMap::operator=(const NodeMap& other) {
  if (this != &other) *this = NodeMap(other);
  return *this;
}

NodeMap& NodeMap::operator=(NodeMap&& other) noexcept {
  std::swap(pool_, other.pool_);
  nodes_.swap(other.nodes_);
  present_.swap(other.present_);
  std::swap(size_, other.size_);
  return *this;
}

NetNode& NodeMap::at(NameId name) {
  assert(name < present_.size());
  if (!present_[name]) {
    present_[name] = true;
    ++size_;
  }
  return nodes_[name];
}

size_t NodeMap::erase(NameId name) {
  if (!contains(name)) return 0;
  present_[name] = false;
  nodes_[name].in.clear();
  nodes_[name].out.clear();
  --size_;
  return 1;
}

NameId NodeMap::next_key(NameId id) const {
  const NameId end = static_cast<NameId>(present_.size());
  while (id < end && !present_[id]) ++id;
  return id;
}

NetModel::NetModel(NameTable table)
    : pool_(std::make_unique<std::pmr::unsynchronized_pool_resource>(
          huge_page_resource())),
      names(std::move(table)),
      p_map(names.size()),
      t_map(names.size()) {
  aggregate_map.reserve(names.size());
  for (size_t k = 0; k < names.size(); ++k)
    aggregate_map.emplace_back(pool_.get());
}

NetModel::NetModel(const NetModel& other)
    : names(other.names),
      p_map(other.p_map),
      t_map(other.t_map),
      aggregate_map(other.aggregate_map) {}

NetModel& NetModel::operator=(NetModel&& other) noexcept {
  std::swap(pool_, other.pool_);
  std::swap(names, other.names);
  std::swap(p_map, other.p_map);
  std::swap(t_map, other.t_map);
  aggregate_map.swap(other.aggregate_map);
  return *this;
}

NetModel& NetModel::operator=(const NetModel& other) {
  if (this != &other) *this = NetModel(other);
  return *this;
}

}  // namespace marovel
