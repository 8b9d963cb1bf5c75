#include "tools/pnml2net.h"

#include "base/safe_file.h"
#include "pnml/net_file_writer.h"
#include "pnml/pnml_reader.h"
#include "tools/tool_start.h"

namespace marovel {
namespace {

constexpr char kUsage[] =
    "Usage: pnml2net INPUT.pnml [-o OUTPUT.xml] [--net ID]\n"
    "Converts a PNML place/transition net into a marovel net file.\n"
    "  -o, --output FILE  the file to write (default: INPUT with the\n"
    "                     extension \"xml\")\n"
    "  --net ID           the net to convert when the file holds several\n"
    "  -h, --help         print this text\n"
    "  --version          print the version\n";

}  // namespace

int run_pnml2net(const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err) {
  const ToolInfo tool = {"pnml2net", kUsage, "xml", {.net = true}};
  ToolStart start;
  if (const std::optional<int> status = start_tool(tool, args, out, err, start))
    return *status;
  // Read while parsing: a large file would take about as long again to be
  // built as a document and then walked.
  PtNet net;
  if (const Status read = read_pnml_file(start.options.input,
                                         start.options.net.value_or(""), net);
      !read.ok())
    return report_read_failure(tool, start, read, err);

  SafeFile file(start.output);
  const bool written = write_net_file(net, file.stream());
  if (const int status = finish_tool(tool, file, written, err)) return status;
  report_written(
      start, {net.places.size(), net.transitions.size(), net.arcs.size()}, out);
  return 0;
}

}  // namespace marovel
