// Reads a net document into an empty NetModel. On the first fault the
// reader prints that fault's message on `out` and returns false; what it
// entered before stays in the model. A model read without a fault is closed
// and mirrored: every arc is entered on both of its sides.
#ifndef MAROVEL_READER_NET_READER_H_
#define MAROVEL_READER_NET_READER_H_

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "model/net_model.h"
#include "reader/input_document.h"
#include "xml/xml_document.h"

namespace marovel {

// Loads the file at `path` (native bytes) and reads it.
bool read_net(const std::string& path, NetModel& model, std::ostream& out);

// The same, keeping the loaded document and its element index in the fresh
// `input` for the writer.
bool read_net(const std::string& path, NetModel& model, InputDocument& input,
              std::ostream& out);

// Reads an already loaded document. When `elements` is given and the read
// succeeds, it is set to the document's element index over the model's
// names.
bool read_net_document(const XmlDocument& doc, NetModel& model,
                       std::ostream& out, ElementIndex* elements = nullptr);

// A `multiplicity` value: optional leading white space, an optional sign,
// decimal digits and nothing else, within the signed 32-bit range.
std::optional<int32_t> parse_multiplicity(std::string_view text);

// The first child of `parent` that is an element named `name`, or nullptr.
const XmlNode* find_child_element(const XmlNode* parent, std::string_view name);

}  // namespace marovel

#endif  // MAROVEL_READER_NET_READER_H_
