// Reads a net file into an empty NetModel. The first fault ends the read with
// that fault's message; what was entered before it stays in the model. A
// model read without a fault is closed and mirrored: every arc is entered
// on both of its sides.
#ifndef MAROVEL_READER_NET_READER_H_
#define MAROVEL_READER_NET_READER_H_

#include <string>
#include <string_view>

#include "base/status.h"
#include "base/two_cores.h"
#include "model/net_model.h"
#include "netfile/input_net.h"

namespace marovel {

// Parses the file at `path` (native bytes) and reads it, keeping in the
// fresh `input` what the writer needs of the file. The file is never held
// whole: the parse and the building of the model go on at once, on two
// cores when `cores` finds the file worth it. A file that cannot be loaded
// fails with "Can't open input file\n" and the XML layer's reason as the
// detail, and the system's error number when the file could not be read.
Status read_net(const std::string& path, NetModel& model, InputNet& input,
                TwoCores cores = {});

// Reads a net file's bytes held in memory, as read_net() reads a file.
Status read_net_bytes(std::string_view bytes, NetModel& model, InputNet& input,
                      TwoCores cores = {});

}  // namespace marovel

#endif  // MAROVEL_READER_NET_READER_H_
