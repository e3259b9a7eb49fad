// Data table editing: inserting, removing, exchanging and mirroring rows and columns, copies
// between tables, serializing, and the sorts by values, names and attributes.

#include <algorithm>
#include <memory>
#include <utility>

#include "DOV_datatable.h"
#include "DOV_matrix_common.h"
#include "SysUtils.h"

namespace {

inline Integer NextGap(Integer gap) {
  gap = static_cast<Integer>(static_cast<long double>(gap) / 1.3L);
  return gap == 0 ? 1 : gap;
}

// Keeps the table's five change handlers aside for a bulk operation.
class THeldHandlers {
public:
  explicit THeldHandlers(TDataTable& T)
      : FT(T),
        FChange(std::exchange(T.OnChange, nullptr)),
        FSetup(std::exchange(T.OnChangeSetup, nullptr)),
        FNames(std::exchange(T.OnChangeNames, nullptr)),
        FAttrib(std::exchange(T.OnChangeAttrib, nullptr)),
        FStates(std::exchange(T.OnChangeCellState, nullptr)) {}
  ~THeldHandlers() {
    FT.OnChange = std::move(FChange);
    FT.OnChangeSetup = std::move(FSetup);
    FT.OnChangeNames = std::move(FNames);
    FT.OnChangeAttrib = std::move(FAttrib);
    FT.OnChangeCellState = std::move(FStates);
  }

private:
  TDataTable& FT;
  TNotifyEvent FChange, FSetup, FNames, FAttrib, FStates;
};

}  // namespace

// ---- inserting and removing ----------------------------------------------------------------

void TDataTable::InsertRow(Integer ix) {
  if (ix < 1 || ix > FNrOfRows + 1) return;
  {
    dov_matrix::TSilentEvent<TNotifyEvent> unbound(NumericData->OnChange);
    SetNrRows(FNrOfRows + 1);
    for (Integer r = FNrOfRows; r >= ix + 1; --r) {
      SetRowAttrib(r, GetRowAttrib(r - 1));
      SetRowName(r, GetRowName(r - 1));
      for (Integer c = 1; c <= FNrOfCols; ++c) {
        SetElem(c, r, GetElem(c, r - 1));
        SetCellState(c, r, GetCellState(c, r - 1));
      }
    }
    SetRowAttrib(ix, 0);
    SetRowName(ix, "");
    for (Integer c = 1; c <= FNrOfCols; ++c) {
      SetElem(c, ix, 0);
      SetCellState(c, ix, 0);
    }
  }
  ChangedSetup();
}

void TDataTable::RemoveRow(Integer ix) {
  if (ix < 1 || ix > FNrOfRows || FNrOfRows < 2) return;
  {
    dov_matrix::TSilentEvent<TNotifyEvent> unbound(NumericData->OnChange);
    for (Integer r = ix; r < FNrOfRows; ++r) {
      SetRowAttrib(r, GetRowAttrib(r + 1));
      SetRowName(r, GetRowName(r + 1));
      for (Integer c = 1; c <= FNrOfCols; ++c) {
        SetElem(c, r, GetElem(c, r + 1));
        SetCellState(c, r, GetCellState(c, r + 1));
      }
    }
    SetNrRows(FNrOfRows - 1);
  }
  ChangedSetup();
}

void TDataTable::InsertColumn(Integer ix) {
  if (ix < 1 || ix > FNrOfCols + 1) return;
  {
    dov_matrix::TSilentEvent<TNotifyEvent> unbound(NumericData->OnChange);
    SetNrCols(FNrOfCols + 1);
    for (Integer c = FNrOfCols; c >= ix + 1; --c) {
      SetColAttrib(c, GetColAttrib(c - 1));
      SetColName(c, GetColName(c - 1));
      SetMScaleType(c, GetMScaleType(c - 1));
      for (Integer k = 1; k <= MaxNominalIDs; ++k) SetNominalID(c, k, GetNominalID(c - 1, k));
      for (Integer r = 1; r <= FNrOfRows; ++r) {
        SetElem(c, r, GetElem(c - 1, r));
        SetCellState(c, r, GetCellState(c - 1, r));
      }
    }
    SetColAttrib(ix, 0);
    SetColName(ix, "");
    SetMScaleType(ix, stInterval);
    for (Integer k = 1; k <= MaxNominalIDs; ++k) SetNominalID(ix, k, "");
    for (Integer r = 1; r <= FNrOfRows; ++r) {
      SetElem(ix, r, 0);
      SetCellState(ix, r, 0);
    }
  }
  ChangedSetup();
}

