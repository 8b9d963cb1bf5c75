// What tests, the fuzzers and the benchmark reach of the reader beyond
// read_net(): reading a document already in memory, with no file.
#ifndef MAROVEL_READER_NET_READER_FOR_TESTING_H_
#define MAROVEL_READER_NET_READER_FOR_TESTING_H_

#include "base/run_both.h"
#include "base/status.h"
#include "model/net_model.h"
#include "netfile/input_net.h"
#include "xml/xml_document.h"

namespace marovel {

// Reads a document already loaded, as read_net() reads a file.
Status read_net_document(const XmlDocument& doc, NetModel& model,
                         InputNet* input = nullptr, TwoCores cores = {});

}  // namespace marovel

#endif  // MAROVEL_READER_NET_READER_FOR_TESTING_H_
