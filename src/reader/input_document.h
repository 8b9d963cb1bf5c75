// The input file as the reader loaded it, kept for the writer: while the file
// still holds the bytes it was loaded from, the writer copies elements from
// this document instead of loading the file again.
#ifndef MAROVEL_READER_INPUT_DOCUMENT_H_
#define MAROVEL_READER_INPUT_DOCUMENT_H_

#include <vector>

#include "xml/xml_document.h"

namespace marovel {

// By name id, the first element of each input list that bears that name;
// null for the names a list lacks.
struct ElementIndex {
  std::vector<const XmlNode*> places;
  std::vector<const XmlNode*> transitions;
};

struct InputDocument {
  XmlDocument document;
  ElementIndex elements;
};

}  // namespace marovel

#endif  // MAROVEL_READER_INPUT_DOCUMENT_H_
