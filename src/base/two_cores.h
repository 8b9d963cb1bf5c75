// When a phase of a run is worth a second core: a value the entry point
// passes down, so that tests can run the two-core paths on small inputs.
// Holds no thread itself, so that the headers that take one stay light.
#ifndef MAROVEL_BASE_TWO_CORES_H_
#define MAROVEL_BASE_TWO_CORES_H_

#include <cstddef>

#include "base/switches.h"

namespace marovel {

// When a phase runs its halves on two cores: from `min_items` items (nodes,
// names, edges) on, below which a thread costs more than the half it takes.
// Builds with MAROVEL_THREADS set to 0 never start a thread.
struct TwoCores {
  static constexpr size_t kDefaultMinItems = size_t{1} << 15;
  size_t min_items = kDefaultMinItems;

  bool worth(size_t items) const {
#if MAROVEL_THREADS
    return items >= min_items;
#else
    (void)items;
    return false;
#endif
  }
  // Every phase on one core, whatever its size.
  static TwoCores never() { return {static_cast<size_t>(-1)}; }
  // Every phase on two cores, however small.
  static TwoCores always() { return {0}; }
};

}  // namespace marovel

#endif  // MAROVEL_BASE_TWO_CORES_H_
