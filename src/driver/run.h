// The run sequence of marovel: command line, input check, names, settings,
// then read, reduce and write. Returns the process exit status.
#ifndef MAROVEL_DRIVER_RUN_H_
#define MAROVEL_DRIVER_RUN_H_

#include <ostream>

namespace marovel {

// Messages go to `out`; the library's parser and logging use standard error.
int run_marovel(int argc, char** argv, std::ostream& out);

}  // namespace marovel

#endif  // MAROVEL_DRIVER_RUN_H_
