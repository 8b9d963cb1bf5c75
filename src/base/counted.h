// Counts of things in messages, in words a person reads: "1 place",
// "4 places", "0 arcs".
#ifndef MAROVEL_BASE_COUNTED_H_
#define MAROVEL_BASE_COUNTED_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace marovel {

// `count` and `noun`, with an "s" after the noun unless `count` is 1.
// REQUIRES: `noun` is a regular English noun in the singular.
inline std::string counted(uint64_t count, std::string_view noun) {
  std::string text = std::to_string(count);
  text += ' ';
  text += noun;
  if (count != 1) text += 's';
  return text;
}

}  // namespace marovel

#endif  // MAROVEL_BASE_COUNTED_H_