void TDataTable::RemoveColumn(Integer ix) {
  if (ix < 1 || ix > FNrOfCols || FNrOfCols < 2) return;
  {
    dov_matrix::TSilentEvent<TNotifyEvent> unbound(NumericData->OnChange);
    for (Integer c = ix; c < FNrOfCols; ++c) {
      SetColAttrib(c, GetColAttrib(c + 1));
      SetColName(c, GetColName(c + 1));
      const TMScaleType t = GetMScaleType(c + 1);
      SetMScaleType(c, t);
      if (IsCategorial(t))
        for (Integer k = 1; k <= MaxNominalIDs; ++k) SetNominalID(c, k, GetNominalID(c + 1, k));
      for (Integer r = 1; r <= FNrOfRows; ++r) {
        SetElem(c, r, GetElem(c + 1, r));
        SetCellState(c, r, GetCellState(c + 1, r));
      }
    }
    SetNrCols(FNrOfCols - 1);
  }
  ChangedSetup();
}

// ---- exchanging and mirroring --------------------------------------------------------------

void TDataTable::ExchangeColumns(Integer c1, Integer c2) {
  if (!InsideCol(c1) || !InsideCol(c2)) return;
  {
    dov_matrix::TSilentEvent<TNotifyEvent> unbound(NumericData->OnChange);
    NumericData->ExchangeColumns(c1, c2);
    const Integer a = GetColAttrib(c1);
    SetColAttrib(c1, GetColAttrib(c2));
    SetColAttrib(c2, a);
    const String n = GetColName(c1);
    SetColName(c1, GetColName(c2));
    SetColName(c2, n);
    std::swap(FVType[static_cast<std::size_t>(c1 - 1)], FVType[static_cast<std::size_t>(c2 - 1)]);
    for (Integer r = 1; r <= FNrOfRows; ++r) {
      const Byte s = GetCellState(c1, r);
      SetCellState(c1, r, GetCellState(c2, r));
      SetCellState(c2, r, s);
    }
  }
  ChangedData();
  ChangedCellStates();
  ChangedAttrib();
  ChangedNames();
  ChangedSetup();
}

void TDataTable::ExchangeRows(Integer r1, Integer r2) {
  if (!InsideRow(r1) || !InsideRow(r2)) return;
  {
    dov_matrix::TSilentEvent<TNotifyEvent> unbound(NumericData->OnChange);
    NumericData->ExchangeRows(r1, r2);
    const Integer a = GetRowAttrib(r1);
    SetRowAttrib(r1, GetRowAttrib(r2));
    SetRowAttrib(r2, a);
    const String n = GetRowName(r1);
    SetRowName(r1, GetRowName(r2));
    SetRowName(r2, n);
    for (Integer c = 1; c <= FNrOfCols; ++c) {
      const Byte s = GetCellState(c, r1);
      SetCellState(c, r1, GetCellState(c, r2));
      SetCellState(c, r2, s);
    }
  }
  ChangedData();
  ChangedCellStates();
  ChangedAttrib();
  ChangedNames();
  ChangedSetup();
}

void TDataTable::MirrorColumns() {
  {
    dov_matrix::TSilentEvent<TNotifyEvent> unbound(NumericData->OnChange);
    for (Integer lo = 1, hi = FNrOfCols; hi > lo; ++lo, --hi) ExchangeColumns(lo, hi);
  }
  ChangedData();
  ChangedCellStates();
  ChangedAttrib();
  ChangedNames();
  ChangedSetup();
}

void TDataTable::MirrorRows() {
  {
    dov_matrix::TSilentEvent<TNotifyEvent> unbound(NumericData->OnChange);
    for (Integer lo = 1, hi = FNrOfRows; hi > lo; ++lo, --hi) ExchangeRows(lo, hi);
  }
  ChangedData();
  ChangedCellStates();
  ChangedAttrib();
  ChangedNames();
  ChangedSetup();
}

// ---- copies --------------------------------------------------------------------------------

