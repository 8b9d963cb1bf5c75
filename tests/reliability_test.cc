// Runs that are interrupted, starved of memory, run side by side or write
// where a file cannot be taken back: each leaves the old output whole or the
// new one whole, and nothing else behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "bench/net_generator.h"
#include "tool_runner.h"

namespace marovel::testing {
namespace {

std::string generated_net(bench::Family family, size_t nodes, uint64_t seed) {
  std::ostringstream text;
  bench::write_net_xml(bench::generate_net(family, nodes, seed), text);
  return text.str();
}

// The names of the files in `dir`, hidden ones included.
std::set<std::string> names_in(const ScratchDir& dir) {
  std::set<std::string> names;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(dir.path()))
    names.insert(std::filesystem::relative(entry.path(), dir.path()));
  return names;
}

// The bytes process `pid` has written so far, by /proc/PID/io.
long bytes_written(int pid) {
  std::ifstream io("/proc/" + std::to_string(pid) + "/io");
  for (std::string key; io >> key;) {
    long value = 0;
    io >> value;
    if (key == "wchar:") return value;
  }
  return 0;
}

// A moment of a run: what it falls in, and when a signal is sent there.
struct Moment {
  std::string name;
  long after_us = 0;  // from the start, or from `when`
  std::function<bool(int pid)> when;
};

// The moments a signal should land in, from one run of `args` with -v: the
// start, before marovel's code runs; the middle of reading and of
// reducing, from the phase times the run's summary gives (the start-up
// being what the run took beyond its phases); writing, once the first piece
// of the output is out; the commit, once the whole output is written and
// only syncing and naming it are left; and the end, once the new output
// has its name. The last three follow the process's own count of the bytes
// it wrote, and the output, whatever the machine's speed. Expects `out.xml`
// to hold "old output" when a signal is due, and leaves the run's output
// there.
std::vector<Moment> moments_of(const std::vector<std::string>& args,
                               const ScratchDir& dir) {
  std::vector<std::string> verbose = {"-v"};
  verbose.insert(verbose.end(), args.begin(), args.end());
  const auto start = std::chrono::steady_clock::now();
  const ToolRun run = run_tool(verbose, dir.path());
  const double total =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  EXPECT_EQ(run.status, 1) << run.err;
  std::smatch times;
  const std::regex line(
      "time: read ([0-9.]+) s, reduce ([0-9.]+) s, write ([0-9.]+) s");
  if (!std::regex_search(run.err, times, line)) {
    ADD_FAILURE() << "no phase times in: " << run.err;
    return {};
  }
  const double read = std::stod(times[1]), reduce = std::stod(times[2]),
               write = std::stod(times[3]);
  const double setup = std::max(0.0, total - read - reduce - write);
  const auto at = [](double seconds) {
    return static_cast<long>(seconds * 1e6);
  };
  // Standard output's messages go out before the document.
  const long messages = static_cast<long>(run.out.size());
  const long document =
      static_cast<long>(std::filesystem::file_size(dir.file("out.xml")));
  const auto written = [](long bytes) {
    return [bytes](int pid) { return bytes_written(pid) >= bytes; };
  };
  const auto named = [output = dir.file("out.xml")](int) {
    std::error_code error;
    return std::filesystem::file_size(output, error) !=
           std::string_view("old output").size();
  };
  return {{"the start", 0, {}},
          {"reading", at(setup + read / 2), {}},
          {"reducing", at(setup + read + reduce / 2), {}},
          {"writing", 0, written(messages + 1)},
          {"the commit", 0, written(messages + document)},
          {"the end", 0, named}};
}

TEST(ReliabilityTest, SignalsAtAnyMomentLeaveTheOldOrTheNewOutputWhole) {
  ScratchDir dir;
  dir.write("net.xml", generated_net(bench::Family::kRandom, 12000, 3));
  const std::vector<std::string> args = {"-o", "out.xml", "net.xml"};
  const std::vector<Moment> moments = moments_of(args, dir);
  const std::string complete = undated(read_file(dir.file("out.xml")));
  ASSERT_FALSE(complete.empty());
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    for (const Moment& moment : moments) {
      SCOPED_TRACE("signal " + std::to_string(signal_number) + " in " +
                   moment.name);
      dir.write("out.xml", "old output");
      RunOptions options;
      options.signal = signal_number;
      options.signal_after_us = moment.after_us;
      options.signal_when = moment.when;
      const ToolRun run =
          run_program(MAROVEL_BINARY, args, dir.path(), options);
      // The moments that follow the output's bytes come before the end.
      if (moment.when) {
        EXPECT_TRUE(run.signalled);
      }
      EXPECT_FALSE(run.core_dumped);
      EXPECT_TRUE(run.status == 1 || run.status == 128 + signal_number)
          << run.status;
      EXPECT_EQ(names_in(dir), (std::set<std::string>{"net.xml", "out.xml"}));
      const std::string output = undated(read_file(dir.file("out.xml")));
      EXPECT_TRUE(output == "old output" || output == complete)
          << output.substr(0, 200);
    }
  }
}

