// End-to-end runs from the command line to the output file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "base/version.h"
#include "tool_runner.h"

namespace marovel::testing {
namespace {

const char kChain[] =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
    "<petrinet>\n"
    "  <placelist>\n"
    "    <place name=\"p1\"><info>first</info></place>\n"
    "    <place name=\"p2\"><info>second</info></place>\n"
    "    <place name=\"p3\"><info>caf\xe9</info></place>\n"
    "  </placelist>\n"
    "  <transitionlist>\n"
    "    <transition name=\"t1\"><info>one</info></transition>\n"
    "    <transition name=\"t2\"><info>two</info></transition>\n"
    "  </transitionlist>\n"
    "  <edgelist>\n"
    "    <edge from=\"p1\" to=\"t1\"/>\n"
    "    <edge from=\"t1\" to=\"p2\"/>\n"
    "    <edge from=\"p2\" to=\"t2\"/>\n"
    "    <edge from=\"t2\" to=\"p3\"/>\n"
    "  </edgelist>\n"
    "</petrinet>\n";

const char kChainReduced[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<petrinet>\n"
    "  <info>\n"
    "    <generatedate>DATE</generatedate>\n"
    "    <generatedby>" MAROVEL_VERSION_LINE
    "</generatedby>\n"
    "    <author>ZR</author>\n"
    "  </info>\n"
    "  <placelist>\n"
    "    <place name=\"p1\">\n"
    "      <info>first</info>\n"
    "      <aggregates>\n"
    "        <info>first</info>\n"
    "        <info>second</info>\n"
    "        <info>caf\xc3\xa9</info>\n"
    "        <info>one</info>\n"
    "        <info>two</info>\n"
    "      </aggregates>\n"
    "    </place>\n"
    "  </placelist>\n"
    "  <transitionlist/>\n"
    "  <edgelist/>\n"
    "</petrinet>\n";

TEST(FullRunTest, ChainCollapsesIntoItsFirstPlace) {
  ScratchDir dir;
  dir.write("chain.xml", kChain);
  const ToolRun run = run_tool({"-l", "chain.xml"}, dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "\n p_map size :1\n t_map size :0");
  EXPECT_EQ(run.err, "");
  const auto files = dir.files();
  ASSERT_TRUE(files.contains("chain_reduced.xml"));
  EXPECT_EQ(undated(files.at("chain_reduced.xml")), kChainReduced);
  EXPECT_EQ(files.at("chain.log"), "A:p1,t1,p2 reduced\nA:p1,t2,p3 reduced\n");
}

TEST(FullRunTest, RulesStepsAndOutputName) {
  ScratchDir dir;
  dir.write("chain.xml", kChain);
  // No rule enabled: the net is written unreduced.
  ToolRun run =
      run_tool({"--rules=xyz", "-o", "none.xml", "chain.xml"}, dir.path());
  EXPECT_EQ(run.out, "\n p_map size :3\n t_map size :2");
  // One step of rule B only: t1 absorbs p2 and t2.
  run = run_tool({"--rules=b", "--steps=1", "-l", "-o", "b.xml", "chain.xml"},
                 dir.path());
  EXPECT_EQ(run.out, "\n p_map size :2\n t_map size :1p2\nt1\nt2\n");
  EXPECT_EQ(read_file(dir.file("chain.log")), "B:t1,p2,t2 reduced\n");
  run = run_tool({"--steps=0", "-o", "zero.xml", "chain.xml"}, dir.path());
  EXPECT_EQ(run.out, "\n p_map size :3\n t_map size :2");
  EXPECT_EQ(read_file(dir.file("none.xml")).find("<aggregates>"),
            std::string::npos);
}

TEST(FullRunTest, ReducedFileReducesAgainKeepingOldAggregates) {
  ScratchDir dir;
  dir.write("chain.xml", kChain);
  run_tool({"--rules=A", "--steps=1", "chain.xml"}, dir.path());
  const ToolRun run = run_tool({"chain_reduced.xml"}, dir.path());
  EXPECT_EQ(run.status, 1);
  // The first run leaves p1 (with p2, t1) and t2 feeding p3; the second
  // merges p3 and t2 into p1, whose copy keeps its first aggregates.
  std::string expected = kChainReduced;
  expected.replace(expected.find("      <aggregates>\n"),
                   std::string("      <aggregates>\n").size(),
                   "      <aggregates>\n"
                   "        <info>first</info>\n"
                   "        <info>second</info>\n"
                   "        <info>one</info>\n"
                   "      </aggregates>\n"
                   "      <aggregates>\n");
  const std::string second = "        <info>second</info>\n";
  expected.erase(expected.rfind(second), second.size());
  const std::string one = "        <info>one</info>\n";
  expected.erase(expected.rfind(one), one.size());
  EXPECT_EQ(undated(read_file(dir.file("chain_reduced_reduced.xml"))),
            expected);
}

TEST(FullRunTest, NamesNeedingEscapesSurviveARoundTrip) {
  const std::string name = "a&amp;b<c>\"d\te'f";
  const std::string escaped = "a&amp;amp;b&lt;c&gt;&quot;d&#x9;e'f";
  ScratchDir dir;
  dir.write("net.xml",
            "<petrinet><placelist><p name=\"" + escaped +
                "\"/></placelist><transitionlist><t name=\"t\"/>"
                "</transitionlist><edgelist><e from=\"" +
                escaped +
                "\" to=\"t\" multiplicity=\"3\"/></edgelist></petrinet>");
  run_tool({"--rules=", "net.xml"}, dir.path());
  const ToolRun again = run_tool({"--rules=", "net_reduced.xml"}, dir.path());
  EXPECT_EQ(again.out, "\n p_map size :1\n t_map size :1");
  const std::string twice = read_file(dir.file("net_reduced_reduced.xml"));
  EXPECT_NE(twice.find("<p name=\"" + escaped + "\"/>"), std::string::npos)
      << twice;
  EXPECT_NE(twice.find("<edge from=\"" + escaped +
                       "\" to=\"t\" multiplicity=\"3\"/>"),
            std::string::npos)
      << twice;
}

TEST(FullRunTest, FailedSavesAreReportedAndKeepTheOldOutput) {
  ScratchDir dir;
  dir.write("chain.xml", kChain);
  dir.write("kept.xml", "old output");
  mkdir(dir.file("folder").c_str(), 0755);
  const struct {
    std::string output;
    std::string reason;
  } kCases[] = {
      {"missing/out.xml", "No such file or directory"},
      {"folder", "Is a directory"},
      {"/dev/full", "No space left on device"},
      {"kept.xml", "File too large"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.output);
    // A file size limit makes the save of kept.xml fail midway.
    const long limit = c.output == "kept.xml" ? 300 : 0;
    const ToolRun run =
        run_tool({"-o", c.output, "chain.xml"}, dir.path(), limit);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out,
              "\n p_map size :1\n t_map size :0Can't write output file\n");
    // One line that names the file and the system's reason.
    EXPECT_EQ(run.err,
              "marovel: cannot write '" + c.output + "': " + c.reason + "\n");
  }
  EXPECT_EQ(dir.files(),
            (std::map<std::string, std::string>{{"chain.xml", kChain},
                                                {"kept.xml", "old output"}}));
}

TEST(FullRunTest, WriterFailureLeavesNoFile) {
  ScratchDir dir;
  // p2 has no info: merged into p1 it stops the writer.
  std::string net = kChain;
  net.replace(net.find("<info>second</info>"), 19, "");
  dir.write("chain.xml", net);
  dir.write("chain_reduced.xml", "old output");
  const ToolRun run = run_tool({"chain.xml"}, dir.path());
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "\n p_map size :1\n t_map size :0Inconsistent xml's 3\n");
  EXPECT_EQ(read_file(dir.file("chain_reduced.xml")), "old output");
  EXPECT_EQ(dir.files().size(), 2u);
}

// A failed run lets go of a reader waiting on a FIFO output, which then
// sees the end of the file and no byte; with no reader, it does not wait.
TEST(FullRunTest, FailedRunsReleaseAReaderWaitingOnAFifo) {
  ScratchDir dir;
  dir.write("chain.xml", kChain);
  dir.write("chain.log", kChain);
  dir.write("wrong.xml", "<wrong/>");
  std::string no_info = kChain;
  no_info.replace(no_info.find("<info>second</info>"), 19, "");
  dir.write("no_info.xml", no_info);
  ASSERT_EQ(mkfifo(dir.file("out.fifo").c_str(), 0644), 0);
  const struct {
    std::vector<std::string> args;
    int status;
  } kCases[] = {
      {{"-o", "out.fifo", "wrong.xml"}, 2},          // the reader fails
      {{"-o", "out.fifo", "no_info.xml"}, 2},        // the writer's check fails
      {{"-l", "-o", "out.fifo", "chain.log"}, 255},  // the log is the input
  };
  for (const auto& c : kCases) {
    const std::string what = ::testing::PrintToString(c.args);
    // Opened without waiting, the read end stands for a reader in a
    // pipeline; it is told of a writer that came and went by POLLHUP.
    const int reader =
        open(dir.file("out.fifo").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    EXPECT_EQ(run_tool(c.args, dir.path()).status, c.status) << what;
    pollfd poll_reader{reader, POLLIN, 0};
    EXPECT_EQ(poll(&poll_reader, 1, 0), 1) << what;
    EXPECT_TRUE(poll_reader.revents & POLLHUP) << what;
    char byte;
    EXPECT_EQ(read(reader, &byte, 1), 0) << what;
    close(reader);
    // No reader: the run ends all the same.
    EXPECT_EQ(run_tool(c.args, dir.path()).status, c.status) << what;
  }
}

}  // namespace
}  // namespace marovel::testing
