// TIntMatrix: dense storage and every operation on it; sparse matrices forward to their
// TIntSparseStore. Also the conversions between the modes and the sparse text file.

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

constexpr Integer kMinStart = 2147483647;
constexpr Integer kMaxStart = -2147483647;

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
  OnStore([&] { FSparse.emplace(AllocBy); });
}

TIntMatrix::~TIntMatrix() = default;

dov_matrix::TColumnBlock<Integer> TIntMatrix::Block() {
  return {FMat.data(), FAllocRows, FNCol, FNRow};
}

void TIntMatrix::RaiseNoMemory() const {
  throw ESDLMatrixError(ComponentErrorMessage(this, "not enough memory on heap"));
}

template <class Fn>
auto TIntMatrix::OnStore(Fn fn) const -> decltype(fn()) {
  try {
    return fn();
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  } catch (const std::length_error&) {
    RaiseNoMemory();
  }
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

namespace {
// The visitor of the shared figures (DOV_math1.h) over a valid window, column by column.
auto Values(const TIntMatrix* M, Integer lc, Integer lr, Integer hc, Integer hr) {
  return [=](auto f) {
    for (Integer c = lc; c <= hc; ++c)
      for (Integer r = lr; r <= hr; ++r) f(static_cast<double>(M->GetVal(c, r)));
  };
}
}  // namespace

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
  if (FSparse) {
    FSparse->Truncate(Nc, Nr);
    FNCol = Nc;
    FNRow = Nr;
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
  if (FSparse) return FSparse->Get(Nc, Nr);
  if (Nc < 1 || Nc > FNCol || Nr < 1 || Nr > FNRow) return 0;
  return FMat[Index(Nc, Nr)];
}

void TIntMatrix::SetVal(Integer Nc, Integer Nr, Integer Value) {
  if (FSparse) {
    if (!OnStore([&] { return FSparse->Set(Nc, Nr, Value); })) return;
    FNCol = FSparse->HighCol();
    FNRow = FSparse->HighRow();
    Changed();
    return;
  }
  if (Nc < 1 || Nc > FNCol || Nr < 1 || Nr > FNRow) return;
  FMat[Index(Nc, Nr)] = Value;
  Changed();
}

namespace {
const std::vector<TSpMatElemInt> kNoEntries;
}  // namespace

const std::vector<TSpMatElemInt>& TIntMatrix::SparseEntries() const {
  return FSparse ? FSparse->Entries() : kNoEntries;
}

Integer TIntMatrix::NumAllocated() const { return FSparse ? FSparse->NumAllocated() : 0; }
Integer TIntMatrix::AllocBy() const { return FSparse ? FSparse->AllocBy() : FDenseAllocBy; }
Integer TIntMatrix::SparseNumElem() const {
  return FSparse ? static_cast<Integer>(FSparse->Count()) : 0;
}
Integer TIntMatrix::SparseLowCol() const { return FSparse ? FSparse->LowCol() : 0; }
Integer TIntMatrix::SparseHighCol() const { return FSparse ? FSparse->HighCol() : 0; }
Integer TIntMatrix::SparseLowRow() const { return FSparse ? FSparse->LowRow() : 0; }
Integer TIntMatrix::SparseHighRow() const { return FSparse ? FSparse->HighRow() : 0; }

// ---- whole matrix --------------------------------------------------------------------------

void TIntMatrix::Fill(Integer Value) {
  if (FSparse) {
    OnStore([&] { FSparse->Fill(Value); });
  } else {
    std::fill(FMat.begin(), FMat.end(), Value);
  }
  Changed();
}

void TIntMatrix::FillDiag(Integer Value) {
  if (FSparse) return;
  const Integer n = std::min(FNCol, FNRow);
  for (Integer i = 1; i <= n; ++i) FMat[Index(i, i)] = Value;
  Changed();
}

bool TIntMatrix::Transpose() {
  if (FSparse) {
    FSparse->Transpose();
    std::swap(FNCol, FNRow);
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
  if (MatSource == nullptr || MatSource == this || MatSource->IsSparse() != IsSparse()) return;
  if (FSparse) {
    OnStore([&] { FSparse->Assign(*MatSource->FSparse); });
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
  if (!ValidWindow(LowCol, LowRow, HighCol, HighRow) || FSparse) {
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
  if (FSparse) return "";
  TLaneDigest<4> d;
  for (Integer c = 1; c <= FNCol; ++c)
    for (Integer r = 1; r <= FNRow; ++r) d.Add(FMat[Index(c, r)]);
  return d.Text();
}

// ---- counting, searching, statistics -------------------------------------------------------

Integer TIntMatrix::CountValues(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                                Integer RangeLow, Integer RangeHigh) const {
  if (FSparse) return 0;
  Integer n = 0;
  ForWindow(LowCol, LowRow, HighCol, HighRow,
            [&](Integer, Integer, Integer v) { n += v >= RangeLow && v <= RangeHigh; });
  return n;
}

Integer TIntMatrix::CountMaskedZeros(Integer LowCol, Integer HighCol, Integer LowRow,
                                     Integer HighRow, Cardinal Bitmask) const {
  if (FSparse) return 0;
  Integer n = 0;
  ForWindow(LowCol, LowRow, HighCol, HighRow,
            [&](Integer, Integer, Integer v) { n += (static_cast<Cardinal>(v) & Bitmask) == 0; });
  return n;
}

Integer TIntMatrix::Dichotomize(Integer Threshold, TBool2DArray& ResultArray) const {
  ResultArray.clear();
  if (FSparse) return 0;
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
  if (Means == nullptr || FSparse || (Dim != dimX && Dim != dimY)) return;
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
  if (FSparse) return ValidWindow(LoC, LoR, HiC, HiR) ? FSparse->Sum(LoC, LoR, HiC, HiR) : 0;
  ForWindow(LoC, LoR, HiC, HiR, [&](Integer, Integer, Integer v) { s = WrapAdd(s, v); });
  return s;
}

Integer TIntMatrix::Trace() const {
  Integer s = 0;
  if (FSparse) return FSparse->Trace();
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
  if (FSparse) {
    if (ValidWindow(LowCol, LowRow, HighCol, HighRow))
      FSparse->MinMax(LowCol, LowRow, HighCol, HighRow, Minimum, Maximum);
    return;
  }
  ForWindow(LowCol, LowRow, HighCol, HighRow, [&](Integer, Integer, Integer v) { take(v); });
}

void TIntMatrix::Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                      Integer Value, Integer& ColIx, Integer& RowIx) const {
  ColIx = RowIx = 0;
  if (FSparse) return;
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
  if (FSparse || Col < 1 || Col > FNCol || FNRow < 1) return 0;
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
  Integer a = LowCol, b = LowRow, c = HighCol, d = HighRow;
  if (!ValidWindow(a, b, c, d)) return;
  MeanVarOf(Values(this, a, b, c, d), Mean, Variance);
}

void TIntMatrix::SkewKurt(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                          double& Skewness, double& Kurtosis) const {
  Skewness = Kurtosis = 0;
  Integer a = LowCol, b = LowRow, c = HighCol, d = HighRow;
  if (!ValidWindow(a, b, c, d)) return;
  SkewKurtOf(Values(this, a, b, c, d), Skewness, Kurtosis);
}

void TIntMatrix::SkewKurtSample(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                                double& Skewness, double& Kurtosis) const {
  Skewness = Kurtosis = 0;
  Integer a = LowCol, b = LowRow, c = HighCol, d = HighRow;
  if (!ValidWindow(a, b, c, d)) return;
  SampleSkewKurtOf(Values(this, a, b, c, d), Skewness, Kurtosis);
}

double TIntMatrix::GeometricMean(Integer LowCol, Integer LowRow, Integer HighCol,
                                 Integer HighRow) const {
  if (FSparse) return 0;
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
  if (FSparse) return 0;
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
  if (FSparse) return false;
  std::vector<double> x = WindowValues(LowCol, LowRow, HighCol, HighRow);
  if (x.empty()) return false;
  std::sort(x.begin(), x.end());
  return QuartilesOfSorted(x.data(), static_cast<Int64>(x.size()), Q1, Q2, Q3);
}

double TIntMatrix::Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                              Integer HighRow) const {
  if (FSparse) return 0;
  std::vector<double> x = WindowValues(LowCol, LowRow, HighCol, HighRow);
  return RankPercentile(x.data(), static_cast<Int64>(x.size()), prob);
}

double TIntMatrix::Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                              Integer HighRow, Integer SampleSize) const {
  if (FSparse) return 0;
  Integer lc = LowCol, lr = LowRow, hc = HighCol, hr = HighRow;
  if (!ValidWindow(lc, lr, hc, hr)) return 0;
  const Int64 n = static_cast<Int64>(hc - lc + 1) * (hr - lr + 1);
  if (SampleSize <= 0 || SampleSize >= n) return Percentile(prob, LowCol, LowRow, HighCol, HighRow);
  std::vector<double> draws = DrawSample(this, SampleSize, [&] {
    const Integer c = lc + Random(hc - lc + 1);
    const Integer r = lr + Random(hr - lr + 1);
    return static_cast<double>(FMat[Index(c, r)]);
  });
  return RankPercentile(draws.data(), SampleSize, prob);
}

// ---- arithmetic and products ---------------------------------------------------------------

bool TIntMatrix::Add(const TIntMatrix* MatB) {
  if (MatB == nullptr || FSparse) return false;
  if (MatB->FSparse) {
    if (FNCol < MatB->FSparse->HighCol() || FNRow < MatB->FSparse->HighRow()) return false;
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
  if (MatB == nullptr || FSparse || MatB->FSparse || FNCol != MatB->FNCol ||
      FNRow != MatB->FNRow)
    return false;
  for (Integer c = 1; c <= FNCol; ++c)
    for (Integer r = 1; r <= FNRow; ++r)
      FMat[Index(c, r)] = WrapAdd(FMat[Index(c, r)], WrapMul(-1, MatB->FMat[MatB->Index(c, r)]));
  Changed();
  return true;
}

void TIntMatrix::SMult(Integer Scalar) {
  if (FSparse) return;
  for (auto& v : FMat) v = WrapMul(v, Scalar);
  Changed();
}

void TIntMatrix::SAdd(Integer Scalar) {
  if (FSparse) return;
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
  if (MatB == nullptr || MatRes == nullptr || FSparse || MatB->FSparse || FNCol != MatB->FNRow)
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
  if (MatB == nullptr || MatRes == nullptr || FSparse || MatB->FSparse || FNCol != MatB->FNCol)
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
  if (MatB == nullptr || MatRes == nullptr || FSparse || MatB->FSparse || FNRow != MatB->FNRow)
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
  if (MatB == nullptr || MatRes == nullptr || FSparse || MatB->FSparse ||
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
  if (VecB == nullptr || VecRes == nullptr || FSparse || FNCol != VecB->NrOfElem()) return false;
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
  if (VecB == nullptr || VecRes == nullptr || FSparse || FNRow != VecB->NrOfElem()) return false;
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
  if (FSparse) return;
  auto exchanged = [this](Integer i, Integer j, Integer first, Integer last) {
    SortExchange(2, i, j, first, last);
  };
  if (CombSortRows(Block(), SortColIx, Ascending, LowCol, LowRow, HighCol, HighRow, exchanged))
    Changed();
}

void TIntMatrix::SortCols(Integer SortRowIx, bool Ascending, Integer LowCol, Integer LowRow,
                          Integer HighCol, Integer HighRow) {
  if (FSparse) return;
  auto exchanged = [this](Integer i, Integer j, Integer first, Integer last) {
    SortExchange(1, i, j, first, last);
  };
  if (CombSortCols(Block(), SortRowIx, Ascending, LowCol, LowRow, HighCol, HighRow, exchanged))
    Changed();
}

void TIntMatrix::MirrorColumns() {
  if (FSparse) return;
  MirrorColumnsOf(Block());
  Changed();
}

void TIntMatrix::MirrorRows() {
  if (FSparse) return;
  MirrorRowsOf(Block());
  Changed();
}

void TIntMatrix::ExchangeColumns(Integer c1, Integer c2) {
  if (!FSparse && ExchangeColumnsOf(Block(), c1, c2)) Changed();
}

void TIntMatrix::ExchangeRows(Integer r1, Integer r2) {
  if (!FSparse && ExchangeRowsOf(Block(), r1, r2)) Changed();
}

void TIntMatrix::EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, TVector* DestVec) const {
  if (DestVec == nullptr || FSparse) return;
  EdgeVectorOf(FNCol, FNRow, Orient, EdgeOp, DestVec,
               [this](Integer c, Integer r) { return static_cast<double>(FMat[Index(c, r)]); });
}

// ---- mode conversions ----------------------------------------------------------------------

void TIntMatrix::SparseToArray() {
  if (!FSparse) return;
  std::vector<Integer> dense;
  try {
    dense = FSparse->ToDense();
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  FMat.swap(dense);
  FAllocRows = static_cast<std::size_t>(std::max<Integer>(FSparse->HighRow(), 1));
  FNCol = FSparse->HighCol();
  FNRow = FSparse->HighRow();
  FDenseAllocBy = FSparse->AllocBy();
  FSparse.reset();
}

void TIntMatrix::ArrayToSparse(Integer AllocBy) {
  if (FSparse) return;
  try {
    FSparse = TIntSparseStore::FromDense(FMat.data(), FAllocRows, FNCol, FNRow, AllocBy);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
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
  if (!FSparse) {
    WriteFileReplacing(FileName, "this matrix is not a sparse matrix\r\n");
    return false;
  }
  const auto& entries = SparseEntries();
  String text = "DOV_sparse_matrix\r\n";
  text += Pad6(static_cast<Integer>(entries.size())) +
          "     // number of elements in sparse matrix\r\n";
  text += Pad6(FSparse->LowCol()) + " " + Pad6(FSparse->HighCol()) +
          "   // lowest and highest column\r\n";
  text += Pad6(FSparse->LowRow()) + " " + Pad6(FSparse->HighRow()) +
          "   // lowest and highest row\r\n";
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
