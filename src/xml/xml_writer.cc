#include "xml/xml_writer.h"

#include <array>

namespace marovel {

namespace {

constexpr size_t kFlushSize = size_t{1} << 20;

// Indentation grows with depth, so a deeply nested document would come out
// quadratically larger than it went in (a million levels: a terabyte).
// Past this depth children follow each other with no line breaks at all.
constexpr size_t kMaxLayoutDepth = 64;

// The replacement for a byte that can't stand as itself, or an empty view.
// Tab and line feed survive in text but an attribute value would read them
// back as blanks; a bare carriage return would be read back as a line feed.
std::string_view escape_for(char c, bool in_attribute) {
  switch (c) {
    case '&':
      return "&amp;";
    case '<':
      return "&lt;";
    case '>':
      return "&gt;";
    case '\r':
      return "&#xD;";
    case '"':
      return in_attribute ? "&quot;" : "";
    case '\t':
      return in_attribute ? "&#x9;" : "";
    case '\n':
      return in_attribute ? "&#xA;" : "";
    default:
      return {};
  }
}

// Which bytes escape_for() may replace, in text and in attributes: most
// text has none, and one look-up per byte finds that out fastest.
struct EscapeTable {
  std::array<bool, 256> in_text{};
  std::array<bool, 256> in_attribute{};
  constexpr EscapeTable() {
    for (const unsigned char c : {'&', '<', '>', '\r'})
      in_text[c] = in_attribute[c] = true;
    for (const unsigned char c : {'"', '\t', '\n'}) in_attribute[c] = true;
  }
};
constexpr EscapeTable kEscapes;

void append_escaped(std::string& out, std::string_view text,
                    bool in_attribute) {
  const std::array<bool, 256>& escaped =
      in_attribute ? kEscapes.in_attribute : kEscapes.in_text;
  size_t run = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!escaped[static_cast<unsigned char>(text[i])]) continue;
    out.append(text.data() + run, i - run);
    out.append(escape_for(text[i], in_attribute));
    run = i + 1;
  }
  out.append(text.data() + run, text.size() - run);
}

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
