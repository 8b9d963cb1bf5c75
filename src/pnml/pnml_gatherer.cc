#include "pnml/pnml_gatherer.h"

#include <cstring>
#include <functional>
#include <limits>

#include "base/quoted.h"
#include "pnml/pnml_values.h"

namespace marovel {
namespace {

constexpr uint32_t kNoKind = std::numeric_limits<uint32_t>::max();

// Enough for the nodes of a large page, few enough to stay in cache.
constexpr size_t kRecentIds = size_t{1} << 14;

// The value of the first attribute named exactly `name`.
std::optional<std::string_view> attribute(
    std::span<const XmlAttribute> attributes, std::string_view name) {
  for (const XmlAttribute& a : attributes)
    if (a.name == name) return a.value;
  return std::nullopt;
}

}  // namespace

PnmlGatherer::PnmlGatherer(std::string_view wanted_net, PtNet& net,
                           PnmlNetParts& parts)
    : wanted_(wanted_net), net_(net), parts_(parts), recent_(kRecentIds) {
  if (!net_.text)
    net_.text = std::make_unique<std::pmr::monotonic_buffer_resource>();
}

void PnmlGatherer::push(const Frame& frame) {
  frames_.push_back(frame);
  if (frame.role == Role::kLabel || frame.role == Role::kKind) {
    const size_t depth = frames_.size() - 1;
    if (texts_.size() <= depth) texts_.resize(depth + 1);
    LabelText& text = texts_[depth];
    text.text.clear();
    text.value.clear();
    text.own.clear();
  }
}

void PnmlGatherer::fail(std::string message) {
  if (net_fault_.empty()) net_fault_ = std::move(message);
}

std::string_view PnmlGatherer::keep(std::string_view text) {
  if (text.empty()) return "";
  char* copy = static_cast<char*>(net_.text->allocate(text.size(), 1));
  std::memcpy(copy, text.data(), text.size());
  return {copy, text.size()};
}

void PnmlGatherer::start_element(std::string_view name,
                                 std::span<const XmlAttribute> attributes) {
  const std::string_view local = local_name(name);
  if (frames_.empty()) {
    start_root(name, local);
    return;
  }
  Frame& parent = frames_.back();
  if (parent.scans_kinds) {
    start_in_arc(parent, local, attributes);
    return;
  }
  switch (parent.role) {
    case Role::kRoot:
      if (local == "net")
        start_net(attributes);
      else
        skip();
      return;
    case Role::kContainer:
      start_in_container(local, attributes);
      return;
    case Role::kNode:
      if (local == "name" && !parent.has_name) {
        parent.has_name = true;
        push({.role = Role::kLabel, .label = Label::kName});
      } else if (local == "initialMarking" && parent.is_place &&
                 !parent.has_marking) {
        parent.has_marking = true;
        push({.role = Role::kLabel, .label = Label::kMarking});
      } else {
        skip();
      }
      return;
    case Role::kLabel:
      start_label_child(parent, local, /*scans=*/false);
      return;
    default:
      skip();
      return;
  }
}

void PnmlGatherer::start_root(std::string_view name, std::string_view local) {
  has_root_ = true;
  if (local != "pnml") {
    wrong_root_ = std::string(name);
    skip();
    return;
  }
  push({.role = Role::kRoot});
}

void PnmlGatherer::start_net(std::span<const XmlAttribute> attributes) {
  const std::string_view id = attribute(attributes, "id").value_or("");
  ++net_count_;
  if (net_count_ <= 10) {
    if (net_count_ > 1) nets_listed_ += ", ";
    nets_listed_ += quoted(id);
  } else if (net_count_ == 11) {
    nets_listed_ += ", ...";
  }
  if (chosen_ || !(wanted_.empty() || id == wanted_)) {
    skip();
    return;
  }
  chosen_ = true;
  net_.id = keep(id);
  const auto type = attribute(attributes, "type");
  if (!type) {
    fail("the net " + quoted(net_.id) +
         " has no type; only place/transition nets can be converted");
  } else if (!is_place_transition_type(*type)) {
    fail("the net " + quoted(net_.id) + " is of type " + quoted(*type) +
         ", not a place/transition net; only those can be converted");
  }
  if (!net_fault_.empty()) {
    skip();
    return;
  }
  push({.role = Role::kContainer});
}

void PnmlGatherer::start_in_container(
    std::string_view local, std::span<const XmlAttribute> attributes) {
  if (local == "page") {
    push({.role = Role::kContainer});
  } else if (local == "place" || local == "transition") {
    start_node(attributes, local == "place");
  } else if (local == "referencePlace" || local == "referenceTransition") {
    add_reference(attributes, local == "referencePlace");
  } else if (local == "arc") {
    start_arc(attributes);
  } else {
    skip();
  }
}

void PnmlGatherer::start_node(std::span<const XmlAttribute> attributes,
                              bool is_place) {
  const auto id = attribute(attributes, "id");
  if (!id || id->empty()) {
    fail(is_place ? "a place has no id" : "a transition has no id");
    skip();
    return;
  }
  std::vector<PtNode>& nodes = is_place ? net_.places : net_.transitions;
  nodes.push_back({keep(*id), "", is_place ? "0" : ""});
  note_recent(nodes.back().id,
              {is_place ? PnmlKind::kPlace : PnmlKind::kTransition,
               static_cast<uint32_t>(nodes.size() - 1)});
  push({.role = Role::kNode, .is_place = is_place});
}

void PnmlGatherer::add_reference(std::span<const XmlAttribute> attributes,
                                 bool to_place) {
  skip();  // what a reference holds besides its two attributes is unused
  const auto id = attribute(attributes, "id");
  if (!id || id->empty()) {
    fail(to_place ? "a referencePlace has no id"
                  : "a referenceTransition has no id");
    return;
  }
  const auto ref = attribute(attributes, "ref");
  parts_.references.push_back(
      {keep(*id), to_place,
       ref ? std::optional<std::string_view>(keep(*ref)) : std::nullopt});
  note_recent(
      parts_.references.back().id,
      {to_place ? PnmlKind::kPlaceReference : PnmlKind::kTransitionReference,
       static_cast<uint32_t>(parts_.references.size() - 1)});
}

void PnmlGatherer::note_recent(std::string_view id, PnmlEntry entry) {
  const uint64_t hash = std::hash<std::string_view>{}(id);
  recent_[hash % recent_.size()] = {hash, id, entry};
}

// Should the id be given twice, the node found may not be the one the file
// means; but then the resolver refuses the net before it looks at an arc.
PnmlArcEnd PnmlGatherer::arc_end(std::string_view id) {
  PnmlArcEnd end;
  const uint64_t hash = std::hash<std::string_view>{}(id);
  const RecentId& recent = recent_[hash % recent_.size()];
  if (recent.hash == hash && !recent.id.empty() && recent.id == id) {
    end.state = PnmlArcEnd::State::kFound;
    end.found = recent.entry;
  } else {
    end.state = PnmlArcEnd::State::kNamed;
    end.id = keep(id);
  }
  return end;
}

void PnmlGatherer::start_arc(std::span<const XmlAttribute> attributes) {
  if (parts_.arc_fault) {  // an arc before this one is refused already
    skip();
    return;
  }
  PnmlArc arc;
  arc_kind_.reset();
  arc_bad_inscription_.reset();
  for (const XmlAttribute& a : attributes) {
    if (a.name == "id" && !arc.id) {
      arc.id = keep(a.value);
    } else if (a.name == "source" &&
               arc.source.state == PnmlArcEnd::State::kMissing) {
      arc.source = arc_end(a.value);
    } else if (a.name == "target" &&
               arc.target.state == PnmlArcEnd::State::kMissing) {
      arc.target = arc_end(a.value);
    } else if (names_arc_kind(a.name) && !arc_kind_ &&
               !is_ordinary_arc_kind(a.value)) {
      arc_kind_ = keep(a.value);
    }
  }
  // A kind in the arc's own attributes comes before any in its content.
  kind_count_ = 0;
  kind_order_ = arc_kind_ ? 0 : kNoKind;
  parts_.arcs.push_back(arc);
  push({.role = Role::kArc, .scans_kinds = true});
}

void PnmlGatherer::start_in_arc(Frame& parent, std::string_view local,
                                std::span<const XmlAttribute> attributes) {
  if (local == "inscription" && parent.role == Role::kArc &&
      !parent.has_inscription) {
    parent.has_inscription = true;
    push({.role = Role::kLabel, .label = Label::kInscription});
    return;
  }
  // Weights and drawings say nothing about the kind.
  if (local == "inscription" || local == "graphics") {
    skip();
    return;
  }
  if (names_arc_kind(local)) {
    start_kind(attributes);
    return;
  }
  if (parent.role == Role::kKind && ((local == "text" && !parent.has_text) ||
                                     (local == "value" && !parent.has_value))) {
    start_label_child(parent, local, /*scans=*/true);
    return;
  }
  push({.role = Role::kArcPart, .scans_kinds = true});
}

void PnmlGatherer::start_kind(std::span<const XmlAttribute> attributes) {
  const uint32_t order = ++kind_count_;
  if (const auto value = attribute(attributes, "value")) {
    note_kind(*value, order);
    push({.role = Role::kKind, .scans_kinds = true, .kind_order = kNoKind});
    return;
  }
  // The kind is in the text or value child, or else in the element's own
  // text: known at its end.
  push({.role = Role::kKind,
        .scans_kinds = true,
        .gathers_text = true,
        .kind_order = order});
}

// A label's text child is its value; a value child, which older files use,
// counts only when there is no text child.
void PnmlGatherer::start_label_child(Frame& parent, std::string_view local,
                                     bool scans) {
  if (local == "text" && !parent.has_text) {
    parent.has_text = true;
    push(
        {.role = Role::kLabelText, .scans_kinds = scans, .gathers_text = true});
  } else if (local == "value" && !parent.has_value) {
    parent.has_value = true;
    push({.role = Role::kLabelText,
          .scans_kinds = scans,
          .gathers_text = true,
          .into_value = true});
  } else {
    skip();
  }
}

void PnmlGatherer::content(XmlNodeType type, std::string_view text) {
  if (type == XmlNodeType::kComment || frames_.empty() ||
      !frames_.back().gathers_text)
    return;
  const Frame& frame = frames_.back();
  const size_t depth = frames_.size() - 1;
  if (frame.role == Role::kLabelText) {
    LabelText& label = texts_[depth - 1];
    (frame.into_value ? label.value : label.text).append(text);
  } else {
    texts_[depth].own.append(text);
  }
}

XmlInterest PnmlGatherer::interest() const {
  // Once the chosen net is refused, nothing more of it matters; the nets
  // after it are still counted.
  if (skipping_ || (!net_fault_.empty() && frames_.size() > 1))
    return XmlInterest::kNothing;
  return !frames_.empty() && frames_.back().gathers_text
             ? XmlInterest::kEverything
             : XmlInterest::kElements;
}

void PnmlGatherer::end_element() {
  if (skipping_) {  // the element skipped is the one ending
    skipping_ = false;
    return;
  }
  const Frame frame = frames_.back();
  frames_.pop_back();
  if (!net_fault_.empty()) return;
  const size_t depth = frames_.size();
  if (frame.role == Role::kLabel) {
    end_label(frame, depth);
  } else if (frame.role == Role::kKind) {
    end_kind(frame, depth);
  } else if (frame.role == Role::kArc) {
    end_arc();
  }
}

void PnmlGatherer::end_arc() {
  const size_t arc = parts_.arcs.size() - 1;
  if (arc_kind_)
    parts_.arc_fault = {arc, PnmlArcFault::Kind::kType, *arc_kind_};
  else if (arc_bad_inscription_)
    parts_.arc_fault = {arc, PnmlArcFault::Kind::kInscription,
                        *arc_bad_inscription_};
}

std::optional<std::string_view> PnmlGatherer::label_value(const Frame& label,
                                                          size_t depth) const {
  if (label.has_text) return trim(texts_[depth].text);
  if (label.has_value) return trim(texts_[depth].value);
  return std::nullopt;
}

void PnmlGatherer::end_label(const Frame& label, size_t depth) {
  const std::optional<std::string_view> value = label_value(label, depth);
  switch (label.label) {
    case Label::kName: {
      PtNode& node = frames_.back().is_place ? net_.places.back()
                                             : net_.transitions.back();
      node.name = keep(value.value_or(""));
      return;
    }
    case Label::kMarking: {
      PtNode& place = net_.places.back();
      const auto marking = value ? parse_marking(*value) : std::nullopt;
      if (!marking) {
        fail("place " + quoted(place.id) + " has the initial marking " +
             quoted(value.value_or("")) +
             ", which is not a non-negative integer");
        return;
      }
      place.marking = keep(*marking);
      return;
    }
    case Label::kInscription: {
      const std::string_view text = value.value_or("");
      if (const auto weight = parse_weight(text))
        parts_.arcs.back().weight = *weight;
      else
        arc_bad_inscription_ = keep(text);
      return;
    }
  }
}

void PnmlGatherer::end_kind(const Frame& kind, size_t depth) {
  if (kind.kind_order == kNoKind) return;  // it had a value attribute
  note_kind(label_value(kind, depth).value_or(trim(texts_[depth].own)),
            kind.kind_order);
}

// Of the kinds other than ordinary, the arc's is the one declared first:
// its attributes', then its elements' in the order they open.
void PnmlGatherer::note_kind(std::string_view kind, uint32_t order) {
  if (order >= kind_order_ || is_ordinary_arc_kind(kind)) return;
  kind_order_ = order;
  arc_kind_ = keep(kind);
}

Status PnmlGatherer::finish() const {
  const auto refuse = [](std::string message) {
    return Status::error(Status::Code::kInvalidInput, std::move(message));
  };
  if (!has_root_ || wrong_root_)
    return refuse("not a PNML file: the root element is " +
                  quoted(wrong_root_.value_or("")) + ", not 'pnml'");
  if (net_count_ == 0) return refuse("the PNML file holds no net");
  if (!chosen_)
    return refuse("the PNML file holds no net with the id " + quoted(wanted_) +
                  " (its nets: " + nets_listed_ + ")");
  if (wanted_.empty() && net_count_ > 1)
    return refuse("the PNML file holds " + std::to_string(net_count_) +
                  " nets (" + nets_listed_ + "); pick one with --net ID");
  if (!net_fault_.empty()) return refuse(net_fault_);
  return Status();
}

}  // namespace marovel
