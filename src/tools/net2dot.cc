#include "tools/net2dot.h"

#include "base/safe_file.h"
#include "dot/dot_writer.h"
#include "dot/net_graph.h"
#include "tools/tool_start.h"
#include "xml/xml_document.h"

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
  const ToolInfo tool = {"net2dot", kUsage, "dot", /*takes_net=*/false};
  ToolStart start;
  if (const std::optional<int> status = start_tool(tool, args, out, err, start))
    return *status;
  XmlDocument doc;
  if (!load_tool_input(tool, start, doc, err)) return 1;
  NetGraph graph;
  std::string error;
  if (!read_net_graph(doc, graph, error)) {
    err << "net2dot: " << start.options.input << ": " << error << "\n";
    return 1;
  }

  SafeFile file(start.output);
  const bool written = write_dot(graph, file.stream());
  if (const int status = finish_tool(tool, file, written, err)) return status;
  report_written(
      start, {graph.places.size(), graph.transitions.size(), graph.arcs.size()},
      out);
  return 0;
}

}  // namespace marovel
