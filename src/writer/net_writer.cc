#include "writer/net_writer.h"

#include <wx/log.h>

#include <ctime>
#include <optional>
#include <vector>

#include "reader/find_attribute.h"
#include "reader/load_document.h"
#include "reader/net_reader.h"
#include "writer/safe_file.h"
#include "xml/content_digest.h"
#include "xml/xml_writer.h"

namespace marovel {
namespace {

// The first element of an input list bearing each name of the model, as a
// scan of the list in document order would find it, built once per list.
using ListIndex = std::vector<const XmlNode*>;

ListIndex index_by_name(const XmlNode* list, const NameTable& names) {
  ListIndex index(names.size(), nullptr);
  for (const XmlNode* child = list->first_child; child != nullptr;
       child = child->next_sibling) {
    const auto name = find_attribute(child, "name");
    if (!name) continue;
    // Names the model never had cannot be asked for.
    const std::optional<NameId> id = names.find(*name);
    if (id && index[*id] == nullptr) index[*id] = child;
  }
  return index;
}

const XmlNode* lookup(const ListIndex& index, NameId name) {
  return index[name];
}

struct NodeKind {
  const char* missing_element;
  const char* place_member_without_info;
  const char* transition_member_without_info;
  bool prints_members;
};

constexpr NodeKind kPlace = {"Inconsistent xml's 1\n", "Inconsistent xml's 3\n",
                             "Inconsistent xml's 3\n", false};
constexpr NodeKind kTransition = {"Inconsistent xml's 4\n",
                                  "Inconsistent xml's 5\n",
                                  "Inconsistent xml's 6\n", true};

class DocumentBuilder {
 public:
  DocumentBuilder(const NetModel& model, const ListIndex& places,
                  const ListIndex& transitions, std::ostream& out,
                  XmlWriter& xml)
      : model_(model),
        places_(places),
        transitions_(transitions),
        out_(out),
        xml_(xml) {}

  // One copy of the input element of every node of `nodes`.
  bool write_list(std::string_view list_name, const NodeMap& nodes,
                  const ListIndex& own_list, const NodeKind& kind) {
    xml_.start_element(list_name);
    // Elements lie in document order, nodes go in name order: each element
    // is asked for some nodes ahead.
    constexpr int kAhead = 8;
    auto ahead = nodes.begin();
    for (int k = 0; k < kAhead && ahead != nodes.end(); ++k, ++ahead)
      __builtin_prefetch(lookup(own_list, (*ahead).first));
    for (const auto& [name, node] : nodes) {
      if (ahead != nodes.end()) {
        __builtin_prefetch(lookup(own_list, (*ahead).first));
        ++ahead;
      }
      if (!write_node(name, own_list, kind)) return false;
    }
    xml_.end_element();
    return true;
  }

  void write_edges() {
    xml_.start_element("edgelist");
    for (const NodeMap* nodes : {&model_.p_map, &model_.t_map}) {
      // The target names lie anywhere in the name table: those of the
      // nodes some places ahead are asked for, their starts first.
      constexpr int kStartsAhead = 8, kTextsAhead = 4;
      auto starts = nodes->begin(), texts = nodes->begin();
      for (int k = 0; k < kStartsAhead && starts != nodes->end(); ++k) {
        if (k >= kStartsAhead - kTextsAhead) ++texts;
        prefetch_targets(*starts++, &NameTable::prefetch_start);
      }
      for (const auto& [from, node] : *nodes) {
        if (starts != nodes->end())
          prefetch_targets(*starts++, &NameTable::prefetch_start);
        if (texts != nodes->end())
          prefetch_targets(*texts++, &NameTable::prefetch_text);
        for (const auto& [to, copies] : node.out) {
          xml_.start_element("edge");
          xml_.attribute("from", model_.name(from));
          xml_.attribute("to", model_.name(to));
          xml_.attribute("multiplicity", std::to_string(copies));
          xml_.end_element();
        }
      }
    }
    xml_.end_element();
  }

 private:
  bool write_node(NameId name, const ListIndex& own_list,
                  const NodeKind& kind) {
    const XmlNode* element = lookup(own_list, name);
    if (element == nullptr) {
      out_ << kind.missing_element;
      return false;
    }
    xml_.start_element(element->name);
    for (const XmlAttribute& attribute : element->attributes)
      xml_.attribute(attribute.name, attribute.value);
    for (const XmlNode* child = element->first_child; child != nullptr;
         child = child->next_sibling)
      xml_.copy(*child);

    std::vector<NameId>& members = members_;
    members.clear();
    if (model_.aggregates.merged(name))
      model_.aggregates.members(name, members);
    if (members.size() >= 2) {
      xml_.start_element("aggregates");
      // Members' elements lie anywhere in the document: each is asked for
      // a few members ahead.
      constexpr int kAhead = 8;
      auto ahead = members.begin();
      for (int k = 0; k < kAhead && ahead != members.end(); ++k)
        prefetch_member(*ahead++);
      for (const NameId member : members) {
        if (ahead != members.end()) prefetch_member(*ahead++);
        if (!write_member(member, kind)) return false;
      }
      xml_.end_element();
    }
    xml_.end_element();
    return true;
  }

