// Data table statistics over windows of cells, respecting cell states and scale types.

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <vector>

#include "DOV_datatable.h"
#include "DOV_math1.h"
#include "DOV_progress.h"
#include "DOV_univconst.h"

namespace {

inline bool IsNumberState(Byte s) { return (s & (csNoNumber | csEmpty)) == 0; }
inline bool IsNumericScale(TMScaleType t) { return t == stInterval || t == stRatio; }
// Marking bits $04..$80 shared with the mask; $01 and $02 of the mask play no part.
inline bool SharesMark(Byte s, Byte mask) { return (s & mask & 0xFC) != 0; }

constexpr Integer kAttribLevels = 256;

struct TMoments {
  double S = 0;
  Integer N = 0;
  void Add(double v) {
    S += v;
    ++N;
  }
};

}  // namespace

template <class Select>
void TDataTable::ForCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                          Select select) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (LowCol < 1 || LowRow < 1) return;
  for (Integer c = LowCol; c <= HighCol; ++c) {
    const TMScaleType t = FVType[static_cast<std::size_t>(c - 1)].MScaleType;
    const auto& states = FCState[static_cast<std::size_t>(c - 1)];
    const double* values = NumericData->ColumnPtr(c);
    for (Integer r = LowRow; r <= HighRow; ++r)
      select(c, r, t, states[static_cast<std::size_t>(r - 1)], values[r - 1]);
  }
}

Integer TDataTable::CountNumCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                  Integer HighRow) const {
  Integer n = 0;
  ForCells(LowCol, LowRow, HighCol, HighRow, [&](Integer, Integer, TMScaleType t, Byte s, double) {
    n += IsNumericScale(t) && IsNumberState(s);
  });
  return n;
}

Integer TDataTable::CountValidCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                    Integer HighRow) const {
  Integer n = 0;
  ForCells(LowCol, LowRow, HighCol, HighRow,
           [&](Integer, Integer, TMScaleType, Byte s, double) { n += IsNumberState(s); });
  return n;
}

Integer TDataTable::CountEmptyCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                    Integer HighRow) const {
  Integer n = 0;
  ForCells(LowCol, LowRow, HighCol, HighRow,
           [&](Integer, Integer, TMScaleType, Byte s, double) { n += (s & csEmpty) != 0; });
  return n;
}

Integer TDataTable::CountImputedCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                      Integer HighRow) const {
  Integer n = 0;
  ForCells(LowCol, LowRow, HighCol, HighRow,
           [&](Integer, Integer, TMScaleType, Byte s, double) { n += (s & csImputed) != 0; });
  return n;
}

double TDataTable::SumOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                                 Integer& NumData) const {
  TMoments m;
  ForCells(LowCol, LowRow, HighCol, HighRow,
           [&](Integer, Integer, TMScaleType t, Byte s, double v) {
             if (IsNumericScale(t) && IsNumberState(s)) m.Add(v);
           });
  NumData = m.N;
  return m.S;
}

double TDataTable::SumOfMarkedCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                    Integer HighRow, Byte CellState, Integer& NumData) const {
  TMoments m;
  ForCells(LowCol, LowRow, HighCol, HighRow,
           [&](Integer, Integer, TMScaleType t, Byte s, double v) {
             if (IsNumericScale(t) && IsNumberState(s) && SharesMark(s, CellState)) m.Add(v);
           });
  NumData = m.N;
  return m.S;
}

Integer TDataTable::MeanVarOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                      Integer HighRow, double& Mean, double& Variance) const {
  return static_cast<Integer>(MeanVarOf(
      [&](auto f) {
        ForCells(LowCol, LowRow, HighCol, HighRow,
                 [&](Integer, Integer, TMScaleType t, Byte s, double v) {
                   if (IsNumericScale(t) && IsNumberState(s)) f(v);
                 });
      },
      Mean, Variance));
}

