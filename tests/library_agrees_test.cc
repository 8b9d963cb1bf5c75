// The library and the commands are one implementation: on the same input and
// options, a Net reads, reduces and writes what marovel writes (the date
// aside), reports the steps and the stop that `-v` prints, calls on_step with
// the lines of the log, and fails where marovel fails with its message; its
// PNML and its picture are what net2pnml and net2dot make of that output.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "bench/net_generator.h"
#include "marovel/marovel.h"
#include "tool_runner.h"

namespace marovel::testing {
namespace {

namespace fs = std::filesystem;

struct Input {
  std::string name;
  std::string content;
  std::string rules;  // as --rules takes them; empty for the default
};

// The examples, a net of every family, and one seed in three of each fuzz
// corpus (a run seed's first byte chooses the rules, bit i for rule A+i);
// bench/library_matches_record.sh compares every recorded run.
std::vector<Input> inputs() {
  std::vector<Input> result;
  const std::string source = MAROVEL_SOURCE_DIR;
  for (const auto& entry : fs::directory_iterator(source + "/examples"))
    if (entry.path().extension() == ".xml")
      result.push_back({entry.path().filename(), read_file(entry.path()), ""});
  for (const bench::Family family : bench::kFamilies) {
    std::ostringstream text;
    bench::write_net_xml(bench::generate_net(family, 600, 3), text);
    result.push_back({std::string(bench::family_name(family)), text.str(), ""});
  }
  for (const char* corpus : {"reader", "run"}) {
    std::vector<fs::path> seeds;
    for (const auto& entry :
         fs::directory_iterator(source + "/fuzz/corpus/" + corpus))
      seeds.push_back(entry.path());
    std::sort(seeds.begin(), seeds.end());
    for (size_t k = 0; k < seeds.size(); k += 3) {
      std::string content = read_file(seeds[k]);
      std::string rules;
      if (std::string(corpus) == "run") {
        if (content.empty()) continue;
        for (int bit = 0; bit < 6; ++bit)
          if (static_cast<unsigned char>(content[0]) >> bit & 1)
            rules += static_cast<char>('A' + bit);
        if (rules.empty()) rules = "x";
        // Bit 6: a byte of kept names follows, which the command has no
        // option for; the net is run without them.
        const bool keeps = static_cast<unsigned char>(content[0]) >> 6 & 1;
        if (keeps && content.size() < 2) continue;
        content.erase(0, keeps ? 2 : 1);
      }
      result.push_back(
          {std::string(corpus) + "/" + seeds[k].filename().string(), content,
           rules});
    }
  }
  return result;
}

// The counts and the stop that `-v` prints: "marovel: steps: N (A 3, B 0,
// ...), stopped: WHY".
struct Summary {
  std::map<char, int64_t> steps;
  std::string stopped;
};

Summary summary_of(const std::string& err) {
  Summary summary;
  std::smatch line;
  if (!std::regex_search(err, line,
                         std::regex("marovel: steps: \\d+ \\(([^)]*)\\), "
                                    "stopped: ([^\n]*)\n")))
    return summary;
  summary.stopped = line[2];
  const std::string counts = line[1];
  const std::regex count("([A-F]) (\\d+)");
  for (auto it = std::sregex_iterator(counts.begin(), counts.end(), count);
       it != std::sregex_iterator(); ++it)
    summary.steps[(*it)[1].str()[0]] = std::stoll((*it)[2]);
  return summary;
}

std::string log_line(const Step& step) {
  std::string line(1, step.rule);
  line += ':';
  for (size_t k = 0; k < step.names.size(); ++k)
    line += (k ? "," : "") + step.names[k];
  return line + " reduced\n";
}

TEST(LibraryAgreesTest, WritesReportsAndFailsAsMarovelDoes) {
  struct Choice {
    std::string rules;  // empty: the input's own
    int32_t steps;      // 0: the default
  };
  const Choice choices[] = {{"", 0}, {"AC", 0}, {"", 3}};
  for (const Input& input : inputs()) {
    for (const Choice& choice : choices) {
      const std::string rules =
          choice.rules.empty() ? input.rules : choice.rules;
      SCOPED_TRACE(input.name + " rules '" + rules + "' steps " +
                   std::to_string(choice.steps));
      ScratchDir dir;
      dir.write("net.xml", input.content);
      std::vector<std::string> args = {"-v", "-l", "-o", "tool.xml"};
      Options options;
      if (!rules.empty()) {
        args.push_back("--rules=" + rules);
        options.rules = rules;
      }
      if (choice.steps != 0) {
        args.push_back("--steps=" + std::to_string(choice.steps));
        options.max_steps = choice.steps;
      }
      args.push_back("net.xml");
      const ToolRun tool = run_tool(args, dir.path());

      std::string steps;
      options.on_step = [&](const Step& step) { steps += log_line(step); };
      try {
        Net net = Net::read(dir.file("net.xml"));
        const Report report = net.reduce(options);
        net.write(dir.file("library.xml"));
        ASSERT_EQ(tool.status, 1) << tool.out << tool.err;
        const std::string written = read_file(dir.file("tool.xml"));
        EXPECT_EQ(undated(read_file(dir.file("library.xml"))),
                  undated(written));
        EXPECT_EQ(undated(net.to_xml()), undated(written));
        EXPECT_EQ(steps, read_file(dir.file("net.log")));
        const Summary summary = summary_of(tool.err);
        EXPECT_EQ(report.stopped, summary.stopped);
        for (const auto& [letter, count] : report.steps)
          EXPECT_EQ(count, summary.steps.at(letter)) << letter;

        // The same bytes from memory, reduced alike, write the same.
        Net parsed = Net::parse(input.content);
        parsed.reduce(options);
        EXPECT_EQ(undated(parsed.to_xml()), undated(written));

        // The companions' views of that output.
        const ToolRun pnml =
            run_program(NET2PNML_BINARY, {"tool.xml"}, dir.path());
        ASSERT_EQ(pnml.status, 0) << pnml.err;
        EXPECT_EQ(net.to_pnml("tool"), read_file(dir.file("tool.pnml")));
        const ToolRun dot =
            run_program(NET2DOT_BINARY, {"tool.xml"}, dir.path());
        ASSERT_EQ(dot.status, 0) << dot.err;
        EXPECT_EQ(net.to_dot(), read_file(dir.file("tool.dot")));
      } catch (const Error& error) {
        EXPECT_NE(tool.status, 1) << error.what();
        EXPECT_TRUE(tool.out.ends_with(std::string(error.what()) + "\n"))
            << "marovel: " << tool.out << "\nlibrary: " << error.what();
        EXPECT_FALSE(fs::exists(dir.file("library.xml")));
      }
    }
  }
}

// pnml2net, then marovel on the net file it writes, then net2pnml on the
// output: Net::read_pnml, reduce and write_pnml.
TEST(LibraryAgreesTest, PnmlGoesAsThroughTheCommands) {
  ScratchDir dir;
  dir.write("shop.pnml", read_file(std::string(MAROVEL_SOURCE_DIR) +
                                   "/examples/print_shop.pnml"));
  ASSERT_EQ(
      run_program(PNML2NET_BINARY, {"shop.pnml", "-o", "shop.xml"}, dir.path())
          .status,
      0);
  ASSERT_EQ(run_tool({"-o", "reduced.xml", "shop.xml"}, dir.path()).status, 1);
  ASSERT_EQ(run_program(NET2PNML_BINARY, {"reduced.xml"}, dir.path()).status,
            0);

  Net net = Net::read_pnml(dir.file("shop.pnml"));
  net.reduce();
  net.write(dir.file("library.xml"));
  EXPECT_EQ(undated(read_file(dir.file("library.xml"))),
            undated(read_file(dir.file("reduced.xml"))));
  // Named after the file written, as net2pnml names the net after its
  // input: "reduced".
  fs::create_directory(dir.file("lib"));
  net.write_pnml(dir.file("lib/reduced.pnml"));
  EXPECT_EQ(read_file(dir.file("lib/reduced.pnml")),
            read_file(dir.file("reduced.pnml")));
}

}  // namespace
}  // namespace marovel::testing
