// The closure check: every name in a bag of a place is a transition of the
// model and every name in a bag of a transition is a place. Reads only.
#ifndef MAROVEL_MODEL_CONSISTENCY_H_
#define MAROVEL_MODEL_CONSISTENCY_H_

#include "base/run_both.h"
#include "model/net_model.h"

namespace marovel {

bool check_consistency(const NetModel& model, TwoCores cores = {});

}  // namespace marovel

#endif  // MAROVEL_MODEL_CONSISTENCY_H_
