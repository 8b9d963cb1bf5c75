#include "netfile/net_file_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/test_status.h"
#include "xml/xml_document.h"

namespace marovel {
namespace {

// "p>t:2" for each arc, in the net's order.
std::vector<std::string> arcs(const NetFile& net) {
  std::vector<std::string> result;
  for (const NetFileArc& arc : net.arcs) {
    const std::string place(net.places[arc.place].name);
    const std::string transition(net.transitions[arc.transition].name);
    result.push_back((arc.to_transition ? place + ">" + transition
                                        : transition + ">" + place) +
                     ":" + std::to_string(arc.weight));
  }
  return result;
}

// A net of place p and transition t with the given edges.
std::string net_with(const std::string& edges) {
  return "<petrinet><placelist><place name='p'/></placelist><transitionlist>"
         "<transition name='t'/></transitionlist><edgelist>" +
         edges + "</edgelist></petrinet>";
}

std::string edge(const std::string& multiplicity) {
  return "<edge from='p' to='t' multiplicity='" + multiplicity + "'/>";
}

// The text below the stored element at `element`.
std::string text_of(const MemberStore& store, MemberStore::Offset element) {
  std::string text;
  store.walk(element, [&](const MemberStore::Node& node) {
    if (node.type == XmlNodeType::kText) text += node.text;
  });
  return text;
}

TEST(NetFileReaderTest, EdgesReadAsMarovelReadsThem) {
  // "x" is both a place and a transition: as a source it is the place.
  NetFile net;
  ASSERT_TRUE(IsOk(read_net_text(
      "<petrinet><placelist><place name='p'/><?note?><place name='x'/>"
      "<place name='p'/></placelist>"
      "<transitionlist><transition name='t'/><transition name='x'/>"
      "</transitionlist><edgelist>"
      "<edge from='p' to='t' multiplicity='2'/>"
      "<edge from='p' to='t' multiplicity=' +3'/>"
      "<edge from='t' to='x' multiplicity='-4'/>"
      "<edge from='t' to='x' multiplicity='0'/>"
      "<edge from='x' to='x'/>"
      "<edge from='t' to='p' multiplicity='2147483647'/>"
      "<edge from='t' to='p' multiplicity='2147483648'/>"
      "</edgelist></petrinet>",
      net)));
  ASSERT_EQ(net.places.size(), 2u);
  EXPECT_EQ(net.transitions.size(), 2u);
  // A weight of 0 or below adds no arc; weights past the signed 32-bit
  // range are taken in full, and parallel edges add up past it.
  EXPECT_EQ(arcs(net),
            (std::vector<std::string>{"p>t:5", "x>x:1", "t>p:4294967295"}));
}

// marovel writes empty lists for a net reduced to nodes of one kind: they
// read as lists without members, though marovel refuses them.
TEST(NetFileReaderTest, EmptyListsReadAsEmpty) {
  NetFile net;
  ASSERT_TRUE(IsOk(read_net_text(
      "<petrinet><placelist><place name='p'/></placelist><transitionlist/>"
      "<edgelist>\n</edgelist></petrinet>",
      net)));
  EXPECT_EQ(net.places.size(), 1u);
  EXPECT_TRUE(net.transitions.empty());
  EXPECT_TRUE(net.arcs.empty());
}

TEST(NetFileReaderTest, NameDeclaredTwiceKeepsItsFirstElement) {
  NetFile net;
  ASSERT_TRUE(IsOk(read_net_text(
      "<petrinet><placelist><place name='p'>1<info>one</info></place>"
      "<place name='q'/><place name='p'>2<info>two</info></place></placelist>"
      "<transitionlist><t name='t'/></transitionlist>"
      "<edgelist><e from='p' to='t'/></edgelist></petrinet>",
      net)));
  ASSERT_EQ(net.places.size(), 2u);
  EXPECT_EQ(net.places[0].name, "p");
  EXPECT_EQ(text_of(net.store(), net.places[0].element), "1one");
  EXPECT_EQ(text_of(net.store(), net.places[0].info), "one");
  EXPECT_EQ(net.places[1].name, "q");
  EXPECT_EQ(net.places[1].info, kNoInfo);
}

// Every weight marovel can write comes back in full; a value that is no
// weight is refused, never read as 1.
TEST(NetFileReaderTest, WeightsInFullOrRefused) {
  const std::string refused = "the edge from 'p' to 't' has the multiplicity ";
  const std::string range =
      ", which is not a whole number from -2147483648 to "
      "18446744073709551615";
  const std::pair<std::string, std::string> cases[] = {
      {edge("4294967294"), "p>t:4294967294"},
      {edge(" 18446744073709551615"), "p>t:18446744073709551615"},
      {edge("+18446744073709551615"), "p>t:18446744073709551615"},
      {edge("2147483647") + edge("2147483647") + edge("2147483647"),
       "p>t:6442450941"},
      {edge("-5") + edge("7"), "p>t:7"},
      {edge("18446744073709551616"),
       refused + "'18446744073709551616'" + range},
      {edge("two"), refused + "'two'" + range},
      {edge(""), refused + "''" + range},
      {edge("3 "), refused + "'3 '" + range},
      {edge("-2147483649"), refused + "'-2147483649'" + range},
      // The first fault in the file counts, whatever follows.
      {edge("1.5") + "<edge from='p' to='nowhere'/>",
       refused + "'1.5'" + range},
      {edge("18446744073709551615") + edge("1"),
       "the edges from 'p' to 't' add up to more than "
       "18446744073709551615"},
  };
  for (const auto& [edges, expected] : cases) {
    NetFile net;
    const Status status = read_net_text(net_with(edges), net);
    std::string got = status.message();
    if (status.ok())
      for (const std::string& arc : arcs(net)) got += arc;
    EXPECT_EQ(got, expected) << edges;
  }
}

TEST(NetFileReaderTest, Refusals) {
  const std::string lists =
      "<placelist><place name='p'/></placelist>"
      "<transitionlist><transition name='t'/></transitionlist>";
  const std::pair<std::string, std::string> cases[] = {
      {"<pnml/>",
       "not a marovel net file: the root element is 'pnml', not 'petrinet'"},
      {"<petrinet><transitionlist/><edgelist/></petrinet>",
       "not a marovel net file: it has no placelist"},
      {"<petrinet><placelist><node/></placelist><transitionlist/><edgelist/>"
       "</petrinet>",
       "an element <node> of the placelist has no name"},
      {"<petrinet><placelist><p name='p'/><!-- c --></placelist>"
       "<transitionlist/><edgelist/></petrinet>",
       "the placelist holds a comment, which counts as a place without a "
       "name"},
      {"<petrinet><placelist><p name='p'/></placelist><transitionlist>"
       "text<t name='t'/></transitionlist><edgelist/></petrinet>",
       "the transitionlist holds text, which counts as a transition without "
       "a name"},
      {"<petrinet>" + lists + "</petrinet>",
       "not a marovel net file: it has no edgelist"},
      {"<petrinet>" + lists + "<edgelist><edge to='t'/></edgelist></petrinet>",
       "an edge has no from"},
      {"<petrinet>" + lists +
           "<edgelist><edge from='p' to='t'/><![CDATA[x]]></edgelist>"
           "</petrinet>",
       "the edgelist holds a CDATA section, which counts as an edge without "
       "ends"},
      {"<petrinet>" + lists +
           "<edgelist><edge from='p' to='q'/></edgelist></petrinet>",
       "the edge from 'p' to 'q' does not join a declared place and "
       "transition"},
      // A transition's edge must lead to a place, not another transition.
      {"<petrinet>" + lists +
           "<edgelist><edge from='t' to='t'/></edgelist></petrinet>",
       "the edge from 't' to 't' does not join a declared place and "
       "transition"},
  };
  for (const auto& [document, error] : cases) {
    NetFile net;
    const Status status = read_net_text(document, net);
    EXPECT_EQ(status.code(), Status::Code::kInvalidInput) << document;
    EXPECT_EQ(status.message(), error);
  }
  // What the XML layer cannot read fails as it says.
  NetFile net;
  const Status status = read_net_text("<petrinet>", net);
  EXPECT_EQ(status.code(), Status::Code::kIoError);
  EXPECT_EQ(status.message(),
            "XML parsing error: 'no element found' at line 1");
}

}  // namespace
}  // namespace marovel
