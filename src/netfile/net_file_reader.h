// Reads a marovel net file, input or reduced, for the companion commands
// that turn it into something else, as marovel reads its net: the same scan
// (net_file_scanner.h) finds the members of the lists, the same reading of
// the edges (edge_reading.h) classifies them and the same faults
// (net_fault.h) refuse the file, so that the companions accept what marovel
// accepts. What differs on purpose is listed, and chosen, in net_fault.h: a
// refusal names what is wrong, a list may be empty, and a `multiplicity`
// marovel counts as 1 is taken in full or refused.
#ifndef MAROVEL_NETFILE_NET_FILE_READER_H_
#define MAROVEL_NETFILE_NET_FILE_READER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "netfile/input_net.h"
#include "netfile/member_store.h"

namespace marovel {

struct NetFileNode {
  std::string_view name;        // held by NetFile::scan
  MemberStore::Offset element;  // its first element in its list
  MemberStore::Offset info;     // that element's first `info`, or kNoInfo
};

struct NetFileArc {
  size_t place;       // index into NetFile::places
  size_t transition;  // index into NetFile::transitions
  bool to_transition;
  uint64_t weight;  // parallel edges added up; always above 0
};

struct NetFile {
  // What the scan kept: the names, and the members' elements in scan.store.
  InputNet scan;
  // Each declared name once, with its first element, in document order.
  std::vector<NetFileNode> places;
  std::vector<NetFileNode> transitions;
  std::vector<NetFileArc> arcs;  // in the order of their first edge

  const MemberStore& store() const { return scan.store; }
};

// Fills the fresh `net` from the file at `path`. A file the XML layer
// cannot read fails with its kIoError; a refusal is a kInvalidInput (or a
// kLimit) whose message is one line without a line feed.
Status read_net_file(const std::string& path, NetFile& net);

// The same for a document held in memory.
Status read_net_text(std::string_view text, NetFile& net);

// The last child of the stored element at `parent` that is an element named
// `name`, or none: a file reduced more than once holds the latest
// reduction's `aggregates` last.
std::optional<MemberStore::Offset> last_child_element(
    const MemberStore& store, MemberStore::Offset parent,
    std::string_view name);

}  // namespace marovel

#endif  // MAROVEL_NETFILE_NET_FILE_READER_H_
