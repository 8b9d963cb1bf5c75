#include <unistd.h>

#include <exception>
#include <iostream>
#include <new>

#include "driver/run.h"

int main(int argc, char** argv) {
  // The last resort: nothing a run meets ends in a core dump. The message
  // is written without asking for memory.
  try {
    return marovel::run_marovel(argc, argv, std::cout, std::cerr);
  } catch (const std::bad_alloc&) {
    std::cout.flush();
    static const char kMessage[] = "marovel: out of memory\n";
    if (write(STDERR_FILENO, kMessage, sizeof kMessage - 1) < 0) {
      // Nothing left to tell it with.
    }
    return marovel::kFailedRunStatus;
  } catch (const std::exception& e) {
    std::cout.flush();
    std::cerr << "marovel: " << e.what() << "\n";
    return marovel::kFailedRunStatus;
  }
}
