// What one application changes in the net, recorded around it: the arcs of
// the nodes it erases are read before it, and the absorber's arcs to their
// neighbours before and after it. Every arc a rule changes is one of these,
// so the record costs time in proportion to the erased nodes' arcs, not to
// the absorber's.
#ifndef MAROVEL_LIBRARY_STEP_CHANGES_H_
#define MAROVEL_LIBRARY_STEP_CHANGES_H_

#include <cstdint>
#include <vector>

#include "marovel/marovel.h"
#include "model/net_model.h"
#include "reduce/reducer.h"

namespace marovel {

class ChangeRecorder {
 public:
  // Reads what `pending` is about to change off `model`, as it still is.
  void before(const PendingApplication& pending, const NetModel& model);
  // Compares with `model` after the application and fills `changes`.
  void after(const NetModel& model, StepChanges& changes);

 private:
  struct RawArc {
    bool from_place;
    NameId from, to;
    uint64_t weight;
  };
  struct Pair {
    NameId neighbour;
    uint64_t out, in;  // the absorber's arc to the neighbour, and back
  };

  bool erased(NodeKind kind, NameId name) const;

  MatchNameIds erased_;
  NameId absorber_ = 0;
  NodeKind absorber_kind_ = NodeKind::kPlace;
  bool absorber_lives_ = false;
  std::vector<RawArc> removed_;
  std::vector<RawArc> added_;
  // The absorber's weights to and from the erased nodes' neighbours of the
  // other kind, before the application.
  std::vector<Pair> pairs_;
};

}  // namespace marovel

#endif  // MAROVEL_LIBRARY_STEP_CHANGES_H_
