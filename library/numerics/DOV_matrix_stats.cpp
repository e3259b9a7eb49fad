// Statistics of TMatrix over windows, column and row transformations, searches, fills and
// the copies to and from vectors, other matrices and plain arrays.

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "DOV_math1.h"
#include "DOV_histogram.h"
#include "DOV_matrix.h"
#include "DOV_matrix_window.h"
#include "DOV_vector.h"
#include "RtlRandom.h"

using namespace dov_matrix;

namespace {

constexpr double kMinMaxStart = static_cast<double>(uc_MaxReal);
constexpr double kFindStart = static_cast<double>(uc_MaxDouble);

// The visitor of the shared figures (DOV_math1.h) over a valid window, column by column.
auto ForWindow(const TMatrix* M, Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) {
  return [=](auto f) {
    for (Integer c = LowCol; c <= HighCol; ++c) {
      const double* a = M->ColumnPtr(c);
      for (Integer r = LowRow - 1; r < HighRow; ++r) f(a[r]);
    }
  };
}

}  // namespace

bool TMatrix::ValidWindow(Integer& LowCol, Integer& LowRow, Integer& HighCol,
                          Integer& HighRow) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  return LowCol >= 1 && LowRow >= 1 && HighCol >= LowCol && HighRow >= LowRow;
}

std::vector<double> TMatrix::WindowValues(Integer LowCol, Integer LowRow, Integer HighCol,
                                          Integer HighRow, bool RowsOuter) const {
  if (!ValidWindow(LowCol, LowRow, HighCol, HighRow)) return {};
  return dov_matrix::WindowValues(this, LowCol, LowRow, HighCol, HighRow, RowsOuter,
                                  [this](Integer c, Integer r) { return ColumnPtr(c)[r - 1]; });
}

// ---- statistics --------------------------------------------------------------------------

void TMatrix::MinMax(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                     double& Minimum, double& Maximum) const {
  Minimum = kMinMaxStart;
  Maximum = -kMinMaxStart;
  if (!ValidWindow(LowCol, LowRow, HighCol, HighRow)) return;
  for (Integer c = LowCol; c <= HighCol; ++c) {
    const double* a = ColumnPtr(c);
    for (Integer r = LowRow - 1; r < HighRow; ++r) {
      if (a[r] < Minimum) Minimum = a[r];
      if (a[r] > Maximum) Maximum = a[r];
    }
  }
}

void TMatrix::MeanVar(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                      double& Mean, double& Variance) const {
  Mean = Variance = 0;
  if (!ValidWindow(LowCol, LowRow, HighCol, HighRow)) return;
  MeanVarOf(ForWindow(this, LowCol, LowRow, HighCol, HighRow), Mean, Variance);
}

double TMatrix::Sum(Integer LoC, Integer LoR, Integer HiC, Integer HiR) const {
  if (!ValidWindow(LoC, LoR, HiC, HiR)) return 0;
  double s = 0;
  for (Integer c = LoC; c <= HiC; ++c) {
    const double* a = ColumnPtr(c);
    for (Integer r = LoR - 1; r < HiR; ++r) s += a[r];
  }
  return s;
}

double TMatrix::GeometricMean(Integer LowCol, Integer LowRow, Integer HighCol,
                              Integer HighRow) const {
  if (!ValidWindow(LowCol, LowRow, HighCol, HighRow)) return 0;
  bool zero = false;
  double s = 0;
  for (Integer c = LowCol; c <= HighCol; ++c) {
    const double* a = ColumnPtr(c);
    for (Integer r = LowRow - 1; r < HighRow; ++r) {
      if (a[r] < 0)
        throw ESDLMatrixError(
            ComponentErrorMessage(this, "negative argument passed to GeometricMean"));
      if (a[r] == 0)
        zero = true;
      else
        s += std::log(a[r]);
    }
  }
  if (zero) return 0;
  return std::exp(s / (static_cast<double>(HighCol - LowCol + 1) * (HighRow - LowRow + 1)));
}

double TMatrix::HarmonicMean(Integer LowCol, Integer LowRow, Integer HighCol,
                             Integer HighRow) const {
  if (!ValidWindow(LowCol, LowRow, HighCol, HighRow)) return 0;
  double s = 0;
  for (Integer c = LowCol; c <= HighCol; ++c) {
    const double* a = ColumnPtr(c);
    for (Integer r = LowRow - 1; r < HighRow; ++r) {
      if (!(a[r] > 0))
        throw ESDLMatrixError(
            ComponentErrorMessage(this, "negative or zero argument passed to HarmonicMean"));
      s += 1.0 / a[r];
    }
  }
  return static_cast<double>(HighCol - LowCol + 1) * (HighRow - LowRow + 1) / s;
}

