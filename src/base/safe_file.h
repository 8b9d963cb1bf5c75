// An output file that is either written completely or not at all. The text
// goes to a file that has no name yet, in the target's folder (O_TMPFILE),
// and is given the target's name only once it is complete and on disk, so
// that a run killed at any moment, even by SIGKILL, leaves the old file
// whole or the new one whole and nothing else. Where the file system has no
// unnamed files, a short hidden name in the target's folder serves, and
// SIGINT, SIGTERM and SIGHUP remove it before the process dies of them
// (unless the file leaves the process's signals alone, as a library must).
// Concurrent writers of one target leave one of their files, whole.
//
// A target that exists and is not a regular file (a FIFO, a terminal,
// /dev/null) and the process's own streams named as /dev/stdout, /dev/stderr
// or /dev/fd/N are written directly, whatever they lead to.
#ifndef MAROVEL_BASE_SAFE_FILE_H_
#define MAROVEL_BASE_SAFE_FILE_H_

#include <ext/stdio_filebuf.h>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace marovel {

class SafeFile {
 public:
  // How the text reaches the target before it is complete.
  enum class Staging {
    kUnnamed,  // an unnamed file where the system has them, else kNamed
    kNamed,    // a hidden file beside the target
  };
  // Whether the file may use the process's signal handling. kGuard: a
  // hidden file is removed by SIGINT, SIGTERM and SIGHUP (handlers are
  // installed for them), and those signals wait while the file moves over
  // the target. kLeaveAlone, for code that does not own the process (the
  // library): no handler is installed and no signal is blocked, so such a
  // signal, at the wrong moment, may leave a hidden file behind.
  enum class Signals { kGuard, kLeaveAlone };

  // Opens the file to write; a failure shows in commit(), and meanwhile the
  // stream takes and drops whatever is written to it.
  explicit SafeFile(const std::string& path,
                    Staging staging = Staging::kUnnamed,
                    Signals signals = Signals::kGuard);
  ~SafeFile();  // discards unless committed
  SafeFile(const SafeFile&) = delete;
  SafeFile& operator=(const SafeFile&) = delete;

  std::ostream& stream() { return stream_; }

  // Completes the file and puts it in place, then makes the folder's new
  // entry durable. Returns false, with the target as it was, when anything
  // failed since construction.
  [[nodiscard]] bool commit();
  // Drops what was written, leaving the target as it was.
  void discard();

  // Why the last failure happened, one line that names the file as it was
  // given and the system's reason: "cannot write 'PATH': REASON".
  const std::string& error() const { return error_; }
  // The system's error number of that failure, or 0 when it gave none.
  int error_number() const { return error_number_; }

 private:
  enum class Mode { kDirect, kUnnamed, kNamed };

  void open_staging(Staging staging);
  bool link_unnamed();
  void fail(int error);
  void close_descriptor();

  std::string path_;  // as given, for messages
  Signals signals_;
  std::string target_;  // the path after following symbolic links
  std::string folder_;  // the target's folder
  Mode mode_ = Mode::kDirect;
  std::string temp_path_;       // kNamed: the hidden file's path
  std::optional<int> cleanup_;  // kNamed: its registration for removal
  int fd_ = -1;
  std::unique_ptr<__gnu_cxx::stdio_filebuf<char>> buffer_;
  std::ostream stream_{nullptr};
  std::string error_;
  int error_number_ = 0;
  bool done_ = false;
};

}  // namespace marovel

#endif  // MAROVEL_BASE_SAFE_FILE_H_
