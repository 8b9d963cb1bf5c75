#include <iostream>

#include "tools/net2dot.h"
#include "tools/tool_entry.h"

int main(int argc, char** argv) {
  return marovel::tool_entry("net2dot", marovel::run_net2dot, argc, argv,
                             std::cout, std::cerr);
}
