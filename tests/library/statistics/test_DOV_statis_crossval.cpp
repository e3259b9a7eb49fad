// TCrossValidator: the fold structure, the draws from the process generator, the counts and
// rates, aborts and models that cannot be built.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

#include "DOV_sdlbase.h"
#include "DOV_statis_crossval.h"
#include "RtlRandom.h"

namespace {

// Global state the validator touches: the generator's seed and the abort flag.
class CrossValTest : public ::testing::Test {
protected:
  void SetUp() override {
    InitRandomGenerator(4711);
    AbortMathProc = false;
    X.Resize(2, 10);
    Y.Resize(1, 10);
    for (Integer r = 1; r <= 10; ++r) {
      X.SetVal(1, r, r);
      X.SetVal(2, r, 100 + r);
      Y.SetVal(1, r, r % 2);  // odd rows are members (1), even rows 0
    }
    cv.XMat = &X;
    cv.YMat = &Y;
    cv.SetTestSize(3);
    cv.OnModelCreateRequest = [this](TObject*, Integer, const TIntArray& list, bool& ok) {
      trainingSizes.push_back(Integer(list.size()));
      EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));
      ok = !failCreates;
    };
    // A perfect model: the response of the object, recognised by its first predictor.
    cv.OnModelApplyRequest = [this](TObject*, Integer percent, const TDoubleArray& x,
                                    TDoubleArray& y) {
      const Integer row = Integer(x[0]);
      EXPECT_EQ(x[1], 100 + row);
      predictedRows.push_back(row);
      percents.push_back(percent);
      y[0] = Y.GetVal(1, row) + offset;
    };
  }

  TMatrix X{nullptr}, Y{nullptr};
  TCrossValidator cv{nullptr};
  std::vector<Integer> trainingSizes, predictedRows, percents;
  bool failCreates = false;
  double offset = 0;
};

}  // namespace

