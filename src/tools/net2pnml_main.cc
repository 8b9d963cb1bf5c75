#include <iostream>

#include "tools/net2pnml.h"
#include "tools/tool_entry.h"

int main(int argc, char** argv) {
  return marovel::tool_entry("net2pnml", marovel::run_net2pnml, argc, argv,
                             std::cout, std::cerr);
}
