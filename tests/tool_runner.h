// Runs the built marovel executable (or another program) in a scratch folder
// and collects what a user sees: exit status, standard output, standard error
// and the files left.
#ifndef MAROVEL_TESTS_TOOL_RUNNER_H_
#define MAROVEL_TESTS_TOOL_RUNNER_H_

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace marovel::testing {

struct ToolRun {
  int status = -1;  // the exit status, or 128 + the signal that ended it
  bool core_dumped = false;
  bool signalled = false;  // RunOptions::signal was sent
  std::string out;
  std::string err;
};

// How a program is run, beyond its arguments.
struct RunOptions {
  // Above zero: every write past that many bytes of a file fails.
  long file_size_limit = 0;
  // Above zero: the process's address space is capped at that many bytes.
  long address_space_limit = 0;
  // Above zero: `signal` is sent that many microseconds after the start,
  // or with `signal_when`, that long after it first returns true for the
  // process's id (asked every millisecond); not at all if the process
  // ends first.
  int signal = 0;
  long signal_after_us = 0;
  std::function<bool(int pid)> signal_when;
};

// A fresh folder under the system's temporary directory, removed with it.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& content) const;
  // Every regular file below the folder, by relative path, with its content.
  std::map<std::string, std::string> files() const;

 private:
  std::string path_;
};

// Runs the executable with `args` in `cwd`, with the locale variables
// cleared so that the run sees the plain C locale. A `file_size_limit` above
// zero makes every write past that many bytes of a file fail.
ToolRun run_tool(const std::vector<std::string>& args, const std::string& cwd,
                 long file_size_limit = 0);

// The same for another program: `binary` is a path, or a name looked up on
// the PATH.
ToolRun run_program(const std::string& binary,
                    const std::vector<std::string>& args,
                    const std::string& cwd, long file_size_limit = 0);
ToolRun run_program(const std::string& binary,
                    const std::vector<std::string>& args,
                    const std::string& cwd, const RunOptions& options);

std::string read_file(const std::string& path);

// `xml` with the text of every `generatedate` element replaced by DATE, so
// that two outputs, or an output and a fixture, compare.
std::string undated(const std::string& xml);

// The folder of a build of the commands without sanitizers, for what they
// would distort (a capped allocation is reported instead of failing; a
// package should hold what users run): MAROVEL_PLAIN_BUILD_DIR when it was
// given, else this build when it has no sanitizers, else "".
std::string plain_build_dir();

}  // namespace marovel::testing

#endif  // MAROVEL_TESTS_TOOL_RUNNER_H_
