#include "base/signal_cleanup.h"

#include <limits.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cassert>
#include <cstring>
#include <mutex>

namespace marovel {
namespace {

constexpr int kSlots = 8;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// A slot is claimed, then its path written, then it is armed; the handler
// reads the paths of armed slots alone.
enum SlotState : int { kFree, kClaimed, kArmed };
char g_paths[kSlots][PATH_MAX];
std::atomic<int> g_state[kSlots];
std::once_flag g_installed;

void remove_registered(int signal_number) {
  for (int k = 0; k < kSlots; ++k)
    if (g_state[k].load() == kArmed) unlink(g_paths[k]);
  // Die of the signal itself, so that the parent sees how the process
  // ended: the signal is blocked while the handler runs and arrives with
  // its default action as soon as it returns.
  struct sigaction plain {};
  plain.sa_handler = SIG_DFL;
  sigemptyset(&plain.sa_mask);
  sigaction(signal_number, &plain, nullptr);
  raise(signal_number);
}

void install_handlers() {
  for (const int signal_number : kSignals) {
    struct sigaction previous {};
    if (sigaction(signal_number, nullptr, &previous) != 0 ||
        previous.sa_handler == SIG_IGN)
      continue;
    struct sigaction handler {};
    handler.sa_handler = remove_registered;
    sigemptyset(&handler.sa_mask);
    // While one of the signals is handled, the others wait.
    for (const int other : kSignals) sigaddset(&handler.sa_mask, other);
    sigaction(signal_number, &handler, nullptr);
  }
}

}  // namespace

std::optional<int> remove_on_signal(const std::string& path) {
  if (path.size() >= PATH_MAX) return std::nullopt;
  std::call_once(g_installed, install_handlers);
  for (int k = 0; k < kSlots; ++k) {
    int free = kFree;
    if (!g_state[k].compare_exchange_strong(free, kClaimed)) continue;
    std::memcpy(g_paths[k], path.c_str(), path.size() + 1);
    g_state[k].store(kArmed);
    return k;
  }
  return std::nullopt;
}

void keep_on_signal(int registration) { g_state[registration].store(kFree); }

}  // namespace marovel
