#include "pnml/pnml_reader.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

#include "reader/find_attribute.h"
#include "text/quoted.h"

namespace marovel {
namespace {

// Element names are compared without a namespace prefix, so that a file
// written with `pnml:place` means the same as one with `place`.
std::string_view local_name(std::string_view name) {
  const size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool is_element(const XmlNode* node, std::string_view local) {
  return node->is_element() && local_name(node->name) == local;
}

const XmlNode* child_element(const XmlNode* parent, std::string_view local) {
  for (const XmlNode* child = parent->first_child; child != nullptr;
       child = child->next_sibling)
    if (is_element(child, local)) return child;
  return nullptr;
}

std::string_view trim(std::string_view text) {
  constexpr std::string_view kSpace = " \t\r\n";
  const size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

bool is_digits(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

// Text and CDATA directly inside `element`, trimmed. Nearly always one
// piece, viewed in place; several are joined in `buffer`.
std::string_view text_content(const XmlNode* element, std::string& buffer) {
  const XmlNode* only = nullptr;
  size_t pieces = 0;
  for (const XmlNode* child = element->first_child; child != nullptr;
       child = child->next_sibling)
    if (child->type == XmlNodeType::kText ||
        child->type == XmlNodeType::kCData) {
      only = child;
      ++pieces;
    }
  if (pieces <= 1) return only == nullptr ? "" : trim(only->content);
  buffer.clear();
  for (const XmlNode* child = element->first_child; child != nullptr;
       child = child->next_sibling)
    if (child->type == XmlNodeType::kText || child->type == XmlNodeType::kCData)
      buffer += child->content;
  return trim(buffer);
}

// The value of a PNML label such as `name` or `inscription`: its `text`
// child, or the `value` child that older files use. Nothing when it has
// neither. The view lasts until `buffer` next changes.
std::optional<std::string_view> label_text(const XmlNode* label,
                                           std::string& buffer) {
  const XmlNode* text = child_element(label, "text");
  if (text == nullptr) text = child_element(label, "value");
  if (text == nullptr) return std::nullopt;
  return text_content(text, buffer);
}

// Net types are URIs; every place/transition grammar's ends in "ptnet"
// (the 2009 one and the drafts before it, sometimes with ".pntd"), or in
// "ptnetb" for the earliest one.
bool is_place_transition_type(std::string_view type) {
  std::string lower;
  for (const char c : trim(type))
    lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  std::string_view uri = lower;
  if (uri.ends_with(".pntd")) uri.remove_suffix(5);
  while (uri.ends_with('/')) uri.remove_suffix(1);
  return uri.ends_with("ptnet") || uri.ends_with("ptnetb");
}

bool is_ordinary_arc_kind(std::string_view kind) {
  std::string lower;
  for (const char c : trim(kind))
    lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return lower.empty() || lower == "normal" || lower == "ordinary" ||
         lower == "regular" || lower == "standard";
}

bool names_arc_kind(std::string_view name) {
  return name == "type" || name == "arcType" || name == "arctype";
}

// The first kind other than an ordinary one that an arc declares for
// itself. Tools say it in different places: a `type` or `arcType` attribute,
// or such an element inside the arc or inside its `toolspecific` block, with
// the kind in a `value` attribute or as text. `pending` is scratch space,
// kept by the caller so that arcs cost no allocation each.
std::optional<std::string> special_arc_kind(
    const XmlNode* arc, std::vector<const XmlNode*>& pending) {
  for (const XmlAttribute& attribute : arc->attributes)
    if (names_arc_kind(attribute.name) &&
        !is_ordinary_arc_kind(attribute.value))
      return std::string(attribute.value);
  pending.assign(1, arc->first_child);
  std::string buffer;
  while (!pending.empty()) {
    const XmlNode* node = pending.back();
    pending.pop_back();
    if (node == nullptr) continue;
    pending.push_back(node->next_sibling);
    if (!node->is_element()) continue;
    const std::string_view name = local_name(node->name);
    // Weights and drawings say nothing about the kind.
    if (name == "inscription" || name == "graphics") continue;
    if (names_arc_kind(name)) {
      std::string_view kind;
      if (const auto value = find_attribute(node, "value"))
        kind = *value;
      else if (const auto text = label_text(node, buffer))
        kind = *text;
      else
        kind = text_content(node, buffer);
      if (!is_ordinary_arc_kind(kind)) return std::string(kind);
    }
    pending.push_back(node->first_child);
  }
  return std::nullopt;
}

enum class Kind : uint8_t {
  kPlace,
  kTransition,
  kPlaceReference,
  kTransitionReference
};

// What an id names: a node, by its index in the net's list of its kind, or
// a reference, by its index in the reader's list.
struct Entry {
  Kind kind;
  size_t index;
};

struct Reference {
  const XmlNode* element;
  std::string_view id;
  Kind kind;  // kPlaceReference or kTransitionReference
  enum class State : uint8_t { kOpen, kFollowing, kDone } state = State::kOpen;
  Entry target{Kind::kPlace, 0};  // the node reached, once done
};

class PnmlReader {
 public:
  PnmlReader(PtNet& net, std::string& error) : net_(net), error_(error) {}

  bool read(const XmlNode* net_element) {
    return collect(net_element) && index_ids() && resolve_references() &&
           read_arcs();
  }

 private:
  bool fail(std::string message) {
    error_ = std::move(message);
    return false;
  }

  // Walks the net and its pages in document order, without recursion:
  // `resume` holds where each enclosing page's siblings go on.
  bool collect(const XmlNode* net_element) {
    std::vector<const XmlNode*> resume;
    const XmlNode* node = net_element->first_child;
    for (;;) {
      if (node == nullptr) {
        if (resume.empty()) break;
        node = resume.back();
        resume.pop_back();
        continue;
      }
      const XmlNode* next = node->next_sibling;
      if (node->is_element()) {
        const std::string_view name = local_name(node->name);
        if (name == "page") {
          resume.push_back(next);
          next = node->first_child;
        } else if (name == "place") {
          if (!add_node(node, Kind::kPlace)) return false;
        } else if (name == "transition") {
          if (!add_node(node, Kind::kTransition)) return false;
        } else if (name == "referencePlace") {
          if (!add_node(node, Kind::kPlaceReference)) return false;
        } else if (name == "referenceTransition") {
          if (!add_node(node, Kind::kTransitionReference)) return false;
        } else if (name == "arc") {
          arcs_.push_back(node);
        }
      }
      node = next;
    }
    return true;
  }

  bool add_node(const XmlNode* element, Kind kind) {
    static constexpr const char* kWhat[] = {
        "place", "transition", "referencePlace", "referenceTransition"};
    const char* what = kWhat[static_cast<int>(kind)];
    const auto id = find_attribute(element, "id");
    if (!id || id->empty())
      return fail(std::string("a ") + what + " has no id");
    if (kind == Kind::kPlaceReference || kind == Kind::kTransitionReference) {
      references_.push_back(Reference{element, *id, kind});
      return true;
    }
    PtNode node{*id, {}, {}};
    if (const XmlNode* name = child_element(element, "name"))
      node.name = label_text(name, buffer_).value_or("");
    if (kind == Kind::kTransition) {
      net_.transitions.push_back(std::move(node));
      return true;
    }
    std::string_view marking = "0";
    if (const XmlNode* label = child_element(element, "initialMarking")) {
      const auto text = label_text(label, buffer_);
      if (!text || !is_digits(*text))
        return fail("place " + quoted(*id) + " has the initial marking " +
                    quoted(text.value_or("")) +
                    ", which is not a non-negative integer");
      const size_t first_digit =
          std::min(text->find_first_not_of('0'), text->size() - 1);
      marking = text->substr(first_digit);
    }
    node.marking.assign(marking);
    net_.places.push_back(std::move(node));
    return true;
  }

  // Indexed once every node is known, so that the table is sized once.
  bool index_ids() {
    ids_.reserve(net_.places.size() + net_.transitions.size() +
                 references_.size());
    const auto add = [&](std::string_view id, Entry entry) {
      if (ids_.try_emplace(id, entry).second) return true;
      return fail("the id " + quoted(id) + " is given to more than one node");
    };
    for (size_t i = 0; i < net_.places.size(); ++i)
      if (!add(net_.places[i].id, {Kind::kPlace, i})) return false;
    for (size_t i = 0; i < net_.transitions.size(); ++i)
      if (!add(net_.transitions[i].id, {Kind::kTransition, i})) return false;
    for (size_t i = 0; i < references_.size(); ++i)
      if (!add(references_[i].id, {references_[i].kind, i})) return false;
    return true;
  }

  // Follows every reference to the place or transition at the end of its
  // chain, each chain once, and refuses a chain that comes back on itself.
  bool resolve_references() {
    std::vector<size_t> chain;
    for (size_t start = 0; start < references_.size(); ++start) {
      chain.clear();
      Entry at{references_[start].kind, start};
      while (is_reference(at.kind) &&
             references_[at.index].state != Reference::State::kDone) {
        Reference& reference = references_[at.index];
        if (reference.state == Reference::State::kFollowing)
          return fail("the reference " + quoted(reference.id) +
                      " leads back to itself through a cycle of references");
        reference.state = Reference::State::kFollowing;
        chain.push_back(at.index);
        const auto ref = find_attribute(reference.element, "ref");
        if (!ref)
          return fail("the reference " + quoted(reference.id) +
                      " has no ref attribute");
        const auto found = ids_.find(*ref);
        if (found == ids_.end())
          return fail("the reference " + quoted(reference.id) + " names " +
                      quoted(*ref) + ", which is no node of the net");
        at = found->second;
      }
      const Entry target =
          is_reference(at.kind) ? references_[at.index].target : at;
      for (const size_t index : chain) {
        Reference& reference = references_[index];
        const bool wants_place = reference.kind == Kind::kPlaceReference;
        if (wants_place != (target.kind == Kind::kPlace))
          return fail(
              std::string("the ") +
              (wants_place ? "referencePlace " : "referenceTransition ") +
              quoted(reference.id) + " leads to the " +
              (wants_place ? "transition " : "place ") +
              quoted(node_id(target)));
        reference.target = target;
        reference.state = Reference::State::kDone;
      }
    }
    return true;
  }

  static bool is_reference(Kind kind) {
    return kind == Kind::kPlaceReference || kind == Kind::kTransitionReference;
  }

  std::string_view node_id(Entry entry) const {
    return entry.kind == Kind::kPlace ? net_.places[entry.index].id
                                      : net_.transitions[entry.index].id;
  }

  // The place or transition an arc end names, references followed.
  std::optional<Entry> arc_end(std::string_view id) const {
    const auto found = ids_.find(id);
    if (found == ids_.end()) return std::nullopt;
    const Entry entry = found->second;
    return is_reference(entry.kind) ? references_[entry.index].target : entry;
  }

  bool read_arcs() {
    std::unordered_map<uint64_t, size_t> arc_index;  // see arc_key()
    arc_index.reserve(arcs_.size());
    for (const XmlNode* arc : arcs_) {
      const auto id = find_attribute(arc, "id");
      const std::string what =
          id ? "arc " + quoted(*id) : std::string("an arc without an id");
      if (const auto kind = special_arc_kind(arc, walk_))
        return fail(what + " is of type " + quoted(*kind) +
                    "; only ordinary arcs can be converted");

      std::optional<Entry> ends[2];
      static constexpr const char* kEndNames[] = {"source", "target"};
      for (int end = 0; end < 2; ++end) {
        const auto ref = find_attribute(arc, kEndNames[end]);
        if (!ref) return fail(what + " has no " + kEndNames[end]);
        ends[end] = arc_end(*ref);
        if (!ends[end])
          return fail(what + " has the " + kEndNames[end] + " " + quoted(*ref) +
                      ", which is no node of the net");
      }
      if (ends[0]->kind == ends[1]->kind) {
        const char* kind =
            ends[0]->kind == Kind::kPlace ? "place" : "transition";
        return fail(what + " goes from the " + kind + " " +
                    quoted(node_id(*ends[0])) + " to the " + kind + " " +
                    quoted(node_id(*ends[1])) +
                    "; an arc must join a place and a transition");
      }

      int32_t weight = 1;
      if (const XmlNode* inscription = child_element(arc, "inscription")) {
        const std::string_view text =
            label_text(inscription, buffer_).value_or("");
        const auto value = parse_weight(text);
        if (!value)
          return fail(what + " has the inscription " + quoted(text) +
                      ", which is not a positive integer of at most " +
                      std::to_string(std::numeric_limits<int32_t>::max()));
        weight = *value;
      }

      const bool to_transition = ends[0]->kind == Kind::kPlace;
      const size_t place = to_transition ? ends[0]->index : ends[1]->index;
      const size_t transition = to_transition ? ends[1]->index : ends[0]->index;
      const auto [slot, added] = arc_index.try_emplace(
          arc_key(place, transition, to_transition), net_.arcs.size());
      if (added) {
        net_.arcs.push_back(PtArc{place, transition, to_transition, weight});
        continue;
      }
      PtArc& merged = net_.arcs[slot->second];
      if (merged.weight > std::numeric_limits<int32_t>::max() - weight)
        return fail("the arcs from " + quoted(node_id(*ends[0])) + " to " +
                    quoted(node_id(*ends[1])) + " add up to more than " +
                    std::to_string(std::numeric_limits<int32_t>::max()));
      merged.weight += weight;
    }
    if (net_.arcs.empty())
      return fail("the net " + quoted(net_.id) +
                  " has no arcs, and marovel's nets need at least one");
    return true;
  }

  // One key per place, transition and direction. Indices stay far below
  // 2^31: each node takes many bytes of the document.
  static uint64_t arc_key(size_t place, size_t transition, bool to_transition) {
    return (static_cast<uint64_t>(place) << 32) |
           (static_cast<uint64_t>(transition) << 1) | (to_transition ? 1 : 0);
  }

  // A weight as marovel holds it: decimal digits, from 1 to the largest
  // signed 32-bit number.
  static std::optional<int32_t> parse_weight(std::string_view text) {
    if (!is_digits(text)) return std::nullopt;
    int64_t value = 0;
    for (const char c : text) {
      value = value * 10 + (c - '0');
      if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
    }
    if (value == 0) return std::nullopt;
    return static_cast<int32_t>(value);
  }

  PtNet& net_;
  std::string& error_;
  std::unordered_map<std::string_view, Entry> ids_;
  std::string buffer_;                // for label_text()
  std::vector<const XmlNode*> walk_;  // for special_arc_kind()
  std::vector<Reference> references_;
  std::vector<const XmlNode*> arcs_;
};

// Picks the net to convert, or says why there is none.
const XmlNode* choose_net(const XmlNode* root, std::string_view wanted,
                          std::string& error) {
  const XmlNode* chosen = nullptr;
  size_t count = 0;
  std::string listed;
  for (const XmlNode* child = root->first_child; child != nullptr;
       child = child->next_sibling) {
    if (!is_element(child, "net")) continue;
    const std::string_view id = find_attribute(child, "id").value_or("");
    if (chosen == nullptr && (wanted.empty() || id == wanted)) chosen = child;
    if (++count <= 10)
      listed += (count > 1 ? ", " : "") + quoted(id);
    else if (count == 11)
      listed += ", ...";
  }
  if (count == 0) {
    error = "the PNML file holds no net";
    return nullptr;
  }
  if (chosen == nullptr) {
    error = "the PNML file holds no net with the id " + quoted(wanted) +
            " (its nets: " + listed + ")";
    return nullptr;
  }
  if (wanted.empty() && count > 1) {
    error = "the PNML file holds " + std::to_string(count) + " nets (" +
            listed + "); pick one with --net ID";
    return nullptr;
  }
  return chosen;
}

}  // namespace

bool read_pnml(const XmlDocument& doc, std::string_view wanted_net, PtNet& net,
               std::string& error) {
  const XmlNode* root = doc.root();
  if (root == nullptr || !is_element(root, "pnml")) {
    error = "not a PNML file: the root element is " +
            quoted(root == nullptr ? "" : root->name) + ", not 'pnml'";
    return false;
  }
  const XmlNode* chosen = choose_net(root, wanted_net, error);
  if (chosen == nullptr) return false;
  net.id = find_attribute(chosen, "id").value_or("");
  const auto type = find_attribute(chosen, "type");
  if (!type) {
    error = "the net " + quoted(net.id) +
            " has no type; only place/transition nets can be converted";
    return false;
  }
  if (!is_place_transition_type(*type)) {
    error = "the net " + quoted(net.id) + " is of type " + quoted(*type) +
            ", not a place/transition net; only those can be converted";
    return false;
  }
  return PnmlReader(net, error).read(chosen);
}

}  // namespace marovel
