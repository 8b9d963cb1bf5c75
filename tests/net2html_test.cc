// End-to-end runs of net2html: the page it writes and what it refuses. The
// replay itself is tested in a browser (tests/browser/).
#include <gtest/gtest.h>

#include <string>

#include "tool_runner.h"

namespace marovel::testing {
namespace {

std::string example(const std::string& name) {
  return read_file(std::string(MAROVEL_SOURCE_DIR) + "/examples/" + name);
}

TEST(Net2HtmlTest, WritesOneSelfContainedPageBesideTheInput) {
  ScratchDir dir;
  dir.write("series.xml", example("series.xml"));
  dir.write("print_shop.pnml", example("print_shop.pnml"));
  ToolRun run = run_program(NET2HTML_BINARY, {"series.xml"}, dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(
      run.out,
      "Wrote series.html: 2 steps over 6 places, 3 transitions, 8 arcs\n");
  const std::string page = read_file(dir.file("series.html"));
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  // Nothing that loads (the browser test watches the requests themselves),
  // and every placeholder filled.
  for (const char* outside : {"<link", "src=", "href=", "@import", "url(http",
                              "fetch(", "XMLHttpRequest", "/*@"})
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  EXPECT_NE(page.find("\"p_boards\""), std::string::npos);
  EXPECT_NE(page.find("\"layout\":{"), std::string::npos);

  run = run_program(NET2HTML_BINARY,
                    {"print_shop.pnml", "--rules=cd", "-o", "shop.html"},
                    dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(read_file(dir.file("shop.html")).find("\"rules\":\"C"),
            std::string::npos);
}

// A name that would end the data's <script> element early, were '<' not
// escaped.
TEST(Net2HtmlTest, NamesCannotEndTheScript) {
  ScratchDir dir;
  dir.write("odd.xml",
            "<petrinet><placelist><place name='&lt;/script&gt;\"&#9;'/>"
            "</placelist><transitionlist><transition name='t'/>"
            "</transitionlist><edgelist><edge from='t' "
            "to='&lt;/script&gt;\"&#9;'/></edgelist></petrinet>");
  const ToolRun run = run_program(NET2HTML_BINARY, {"odd.xml"}, dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string page = read_file(dir.file("odd.html"));
  EXPECT_NE(page.find("\"\\u003c/script>\\\"\\u0009\""), std::string::npos);
  EXPECT_EQ(page.find("</script>\""), std::string::npos);
}

TEST(Net2HtmlTest, Refusals) {
  ScratchDir dir;
  dir.write("series.xml", example("series.xml"));
  dir.write("broken.xml", "<petrinet><placelist>");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;  // how the message starts
  };
  const Case cases[] = {
      {{"missing.xml"}, 1, "net2html: missing.xml: "},
      {{"broken.xml"}, 1, "net2html: broken.xml: "},
      {{"series.xml", "--keep=p_nowhere"}, 1, "net2html: series.xml: "},
      {{"series.xml", "-o", "series.xml"}, 1, "net2html: the output"},
      {{"series.xml", "--rules=AZ"}, 2, "net2html: option '--rules'"},
      {{"series.xml", "--steps=many"}, 2, "net2html: option '--steps'"},
      {{}, 2, "net2html: no input file given\nUsage: net2html"},
  };
  for (const Case& c : cases) {
    const ToolRun run = run_program(NET2HTML_BINARY, c.args, dir.path());
    EXPECT_EQ(run.status, c.status) << c.err;
    EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << run.err;
  }
  // Nothing but the inputs is left.
  EXPECT_EQ(dir.files().size(), 2u);
}

}  // namespace
}  // namespace marovel::testing
