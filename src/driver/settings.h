// What the entry point decides before the net is read; read-only afterwards.
#ifndef MAROVEL_DRIVER_SETTINGS_H_
#define MAROVEL_DRIVER_SETTINGS_H_

#include <wx/filename.h>

#include <cstdint>
#include <fstream>

#include "reduce/rule_set.h"

namespace marovel {

struct Settings {
  RuleSet rules;
  int32_t max_steps = 2000000;
  bool log_enabled = false;
  std::ofstream reduction_log;
  wxFileName output_file_name;
};

}  // namespace marovel

#endif  // MAROVEL_DRIVER_SETTINGS_H_
