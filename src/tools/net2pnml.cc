#include "tools/net2pnml.h"

#include "base/safe_file.h"
#include "netfile/net_file_reader.h"
#include "pnml/net_file_pnml.h"
#include "pnml/pnml_writer.h"
#include "tools/tool_start.h"

namespace marovel {
namespace {

constexpr char kUsage[] =
    "Usage: net2pnml INPUT.xml [-o OUTPUT.pnml]\n"
    "Turns a marovel net file, input or reduced, into a PNML place/transition\n"
    "net.\n"
    "  -o, --output FILE  the file to write (default: INPUT with the\n"
    "                     extension \"pnml\")\n"
    "  -h, --help         print this text\n"
    "  --version          print the version\n";

}  // namespace

int run_net2pnml(const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err) {
  const ToolInfo tool = {"net2pnml", kUsage, "pnml", {}};
  ToolStart start;
  if (const std::optional<int> status = start_tool(tool, args, out, err, start))
    return *status;
  NetFile file;
  if (const Status read = read_net_file(start.options.input, file); !read.ok())
    return report_read_failure(tool, start, read, err);

  const PnmlOutNet net = pnml_of_net_file(file, file_stem(start.options.input));

  SafeFile output(start.output);
  const bool written = write_pnml(net, output.stream());
  if (const int status = finish_tool(tool, output, written, err)) return status;
  report_written(
      start, {net.places.size(), net.transitions.size(), net.arcs.size()}, out);
  return 0;
}

}  // namespace marovel
