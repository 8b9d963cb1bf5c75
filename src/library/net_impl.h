// What a marovel::Net holds: the model the rules work on and what the scan
// kept of the input for the writer, with the file it came from.
#ifndef MAROVEL_LIBRARY_NET_IMPL_H_
#define MAROVEL_LIBRARY_NET_IMPL_H_

#include <string>

#include "marovel/marovel.h"
#include "model/net_model.h"
#include "netfile/input_net.h"

namespace marovel {

struct Net::Impl {
  // The net file read, whose elements the writer copies while it holds the
  // bytes read and scans again once it has changed; empty for a net read
  // from memory or built in code, whose `input` serves as it is.
  std::string path;
  InputNet input;
  NetModel model;
  // Every model read or built is, and every complete run leaves it so: the
  // indexed engine may serve without a check.
  bool closed_and_mirrored = true;
};

}  // namespace marovel

#endif  // MAROVEL_LIBRARY_NET_IMPL_H_
