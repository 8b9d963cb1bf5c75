#include "reduce/reduction_log.h"

#include <ostream>
#include <string>

namespace marovel {

void write_log_line(std::ostream* log, char rule, const NameTable& names,
                    std::initializer_list<NameId> nodes) {
  if (log == nullptr) return;
  std::string line(1, rule);
  line += ':';
  const char* separator = "";
  for (const NameId node : nodes) {
    line += separator;
    line += names[node];
    separator = ",";
  }
  line += " reduced\n";
  log->write(line.data(), static_cast<std::streamsize>(line.size()));
}

}  // namespace marovel
