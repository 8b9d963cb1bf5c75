#include "netfile/net_file_scanner.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

#include "netfile/net_file.h"
#include "netfile/prefixes.h"

namespace marovel {
namespace {

// Edges handed on at a time: enough for the receiver's lookups to overlap,
// few enough that a batch stays in the cache.
constexpr size_t kBatchEdges = 8192;

// Names handed on at a time: a run the receiver can sort while the parse
// goes on.
constexpr size_t kRunNames = size_t{1} << 16;

// How messages name a member of a list that is no element.
std::string_view content_name(XmlNodeType type) {
  switch (type) {
    case XmlNodeType::kText:
      return "text";
    case XmlNodeType::kComment:
      return "a comment";
    case XmlNodeType::kCData:
      return "a CDATA section";
    case XmlNodeType::kElement:
      break;
  }
  return "an element";
}

std::optional<std::string_view> attribute_value(
    std::span<const XmlAttribute> attributes, std::string_view name) {
  for (const XmlAttribute& attribute : attributes)
    if (attribute.name == name) return attribute.value;
  return std::nullopt;
}

}  // namespace

NetFileScanner::NetFileScanner(InputNet& net, ScanReceiver* receiver, Root root)
    : net_(net), receiver_(receiver), root_(root) {}

void NetFileScanner::start_element(std::string_view name,
                                   std::span<const XmlAttribute> attributes) {
  const size_t level = depth_++;
  if (level == 0) {
    net_.root_name = std::string(name);
    wrong_root_ = root_ == Root::kPetrinetOnly && name != kNetRoot;
    note_declarations(attributes, &root_namespaces_);
    return;
  }
  if (level == 1) {
    ScannedList* list = nullptr;
    inside_ = Inside::kSkipped;
    if (name == list_element_name(NetList::kPlaces)) {
      list = &net_.places;
      if (!list->found) inside_ = Inside::kPlaces;
    } else if (name == list_element_name(NetList::kTransitions)) {
      list = &net_.transitions;
      if (!list->found) inside_ = Inside::kTransitions;
    } else if (name == list_element_name(NetList::kEdges) &&
               !net_.edges_found) {
      net_.edges_found = true;
      inside_ = Inside::kEdges;
    }
    if (list != nullptr && inside_ != Inside::kSkipped) {
      list->found = true;
      // The list's own declarations come first: they hide the root's.
      note_declarations(attributes, &list->namespaces);
      list->namespaces.insert(list->namespaces.end(), root_namespaces_.begin(),
                              root_namespaces_.end());
    }
    return;
  }
  if (level == 2) {
    switch (inside_) {
      case Inside::kPlaces:
        start_member(net_.places, name, attributes);
        return;
      case Inside::kTransitions:
        start_member(net_.transitions, name, attributes);
        return;
      case Inside::kEdges:
        add_edge(attributes, /*non_element=*/{});
        return;
      default:
        return;
    }
  }
  if (!capturing_) return;
  ScannedList& list =
      inside_ == Inside::kPlaces ? net_.places : net_.transitions;
  const MemberStore::Offset offset = net_.store.start_element(name, attributes);
  // The member's first child element named info.
  if (level == 3 && list.infos.back() == kNoInfo && name == "info")
    list.infos.back() = offset;
}

void NetFileScanner::start_member(ScannedList& list, std::string_view element,
                                  std::span<const XmlAttribute> attributes) {
  list.has_members = true;
  const std::optional<std::string_view> name =
      attribute_value(attributes, "name");
  if (!name) {
    if (list.nameless_at == kNoMember) {
      // Appended rather than "<" + ..., which g++ 12 at -O3 warns about
      // wrongly (-Wrestrict).
      std::string member = "<";
      member += element;
      member += '>';
      mark_nameless(list, member);
    }
    return;
  }
  char* copy = static_cast<char*>(
      net_.name_text->allocate(std::max<size_t>(name->size(), 1), 1));
  if (!name->empty()) std::memcpy(copy, name->data(), name->size());
  list.names.emplace_back(copy, name->size());
  const NetList kind =
      &list == &net_.places ? NetList::kPlaces : NetList::kTransitions;
  if (list.names.size() - names_sent_[static_cast<int>(kind)] >= kRunNames)
    send_names(kind);
  note_declarations(attributes, nullptr);
  list.elements.push_back(net_.store.start_element(element, attributes));
  list.infos.push_back(kNoInfo);
  capturing_ = true;
}

void NetFileScanner::note_declarations(
    std::span<const XmlAttribute> attributes,
    std::vector<std::pair<std::string, std::string>>* declarations) {
  for (const XmlAttribute& attribute : attributes) {
    if (!is_prefix_declaration(attribute.name)) continue;
    net_.declares_prefixes = true;
    if (declarations != nullptr)
      declarations->emplace_back(attribute.name, attribute.value);
  }
}

void NetFileScanner::mark_nameless(ScannedList& list, std::string_view member) {
  if (list.nameless_at != kNoMember) return;
  list.nameless_at = static_cast<uint32_t>(list.names.size());
  list.nameless_member = std::string(member);
}

// `non_element` names a member that is no element, which has no ends.
void NetFileScanner::add_edge(std::span<const XmlAttribute> attributes,
                              std::string_view non_element) {
  net_.edges_have_members = true;
  if (edges_stopped_) return;
  EdgeBatch::Edge edge{0, 0, 0, 0, 1, MissingEnd::kNone};
  const bool is_element = non_element.empty();
  const std::optional<std::string_view> from =
      is_element ? attribute_value(attributes, "from") : std::nullopt;
  const std::optional<std::string_view> to =
      is_element ? attribute_value(attributes, "to") : std::nullopt;
  if (!from) {
    edge.missing = MissingEnd::kFrom;
    if (!is_element) net_.edge_stop_member = std::string(non_element);
  } else if (!to) {
    edge.missing = MissingEnd::kTo;
  } else {
    std::string& text = batch_.text;
    edge.from_begin = static_cast<uint32_t>(text.size());
    edge.from_size = static_cast<uint32_t>(from->size());
    text.append(*from);
    edge.to_begin = static_cast<uint32_t>(text.size());
    edge.to_size = static_cast<uint32_t>(to->size());
    text.append(*to);
    if (const auto multiplicity = attribute_value(attributes, "multiplicity")) {
      if (const std::optional<int32_t> weight =
              parse_multiplicity(*multiplicity)) {
        edge.weight = *weight;
      } else {
        batch_.odd_weights.push_back(
            {static_cast<uint32_t>(batch_.edges.size()),
             static_cast<uint32_t>(text.size()),
             static_cast<uint32_t>(multiplicity->size())});
        text.append(*multiplicity);
      }
    }
  }
  batch_.edges.push_back(edge);
  // Nothing after a member without an end is read.
  if (edge.missing != MissingEnd::kNone) edges_stopped_ = true;
  if (batch_.edges.size() >= kBatchEdges) send_edges();
}

void NetFileScanner::send_edges() {
  if (batch_.edges.empty()) return;
  batch_.first_index = edges_sent_;
  edges_sent_ += batch_.edges.size();
  EdgeBatch batch = std::exchange(batch_, EdgeBatch{});
  batch_.edges.reserve(kBatchEdges);
  batch_.text.reserve(batch.text.size());
  if (receiver_ != nullptr) receiver_->edges(std::move(batch));
}

void NetFileScanner::send_names(NetList kind) {
  const ScannedList& list =
      kind == NetList::kPlaces ? net_.places : net_.transitions;
  size_t& sent = names_sent_[static_cast<int>(kind)];
  const size_t declared = declared_count(list);
  if (declared <= sent) return;
  if (receiver_ != nullptr)
    receiver_->names(kind, sent,
                     std::span(list.names).subspan(sent, declared - sent));
  sent = declared;
}

void NetFileScanner::end_element() {
  const size_t level = --depth_;
  if (level >= 2) {
    if (capturing_) {
      net_.store.end_element();
      if (level == 2) capturing_ = false;
    }
    return;
  }
  if (level != 1) return;
  switch (inside_) {
    case Inside::kPlaces:
    case Inside::kTransitions: {
      const NetList kind =
          inside_ == Inside::kPlaces ? NetList::kPlaces : NetList::kTransitions;
      send_names(kind);
      (kind == NetList::kPlaces ? net_.places : net_.transitions).complete =
          true;
      if (!reported_lists_ && net_.places.complete &&
          net_.transitions.complete) {
        reported_lists_ = true;
        if (receiver_ != nullptr) receiver_->lists_complete();
      }
      break;
    }
    case Inside::kEdges:
      send_edges();
      break;
    default:
      break;
  }
  inside_ = Inside::kNothing;
}

void NetFileScanner::content(XmlNodeType type, std::string_view text) {
  if (depth_ >= 3) {
    if (capturing_) net_.store.content(type, text);
    return;
  }
  if (depth_ != 2) return;
  // Text, a comment or a CDATA section standing directly in a list is a
  // member without attributes.
  switch (inside_) {
    case Inside::kPlaces:
    case Inside::kTransitions: {
      ScannedList& list =
          inside_ == Inside::kPlaces ? net_.places : net_.transitions;
      list.has_members = true;
      mark_nameless(list, content_name(type));
      break;
    }
    case Inside::kEdges:
      add_edge({}, content_name(type));
      break;
    default:
      break;
  }
}

XmlInterest NetFileScanner::interest() const {
  if (wrong_root_) return XmlInterest::kNothing;
  switch (depth_) {
    case 0:
      return XmlInterest::kEverything;
    case 1:
      return XmlInterest::kElements;
    case 2:
      return inside_ == Inside::kSkipped ? XmlInterest::kNothing
                                         : XmlInterest::kEverything;
    default:
      return capturing_ ? XmlInterest::kEverything : XmlInterest::kNothing;
  }
}

void NetFileScanner::finish() { send_edges(); }

}  // namespace marovel
