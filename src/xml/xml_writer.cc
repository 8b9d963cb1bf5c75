#include "xml/xml_writer.h"

#include <array>

#include "xml/xml_escape.h"

namespace marovel {

namespace {

constexpr size_t kFlushSize = size_t{1} << 20;

// Indentation grows with depth, so a deeply nested document would come out
// quadratically larger than it went in (a million levels: a terabyte).
// Past this depth children follow each other with no line breaks at all.
constexpr size_t kMaxLayoutDepth = 64;

}  // namespace

XmlWriter::XmlWriter(std::ostream& sink) : sink_(sink) {
  out_.reserve(kFlushSize + 4096);
  out_.append("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n");
}

void XmlWriter::new_line(size_t depth) {
  if (depth > kMaxLayoutDepth) return;
  out_.push_back('\n');
  out_.append(2 * depth, ' ');
}

// Closes the parent's start tag if this is its first child and puts a
// non-text child on a line of its own.
void XmlWriter::begin_child(bool is_text) {
  if (open_.empty()) return;  // the root follows the declaration's line feed
  OpenElement& parent = open_.back();
  if (parent.tag_open) {
    out_.push_back('>');
    parent.tag_open = false;
  }
  parent.last_child_text = is_text;
  if (!is_text) new_line(open_.size());
}

void XmlWriter::start_element(std::string_view name) {
  begin_child(false);
  out_.push_back('<');
  out_.append(name);
  open_.push_back({names_.size(), true, false});
  names_.append(name);
  maybe_flush();
}

void XmlWriter::attribute(std::string_view name, std::string_view value) {
  out_.push_back(' ');
  out_.append(name);
  out_.append("=\"");
  append_escaped(out_, value, true);
  out_.push_back('"');
}

void XmlWriter::text(std::string_view content) {
  begin_child(true);
  append_escaped(out_, content, false);
  maybe_flush();
}

void XmlWriter::comment(std::string_view content) {
  begin_child(false);
  out_.append("<!--");
  out_.append(content);
  out_.append("-->");
  maybe_flush();
}

void XmlWriter::cdata(std::string_view content) {
  begin_child(false);
  out_.append("<![CDATA[");
  out_.append(content);
  out_.append("]]>");
  maybe_flush();
}

void XmlWriter::end_element() {
  const OpenElement element = open_.back();
  open_.pop_back();
  if (element.tag_open) {
    out_.append("/>");
  } else {
    if (!element.last_child_text) new_line(open_.size());
    out_.append("</");
    out_.append(names_, element.name_offset);
    out_.push_back('>');
  }
  names_.resize(element.name_offset);
  maybe_flush();
}

void XmlWriter::empty_element(std::string_view name,
                              std::initializer_list<Attribute> attributes) {
  begin_child(false);
  out_.push_back('<');
  out_.append(name);
  for (const Attribute& a : attributes) {
    out_.push_back(' ');
    out_.append(a.name);
    out_.append("=\"");
    append_escaped(out_, a.value, true);
    out_.push_back('"');
  }
  out_.append("/>");
  maybe_flush();
}

void XmlWriter::raw(std::string_view bytes) {
  out_.append(bytes);
  maybe_flush();
}

void XmlWriter::copy(const XmlNode& top) {
  // Walks the subtree in document order; resume_ holds, for each element
  // opened here, the sibling to go on with once it is closed.
  resume_.clear();
  const XmlNode* node = &top;
  while (node != nullptr) {
    const XmlNode* next = node == &top ? nullptr : node->next_sibling;
    switch (node->type) {
      case XmlNodeType::kElement:
        start_element(node->name);
        for (const XmlAttribute& a : node->attributes) {
          attribute(a.name, a.value);
        }
        if (node->first_child != nullptr) {
          resume_.push_back(next);
          node = node->first_child;
          continue;
        }
        end_element();
        break;
      case XmlNodeType::kText:
        text(node->content);
        break;
      case XmlNodeType::kComment:
        comment(node->content);
        break;
      case XmlNodeType::kCData:
        cdata(node->content);
        break;
    }
    while (next == nullptr && !resume_.empty()) {
      end_element();
      next = resume_.back();
      resume_.pop_back();
    }
    node = next;
  }
}

bool XmlWriter::finish() {
  while (!open_.empty()) end_element();
  out_.push_back('\n');
  flush();
  if (ok_ && !sink_.flush()) ok_ = false;
  return ok_;
}

void XmlWriter::maybe_flush() {
  if (out_.size() >= kFlushSize) flush();
}

// After a failure the output is dropped: the document is lost either way.
void XmlWriter::flush() {
  if (ok_ &&
      !sink_.write(out_.data(), static_cast<std::streamsize>(out_.size()))) {
    ok_ = false;
  }
  out_.clear();
}

}  // namespace marovel
