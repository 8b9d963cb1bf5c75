#include "reader/arc_list.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "netfile/edge_batch.h"
#include "netfile/edge_reading.h"
#include "netfile/net_fault.h"
#include "netfile/net_file.h"

namespace marovel {
namespace {

// Arcs read at a time, so that the batch's text stays small.
constexpr size_t kBatchArcs = 8192;

// A fault in marovel's words, with the companions' as the detail.
Status fault(const NetFault& fault) {
  const Status marovel = fault_status(fault, NetReader::kMarovel);
  return Status::error(marovel.code(), marovel.message(),
                       fault_status(fault, NetReader::kCompanion).message());
}

}  // namespace

Status read_arc_list(std::span<const NamedArc> arcs, NetModel& model,
                     InputNet& input) {
  input.edges_found = true;
  input.edges_have_members = !arcs.empty();
  if (const std::optional<NetFault> list =
          list_fault(input, NetReader::kMarovel))
    return fault(*list);

  // Fusions add weights up, to at most the sum of all of them.
  uint64_t total = 0;
  for (const NamedArc& arc : arcs)
    if (__builtin_add_overflow(total, arc.weight, &total))
      return Status::error(Status::Code::kLimit,
                           "the weights of the arcs add up to more than " +
                               std::to_string(~uint64_t{0}) +
                               ", more than a net can hold");

  // The names, places first, as the reader interns a file's.
  std::vector<std::string_view> names;
  const size_t places = declared_count(input.places);
  names.insert(names.end(), input.places.names.begin(),
               input.places.names.begin() + places);
  names.insert(
      names.end(), input.transitions.names.begin(),
      input.transitions.names.begin() + declared_count(input.transitions));
  std::vector<NameId> ids;
  model = NetModel(NameTable(names, ids));
  std::vector<uint8_t> declared(model.names.size(), 0);
  for (size_t k = 0; k < ids.size(); ++k)
    declared[ids[k]] |= k < places ? kAsPlace : kAsTransition;

  EdgeBatch batch;
  for (size_t first = 0; first < arcs.size(); first += kBatchArcs) {
    const std::span<const NamedArc> part =
        arcs.subspan(first, std::min(kBatchArcs, arcs.size() - first));
    batch.first_index = first;
    batch.text.clear();
    batch.edges.clear();
    for (const NamedArc& arc : part) {
      const auto begin = static_cast<uint32_t>(batch.text.size());
      batch.text.append(arc.source).append(arc.target);
      batch.edges.push_back({begin, static_cast<uint32_t>(arc.source.size()),
                             begin + static_cast<uint32_t>(arc.source.size()),
                             static_cast<uint32_t>(arc.target.size()),
                             arc.weight > 0 ? 1 : 0, MissingEnd::kNone});
    }
    const EdgeStop stop = read_edges<NameId>(
        batch,
        [&](std::span<const std::string_view> ends,
            std::span<std::optional<NameId>> found) {
          model.names.find_all(ends, found);
        },
        [&](NameId name) { return declared[name]; },
        [&](size_t edge, NameId source, NameId target, bool from_place) {
          const uint64_t weight = part[edge].weight;
          const NameId place = from_place ? source : target;
          const NameId transition = from_place ? target : source;
          const NodeId place_id = model.p_map.id_of(place);
          const NodeId transition_id = model.t_map.id_of(transition);
          NetNode& p = model.p_map.at_id(place_id);
          NetNode& t = model.t_map.at_id(transition_id);
          (from_place ? p.out : p.in).insert(transition_id, weight);
          (from_place ? t.in : t.out).insert(place_id, weight);
        });
    if (stop.fault != EdgeFault::kNone)
      return fault(edge_fault(stop, batch, input));
  }

  // By name id, the first member of each list that bears it.
  input.index.places.assign(model.names.size(), kNoMember);
  input.index.transitions.assign(model.names.size(), kNoMember);
  for (size_t k = 0; k < ids.size(); ++k) {
    std::vector<uint32_t>& index =
        k < places ? input.index.places : input.index.transitions;
    const auto member = static_cast<uint32_t>(k < places ? k : k - places);
    if (index[ids[k]] == kNoMember) index[ids[k]] = member;
  }
  return Status();
}

}  // namespace marovel
