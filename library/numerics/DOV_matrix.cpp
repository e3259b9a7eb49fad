#include "DOV_matrix.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#include "DOV_dstruct.h"
#include "DOV_math1.h"
#include "DOV_matrix_common.h"
#include "SysUtils.h"

TMatrix::TMatrix(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FData.assign(1, 0.0);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  FAllocCols = 1;
  FAllocRows = 1;
  FNCol = 1;
  FNRow = 1;
}

TMatrix::~TMatrix() = default;

void TMatrix::RaiseNoMemory() const {
  throw ESDLMatrixError(ComponentErrorMessage(this, "not enough memory on heap"));
}

// ---- size --------------------------------------------------------------------------------

bool TMatrix::Resize(Integer Nc, Integer Nr) {
  if (Nc == FNCol && Nr == FNRow) return true;
  if (Nc < 0) Nc = 0;
  if (Nr < 0) Nr = 0;
  const std::size_t newCols = static_cast<std::size_t>(std::max<Integer>(Nc, 1));
  const std::size_t newRows = static_cast<std::size_t>(std::max<Integer>(Nr, 1));
  // A block beyond the memory the process can have is refused before it is asked for: filling
  // it with zeros would get the process killed instead of raising.
  const long double bytes = static_cast<long double>(newCols) * newRows * sizeof(double);
  constexpr long double SmallBlock = 64.0L * 1024 * 1024;
  if (bytes > SmallBlock && bytes > static_cast<long double>(ObtainableMemoryBytes()))
    RaiseNoMemory();
  // Values survive only inside both the old and the new extent. The column or row that an
  // empty matrix keeps allocated is not part of its extent: what it holds must not come back
  // when the matrix grows again.
  const std::size_t keepCols = static_cast<std::size_t>(std::min(Nc, FNCol));
  const std::size_t keepRows = static_cast<std::size_t>(std::min(Nr, FNRow));
  if (newRows == FAllocRows && newCols >= FAllocCols) {
    // Same column height, no fewer columns: new columns are appended to the block, which
    // keeps its layout. A growing vector keeps spare room, so a table widened one column at a
    // time (the CSV import) does not copy everything for every column; a failed growth leaves
    // the block as it was. A shrink takes the path below and gives its memory back.
    const std::size_t reused = std::min(newCols, FAllocCols);
    if (newCols != FAllocCols) {
      try {
        FData.resize(newCols * newRows, 0.0);
      } catch (const std::bad_alloc&) {
        RaiseNoMemory();
      } catch (const std::length_error&) {
        RaiseNoMemory();
      }
      FAllocCols = newCols;
    }
    for (std::size_t c = keepCols; c < reused; ++c)
      std::fill_n(FData.data() + c * newRows, newRows, 0.0);
    if (keepRows < newRows)
      for (std::size_t c = 0; c < keepCols; ++c)
        std::fill_n(FData.data() + c * newRows + keepRows, newRows - keepRows, 0.0);
  } else {
    // Build the new block completely before touching the old one, so that a failed
    // allocation leaves the matrix as it was.
    std::vector<double> fresh;
    try {
      fresh.assign(newCols * newRows, 0.0);
    } catch (const std::bad_alloc&) {
      RaiseNoMemory();
    } catch (const std::length_error&) {
      RaiseNoMemory();
    }
    for (std::size_t c = 0; c < keepCols; ++c)
      std::copy_n(FData.data() + c * FAllocRows, keepRows, fresh.data() + c * newRows);
    FData.swap(fresh);
    FAllocCols = newCols;
    FAllocRows = newRows;
  }
  FNCol = Nc;
  FNRow = Nr;
  Changed();
  return true;
}

bool TMatrix::ResizeAndClear(Integer Nc, Integer Nr) {
  if (!Resize(Nc, Nr)) return false;
  Fill(0.0);
  return true;
}

void TMatrix::SetNCols(Integer Count) { Resize(std::max<Integer>(Count, 0), FNRow); }

void TMatrix::SetNRows(Integer Count) { Resize(FNCol, std::max<Integer>(Count, 0)); }

// ---- properties --------------------------------------------------------------------------

Integer TMatrix::GetFPrecis(Integer ix) const { return ix > 1 ? FPrecis[1] : FPrecis[0]; }

void TMatrix::SetFPrecis(Integer ix, Integer Value) {
  Value = std::clamp<Integer>(Value, -1, 25);
  if (ix > 1)
    FPrecis[1] = Value;
  else
    FPrecis[0] = Value;
}

// ---- events ------------------------------------------------------------------------------

void TMatrix::Changed() {
  if (OnChange) OnChange(this);
}

void TMatrix::SortExchange(Byte ExchgWhat, Integer index1, Integer index2, Integer first,
                           Integer last) {
  if (OnSortExchange) OnSortExchange(this, ExchgWhat, index1, index2, first, last);
}

// ---- windows -----------------------------------------------------------------------------

void TMatrix::MakeValidRange(Integer N, Integer& Low, Integer& High) {
  dov_matrix::MakeValidRange(N, Low, High);
}

void TMatrix::MakeValidColRange(Integer& Low, Integer& High) const {
  MakeValidRange(FNCol, Low, High);
}

void TMatrix::MakeValidRowRange(Integer& Low, Integer& High) const {
  MakeValidRange(FNRow, Low, High);
}

// ---- whole-matrix operations -------------------------------------------------------------

void TMatrix::Fill(double Value) {
  if (FData.empty()) return;
  std::fill(FData.begin(), FData.end(), Value);
  Changed();
}