Integer TDataTable::MeanVarOfMarkedCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                         Integer HighRow, Byte CellState, double& Mean,
                                         double& Variance) const {
  return static_cast<Integer>(MeanVarOf(
      [&](auto f) {
        ForCells(LowCol, LowRow, HighCol, HighRow,
                 [&](Integer, Integer, TMScaleType t, Byte s, double v) {
                   if (IsNumericScale(t) && IsNumberState(s) && SharesMark(s, CellState)) f(v);
                 });
      },
      Mean, Variance));
}

namespace {
struct TExtremes {
  double Min = static_cast<double>(uc_MaxReal), Max = -static_cast<double>(uc_MaxReal);
  Integer N = 0;
  void Add(double v) {
    if (v < Min) Min = v;
    if (v > Max) Max = v;
    ++N;
  }
};
}  // namespace

Integer TDataTable::MinMaxOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                     Integer HighRow, double& Minimum, double& Maximum) const {
  TExtremes e;
  ForCells(LowCol, LowRow, HighCol, HighRow,
           [&](Integer, Integer, TMScaleType t, Byte s, double v) {
             if (IsNumericScale(t) && IsNumberState(s)) e.Add(v);
           });
  Minimum = e.Min;
  Maximum = e.Max;
  return e.N;
}

Integer TDataTable::MinMaxOfMarkedCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                        Integer HighRow, Byte CellState, double& Minimum,
                                        double& Maximum) const {
  TExtremes e;
  ForCells(LowCol, LowRow, HighCol, HighRow, [&](Integer, Integer, TMScaleType, Byte s, double v) {
    if (IsNumberState(s) && SharesMark(s, CellState)) e.Add(v);
  });
  Minimum = e.Min;
  Maximum = e.Max;
  return e.N;
}

Integer TDataTable::MinMaxOfValidCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                       Integer HighRow, double& Minimum, double& Maximum) const {
  TExtremes e;
  ForCells(LowCol, LowRow, HighCol, HighRow,
           [&](Integer, Integer, TMScaleType t, Byte s, double v) {
             if (!IsNumberState(s)) return;
             e.Add(IsCategorial(t) ? std::nearbyint(v) : v);
           });
  Minimum = e.Min;
  Maximum = e.Max;
  return e.N;
}

double TDataTable::GeometricMeanOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                           Integer HighRow, Integer& NumData) const {
  double sum = 0;
  Integer n = 0;
  bool zero = false;
  ForCells(LowCol, LowRow, HighCol, HighRow,
           [&](Integer, Integer, TMScaleType t, Byte s, double v) {
             if (!IsNumericScale(t) || !IsNumberState(s)) return;
             if (v < 0)
               throw ESDLMatrixError(
                   ComponentErrorMessage(this, "negative argument passed to GeometricMean"));
             if (v == 0) {
               zero = true;
               return;
             }
             sum += std::log(v);
             ++n;
           });
  NumData = n;
  if (zero || n == 0) return 0;
  return std::exp(sum / n);
}

double TDataTable::HarmonicMeanOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                          Integer HighRow, Integer& NumData) const {
  double sum = 0;
  Integer n = 0;
  ForCells(LowCol, LowRow, HighCol, HighRow,
           [&](Integer, Integer, TMScaleType t, Byte s, double v) {
             if (!IsNumericScale(t) || !IsNumberState(s)) return;
             if (v <= 0)
               throw ESDLMatrixError(
                   ComponentErrorMessage(this, "negative or zero argument passed to HarmonicMean"));
             sum += 1 / v;
             ++n;
           });
  NumData = n;
  return n == 0 ? 0 : n / sum;
}

