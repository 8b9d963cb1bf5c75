// What the companion commands share before and after their own work: the
// command line, the help text, the output name, the guard against writing
// over the input, the report of an input that fails to read and the final
// save.
#ifndef MAROVEL_TOOLS_TOOL_START_H_
#define MAROVEL_TOOLS_TOOL_START_H_

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/safe_file.h"
#include "base/status.h"
#include "tools/tool_options.h"

namespace marovel {

struct ToolInfo {
  std::string_view name;  // prefixes every error
  std::string_view usage;
  std::string_view output_extension;  // of the default output name
  ToolOptionSet accepted;  // the options besides -o, -h and --version
};

struct ToolStart {
  ToolOptions options;
  std::string output;
};

// Reads the command line into `start`. Returns the exit status when the
// command ends here: 0 after the usage text or the version ("<name>
// <version>", the build's MAROVEL_VERSION), 2 for a rejected command line,
// 1 for an output that is the input, each reported on `out` or `err`.
std::optional<int> start_tool(const ToolInfo& tool,
                              const std::vector<std::string>& args,
                              std::ostream& out, std::ostream& err,
                              ToolStart& start);

// Reports the failed read of the input and returns the exit status, 1. A
// file the XML layer could not read (a kIoError) is reported in that
// layer's words, which name the file where it matters; a refusal of what
// the file holds is reported after the input's name.
// REQUIRES: !status.ok()
int report_read_failure(const ToolInfo& tool, const ToolStart& start,
                        const Status& status, std::ostream& err);

// Puts the written file in place when the writer, whose result is
// `written`, and the file both succeeded; returns 0, or 1 after reporting
// why not in one line that names the file and the system's reason (the
// target is then left as it was).
int finish_tool(const ToolInfo& tool, SafeFile& file, bool written,
                std::ostream& err);

// What a companion wrote, for the line that ends its run.
struct WrittenCounts {
  size_t places = 0;
  size_t transitions = 0;
  size_t arcs = 0;
};

// "Wrote PATH: 3 places, 1 transition, 4 arcs" on `out`.
void report_written(const ToolStart& start, const WrittenCounts& counts,
                    std::ostream& out);

}  // namespace marovel

#endif  // MAROVEL_TOOLS_TOOL_START_H_
