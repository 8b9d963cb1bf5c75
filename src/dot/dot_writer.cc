#include "dot/dot_writer.h"

#include <string>
#include <string_view>

namespace marovel {
namespace {

// Graphviz reads a run of text (between two pieces of markup in an HTML-like
// label, between two escapes in a quoted string) into a buffer of 16,384
// bytes, and refuses the whole file when one does not fit. No run written
// here is longer than this, which leaves room to spare.
constexpr size_t kMaxRun = 16000;

constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // U+2026

// Whether `byte` starts a UTF-8 character (is no continuation byte).
bool starts_character(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// One character of text for an HTML-like label, where markup and entities
// are read, and a backslash would start a \N-style substitution unless
// doubled.
void append_html(std::string& out, char c) {
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

// A name for a label: whole when its text fits in one run, else cut at a
// character boundary and ended with an ellipsis (the tooltip has it whole).
void append_label_name(std::string& out, std::string_view name) {
  const size_t start = out.size();
  size_t cut = start;  // where the text ends if it must be cut
  for (const char c : name) {
    if (starts_character(c) && out.size() - start + kEllipsis.size() <= kMaxRun)
      cut = out.size();
    append_html(out, c);
    if (out.size() - start > kMaxRun) {
      out.resize(cut);
      out += kEllipsis;
      return;
    }
  }
}

// Text for a quoted tooltip. Graphviz unescapes a tooltip twice (once as a
// string, once for its \N-style substitutions), so a backslash needs four.
// A text of any length is written whole: a run that grows too long goes on
// in another quoted string, joined to it with '+'.
void append_tooltip(std::string& out, std::string_view text) {
  size_t run = 0;  // bytes since the last backslash
  for (const char c : text) {
    if (run + 4 > kMaxRun && starts_character(c)) {
      out += "\" + \"";
      run = 0;
    }
    switch (c) {
      case '\\':
        out += "\\\\\\\\";
        run = 0;
        break;
      case '"':
        out += "\\\"";
        run = 1;
        break;
      case '\n':
        out += "\\n";
        run = 1;
        break;
      case '\r':
        break;
      default:
        out += c;
        ++run;
    }
  }
}

void append_node(std::string& out, char prefix, size_t index,
                 const GraphNode& node, bool is_place) {
  out += "  ";
  out += prefix;
  out += std::to_string(index);
  out += is_place ? " [shape=circle, label=<" : " [shape=box, label=<";
  append_label_name(out, node.name);
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
