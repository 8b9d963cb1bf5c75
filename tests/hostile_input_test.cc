// Inputs that users' other tools and hand edits produce at the extremes: the
// run must end with one of the tool's own messages, the usual exit status,
// and no output file other than a complete one.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "base/test_status.h"
#include "model/net_model.h"
#include "reader/net_reader.h"
#include "reduce/reducer.h"
#include "tool_runner.h"
#include "writer/net_writer.h"
#include "xml/xml_document.h"
#include "xml/xml_lookup.h"

namespace marovel::testing {
namespace {

// p1 -> t1 -> p2: rule A fuses p2 into p1.
std::string two_place_net(const std::string& p1_info,
                          const std::string& head = "") {
  return head + "<petrinet><placelist><place name=\"p1\"><info>" + p1_info +
         "</info></place><place name=\"p2\"><info>two</info></place>"
         "</placelist><transitionlist><transition name=\"t1\"><info>t"
         "</info></transition></transitionlist><edgelist>"
         "<edge from=\"p1\" to=\"t1\"/><edge from=\"t1\" to=\"p2\"/>"
         "</edgelist></petrinet>\n";
}

std::string repeat(const std::string& text, int times) {
  std::string result;
  result.reserve(text.size() * static_cast<size_t>(times));
  for (int i = 0; i < times; ++i) result += text;
  return result;
}

TEST(HostileInputTest, UndecodableFilesEndWithTheLoadMessage) {
  std::string bomb = "<!DOCTYPE petrinet [<!ENTITY l0 \"lol\">";
  for (int i = 1; i <= 9; ++i)
    bomb += "<!ENTITY l" + std::to_string(i) + " \"" +
            repeat("&l" + std::to_string(i - 1) + ";", 10) + "\">";
  bomb += "]>";
  const std::string net = two_place_net("one");
  const struct {
    const char* label;
    std::string content;
  } kCases[] = {
      {"empty", ""},
      {"truncated", net.substr(0, net.size() / 2)},
      {"binary", std::string("\x7f"
                             "ELF\x02\x01\x01\0\0\0\xff\xfe<",
                             13)},
      {"entity bomb", two_place_net("&l9;", bomb)},
      {"invalid UTF-8", two_place_net("caf\xc3(")},
      {"unknown encoding",
       two_place_net("x", "<?xml version=\"1.0\" encoding=\"x-none\"?>")},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    dir.write("net.xml", c.content);
    const ToolRun run = run_tool({"net.xml"}, dir.path());
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "Can't open input file\n");
    EXPECT_NE(run.err.find("XML parsing error"), std::string::npos) << run.err;
    EXPECT_EQ(dir.files().size(), 1u);
  }
}

TEST(HostileInputTest, ExternalEntitiesAndDocumentTypesAreNeverFetched) {
  ScratchDir dir;
  dir.write("secret.txt", "SECRET");
  dir.write("leak.dtd",
            "<!ENTITY leak \"SECRET\"><!ATTLIST place info CDATA \"SECRET\">");
  const std::string secret = "file://" + dir.file("secret.txt");
  const std::string dtd = "file://" + dir.file("leak.dtd");
  const std::string heads[] = {
      "<!DOCTYPE petrinet [<!ENTITY x SYSTEM \"" + secret + "\">]>",
      "<!DOCTYPE petrinet [<!ENTITY % p SYSTEM \"" + dtd + "\"> %p;]>",
      "<!DOCTYPE petrinet SYSTEM \"" + dtd + "\">",
      "<!DOCTYPE petrinet PUBLIC \"-//x//y//EN\" \"http://127.0.0.1:9/n.dtd\">",
  };
  for (const std::string& head : heads) {
    SCOPED_TRACE(head);
    // The entity stands where it would land in the output if it were read.
    dir.write(
        "net.xml",
        two_place_net(head.find("leak") != std::string::npos ? "&leak;" : "&x;",
                      head));
    // The reference reads as nothing and the run goes on.
    const ToolRun run = run_tool({"net.xml"}, dir.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "\n p_map size :1\n t_map size :0");
    EXPECT_EQ(run.err.find("SECRET"), std::string::npos);
    for (const auto& [name, content] : dir.files()) {
      if (name != "secret.txt" && name != "leak.dtd") {
        EXPECT_EQ(content.find("SECRET"), std::string::npos) << name;
      }
    }
    std::remove(dir.file("net_reduced.xml").c_str());
  }
}

// A million levels inside an info: loading, reducing, copying the info twice
// (the node's own copy and its aggregates) and freeing it all must neither
// recurse nor grow the output faster than the input.
TEST(HostileInputTest, MillionDeepInfoIsCopiedIntoTheOutput) {
  constexpr int kDepth = 1'000'000;
  ScratchDir dir;
  const std::string net =
      two_place_net(repeat("<d>", kDepth) + "x" + repeat("</d>", kDepth));
  dir.write("net.xml", net);
  const ToolRun run = run_tool({"net.xml"}, dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "\n p_map size :1\n t_map size :0");
  const std::string written = read_file(dir.file("net_reduced.xml"));
  EXPECT_LT(written.size(), 3 * net.size());

  XmlDocument output;
  ASSERT_TRUE(IsOk(load_xml_string(written, output)));
  const XmlNode* place = find_child_element(
      find_child_element(output.root(), "placelist"), "place");
  ASSERT_NE(place, nullptr);
  const XmlNode* aggregates = find_child_element(place, "aggregates");
  ASSERT_NE(aggregates, nullptr);
  for (const XmlNode* info : {find_child_element(place, "info"),
                              find_child_element(aggregates, "info")}) {
    ASSERT_NE(info, nullptr);
    int depth = 0;
    const XmlNode* node = info->first_child;
    for (; node != nullptr && node->is_element(); node = node->first_child)
      ++depth;
    EXPECT_EQ(depth, kDepth);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->content, "x");
  }
}