void TMatrix::SkewKurt(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                       double& Skewness, double& Kurtosis) const {
  Skewness = Kurtosis = 0;
  if (!ValidWindow(LowCol, LowRow, HighCol, HighRow)) return;
  SkewKurtOf(ForWindow(this, LowCol, LowRow, HighCol, HighRow), Skewness, Kurtosis);
}

void TMatrix::SkewKurtSample(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                             double& Skewness, double& Kurtosis) const {
  Skewness = Kurtosis = 0;
  if (!ValidWindow(LowCol, LowRow, HighCol, HighRow)) return;
  SampleSkewKurtOf(ForWindow(this, LowCol, LowRow, HighCol, HighRow), Skewness, Kurtosis);
}

bool TMatrix::Quartiles(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                        double& Q1, double& Q2, double& Q3) const {
  Q1 = Q2 = Q3 = 0;
  std::vector<double> x = WindowValues(LowCol, LowRow, HighCol, HighRow, true);
  if (x.empty()) return false;
  SortArray(x.data(), static_cast<Integer>(x.size()) - 1, true);
  return QuartilesOfSorted(x.data(), static_cast<Int64>(x.size()), Q1, Q2, Q3);
}

double TMatrix::Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                           Integer HighRow) const {
  std::vector<double> x = WindowValues(LowCol, LowRow, HighCol, HighRow, false);
  return RankPercentile(x.data(), static_cast<Int64>(x.size()), prob);
}

double TMatrix::Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                           Integer HighRow, Integer SampleSize) const {
  Integer lc = LowCol, lr = LowRow, hc = HighCol, hr = HighRow;
  if (!ValidWindow(lc, lr, hc, hr)) return 0;
  const Int64 n = static_cast<Int64>(hc - lc + 1) * (hr - lr + 1);
  if (SampleSize <= 0 || SampleSize >= n) return Percentile(prob, LowCol, LowRow, HighCol, HighRow);
  std::vector<double> draws = DrawSample(this, SampleSize, [&] {
    const Integer c = lc + Random(hc - lc + 1);
    const Integer r = lr + Random(hr - lr + 1);
    return ColumnPtr(c)[r - 1];
  });
  Integer neg = 0, zero = 0;
  for (double d : draws) {
    if (std::isnan(d)) return d;  // no order: no percentile
    if (d < 0) ++neg;
    if (d == 0) ++zero;
  }
  const double p = ClampPercent(prob) / 100;
  if (static_cast<double>(neg) / SampleSize < p && p < static_cast<double>(neg + zero) / SampleSize)
    return 0;
  return RankPercentile(draws.data(), SampleSize, prob);
}

bool TMatrix::Histogram(Integer LoX, Integer LoY, Integer HiX, Integer HiY, double FirstBin,
                        double LastBin, double BinWidth, TIntVector* Histo, Integer& Underflow,
                        Integer& Overflow, Integer& MaxCnt) const {
  if (!dov_histogram::Start(Histo, FirstBin, LastBin, BinWidth, Underflow, Overflow, MaxCnt))
    return false;
  const Integer NE = Histo->NrOfElem();
  if (!ValidWindow(LoX, LoY, HiX, HiY)) return true;
  const double top = LastBin + BinWidth;
  for (Integer c = LoX; c <= HiX; ++c) {
    const double* a = ColumnPtr(c);
    for (Integer r = LoY - 1; r < HiY; ++r) {
      const double v = a[r];
      if (v < FirstBin) {
        ++Underflow;
      } else if (v >= top) {
        ++Overflow;
      } else {
        const double b = std::floor((v - FirstBin) / BinWidth) + 1;
        if (!(b >= 1 && b <= NE)) continue;  // outside the vector (NaN too): dropped
        const auto bin = static_cast<Integer>(b);
        Histo->SetVal(bin, Histo->GetVal(bin) + 1);
        MaxCnt = std::max(MaxCnt, Histo->GetVal(bin));
      }
    }
  }
  return true;
}

double TMatrix::Correlate(const TMatrix* OtherMat) const {
  if (OtherMat == nullptr || OtherMat->FNCol != FNCol || OtherMat->FNRow != FNRow)
    throw ESDLMatrixError(ComponentErrorMessage(this, "matrices do not match"));
  return CorrelationOf(
      [&](auto f) {
        for (Integer c = 1; c <= FNCol; ++c) {
          const double* x = ColumnPtr(c);
          const double* y = OtherMat->ColumnPtr(c);
          for (Integer r = 0; r < FNRow; ++r) f(x[r], y[r]);
        }
      },
      3);
}

