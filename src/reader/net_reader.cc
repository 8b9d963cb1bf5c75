#include "reader/net_reader.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <span>
#include <vector>

#include "model/consistency.h"
#include "model/run_both.h"
#include "reader/find_attribute.h"
#include "reader/load_document.h"

namespace marovel {
namespace {

struct ListMessages {
  std::string_view list;
  const char* not_found;
  const char* empty;
  const char* no_name;
};

constexpr ListMessages kPlaces = {"placelist", "No placelist found\n",
                                  "No places found\n",
                                  "Can't find the place name\n"};
constexpr ListMessages kTransitions = {
    "transitionlist", "No transitionlist found\n", "No transitions found\n",
    "Can't find the transition name\n"};

// Declares every member of one list: its name joins `declared`, a view into
// the loaded document, and the member joins `members`. Returns false after
// printing the list's message.
bool declare_list(const XmlNode* root, const ListMessages& messages,
                  std::vector<std::string_view>& declared,
                  std::vector<const XmlNode*>& members, std::ostream& out) {
  const XmlNode* list = find_child_element(root, messages.list);
  if (list == nullptr) {
    out << messages.not_found;
    return false;
  }
  if (list->first_child == nullptr) {
    out << messages.empty;
    return false;
  }
  for (const XmlNode* member = list->first_child; member != nullptr;
       member = member->next_sibling) {
    const auto name = find_attribute(member, "name");
    if (!name) {
      out << messages.no_name;
      return false;
    }
    declared.push_back(*name);
    members.push_back(member);
  }
  return true;
}

// By name id, the first of `members` bearing each name; `ids` holds the id
// of each member's name.
std::vector<const XmlNode*> first_by_name(
    std::span<const XmlNode* const> members, const NameId* ids, size_t names) {
  std::vector<const XmlNode*> index(names, nullptr);
  for (size_t k = 0; k < members.size(); ++k)
    if (index[ids[k]] == nullptr) index[ids[k]] = members[k];
  return index;
}

// Which lists declare a name: a name may be a place and a transition both.
enum Declared : uint8_t { kAsPlace = 1, kAsTransition = 2 };

// One edge as the reader classifies it.
struct Arc {
  NameId from;
  NameId to;
  int32_t weight;
  bool from_place;
};

enum class EdgeFault { kNone, kNoFrom, kNoTo, kWrong };

const char* message_of(EdgeFault fault) {
  switch (fault) {
    case EdgeFault::kNoFrom:
      return "Can't find the from edge\n";
    case EdgeFault::kNoTo:
      return "Can't find the to edge\n";
    case EdgeFault::kWrong:
      return "Wrong edge \n";
    case EdgeFault::kNone:
      break;
  }
  return "";
}

// The arcs of a run of edges up to its first fault, which it returns. Edges
// go in blocks, so that the names of a block are looked up together.
EdgeFault read_edge_run(std::span<const XmlNode* const> edges,
                        const NameTable& names,
                        const std::vector<uint8_t>& declared,
                        std::vector<Arc>& arcs) {
  arcs.reserve(edges.size());
  constexpr size_t kBlock = 32;
  std::string_view ends[2 * kBlock];
  std::optional<NameId> ids[2 * kBlock];
  int32_t weights[kBlock];
  for (size_t start = 0; start < edges.size(); start += kBlock) {
    const size_t count = std::min(kBlock, edges.size() - start);
    // Up to the first edge that lacks an end, if any.
    EdgeFault missing = EdgeFault::kNone;
    size_t read = 0;
    for (; read < count; ++read) {
      const XmlNode* edge = edges[start + read];
      const auto from = find_attribute(edge, "from");
      if (!from) {
        missing = EdgeFault::kNoFrom;
        break;
      }
      const auto to = find_attribute(edge, "to");
      if (!to) {
        missing = EdgeFault::kNoTo;
        break;
      }
      weights[read] = 1;
      if (const auto text = find_attribute(edge, "multiplicity"))
        weights[read] = parse_multiplicity(*text).value_or(1);
      ends[2 * read] = *from;
      ends[2 * read + 1] = *to;
    }
    names.find_all({ends, 2 * read}, {ids, 2 * read});
    for (size_t k = 0; k < read; ++k) {
      const std::optional<NameId> source = ids[2 * k];
      const std::optional<NameId> target = ids[2 * k + 1];
      const uint8_t source_kind = source ? declared[*source] : 0;
      const uint8_t target_kind = target ? declared[*target] : 0;
      bool from_place;
      if (source_kind & kAsPlace) {
        if (!(target_kind & kAsTransition)) return EdgeFault::kWrong;
        from_place = true;
      } else if ((source_kind & kAsTransition) && (target_kind & kAsPlace)) {
        from_place = false;
      } else {
        return EdgeFault::kWrong;
      }
      // A weight of zero or below enters no arc and creates no node.
      if (weights[k] > 0)
        arcs.push_back(Arc{*source, *target, weights[k], from_place});
    }
    if (missing != EdgeFault::kNone) return missing;
  }
  return EdgeFault::kNone;
}

// Reads every edge up to the first fault and enters the arcs before it. The
// model ends as if each arc had been entered as it was read: a bag's
// content does not depend on the order of its insertions. Both halves of
// the list are classified at once, then both maps filled at once, each
// from every arc in list order.
bool read_edges(const XmlNode* root, const std::vector<uint8_t>& declared,
                NetModel& model, std::ostream& out) {
  const XmlNode* list = find_child_element(root, "edgelist");
  if (list == nullptr) {
    out << "No edgelist found\n";
    return false;
  }
  if (list->first_child == nullptr) {
    out << "No edges found\n";
    return false;
  }
  std::vector<const XmlNode*> edges;
  for (const XmlNode* edge = list->first_child; edge != nullptr;
       edge = edge->next_sibling)
    edges.push_back(edge);
  const bool threaded = edges.size() >= kItemsWorthAThread;

  const std::span<const XmlNode* const> all(edges);
  const size_t half = edges.size() / 2;
  std::vector<Arc> first_arcs, second_arcs;
  EdgeFault first_fault = EdgeFault::kNone, second_fault = EdgeFault::kNone;
  run_both(
      threaded,
      [&] {
        second_fault = read_edge_run(all.subspan(half), model.names, declared,
                                     second_arcs);
      },
      [&] {
        first_fault =
            read_edge_run(all.first(half), model.names, declared, first_arcs);
      });
  // Nothing after the first fault enters the model.
  const EdgeFault fault =
      first_fault != EdgeFault::kNone ? first_fault : second_fault;
  if (first_fault != EdgeFault::kNone) second_arcs.clear();

  const auto fill = [&](bool places) {
    NodeMap& map = places ? model.p_map : model.t_map;
    const auto node_of = [places](const Arc& arc) {
      return arc.from_place == places ? arc.from : arc.to;
    };
    // Nodes are created in name order, so that every later walk in name
    // order (the index, the checks, the writer) goes through memory in
    // order too.
    std::vector<bool> used(model.names.size(), false);
    for (const std::vector<Arc>* arcs : {&first_arcs, &second_arcs})
      for (const Arc& arc : *arcs) used[node_of(arc)] = true;
    for (NameId name = 0; name < used.size(); ++name)
      if (used[name]) node_at(map, name);
    for (const std::vector<Arc>* arcs : {&first_arcs, &second_arcs}) {
      // The nodes lie anywhere in memory: each is asked for a few arcs
      // ahead, its slot first.
      constexpr size_t kSlotsAhead = 16, kNodesAhead = 8;
      for (size_t k = 0; k < arcs->size(); ++k) {
        if (k + kSlotsAhead < arcs->size())
          map.prefetch_slot(node_of((*arcs)[k + kSlotsAhead]));
        if (k + kNodesAhead < arcs->size())
          map.prefetch_node(node_of((*arcs)[k + kNodesAhead]));
        const Arc& arc = (*arcs)[k];
        const bool source_side = arc.from_place == places;
        NetNode& node = node_at(map, node_of(arc));
        if (source_side) {
          node.out.insert(arc.to, arc.weight);
        } else {
          node.in.insert(arc.from, arc.weight);
        }
      }
    }
  };
  run_both(
      threaded, [&] { fill(false); }, [&] { fill(true); });
  out << message_of(fault);
  return fault == EdgeFault::kNone;
}

}  // namespace

const XmlNode* find_child_element(const XmlNode* parent,
                                  std::string_view name) {
  for (const XmlNode* child = parent->first_child; child != nullptr;
       child = child->next_sibling)
    if (child->is_element() && child->name == name) return child;
  return nullptr;
}

std::optional<int32_t> parse_multiplicity(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  // Accumulate as a negative number so that the smallest int32 fits.
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{1} << 31;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > kLimit) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
  return static_cast<int32_t>(value);
}

