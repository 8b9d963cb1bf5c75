#include "xml/xml_lookup.h"

namespace marovel {

std::optional<std::string_view> find_attribute(const XmlNode* element,
                                               std::string_view name) {
  if (element == nullptr) return std::nullopt;
  for (const XmlAttribute& attribute : element->attributes)
    if (attribute.name == name) return attribute.value;
  return std::nullopt;
}

const XmlNode* find_child_element(const XmlNode* parent,
                                  std::string_view name) {
  for (const XmlNode* child = parent->first_child; child != nullptr;
       child = child->next_sibling)
    if (child->is_element() && child->name == name) return child;
  return nullptr;
}

}  // namespace marovel