void TMatrix::Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, double Value,
                   Integer& ColIx, Integer& RowIx) const {
  ColIx = RowIx = 0;
  if (!ValidWindow(LowCol, LowRow, HighCol, HighRow)) return;
  double best = kFindStart;
  for (Integer c = LowCol; c <= HighCol; ++c) {
    const double* a = ColumnPtr(c);
    for (Integer r = LowRow; r <= HighRow; ++r) {
      const double d = std::fabs(a[r - 1] - Value);
      if (d < best) {
        best = d;
        ColIx = c;
        RowIx = r;
      }
    }
  }
}

Integer TMatrix::FindInSortedColumn(Integer Col, bool ColIsAscending, double Value) const {
  if (Col < 1 || Col > FNCol || FNRow < 1) return 0;
  return FindInSorted(ColumnPtr(Col), FNRow, ColIsAscending, Value);
}

Integer TMatrix::Dichotomize(double Threshold, TBool2DArray& ResultArray) const {
  ResultArray.assign(static_cast<std::size_t>(std::max<Integer>(FNCol, 0)),
                     TBoolArray(static_cast<std::size_t>(std::max<Integer>(FNRow, 0)), false));
  Integer count = 0;
  for (Integer c = 1; c <= FNCol; ++c) {
    const double* a = ColumnPtr(c);
    for (Integer r = 0; r < FNRow; ++r) {
      const bool above = a[r] > Threshold;
      ResultArray[c - 1][r] = above;
      count += above;
    }
  }
  return count;
}

// ---- transformations ---------------------------------------------------------------------

void TMatrix::MeanVec(TDims Dim, TVector* Means) const {
  if (Means == nullptr) return;
  if (Dim == dimX) {
    Means->SetVecSize(FNCol);
    for (Integer c = 1; c <= FNCol; ++c) Means->SetVal(c, Sum(c, 1, c, FNRow) / FNRow);
  } else if (Dim == dimY) {
    Means->SetVecSize(FNRow);
    std::vector<double> sums(static_cast<std::size_t>(std::max<Integer>(FNRow, 0)), 0.0);
    for (Integer c = 1; c <= FNCol; ++c) {
      const double* a = ColumnPtr(c);
      for (Integer r = 0; r < FNRow; ++r) sums[r] += a[r];
    }
    for (Integer r = 1; r <= FNRow; ++r) Means->SetVal(r, sums[r - 1] / FNCol);
  }
}

void TMatrix::StandardizeColumns(TVector* Means, TVector* StdDevs) {
  for (Integer c = 1; c <= FNCol; ++c) {
    double mean, var;
    MeanVar(c, 1, c, FNRow, mean, var);
    const double sd = std::sqrt(var);
    if (var > 0) {
      double* a = ColumnPtr(c);
      for (Integer r = 0; r < FNRow; ++r) a[r] = (a[r] - mean) / sd;
    }
    if (Means != nullptr) Means->SetVal(c, mean);
    if (StdDevs != nullptr) StdDevs->SetVal(c, sd);
  }
  Changed();
}

void TMatrix::StandardizeRows(TVector* Means, TVector* StdDevs) {
  for (Integer r = 1; r <= FNRow; ++r) {
    double mean, var;
    MeanVar(1, r, FNCol, r, mean, var);
    const double sd = std::sqrt(var);
    if (var > 0)
      for (Integer c = 1; c <= FNCol; ++c) ColumnPtr(c)[r - 1] = (ColumnPtr(c)[r - 1] - mean) / sd;
    if (Means != nullptr) Means->SetVal(r, mean);
    if (StdDevs != nullptr) StdDevs->SetVal(r, sd);
  }
  Changed();
}

void TMatrix::MeanCenterColumns(TVector* Means) {
  if (Means != nullptr) Means->SetVecSize(FNCol);
  for (Integer c = 1; c <= FNCol; ++c) {
    double mean, var;
    MeanVar(c, 1, c, FNRow, mean, var);
    double* a = ColumnPtr(c);
    for (Integer r = 0; r < FNRow; ++r) a[r] -= mean;
    if (Means != nullptr) Means->SetVal(c, mean);
  }
  Changed();
}

