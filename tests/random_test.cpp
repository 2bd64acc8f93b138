#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "media/core/random.h"

namespace {

// A program that never seeds starts from 4660. Checked in a fresh run of this test
// program ("threadsafe" death tests re-execute it), so the other tests may seed in
// any order.
TEST(Random, UnseededStartsFrom4660) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        std::fprintf(stderr, "state %d, then", static_cast<int>(RandomState()));
        for (int i = 0; i < 5; ++i) std::fprintf(stderr, " %d", RandomInt(1, 36));
        std::fprintf(stderr, "\n");
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "state 4660, then 16 8 25 6 21\n");
}

TEST(Random, StepsFrom4660) {
  EXPECT_EQ(NextRandomState(4660), 224942860);
  EXPECT_EQ(NextRandomState(224942860), 539475828);
  SeedRandom(4660);
  EXPECT_NEAR(RandomUnit(), 0.41898873, 1e-8);
  EXPECT_EQ(RandomState(), 539475828);
}

TEST(Random, SchrageMatchesWideArithmetic) {
  auto wide = [](int32_t s) { return static_cast<int32_t>(int64_t{s} * 48271 % 2147483647); };
  for (int32_t s : {1, 2, 44487, 44488, 44489, 2147483645, 2147483646, 1073741823, 1073741824}) {
    EXPECT_EQ(NextRandomState(s), wide(s)) << s;
  }
  // A spread of states across the whole range, and a long run of the sequence.
  for (int64_t s = 1; s < 2147483647; s += 104729) {
    ASSERT_EQ(NextRandomState(static_cast<int32_t>(s)), wide(static_cast<int32_t>(s))) << s;
  }
  int32_t s = 4660;
  for (int i = 0; i < 200000; ++i) {
    const int32_t next = NextRandomState(s);
    ASSERT_EQ(next, wide(s));
    ASSERT_GE(next, 1);
    ASSERT_LE(next, 2147483646);
    s = next;
  }
}

TEST(Random, SeedMasking) {
  SeedRandom(1);
  EXPECT_EQ(RandomState(), 1);
  EXPECT_EQ(RandomInt(1, 36), 1);
  EXPECT_EQ(RandomState(), 182605794);

  auto first_values = [](int seed) {
    SeedRandom(seed);
    std::vector<int> v;
    for (int i = 0; i < 8; ++i) v.push_back(RandomInt(0, 1000000));
    return v;
  };
  const std::vector<int> base = first_values(4660);
  EXPECT_EQ(first_values(0), base);
  EXPECT_EQ(first_values(-1), base);
  EXPECT_EQ(first_values(0x7FFFFFFF), base);
  EXPECT_EQ(first_values(INT_MIN), base);
  EXPECT_EQ(first_values(static_cast<int>(0x80000005u)), first_values(5));
  EXPECT_NE(first_values(5), base);
}

TEST(Random, UnitStaysBelowOne) {
  SeedRandom(12345);
  double lo = 1, hi = 0;
  for (int i = 0; i < 100000; ++i) {
    const double u = RandomUnit();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    lo = std::min(lo, u);
    hi = std::max(hi, u);
  }
  EXPECT_LT(lo, 0.001);
  EXPECT_GT(hi, 0.999);
}

TEST(Random, IntBoundsOrderAndSteps) {
  SeedRandom(99);
  int seen[3] = {0, 0, 0};
  for (int i = 0; i < 3000; ++i) {
    const int v = RandomInt(0, 2);
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 2);
    ++seen[v];
  }
  for (int n : seen) EXPECT_GT(n, 800);

  for (int seed : {1, 7, 4660, 123456789}) {
    SeedRandom(seed);
    const int a = RandomInt(2, 5);
    SeedRandom(seed);
    EXPECT_EQ(RandomInt(5, 2), a);
    SeedRandom(seed);
    const int b = RandomInt(-9, -3);
    EXPECT_GE(b, -9);
    EXPECT_LE(b, -3);
    SeedRandom(seed);
    EXPECT_EQ(RandomInt(-3, -9), b);
  }

  SeedRandom(77);
  const int32_t before = RandomState();
  EXPECT_EQ(RandomInt(7, 7), 7);
  EXPECT_EQ(RandomState(), NextRandomState(NextRandomState(before)));
}

TEST(Random, ExtremeRangesStayInBounds) {
  SeedRandom(31337);
  int negatives = 0;
  for (int i = 0; i < 10000; ++i) {
    // Every int is in range here; the span must not wrap (UBSan watches) and both
    // halves must come up.
    const int wide = RandomInt(INT_MIN, INT_MAX);
    if (wide < 0) ++negatives;
    const int upper = RandomInt(INT_MAX - 1, INT_MAX);
    ASSERT_GE(upper, INT_MAX - 1);
    const int lower = RandomInt(INT_MIN + 1, INT_MIN);
    ASSERT_LE(lower, INT_MIN + 1);
    const int half = RandomInt(-1000000000, 2000000000);
    ASSERT_GE(half, -1000000000);
    ASSERT_LE(half, 2000000000);
  }
  EXPECT_GT(negatives, 4000);
  EXPECT_LT(negatives, 6000);
}

}  // namespace
