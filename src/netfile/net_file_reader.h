// Reads a marovel net file, input or reduced, as marovel reads its net: the
// members of the first placelist and transitionlist (a name declared twice
// in one list is one node, its first element), and the edges classified by
// their source, with parallel edges added up. The companion commands that
// turn such a file into something else start from here.
#ifndef MAROVEL_NETFILE_NET_FILE_READER_H_
#define MAROVEL_NETFILE_NET_FILE_READER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "xml/xml_document.h"

namespace marovel {

struct NetFileNode {
  std::string_view name;   // a view into the loaded document
  const XmlNode* element;  // the member's first element in its list
};

struct NetFileArc {
  size_t place;       // index into NetFile::places
  size_t transition;  // index into NetFile::transitions
  bool to_transition;
  int64_t weight;  // parallel edges added up; always above 0
};

struct NetFile {
  std::vector<NetFileNode> places;       // in document order
  std::vector<NetFileNode> transitions;  // in document order
  std::vector<NetFileArc> arcs;          // in the order of their first edge
};

// Fills the empty `net` from `doc`, which must outlive it. On failure
// returns false and sets `error` to one line.
bool read_net_file(const XmlDocument& doc, NetFile& net, std::string& error);

// The last child of `parent` that is an element named `name`, or nullptr: a
// file reduced more than once holds the latest reduction's `aggregates` last.
const XmlNode* last_child_element(const XmlNode* parent, std::string_view name);

}  // namespace marovel

#endif  // MAROVEL_NETFILE_NET_FILE_READER_H_
