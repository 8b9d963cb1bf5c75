#include "tools/net2pnml.h"

#include "base/safe_file.h"
#include "netfile/net_file_reader.h"
#include "netfile/prefixes.h"
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

// A survivor of a reduction (a node with an `aggregates` child) carries its
// own `info` and its last `aggregates` into the PNML file, so that the
// trace back to the input nodes survives; any other node carries nothing.
PnmlOutNode pnml_node(const NetFile& net, const ScannedList& list,
                      const NetFileNode& node) {
  PnmlOutNode result{node.name, {}};
  const auto aggregates =
      last_child_element(net.store(), node.element, "aggregates");
  if (!aggregates) return result;
  for (const MemberStore::Offset element : {node.info, *aggregates}) {
    if (element == kNoInfo) continue;
    result.tool_data.push_back(
        {element, outer_declarations(net.scan, list, node.element, element)});
  }
  return result;
}

// The last component of `path` without its extension: the net's name.
std::string_view file_stem(std::string_view path) {
  const size_t slash = path.rfind('/');
  std::string_view base =
      slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = base.rfind('.');
  if (dot != std::string_view::npos && dot > 0) base = base.substr(0, dot);
  return base;
}

}  // namespace

int run_net2pnml(const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err) {
  const ToolInfo tool = {"net2pnml", kUsage, "pnml", /*takes_net=*/false};
  ToolStart start;
  if (const std::optional<int> status = start_tool(tool, args, out, err, start))
    return *status;
  NetFile file;
  if (const Status read = read_net_file(start.options.input, file); !read.ok())
    return report_read_failure(tool, start, read, err);

  PnmlOutNet net;
  net.name = file_stem(start.options.input);
  net.elements = &file.store();
  net.places.reserve(file.places.size());
  for (const NetFileNode& node : file.places)
    net.places.push_back(pnml_node(file, file.scan.places, node));
  net.transitions.reserve(file.transitions.size());
  for (const NetFileNode& node : file.transitions)
    net.transitions.push_back(pnml_node(file, file.scan.transitions, node));
  net.arcs.reserve(file.arcs.size());
  for (const NetFileArc& arc : file.arcs)
    net.arcs.push_back(
        {arc.place, arc.transition, arc.to_transition, arc.weight});

  SafeFile output(start.output);
  const bool written = write_pnml(net, output.stream());
  if (const int status = finish_tool(tool, output, written, err)) return status;
  report_written(
      start, {net.places.size(), net.transitions.size(), net.arcs.size()}, out);
  return 0;
}

}  // namespace marovel
