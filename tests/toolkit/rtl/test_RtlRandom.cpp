// The process-wide generator: step first, then draw from the new seed.
#include <gtest/gtest.h>

#include "RtlRandom.h"

namespace {

TEST(RtlRandom, FirstDrawsFromAKnownSeed) {
  // By hand: 8053 * 134775813 + 1 = 1085349622090 = 252 * 2^32 + 3017863498
  //          100 * 3017863498 = 301786349800, >> 32 = 70
  //          3017863498 * 134775813 + 1 mod 2^32 = 1511972467;  100 * 1511972467 >> 32 = 35
  //          1511972467 * 134775813 + 1 mod 2^32 = 954573888;   1000 * 954573888 >> 32 = 222
  //          954573888 * 134775813 + 1 mod 2^32 = 2804757825;   / 2^32 = 0.65303356968797743...
  InitRandomGenerator(8053);
  EXPECT_EQ(Random(100), 70);
  EXPECT_EQ(RandSeed, 3017863498u);
  EXPECT_EQ(Random(100), 35);
  EXPECT_EQ(Random(1000), 222);
  EXPECT_EQ(RandomReal(), 2804757825.0L / 4294967296.0L);
  EXPECT_EQ(RandSeed, 2804757825u);
}

TEST(RtlRandom, SeedZeroAndBounds) {
  InitRandomGenerator(0);
  EXPECT_EQ(Random(10), 0);  // seed becomes 1: 10 * 1 >> 32 = 0
  EXPECT_EQ(RandSeed, 1u);
  EXPECT_EQ(RandomReal(), 134775814.0L / 4294967296.0L);
  InitRandomGenerator(0xFFFFFFFFu);
  // 0xFFFFFFFF * 134775813 + 1 = -134775812 mod 2^32 = 4160191484
  EXPECT_EQ(Random(2), 1);
  EXPECT_EQ(RandSeed, 4160191484u);
  EXPECT_EQ(Random(0), 0);
  for (int i = 0; i < 1000; ++i) {
    Integer r = Random(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
    Extended x = RandomReal();
    ASSERT_GE(x, 0.0L);
    ASSERT_LT(x, 1.0L);
  }
}

TEST(RtlRandom, ReseedingRepeatsTheSequence) {
  InitRandomGenerator(12345);
  std::vector<Integer> a;
  for (int i = 0; i < 20; ++i) a.push_back(Random(1000000));
  InitRandomGenerator(12345);
  std::vector<Integer> b;
  for (int i = 0; i < 20; ++i) b.push_back(Random(1000000));
  EXPECT_EQ(a, b);
  Randomize();  // changes the seed; only checks that it runs
}

}  // namespace