// The smallest cap, to the quarter megabyte, under which `args` make
// `binary` end with `status`, from a cap known to suffice.
long smallest_cap(const std::string& binary,
                  const std::vector<std::string>& args, const std::string& cwd,
                  int status) {
  long low = 256, high = 4 << 20;
  const auto run_capped = [&](long kilobytes) {
    RunOptions options;
    options.address_space_limit = kilobytes << 10;
    return run_program(binary, args, cwd, options).status;
  };
  EXPECT_EQ(run_capped(high), status);
  while (high - low > 256) {
    const long middle = (low + high) / 2;
    (run_capped(middle) == status ? high : low) = middle;
  }
  return high;
}

// Runs marovel on `net` under caps from the smallest that lets it start at
// all (below which the system's loader and the libraries' own start-up
// fail, before marovel's code runs) up to a gigabyte: each run fails
// with one line naming memory and the failed-run status, or succeeds; never
// a crash, never a touched or a stray file. The caps are chosen so that
// every phase in which memory can run out is reached: bisections between
// neighbouring caps whose runs ended differently, down to a quarter
// megabyte, find each change of phase and run both sides of its edge; caps
// spread over the range where the run fails add runs inside each phase.
// Returns the phases in which memory ran out.
std::set<std::string> phases_out_of_memory(
    const std::string& binary, const std::string& net,
    const std::vector<std::string>& options) {
  ScratchDir dir;
  dir.write("net.xml", net);
  std::vector<std::string> args = options;
  args.insert(args.end(), {"-o", "out.xml", "net.xml"});
  const std::string kWritten = "(written)";
  // The phase memory ran out in at each cap tried, in kilobytes, or
  // kWritten.
  std::map<long, std::string> ends;
  const auto run_capped = [&](long kilobytes) {
    SCOPED_TRACE(std::to_string(kilobytes) + " kB");
    dir.write("out.xml", "old output");
    RunOptions run_options;
    run_options.address_space_limit = kilobytes << 10;
    const ToolRun run = run_program(binary, args, dir.path(), run_options);
    EXPECT_FALSE(run.core_dumped);
    EXPECT_EQ(names_in(dir), (std::set<std::string>{"net.xml", "out.xml"}));
    std::string& end = ends[kilobytes];
    if (run.status == 1) {
      EXPECT_NE(read_file(dir.file("out.xml")), "old output");
      end = kWritten;
      return;
    }
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_EQ(read_file(dir.file("out.xml")), "old output");
    std::smatch found;
    const std::regex line("^marovel: out of memory( while (.*))?\n$");
    EXPECT_TRUE(std::regex_match(run.err, found, line)) << run.err;
    end = found[2];
  };
  // Bisects between neighbours that ended differently until they are a
  // quarter megabyte apart.
  const auto refine = [&] {
    for (bool split = true; split;) {
      split = false;
      for (auto it = ends.begin(); std::next(it) != ends.end(); ++it) {
        const auto next = std::next(it);
        if (it->second == next->second || next->first - it->first <= 256)
          continue;
        run_capped((it->first + next->first) / 2);
        split = true;
        break;
      }
    }
  };
  const long start = smallest_cap(binary, {"-h"}, dir.path(), 1) + 512;
  constexpr long kAmple = 1 << 20;
  run_capped(start);
  run_capped(kAmple);
  EXPECT_EQ(ends[kAmple], kWritten);
  refine();
  long enough = kAmple;
  for (const auto& [kilobytes, end] : ends)
    if (end == kWritten) enough = std::min(enough, kilobytes);
  constexpr int kSpread = 8;
  for (int k = 1; k < kSpread; ++k)
    run_capped(start + (enough - start) * k / kSpread);
  refine();

  std::set<std::string> phases;
  for (const auto& [kilobytes, end] : ends)
    if (end != kWritten) phases.insert(end);
  return phases;
}

TEST(ReliabilityTest, RunningOutOfMemoryInAnyPhaseFailsCleanly) {
  const std::string binary = plain_build_dir() + "/marovel";
  if (access(binary.c_str(), X_OK) != 0)
    GTEST_SKIP() << "no marovel built without sanitizers (give "
                    "MAROVEL_PLAIN_BUILD_DIR, as ./test.sh does)";
  // A net large enough for the two-core paths, whose reduction needs more
  // memory than its reading.
  const std::set<std::string> large = phases_out_of_memory(
      binary, generated_net(bench::Family::kTwins, 120000, 5), {});
  const auto seen = [](const std::set<std::string>& phases) {
    std::string text;
    for (const std::string& phase : phases) text += "'" + phase + "' ";
    return text;
  };
  EXPECT_TRUE(large.contains("reading the net")) << seen(large);
  EXPECT_TRUE(large.contains("reducing the net")) << seen(large);
  // A small net left as it is: the writer's buffers are the last to be
  // asked for.
  const std::set<std::string> small = phases_out_of_memory(
      binary, generated_net(bench::Family::kRandom, 2000, 5), {"--rules="});
  EXPECT_TRUE(small.contains("reading the net")) << seen(small);
  EXPECT_TRUE(small.contains("writing the reduced net")) << seen(small);
}

