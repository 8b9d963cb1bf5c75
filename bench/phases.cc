// Times each phase of a run on one net file: phases NET_FILE OUTPUT_FILE.
// Prints one line per phase: its name, its seconds, the resident and peak
// megabytes after it, and the processor seconds it took (both cores, user
// and system), which a busy machine distorts less than the seconds.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <utility>

#include "model/invariants.h"
#include "model/net_model.h"
#include "reader/net_reader.h"
#include "reduce/match_index.h"
#include "reduce/reducer.h"
#include "writer/net_writer.h"

namespace {

// User and system seconds of this process so far, every thread included.
double processor_seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) +
           1e-6 * static_cast<double>(t.tv_usec);
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// " resident_MB peak_MB" of this process now.
std::string memory() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::ostringstream text;
  text << ' ' << (resident * sysconf(_SC_PAGESIZE) >> 20) << ' '
       << (usage.ru_maxrss >> 10);
  return text.str();
}

// Runs one phase and prints its line.
template <typename F>
void phase(const char* name, F&& f) {
  const double processor = processor_seconds();
  const auto start = std::chrono::steady_clock::now();
  f();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  std::cout << name << ' ' << seconds << memory() << ' '
            << processor_seconds() - processor << '\n';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: phases NET_FILE OUTPUT_FILE\n";
    return 2;
  }
  using namespace marovel;
  auto owned = std::make_unique<InputNet>();
  InputNet& input = *owned;
  NetModel model;
  Status read;
  phase("read_net", [&] { read = read_net(argv[1], model, input); });
  if (!read.ok()) {
    std::cerr << read.detail() << read.message();
    return 1;
  }
  phase("check_consistency", [&] { check_consistency(model); });
  phase("is_closed_and_mirrored", [&] { is_closed_and_mirrored(model); });
  phase("index_build", [&] {
    const KeptNames none;
    MatchIndex index(model, RuleSet::all(), none);
  });
  std::ostringstream log, out;
  phase("run_reduction", [&] {
    run_reduction(model, {.log = &log, .known_closed_and_mirrored = true});
  });
  phase("write_reduced_net", [&] {
    if (!write_reduced_net(argv[1], argv[2], model, out, &input).ok())
      std::cerr << "the reduced net was not written\n";
  });
  phase("destroy_model", [&] { NetModel gone = std::move(model); });
  phase("destroy_input", [&] { owned.reset(); });
  return 0;
}
