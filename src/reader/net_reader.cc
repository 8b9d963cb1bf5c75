#include "reader/net_reader.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "model/consistency.h"
#include "reader/find_attribute.h"
#include "reader/load_document.h"

namespace marovel {
namespace {

// Names declared in one list; views into the loaded document. Only
// membership is asked, so a hash table serves.
using NameIndex = std::unordered_set<std::string_view>;

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

// Declares every member of one list: its name joins `declared` and `index`.
// Returns false after printing the list's message.
bool declare_list(const XmlNode* root, const ListMessages& messages,
                  std::vector<std::string_view>& declared, NameIndex& index,
                  std::ostream& out) {
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
    index.insert(*name);
  }
  return true;
}

// Every declared node starts as the sole member of its own aggregate. The
// names go in in name order, so each lands at the end of the tree.
void declare_aggregates(std::vector<std::string_view>& declared,
                        AggregateMap& aggregates) {
  std::sort(declared.begin(), declared.end());
  declared.erase(std::unique(declared.begin(), declared.end()), declared.end());
  for (std::string_view name : declared) {
    auto it = aggregates.lower_bound(name);
    if (it == aggregates.end() || it->first != name)
      it = aggregates.emplace_hint(it, std::string(name), AggregateSet{});
    if (!it->second.contains(name)) it->second.emplace(name);
  }
}

// One edge as the reader classifies it; views into the loaded document.
struct Arc {
  std::string_view from;
  std::string_view to;
  int32_t weight;
  bool from_place;
};

// Reads the edge member `edge`; prints its fault and returns nothing when it
// has one.
std::optional<Arc> read_edge(const XmlNode* edge, const NameIndex& places,
                             const NameIndex& transitions, std::ostream& out) {
  const auto from = find_attribute(edge, "from");
  if (!from) {
    out << "Can't find the from edge\n";
    return std::nullopt;
  }
  const auto to = find_attribute(edge, "to");
  if (!to) {
    out << "Can't find the to edge\n";
    return std::nullopt;
  }
  int32_t weight = 1;
  if (const auto text = find_attribute(edge, "multiplicity"))
    weight = parse_multiplicity(*text).value_or(1);
  if (places.contains(*from)) {
    if (transitions.contains(*to)) return Arc{*from, *to, weight, true};
  } else if (transitions.contains(*from) && places.contains(*to)) {
    return Arc{*from, *to, weight, false};
  }
  out << "Wrong edge \n";
  return std::nullopt;
}

// The nodes of one map that arcs touch, created in name order (each insert
// then lands at the end of the tree) and found again through a hash table:
// on large nets a tree lookup per arc end costs a cache miss per level.
class NodeTable {
 public:
  explicit NodeTable(NodeMap& map) : map_(map) {}

  void touch(std::string_view name) { touched_.push_back(name); }

  void create() {
    std::sort(touched_.begin(), touched_.end());
    touched_.erase(std::unique(touched_.begin(), touched_.end()),
                   touched_.end());
    nodes_.reserve(touched_.size());
    for (std::string_view name : touched_) {
      auto it = map_.lower_bound(name);
      if (it == map_.end() || it->first != name)
        it = map_.emplace_hint(it, std::string(name), NetNode{});
      nodes_.emplace(it->first, &it->second);
    }
    touched_ = {};
  }

  NetNode& operator[](std::string_view name) const {
    return *nodes_.find(name)->second;
  }

 private:
  NodeMap& map_;
  std::vector<std::string_view> touched_;
  std::unordered_map<std::string_view, NetNode*> nodes_;
};

// Reads every edge up to the first fault, then enters the arcs read before
// it: the model ends as if each arc had been entered as it was read.
bool read_edges(const XmlNode* root, const NameIndex& places,
                const NameIndex& transitions, NetModel& model,
                std::ostream& out) {
  const XmlNode* list = find_child_element(root, "edgelist");
  if (list == nullptr) {
    out << "No edgelist found\n";
    return false;
  }
  if (list->first_child == nullptr) {
    out << "No edges found\n";
    return false;
  }
  std::vector<Arc> arcs;
  bool ok = true;
  for (const XmlNode* edge = list->first_child; edge != nullptr;
       edge = edge->next_sibling) {
    const std::optional<Arc> arc = read_edge(edge, places, transitions, out);
    if (!arc) {
      ok = false;
      break;
    }
    // A weight of zero or below enters no arc and creates no node.
    if (arc->weight > 0) arcs.push_back(*arc);
  }

  NodeTable place_nodes(model.p_map);
  NodeTable transition_nodes(model.t_map);
  for (const Arc& arc : arcs) {
    place_nodes.touch(arc.from_place ? arc.from : arc.to);
    transition_nodes.touch(arc.from_place ? arc.to : arc.from);
  }
  place_nodes.create();
  transition_nodes.create();
  for (const Arc& arc : arcs) {
    const NodeTable& sources = arc.from_place ? place_nodes : transition_nodes;
    const NodeTable& targets = arc.from_place ? transition_nodes : place_nodes;
    sources[arc.from].out.insert(arc.to, arc.weight);
    targets[arc.to].in.insert(arc.from, arc.weight);
  }
  return ok;
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
                       std::ostream& out) {
  const XmlNode* root = doc.root();
  if (root == nullptr || root->name != "petrinet") {
    out << "Wrong input file\n";
    return false;
  }
  // What was read before a fault stays in the model, as if entered as read.
  std::vector<std::string_view> declared;
  NameIndex places;
  NameIndex transitions;
  const bool read =
      declare_list(root, kPlaces, declared, places, out) &&
      declare_list(root, kTransitions, declared, transitions, out) &&
      read_edges(root, places, transitions, model, out);
  declare_aggregates(declared, model.aggregate_map);
  if (!read) return false;
  if (!check_consistency(model)) {
    out << "\nNet inconsistent after input\n";
    return false;
  }
  return true;
}

bool read_net(const std::string& path, NetModel& model, std::ostream& out) {
  XmlDocument doc;
  if (!load_document(path, doc)) {
    out << "Can't open input file\n";
    return false;
  }
  return read_net_document(doc, model, out);
}

}  // namespace marovel
