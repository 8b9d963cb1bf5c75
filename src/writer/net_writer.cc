#include "writer/net_writer.h"

#include <wx/log.h>

#include <ctime>
#include <unordered_map>

#include "reader/find_attribute.h"
#include "reader/load_document.h"
#include "reader/net_reader.h"
#include "writer/safe_file.h"
#include "xml/xml_writer.h"

namespace marovel {
namespace {

// The first element of an input list bearing each name, as a scan of the
// list in document order would find it, built once per list.
using ElementIndex = std::unordered_map<std::string_view, const XmlNode*>;

ElementIndex index_by_name(const XmlNode* list) {
  ElementIndex index;
  for (const XmlNode* child = list->first_child; child != nullptr;
       child = child->next_sibling)
    if (const auto name = find_attribute(child, "name"))
      index.try_emplace(*name, child);
  return index;
}

const XmlNode* lookup(const ElementIndex& index, std::string_view name) {
  const auto it = index.find(name);
  return it == index.end() ? nullptr : it->second;
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
  DocumentBuilder(const NetModel& model, const ElementIndex& places,
                  const ElementIndex& transitions, std::ostream& out,
                  XmlWriter& xml)
      : model_(model),
        places_(places),
        transitions_(transitions),
        out_(out),
        xml_(xml) {}

  // One copy of the input element of every node of `nodes`.
  bool write_list(std::string_view list_name, const NodeMap& nodes,
                  const ElementIndex& own_list, const NodeKind& kind) {
    xml_.start_element(list_name);
    for (const auto& [name, node] : nodes)
      if (!write_node(name, own_list, kind)) return false;
    xml_.end_element();
    return true;
  }

  void write_edges() {
    xml_.start_element("edgelist");
    for (const NodeMap* nodes : {&model_.p_map, &model_.t_map}) {
      for (const auto& [from, node] : *nodes) {
        for (const auto& [to, copies] : node.out) {
          xml_.start_element("edge");
          xml_.attribute("from", from);
          xml_.attribute("to", to);
          xml_.attribute("multiplicity", std::to_string(copies));
          xml_.end_element();
        }
      }
    }
    xml_.end_element();
  }

 private:
  bool write_node(const std::string& name, const ElementIndex& own_list,
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

    const auto members = model_.aggregate_map.find(name);
    if (members != model_.aggregate_map.end() && members->second.size() >= 2) {
      xml_.start_element("aggregates");
      for (const std::string& member : members->second)
        if (!write_member(member, kind)) return false;
      xml_.end_element();
    }
    xml_.end_element();
    return true;
  }

  // The `info` of the member's input element; a transition's wins over a
  // place's of the same name.
  bool write_member(const std::string& member, const NodeKind& kind) {
    if (kind.prints_members) out_ << member << "\n";
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
  const ElementIndex& places_;
  const ElementIndex& transitions_;
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

bool write_reduced_document(const XmlDocument& input, const NetModel& model,
                            std::string_view date, std::ostream& out,
                            std::ostream& xml) {
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
  const ElementIndex places = index_by_name(place_list);
  const ElementIndex transitions = index_by_name(transition_list);

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

bool write_reduced_net(const std::string& input_path,
                       const std::string& output_path, const NetModel& model,
                       std::ostream& out) {
  out << "\n p_map size :" << model.p_map.size()
      << "\n t_map size :" << model.t_map.size();
  XmlDocument input;
  if (!load_document(input_path, input)) {
    out << "Can't open input file\n";
    return false;
  }
  const std::string date = current_date_text();

  // The file is opened first so that the document streams straight into it;
  // the checks of the document still speak before any save failure does.
  SafeFile file(output_path);
  if (!write_reduced_document(input, model, date, out, file.stream())) {
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
