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

// Graphviz takes a run of at most 16,384 bytes of text: a longer name is cut
// in the label, at a character boundary and measured as written (escapes
// included), and ends with an ellipsis; the tooltip goes on in further
// quoted strings and keeps every text whole.
TEST(DotWriterTest, LongNamesAreCutInTheLabelOnly) {
  const std::string ellipsis = "\xE2\x80\xA6";
  struct Case {
    std::string name;
    std::string label;
  };
  const Case cases[] = {
      {std::string(16000, 'a'), std::string(16000, 'a')},
      {std::string(16001, 'a'), std::string(15997, 'a') + ellipsis},
      // The two bytes of the e acute would end past the limit.
      {std::string(15996, 'a') + "\xC3\xA9" + std::string(100, 'b'),
       std::string(15996, 'a') + ellipsis},
      {std::string(15995, 'a') + "\xC3\xA9" + std::string(100, 'b'),
       std::string(15995, 'a') + "\xC3\xA9" + ellipsis},
      {std::string(4000, '&'),
       [] {
         std::string label;
         for (int i = 0; i < 3199; ++i) label += "&amp;";
         return label;
       }() +
           ellipsis},
  };
  for (const Case& c : cases) {
    NetGraph graph;
    graph.places = {{c.name, std::string(20000, 'i'), {}}};
    std::ostringstream out;
    ASSERT_TRUE(write_dot(graph, out));
    const std::string text = out.str();
    const size_t label = text.find("label=<") + 7;
    EXPECT_EQ(text.substr(label, text.find(">, tooltip=") - label), c.label)
        << c.name.size();
    // Joined again, the tooltip's pieces hold the whole text, none of them
    // longer than the limit (these texts hold no escapes).
    const size_t open = text.find("tooltip=\"") + 9;
    const std::string pieces = text.substr(open, text.find("\"];") - open);
    std::string tooltip;
    for (size_t at = 0;;) {
      const size_t end = pieces.find("\" + \"", at);
      const std::string piece = pieces.substr(at, end - at);
      EXPECT_LE(piece.size(), 16000u);
      tooltip += piece;
      if (end == std::string::npos) break;
      at = end + 5;
    }
    EXPECT_EQ(tooltip, c.name + ": " + std::string(20000, 'i'));
  }
}

}  // namespace
}  // namespace marovel
