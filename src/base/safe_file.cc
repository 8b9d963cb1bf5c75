#include "base/safe_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/file_identity.h"
#include "base/signal_cleanup.h"

namespace marovel {
namespace {

constexpr size_t kBufferSize = 1 << 20;

// A hidden name of fixed length in `folder`, however long the target's name
// is: ".marovel-" and six random letters or digits.
std::string temp_name(const std::string& folder) {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  unsigned char random[6] = {};
  if (getrandom(random, sizeof random, 0) != sizeof random) {
    // Without the system's randomness, the clock and the process differ
    // enough; a clash only costs another try.
    const uint64_t seed = static_cast<uint64_t>(getpid()) * 2654435761u ^
                          static_cast<uint64_t>(clock());
    for (size_t k = 0; k < sizeof random; ++k) random[k] = seed >> (8 * k);
  }
  std::string name = folder + "/.marovel-";
  for (const unsigned char byte : random)
    name += kLetters[byte % (sizeof kLetters - 1)];
  return name;
}

// Makes the folder's entries durable: the new name survives a power cut.
void sync_folder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // a file system that cannot sync folders keeps them anyway
  close(fd);
}

// The signals that could end the process between giving the file a
// temporary name and moving it over the target; they wait for the move.
class SignalsHeld {
 public:
  explicit SignalsHeld(SafeFile::Signals signals)
      : active_(signals == SafeFile::Signals::kGuard) {
    if (!active_) return;
    sigset_t held;
    sigemptyset(&held);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP})
      sigaddset(&held, signal_number);
    pthread_sigmask(SIG_BLOCK, &held, &previous_);
  }
  ~SignalsHeld() {
    if (active_) pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  bool active_;
  sigset_t previous_;
};

}  // namespace

SafeFile::SafeFile(const std::string& path, Staging staging, Signals signals)
    : path_(path),
      signals_(signals),
      target_(resolve_links(path)),
      folder_(folder_of(target_)) {
  if (const std::optional<int> fd = stream_descriptor(target_)) {
    fd_ = fcntl(*fd, F_DUPFD_CLOEXEC, 0);
    if (fd_ < 0) fail(errno);
  } else {
    struct stat st;
    const bool exists = stat(target_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
      fd_ =
          open(target_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
      if (fd_ < 0) fail(errno);
    } else {
      open_staging(staging);
      if (fd_ >= 0 && exists) {
        // The replacement keeps the old file's owner and permissions.
        if (fchown(fd_, st.st_uid, st.st_gid) != 0) {
          // Only root may give a file away; the permissions still carry over.
        }
        fchmod(fd_, st.st_mode & 07777);
      }
    }
  }
  if (fd_ < 0) return;
  buffer_ = std::make_unique<__gnu_cxx::stdio_filebuf<char>>(
      fd_, std::ios::out | std::ios::binary, kBufferSize);
  stream_.rdbuf(buffer_.get());
}

void SafeFile::open_staging(Staging staging) {
  // 0666 less the umask for a new file, as any other program's.
  if (staging == Staging::kUnnamed) {
    fd_ = open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      mode_ = Mode::kUnnamed;
      return;
    }
    // A folder that is not there, or not writable, fails either way.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      fail(errno);
      return;
    }
  }
  mode_ = Mode::kNamed;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp_path_ = temp_name(folder_);
    // Held, so that no signal falls between creating the file and
    // registering it for removal.
    SignalsHeld held(signals_);
    fd_ =
        open(temp_path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      if (signals_ == Signals::kGuard) cleanup_ = remove_on_signal(temp_path_);
      return;
    }
    if (errno != EEXIST) break;
  }
  const int error = errno;
  temp_path_.clear();
  fail(error);
}

SafeFile::~SafeFile() {
  if (!done_) discard();
}

void SafeFile::fail(int error) {
  error_number_ = error;
  error_ = "cannot write '" + path_ +
           "': " + (error != 0 ? std::strerror(error) : "the write failed");
}

void SafeFile::close_descriptor() {
  stream_.rdbuf(nullptr);
  buffer_.reset();  // closes the descriptor
  fd_ = -1;
}

bool SafeFile::link_unnamed() {
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  const auto link_as = [&](const std::string& name) {
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(),
               AT_SYMLINK_FOLLOW) == 0)
      return 0;
    // Without /proc, the descriptor itself, which needs the right to
    // reach any file by its descriptor.
    if (errno == ENOENT &&
        linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0)
      return 0;
    return errno;
  };
  SignalsHeld held(signals_);
  // A target that is not there yet takes the file's name at once.
  int error = link_as(target_);
  if (error == 0) return true;
  if (error != EEXIST) {
    fail(error);
    return false;
  }
  // Otherwise the file gets a temporary name and moves over the target;
  // the signals that could come between wait until it has.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temp = temp_name(folder_);
    error = link_as(temp);
    if (error == EEXIST) continue;
    if (error != 0) break;
    if (rename(temp.c_str(), target_.c_str()) == 0) return true;
    error = errno;
    unlink(temp.c_str());
    break;
  }
  fail(error);
  return false;
}

bool SafeFile::commit() {
  done_ = true;
  if (!buffer_) return false;
  stream_.flush();
  bool ok = stream_.good();
  if (!ok) fail(errno);
  // A FIFO or a terminal cannot be synced, and need not be.
  if (ok && mode_ != Mode::kDirect && fsync(fd_) != 0) {
    fail(errno);
    ok = false;
  }
  if (ok && mode_ == Mode::kUnnamed) ok = link_unnamed();
  stream_.rdbuf(nullptr);
  if (buffer_->close() == nullptr && ok) {
    fail(errno);
    ok = false;
  }
  buffer_.reset();
  fd_ = -1;
  if (mode_ == Mode::kNamed) {
    if (ok && rename(temp_path_.c_str(), target_.c_str()) != 0) {
      fail(errno);
      ok = false;
    }
    if (!ok) unlink(temp_path_.c_str());
    if (cleanup_) keep_on_signal(*cleanup_);
  }
  if (ok && mode_ != Mode::kDirect) sync_folder(folder_);
  return ok;
}

void SafeFile::discard() {
  done_ = true;
  close_descriptor();
  if (mode_ == Mode::kNamed && !temp_path_.empty()) {
    unlink(temp_path_.c_str());
    if (cleanup_) keep_on_signal(*cleanup_);
  }
}

}  // namespace marovel
