// What one rule application touches, recorded before it runs: the nodes it
// erases and the surviving nodes whose bags it changes. It lets the closure
// check and the match index look only at what a step changed.
#ifndef MAROVEL_REDUCE_STEP_FOOTPRINT_H_
#define MAROVEL_REDUCE_STEP_FOOTPRINT_H_

#include <vector>

#include "model/net_model.h"

namespace marovel {

struct StepFootprint {
  // The nodes the step erases.
  std::vector<NameId> erased_places;
  std::vector<NameId> erased_transitions;
  // Surviving nodes whose bags the step changes.
  std::vector<NameId> touched_places;
  std::vector<NameId> touched_transitions;
  // The transitions a touched place may newly hold in a bag, and the places
  // a touched transition may: each must still be a node after the step.
  std::vector<NameId> transitions_gained_by_places;
  std::vector<NameId> places_gained_by_transitions;

  void clear();
  // Records a node the step erases.
  void erase(NodeKind kind, NameId name) {
    (kind == NodeKind::kPlace ? erased_places : erased_transitions)
        .push_back(name);
  }
  // Records a surviving node the step changes. REQUIRES: it is a node.
  void touch_place(const NetModel& model, NameId place);
  void touch_transition(const NetModel& model, NameId transition);
};

// Whether a model is closed after a step, given that it was closed and
// mirrored before it and `footprint` lists everything the step erased and
// touched (so the former neighbours of every erased node are among the
// touched or the erased). Gives the answer check_consistency gives, in time
// proportional to the footprint.
bool check_consistency_after(const NetModel& model,
                             const StepFootprint& footprint);

}  // namespace marovel

#endif  // MAROVEL_REDUCE_STEP_FOOTPRINT_H_
