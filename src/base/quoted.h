// Quoting names and values from a user's file in messages.
#ifndef MAROVEL_BASE_QUOTED_H_
#define MAROVEL_BASE_QUOTED_H_

#include <string>
#include <string_view>

namespace marovel {

// `text` between single quotes, cut short (never inside a UTF-8 sequence)
// when it is long, so that a hostile file cannot flood the terminal.
std::string quoted(std::string_view text);

}  // namespace marovel

#endif  // MAROVEL_BASE_QUOTED_H_
