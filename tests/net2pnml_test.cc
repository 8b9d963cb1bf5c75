// End-to-end runs of net2pnml, with pnml2net reading back what it writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/counted.h"
#include "base/test_status.h"
#include "bench/net_generator.h"
#include "netfile/net_file_reader.h"
#include "tool_runner.h"
#include "xml/xml_document.h"
#include "xml/xml_lookup.h"
#include "xml/xml_writer.h"

namespace marovel::testing {
namespace {

std::string source_path(const std::string& relative) {
  return std::string(MAROVEL_SOURCE_DIR) + "/" + relative;
}

// A net file as net2pnml reads it, or as pnml2net wrote it.
struct LoadedNet {
  explicit LoadedNet(const std::string& path) {
    const Status status = read_net_file(path, net);
    ok = status.ok();
    EXPECT_TRUE(ok) << path << ": " << status.message();
  }
  NetFile net;
  bool ok = false;
};

// Names and arcs, in their order: two files hold the same net when these
// are equal.
std::vector<std::string> net_lines(const NetFile& net) {
  std::vector<std::string> lines;
  for (const NetFileNode& node : net.places)
    lines.push_back("place " + std::string(node.name));
  for (const NetFileNode& node : net.transitions)
    lines.push_back("transition " + std::string(node.name));
  for (const NetFileArc& arc : net.arcs) {
    const std::string place(net.places[arc.place].name);
    const std::string transition(net.transitions[arc.transition].name);
    lines.push_back((arc.to_transition ? place + " -> " + transition
                                       : transition + " -> " + place) +
                    " " + std::to_string(arc.weight));
  }
  return lines;
}

std::string xml_of(const XmlNode* node) {
  std::ostringstream out;
  XmlWriter xml(out);
  xml.copy(*node);
  xml.finish();
  return out.str();
}

std::string xml_of(const MemberStore& store, MemberStore::Offset element) {
  std::ostringstream out;
  XmlWriter xml(out);
  store.copy(element, xml);
  xml.finish();
  return out.str();
}

std::vector<const XmlNode*> child_elements(const XmlNode* parent,
                                           std::string_view name) {
  std::vector<const XmlNode*> children;
  for (const XmlNode* child = parent->first_child; child != nullptr;
       child = child->next_sibling)
    if (child->is_element() && child->name == name) children.push_back(child);
  return children;
}

// Checks each PNML node against the net file's: its PNML name is the
// original name, and a survivor of a reduction (and only it) carries its
// own info and its last aggregates in a toolspecific block.
void expect_nodes_carried(const std::string& pnml_path, const NetFile& net) {
  XmlDocument pnml;
  ASSERT_TRUE(IsOk(load_xml_file(pnml_path, pnml)));
  const XmlNode* page =
      find_child_element(find_child_element(pnml.root(), "net"), "page");
  ASSERT_NE(page, nullptr) << pnml_path;
  const struct {
    const char* element;
    const std::vector<NetFileNode>& nodes;
  } kKinds[] = {{"place", net.places}, {"transition", net.transitions}};
  for (const auto& kind : kKinds) {
    const std::vector<const XmlNode*> written =
        child_elements(page, kind.element);
    ASSERT_EQ(written.size(), kind.nodes.size()) << pnml_path;
    for (size_t i = 0; i < written.size(); ++i) {
      const NetFileNode& node = kind.nodes[i];
      const XmlNode* text =
          find_child_element(find_child_element(written[i], "name"), "text");
      ASSERT_NE(text, nullptr);
      EXPECT_EQ(text->first_child->content, node.name);
      const std::vector<const XmlNode*> blocks =
          child_elements(written[i], "toolspecific");
      const std::optional<MemberStore::Offset> aggregates =
          last_child_element(net.store(), node.element, "aggregates");
      if (!aggregates) {
        EXPECT_TRUE(blocks.empty()) << node.name;
        continue;
      }
      ASSERT_EQ(blocks.size(), 1u) << node.name;
      std::string expected = xml_of(net.store(), *aggregates);
      if (node.info != kNoInfo)
        expected = xml_of(net.store(), node.info) + expected;
      std::string carried;
      for (const XmlNode* child = blocks[0]->first_child; child != nullptr;
           child = child->next_sibling)
        carried += xml_of(child);
      EXPECT_EQ(carried, expected) << node.name;
    }
  }
}

// Converts `name` (in `dir`) to PNML under the default name and back with
// pnml2net, and checks that the same net came back.
void expect_round_trip(const ScratchDir& dir, const std::string& name) {
  SCOPED_TRACE(name);
  const std::string stem = name.substr(0, name.rfind('.'));
  const LoadedNet before(dir.file(name));
  ASSERT_TRUE(before.ok);
  ToolRun run = run_program(NET2PNML_BINARY, {name}, dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "Wrote " + stem + ".pnml: " +
                         counted(before.net.places.size(), "place") + ", " +
                         counted(before.net.transitions.size(), "transition") +
                         ", " + counted(before.net.arcs.size(), "arc") + "\n");
  expect_nodes_carried(dir.file(stem + ".pnml"), before.net);

  run = run_program(PNML2NET_BINARY, {stem + ".pnml", "-o", stem + "_back.xml"},
                    dir.path());
  if (before.net.arcs.empty()) {  // marovel's format needs an arc
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("has no arcs"), std::string::npos) << run.err;
    return;
  }
  ASSERT_EQ(run.status, 0) << run.err;
  const LoadedNet after(dir.file(stem + "_back.xml"));
  EXPECT_EQ(net_lines(after.net), net_lines(before.net));
}

// Reduces `name` in `dir` with marovel; returns the reduced file's name.
std::string reduce(const ScratchDir& dir, const std::string& name) {
  const ToolRun run = run_tool({name}, dir.path());
  EXPECT_EQ(run.status, 1) << run.out;
  return name.substr(0, name.rfind('.')) + "_reduced.xml";
}

TEST(Net2PnmlTest, ExamplesAndTheirReductionsComeBackThroughPnml2net) {
  ScratchDir dir;
  std::vector<std::string> names;
  for (const auto& entry :
       std::filesystem::directory_iterator(source_path("examples")))
    if (entry.path().extension() == ".xml") {
      names.push_back(entry.path().filename().string());
      dir.write(names.back(), read_file(entry.path().string()));
    }
  ASSERT_FALSE(names.empty());
  dir.write("print_shop.pnml",
            read_file(source_path("examples/print_shop.pnml")));
  ASSERT_EQ(run_program(PNML2NET_BINARY, {"print_shop.pnml", "-o", "shop.xml"},
                        dir.path())
                .status,
            0);
  names.push_back("shop.xml");
  for (const std::string& name : std::vector<std::string>(names))
    names.push_back(reduce(dir, name));
  for (const std::string& name : names) expect_round_trip(dir, name);
  // The reduced print shop's survivors carry what they took in.
  const std::string shop = read_file(dir.file("shop_reduced.pnml"));
  EXPECT_NE(shop.find("<info>print_fast (laser printer)</info>"),
            std::string::npos);
}

TEST(Net2PnmlTest, GeneratedNetsAndTheirReductionsComeBack) {
  ScratchDir dir;
  for (const bench::Family family : bench::kFamilies) {
    const std::string name = std::string(bench::family_name(family)) + ".xml";
    std::ostringstream text;
    bench::write_net_xml(bench::generate_net(family, 300, 7), text);
    dir.write(name, text.str());
    expect_round_trip(dir, name);
    expect_round_trip(dir, reduce(dir, name));
  }
}

// Names that are no XML ids, a name that is both a place and a transition,
// and weights of every kind.
const char kAwkwardNet[] =
    "<petrinet><placelist>"
    "<place name='x'/><place name='1a'/><place name='a b'/>"
    "<place name='x_1'/>"
    "</placelist><transitionlist>"
    "<transition name='x'/><transition name='\xC3\xA9'/>"
    "</transitionlist><edgelist>"
    "<edge from='x' to='x'/>"
    "<edge from='x' to='x' multiplicity='1'/>"
    "<edge from='\xC3\xA9' to='1a' multiplicity='3'/>"
    "<edge from='a b' to='\xC3\xA9' multiplicity=' +1'/>"
    "<edge from='\xC3\xA9' to='x_1' multiplicity='0'/>"
    "<edge from='x_1' to='\xC3\xA9' multiplicity='-1'/>"
    "</edgelist></petrinet>";

TEST(Net2PnmlTest, NamesBecomeUniqueIdsAndWeightsInscriptions) {
  ScratchDir dir;
  dir.write("net.xml", kAwkwardNet);
  ToolRun run =
      run_program(NET2PNML_BINARY, {"net.xml", "-o", "out.pnml"}, dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Wrote out.pnml: 4 places, 2 transitions, 3 arcs\n");
  const std::string pnml = read_file(dir.file("out.pnml"));
  EXPECT_NE(pnml.find("<net id=\"net\" type=\"http://www.pnml.org/"
                      "version-2009/grammar/ptnet\">"),
            std::string::npos);
  // The place x keeps its id, so the transition x takes the next free one.
  EXPECT_NE(pnml.find("<arc id=\"a1\" source=\"x\" target=\"x_2\">\n"
                      "        <inscription>\n"
                      "          <text>2</text>"),
            std::string::npos)
      << pnml;
  EXPECT_NE(pnml.find("<arc id=\"a2\" source=\"\xC3\xA9\" target=\"_1a\">\n"
                      "        <inscription>\n"
                      "          <text>3</text>"),
            std::string::npos);
  EXPECT_NE(pnml.find("<arc id=\"a3\" source=\"a_b\" target=\"\xC3\xA9\"/>"),
            std::string::npos);
  EXPECT_EQ(pnml.find("toolspecific"), std::string::npos);
  EXPECT_EQ(pnml.find("initialMarking"), std::string::npos);

  // pnml2net reads it; the nodes are named by their ids there.
  run =
      run_program(PNML2NET_BINARY, {"out.pnml", "-o", "back.xml"}, dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  const LoadedNet back(dir.file("back.xml"));
  EXPECT_EQ(net_lines(back.net),
            (std::vector<std::string>{
                "place x", "place _1a", "place a_b", "place x_1",
                "transition x_2", "transition \xC3\xA9", "x -> x_2 2",
                "\xC3\xA9 -> _1a 3", "a_b -> \xC3\xA9 1"}));
}

// A weight marovel fuses past the signed 32-bit range goes through net2pnml
// and pnml2net whole, and so do parallel edges that add up past it.
TEST(Net2PnmlTest, WeightsPastTwoToTheThirtyFirstComeBackWhole) {
  ScratchDir dir;
  // Rule A fuses o into i, and the weights from u add up.
  dir.write("fused.xml",
            "<petrinet><placelist><p name='i'><info/></p><p name='o'><info/>"
            "</p></placelist><transitionlist><t name='t'><info/></t>"
            "<t name='u'/></transitionlist>"
            "<edgelist><e from='i' to='t'/><e from='t' to='o'/>"
            "<e from='u' to='i' multiplicity='2147483647'/>"
            "<e from='u' to='o' multiplicity='2147483647'/>"
            "</edgelist></petrinet>");
  dir.write("parallel.xml",
            "<petrinet><placelist><p name='p'/></placelist><transitionlist>"
            "<t name='t'/></transitionlist><edgelist>"
            "<e from='t' to='p' multiplicity='2147483647'/>"
            "<e from='t' to='p' multiplicity='2147483647'/>"
            "<e from='t' to='p' multiplicity='2147483647'/>"
            "</edgelist></petrinet>");
  const std::string fused = reduce(dir, "fused.xml");
  EXPECT_NE(read_file(dir.file(fused)).find("multiplicity=\"4294967294\""),
            std::string::npos);
  for (const auto& [name, weight] :
       {std::pair<std::string, std::string>{fused, "4294967294"},
        {"parallel.xml", "6442450941"}}) {
    expect_round_trip(dir, name);
    const std::string stem = name.substr(0, name.rfind('.'));
    EXPECT_NE(read_file(dir.file(stem + ".pnml"))
                  .find("<inscription>\n          <text>" + weight + "</text>"),
              std::string::npos)
        << name;
    EXPECT_NE(read_file(dir.file(stem + "_back.xml"))
                  .find("multiplicity=\"" + weight + "\""),
              std::string::npos)
        << name;
  }
}

TEST(Net2PnmlTest, RefusalsLeaveNoOutput) {
  const std::pair<std::string, std::string> cases[] = {
      {"<pnml/>",
       "not a marovel net file: the root element is 'pnml', not 'petrinet'"},
      {"<petrinet><transitionlist/><edgelist/></petrinet>",
       "not a marovel net file: it has no placelist"},
      {"<petrinet><placelist><p name='p'/></placelist><edgelist/></petrinet>",
       "not a marovel net file: it has no transitionlist"},
      {"<petrinet><placelist><p name='p'/></placelist><transitionlist>"
       "<t name='t'/></transitionlist></petrinet>",
       "not a marovel net file: it has no edgelist"},
      {"<petrinet><placelist><p name='p'/><p name='q'/></placelist>"
       "<transitionlist><t name='t'/></transitionlist><edgelist>"
       "<e from='p' to='q'/></edgelist></petrinet>",
       "the edge from 'p' to 'q' does not join a declared place and "
       "transition"},
      {"<petrinet><placelist><p/></placelist><transitionlist/><edgelist/>"
       "</petrinet>",
       "an element <p> of the placelist has no name"},
  };
  for (const auto& [document, error] : cases) {
    ScratchDir dir;
    dir.write("net.xml", document);
    const ToolRun run = run_program(NET2PNML_BINARY, {"net.xml"}, dir.path());
    EXPECT_EQ(run.status, 1) << document;
    EXPECT_EQ(run.err, "net2pnml: net.xml: " + error + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(dir.files().size(), 1u) << document << " left an output";
  }
}

TEST(Net2PnmlTest, FilesAndCommandLine) {
  ScratchDir dir;
  dir.write("broken.xml", "<petrinet><placelist>");
  ToolRun run = run_program(NET2PNML_BINARY, {"broken.xml"}, dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("net2pnml: XML parsing error", 0), 0u) << run.err;
  run = run_program(NET2PNML_BINARY, {"missing.xml"}, dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("net2pnml: can't open file 'missing.xml'", 0), 0u)
      << run.err;
  EXPECT_EQ(dir.files().size(), 1u);

  // The input is never the output, under its own name or another.
  dir.write("net.pnml", kAwkwardNet);
  run = run_program(NET2PNML_BINARY, {"net.pnml"}, dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "net2pnml: the output 'net.pnml' would overwrite the input; name "
            "another one with -o\n");
  run = run_program(NET2PNML_BINARY, {"net.pnml", "-o", "./net.pnml"},
                    dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(read_file(dir.file("net.pnml")), kAwkwardNet);

  // A save that fails leaves the old output as it was.
  dir.write("out.pnml", "old");
  run = run_program(NET2PNML_BINARY, {"net.pnml", "-o", "out.pnml"}, dir.path(),
                    /*file_size_limit=*/200);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("net2pnml: ", 0), 0u) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(read_file(dir.file("out.pnml")), "old");
  EXPECT_EQ(dir.files().size(), 3u);

  run = run_program(NET2PNML_BINARY, {}, dir.path());
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind("net2pnml: no input file given\nUsage: net2pnml", 0),
            0u)
      << run.err;
  run = run_program(NET2PNML_BINARY, {"--help"}, dir.path());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("Usage: net2pnml INPUT.xml [-o OUTPUT.pnml]\n", 0),
            0u);
}

}  // namespace
}  // namespace marovel::testing
