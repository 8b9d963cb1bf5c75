#include "netfile/net_file.h"

#include <cassert>
#include <cctype>
#include <limits>

namespace marovel {
namespace {

struct ListFacts {
  std::string_view element;
  const char* not_found;
  const char* empty;
  const char* no_name;
};

const ListFacts& facts(NetList list) {
  static constexpr ListFacts kFacts[] = {
      {"placelist", "No placelist found\n", "No places found\n",
       "Can't find the place name\n"},
      {"transitionlist", "No transitionlist found\n", "No transitions found\n",
       "Can't find the transition name\n"},
      {"edgelist", "No edgelist found\n", "No edges found\n", nullptr},
  };
  return kFacts[static_cast<int>(list)];
}

}  // namespace

std::string_view list_element_name(NetList list) { return facts(list).element; }

const char* list_fault_message(NetList list, ListFault fault) {
  switch (fault) {
    case ListFault::kNotFound:
      return facts(list).not_found;
    case ListFault::kEmpty:
      return facts(list).empty;
    case ListFault::kNameless:
      assert(list != NetList::kEdges);
      return facts(list).no_name;
  }
  return "";
}

std::optional<int32_t> parse_multiplicity(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  // Accumulate the magnitude, which for the smallest int32 is 2^31.
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{1} << 31;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > kLimit) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace marovel
