#include "tools/net2dot.h"

#include "base/safe_file.h"
#include "dot/dot_writer.h"
#include "dot/net_graph.h"
#include "netfile/net_file_reader.h"
#include "tools/tool_start.h"

namespace marovel {
namespace {

constexpr char kUsage[] =
    "Usage: net2dot INPUT.xml [-o OUTPUT.dot]\n"
    "Writes a Graphviz DOT picture of a marovel net file, input or reduced.\n"
    "  -o, --output FILE  the file to write (default: INPUT with the\n"
    "                     extension \"dot\")\n"
    "  -h, --help         print this text\n"
    "  --version          print the version\n";

}  // namespace

int run_net2dot(const std::vector<std::string>& args, std::ostream& out,
                std::ostream& err) {
  const ToolInfo tool = {"net2dot", kUsage, "dot", {}};
  ToolStart start;
  if (const std::optional<int> status = start_tool(tool, args, out, err, start))
    return *status;
  NetFile net;
  if (const Status read = read_net_file(start.options.input, net); !read.ok())
    return report_read_failure(tool, start, read, err);
  const NetGraph graph = net_graph(net);

  SafeFile file(start.output);
  const bool written = write_dot(graph, file.stream());
  if (const int status = finish_tool(tool, file, written, err)) return status;
  report_written(
      start, {graph.places.size(), graph.transitions.size(), graph.arcs.size()},
      out);
  return 0;
}

}  // namespace marovel
