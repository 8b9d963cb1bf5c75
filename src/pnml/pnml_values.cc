#include "pnml/pnml_values.h"

#include <algorithm>
#include <string>

namespace marovel {
namespace {

bool is_digits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string lower_trimmed(std::string_view text) {
  std::string lower;
  for (const char c : trim(text))
    lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return lower;
}

}  // namespace

std::string_view local_name(std::string_view name) {
  const size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string_view trim(std::string_view text) {
  constexpr std::string_view kSpace = " \t\r\n";
  const size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

bool is_place_transition_type(std::string_view type) {
  const std::string lower = lower_trimmed(type);
  std::string_view uri = lower;
  if (uri.ends_with(".pntd")) uri.remove_suffix(5);
  while (uri.ends_with('/')) uri.remove_suffix(1);
  return uri.ends_with("ptnet") || uri.ends_with("ptnetb");
}

bool names_arc_kind(std::string_view name) {
  return name == "type" || name == "arcType" || name == "arctype";
}

bool is_ordinary_arc_kind(std::string_view kind) {
  const std::string lower = lower_trimmed(kind);
  return lower.empty() || lower == "normal" || lower == "ordinary" ||
         lower == "regular" || lower == "standard";
}

std::optional<std::string_view> parse_marking(std::string_view text) {
  if (!is_digits(text)) return std::nullopt;
  return text.substr(std::min(text.find_first_not_of('0'), text.size() - 1));
}

std::optional<uint64_t> parse_weight(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  if (!is_digits(text)) return std::nullopt;
  uint64_t value = 0;
  for (const char c : text) {
    if (__builtin_mul_overflow(value, 10u, &value) ||
        __builtin_add_overflow(value, unsigned(c - '0'), &value))
      return std::nullopt;
  }
  if (value == 0) return std::nullopt;
  return value;
}

}  // namespace marovel