bool TDataTable::QuartilesOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol,
                                     Integer HighRow, double& Q1, double& Q2, double& Q3,
                                     Integer& NumData) const {
  std::vector<double> x;
  try {
    x.reserve(static_cast<std::size_t>(CountNumCells(LowCol, LowRow, HighCol, HighRow)));
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  ForCells(LowCol, LowRow, HighCol, HighRow,
           [&](Integer, Integer, TMScaleType t, Byte s, double v) {
             if (IsNumericScale(t) && IsNumberState(s)) x.push_back(v);
           });
  const auto n = static_cast<Integer>(x.size());
  NumData = n;
  Q1 = Q2 = Q3 = 0;
  if (n == 0) return true;
  if (n > 1) SortArray(x.data(), n - 1, true);
  // A position at or beyond the last value is the largest value, as for vectors and matrices
  // (clamping to n - 1 would put Q3 below Q2 for small counts).
  return QuartilesOfSorted(x.data(), n, Q1, Q2, Q3);
}

namespace {
double InterpolatedPercentile(std::vector<double>& x, double prob) {
  const auto n = static_cast<Integer>(x.size());
  if (n > 1) SortArray(x.data(), n - 1, true);
  return PercentileOfSorted(x.data(), n, prob);
}
}  // namespace

double TDataTable::PercentileOfNumCells(double prob, Integer LowCol, Integer LowRow,
                                        Integer HighCol, Integer HighRow, Integer& NumData) const {
  std::vector<double> x;
  ForCells(LowCol, LowRow, HighCol, HighRow,
           [&](Integer, Integer, TMScaleType t, Byte s, double v) {
             if (IsNumericScale(t) && IsNumberState(s)) x.push_back(v);
           });
  NumData = static_cast<Integer>(x.size());
  return InterpolatedPercentile(x, prob);
}

double TDataTable::PercentileOfMarkedCells(double prob, Integer LowCol, Integer LowRow,
                                           Integer HighCol, Integer HighRow, Byte CellState,
                                           Integer& NumData) const {
  std::vector<double> x;
  ForCells(LowCol, LowRow, HighCol, HighRow,
           [&](Integer, Integer, TMScaleType t, Byte s, double v) {
             if (IsNumericScale(t) && IsNumberState(s) && SharesMark(s, CellState)) x.push_back(v);
           });
  NumData = static_cast<Integer>(x.size());
  return InterpolatedPercentile(x, prob);
}

Integer TDataTable::CopyCellsToVector(Integer LowCol, Integer LowRow, Integer HighCol,
                                      Integer HighRow, Byte CellState, TVector* DestVect) const {
  if (DestVect == nullptr) return 0;
  Integer lc = LowCol, lr = LowRow, hc = HighCol, hr = HighRow;
  MakeValidColRange(lc, hc);
  MakeValidRowRange(lr, hr);
  DestVect->Resize((hc - lc + 1) * (hr - lr + 1));
  Integer n = 0;
  ForCells(LowCol, LowRow, HighCol, HighRow, [&](Integer, Integer, TMScaleType, Byte s, double v) {
    if (!IsNumberState(s)) return;
    if (CellState == 255 || (s & CellState) != 0) DestVect->SetVal(++n, v);
  });
  DestVect->Resize(n);
  return n;
}

bool TDataTable::CalcCovar(TMatrix* CovarMat, Integer LoC, Integer HiC, Integer LoR, Integer HiR,
                           Integer Mode) {
  AbortMathProc = false;
  const Integer n = HiC - LoC + 1;
  if (CovarMat == nullptr || CovarMat->NrOfColumns() < n || CovarMat->NrOfRows() < n) return false;
  std::vector<double> mean(static_cast<std::size_t>(std::max(n, 0)), 0.0);
  if (Mode > 0)
    for (Integer i = 1; i <= n; ++i) {
      double m, v;
      MeanVarOfNumCells(LoC + i - 1, LoR, LoC + i - 1, HiR, m, v);
      mean[i - 1] = m;
      ProgressStep();
    }
  // Cells outside the table read as number cells holding 0.
  auto cell = [&](Integer c, Integer r, double& v) {
    if (!InsideCell(c, r)) {
      v = 0;
      return true;
    }
    v = NumericData->GetVal(c, r);
    return IsNumberState(FCState[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r - 1)]);
  };
  for (Integer i = 1; i <= n; ++i) {
    if (AbortMathProc.load(std::memory_order_relaxed)) return false;
    ProgressStep();
    for (Integer j = 1; j <= i; ++j) {
      double sxy = 0, sx = 0, sy = 0, sxx = 0, syy = 0, m = 0;
      for (Integer r = LoR; r <= HiR; ++r) {
        double x, y;
        if (!cell(LoC + i - 1, r, x) || !cell(LoC + j - 1, r, y)) continue;
        m += 1;
        switch (Mode) {
          case 0: sxy += x * y; break;
          case 1: sxy += (x - mean[i - 1]) * (y - mean[j - 1]); break;
          case 2:
          case 3:
            sx += x;
            sy += y;
            sxx += x * x;
            syy += y * y;
            sxy += x * y;
            break;
          case 4: sxy += (x - y) * (x - y); break;
          default: break;
        }
      }
      double e = 0;
      switch (Mode) {
        case 0:
        case 1:
        case 4: e = m >= 2 ? sxy / (m - 1) : 0; break;
        case 2:
        case 3:
          if (m >= 3 && sxx > 0 && syy > 0) {
            const double v = sxx - sx * sx / m, w = syy - sy * sy / m;
            e = (v == 0 || w == 0) ? 0 : (sxy - sx * sy / m) / std::sqrt(std::fabs(v * w));
            if (Mode == 3) e *= e;
          }
          break;
        default: break;
      }
      if ((Mode == 2 || Mode == 3) && i == j) e = 1;
      CovarMat->SetVal(j, i, e);
      CovarMat->SetVal(i, j, e);
    }
  }
  return !AbortMathProc.load(std::memory_order_relaxed);
}

