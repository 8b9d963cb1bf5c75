#include "dot/net_graph.h"

#include "xml/xml_document.h"

namespace marovel {
namespace {

// All the text below the stored element at `element`, at any depth, with
// each run of white space made one space: an `info` may hold markup of its
// own.
std::string flat_text(const MemberStore& store, MemberStore::Offset element) {
  std::string text;
  bool space = false;
  store.walk(element, [&](const MemberStore::Node& node) {
    if (node.depth == 0 || node.type == XmlNodeType::kComment) return;
    if (node.type == XmlNodeType::kElement) {
      space = true;  // markup separates words
      return;
    }
    for (const char c : node.text) {
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        space = true;
        continue;
      }
      if (space && !text.empty()) text += ' ';
      space = false;
      text += c;
    }
  });
  return text;
}

GraphNode graph_node(const MemberStore& store, const NetFileNode& node) {
  GraphNode result{node.name, {}, {}};
  if (node.info != kNoInfo) result.info = flat_text(store, node.info);
  if (const auto aggregates =
          last_child_element(store, node.element, "aggregates"))
    store.walk(*aggregates, [&](const MemberStore::Node& entry) {
      if (entry.depth == 1 && entry.type == XmlNodeType::kElement)
        result.members.push_back(flat_text(store, entry.offset));
    });
  return result;
}

}  // namespace

NetGraph net_graph(const NetFile& net) {
  NetGraph graph;
  graph.places.reserve(net.places.size());
  for (const NetFileNode& node : net.places)
    graph.places.push_back(graph_node(net.store(), node));
  graph.transitions.reserve(net.transitions.size());
  for (const NetFileNode& node : net.transitions)
    graph.transitions.push_back(graph_node(net.store(), node));
  graph.arcs = net.arcs;
  return graph;
}

}  // namespace marovel
