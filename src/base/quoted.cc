#include "base/quoted.h"

namespace marovel {

std::string quoted(std::string_view text) {
  constexpr size_t kLimit = 80;
  std::string result = "'";
  if (text.size() <= kLimit) {
    result += text;
  } else {
    size_t end = kLimit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
      --end;
    result += text.substr(0, end);
    result += "...";
  }
  result += '\'';
  return result;
}

}  // namespace marovel
