// The reduced net's edge list as text, in the XML writer's layout for a
// child of the root: "<edgelist>", then one edge per distinct arc on a line
// of its own, arcs leaving places first and then those leaving transitions,
// each in name order, then "</edgelist>" on a line of its own (an empty list
// is "<edgelist/>"). Made apart from the writer, so that another core can
// make it while the writer copies the nodes.
#ifndef MAROVEL_WRITER_EDGE_TEXT_H_
#define MAROVEL_WRITER_EDGE_TEXT_H_

#include <cstddef>
#include <functional>
#include <string>

#include "model/net_model.h"

namespace marovel {

// Calls `emit` with the text in pieces of about `piece_bytes` each, in
// order; `emit` may take the piece's content.
void format_edge_list(const NetModel& model, size_t piece_bytes,
                      const std::function<void(std::string&)>& emit);

}  // namespace marovel

#endif  // MAROVEL_WRITER_EDGE_TEXT_H_
