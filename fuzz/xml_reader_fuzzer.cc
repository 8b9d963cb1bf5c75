// Fuzzes the XML layer and the net reader: the input is a file's content.
// Both ways of loading (from a file and from memory) must agree, and a read
// that fails must have said why.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "model/net_model.h"
#include "reader/net_reader_for_testing.h"
#include "xml/xml_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace marovel;
  const fuzz::MemoryFile file(data, size);
  XmlDocument from_file;
  const Status file_loaded = load_xml_file(file.path(), from_file);

  XmlDocument from_memory;
  const Status memory_loaded =
      load_xml_string({reinterpret_cast<const char*>(data), size}, from_memory);
  if (file_loaded.ok() != memory_loaded.ok()) std::abort();
  if (!file_loaded.ok()) {
    if (file_loaded.message().rfind("XML parsing error: '", 0) != 0)
      std::abort();
    return 0;
  }

  NetModel model;
  const Status read = read_net_document(from_file, model);
  if (!read.ok() && read.message().empty()) std::abort();
  return 0;
}
