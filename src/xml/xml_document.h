// A compact, read-only XML tree loaded with expat: elements, text, comments
// and CDATA sections, with every name, value and text held as UTF-8 bytes in
// an arena owned by the document. Only the root element and what lies inside
// it is kept; processing instructions and text made of white space alone are
// dropped, and adjacent character data forms one text node.
#ifndef MAROVEL_XML_XML_DOCUMENT_H_
#define MAROVEL_XML_XML_DOCUMENT_H_

#include <cstdint>
#include <memory_resource>
#include <span>
#include <string>
#include <string_view>

#include "base/status.h"

namespace marovel {

enum class XmlNodeType : uint8_t { kElement, kText, kComment, kCData };

struct XmlAttribute {
  std::string_view name;
  std::string_view value;
};

struct XmlNode {
  XmlNodeType type = XmlNodeType::kElement;
  std::string_view name;     // elements only
  std::string_view content;  // text, comment and CDATA nodes only
  std::span<const XmlAttribute> attributes;  // elements only, document order
  const XmlNode* first_child = nullptr;
  const XmlNode* next_sibling = nullptr;

  bool is_element() const { return type == XmlNodeType::kElement; }
};

class XmlDocument {
 public:
  XmlDocument() = default;
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // The root element; nullptr until a load succeeds.
  const XmlNode* root() const { return root_; }
  // The ContentDigest of the bytes a successful load parsed.
  uint64_t digest() const { return digest_; }

 private:
  friend class XmlTreeBuilder;
  std::pmr::monotonic_buffer_resource arena_;
  const XmlNode* root_ = nullptr;
  uint64_t digest_ = 0;
};

// Parses a whole document held in memory into `doc`, which must be fresh.
// A failure is the parser's (parse_xml_string()).
Status load_xml_string(std::string_view bytes, XmlDocument& doc);

// Loads the regular file at `path`, read in one pass through one descriptor.
// A failure is the parser's (parse_xml_file()).
Status load_xml_file(const std::string& path, XmlDocument& doc);

}  // namespace marovel

#endif  // MAROVEL_XML_XML_DOCUMENT_H_
