// The phases that split their work over two cores (parsing while the model
// is built, sorting the names, the closure check, building the match index,
// laying out the edge list) must give what one core gives. The threshold is
// lowered so that small nets take the two-core paths.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "base/run_both.h"
#include "base/test_status.h"
#include "bench/net_generator.h"
#include "model/net_model.h"
#include "reader/net_reader_for_testing.h"
#include "reduce/reducer.h"
#include "reduce/test_net.h"
#include "writer/net_writer_for_testing.h"
#include "xml/xml_document.h"

namespace marovel::testing {
namespace {

struct Outcome {
  std::string net, aggregates, log, reduced, reduced_aggregates, written;
  ElementIndex elements;
  InputNet input;
};

Outcome run(const XmlDocument& doc, TwoCores cores) {
  Outcome result;
  NetModel model;
  EXPECT_TRUE(read_net_document(doc, model, &result.input, cores).ok());
  result.elements = result.input.index;
  result.net = dump_net(model);
  result.aggregates = dump_aggregates(model);
  std::ostringstream log;
  run_reduction(
      model, {.log = &log, .cores = cores, .known_closed_and_mirrored = true});
  result.log = log.str();
  result.reduced = dump_net(model);
  result.reduced_aggregates = dump_aggregates(model);
  std::ostringstream members, xml;
  EXPECT_TRUE(
      write_reduced_document(result.input, model, "DATE", members, xml, cores)
          .ok());
  result.written = members.str() + xml.str();
  return result;
}

TEST(TwoCoresTest, EveryFamilyReadsAndReducesAsOnOneCore) {
  for (const bench::Family family : bench::kFamilies) {
    SCOPED_TRACE(std::string(bench::family_name(family)));
    std::ostringstream text;
    bench::write_net_xml(bench::generate_net(family, 600, 7), text);
    XmlDocument doc;
    ASSERT_TRUE(IsOk(load_xml_string(text.str(), doc)));
    const Outcome one = run(doc, TwoCores::never());
    const Outcome two = run(doc, TwoCores::always());
    EXPECT_EQ(two.net, one.net);
    EXPECT_EQ(two.aggregates, one.aggregates);
    EXPECT_EQ(two.elements.places, one.elements.places);
    EXPECT_EQ(two.elements.transitions, one.elements.transitions);
    EXPECT_EQ(two.log, one.log);
    EXPECT_EQ(two.reduced, one.reduced);
    EXPECT_EQ(two.reduced_aggregates, one.reduced_aggregates);
    EXPECT_EQ(two.written, one.written);
  }
}

TEST(TwoCoresTest, AnExceptionOnEitherCoreReachesTheCaller) {
  for (const bool first_throws : {true, false}) {
    bool other_ran = false;
    EXPECT_THROW(run_both(
                     true,
                     [&] {
                       if (first_throws) throw std::bad_alloc();
                       other_ran = true;
                     },
                     [&] {
                       if (!first_throws) throw std::bad_alloc();
                       other_ran = true;
                     }),
                 std::bad_alloc);
    // The other half ran to its end before the exception went on.
    EXPECT_TRUE(other_ran);
  }
}

}  // namespace
}  // namespace marovel::testing
