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
#include "DOV_matrix_window.h"
#include "SysUtils.h"

TMatrix::TMatrix(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FData = TZeroedArray<double>(1);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  FAllocCols = 1;
  FAllocRows = 1;
  FNCol = 1;
  FNRow = 1;
}

TMatrix::~TMatrix() = default;

dov_matrix::TColumnBlock<double> TMatrix::Block() {
  return {FData.data(), FAllocRows, FNCol, FNRow};
}

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
        FData.resize(newCols * newRows);
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
    TZeroedArray<double> fresh;
    try {
      fresh = TZeroedArray<double>(newCols * newRows);
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
  TZeroedArray<double> copy;
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
  dov_matrix::TLaneDigest<8> d;
  for (Integer c = 1; c <= FNCol; ++c) {
    const double* col = ColumnPtr(c);
    for (Integer r = 0; r < FNRow; ++r) d.Add(col[r]);
  }
  return d.Text();
}

// ---- sorting -----------------------------------------------------------------------------

void TMatrix::SortRows(Integer SortColIx, bool Ascending, Integer LowCol, Integer LowRow,
                       Integer HighCol, Integer HighRow) {
  auto exchanged = [this](Integer i, Integer j, Integer first, Integer last) {
    SortExchange(2, i, j, first, last);
  };
  if (dov_matrix::CombSortRows(Block(), SortColIx, Ascending, LowCol, LowRow, HighCol, HighRow,
                               exchanged))
    Changed();
}

void TMatrix::SortCols(Integer SortRowIx, bool Ascending, Integer LowCol, Integer LowRow,
                       Integer HighCol, Integer HighRow) {
  auto exchanged = [this](Integer i, Integer j, Integer first, Integer last) {
    SortExchange(1, i, j, first, last);
  };
  if (dov_matrix::CombSortCols(Block(), SortRowIx, Ascending, LowCol, LowRow, HighCol, HighRow,
                               exchanged))
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
