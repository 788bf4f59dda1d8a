#include <gtest/gtest.h>

#include "platform/NodePool.h"
#include "tests/unit/PoolTest.h"

namespace qvm {
namespace {

using NodePoolTest = test::PoolTest;

// Type code 1 (bytes) is the one the program uses; 9 takes the caller's element size.
TEST_F(NodePoolTest, AllocatesOnlyForKnownTypeCodes) {
  struct Case {
    int type;
    int upper;
    int size;
    int expectedBytes;
  };
  const Case cases[] = {{0, 4, 0, 0},   {11, 4, 0, 0}, {1, 4, 0, 5},
                        {9, 4, 12, 60}, {9, 4, 0, 0},  {9, 4, -3, 0}};
  for (const Case& c : cases) {
    auto* p = static_cast<unsigned char*>(PoolAlloc(c.type, c.upper, c.size));
    if (c.expectedBytes == 0) {
      EXPECT_EQ(p, nullptr) << "type " << c.type;
      continue;
    }
    ASSERT_NE(p, nullptr) << "type " << c.type;
    for (int i = 0; i < c.expectedBytes; ++i) ASSERT_EQ(p[i], 0) << "type " << c.type;
  }
}

TEST_F(NodePoolTest, StringCopiesAreTerminatedTwice) {
  Text empty = PoolString("");
  ASSERT_NE(empty.data(), nullptr);
  EXPECT_EQ(empty.size(), 0u);
  EXPECT_EQ(empty.data()[0], '\0');
  EXPECT_EQ(empty.data()[1], '\0');
  std::string source = "Alpha";
  Text copy = PoolString(source);
  source[0] = 'X';
  EXPECT_EQ(copy, "Alpha");
  EXPECT_EQ(copy.data()[5], '\0');
  EXPECT_EQ(copy.data()[6], '\0');
}

TEST(NodePool, AllocatingWithoutAPoolCreatesOne) {
  ReleasePool();  // none current now (the test binary has no other pool)
  EXPECT_NE(PoolAlloc(1, 3, 0), nullptr);
  EXPECT_GT(PoolBytesUsed(), 0u);
  ReleasePool();
  EXPECT_EQ(PoolBytesUsed(), 0u);
}

TEST(NodePool, ReleasingRestoresTheSavedPool) {
  NewPool();
  PoolString("outer");
  size_t outer = PoolBytesUsed();
  NewPool();
  EXPECT_EQ(PoolBytesUsed(), 0u);
  ReleasePool();
  EXPECT_EQ(PoolBytesUsed(), outer);
  ReleasePool();
}

}  // namespace
}  // namespace qvm
