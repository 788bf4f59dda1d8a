// A test whose texts go to a pool of its own, released after it.
#pragma once

#include <gtest/gtest.h>

#include "platform/NodePool.h"

namespace qvm::test {

class PoolTest : public ::testing::Test {
 protected:
  void SetUp() override { NewPool(); }
  void TearDown() override { ReleasePool(); }
};

}  // namespace qvm::test
