#include "pnml/xml_ids.h"

#include <gtest/gtest.h>

#include "base/test_status.h"
#include "xml/xml_document.h"

namespace marovel {
namespace {

std::string utf8(char32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

TEST(XmlIdsTest, NamesMadeNCNames) {
  const std::pair<std::string, std::string> cases[] = {
      {"p1", "p1"},
      {"_x.y-z", "_x.y-z"},
      {"1a", "_1a"},
      {"a b", "a_b"},
      {"", "_"},
      {".x", "_.x"},
      {"-", "_-"},
      {"a:b", "a_b"},            // a colon would make it a qualified name
      {"\xC3\xA9", "\xC3\xA9"},  // é
      {"\xCE\xA9\xCE\xBC", "\xCE\xA9\xCE\xBC"},  // Greek
      {"\xD0\x96", "\xD0\x96"},                  // Cyrillic
      {"a\xC3\x97"
       "b",
       "a__b"},                  // ×, not a letter
      {"\xE6\x97\xA5", "____"},  // CJK: one '_' a byte, and a leading one
      {"a\xC3", "a_"},           // a sequence cut short
      {"\xC3\xA9\xFF", "\xC3\xA9_"},
  };
  for (const auto& [name, id] : cases) EXPECT_EQ(ncname_from(name), id) << name;
}

TEST(XmlIdsTest, EveryResultIsANameExpatAccepts) {
  // Expat checks names against the first edition of XML 1.0, the strictest
  // there is: any character a later edition alone allows would fail here.
  std::string doc = "<r>";
  const auto add = [&](const std::string& name) {
    const std::string id = ncname_from(name);
    EXPECT_EQ(id.find(':'), std::string::npos) << name;
    doc += "<" + id + "/><a" + id + "/>";
  };
  for (int byte = 1; byte < 256; ++byte) add(std::string(1, char(byte)));
  for (char32_t c = 0x80; c < 0x800; ++c) add(utf8(c));
  for (char32_t c = 0x800; c < 0x110000; c += 0x101)
    if (c < 0xD800 || c > 0xDFFF) add(utf8(c));
  doc += "</r>";
  XmlDocument parsed;
  EXPECT_TRUE(IsOk(load_xml_string(doc, parsed)));
}

TEST(XmlIdsTest, NodeIdsAreUniqueAndKeepValidNames) {
  XmlIdSpace space;
  // A later valid name keeps its id over an earlier one that sanitises to
  // it; the same name twice (a place and a transition) gets a suffix, and
  // the suffix skips what is already taken.
  const std::vector<std::string_view> names = {"a b", "x",   "a_b",
                                               "x",   "x_1", "1a"};
  EXPECT_EQ(
      take_node_ids(names, space),
      (std::vector<std::string>{"a_b_1", "x", "a_b", "x_2", "x_1", "_1a"}));
  EXPECT_EQ(space.take("x"), "x_3");
  EXPECT_EQ(space.take("page"), "page");
  EXPECT_FALSE(space.try_take("page"));
}

TEST(XmlIdsTest, ManyNamesAlikeStayDistinct) {
  XmlIdSpace space;
  const std::vector<std::string_view> names(1000, "n n");
  std::vector<std::string> ids = take_node_ids(names, space);
  EXPECT_EQ(ids.front(), "n_n");
  EXPECT_EQ(ids.back(), "n_n_999");
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
}

}  // namespace
}  // namespace marovel
