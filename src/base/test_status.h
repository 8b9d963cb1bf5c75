// What tests assert of a Status: that it is ok, with its message shown when
// it is not.
#ifndef MAROVEL_BASE_TEST_STATUS_H_
#define MAROVEL_BASE_TEST_STATUS_H_

#include <gtest/gtest.h>

#include "base/status.h"

namespace marovel {

inline ::testing::AssertionResult IsOk(const Status& status) {
  if (status.ok()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << status.message();
}

}  // namespace marovel

#endif  // MAROVEL_BASE_TEST_STATUS_H_
