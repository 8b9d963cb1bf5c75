#include "netfile/net_file.h"

#include <cassert>
#include <cctype>

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

bool is_pnml_root(std::string_view name) {
  const size_t colon = name.find(':');
  return (colon == std::string_view::npos ? name : name.substr(colon + 1)) ==
         "pnml";
}

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

namespace {

struct Number {
  bool negative;
  uint64_t magnitude;
};

// Optional leading white space, an optional sign and decimal digits, its
// magnitude within 64 bits; none for anything else.
std::optional<Number> read_number(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
    ++i;
  Number number{false, 0};
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    number.negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    if (__builtin_mul_overflow(number.magnitude, 10u, &number.magnitude) ||
        __builtin_add_overflow(number.magnitude, unsigned(c - '0'),
                               &number.magnitude))
      return std::nullopt;
  }
  return number;
}

}  // namespace

std::optional<int32_t> parse_multiplicity(std::string_view text) {
  const std::optional<Number> number = read_number(text);
  // The magnitude of the smallest int32 is 2^31.
  constexpr uint64_t kLimit = uint64_t{1} << 31;
  if (!number || number->magnitude > kLimit - (number->negative ? 0 : 1))
    return std::nullopt;
  const int64_t magnitude = static_cast<int64_t>(number->magnitude);
  return static_cast<int32_t>(number->negative ? -magnitude : magnitude);
}

std::optional<uint64_t> parse_full_weight(std::string_view text) {
  if (const std::optional<int32_t> weight = parse_multiplicity(text))
    return *weight > 0 ? static_cast<uint64_t>(*weight) : 0;
  const std::optional<Number> number = read_number(text);
  if (!number || number->negative) return std::nullopt;
  return number->magnitude;
}

}  // namespace marovel
