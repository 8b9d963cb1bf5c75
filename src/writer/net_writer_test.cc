#include "writer/net_writer.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>

#include "base/test_status.h"
#include "base/version.h"
#include "reader/net_reader.h"
#include "reader/net_reader_for_testing.h"
#include "writer/net_writer_for_testing.h"

namespace marovel {
namespace {

struct Written {
  bool ok;
  std::string out;  // standard output
  std::string xml;
};

// Writes `model` against the input document `input`, dated "DATE".
Written write(const std::string& input, const NetModel& model) {
  XmlDocument doc;
  EXPECT_TRUE(IsOk(load_xml_string(input, doc)));
  std::ostringstream out, xml;
  Written w;
  InputNet scanned;
  scan_for_writing(doc, model.names, scanned);
  const Status status =
      write_reduced_document(scanned, model, "DATE", out, xml);
  w.ok = status.ok();
  // The member names come first, then the failure's message.
  w.out = out.str() + status.message();
  w.xml = xml.str();
  return w;
}

void arc(NetModel& m, std::string_view from_place, std::string_view to,
         uint64_t copies = 1) {
  m.p_map.at(m.id(from_place)).out.insert(m.t_map.id_of(m.id(to)), copies);
  m.t_map.at(m.id(to)).in.insert(m.p_map.id_of(m.id(from_place)), copies);
}

void merge(NetModel& m, std::string_view into,
           std::initializer_list<std::string_view> members) {
  for (std::string_view member : members)
    m.aggregates.absorb(m.id(into), m.id(member), /*removed_lives_on=*/true);
}

const char kHeader[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<petrinet>\n"
    "  <info>\n"
    "    <generatedate>DATE</generatedate>\n"
    "    <generatedby>" MAROVEL_VERSION_LINE
    "</generatedby>\n"
    "    <author>ZR</author>\n"
    "  </info>\n";

TEST(NetWriterTest, ChainReducedToOnePlace) {
  const std::string input =
      "<petrinet><placelist>"
      "<place name=\"p3\"><info>third</info></place>"
      "<place name=\"p1\"><info>first</info></place>"
      "<place name=\"p2\"><info><b>second</b></info></place>"
      "</placelist><transitionlist>"
      "<transition name=\"t2\"><info/></transition>"
      "<transition name=\"t1\"><info>t-one</info></transition>"
      "</transitionlist><edgelist><e/></edgelist></petrinet>";
  NetModel model(NameTable{"p1", "p2", "p3", "t1", "t2"});
  model.p_map.at(model.id("p1"));
  merge(model, "p1", {"p1", "p2", "p3", "t1", "t2"});
  const Written w = write(input, model);
  ASSERT_TRUE(w.ok) << w.out;
  EXPECT_EQ(w.out, "");
  EXPECT_EQ(w.xml, std::string(kHeader) +
                       "  <placelist>\n"
                       "    <place name=\"p1\">\n"
                       "      <info>first</info>\n"
                       "      <aggregates>\n"
                       "        <info>first</info>\n"
                       "        <info>\n"
                       "          <b>second</b>\n"
                       "        </info>\n"
                       "        <info>third</info>\n"
                       "        <info>t-one</info>\n"
                       "        <info/>\n"
                       "      </aggregates>\n"
                       "    </place>\n"
                       "  </placelist>\n"
                       "  <transitionlist/>\n"
                       "  <edgelist/>\n"
                       "</petrinet>\n");
}

TEST(NetWriterTest, CopiesElementsWholeAndWritesOneEdgePerDistinctArc) {
  const std::string input =
      "<petrinet><placelist>"
      "<place z=\"1\" name=\"p\" a=\"2\">lead<!--c--><x/><![CDATA[ ]]></place>"
      "<other name=\"p\"><info>second p</info></other>"
      "<place name=\"q\"/><!-- no name -->"
      "</placelist><transitionlist>"
      "<transition name=\"u\"/><transition name=\"t\"/>"
      "</transitionlist><edgelist><e/></edgelist></petrinet>";
  NetModel model(NameTable{"p", "q", "t", "u"});
  arc(model, "p", "u", 3);
  arc(model, "p", "t");
  model.t_map.at(model.id("t"))
      .out.insert(model.p_map.id_of(model.id("q")), 4294967296);
  model.p_map.at(model.id("q"))
      .in.insert(model.t_map.id_of(model.id("t")), 4294967296);
  const Written w = write(input, model);
  ASSERT_TRUE(w.ok) << w.out;
  EXPECT_EQ(w.xml,
            std::string(kHeader) +
                "  <placelist>\n"
                "    <place z=\"1\" name=\"p\" a=\"2\">lead\n"
                "      <!--c-->\n"
                "      <x/>\n"
                "      <![CDATA[ ]]>\n"
                "    </place>\n"
                "    <place name=\"q\"/>\n"
                "  </placelist>\n"
                "  <transitionlist>\n"
                "    <transition name=\"t\"/>\n"
                "    <transition name=\"u\"/>\n"
                "  </transitionlist>\n"
                "  <edgelist>\n"
                "    <edge from=\"p\" to=\"t\" multiplicity=\"1\"/>\n"
                "    <edge from=\"p\" to=\"u\" multiplicity=\"3\"/>\n"
                "    <edge from=\"t\" to=\"q\" multiplicity=\"4294967296\"/>\n"
                "  </edgelist>\n"
                "</petrinet>\n");
}

TEST(NetWriterTest, AggregatesOfBothKindsAndMemberNamesOfTransitions) {
  // x is a place and a transition: its transition's info is the one taken.
  const std::string input =
      "<petrinet><placelist>"
      "<p name=\"x\"><info>place x</info></p>"
      "<p name=\"a\"><info>place a</info></p>"
      "</placelist><transitionlist>"
      "<t name=\"x\"><info>transition x</info></t>"
      "<t name=\"t\"><info>transition t</info><aggregates>old</aggregates></t>"
      "</transitionlist><edgelist><e/></edgelist></petrinet>";
  NetModel model(NameTable{"a", "t", "x"});
  model.t_map.at(model.id("t"));
  merge(model, "t", {"t", "x", "a"});
  const Written w = write(input, model);
  ASSERT_TRUE(w.ok) << w.out;
  EXPECT_EQ(w.out, "a\nt\nx\n");
  EXPECT_NE(w.xml.find("    <t name=\"t\">\n"
                       "      <info>transition t</info>\n"
                       "      <aggregates>old</aggregates>\n"
                       "      <aggregates>\n"
                       "        <info>place a</info>\n"
                       "        <info>transition t</info>\n"
                       "        <info>transition x</info>\n"
                       "      </aggregates>\n"
                       "    </t>\n"),
            std::string::npos)
      << w.xml;
}

TEST(NetWriterTest, TheReadersElementIndexPicksWhatTheWritersOwnDoes) {
  // Repeated names and a name of both kinds: the first element of each name
  // in each list is the one copied.
  const std::string input =
      "<petrinet><placelist>"
      "<p name=\"x\"><info>place x</info></p>"
      "<p name=\"a\"><info>a1</info></p><p name=\"a\"><info>a2</info></p>"
      "</placelist><transitionlist>"
      "<t name=\"x\"><info>transition x</info></t>"
      "<t name=\"t\"><info>t1</info></t><t name=\"t\"><info>t2</info></t>"
      "</transitionlist><edgelist>"
      "<e from=\"a\" to=\"t\"/><e from=\"t\" to=\"x\"/>"
      "<e from=\"x\" to=\"x\"/><e from=\"x\" to=\"t\"/>"
      "</edgelist></petrinet>";
  XmlDocument doc;
  ASSERT_TRUE(IsOk(load_xml_string(input, doc)));
  NetModel model;
  InputNet read;
  ASSERT_TRUE(read_net_document(doc, model, &read).ok());
  merge(model, "t", {"a", "x"});
  InputNet own_scan;
  scan_for_writing(doc, model.names, own_scan);
  std::ostringstream out, own, reused;
  ASSERT_TRUE(write_reduced_document(own_scan, model, "DATE", out, own).ok());
  ASSERT_TRUE(write_reduced_document(read, model, "DATE", out, reused).ok());
  EXPECT_EQ(reused.str(), own.str());
  EXPECT_NE(own.str().find("<info>a1</info>"), std::string::npos);
  EXPECT_EQ(own.str().find("a2"), std::string::npos);
}

TEST(NetWriterTest, Failures) {
  const auto doc = [](const std::string& places,
                      const std::string& transitions) {
    return "<anything><placelist>" + places + "</placelist><transitionlist>" +
           transitions + "</transitionlist></anything>";
  };
  NetModel place_merged(NameTable{"p", "q"});
  place_merged.p_map.at(place_merged.id("p"));
  merge(place_merged, "p", {"p", "q"});
  NetModel transition_merged(NameTable{"a", "b", "t"});
  transition_merged.t_map.at(transition_merged.id("t"));
  merge(transition_merged, "t", {"a", "b", "t"});

  const struct {
    std::string input;
    const NetModel* model;
    std::string out;
  } kCases[] = {
      {"<petrinet><transitionlist><t name=\"t\"/></transitionlist></petrinet>",
       &place_merged, "No placelist found\n"},
      {"<petrinet><placelist> </placelist></petrinet>", &place_merged,
       "No places found\n"},
      {"<petrinet><placelist><p/></placelist></petrinet>", &place_merged,
       "No transitionlist found\n"},
      {"<petrinet><placelist><p/></placelist><transitionlist>\n  \n"
       "</transitionlist></petrinet>",
       &place_merged, "No transitions found\n"},
      {doc(R"(<p name="q"><info/></p>)", R"(<t name="t"/>)"), &place_merged,
       "Inconsistent xml's 1\n"},
      {doc(R"(<p name="p"><info/></p><p name="q"/>)", R"(<t name="t"/>)"),
       &place_merged, "Inconsistent xml's 3\n"},
      {doc(R"(<p name="p"><info/></p>)", R"(<t name="q"/>)"), &place_merged,
       "Inconsistent xml's 3\n"},
      {doc(R"(<p name="p"/>)", R"(<t name="x"/>)"), &transition_merged,
       "Inconsistent xml's 4\n"},
      {doc(R"(<p name="b"/>)", R"(<t name="a"><info/></t><t name="t"/>)"),
       &transition_merged, "a\nb\nInconsistent xml's 5\n"},
      {doc(R"(<p name="p"/>)", R"(<t name="a"><info/></t><t name="t"/>)"),
       &transition_merged, "a\nb\nt\nInconsistent xml's 6\n"},
  };
  for (const auto& c : kCases) {
    const Written w = write(c.input, *c.model);
    EXPECT_FALSE(w.ok) << c.input;
    EXPECT_EQ(w.out, c.out) << c.input;
    // Every check runs before the first byte goes out.
    EXPECT_EQ(w.xml, "") << c.input;
  }
}

TEST(NetWriterTest, DateIsTheCLocaleForm) {
  // For example "Thu Dec 10 02:46:28 2026", or "Tue Dec  1 ..." with the
  // day padded to two places.
  const std::regex c_locale_form(
      "(Mon|Tue|Wed|Thu|Fri|Sat|Sun) "
      "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) "
      "( [1-9]|[12][0-9]|3[01]) ([01][0-9]|2[0-3]):[0-5][0-9]:[0-6][0-9] "
      "[0-9]{4}");
  const std::string date = current_date_text();
  EXPECT_TRUE(std::regex_match(date, c_locale_form)) << date;
}

}  // namespace
}  // namespace marovel
