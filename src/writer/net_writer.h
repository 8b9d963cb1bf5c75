// Writes the reduced net: the element of every surviving node copied from the
// input document, with the input nodes it absorbed, a header, and one edge
// per distinct arc of the model.
#ifndef MAROVEL_WRITER_NET_WRITER_H_
#define MAROVEL_WRITER_NET_WRITER_H_

#include <ostream>
#include <string>
#include <string_view>

#include "base/status.h"
#include "model/net_model.h"
#include "netfile/net_file.h"
#include "xml/xml_document.h"

namespace marovel {

// Saves the reduced net at `output_path` so that the file is either complete
// or left as it was. The elements come from `read`, the document the reader
// loaded from `input_path`, while the file still holds the same bytes, and
// from the file loaded again otherwise. The member names of every merged
// transition go to `members_out` as they are met. Fails with the first
// fault's message, before anything reaches the output.
Status write_reduced_net(const std::string& input_path,
                         const std::string& output_path, const NetModel& model,
                         std::ostream& members_out,
                         const InputDocument* read = nullptr);

// Streams the reduced net document to `xml`, with `date` as its generation
// date; nothing is written when a check fails. Does not report a failing
// `xml` stream. `elements`, when given, must be the index the reader made of
// `input` for `model`'s names.
Status write_reduced_document(const XmlDocument& input, const NetModel& model,
                              std::string_view date, std::ostream& members_out,
                              std::ostream& xml,
                              const ElementIndex* elements = nullptr);

// The local time in the C library's "%c" form.
std::string current_date_text();

}  // namespace marovel

#endif  // MAROVEL_WRITER_NET_WRITER_H_
