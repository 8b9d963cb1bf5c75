// The XML layer's parser: expat reads a document from memory or from a file
// and hands its content, in document order, to a handler, shaped as
// XmlDocument keeps it. The document loader and the readers that convert
// while they parse share it, so they see the same content and report the
// same errors.
#ifndef MAROVEL_XML_XML_PARSER_H_
#define MAROVEL_XML_XML_PARSER_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/status.h"
#include "xml/content_digest.h"
#include "xml/xml_document.h"

namespace marovel {

// How much of the innermost open element a handler wants from now on.
enum class XmlInterest : uint8_t {
  kEverything,
  kElements,  // its elements, but no text, comment or CDATA section
  kNothing,   // nothing until its end_element()
};

// Receives the root element and what lies inside it. Character data between
// two pieces of markup comes as one text, left out when it is all white
// space; each comment and CDATA section comes whole (a CDATA section even
// when empty or blank); processing instructions never come.
class XmlContentHandler {
 public:
  virtual ~XmlContentHandler() = default;

  // Names and values are UTF-8; the views last until the call returns.
  virtual void start_element(std::string_view name,
                             std::span<const XmlAttribute> attributes) = 0;
  virtual void end_element() = 0;
  // A text, comment or CDATA node: the next child of the innermost open
  // element.
  virtual void content(XmlNodeType type, std::string_view text) = 0;

  // Asked after every start_element() and end_element(). What is not wanted
  // is passed over unreported, which spares most of the work on it.
  virtual XmlInterest interest() const { return XmlInterest::kEverything; }
};

// Parses a whole document held in memory. A failure is a kIoError whose
// message is the text to log, in the form
// "XML parsing error: '<expat's message>' at line <n>"; the handler may have
// received some of the document by then.
Status parse_xml_string(std::string_view bytes, XmlContentHandler& handler);

// Parses the regular file at `path`, read in one pass through one
// descriptor. A failure is a kIoError worded as above, or
// "can't open file '<path>'", followed by " (error <n>: <reason>)" when the
// system gave one (its system_error() then); a directory, FIFO or device is
// refused that way too.
// When `digest` is given, every byte read is added to it.
Status parse_xml_file(const std::string& path, XmlContentHandler& handler,
                      ContentDigest* digest = nullptr);

}  // namespace marovel

#endif  // MAROVEL_XML_XML_PARSER_H_
