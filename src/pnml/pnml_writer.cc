#include "pnml/pnml_writer.h"

#include <cstddef>
#include <iterator>
#include <string>

#include "base/version.h"
#include "pnml/xml_ids.h"
#include "xml/xml_writer.h"

namespace marovel {
namespace {

constexpr char kNamespace[] = "http://www.pnml.org/version-2009/grammar/pnml";
constexpr char kNetType[] = "http://www.pnml.org/version-2009/grammar/ptnet";

std::vector<std::string> node_ids(const std::vector<PnmlOutNode>& places,
                                  const std::vector<PnmlOutNode>& transitions,
                                  XmlIdSpace& space) {
  std::vector<std::string_view> names;
  names.reserve(places.size() + transitions.size());
  for (const PnmlOutNode& node : places) names.push_back(node.name);
  for (const PnmlOutNode& node : transitions) names.push_back(node.name);
  return take_node_ids(names, space);
}

// `<text>` inside `label`: the form of every PNML label.
void write_label(XmlWriter& xml, std::string_view label,
                 std::string_view text) {
  xml.start_element(label);
  xml.start_element("text");
  xml.text(text);
  xml.end_element();
  xml.end_element();
}

void write_node(XmlWriter& xml, std::string_view element, const std::string& id,
                const PnmlOutNode& node, const MemberStore* elements) {
  xml.start_element(element);
  xml.attribute("id", id);
  write_label(xml, "name", node.name);
  if (!node.tool_data.empty()) {
    xml.start_element("toolspecific");
    xml.attribute("tool", "marovel");
    xml.attribute("version", MAROVEL_VERSION);
    for (const PnmlToolData& data : node.tool_data)
      elements->copy(data.element, xml, /*leave_open=*/false,
                     data.declarations);
    xml.end_element();
  }
  xml.end_element();
}

// Every id in the document, in the order the header gives.
struct PnmlIds {
  std::vector<std::string> places;
  std::vector<std::string> transitions;
  std::string net;
  std::string page;
  std::vector<std::string> arcs;
};

PnmlIds pnml_ids(const PnmlOutNet& net) {
  XmlIdSpace space;
  PnmlIds ids;
  std::vector<std::string> nodes = node_ids(net.places, net.transitions, space);
  const auto split = nodes.begin() + static_cast<ptrdiff_t>(net.places.size());
  ids.places.assign(std::make_move_iterator(nodes.begin()),
                    std::make_move_iterator(split));
  ids.transitions.assign(std::make_move_iterator(split),
                         std::make_move_iterator(nodes.end()));
  ids.net = space.take(ncname_from(net.name));
  ids.page = space.take("page");
  ids.arcs.reserve(net.arcs.size());
  for (size_t i = 0; i < net.arcs.size(); ++i) {
    // Appended rather than "a" + ..., which g++ 12 at -O3 warns about
    // wrongly (-Wrestrict).
    std::string arc = "a";
    arc += std::to_string(i + 1);
    ids.arcs.push_back(space.take(arc));
  }
  return ids;
}

}  // namespace

bool write_pnml(const PnmlOutNet& net, std::ostream& out) {
  const PnmlIds ids = pnml_ids(net);
  XmlWriter xml(out);
  xml.start_element("pnml");
  xml.attribute("xmlns", kNamespace);
  xml.start_element("net");
  xml.attribute("id", ids.net);
  xml.attribute("type", kNetType);
  xml.start_element("page");
  xml.attribute("id", ids.page);
  for (size_t i = 0; i < net.places.size(); ++i)
    write_node(xml, "place", ids.places[i], net.places[i], net.elements);
  for (size_t i = 0; i < net.transitions.size(); ++i)
    write_node(xml, "transition", ids.transitions[i], net.transitions[i],
               net.elements);
  for (size_t i = 0; i < net.arcs.size(); ++i) {
    const PnmlOutArc& arc = net.arcs[i];
    const std::string& place = ids.places[arc.place];
    const std::string& transition = ids.transitions[arc.transition];
    xml.start_element("arc");
    xml.attribute("id", ids.arcs[i]);
    xml.attribute("source", arc.to_transition ? place : transition);
    xml.attribute("target", arc.to_transition ? transition : place);
    if (arc.weight != 1)
      write_label(xml, "inscription", std::to_string(arc.weight));
    xml.end_element();
  }
  return xml.finish();
}

}  // namespace marovel
