// Renders a NetGraph in Graphviz's DOT language: places as circles,
// transitions as boxes, every arc weight other than 1 as the arc's label, and
// for a node that absorbed others a small count under its name and the texts
// of the absorbed nodes in its tooltip. Names and texts may hold any
// characters; they are escaped for the attribute that carries them. A name
// too long for a Graphviz label is cut short there, with an ellipsis; the
// tooltip holds every text whole, however long.
#ifndef MAROVEL_DOT_DOT_WRITER_H_
#define MAROVEL_DOT_DOT_WRITER_H_

#include <ostream>

#include "dot/net_graph.h"

namespace marovel {

// Returns false when the stream failed.
[[nodiscard]] bool write_dot(const NetGraph& graph, std::ostream& out);

}  // namespace marovel

#endif  // MAROVEL_DOT_DOT_WRITER_H_
