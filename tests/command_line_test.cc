// End-to-end runs of the executable: what the command line and the input
// check decide, before and around the phases.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "base/version.h"
#include "tool_runner.h"

namespace marovel::testing {
namespace {

constexpr int kRefused = 255;  // the process's -1
constexpr int kFailed = 2;     // past the input check, no reduced net

const char kLogo[] =
    "This program tries to reduce Petri net according to given "
    "transformations.";

const char kNet[] =
    "<petrinet><placelist><p name=\"p1\"/><p name=\"p2\"/></placelist>"
    "<transitionlist><t name=\"t1\"/></transitionlist><edgelist>"
    "<e from=\"p1\" to=\"t1\"/><e from=\"t1\" to=\"p2\"/></edgelist>"
    "</petrinet>";

TEST(CommandLineTest, RejectedCommandLines) {
  const struct {
    std::vector<std::string> args;
    std::string error;  // the parser's own text on standard error
  } kCases[] = {
      {{}, "The required parameter 'input file' was not specified."},
      {{"a.xml", "b.xml"}, "Unexpected parameter 'b.xml'"},
      {{"--bogus", "a.xml"}, "Unknown long option 'bogus'"},
      {{"--steps=abc", "a.xml"},
       "'abc' is not a correct numeric value for option 'steps'."},
      {{"--steps=abc", "-h"},
       "'abc' is not a correct numeric value for option 'steps'."},
      {{"--steps=2147483648", "a.xml"},
       "'2147483648' is not a correct numeric value for option 'steps'."},
      {{"--steps", "+02147483648", "-h"},
       "'+02147483648' is not a correct numeric value for option 'steps'."},
      {{"--steps=-2147483649", "--bogus"},
       "'-2147483649' is not a correct numeric value for option 'steps'."},
      {{"--steps=1", "--steps=9999999999", "a.xml"},
       "'9999999999' is not a correct numeric value for option 'steps'."},
      {{"-o"}, "Option 'o' requires a value."},
  };
  for (const auto& c : kCases) {
    ScratchDir dir;
    const ToolRun run = run_tool(c.args, dir.path());
    const std::string what = ::testing::PrintToString(c.args);
    EXPECT_EQ(run.status, kRefused) << what;
    EXPECT_EQ(run.out, "Parsing error\n") << what;
    EXPECT_NE(run.err.find(kLogo), std::string::npos) << what << run.err;
    EXPECT_NE(run.err.find(c.error), std::string::npos) << what << run.err;
    EXPECT_TRUE(dir.files().empty()) << what;
  }
}

TEST(CommandLineTest, HelpPrintsUsageOnlyWhateverFollows) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"-h"},
        {"--help", "x", "y", "--bogus"},
        {"-h", "--steps=abc"},
        {"--steps=5", "-h", "-l", "net.xml"}}) {
    ScratchDir dir;
    dir.write("net.xml", kNet);
    const ToolRun run = run_tool(args, dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(kLogo), std::string::npos);
    EXPECT_NE(run.err.find("--steps=<num>"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("allowed reducing rules ([ABCDEF], default all)"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(dir.files().size(), 1u);
  }
}

// The letters of --rules count in either case; anything else, a letter
// beyond ASCII included, names no rule.
TEST(CommandLineTest, RulesAreChosenByTheirLetters) {
  const struct {
    const char* rules;
    const char* log;
  } kCases[] = {
      {"--rules=xaZ", "A:p1,t1,p2 reduced\n"},
      {"--rules=BCDEF", ""},
      {"--rules=\xc3\x81\xe1", ""},  // A acute in UTF-8 and in Latin-1
  };
  for (const auto& c : kCases) {
    ScratchDir dir;
    dir.write("net.xml", kNet);
    run_tool({"-l", c.rules, "net.xml"}, dir.path());
    EXPECT_EQ(read_file(dir.file("net.log")), c.log) << c.rules;
  }
}

TEST(CommandLineTest, InputThatIsNoReadableRegularFile) {
  ScratchDir dir;
  mkdir(dir.file("folder").c_str(), 0755);
  mkfifo(dir.file("pipe").c_str(), 0644);
  for (const char* input : {"missing.xml", "folder", "pipe", ""}) {
    const ToolRun run = run_tool({"-l", input}, dir.path());
    EXPECT_EQ(run.status, kRefused) << input;
    EXPECT_EQ(run.out, "Can't open input file\n") << input;
  }
  EXPECT_TRUE(dir.files().empty());
}

TEST(CommandLineTest, LogIsCreatedBeforeTheReaderFails) {
  ScratchDir dir;
  mkdir(dir.file("nets").c_str(), 0755);
  dir.write("nets/a.b.xml", "<wrong/>");
  const ToolRun run = run_tool({"-l", "nets/a.b.xml"}, dir.path());
  EXPECT_EQ(run.status, kFailed);
  EXPECT_EQ(run.out, "Wrong input file\n");
  EXPECT_EQ(dir.files(),
            (std::map<std::string, std::string>{{"nets/a.b.xml", "<wrong/>"},
                                                {"nets/a.b.log", ""}}));
}

TEST(CommandLineTest, ExtensionlessInputGetsLogBesideIt) {
  ScratchDir dir;
  dir.write("net", "not xml");
  const ToolRun run = run_tool({"--log", "net"}, dir.path());
  EXPECT_EQ(run.status, kFailed);
  EXPECT_EQ(run.out, "Can't open input file\n");
  EXPECT_NE(run.err.find("XML parsing error: 'syntax error' at line 1"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(dir.files().contains("net.log"));
}

TEST(CommandLineTest, LogThatWouldOverwriteTheInputIsRefused) {
  ScratchDir dir;
  dir.write("net.log", kNet);
  dir.write("net.xml", kNet);
  // The derived log of net.xml reaches the input through another path.
  mkdir(dir.file("sub").c_str(), 0755);
  link(dir.file("net.xml").c_str(), dir.file("sub/net.log").c_str());
  symlink("../net.xml", dir.file("sub/net.xml").c_str());
  for (const char* input : {"net.log", "sub/net.xml"}) {
    const ToolRun run = run_tool({"-l", input}, dir.path());
    EXPECT_EQ(run.status, kRefused) << input;
    EXPECT_EQ(run.out, "Log file would overwrite input file\n") << input;
  }
  EXPECT_EQ(read_file(dir.file("net.log")), kNet);
  EXPECT_EQ(read_file(dir.file("net.xml")), kNet);
}

// An output that would replace the input or the log is refused before
// anything is created, in that order after the log's own check.
TEST(CommandLineTest, OutputThatWouldOverwriteTheInputOrTheLogIsRefused) {
  const struct {
    std::vector<std::string> args;
    std::string message;
  } kCases[] = {
      {{"-o", "net.xml", "net.xml"}, "Output file would overwrite input file"},
      {{"-o", "./sub/../net.xml", "net.xml"},
       "Output file would overwrite input file"},
      {{"-o", "hard.xml", "net.xml"}, "Output file would overwrite input file"},
      {{"-o", "link.xml", "net.xml"}, "Output file would overwrite input file"},
      {{"-l", "-o", "net.xml", "net.xml"},
       "Output file would overwrite input file"},
      {{"-l", "net.log"}, "Log file would overwrite input file"},
      {{"-l", "-o", "net.log", "net.log"},
       "Output file would overwrite input file"},
      {{"-l", "-o", "net.log", "net.xml"},
       "Output file would overwrite log file"},
      {{"-l", "-o", "sub/../net.log", "net.xml"},
       "Output file would overwrite log file"},
      {{"-l", "-o", "dangling.xml", "net.xml"},
       "Output file would overwrite log file"},
  };
  for (const auto& c : kCases) {
    const std::string what = ::testing::PrintToString(c.args);
    ScratchDir dir;
    dir.write("net.xml", kNet);
    mkdir(dir.file("sub").c_str(), 0755);
    link(dir.file("net.xml").c_str(), dir.file("hard.xml").c_str());
    symlink("net.xml", dir.file("link.xml").c_str());
    // Names the log, which does not exist yet.
    symlink("net.log", dir.file("dangling.xml").c_str());
    if (c.args.back() == "net.log") dir.write("net.log", kNet);
    const auto before = dir.files();
    const ToolRun run = run_tool(c.args, dir.path());
    EXPECT_EQ(run.status, kRefused) << what;
    EXPECT_EQ(run.out, c.message + "\n") << what;
    EXPECT_EQ(dir.files(), before) << what;
  }
}

TEST(CommandLineTest, VersionAlonePrintsTheVersion) {
  ScratchDir dir;
  ToolRun run = run_tool({"--version"}, dir.path());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, std::string(kProgramVersion) + "\n");
  EXPECT_EQ(run.err, "");
  // Among other arguments it is an option the parser does not know.
  run = run_tool({"--version", "net.xml"}, dir.path());
  EXPECT_EQ(run.status, kRefused);
  EXPECT_NE(run.err.find("Unknown long option 'version'"), std::string::npos);
}

TEST(CommandLineTest, UnopenableLogTurnsLoggingOffSilently) {
  ScratchDir dir;
  dir.write("net.xml", kNet);
  mkdir(dir.file("net.log").c_str(), 0755);
  const ToolRun run = run_tool({"-l", "--rules=", "net.xml"}, dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out.find("Wrong"), std::string::npos) << run.out;
  EXPECT_TRUE(dir.files().contains("net_reduced.xml"));
}

TEST(CommandLineTest, EmptyOutputNameIsReportedAndTheRunGoesOn) {
  ScratchDir dir;
  dir.write("net.xml", kNet);
  const ToolRun run = run_tool({"-o", "", "net.xml"}, dir.path());
  EXPECT_EQ(run.status, kFailed);
  EXPECT_EQ(run.out.rfind("Wrong output file name\n", 0), 0u) << run.out;
}

TEST(CommandLineTest, NonAsciiFileNamesWorkInTheCLocale) {
  ScratchDir dir;
  // One name in UTF-8, one in ISO-8859-1 (not valid UTF-8).
  for (const std::string name : {"r\xc3\xa9seau.xml", "r\xe9seau.xml"}) {
    dir.write(name, "<wrong/>");
    const ToolRun run = run_tool({"-l", name}, dir.path());
    EXPECT_EQ(run.status, kFailed);
    EXPECT_EQ(run.out, "Wrong input file\n");
    const std::string log = name.substr(0, name.size() - 3) + "log";
    EXPECT_TRUE(dir.files().contains(log)) << log;
  }
}

}  // namespace
}  // namespace marovel::testing
