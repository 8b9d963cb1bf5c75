#include "xml/xml_parser.h"

#include <expat.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

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
// ISO-8859-2 and the like) by asking iconv what each of the 256 bytes means
// alone: from a fresh state, then flushing whatever the converter holds
// back (for windows-1255 and windows-1258 it keeps a base letter, waiting
// for a combining mark that could join it). A byte that decodes to nothing,
// or to more than one character, maps to -1, which expat rejects if it ever
// occurs. An encoding in which some byte is only the start of a sequence is
// multibyte and refused, as is one iconv doesn't know.
int XMLCALL decode_single_byte_encoding(void* /*data*/, const XML_Char* name,
                                        XML_Encoding* info) {
  IconvHandle cd(name);
  if (!cd.valid()) return XML_STATUS_ERROR;
  for (int byte = 0; byte < 256; ++byte) {
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);  // a fresh state
    char in = static_cast<char>(byte);
    unsigned char out[16];
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
    if (iconv(cd.get(), nullptr, nullptr, &out_ptr, &out_left) ==
            static_cast<size_t>(-1) ||
        sizeof out - out_left != 4) {  // nothing, or a character pair
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

Status open_error(const std::string& path, int err) {
  std::string text = "can't open file '" + path + "'";
  if (err != 0) {
    text += " (error " + std::to_string(err) + ": " + std::strerror(err) + ")";
  }
  return Status::error(Status::Code::kIoError, std::move(text), {}, err);
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

// Runs expat over the input and turns its callbacks into the handler's:
// character data is gathered until the next piece of markup, and expat is
// told to skip it altogether while the handler does not want it.
class ExpatDriver {
 public:
  explicit ExpatDriver(XmlContentHandler& handler)
      : handler_(handler), parser_(XML_ParserCreate(nullptr)) {}
  ~ExpatDriver() {
    if (parser_ != nullptr) XML_ParserFree(parser_);
  }
  ExpatDriver(const ExpatDriver&) = delete;
  ExpatDriver& operator=(const ExpatDriver&) = delete;

  void start() {
    if (parser_ == nullptr) throw std::bad_alloc();
    XML_SetUserData(parser_, this);
    XML_SetElementHandler(parser_, on_start, on_end);
    XML_SetUnknownEncodingHandler(parser_, decode_single_byte_encoding,
                                  nullptr);
    // External entities and the DTD are never fetched: no external entity
    // handler is installed and parameter entities stay unparsed.
    XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    follow_handler();
  }

  // Parses `bytes`, which expat copies into its own buffer a chunk at a time.
  Status feed_string(std::string_view bytes) {
    while (bytes.size() > kChunkSize) {
      if (Status status = parse(XML_Parse(
              parser_, bytes.data(), static_cast<int>(kChunkSize), XML_FALSE));
          !status.ok())
        return status;
      bytes.remove_prefix(kChunkSize);
    }
    return parse(XML_Parse(parser_, bytes.data(),
                           static_cast<int>(bytes.size()), XML_TRUE));
  }

  // Reads the whole of `fd` straight into expat's buffer, chunk by chunk;
  // `size_hint` keeps the buffer small for a small file.
  Status feed_file(int fd, size_t size_hint, const std::string& path,
                   ContentDigest* digest) {
    const size_t chunk = std::clamp<size_t>(size_hint + 1, 4096, kChunkSize);
    for (;;) {
      void* buffer = XML_GetBuffer(parser_, static_cast<int>(chunk));
      if (buffer == nullptr) return parse(XML_STATUS_ERROR);
      ssize_t got;
      do {
        got = read(fd, buffer, chunk);
      } while (got < 0 && errno == EINTR);
      if (got < 0) return open_error(path, errno);
      const bool last = got == 0;
      if (digest != nullptr)
        digest->add(
            {static_cast<const char*>(buffer), static_cast<size_t>(got)});
      if (Status status = parse(XML_ParseBuffer(parser_, static_cast<int>(got),
                                                last ? XML_TRUE : XML_FALSE));
          !status.ok() || last)
        return status;
    }
  }

 private:
  // Running out of memory, in expat or in a handler, is no fault of the
  // document: it goes on as std::bad_alloc, for the entry point to report.
  Status parse(XML_Status status) {
    if (status == XML_STATUS_OK) return Status();
    const XML_Error code =
        out_of_memory_ ? XML_ERROR_NO_MEMORY : XML_GetErrorCode(parser_);
    if (code == XML_ERROR_NO_MEMORY) throw std::bad_alloc();
    return Status::error(Status::Code::kIoError,
                         std::string("XML parsing error: '") +
                             XML_ErrorString(code) + "' at line " +
                             std::to_string(XML_GetCurrentLineNumber(parser_)));
  }

  // Installs the content callbacks while the handler wants content and
  // removes them while it does not: without them expat passes over
  // character data without copying or reporting it.
  void follow_handler() {
    const XmlInterest interest = handler_.interest();
    skipping_ = interest == XmlInterest::kNothing;
    const bool wanted = interest == XmlInterest::kEverything;
    if (wanted == content_wanted_) return;
    content_wanted_ = wanted;
    XML_SetCharacterDataHandler(parser_, wanted ? on_characters : nullptr);
    XML_SetCommentHandler(parser_, wanted ? on_comment : nullptr);
    XML_SetCdataSectionHandler(parser_, wanted ? on_cdata_start : nullptr,
                               wanted ? on_cdata_end : nullptr);
  }

  // Hands on the character data gathered since the last markup.
  void flush_text() {
    if (pending_.empty()) return;
    if (!is_xml_blank(pending_)) handler_.content(XmlNodeType::kText, pending_);
    pending_.clear();
  }

  void start_element(const XML_Char* name, const XML_Char** atts) {
    if (skipping_) {
      ++skipped_depth_;
      return;
    }
    flush_text();
    attributes_.clear();
    for (const XML_Char** a = atts; *a != nullptr; a += 2) {
      attributes_.push_back({a[0], a[1]});
    }
    handler_.start_element(name, attributes_);
    ++depth_;
    follow_handler();
  }

  void end_element() {
    if (skipped_depth_ > 0) {
      --skipped_depth_;
      return;
    }
    flush_text();
    handler_.end_element();
    --depth_;
    follow_handler();
  }

  void comment(const XML_Char* text) {
    if (depth_ == 0) return;  // only the root element's content counts
    flush_text();
    handler_.content(XmlNodeType::kComment, text);
  }

  // The section's characters were gathered like text, but a section is a
  // node of its own even when empty or blank.
  void end_cdata() {
    handler_.content(XmlNodeType::kCData, pending_);
    pending_.clear();
  }

  // Expat is C: an exception must not unwind through it, so running out of
  // memory stops the parser and becomes an error like any other.
  template <typename Body>
  static void guarded(void* data, Body body) {
    auto& self = *static_cast<ExpatDriver*>(data);
    try {
      body(self);
    } catch (const std::bad_alloc&) {
      self.out_of_memory_ = true;
      XML_StopParser(self.parser_, XML_FALSE);
    }
  }

  static void XMLCALL on_start(void* data, const XML_Char* name,
                               const XML_Char** atts) {
    guarded(data, [&](ExpatDriver& d) { d.start_element(name, atts); });
  }
  static void XMLCALL on_end(void* data, const XML_Char* /*name*/) {
    guarded(data, [](ExpatDriver& d) { d.end_element(); });
  }
  static void XMLCALL on_characters(void* data, const XML_Char* text,
                                    int length) {
    guarded(data, [&](ExpatDriver& d) {
      d.pending_.append(text, static_cast<size_t>(length));
    });
  }
  static void XMLCALL on_comment(void* data, const XML_Char* text) {
    guarded(data, [&](ExpatDriver& d) { d.comment(text); });
  }
  static void XMLCALL on_cdata_start(void* data) {
    guarded(data, [](ExpatDriver& d) { d.flush_text(); });
  }
  static void XMLCALL on_cdata_end(void* data) {
    guarded(data, [](ExpatDriver& d) { d.end_cdata(); });
  }

  XmlContentHandler& handler_;
  XML_Parser parser_;
  size_t depth_ = 0;
  bool content_wanted_ = false;  // whether the content callbacks are set
  bool skipping_ = false;     // the rest of the innermost element is unwanted
  size_t skipped_depth_ = 0;  // elements open inside what is skipped
  std::string pending_;       // character data not yet handed on
  std::vector<XmlAttribute> attributes_;  // the current start tag's
  bool out_of_memory_ = false;
};

}  // namespace

Status parse_xml_string(std::string_view bytes, XmlContentHandler& handler) {
  ExpatDriver driver(handler);
  driver.start();
  return driver.feed_string(bytes);
}

Status parse_xml_file(const std::string& path, XmlContentHandler& handler,
                      ContentDigest* digest) {
  // Non-blocking, so that a FIFO is refused below instead of waiting for a
  // writer; reads of a regular file are unaffected.
  FileHandle file(
      open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0) return open_error(path, errno);
  struct stat info;
  if (fstat(file.get(), &info) != 0) return open_error(path, errno);
  if (!S_ISREG(info.st_mode))
    return open_error(path, S_ISDIR(info.st_mode) ? EISDIR : 0);
  ExpatDriver driver(handler);
  driver.start();
  return driver.feed_file(file.get(), static_cast<size_t>(info.st_size), path,
                          digest);
}

}  // namespace marovel
