#include "pnml/net_file_writer.h"

#include "xml/xml_writer.h"

namespace marovel {

namespace {

// node_info() appended to `out`, so that writing many nodes reuses one
// buffer instead of making a string for each.
void append_node_info(const PtNode& node, bool is_place, std::string& out) {
  out += node.id;
  if (!node.name.empty() && node.name != node.id) {
    out += " (";
    out += node.name;
    out += ')';
  }
  if (is_place) {
    out += ", initial marking ";
    out += node.marking;
  }
}

}  // namespace

std::string node_info(const PtNode& node, bool is_place) {
  std::string info;
  append_node_info(node, is_place, info);
  return info;
}

bool write_net_file(const PtNet& net, std::ostream& out) {
  XmlWriter xml(out);
  xml.start_element("petrinet");
  const struct {
    const char* list;
    const char* member;
    const std::vector<PtNode>& nodes;
    bool is_place;
  } kLists[] = {{"placelist", "place", net.places, true},
                {"transitionlist", "transition", net.transitions, false}};
  std::string info;
  for (const auto& list : kLists) {
    xml.start_element(list.list);
    for (const PtNode& node : list.nodes) {
      xml.start_element(list.member);
      xml.attribute("name", node.id);
      xml.start_element("info");
      info.clear();
      append_node_info(node, list.is_place, info);
      xml.text(info);
      xml.end_element();
      xml.end_element();
    }
    xml.end_element();
  }
  xml.start_element("edgelist");
  for (const PtArc& arc : net.arcs) {
    const std::string_view place = net.places[arc.place].id;
    const std::string_view transition = net.transitions[arc.transition].id;
    xml.start_element("edge");
    xml.attribute("from", arc.to_transition ? place : transition);
    xml.attribute("to", arc.to_transition ? transition : place);
    if (arc.weight != 1)
      xml.attribute("multiplicity", std::to_string(arc.weight));
    xml.end_element();
  }
  xml.end_element();
  xml.end_element();
  return xml.finish();
}

}  // namespace marovel
