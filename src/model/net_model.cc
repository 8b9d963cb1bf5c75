#include "model/net_model.h"

#include <algorithm>
#include <utility>

namespace marovel {

NodeMap::NodeMap(size_t names)
    : pool_(std::make_unique<BagPool>()), slot_(names, kNoSlot) {
  nodes_.reserve(names);
}

NodeMap::NodeMap(const NodeMap& other)
    : slot_(other.slot_),
      size_(other.size_),
      id_of_(other.id_of_),
      name_of_(other.name_of_) {
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
  id_of_.swap(other.id_of_);
  name_of_.swap(other.name_of_);
  return *this;
}

NodeMap::~NodeMap() {
  // The pool frees its chunks whole: the bags need not hand their blocks
  // back one by one, which would read every block once more.
  if (pool_ == nullptr) return;
  for (NetNode& node : nodes_) {
    node.in.forget_block();
    node.out.forget_block();
  }
}

NetNode& NodeMap::at_id(NodeId id) {
  assert(id.value < slot_.size());
  // Within the capacity reserved: nothing moves.
  make_room(id);
  uint32_t& slot = slot_[id.value];
  if (slot & kAbsent) {
    slot &= ~kAbsent;
    ++size_;
  }
  return nodes_[slot];
}

void NodeMap::make_room(NodeId id) {
  assert(id.value < slot_.size());
  uint32_t& slot = slot_[id.value];
  if (slot != kNoSlot) return;
  assert(nodes_.size() < nodes_.capacity());
  slot = static_cast<uint32_t>(nodes_.size()) | kAbsent;
  nodes_.emplace_back(pool_.get());
}

size_t NodeMap::erase(NameId name) {
  const NodeId id = id_of(name);
  if (!live(id)) return 0;
  // The slot stays the node's: created again, the node comes back there.
  NetNode& erased = nodes_[slot_[id.value]];
  erased.in.clear();
  erased.out.clear();
  slot_[id.value] |= kAbsent;
  --size_;
  return 1;
}

void NodeMap::swap_names(NameId a, NameId b) {
  if (id_of_.empty()) {
    id_of_.resize(slot_.size());
    name_of_.resize(slot_.size());
    for (NameId name = 0; name < slot_.size(); ++name) {
      id_of_[name] = NodeId(name);
      name_of_[name] = name;
    }
  }
  std::swap(id_of_[a], id_of_[b]);
  name_of_[id_of_[a].value] = a;
  name_of_[id_of_[b].value] = b;
}

NameId NodeMap::next_key(NameId name) const {
  const NameId end = static_cast<NameId>(slot_.size());
  if (id_of_.empty()) {
    while (name < end && slot_[name] >= kAbsent) ++name;
  } else {
    while (name < end && slot_[id_of_[name].value] >= kAbsent) ++name;
  }
  return name;
}

void named_entries(const NodeBag& bag, const NodeMap& others,
                   std::vector<NamedNeighbour>& entries) {
  entries.clear();
  for (const auto& [id, copies] : bag)
    entries.push_back({others.name_of(id), copies});
  std::sort(entries.begin(), entries.end(),
            [](const NamedNeighbour& a, const NamedNeighbour& b) {
              return a.name < b.name;
            });
}

NetModel::NetModel(NameTable table)
    : names(std::move(table)),
      p_map(names.size()),
      t_map(names.size()),
      aggregates(names.size()) {}

}  // namespace marovel
