// Reads a net file into an empty NetModel. The first fault ends the read with
// that fault's message; what was entered before it stays in the model. A
// model read without a fault is closed and mirrored: every arc is entered
// on both of its sides.
#ifndef MAROVEL_READER_NET_READER_H_
#define MAROVEL_READER_NET_READER_H_

#include <string>

#include "base/run_both.h"
#include "base/status.h"
#include "model/net_model.h"
#include "netfile/net_file.h"
#include "xml/xml_document.h"

namespace marovel {

// At most this many names (declared places and transitions, counted as
// often as they are declared) are read: every node and every name is then
// numbered in 32 bits with room to spare.
inline constexpr size_t kMaxNames = (size_t{1} << 31) - 1;

// Loads the file at `path` (native bytes) and reads it, keeping the loaded
// document and its element index in the fresh `input` for the writer. A
// file that cannot be loaded fails with "Can't open input file\n" and the
// XML layer's reason as the detail.
Status read_net(const std::string& path, NetModel& model, InputDocument& input,
                TwoCores cores = {});

// Reads an already loaded document. When `elements` is given and the read
// succeeds, it is set to the document's element index over the model's
// names.
Status read_net_document(const XmlDocument& doc, NetModel& model,
                         ElementIndex* elements = nullptr, TwoCores cores = {});

}  // namespace marovel

#endif  // MAROVEL_READER_NET_READER_H_