void TDataTable::CopyContentsFrom(TDataTable* ExtTab) {
  if (ExtTab == nullptr || ExtTab == this) return;
  const Integer oldCols = FNrOfCols, oldRows = FNrOfRows;
  {
    THeldHandlers held(*this);
    Resize(ExtTab->NrOfColumns(), ExtTab->NrOfRows());
    FComment = ExtTab->Comment();
    for (Integer c = 1; c <= FNrOfCols; ++c) {
      FColName[static_cast<std::size_t>(c - 1)] = ExtTab->GetColName(c);
      FColAtt[static_cast<std::size_t>(c - 1)] = ExtTab->GetColAttrib(c);
      TVTypeSpec& spec = FVType[static_cast<std::size_t>(c - 1)];
      spec.MScaleType = ExtTab->GetMScaleType(c);
      for (Integer k = 1; k <= MaxNominalIDs; ++k)
        spec.IDs.Set(static_cast<std::size_t>(k - 1), ExtTab->GetNominalID(c, k));
      double* col = NumericData->ColumnPtr(c);
      for (Integer r = 1; r <= FNrOfRows; ++r) col[r - 1] = ExtTab->GetElem(c, r);
    }
    for (Integer r = 1; r <= FNrOfRows; ++r) {
      FRowName[static_cast<std::size_t>(r - 1)] = ExtTab->GetRowName(r);
      FRowAtt[static_cast<std::size_t>(r - 1)] = ExtTab->GetRowAttrib(r);
    }
    for (Integer c = 1; c <= FNrOfCols; ++c)
      for (Integer r = 1; r <= FNrOfRows; ++r)
        FCState[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r - 1)] =
            ExtTab->GetCellState(c, r);
  }
  ChangedData();
  ChangedCellStates();
  ChangedSetup();
  ChangedNames();
  ChangedAttrib();
  if (OnResize) OnResize(this, oldCols, oldRows, FNrOfCols, FNrOfRows);
}

bool TDataTable::CopyCellStatesFrom(const TDataTable* ExtTab) {
  if (ExtTab == nullptr || ExtTab->NrOfColumns() != FNrOfCols || ExtTab->NrOfRows() != FNrOfRows)
    return false;
  for (Integer c = 1; c <= FNrOfCols; ++c)
    for (Integer r = 1; r <= FNrOfRows; ++r)
      FCState[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r - 1)] =
          ExtTab->GetCellState(c, r);
  ChangedCellStates();
  return true;
}

void TDataTable::CopyFrom(const TDataTable* ExtTab, Integer SourceColLo, Integer SourceRowLo,
                          Integer SourceColHi, Integer SourceRowHi, Integer DestCol,
                          Integer DestRow) {
  if (ExtTab == nullptr) return;
  {
    THeldHandlers held(*this);
    auto clamp = [](Integer v, Integer n) { return std::min(std::max<Integer>(v, 1), n); };
    SourceColLo = clamp(SourceColLo, ExtTab->NrOfColumns());
    SourceColHi = clamp(SourceColHi, ExtTab->NrOfColumns());
    SourceRowLo = clamp(SourceRowLo, ExtTab->NrOfRows());
    SourceRowHi = clamp(SourceRowHi, ExtTab->NrOfRows());
    if (SourceColHi < SourceColLo) std::swap(SourceColLo, SourceColHi);
    if (SourceRowHi < SourceRowLo) std::swap(SourceRowLo, SourceRowHi);
    // Read the block first: the source may be this table itself.
    std::vector<std::pair<double, Byte>> block;
    for (Integer c = SourceColLo; c <= SourceColHi; ++c)
      for (Integer r = SourceRowLo; r <= SourceRowHi; ++r)
        block.emplace_back(ExtTab->GetElem(c, r), ExtTab->GetCellState(c, r));
    std::size_t i = 0;
    for (Integer c = SourceColLo; c <= SourceColHi; ++c)
      for (Integer r = SourceRowLo; r <= SourceRowHi; ++r, ++i) {
        const Int64 dc = Int64{DestCol} + c - SourceColLo, dr = Int64{DestRow} + r - SourceRowLo;
        if (dc < 1 || dc > FNrOfCols || dr < 1 || dr > FNrOfRows) continue;
        NumericData->SetVal(static_cast<Integer>(dc), static_cast<Integer>(dr), block[i].first);
        FCState[static_cast<std::size_t>(dc - 1)][static_cast<std::size_t>(dr - 1)] =
            block[i].second;
      }
  }
  ChangedData();
  ChangedCellStates();
}

