#include "base/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace marovel {
namespace {

constexpr size_t kBufferSize = 1 << 20;

// Follows symbolic links to the file they finally name, so that replacing
// that file leaves the links in place. A dangling link names the file to
// create.
std::string resolve_links(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
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

std::string directory_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string base_of(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

SafeFile::SafeFile(const std::string& path) : target_(resolve_links(path)) {
  struct stat st;
  const bool exists = stat(target_.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    fd_ = open(target_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
      fail(target_);
      return;
    }
  } else {
    const std::string stem = directory_of(target_) + "/." + base_of(target_) +
                             ".tmp-" + std::to_string(getpid()) + "-";
    for (int attempt = 0; fd_ < 0 && attempt < 100; ++attempt) {
      temp_path_ = stem + std::to_string(attempt);
      // 0666 less the umask for a new file, as any other program's.
      fd_ = open(temp_path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                 0666);
      if (fd_ < 0 && errno != EEXIST) break;
    }
    if (fd_ < 0) {
      temp_path_.clear();
      fail(target_);
      return;
    }
    if (exists) {
      // The replacement keeps the old file's owner and permissions.
      if (fchown(fd_, st.st_uid, st.st_gid) != 0) {
        // Only root may give a file away; the permissions still carry over.
      }
      fchmod(fd_, st.st_mode & 07777);
    }
  }
  buffer_ = std::make_unique<__gnu_cxx::stdio_filebuf<char>>(
      fd_, std::ios::out | std::ios::binary, kBufferSize);
  stream_.rdbuf(buffer_.get());
}

SafeFile::~SafeFile() {
  if (!done_) discard();
}

void SafeFile::fail(const std::string& what) {
  const int error = errno;
  error_ = "can't open file '" + what + "' (error " + std::to_string(error) +
           ": " + std::strerror(error) + ")";
}

bool SafeFile::commit() {
  done_ = true;
  if (!buffer_) return false;
  stream_.flush();
  bool ok = stream_.good();
  if (!ok) fail(target_);
  // A FIFO or a terminal cannot be synced, and need not be.
  if (ok && !temp_path_.empty() && fsync(fd_) != 0) {
    fail(target_);
    ok = false;
  }
  stream_.rdbuf(nullptr);
  if (buffer_->close() == nullptr && ok) {
    fail(target_);
    ok = false;
  }
  buffer_.reset();
  if (temp_path_.empty()) return ok;
  if (ok && rename(temp_path_.c_str(), target_.c_str()) != 0) {
    fail(target_);
    ok = false;
  }
  if (!ok) unlink(temp_path_.c_str());
  return ok;
}

void SafeFile::discard() {
  done_ = true;
  stream_.rdbuf(nullptr);
  buffer_.reset();  // closes the descriptor
  if (!temp_path_.empty()) unlink(temp_path_.c_str());
}

}  // namespace marovel
