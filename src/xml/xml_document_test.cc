#include "xml/xml_document.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/test_status.h"

namespace marovel {
namespace {

// A one-line picture of a subtree: name{attr=value,...}(children...) for an
// element, T"..." for text, C"..." for a comment and D"..." for CDATA.
std::string dump(const XmlNode& node) {
  switch (node.type) {
    case XmlNodeType::kText:
      return "T\"" + std::string(node.content) + "\"";
    case XmlNodeType::kComment:
      return "C\"" + std::string(node.content) + "\"";
    case XmlNodeType::kCData:
      return "D\"" + std::string(node.content) + "\"";
    case XmlNodeType::kElement:
      break;
  }
  std::string out(node.name);
  if (!node.attributes.empty()) {
    out += "{";
    for (const XmlAttribute& a : node.attributes) {
      if (out.back() != '{') out += ",";
      out += std::string(a.name) + "=" + std::string(a.value);
    }
    out += "}";
  }
  if (node.first_child != nullptr) {
    out += "(";
    for (const XmlNode* c = node.first_child; c != nullptr;
         c = c->next_sibling) {
      if (c != node.first_child) out += " ";
      out += dump(*c);
    }
    out += ")";
  }
  return out;
}

std::string load_and_dump(std::string_view xml) {
  XmlDocument doc;
  if (const Status status = load_xml_string(xml, doc); !status.ok())
    return "error: " + status.message();
  return dump(*doc.root());
}

struct TreeCase {
  const char* label;
  const char* xml;
  const char* tree;
};

TEST(XmlDocumentTest, BuildsTree) {
  const TreeCase cases[] = {
      {"blank text between elements is dropped", "<a>  <b/>\n\t<c/>\r\n</a>",
       "a(b c)"},
      {"text keeps its surrounding white space", "<a> hi </a>", "a(T\" hi \")"},
      {"mixed content keeps leading white space", "<a>\n  lead<b/>tail\n</a>",
       "a(T\"\n  lead\" b T\"tail\n\")"},
      {"character data delivered in pieces is one node",
       "<a>x&amp;y&#65;z&lt;</a>", "a(T\"x&yAz<\")"},
      {"a comment splits text", "<a>x<!--c-->y</a>", "a(T\"x\" C\"c\" T\"y\")"},
      {"pieces split by a comment are judged apart", "<a> <!--c--> </a>",
       "a(C\"c\")"},
      {"CDATA sections are nodes of their own",
       "<a> <![CDATA[ ]]> x<![CDATA[<b>&]]>y</a>",
       "a(D\" \" T\" x\" D\"<b>&\" T\"y\")"},
      {"an empty CDATA section is kept", "<a><![CDATA[]]></a>", "a(D\"\")"},
      {"processing instructions are dropped", "<a><?pi data?><b/>x<?p?>y</a>",
       "a(b T\"xy\")"},
      {"nothing outside the root is kept",
       "<?xml version=\"1.0\"?>\n<!--before--><?pi?>\n<a/>\n<!--after-->\n",
       "a"},
      {"attributes stay in document order", "<a z=\"1\" a=\"2\" m=\"\"/>",
       "a{z=1,a=2,m=}"},
      {"a prefix is part of the name",
       "<x:a xmlns:x=\"urn:x\" x:b=\"1\"><x:c/></x:a>",
       "x:a{xmlns:x=urn:x,x:b=1}(x:c)"},
      {"attribute values are normalised as XML says",
       "<a v=\"1\t2\n3\" w=\"&#9;&#10;&#13;&quot;\"/>",
       "a{v=1 2 3,w=\t\n\r\"}"},
      {"internal entities are expanded",
       "<!DOCTYPE a [<!ENTITY e \"<b>x</b>\"><!ENTITY t \"t\">]><a>&e;&t;</a>",
       "a(b(T\"x\") T\"t\")"},
  };
  for (const TreeCase& c : cases) {
    EXPECT_EQ(load_and_dump(c.xml), c.tree) << c.label;
  }
}

std::string utf16_with_bom(std::u16string_view text, bool big_endian) {
  std::string bytes;
  for (char16_t unit : std::u16string(u"\uFEFF") + std::u16string(text)) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += big_endian ? high : low;
    bytes += big_endian ? low : high;
  }
  return bytes;
}

TEST(XmlDocumentTest, DecodesDeclaredEncodingsToUtf8) {
  struct Case {
    const char* label;
    std::string bytes;
    std::string tree;
  };
  const Case cases[] = {
      {"UTF-16LE", utf16_with_bom(u"<r a='\u00e9'>\u20ac</r>", false),
       "r{a=\xC3\xA9}(T\"\xE2\x82\xAC\")"},
      {"UTF-16BE", utf16_with_bom(u"<r a='\u00e9'>\u20ac</r>", true),
       "r{a=\xC3\xA9}(T\"\xE2\x82\xAC\")"},
      {"ISO-8859-1",
       "<?xml version='1.0' encoding='ISO-8859-1'?><r a='\xE9'>\xFC</r>",
       "r{a=\xC3\xA9}(T\"\xC3\xBC\")"},
      {"windows-1252",
       "<?xml version='1.0' encoding='windows-1252'?>"
       "<caf\xE9 a='\x80'>\x9C</caf\xE9>",
       "caf\xC3\xA9{a=\xE2\x82\xAC}(T\"\xC5\x93\")"},
      {"ISO-8859-2",
       "<?xml version='1.0' encoding='iso-8859-2'?><r\xB1 a='\xB1'/>",
       "r\xC4\x85{a=\xC4\x85}"},
      {"KOI8-R", "<?xml version='1.0' encoding='KOI8-R'?><r a='\xC1'>\xE1</r>",
       "r{a=\xD0\xB0}(T\"\xD0\x90\")"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(load_and_dump(c.bytes), c.tree) << c.label;
  }
}

// What iconv says one byte of `encoding` means alone, from a fresh state and
// with whatever the converter holds back flushed: a code point, or none for
// a byte the encoding leaves undefined.
std::optional<char32_t> converter_meaning(const char* encoding,
                                          unsigned char byte) {
  const iconv_t cd = iconv_open("UTF-32LE", encoding);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  char in = static_cast<char>(byte);
  char out[16];
  char* in_ptr = &in;
  char* out_ptr = out;
  size_t in_left = 1, out_left = sizeof out;
  const bool converted = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left) !=
                             static_cast<size_t>(-1) &&
                         iconv(cd, nullptr, nullptr, &out_ptr, &out_left) !=
                             static_cast<size_t>(-1);
  iconv_close(cd);
  if (!converted || sizeof out - out_left != 4) return std::nullopt;
  char32_t code = 0;
  std::memcpy(&code, out, 4);
  return code;
}

std::string utf8(char32_t code) {
  std::string text;
  if (code < 0x80) {
    text += static_cast<char>(code);
  } else if (code < 0x800) {
    text += static_cast<char>(0xC0 | code >> 6);
    text += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    text += static_cast<char>(0xE0 | code >> 12);
    text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    text += static_cast<char>(0x80 | (code & 0x3F));
  }
  return text;
}

// Converters that keep a base letter back, waiting for a combining mark:
// every byte must still read as what the encoding defines, and a byte it
// leaves undefined must still refuse the file.
TEST(XmlDocumentTest, DecodesEncodingsWhoseConvertersKeepState) {
  const struct {
    const char* encoding;
    // A few bytes and the code points their code pages give them.
    std::vector<std::pair<unsigned char, char32_t>> known;
  } kCases[] = {
      {"windows-1255",
       {{0xE0, 0x05D0},
        {0xFA, 0x05EA},
        {0xA4, 0x20AA},
        {0xC0, 0x05B0},
        {0x41, 0x41}}},
      {"windows-1258",
       {{0xC3, 0x0102},
        {0xE3, 0x0103},
        {0xCC, 0x0300},
        {0xD5, 0x01A0},
        {0xDD, 0x01AF},
        {0x80, 0x20AC},
        {0x41, 0x41}}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.encoding);
    for (const auto& [byte, code] : c.known)
      EXPECT_EQ(converter_meaning(c.encoding, byte), code) << int{byte};
    // Every byte that may stand in character data, in one text node.
    const std::string head =
        std::string("<?xml version='1.0' encoding='") + c.encoding + "'?>";
    std::string bytes = head + "<r>", expected;
    int undefined = 0;
    for (int byte = 0x20; byte < 0x100; ++byte) {
      if (byte == '<' || byte == '&') continue;
      const std::optional<char32_t> code = converter_meaning(c.encoding, byte);
      if (!code) {
        ++undefined;
        XmlDocument doc;
        EXPECT_FALSE(load_xml_string(
                         head + "<r>" + static_cast<char>(byte) + "</r>", doc)
                         .ok())
            << byte;
        continue;
      }
      bytes += static_cast<char>(byte);
      expected += utf8(*code);
    }
    bytes += "</r>";
    EXPECT_EQ(load_and_dump(bytes), "r(T\"" + expected + "\")");
    EXPECT_GT(undefined, 0);
  }
}

TEST(XmlDocumentTest, ReportsParseErrorsWithLine) {
  const TreeCase cases[] = {
      {"mismatched tag", "<a>\n<b>\n</a>",
       "error: XML parsing error: 'mismatched tag' at line 3"},
      {"empty input", "",
       "error: XML parsing error: 'no element found' at line 1"},
      {"no root element", "<?xml version='1.0'?>\n<!-- only -->\n",
       "error: XML parsing error: 'no element found' at line 3"},
      {"two roots", "<a/>\n<b/>",
       "error: XML parsing error: 'junk after document element' at line 2"},
      {"repeated attribute", "<a x='1' x='2'/>",
       "error: XML parsing error: 'duplicate attribute' at line 1"},
      {"undefined entity", "<a>\n&nope;</a>",
       "error: XML parsing error: 'undefined entity' at line 2"},
      {"unknown encoding", "<?xml version='1.0' encoding='x-no-such'?><a/>",
       "error: XML parsing error: 'unknown encoding' at line 1"},
      {"multibyte encoding is refused",
       "<?xml version='1.0' encoding='Shift_JIS'?><a/>",
       "error: XML parsing error: 'unknown encoding' at line 1"},
      {"byte with no meaning in the encoding",
       "<?xml version='1.0' encoding='windows-1252'?>\n<a>\x81</a>",
       "error: XML parsing error: 'not well-formed (invalid token)' at line 2"},
  };
  for (const TreeCase& c : cases) {
    EXPECT_EQ(load_and_dump(c.xml), c.tree) << c.label;
  }
}

TEST(XmlDocumentTest, RefusesEntityExpansionBomb) {
  std::string xml =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n"
      " <!ENTITY lol0 \"lol\">\n";
  for (int i = 1; i <= 9; ++i) {
    xml += " <!ENTITY lol" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) xml += "&lol" + std::to_string(i - 1) + ";";
    xml += "\">\n";
  }
  xml += "]>\n<lolz>&lol9;</lolz>\n";  // 3 GB once expanded

