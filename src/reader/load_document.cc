#include "reader/load_document.h"

#include <wx/log.h>

namespace marovel {

bool load_document(const std::string& path, XmlDocument& doc) {
  std::string error;
  if (load_xml_file(path, doc, error)) return true;
  wxLogError("%s", wxString::FromUTF8(error.data(), error.size()));
  return false;
}

}  // namespace marovel
