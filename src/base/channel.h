// Hands values from one thread to another, in order: a producer puts them
// in and closes the channel, a consumer takes them out until it is closed
// and empty. What the producer threw instead reaches the consumer. At most
// `capacity` values wait at a time: a producer faster than its consumer
// waits rather than piling values up in memory.
#ifndef MAROVEL_BASE_CHANNEL_H_
#define MAROVEL_BASE_CHANNEL_H_

#include <cassert>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <utility>

namespace marovel {

template <typename T>
class Channel {
 public:
  // REQUIRES: capacity >= 1.
  explicit Channel(size_t capacity) : capacity_(capacity) {
    assert(capacity >= 1);
  }

  // Waits while the channel is full. Once the consumer has abandoned the
  // channel, drops the value and returns at once.
  void put(T value) {
    {
      std::unique_lock lock(mutex_);
      taken_.wait(lock,
                  [&] { return values_.size() < capacity_ || abandoned_; });
      if (abandoned_) return;
      values_.push_back(std::move(value));
    }
    put_.notify_one();
  }

  // No more values; with `thrown`, the producer failed with it.
  void close(std::exception_ptr thrown = nullptr) {
    {
      std::lock_guard lock(mutex_);
      closed_ = true;
      thrown_ = thrown;
    }
    put_.notify_one();
  }

  // The next value, or none once the channel is closed and empty; rethrows
  // what the producer threw, after the values it put before.
  std::optional<T> take() {
    std::optional<T> value;
    {
      std::unique_lock lock(mutex_);
      put_.wait(lock, [&] { return !values_.empty() || closed_; });
      if (values_.empty()) {
        if (thrown_) std::rethrow_exception(thrown_);
        return std::nullopt;
      }
      value.emplace(std::move(values_.front()));
      values_.pop_front();
    }
    taken_.notify_one();
    return value;
  }

  // The consumer takes no more: what waits is dropped, and the producer's
  // puts from now on return at once, so that it runs to its end rather than
  // wait for room forever.
  void abandon() {
    {
      std::lock_guard lock(mutex_);
      abandoned_ = true;
      values_.clear();
    }
    taken_.notify_one();
  }

 private:
  const size_t capacity_;
  std::mutex mutex_;
  std::condition_variable put_;    // a value came, or the channel closed
  std::condition_variable taken_;  // room came, or the consumer left
  std::deque<T> values_;
  bool closed_ = false;
  bool abandoned_ = false;
  std::exception_ptr thrown_;
};

}  // namespace marovel

#endif  // MAROVEL_BASE_CHANNEL_H_
