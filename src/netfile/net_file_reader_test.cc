#include "netfile/net_file_reader.h"

#include <gtest/gtest.h>

#include "xml/xml_lookup.h"

namespace marovel {
namespace {

struct Read {
  explicit Read(const std::string& text) {
    std::string load_error;
    if (!load_xml_string(text, doc, load_error)) {
      error = load_error;
      return;
    }
    ok = read_net_file(doc, net, error);
  }
  XmlDocument doc;
  NetFile net;
  std::string error;
  bool ok = false;
};

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

TEST(NetFileReaderTest, EdgesReadAsMarovelReadsThem) {
  // "x" is both a place and a transition: as a source it is the place.
  const Read read(
      "<petrinet><placelist><place name='p'/><!-- note --><place name='x'/>"
      "<place name='p'/></placelist>"
      "<transitionlist><transition name='t'/><transition name='x'/>"
      "</transitionlist><edgelist>"
      "<edge from='p' to='t' multiplicity='2'/>"
      "<edge from='p' to='t' multiplicity=' +3'/>"
      "<edge from='t' to='p' multiplicity='two'/>"
      "<edge from='t' to='x' multiplicity='-4'/>"
      "<edge from='t' to='x' multiplicity='0'/>"
      "<edge from='x' to='x'/>"
      "<edge from='t' to='p' multiplicity='2147483647'/>"
      "<edge from='t' to='p' multiplicity='2147483648'/>"
      "</edgelist></petrinet>");
  ASSERT_TRUE(read.ok) << read.error;
  ASSERT_EQ(read.net.places.size(), 2u);
  EXPECT_EQ(read.net.transitions.size(), 2u);
  // The parallel edges from t to p add up past 2^31 without overflow; a
  // weight past the signed 32-bit range counts as 1.
  EXPECT_EQ(arcs(read.net),
            (std::vector<std::string>{"p>t:5", "t>p:2147483649", "x>x:1"}));
}

TEST(NetFileReaderTest, NameDeclaredTwiceKeepsItsFirstElement) {
  const Read read(
      "<petrinet><placelist><place name='p' n='1'/><place name='q'/>"
      "<place name='p' n='2'/></placelist><transitionlist/><edgelist/>"
      "</petrinet>");
  ASSERT_TRUE(read.ok) << read.error;
  ASSERT_EQ(read.net.places.size(), 2u);
  EXPECT_EQ(read.net.places[0].name, "p");
  EXPECT_EQ(find_attribute(read.net.places[0].element, "n"), "1");
  EXPECT_EQ(read.net.places[1].name, "q");
}

TEST(NetFileReaderTest, Refusals) {
  const std::pair<std::string, std::string> cases[] = {
      {"<pnml/>",
       "not a marovel net file: the root element is 'pnml', not 'petrinet'"},
      {"<petrinet><transitionlist/><edgelist/></petrinet>",
       "not a marovel net file: it has no placelist"},
      {"<petrinet><placelist/><edgelist/></petrinet>",
       "not a marovel net file: it has no transitionlist"},
      {"<petrinet><placelist/><transitionlist/></petrinet>",
       "not a marovel net file: it has no edgelist"},
      {"<petrinet><placelist><node/></placelist><transitionlist/><edgelist/>"
       "</petrinet>",
       "an element <node> of the placelist has no name"},
      {"<petrinet><placelist/><transitionlist/><edgelist><edge to='a'/>"
       "</edgelist></petrinet>",
       "an edge has no from"},
      {"<petrinet><placelist><place name='p'/></placelist><transitionlist/>"
       "<edgelist><edge from='p' to='q'/></edgelist></petrinet>",
       "the edge from 'p' to 'q' does not join a declared place and "
       "transition"},
      // A transition's edge must lead to a place, not another transition.
      {"<petrinet><placelist/><transitionlist><t name='a'/><t name='b'/>"
       "</transitionlist><edgelist><edge from='a' to='b'/></edgelist>"
       "</petrinet>",
       "the edge from 'a' to 'b' does not join a declared place and "
       "transition"},
  };
  for (const auto& [document, error] : cases) {
    const Read read(document);
    EXPECT_FALSE(read.ok) << document;
    EXPECT_EQ(read.error, error);
  }
}

}  // namespace
}  // namespace marovel
