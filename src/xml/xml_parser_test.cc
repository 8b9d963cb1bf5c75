#include "xml/xml_parser.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "base/test_status.h"
#include "xml/xml_document.h"
#include "xml/xml_replay.h"

namespace marovel {
namespace {

// Writes down every call as text. Picky, it wants everything inside
// elements whose name starts with 't', nothing inside those starting with
// 's', elements only elsewhere, and nothing more of an element once a child
// named "stop" has ended in it.
class Recorder final : public XmlContentHandler {
 public:
  explicit Recorder(bool picky) : picky_(picky) {}

  void start_element(std::string_view name,
                     std::span<const XmlAttribute> attributes) override {
    log += '<';
    log += name;
    for (const XmlAttribute& a : attributes) {
      log += ' ';
      log += a.name;
      log += '=';
      log += a.value;
    }
    log += '>';
    open_.push_back({std::string(name), false});
  }
  void end_element() override {
    log += "</";
    log += open_.back().name;
    log += '>';
    const bool stop = open_.back().name == "stop";
    open_.pop_back();
    if (stop && !open_.empty()) open_.back().done = true;
  }
  void content(XmlNodeType type, std::string_view text) override {
    static constexpr const char* kTags[] = {"", "T", "C", "D"};
    log += kTags[static_cast<int>(type)];
    log += '"';
    log += text;
    log += '"';
  }
  XmlInterest interest() const override {
    if (!picky_) return XmlInterest::kEverything;
    if (open_.empty()) return XmlInterest::kElements;
    const Open& innermost = open_.back();
    if (innermost.done || innermost.name[0] == 's')
      return XmlInterest::kNothing;
    return innermost.name[0] == 't' ? XmlInterest::kEverything
                                    : XmlInterest::kElements;
  }

  std::string log;

 private:
  struct Open {
    std::string name;
    bool done;
  };
  bool picky_;
  std::vector<Open> open_;
};

std::string parsed(std::string_view xml, bool picky) {
  Recorder recorder(picky);
  if (const Status status = parse_xml_string(xml, recorder); !status.ok())
    return "error: " + status.message();
  return recorder.log;
}

std::string replayed(std::string_view xml, bool picky) {
  XmlDocument doc;
  if (const Status status = load_xml_string(xml, doc); !status.ok())
    return "error: " + status.message();
  Recorder recorder(picky);
  replay_xml(doc, recorder);
  return recorder.log;
}

TEST(XmlParserTest, ParsingAndReplayingHandOnTheSameContent) {
  const char* documents[] = {
      "<a>  <b/>\n\t<c/>\r\n</a>",
      "<a>\n  lead<b/>tail\n</a>",
      "<a>x&amp;y&#65;z&lt;</a>",
      "<t> <!--c--> x<!--d--> <![CDATA[ ]]>y<![CDATA[]]><?pi?>z </t>",
      "<!--before--><a k='v' j=''><t>1<b>2</b>3</t><s>4<t>5</t></s>6</a>",
      "<a><t>in<stop/>after<t>x</t></t><b>y<t>z</t></b></a>",
      "<s><t>nothing</t></s>",
      "<a><b><stop/><t>gone</t></b><t>kept<stop/></t><t>next</t></a>",
      "<!DOCTYPE a [<!ENTITY e \"<t>x</t>\">]><a>&e;<t>&e;</t></a>",
      "<a><b></a>",
  };
  for (const char* xml : documents) {
    for (const bool picky : {false, true}) {
      EXPECT_EQ(parsed(xml, picky), replayed(xml, picky))
          << xml << (picky ? " (picky)" : "");
    }
  }
  // What the picky handler is handed, spelled out once.
  EXPECT_EQ(parsed("<a>no<t> yes<s>no<t>no</t></s><b>no</b></t>no</a>", true),
            "<a><t>T\" yes\"<s></s><b></b></t></a>");
  EXPECT_EQ(parsed("<a><t>in<stop/>after</t><b>y</b></a>", true),
            "<a><t>T\"in\"<stop></stop></t><b></b></a>");
}

// A file read in several buffers, with what the handler wants changing on
// either side of the seams.
TEST(XmlParserTest, ParsesFileLargerThanOneBuffer) {
  const std::string filler(200, 'x');
  std::string xml = "<a>";
  for (int i = 0; xml.size() < (size_t{9} << 20); ++i) {
    xml += "<t n='" + std::to_string(i) + "'>" + filler + "<s>" + filler +
           "</s></t><b>" + filler + "</b>\n";
  }
  xml += "</a>";
  std::string path = testing::TempDir() + "xml_parser_test_XXXXXX";
  const int fd = mkstemp(path.data());
  ASSERT_GE(fd, 0);
  close(fd);
  std::ofstream(path, std::ios::binary) << xml;

  Recorder from_file(true);
  ASSERT_TRUE(IsOk(parse_xml_file(path, from_file)));
  std::remove(path.c_str());
  EXPECT_EQ(from_file.log, replayed(xml, true));
}

}  // namespace
}  // namespace marovel
