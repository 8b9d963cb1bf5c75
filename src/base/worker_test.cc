#include "base/worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>
#include <vector>

namespace marovel {
namespace {

// On a thread or not, tasks run in the order posted, and the first task to
// throw stops the rest and reaches finish().
TEST(WorkerTest, RunsTasksInOrderAndPassesOnWhatTheyThrow) {
  for (const bool on_a_thread : {true, false}) {
    SCOPED_TRACE(on_a_thread);
    std::vector<int> ran;
    {
      Worker worker(on_a_thread, /*max_waiting=*/2);
      for (int k = 0; k < 100; ++k)
        worker.post([&ran, k] { ran.push_back(k); });
      worker.finish();
    }
    ASSERT_EQ(ran.size(), 100u);
    for (int k = 0; k < 100; ++k) EXPECT_EQ(ran[k], k);

    ran.clear();
    Worker failing(on_a_thread);
    failing.post([&] { ran.push_back(1); });
    failing.post([] { throw std::bad_alloc(); });
    failing.post([&] { ran.push_back(3); });
    EXPECT_THROW(failing.finish(), std::bad_alloc);
    EXPECT_EQ(ran, std::vector<int>{1});
  }
}

TEST(WorkerTest, CancelDropsWhatWaitsAndWhatWasThrown) {
  std::atomic<int> ran = 0;
  Worker worker(/*on_a_thread=*/true);
  worker.post([] { throw std::bad_alloc(); });
  for (int k = 0; k < 10; ++k) worker.post([&] { ++ran; });
  worker.cancel();
  EXPECT_NO_THROW(worker.finish());
  EXPECT_EQ(ran, 0);
}

}  // namespace
}  // namespace marovel
