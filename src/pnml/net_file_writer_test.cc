#include "pnml/net_file_writer.h"

#include <gtest/gtest.h>

#include <sstream>

#include "base/test_status.h"
#include "model/net_model.h"
#include "reader/net_reader_for_testing.h"
#include "xml/xml_document.h"

namespace marovel {
namespace {

PtNet small_net() {
  PtNet net;
  net.id = "n";
  net.places = {{"p1", "in & <out>", "3"}, {"p2", "p2", "0"}};
  net.transitions = {{"t1", "", ""}};
  net.arcs = {{0, 0, true, 1}, {1, 0, false, 7}};
  return net;
}

TEST(NetFileWriterTest, EveryNodeCarriesWhatItWasInItsInfo) {
  std::ostringstream out;
  ASSERT_TRUE(write_net_file(small_net(), out));
  EXPECT_EQ(out.str(),
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
            "<petrinet>\n"
            "  <placelist>\n"
            "    <place name=\"p1\">\n"
            "      <info>p1 (in &amp; &lt;out&gt;), initial marking 3</info>\n"
            "    </place>\n"
            "    <place name=\"p2\">\n"
            "      <info>p2, initial marking 0</info>\n"
            "    </place>\n"
            "  </placelist>\n"
            "  <transitionlist>\n"
            "    <transition name=\"t1\">\n"
            "      <info>t1</info>\n"
            "    </transition>\n"
            "  </transitionlist>\n"
            "  <edgelist>\n"
            "    <edge from=\"p1\" to=\"t1\"/>\n"
            "    <edge from=\"t1\" to=\"p2\" multiplicity=\"7\"/>\n"
            "  </edgelist>\n"
            "</petrinet>\n");
}

TEST(NetFileWriterTest, MarovelReadsTheFileBack) {
  std::ostringstream out;
  ASSERT_TRUE(write_net_file(small_net(), out));
  XmlDocument doc;
  ASSERT_TRUE(IsOk(load_xml_string(out.str(), doc)));
  NetModel model;
  const Status status = read_net_document(doc, model);
  ASSERT_TRUE(status.ok()) << status.message();
  EXPECT_EQ(model.p_map.size(), 2u);
  EXPECT_EQ(model.p_map.find(model.id("p1"))
                ->out.count(model.t_map.id_of(model.id("t1"))),
            1u);
  EXPECT_EQ(model.t_map.find(model.id("t1"))
                ->out.count(model.p_map.id_of(model.id("p2"))),
            7u);
}

}  // namespace
}  // namespace marovel
