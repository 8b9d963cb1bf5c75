#include "reader/net_reader.h"

#include <algorithm>
#include <span>
#include <vector>

#include "base/run_both.h"
#include "model/invariants.h"
#include "xml/xml_lookup.h"

namespace marovel {
namespace {

Status fault(const char* message) {
  return Status::error(Status::Code::kInvalidInput, message);
}

// Declares every member of one list: its name joins `declared`, a view into
// the loaded document, and the member joins `members`.
Status declare_list(const XmlNode& root, NetList list,
                    std::vector<std::string_view>& declared,
                    std::vector<const XmlNode*>& members) {
  const XmlNode* found = nullptr;
  if (Status status = find_net_list(root, list, found); !status.ok())
    return status;
  for (const XmlNode* member = found->first_child; member != nullptr;
       member = member->next_sibling) {
    const auto name = find_attribute(member, "name");
    if (!name) return fault(missing_name_message(list));
    declared.push_back(*name);
    members.push_back(member);
  }
  return Status();
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
Status read_edges(const XmlNode& root, const std::vector<uint8_t>& declared,
                  NetModel& model, TwoCores cores) {
  const XmlNode* list = nullptr;
  if (Status status = find_net_list(root, NetList::kEdges, list); !status.ok())
    return status;
  std::vector<const XmlNode*> edges;
  for (const XmlNode* edge = list->first_child; edge != nullptr;
       edge = edge->next_sibling)
    edges.push_back(edge);
  const bool threaded = cores.worth(edges.size());

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
      if (used[name]) map.at(name);
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
        NetNode& node = map.at(node_of(arc));
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
  if (fault != EdgeFault::kNone) return ::marovel::fault(message_of(fault));
  return Status();
}

}  // namespace

Status read_net_document(const XmlDocument& doc, NetModel& model,
                         ElementIndex* elements, TwoCores cores) {
  const XmlNode* root = doc.root();
  if (root == nullptr || root->name != kNetRoot)
    return fault("Wrong input file\n");
  // What was read before a fault stays in the model, as if entered as read.
  std::vector<std::string_view> names;
  std::vector<const XmlNode*> members;
  Status declared_all = declare_list(*root, NetList::kPlaces, names, members);
  const size_t places_declared = names.size();
  if (declared_all.ok())
    declared_all = declare_list(*root, NetList::kTransitions, names, members);
  if (names.size() > kMaxNames)
    return Status::error(Status::Code::kLimit,
                         "the net declares more than " +
                             std::to_string(kMaxNames) +
                             " places and transitions, more than can be read");
  std::vector<NameId> ids;
  model = NetModel(NameTable(names, ids, cores));
  if (!declared_all.ok()) return declared_all;

  std::vector<uint8_t> declared(model.names.size(), 0);
  for (size_t k = 0; k < ids.size(); ++k)
    declared[ids[k]] |= k < places_declared ? kAsPlace : kAsTransition;
  if (Status status = read_edges(*root, declared, model, cores); !status.ok())
    return status;
  if (!check_consistency(model, cores))
    return fault("\nNet inconsistent after input\n");
  if (elements != nullptr) {
    const std::span<const XmlNode* const> all(members);
    const std::vector<std::optional<NameId>> found(ids.begin(), ids.end());
    const std::span<const std::optional<NameId>> all_ids(found);
    elements->places =
        index_by_name(all.first(places_declared),
                      all_ids.first(places_declared), model.names.size());
    elements->transitions =
        index_by_name(all.subspan(places_declared),
                      all_ids.subspan(places_declared), model.names.size());
  }
  return Status();
}

Status read_net(const std::string& path, NetModel& model, InputDocument& input,
                TwoCores cores) {
  std::string error;
  if (!load_xml_file(path, input.document, error))
    return Status::error(Status::Code::kIoError, "Can't open input file\n",
                         error);
  return read_net_document(input.document, model, &input.elements, cores);
}

}  // namespace marovel
