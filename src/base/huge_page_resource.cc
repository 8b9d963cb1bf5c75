#include "base/huge_page_resource.h"

#include <sys/mman.h>

#include <cstddef>
#include <new>

#include "base/switches.h"

namespace marovel {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
constexpr size_t kSmallPage = 4096;

size_t mapped_size(size_t bytes) {
  return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

bool is_mapped(size_t bytes, size_t alignment) {
  return bytes >= kHugePage && alignment <= kSmallPage;
}

class HugePageResource final : public std::pmr::memory_resource {
 private:
  void* do_allocate(size_t bytes, size_t alignment) override {
    if (!is_mapped(bytes, alignment)) {
      return ::operator new(bytes, std::align_val_t(alignment));
    }
    void* block = mmap(nullptr, mapped_size(bytes), PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(block, mapped_size(bytes), MADV_HUGEPAGE);  // a hint only
#endif
    return block;
  }

  void do_deallocate(void* block, size_t bytes, size_t alignment) override {
    if (!is_mapped(bytes, alignment)) {
      ::operator delete(block, bytes, std::align_val_t(alignment));
      return;
    }
    munmap(block, mapped_size(bytes));
  }

  bool do_is_equal(
      const std::pmr::memory_resource& other) const noexcept override {
    return this == &other;
  }
};

}  // namespace

std::pmr::memory_resource* huge_page_resource() {
#if MAROVEL_HUGE_PAGES
  static HugePageResource resource;
  return &resource;
#else
  return std::pmr::new_delete_resource();
#endif
}

}  // namespace marovel
