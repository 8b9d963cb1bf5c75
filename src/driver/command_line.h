// The command line of marovel: its option table, and a parse that reports
// through the base library's parser exactly as that parser does, with a
// `--steps` value outside the signed 32-bit range rejected like a non-number.
#ifndef MAROVEL_DRIVER_COMMAND_LINE_H_
#define MAROVEL_DRIVER_COMMAND_LINE_H_

#include <wx/string.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace marovel {

struct CommandLine {
  enum class Status { kRun, kHelp, kError };
  Status status = Status::kError;
  wxString input;
  std::optional<wxString> output;
  std::optional<wxString> rules;
  std::optional<int32_t> steps;
  bool log = false;
  bool verbose = false;
};

// Converts the process arguments to strings so that the bytes of any file
// name, valid UTF-8 or not, come back unchanged through to_native_bytes().
std::vector<wxString> arguments_from_bytes(int argc, char** argv);
std::string to_native_bytes(const wxString& text);

// Parses `args` (args[0] is the program name). Usage and error texts go to
// the library's message output, as its parser prints them.
CommandLine parse_command_line(const std::vector<wxString>& args);

}  // namespace marovel

#endif  // MAROVEL_DRIVER_COMMAND_LINE_H_
