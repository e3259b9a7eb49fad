// TIntMatrix: dense storage and every operation on it, and the sparse store (search,
// insertion, resizing, conversions, the sparse text file).

#include "DOV_intmatrix.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>

#include "DOV_math1.h"
#include "DOV_matrix_common.h"
#include "DOV_matrix_window.h"
#include "DOV_univconst.h"
#include "DOV_vector.h"
#include "RtlRandom.h"
#include "SysUtils.h"
#include "TextFile.h"

using namespace dov_matrix;

namespace {

constexpr Integer kEmptyLow = 2147483647;
constexpr Integer kEmptyHigh = 1;
constexpr Integer kMinStart = 2147483647;
constexpr Integer kMaxStart = -2147483647;

inline bool KeyLess(const TSpMatElemInt& a, const TSpMatElemInt& b) {
  return a.colidx < b.colidx || (a.colidx == b.colidx && a.rowidx < b.rowidx);
}

// The entry at (c, r) in a sorted list, or null.
TSpMatElemInt* FindEntry(std::vector<TSpMatElemInt>& v, Integer c, Integer r) {
  const TSpMatElemInt key{c, r, 0};
  auto it = std::lower_bound(v.begin(), v.end(), key, KeyLess);
  return it != v.end() && it->colidx == c && it->rowidx == r ? &*it : nullptr;
}

// 32-bit arithmetic that wraps.
inline Integer WrapAdd(Integer a, Integer b) {
  return static_cast<Integer>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline Integer WrapMul(Integer a, Integer b) {
  return static_cast<Integer>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

}  // namespace

// ---- construction and size -----------------------------------------------------------------

TIntMatrix::TIntMatrix(TComponent* AOwner) : TComponent(AOwner), FNCol(1), FNRow(1) {
  try {
    FMat.assign(1, 0);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
}

TIntMatrix::TIntMatrix(TComponent* AOwner, TSparseStore, Integer AllocBy) : TComponent(AOwner) {
  FIsSparse = true;
  ResetSparse(AllocBy);
}

TIntMatrix::~TIntMatrix() = default;

dov_matrix::TColumnBlock<Integer> TIntMatrix::Block() {
  return {FMat.data(), FAllocRows, FNCol, FNRow};
}

void TIntMatrix::RaiseNoMemory() const {
  throw ESDLMatrixError(ComponentErrorMessage(this, "not enough memory on heap"));
}

void TIntMatrix::Changed() {
  if (OnChange) OnChange(this);
}
void TIntMatrix::SortExchange(Byte ExchgWhat, Integer index1, Integer index2, Integer first,
                              Integer last) {
  if (OnSortExchange) OnSortExchange(this, ExchgWhat, index1, index2, first, last);
}
void TIntMatrix::PercDone(TObject*, Integer Percent) {
  if (OnPercentDone) OnPercentDone(this, Percent);
}

void TIntMatrix::MakeValidColRange(Integer& Low, Integer& High) const {
  MakeValidRange(FNCol, Low, High);
}
void TIntMatrix::MakeValidRowRange(Integer& Low, Integer& High) const {
  MakeValidRange(FNRow, Low, High);
}

bool TIntMatrix::ValidWindow(Integer& LowCol, Integer& LowRow, Integer& HighCol,
                             Integer& HighRow) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  return LowCol >= 1 && LowRow >= 1 && HighCol >= LowCol && HighRow >= LowRow;
}

template <class Fn>
void TIntMatrix::ForWindow(Integer lc, Integer lr, Integer hc, Integer hr, Fn fn) const {
  if (!ValidWindow(lc, lr, hc, hr)) return;
  for (Integer c = lc; c <= hc; ++c)
    for (Integer r = lr; r <= hr; ++r) fn(c, r, GetVal(c, r));
}

void TIntMatrix::SetNCols(Integer Count) { Resize(std::max<Integer>(Count, 0), FNRow); }
void TIntMatrix::SetNRows(Integer Count) { Resize(FNCol, std::max<Integer>(Count, 0)); }

bool TIntMatrix::Resize(Integer Nc, Integer Nr) {
  if (Nc == FNCol && Nr == FNRow) return false;
  Nc = std::max<Integer>(Nc, 0);
  Nr = std::max<Integer>(Nr, 0);
  if (FIsSparse) {
    MergePending();
    FNCol = Nc;
    FNRow = Nr;
    FSparseHighCol = std::min(FSparseHighCol, Nc);
    FSparseHighRow = std::min(FSparseHighRow, Nr);
    FSparseLowCol = std::min(FSparseLowCol, FSparseHighCol);
    FSparseLowRow = std::min(FSparseLowRow, FSparseHighRow);
    FSp.erase(
        std::remove_if(FSp.begin(), FSp.end(),
                       [&](const TSpMatElemInt& e) { return e.colidx > Nc || e.rowidx > Nr; }),
        FSp.end());
    return false;
  }
  const std::size_t ac = static_cast<std::size_t>(std::max<Integer>(Nc, 1));
  const std::size_t ar = static_cast<std::size_t>(std::max<Integer>(Nr, 1));
  std::vector<Integer> fresh;
  try {
    fresh.assign(ac * ar, 0);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  } catch (const std::length_error&) {
    RaiseNoMemory();
  }
  const std::size_t oldCols = FMat.size() / FAllocRows;
  const std::size_t kc = std::min(ac, oldCols), kr = std::min(ar, FAllocRows);
  for (std::size_t c = 0; c < kc; ++c)
    std::copy(FMat.begin() + static_cast<std::ptrdiff_t>(c * FAllocRows),
              FMat.begin() + static_cast<std::ptrdiff_t>(c * FAllocRows + kr),
              fresh.begin() + static_cast<std::ptrdiff_t>(c * ar));
  FMat.swap(fresh);
  FAllocRows = ar;
  FNCol = Nc;
  FNRow = Nr;
  Changed();
  return true;
}

bool TIntMatrix::ResizeAndClear(Integer Nc, Integer Nr) {
  const bool r = Resize(Nc, Nr);
  if (r) Fill(0);
  return r;
}

// ---- elements ------------------------------------------------------------------------------

Integer TIntMatrix::GetVal(Integer Nc, Integer Nr) const {
  if (!FIsSparse) {
    if (Nc < 1 || Nc > FNCol || Nr < 1 || Nr > FNRow) return 0;
    return FMat[Index(Nc, Nr)];
  }
  if (FSp.empty() && FPend.empty()) return 0;
  if (Nc < FSparseLowCol || Nc > FSparseHighCol || Nr < FSparseLowRow || Nr > FSparseHighRow)
    return 0;
  if (const TSpMatElemInt* e = FindEntry(FSp, Nc, Nr)) return e->value;
  if (const TSpMatElemInt* e = FindEntry(FPend, Nc, Nr)) return e->value;
  return 0;
}

void TIntMatrix::SetVal(Integer Nc, Integer Nr, Integer Value) {
  if (!FIsSparse) {
    if (Nc < 1 || Nc > FNCol || Nr < 1 || Nr > FNRow) return;
    FMat[Index(Nc, Nr)] = Value;
    Changed();
    return;
  }
  if (Nc < 1 || Nr < 1) return;
  TSpMatElemInt* e = FindEntry(FSp, Nc, Nr);
  if (e == nullptr) e = FindEntry(FPend, Nc, Nr);
  if (e != nullptr) {
    e->value = Value;
    Changed();
    return;
  }
  const Integer oldAllocated = FNumAllocated;
  try {
    GrowCapacityFor(FSp.size() + FPend.size() + 1);
    const TSpMatElemInt entry{Nc, Nr, Value};
    if (FPend.empty() && (FSp.empty() || KeyLess(FSp.back(), entry))) {
      FSp.push_back(entry);  // ascending fills append
    } else {
      FPend.insert(std::lower_bound(FPend.begin(), FPend.end(), entry, KeyLess), entry);
    }
    // The side list stays short against the store, so both inserting into it and merging it
    // stay cheap whatever the order the elements come in.
    const std::size_t limit = std::max<std::size_t>(
        64, static_cast<std::size_t>(std::sqrt(static_cast<double>(FSp.size()))));
    if (FPend.size() > limit) MergePending();
  } catch (const std::bad_alloc&) {
    FNumAllocated = oldAllocated;
    RaiseNoMemory();
  }
  WidenBounds(Nc, Nr);
  FNCol = FSparseHighCol;
  FNRow = FSparseHighRow;
  Changed();
}

void TIntMatrix::GrowCapacityFor(std::size_t Count) {
  if (static_cast<Int64>(Count) > FNumAllocated) FNumAllocated += FAllocBy;
}

void TIntMatrix::WidenBounds(Integer c, Integer r) {
  FSparseLowCol = std::min(FSparseLowCol, c);
  FSparseHighCol = std::max(FSparseHighCol, c);
  FSparseLowRow = std::min(FSparseLowRow, r);
  FSparseHighRow = std::max(FSparseHighRow, r);
}

void TIntMatrix::MergePending() const {
  if (FPend.empty()) return;
  std::vector<TSpMatElemInt> merged;
  merged.reserve(std::max(FSp.capacity(), FSp.size() + FPend.size()));
  std::merge(FSp.begin(), FSp.end(), FPend.begin(), FPend.end(), std::back_inserter(merged),
             KeyLess);
  FSp.swap(merged);
  FPend.clear();
}

const std::vector<TSpMatElemInt>& TIntMatrix::SparseEntries() const {
  MergePending();
  return FSp;
}

void TIntMatrix::ResetSparse(Integer AllocBy) {
  FAllocBy = std::max<Integer>(AllocBy, 1);
  FNumAllocated = FAllocBy;
  FSp.clear();
  FPend.clear();
  try {
    FSp.reserve(static_cast<std::size_t>(FAllocBy));
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  } catch (const std::length_error&) {
    RaiseNoMemory();
  }
  FSparseLowCol = FSparseLowRow = kEmptyLow;
  FSparseHighCol = FSparseHighRow = kEmptyHigh;
}

// ---- whole matrix --------------------------------------------------------------------------

void TIntMatrix::Fill(Integer Value) {
  if (FIsSparse) {
    if (Value != 0) {
      for (auto& e : FSp) e.value = Value;
      for (auto& e : FPend) e.value = Value;
    } else {
      ResetSparse(FAllocBy);
    }
  } else {
    std::fill(FMat.begin(), FMat.end(), Value);
  }
  Changed();
}

void TIntMatrix::FillDiag(Integer Value) {
  if (FIsSparse) return;
  const Integer n = std::min(FNCol, FNRow);
  for (Integer i = 1; i <= n; ++i) FMat[Index(i, i)] = Value;
  Changed();
}

bool TIntMatrix::Transpose() {
  if (FIsSparse) {
    MergePending();
    for (auto& e : FSp) std::swap(e.colidx, e.rowidx);
    std::swap(FSparseLowCol, FSparseLowRow);
    std::swap(FSparseHighCol, FSparseHighRow);
    std::swap(FNCol, FNRow);
    // Keys are unique, so any sort gives the order the comb sort of the format gives.
    std::sort(FSp.begin(), FSp.end(), KeyLess);
    Changed();
    return true;
  }
  const std::size_t ac = static_cast<std::size_t>(std::max<Integer>(FNCol, 1));
  const std::size_t ar = FAllocRows;
  std::vector<Integer> fresh;
  try {
    fresh.assign(ac * ar, 0);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  for (std::size_t c = 0; c < ac; ++c)
    for (std::size_t r = 0; r < ar; ++r) fresh[r * ac + c] = FMat[c * ar + r];
  FMat.swap(fresh);
  FAllocRows = ac;
  std::swap(FNCol, FNRow);
  Changed();
  return true;
}

void TIntMatrix::Clone(const TIntMatrix* MatSource) {
  if (MatSource == nullptr || MatSource == this || MatSource->FIsSparse != FIsSparse) return;
  if (FIsSparse) {
    try {
      FSp = MatSource->SparseEntries();
      FSp.reserve(static_cast<std::size_t>(std::max<Integer>(MatSource->FNumAllocated, 0)));
    } catch (const std::bad_alloc&) {
      RaiseNoMemory();
    }
    FPend.clear();
    FNumAllocated = MatSource->FNumAllocated;
    FAllocBy = MatSource->FAllocBy;
    FSparseLowCol = MatSource->FSparseLowCol;
    FSparseHighCol = MatSource->FSparseHighCol;
    FSparseLowRow = MatSource->FSparseLowRow;
    FSparseHighRow = MatSource->FSparseHighRow;
    FNCol = MatSource->FNCol;
    FNRow = MatSource->FNRow;
    Changed();
    return;
  }
  Resize(MatSource->FNCol, MatSource->FNRow);
  for (Integer c = 1; c <= FNCol; ++c)
    for (Integer r = 1; r <= FNRow; ++r) SetVal(c, r, MatSource->GetVal(c, r));
  Changed();
}

void TIntMatrix::CopyFrom(const TIntMatrix* MatSource, Integer SourceColLo, Integer SourceRowLo,
                          Integer SourceColHi, Integer SourceRowHi, Integer DestCol,
                          Integer DestRow) {
  if (MatSource == nullptr) return;
  auto clamp = [](Integer v, Integer n) { return std::min(std::max<Integer>(v, 1), n); };
  SourceColLo = clamp(SourceColLo, MatSource->FNCol);
  SourceColHi = clamp(SourceColHi, MatSource->FNCol);
  SourceRowLo = clamp(SourceRowLo, MatSource->FNRow);
  SourceRowHi = clamp(SourceRowHi, MatSource->FNRow);
  if (SourceRowHi < SourceRowLo) std::swap(SourceRowLo, SourceRowHi);
  if (SourceColHi < SourceColLo) std::swap(SourceColLo, SourceColHi);
  for (Integer c = SourceColLo; c <= SourceColHi; ++c)
    for (Integer r = SourceRowLo; r <= SourceRowHi; ++r) {
      const Int64 dc = Int64{c} + DestCol - SourceColLo, dr = Int64{r} + DestRow - SourceRowLo;
      if (dc >= 1 && dr >= 1 && dc <= 2147483647 && dr <= 2147483647)
        SetVal(static_cast<Integer>(dc), static_cast<Integer>(dr), MatSource->GetVal(c, r));
    }
  Changed();
}

void TIntMatrix::CopyToArray(TInt2DArray& DestArray, Integer LowCol, Integer HighCol,
                             Integer LowRow, Integer HighRow) const {
  if (!ValidWindow(LowCol, LowRow, HighCol, HighRow) || FIsSparse) {
    DestArray.clear();
    return;
  }
  DestArray.assign(static_cast<std::size_t>(HighCol - LowCol + 1),
                   TIntArray(static_cast<std::size_t>(HighRow - LowRow + 1), 0));
  for (Integer c = LowCol; c <= HighCol; ++c)
    for (Integer r = LowRow; r <= HighRow; ++r) DestArray[c - LowCol][r - LowRow] = GetVal(c, r);
}

void TIntMatrix::CopyFromArray(const TInt2DArray& SrcArray, Integer Col, Integer Row) {
  if (SrcArray.empty()) return;
  const std::size_t rows = SrcArray[0].size();
  for (std::size_t i = 0; i < SrcArray.size(); ++i)
    for (std::size_t j = 0; j < rows && j < SrcArray[i].size(); ++j)
      SetVal(Col + static_cast<Integer>(i), Row + static_cast<Integer>(j), SrcArray[i][j]);
}

void TIntMatrix::CopyRowToVec(TIntVector* DestVec, Integer Row, Integer FirstCol,
                              Integer LastCol) const {
  if (DestVec == nullptr) return;
  MakeValidColRange(FirstCol, LastCol);
  Row = std::min(std::max<Integer>(Row, 1), FNRow);
  if (LastCol - FirstCol + 1 > DestVec->NrOfElem()) LastCol = FirstCol + DestVec->NrOfElem() - 1;
  DestVec->Fill(0);
  for (Integer c = FirstCol; c <= LastCol; ++c) DestVec->SetVal(c - FirstCol + 1, GetVal(c, Row));
}

void TIntMatrix::CopyColToVec(TIntVector* DestVec, Integer Col, Integer FirstRow,
                              Integer LastRow) const {
  if (DestVec == nullptr) return;
  MakeValidRowRange(FirstRow, LastRow);
  Col = std::min(std::max<Integer>(Col, 1), FNCol);
  if (LastRow - FirstRow + 1 > DestVec->NrOfElem()) LastRow = FirstRow + DestVec->NrOfElem() - 1;
  DestVec->Fill(0);
  for (Integer r = FirstRow; r <= LastRow; ++r) DestVec->SetVal(r - FirstRow + 1, GetVal(Col, r));
}

String TIntMatrix::CRCofData() const {
  if (FIsSparse) return "";
  TLaneDigest<4> d;
  for (Integer c = 1; c <= FNCol; ++c)
    for (Integer r = 1; r <= FNRow; ++r) d.Add(FMat[Index(c, r)]);
  return d.Text();
}

// ---- counting, searching, statistics -------------------------------------------------------

Integer TIntMatrix::CountValues(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                                Integer RangeLow, Integer RangeHigh) const {
  if (FIsSparse) return 0;
  Integer n = 0;
  ForWindow(LowCol, LowRow, HighCol, HighRow,
            [&](Integer, Integer, Integer v) { n += v >= RangeLow && v <= RangeHigh; });
  return n;
}

Integer TIntMatrix::CountMaskedZeros(Integer LowCol, Integer HighCol, Integer LowRow,
                                     Integer HighRow, Cardinal Bitmask) const {
  if (FIsSparse) return 0;
  Integer n = 0;
  ForWindow(LowCol, LowRow, HighCol, HighRow,
            [&](Integer, Integer, Integer v) { n += (static_cast<Cardinal>(v) & Bitmask) == 0; });
  return n;
}

Integer TIntMatrix::Dichotomize(Integer Threshold, TBool2DArray& ResultArray) const {
  ResultArray.clear();
  if (FIsSparse) return 0;
  ResultArray.assign(static_cast<std::size_t>(FNCol),
                     TBoolArray(static_cast<std::size_t>(FNRow), false));
  Integer n = 0;
  for (Integer c = 1; c <= FNCol; ++c)
    for (Integer r = 1; r <= FNRow; ++r) {
      const bool above = FMat[Index(c, r)] > Threshold;
      ResultArray[c - 1][r - 1] = above;
      n += above;
    }
  return n;
}

void TIntMatrix::MeanVec(TDims Dim, TVector* Means) const {
  if (Means == nullptr || FIsSparse || (Dim != dimX && Dim != dimY)) return;
  const bool perCol = Dim == dimX;
  const Integer entries = perCol ? FNCol : FNRow;
  const Integer across = perCol ? FNRow : FNCol;
  Means->SetVecSize(entries);
  for (Integer i = 1; i <= entries; ++i) {
    double s = 0;
    for (Integer j = 1; j <= across; ++j) s += perCol ? GetVal(i, j) : GetVal(j, i);
    Means->SetVal(i, s / across);
  }
}

Integer TIntMatrix::Sum(Integer LoC, Integer LoR, Integer HiC, Integer HiR) const {
  Integer s = 0;
  if (FIsSparse) {
    if (!ValidWindow(LoC, LoR, HiC, HiR)) return 0;
    MergePending();
    for (const auto& e : FSp)
      if (e.colidx >= LoC && e.colidx <= HiC && e.rowidx >= LoR && e.rowidx <= HiR)
        s = WrapAdd(s, e.value);
    return s;
  }
  ForWindow(LoC, LoR, HiC, HiR, [&](Integer, Integer, Integer v) { s = WrapAdd(s, v); });
  return s;
}

Integer TIntMatrix::Trace() const {
  Integer s = 0;
  if (FIsSparse) {
    if (FSparseHighCol != FSparseHighRow) return 0;
    MergePending();
    for (const auto& e : FSp)
      if (e.colidx == e.rowidx) s = WrapAdd(s, e.value);
    return s;
  }
  if (FNCol != FNRow || FNCol < 1) return 0;
  for (Integer i = 1; i <= FNCol; ++i) s = WrapAdd(s, FMat[Index(i, i)]);
  return s;
}

void TIntMatrix::MinMax(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                        Integer& Minimum, Integer& Maximum) const {
  Minimum = kMinStart;
  Maximum = kMaxStart;
  auto take = [&](Integer v) {
    if (v < Minimum) Minimum = v;
    if (v > Maximum) Maximum = v;
  };
  if (FIsSparse) {
    if (!ValidWindow(LowCol, LowRow, HighCol, HighRow)) return;
    MergePending();
    for (const auto& e : FSp)
      if (e.colidx >= LowCol && e.colidx <= HighCol && e.rowidx >= LowRow && e.rowidx <= HighRow)
        take(e.value);
    return;
  }
  ForWindow(LowCol, LowRow, HighCol, HighRow, [&](Integer, Integer, Integer v) { take(v); });
}

void TIntMatrix::Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                      Integer Value, Integer& ColIx, Integer& RowIx) const {
  ColIx = RowIx = 0;
  if (FIsSparse) return;
  double best = static_cast<double>(uc_MaxDouble);
  ForWindow(LowCol, LowRow, HighCol, HighRow, [&](Integer c, Integer r, Integer v) {
    const double d = std::fabs(static_cast<double>(v) - Value);
    if (d < best) {
      best = d;
      ColIx = c;
      RowIx = r;
    }
  });
}

Integer TIntMatrix::FindInSortedColumn(Integer Col, bool ColIsAscending, Integer Value) const {
  if (FIsSparse || Col < 1 || Col > FNCol || FNRow < 1) return 0;
  return FindInSorted(ColumnPtr(Col), FNRow, ColIsAscending, Value);
}

std::vector<double> TIntMatrix::WindowValues(Integer lc, Integer lr, Integer hc, Integer hr) const {
  if (!ValidWindow(lc, lr, hc, hr)) return {};
  return dov_matrix::WindowValues(this, lc, lr, hc, hr, false,
                                  [this](Integer c, Integer r) { return GetVal(c, r); });
}

void TIntMatrix::MeanVar(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                         double& Mean, double& Variance) const {
  Mean = Variance = 0;
  double s = 0, q = 0, n = 0;
  ForWindow(LowCol, LowRow, HighCol, HighRow, [&](Integer, Integer, Integer v) {
    s += v;
    q += static_cast<double>(v) * v;
    n += 1;
  });
  if (n == 0) return;
  Mean = s / n;
  Variance = n < 3 ? 1 : (q - s * s / n) / (n - 1);
  if (Variance < 0) Variance = 0;
}

void TIntMatrix::SkewKurt(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                          double& Skewness, double& Kurtosis) const {
  SkewKurtOf(WindowValues(LowCol, LowRow, HighCol, HighRow), Skewness, Kurtosis);
}

void TIntMatrix::SkewKurtSample(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                                double& Skewness, double& Kurtosis) const {
  Skewness = Kurtosis = 0;
  Integer a = LowCol, b = LowRow, c = HighCol, d = HighRow;
  if (!ValidWindow(a, b, c, d)) return;
  const double n = static_cast<double>(c - a + 1) * (d - b + 1);
  if (n < 4) return;
  double g, k;
  SkewKurt(LowCol, LowRow, HighCol, HighRow, g, k);
  SampleSkewKurt(n, g, k, Skewness, Kurtosis);
}

double TIntMatrix::GeometricMean(Integer LowCol, Integer LowRow, Integer HighCol,
                                 Integer HighRow) const {
  if (FIsSparse) return 0;
  bool zero = false;
  double s = 0;
  Integer a = LowCol, b = LowRow, c = HighCol, d = HighRow;
  if (!ValidWindow(a, b, c, d)) return 0;
  ForWindow(LowCol, LowRow, HighCol, HighRow, [&](Integer, Integer, Integer v) {
    if (v < 0)
      throw ESDLMatrixError(
          ComponentErrorMessage(this, "negative argument passed to GeometricMean"));
    if (v == 0)
      zero = true;
    else
      s += std::log(static_cast<double>(v));
  });
  if (zero) return 0;
  return std::exp(s / (d - b + 1) / (c - a + 1));
}

double TIntMatrix::HarmonicMean(Integer LowCol, Integer LowRow, Integer HighCol,
                                Integer HighRow) const {
  if (FIsSparse) return 0;
  Integer a = LowCol, b = LowRow, c = HighCol, d = HighRow;
  if (!ValidWindow(a, b, c, d)) return 0;
  double s = 0;
  ForWindow(LowCol, LowRow, HighCol, HighRow, [&](Integer, Integer, Integer v) {
    if (v <= 0)
      throw ESDLMatrixError(
          ComponentErrorMessage(this, "negative or zero argument passed to HarmonicMean"));
    s += 1.0 / v;
  });
  return static_cast<double>(d - b + 1) * (c - a + 1) / s;
}

bool TIntMatrix::Quartiles(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                           double& Q1, double& Q2, double& Q3) const {
  Q1 = Q2 = Q3 = 0;
  if (FIsSparse) return false;
  std::vector<double> x = WindowValues(LowCol, LowRow, HighCol, HighRow);
  if (x.empty()) return false;
  std::sort(x.begin(), x.end());
  QuartilesOfSorted(x, Q1, Q2, Q3);
  return true;
}

double TIntMatrix::Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                              Integer HighRow) const {
  if (FIsSparse) return 0;
  prob = std::clamp(prob, 0.0, 100.0);
  std::vector<double> x = WindowValues(LowCol, LowRow, HighCol, HighRow);
  if (x.empty()) return 0;
  return RankValue(x, prob);
}

double TIntMatrix::Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                              Integer HighRow, Integer SampleSize) const {
  if (FIsSparse) return 0;
  Integer lc = LowCol, lr = LowRow, hc = HighCol, hr = HighRow;
  if (!ValidWindow(lc, lr, hc, hr)) return 0;
  const Int64 n = static_cast<Int64>(hc - lc + 1) * (hr - lr + 1);
  if (SampleSize <= 0 || SampleSize >= n) return Percentile(prob, LowCol, LowRow, HighCol, HighRow);
  prob = std::clamp(prob, 0.0, 100.0);
  std::vector<double> draws = DrawSample(this, SampleSize, [&] {
    const Integer c = lc + Random(hc - lc + 1);
    const Integer r = lr + Random(hr - lr + 1);
    return static_cast<double>(FMat[Index(c, r)]);
  });
  return RankValue(draws, prob);
}

