// The zero-initialised number block: what a sequence of size changes keeps and what it gives as
// new values, copies, and a failed allocation.
#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <new>
#include <vector>

#include "ZeroedArray.h"

namespace {

// The values as a vector, to compare whole contents.
std::vector<double> Values(const TZeroedArray<double>& A) { return {A.begin(), A.end()}; }

// Fills the array with 1, 2, 3, ...
void Number(TZeroedArray<double>& A) {
  for (std::size_t i = 0; i < A.size(); ++i) A[i] = static_cast<double>(i + 1);
}

TEST(ZeroedArray, SizeChangesKeepTheCommonPartAndGiveZerosElsewhere) {
  struct TCase {
    const char* What;
    std::vector<std::size_t> Sizes;  // numbered after the first size, then resized in turn
    std::vector<double> Expected;
  };
  const TCase cases[] = {
      {"fresh block", {4}, {1, 2, 3, 4}},
      {"growth beyond the capacity", {2, 5}, {1, 2, 0, 0, 0}},
      {"shrink", {4, 2}, {1, 2}},
      // The values a shrink dropped must not come back when the array grows into its spare room.
      {"shrink, then growth inside the capacity", {4, 1, 4}, {1, 0, 0, 0}},
      {"to nothing and back", {3, 0, 3}, {0, 0, 0}},
      {"growth step by step", {1, 2, 3, 4, 5}, {1, 0, 0, 0, 0}},
      {"empty", {0}, {}},
  };
  for (const TCase& c : cases) {
    TZeroedArray<double> a(c.Sizes.front());
    Number(a);
    for (std::size_t k = 1; k < c.Sizes.size(); ++k) a.resize(c.Sizes[k]);
    EXPECT_EQ(Values(a), c.Expected) << c.What;
    EXPECT_EQ(a.empty(), c.Expected.empty()) << c.What;
  }
}

TEST(ZeroedArray, CopiesAreIndependentAndMovesLeaveTheSourceEmpty) {
  TZeroedArray<double> a(3);
  Number(a);
  TZeroedArray<double> b(a);
  b[0] = 9;
  TZeroedArray<double> c;
  c = a;
  c.resize(1);
  c.resize(3);
  EXPECT_EQ(Values(a), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(Values(b), (std::vector<double>{9, 2, 3}));
  EXPECT_EQ(Values(c), (std::vector<double>{1, 0, 0}));

  TZeroedArray<double> d(std::move(b));
  EXPECT_EQ(Values(d), (std::vector<double>{9, 2, 3}));
  EXPECT_TRUE(b.empty());  // NOLINT(bugprone-use-after-move): the moved-from state is defined
  a = std::move(d);
  EXPECT_EQ(Values(a), (std::vector<double>{9, 2, 3}));
}

TEST(ZeroedArray, AFailedAllocationThrowsAndLeavesTheArrayAsItWas) {
  TZeroedArray<double> a(2);
  Number(a);
  const std::size_t huge = std::numeric_limits<std::size_t>::max() / 4;
  EXPECT_THROW(a.resize(huge), std::bad_alloc);
  EXPECT_EQ(Values(a), (std::vector<double>{1, 2}));
  EXPECT_THROW(TZeroedArray<double>{huge}, std::bad_alloc);
}

}  // namespace
