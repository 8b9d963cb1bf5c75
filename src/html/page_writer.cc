#include "html/page_writer.h"

#include <cmath>
#include <cstdio>
#include <string_view>

namespace marovel {
namespace {

#include "html/page_css.inc"
#include "html/page_html.inc"
#include "html/page_js.inc"

// Writes `template_text` up to `marker`, returns what follows it.
std::string_view up_to(std::string_view template_text, std::string_view marker,
                       std::ostream& out) {
  const size_t at = template_text.find(marker);
  out << template_text.substr(0, at);
  return template_text.substr(at + marker.size());
}

template <typename T, typename F>
void json_list(std::ostream& out, const std::vector<T>& items, F&& item) {
  out << '[';
  bool first = true;
  for (const T& value : items) {
    if (!first) out << ',';
    first = false;
    item(value);
  }
  out << ']';
}

// The flat list "count, ids..., count, ids..." of one list per step.
template <typename F>
void json_per_step(std::ostream& out, const ReplayData& data, F&& list) {
  out << '[';
  bool first = true;
  for (const ReplayStep& step : data.steps) {
    const std::vector<uint32_t>& ids = list(step);
    out << (first ? "" : ",") << ids.size();
    first = false;
    for (const uint32_t id : ids) out << ',' << id;
  }
  out << ']';
}

void write_data(const ReplayData& data, const Layout* layout,
                const PageText& text, std::ostream& out) {
  out << "{\"title\":" << json_string(text.title) << ",\"summary\":";
  json_list(out, text.summary,
            [&](const std::string& line) { out << json_string(line); });
  out << ",\n\"places\":" << data.place_count << ",\"names\":";
  json_list(out, data.names,
            [&](const std::string& name) { out << json_string(name); });
  out << ",\n\"inputArcs\":" << data.input_arc_count << ",\"arcs\":[";
  for (size_t k = 0; k < data.arcs.size(); ++k)
    out << (k ? "," : "") << data.arcs[k].from << ',' << data.arcs[k].to;
  out << "],\n\"weights\":[";
  bool first = true;
  for (size_t k = 0; k < data.arcs.size(); ++k) {
    if (data.arcs[k].weight == 1) continue;
    out << (first ? "" : ",") << k << ',' << data.arcs[k].weight;
    first = false;
  }
  out << "],\n\"rules\":\"";
  for (const ReplayStep& step : data.steps) out << step.rule;
  out << "\",\n\"stepNames\":";
  json_per_step(
      out, data, [](const ReplayStep& s) -> auto& { return s.names; });
  out << ",\n\"erased\":";
  json_per_step(
      out, data, [](const ReplayStep& s) -> auto& { return s.erased; });
  out << ",\n\"removed\":";
  json_per_step(
      out, data, [](const ReplayStep& s) -> auto& { return s.removed; });
  out << ",\n\"absorber\":";
  json_list(out, data.steps, [&](const ReplayStep& s) { out << s.absorber; });
  out << ",\n\"added\":";
  json_list(out, data.steps, [&](const ReplayStep& s) { out << s.added; });
  out << ",\n\"layout\":";
  if (layout == nullptr) {
    out << "null}";
    return;
  }
  // Whole points: a node is tens of points wide.
  const auto number = [&](double value) { out << std::lround(value); };
  out << "{\"w\":";
  number(layout->width);
  out << ",\"h\":";
  number(layout->height);
  out << ",\"x\":";
  json_list(out, layout->x, number);
  out << ",\"y\":";
  json_list(out, layout->y, number);
  out << "}}";
}

}  // namespace

std::string json_string(std::string_view text) {
  std::string json = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (byte < 0x20 || c == '<') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      json += escaped;
    } else {
      json += c;
    }
  }
  return json + "\"";
}

bool write_page(const ReplayData& data, const Layout* layout,
                const PageText& text, std::ostream& out) {
  std::string_view rest = k_page_html;
  rest = up_to(rest, "/*@STYLE@*/", out);
  out << k_page_css;
  rest = up_to(rest, "/*@DATA@*/", out);
  write_data(data, layout, text, out);
  rest = up_to(rest, "/*@SCRIPT@*/", out);
  out << k_page_js << rest;
  return static_cast<bool>(out.flush());
}

}  // namespace marovel
