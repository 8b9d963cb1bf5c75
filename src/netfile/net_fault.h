// What makes a net file unreadable, found the same way by every reader of
// the format, and how each reader reports it.
//
// marovel and the companion commands read the format alike (the same scan,
// the same reading of edges, the same faults in the same order), with three
// differences, each one choice made here or in net_file.h:
// - the wording: marovel's messages are its own fixed set, which scripts and
//   recorded runs rely on; the companions' name the element at fault;
// - a list without members: marovel refuses it ("No transitions found"),
//   the companions read it as empty, since marovel itself writes such lists
//   for a net reduced to nodes of one kind, and they read every file it
//   writes;
// - `multiplicity`: marovel counts a value beyond the signed 32-bit range as
//   1, the companions take it in full or refuse it (parse_full_weight()).
#ifndef MAROVEL_NETFILE_NET_FAULT_H_
#define MAROVEL_NETFILE_NET_FAULT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "base/status.h"
#include "netfile/edge_batch.h"
#include "netfile/edge_reading.h"
#include "netfile/input_net.h"
#include "netfile/net_file.h"

namespace marovel {

// Whose reading and wording applies.
enum class NetReader { kMarovel, kCompanion };

struct NetFault {
  enum class Kind : uint8_t {
    kWrongRoot,        // the root is not `petrinet`; `what` is its name
    kNoList,           // the root has no `list`
    kEmptyList,        // `list` has no member (marovel alone)
    kNamelessMember,   // a member of `list` has no name; `what` says which
    kTooManyNames,     // more than kMaxNames are declared
    kEdgeWithoutFrom,  // `what` names the member when it is no element
    kEdgeWithoutTo,
    kWrongEdge,         // `from` and `to` are no declared place and transition
    kUnreadableWeight,  // `value` is no weight (the companion commands)
    kWeightOverflow,    // parallel edges add up past 2^64 - 1 (likewise)
  };

  explicit NetFault(Kind kind, NetList list = NetList::kEdges,
                    std::string what = {})
      : kind(kind), list(list), what(std::move(what)) {}

  Kind kind;
  NetList list;
  std::string what;
  std::string from, to;
  std::string value;
};

// The first fault of what a scan found of the lists, in the order they are
// reported: the root, the place list, the transition list, the number of
// names, the edge list. The edges' own faults come after all of these.
std::optional<NetFault> list_fault(const InputNet& net, NetReader reader);

// The fault at which read_edges() stopped in `batch`.
// REQUIRES: `stop` holds a fault.
NetFault edge_fault(const EdgeStop& stop, const EdgeBatch& batch,
                    const InputNet& net);

// The report of a fault: for marovel the fixed message of its set, line
// feed included; for the companions one line without a line feed, naming
// the list, the member or the edge at fault. Too many names is a kLimit,
// anything else a kInvalidInput.
// REQUIRES: for marovel, a fault its reading can meet (no weight fault).
Status fault_status(const NetFault& fault, NetReader reader);

}  // namespace marovel

#endif  // MAROVEL_NETFILE_NET_FAULT_H_
