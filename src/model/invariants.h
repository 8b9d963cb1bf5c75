// The invariants of a well-formed model, checked in one place: every name in
// a bag is a node of the other kind (closure) and every arc is held on both
// sides with the same weight (mirror). Tests check both after every change;
// the reducer relies on them to read a step's neighbours off the bags.
#ifndef MAROVEL_MODEL_INVARIANTS_H_
#define MAROVEL_MODEL_INVARIANTS_H_

#include <optional>
#include <string>

#include "base/two_cores.h"
#include "model/net_model.h"

namespace marovel {

// The closure check that ends reading and every step of the reference
// scans: every name in a bag of a place is a transition of the model and
// every name in a bag of a transition is a place. On a large net its two
// halves run on both cores when `cores` says so.
bool check_consistency(const NetModel& model, TwoCores cores = {});

// The first broken invariant, closure or mirror, described with the names
// involved, or none.
std::optional<std::string> find_broken_invariant(const NetModel& model);

inline bool is_closed_and_mirrored(const NetModel& model) {
  return !find_broken_invariant(model).has_value();
}

}  // namespace marovel

#endif  // MAROVEL_MODEL_INVARIANTS_H_