  void prefetch_targets(const NodeMap::const_iterator::value_type& entry,
                        void (NameTable::*hint)(NameId) const) const {
    for (const auto& [to, copies] : entry.second.out) (model_.names.*hint)(to);
  }

  void prefetch_member(NameId member) const {
    if (const XmlNode* place = lookup(places_, member))
      __builtin_prefetch(place);
    if (const XmlNode* transition = lookup(transitions_, member))
      __builtin_prefetch(transition);
  }

  // The `info` of the member's input element; a transition's wins over a
  // place's of the same name.
  bool write_member(NameId member, const NodeKind& kind) {
    if (kind.prints_members) out_ << model_.name(member) << "\n";
    const XmlNode* info = nullptr;
    if (const XmlNode* place = lookup(places_, member)) {
      info = find_child_element(place, "info");
      if (info == nullptr) {
        out_ << kind.place_member_without_info;
        return false;
      }
    }
    if (const XmlNode* transition = lookup(transitions_, member)) {
      info = find_child_element(transition, "info");
      if (info == nullptr) {
        out_ << kind.transition_member_without_info;
        return false;
      }
    }
    // A member named in neither list (the file changed since it was read)
    // has nothing to contribute.
    if (info != nullptr) xml_.copy(*info);
    return true;
  }

  const NetModel& model_;
  std::vector<NameId> members_;  // of the node being written
  const ListIndex& places_;
  const ListIndex& transitions_;
  std::ostream& out_;
  XmlWriter& xml_;
};

}  // namespace

std::string current_date_text() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[128];
  const size_t length = std::strftime(text, sizeof text, "%c", &local);
  return std::string(text, length);
}

namespace {

// The document's lists must be there and hold members before anything is
// written; `elements`, when given, is their index over the model's names.
bool write_document(const XmlDocument& input, const ElementIndex* elements,
                    const NetModel& model, std::string_view date,
                    std::ostream& out, std::ostream& xml) {
  const XmlNode* root = input.root();
  const XmlNode* place_list = find_child_element(root, "placelist");
  if (place_list == nullptr) {
    out << "No placelist found\n";
    return false;
  }
  if (place_list->first_child == nullptr) {
    out << "No places found\n";
    return false;
  }
  const XmlNode* transition_list = find_child_element(root, "transitionlist");
  if (transition_list == nullptr) {
    out << "No transitionlist found\n";
    return false;
  }
  if (transition_list->first_child == nullptr) {
    out << "No transitions found\n";
    return false;
  }
  ElementIndex built;
  if (elements == nullptr) {
    built.places = index_by_name(place_list, model.names);
    built.transitions = index_by_name(transition_list, model.names);
    elements = &built;
  }
  const ListIndex& places = elements->places;
  const ListIndex& transitions = elements->transitions;

  XmlWriter writer(xml);
  writer.start_element("petrinet");
  writer.start_element("info");
  const std::pair<std::string_view, std::string_view> kHeader[] = {
      {"generatedate", date}, {"generatedby", "marovel 0.1"}, {"author", "ZR"}};
  for (const auto& [element, text] : kHeader) {
    writer.start_element(element);
    writer.text(text);
    writer.end_element();
  }
  writer.end_element();

  DocumentBuilder builder(model, places, transitions, out, writer);
  if (!builder.write_list("placelist", model.p_map, places, kPlace) ||
      !builder.write_list("transitionlist", model.t_map, transitions,
                          kTransition))
    return false;
  builder.write_edges();
  writer.end_element();
  writer.finish();
  return true;
}

}  // namespace

bool write_reduced_document(const XmlDocument& input, const NetModel& model,
                            std::string_view date, std::ostream& out,
                            std::ostream& xml, const ElementIndex* elements) {
  return write_document(input, elements, model, date, out, xml);
}

bool write_reduced_net(const std::string& input_path,
                       const std::string& output_path, const NetModel& model,
                       std::ostream& out, const InputDocument* read) {
  out << "\n p_map size :" << model.p_map.size()
      << "\n t_map size :" << model.t_map.size();
  // The document as read serves while the file holds the same bytes, which
  // would load into the same document; otherwise it is loaded again.
  XmlDocument reloaded;
  const XmlDocument* input = nullptr;
  const ElementIndex* elements = nullptr;
  if (read != nullptr && digest_file(input_path) == read->document.digest()) {
    input = &read->document;
    elements = &read->elements;
  } else {
    if (!load_document(input_path, reloaded)) {
      out << "Can't open input file\n";
      return false;
    }
    input = &reloaded;
  }
  const std::string date = current_date_text();

  // The file is opened first so that the document streams straight into it;
  // the checks of the document still speak before any save failure does.
  SafeFile file(output_path);
  if (!write_document(*input, elements, model, date, out, file.stream())) {
    file.discard();
    return false;
  }
  if (!file.commit()) {
    wxLogError("%s", wxString::FromUTF8(file.error()));
    out << "Can't write output file\n";
    return false;
  }
  return true;
}

}  // namespace marovel
