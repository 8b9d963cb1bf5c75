// The library's exceptions: a Status of the layers below, or a fault of the
// library's own, as a marovel::Error.
#ifndef MAROVEL_LIBRARY_ERRORS_H_
#define MAROVEL_LIBRARY_ERRORS_H_

#include <string>
#include <string_view>

#include "base/status.h"
#include "marovel/marovel.h"

namespace marovel {

// A message as Error's what() gives it: the command's, without the line
// feeds that frame it on the command's output.
std::string message_text(std::string_view message);

// Throws `status` as an Error: kWriteFailed is a kIoError, the other codes
// keep their meaning, unless `code` is given, which replaces any of them.
// REQUIRES: !status.ok()
[[noreturn]] void throw_status(const Status& status);
[[noreturn]] void throw_status(const Status& status, Error::Code code);

// Throws `status` unless it is ok.
inline void check(const Status& status) {
  if (!status.ok()) throw_status(status);
}

}  // namespace marovel

#endif  // MAROVEL_LIBRARY_ERRORS_H_
