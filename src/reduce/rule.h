// What every rule states once and every engine uses: the names of the nodes
// a match involves, in the order the reduction log lists them, with their
// kinds. See series.h for the shape of a rule.
#ifndef MAROVEL_REDUCE_RULE_H_
#define MAROVEL_REDUCE_RULE_H_

#include <array>
#include <cstddef>
#include <span>

#include "model/net_model.h"
#include "reduce/rule_set.h"

namespace marovel {

// The nodes of one application, in the order of its log line.
struct RuleNames {
  std::array<NameId, 4> ids{};
  std::array<NodeKind, 4> kinds{};
  size_t size = 0;

  std::span<const NameId> names() const { return {ids.data(), size}; }
  friend bool operator==(const RuleNames&, const RuleNames&) = default;
};

// How a fusion moves arcs. Removing into kept is the plain way: the removed
// node's arcs go to the kept node and every neighbour of the removed node
// is told, which is sound on any model. Smaller into larger keeps whichever
// record has more neighbours and gives it the kept node's name (see
// NodeMap::swap_names), so that the work is in proportion to the smaller
// side; it needs a closed, mirrored model. Both leave the same net.
enum class FusionMoves { kRemovedIntoKept, kSmallerIntoLarger };

// One application of a rule, as the reduction log records it.
struct Application {
  Rule rule;
  RuleNames names;
  friend bool operator==(const Application&, const Application&) = default;
};

// The letter of a rule, 'A' to 'F'.
inline char rule_letter(Rule rule) {
  return static_cast<char>('A' + static_cast<int>(rule));
}

}  // namespace marovel

#endif  // MAROVEL_REDUCE_RULE_H_