// ---- arithmetic and products ---------------------------------------------------------------

bool TIntMatrix::Add(const TIntMatrix* MatB) {
  if (MatB == nullptr || FIsSparse) return false;
  if (MatB->FIsSparse) {
    if (FNCol < MatB->FSparseHighCol || FNRow < MatB->FSparseHighRow) return false;
    for (const auto& e : MatB->SparseEntries())
      FMat[Index(e.colidx, e.rowidx)] = WrapAdd(FMat[Index(e.colidx, e.rowidx)], e.value);
    Changed();
    return true;
  }
  if (FNCol != MatB->FNCol || FNRow != MatB->FNRow) return false;
  for (Integer c = 1; c <= FNCol; ++c)
    for (Integer r = 1; r <= FNRow; ++r)
      FMat[Index(c, r)] = WrapAdd(FMat[Index(c, r)], MatB->FMat[MatB->Index(c, r)]);
  Changed();
  return true;
}

bool TIntMatrix::Subtract(const TIntMatrix* MatB) {
  if (MatB == nullptr || FIsSparse || MatB->FIsSparse || FNCol != MatB->FNCol ||
      FNRow != MatB->FNRow)
    return false;
  for (Integer c = 1; c <= FNCol; ++c)
    for (Integer r = 1; r <= FNRow; ++r)
      FMat[Index(c, r)] = WrapAdd(FMat[Index(c, r)], WrapMul(-1, MatB->FMat[MatB->Index(c, r)]));
  Changed();
  return true;
}

