// The floor a full run is measured against: expat alone over a net file,
// with a start-element handler that does nothing and no other handler, fed
// in 4 MiB pieces read from one descriptor straight into expat's buffer.
//
//   bare_parse FILE
//
// Exits with 0 when the document is well-formed, 1 when it is not or cannot
// be read (with a message on standard error), 2 on a wrong command line.
#include <expat.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

namespace {

constexpr int kPiece = 4 << 20;

void XMLCALL on_start(void* /*data*/, const XML_Char* /*name*/,
                      const XML_Char** /*attributes*/) {}

// Parses the whole of `fd`; says why on standard error when it fails.
bool parse_all(XML_Parser parser, int fd, const char* path) {
  for (;;) {
    void* buffer = XML_GetBuffer(parser, kPiece);
    if (buffer == nullptr) {
      std::cerr << path << ": no memory for the parser's buffer\n";
      return false;
    }
    ssize_t got;
    do {
      got = read(fd, buffer, kPiece);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
      std::cerr << path << ": " << std::strerror(errno) << '\n';
      return false;
    }
    const bool last = got == 0;
    if (XML_ParseBuffer(parser, static_cast<int>(got),
                        last ? XML_TRUE : XML_FALSE) != XML_STATUS_OK) {
      std::cerr << path << ": " << XML_ErrorString(XML_GetErrorCode(parser))
                << " at line " << XML_GetCurrentLineNumber(parser) << '\n';
      return false;
    }
    if (last) return true;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: bare_parse FILE\n";
    return 2;
  }
  const int fd = open(argv[1], O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    std::cerr << argv[1] << ": " << std::strerror(errno) << '\n';
    return 1;
  }
  XML_Parser parser = XML_ParserCreate(nullptr);
  bool parsed = false;
  if (parser == nullptr) {
    std::cerr << argv[1] << ": no memory for the parser\n";
  } else {
    XML_SetStartElementHandler(parser, on_start);
    parsed = parse_all(parser, fd, argv[1]);
    XML_ParserFree(parser);
  }
  close(fd);
  return parsed ? 0 : 1;
}
