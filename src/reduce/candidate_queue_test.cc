#include "reduce/candidate_queue.h"

#include <gtest/gtest.h>

#include <vector>

namespace marovel {
namespace {

// Drains the queue smallest first, as the match index takes candidates.
std::vector<NameId> drain(CandidateQueue& queue) {
  std::vector<NameId> order;
  while (!queue.empty()) {
    order.push_back(queue.smallest());
    queue.erase(order.back());
  }
  return order;
}

TEST(CandidateQueueTest, GivesMembersInIdOrderWhateverWentBefore) {
  CandidateQueue queue(10);
  for (const NameId id : {7, 3, 9, 3, 1}) queue.insert(id);
  EXPECT_EQ(queue.size(), 4u);
  EXPECT_EQ(queue.smallest(), 1u);
  // Erased, then some of them back: each counts once and comes out once.
  queue.erase(1);
  queue.erase(3);
  queue.erase(4);  // never a member
  queue.insert(3);
  queue.insert(1);
  queue.erase(1);
  EXPECT_TRUE(queue.contains(3));
  EXPECT_FALSE(queue.contains(1));
  EXPECT_EQ(queue.size(), 3u);
  EXPECT_EQ(drain(queue), (std::vector<NameId>{3, 7, 9}));
  queue.insert(0);
  EXPECT_EQ(drain(queue), (std::vector<NameId>{0}));
}

}  // namespace
}  // namespace marovel
