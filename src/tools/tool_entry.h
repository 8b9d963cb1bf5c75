// The body of a companion command's main(): runs the command and turns an
// exception that escapes it into one line on standard error and exit status
// 1, so that running out of memory ends in a message rather than a crash.
#ifndef MAROVEL_TOOLS_TOOL_ENTRY_H_
#define MAROVEL_TOOLS_TOOL_ENTRY_H_

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace marovel {

using ToolFunction = int (*)(const std::vector<std::string>& args,
                             std::ostream& out, std::ostream& err);

// Calls `run` with the arguments after the program name and returns its
// status. std::bad_alloc is reported on `err` as "<command>: out of memory",
// any other std::exception as "<command>: <what()>", both with status 1.
int tool_entry(std::string_view command, ToolFunction run, int argc,
               char** argv, std::ostream& out, std::ostream& err);

}  // namespace marovel

#endif  // MAROVEL_TOOLS_TOOL_ENTRY_H_
