// Writes the reduced net: the input document is loaded again and the element
// of every surviving node copied from it, with the input nodes it absorbed,
// a header, and one edge per distinct arc of the model.
#ifndef MAROVEL_WRITER_NET_WRITER_H_
#define MAROVEL_WRITER_NET_WRITER_H_

#include <ostream>
#include <string>
#include <string_view>

#include "model/net_model.h"
#include "reader/input_document.h"
#include "xml/xml_document.h"

namespace marovel {

// Prints the map sizes, reloads `input_path` and saves the reduced net at
// `output_path` so that the file is either complete or left as it was.
// Messages go to `out`; returns false after the first failure. When `read`
// holds the document the reader loaded from `input_path` and the file still
// holds the same bytes, that document serves instead of a reload.
bool write_reduced_net(const std::string& input_path,
                       const std::string& output_path, const NetModel& model,
                       std::ostream& out, const InputDocument* read = nullptr);

// Streams the reduced net document to `xml`, with `date` as its generation
// date. Prints the member names of merged transitions and any failure on
// `out`; returns false on a failure, after which `xml` holds a partial
// document. Does not report a failing `xml` stream. `elements`, when given,
// must be the index the reader made of `input` for `model`'s names.
bool write_reduced_document(const XmlDocument& input, const NetModel& model,
                            std::string_view date, std::ostream& out,
                            std::ostream& xml,
                            const ElementIndex* elements = nullptr);

// The local time in the C library's "%c" form.
std::string current_date_text();

}  // namespace marovel

#endif  // MAROVEL_WRITER_NET_WRITER_H_
