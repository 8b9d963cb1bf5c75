// Out of memory on demand: while an AllocationLimit lives, the allocations
// of its thread through operator new fail with std::bad_alloc once a given
// number of them has succeeded. Tests sweep that number over a call to
// reach every allocation in it. The test binary's operator new and delete
// are replaced for this (allocation_limit.cc); they allocate with malloc.
#ifndef MAROVEL_TESTS_ALLOCATION_LIMIT_H_
#define MAROVEL_TESTS_ALLOCATION_LIMIT_H_

#include <cstdint>

namespace marovel::testing {

class AllocationLimit {
 public:
  // The next `successes` allocations succeed, the ones after fail.
  explicit AllocationLimit(uint64_t successes);
  ~AllocationLimit();
  AllocationLimit(const AllocationLimit&) = delete;
  AllocationLimit& operator=(const AllocationLimit&) = delete;

  // Whether an allocation has failed.
  bool reached() const;
};

}  // namespace marovel::testing

#endif  // MAROVEL_TESTS_ALLOCATION_LIMIT_H_
