#include "tools/tool_options.h"

#include <gtest/gtest.h>

#include "base/test_status.h"

namespace marovel {
namespace {

TEST(ToolOptionsTest, AcceptedForms) {
  struct Case {
    std::vector<std::string> args;
    std::string input;
    std::optional<std::string> output;
    std::optional<std::string> net;
  };
  const Case cases[] = {
      {{"in.pnml"}, "in.pnml", std::nullopt, std::nullopt},
      {{"-o", "out.xml", "in.pnml"}, "in.pnml", "out.xml", std::nullopt},
      {{"in.pnml", "-oout.xml"}, "in.pnml", "out.xml", std::nullopt},
      {{"--output=out.xml", "--net", "n2", "in.pnml"},
       "in.pnml",
       "out.xml",
       "n2"},
      {{"--output", "-dash.xml", "--net=n1", "in.pnml"},
       "in.pnml",
       "-dash.xml",
       "n1"},
      // After "--" everything is a file name, even "-h".
      {{"--", "-h"}, "-h", std::nullopt, std::nullopt},
      {{"-"}, "-", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    ToolOptions options;
    ASSERT_TRUE(IsOk(parse_tool_options(c.args, {.net = true}, options)))
        << c.args[0];
    EXPECT_FALSE(options.help);
    EXPECT_EQ(options.input, c.input);
    EXPECT_EQ(options.output, c.output);
    EXPECT_EQ(options.net, c.net);
  }
}

TEST(ToolOptionsTest, HelpAndVersionEndTheParse) {
  struct Case {
    std::vector<std::string> args;
    bool help;
    bool version;
  };
  const Case cases[] = {
      {{"-h"}, true, false},
      {{"in.pnml", "--help"}, true, false},
      {{"--help", "--bogus"}, true, false},
      {{"--version"}, false, true},
      {{"--version", "a", "b", "--bogus"}, false, true},
      {{"--help", "--version"}, true, false},
      {{"--version", "-h"}, false, true},
  };
  for (const Case& c : cases) {
    ToolOptions options;
    ASSERT_TRUE(IsOk(parse_tool_options(c.args, {}, options))) << c.args[0];
    EXPECT_EQ(options.help, c.help) << c.args[0];
    EXPECT_EQ(options.version, c.version) << c.args[0];
  }
  // After "--" it is a file name.
  ToolOptions options;
  ASSERT_TRUE(IsOk(parse_tool_options({"--", "--version"}, {}, options)));
  EXPECT_FALSE(options.version);
  EXPECT_EQ(options.input, "--version");
}

TEST(ToolOptionsTest, RejectedLines) {
  struct Case {
    std::vector<std::string> args;
    ToolOptionSet accepted;
    std::string error;
  };
  const Case cases[] = {
      {{}, {.net = true}, "no input file given"},
      {{"a.pnml", "b.pnml"},
       {.net = true},
       "more than one input file given ('a.pnml', 'b.pnml')"},
      {{"a.pnml", "-o"}, {.net = true}, "option '-o' needs a value"},
      {{"a.pnml", "--output="},
       {.net = true},
       "option '--output' needs a non-empty value"},
      {{"a.pnml", "-o", "x", "-o", "y"},
       {.net = true},
       "option '--output' is given more than once"},
      {{"a.pnml", "--verbose"}, {.net = true}, "unknown option '--verbose'"},
      {{"a.pnml", "--versions"}, {.net = true}, "unknown option '--versions'"},
      {{"a.pnml", "--version=1"},
       {.net = true},
       "unknown option '--version=1'"},
      {{"a.xml", "--net", "n"}, {}, "unknown option '--net'"},
      {{"a.xml", "--steps=3"}, {}, "unknown option '--steps=3'"},
      {{"a.xml", "--rules=ABG"},
       {.reduction = true},
       "option '--rules' takes letters A to F, not 'ABG'"},
      {{"a.xml", "--steps", "3x"},
       {.reduction = true},
       "option '--steps' takes a whole number, not '3x'"},
      {{"a.xml", "--steps=99999999999"},
       {.reduction = true},
       "option '--steps' takes a whole number, not '99999999999'"},
      {{"a.xml", "--steps=1", "--steps=2"},
       {.reduction = true},
       "option '--steps' is given more than once"},
      {{"a.xml", "--keep=a,,b"},
       {.reduction = true},
       "option '--keep' has an empty name in 'a,,b'"},
  };
  for (const Case& c : cases) {
    ToolOptions options;
    const Status status = parse_tool_options(c.args, c.accepted, options);
    EXPECT_EQ(status.code(), Status::Code::kInvalidInput);
    EXPECT_EQ(status.message(), c.error);
  }
}

TEST(ToolOptionsTest, ReductionOptions) {
  ToolOptions options;
  ASSERT_TRUE(IsOk(parse_tool_options(
      {"--rules=ab", "--steps", "-2", "--keep=p1,t 2", "in.xml"},
      {.reduction = true}, options)));
  EXPECT_EQ(options.rules, "ab");
  EXPECT_EQ(options.steps, -2);
  EXPECT_EQ(options.keep, (std::vector<std::string>{"p1", "t 2"}));
  EXPECT_EQ(options.input, "in.xml");
}

TEST(ToolOptionsTest, ReplaceExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"net.pnml", "net.xml"},    {"nets/a.b.pnml", "nets/a.b.xml"},
      {"net", "net.xml"},         {"dir.d/net", "dir.d/net.xml"},
      {".hidden", ".hidden.xml"}, {"/abs/n.PNML", "/abs/n.xml"},
      {"net.xml", "net.xml"},
  };
  for (const auto& [input, expected] : cases)
    EXPECT_EQ(replace_extension(input, "xml"), expected) << input;
}

}  // namespace
}  // namespace marovel