// Weights are counts, never one entry per unit: the largest weight on many
// arcs costs no memory, and fused weights past 2^31 are written in full.
TEST(HostileInputTest, ExtremeWeightsAddUpAndNegativeOnesAddNoArc) {
  constexpr int kSources = 2000;
  std::string places = "<p name=\"i\"><info/></p><p name=\"o\"><info/></p>";
  std::string edges =
      "<e from=\"i\" to=\"t\"/><e from=\"t\" to=\"o\"/>"
      "<e from=\"i\" to=\"x\" multiplicity=\"-2147483648\"/>"
      "<e from=\"x\" to=\"i\" multiplicity=\"2147483647\"/>"
      "<e from=\"x\" to=\"i\" multiplicity=\"2147483647\"/>"
      "<e from=\"x\" to=\"o\" multiplicity=\"2147483647\"/>";
  std::string expected_edges;
  for (int k = 0; k < kSources; ++k) {
    const std::string name = "s" + std::to_string(100000 + k);
    places += "<p name=\"" + name + "\"/>";
    edges += "<e from=\"" + name + "\" to=\"x\" multiplicity=\"2147483647\"/>";
    expected_edges +=
        "<edge from=\"" + name + "\" to=\"x\" multiplicity=\"2147483647\"/>";
  }
  ScratchDir dir;
  dir.write("net.xml", "<petrinet><placelist>" + places +
                           "</placelist><transitionlist><t name=\"t\"><info/>"
                           "</t><t name=\"x\"/></transitionlist><edgelist>" +
                           edges + "</edgelist></petrinet>");
  const ToolRun run = run_tool({"-l", "--rules=A", "net.xml"}, dir.path());
  EXPECT_EQ(run.out, "\n p_map size :2001\n t_map size :1");
  EXPECT_EQ(read_file(dir.file("net.log")), "A:i,t,o reduced\n");
  std::string written = read_file(dir.file("net_reduced.xml"));
  written.erase(std::remove(written.begin(), written.end(), '\n'),
                written.end());
  written = std::regex_replace(written, std::regex(">\\s+<"), "><");
  EXPECT_NE(
      written.find("<edgelist>" + expected_edges +
                   "<edge from=\"x\" to=\"i\" multiplicity=\"6442450941\"/>"
                   "</edgelist>"),
      std::string::npos)
      << written.substr(written.find("<edgelist>"), 300);
}

TEST(HostileInputTest, EmptyAndMegabyteNamesReduceAndLogInFull) {
  const std::string big(1 << 20, 'n');
  ScratchDir dir;
  dir.write("net.xml",
            "<petrinet><placelist><p name=\"\"><info>e</info></p><p name=\"" +
                big +
                "\"><info>b</info></p></placelist><transitionlist>"
                "<t name=\"t\"><info>t</info></t></transitionlist><edgelist>"
                "<e from=\"\" to=\"t\"/><e from=\"t\" to=\"" +
                big + "\"/></edgelist></petrinet>");
  const ToolRun run = run_tool({"-l", "net.xml"}, dir.path());
  EXPECT_EQ(run.out, "\n p_map size :1\n t_map size :0");
  EXPECT_EQ(read_file(dir.file("net.log")), "A:,t," + big + " reduced\n");
  const std::string written = read_file(dir.file("net_reduced.xml"));
  EXPECT_NE(written.find("<p name=\"\">\n      <info>e</info>\n"
                         "      <aggregates>\n        <info>e</info>\n"
                         "        <info>b</info>\n        <info>t</info>\n"),
            std::string::npos)
      << written;
}

