#include "html/net2html.h"

#include <fstream>
#include <optional>

#include "base/safe_file.h"
#include "html/layout.h"
#include "html/page_writer.h"
#include "html/replay_data.h"
#include "marovel/marovel.h"
#include "tools/tool_start.h"

namespace marovel {
namespace {

constexpr char kUsage[] =
    "Usage: net2html INPUT [--rules=LETTERS] [--steps=N] [--keep=NAME,...] "
    "[--net=ID] [-o OUTPUT.html]\n"
    "Reduces a marovel net file or a PNML file as marovel does and writes one\n"
    "HTML page that replays the reduction step by step over the picture of\n"
    "the net.\n"
    "  --rules=LETTERS    the rules that may apply (A to F, default all)\n"
    "  --steps=N          apply at most N steps\n"
    "  --keep=NAME,...    nodes no rule may erase\n"
    "  --net=ID           the net of a PNML file that holds several\n"
    "  -o, --output FILE  the page to write (default: INPUT with the\n"
    "                     extension \"html\")\n"
    "  -h, --help         print this text\n"
    "  --version          print the version\n";

// Whether the document's root element is <pnml> (with or without a
// prefix): the first element after the prolog, comments and doctype.
bool is_pnml(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string head(65536, '\0');
  file.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(file.gcount()));
  size_t at = 0;
  while ((at = head.find('<', at)) != std::string::npos) {
    if (head.compare(at, 4, "<!--") == 0) {
      at = head.find("-->", at);
      if (at == std::string::npos) return false;
      continue;
    }
    if (head.compare(at, 2, "<?") == 0 || head.compare(at, 2, "<!") == 0) {
      ++at;
      continue;
    }
    const size_t end = head.find_first_of(" \t\r\n/>", at + 1);
    std::string name = head.substr(
        at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
    if (const size_t colon = name.rfind(':'); colon != std::string::npos)
      name.erase(0, colon + 1);
    return name == "pnml";
  }
  return false;
}

std::string counts_text(size_t places, size_t transitions, size_t arcs) {
  return std::to_string(places) + " places, " + std::to_string(transitions) +
         " transitions, " + std::to_string(arcs) + " arcs";
}

std::vector<std::string> summary(const ReplayData& data, const Net& net) {
  std::string steps = "steps: " + std::to_string(data.steps.size()) + " (";
  bool first = true;
  for (const auto& [letter, count] : data.report.steps) {
    steps += (first ? "" : ", ") + std::string(1, letter) + " " +
             std::to_string(count);
    first = false;
  }
  steps += "), stopped: " + data.report.stopped;
  std::vector<std::string> lines = {
      "input: " + counts_text(data.place_count,
                              data.names.size() - data.place_count,
                              data.input_arc_count),
      steps,
      "left: " + counts_text(net.place_count(), net.transition_count(),
                             net.arc_count())};
  if (data.largest_size > 0)
    lines.push_back(
        "largest: " +
        std::string(data.largest_is_place ? "place" : "transition") + " '" +
        data.largest + "' stands for " + std::to_string(data.largest_size) +
        " input nodes");
  return lines;
}

std::string base_name(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int run_net2html(const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err) {
  const ToolInfo tool = {
      "net2html", kUsage, "html", {.net = true, .reduction = true}};
  ToolStart start;
  if (const std::optional<int> status = start_tool(tool, args, out, err, start))
    return *status;
  const ToolOptions& options = start.options;
  std::optional<Net> net;
  ReplayData data;
  try {
    if (is_pnml(options.input))
      net.emplace(Net::read_pnml(options.input, options.net.value_or("")));
    else
      net.emplace(Net::read(options.input));
    Options reduction;
    if (options.rules) reduction.rules = *options.rules;
    if (options.steps) reduction.max_steps = *options.steps;
    reduction.keep = options.keep;
    data = record_reduction(*net, reduction);
  } catch (const Error& error) {
    err << tool.name << ": " << options.input << ": " << error.what() << "\n";
    return 1;
  }
  Layout layout;
  const bool picture = wants_picture(data);
  if (picture) {
    if (const Status laid = lay_out(data, layout); !laid.ok()) {
      err << tool.name << ": " << options.input << ": " << laid.message()
          << "\n";
      return 1;
    }
  }
  SafeFile file(start.output);
  const bool written = write_page(
      data, picture ? &layout : nullptr,
      {base_name(options.input), summary(data, *net)}, file.stream());
  if (const int status = finish_tool(tool, file, written, err)) return status;
  out << "Wrote " << start.output << ": " << data.steps.size() << " steps over "
      << counts_text(data.place_count, data.names.size() - data.place_count,
                     data.input_arc_count)
      << (picture ? "" : " (no picture: the net is too large)") << "\n";
  return 0;
}

}  // namespace marovel
