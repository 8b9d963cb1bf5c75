// Asking for memory before it is read, so that the cache misses of a walk
// over scattered data overlap instead of queueing up. A hint only: builds
// with MAROVEL_PREFETCH set to 0 drop every one, to measure what they gain.
#ifndef MAROVEL_BASE_PREFETCH_H_
#define MAROVEL_BASE_PREFETCH_H_

#include "base/switches.h"

namespace marovel {

inline void prefetch_memory(const void* address) {
#if MAROVEL_PREFETCH
  __builtin_prefetch(address);
#else
  (void)address;
#endif
}

}  // namespace marovel

#endif  // MAROVEL_BASE_PREFETCH_H_
