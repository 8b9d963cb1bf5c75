#include "writer/net_writer.h"

#include <ctime>
#include <optional>
#include <vector>

#include "base/prefetch.h"
#include "base/safe_file.h"
#include "base/version.h"
#include "xml/content_digest.h"
#include "xml/xml_lookup.h"
#include "xml/xml_writer.h"

namespace marovel {
namespace {

Status fault(const char* message) {
  return Status::error(Status::Code::kInvalidInput, message);
}

// The first element of an input list bearing each name of the model, as a
// scan of the list in document order would find it.
ListIndex index_list(const XmlNode* list, const NameTable& names) {
  std::vector<const XmlNode*> members;
  std::vector<std::optional<NameId>> ids;
  for (const XmlNode* child = list->first_child; child != nullptr;
       child = child->next_sibling) {
    const auto name = find_attribute(child, "name");
    if (!name) continue;
    members.push_back(child);
    // Names the model never had cannot be asked for.
    ids.push_back(names.find(*name));
  }
  return index_by_name(members, ids, names.size());
}

// What the writer says when a node of one kind cannot be copied.
struct KindFacts {
  const char* missing_element;
  const char* place_member_without_info;
  const char* transition_member_without_info;
  bool prints_members;
};

constexpr KindFacts kPlaceFacts = {"Inconsistent xml's 1\n",
                                   "Inconsistent xml's 3\n",
                                   "Inconsistent xml's 3\n", false};
constexpr KindFacts kTransitionFacts = {"Inconsistent xml's 4\n",
                                        "Inconsistent xml's 5\n",
                                        "Inconsistent xml's 6\n", true};

// Copies the nodes of the model out of the input document. Every check runs
// in a first pass over the nodes, before a byte of the document is written,
// so that a failure leaves nothing behind even where the output cannot be
// taken back (a FIFO, a terminal); the second pass writes.
class NodeCopier {
 public:
  NodeCopier(const NetModel& model, const ElementIndex& elements)
      : model_(model), elements_(elements) {}

  // The first pass: prints the member names of every merged transition on
  // `members_out` as it meets them, and fails at the first node that cannot
  // be copied.
  Status check(std::ostream& members_out) {
    for (const NodeKind kind : {NodeKind::kPlace, NodeKind::kTransition}) {
      const KindFacts& facts = facts_of(kind);
      for (const auto& [name, node] : model_.nodes(kind)) {
        if (own_list(kind)[name] == nullptr)
          return fault(facts.missing_element);
        for (const NameId member : members_of(name)) {
          if (facts.prints_members) members_out << model_.name(member) << "\n";
          const MemberInfo info = info_of(member);
          if (info.place_lacks_it)
            return fault(facts.place_member_without_info);
          if (info.transition_lacks_it)
            return fault(facts.transition_member_without_info);
        }
      }
    }
    return Status();
  }

  // The second pass: one copy of the input element of every node of `kind`,
  // in a list named `list_name`. REQUIRES: check() passed.
  void write_list(std::string_view list_name, NodeKind kind, XmlWriter& xml) {
    const NodeMap& nodes = model_.nodes(kind);
    const ListIndex& own = own_list(kind);
    xml.start_element(list_name);
    // Elements lie in document order, nodes go in name order: each element
    // is asked for some nodes ahead.
    constexpr int kAhead = 8;
    auto ahead = nodes.begin();
    for (int k = 0; k < kAhead && ahead != nodes.end(); ++k, ++ahead)
      prefetch_memory(own[(*ahead).first]);
    for (const auto& [name, node] : nodes) {
      if (ahead != nodes.end()) {
        prefetch_memory(own[(*ahead).first]);
        ++ahead;
      }
      write_node(name, *own[name], xml);
    }
    xml.end_element();
  }

 private:
  struct MemberInfo {
    const XmlNode* info = nullptr;  // a transition's wins over a place's
    bool place_lacks_it = false;
    bool transition_lacks_it = false;
  };

  static const KindFacts& facts_of(NodeKind kind) {
    return kind == NodeKind::kPlace ? kPlaceFacts : kTransitionFacts;
  }
  const ListIndex& own_list(NodeKind kind) const {
    return kind == NodeKind::kPlace ? elements_.places : elements_.transitions;
  }

  // The members of a node's aggregate when it lists two or more names;
  // none otherwise (a node that stands for itself gets no `aggregates`).
  const std::vector<NameId>& members_of(NameId name) {
    members_.clear();
    if (model_.aggregates.merged(name))
      model_.aggregates.members(name, members_);
    if (members_.size() < 2) members_.clear();
    return members_;
  }

  // The `info` of the member's input elements. A member named in neither
  // list (the file changed since it was read) has nothing to contribute.
  MemberInfo info_of(NameId member) const {
    MemberInfo result;
    if (const XmlNode* place = elements_.places[member]) {
      result.info = find_child_element(place, "info");
      result.place_lacks_it = result.info == nullptr;
    }
    if (const XmlNode* transition = elements_.transitions[member]) {
      result.info = find_child_element(transition, "info");
      result.transition_lacks_it = result.info == nullptr;
    }
    return result;
  }

  void write_node(NameId name, const XmlNode& element, XmlWriter& xml) {
    xml.start_element(element.name);
    for (const XmlAttribute& attribute : element.attributes)
      xml.attribute(attribute.name, attribute.value);
    for (const XmlNode* child = element.first_child; child != nullptr;
         child = child->next_sibling)
      xml.copy(*child);
    const std::vector<NameId>& members = members_of(name);
    if (!members.empty()) {
      xml.start_element("aggregates");
      // Members' elements lie anywhere in the document: each is asked for
      // a few members ahead.
      constexpr size_t kAhead = 8;
      for (size_t k = 0; k < members.size(); ++k) {
        if (k == 0)
          for (size_t a = 0; a < kAhead && a < members.size(); ++a)
            prefetch_member(members[a]);
        if (k + kAhead < members.size()) prefetch_member(members[k + kAhead]);
        if (const XmlNode* info = info_of(members[k]).info) xml.copy(*info);
      }
      xml.end_element();
    }
    xml.end_element();
  }

