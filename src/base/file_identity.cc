#include "base/file_identity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace marovel {

bool is_readable_regular_file(const std::string& path) {
  // O_NONBLOCK: opening a FIFO for reading must not wait for a writer.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  const bool regular = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  close(fd);
  return regular;
}

bool same_file(const std::string& a, const std::string& b) {
  if (a == b) return true;
  struct stat sa, sb;
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 &&
         sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace marovel