void TMatrix::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TMatrix*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  std::vector<double> copy;
  try {
    copy = src->FData;
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  FData.swap(copy);
  FAllocCols = src->FAllocCols;
  FAllocRows = src->FAllocRows;
  FNCol = src->FNCol;
  FNRow = src->FNRow;
  FDataID = src->FDataID;
  FPrecis[0] = src->FPrecis[0];
  FPrecis[1] = src->FPrecis[1];
  OnChange = src->OnChange;
  OnSortExchange = src->OnSortExchange;
  OnCalcDistance = src->OnCalcDistance;
}

void TMatrix::AssignTo(TPersistent* Dest) {
  if (dynamic_cast<TMatrix*>(Dest) != nullptr) {
    Dest->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

void TMatrix::Clone(const TMatrix* MatSource) {
  if (MatSource == nullptr) return;
  Resize(MatSource->FNCol, MatSource->FNRow);
  for (Integer c = 1; c <= FNCol; ++c)
    for (Integer r = 1; r <= FNRow; ++r) SetVal(c, r, MatSource->GetVal(c, r));
  Changed();
}

Integer TMatrix::CountValues(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                             double RangeLow, double RangeHigh) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  Integer count = 0;
  if (LowCol < 1 || LowRow < 1) return 0;  // an empty matrix has no window
  for (Integer c = LowCol; c <= HighCol; ++c) {
    const double* col = ColumnPtr(c);
    for (Integer r = LowRow; r <= HighRow; ++r) {
      const double v = col[r - 1];
      if (RangeLow <= v && v <= RangeHigh) ++count;
    }
  }
  return count;
}

String TMatrix::CRCofData() const {
  std::uint32_t lane[8];
  for (auto& l : lane) l = 0xFFFFFFFFu;
  for (Integer c = 1; c <= FNCol; ++c) {
    const double* col = ColumnPtr(c);
    for (Integer r = 0; r < FNRow; ++r) {
      unsigned char bytes[8];
      std::memcpy(bytes, &col[r], 8);  // little-endian memory order on our targets
      for (int k = 0; k < 8; ++k) lane[k] = CalcNextCRC32(bytes[k], lane[k]);
    }
  }
  String result;
  result.reserve(64);
  for (auto l : lane) result += Hex(~l, 8);
  return result;
}

// ---- sorting -----------------------------------------------------------------------------
// Comb sort as the band tables have always been sorted: the order of equal keys depends on
// the exact sequence of gaps, so the gap shrinks by the extended constant 1.3 and truncates.
// Comparisons are strict in both directions, so NaN keys are never exchanged and the final
// gap-1 pass always settles.

namespace {
inline Integer NextGap(Integer gap) {
  gap = static_cast<Integer>(static_cast<long double>(gap) / 1.3L);
  return gap == 0 ? 1 : gap;
}
}  // namespace

void TMatrix::SortRows(Integer SortColIx, bool Ascending, Integer LowCol, Integer LowRow,
                       Integer HighCol, Integer HighRow) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  Integer gap = HighRow - LowRow;
  if (gap <= 0) return;
  // A key column outside the matrix would read foreign memory: nothing to sort by.
  if (SortColIx < 1 || SortColIx > FNCol || LowCol < 1) return;
  const bool keyOutside = SortColIx < LowCol || SortColIx > HighCol;
  double* key = ColumnPtr(SortColIx);
  bool swapped;
  do {
    gap = NextGap(gap);
    swapped = false;
    for (Integer i = LowRow; i + gap <= HighRow; ++i) {
      const double a = key[i - 1];
      const double b = key[i + gap - 1];
      if (Ascending ? (a > b) : (a < b)) {
        for (Integer c = LowCol; c <= HighCol; ++c) {
          double* col = ColumnPtr(c);
          std::swap(col[i - 1], col[i + gap - 1]);
        }
        if (keyOutside) std::swap(key[i - 1], key[i + gap - 1]);
        swapped = true;
        SortExchange(2, i, i + gap, LowCol, HighCol);
      }
    }
  } while (gap != 1 || swapped);
  Changed();
}

void TMatrix::SortCols(Integer SortRowIx, bool Ascending, Integer LowCol, Integer LowRow,
                       Integer HighCol, Integer HighRow) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  Integer gap = HighCol - LowCol;
  if (gap <= 0) return;
  if (SortRowIx < 1 || SortRowIx > FNRow || LowRow < 1) return;
  const bool keyOutside = SortRowIx < LowRow || SortRowIx > HighRow;
  bool swapped;
  do {
    gap = NextGap(gap);
    swapped = false;
    for (Integer i = LowCol; i + gap <= HighCol; ++i) {
      double* ca = ColumnPtr(i);
      double* cb = ColumnPtr(i + gap);
      const double a = ca[SortRowIx - 1];
      const double b = cb[SortRowIx - 1];
      if (Ascending ? (a > b) : (a < b)) {
        std::swap_ranges(ca + (LowRow - 1), ca + HighRow, cb + (LowRow - 1));
        if (keyOutside) std::swap(ca[SortRowIx - 1], cb[SortRowIx - 1]);
        swapped = true;
        SortExchange(1, i, i + gap, LowRow, HighRow);
      }
    }
  } while (gap != 1 || swapped);
  Changed();
}

// ---- window descriptions -----------------------------------------------------------------

bool TMatrix::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "NrOfColumns") {
    SetNCols(static_cast<Integer>(Value.AsInteger()));
    return true;
  }
  if (Prop == "NrOfRows") {
    SetNRows(static_cast<Integer>(Value.AsInteger()));
    return true;
  }
  if (Prop == "DataID") {
    SetDataID(Value.AsString());
    return true;
  }
  return TComponent::SetDescribedProperty(Prop, Value);
}

bool TMatrix::SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) {
  if (Event == "OnChange" && Root != nullptr) {
    OnChange = Root->FindNotifyHandler(Handler);
    return true;
  }
  return TComponent::SetDescribedEvent(Event, Handler, Root);
}
