#include "model/net_model.h"

#include <utility>

#include "base/huge_page_resource.h"

namespace marovel {

NodeMap::NodeMap(size_t names)
    : pool_(std::make_unique<BagPool>(huge_page_resource())),
      slot_(names, kNoSlot) {
  nodes_.reserve(names);
}

NodeMap::NodeMap(const NodeMap& other)
    : slot_(other.slot_), size_(other.size_) {
  nodes_.reserve(other.slot_.size());
  nodes_.insert(nodes_.end(), other.nodes_.begin(), other.nodes_.end());
}

NodeMap& NodeMap::operator=(const NodeMap& other) {
  if (this != &other) *this = NodeMap(other);
  return *this;
}

NodeMap& NodeMap::operator=(NodeMap&& other) noexcept {
  std::swap(pool_, other.pool_);
  nodes_.swap(other.nodes_);
  slot_.swap(other.slot_);
  std::swap(size_, other.size_);
  return *this;
}

NetNode& NodeMap::at(NameId name) {
  assert(name < slot_.size());
  uint32_t& slot = slot_[name];
  if (slot == kNoSlot) {
    // Within the capacity reserved: nothing moves.
    assert(nodes_.size() < nodes_.capacity());
    assert(nodes_.size() < kAbsent);
    slot = static_cast<uint32_t>(nodes_.size()) | kAbsent;
    nodes_.emplace_back(pool_.get());
  }
  if (slot & kAbsent) {
    slot &= ~kAbsent;
    ++size_;
  }
  return nodes_[slot];
}

size_t NodeMap::erase(NameId name) {
  if (!contains(name)) return 0;
  // The slot stays the name's: created again, the node comes back there.
  NetNode& node = nodes_[slot_[name]];
  node.in.clear();
  node.out.clear();
  slot_[name] |= kAbsent;
  --size_;
  return 1;
}

NameId NodeMap::next_key(NameId id) const {
  const NameId end = static_cast<NameId>(slot_.size());
  while (id < end && slot_[id] >= kAbsent) ++id;
  return id;
}

NetModel::NetModel(NameTable table)
    : names(std::move(table)),
      p_map(names.size()),
      t_map(names.size()),
      aggregates(names.size()) {}

}  // namespace marovel
