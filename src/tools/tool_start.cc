#include "tools/tool_start.h"

#include <cassert>

#include "base/counted.h"
#include "base/file_identity.h"
#include "base/version.h"

namespace marovel {

std::optional<int> start_tool(const ToolInfo& tool,
                              const std::vector<std::string>& args,
                              std::ostream& out, std::ostream& err,
                              ToolStart& start) {
  ToolOptions options;
  if (const Status parsed = parse_tool_options(args, tool.accepted, options);
      !parsed.ok()) {
    err << tool.name << ": " << parsed.message() << "\n" << tool.usage;
    return 2;
  }
  if (options.help) {
    out << tool.usage;
    return 0;
  }
  if (options.version) {
    out << tool.name << " " << MAROVEL_VERSION << "\n";
    return 0;
  }
  start.options = std::move(options);
  const std::string& input = start.options.input;
  start.output = start.options.output.value_or(
      replace_extension(input, tool.output_extension));
  if (same_file(input, start.output)) {
    err << tool.name << ": the output '" << start.output
        << "' would overwrite the input; name another one with -o\n";
    return 1;
  }
  return std::nullopt;
}

int report_read_failure(const ToolInfo& tool, const ToolStart& start,
                        const Status& status, std::ostream& err) {
  err << tool.name << ": ";
  if (status.code() != Status::Code::kIoError)
    err << start.options.input << ": ";
  err << status.message() << "\n";
  return 1;
}

int finish_tool(const ToolInfo& tool, SafeFile& file, bool written,
                std::ostream& err) {
  // A writer fails only with its stream, and a failed stream fails the
  // commit, which records why and leaves the target as it was.
  const bool committed = file.commit();
  assert(written || !committed);
  if (committed && written) return 0;
  err << tool.name << ": " << file.error() << "\n";
  return 1;
}

void report_written(const ToolStart& start, const WrittenCounts& counts,
                    std::ostream& out) {
  out << "Wrote " << start.output << ": " << counted(counts.places, "place")
      << ", " << counted(counts.transitions, "transition") << ", "
      << counted(counts.arcs, "arc") << "\n";
}

}  // namespace marovel
