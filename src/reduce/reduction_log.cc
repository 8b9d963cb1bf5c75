#include "reduce/reduction_log.h"

#include <ostream>
#include <string>

namespace marovel {

void write_log_line(std::ostream* log, char rule,
                    std::initializer_list<std::string_view> names) {
  if (log == nullptr) return;
  std::string line(1, rule);
  line += ':';
  const char* separator = "";
  for (std::string_view name : names) {
    line += separator;
    line += name;
    separator = ",";
  }
  line += " reduced\n";
  log->write(line.data(), static_cast<std::streamsize>(line.size()));
}

}  // namespace marovel
