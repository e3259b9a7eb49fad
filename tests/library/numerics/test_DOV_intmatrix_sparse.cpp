#include <gtest/gtest.h>

#include <vector>

#include "DOV_intmatrix_sparse.h"

namespace {

// A 4 x 4 store whose first entry appends and whose others, all lower, still wait in the
// side list: the windowed operations must see both.
TIntSparseStore MixedStore() {
  TIntSparseStore s(1);
  s.Set(4, 4, 10);
  s.Set(2, 3, -7);
  s.Set(1, 1, 5);
  s.Set(3, 2, 4);
  s.Set(2, 2, 1);
  return s;
}

TEST(IntSparseStore, WindowsSeeAppendedAndPendingEntriesUpToTheirEdges) {
  struct Case {
    Integer lc, lr, hc, hr;
    Integer sum, min, max;
  };
  constexpr Integer kNoMin = 2147483647, kNoMax = -2147483647;
  const Case cases[] = {
      {1, 1, 4, 4, 13, -7, 10},         // everything
      {2, 1, 2, 4, -6, -7, 1},          // one column
      {1, 2, 4, 3, -2, -7, 4},          // two rows
      {3, 2, 3, 2, 4, 4, 4},            // a window of one entry
      {4, 4, 9, 9, 10, 10, 10},         // entry on the low corner, window past the bounds
      {1, 2, 1, 4, 0, kNoMin, kNoMax},  // no entry inside
      {5, 5, 9, 9, 0, kNoMin, kNoMax},  // beyond every entry
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.lc << "," << c.lr << " .. " << c.hc << "," << c.hr);
    EXPECT_EQ(MixedStore().Sum(c.lc, c.lr, c.hc, c.hr), c.sum);
    Integer lo = kNoMin, hi = kNoMax;
    MixedStore().MinMax(c.lc, c.lr, c.hc, c.hr, lo, hi);
    EXPECT_EQ(lo, c.min);
    EXPECT_EQ(hi, c.max);
  }
}

TEST(IntSparseStore, TraceCopyAndDenseFormKeepPendingEntries) {
  const TIntSparseStore s = MixedStore();
  EXPECT_EQ(s.Trace(), 16);  // 5 + 1 + 10

  TIntSparseStore copy(9);
  copy.Assign(MixedStore());
  EXPECT_EQ(copy.AllocBy(), 1);
  EXPECT_EQ(copy.Count(), 5u);
  EXPECT_EQ(copy.Get(2, 3), -7);
  EXPECT_EQ(copy.Get(3, 3), 0);

  // Column by column, 4 rows each.
  EXPECT_EQ(s.ToDense(), (std::vector<Integer>{5, 0, 0, 0, 0, 1, -7, 0, 0, 4, 0, 0, 0, 0, 0, 10}));

  TIntSparseStore clipped = MixedStore();
  clipped.Truncate(1, 3);  // keeps column 1, rows 1 to 3
  EXPECT_EQ(clipped.Count(), 1u);
  EXPECT_EQ(clipped.HighCol() * 10 + clipped.HighRow(), 13);
  EXPECT_EQ(clipped.Get(1, 1), 5);
  EXPECT_EQ(clipped.Get(2, 3), 0);
}

}  // namespace
