#include <iostream>

#include "tools/net2dot.h"

int main(int argc, char** argv) {
  return marovel::run_net2dot({argv + 1, argv + argc}, std::cout, std::cerr);
}
