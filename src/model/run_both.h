// Two independent pieces of work, on both cores when they are worth a
// thread: the large phases of a run split this way where their halves share
// nothing they write.
#ifndef MAROVEL_MODEL_RUN_BOTH_H_
#define MAROVEL_MODEL_RUN_BOTH_H_

#include <cstddef>
#include <system_error>
#include <thread>

namespace marovel {

// Below this many items (nodes, names, edges) the halves of a phase cost
// less than starting a thread for one of them.
inline constexpr size_t kItemsWorthAThread = size_t{1} << 15;

// Runs `first` on a thread of its own and `second` on the calling thread,
// returning when both are done; runs them one after the other on the calling
// thread when `worth_a_thread` is false or no thread can be started.
template <typename F, typename G>
void run_both(bool worth_a_thread, F&& first, G&& second) {
  if (worth_a_thread) {
    std::jthread helper;
    try {
      helper = std::jthread(first);
    } catch (const std::system_error&) {
      // No thread to be had: the calling thread does both.
    }
    if (helper.joinable()) {
      second();
      return;  // the helper is joined on the way out
    }
  }
  first();
  second();
}

}  // namespace marovel

#endif  // MAROVEL_MODEL_RUN_BOTH_H_
