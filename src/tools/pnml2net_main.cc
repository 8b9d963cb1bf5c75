#include <iostream>

#include "tools/pnml2net.h"
#include "tools/tool_entry.h"

int main(int argc, char** argv) {
  return marovel::tool_entry("pnml2net", marovel::run_pnml2net, argc, argv,
                             std::cout, std::cerr);
}
