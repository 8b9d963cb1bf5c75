#include "base/channel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

namespace marovel {
namespace {

// Values arrive in order however the two sides interleave, the producer
// never runs more than the capacity ahead of the consumer, and what it
// threw comes after the values it put.
TEST(ChannelTest, DeliversInOrderWithinItsCapacity) {
  for (const size_t capacity : {size_t{1}, size_t{3}}) {
    SCOPED_TRACE(capacity);
    Channel<int> channel(capacity);
    std::atomic<int> put = 0, taken = 0, most_ahead = 0;
    std::thread producer([&] {
      for (int k = 0; k < 2000; ++k) {
        channel.put(k);
        const int ahead = ++put - taken;
        if (ahead > most_ahead) most_ahead = ahead;
      }
      channel.close(std::make_exception_ptr(std::runtime_error("late")));
    });
    std::vector<int> got;
    try {
      while (std::optional<int> value = channel.take()) {
        got.push_back(*value);
        ++taken;
      }
      ADD_FAILURE() << "the producer's exception was lost";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "late");
    }
    producer.join();
    ASSERT_EQ(got.size(), 2000u);
    for (int k = 0; k < 2000; ++k) ASSERT_EQ(got[k], k);
    // `put` counts a value once put() returned, `taken` once take() did:
    // one value may be on its way between them.
    EXPECT_LE(most_ahead, static_cast<int>(capacity) + 1);
  }
}

// A consumer that stops taking (it failed) lets a producer blocked on a
// full channel run to its end.
TEST(ChannelTest, AbandonReleasesAWaitingProducer) {
  Channel<int> channel(1);
  std::atomic<bool> done = false;
  std::thread producer([&] {
    for (int k = 0; k < 100; ++k) channel.put(k);
    channel.close();
    done = true;
  });
  EXPECT_EQ(channel.take(), 0);
  channel.abandon();
  producer.join();
  EXPECT_TRUE(done);
}

TEST(ChannelTest, ClosedEmptyChannelGivesNothing) {
  Channel<int> channel(2);
  channel.put(7);
  channel.close();
  EXPECT_EQ(channel.take(), 7);
  EXPECT_EQ(channel.take(), std::nullopt);
  EXPECT_EQ(channel.take(), std::nullopt);
}

}  // namespace
}  // namespace marovel