void TDataTable::Serialize(bool ColHeadsAsVar, bool IncludeColRowNumbers) {
  {
    dov_matrix::TSilentEvent<TNotifyEvent> held(OnChange);
    const TMScaleType T = FindHighestMLevel(0, 0);
    TDataTable temp(nullptr);
    temp.CopyContentsFrom(this);
    const Integer c = FNrOfCols, r = FNrOfRows;
    const Integer q = 1 + (ColHeadsAsVar ? 1 : 0) + (IncludeColRowNumbers ? 2 : 0);
    Resize(q, r * c);
    if (ColHeadsAsVar) {
      ClearNominalIDs(1);
      for (Integer k = 1; k <= c; ++k) AddNominalID(1, IntToStr(k) + ":" + temp.GetColName(k));
      SetColName(1, "(column)");
    }
    if (IncludeColRowNumbers) {
      SetColName(q - 2, "(col. index)");
      SetColName(q - 1, "(row index)");
    }
    SetColName(q, "(data)");
    SetMScaleType(q, T);
    for (Integer k = 1; k <= c; ++k)
      for (Integer j = 1; j <= r; ++j) {
        const Integer s = (k - 1) * r + j;
        if (ColHeadsAsVar) NumericData->SetVal(1, s, k);
        if (IncludeColRowNumbers) {
          NumericData->SetVal(q - 1, s, j);
          NumericData->SetVal(q - 2, s, k);
        }
        NumericData->SetVal(q, s, temp.GetElem(k, j));
        FRowName[static_cast<std::size_t>(s - 1)] = temp.GetRowName(j);
        FRowAtt[static_cast<std::size_t>(s - 1)] = temp.GetRowAttrib(j);
        FCState[static_cast<std::size_t>(q - 1)][static_cast<std::size_t>(s - 1)] =
            temp.GetCellState(k, j);
      }
  }
  ChangedData();
}

// ---- sorting -------------------------------------------------------------------------------

void TDataTable::SortRows(Integer SortColIx, bool Ascending, Integer LowCol, Integer LowRow,
                          Integer HighCol, Integer HighRow, bool IncludeHeaders) {
  FSortIncludeHd = IncludeHeaders;
  NumericData->SortRows(SortColIx, Ascending, LowCol, LowRow, HighCol, HighRow);
  FSortIncludeHd = false;
  if (IncludeHeaders) {
    ChangedNames();
    ChangedAttrib();
  }
}

void TDataTable::SortCols(Integer SortRowIx, bool Ascending, Integer LowCol, Integer LowRow,
                          Integer HighCol, Integer HighRow, bool IncludeHeaders) {
  FSortIncludeHd = IncludeHeaders;
  NumericData->SortCols(SortRowIx, Ascending, LowCol, LowRow, HighCol, HighRow);
  FSortIncludeHd = false;
  if (IncludeHeaders) {
    ChangedNames();
    ChangedAttrib();
  }
}

void TDataTable::ExchangeRowItems(Integer r1, Integer r2, Integer LowCol, Integer HighCol) {
  std::swap(FRowName[static_cast<std::size_t>(r1 - 1)], FRowName[static_cast<std::size_t>(r2 - 1)]);
  std::swap(FRowAtt[static_cast<std::size_t>(r1 - 1)], FRowAtt[static_cast<std::size_t>(r2 - 1)]);
  for (Integer c = LowCol; c <= HighCol; ++c) {
    const double v = NumericData->GetVal(c, r1);
    NumericData->SetVal(c, r1, NumericData->GetVal(c, r2));
    NumericData->SetVal(c, r2, v);
    auto& st = FCState[static_cast<std::size_t>(c - 1)];
    std::swap(st[static_cast<std::size_t>(r1 - 1)], st[static_cast<std::size_t>(r2 - 1)]);
  }
}