TEST(HostileInputTest, DeclaredEncodingsGiveTheSameUtf8Output) {
  // Names and info in three encodings: UTF-16 either way round with its
  // byte-order mark, and ISO-8859-1, all of one net with non-ASCII names.
  const std::u16string text =
      u"<petrinet><placelist><p name=\"\u00e9\"><info>\u00e0</info></p>"
      u"<p name=\"\u00fc\"><info>\u00ff</info></p></placelist><transitionlist>"
      u"<t name=\"\u00df\"><info/></t></transitionlist><edgelist>"
      u"<e from=\"\u00e9\" to=\"\u00df\"/><e from=\"\u00df\" to=\"\u00fc\"/>"
      u"</edgelist></petrinet>";
  std::string le = "\xff\xfe", be = "\xfe\xff",
              latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>";
  for (const char16_t c : text) {
    le += {static_cast<char>(c & 0xff), static_cast<char>(c >> 8)};
    be += {static_cast<char>(c >> 8), static_cast<char>(c & 0xff)};
    latin1 += static_cast<char>(c);
  }
  for (const std::string& input : {le, be, latin1}) {
    ScratchDir dir;
    dir.write("net.xml", input);
    const ToolRun run = run_tool({"-l", "net.xml"}, dir.path());
    EXPECT_EQ(run.out, "\n p_map size :1\n t_map size :0");
    EXPECT_EQ(read_file(dir.file("net.log")),
              "A:\xc3\xa9,\xc3\x9f,\xc3\xbc reduced\n");
    EXPECT_NE(read_file(dir.file("net_reduced.xml"))
                  .find("<p name=\"\xc3\xa9\">\n      <info>\xc3\xa0</info>\n"
                        "      <aggregates>\n        <info/>\n"
                        "        <info>\xc3\xa0</info>\n"
                        "        <info>\xc3\xbf</info>\n"),
              std::string::npos);
  }
}

// The writer uses the document the reader loaded only while the file is as
// it was; a file changed or removed after the read is loaded again, its
// faults reported with the writer's own messages, and nothing is written.
TEST(HostileInputTest, InputChangedBetweenReadingAndWriting) {
  const std::string net = two_place_net("one");
  const struct {
    const char* label;
    const char* replacement;  // nullptr: the file is removed
    std::string out;
  } kCases[] = {
      {"removed", nullptr, "Can't open input file\n"},
      {"no longer XML", "<petrinet>", "Can't open input file\n"},
      {"lists gone", "<petrinet/>", "No placelist found\n"},
      {"transitions gone",
       "<petrinet><placelist><p name=\"p1\"/></placelist></petrinet>",
       "No transitionlist found\n"},
      {"survivor gone",
       "<petrinet><placelist><p name=\"p2\"/></placelist>"
       "<transitionlist><t name=\"t1\"/></transitionlist></petrinet>",
       "Inconsistent xml's 1\n"},
      {"member without info",
       "<petrinet><placelist><p name=\"p1\"><info/></p><p name=\"p2\"/>"
       "</placelist><transitionlist><t name=\"t1\"/></transitionlist>"
       "</petrinet>",
       "Inconsistent xml's 3\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    dir.write("net.xml", net);
    dir.write("out.xml", "old output");
    NetModel model;
    InputNet input;
    ASSERT_TRUE(read_net(dir.file("net.xml"), model, input).ok());
    run_reduction(model, {.max_steps = 100});
    if (c.replacement == nullptr) {
      std::remove(dir.file("net.xml").c_str());
    } else {
      dir.write("net.xml", c.replacement);
    }
    std::ostringstream out;
    const Status status = write_reduced_net(
        dir.file("net.xml"), dir.file("out.xml"), model, out, &input);
    EXPECT_EQ(out.str() + status.message(), c.out);
    EXPECT_EQ(read_file(dir.file("out.xml")), "old output");
    EXPECT_EQ(dir.files().size(), c.replacement == nullptr ? 1u : 2u);
  }
}

}  // namespace
}  // namespace marovel::testing
