// An output file that is either written completely or not at all: the text
// goes to a new file beside the target, which replaces the target only once
// it is complete and on disk. A target that exists and is not a regular file
// (a FIFO, a terminal, /dev/stdout) is written directly instead.
#ifndef MAROVEL_BASE_SAFE_FILE_H_
#define MAROVEL_BASE_SAFE_FILE_H_

#include <ext/stdio_filebuf.h>
#include <memory>
#include <ostream>
#include <string>

namespace marovel {

class SafeFile {
 public:
  // Opens the file to write; a failure shows in commit(), and meanwhile the
  // stream takes and drops whatever is written to it.
  explicit SafeFile(const std::string& path);
  ~SafeFile();  // discards unless committed
  SafeFile(const SafeFile&) = delete;
  SafeFile& operator=(const SafeFile&) = delete;

  std::ostream& stream() { return stream_; }

  // Completes the file and puts it in place. Returns false, with the target
  // as it was, when anything failed since construction.
  [[nodiscard]] bool commit();
  // Removes what was written, leaving the target as it was.
  void discard();

  // Why the last failure happened, in the library's "can't open file" form.
  const std::string& error() const { return error_; }

 private:
  void fail(const std::string& what);

  std::string target_;     // the path after following symbolic links
  std::string temp_path_;  // empty when writing the target directly
  int fd_ = -1;
  std::unique_ptr<__gnu_cxx::stdio_filebuf<char>> buffer_;
  std::ostream stream_{nullptr};
  std::string error_;
  bool done_ = false;
};

}  // namespace marovel

#endif  // MAROVEL_BASE_SAFE_FILE_H_
