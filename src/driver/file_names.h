// How the output and log names follow from the input name, and the checks
// that the entry point makes on files before the net is read.
#ifndef MAROVEL_DRIVER_FILE_NAMES_H_
#define MAROVEL_DRIVER_FILE_NAMES_H_

#include <wx/filename.h>

#include <string>

namespace marovel {

// nets/a.b.xml gives nets/a.b_reduced.xml; net gives net_reduced.xml.
wxFileName derive_output_name(const wxFileName& input);
// nets/a.b.xml gives nets/a.b.log; net gives net.log.
wxFileName derive_log_name(const wxFileName& input);

// True when `path` is an existing regular file that opens for reading.
bool is_readable_regular_file(const std::string& path);

// True when both paths name one existing file, or are the same text.
bool same_file(const std::string& a, const std::string& b);

}  // namespace marovel

#endif  // MAROVEL_DRIVER_FILE_NAMES_H_
