#include "base/file_identity.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <memory>
#include <optional>
#include <string_view>

namespace marovel {
namespace {

// The canonical folder of `path` and its last component, for a path whose
// folder exists; none otherwise. "a/b" gives (realpath("a"), "b"); "b"
// gives (realpath("."), "b").
std::optional<std::string> canonical_entry(const std::string& path) {
  const size_t slash = path.rfind('/');
  const std::string folder = folder_of(path);
  const std::string name =
      slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  const std::unique_ptr<char, decltype(&free)> resolved(
      realpath(folder.c_str(), nullptr), &free);
  if (!resolved) return std::nullopt;
  return std::string(resolved.get()) + "/" + name;
}

}  // namespace

std::string folder_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::optional<int> stream_descriptor(const std::string& path) {
  if (path == "/dev/stdin") return 0;
  if (path == "/dev/stdout") return 1;
  if (path == "/dev/stderr") return 2;
  for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    if (!path.starts_with(prefix)) continue;
    const std::string_view number =
        std::string_view(path).substr(prefix.size());
    int fd = -1;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), fd);
    if (error == std::errc() && end == number.data() + number.size() &&
        !number.empty() && fd >= 0)
      return fd;
  }
  return std::nullopt;
}

std::string resolve_links(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    if (stream_descriptor(path)) break;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
    std::string link(st.st_size > 0 ? st.st_size + 1 : 4096, '\0');
    const ssize_t length = readlink(path.c_str(), link.data(), link.size());
    if (length < 0 || static_cast<size_t>(length) >= link.size()) break;
    link.resize(length);
    if (link.front() == '/') {
      path = link;
    } else {
      const size_t slash = path.rfind('/');
      path =
          (slash == std::string::npos ? "" : path.substr(0, slash + 1)) + link;
    }
  }
  return path;
}

bool is_readable_regular_file(const std::string& path) {
  return readable_regular_file_error(path) == 0;
}

int readable_regular_file_error(const std::string& path) {
  // O_NONBLOCK: opening a FIFO for reading must not wait for a writer.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat st;
  int error = 0;
  if (fstat(fd, &st) != 0) {
    error = errno;
  } else if (!S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? EISDIR : -1;
  }
  close(fd);
  return error;
}

bool same_file(const std::string& a, const std::string& b) {
  if (a == b) return true;
  struct stat sa, sb;
  const bool a_exists = stat(a.c_str(), &sa) == 0;
  const bool b_exists = stat(b.c_str(), &sb) == 0;
  if (a_exists && b_exists)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  if (a_exists || b_exists) return false;
  // Neither exists yet: one name would create the other's file when both
  // lead to the same entry of one folder.
  const std::optional<std::string> entry_a = canonical_entry(resolve_links(a));
  return entry_a && entry_a == canonical_entry(resolve_links(b));
}

void release_fifo_reader(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISFIFO(st.st_mode)) return;
  // Without a reader, a non-blocking open for writing fails (ENXIO) and
  // there is nobody to release.
  const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) close(fd);
}

}  // namespace marovel
