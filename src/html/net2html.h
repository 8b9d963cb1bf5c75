// The net2html command: reduces a marovel net file or a PNML file through
// the library and writes one self-contained HTML page that replays the
// reduction step by step. Exit statuses: 0 written, 1 refused or failed (no
// output file then), 2 a rejected command line.
#ifndef MAROVEL_HTML_NET2HTML_H_
#define MAROVEL_HTML_NET2HTML_H_

#include <ostream>
#include <string>
#include <vector>

namespace marovel {

// `args` are the arguments after the program name. The usage and the
// summary go to `out`, every error to `err`.
int run_net2html(const std::vector<std::string>& args, std::ostream& out,
                 std::ostream& err);

}  // namespace marovel

#endif  // MAROVEL_HTML_NET2HTML_H_
