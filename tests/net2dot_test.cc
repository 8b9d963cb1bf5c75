// End-to-end runs of net2dot, with Graphviz rendering what it writes.
#include <gtest/gtest.h>

#include <string>

#include "tool_runner.h"

namespace marovel::testing {
namespace {

// Names and texts that DOT would misread unescaped.
const char kAwkwardNames[] =
    "<petrinet>\n"
    "  <placelist>\n"
    "    <place name='a\"b\\'><info>quote \" and backslash \\</info></place>\n"
    "    <place name='&lt;c&gt; &amp; "
    "d&#10;e'><info>caf\xc3\xa9</info></place>\n"
    "  </placelist>\n"
    "  <transitionlist>\n"
    "    <transition name='t\\N'><info>{x}; [y]</info></transition>\n"
    "  </transitionlist>\n"
    "  <edgelist>\n"
    "    <edge from='a\"b\\' to='t\\N' multiplicity='3'/>\n"
    "    <edge from='t\\N' to='&lt;c&gt; &amp; d&#10;e'/>\n"
    "  </edgelist>\n"
    "</petrinet>\n";

// Runs net2dot on `input` in `dir`, then dot on its output; returns the SVG.
std::string render(const ScratchDir& dir, const std::string& input,
                   const std::string& dot_name) {
  ToolRun run = run_program(NET2DOT_BINARY, {input}, dir.path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("Wrote " + dot_name + ": ", 0), 0u) << run.out;
  run = run_program("dot", {"-Tsvg", dot_name}, dir.path());
  EXPECT_EQ(run.status, 0) << input << ": " << run.err;
  EXPECT_EQ(run.err, "") << input;
  return run.out;
}

TEST(Net2DotTest, GraphvizRendersInputAndReducedNets) {
  ScratchDir dir;
  dir.write("print_shop.pnml", read_file(std::string(MAROVEL_SOURCE_DIR) +
                                         "/examples/print_shop.pnml"));
  ASSERT_EQ(
      run_program(PNML2NET_BINARY, {"print_shop.pnml"}, dir.path()).status, 0);
  ASSERT_EQ(run_tool({"print_shop.xml"}, dir.path()).status, 1);

  const std::string before = render(dir, "print_shop.xml", "print_shop.dot");
  EXPECT_NE(before.find(">print_fast</text>"), std::string::npos);
  const std::string after =
      render(dir, "print_shop_reduced.xml", "print_shop_reduced.dot");
  EXPECT_EQ(after.find(">print_fast</text>"), std::string::npos);
  // The merged node shows its count, and its tooltip what it absorbed.
  EXPECT_NE(after.find(">queue</text>"), std::string::npos);
  EXPECT_NE(after.find(">(6)</text>"), std::string::npos);
  EXPECT_NE(after.find("print_fast (laser printer)"), std::string::npos);

  dir.write("awkward.xml", kAwkwardNames);
  const std::string awkward = render(dir, "awkward.xml", "awkward.dot");
  EXPECT_NE(awkward.find(">a&quot;b\\</text>"), std::string::npos);
  EXPECT_NE(awkward.find(">t\\N</text>"), std::string::npos);
  EXPECT_NE(awkward.find(">&lt;c&gt; &amp; d</text>"), std::string::npos);
  EXPECT_NE(awkward.find("quote &quot; and backslash \\"), std::string::npos);
}

// A name past what Graphviz takes in a label, a long info and a weight past
// 32 bits: the picture still renders, with the name cut in its label and
// whole in its tooltip.
TEST(Net2DotTest, LongNamesAndLargeWeightsRender) {
  std::string name;
  for (int i = 0; i < 20000; ++i) name += "\xC3\xA9";  // 40,000 bytes
  const std::string info(30000, 'i');
  ScratchDir dir;
  dir.write("long.xml",
            "<petrinet><placelist><place name='" + name + "'><info>" + info +
                "</info></place></placelist><transitionlist><transition "
                "name='t'/></transitionlist><edgelist><edge from='t' to='" +
                name + "' multiplicity='4294967294'/></edgelist></petrinet>");
  const std::string svg = render(dir, "long.xml", "long.dot");
  EXPECT_NE(svg.find(">" + name.substr(0, 15996) + "\xE2\x80\xA6</text>"),
            std::string::npos);
  EXPECT_NE(svg.find(name + ": " + info), std::string::npos);
  EXPECT_NE(svg.find(">4294967294</text>"), std::string::npos);
}

TEST(Net2DotTest, RefusalsAndCommandLine) {
  ScratchDir dir;
  dir.write("net.pnml", "<pnml/>");
  ToolRun run = run_program(NET2DOT_BINARY, {"net.pnml"}, dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "net2dot: net.pnml: not a marovel net file: the root element is "
            "'pnml', not 'petrinet'\n");
  dir.write("net.dot", "digraph {}");
  run = run_program(NET2DOT_BINARY, {"net.dot"}, dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "net2dot: the output 'net.dot' would overwrite the input; name "
            "another one with -o\n");
  EXPECT_EQ(read_file(dir.file("net.dot")), "digraph {}");
  EXPECT_EQ(dir.files().size(), 2u);

  run = run_program(NET2DOT_BINARY, {"a.xml", "--net", "x"}, dir.path());
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind("net2dot: unknown option '--net'\nUsage: net2dot", 0),
            0u)
      << run.err;
}

}  // namespace
}  // namespace marovel::testing
