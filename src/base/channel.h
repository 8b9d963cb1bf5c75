// Hands values from one thread to another, in order: a producer puts them
// in and closes the channel, a consumer takes them out until it is closed
// and empty. What the producer threw instead reaches the consumer.
#ifndef MAROVEL_BASE_CHANNEL_H_
#define MAROVEL_BASE_CHANNEL_H_

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <utility>

namespace marovel {

template <typename T>
class Channel {
 public:
  void put(T value) {
    {
      std::lock_guard lock(mutex_);
      values_.push_back(std::move(value));
    }
    changed_.notify_one();
  }

  // No more values; with `thrown`, the producer failed with it.
  void close(std::exception_ptr thrown = nullptr) {
    {
      std::lock_guard lock(mutex_);
      closed_ = true;
      thrown_ = thrown;
    }
    changed_.notify_one();
  }

  // The next value, or none once the channel is closed and empty; rethrows
  // what the producer threw, after the values it put before.
  std::optional<T> take() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !values_.empty() || closed_; });
    if (values_.empty()) {
      if (thrown_) std::rethrow_exception(thrown_);
      return std::nullopt;
    }
    T value = std::move(values_.front());
    values_.pop_front();
    return value;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<T> values_;
  bool closed_ = false;
  std::exception_ptr thrown_;
};

}  // namespace marovel

#endif  // MAROVEL_BASE_CHANNEL_H_
