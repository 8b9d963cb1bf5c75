#include "reader/find_attribute.h"

namespace marovel {

std::optional<std::string_view> find_attribute(const XmlNode* element,
                                               std::string_view name) {
  if (element == nullptr) return std::nullopt;
  for (const XmlAttribute& attribute : element->attributes)
    if (attribute.name == name) return attribute.value;
  return std::nullopt;
}

}  // namespace marovel
