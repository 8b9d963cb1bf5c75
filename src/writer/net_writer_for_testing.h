// What tests, the fuzzers and the benchmark reach of the writer beyond
// write_reduced_net(): the document written to any stream, and the scan of
// a document already in memory that stands for the scan of a changed input.
#ifndef MAROVEL_WRITER_NET_WRITER_FOR_TESTING_H_
#define MAROVEL_WRITER_NET_WRITER_FOR_TESTING_H_

#include <ostream>
#include <string_view>

#include "base/run_both.h"
#include "base/status.h"
#include "model/net_model.h"
#include "netfile/input_net.h"
#include "xml/xml_document.h"

namespace marovel {

// Streams the reduced net document to `xml`, with `date` as its generation
// date; nothing is written when a check fails. Does not report a failing
// `xml` stream. `input` must hold the index of its members by `model`'s
// names, as read_net() or scan_for_writing() leave it.
// On a large net, the edge list is laid out on a second core.
Status write_reduced_document(const InputNet& input, const NetModel& model,
                              std::string_view date, std::ostream& members_out,
                              std::ostream& xml, TwoCores cores = {});

// Scans `doc` for what the writer needs and indexes its members by `names`,
// as write_reduced_net() scans an input that changed since it was read.
void scan_for_writing(const XmlDocument& doc, const NameTable& names,
                      InputNet& input);

}  // namespace marovel

#endif  // MAROVEL_WRITER_NET_WRITER_FOR_TESTING_H_
