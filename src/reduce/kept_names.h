// The names of the nodes no rule may erase: a caller's way to keep the nodes
// it cares about through a reduction. A rule passes over a match whose
// application would erase a kept node and looks on for its next match; a
// kept node may still be the survivor that absorbs others.
#ifndef MAROVEL_REDUCE_KEPT_NAMES_H_
#define MAROVEL_REDUCE_KEPT_NAMES_H_

#include <cstddef>
#include <initializer_list>
#include <span>
#include <vector>

#include "model/ids.h"

namespace marovel {

// A set of name ids. A name is kept whatever it names: the place and the
// transition of one name are both kept. A node's name stays with the node
// through a run (the record swaps of a fusion are invisible here), so a
// kept name is a node of the reduced net exactly when it was one of the
// input.
class KeptNames {
 public:
  // None: every rule applies as it would without a keep list.
  KeptNames() = default;
  KeptNames(std::initializer_list<NameId> names) {
    for (const NameId name : names) insert(name);
  }

  void insert(NameId name) {
    if (name >= kept_.size()) kept_.resize(size_t{name} + 1, false);
    if (!kept_[name]) ++size_;
    kept_[name] = true;
  }
  bool contains(NameId name) const {
    return name < kept_.size() && kept_[name];
  }
  bool empty() const { return size_ == 0; }
  size_t size() const { return size_; }

  // Whether erasing the nodes of these names erases no kept node: the one
  // test every rule puts its matches to.
  bool spares(std::span<const NameId> erased) const {
    if (size_ == 0) return true;
    for (const NameId name : erased)
      if (contains(name)) return false;
    return true;
  }

 private:
  std::vector<bool> kept_;  // by name id; names past its end are not kept
  size_t size_ = 0;
};

}  // namespace marovel

#endif  // MAROVEL_REDUCE_KEPT_NAMES_H_
