#include <iostream>

#include "tools/pnml2net.h"

int main(int argc, char** argv) {
  return marovel::run_pnml2net({argv + 1, argv + argc}, std::cout, std::cerr);
}
