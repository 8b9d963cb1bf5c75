#include "tools/pnml2net.h"

#include "driver/file_names.h"
#include "pnml/net_file_writer.h"
#include "pnml/pnml_reader.h"
#include "tools/tool_options.h"
#include "writer/safe_file.h"
#include "xml/xml_document.h"

namespace marovel {
namespace {

constexpr char kUsage[] =
    "Usage: pnml2net INPUT.pnml [-o OUTPUT.xml] [--net ID]\n"
    "Converts a PNML place/transition net into a marovel net file.\n"
    "  -o, --output FILE  the file to write (default: INPUT with the\n"
    "                     extension \"xml\")\n"
    "  --net ID           the net to convert when the file holds several\n"
    "  -h, --help         print this text\n";

}  // namespace

int run_pnml2net(const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err) {
  std::string error;
  const auto options = parse_tool_options(args, /*takes_net=*/true, error);
  if (!options) {
    err << "pnml2net: " << error << "\n" << kUsage;
    return 2;
  }
  if (options->help) {
    out << kUsage;
    return 0;
  }
  const std::string& input = options->input;
  const std::string output =
      options->output.value_or(replace_extension(input, "xml"));
  if (same_file(input, output)) {
    err << "pnml2net: the output '" << output
        << "' would overwrite the input; name another one with -o\n";
    return 1;
  }

  XmlDocument doc;
  if (!load_xml_file(input, doc, error)) {
    err << "pnml2net: " << error << "\n";
    return 1;
  }
  PtNet net;
  if (!read_pnml(doc, options->net.value_or(""), net, error)) {
    err << "pnml2net: " << input << ": " << error << "\n";
    return 1;
  }

  SafeFile file(output);
  write_net_file(net, file.stream());
  if (!file.commit()) {
    err << "pnml2net: " << file.error() << "\n";
    return 1;
  }
  out << "Wrote " << output << ": " << net.places.size() << " places, "
      << net.transitions.size() << " transitions, " << net.arcs.size()
      << " arcs\n";
  return 0;
}

}  // namespace marovel