void TMatrix::MeanCenterRows(TVector* Means) {
  if (Means != nullptr) Means->SetVecSize(FNRow);
  for (Integer r = 1; r <= FNRow; ++r) {
    double mean, var;
    MeanVar(1, r, FNCol, r, mean, var);
    for (Integer c = 1; c <= FNCol; ++c) ColumnPtr(c)[r - 1] -= mean;
    if (Means != nullptr) Means->SetVal(r, mean);
  }
  Changed();
}

void TMatrix::QNormalizeColumns(double RefQuant, TVector* Medians, TVector* QuantDiffs) {
  for (Integer c = 1; c <= FNCol; ++c) {
    const double q = Percentile(RefQuant, c, 1, c, FNRow);
    const double m = Percentile(50, c, 1, c, FNRow);
    const double d = std::fabs(m - q);
    if (d > 0) {
      double* a = ColumnPtr(c);
      for (Integer r = 0; r < FNRow; ++r) a[r] = (a[r] - m) / d;
    }
    if (Medians != nullptr) Medians->SetVal(c, m);
    if (QuantDiffs != nullptr) QuantDiffs->SetVal(c, d);
  }
  Changed();
}

void TMatrix::QNormalizeRows(double RefQuant, TVector* Medians, TVector* QuantDiffs) {
  for (Integer r = 1; r <= FNRow; ++r) {
    const double q = Percentile(RefQuant, 1, r, FNCol, r);
    const double m = Percentile(50, 1, r, FNCol, r);
    const double d = std::fabs(m - q);
    if (d > 0)
      for (Integer c = 1; c <= FNCol; ++c) ColumnPtr(c)[r - 1] = (ColumnPtr(c)[r - 1] - m) / d;
    if (Medians != nullptr) Medians->SetVal(r, m);
    if (QuantDiffs != nullptr) QuantDiffs->SetVal(r, d);
  }
  Changed();
}

void TMatrix::EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, TVector* DestVec) const {
  if (DestVec == nullptr) return;
  EdgeVectorOf(FNCol, FNRow, Orient, EdgeOp, DestVec,
               [this](Integer c, Integer r) { return ColumnPtr(c)[r - 1]; });
}

void TMatrix::MirrorColumns() {
  MirrorColumnsOf(Block());
  Changed();
}

void TMatrix::MirrorRows() {
  MirrorRowsOf(Block());
  Changed();
}

void TMatrix::ExchangeColumns(Integer c1, Integer c2) {
  if (ExchangeColumnsOf(Block(), c1, c2)) Changed();
}

void TMatrix::ExchangeRows(Integer r1, Integer r2) {
  if (ExchangeRowsOf(Block(), r1, r2)) Changed();
}

void TMatrix::FillDiag(double Value) {
  for (Integer i = 1; i <= std::min(FNCol, FNRow); ++i) ColumnPtr(i)[i - 1] = Value;
  Changed();
}

void TMatrix::FillRandomUniform(double RangeLow, double RangeHigh) {
  for (Integer c = 1; c <= FNCol; ++c) {
    double* a = ColumnPtr(c);
    for (Integer r = 0; r < FNRow; ++r)
      a[r] = UniformBetween(RangeLow, RangeHigh, static_cast<double>(RandomReal()));
  }
  Changed();
}

void TMatrix::FillRandomGauss(double Mean, double StdDev) {
  for (Integer c = 1; c <= FNCol; ++c) {
    double* a = ColumnPtr(c);
    for (Integer r = 0; r < FNRow; ++r) a[r] = GRandom() * StdDev + Mean;
  }
  Changed();
}

// ---- copies ------------------------------------------------------------------------------

void TMatrix::CopyRowToVec(TVector* DestVec, Integer Row, Integer FirstCol, Integer LastCol) const {
  if (DestVec == nullptr || FNCol < 1 || FNRow < 1) return;
  MakeValidColRange(FirstCol, LastCol);
  Row = std::clamp<Integer>(Row, 1, FNRow);
  LastCol = std::min<Int64>(LastCol, static_cast<Int64>(FirstCol) + DestVec->NrOfElem() - 1);
  DestVec->Clear();
  for (Integer c = FirstCol; c <= LastCol; ++c)
    DestVec->SetVal(c - FirstCol + 1, ColumnPtr(c)[Row - 1]);
}

