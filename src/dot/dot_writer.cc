#include "dot/dot_writer.h"

#include <string>
#include <string_view>

namespace marovel {
namespace {

// Text for an HTML-like label, where markup and entities are read, and a
// backslash would start a \N-style substitution unless doubled.
void append_html(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\n':
        out += "<BR/>";
        break;
      case '\r':
        break;
      default:
        out += c;
    }
  }
}

// Text for a quoted tooltip. Graphviz unescapes a tooltip twice (once as a
// string, once for its \N-style substitutions), so a backslash needs four.
void append_tooltip(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        break;
      default:
        out += c;
    }
  }
}

void append_node(std::string& out, char prefix, size_t index,
                 const GraphNode& node, bool is_place) {
  out += "  ";
  out += prefix;
  out += std::to_string(index);
  out += is_place ? " [shape=circle, label=<" : " [shape=box, label=<";
  append_html(out, node.name);
  std::string tooltip(node.name);
  if (node.members.empty()) {
    if (!node.info.empty()) tooltip += ": " + node.info;
  } else {
    out += "<BR/><FONT POINT-SIZE=\"9\">(";
    out += std::to_string(node.members.size());
    out += ")</FONT>";
    tooltip +=
        " stands for " + std::to_string(node.members.size()) + " input nodes:";
    for (const std::string& member : node.members)
      tooltip += "\n" + (member.empty() ? std::string("(no info)") : member);
  }
  out += ">, tooltip=\"";
  append_tooltip(out, tooltip);
  out += "\"];\n";
}

}  // namespace

bool write_dot(const NetGraph& graph, std::ostream& out) {
  std::string text = "digraph net {\n  rankdir=LR;\n";
  // Written in pieces, so that a large net is not held twice.
  const auto maybe_flush = [&] {
    if (text.size() < (1 << 20)) return;
    out << text;
    text.clear();
  };
  for (size_t i = 0; i < graph.places.size(); ++i) {
    append_node(text, 'p', i, graph.places[i], true);
    maybe_flush();
  }
  for (size_t i = 0; i < graph.transitions.size(); ++i) {
    append_node(text, 't', i, graph.transitions[i], false);
    maybe_flush();
  }
  for (const NetFileArc& arc : graph.arcs) {
    const auto node = [&](char kind, size_t index) {
      text += kind;
      text += std::to_string(index);
    };
    text += "  ";
    if (arc.to_transition) {
      node('p', arc.place);
      text += " -> ";
      node('t', arc.transition);
    } else {
      node('t', arc.transition);
      text += " -> ";
      node('p', arc.place);
    }
    if (arc.weight != 1)
      text += " [label=\"" + std::to_string(arc.weight) + "\"]";
    text += ";\n";
    maybe_flush();
  }
  text += "}\n";
  out << text;
  out.flush();
  return static_cast<bool>(out);
}

}  // namespace marovel
