#include "fuzz_input.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>

namespace marovel::fuzz {

MemoryFile::MemoryFile(const uint8_t* data, size_t size)
    : fd_(memfd_create("fuzz-input", MFD_CLOEXEC)),
      path_("/proc/self/fd/" + std::to_string(fd_)) {
  // A harness that cannot stage its input would test nothing: stop loudly.
  if (fd_ < 0) std::abort();
  while (size > 0) {
    const ssize_t n = write(fd_, data, size);
    if (n <= 0) std::abort();
    data += n;
    size -= static_cast<size_t>(n);
  }
}

MemoryFile::~MemoryFile() { close(fd_); }

}  // namespace marovel::fuzz
