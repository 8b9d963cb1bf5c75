// Inputs whose members use namespace prefixes declared outside them: what
// marovel and net2pnml write must still bind every prefix, so that
// namespace-aware readers take it.
#include <expat.h>
#include <gtest/gtest.h>

#include <string>

#include "tool_runner.h"

namespace marovel::testing {
namespace {

// Whether `xml` parses with namespace processing on; `error` says why not.
bool namespace_well_formed(const std::string& xml, std::string& error) {
  XML_Parser parser = XML_ParserCreateNS(nullptr, ' ');
  const bool ok = XML_Parse(parser, xml.data(), static_cast<int>(xml.size()),
                            /*isFinal=*/1) == XML_STATUS_OK;
  if (!ok) error = XML_ErrorString(XML_GetErrorCode(parser));
  XML_ParserFree(parser);
  return ok;
}

// A chain folded by rule A into p1, whose members use x: and y:, declared
// on the root and on the place list.
const char kNet[] =
    "<petrinet xmlns:x=\"urn:x\" xmlns=\"urn:default\">"
    "<placelist xmlns:y=\"urn:y\">"
    "<place name=\"p1\" x:color=\"red\"><info><x:note "
    "y:k=\"1\"/></info></place>"
    "<place name=\"p2\"><info>two</info></place></placelist>"
    "<transitionlist><transition name=\"t1\"><info><x:t/></info></transition>"
    "</transitionlist><edgelist><edge from=\"p1\" to=\"t1\"/>"
    "<edge from=\"t1\" to=\"p2\"/></edgelist></petrinet>";

TEST(NamespacedInputTest, OutputsBindEveryPrefixTheirCopiesUse) {
  ScratchDir dir;
  dir.write("net.xml", kNet);
  std::string error;
  ASSERT_TRUE(namespace_well_formed(kNet, error)) << error;

  ASSERT_EQ(run_tool({"net.xml"}, dir.path()).status, 1);
  const std::string reduced = read_file(dir.file("net_reduced.xml"));
  EXPECT_TRUE(namespace_well_formed(reduced, error)) << error << reduced;
  // The declarations follow the copied element's own attributes, in the
  // order of first use; the default namespace is left as it is.
  EXPECT_NE(reduced.find("<place name=\"p1\" x:color=\"red\" "
                         "xmlns:x=\"urn:x\" xmlns:y=\"urn:y\">"),
            std::string::npos)
      << reduced;
  // Each info in the aggregates: p1's, p2's (no prefix), t1's.
  EXPECT_NE(reduced.find("<info xmlns:x=\"urn:x\" xmlns:y=\"urn:y\">\n"
                         "          <x:note y:k=\"1\"/>"),
            std::string::npos)
      << reduced;
  EXPECT_NE(reduced.find("<info>two</info>"), std::string::npos) << reduced;
  EXPECT_NE(reduced.find("<info xmlns:x=\"urn:x\">\n          <x:t/>"),
            std::string::npos)
      << reduced;
  EXPECT_EQ(reduced.find("urn:default"), std::string::npos) << reduced;

  // net2pnml carries the survivor's info and aggregates, bound as well.
  ASSERT_EQ(
      run_program(NET2PNML_BINARY, {"net_reduced.xml"}, dir.path()).status, 0);
  const std::string pnml = read_file(dir.file("net_reduced.pnml"));
  EXPECT_TRUE(namespace_well_formed(pnml, error)) << error << pnml;
}

}  // namespace
}  // namespace marovel::testing