void TIntMatrix::SMult(Integer Scalar) {
  if (FIsSparse) return;
  for (auto& v : FMat) v = WrapMul(v, Scalar);
  Changed();
}

void TIntMatrix::SAdd(Integer Scalar) {
  if (FIsSparse) return;
  for (auto& v : FMat) v = WrapAdd(v, Scalar);
  Changed();
}

namespace {
// Writes a result computed aside into MatRes through Resize and SetVal.
void StoreResult(TIntMatrix* MatRes, Integer cols, Integer rows, const std::vector<Integer>& res) {
  MatRes->Resize(cols, rows);
  for (Integer c = 1; c <= cols; ++c)
    for (Integer r = 1; r <= rows; ++r)
      MatRes->SetVal(c, r, res[static_cast<std::size_t>(c - 1) * rows + (r - 1)]);
}
}  // namespace

bool TIntMatrix::Multiply(const TIntMatrix* MatB, TIntMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FIsSparse || MatB->FIsSparse || FNCol != MatB->FNRow)
    return false;
  const Integer cols = MatB->FNCol, rows = FNRow;
  std::vector<Integer> res(static_cast<std::size_t>(std::max(cols, 0)) * std::max(rows, 0), 0);
  for (Integer j = 1; j <= cols; ++j)
    for (Integer k = 1; k <= FNCol; ++k) {
      const Integer b = MatB->FMat[MatB->Index(j, k)];
      for (Integer i = 1; i <= rows; ++i) {
        Integer& e = res[static_cast<std::size_t>(j - 1) * rows + (i - 1)];
        e = WrapAdd(e, WrapMul(FMat[Index(k, i)], b));
      }
    }
  StoreResult(MatRes, cols, rows, res);
  Changed();
  return true;
}

