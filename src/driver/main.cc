#include <unistd.h>

#include <exception>
#include <iostream>
#include <new>

#include "driver/run.h"

namespace {

// Grows the stack to what a run needs at once, while memory is there: a
// stack that must grow once the address space is full ends the process
// with a signal that no handler can turn into a message.
[[gnu::noinline]] void grow_stack() {
  volatile char room[512 << 10];
  for (size_t k = 0; k < sizeof room; k += 4096) room[k] = 0;
}

}  // namespace

int main(int argc, char** argv) {
  grow_stack();
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
