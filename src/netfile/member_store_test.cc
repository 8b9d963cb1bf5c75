#include "netfile/member_store.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "base/test_status.h"
#include "xml/xml_document.h"
#include "xml/xml_parser.h"
#include "xml/xml_replay.h"
#include "xml/xml_writer.h"

namespace marovel {
namespace {

// Keeps every element below the root in a store, as the scanner keeps a
// list's members.
class StoreEverything final : public XmlContentHandler {
 public:
  explicit StoreEverything(MemberStore& store) : store_(store) {}
  void start_element(std::string_view name,
                     std::span<const XmlAttribute> attributes) override {
    if (depth_++ == 0) return;
    const MemberStore::Offset offset = store_.start_element(name, attributes);
    if (depth_ == 2) tops.push_back(offset);
  }
  void end_element() override {
    if (--depth_ > 0) store_.end_element();
  }
  void content(XmlNodeType type, std::string_view text) override {
    if (depth_ > 1) store_.content(type, text);
  }
  std::vector<MemberStore::Offset> tops;

 private:
  MemberStore& store_;
  size_t depth_ = 0;
};

// Writes the root's children, each through `write`, under two levels.
template <typename Write>
std::string written(Write write) {
  std::ostringstream text;
  XmlWriter xml(text);
  xml.start_element("petrinet");
  xml.start_element("placelist");
  write(xml);
  xml.end_element();
  xml.end_element();
  xml.finish();
  return text.str();
}

// The store gives back what the document holds: elements and attributes in
// order, escapes, text, comments, CDATA, nesting and long strings.
TEST(MemberStoreTest, CopiesWhatTheDocumentCopies) {
  const std::string long_text(300, 'x');
  const std::string input =
      "<net><place name=\"p&amp;1\" x=\"&quot;\" y=\"\"><info>text &lt; " +
      long_text +
      "</info><m><b/>tail</m><!--c--><![CDATA[ & ]]></place>"
      "<empty a=\"1\"/><t name=\"q\"><info/></t></net>";
  XmlDocument doc;
  ASSERT_TRUE(IsOk(load_xml_string(input, doc)));
  MemberStore store;
  StoreEverything handler(store);
  replay_xml(doc, handler);
  ASSERT_EQ(handler.tops.size(), 3u);

  EXPECT_EQ(written([&](XmlWriter& xml) {
              for (const MemberStore::Offset top : handler.tops)
                store.copy(top, xml);
            }),
            written([&](XmlWriter& xml) {
              for (const XmlNode* child = doc.root()->first_child;
                   child != nullptr; child = child->next_sibling)
                xml.copy(*child);
            }));
  // Left open, an element takes more children before its end.
  EXPECT_EQ(written([&](XmlWriter& xml) {
              store.copy(handler.tops[1], xml, /*leave_open=*/true);
              xml.start_element("aggregates");
              xml.end_element();
              xml.end_element();
            }),
            written([&](XmlWriter& xml) {
              xml.start_element("empty");
              xml.attribute("a", "1");
              xml.start_element("aggregates");
              xml.end_element();
              xml.end_element();
            }));
}

// A walk meets the element and everything below it in document order, each
// node at its depth, and stops at the element's end.
TEST(MemberStoreTest, WalkMeetsEveryNodeBelowTheElement) {
  XmlDocument doc;
  ASSERT_TRUE(IsOk(load_xml_string(
      "<net><place a='1'>x<m><b/>y</m><!--c--><![CDATA[z]]></place>"
      "<next/></net>",
      doc)));
  MemberStore store;
  StoreEverything handler(store);
  replay_xml(doc, handler);
  std::string walked;
  store.walk(handler.tops[0], [&](const MemberStore::Node& node) {
    walked += std::to_string(node.depth) + ":" + std::string(node.text) + " ";
  });
  EXPECT_EQ(walked, "0:place 1:x 1:m 2:b 2:y 1:c 1:z ");
  // An element's offset is where a copy of it starts.
  std::vector<MemberStore::Offset> elements;
  store.walk(handler.tops[0], [&](const MemberStore::Node& node) {
    if (node.type == XmlNodeType::kElement) elements.push_back(node.offset);
  });
  ASSERT_EQ(elements.size(), 3u);
  EXPECT_EQ(elements[0], handler.tops[0]);
  EXPECT_EQ(written([&](XmlWriter& xml) { store.copy(elements[1], xml); }),
            written([&](XmlWriter& xml) {
              xml.start_element("m");
              xml.start_element("b");
              xml.end_element();
              xml.text("y");
              xml.end_element();
            }));
}

}  // namespace
}  // namespace marovel