bool TIntMatrix::MultiplyTransposed(const TIntMatrix* MatB, TIntMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FIsSparse || MatB->FIsSparse || FNCol != MatB->FNCol)
    return false;
  const Integer cols = MatB->FNRow, rows = FNRow;
  std::vector<Integer> res(static_cast<std::size_t>(std::max(cols, 0)) * std::max(rows, 0), 0);
  for (Integer j = 1; j <= cols; ++j)
    for (Integer k = 1; k <= FNCol; ++k) {
      const Integer b = MatB->FMat[MatB->Index(k, j)];
      for (Integer i = 1; i <= rows; ++i) {
        Integer& e = res[static_cast<std::size_t>(j - 1) * rows + (i - 1)];
        e = WrapAdd(e, WrapMul(FMat[Index(k, i)], b));
      }
    }
  StoreResult(MatRes, cols, rows, res);
  Changed();
  return true;
}

bool TIntMatrix::TransposeAndMultiply(const TIntMatrix* MatB, TIntMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FIsSparse || MatB->FIsSparse || FNRow != MatB->FNRow)
    return false;
  const Integer cols = MatB->FNCol, rows = FNCol;
  std::vector<Integer> res(static_cast<std::size_t>(std::max(cols, 0)) * std::max(rows, 0), 0);
  for (Integer j = 1; j <= cols; ++j)
    for (Integer i = 1; i <= rows; ++i) {
      Integer s = 0;
      for (Integer k = 1; k <= FNRow; ++k)
        s = WrapAdd(s, WrapMul(FMat[Index(i, k)], MatB->FMat[MatB->Index(j, k)]));
      res[static_cast<std::size_t>(j - 1) * rows + (i - 1)] = s;
    }
  StoreResult(MatRes, cols, rows, res);
  Changed();
  return true;
}

