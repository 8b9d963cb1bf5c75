#include "tools/net2dot.h"

#include "dot/dot_writer.h"
#include "dot/net_graph.h"
#include "driver/file_names.h"
#include "tools/tool_options.h"
#include "writer/safe_file.h"
#include "xml/xml_document.h"

namespace marovel {
namespace {

constexpr char kUsage[] =
    "Usage: net2dot INPUT.xml [-o OUTPUT.dot]\n"
    "Writes a Graphviz DOT picture of a marovel net file, input or reduced.\n"
    "  -o, --output FILE  the file to write (default: INPUT with the\n"
    "                     extension \"dot\")\n"
    "  -h, --help         print this text\n";

}  // namespace

int run_net2dot(const std::vector<std::string>& args, std::ostream& out,
                std::ostream& err) {
  std::string error;
  const auto options = parse_tool_options(args, /*takes_net=*/false, error);
  if (!options) {
    err << "net2dot: " << error << "\n" << kUsage;
    return 2;
  }
  if (options->help) {
    out << kUsage;
    return 0;
  }
  const std::string& input = options->input;
  const std::string output =
      options->output.value_or(replace_extension(input, "dot"));
  if (same_file(input, output)) {
    err << "net2dot: the output '" << output
        << "' would overwrite the input; name another one with -o\n";
    return 1;
  }

  XmlDocument doc;
  if (!load_xml_file(input, doc, error)) {
    err << "net2dot: " << error << "\n";
    return 1;
  }
  NetGraph graph;
  if (!read_net_graph(doc, graph, error)) {
    err << "net2dot: " << input << ": " << error << "\n";
    return 1;
  }

  SafeFile file(output);
  write_dot(graph, file.stream());
  if (!file.commit()) {
    err << "net2dot: " << file.error() << "\n";
    return 1;
  }
  out << "Wrote " << output << ": " << graph.places.size() << " places, "
      << graph.transitions.size() << " transitions, " << graph.arcs.size()
      << " arcs\n";
  return 0;
}

}  // namespace marovel
