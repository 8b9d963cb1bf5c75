#include <iostream>

#include "html/net2html.h"
#include "tools/tool_entry.h"

#if defined(__SANITIZE_ADDRESS__)
// Graphviz's layout keeps one buffer of its own to the end of the process
// (about 3.6 kB, allocated inside libgvc); the sanitized builds' leak check
// is not to fail net2html for it.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libgvc.so\nleak:libcgraph.so\n";
}
extern "C" const char* __lsan_default_options() {
  return "print_suppressions=0";
}
#endif

int main(int argc, char** argv) {
  return marovel::tool_entry("net2html", marovel::run_net2html, argc, argv,
                             std::cout, std::cerr);
}