void TMatrix::CopyColToVec(TVector* DestVec, Integer Col, Integer FirstRow, Integer LastRow) const {
  if (DestVec == nullptr || FNCol < 1 || FNRow < 1) return;
  MakeValidRowRange(FirstRow, LastRow);
  Col = std::clamp<Integer>(Col, 1, FNCol);
  LastRow = std::min<Int64>(LastRow, static_cast<Int64>(FirstRow) + DestVec->NrOfElem() - 1);
  DestVec->Clear();
  const double* a = ColumnPtr(Col);
  for (Integer r = FirstRow; r <= LastRow; ++r) DestVec->SetVal(r - FirstRow + 1, a[r - 1]);
}

void TMatrix::CopyFrom(const TMatrix* MatSource, Integer SourceColLo, Integer SourceRowLo,
                       Integer SourceColHi, Integer SourceRowHi, Integer DestCol, Integer DestRow) {
  if (MatSource == nullptr) return;
  const Integer sc = MatSource->FNCol, sr = MatSource->FNRow;
  if (sc >= 1 && sr >= 1) {
    SourceColLo = std::clamp<Integer>(SourceColLo, 1, sc);
    SourceColHi = std::clamp<Integer>(SourceColHi, 1, sc);
    SourceRowLo = std::clamp<Integer>(SourceRowLo, 1, sr);
    SourceRowHi = std::clamp<Integer>(SourceRowHi, 1, sr);
    if (SourceColHi < SourceColLo) std::swap(SourceColLo, SourceColHi);
    if (SourceRowHi < SourceRowLo) std::swap(SourceRowLo, SourceRowHi);
    // Read first: the source may be this matrix.
    const std::vector<double> part =
        MatSource->WindowValues(SourceColLo, SourceRowLo, SourceColHi, SourceRowHi, false);
    std::size_t i = 0;
    for (Integer c = SourceColLo; c <= SourceColHi; ++c)
      for (Integer r = SourceRowLo; r <= SourceRowHi; ++r, ++i) {
        const Int64 dc = static_cast<Int64>(c) + DestCol - SourceColLo;
        const Int64 dr = static_cast<Int64>(r) + DestRow - SourceRowLo;
        if (dc >= 1 && dc <= FNCol && dr >= 1 && dr <= FNRow)
          SetVal(static_cast<Integer>(dc), static_cast<Integer>(dr), part[i]);
      }
  }
  Changed();
}

void TMatrix::CopyFromVec(const TVector* VecSource, Integer Source1stElem, Integer SourceLastElem,
                          Integer DestCol, Integer DestRow) {
  CopyFromVec(dimY, VecSource, Source1stElem, SourceLastElem, DestCol, DestRow);
}

void TMatrix::CopyFromVec(TDims Dim, const TVector* VecSource, Integer Source1stElem,
                          Integer SourceLastElem, Integer DestCol, Integer DestRow) {
  if (VecSource == nullptr) return;
  VecSource->MakeValidElemRange(Source1stElem, SourceLastElem);
  if (Dim == dimX || Dim == dimY) {
    for (Integer e = Source1stElem; e <= SourceLastElem; ++e) {
      const Int64 k = e - Source1stElem;
      const Int64 c = Dim == dimX ? DestCol + k : DestCol;
      const Int64 r = Dim == dimY ? DestRow + k : DestRow;
      if (c >= 1 && c <= FNCol && r >= 1 && r <= FNRow)
        SetVal(static_cast<Integer>(c), static_cast<Integer>(r), VecSource->GetVal(e));
    }
  }
  Changed();
}

void TMatrix::CopyToArray(TDouble2DArray& DestArray, Integer LowCol, Integer HighCol,
                          Integer LowRow, Integer HighRow) const {
  DestArray.clear();
  if (!ValidWindow(LowCol, LowRow, HighCol, HighRow)) return;
  DestArray.resize(static_cast<std::size_t>(HighCol - LowCol + 1));
  for (Integer c = LowCol; c <= HighCol; ++c)
    DestArray[c - LowCol].assign(ColumnPtr(c) + (LowRow - 1), ColumnPtr(c) + HighRow);
}

void TMatrix::CopyFromArray(const TDouble2DArray& SrcArray, Integer Col, Integer Row) {
  if (SrcArray.empty()) return;
  const std::size_t width = SrcArray[0].size();
  for (std::size_t i = 0; i < SrcArray.size(); ++i) {
    const std::size_t len = std::min(width, SrcArray[i].size());
    for (std::size_t j = 0; j < len; ++j) {
      const Int64 c = Col + static_cast<Int64>(i), r = Row + static_cast<Int64>(j);
      if (c >= 1 && c <= FNCol && r >= 1 && r <= FNRow)
        SetVal(static_cast<Integer>(c), static_cast<Integer>(r), SrcArray[i][j]);
    }
  }
}
