// The memory source of document arenas: blocks of 2 MiB and more are mapped
// directly and offered to the kernel for transparent huge pages; smaller
// ones come from operator new. Stateless and safe to share.
#ifndef MAROVEL_XML_HUGE_PAGE_RESOURCE_H_
#define MAROVEL_XML_HUGE_PAGE_RESOURCE_H_

#include <memory_resource>

namespace marovel {

std::pmr::memory_resource* huge_page_resource();

}  // namespace marovel

#endif  // MAROVEL_XML_HUGE_PAGE_RESOURCE_H_
