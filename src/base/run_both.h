// Two independent pieces of work, on both cores when they are worth a
// thread: the large phases of a run split this way where their halves share
// nothing they write.
#ifndef MAROVEL_BASE_RUN_BOTH_H_
#define MAROVEL_BASE_RUN_BOTH_H_

#include <cstddef>
#include <exception>
#include <system_error>
#include <thread>

#include "base/two_cores.h"

namespace marovel {

// Runs `first` on a thread of its own and `second` on the calling thread,
// returning when both are done; runs them one after the other on the calling
// thread when `worth_a_thread` is false or no thread can be started. An
// exception thrown by either reaches the caller once both are done (the
// first one's if both throw).
template <typename F, typename G>
void run_both(bool worth_a_thread, F&& first, G&& second) {
  if (worth_a_thread) {
    std::exception_ptr thrown;
    std::jthread helper;
    try {
      helper = std::jthread([&] {
        try {
          first();
        } catch (...) {
          thrown = std::current_exception();
        }
      });
    } catch (const std::system_error&) {
      // No thread to be had: the calling thread does both.
    }
    if (helper.joinable()) {
      std::exception_ptr second_thrown;
      try {
        second();
      } catch (...) {
        second_thrown = std::current_exception();
      }
      helper.join();
      if (thrown) std::rethrow_exception(thrown);
      if (second_thrown) std::rethrow_exception(second_thrown);
      return;
    }
  }
  first();
  second();
}

}  // namespace marovel

#endif  // MAROVEL_BASE_RUN_BOTH_H_
