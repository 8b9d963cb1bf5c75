// Streams an XML document to a caller's std::ostream through a large buffer:
// the declaration, then the root element laid out with a line feed and two
// spaces per level before every child that is not text (down to a depth of
// 64; deeper content runs on unbroken), text written in place, and a final
// line feed. Bytes are written exactly as given (UTF-8),
// escaped only so far that a parser reads back the same names and values.
#ifndef MAROVEL_XML_XML_WRITER_H_
#define MAROVEL_XML_XML_WRITER_H_

#include <cstddef>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "xml/xml_document.h"

namespace marovel {

class XmlWriter {
 public:
  // Writes the declaration `<?xml version="1.0" encoding="utf-8"?>` and its
  // line feed. `sink` must outlive the writer. Output reaches it in large
  // pieces and is complete only once finish() has run.
  explicit XmlWriter(std::ostream& sink);
  XmlWriter(const XmlWriter&) = delete;
  XmlWriter& operator=(const XmlWriter&) = delete;

  // Opens an element: the root when none is open, else the next child of
  // the innermost open element.
  void start_element(std::string_view name);
  // Adds an attribute to the element just started, before any child.
  void attribute(std::string_view name, std::string_view value);
  // Appends a child to the innermost open element. Text is escaped; comment
  // and CDATA contents are written as held, so they must not contain their
  // own closing delimiter.
  void text(std::string_view content);
  void comment(std::string_view content);
  void cdata(std::string_view content);
  void end_element();

  // An element with attributes and no children, as the next child of the
  // innermost open element: what start_element(), attribute() for each of
  // `attributes` and end_element() write, in one call.
  struct Attribute {
    std::string_view name;
    std::string_view value;
  };
  void empty_element(std::string_view name,
                     std::initializer_list<Attribute> attributes);

  // Writes `node` and everything below it as the next child (or as the
  // root), in the same layout; any depth of nesting is fine.
  void copy(const XmlNode& node);

  // A child element laid out elsewhere, in this writer's form for its depth
  // (depth() + 1): begin_formatted_child() puts it on a line of its own as
  // start_element() would, then raw() appends its markup as it comes, from
  // its start tag to its end tag.
  void begin_formatted_child() { begin_child(false); }
  void raw(std::string_view bytes);
  // The number of elements open.
  size_t depth() const { return open_.size(); }

  // Closes the elements still open, writes the final line feed and flushes.
  // Returns false when the sink failed at any point.
  bool finish();

 private:
  struct OpenElement {
    size_t name_offset;  // where the name starts in names_
    bool tag_open;       // "<name attrs" written, ">" not yet
    bool last_child_text;
  };

  void begin_child(bool is_text);
  void new_line(size_t depth);
  void maybe_flush();
  void flush();

  std::ostream& sink_;
  std::string out_;
  std::string names_;  // names of the open elements, end to end
  std::vector<OpenElement> open_;
  std::vector<const XmlNode*> resume_;  // copy(): siblings left to write
  bool ok_ = true;
};

}  // namespace marovel

#endif  // MAROVEL_XML_XML_WRITER_H_