  void prefetch_member(NameId member) const {
    prefetch_memory(elements_.places[member]);
    prefetch_memory(elements_.transitions[member]);
  }

  const NetModel& model_;
  const ElementIndex& elements_;
  std::vector<NameId> members_;  // of the node at hand
};

// One `edge` per distinct arc, arcs leaving places first, then those
// leaving transitions, each in name order.
void write_edges(const NetModel& model, XmlWriter& xml) {
  xml.start_element("edgelist");
  std::vector<NameBag::Entry> targets;  // of the node at hand, in name order
  for (const NodeKind kind : {NodeKind::kPlace, NodeKind::kTransition}) {
    const NodeMap& nodes = model.nodes(kind);
    const NodeMap& others = model.nodes(other_kind(kind));
    // The target names lie anywhere in the name table: those of the nodes
    // some places ahead are asked for, their starts first.
    const auto prefetch_targets = [&](NodeMap::const_iterator at,
                                      void (NameTable::*hint)(NameId) const) {
      for (const auto& [to, copies] : (*at).second.out)
        (model.names.*hint)(others.name_of(to));
    };
    constexpr int kStartsAhead = 8, kTextsAhead = 4;
    auto starts = nodes.begin(), texts = nodes.begin();
    for (int k = 0; k < kStartsAhead && starts != nodes.end(); ++k) {
      if (k >= kStartsAhead - kTextsAhead) ++texts;
      prefetch_targets(starts++, &NameTable::prefetch_start);
    }
    for (const auto& [from, node] : nodes) {
      if (starts != nodes.end())
        prefetch_targets(starts++, &NameTable::prefetch_start);
      if (texts != nodes.end())
        prefetch_targets(texts++, &NameTable::prefetch_text);
      named_entries(node.out, others, targets);
      for (const auto& [to, copies] : targets) {
        xml.start_element("edge");
        xml.attribute("from", model.name(from));
        xml.attribute("to", model.name(to));
        xml.attribute("multiplicity", std::to_string(copies));
        xml.end_element();
      }
    }
  }
  xml.end_element();
}

}  // namespace

std::string current_date_text() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[128];
  const size_t length = std::strftime(text, sizeof text, "%c", &local);
  return std::string(text, length);
}

Status write_reduced_document(const XmlDocument& input, const NetModel& model,
                              std::string_view date, std::ostream& members_out,
                              std::ostream& xml, const ElementIndex* elements) {
  // The reader's index stands for lists it found whole; a document loaded
  // again is checked and indexed here.
  ElementIndex built;
  if (elements == nullptr) {
    const XmlNode& root = *input.root();
    const XmlNode* place_list = nullptr;
    const XmlNode* transition_list = nullptr;
    if (Status status = find_net_list(root, NetList::kPlaces, place_list);
        !status.ok())
      return status;
    if (Status status =
            find_net_list(root, NetList::kTransitions, transition_list);
        !status.ok())
      return status;
    built.places = index_list(place_list, model.names);
    built.transitions = index_list(transition_list, model.names);
    elements = &built;
  }
  NodeCopier copier(model, *elements);
  if (Status status = copier.check(members_out); !status.ok()) return status;
  // What was said so far comes before the document where both share one
  // stream (an output named /dev/stdout).
  members_out.flush();

  XmlWriter writer(xml);
  writer.start_element(kNetRoot);
  writer.start_element("info");
  const std::pair<std::string_view, std::string_view> kHeader[] = {
      {"generatedate", date},
      {"generatedby", kProgramVersion},
      {"author", "ZR"}};
  for (const auto& [element, text] : kHeader) {
    writer.start_element(element);
    writer.text(text);
    writer.end_element();
  }
  writer.end_element();
  copier.write_list(list_element_name(NetList::kPlaces), NodeKind::kPlace,
                    writer);
  copier.write_list(list_element_name(NetList::kTransitions),
                    NodeKind::kTransition, writer);
  write_edges(model, writer);
  writer.end_element();
  writer.finish();
  return Status();
}

Status write_reduced_net(const std::string& input_path,
                         const std::string& output_path, const NetModel& model,
                         std::ostream& members_out, const InputDocument* read) {
  // The document as read serves while the file holds the same bytes, which
  // would load into the same document; otherwise it is loaded again.
  XmlDocument reloaded;
  const XmlDocument* input = nullptr;
  const ElementIndex* elements = nullptr;
  if (read != nullptr && digest_file(input_path) == read->document.digest()) {
    input = &read->document;
    elements = &read->elements;
  } else {
    std::string error;
    if (!load_xml_file(input_path, reloaded, error))
      return Status::error(Status::Code::kIoError, "Can't open input file\n",
                           error);
    input = &reloaded;
  }
  const std::string date = current_date_text();

  // The file is opened first so that the document streams straight into it;
  // nothing reaches it before every check has passed.
  SafeFile file(output_path);
  if (Status status = write_reduced_document(*input, model, date, members_out,
                                             file.stream(), elements);
      !status.ok()) {
    file.discard();
    return status;
  }
  if (!file.commit())
    return Status::error(Status::Code::kIoError, "Can't write output file\n",
                         file.error());
  return Status();
}

}  // namespace marovel
