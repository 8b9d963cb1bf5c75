#include "pnml/pnml_reader.h"

#include <gtest/gtest.h>

namespace marovel {
namespace {

constexpr char kPtType[] = "http://www.pnml.org/version-2009/grammar/ptnet";

std::string pnml(const std::string& body, const std::string& type = kPtType) {
  return "<pnml xmlns=\"http://www.pnml.org/version-2009/grammar/pnml\">"
         "<net id=\"n\" type=\"" +
         type + "\">" + body + "</net></pnml>";
}

// Loads and reads one document; the document stays alive with the net.
struct Read {
  explicit Read(const std::string& text, std::string_view wanted = "") {
    std::string load_error;
    if (!load_xml_string(text, doc, load_error)) {
      error = load_error;
      return;
    }
    ok = read_pnml(doc, wanted, net, error);
  }
  XmlDocument doc;
  PtNet net;
  std::string error;
  bool ok = false;
};

std::vector<std::string> ids(const std::vector<PtNode>& nodes) {
  std::vector<std::string> result;
  for (const PtNode& node : nodes) result.emplace_back(node.id);
  return result;
}

// "p>t:2" for each arc, in the net's order.
std::vector<std::string> arcs(const PtNet& net) {
  std::vector<std::string> result;
  for (const PtArc& arc : net.arcs) {
    const std::string place(net.places[arc.place].id);
    const std::string transition(net.transitions[arc.transition].id);
    result.push_back((arc.to_transition ? place + ">" + transition
                                        : transition + ">" + place) +
                     ":" + std::to_string(arc.weight));
  }
  return result;
}

TEST(PnmlReaderTest, NodesAtAnyDepthInDocumentOrderWithLabels) {
  // Arcs come first, pages nest three deep, and a place stands directly in
  // the net as well as after a nested page.
  const Read read(
      pnml("<arc id='a1' source='p1' target='t1'/>"
           "<arc id='a2' source='t1' target='p4'/>"
           "<place id='p1'><name><text>  first\nplace </text></name>"
           "<initialMarking><text> 007 </text></initialMarking></place>"
           "<page id='g1'><place id='p2'><name><text>p2</text></name>"
           "<initialMarking><text>0</text></initialMarking></place>"
           "<page id='g2'><page id='g3'><transition id='t1'>"
           "<name><graphics/><text>fire</text></name></transition></page>"
           "<place id='p3'><name/></place></page>"
           "<place id='p4'><toolspecific tool='x'/></place></page>"));
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(read.net.id, "n");
  EXPECT_EQ(ids(read.net.places),
            (std::vector<std::string>{"p1", "p2", "p3", "p4"}));
  EXPECT_EQ(ids(read.net.transitions), std::vector<std::string>{"t1"});
  EXPECT_EQ(read.net.places[0].name, "first\nplace");
  EXPECT_EQ(read.net.places[0].marking, "7");
  EXPECT_EQ(read.net.places[1].marking, "0");
  EXPECT_EQ(read.net.places[2].name, "");
  EXPECT_EQ(read.net.places[3].marking, "0");
  EXPECT_EQ(read.net.transitions[0].name, "fire");
  EXPECT_EQ(arcs(read.net), (std::vector<std::string>{"p1>t1:1", "t1>p4:1"}));
}

TEST(PnmlReaderTest, ParallelArcsAddUpAndReferencesLeadToTheirNode) {
  // rp2 -> rp1 -> p on another page; rt -> t. Arcs through a reference
  // and to the node itself are the same arc.
  const Read read(
      pnml("<page id='a'><place id='p'/><transition id='t'/>"
           "<arc id='x1' source='p' target='t'>"
           "<inscription><text>2</text></inscription></arc>"
           "<arc id='x2' source='t' target='p'/></page>"
           "<page id='b'><referencePlace id='rp2' ref='rp1'/>"
           "<referencePlace id='rp1' ref='p'/>"
           "<referenceTransition id='rt' ref='t'/>"
           "<arc id='x3' source='rp2' target='rt'>"
           "<inscription><text>3</text></inscription></arc>"
           "<arc id='x4' source='rt' target='rp1'><type value='normal'/></arc>"
           "<arc id='x5' source='rp1' target='t'/></page>"));
  ASSERT_TRUE(read.ok) << read.error;
  EXPECT_EQ(ids(read.net.places), std::vector<std::string>{"p"});
  EXPECT_EQ(ids(read.net.transitions), std::vector<std::string>{"t"});
  EXPECT_EQ(arcs(read.net), (std::vector<std::string>{"p>t:6", "t>p:2"}));
}

TEST(PnmlReaderTest, NetChoiceTypesAndPrefixes) {
  const std::string two_nets =
      "<pnml><net id='a' type='" + std::string(kPtType) +
      "'><place id='p'/><transition id='t'/>"
      "<arc id='x' source='p' target='t'/></net>"
      "<net id='b' type='" +
      kPtType +
      "'><place id='q'/><transition id='u'/>"
      "<arc id='y' source='u' target='q'/></net></pnml>";
  const Read picked(two_nets, "b");
  ASSERT_TRUE(picked.ok) << picked.error;
  EXPECT_EQ(ids(picked.net.places), std::vector<std::string>{"q"});

  const std::string body =
      "<page id='g'><place id='p'/><transition id='t'/>"
      "<arc id='x' source='p' target='t'/></page>";
  for (const char* type :
       {"http://www.pnml.org/version-2009/grammar/ptnet",
        "http://www.pnml.org/version-2009/grammar/ptnet/",
        "http://www.informatik.hu-berlin.de/top/pntd/ptNetb",
        "http://www.pnml.org/version-2009/grammar/PTNet.pntd"}) {
    const Read read(pnml(body, type));
    EXPECT_TRUE(read.ok) << type << ": " << read.error;
  }
  const Read prefixed(
      "<x:pnml xmlns:x='http://www.pnml.org/version-2009/grammar/pnml'>"
      "<x:net id='n' type='" +
      std::string(kPtType) +
      "'><x:page id='g'><x:place id='p'/><x:transition id='t'/>"
      "<x:arc id='a' source='t' target='p'><x:inscription><x:text>5"
      "</x:text></x:inscription></x:arc></x:page></x:net></x:pnml>");
  ASSERT_TRUE(prefixed.ok) << prefixed.error;
  EXPECT_EQ(arcs(prefixed.net), std::vector<std::string>{"t>p:5"});
}

// Refusals beyond the ones the command-line tests show with fixtures.
TEST(PnmlReaderTest, Refusals) {
  const std::string nodes = "<place id='p'/><transition id='t'/>";
  const std::string arc = "<arc id='a' source='p' target='t'/>";
  struct Case {
    std::string document;
    std::string error;
  };
  const Case cases[] = {
      {"<pnml/>", "the PNML file holds no net"},
      {pnml(nodes + arc, "http://www.pnml.org/version-2009/grammar/pt-hlpng"),
       "the net 'n' is of type "
       "'http://www.pnml.org/version-2009/grammar/pt-hlpng', not a "
       "place/transition net; only those can be converted"},
      {"<pnml><net id='n'>" + nodes + arc + "</net></pnml>",
       "the net 'n' has no type; only place/transition nets can be "
       "converted"},
      {pnml(nodes),
       "the net 'n' has no arcs, and marovel's nets need at "
       "least one"},
      {pnml(nodes + "<page id='g'><place id='t'/></page>" + arc),
       "the id 't' is given to more than one node"},
      {pnml(nodes + "<place/>" + arc), "a place has no id"},
      {pnml("<place id='p'><initialMarking><text>-1</text></initialMarking>"
            "</place><transition id='t'/>" +
            arc),
       "place 'p' has the initial marking '-1', which is not a non-negative "
       "integer"},
      {pnml(nodes + "<arc id='a' target='t'/>"), "arc 'a' has no source"},
      {pnml(nodes + "<arc id='a' source='p' target='t' type='transfer'/>"),
       "arc 'a' is of type 'transfer'; only ordinary arcs can be converted"},
      {pnml(nodes + "<arc id='a' source='p' target='t'><inscription><text>"
                    "2147483648</text></inscription></arc>"),
       "arc 'a' has the inscription '2147483648', which is not a positive "
       "integer of at most 2147483647"},
      {pnml(nodes + "<arc id='a' source='p' target='t'><inscription/></arc>"),
       "arc 'a' has the inscription '', which is not a positive integer of "
       "at most 2147483647"},
      {pnml(nodes + "<arc id='a' source='p' target='t'><inscription><text>"
                    "2147483647</text></inscription></arc>"
                    "<arc id='b' source='p' target='t'/>"),
       "the arcs from 'p' to 't' add up to more than 2147483647"},
      {pnml(nodes + "<referencePlace id='r' ref='t'/>" +
            "<arc id='a' source='r' target='t'/>"),
       "the referencePlace 'r' leads to the transition 't'"},
      {pnml(nodes + "<referenceTransition id='r' ref='gone'/>" + arc),
       "the reference 'r' names 'gone', which is no node of the net"},
      {pnml(nodes + "<referencePlace id='r' ref='r'/>" + arc),
       "the reference 'r' leads back to itself through a cycle of "
       "references"},
  };
  for (const Case& c : cases) {
    const Read read(c.document);
    EXPECT_FALSE(read.ok) << c.document;
    EXPECT_EQ(read.error, c.error);
  }
  const Read unknown_net(pnml(nodes + arc), "m");
  EXPECT_EQ(unknown_net.error,
            "the PNML file holds no net with the id 'm' (its nets: 'n')");
}

}  // namespace
}  // namespace marovel
