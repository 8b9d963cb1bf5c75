#include "netfile/net_file_reader.h"

#include <unordered_map>

#include "base/quoted.h"
#include "netfile/net_file.h"
#include "xml/xml_lookup.h"

namespace marovel {
namespace {

using NameIndex = std::unordered_map<std::string_view, size_t>;

// The members of one list; a name declared twice keeps its first element,
// as marovel's writer copies the first.
bool read_list(const XmlNode* root, std::string_view list_name,
               std::vector<NetFileNode>& nodes, NameIndex& index,
               std::string& error) {
  const XmlNode* list = find_child_element(root, list_name);
  if (list == nullptr) {
    error = "not a marovel net file: it has no " + std::string(list_name);
    return false;
  }
  for (const XmlNode* member = list->first_child; member != nullptr;
       member = member->next_sibling) {
    if (!member->is_element()) continue;
    const auto name = find_attribute(member, "name");
    if (!name) {
      error = "an element <" + std::string(member->name) + "> of the " +
              std::string(list_name) + " has no name";
      return false;
    }
    if (index.try_emplace(*name, nodes.size()).second)
      nodes.push_back({*name, member});
  }
  return true;
}

}  // namespace

bool read_net_file(const XmlDocument& doc, NetFile& net, std::string& error) {
  const XmlNode* root = doc.root();
  if (root == nullptr || root->name != kNetRoot) {
    error = "not a marovel net file: the root element is " +
            quoted(root == nullptr ? "" : root->name) + ", not 'petrinet'";
    return false;
  }
  NameIndex places;
  NameIndex transitions;
  if (!read_list(root, list_element_name(NetList::kPlaces), net.places, places,
                 error) ||
      !read_list(root, list_element_name(NetList::kTransitions),
                 net.transitions, transitions, error))
    return false;
  const XmlNode* edges =
      find_child_element(root, list_element_name(NetList::kEdges));
  if (edges == nullptr) {
    error = "not a marovel net file: it has no edgelist";
    return false;
  }

  std::unordered_map<uint64_t, size_t> arc_index;
  for (const XmlNode* edge = edges->first_child; edge != nullptr;
       edge = edge->next_sibling) {
    if (!edge->is_element()) continue;
    const auto from = find_attribute(edge, "from");
    const auto to = find_attribute(edge, "to");
    if (!from || !to) {
      error = "an edge has no " + std::string(from ? "to" : "from");
      return false;
    }
    // The same reading as marovel's: the source decides the direction, and
    // a weight it cannot read counts as 1.
    const auto place_from = places.find(*from);
    const auto transition_to = transitions.find(*to);
    const auto transition_from = transitions.find(*from);
    const auto place_to = places.find(*to);
    NetFileArc arc{};
    if (place_from != places.end() && transition_to != transitions.end()) {
      arc = {place_from->second, transition_to->second, true, 1};
    } else if (place_from == places.end() &&
               transition_from != transitions.end() &&
               place_to != places.end()) {
      arc = {place_to->second, transition_from->second, false, 1};
    } else {
      error = "the edge from " + quoted(*from) + " to " + quoted(*to) +
              " does not join a declared place and transition";
      return false;
    }
    if (const auto text = find_attribute(edge, "multiplicity"))
      arc.weight = parse_multiplicity(*text).value_or(1);
    if (arc.weight <= 0) continue;  // marovel enters no arc for it

    const uint64_t key =
        arc_key(static_cast<uint32_t>(arc.place),
                static_cast<uint32_t>(arc.transition), arc.to_transition);
    const auto [slot, added] = arc_index.try_emplace(key, net.arcs.size());
    if (added)
      net.arcs.push_back(arc);
    else
      net.arcs[slot->second].weight += arc.weight;
  }
  return true;
}

const XmlNode* last_child_element(const XmlNode* parent,
                                  std::string_view name) {
  const XmlNode* last = nullptr;
  for (const XmlNode* child = parent->first_child; child != nullptr;
       child = child->next_sibling)
    if (child->is_element() && child->name == name) last = child;
  return last;
}

}  // namespace marovel
