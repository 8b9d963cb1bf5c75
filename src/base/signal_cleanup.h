// Files to remove should the process be ended by SIGINT, SIGTERM or SIGHUP:
// a file that must never be left behind registers its path, and the handler
// removes every registered file, then ends the process with the same signal,
// as if no handler had been there. A signal the process ignores stays
// ignored. The registry is process-wide because a signal handler can reach
// nothing else; it holds a few paths at most.
#ifndef MAROVEL_BASE_SIGNAL_CLEANUP_H_
#define MAROVEL_BASE_SIGNAL_CLEANUP_H_

#include <optional>
#include <string>

namespace marovel {

// Registers `path` for removal; none when the registry is full or the path
// too long, in which case the file is not guarded.
std::optional<int> remove_on_signal(const std::string& path);

// Takes back a registration, before the file is renamed or removed.
void keep_on_signal(int registration);

}  // namespace marovel

#endif  // MAROVEL_BASE_SIGNAL_CLEANUP_H_