  const auto start = std::chrono::steady_clock::now();
  const std::string result = load_and_dump(xml);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_NE(result.find("amplification"), std::string::npos) << result;
  EXPECT_LT(elapsed, std::chrono::seconds(20));
}

class TempDir : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = testing::TempDir() + "xml_document_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string write_file(const std::string& name, std::string_view bytes) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  std::string dir_;
};

using XmlFileTest = TempDir;

TEST_F(XmlFileTest, NeverFetchesExternalEntities) {
  const std::string secret = write_file("secret.txt", "SECRET");
  const std::string dtd =
      write_file("leak.dtd",
                 "<!ENTITY leak \"SECRET\"><!ATTLIST a x CDATA "
                 "\"SECRET\">");
  const std::string documents[] = {
      "<!DOCTYPE a [<!ENTITY x SYSTEM \"file://" + secret + "\">]><a>&x;</a>",
      "<!DOCTYPE a [<!ENTITY % p SYSTEM \"file://" + dtd +
          "\"> %p;]><a>&leak;</a>",
      "<!DOCTYPE a SYSTEM \"file://" + dtd + "\"><a>&leak;</a>",
  };
  for (const std::string& xml : documents) {
    // Refusing the document or skipping the reference are both fine.
    EXPECT_EQ(load_and_dump(xml).find("SECRET"), std::string::npos) << xml;
  }
}

