// The reduction log: one line per rule application, the rule's letter and a
// colon, the names of the nodes involved separated by commas, then
// " reduced". A null stream means the log is off.
#ifndef MAROVEL_REDUCE_REDUCTION_LOG_H_
#define MAROVEL_REDUCE_REDUCTION_LOG_H_

#include <iosfwd>
#include <string>

#include "model/name_table.h"
#include "reduce/rule.h"

namespace marovel {

// The line of `application`, its line feed included.
std::string log_line(const Application& application, const NameTable& names);

// Writes the whole line in one piece, so a run that stops at any point
// leaves only complete lines behind.
void write_log_line(std::ostream* log, const Application& application,
                    const NameTable& names);

}  // namespace marovel

#endif  // MAROVEL_REDUCE_REDUCTION_LOG_H_
