#include "driver/file_names.h"

namespace marovel {

wxFileName derive_output_name(const wxFileName& input) {
  wxFileName output = input;
  output.SetName(input.GetName() + "_reduced");
  if (output.HasExt()) output.ClearExt();
  output.SetExt("xml");
  return output;
}

wxFileName derive_log_name(const wxFileName& input) {
  wxFileName log = input;
  if (log.HasExt()) log.ClearExt();
  log.SetExt("log");
  return log;
}

}  // namespace marovel
