// PLS models: the full-factor model is ordinary least squares (solved here by normal
// equations in extended precision), discriminant thresholds, cross-validation, the model file
// round trip and damaged files, the text listing.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <vector>

#include "DOV_sdlbase.h"
#include "DOV_statis_pls.h"
#include "DOV_stringl.h"
#include "RtlRandom.h"
#include "TestSupport.h"
#include "TextFile.h"

namespace {

// Process-wide state the model touches: progress, abort, feedback and the generator.
class PLSTest : public ::testing::Test {
protected:
  void SetUp() override {
    ProcStat = 0;
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
    InitRandomGenerator(99);
  }
  void TearDown() override {
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
  }
};

void Fill(TMatrix& m, const std::vector<std::vector<double>>& rows) {
  m.Resize(Integer(rows[0].size()), Integer(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      m.SetVal(Integer(c + 1), Integer(r + 1), rows[r][c]);
}

// A deterministic, well-spread design: n rows, nx columns.
void Design(TMatrix& m, Integer n, Integer nx) {
  m.Resize(nx, n);
  for (Integer r = 1; r <= n; ++r)
    for (Integer c = 1; c <= nx; ++c) m.SetVal(c, r, std::sin(1.7 * r * c + c) * (c + 1) + 0.3 * c);
}

// Ordinary least squares with an intercept: coefficients of the columns, then the intercept.
std::vector<double> Ols(const TMatrix& X, const TMatrix& Y, Integer k) {
  const Integer n = X.NrOfRows(), p = X.NrOfColumns() + 1;
  std::vector<std::vector<long double>> a(std::size_t(p),
                                          std::vector<long double>(std::size_t(p + 1), 0));
  for (Integer r = 1; r <= n; ++r) {
    std::vector<long double> row;
    for (Integer c = 1; c <= X.NrOfColumns(); ++c) row.push_back(X.GetVal(c, r));
    row.push_back(1);
    for (Integer i = 0; i < p; ++i) {
      for (Integer j = 0; j < p; ++j) a[i][j] += row[i] * row[j];
      a[i][p] += row[i] * Y.GetVal(k, r);
    }
  }
  for (Integer i = 0; i < p; ++i)  // Gauss-Jordan, the matrix is positive definite
    for (Integer j = 0; j < p; ++j) {
      if (i == j) continue;
      const long double f = a[j][i] / a[i][i];
      for (Integer q = 0; q <= p; ++q) a[j][q] -= f * a[i][q];
    }
  std::vector<double> b;
  for (Integer i = 0; i < p; ++i) b.push_back(double(a[i][p] / a[i][i]));
  return b;
}

}  // namespace

TEST_F(PLSTest, ExactlyLinearDataAreReproduced) {
  TMatrix X(nullptr);
  Fill(X, {{1, 2}, {2, 1}, {3, 5}, {4, 3}, {5, 8}});
  TMatrix Y(nullptr);
  Fill(Y, {{0}, {0}, {0}, {0}, {0}});
  for (Integer r = 1; r <= 5; ++r) Y.SetVal(1, r, 3 * X.GetVal(1, r) - 2 * X.GetVal(2, r) + 7);
  TPLSModel model(nullptr);
  model.SetXMat(&X);
  model.SetYMat(&Y);
  model.SetNFactors(2);
  model.CalculateModel();
  for (Integer r = 1; r <= 5; ++r) {
    TDoubleArray yhat;
    model.Predict(TDoubleArray{X.GetVal(1, r), X.GetVal(2, r)}, yhat);
    ASSERT_EQ(yhat.size(), 1u);
    EXPECT_NEAR(yhat[0], Y.GetVal(1, r), 1e-10) << r;
  }
  EXPECT_NEAR(model.RegCoeff()->GetVal(1, 1), 3, 1e-12);
  EXPECT_NEAR(model.RegCoeff()->GetVal(1, 2), -2, 1e-12);
  EXPECT_NEAR(model.RegCoeff()->GetVal(1, 3), 7, 1e-11);
  EXPECT_NEAR(model.VarY()->GetVal(1) + model.VarY()->GetVal(2), 1, 1e-12);
}

TEST_F(PLSTest, TheFullFactorModelIsOrdinaryLeastSquares) {
  const struct {
    Integer n, nx, ny;
    TPLSSclMode scaling;
  } cases[] = {{12, 3, 1, scmCenter},
               {12, 3, 2, scmStandardize},
               {9, 2, 3, scmCenter},
               {7, 4, 1, scmStandardize}};
  for (const auto& c : cases) {
    TMatrix X(nullptr), Y(nullptr);
    Design(X, c.n, c.nx);
    Y.Resize(c.ny, c.n);
    for (Integer r = 1; r <= c.n; ++r)
      for (Integer k = 1; k <= c.ny; ++k)
        Y.SetVal(k, r, std::cos(0.9 * r * k) + k * X.GetVal(1, r));
    TPLSModel model(nullptr);
    model.SetXMat(&X);
    model.SetYMat(&Y);
    model.ScalingMode = c.scaling;
    model.SetNFactors(c.nx);
    model.CalculateModel();
    ASSERT_EQ(model.RegCoeff()->NrOfColumns(), c.ny);
    ASSERT_EQ(model.RegCoeff()->NrOfRows(), c.nx + 1);
    for (Integer k = 1; k <= c.ny; ++k) {
      const std::vector<double> b = Ols(X, Y, k);
      for (Integer i = 1; i <= c.nx + 1; ++i)
        EXPECT_NEAR(model.RegCoeff()->GetVal(k, i), b[std::size_t(i - 1)], 1e-9)
            << c.n << " " << c.nx << " " << c.ny << " k " << k << " i " << i;
    }
    // Scores are orthonormal.
    for (Integer a = 1; a <= c.nx; ++a)
      for (Integer b = 1; b <= c.nx; ++b) {
        double dot = 0;
        for (Integer r = 1; r <= c.n; ++r)
          dot += model.ScoreX()->GetVal(a, r) * model.ScoreX()->GetVal(b, r);
        EXPECT_NEAR(dot, a == b ? 1 : 0, 1e-10);
      }
  }
}

TEST_F(PLSTest, FactorLimitAndNames) {
  TMatrix X(nullptr), Y(nullptr);
  Design(X, 6, 4);
  Design(Y, 6, 1);
  TPLSModel model(nullptr);
  model.SetXMat(&X);
  model.SetYMat(&Y);
  EXPECT_EQ(model.Factors(), 3);
  model.SetNFactors(-2);
  EXPECT_EQ(model.Factors(), 0);
  model.SetNFactors(5);
  EXPECT_EQ(model.MaxFactors(), 4);
  try {
    model.CalculateModel();
    ADD_FAILURE();
  } catch (const ESDLMath2Error& e) {
    EXPECT_EQ(e.Message, "number of factors too high (max=4)");
  }
  model.SetPredName(2, String(60, 'a'));
  EXPECT_EQ(model.GetPredName(2), String(50, 'a'));
  model.SetPredName(5, "beyond");  // ignored
  EXPECT_EQ(model.GetPredName(5), "");
  EXPECT_EQ(model.GetPredName(0), "");
  EXPECT_EQ(model.GetPredName(1), "");
  model.SetRespoName(1, "yield");
  EXPECT_EQ(model.GetRespoName(1), "yield");
}

namespace {

// Two classes along the first predictor: members (1) at the high end, non-members coded 0.
void TwoClasses(TMatrix& X, TMatrix& Y) {
  X.Resize(2, 12);
  Y.Resize(1, 12);
  for (Integer r = 1; r <= 12; ++r) {
    const bool member = r > 6;
    X.SetVal(1, r, (member ? 5.0 : 1.0) + 0.1 * (r % 3));
    X.SetVal(2, r, std::sin(double(r)));
    Y.SetVal(1, r, member ? 1 : 0);
  }
}

}  // namespace

TEST_F(PLSTest, DiscriminantThresholdSeparatesTheClassesAndCrossValidatesByClass) {
  TMatrix X(nullptr), Y(nullptr);
  TwoClasses(X, Y);
  TPLSModel model(nullptr);
  model.SetXMat(&X);
  model.SetYMat(&Y);
  model.SetNFactors(2);
  model.IsDiscriminantModel = true;
  model.CalculateModel();
  const double threshold = model.ClassifThreshold()->GetVal(1);
  TMatrix fitted(nullptr);
  model.Predict(&X, &fitted);
  for (Integer r = 1; r <= 12; ++r)
    EXPECT_EQ(fitted.GetVal(1, r) >= threshold, Y.GetVal(1, r) > 0) << r;
  // Non-members coded 0 and predictions -1: each correct rejection is a true negative.
  EXPECT_GE(model.CrossValidateModel(3), 0);
  EXPECT_EQ(model.CvdFPRate()->GetVal(1), 0);
  EXPECT_EQ(model.CvdTPRate()->GetVal(1), 1);
}

TEST_F(PLSTest, ThresholdAtTheEndOfTheSortedRowsAveragesTheNeighboursThatExist) {
  TPLSModel model(nullptr);
  TMatrix Y(nullptr), fitted(nullptr);
  // The one non-member sorts first and separates completely at row 1.
  Fill(Y, {{1}, {0}, {1}});
  Fill(fitted, {{0.9}, {0.1}, {0.5}});
  model.SetYMat(&Y);
  model.SetCFThresholds(&fitted);
  EXPECT_NEAR(model.ClassifThreshold()->GetVal(1), (0.1 + 0.5) / 2, 1e-15);
  // Every object a member: the separation grows to the last sorted row.
  Fill(Y, {{1}, {1}, {1}});
  Fill(fitted, {{0.9}, {0.3}, {0.6}});
  model.SetYMat(&Y);
  model.SetCFThresholds(&fitted);
  EXPECT_NEAR(model.ClassifThreshold()->GetVal(1), (0.6 + 0.9) / 2, 1e-15);
}

TEST_F(PLSTest, CrossValidationOfLinearDataAndItsAbort) {
  TMatrix X(nullptr), Y(nullptr);
  Design(X, 10, 2);
  Y.Resize(1, 10);
  for (Integer r = 1; r <= 10; ++r) Y.SetVal(1, r, 2 * X.GetVal(1, r) + X.GetVal(2, r));
  TPLSModel model(nullptr);
  model.SetXMat(&X);
  model.SetYMat(&Y);
  model.SetNFactors(2);
  std::vector<Integer> percents;
  model.OnPercentDone = [&](TObject* sender, Integer p) {
    EXPECT_EQ(sender, &model);
    percents.push_back(p);
  };
  EXPECT_NEAR(model.CrossValidateModel(2), 0, 1e-9);
  EXPECT_NEAR(model.CvdRmsEP()->GetVal(1), 0, 1e-9);
  EXPECT_EQ(percents.back(), 100);

  int asked = 0;
  model.OnCheckCVDAbort = [&](TObject*, bool& abort) { abort = ++asked == 3; };
  EXPECT_EQ(model.CrossValidateModel(2), -1);
  for (TVector* v : {model.CvdRmsEP(), model.CvdFPRate(), model.CvdTPRate()})
    EXPECT_EQ(v->GetVal(1), -1);
}

TEST_F(PLSTest, ModelFileRoundTripAndDamagedFiles) {
  testsupport::TempDir dir;
  TMatrix X(nullptr), Y(nullptr);
  TwoClasses(X, Y);
  TPLSModel model(nullptr);
  model.SetXMat(&X);
  model.SetYMat(&Y);
  model.SetNFactors(2);
  model.IsDiscriminantModel = true;
  model.SetPredName(1, "Temp\xc3\xa9rature");  // Latin-1 survives the 8-bit file
  model.SetPredName(2, "pressure");
  model.SetRespoName(1, "member");
  model.CalculateModel();
  model.SaveModelCoefficients("model.pls", "first model");

  TPLSModel loaded(nullptr);
  String comment;
  EXPECT_EQ(loaded.LoadModelCoefficients("model.pls", comment), 0);
  EXPECT_EQ(comment, "first model");
  EXPECT_EQ(loaded.Factors(), 2);
  EXPECT_TRUE(loaded.IsDiscriminantModel);
  EXPECT_EQ(loaded.ClassifThreshold()->GetVal(1), model.ClassifThreshold()->GetVal(1));
  for (Integer r = 1; r <= 3; ++r)
    EXPECT_EQ(loaded.RegCoeff()->GetVal(1, r), model.RegCoeff()->GetVal(1, r));
  EXPECT_EQ(loaded.XMat()->NrOfRows(), 4);
  EXPECT_EQ(loaded.XMat()->NrOfColumns(), 2);
  double lo, hi, mean, var;
  X.MinMax(1, 1, 1, 12, lo, hi);
  X.MeanVar(1, 1, 1, 12, mean, var);
  EXPECT_EQ(loaded.XMat()->GetVal(1, 1), lo);
  EXPECT_EQ(loaded.XMat()->GetVal(1, 2), hi);
  EXPECT_EQ(loaded.XMat()->GetVal(1, 3), mean);
  EXPECT_EQ(loaded.XMat()->GetVal(1, 4), std::sqrt(var));
  EXPECT_EQ(loaded.GetPredName(1), "Temp\xc3\xa9rature");
  EXPECT_EQ(loaded.GetRespoName(1), "member");
  EXPECT_EQ(LoadPLSModelComment("model.pls", comment), 0);
  EXPECT_EQ(comment, "first model");

  const std::string bytes = dir.read("model.pls");
  EXPECT_EQ(bytes.substr(0, 10), "#DLABPLS\r\n");
  dir.write("other.pls", "#OTHER\r\n" + bytes.substr(10));
  EXPECT_EQ(loaded.LoadModelCoefficients("other.pls", comment), -2);
  EXPECT_EQ(loaded.Factors(), 0);
  EXPECT_FALSE(loaded.IsDiscriminantModel);
  EXPECT_EQ(loaded.LoadModelCoefficients("missing.pls", comment), -1);
  EXPECT_EQ(LoadPLSModelComment("missing.pls", comment), -1);
  dir.write("short.pls", bytes.substr(0, 20));
  EXPECT_EQ(loaded.LoadModelCoefficients("short.pls", comment), -3);
  dir.write("cut.pls", bytes.substr(0, bytes.size() - 15));
  EXPECT_EQ(loaded.LoadModelCoefficients("cut.pls", comment), -1);
  std::string huge = bytes;
  huge[10 + 4] = '\xff';  // nx = 0x7fffff.. beyond what the file holds
  huge[10 + 7] = '\x7f';
  dir.write("huge.pls", huge);
  EXPECT_EQ(loaded.LoadModelCoefficients("huge.pls", comment), -1);
  EXPECT_EQ(loaded.LoadModelCoefficients(dir.path().string(), comment), -1);  // a folder
}

TEST_F(PLSTest, TextListing) {
  testsupport::TempDir dir;
  TMatrix X(nullptr);
  Fill(X, {{1, 2}, {2, 1}, {3, 5}, {4, 3}});
  TMatrix Y(nullptr);
  Fill(Y, {{1}, {0}, {1}, {0}});
  TPLSModel model(nullptr);
  model.SetXMat(&X);
  model.SetYMat(&Y);
  model.SetNFactors(1);
  model.SetPredName(1, "a");
  model.CalculateModel();
  {
    TTextFile f("list.txt");
    f.Rewrite();
    model.AppendModelParamsToFile(f, "listing");
    f.CloseFile();
  }
  const std::string text = dir.read("list.txt");
  auto real = [](double v) { return strff(v, 16, -2); };
  std::string want = "#COMMENT listing\r\n#VERSION 3\r\n#NFACT 1\r\n#XVARS 2\r\n";
  want += "0001 " + real(1) + " " + real(4) + " " + real(2.5) + " " + real(std::sqrt(5.0 / 3)) +
          " a\r\n";
  EXPECT_EQ(text.substr(0, want.size()), want);
  EXPECT_NE(text.find("\r\n#YVARS 1\r\n0001 "), std::string::npos);
  EXPECT_NE(text.find("\r\n#ISDISCRIM FALSE\r\n#COEFFS 1 3\r\n" +
                      real(model.RegCoeff()->GetVal(1, 1)) + " \r\n"),
            std::string::npos);
}

TEST_F(PLSTest, ProgressCountsDeflationRowsOnlyAndAnAbortStopsThere) {
  TMatrix X(nullptr), Y(nullptr);
  Design(X, 12, 3);
  Design(Y, 12, 1);
  TPLSModel model(nullptr);
  model.SetXMat(&X);
  model.SetYMat(&Y);
  model.SetNFactors(3);
  AbortMathProc = true;  // left over from elsewhere: cleared on entry
  model.CalculateModel();
  EXPECT_EQ(ProcStat.load(), 9);  // 3 factors x 3 rows; the decompositions leave no trace
  ProcStat = 0;
  // A decomposition of the 3 x 1 cross products counts 4 steps: the first reaches 4 (then
  // restored to 0), the deflation 3, the second decomposition 4 .. 7.
  MathFeedBackProc = [](Double now) {
    if (now >= 6) AbortMathProc = true;
  };
  model.CalculateModel();         // stops, without an error, in the second factor's decomposition
  EXPECT_EQ(ProcStat.load(), 3);  // which leaves no trace either
  EXPECT_NE(model.WgtX()->GetVal(1, 1), 0);
  EXPECT_EQ(model.WgtX()->GetVal(2, 1), 0);
}
