// How the XML writer escapes text and attribute values, for code that lays
// out markup of its own in the writer's form: only so far that a parser
// reads back the same bytes.
#ifndef MAROVEL_XML_XML_ESCAPE_H_
#define MAROVEL_XML_XML_ESCAPE_H_

#include <string>
#include <string_view>

namespace marovel {

// Appends `text` to `out`, escaped for character data (`&`, `<`, `>` and
// carriage returns) or, with `in_attribute`, for a double-quoted attribute
// value (also `"`, tabs and line feeds).
void append_escaped(std::string& out, std::string_view text, bool in_attribute);

// Whether append_escaped() would change `text` in an attribute value.
bool needs_escaping_in_attribute(std::string_view text);

}  // namespace marovel

#endif  // MAROVEL_XML_XML_ESCAPE_H_
