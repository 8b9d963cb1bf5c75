#include "pnml/pnml_writer.h"

#include <gtest/gtest.h>

#include <sstream>

#include "base/test_status.h"
#include "base/version.h"
#include "netfile/net_file_reader.h"
#include "pnml/pnml_reader_for_testing.h"

namespace marovel {
namespace {

std::string write(const PnmlOutNet& net) {
  std::ostringstream out;
  EXPECT_TRUE(write_pnml(net, out));
  return out.str();
}

TEST(PnmlWriterTest, IdsInscriptionsAndNames) {
  PnmlOutNet net;
  net.name = "my net";
  // "x" is a place and a transition; "a1" is a node, so the first arc's id
  // must be another.
  net.places = {{"x", {}}, {"1a", {}}, {"a b", {}}};
  net.transitions = {{"x", {}}, {"\xC3\xA9", {}}, {"a1", {}}};
  net.arcs = {{0, 0, true, 1},
              {1, 0, false, 3},
              {2, 1, true, 4294967294},
              {1, 2, true, 1}};
  EXPECT_EQ(write(net),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
            "<pnml xmlns=\"http://www.pnml.org/version-2009/grammar/pnml\">\n"
            "  <net id=\"my_net\" "
            "type=\"http://www.pnml.org/version-2009/grammar/ptnet\">\n"
            "    <page id=\"page\">\n"
            "      <place id=\"x\">\n"
            "        <name>\n          <text>x</text>\n        </name>\n"
            "      </place>\n"
            "      <place id=\"_1a\">\n"
            "        <name>\n          <text>1a</text>\n        </name>\n"
            "      </place>\n"
            "      <place id=\"a_b\">\n"
            "        <name>\n          <text>a b</text>\n        </name>\n"
            "      </place>\n"
            "      <transition id=\"x_1\">\n"
            "        <name>\n          <text>x</text>\n        </name>\n"
            "      </transition>\n"
            "      <transition id=\"\xC3\xA9\">\n"
            "        <name>\n          <text>\xC3\xA9</text>\n        </name>\n"
            "      </transition>\n"
            "      <transition id=\"a1\">\n"
            "        <name>\n          <text>a1</text>\n        </name>\n"
            "      </transition>\n"
            "      <arc id=\"a1_1\" source=\"x\" target=\"x_1\"/>\n"
            "      <arc id=\"a2\" source=\"x_1\" target=\"_1a\">\n"
            "        <inscription>\n          <text>3</text>\n"
            "        </inscription>\n"
            "      </arc>\n"
            "      <arc id=\"a3\" source=\"a_b\" target=\"\xC3\xA9\">\n"
            "        <inscription>\n          <text>4294967294</text>\n"
            "        </inscription>\n"
            "      </arc>\n"
            "      <arc id=\"a4\" source=\"_1a\" target=\"a1\"/>\n"
            "    </page>\n"
            "  </net>\n"
            "</pnml>\n");
}

TEST(PnmlWriterTest, ToolDataIsCopiedWholeIntoOneBlock) {
  NetFile file;
  ASSERT_TRUE(IsOk(read_net_text(
      "<petrinet><placelist><place name='p'><info>own</info><aggregates>"
      "<info a='1'>x &amp; <b>y</b></info><info/></aggregates></place>"
      "</placelist><transitionlist><t name='t'/></transitionlist>"
      "<edgelist><e from='p' to='t'/></edgelist></petrinet>",
      file)));
  const NetFileNode& place = file.places.at(0);
  const std::optional<MemberStore::Offset> aggregates =
      last_child_element(file.store(), place.element, "aggregates");
  ASSERT_TRUE(aggregates);
  PnmlOutNet net;
  net.name = "n";
  net.elements = &file.store();
  net.places = {{"p", {{place.info, {}}, {*aggregates, {}}}}};
  net.transitions = {{"t", {}}};
  net.arcs = {{0, 0, true, 1}};
  const std::string pnml = write(net);
  EXPECT_NE(pnml.find("        <toolspecific tool=\"marovel\" version=\"" +
                      std::string(MAROVEL_VERSION) +
                      "\">\n"
                      "          <info>own</info>\n"
                      "          <aggregates>\n"
                      "            <info a=\"1\">x &amp; \n"
                      "              <b>y</b>\n"
                      "            </info>\n"
                      "            <info/>\n"
                      "          </aggregates>\n"
                      "        </toolspecific>\n"
                      "      </place>\n"
                      "      <transition id=\"t\">\n"
                      "        <name>\n          <text>t</text>\n"
                      "        </name>\n"
                      "      </transition>\n"),
            std::string::npos)
      << pnml;
  EXPECT_EQ(pnml.find("<toolspecific"), pnml.rfind("<toolspecific"));

  // pnml2net's reader takes the block in its stride.
  XmlDocument written;
  ASSERT_TRUE(IsOk(load_xml_string(pnml, written)));
  PtNet read;
  ASSERT_TRUE(IsOk(read_pnml(written, "", read)));
  EXPECT_EQ(read.places.size(), 1u);
  EXPECT_EQ(read.arcs.size(), 1u);
}

}  // namespace
}  // namespace marovel
