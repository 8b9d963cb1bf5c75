#include "dot/net_graph.h"

#include "netfile/net_file_reader.h"
#include "xml/xml_lookup.h"

namespace marovel {
namespace {

// All the text below `element`, at any depth, with each run of white space
// made one space: an `info` may hold markup of its own.
std::string flat_text(const XmlNode* element) {
  std::string text;
  bool space = false;
  std::vector<const XmlNode*> pending = {element->first_child};
  while (!pending.empty()) {
    const XmlNode* node = pending.back();
    pending.pop_back();
    if (node == nullptr) continue;
    pending.push_back(node->next_sibling);
    if (node->is_element()) {
      pending.push_back(node->first_child);
      space = true;  // markup separates words
      continue;
    }
    if (node->type == XmlNodeType::kComment) continue;
    for (const char c : node->content) {
      if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
        space = true;
        continue;
      }
      if (space && !text.empty()) text += ' ';
      space = false;
      text += c;
    }
  }
  return text;
}

GraphNode graph_node(const NetFileNode& node) {
  GraphNode result{node.name, {}, {}};
  if (const XmlNode* info = find_child_element(node.element, "info"))
    result.info = flat_text(info);
  if (const XmlNode* aggregates =
          last_child_element(node.element, "aggregates"))
    for (const XmlNode* entry = aggregates->first_child; entry != nullptr;
         entry = entry->next_sibling)
      if (entry->is_element()) result.members.push_back(flat_text(entry));
  return result;
}

}  // namespace

bool read_net_graph(const XmlDocument& doc, NetGraph& graph,
                    std::string& error) {
  NetFile net;
  if (!read_net_file(doc, net, error)) return false;
  graph.places.reserve(net.places.size());
  for (const NetFileNode& node : net.places)
    graph.places.push_back(graph_node(node));
  graph.transitions.reserve(net.transitions.size());
  for (const NetFileNode& node : net.transitions)
    graph.transitions.push_back(graph_node(node));
  graph.arcs = std::move(net.arcs);
  return true;
}

}  // namespace marovel
