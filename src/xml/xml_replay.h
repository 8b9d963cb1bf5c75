// Hands a loaded document to a content handler, so that a reader written
// for the parser also reads a document already in memory.
#ifndef MAROVEL_XML_XML_REPLAY_H_
#define MAROVEL_XML_XML_REPLAY_H_

#include "xml/xml_document.h"
#include "xml/xml_parser.h"

namespace marovel {

// Makes the calls that parsing the text `doc` was loaded from would have
// made, the handler's interest() heeded; nothing for a document never
// loaded. Any depth of nesting is fine.
void replay_xml(const XmlDocument& doc, XmlContentHandler& handler);

}  // namespace marovel

#endif  // MAROVEL_XML_XML_REPLAY_H_