bool TIntMatrix::EMult(const TIntMatrix* MatB, TIntMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FIsSparse || MatB->FIsSparse ||
      FNCol != MatB->FNCol || FNRow != MatB->FNRow)
    return false;
  std::vector<Integer> res(static_cast<std::size_t>(std::max(FNCol, 0)) * std::max(FNRow, 0), 0);
  for (Integer c = 1; c <= FNCol; ++c)
    for (Integer r = 1; r <= FNRow; ++r)
      res[static_cast<std::size_t>(c - 1) * FNRow + (r - 1)] =
          WrapMul(FMat[Index(c, r)], MatB->FMat[MatB->Index(c, r)]);
  StoreResult(MatRes, FNCol, FNRow, res);
  Changed();
  return true;
}

bool TIntMatrix::Multiply(const TIntVector* VecB, TIntVector* VecRes) {
  if (VecB == nullptr || VecRes == nullptr || FIsSparse || FNCol != VecB->NrOfElem()) return false;
  std::vector<Integer> res(static_cast<std::size_t>(std::max(FNRow, 0)), 0);
  for (Integer c = 1; c <= FNCol; ++c)
    for (Integer r = 1; r <= FNRow; ++r)
      res[r - 1] = WrapAdd(res[r - 1], WrapMul(FMat[Index(c, r)], VecB->GetVal(c)));
  VecRes->SetIntVecSize(FNRow);
  for (Integer r = 1; r <= FNRow; ++r) VecRes->SetVal(r, res[r - 1]);
  Changed();
  return true;
}

