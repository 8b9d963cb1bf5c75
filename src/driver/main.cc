#include <iostream>

#include "driver/run.h"

int main(int argc, char** argv) {
  return marovel::run_marovel(argc, argv, std::cout);
}
