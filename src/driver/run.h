// The run sequence of marovel: command line, input check, names, settings,
// then read, reduce and write. Returns the process exit status: 1 when the
// reduced net was written (and after -h), 2 when the run got past the input
// check but wrote no reduced net, -1 when it refused to start.
#ifndef MAROVEL_DRIVER_RUN_H_
#define MAROVEL_DRIVER_RUN_H_

#include <ostream>

namespace marovel {

// Messages go to `out`; `-v`'s summary and the failures that have no
// message of their own go to `err`; the library's parser and logging use
// standard error.
int run_marovel(int argc, char** argv, std::ostream& out, std::ostream& err);

// The status of a run that got past the input check and failed.
inline constexpr int kFailedRunStatus = 2;

}  // namespace marovel

#endif  // MAROVEL_DRIVER_RUN_H_