bool TIntMatrix::TransposeAndMultiply(const TIntVector* VecB, TIntVector* VecRes) {
  if (VecB == nullptr || VecRes == nullptr || FIsSparse || FNRow != VecB->NrOfElem()) return false;
  std::vector<Integer> res(static_cast<std::size_t>(std::max(FNCol, 0)), 0);
  for (Integer c = 1; c <= FNCol; ++c)
    for (Integer r = 1; r <= FNRow; ++r)
      res[c - 1] = WrapAdd(res[c - 1], WrapMul(FMat[Index(c, r)], VecB->GetVal(r)));
  VecRes->SetIntVecSize(FNCol);
  for (Integer c = 1; c <= FNCol; ++c) VecRes->SetVal(c, res[c - 1]);
  Changed();
  return true;
}

// ---- rearrangement -------------------------------------------------------------------------

void TIntMatrix::SortRows(Integer SortColIx, bool Ascending, Integer LowCol, Integer LowRow,
                          Integer HighCol, Integer HighRow) {
  if (FIsSparse) return;
  auto exchanged = [this](Integer i, Integer j, Integer first, Integer last) {
    SortExchange(2, i, j, first, last);
  };
  if (CombSortRows(Block(), SortColIx, Ascending, LowCol, LowRow, HighCol, HighRow, exchanged))
    Changed();
}