void TDataTable::StandardizeNumCellColumns(TVector* Means, TVector* StdDevs) {
  bool any = false;
  for (Integer c = 1; c <= FNrOfCols; ++c) {
    if (!IsNumericScale(GetMScaleType(c))) continue;
    double m, v;
    MeanVarOfNumCells(c, 1, c, FNrOfRows, m, v);
    if (v > 0) {
      any = true;
      const double sd = std::sqrt(v);
      for (Integer r = 1; r <= FNrOfRows; ++r)
        if (GetIsNumber(c, r)) NumericData->SetVal(c, r, (NumericData->GetVal(c, r) - m) / sd);
    }
    if (Means != nullptr) Means->SetVal(c, m);
    if (StdDevs != nullptr) StdDevs->SetVal(c, std::sqrt(v));
  }
  if (any) ChangedData();
}

void TDataTable::MeanCenterNumCellColumns(TVector* Means) {
  for (Integer c = 1; c <= FNrOfCols; ++c) {
    if (!IsNumericScale(GetMScaleType(c))) continue;
    double m, v;
    MeanVarOfNumCells(c, 1, c, FNrOfRows, m, v);
    for (Integer r = 1; r <= FNrOfRows; ++r)
      if (GetIsNumber(c, r)) NumericData->SetVal(c, r, NumericData->GetVal(c, r) - m);
    if (Means != nullptr) Means->SetVal(c, m);
  }
  ChangedData();
}

void TDataTable::StandardizeNumCellRows(TVector* Means, TVector* StdDevs) {
  for (Integer c = 1; c <= FNrOfCols; ++c)
    if (IsCategorial(GetMScaleType(c)))
      throw ESDLDataTableError(
          "standardization of rows is not possible with nominal or ordinal variables");
  for (Integer r = 1; r <= FNrOfRows; ++r) {
    double m, v;
    MeanVarOfNumCells(1, r, FNrOfCols, r, m, v);
    if (v > 0) {
      const double sd = std::sqrt(v);
      for (Integer c = 1; c <= FNrOfCols; ++c)
        if (GetIsNumber(c, r)) NumericData->SetVal(c, r, (NumericData->GetVal(c, r) - m) / sd);
    }
    if (Means != nullptr) Means->SetVal(r, m);
    if (StdDevs != nullptr) StdDevs->SetVal(r, std::sqrt(v));
  }
  ChangedData();
}

