#include "pnml/pnml_reader.h"

#include "pnml/pnml_gatherer.h"
#include "pnml/pnml_net_parts.h"
#include "pnml/pnml_resolver.h"
#include "xml/xml_parser.h"
#include "xml/xml_replay.h"

namespace marovel {

bool read_pnml(const XmlDocument& doc, std::string_view wanted_net, PtNet& net,
               std::string& error) {
  PnmlNetParts parts;
  PnmlGatherer gatherer(wanted_net, net, parts);
  replay_xml(doc, gatherer);
  return gatherer.finish(error) && resolve_pnml(parts, net, error);
}

PnmlRead read_pnml_file(const std::string& path, std::string_view wanted_net,
                        PtNet& net, std::string& error) {
  PnmlNetParts parts;
  PnmlGatherer gatherer(wanted_net, net, parts);
  if (!parse_xml_file(path, gatherer, error)) return PnmlRead::kUnreadable;
  if (!gatherer.finish(error) || !resolve_pnml(parts, net, error))
    return PnmlRead::kRefused;
  return PnmlRead::kDone;
}

}  // namespace marovel
