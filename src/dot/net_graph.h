// What a picture of a marovel net file shows, read from the file itself
// (input or reduced) as the companion commands read it: the declared places
// and transitions in document order, the texts of the nodes a reduced node
// absorbed, and the arcs with their weights.
#ifndef MAROVEL_DOT_NET_GRAPH_H_
#define MAROVEL_DOT_NET_GRAPH_H_

#include <string>
#include <string_view>
#include <vector>

#include "netfile/net_file_reader.h"

namespace marovel {

struct GraphNode {
  std::string_view name;  // held by the NetFile the graph is made from
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

// The graph of `net`, which must outlive it.
NetGraph net_graph(const NetFile& net);

}  // namespace marovel

#endif  // MAROVEL_DOT_NET_GRAPH_H_
