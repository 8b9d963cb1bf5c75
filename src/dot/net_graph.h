// What a picture of a marovel net file shows, read from the file itself
// (input or reduced): the declared places and transitions in document order,
// the texts of the nodes a reduced node absorbed, and the arcs with their
// weights, interpreted as marovel reads them.
#ifndef MAROVEL_DOT_NET_GRAPH_H_
#define MAROVEL_DOT_NET_GRAPH_H_

#include <string>
#include <string_view>
#include <vector>

#include "netfile/net_file_reader.h"
#include "xml/xml_document.h"

namespace marovel {

struct GraphNode {
  std::string_view name;  // a view into the loaded document
  std::string info;       // the text of the node's own `info`, if any
  // One entry per `info` in the node's last `aggregates` child (the
  // absorbed nodes, itself included); empty for a node that absorbed none.
  std::vector<std::string> members;
};

struct NetGraph {
  std::vector<GraphNode> places;
  std::vector<GraphNode> transitions;
  std::vector<NetFileArc> arcs;  // indices into places and transitions
};

// Fills the empty `graph` from `doc`, which must outlive it, as
// read_net_file() reads it; on failure returns false and sets `error` to one
// line.
bool read_net_graph(const XmlDocument& doc, NetGraph& graph,
                    std::string& error);

}  // namespace marovel

#endif  // MAROVEL_DOT_NET_GRAPH_H_
