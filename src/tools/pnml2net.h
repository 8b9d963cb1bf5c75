// The pnml2net command: converts a PNML place/transition net into a marovel
// net file. Exit statuses: 0 converted, 1 refused or failed (no output file
// then), 2 a rejected command line.
#ifndef MAROVEL_TOOLS_PNML2NET_H_
#define MAROVEL_TOOLS_PNML2NET_H_

#include <ostream>
#include <string>
#include <vector>

namespace marovel {

// `args` are the arguments after the program name. The usage and the
// summary of a conversion go to `out`, every error to `err`.
int run_pnml2net(const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err);

}  // namespace marovel

#endif  // MAROVEL_TOOLS_PNML2NET_H_
