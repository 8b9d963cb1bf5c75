// Which input nodes each node stands for. Every name starts as the sole
// member of its own aggregate; a rule that removes a node hands the removed
// node's aggregate to the survivor. A place and a transition of the same
// name share one aggregate.
#ifndef MAROVEL_MODEL_AGGREGATES_H_
#define MAROVEL_MODEL_AGGREGATES_H_

#include <cassert>
#include <cstddef>
#include <functional>
#include <map>
#include <vector>

#include "model/name_table.h"

namespace marovel {

class Aggregates {
 public:
  Aggregates() = default;
  // One aggregate per name id below `names`, each holding its own name.
  explicit Aggregates(size_t names);

  size_t size() const { return next_.size(); }

  // Adds `removed` and every member of its aggregate to the aggregate of
  // `kept`. When `removed_lives_on` (a node of the other kind bears its
  // name), the removed aggregate stays as it was for that node and is
  // copied; otherwise its members move over in constant time and the
  // removed aggregate reads as empty (until it gains members again).
  void absorb(NameId kept, NameId removed, bool removed_lives_on);

  // The members of `id`'s aggregate in name order, each once, into
  // `members`.
  void members(NameId id, std::vector<NameId>& members) const;
  std::vector<NameId> members(NameId id) const {
    std::vector<NameId> result;
    members(id, result);
    return result;
  }
  // False when `id` stands for itself alone (or nothing): a test that spares
  // listing the members of most nodes.
  bool merged(NameId id) const {
    assert(id < size());
    return (!moved_[id] && next_[id] != id) || copied_.count(id) != 0;
  }

 private:
  // Puts `members` (names, repeats allowed) in name order, each once, by
  // marking them in a bitmap over every name and reading it back: for an
  // aggregate that holds a large share of the net (a hub that absorbed
  // most of it), a linear pass where a sort would cost a logarithm more.
  void in_order_by_marks(std::vector<NameId>& members) const;
  // From this many members on, and a sixteenth of the names, members() marks
  // rather than sorts: the bitmap then costs less than the sort.
  static constexpr size_t kMarkedFrom = 4096;

  // The members an aggregate gained by moves form a ring through next_:
  // moving one aggregate into another swaps two entries, which joins their
  // rings, so a long chain of fusions costs one step each. A ring holds
  // one name still borne by a node and names of nodes gone for good, which
  // is what keeps two rings from ever being joined twice.
  std::vector<NameId> next_;
  // Names whose members moved away.
  std::vector<bool> moved_;
  // Members copied from aggregates that stayed shared, and names added to
  // an aggregate again; seldom any, so kept aside. May repeat members.
  std::map<NameId, std::vector<NameId>, std::less<>> copied_;
};

}  // namespace marovel

#endif  // MAROVEL_MODEL_AGGREGATES_H_
