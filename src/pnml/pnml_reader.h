// Reads one place/transition net out of a PNML document: places and
// transitions at any depth of pages, references followed to the node they
// name, arcs checked and parallel arcs added up. Whatever marovel's format
// cannot hold faithfully is refused with a message that names the element.
#ifndef MAROVEL_PNML_PNML_READER_H_
#define MAROVEL_PNML_PNML_READER_H_

#include <string>
#include <string_view>

#include "pnml/pt_net.h"
#include "xml/xml_document.h"

namespace marovel {

// Fills the empty `net` from the loaded `doc`. `wanted_net` picks a net by
// id; empty means the document's only net. On refusal returns false and
// sets `error` to one line, without a final line feed.
bool read_pnml(const XmlDocument& doc, std::string_view wanted_net, PtNet& net,
               std::string& error);

enum class PnmlRead {
  kDone,
  kUnreadable,  // `error` is the XML layer's, as load_xml_file words it
  kRefused,     // `error` is the reader's, as read_pnml words it
};

// The same read straight from the file at `path`, converted while it is
// parsed, so that no document is built. A file that is not well-formed XML
// is unreadable whatever else is wrong in it.
PnmlRead read_pnml_file(const std::string& path, std::string_view wanted_net,
                        PtNet& net, std::string& error);

}  // namespace marovel

#endif  // MAROVEL_PNML_PNML_READER_H_
