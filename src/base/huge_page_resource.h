// The memory source of the large arrays and arenas that a run reads at
// random: blocks of 2 MiB and more are mapped directly and offered to the
// kernel for transparent huge pages, which spares a page-table walk on most
// accesses and most of the page faults of filling them; smaller blocks come
// from operator new. Stateless and safe to share. Builds with
// MAROVEL_HUGE_PAGES set to 0 use operator new for every block, to measure
// what the pages gain.
#ifndef MAROVEL_BASE_HUGE_PAGE_RESOURCE_H_
#define MAROVEL_BASE_HUGE_PAGE_RESOURCE_H_

#include <memory_resource>

namespace marovel {

std::pmr::memory_resource* huge_page_resource();

}  // namespace marovel

#endif  // MAROVEL_BASE_HUGE_PAGE_RESOURCE_H_