bool read_net_document(const XmlDocument& doc, NetModel& model,
                       std::ostream& out, ElementIndex* elements) {
  const XmlNode* root = doc.root();
  if (root == nullptr || root->name != "petrinet") {
    out << "Wrong input file\n";
    return false;
  }
  // What was read before a fault stays in the model, as if entered as read.
  std::vector<std::string_view> names;
  std::vector<const XmlNode*> members;
  bool declared_all = declare_list(root, kPlaces, names, members, out);
  const size_t places_declared = names.size();
  declared_all =
      declared_all && declare_list(root, kTransitions, names, members, out);
  std::vector<NameId> ids;
  model = NetModel(NameTable(names, ids));
  if (!declared_all) return false;

  std::vector<uint8_t> declared(model.names.size(), 0);
  for (size_t k = 0; k < ids.size(); ++k)
    declared[ids[k]] |= k < places_declared ? kAsPlace : kAsTransition;
  if (!read_edges(root, declared, model, out)) return false;
  if (!check_consistency(model)) {
    out << "\nNet inconsistent after input\n";
    return false;
  }
  if (elements != nullptr) {
    const std::span<const XmlNode* const> all(members);
    elements->places = first_by_name(all.first(places_declared), ids.data(),
                                     model.names.size());
    elements->transitions =
        first_by_name(all.subspan(places_declared),
                      ids.data() + places_declared, model.names.size());
  }
  return true;
}

bool read_net(const std::string& path, NetModel& model, std::ostream& out) {
  InputDocument input;
  return read_net(path, model, input, out);
}

bool read_net(const std::string& path, NetModel& model, InputDocument& input,
              std::ostream& out) {
  if (!load_document(path, input.document)) {
    out << "Can't open input file\n";
    return false;
  }
  return read_net_document(input.document, model, out, &input.elements);
}

}  // namespace marovel
