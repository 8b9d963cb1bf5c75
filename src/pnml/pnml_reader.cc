#include "pnml/pnml_reader.h"

#include "pnml/pnml_gatherer.h"
#include "pnml/pnml_net_parts.h"
#include "pnml/pnml_reader_for_testing.h"
#include "pnml/pnml_resolver.h"
#include "xml/xml_parser.h"
#include "xml/xml_replay.h"

namespace marovel {

Status read_pnml(const XmlDocument& doc, std::string_view wanted_net,
                 PtNet& net) {
  PnmlNetParts parts;
  PnmlGatherer gatherer(wanted_net, net, parts);
  replay_xml(doc, gatherer);
  Status status = gatherer.finish();
  if (status.ok()) status = resolve_pnml(parts, net);
  return status;
}

namespace {

// Gathers the net while `parse` hands the document to the gatherer, then
// resolves it.
template <typename Parse>
Status read_pnml_parsed(std::string_view wanted_net, PtNet& net,
                        const Parse& parse) {
  PnmlNetParts parts;
  PnmlGatherer gatherer(wanted_net, net, parts);
  Status status = parse(gatherer);
  if (status.ok()) status = gatherer.finish();
  if (status.ok()) status = resolve_pnml(parts, net);
  return status;
}

}  // namespace

Status read_pnml_file(const std::string& path, std::string_view wanted_net,
                      PtNet& net) {
  return read_pnml_parsed(wanted_net, net, [&](XmlContentHandler& handler) {
    return parse_xml_file(path, handler);
  });
}

Status read_pnml_bytes(std::string_view document, std::string_view wanted_net,
                       PtNet& net) {
  return read_pnml_parsed(wanted_net, net, [&](XmlContentHandler& handler) {
    return parse_xml_string(document, handler);
  });
}

}  // namespace marovel