TEST_F(XmlFileTest, LoadsFileAndReportsUnreadable) {
  XmlDocument doc;
  const std::string path =
      write_file("net.xml", "<net>\n <p name='a'/>\n</net>");
  ASSERT_TRUE(IsOk(load_xml_file(path, doc)));
  EXPECT_EQ(dump(*doc.root()), "net(p{name=a})");

  const std::string broken = write_file("broken.xml", "<net>\n<p>\n");
  XmlDocument broken_doc;
  Status status = load_xml_file(broken, broken_doc);
  EXPECT_EQ(status.code(), Status::Code::kIoError);
  EXPECT_EQ(status.message(),
            "XML parsing error: 'no element found' at line 3");

  const std::string missing = dir_ + "/missing.xml";
  XmlDocument missing_doc;
  status = load_xml_file(missing, missing_doc);
  EXPECT_EQ(status.code(), Status::Code::kIoError);
  EXPECT_EQ(status.message(), "can't open file '" + missing +
                                  "' (error 2: No such file or directory)");

  XmlDocument dir_doc;
  EXPECT_EQ(load_xml_file(dir_, dir_doc).message(),
            "can't open file '" + dir_ + "' (error 21: Is a directory)");

  // A FIFO with no writer must be refused at once, not waited on.
  const std::string fifo = dir_ + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  XmlDocument fifo_doc;
  EXPECT_EQ(load_xml_file(fifo, fifo_doc).message(),
            "can't open file '" + fifo + "'");
}

