#include "height/regex/match_list.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace zarvo::regex {
namespace {

// The spans of match `m`, different for every match and every place.
std::vector<int> SpansOf(size_t m, size_t stride) {
  std::vector<int> spans(stride);
  for (size_t k = 0; k < stride; ++k) {
    spans[k] = static_cast<int>(m * 7 + k);
  }
  return spans;
}

struct LimitCase {
  const char* name;
  size_t stride;
  size_t byteLimit;
};

class MatchListLimitTest : public testing::TestWithParam<LimitCase> {};

// Filled until it refuses: the list stops within one match of its limit,
// never above it, and every match reads back as it was added, across the
// blocks of every size.
TEST_P(MatchListLimitTest, FillsUpToItsLimitAndKeepsEveryMatch) {
  const LimitCase& c = GetParam();
  MatchList list(c.stride, c.byteLimit);
  while (list.Append(SpansOf(list.Size(), c.stride))) {
    ASSERT_LE(list.BytesHeld(), c.byteLimit);
  }
  const size_t full = list.Size();
  ASSERT_GT(full, 0u);
  EXPECT_FALSE(list.Append(SpansOf(full, c.stride)));
  EXPECT_EQ(list.Size(), full);
  EXPECT_LE(list.BytesHeld(), c.byteLimit);
  const size_t matchBytes = c.stride * sizeof(int);
  EXPECT_LT(c.byteLimit - list.BytesHeld(), matchBytes + 4096) << "stopped early";
  for (size_t m = 0; m < full; ++m) {
    const int* spans = list.At(m);
    const std::vector<int> expected = SpansOf(m, c.stride);
    ASSERT_TRUE(std::equal(expected.begin(), expected.end(), spans)) << "match " << m;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Strides, MatchListLimitTest,
    testing::Values(LimitCase{"no_groups", 2, 3 << 20},                  // many 1 MiB blocks
                    LimitCase{"thousands_of_groups", 6002, 5 << 20},     // 43 matches a block
                    LimitCase{"match_above_a_block", 300002, 6 << 20}),  // one match a block
    [](const auto& info) { return info.param.name; });

TEST(MatchListTest, MatchLargerThanTheLimitIsRefused) {
  MatchList list(1000, 2000);
  EXPECT_FALSE(list.Append(SpansOf(0, 1000)));
  EXPECT_EQ(list.Size(), 0u);
}

}  // namespace
}  // namespace zarvo::regex