TEST_F(CrossValTest, FoldsOfThreeThreeThreeAndOneEachObjectPredictedOnce) {
  EXPECT_TRUE(cv.Execute());
  EXPECT_EQ(trainingSizes, (std::vector<Integer>{7, 7, 7, 9}));
  std::vector<Integer> sorted = predictedRows;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, (std::vector<Integer>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(percents.back(), 100);
  EXPECT_EQ(percents.front(), 10);
  EXPECT_FALSE(cv.IsExecuting());
  // Exact predictions: 5 true positives, 5 true negatives, no error.
  EXPECT_EQ(cv.GetRMSEP(1), 0);
  EXPECT_EQ(cv.GetTPRate(1), 1);
  EXPECT_EQ(cv.GetFPRate(1), 0);
}

TEST_F(CrossValTest, TestSetsAreDrawnFromTheGeneratorWithTheNextFreeObject) {
  // Replay of the first set: q = Random(10) + 1, moved on to the next unused object.
  std::uint32_t seed = 4711;
  std::set<Integer> first;
  for (int t = 0; t < 3; ++t) {
    seed = seed * 134775813u + 1u;
    Integer q = Integer((std::uint64_t(10) * seed) >> 32) + 1;
    while (first.count(q)) q = q % 10 + 1;
    first.insert(q);
  }
  cv.Execute();
  std::set<Integer> got(predictedRows.begin(), predictedRows.begin() + 3);
  EXPECT_EQ(got, first);
  EXPECT_TRUE(std::is_sorted(predictedRows.begin(), predictedRows.begin() + 3));
}

TEST_F(CrossValTest, ALargeTestSizeIsLoweredAndStored) {
  cv.SetTestSize(100);
  EXPECT_TRUE(cv.Execute());
  EXPECT_EQ(cv.SizeTestSet(), 6);
  EXPECT_EQ(trainingSizes, (std::vector<Integer>{4, 6}));
}

TEST_F(CrossValTest, CountsAndRates) {
  offset = 0.5;  // every prediction off by 0.5: members are false negatives, others false
                 // positives
  EXPECT_TRUE(cv.Execute());
  EXPECT_NEAR(cv.GetRMSEP(1), 0.5, 1e-15);
  EXPECT_EQ(cv.GetTPRate(1), 0);
  EXPECT_EQ(cv.GetFPRate(1), 1);
  // No members at all: TP rate 0; no non-members: FP rate 1.
  offset = 0;
  for (Integer r = 1; r <= 10; ++r) Y.SetVal(1, r, 0);
  EXPECT_TRUE(cv.Execute());
  EXPECT_EQ(cv.GetTPRate(1), 0);
  EXPECT_EQ(cv.GetFPRate(1), 0);
  for (Integer r = 1; r <= 10; ++r) Y.SetVal(1, r, 1);
  EXPECT_TRUE(cv.Execute());
  EXPECT_EQ(cv.GetTPRate(1), 1);
  EXPECT_EQ(cv.GetFPRate(1), 1);
  EXPECT_EQ(cv.GetRMSEP(2), -1);  // no such response column
}

TEST_F(CrossValTest, CountingByClassTakesMinusOneAsARightRejectionOfZero) {
  // A discriminant model predicts -1 or 1; non-members are coded 0.
  cv.OnModelApplyRequest = [this](TObject*, Integer, const TDoubleArray& x, TDoubleArray& y) {
    y[0] = Y.GetVal(1, Integer(x[0])) > 0 ? 1 : -1;
  };
  EXPECT_TRUE(cv.Execute());
  EXPECT_EQ(cv.GetFPRate(1), 1);  // by value, every -1 against 0 is a false positive
  cv.CountByClass = true;
  EXPECT_TRUE(cv.Execute());
  EXPECT_EQ(cv.GetFPRate(1), 0);
  EXPECT_EQ(cv.GetTPRate(1), 1);
}

TEST_F(CrossValTest, UnknownResultsAreMinusOneNotARate) {
  EXPECT_TRUE(cv.Execute());
  cv.SetTestSize(0);
  EXPECT_EQ(cv.SizeTestSet(), 1);
  EXPECT_EQ(cv.Press()->GetVal(1), -1);
  EXPECT_EQ(cv.GetRMSEP(1), -1);
  EXPECT_EQ(cv.GetTPRate(1), -1);
  EXPECT_EQ(cv.GetFPRate(1), -1);
  TCrossValidator fresh(nullptr);
  fresh.XMat = &X;
  EXPECT_EQ(fresh.GetRMSEP(1), -1);
}

TEST_F(CrossValTest, AbortStopsAfterTheCurrentObject) {
  cv.OnCheckAbort = [this](TObject*, bool& abort) { abort = predictedRows.size() >= 2; };
  EXPECT_FALSE(cv.Execute());
  EXPECT_EQ(predictedRows.size(), 2u);
  EXPECT_EQ(cv.GetRMSEP(1), -1);
  EXPECT_EQ(cv.GetTPRate(1), -1);
  EXPECT_EQ(cv.GetFPRate(1), -1);
  EXPECT_FALSE(cv.IsExecuting());
}

TEST_F(CrossValTest, ModelsThatCannotBeBuiltEndTheRun) {
  failCreates = true;
  int asked = 0;
  cv.OnCheckAbort = [&](TObject*, bool& abort) { abort = ++asked == 5; };
  EXPECT_FALSE(cv.Execute());
  EXPECT_EQ(asked, 5);  // asked after each failed model
  EXPECT_TRUE(predictedRows.empty());
  EXPECT_EQ(cv.GetRMSEP(1), -1);
  // Without an abort handler the run gives up after 100 failures in a row.
  cv.OnCheckAbort = nullptr;
  trainingSizes.clear();
  EXPECT_FALSE(cv.Execute());
  EXPECT_EQ(trainingSizes.size(), 100u);
}

TEST_F(CrossValTest, Checks) {
  const struct {
    void (*breakIt)(TCrossValidator&, TMatrix&);
    const char* message;
  } cases[] = {
      {[](TCrossValidator& c, TMatrix&) { c.XMat = nullptr; },
       "TCrossValidator.Execute: data matrix not assigned"},
      {[](TCrossValidator&, TMatrix& y) { y.Resize(1, 9); },
       "TCrossValidator.Execute: number of rows of XMat and YMat not equal"},
      {[](TCrossValidator& c, TMatrix&) { c.OnModelApplyRequest = nullptr; },
       "TCrossValidator: OnModelApplyRequest event is not assigned"},
      {[](TCrossValidator& c, TMatrix&) { c.OnModelCreateRequest = nullptr; },
       "TCrossValidator: OnModelCreateRequest event is not assigned"},
  };
  for (const auto& c : cases) {
    SetUp();
    c.breakIt(cv, Y);
    try {
      cv.Execute();
      ADD_FAILURE() << c.message;
    } catch (const ESDLStatisError& e) {
      EXPECT_EQ(e.Message, c.message);
    }
  }
}
