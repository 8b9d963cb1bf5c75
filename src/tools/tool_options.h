// The command line of the companion tools: one input file, `-o FILE` and,
// for a tool that takes it, `--net ID`; and the default output name that
// follows from the input. A rejected command line is reported as text, for
// the caller to print with its usage.
#ifndef MAROVEL_TOOLS_TOOL_OPTIONS_H_
#define MAROVEL_TOOLS_TOOL_OPTIONS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"

namespace marovel {

struct ToolOptions {
  bool help = false;
  bool version = false;
  std::string input;
  std::optional<std::string> output;
  std::optional<std::string> net;
  // The reduction's options, for a tool that reduces (`--rules=LETTERS`,
  // `--steps=N`, `--keep=NAME,...`).
  std::optional<std::string> rules;
  std::optional<int32_t> steps;
  std::vector<std::string> keep;
};

// The options a tool takes besides -o, -h and --version.
struct ToolOptionSet {
  bool net = false;        // --net ID
  bool reduction = false;  // --rules, --steps, --keep
};

// Parses the arguments after the program name into the fresh `options`.
// `-o FILE`, `-oFILE`, `--output FILE` and `--output=FILE` are one option
// (likewise every valued option); `--` ends the options; `-h`/`--help`
// ends the parse as a request for the usage text, `--version` as one for
// the version. `--rules` takes letters A to F in either case, `--steps` a
// whole number (0 or less allows no step, as marovel's), `--keep` names
// parted by commas. A rejected line is a kInvalidInput that says why.
Status parse_tool_options(const std::vector<std::string>& args,
                          ToolOptionSet accepted, ToolOptions& options);

// `path` with the extension of its last component replaced by `extension`,
// or added when it has none: nets/a.b.pnml gives nets/a.b.xml, net gives
// net.xml, and a leading dot (.net) starts no extension.
std::string replace_extension(std::string_view path,
                              std::string_view extension);

}  // namespace marovel

#endif  // MAROVEL_TOOLS_TOOL_OPTIONS_H_
