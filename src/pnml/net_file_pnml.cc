#include "pnml/net_file_pnml.h"

#include "netfile/prefixes.h"

namespace marovel {
namespace {

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

}  // namespace

PnmlOutNet pnml_of_net_file(const NetFile& file, std::string_view name) {
  PnmlOutNet net;
  net.name = name;
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
  return net;
}

std::string_view file_stem(std::string_view path) {
  const size_t slash = path.rfind('/');
  std::string_view base =
      slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = base.rfind('.');
  if (dot != std::string_view::npos && dot > 0) base = base.substr(0, dot);
  return base;
}

}  // namespace marovel
