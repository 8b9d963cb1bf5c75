// marovel and the companion commands read one format: on every input they
// accept or refuse alike, but for the two differences netfile/net_fault.h
// states. marovel runs with no rule enabled, so that what it writes depends
// on the reading alone; net2pnml's PNML goes on through pnml2net.
#include <gtest/gtest.h>

#include <string>

#include "tool_runner.h"

namespace marovel::testing {
namespace {

enum class Verdict {
  kAccepted,
  kRefused,
  // A `multiplicity` that is no signed 32-bit number counts as 1 for
  // marovel (its outputs are fixed), while the companions take a weight in
  // full or refuse the value.
  kMarovelAlone,
  // A list without members, as marovel writes for a net reduced to places:
  // marovel refuses it, the companions read it (and pnml2net refuses a net
  // without arcs, as marovel would).
  kCompanionsAlone,
};

struct Case {
  const char* what;
  std::string places, transitions, edges;
  Verdict verdict;
  std::string rest = "";  // the root's other children
};

// A net with the given list bodies, under a root of the given name.
std::string net_file(const Case& c, const std::string& root = "petrinet") {
  return "<" + root + "><placelist>" + c.places + "</placelist>" +
         "<transitionlist>" + c.transitions + "</transitionlist><edgelist>" +
         c.edges + "</edgelist>" + c.rest + "</" + root + ">";
}

TEST(ReadersAgreeTest, OddInputsAreAcceptedOrRefusedByAllFourCommands) {
  const std::string p = "<place name='p'/>";
  const std::string t = "<transition name='t'/>";
  const std::string e = "<edge from='p' to='t'/>";
  const Verdict ok = Verdict::kAccepted;
  const Verdict no = Verdict::kRefused;
  const Case cases[] = {
      {"plain", p, t, e, ok},
      {"comment in placelist", p + "<!-- c -->", t, e, no},
      {"comment in transitionlist", p, "<!-- c -->" + t, e, no},
      {"comment in edgelist", p, t, e + "<!-- c -->", no},
      {"processing instructions in the lists", "<?pi a?>" + p, t + "<?pi b?>",
       "<?pi c?>" + e, ok},
      {"CDATA in placelist", p + "<![CDATA[]]>", t, e, no},
      {"CDATA in edgelist", p, t, "<![CDATA[x]]>" + e, no},
      {"text in placelist", "x" + p, t, e, no},
      {"text in edgelist", p, t, e + "x", no},
      {"white space around members", "\n  " + p + "\t\r\n", " " + t + " ",
       "\n" + e + "\n", ok},
      {"comments inside members and between lists",
       "<place name='p'><!-- c --><info><!-- d -->i</info></place>", t, e, ok,
       "<!-- c --><?pi?>"},
      {"members of any element name", "<node name='p'/>", "<x name='t'/>",
       "<arc from='p' to='t'/>", ok},
      {"member without a name", p + "<place/>", t, e, no},
      {"transition without a name", p, t + "<transition id='u'/>", e, no},
      {"name declared twice", p + "<place name='p' n='2'/>", t + t, e + e, ok},
      {"name both a place and a transition", p + "<place name='x'/>",
       t + "<transition name='x'/>",
       e + "<edge from='x' to='x'/><edge from='t' to='x'/>", ok},
      {"edge from an unknown name", p, t, "<edge from='q' to='t'/>", no},
      {"edge to an unknown name", p, t, e + "<edge from='t' to='q'/>", no},
      {"edge without from", p, t, "<edge to='t'/>", no},
      {"edge without to", p, t, e + "<edge from='p'/>", no},
      {"edge between two places", p + "<place name='q'/>", t,
       e + "<edge from='p' to='q'/>", no},
      {"edge between two transitions", p, t + "<transition name='u'/>",
       e + "<edge from='t' to='u'/>", no},
      {"edges of weight 0 and below", p, t,
       e + "<edge from='t' to='p' multiplicity='0'/>"
           "<edge from='t' to='p' multiplicity=' -7'/>",
       ok},
      {"weights marovel reads alike", p, t,
       "<edge from='p' to='t' multiplicity=' +2147483647'/>"
       "<edge from='p' to='t' multiplicity='007'/>",
       ok},
      {"weight past 32 bits", p, t,
       "<edge from='p' to='t' multiplicity='4294967294'/>", ok},
      {"empty placelist", "", t, e, no},
      {"net reduced to a place", p, "", "", Verdict::kCompanionsAlone},
      {"white space alone in the edgelist", p, t, "\n  ",
       Verdict::kCompanionsAlone},
      {"only the first placelist counts", p, t, e, ok,
       "<placelist><!-- c --></placelist>"},
      {"weight that is no number", p, t,
       e + "<edge from='t' to='p' multiplicity='two'/>",
       Verdict::kMarovelAlone},
      {"weight past 64 bits", p, t,
       "<edge from='p' to='t' multiplicity='18446744073709551616'/>",
       Verdict::kMarovelAlone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    dir.write("net.xml", net_file(c));
    const bool marovel_reads =
        c.verdict == Verdict::kAccepted || c.verdict == Verdict::kMarovelAlone;
    const bool companions_read = c.verdict == Verdict::kAccepted ||
                                 c.verdict == Verdict::kCompanionsAlone;
    const ToolRun marovel = run_tool({"--rules=-", "net.xml"}, dir.path());
    EXPECT_EQ(marovel.status, marovel_reads ? 1 : 2) << marovel.out;
    const ToolRun dot = run_program(NET2DOT_BINARY, {"net.xml"}, dir.path());
    EXPECT_EQ(dot.status, companions_read ? 0 : 1) << dot.err;
    const ToolRun pnml = run_program(NET2PNML_BINARY, {"net.xml"}, dir.path());
    EXPECT_EQ(pnml.status, companions_read ? 0 : 1) << pnml.err;
    if (pnml.status != 0) continue;
    const ToolRun back = run_program(
        PNML2NET_BINARY, {"net.pnml", "-o", "back.xml"}, dir.path());
    EXPECT_EQ(back.status, marovel_reads ? 0 : 1) << back.err;
  }
  // A root of another name, and the lists one level too deep.
  ScratchDir dir;
  const Case plain{"", "<place name='p'/>", "<transition name='t'/>",
                   "<edge from='p' to='t'/>", Verdict::kRefused};
  dir.write("pnml.xml", net_file(plain, "pnml"));
  dir.write("deep.xml",
            "<petrinet><net>" + net_file(plain) + "</net>" + "</petrinet>");
  for (const char* name : {"pnml.xml", "deep.xml"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(run_tool({"--rules=-", name}, dir.path()).status, 2);
    EXPECT_EQ(run_program(NET2DOT_BINARY, {name}, dir.path()).status, 1);
    EXPECT_EQ(run_program(NET2PNML_BINARY, {name}, dir.path()).status, 1);
  }
}

}  // namespace
}  // namespace marovel::testing
