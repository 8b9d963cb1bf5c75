// What tests reach of the PNML reader beyond read_pnml_file(): the same
// read of a document already in memory.
#ifndef MAROVEL_PNML_PNML_READER_FOR_TESTING_H_
#define MAROVEL_PNML_PNML_READER_FOR_TESTING_H_

#include <string_view>

#include "base/status.h"
#include "pnml/pt_net.h"
#include "xml/xml_document.h"

namespace marovel {

// Reads the loaded `doc` as read_pnml_file() reads a file.
Status read_pnml(const XmlDocument& doc, std::string_view wanted_net,
                 PtNet& net);

}  // namespace marovel

#endif  // MAROVEL_PNML_PNML_READER_FOR_TESTING_H_
