// What net2pnml writes of a marovel net file: every node by its name, a
// reduced node (one with an `aggregates` child) carrying its own `info` and
// its last `aggregates` into a tool-specific block, so that the trace back
// to the input nodes survives, and the arcs with their weights.
#ifndef MAROVEL_PNML_NET_FILE_PNML_H_
#define MAROVEL_PNML_NET_FILE_PNML_H_

#include <string_view>

#include "netfile/net_file_reader.h"
#include "pnml/pnml_writer.h"

namespace marovel {

// The PNML net of `file`, named `name` (its id is made from it); it refers
// to `file`, which must outlive it.
PnmlOutNet pnml_of_net_file(const NetFile& file, std::string_view name);

// The name a net file's PNML net takes from the file's path: its last
// component without its extension ("nets/a.b.xml" gives "a.b").
std::string_view file_stem(std::string_view path);

}  // namespace marovel

#endif  // MAROVEL_PNML_NET_FILE_PNML_H_
