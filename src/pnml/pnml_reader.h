// Reads one place/transition net out of a PNML document: places and
// transitions at any depth of pages, references followed to the node they
// name, arcs checked and parallel arcs added up. Whatever marovel's format
// cannot hold faithfully is refused with a message that names the element.
#ifndef MAROVEL_PNML_PNML_READER_H_
#define MAROVEL_PNML_PNML_READER_H_

#include <string>
#include <string_view>

#include "base/status.h"
#include "pnml/pt_net.h"

namespace marovel {

// Fills the empty `net` from the file at `path`, converted while it is
// parsed, so that no document is built. `wanted_net` picks a net by id;
// empty means the document's only net. A file that is not well-formed XML
// fails as the XML layer says (a kIoError), whatever else is wrong in it; a
// refusal is a kInvalidInput whose message is one line, without a final
// line feed.
Status read_pnml_file(const std::string& path, std::string_view wanted_net,
                      PtNet& net);
// The same read of a document's bytes held in memory.
Status read_pnml_bytes(std::string_view document, std::string_view wanted_net,
                       PtNet& net);

}  // namespace marovel

#endif  // MAROVEL_PNML_PNML_READER_H_