// What a reader at the other end of a FIFO receives from one run.
std::string through_fifo(const ScratchDir& dir, const std::string& net) {
  std::string received;
  std::thread reader([&] { received = read_file(dir.file("out.fifo")); });
  run_tool({"-o", "out.fifo", net}, dir.path());
  reader.join();
  return received;
}

TEST(ReliabilityTest, AFifoReceivesTheWholeDocumentOrNothing) {
  ScratchDir dir;
  const std::string chain =
      "<petrinet><placelist><p name=\"p1\"><info>one</info></p>"
      "<p name=\"p2\"><info>two</info></p></placelist><transitionlist>"
      "<t name=\"t1\"><info>t</info></t></transitionlist><edgelist>"
      "<e from=\"p1\" to=\"t1\"/><e from=\"t1\" to=\"p2\"/></edgelist>"
      "</petrinet>";
  dir.write("good.xml", chain);
  ASSERT_EQ(mkfifo(dir.file("out.fifo").c_str(), 0644), 0);
  ASSERT_EQ(run_tool({"-o", "regular.xml", "good.xml"}, dir.path()).status, 1);

  // A run that fails sends nothing (FullRunTest has the cases).
  EXPECT_EQ(undated(through_fifo(dir, "good.xml")),
            undated(read_file(dir.file("regular.xml"))));
}

TEST(ReliabilityTest, OutputNamesUpToTheLimitAreSaved) {
  ScratchDir dir;
  dir.write("net.xml", generated_net(bench::Family::kChains, 50, 1));
  for (const size_t length : {250, 255}) {
    const std::string name = std::string(length - 4, 'n') + ".xml";
    const ToolRun run = run_tool({"-o", name, "net.xml"}, dir.path());
    EXPECT_EQ(run.status, 1) << length << run.out;
    EXPECT_TRUE(dir.files().contains(name)) << length;
    std::remove(dir.file(name).c_str());
  }
  EXPECT_EQ(names_in(dir), (std::set<std::string>{"net.xml"}));
}

TEST(ReliabilityTest, StandardOutputIsWrittenWhateverItLeadsTo) {
  ScratchDir dir;
  dir.write("net.xml", generated_net(bench::Family::kLoops, 60, 2));
  ASSERT_EQ(run_tool({"-o", "regular.xml", "net.xml"}, dir.path()).status, 1);
  const std::string expected = undated(read_file(dir.file("regular.xml")));
  for (const std::string output : {"/dev/stdout", "/dev/fd/1"}) {
    SCOPED_TRACE(output);
    // A pipe: the name it resolves to opens nothing.
    run_program("sh",
                {"-c", std::string("'") + MAROVEL_BINARY + "' -o " + output +
                           " net.xml | cat > piped.txt"},
                dir.path());
    // The messages first, then the document whole.
    const std::string text = read_file(dir.file("piped.txt"));
    const size_t start = text.find("<?xml");
    ASSERT_NE(start, std::string::npos) << text;
    EXPECT_EQ(text.substr(0, start).rfind("\n p_map size :", 0), 0u) << text;
    EXPECT_EQ(undated(text.substr(start)), expected);
    // A regular file, as the shell opened it.
    run_program("sh",
                {"-c", std::string("'") + MAROVEL_BINARY + "' -o " + output +
                           " net.xml > redirected.txt"},
                dir.path());
    const std::string file = read_file(dir.file("redirected.txt"));
    ASSERT_NE(file.find("<?xml"), std::string::npos) << file;
    EXPECT_EQ(undated(file.substr(file.find("<?xml"))), expected);
  }
}

TEST(ReliabilityTest, ConcurrentRunsLeaveOneOfTheirOutputsWhole) {
  ScratchDir dir;
  constexpr int kRuns = 4;
  std::set<std::string> outputs;
  for (int k = 0; k < kRuns; ++k) {
    const std::string net = "net" + std::to_string(k) + ".xml";
    dir.write(net, generated_net(bench::Family::kRandom, 4000 + 500 * k, k));
    ASSERT_EQ(run_tool({"-o", "alone.xml", net}, dir.path()).status, 1);
    outputs.insert(undated(read_file(dir.file("alone.xml"))));
  }
  std::remove(dir.file("alone.xml").c_str());
  for (int round = 0; round < 3; ++round) {
    std::vector<std::thread> runs;
    for (int k = 0; k < kRuns; ++k)
      runs.emplace_back([&, k] {
        run_tool({"-o", "shared.xml", "net" + std::to_string(k) + ".xml"},
                 dir.path());
      });
    for (std::thread& run : runs) run.join();
    EXPECT_TRUE(outputs.contains(undated(read_file(dir.file("shared.xml")))));
    EXPECT_EQ(names_in(dir).size(), kRuns + 1u);
  }
}

}  // namespace
}  // namespace marovel::testing