void TDataTable::ExchangeColItems(Integer c1, Integer c2, Integer LowRow, Integer HighRow) {
  const std::size_t a = static_cast<std::size_t>(c1 - 1), b = static_cast<std::size_t>(c2 - 1);
  std::swap(FColName[a], FColName[b]);
  std::swap(FColAtt[a], FColAtt[b]);
  std::swap(FVType[a], FVType[b]);
  for (Integer r = LowRow; r <= HighRow; ++r) {
    const double v = NumericData->GetVal(c1, r);
    NumericData->SetVal(c1, r, NumericData->GetVal(c2, r));
    NumericData->SetVal(c2, r, v);
    std::swap(FCState[a][static_cast<std::size_t>(r - 1)],
              FCState[b][static_cast<std::size_t>(r - 1)]);
  }
}

template <class Key>
void TDataTable::CombSortRows(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                              Key key, bool Ascending) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  Integer gap = HighRow - LowRow;
  if (gap <= 0) return;
  bool swapped;
  do {
    gap = NextGap(gap);
    swapped = false;
    for (Integer i = LowRow; i + gap <= HighRow; ++i) {
      const auto a = key(i), b = key(i + gap);
      if (Ascending ? (b < a) : (a < b)) {
        ExchangeRowItems(i, i + gap, LowCol, HighCol);
        swapped = true;
        if (OnSortExchange) OnSortExchange(this, 2, i, i + gap, LowCol, HighCol);
      }
    }
  } while (gap != 1 || swapped);
  ChangedData();
}

template <class Key>
void TDataTable::CombSortCols(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                              Key key, bool Ascending) {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  Integer gap = HighCol - LowCol;
  if (gap <= 0) return;
  bool swapped;
  do {
    gap = NextGap(gap);
    swapped = false;
    for (Integer i = LowCol; i + gap <= HighCol; ++i) {
      const auto a = key(i), b = key(i + gap);
      if (Ascending ? (b < a) : (a < b)) {
        ExchangeColItems(i, i + gap, LowRow, HighRow);
        swapped = true;
        if (OnSortExchange) OnSortExchange(this, 1, i, i + gap, LowRow, HighRow);
      }
    }
  } while (gap != 1 || swapped);
  ChangedData();
}

void TDataTable::SortRowNames(bool Ascending, bool IgnoreCase, Integer LowCol, Integer LowRow,
                              Integer HighCol, Integer HighRow) {
  Integer lr = LowRow, hr = HighRow;
  MakeValidRowRange(lr, hr);
  if (hr - lr <= 0) return;
  CombSortRows(
      LowCol, LowRow, HighCol, HighRow,
      [&](Integer r) {
        const String& n = FRowName[static_cast<std::size_t>(r - 1)];
        return IgnoreCase ? LowerCase(n) : n;
      },
      Ascending);
  ChangedNames();
}

void TDataTable::SortRowNames(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                              Integer HighRow) {
  SortRowNames(Ascending, false, LowCol, LowRow, HighCol, HighRow);
}

void TDataTable::SortColNames(bool Ascending, bool IgnoreCase, Integer LowCol, Integer LowRow,
                              Integer HighCol, Integer HighRow) {
  Integer lc = LowCol, hc = HighCol;
  MakeValidColRange(lc, hc);
  if (hc - lc <= 0) return;
  CombSortCols(
      LowCol, LowRow, HighCol, HighRow,
      [&](Integer c) {
        const String& n = FColName[static_cast<std::size_t>(c - 1)];
        return IgnoreCase ? LowerCase(n) : n;
      },
      Ascending);
  ChangedNames();
}

void TDataTable::SortColNames(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                              Integer HighRow) {
  SortColNames(Ascending, false, LowCol, LowRow, HighCol, HighRow);
}

void TDataTable::SortRowAttributes(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                                   Integer HighRow) {
  Integer lr = LowRow, hr = HighRow;
  MakeValidRowRange(lr, hr);
  if (hr - lr <= 0) return;
  CombSortRows(
      LowCol, LowRow, HighCol, HighRow,
      [&](Integer r) { return FRowAtt[static_cast<std::size_t>(r - 1)]; }, Ascending);
  ChangedAttrib();
}

void TDataTable::SortColAttributes(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                                   Integer HighRow) {
  Integer lc = LowCol, hc = HighCol;
  MakeValidColRange(lc, hc);
  if (hc - lc <= 0) return;
  CombSortCols(
      LowCol, LowRow, HighCol, HighRow,
      [&](Integer c) { return FColAtt[static_cast<std::size_t>(c - 1)]; }, Ascending);
  ChangedAttrib();
}
