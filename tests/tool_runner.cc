#include "tool_runner.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

namespace marovel::testing {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
  std::string pattern = (fs::temp_directory_path() / "marovel-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

void ScratchDir::write(const std::string& name,
                       const std::string& content) const {
  std::ofstream(file(name), std::ios::binary) << content;
}

std::map<std::string, std::string> ScratchDir::files() const {
  std::map<std::string, std::string> result;
  for (const auto& entry : fs::recursive_directory_iterator(path_))
    if (entry.is_regular_file())
      result[fs::relative(entry.path(), path_).string()] =
          read_file(entry.path().string());
  return result;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string undated(const std::string& xml) {
  static constexpr std::string_view kOpen = "<generatedate>";
  std::string result;
  size_t done = 0;
  for (size_t open = xml.find(kOpen); open != std::string::npos;
       open = xml.find(kOpen, done)) {
    const size_t text = open + kOpen.size();
    const size_t close = xml.find('<', text);
    if (close == std::string::npos) break;
    result.append(xml, done, text - done).append("DATE");
    done = close;
  }
  return result.append(xml, done);
}

std::string plain_build_dir() {
#ifdef MAROVEL_PLAIN_BUILD_DIR
  return MAROVEL_PLAIN_BUILD_DIR;
#else
  return MAROVEL_SANITIZED ? "" : MAROVEL_BUILD_DIR;
#endif
}

ToolRun run_tool(const std::vector<std::string>& args, const std::string& cwd,
                 long file_size_limit) {
  return run_program(MAROVEL_BINARY, args, cwd, file_size_limit);
}

ToolRun run_program(const std::string& binary,
                    const std::vector<std::string>& args,
                    const std::string& cwd, long file_size_limit) {
  RunOptions options;
  options.file_size_limit = file_size_limit;
  return run_program(binary, args, cwd, options);
}

ToolRun run_program(const std::string& binary,
                    const std::vector<std::string>& args,
                    const std::string& cwd, const RunOptions& options) {
  char out_name[] = "/tmp/marovel-out-XXXXXX";
  char err_name[] = "/tmp/marovel-err-XXXXXX";
  const int out_fd = mkstemp(out_name);
  const int err_fd = mkstemp(err_name);

  std::vector<std::string> env_strings;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string var = *e;
    if (var.rfind("LC_", 0) == 0 || var.rfind("LANG", 0) == 0) continue;
    env_strings.push_back(var);
  }
  std::vector<char*> envp;
  for (auto& s : env_strings) envp.push_back(s.data());
  envp.push_back(nullptr);

  std::vector<std::string> argv_strings = {binary};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& s : argv_strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    dup2(out_fd, 1);
    dup2(err_fd, 2);
    const int null_fd = open("/dev/null", O_RDONLY);
    dup2(null_fd, 0);
    if (chdir(cwd.c_str()) != 0) _exit(127);
    if (options.file_size_limit > 0) {
      signal(SIGXFSZ, SIG_IGN);
      const rlimit limit = {static_cast<rlim_t>(options.file_size_limit),
                            static_cast<rlim_t>(options.file_size_limit)};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (options.address_space_limit > 0) {
      const rlimit limit = {static_cast<rlim_t>(options.address_space_limit),
                            static_cast<rlim_t>(options.address_space_limit)};
      setrlimit(RLIMIT_AS, &limit);
    }
    execvpe(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  ToolRun run;
  int wait_status = 0;
  bool ended = false;
  if (options.signal > 0 && pid > 0) {
    while (options.signal_when && !options.signal_when(pid)) {
      ended = waitpid(pid, &wait_status, WNOHANG) == pid;
      if (ended) break;
      usleep(1000);
    }
    if (!ended) {
      usleep(static_cast<useconds_t>(options.signal_after_us));
      run.signalled = kill(pid, options.signal) == 0;
    }
  }
  if (!ended) waitpid(pid, &wait_status, 0);
  close(out_fd);
  close(err_fd);

  run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status)
                                      : 128 + WTERMSIG(wait_status);
  run.core_dumped = WIFSIGNALED(wait_status) && WCOREDUMP(wait_status);
  run.out = read_file(out_name);
  run.err = read_file(err_name);
  unlink(out_name);
  unlink(err_name);
  return run;
}

}  // namespace marovel::testing
