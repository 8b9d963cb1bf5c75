// The net2pnml command: turns a marovel net file, input or reduced, into a
// PNML place/transition net. Exit statuses: 0 written, 1 refused or failed
// (no output file then), 2 a rejected command line.
#ifndef MAROVEL_TOOLS_NET2PNML_H_
#define MAROVEL_TOOLS_NET2PNML_H_

#include <ostream>
#include <string>
#include <vector>

namespace marovel {

// `args` are the arguments after the program name. The usage and the
// summary go to `out`, every error to `err`.
int run_net2pnml(const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err);

}  // namespace marovel

#endif  // MAROVEL_TOOLS_NET2PNML_H_
