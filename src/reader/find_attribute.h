// Attribute lookup shared by the reader and the writer.
#ifndef MAROVEL_READER_FIND_ATTRIBUTE_H_
#define MAROVEL_READER_FIND_ATTRIBUTE_H_

#include <optional>
#include <string_view>

#include "xml/xml_document.h"

namespace marovel {

// The value of the first attribute of `element` named exactly `name`, or
// nothing when `element` is null or has no such attribute (text, comment and
// CDATA nodes have none).
std::optional<std::string_view> find_attribute(const XmlNode* element,
                                               std::string_view name);

}  // namespace marovel

#endif  // MAROVEL_READER_FIND_ATTRIBUTE_H_