void TIntMatrix::SortCols(Integer SortRowIx, bool Ascending, Integer LowCol, Integer LowRow,
                          Integer HighCol, Integer HighRow) {
  if (FIsSparse) return;
  auto exchanged = [this](Integer i, Integer j, Integer first, Integer last) {
    SortExchange(1, i, j, first, last);
  };
  if (CombSortCols(Block(), SortRowIx, Ascending, LowCol, LowRow, HighCol, HighRow, exchanged))
    Changed();
}

void TIntMatrix::MirrorColumns() {
  if (FIsSparse) return;
  MirrorColumnsOf(Block());
  Changed();
}

void TIntMatrix::MirrorRows() {
  if (FIsSparse) return;
  MirrorRowsOf(Block());
  Changed();
}

void TIntMatrix::ExchangeColumns(Integer c1, Integer c2) {
  if (!FIsSparse && ExchangeColumnsOf(Block(), c1, c2)) Changed();
}

void TIntMatrix::ExchangeRows(Integer r1, Integer r2) {
  if (!FIsSparse && ExchangeRowsOf(Block(), r1, r2)) Changed();
}

void TIntMatrix::EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, TVector* DestVec) const {
  if (DestVec == nullptr || FIsSparse) return;
  EdgeVectorOf(FNCol, FNRow, Orient, EdgeOp, DestVec,
               [this](Integer c, Integer r) { return static_cast<double>(FMat[Index(c, r)]); });
}

