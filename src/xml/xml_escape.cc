#include "xml/xml_escape.h"

#include <array>

namespace marovel {
namespace {

// The replacement for a byte that can't stand as itself, or an empty view.
// Tab and line feed survive in text but an attribute value would read them
// back as blanks; a bare carriage return would be read back as a line feed.
std::string_view escape_for(char c, bool in_attribute) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '\r':
      return "&#xD;";
    case '"':
      return in_attribute ? "&quot;" : "";
    case '\t':
      return in_attribute ? "&#x9;" : "";
    case '\n':
      return in_attribute ? "&#xA;" : "";
    default:
      return {};
  }
}

// Which bytes escape_for() may replace, in text and in attributes: most
// text has none, and one look-up per byte finds that out fastest.
struct EscapeTable {
  std::array<bool, 256> in_text{};
  std::array<bool, 256> in_attribute{};
  constexpr EscapeTable() {
    for (const unsigned char c : {'&', '<', '>', '\r'})
      in_text[c] = in_attribute[c] = true;
    for (const unsigned char c : {'"', '\t', '\n'}) in_attribute[c] = true;
  }
};
constexpr EscapeTable kEscapes;

}  // namespace

void append_escaped(std::string& out, std::string_view text,
                    bool in_attribute) {
  const std::array<bool, 256>& escaped =
      in_attribute ? kEscapes.in_attribute : kEscapes.in_text;
  size_t run = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!escaped[static_cast<unsigned char>(text[i])]) continue;
    out.append(text.data() + run, i - run);
    out.append(escape_for(text[i], in_attribute));
    run = i + 1;
  }
  out.append(text.data() + run, text.size() - run);
}

bool needs_escaping_in_attribute(std::string_view text) {
  for (const char c : text)
    if (kEscapes.in_attribute[static_cast<unsigned char>(c)]) return true;
  return false;
}

}  // namespace marovel
