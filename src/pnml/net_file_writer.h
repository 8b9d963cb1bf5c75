// Writes a PtNet as a marovel net file. Every node gets an `info` that says
// what the PNML node was (id, name and, for a place, initial marking): the
// reduced file copies the `info` of each node a survivor absorbed, so that
// is where the user finds them again. Weights are written in full, as
// marovel writes fused ones; marovel's own reading counts one beyond the
// signed 32-bit range as 1 (netfile/net_file.h).
#ifndef MAROVEL_PNML_NET_FILE_WRITER_H_
#define MAROVEL_PNML_NET_FILE_WRITER_H_

#include <ostream>
#include <string>

#include "pnml/pt_net.h"

namespace marovel {

// "p1 (Order received), initial marking 2" for a place, "t1 (Check)" for a
// transition; the name is left out when empty or equal to the id.
std::string node_info(const PtNode& node, bool is_place);

// Returns false when the stream failed.
[[nodiscard]] bool write_net_file(const PtNet& net, std::ostream& out);

}  // namespace marovel

#endif  // MAROVEL_PNML_NET_FILE_WRITER_H_