void TDataTable::MeanCenterNumCellRows(TVector* Means) {
  for (Integer c = 1; c <= FNrOfCols; ++c)
    if (IsCategorial(GetMScaleType(c)))
      throw ESDLDataTableError(
          "mean centering of rows is not possible with nominal or ordinal variables");
  for (Integer r = 1; r <= FNrOfRows; ++r) {
    double m, v;
    MeanVarOfNumCells(1, r, FNrOfCols, r, m, v);
    for (Integer c = 1; c <= FNrOfCols; ++c)
      if (GetIsNumber(c, r)) NumericData->SetVal(c, r, NumericData->GetVal(c, r) - m);
    if (Means != nullptr) Means->SetVal(r, m);
  }
  ChangedData();
}

namespace {
// The extreme of Values[First..Last] (1-based, range rule done by the caller): the first item
// starts it; a later one strictly beyond it takes over and gives its index.
template <class Beyond>
Integer Extreme(const std::vector<Integer>& Values, Integer First, Integer Last, Integer& Ix,
                Beyond beyond) {
  Ix = 0;
  if (First < 1 || Last < First) return 0;
  Integer best = Values[static_cast<std::size_t>(First - 1)];
  for (Integer i = First + 1; i <= Last; ++i)
    if (beyond(Values[static_cast<std::size_t>(i - 1)], best)) {
      best = Values[static_cast<std::size_t>(i - 1)];
      Ix = i;
    }
  return best;
}

Integer Levels(const std::vector<Integer>& Values) {
  std::array<bool, kAttribLevels> seen{};
  Integer n = 0;
  for (Integer v : Values)
    if (v >= 0 && v < kAttribLevels && !seen[static_cast<std::size_t>(v)]) {
      seen[static_cast<std::size_t>(v)] = true;
      ++n;
    }
  return n;
}
}  // namespace

Integer TDataTable::MaxRowAttrib(Integer FirstRow, Integer LastRow, Integer& Row) const {
  MakeValidRowRange(FirstRow, LastRow);
  return Extreme(FRowAtt, FirstRow, LastRow, Row, [](Integer a, Integer b) { return a > b; });
}
Integer TDataTable::MinRowAttrib(Integer FirstRow, Integer LastRow, Integer& Row) const {
  MakeValidRowRange(FirstRow, LastRow);
  return Extreme(FRowAtt, FirstRow, LastRow, Row, [](Integer a, Integer b) { return a < b; });
}
Integer TDataTable::MaxColAttrib(Integer FirstCol, Integer LastCol, Integer& Col) const {
  MakeValidColRange(FirstCol, LastCol);
  return Extreme(FColAtt, FirstCol, LastCol, Col, [](Integer a, Integer b) { return a > b; });
}
Integer TDataTable::MinColAttrib(Integer FirstCol, Integer LastCol, Integer& Col) const {
  MakeValidColRange(FirstCol, LastCol);
  return Extreme(FColAtt, FirstCol, LastCol, Col, [](Integer a, Integer b) { return a < b; });
}

Integer TDataTable::RowAttribLevels() const { return Levels(FRowAtt); }
Integer TDataTable::ColAttribLevels() const { return Levels(FColAtt); }

bool TDataTable::CheckDichotomousColumn(Integer col, double& v1, double& v2) const {
  v1 = v2 = 0;
  if (FNrOfRows < 2 || !InsideCol(col)) return false;
  const double* x = NumericData->ColumnPtr(col);
  v1 = x[0];
  Integer r = 1;
  while (r < FNrOfRows && x[r] == v1) ++r;
  if (r == FNrOfRows) return false;
  v2 = x[r];
  for (Integer k = 0; k < FNrOfRows; ++k)
    if (x[k] != v1 && x[k] != v2) return false;
  return true;
}

bool TDataTable::IsConstantColumn(Integer ColIx) const {
  if (!InsideCol(ColIx)) return false;
  const double* x = NumericData->ColumnPtr(ColIx);
  for (Integer r = 1; r < FNrOfRows; ++r)
    if (x[r] != x[0]) return false;
  return true;
}
