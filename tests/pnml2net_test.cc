// End-to-end runs of pnml2net, alone and followed by marovel.
#include <gtest/gtest.h>

#include <string>

#include "tool_runner.h"

namespace marovel::testing {
namespace {

std::string source_file(const std::string& relative) {
  return read_file(std::string(MAROVEL_SOURCE_DIR) + "/" + relative);
}

TEST(Pnml2NetTest, EveryRefusalFailsWithoutOutput) {
  struct Case {
    const char* fixture;
    std::string error;
  };
  const Case cases[] = {
      {"coloured_net.pnml",
       "the net 'colours' is of type "
       "'http://www.pnml.org/version-2009/grammar/symmetricnet', not a "
       "place/transition net; only those can be converted"},
      {"inhibitor_arc.pnml",
       "arc 'stop' is of type 'inhibitor'; only ordinary arcs can be "
       "converted"},
      {"reset_arc.pnml",
       "arc 'clear' is of type 'reset'; only ordinary arcs can be converted"},
      {"read_arc.pnml",
       "arc 'peek' is of type 'read'; only ordinary arcs can be converted"},
      {"place_to_place.pnml",
       "arc 'wrong' goes from the place 'p1' to the place 'p2'; an arc must "
       "join a place and a transition"},
      {"transition_to_transition.pnml",
       "arc 'wrong' goes from the transition 't1' to the transition 't2'; an "
       "arc must join a place and a transition"},
      {"unknown_id.pnml",
       "arc 'lost' has the target 'nowhere', which is no node of the net"},
      {"inscription_not_integer.pnml",
       "arc 'half' has the inscription '2.5', which is not a positive "
       "integer of at most 18446744073709551615"},
      {"inscription_not_positive.pnml",
       "arc 'none' has the inscription '0', which is not a positive integer "
       "of at most 18446744073709551615"},
      {"two_nets.pnml",
       "the PNML file holds 2 nets ('first', 'second'); pick one with --net "
       "ID"},
      {"not_pnml.pnml",
       "not a PNML file: the root element is 'petrinet', not 'pnml'"},
      {"reference_cycle.pnml",
       "the reference 'r1' leads back to itself through a cycle of "
       "references"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    dir.write("net.pnml",
              source_file(std::string("tests/fixtures/pnml/") + c.fixture));
    const ToolRun run = run_program(PNML2NET_BINARY, {"net.pnml"}, dir.path());
    EXPECT_EQ(run.status, 1) << c.fixture;
    EXPECT_EQ(run.err, "pnml2net: net.pnml: " + c.error + "\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(dir.files().size(), 1u) << c.fixture << " left an output";
  }
}

TEST(Pnml2NetTest, FilesAndCommandLine) {
  ScratchDir dir;
  dir.write("nets.pnml", source_file("tests/fixtures/pnml/two_nets.pnml"));
  ToolRun run = run_program(PNML2NET_BINARY, {"nets.pnml", "--net", "second"},
                            dir.path());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Wrote nets.xml: 1 place, 1 transition, 1 arc\n");
  EXPECT_EQ(read_file(dir.file("nets.xml")),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
            "<petrinet>\n"
            "  <placelist>\n"
            "    <place name=\"q\">\n"
            "      <info>q, initial marking 0</info>\n"
            "    </place>\n"
            "  </placelist>\n"
            "  <transitionlist>\n"
            "    <transition name=\"u\">\n"
            "      <info>u</info>\n"
            "    </transition>\n"
            "  </transitionlist>\n"
            "  <edgelist>\n"
            "    <edge from=\"u\" to=\"q\" multiplicity=\"4\"/>\n"
            "  </edgelist>\n"
            "</petrinet>\n");

  // The input is never the output, under its own name or another.
  run = run_program(PNML2NET_BINARY, {"nets.xml"}, dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "pnml2net: the output 'nets.xml' would overwrite the input; name "
            "another one with -o\n");
  run = run_program(PNML2NET_BINARY, {"./nets.pnml", "-o", "nets.pnml"},
                    dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("would overwrite the input"), std::string::npos);

  dir.write("broken.pnml", "<pnml><net>");
  run = run_program(PNML2NET_BINARY, {"broken.pnml"}, dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("pnml2net: XML parsing error", 0), 0u) << run.err;
  run = run_program(PNML2NET_BINARY, {"missing.pnml"}, dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("pnml2net: can't open file 'missing.pnml'", 0), 0u)
      << run.err;
  EXPECT_FALSE(dir.files().contains("broken.xml"));
  EXPECT_FALSE(dir.files().contains("missing.xml"));

  run = run_program(PNML2NET_BINARY, {}, dir.path());
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.rfind("pnml2net: no input file given\nUsage: pnml2net", 0),
            0u)
      << run.err;
  run = run_program(PNML2NET_BINARY, {"-h"}, dir.path());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("Usage: pnml2net", 0), 0u);
}

TEST(Pnml2NetTest, ConvertedNetReducesAsExpected) {
  ScratchDir dir;
  dir.write("print_shop.pnml", source_file("examples/print_shop.pnml"));
  ToolRun run = run_program(PNML2NET_BINARY, {"print_shop.pnml"}, dir.path());
  ASSERT_EQ(run.status, 0) << run.err;
  run = run_tool({"-l", "print_shop.xml"}, dir.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "\n p_map size :3\n t_map size :2bind\nready\n");
  EXPECT_EQ(read_file(dir.file("print_shop.log")),
            "A:queue,take,job reduced\n"
            "C:bind,copy_a,copy_b,file reduced\n"
            "A:copy_a,file,filed reduced\n"
            "D:queue,print_fast,print_slow,printed reduced\n"
            "A:queue,print_fast,printed reduced\n"
            "E:bind,ready reduced\n");
  const std::string reduced =
      undated(read_file(dir.file("print_shop_reduced.xml")));
  EXPECT_EQ(reduced, source_file("tests/fixtures/pnml/print_shop_reduced.xml"));
}

}  // namespace
}  // namespace marovel::testing
