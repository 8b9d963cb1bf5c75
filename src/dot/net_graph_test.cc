#include "dot/net_graph.h"

#include <gtest/gtest.h>

#include "base/test_status.h"

namespace marovel {
namespace {

TEST(NetGraphTest, AbsorbedNodesComeFromTheLastAggregates) {
  // A file reduced twice: the copy kept its old aggregates, the new ones
  // follow them.
  NetFile net;
  ASSERT_TRUE(IsOk(read_net_text(
      "<petrinet><placelist><place name='p'><info>own <b>text</b>\n here"
      "<!-- not shown --></info><aggregates><info>old</info></aggregates>"
      "<aggregates><info>first</info><info/><info>third</info></aggregates>"
      "</place></placelist><transitionlist><t name='t'/></transitionlist>"
      "<edgelist><e from='p' to='t'/></edgelist></petrinet>",
      net)));
  const NetGraph graph = net_graph(net);
  const GraphNode& node = graph.places.at(0);
  EXPECT_EQ(node.info, "own text here");
  EXPECT_EQ(node.members, (std::vector<std::string>{"first", "", "third"}));
  EXPECT_EQ(graph.transitions.at(0).info, "");
  EXPECT_TRUE(graph.transitions.at(0).members.empty());
}

}  // namespace
}  // namespace marovel