// ---- mode conversions ----------------------------------------------------------------------

void TIntMatrix::SparseToArray() {
  if (!FIsSparse) return;
  MergePending();
  const Integer nc = FSparseHighCol, nr = FSparseHighRow;
  std::vector<Integer> dense;
  const std::size_t ar = static_cast<std::size_t>(std::max<Integer>(nr, 1));
  try {
    dense.assign(static_cast<std::size_t>(std::max<Integer>(nc, 1)) * ar, 0);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  for (const auto& e : FSp)
    dense[static_cast<std::size_t>(e.colidx - 1) * ar + static_cast<std::size_t>(e.rowidx - 1)] =
        e.value;
  FMat.swap(dense);
  FAllocRows = ar;
  FIsSparse = false;
  FNCol = nc;
  FNRow = nr;
  std::vector<TSpMatElemInt>().swap(FSp);
  FNumAllocated = 0;
}

void TIntMatrix::ArrayToSparse(Integer AllocBy) {
  if (FIsSparse) return;
  std::vector<TSpMatElemInt> entries;
  Integer allocated = std::max<Integer>(AllocBy, 1);
  const Integer step = allocated;
  Integer lc = kEmptyLow, hc = kEmptyHigh, lr = kEmptyLow, hr = kEmptyHigh;
  try {
    for (Integer c = 1; c <= FNCol; ++c)
      for (Integer r = 1; r <= FNRow; ++r) {
        if (allocated < static_cast<Integer>(entries.size()) + 1) allocated += step;
        const Integer v = FMat[Index(c, r)];
        if (v == 0) continue;
        entries.push_back({c, r, v});
        lc = std::min(lc, c);
        hc = std::max(hc, c);
        lr = std::min(lr, r);
        hr = std::max(hr, r);
      }
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  FIsSparse = true;
  FAllocBy = step;
  FNumAllocated = allocated;
  FSp.swap(entries);
  FPend.clear();
  FSparseLowCol = lc;
  FSparseHighCol = hc;
  FSparseLowRow = lr;
  FSparseHighRow = hr;
  std::vector<Integer>().swap(FMat);
}

// ---- sparse text file ----------------------------------------------------------------------

namespace {
String Pad6(Integer v) {
  String s = IntToStr(v);
  if (s.size() < 6) s.insert(0, 6 - s.size(), ' ');
  return s;
}
}  // namespace

bool TIntMatrix::StoreSparseMat(const String& FileName) const {
  if (!FIsSparse) {
    WriteFileReplacing(FileName, "this matrix is not a sparse matrix\r\n");
    return false;
  }
  const auto& entries = SparseEntries();
  String text = "DOV_sparse_matrix\r\n";
  text += Pad6(static_cast<Integer>(entries.size())) +
          "     // number of elements in sparse matrix\r\n";
  text += Pad6(FSparseLowCol) + " " + Pad6(FSparseHighCol) + "   // lowest and highest column\r\n";
  text += Pad6(FSparseLowRow) + " " + Pad6(FSparseHighRow) + "   // lowest and highest row\r\n";
  for (const auto& e : entries)
    text += "[" + IntToStr(e.colidx) + "," + IntToStr(e.rowidx) + "]=" + IntToStr(e.value) + "\r\n";
  return WriteFileReplacing(FileName, text);
}

bool TIntMatrix::LoadSparseMat(const String& FileName) {
  try {
    TTextFile F(FileName);
    F.Reset();
    String line;
    F.ReadLn(line);
    if (LowerCase(line).find("dov_sparse_matrix") == String::npos) return false;
    F.ReadLn(line);
    Integer n = LeadingInteger(line);
    bool bad = false;
    if (n > 0) {
      F.ReadLn();
      F.ReadLn();
      while (!F.Eof()) {
        F.ReadLn(line);
        --n;
        const size_t eq = line.find('=');
        if (eq == String::npos) {
          bad = true;
          continue;
        }
        Integer pos = static_cast<Integer>(eq) + 2;
        const Integer value = ScanDecimal(line, pos);
        pos = 2;
        const Integer col = ScanDecimal(line, pos);
        // ScanDecimal leaves pos on the character after the digits; the row follows it.
        pos += 1;
        const Integer row = ScanDecimal(line, pos);
        SetVal(col, row, value);
      }
    }
    return n == 0 && !bad;
  } catch (const Exception&) {
    return false;
  }
}

// ---- TMatrix from an integer matrix --------------------------------------------------------

void TMatrix::CopyFrom(const TIntMatrix* MatSource, Integer SourceColLo, Integer SourceRowLo,
                       Integer SourceColHi, Integer SourceRowHi, Integer DestCol, Integer DestRow) {
  if (MatSource == nullptr) return;
  CopyWindowInto(*this, MatSource->NrOfColumns(), MatSource->NrOfRows(), SourceColLo, SourceRowLo,
                 SourceColHi, SourceRowHi, DestCol, DestRow,
                 [MatSource](Integer c, Integer r) { return MatSource->GetVal(c, r); });
}
