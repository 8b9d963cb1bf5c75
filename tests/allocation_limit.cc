#include "tests/allocation_limit.h"

#include <cassert>
#include <cstdlib>
#include <new>

namespace marovel::testing {
namespace {

// The thread's limit: whether one is set, the allocations it still lets
// through, and whether one failed.
struct Limit {
  bool set = false;
  uint64_t left = 0;
  bool reached = false;
};

Limit& this_thread_limit() {
  thread_local Limit limit;
  return limit;
}

void* allocate(std::size_t size) {
  Limit& limit = this_thread_limit();
  if (limit.set) {
    if (limit.left == 0) {
      limit.reached = true;
      throw std::bad_alloc();
    }
    --limit.left;
  }
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

}  // namespace

AllocationLimit::AllocationLimit(uint64_t successes) {
  Limit& limit = this_thread_limit();
  assert(!limit.set);
  limit = {true, successes, false};
}

AllocationLimit::~AllocationLimit() { this_thread_limit() = {}; }

bool AllocationLimit::reached() const { return this_thread_limit().reached; }

}  // namespace marovel::testing

void* operator new(std::size_t size) {
  return marovel::testing::allocate(size);
}
void* operator new[](std::size_t size) {
  return marovel::testing::allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return marovel::testing::allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return marovel::testing::allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
