// The invariants of a well-formed model, checked in one place: every name in
// a bag is a node of the other kind (closure) and every arc is held on both
// sides with the same weight (mirror). Tests call it after every change; the
// reducer relies on it to read a step's neighbours off the bags.
#ifndef MAROVEL_MODEL_INVARIANTS_H_
#define MAROVEL_MODEL_INVARIANTS_H_

#include <optional>
#include <string>

#include "model/net_model.h"

namespace marovel {

// The first broken invariant, described with the names involved, or none.
std::optional<std::string> find_broken_invariant(const NetModel& model);

inline bool is_closed_and_mirrored(const NetModel& model) {
  return !find_broken_invariant(model).has_value();
}

}  // namespace marovel

#endif  // MAROVEL_MODEL_INVARIANTS_H_
