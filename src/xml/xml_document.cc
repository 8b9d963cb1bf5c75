#include "xml/xml_document.h"

#include <expat.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include "xml/content_digest.h"

namespace marovel {

namespace {

// Bytes of the input handed to expat per call: large enough that the call
// overhead vanishes, small enough that a huge file is never held whole.
constexpr size_t kChunkSize = size_t{4} << 20;

bool is_xml_blank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
  });
}

// Closes an iconv descriptor on every way out of the encoding handler.
class IconvHandle {
 public:
  explicit IconvHandle(const char* from) : cd_(iconv_open("UTF-32LE", from)) {}
  ~IconvHandle() {
    if (valid()) iconv_close(cd_);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Decodes the single-byte encodings expat has no table for (windows-1252,
// ISO-8859-2 and the like) by asking iconv what each of the 256 bytes means.
// A byte that decodes to nothing maps to -1, which expat rejects if it ever
// occurs. An encoding in which some byte is only the start of a sequence is
// multibyte and refused, as is one iconv doesn't know.
int XMLCALL decode_single_byte_encoding(void* /*data*/, const XML_Char* name,
                                        XML_Encoding* info) {
  IconvHandle cd(name);
  if (!cd.valid()) return XML_STATUS_ERROR;
  for (int byte = 0; byte < 256; ++byte) {
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);  // reset shift state
    char in = static_cast<char>(byte);
    unsigned char out[8];
    char* in_ptr = &in;
    size_t in_left = 1;
    char* out_ptr = reinterpret_cast<char*>(out);
    size_t out_left = sizeof out;
    if (iconv(cd.get(), &in_ptr, &in_left, &out_ptr, &out_left) ==
        static_cast<size_t>(-1)) {
      if (errno == EINVAL) return XML_STATUS_ERROR;  // incomplete: multibyte
      info->map[byte] = -1;
      continue;
    }
    if (sizeof out - out_left != 4) {  // a shift code or a character pair
      info->map[byte] = -1;
      continue;
    }
    uint32_t code = uint32_t{out[0]} | uint32_t{out[1]} << 8 |
                    uint32_t{out[2]} << 16 | uint32_t{out[3]} << 24;
    info->map[byte] = code > 0xFFFF ? -1 : static_cast<int>(code);
  }
  info->data = nullptr;
  info->convert = nullptr;
  info->release = nullptr;
  return XML_STATUS_OK;
}

std::string open_error(const std::string& path, int err) {
  std::string text = "can't open file '" + path + "'";
  if (err != 0) {
    text += " (error " + std::to_string(err) + ": " + std::strerror(err) + ")";
  }
  return text;
}

class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

// Receives expat's callbacks and links the nodes into the document's arena.
// Open elements live on an explicit stack, each with its last child so that
// appending is constant time and no depth of nesting touches the C++ stack.
class XmlTreeBuilder {
 public:
  explicit XmlTreeBuilder(XmlDocument& doc)
      : doc_(doc), parser_(XML_ParserCreate(nullptr)) {}
  ~XmlTreeBuilder() {
    if (parser_ != nullptr) XML_ParserFree(parser_);
  }
  XmlTreeBuilder(const XmlTreeBuilder&) = delete;
  XmlTreeBuilder& operator=(const XmlTreeBuilder&) = delete;

  bool start(std::string& error) {
    if (parser_ == nullptr) {
      error = "XML parsing error: 'out of memory' at line 0";
      return false;
    }
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, on_start, on_end);
    XML_SetCharacterDataHandler(parser_, on_characters);
    XML_SetCommentHandler(parser_, on_comment);
    XML_SetCdataSectionHandler(parser_, on_cdata_start, on_cdata_end);
    XML_SetUnknownEncodingHandler(parser_, decode_single_byte_encoding,
                                  nullptr);
    // External entities and the DTD are never fetched: no external entity
    // handler is installed and parameter entities stay unparsed.
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    return true;
  }

  // Parses `bytes`, which expat copies into its own buffer a chunk at a time.
  bool feed_string(std::string_view bytes, std::string& error) {
    ContentDigest digest;
    digest.add(bytes);
    doc_.digest_ = digest.value();
    while (bytes.size() > kChunkSize) {
      if (!parse(XML_Parse(parser_, bytes.data(), static_cast<int>(kChunkSize),
                           XML_FALSE),
                 error)) {
        return false;
      }
      bytes.remove_prefix(kChunkSize);
    }
    return parse(XML_Parse(parser_, bytes.data(),
                           static_cast<int>(bytes.size()), XML_TRUE),
                 error);
  }

  // Reads the whole of `fd` straight into expat's buffer, chunk by chunk;
  // `size_hint` keeps the buffer small for a small file.
  bool feed_file(int fd, size_t size_hint, const std::string& path,
                 std::string& error) {
    const size_t chunk = std::clamp<size_t>(size_hint + 1, 4096, kChunkSize);
    ContentDigest digest;
    for (;;) {
      void* buffer = XML_GetBuffer(parser_, static_cast<int>(chunk));
      if (buffer == nullptr) return parse(XML_STATUS_ERROR, error);
      ssize_t got;
      do {
        got = read(fd, buffer, chunk);
      } while (got < 0 && errno == EINTR);
      if (got < 0) {
        error = open_error(path, errno);
        return false;
      }
      const bool last = got == 0;
      digest.add({static_cast<const char*>(buffer), static_cast<size_t>(got)});
      if (last) doc_.digest_ = digest.value();
      if (!parse(XML_ParseBuffer(parser_, static_cast<int>(got),
                                 last ? XML_TRUE : XML_FALSE),
                 error)) {
        return false;
      }
      if (last) return true;
    }
  }

 private:
  struct OpenElement {
    XmlNode* node;
    XmlNode* last_child;
  };

  bool parse(XML_Status status, std::string& error) {
    if (status == XML_STATUS_OK) return true;
    const XML_Error code =
        out_of_memory_ ? XML_ERROR_NO_MEMORY : XML_GetErrorCode(parser_);
    error = std::string("XML parsing error: '") + XML_ErrorString(code) +
            "' at line " + std::to_string(XML_GetCurrentLineNumber(parser_));
    return false;
  }

  // Element and attribute names come from a small vocabulary, so each
  // distinct name is stored once; a direct-mapped cache keyed by the first
  // two bytes finds most repeats in a single pass over the name.
  std::string_view intern(const char* name) {
    std::string_view& slot = names_[(static_cast<unsigned char>(name[0]) * 31u +
                                     static_cast<unsigned char>(name[1])) %
                                    names_.size()];
    size_t i = 0;
    while (i < slot.size() && name[i] == slot[i]) ++i;
    if (i == slot.size() && name[i] == '\0') return slot;
    const size_t length = std::strlen(name);
    char* copy = static_cast<char*>(doc_.arena_.allocate(length, 1));
    std::memcpy(copy, name, length);
    slot = {copy, length};
    return slot;
  }

  struct NodeBlock {
    XmlNode* node;
    XmlAttribute* attributes;
    char* chars;
  };

  // A node, its attributes and `char_count` bytes for its strings, taken
  // from the arena in one piece.
  NodeBlock new_node(XmlNodeType type, size_t attribute_count,
                     size_t char_count) {
    static_assert(sizeof(XmlNode) % alignof(XmlAttribute) == 0);
    const size_t attributes_size = attribute_count * sizeof(XmlAttribute);
    char* raw = static_cast<char*>(doc_.arena_.allocate(
        sizeof(XmlNode) + attributes_size + char_count, alignof(XmlNode)));
    NodeBlock block{new (raw) XmlNode{},
                    reinterpret_cast<XmlAttribute*>(raw + sizeof(XmlNode)),
                    raw + sizeof(XmlNode) + attributes_size};
    block.node->type = type;
    return block;
  }

  void append_content_node(XmlNodeType type, std::string_view content) {
    NodeBlock block = new_node(type, 0, content.size());
    if (!content.empty()) {
      std::memcpy(block.chars, content.data(), content.size());
    }
    block.node->content = {block.chars, content.size()};
    append(block.node);
  }

  void append(XmlNode* node) {
    OpenElement& parent = open_.back();
    if (parent.last_child == nullptr) {
      parent.node->first_child = node;
    } else {
      parent.last_child->next_sibling = node;
    }
    parent.last_child = node;
  }

  // Turns the character data gathered since the last markup into a node.
  void flush_text() {
    if (pending_.empty()) return;
    if (!is_xml_blank(pending_)) {
      append_content_node(XmlNodeType::kText, pending_);
    }
    pending_.clear();
  }

  void start_element(const XML_Char* name, const XML_Char** atts) {
    flush_text();
    const std::string_view element_name = intern(name);
    attributes_.clear();
    size_t value_chars = 0;
    for (const XML_Char** a = atts; *a != nullptr; a += 2) {
      attributes_.push_back({intern(a[0]), a[1]});
      value_chars += attributes_.back().value.size();
    }
    NodeBlock block =
        new_node(XmlNodeType::kElement, attributes_.size(), value_chars);
    block.node->name = element_name;
    char* chars = block.chars;
    for (size_t i = 0; i < attributes_.size(); ++i) {
      const std::string_view value = attributes_[i].value;
      if (!value.empty()) std::memcpy(chars, value.data(), value.size());
      new (&block.attributes[i])
          XmlAttribute{attributes_[i].name, {chars, value.size()}};
      chars += value.size();
    }
    if (!attributes_.empty()) {
      block.node->attributes = {block.attributes, attributes_.size()};
    }
    if (open_.empty()) {
      doc_.root_ = block.node;
    } else {
      append(block.node);
    }
    open_.push_back({block.node, nullptr});
  }

  void end_element() {
    flush_text();
    open_.pop_back();
  }

  void comment(const XML_Char* text) {
    if (open_.empty()) return;  // only the root element's content counts
    flush_text();
    append_content_node(XmlNodeType::kComment, text);
  }

  // The section's characters were gathered like text, but a section is a
  // node of its own even when empty or blank.
  void end_cdata() {
    append_content_node(XmlNodeType::kCData, pending_);
    pending_.clear();
  }

  // Expat is C: an exception must not unwind through it, so running out of
  // memory stops the parser and becomes an error like any other.
  template <typename Body>
  static void guarded(void* data, Body body) {
    auto& self = *static_cast<XmlTreeBuilder*>(data);
    try {
      body(self);
    } catch (const std::bad_alloc&) {
      self.out_of_memory_ = true;
      XML_StopParser(self.parser_, XML_FALSE);
    }
  }

  static void XMLCALL on_start(void* data, const XML_Char* name,
                               const XML_Char** atts) {
    guarded(data, [&](XmlTreeBuilder& b) { b.start_element(name, atts); });
  }
  static void XMLCALL on_end(void* data, const XML_Char* /*name*/) {
    guarded(data, [](XmlTreeBuilder& b) { b.end_element(); });
  }
  static void XMLCALL on_characters(void* data, const XML_Char* text,
                                    int length) {
    guarded(data, [&](XmlTreeBuilder& b) {
      b.pending_.append(text, static_cast<size_t>(length));
    });
  }
  static void XMLCALL on_comment(void* data, const XML_Char* text) {
    guarded(data, [&](XmlTreeBuilder& b) { b.comment(text); });
  }
  static void XMLCALL on_cdata_start(void* data) {
    guarded(data, [](XmlTreeBuilder& b) { b.flush_text(); });
  }
  static void XMLCALL on_cdata_end(void* data) {
    guarded(data, [](XmlTreeBuilder& b) { b.end_cdata(); });
  }

  XmlDocument& doc_;
  XML_Parser parser_;
  std::vector<OpenElement> open_;
  std::string pending_;  // character data not yet made into a node
  std::vector<XmlAttribute> attributes_;  // the current start tag's, unstored
  std::array<std::string_view, 64> names_{};
  bool out_of_memory_ = false;
};

bool load_xml_string(std::string_view bytes, XmlDocument& doc,
                     std::string& error) {
  XmlTreeBuilder builder(doc);
  return builder.start(error) && builder.feed_string(bytes, error);
}

bool load_xml_file(const std::string& path, XmlDocument& doc,
                   std::string& error) {
  // Non-blocking, so that a FIFO is refused below instead of waiting for a
  // writer; reads of a regular file are unaffected.
  FileHandle file(
      open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0) {
    error = open_error(path, errno);
    return false;
  }
  struct stat info;
  if (fstat(file.get(), &info) != 0) {
    error = open_error(path, errno);
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    error = open_error(path, S_ISDIR(info.st_mode) ? EISDIR : 0);
    return false;
  }
  XmlTreeBuilder builder(doc);
  return builder.start(error) &&
         builder.feed_file(file.get(), static_cast<size_t>(info.st_size), path,
                           error);
}

}  // namespace marovel
