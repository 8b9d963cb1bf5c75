#include "dot/net_graph.h"

#include <gtest/gtest.h>

namespace marovel {
namespace {

struct Read {
  explicit Read(const std::string& text) {
    std::string load_error;
    if (!load_xml_string(text, doc, load_error)) {
      error = load_error;
      return;
    }
    ok = read_net_graph(doc, graph, error);
  }
  XmlDocument doc;
  NetGraph graph;
  std::string error;
  bool ok = false;
};

// "p>t:2" for each arc, in the graph's order.
std::vector<std::string> arcs(const NetGraph& graph) {
  std::vector<std::string> result;
  for (const GraphArc& arc : graph.arcs) {
    const std::string place(graph.places[arc.place].name);
    const std::string transition(graph.transitions[arc.transition].name);
    result.push_back((arc.to_transition ? place + ">" + transition
                                        : transition + ">" + place) +
                     ":" + std::to_string(arc.weight));
  }
  return result;
}

TEST(NetGraphTest, EdgesReadAsMarovelReadsThem) {
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
      "</edgelist></petrinet>");
  ASSERT_TRUE(read.ok) << read.error;
  ASSERT_EQ(read.graph.places.size(), 2u);
  EXPECT_EQ(read.graph.transitions.size(), 2u);
  EXPECT_EQ(arcs(read.graph),
            (std::vector<std::string>{"p>t:5", "t>p:1", "x>x:1"}));
}

TEST(NetGraphTest, AbsorbedNodesComeFromTheLastAggregates) {
  // A file reduced twice: the copy kept its old aggregates, the new ones
  // follow them.
  const Read read(
      "<petrinet><placelist><place name='p'><info>own <b>text</b>\n here"
      "</info><aggregates><info>old</info></aggregates>"
      "<aggregates><info>first</info><info/><info>third</info></aggregates>"
      "</place></placelist><transitionlist/><edgelist/></petrinet>");
  ASSERT_TRUE(read.ok) << read.error;
  const GraphNode& node = read.graph.places.at(0);
  EXPECT_EQ(node.info, "own text here");
  EXPECT_EQ(node.members, (std::vector<std::string>{"first", "", "third"}));
}

TEST(NetGraphTest, Refusals) {
  const std::pair<std::string, std::string> cases[] = {
      {"<pnml/>",
       "not a marovel net file: the root element is 'pnml', not 'petrinet'"},
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
  };
  for (const auto& [document, error] : cases) {
    const Read read(document);
    EXPECT_FALSE(read.ok) << document;
    EXPECT_EQ(read.error, error);
  }
}

}  // namespace
}  // namespace marovel
