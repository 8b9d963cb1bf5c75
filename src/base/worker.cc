#include "base/worker.h"

#include <system_error>
#include <utility>

#include "base/switches.h"

namespace marovel {

Worker::Worker(bool on_a_thread, size_t max_waiting)
    : max_waiting_(max_waiting) {
#if MAROVEL_THREADS
  if (on_a_thread) {
    try {
      thread_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
      // No thread to be had: the caller runs the tasks.
    }
  }
#else
  (void)on_a_thread;
#endif
}

Worker::~Worker() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    waiting_.clear();
  }
  changed_.notify_all();
  thread_.join();
}

void Worker::cancel() {
  if (thread_.joinable()) {
    std::unique_lock lock(mutex_);
    waiting_.clear();
    changed_.wait(lock, [&] { return !busy_; });
  }
  thrown_ = nullptr;
}

void Worker::post(std::function<void()> task) {
  if (!thread_.joinable()) {
    if (thrown_) return;
    try {
      task();
    } catch (...) {
      thrown_ = std::current_exception();
    }
    return;
  }
  std::unique_lock lock(mutex_);
  changed_.wait(lock,
                [&] { return waiting_.size() < max_waiting_ || thrown_; });
  if (thrown_) return;
  waiting_.push_back(std::move(task));
  changed_.notify_all();
}

void Worker::finish() {
  if (thread_.joinable()) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock,
                  [&] { return (waiting_.empty() && !busy_) || thrown_; });
    // A task that threw leaves the rest undone.
    waiting_.clear();
    changed_.wait(lock, [&] { return !busy_; });
  }
  if (thrown_) std::rethrow_exception(std::exchange(thrown_, nullptr));
}

void Worker::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return !waiting_.empty() || stopping_; });
    if (stopping_) return;
    std::function<void()> task = std::move(waiting_.front());
    waiting_.pop_front();
    busy_ = true;
    changed_.notify_all();
    lock.unlock();
    std::exception_ptr thrown;
    try {
      task();
    } catch (...) {
      thrown = std::current_exception();
    }
    lock.lock();
    busy_ = false;
    if (thrown && !thrown_) thrown_ = thrown;
    if (thrown_) waiting_.clear();
    changed_.notify_all();
  }
}

}  // namespace marovel
