// Lookups in a loaded document: an element's attribute and child by name.
#ifndef MAROVEL_XML_XML_LOOKUP_H_
#define MAROVEL_XML_XML_LOOKUP_H_

#include <optional>
#include <string_view>

#include "xml/xml_document.h"

namespace marovel {

// The value of the first attribute of `element` named exactly `name`, or
// nothing when `element` is null or has no such attribute (text, comment and
// CDATA nodes have none).
std::optional<std::string_view> find_attribute(const XmlNode* element,
                                               std::string_view name);

// The first child of `parent` that is an element named exactly `name`, or
// nullptr.
const XmlNode* find_child_element(const XmlNode* parent, std::string_view name);

}  // namespace marovel

#endif  // MAROVEL_XML_XML_LOOKUP_H_
