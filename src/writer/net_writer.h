// Writes the reduced net: the element of every surviving node copied from the
// input file as the scan kept it, with the input nodes it absorbed, a header,
// and one edge per distinct arc of the model.
#ifndef MAROVEL_WRITER_NET_WRITER_H_
#define MAROVEL_WRITER_NET_WRITER_H_

#include <ostream>
#include <string>

#include "base/safe_file.h"
#include "base/status.h"
#include "base/two_cores.h"
#include "model/net_model.h"
#include "netfile/input_net.h"

namespace marovel {

// Saves the reduced net at `output_path` so that the file is either complete
// or left as it was. The elements come from `read`, what the reader kept of
// `input_path`, while the file still holds the same bytes, and from the
// file scanned again otherwise; an empty `input_path` says the net was read
// from memory, and `read` (then required) serves as it is. The member names
// of every merged transition go to `members_out` as they are met. Fails
// with the first fault's message, before anything reaches the output; a
// failed save is a kWriteFailed with the system's reason and error number.
// `signals` is the SafeFile's: a library leaves the process's alone.
Status write_reduced_net(const std::string& input_path,
                         const std::string& output_path, const NetModel& model,
                         std::ostream& members_out,
                         const InputNet* read = nullptr, TwoCores cores = {},
                         SafeFile::Signals signals = SafeFile::Signals::kGuard);

// The same document, with the same checks, written on `xml` instead of a
// file; a failing `xml` is not reported.
Status write_reduced_text(const std::string& input_path, std::ostream& xml,
                          const NetModel& model, std::ostream& members_out,
                          const InputNet* read, TwoCores cores = {});

// Indexes the members of `input` by `names`: the first member of each list
// bearing each name, names the table lacks left out.
void index_members(InputNet& input, const NameTable& names);

// The local time in the C library's "%c" form.
std::string current_date_text();

}  // namespace marovel

#endif  // MAROVEL_WRITER_NET_WRITER_H_
