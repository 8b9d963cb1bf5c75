#include "dot/dot_writer.h"

#include <gtest/gtest.h>

#include <sstream>

namespace marovel {
namespace {

TEST(DotWriterTest, ShapesWeightsAndAbsorbedNodes) {
  NetGraph graph;
  graph.places = {{"p1", "start", {}}, {"p2", "", {"p2 info", "", "t9"}}};
  graph.transitions = {{"t1", "", {}}};
  graph.arcs = {{0, 0, true, 1}, {1, 0, false, 3000000000}};
  std::ostringstream out;
  ASSERT_TRUE(write_dot(graph, out));
  EXPECT_EQ(out.str(),
            "digraph net {\n"
            "  rankdir=LR;\n"
            "  p0 [shape=circle, label=<p1>, tooltip=\"p1: start\"];\n"
            "  p1 [shape=circle, label=<p2<BR/><FONT POINT-SIZE=\"9\">(3)"
            "</FONT>>, tooltip=\"p2 stands for 3 input nodes:\\np2 info\\n"
            "(no info)\\nt9\"];\n"
            "  t0 [shape=box, label=<t1>, tooltip=\"t1\"];\n"
            "  p0 -> t0;\n"
            "  t0 -> p1 [label=\"3000000000\"];\n"
            "}\n");
}

TEST(DotWriterTest, NamesAreEscapedForLabelAndTooltip) {
  NetGraph graph;
  graph.places = {{"a\"b\\c<d>&e\nf", "", {}}};
  std::ostringstream out;
  ASSERT_TRUE(write_dot(graph, out));
  EXPECT_EQ(out.str(),
            "digraph net {\n"
            "  rankdir=LR;\n"
            "  p0 [shape=circle, label=<a&quot;b\\\\c&lt;d&gt;&amp;e<BR/>f>, "
            "tooltip=\"a\\\"b\\\\\\\\c<d>&e\\nf\"];\n"
            "}\n");
}

}  // namespace
}  // namespace marovel
