#include "reduce/reduction_log.h"

#include <ostream>

#include "reduce/rule_table.h"

namespace marovel {

std::string log_line(const Application& application, const NameTable& names) {
  std::string line(1, rule_letter(application.rule));
  line += ':';
  const char* separator = "";
  for (const NameId node : application.names.names()) {
    line += separator;
    line += names[node];
    separator = ",";
  }
  line += " reduced\n";
  return line;
}

void write_log_line(std::ostream* log, const Application& application,
                    const NameTable& names) {
  if (log == nullptr) return;
  const std::string line = log_line(application, names);
  log->write(line.data(), static_cast<std::streamsize>(line.size()));
}

}  // namespace marovel
