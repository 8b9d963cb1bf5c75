#include "netfile/net_fault.h"

#include <cassert>
#include <limits>

#include "base/quoted.h"

namespace marovel {
namespace {

// The fault of a place or transition list as the scan found it, or none.
std::optional<NetFault> fault_of(NetList which, const ScannedList& list,
                                 NetReader reader) {
  if (!list.found) return NetFault(NetFault::Kind::kNoList, which);
  if (!list.has_members && reader == NetReader::kMarovel)
    return NetFault(NetFault::Kind::kEmptyList, which);
  if (list.nameless_at != kNoMember)
    return NetFault(NetFault::Kind::kNamelessMember, which,
                    list.nameless_member);
  return std::nullopt;
}

// What a member of a list is called in the companions' messages.
const char* member_word(NetList list) {
  switch (list) {
    case NetList::kPlaces:
      return "place";
    case NetList::kTransitions:
      return "transition";
    case NetList::kEdges:
      break;
  }
  return "edge";
}

std::string companion_message(const NetFault& fault) {
  const std::string list(list_element_name(fault.list));
  const std::string edge =
      "the edge from " + quoted(fault.from) + " to " + quoted(fault.to);
  switch (fault.kind) {
    case NetFault::Kind::kWrongRoot:
      return "not a marovel net file: the root element is " +
             quoted(fault.what) + ", not '" + std::string(kNetRoot) + "'";
    case NetFault::Kind::kNoList:
      return "not a marovel net file: it has no " + list;
    case NetFault::Kind::kEmptyList:
      return "the " + list + " is empty";
    case NetFault::Kind::kNamelessMember:
      // An element is named "<p>"; text, comments and CDATA sections by
      // what they are.
      if (fault.what.starts_with('<'))
        return "an element " + fault.what + " of the " + list + " has no name";
      return "the " + list + " holds " + fault.what + ", which counts as a " +
             member_word(fault.list) + " without a name";
    case NetFault::Kind::kTooManyNames:
      return "the net declares more than " + std::to_string(kMaxNames) +
             " places and transitions, more than can be read";
    case NetFault::Kind::kEdgeWithoutFrom:
      if (!fault.what.empty())
        return "the edgelist holds " + fault.what +
               ", which counts as an edge without ends";
      return "an edge has no from";
    case NetFault::Kind::kEdgeWithoutTo:
      return "an edge has no to";
    case NetFault::Kind::kWrongEdge:
      return edge + " does not join a declared place and transition";
    case NetFault::Kind::kUnreadableWeight:
      return edge + " has the multiplicity " + quoted(fault.value) +
             ", which is not a whole number from " +
             std::to_string(std::numeric_limits<int32_t>::min()) + " to " +
             std::to_string(std::numeric_limits<uint64_t>::max());
    case NetFault::Kind::kWeightOverflow:
      return "the edges from " + quoted(fault.from) + " to " +
             quoted(fault.to) + " add up to more than " +
             std::to_string(std::numeric_limits<uint64_t>::max());
  }
  return {};
}

}  // namespace

std::optional<NetFault> list_fault(const InputNet& net, NetReader reader) {
  if (net.root_name != kNetRoot)
    return NetFault(NetFault::Kind::kWrongRoot, NetList::kEdges, net.root_name);
  if (auto fault = fault_of(NetList::kPlaces, net.places, reader)) return fault;
  if (auto fault = fault_of(NetList::kTransitions, net.transitions, reader))
    return fault;
  if (declared_count(net.places) + declared_count(net.transitions) > kMaxNames)
    return NetFault(NetFault::Kind::kTooManyNames);
  if (!net.edges_found)
    return NetFault(NetFault::Kind::kNoList, NetList::kEdges);
  if (!net.edges_have_members && reader == NetReader::kMarovel)
    return NetFault(NetFault::Kind::kEmptyList, NetList::kEdges);
  return std::nullopt;
}

NetFault edge_fault(const EdgeStop& stop, const EdgeBatch& batch,
                    const InputNet& net) {
  const EdgeBatch::Edge& edge = batch.edges[stop.edge];
  switch (stop.fault) {
    case EdgeFault::kNoFrom:
      return NetFault(NetFault::Kind::kEdgeWithoutFrom, NetList::kEdges,
                      net.edge_stop_member);
    case EdgeFault::kNoTo:
      return NetFault(NetFault::Kind::kEdgeWithoutTo);
    case EdgeFault::kWrong:
    case EdgeFault::kNone:
      break;
  }
  assert(stop.fault == EdgeFault::kWrong);
  NetFault fault(NetFault::Kind::kWrongEdge);
  fault.from = std::string(batch.from(edge));
  fault.to = std::string(batch.to(edge));
  return fault;
}

namespace {

Status marovel_status(const NetFault& fault) {
  const auto invalid = [](const char* message) {
    return Status::error(Status::Code::kInvalidInput, message);
  };
  switch (fault.kind) {
    case NetFault::Kind::kWrongRoot:
      return invalid("Wrong input file\n");
    case NetFault::Kind::kNoList:
      return invalid(list_fault_message(fault.list, ListFault::kNotFound));
    case NetFault::Kind::kEmptyList:
      return invalid(list_fault_message(fault.list, ListFault::kEmpty));
    case NetFault::Kind::kNamelessMember:
      return invalid(list_fault_message(fault.list, ListFault::kNameless));
    case NetFault::Kind::kTooManyNames:
      return Status::error(Status::Code::kLimit, companion_message(fault));
    case NetFault::Kind::kEdgeWithoutFrom:
      return invalid("Can't find the from edge\n");
    case NetFault::Kind::kEdgeWithoutTo:
      return invalid("Can't find the to edge\n");
    case NetFault::Kind::kWrongEdge:
      return invalid("Wrong edge \n");
    case NetFault::Kind::kUnreadableWeight:
    case NetFault::Kind::kWeightOverflow:
      break;
  }
  assert(false && "marovel reads every weight");
  return invalid("Wrong edge \n");
}

}  // namespace

Status fault_status(const NetFault& fault, NetReader reader) {
  if (reader == NetReader::kMarovel) return marovel_status(fault);
  return Status::error(fault.kind == NetFault::Kind::kTooManyNames
                           ? Status::Code::kLimit
                           : Status::Code::kInvalidInput,
                       companion_message(fault));
}

}  // namespace marovel
