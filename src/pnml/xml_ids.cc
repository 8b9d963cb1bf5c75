#include "pnml/xml_ids.h"

namespace marovel {
namespace {

bool is_ascii_start(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool is_ascii_name(unsigned char c) {
  return is_ascii_start(c) || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

// Letters of Latin-1, Latin Extended-A and -B, Greek and Cyrillic that the
// first edition of XML 1.0 counts as base characters; later editions accept
// all of them too, so any parser reads them in a name.
constexpr struct {
  char32_t first, last;
} kLetters[] = {
    {0x00C0, 0x00D6}, {0x00D8, 0x00F6}, {0x00F8, 0x0131}, {0x0134, 0x013E},
    {0x0141, 0x0148}, {0x014A, 0x017E}, {0x0180, 0x01C3}, {0x01CD, 0x01F0},
    {0x01F4, 0x01F5}, {0x01FA, 0x0217}, {0x0386, 0x0386}, {0x0388, 0x038A},
    {0x038C, 0x038C}, {0x038E, 0x03A1}, {0x03A3, 0x03CE}, {0x0401, 0x040C},
    {0x040E, 0x044F}, {0x0451, 0x045C}, {0x045E, 0x0481},
};

bool is_kept_letter(char32_t c) {
  for (const auto& range : kLetters)
    if (c >= range.first && c <= range.last) return true;
  return false;
}

// The letter that a two-byte UTF-8 sequence at `text[i]` encodes, or 0 when
// there is none there (every kept letter takes two bytes).
char32_t letter_at(std::string_view text, size_t i) {
  if (i + 1 >= text.size()) return 0;
  const auto lead = static_cast<unsigned char>(text[i]);
  const auto trail = static_cast<unsigned char>(text[i + 1]);
  if (lead < 0xC2 || lead > 0xDF || (trail & 0xC0) != 0x80) return 0;
  const char32_t c = ((lead & 0x1F) << 6) | (trail & 0x3F);
  return is_kept_letter(c) ? c : 0;
}

}  // namespace

std::string ncname_from(std::string_view name) {
  std::string id;
  id.reserve(name.size() + 1);
  if (name.empty() || !(is_ascii_start(name[0]) || letter_at(name, 0) != 0))
    id += '_';
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c < 0x80) {
      id += is_ascii_name(c) ? static_cast<char>(c) : '_';
    } else if (letter_at(name, i) != 0) {
      id += name.substr(i, 2);
      ++i;
    } else {
      id += '_';
    }
  }
  return id;
}

bool XmlIdSpace::try_take(const std::string& id) {
  return taken_.insert(id).second;
}

std::string XmlIdSpace::take(const std::string& base) {
  if (try_take(base)) return base;
  uint64_t& next = next_suffix_.try_emplace(base, 1).first->second;
  while (true) {
    std::string id = base + "_" + std::to_string(next++);
    if (try_take(id)) return id;
  }
}

std::vector<std::string> take_node_ids(
    const std::vector<std::string_view>& names, XmlIdSpace& space) {
  std::vector<std::string> ids(names.size());
  std::vector<bool> done(names.size(), false);
  for (size_t i = 0; i < names.size(); ++i) {
    std::string id = ncname_from(names[i]);
    if (id == names[i] && space.try_take(id)) {
      ids[i] = std::move(id);
      done[i] = true;
    }
  }
  for (size_t i = 0; i < names.size(); ++i)
    if (!done[i]) ids[i] = space.take(ncname_from(names[i]));
  return ids;
}

}  // namespace marovel
