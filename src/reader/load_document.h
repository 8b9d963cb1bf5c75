// Loads an XML file for the reader and the writer, logging the failure text
// through the base library's logging before the caller prints its message.
#ifndef MAROVEL_READER_LOAD_DOCUMENT_H_
#define MAROVEL_READER_LOAD_DOCUMENT_H_

#include <string>

#include "xml/xml_document.h"

namespace marovel {

bool load_document(const std::string& path, XmlDocument& doc);

}  // namespace marovel

#endif  // MAROVEL_READER_LOAD_DOCUMENT_H_
