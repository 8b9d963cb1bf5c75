#include "xml/xml_writer.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <sstream>
#include <streambuf>
#include <string>

#include "base/test_status.h"
#include "xml/xml_document.h"

namespace marovel {
namespace {

constexpr std::string_view kDeclaration =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";

TEST(XmlWriterTest, LaysOutDocument) {
  std::ostringstream sink;
  XmlWriter writer(sink);
  writer.start_element("petrinet");
  writer.start_element("info");
  writer.start_element("generatedby");
  writer.text("marovel 0.1");
  writer.end_element();
  writer.end_element();
  writer.start_element("edgelist");
  writer.start_element("edge");
  writer.attribute("from", "a");
  writer.attribute("to", "b");
  writer.attribute("multiplicity", "1");
  writer.end_element();
  writer.end_element();
  writer.start_element("emptylist");
  writer.end_element();
  writer.start_element("mixed");
  writer.text("hi");
  writer.start_element("b");
  writer.end_element();
  writer.text("tail");
  writer.end_element();
  writer.comment(" note ");
  writer.start_element("raw");
  writer.cdata("<&>");
  writer.end_element();
  writer.end_element();
  ASSERT_TRUE(writer.finish());

  EXPECT_EQ(sink.str(),
            std::string(kDeclaration) +
                "<petrinet>\n"
                "  <info>\n"
                "    <generatedby>marovel 0.1</generatedby>\n"
                "  </info>\n"
                "  <edgelist>\n"
                "    <edge from=\"a\" to=\"b\" multiplicity=\"1\"/>\n"
                "  </edgelist>\n"
                "  <emptylist/>\n"
                "  <mixed>hi\n"
                "    <b/>tail</mixed>\n"
                "  <!-- note -->\n"
                "  <raw>\n"
                "    <![CDATA[<&>]]>\n"
                "  </raw>\n"
                "</petrinet>\n");
}

TEST(XmlWriterTest, EscapesTextAndAttributeValues) {
  struct Case {
    std::string_view raw, in_text, in_attribute;
  };
  const Case cases[] = {
      {"a&b", "a&amp;b", "a&amp;b"},
      {"&amp;", "&amp;amp;", "&amp;amp;"},
      {"<x>", "&lt;x&gt;", "&lt;x&gt;"},
      {"say \"it's\"", "say \"it's\"", "say &quot;it's&quot;"},
      {"a\tb\nc", "a\tb\nc", "a&#x9;b&#xA;c"},
      {"a\r\nb", "a&#xD;\nb", "a&#xD;&#xA;b"},
      {"caf\xC3\xA9", "caf\xC3\xA9", "caf\xC3\xA9"},
  };
  for (const Case& c : cases) {
    std::ostringstream sink;
    XmlWriter writer(sink);
    writer.start_element("r");
    writer.attribute("v", c.raw);
    writer.text(c.raw);
    writer.end_element();
    ASSERT_TRUE(writer.finish());
    EXPECT_EQ(sink.str(), std::string(kDeclaration) + "<r v=\"" +
                              std::string(c.in_attribute) + "\">" +
                              std::string(c.in_text) + "</r>\n")
        << c.raw;
  }
}

TEST(XmlWriterTest, ValuesSurviveRoundTrip) {
  const std::string values[] = {
      "&amp;",     "a<b>c",      "q\"uo'te",
      "tab\there", "line\nfeed", "carriage\rreturn",
      "crlf\r\n",  " spaced ",   "\xE2\x82\xAC",
  };
  std::ostringstream sink;
  XmlWriter writer(sink);
  writer.start_element("r");
  for (const std::string& value : values) {
    writer.start_element("e");
    writer.attribute("v", value);
    writer.text(value);
    writer.end_element();
  }
  writer.end_element();
  ASSERT_TRUE(writer.finish());

  XmlDocument doc;
  ASSERT_TRUE(IsOk(load_xml_string(sink.str(), doc)));
  const XmlNode* e = doc.root()->first_child;
  for (const std::string& value : values) {
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->attributes[0].value, value);
    ASSERT_NE(e->first_child, nullptr);
    EXPECT_EQ(e->first_child->content, value);
    e = e->next_sibling;
  }
  EXPECT_EQ(e, nullptr);
}

TEST(XmlWriterTest, CopiesLoadedSubtreeInLayout) {
  const std::string input = std::string(kDeclaration) +
                            "<net>\n"
                            "  <place name=\"p&amp;1\" x=\"&quot;\">\n"
                            "    <info>text &lt;</info>\n"
                            "    <m>\n"
                            "      <b/>tail</m>\n"
                            "    <!--c-->\n"
                            "    <![CDATA[ & ]]>\n"
                            "  </place>\n"
                            "  <empty a=\"1\"/>\n"
                            "</net>\n";
  XmlDocument doc;
  ASSERT_TRUE(IsOk(load_xml_string(input, doc)));

  // The whole document comes back byte for byte. (Text followed by a
  // sibling element would not: it gains the indentation on the way.)
  std::ostringstream whole;
  XmlWriter whole_writer(whole);
  whole_writer.copy(*doc.root());
  ASSERT_TRUE(whole_writer.finish());
  EXPECT_EQ(whole.str(), input);

  // A subtree copied two levels down is indented for its new depth, and its
  // siblings in the input are not copied with it.
  std::ostringstream nested;
  XmlWriter writer(nested);
  writer.start_element("petrinet");
  writer.start_element("placelist");
  writer.copy(*doc.root()->first_child);
  writer.end_element();
  writer.end_element();
  ASSERT_TRUE(writer.finish());
  EXPECT_EQ(nested.str(), std::string(kDeclaration) +
                              "<petrinet>\n"
                              "  <placelist>\n"
                              "    <place name=\"p&amp;1\" x=\"&quot;\">\n"
                              "      <info>text &lt;</info>\n"
                              "      <m>\n"
                              "        <b/>tail</m>\n"
                              "      <!--c-->\n"
                              "      <![CDATA[ & ]]>\n"
                              "    </place>\n"
                              "  </placelist>\n"
                              "</petrinet>\n");
}

// The shortcuts write what the long way writes: an empty element in one
// call, and a child laid out elsewhere and appended as raw markup.
TEST(XmlWriterTest, ShortcutsWriteWhatTheLongWayWrites) {
  std::ostringstream long_way, shortcut;
  XmlWriter a(long_way), b(shortcut);
  for (XmlWriter* writer : {&a, &b}) {
    writer->start_element("petrinet");
    writer->start_element("placelist");
  }
  a.start_element("edge");
  a.attribute("from", "p\"1");
  a.attribute("to", "t<1");
  a.end_element();
  b.empty_element("edge", {{"from", "p\"1"}, {"to", "t<1"}});
  a.end_element();
  b.end_element();
  a.start_element("edgelist");
  a.start_element("edge");
  a.end_element();
  a.end_element();
  b.begin_formatted_child();
  EXPECT_EQ(b.depth(), 1u);
  b.raw("<edgelist>");
  b.raw("\n    <edge/>\n  </edgelist>");
  ASSERT_TRUE(a.finish());
  ASSERT_TRUE(b.finish());
  EXPECT_EQ(shortcut.str(), long_way.str());
}

// Runs `body` on a thread whose stack is far too small for any recursion
// that follows the depth of the tree.
void run_on_small_stack(void (*body)(void*), void* arg) {
  struct Call {
    void (*body)(void*);
    void* arg;
  } call{body, arg};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 128 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(
                &thread, &attr,
                [](void* p) -> void* {
                  auto* c = static_cast<Call*>(p);
                  c->body(c->arg);
                  return nullptr;
                },
                &call),
            0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

TEST(XmlWriterTest, CopiesDeepNestingWithoutRecursion) {
  // The small stack rather than the depth is what would expose recursion.
  constexpr int kDepth = 4000;
  std::string input;
  for (int i = 0; i < kDepth; ++i) input += "<a>";
  for (int i = 0; i < kDepth; ++i) input += "</a>";
  XmlDocument doc;
  ASSERT_TRUE(IsOk(load_xml_string(input, doc)));

  struct Job {
    const XmlNode* root;
    std::ostringstream sink;
    bool ok = false;
  } job{doc.root(), {}, false};
  run_on_small_stack(
      [](void* p) {
        auto* j = static_cast<Job*>(p);
        XmlWriter writer(j->sink);
        writer.copy(*j->root);
        j->ok = writer.finish();
      },
      &job);
  ASSERT_TRUE(job.ok);

  // Layout stops at depth 64, keeping the output linear in the depth.
  const auto line = [](int depth) {
    return depth <= 64 ? "\n" + std::string(2 * depth, ' ') : std::string();
  };
  std::string expected(kDeclaration);
  for (int i = 0; i < kDepth - 1; ++i) expected += "<a>" + line(i + 1);
  expected += "<a/>";
  for (int i = kDepth - 2; i >= 0; --i) expected += line(i) + "</a>";
  expected += "\n";
  EXPECT_EQ(job.sink.str(), expected);
  XmlDocument again;
  ASSERT_TRUE(IsOk(load_xml_string(job.sink.str(), again)));
}

// Accepts `budget` bytes, then fails every write.
class FailingBuf : public std::streambuf {
 public:
  explicit FailingBuf(size_t budget) : budget_(budget) {}

 protected:
  std::streamsize xsputn(const char*, std::streamsize n) override {
    const auto taken =
        std::min<std::streamsize>(n, static_cast<std::streamsize>(budget_));
    budget_ -= static_cast<size_t>(taken);
    return taken;
  }
  int_type overflow(int_type) override { return traits_type::eof(); }

 private:
  size_t budget_;
};

TEST(XmlWriterTest, FinishReportsFailingSink) {
  // Fails at the final flush, after one full buffer, and before any write.
  for (size_t budget : {size_t{0}, size_t{100}, size_t{3} << 20}) {
    FailingBuf buf(budget);
    std::ostream sink(&buf);
    XmlWriter writer(sink);
    writer.start_element("r");
    for (int i = 0; i < 200'000; ++i) writer.text("twenty bytes of text");
    writer.end_element();
    EXPECT_FALSE(writer.finish()) << budget;
  }

  std::ostringstream bad;
  bad.setstate(std::ios::badbit);
  XmlWriter writer(bad);
  writer.start_element("r");
  writer.end_element();
  EXPECT_FALSE(writer.finish());
}

}  // namespace
}  // namespace marovel
