// How the output and log names follow from the input name.
#ifndef MAROVEL_DRIVER_FILE_NAMES_H_
#define MAROVEL_DRIVER_FILE_NAMES_H_

#include <wx/filename.h>

namespace marovel {

// nets/a.b.xml gives nets/a.b_reduced.xml; net gives net_reduced.xml.
wxFileName derive_output_name(const wxFileName& input);
// nets/a.b.xml gives nets/a.b.log; net gives net.log.
wxFileName derive_log_name(const wxFileName& input);

}  // namespace marovel

#endif  // MAROVEL_DRIVER_FILE_NAMES_H_
