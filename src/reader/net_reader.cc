#include "reader/net_reader.h"

#include <cctype>
#include <functional>
#include <limits>
#include <set>

#include "model/consistency.h"
#include "reader/find_attribute.h"
#include "reader/load_document.h"

namespace marovel {
namespace {

// Names declared in one list; views into the loaded document.
using NameIndex = std::set<std::string_view, std::less<>>;

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

// Declares every member of one list: an aggregate of its own and an entry
// in `index`. Returns false after printing the list's message.
bool declare_list(const XmlNode* root, const ListMessages& messages,
                  NetModel& model, NameIndex& index, std::ostream& out) {
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
    AggregateSet& aggregate = aggregate_at(model.aggregate_map, *name);
    if (aggregate.find(*name) == aggregate.end())
      aggregate.emplace(std::string(*name));
    index.insert(*name);
  }
  return true;
}

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
  for (const XmlNode* edge = list->first_child; edge != nullptr;
       edge = edge->next_sibling) {
    const auto from = find_attribute(edge, "from");
    if (!from) {
      out << "Can't find the from edge\n";
      return false;
    }
    const auto to = find_attribute(edge, "to");
    if (!to) {
      out << "Can't find the to edge\n";
      return false;
    }
    int32_t weight = 1;
    if (const auto text = find_attribute(edge, "multiplicity"))
      weight = parse_multiplicity(*text).value_or(1);

    NodeMap* source_map;
    NodeMap* target_map;
    if (places.contains(*from)) {
      if (!transitions.contains(*to)) {
        out << "Wrong edge \n";
        return false;
      }
      source_map = &model.p_map;
      target_map = &model.t_map;
    } else if (!transitions.contains(*from) || !places.contains(*to)) {
      out << "Wrong edge \n";
      return false;
    } else {
      source_map = &model.t_map;
      target_map = &model.p_map;
    }
    // A weight of zero or below enters no arc and creates no node.
    if (weight <= 0) continue;
    node_at(*source_map, *from).out.insert(*to, weight);
    node_at(*target_map, *to).in.insert(*from, weight);
  }
  return true;
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
  NameIndex places;
  NameIndex transitions;
  if (!declare_list(root, kPlaces, model, places, out) ||
      !declare_list(root, kTransitions, model, transitions, out) ||
      !read_edges(root, places, transitions, model, out))
    return false;
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
