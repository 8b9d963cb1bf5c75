// A marovel::Net as Python holds it: every call on it runs without the GIL,
// one at a time.
#ifndef MAROVEL_PYTHON_BINDING_SHARED_NET_H_
#define MAROVEL_PYTHON_BINDING_SHARED_NET_H_

#include <pybind11/pybind11.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>

#include "marovel/marovel.h"

namespace marovel::python {

// Python threads may share a net while one of them reduces it with the GIL
// released, so each call takes the net's lock; it takes it only after it
// has let go of the GIL, so that a thread waiting for the lock never holds
// the GIL that the holder's callbacks need. A call from within a callback
// of the reduction running on the same net (the thread that holds the lock)
// would wait for itself, and is refused instead.
class SharedNet {
 public:
  explicit SharedNet(Net net) : net_(std::move(net)) {}

  // Runs `f(net)` without the GIL, holding the net's lock; returns its
  // result. REQUIRES: the GIL is held.
  template <typename F>
  auto use(F&& f) {
    if (owner_.load() == std::this_thread::get_id())
      throw std::runtime_error(
          "the net is in use by a call still running on it (a callback of "
          "its reduction cannot use the net)");
    pybind11::gil_scoped_release release;
    std::lock_guard<std::mutex> lock(mutex_);
    owner_.store(std::this_thread::get_id());
    struct Release {
      std::atomic<std::thread::id>& owner;
      ~Release() { owner.store(std::thread::id()); }
    } clear_owner{owner_};
    return f(net_);
  }

 private:
  Net net_;
  std::mutex mutex_;
  std::atomic<std::thread::id> owner_{};
};

}  // namespace marovel::python

#endif  // MAROVEL_PYTHON_BINDING_SHARED_NET_H_
