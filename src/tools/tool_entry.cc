#include "tools/tool_entry.h"

#include <exception>
#include <new>

namespace marovel {

int tool_entry(std::string_view command, ToolFunction run, int argc,
               char** argv, std::ostream& out, std::ostream& err) {
  try {
    return run({argv + 1, argv + argc}, out, err);
  } catch (const std::bad_alloc&) {
    err << command << ": out of memory\n";
  } catch (const std::exception& e) {
    err << command << ": " << e.what() << "\n";
  }
  return 1;
}

}  // namespace marovel
