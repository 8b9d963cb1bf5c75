#include "dot/net_graph.h"

#include <gtest/gtest.h>

namespace marovel {
namespace {

TEST(NetGraphTest, AbsorbedNodesComeFromTheLastAggregates) {
  // A file reduced twice: the copy kept its old aggregates, the new ones
  // follow them.
  XmlDocument doc;
  std::string error;
  ASSERT_TRUE(load_xml_string(
      "<petrinet><placelist><place name='p'><info>own <b>text</b>\n here"
      "</info><aggregates><info>old</info></aggregates>"
      "<aggregates><info>first</info><info/><info>third</info></aggregates>"
      "</place></placelist><transitionlist/><edgelist/></petrinet>",
      doc, error))
      << error;
  NetGraph graph;
  ASSERT_TRUE(read_net_graph(doc, graph, error)) << error;
  const GraphNode& node = graph.places.at(0);
  EXPECT_EQ(node.info, "own text here");
  EXPECT_EQ(node.members, (std::vector<std::string>{"first", "", "third"}));
}

TEST(NetGraphTest, RefusesWhatTheNetFileReaderRefuses) {
  XmlDocument doc;
  std::string error;
  ASSERT_TRUE(load_xml_string("<pnml/>", doc, error));
  NetGraph graph;
  EXPECT_FALSE(read_net_graph(doc, graph, error));
  EXPECT_EQ(error,
            "not a marovel net file: the root element is 'pnml', not "
            "'petrinet'");
}

}  // namespace
}  // namespace marovel
