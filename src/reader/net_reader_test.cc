#include "reader/net_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "base/test_status.h"
#include "netfile/net_file.h"
#include "reader/net_reader_for_testing.h"
#include "xml/xml_writer.h"

namespace marovel {
namespace {

struct ReadResult {
  bool ok;
  std::string out;
  NetModel model;
};

ReadResult read(const std::string& text, TwoCores cores = {}) {
  XmlDocument doc;
  EXPECT_TRUE(IsOk(load_xml_string(text, doc)));
  ReadResult result;
  const Status status = read_net_document(doc, result.model, nullptr, cores);
  result.ok = status.ok();
  result.out = status.message();
  return result;
}

// A net with the given list bodies; p, q are places and t, u transitions.
std::string net(
    const std::string& edges,
    const std::string& places = R"(<p name="p"/><p name="q"/>)",
    const std::string& transitions = R"(<t name="t"/><t name="u"/>)") {
  return "<petrinet><placelist>" + places + "</placelist><transitionlist>" +
         transitions + "</transitionlist><edgelist>" + edges +
         "</edgelist></petrinet>";
}

std::string dump(const NetModel& model, const NodeMap& map) {
  std::string s;
  for (const auto& [name, node] : map) {
    s.append(model.name(name)) += "[";
    std::vector<NamedNeighbour> in, out;
    const NodeMap& others = &map == &model.p_map ? model.t_map : model.p_map;
    named_entries(node.in, others, in);
    named_entries(node.out, others, out);
    for (const auto& [n, k] : in)
      s.append(model.name(n)) += "*" + std::to_string(k) + " ";
    s += "|";
    for (const auto& [n, k] : out)
      (s += " ").append(model.name(n)) += "*" + std::to_string(k);
    s += "]";
  }
  return s;
}

TEST(NetReaderTest, ReadsTheNetIntoBothMapsAndTheAggregates) {
  const ReadResult r = read(
      "<petrinet><placelist>\n  <place name=\"p1\"/><place name=\"p2\"/>"
      "<place name=\"lonely\"/></placelist><transitionlist><transition "
      "name=\"t1\"/></transitionlist><edgelist>"
      "<edge from=\"p1\" to=\"t1\" multiplicity=\"2\"/>"
      "<edge to=\"p2\" from=\"t1\"/></edgelist></petrinet>");
  ASSERT_TRUE(r.ok) << r.out;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(dump(r.model, r.model.p_map), "p1[| t1*2]p2[t1*1 |]");
  EXPECT_EQ(dump(r.model, r.model.t_map), "t1[p1*2 | p2*1]");
  ASSERT_EQ(r.model.aggregates.size(), 4u);
  for (NameId name = 0; name < 4; ++name)
    EXPECT_EQ(r.model.aggregates.members(name), std::vector<NameId>{name});
}

// Each row fails on one check; the message shows the order of the checks.
TEST(NetReaderTest, ReportsTheFirstFaultOnly) {
  const struct {
    std::string doc;
    std::string message;
  } kCases[] = {
      {"<Petrinet/>", "Wrong input file\n"},
      {"<x:petrinet xmlns:x=\"urn:x\"/>", "Wrong input file\n"},
      {"<petrinet><transitionlist/></petrinet>", "No placelist found\n"},
      {"<petrinet><other><placelist><p name=\"p\"/></placelist></other>"
       "</petrinet>",
       "No placelist found\n"},
      {"<petrinet><placelist>\n  \n</placelist></petrinet>",
       "No places found\n"},
      {"<petrinet><placelist><!-- note --></placelist></petrinet>",
       "Can't find the place name\n"},
      {"<petrinet><placelist>stray<p name=\"p\"/></placelist></petrinet>",
       "Can't find the place name\n"},
      {"<petrinet><placelist><p nom=\"p\"/></placelist></petrinet>",
       "Can't find the place name\n"},
      {"<petrinet><placelist><p name=\"p\"/></placelist></petrinet>",
       "No transitionlist found\n"},
      {"<petrinet><placelist><p name=\"p\"/></placelist><transitionlist>"
       "</transitionlist></petrinet>",
       "No transitions found\n"},
      {"<petrinet><placelist><p name=\"p\"/></placelist><transitionlist>"
       "<![CDATA[ ]]></transitionlist></petrinet>",
       "Can't find the transition name\n"},
      {"<petrinet><placelist><p name=\"p\"/></placelist><transitionlist>"
       "<t name=\"t\"/></transitionlist></petrinet>",
       "No edgelist found\n"},
      {net(""), "No edges found\n"},
      {net("<e to=\"t\"/>"), "Can't find the from edge\n"},
      {net("<e/>"), "Can't find the from edge\n"},
      {net("<e from=\"p\"/>"), "Can't find the to edge\n"},
      {net("<e from=\"p\" to=\"q\"/>"), "Wrong edge \n"},
      {net("<e from=\"t\" to=\"u\"/>"), "Wrong edge \n"},
      {net("<e from=\"x\" to=\"t\"/>"), "Wrong edge \n"},
      {net("<e from=\"t\" to=\"x\"/>"), "Wrong edge \n"},
      {net("<e from=\"p\" to=\"t\"/><e from=\"P\" to=\"t\"/>"),
       "Wrong edge \n"},
  };
  for (const auto& c : kCases) {
    const ReadResult r = read(c.doc);
    EXPECT_FALSE(r.ok) << c.doc;
    EXPECT_EQ(r.out, c.message) << c.doc;
  }
}

TEST(NetReaderTest, FindsListsInAnyOrderAndTakesTheFirstOfEach) {
  const ReadResult r = read(
      "<petrinet a=\"1\"><edgelist><e from=\"p\" to=\"t\"/></edgelist>"
      "<junk/><transitionlist><t name=\"t\"/></transitionlist>"
      "<placelist><p name=\"p\"/></placelist>"
      "<placelist><p name=\"second\"/></placelist></petrinet>");
  ASSERT_TRUE(r.ok) << r.out;
  EXPECT_EQ(dump(r.model, r.model.p_map), "p[| t*1]");
  EXPECT_EQ(r.model.names.find("second"), std::nullopt);

  const ReadResult second = read(
      "<petrinet><placelist><p name=\"p\"/></placelist><placelist><p "
      "name=\"q\"/></placelist><transitionlist><t name=\"t\"/>"
      "</transitionlist><edgelist><e from=\"q\" to=\"t\"/></edgelist>"
      "</petrinet>");
  EXPECT_EQ(second.out, "Wrong edge \n");
}

TEST(NetReaderTest, ArcsOfOneDirectionAddUpAndZeroOrNegativeEnterNothing) {
  const ReadResult r =
      read(net("<e from=\"p\" to=\"t\" multiplicity=\"2\"/>"
               "<e from=\"p\" to=\"t\" multiplicity=\"3\"/>"
               "<e from=\"t\" to=\"p\"/>"
               "<e from=\"q\" to=\"u\" multiplicity=\"0\"/>"
               "<e from=\"u\" to=\"q\" multiplicity=\"-4\"/>"
               "<e from=\"p\" to=\"u\" multiplicity=\"2147483647\"/>"
               "<e from=\"p\" to=\"u\" multiplicity=\"2147483647\"/>"));
  ASSERT_TRUE(r.ok) << r.out;
  EXPECT_EQ(dump(r.model, r.model.p_map), "p[t*1 | t*5 u*4294967294]");
  EXPECT_EQ(dump(r.model, r.model.t_map), "t[p*5 | p*1]u[p*4294967294 |]");
}

TEST(NetReaderTest, NamesDeclaredTwiceOrAsBothKinds) {
  // x is a place and a transition: as `from` it is the place, as `to` it is
  // whatever kind the source is not.
  const ReadResult r =
      read(net("<e from=\"x\" to=\"t\"/><e from=\"t\" to=\"x\"/>"
               "<e from=\"x\" to=\"x\"/><e from=\"p\" to=\"x\"/>",
               R"(<p name="p"/><p name="x"/><p name="p"/>)",
               R"(<t name="t"/><t name="x"/>)"));
  ASSERT_TRUE(r.ok) << r.out;
  EXPECT_EQ(dump(r.model, r.model.p_map), "p[| x*1]x[t*1 | t*1 x*1]");
  EXPECT_EQ(dump(r.model, r.model.t_map), "t[x*1 | x*1]x[p*1 x*1 |]");
  EXPECT_EQ(r.model.aggregates.members(r.model.id("x")),
            std::vector<NameId>{r.model.id("x")});
  EXPECT_EQ(r.model.aggregates.size(), 3u);

  const ReadResult wrong =
      read(net("<e from=\"x\" to=\"q\"/>", R"(<p name="q"/><p name="x"/>)",
               R"(<t name="x"/>)"));
  EXPECT_EQ(wrong.out, "Wrong edge \n");
}

TEST(NetReaderTest, IndexesTheFirstElementOfEachNameInEachList) {
  XmlDocument doc;
  ASSERT_TRUE(IsOk(load_xml_string(
      net("<e from=\"x\" to=\"t\"/>",
          R"(<p name="x" n="1"/><p name="q"/><p name="x" n="2"/>)",
          R"(<t name="t"/><t name="x" n="3"/>)"),
      doc)));
  NetModel model;
  InputNet input;
  const Status status = read_net_document(doc, model, &input);
  ASSERT_TRUE(status.ok()) << status.message();
  // The member's element as the writer would copy it, or "-".
  const auto element = [&](const ScannedList& list, uint32_t member) {
    if (member == kNoMember) return std::string("-");
    std::ostringstream text;
    XmlWriter xml(text);
    input.store.copy(list.elements[member], xml);
    xml.finish();
    return text.str().substr(text.str().find('<', 1));
  };
  std::string places, transitions;
  for (NameId id = 0; id < model.names.size(); ++id) {
    places += element(input.places, input.index.places[id]);
    transitions += element(input.transitions, input.index.transitions[id]);
  }
  // Names in order: q, t, x.
  EXPECT_EQ(places, "<p name=\"q\"/>\n-<p name=\"x\" n=\"1\"/>\n");
  EXPECT_EQ(transitions, "-<t name=\"t\"/>\n<t name=\"x\" n=\"3\"/>\n");
}

// Long edge lists are read in batches, on a second core while the parse
// goes on, and kept back until the names are known when the edge list
// comes first: a fault in any batch must still be the one reported, with
// exactly the arcs before it entered, on two cores or one.
TEST(NetReaderTest, LongEdgeListsStopAtTheFirstFault) {
  constexpr int kEdges = 20000;
  const std::string places = R"(<p name="p"/><p name="q"/>)";
  const std::string transitions = R"(<t name="t"/><t name="u"/>)";
  for (const bool edges_first : {false, true}) {
    for (const TwoCores cores : {TwoCores::always(), TwoCores::never()}) {
      for (const int fault_at : {-1, 100, 8191, 8192, 16385, kEdges - 1}) {
        for (const char* fault :
             {"<e from=\"t\" to=\"u\"/>", "<!--no ends-->"}) {
          SCOPED_TRACE(std::to_string(fault_at) + fault +
                       (edges_first ? ", edges first" : ""));
          std::string edges;
          for (int k = 0; k < kEdges; ++k) {
            if (k == fault_at) {
              edges += fault;
            } else if (k % 2 == 0) {
              edges += "<e from=\"p\" to=\"t\"/>";
            } else {
              edges += "<e from=\"u\" to=\"q\" multiplicity=\"2\"/>";
            }
          }
          const std::string text =
              edges_first
                  ? "<petrinet><edgelist>" + edges + "</edgelist><placelist>" +
                        places + "</placelist><transitionlist>" + transitions +
                        "</transitionlist></petrinet>"
                  : net(edges, places, transitions);
          const ReadResult r = read(text, cores);
          const int entered = fault_at < 0 ? kEdges : fault_at;
          const int to_t = (entered + 1) / 2, to_q = 2 * (entered / 2);
          EXPECT_EQ(r.ok, fault_at < 0);
          EXPECT_EQ(r.out, fault_at < 0      ? ""
                           : fault[1] == '!' ? "Can't find the from edge\n"
                                             : "Wrong edge \n");
          EXPECT_EQ(dump(r.model, r.model.p_map),
                    "p[| t*" + std::to_string(to_t) + "]q[u*" +
                        std::to_string(to_q) + " |]");
          EXPECT_EQ(dump(r.model, r.model.t_map),
                    "t[p*" + std::to_string(to_t) + " |]u[| q*" +
                        std::to_string(to_q) + "]");
        }
      }
    }
  }
}

TEST(NetReaderTest, EmptyNamesAndAnyMemberElementName) {
  const ReadResult r = read(net("<anything from=\"\" to=\"t\"/>",
                                R"(<x name=""/>)", R"(<y name="t"/>)"));
  ASSERT_TRUE(r.ok) << r.out;
  EXPECT_EQ(dump(r.model, r.model.p_map), "[| t*1]");
}

TEST(NetReaderTest, MultiplicityConversion) {
  const struct {
    const char* text;
    std::optional<int32_t> value;
  } kCases[] = {
      {"3", 3},
      {"  3", 3},
      {"+3", 3},
      {"\t\n3", 3},
      {"0", 0},
      {"-7", -7},
      {"007", 7},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"", std::nullopt},
      {" ", std::nullopt},
      {"3 ", std::nullopt},
      {"1.5", std::nullopt},
      {"0x10", std::nullopt},
      {"abc", std::nullopt},
      {"+", std::nullopt},
      {"--3", std::nullopt},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"99999999999999999999", std::nullopt},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(parse_multiplicity(c.text), c.value) << '"' << c.text << '"';

  // A value that does not convert counts as 1.
  const ReadResult r = read(net("<e from=\"p\" to=\"t\" multiplicity=\"x\"/>"));
  EXPECT_EQ(dump(r.model, r.model.p_map), "p[| t*1]");
}

TEST(NetReaderTest, UnloadableFileIsReported) {
  NetModel model;
  InputNet input;
  const Status status = read_net("/nonexistent/net.xml", model, input);
  EXPECT_EQ(status.message(), "Can't open input file\n");
  EXPECT_EQ(status.detail(),
            "can't open file '/nonexistent/net.xml' (error 2: No such file or "
            "directory)");
}

}  // namespace
}  // namespace marovel