// More than one read and one parse call, with tokens cut at the seams.
TEST_F(XmlFileTest, LoadsInputLargerThanOneChunk) {
  std::string xml = "<net>";
  int count = 0;
  while (xml.size() < (size_t{9} << 20)) {
    xml += "<place name=\"p" + std::to_string(count++) + "\">text</place>\n";
  }
  xml += "<last/></net>";
  const std::string path = write_file("big.xml", xml);

  XmlDocument from_string, from_file;
  ASSERT_TRUE(IsOk(load_xml_string(xml, from_string)));
  ASSERT_TRUE(IsOk(load_xml_file(path, from_file)));
  for (const XmlDocument* doc : {&from_string, &from_file}) {
    int places = 0;
    const XmlNode* last = nullptr;
    for (const XmlNode* n = doc->root()->first_child; n != nullptr;
         n = n->next_sibling) {
      if (n->name == "place" &&
          n->attributes[0].value == "p" + std::to_string(places) &&
          n->first_child->content == "text") {
        ++places;
      }
      last = n;
    }
    EXPECT_EQ(places, count);
    EXPECT_EQ(last->name, "last");
  }
}

TEST(XmlDocumentTest, LoadsMillionDeepNesting) {
  constexpr int kDepth = 1'000'000;
  std::string xml;
  xml.reserve(7 * kDepth + 8);
  for (int i = 0; i < kDepth; ++i) xml += "<a>";
  xml += "x";
  for (int i = 0; i < kDepth; ++i) xml += "</a>";

  XmlDocument doc;
  ASSERT_TRUE(IsOk(load_xml_string(xml, doc)));
  int depth = 0;
  const XmlNode* node = doc.root();
  for (; node->is_element(); node = node->first_child) {
    ASSERT_EQ(node->next_sibling, nullptr);
    ++depth;
  }
  EXPECT_EQ(depth, kDepth);
  EXPECT_EQ(node->content, "x");
}

}  // namespace
}  // namespace marovel
