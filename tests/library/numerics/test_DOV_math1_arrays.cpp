#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "DOV_math1.h"

namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

struct ProcStatDelta {
  double start = ProcStat.load();
  double Delta() const { return ProcStat.load() - start; }
};

}  // namespace

TEST(SortArray, TypedVariantsAndPassCount) {
  struct Case {
    std::vector<double> in;
    bool asc;
    std::vector<double> out;
    double passes;  // -1: not checked
  };
  const std::vector<Case> cases = {
      {{5}, true, {5}, 0},
      {{2, 1}, true, {1, 2}, 2},
      {{3, 1, 2}, false, {3, 2, 1}, -1},
      {{2, 2, 1}, true, {1, 2, 2}, -1},
      {{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, true, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, -1},
      // Gaps 7, 5, 3, 2, 1 over ten sorted values: five passes, the last without exchange.
      {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, true, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 5},
  };
  for (const auto& c : cases) {
    auto v = c.in;
    ProcStatDelta d;
    SortArray(v.data(), static_cast<Integer>(v.size()) - 1, c.asc);
    EXPECT_EQ(v, c.out);
    if (c.passes >= 0) {
      EXPECT_EQ(d.Delta(), c.passes);
    }
  }
  std::vector<Integer> iv = {3, -1, 2};
  SortArray(iv.data(), 2, true);
  EXPECT_EQ(iv, (std::vector<Integer>{-1, 2, 3}));
  std::vector<Single> sv = {1.5f, 2.5f, 0.5f};
  SortArray(sv.data(), 2, false);
  EXPECT_EQ(sv, (std::vector<Single>{2.5f, 1.5f, 0.5f}));
}

TEST(SortArray, UntypedKinds) {
  std::vector<double> d = {3, 1, 2};
  SortArray(d.data(), 3, dnum, true);
  EXPECT_EQ(d, (std::vector<double>{1, 2, 3}));
  std::vector<Integer> i = {3, 1, 2};
  SortArray(i.data(), 3, lnum, false);
  EXPECT_EQ(i, (std::vector<Integer>{3, 2, 1}));
  int raw[3] = {3, 1, 2};
  ProcStatDelta p;
  SortArray(raw, 3, Bool, true);
  SortArray(raw, 3, strg, true);
  EXPECT_EQ(raw[0], 3);
  EXPECT_EQ(p.Delta(), 0);
}

// A NaN key must not keep a descending sort exchanging for ever.
TEST(SortArray, NaNEndsBothDirections) {
  for (bool asc : {true, false}) {
    std::vector<double> v = {3, NaN, 1, 2, NaN, 0};
    SortArray(v.data(), 5, asc);
    std::vector<double> numbers;
    for (double x : v)
      if (!std::isnan(x)) numbers.push_back(x);
    EXPECT_EQ(numbers.size(), 4u);
  }
}

TEST(SortIntoArray, TypedAndUntyped) {
  struct Case {
    double value;
    bool dup;
    Integer ix;
    std::vector<double> out;
  };
  const std::vector<Case> cases = {
      {4, true, 2, {1, 3, 4, 5}}, {9, true, -1, {1, 3, 5, 7}}, {3, false, -1, {1, 3, 5, 7}},
      {7, true, 3, {1, 3, 5, 7}}, {0, true, 0, {0, 1, 3, 5}},
  };
  for (const auto& c : cases) {
    std::vector<double> v = {1, 3, 5, 7};
    EXPECT_EQ(SortIntoArray(v.data(), 3, c.value, true, c.dup), c.ix) << c.value;
    EXPECT_EQ(v, c.out);
    std::vector<double> u = {1, 3, 5, 7};
    EXPECT_EQ(SortIntoArray(u.data(), 4, dnum, &c.value, true, c.dup), c.ix + 1);
    EXPECT_EQ(u, c.out);
  }
  std::vector<Integer> desc = {9, 5, 1};
  EXPECT_EQ(SortIntoArray(desc.data(), 2, 6, false, true), 1);
  EXPECT_EQ(desc, (std::vector<Integer>{9, 6, 5}));
}

TEST(InsertIntoArray, InsideAndOutside) {
  std::vector<double> v = {1, 2, 3};
  InsertIntoArray(v.data(), 2, 9.0, 0);
  EXPECT_EQ(v, (std::vector<double>{9, 1, 2}));
  InsertIntoArray(v.data(), 2, 7.0, 3);
  InsertIntoArray(v.data(), 2, 7.0, -1);
  EXPECT_EQ(v, (std::vector<double>{9, 1, 2}));
  Integer w[3] = {1, 2, 3};
  const Integer val = 8;
  InsertIntoArray(w, 3, inum, &val, 3);
  EXPECT_EQ(w[2], 8);
  InsertIntoArray(w, 3, inum, &val, 4);
  InsertIntoArray(w, 3, inum, &val, 0);
  EXPECT_EQ(w[0], 1);
  EXPECT_EQ(w[1], 2);
}

TEST(QuickSelect, RanksAndLimits) {
  for (Integer k = 0; k <= 2; ++k) {
    std::vector<double> v = {1, 3, 2};
    EXPECT_EQ(QuickSelect(v.data(), k, 0, 2), k + 1);
  }
  std::vector<double> eq = {4, 4, 4};
  for (Integer k = 0; k <= 2; ++k) EXPECT_EQ(QuickSelect(eq.data(), k, 0, 2), 4);
  EXPECT_EQ(QuickSelect(eq.data(), 0, 2, 1), 0);
  std::vector<double> w = {5, 4, 6};
  EXPECT_EQ(QuickSelect(w.data(), 3, 0, 2), 5);
  std::vector<double> below = {5, 4, 6, 1};
  EXPECT_EQ(QuickSelect(below.data(), 0, 1, 3), 4);  // k below lo ends at once
  // Against a full sort on a larger set.
  std::vector<double> big;
  for (int i = 0; i < 101; ++i) big.push_back((i * 37) % 101);
  for (Integer k : {0, 17, 50, 100}) {
    auto copy = big;
    EXPECT_EQ(QuickSelect(copy.data(), k, 0, 100), k);
  }
}

TEST(SortSwapAndExChange, Basics) {
  double a = 1, b = 2;
  EXPECT_FALSE(SortSwap(a, b, true));
  a = 2, b = 1;
  EXPECT_TRUE(SortSwap(a, b, true));
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  a = b = 2;
  EXPECT_TRUE(SortSwap(a, b, true));
  String s1 = "x", s2 = "y";
  ExChange(s1, s2);
  EXPECT_EQ(s1, "y");
  Extended e1 = 1, e2 = 2;
  ExChange(e1, e2);
  EXPECT_EQ(e1, 2);
  char m1[3] = {'a', 'b', 'c'}, m2[3] = {'x', 'y', 'z'};
  ExChange(m1, m2, 2);
  EXPECT_EQ(String(m1, 3), "xyc");
  EXPECT_EQ(String(m2, 3), "abz");
}
