// A second core that works through tasks in the order they are posted while
// the caller goes on with its own work, such as parsing on one core while
// the other builds what the parse delivers. When no second core is wanted,
// or no thread can be had, the caller runs each task as it posts it.
#ifndef MAROVEL_BASE_WORKER_H_
#define MAROVEL_BASE_WORKER_H_

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace marovel {

class Worker {
 public:
  // Runs tasks on a thread of its own when `on_a_thread`; at most
  // `max_waiting` tasks wait at a time, so that a caller faster than the
  // worker waits rather than piling work up in memory.
  explicit Worker(bool on_a_thread, size_t max_waiting = 32);
  // Drops the tasks still waiting and waits for the one running.
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // Queues `task`; once a task has thrown, later ones are dropped.
  void post(std::function<void()> task);
  // Waits until every task posted has run, then rethrows what the first
  // task to throw threw, if any.
  void finish();
  // Drops the tasks still waiting and waits for the one running; what a
  // task threw is dropped too.
  void cancel();

 private:
  void run();

  size_t max_waiting_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> waiting_;
  bool busy_ = false;
  bool stopping_ = false;
  std::exception_ptr thrown_;
  std::thread thread_;  // last, so that it starts with the rest in place
};

}  // namespace marovel

#endif  // MAROVEL_BASE_WORKER_H_
