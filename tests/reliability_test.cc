// Runs that are interrupted, starved of memory, run side by side or write
// where a file cannot be taken back: each leaves the old output whole or the
// new one whole, and nothing else behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
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

// The output with its generation date masked, so that two runs compare.
std::string undated(const std::string& output) {
  static const std::regex kDate("<generatedate>[^<]*</generatedate>");
  return std::regex_replace(output, kDate, "<generatedate/>");
}

// The names of the files in `dir`, hidden ones included.
std::set<std::string> names_in(const ScratchDir& dir) {
  std::set<std::string> names;
  for (const auto& [name, content] : dir.files()) names.insert(name);
  return names;
}

double seconds_of(const std::function<void()>& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
      .count();
}

TEST(ReliabilityTest, SignalsAtAnyMomentLeaveTheOldOrTheNewOutputWhole) {
  ScratchDir dir;
  dir.write("net.xml", generated_net(bench::Family::kRandom, 30000, 3));
  std::string complete;
  const double seconds = seconds_of([&] {
    ASSERT_EQ(run_tool({"-o", "out.xml", "net.xml"}, dir.path()).status, 1);
    complete = undated(read_file(dir.file("out.xml")));
  });
  ASSERT_FALSE(complete.empty());
  constexpr int kMoments = 5;
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGKILL}) {
    for (int moment = 0; moment < kMoments; ++moment) {
      const long after_us =
          static_cast<long>(seconds * 1.1e6 * moment / (kMoments - 1));
      SCOPED_TRACE("signal " + std::to_string(signal_number) + " after " +
                   std::to_string(after_us) + " us");
      dir.write("out.xml", "old output");
      RunOptions options;
      options.signal = signal_number;
      options.signal_after_us = after_us;
      const ToolRun run = run_program(
          MAROVEL_BINARY, {"-o", "out.xml", "net.xml"}, dir.path(), options);
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

// A binary built without sanitizers, whose allocations fail under a memory
// cap as they would for a user (the sanitizers' allocator reports instead).
std::string plain_binary() {
#ifdef MAROVEL_PLAIN_BUILD_DIR
  const std::string binary = std::string(MAROVEL_PLAIN_BUILD_DIR) + "/marovel";
  if (access(binary.c_str(), X_OK) == 0) return binary;
#endif
  return "";
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

// Runs marovel on `net` under caps from the smallest that lets it succeed
// down to the smallest that lets it start at all (below which the system's
// loader and the libraries' own start-up fail, before marovel's code runs):
// each run fails with one line naming memory and the failed-run status, or
// succeeds; never a crash, never a touched or a stray file. Returns the
// phases in which memory ran out.
std::set<std::string> phases_out_of_memory(
    const std::string& binary, const std::string& net,
    const std::vector<std::string>& options) {
  ScratchDir dir;
  dir.write("net.xml", net);
  std::vector<std::string> args = options;
  args.insert(args.end(), {"-o", "out.xml", "net.xml"});
  const auto run_capped = [&](long kilobytes) {
    dir.write("out.xml", "old output");
    RunOptions run_options;
    run_options.address_space_limit = kilobytes << 10;
    return run_program(binary, args, dir.path(), run_options);
  };
  const long high = smallest_cap(binary, args, dir.path(), 1);
  const long start = smallest_cap(binary, {"-h"}, dir.path(), 1) + 512;
  std::set<std::string> phases;
  const long step = std::max(256L, high / 128);
  for (long kilobytes = high; kilobytes >= start; kilobytes -= step) {
    SCOPED_TRACE(std::to_string(kilobytes) + " kB");
    const ToolRun run = run_capped(kilobytes);
    EXPECT_FALSE(run.core_dumped);
    EXPECT_EQ(names_in(dir), (std::set<std::string>{"net.xml", "out.xml"}));
    if (run.status == 1) {
      EXPECT_NE(read_file(dir.file("out.xml")), "old output");
      continue;
    }
    EXPECT_EQ(run.status, 2) << run.err;
    EXPECT_EQ(read_file(dir.file("out.xml")), "old output");
    std::smatch found;
    const std::regex line("^marovel: out of memory( while (.*))?\n$");
    EXPECT_TRUE(std::regex_match(run.err, found, line)) << run.err;
    if (found.size() > 2) phases.insert(found[2]);
  }
  return phases;
}

TEST(ReliabilityTest, RunningOutOfMemoryInAnyPhaseFailsCleanly) {
  const std::string binary = plain_binary();
  if (binary.empty()) GTEST_SKIP() << "no build without sanitizers";
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
