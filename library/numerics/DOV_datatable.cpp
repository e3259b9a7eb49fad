#include "DOV_datatable.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <new>
#include <stdexcept>
#include <utility>

#include "DOV_dstruct.h"
#include "DOV_math1.h"
#include "DOV_stringl.h"
#include "DOV_utf8.h"
#include "SysUtils.h"

namespace {

// "C-12", "R-3284": made for every row a table gains, so without a temporary per part.
String DefaultName(const char* Prefix, Integer k) {
  char buf[32];
  const std::size_t n = std::strlen(Prefix);
  std::memcpy(buf, Prefix, n);
  const auto end = std::to_chars(buf + n, buf + sizeof buf, k).ptr;
  return String(buf, static_cast<std::size_t>(end - buf));
}

// Slot equals a key that is already folded, ignoring A-Z case. The CSV import asks this for
// every text field against up to 150 slots, so the key is folded once, not per slot.
// Catalogue names share their first characters ("J0002+6216", "J0006+1834"), so the last
// character is looked at first.
bool EqualsFoldedKey(const String& Slot, const String& FoldedKey) {
  const std::size_t n = Slot.size();
  if (n != FoldedKey.size()) return false;
  if (n == 0) return true;
  if (LowerCaseChar(Slot[n - 1]) != FoldedKey[n - 1]) return false;
  for (std::size_t i = 0; i + 1 < n; ++i)
    if (LowerCaseChar(Slot[i]) != FoldedKey[i]) return false;
  return true;
}

// Leading and trailing blanks removed, a-z upper-cased: the key of the name lookups.
String NameKey(const String& S) { return UpperCase(StripLTBlanks(S)); }

// Eight CRC-32 lanes; byte number k (1-based within its item) goes into lane k mod 8.
struct TLaneCRC {
  std::uint32_t lane[8];
  TLaneCRC() {
    for (auto& l : lane) l = 0xFFFFFFFFu;
  }
  void Feed(Integer k, Byte b) {
    auto& l = lane[static_cast<unsigned>(k) % 8u];
    l = CalcNextCRC32(b, l);
  }
  void FeedText(const String& S) {
    for (std::size_t i = 0; i < S.size(); ++i)
      Feed(static_cast<Integer>(i + 1), static_cast<Byte>(S[i]));
  }
  String Result() const {
    String r;
    r.reserve(64);
    for (auto l : lane) r += Hex(~l, 8);
    return r;
  }
};

}  // namespace

// The per-column and per-row arrays at a new size, built aside so that a failed allocation
// leaves the table whole.
struct TDataTable::TArrays {
  std::vector<std::vector<Byte>> CState;
  std::vector<TDTNameStr> ColName;
  std::vector<TDTNameStr> RowName;
  std::vector<Integer> RowAtt;
  std::vector<Integer> ColAtt;
  std::vector<TVTypeSpec> VType;
};

// ---- life cycle --------------------------------------------------------------------------

TDataTable::TDataTable(TComponent* AOwner) : TComponent(AOwner) {
  TMatrix* mat = nullptr;
  try {
    mat = new TMatrix(nullptr);
    mat->Resize(1, 1);
    mat->Fill(0.0);
    TArrays arrays;
    PrepareArrays(1, 1, arrays);
    CommitArrays(arrays);
  } catch (const std::bad_alloc&) {
    delete mat;
    throw ESDLDataTableError(ComponentErrorMessage(this, "failed to initialize (out of memory)"));
  } catch (const ESDLError&) {
    delete mat;
    throw ESDLDataTableError(ComponentErrorMessage(this, "failed to initialize (out of memory)"));
  }
  NumericData = mat;
  FNrOfCols = 1;
  FNrOfRows = 1;
  FExtMatAssigned = false;
  BindData();
}

TDataTable::~TDataTable() {
  if (FExtMatAssigned)
    UnbindData(NumericData);
  else
    delete NumericData;
  NumericData = nullptr;
}

void TDataTable::BindData() {
  NumericData->OnChange = [this](TObject* Sender) { DataHasChanged(Sender); };
  NumericData->OnSortExchange = [this](TObject* Sender, Byte ExchgWhat, Integer index1,
                                       Integer index2, Integer first, Integer last) {
    ExchangeDuringSort(Sender, ExchgWhat, index1, index2, first, last);
  };
}

void TDataTable::UnbindData(TMatrix* Mat) {
  if (Mat == nullptr) return;
  Mat->OnChange = nullptr;
  Mat->OnSortExchange = nullptr;
}

void TDataTable::RaiseNoMemory() const {
  throw ESDLDataTableError(ComponentErrorMessage(this, "not enough memory on heap"));
}

// ---- size --------------------------------------------------------------------------------

void TDataTable::PrepareArrays(Integer Nc, Integer Nr, TArrays& A) const {
  const std::size_t nc = static_cast<std::size_t>(Nc);
  const std::size_t nr = static_cast<std::size_t>(Nr);
  A.CState.resize(nc);
  for (std::size_t c = 0; c < nc; ++c) {
    auto& col = A.CState[c];
    col.reserve(nr);
    if (c < FCState.size()) {
      const auto& old = FCState[c];
      col.assign(old.begin(), old.begin() + static_cast<std::ptrdiff_t>(std::min(nr, old.size())));
    }
    col.resize(nr, 0);
  }
  A.ColName.reserve(nc);
  for (std::size_t k = 0; k < nc; ++k)
    A.ColName.push_back(k < FColName.size() ? FColName[k]
                                            : DefaultName("C-", static_cast<Integer>(k + 1)));
  A.RowName.reserve(nr);
  for (std::size_t k = 0; k < nr; ++k)
    A.RowName.push_back(k < FRowName.size() ? FRowName[k]
                                            : DefaultName("R-", static_cast<Integer>(k + 1)));
  A.RowAtt = FRowAtt;
  A.RowAtt.resize(nr, 0);
  A.ColAtt = FColAtt;
  A.ColAtt.resize(nc, 0);
  A.VType.reserve(nc);
  for (std::size_t k = 0; k < nc; ++k)
    A.VType.push_back(k < FVType.size() ? FVType[k] : TVTypeSpec());  // new: interval, no IDs
}

void TDataTable::CommitArrays(TArrays& A) noexcept {
  FCState.swap(A.CState);
  FColName.swap(A.ColName);
  FRowName.swap(A.RowName);
  FRowAtt.swap(A.RowAtt);
  FColAtt.swap(A.ColAtt);
  FVType.swap(A.VType);
}

bool TDataTable::SizeFitsInMemory(Integer NrCols, Integer NrRows) {
  // Estimated in floating point: the products of two large sizes overflow 64 bits.
  const long double nc = std::max<Integer>(NrCols, 1);
  const long double nr = std::max<Integer>(NrRows, 1);
  const long double cells = nc * nr;
  if (cells > static_cast<long double>(std::vector<double>().max_size())) return false;
  const long double bytes =
      cells * (sizeof(double) + sizeof(Byte)) +
      nc * (sizeof(TVTypeSpec) + sizeof(TDTNameStr) + sizeof(std::vector<Byte>) + sizeof(Integer)) +
      nr * (sizeof(TDTNameStr) + sizeof(Integer));
  // Small tables need no look at the system.
  constexpr long double SmallTable = 64.0L * 1024 * 1024;
  return bytes <= SmallTable || bytes <= static_cast<long double>(ObtainableMemoryBytes());
}

void TDataTable::Resize(Integer NrCols, Integer NrRows) {
  if (NrCols < 0) NrCols = 0;
  if (NrRows < 0) NrRows = 0;
  if (NrCols == FNrOfCols && NrRows == FNrOfRows) return;
  const Integer oldCols = FNrOfCols;
  const Integer oldRows = FNrOfRows;
  // A size that could never be held is refused before anything is allocated: filling the
  // per-column arrays of a huge table would get the process killed before the value block
  // is even asked for.
  if (!SizeFitsInMemory(NrCols, NrRows)) RaiseNoMemory();
  if (NrRows == FNrOfRows && NrCols > FNrOfCols) {
    ResizeColumns(NrCols);
  } else {
    TArrays arrays;
    try {
      PrepareArrays(NrCols, NrRows, arrays);
    } catch (const std::bad_alloc&) {
      RaiseNoMemory();
    } catch (const std::length_error&) {
      RaiseNoMemory();
    }
    ResizeValues(NrCols, NrRows);
    CommitArrays(arrays);
  }
  FNrOfCols = NrCols;
  FNrOfRows = NrRows;
  if (OnResize) OnResize(this, oldCols, oldRows, NrCols, NrRows);
}

namespace {
// Room for at least n elements, growing by doubling, so that a table widened one column at a
// time moves its per-column arrays only now and then.
template <class V>
void GrowCapacity(V& v, std::size_t n) {
  if (v.capacity() >= n) return;
  v.reserve(std::min(std::max(n, 2 * v.capacity()), v.max_size()));
}
}  // namespace

// The CSV import widens the table one column per extra field of its widest line. Rebuilding
// every per-column array for each of them would make a wide file quadratic, so new columns are
// appended in place (a shrink rebuilds the arrays at their exact size instead). Everything
// that can fail (the new columns' arrays, the room for them, the values) comes first; what
// follows only moves, so a failure leaves the table whole.
void TDataTable::ResizeColumns(Integer NrCols) {
  const std::size_t nc = static_cast<std::size_t>(NrCols);
  const std::size_t old = static_cast<std::size_t>(FNrOfCols);
  const std::size_t added = nc - old;
  std::vector<std::vector<Byte>> states;
  std::vector<TDTNameStr> names;
  std::vector<TVTypeSpec> types;
  try {
    states.assign(added, std::vector<Byte>(static_cast<std::size_t>(FNrOfRows), 0));
    names.reserve(added);
    for (std::size_t k = 0; k < added; ++k)
      names.push_back(DefaultName("C-", static_cast<Integer>(old + k + 1)));
    types.resize(added);  // interval, no identifiers
    GrowCapacity(FCState, nc);
    GrowCapacity(FColName, nc);
    GrowCapacity(FColAtt, nc);
    GrowCapacity(FVType, nc);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  } catch (const std::length_error&) {
    RaiseNoMemory();
  }
  ResizeValues(NrCols, FNrOfRows);
  FCState.insert(FCState.end(), std::make_move_iterator(states.begin()),
                 std::make_move_iterator(states.end()));
  FColName.insert(FColName.end(), std::make_move_iterator(names.begin()),
                  std::make_move_iterator(names.end()));
  FColAtt.resize(nc, 0);
  FVType.insert(FVType.end(), std::make_move_iterator(types.begin()),
                std::make_move_iterator(types.end()));
}

// Resizes NumericData without its resize looking like a change of values.
void TDataTable::ResizeValues(Integer NrCols, Integer NrRows) {
  TNotifyEvent bound = std::move(NumericData->OnChange);
  NumericData->OnChange = nullptr;
  try {
    NumericData->Resize(NrCols, NrRows);
  } catch (const ESDLError&) {
    NumericData->OnChange = std::move(bound);
    RaiseNoMemory();
  }
  NumericData->OnChange = std::move(bound);
}

void TDataTable::SetNrCols(Integer Nc) {
  if (Nc < 0) Nc = 0;
  if (Nc == FNrOfCols) return;
  Resize(Nc, FNrOfRows);
}

void TDataTable::SetNrRows(Integer Nr) {
  if (Nr < 0) Nr = 0;
  if (Nr == FNrOfRows) return;
  Resize(FNrOfCols, Nr);
}

void TDataTable::Clear() {
  for (Integer c = 0; c < FNrOfCols; ++c) {
    FColName[static_cast<std::size_t>(c)] = DefaultName("C-", c + 1);
    FColAtt[static_cast<std::size_t>(c)] = 0;
    FVType[static_cast<std::size_t>(c)] = TVTypeSpec();
    std::fill(FCState[static_cast<std::size_t>(c)].begin(),
              FCState[static_cast<std::size_t>(c)].end(), 0);
  }
  for (Integer r = 0; r < FNrOfRows; ++r) {
    FRowName[static_cast<std::size_t>(r)] = DefaultName("R-", r + 1);
    FRowAtt[static_cast<std::size_t>(r)] = 0;
  }
  FComment.clear();
  NumericData->Fill(0.0);
  ChangedNames();
  ChangedAttrib();
  ChangedCellStates();
  ChangedSetup();
}

void TDataTable::AssignAnotherDataMatrix(TMatrix* NewDMat) {
  // Handing in the table's own matrix would release the very matrix it is to use.
  if (NewDMat == nullptr || NewDMat == NumericData) return;
  const Integer oldCols = FNrOfCols;
  const Integer oldRows = FNrOfRows;
  TNotifyEvent keptChange = std::move(OnChange);
  TNotifyEvent keptSetup = std::move(OnChangeSetup);
  OnChange = nullptr;
  OnChangeSetup = nullptr;
  // The new matrix comes in before the table takes its size, so that the departing matrix is
  // never resized: when it is external it belongs to someone else and only loses our handlers.
  TMatrix* departing = NumericData;
  const bool departingExternal = FExtMatAssigned;
  NumericData = NewDMat;
  FExtMatAssigned = true;
  BindData();
  if (departingExternal)
    UnbindData(departing);
  else
    delete departing;
  try {
    Resize(NewDMat->NrOfColumns(), NewDMat->NrOfRows());
  } catch (...) {
    OnChange = std::move(keptChange);
    OnChangeSetup = std::move(keptSetup);
    throw;
  }
  for (auto& v : FVType) v.MScaleType = stInterval;
  if (OnResize) OnResize(this, oldCols, oldRows, FNrOfCols, FNrOfRows);
  OnChange = std::move(keptChange);
  OnChangeSetup = std::move(keptSetup);
  ChangedData();
  ChangedSetup();
  ChangedNames();
  ChangedAttrib();
  ChangedCellStates();
}

void TDataTable::MakeValidColRange(Integer& Low, Integer& High) const {
  if (Low == 0 && High == 0) {
    Low = 1;
    High = FNrOfCols;
    return;
  }
  if (Low < 1) Low = 1;
  if (Low > FNrOfCols) Low = FNrOfCols;
  if (High < 1) High = 1;
  if (High > FNrOfCols) High = FNrOfCols;
  if (High < Low) std::swap(Low, High);
}

void TDataTable::MakeValidRowRange(Integer& Low, Integer& High) const {
  if (Low == 0 && High == 0) {
    Low = 1;
    High = FNrOfRows;
    return;
  }
  if (Low < 1) Low = 1;
  if (Low > FNrOfRows) Low = FNrOfRows;
  if (High < 1) High = 1;
  if (High > FNrOfRows) High = FNrOfRows;
  if (High < Low) std::swap(Low, High);
}

// ---- cells -------------------------------------------------------------------------------

double TDataTable::GetElem(Integer ACol, Integer ARow) const {
  if (!InsideCell(ACol, ARow)) return 0.0;
  const double v = NumericData->GetVal(ACol, ARow);
  if (IsCategorial(FVType[static_cast<std::size_t>(ACol - 1)].MScaleType))
    return std::nearbyint(v);  // halves to the even neighbour
  return v;
}

void TDataTable::SetElem(Integer ACol, Integer ARow, double Value) {
  if (!InsideCell(ACol, ARow)) return;
  NumericData->SetVal(ACol, ARow, Value);
  ChangedData();
}

TNominalIDStr TDataTable::GetElemNominal(Integer ACol, Integer ARow) const {
  if (!InsideCell(ACol, ARow)) return TNominalIDStr();
  const TVTypeSpec& spec = FVType[static_cast<std::size_t>(ACol - 1)];
  if (!IsCategorial(spec.MScaleType)) return TNominalIDStr();
  const double k = std::nearbyint(NumericData->GetVal(ACol, ARow));
  if (k >= 1 && k <= MaxNominalIDs) return spec.IDs[static_cast<std::size_t>(k) - 1];
  String text;
  if (std::isfinite(k) && std::fabs(k) < 9.2e18)
    text = IntToStr(static_cast<Int64>(k));
  else
    text = FloatToStr(k);
  return utf8::CutBytes(text, MaxNominalIDLength);
}

void TDataTable::SetElemNominal(Integer ACol, Integer ARow, const TNominalIDStr& Value) {
  if (!InsideCell(ACol, ARow)) return;
  Integer k = OrdinalOfNominalID(ACol, Value, true);
  if (k == 0) {
    TVTypeSpec& spec = FVType[static_cast<std::size_t>(ACol - 1)];
    for (Integer j = 1; j <= MaxNominalIDs; ++j) {
      if (spec.IDs[static_cast<std::size_t>(j - 1)].empty()) {
        k = j;
        break;
      }
    }
    if (k == 0)
      throw ESDLDataTableError(
          ComponentErrorMessage(this, "number of available nominal values exceeded"));
    spec.IDs.Set(static_cast<std::size_t>(k - 1), utf8::CutBytes(Value, MaxNominalIDLength));
  }
  NumericData->SetVal(ACol, ARow, k);
}

Byte TDataTable::GetCellState(Integer ACol, Integer ARow) const {
  if (!InsideCell(ACol, ARow)) return 0;
  return FCState[static_cast<std::size_t>(ACol - 1)][static_cast<std::size_t>(ARow - 1)];
}

void TDataTable::SetCellState(Integer ACol, Integer ARow, Byte Value) {
  if (!InsideCell(ACol, ARow)) return;
  Byte& st = FCState[static_cast<std::size_t>(ACol - 1)][static_cast<std::size_t>(ARow - 1)];
  if (st == Value) return;
  st = Value;
  ChangedCellStates();
}

bool TDataTable::GetIsNumber(Integer ACol, Integer ARow) const {
  return (GetCellState(ACol, ARow) & (csNoNumber | csEmpty)) == 0;
}

bool TDataTable::GetIsEmpty(Integer ACol, Integer ARow) const {
  return (GetCellState(ACol, ARow) & csEmpty) != 0;
}

bool TDataTable::GetIsImputed(Integer ACol, Integer ARow) const {
  return (GetCellState(ACol, ARow) & csImputed) != 0;
}

void TDataTable::SetIsEmpty(Integer ACol, Integer ARow, bool Value) {
  if (!InsideCell(ACol, ARow)) return;
  const Byte st = GetCellState(ACol, ARow);
  SetCellState(ACol, ARow,
               Value ? static_cast<Byte>(st | csEmpty) : static_cast<Byte>(st & ~csEmpty));
  ChangedData();
}

void TDataTable::SetIsImputed(Integer ACol, Integer ARow, bool Value) {
  if (!InsideCell(ACol, ARow)) return;
  const Byte st = GetCellState(ACol, ARow);
  SetCellState(ACol, ARow,
               Value ? static_cast<Byte>(st | csImputed) : static_cast<Byte>(st & ~csImputed));
  ChangedData();
}

// ---- names -------------------------------------------------------------------------------

TDTNameStr TDataTable::GetColName(Integer ColNr) const {
  return InsideCol(ColNr) ? FColName[static_cast<std::size_t>(ColNr - 1)] : TDTNameStr();
}

void TDataTable::SetColName(Integer ColNr, const TDTNameStr& HLine) {
  if (!InsideCol(ColNr)) return;
  FColName[static_cast<std::size_t>(ColNr - 1)] = utf8::CutBytes(HLine, MaxDTNameLength);
  ChangedNames();
}

TDTNameStr TDataTable::GetRowName(Integer RowNr) const {
  return InsideRow(RowNr) ? FRowName[static_cast<std::size_t>(RowNr - 1)] : TDTNameStr();
}

void TDataTable::SetRowName(Integer RowNr, const TDTNameStr& HLine) {
  if (!InsideRow(RowNr)) return;
  FRowName[static_cast<std::size_t>(RowNr - 1)] = utf8::CutBytes(HLine, MaxDTNameLength);
  ChangedNames();
}

Integer TDataTable::MaxColNameLength() const {
  std::size_t m = 0;
  for (const auto& n : FColName) m = std::max(m, n.size());
  return static_cast<Integer>(m);
}

Integer TDataTable::MaxRowNameLength() const {
  std::size_t m = 0;
  for (const auto& n : FRowName) m = std::max(m, n.size());
  return static_cast<Integer>(m);
}

Integer TDataTable::FindColIndex(const TDTNameStr& ColID) const {
  const String key = NameKey(ColID);
  for (std::size_t c = 0; c < FColName.size(); ++c)
    if (NameKey(FColName[c]) == key) return static_cast<Integer>(c + 1);
  return 0;
}

Integer TDataTable::FindRowIndex(const TDTNameStr& RowID) const {
  const String key = NameKey(RowID);
  for (std::size_t r = 0; r < FRowName.size(); ++r)
    if (NameKey(FRowName[r]) == key) return static_cast<Integer>(r + 1);
  return 0;
}

// ---- attributes --------------------------------------------------------------------------

Integer TDataTable::GetRowAttrib(Integer RowNr) const {
  return InsideRow(RowNr) ? FRowAtt[static_cast<std::size_t>(RowNr - 1)] : 0;
}

void TDataTable::SetRowAttrib(Integer RowNr, Integer Attrib) {
  if (!InsideRow(RowNr)) return;
  FRowAtt[static_cast<std::size_t>(RowNr - 1)] = Attrib;
  ChangedAttrib();
}

Integer TDataTable::GetColAttrib(Integer ColNr) const {
  return InsideCol(ColNr) ? FColAtt[static_cast<std::size_t>(ColNr - 1)] : 0;
}

void TDataTable::SetColAttrib(Integer ColNr, Integer Attrib) {
  if (!InsideCol(ColNr)) return;
  FColAtt[static_cast<std::size_t>(ColNr - 1)] = Attrib;
  ChangedAttrib();
}

namespace {
inline Integer Masked(Integer Old, Integer Attrib, Cardinal Mask) {
  const Cardinal v = (static_cast<Cardinal>(Old) & ~Mask) | (static_cast<Cardinal>(Attrib) & Mask);
  return static_cast<Integer>(v);
}
}  // namespace

void TDataTable::SetRowAttributes(Integer Attrib) {
  std::fill(FRowAtt.begin(), FRowAtt.end(), Attrib);
  ChangedAttrib();
}

void TDataTable::SetRowAttributes(Integer Attrib, Cardinal Mask) {
  for (auto& a : FRowAtt) a = Masked(a, Attrib, Mask);
  ChangedAttrib();
}

void TDataTable::SetColAttributes(Integer Attrib) {
  std::fill(FColAtt.begin(), FColAtt.end(), Attrib);
  ChangedAttrib();
}

void TDataTable::SetColAttributes(Integer Attrib, Cardinal Mask) {
  for (auto& a : FColAtt) a = Masked(a, Attrib, Mask);
  ChangedAttrib();
}

// ---- scales and identifiers --------------------------------------------------------------

TMScaleType TDataTable::GetMScaleType(Integer ColNr) const {
  return InsideCol(ColNr) ? FVType[static_cast<std::size_t>(ColNr - 1)].MScaleType : stUnknown;
}

void TDataTable::SetMScaleType(Integer ColNr, TMScaleType AScaleType) {
  if (!InsideCol(ColNr)) return;
  FVType[static_cast<std::size_t>(ColNr - 1)].MScaleType = AScaleType;
  ChangedSetup();
}

Integer TDataTable::OrdinalOfNominalID(Integer Col, const TNominalIDStr& ID,
                                       bool IgnoreCase) const {
  if (!InsideCol(Col)) return 0;
  const TVTypeSpec& spec = FVType[static_cast<std::size_t>(Col - 1)];
  if (!IsCategorial(spec.MScaleType)) return 0;
  String key = utf8::CutBytes(ID, MaxNominalIDLength);
  if (key.empty()) return 0;
  if (IgnoreCase) {
    for (auto& ch : key) ch = LowerCaseChar(ch);
    for (Integer k = 1; k <= MaxNominalIDs; ++k)
      if (EqualsFoldedKey(spec.IDs[static_cast<std::size_t>(k - 1)], key)) return k;
  } else {
    for (Integer k = 1; k <= MaxNominalIDs; ++k)
      if (spec.IDs[static_cast<std::size_t>(k - 1)] == key) return k;
  }
  return 0;
}

Integer TDataTable::AddNominalID(Integer Col, const TNominalIDStr& MScaleID) {
  if (!InsideCol(Col)) return 0;
  const String id = utf8::CutBytes(MScaleID, MaxNominalIDLength);
  const Integer k = OrdinalOfNominalID(Col, id, true);
  if (k >= 1) return k;
  TVTypeSpec& spec = FVType[static_cast<std::size_t>(Col - 1)];
  for (Integer j = 1; j <= MaxNominalIDs; ++j) {
    if (spec.IDs[static_cast<std::size_t>(j - 1)].empty()) {
      spec.MScaleType = stNominal;
      spec.IDs.Set(static_cast<std::size_t>(j - 1), id);
      ChangedSetup();
      return j;
    }
  }
  // Every slot taken: the CSV import meets this with every name of the catalogue after the
  // first ones and has to go on, so no exception and nothing changes.
  return 0;
}

void TDataTable::ClearNominalIDs(Integer Col) {
  if (!InsideCol(Col)) return;
  FVType[static_cast<std::size_t>(Col - 1)].IDs.Clear();
  ChangedSetup();
}

TNominalIDStr TDataTable::GetNominalID(Integer ColIx, Integer OrdVal) const {
  if (!InsideCol(ColIx) || OrdVal < 1 || OrdVal > MaxNominalIDs) return TNominalIDStr();
  const TVTypeSpec& spec = FVType[static_cast<std::size_t>(ColIx - 1)];
  if (!IsCategorial(spec.MScaleType)) return TNominalIDStr();
  return spec.IDs[static_cast<std::size_t>(OrdVal - 1)];
}

void TDataTable::SetNominalID(Integer ColIx, Integer OrdVal, const TNominalIDStr& MScaleID) {
  if (!InsideCol(ColIx) || OrdVal < 1 || OrdVal > MaxNominalIDs) return;
  TVTypeSpec& spec = FVType[static_cast<std::size_t>(ColIx - 1)];
  if (MScaleID.empty())
    spec.IDs.Set(static_cast<std::size_t>(OrdVal - 1), TNominalIDStr());
  else if (IsCategorial(spec.MScaleType))
    spec.IDs.Set(static_cast<std::size_t>(OrdVal - 1),
                 utf8::CutBytes(MScaleID, MaxNominalIDLength));
  ChangedSetup();
}

TIntArray TDataTable::ListOfCategorialVars() const {
  TIntArray list;
  for (std::size_t c = 0; c < FVType.size(); ++c)
    if (IsCategorial(FVType[c].MScaleType)) list.push_back(static_cast<Integer>(c + 1));
  return list;
}

TMScaleType TDataTable::FindHighestMLevel(Integer FirstCol, Integer LastCol) const {
  MakeValidColRange(FirstCol, LastCol);
  TMScaleType level = stNominal;
  for (Integer c = std::max<Integer>(FirstCol, 1); c <= LastCol; ++c)
    level = std::max(level, FVType[static_cast<std::size_t>(c - 1)].MScaleType);
  return level;
}

TMScaleType TDataTable::FindLowestMLevel(Integer FirstCol, Integer LastCol) const {
  MakeValidColRange(FirstCol, LastCol);
  TMScaleType level = stRatio;
  for (Integer c = std::max<Integer>(FirstCol, 1); c <= LastCol; ++c)
    level = std::min(level, FVType[static_cast<std::size_t>(c - 1)].MScaleType);
  return level;
}

void TDataTable::SetFComment(const String& Text) {
  FComment = RemoveControlChars(Text);
  ChangedSetup();
}

// ---- events ------------------------------------------------------------------------------

void TDataTable::ChangedData() {
  if (OnChange) OnChange(this);
}
void TDataTable::ChangedSetup() {
  if (OnChangeSetup) OnChangeSetup(this);
}
void TDataTable::ChangedNames() {
  if (OnChangeNames) OnChangeNames(this);
}
void TDataTable::ChangedAttrib() {
  if (OnChangeAttrib) OnChangeAttrib(this);
}
void TDataTable::ChangedCellStates() {
  if (OnChangeCellState) OnChangeCellState(this);
}

void TDataTable::DataHasChanged(TObject*) { ChangedData(); }

void TDataTable::PercDone(TObject*, Integer Percent) {
  if (OnPercentDone) OnPercentDone(this, Percent);
}

void TDataTable::ExchangeDuringSort(TObject*, Byte ExchgWhat, Integer index1, Integer index2,
                                    Integer first, Integer last) {
  if (ExchgWhat == 1) {
    if (!InsideCol(index1) || !InsideCol(index2)) return;
    const std::size_t a = static_cast<std::size_t>(index1 - 1);
    const std::size_t b = static_cast<std::size_t>(index2 - 1);
    if (FSortIncludeHd) {
      std::swap(FColAtt[a], FColAtt[b]);
      std::swap(FVType[a], FVType[b]);
      std::swap(FColName[a], FColName[b]);
    }
    for (Integer r = std::max<Integer>(first, 1); r <= std::min(last, FNrOfRows); ++r)
      std::swap(FCState[a][static_cast<std::size_t>(r - 1)],
                FCState[b][static_cast<std::size_t>(r - 1)]);
  } else {
    if (!InsideRow(index1) || !InsideRow(index2)) return;
    const std::size_t a = static_cast<std::size_t>(index1 - 1);
    const std::size_t b = static_cast<std::size_t>(index2 - 1);
    if (FSortIncludeHd) {
      std::swap(FRowAtt[a], FRowAtt[b]);
      std::swap(FRowName[a], FRowName[b]);
    }
    for (Integer c = std::max<Integer>(first, 1); c <= std::min(last, FNrOfCols); ++c) {
      auto& col = FCState[static_cast<std::size_t>(c - 1)];
      std::swap(col[a], col[b]);
    }
  }
  if (OnSortExchange) OnSortExchange(this, ExchgWhat, index1, index2, first, last);
}

// ---- bulk cell states --------------------------------------------------------------------

void TDataTable::SetAllCellStates(Byte State) {
  for (auto& col : FCState) std::fill(col.begin(), col.end(), State);
  ChangedCellStates();
}

void TDataTable::UnmarkAllCells() {
  for (auto& col : FCState)
    for (auto& st : col) st = static_cast<Byte>(st & ~(csMarkA | csMarkB));
  ChangedCellStates();
}

void TDataTable::InvertCellStates(Byte StateMask) {
  for (auto& col : FCState)
    for (auto& st : col) st = static_cast<Byte>(st ^ StateMask);
  ChangedCellStates();
}

void TDataTable::ExchangeMarkings() {
  for (auto& col : FCState)
    for (auto& st : col) {
      const Byte a = static_cast<Byte>(st & csMarkA);
      const Byte b = static_cast<Byte>(st & csMarkB);
      st = static_cast<Byte>((st & ~(csMarkA | csMarkB)) | (a << 1) | (b >> 1));
    }
  ChangedCellStates();
}

bool TDataTable::IfRowHasCellState(Integer Row, Byte State) const {
  if (!InsideRow(Row)) return false;
  Byte all = 0;
  for (const auto& col : FCState)
    all = static_cast<Byte>(all | col[static_cast<std::size_t>(Row - 1)]);
  return (all & State) != 0;
}

bool TDataTable::IfColHasCellState(Integer Col, Byte State) const {
  if (!InsideCol(Col)) return false;
  Byte all = 0;
  for (Byte st : FCState[static_cast<std::size_t>(Col - 1)]) all = static_cast<Byte>(all | st);
  return (all & State) != 0;
}

Integer TDataTable::CountMarkedCellsInRow(Integer Row, Byte StateMask) const {
  if (!InsideRow(Row)) return 0;
  Integer n = 0;
  for (const auto& col : FCState)
    if ((col[static_cast<std::size_t>(Row - 1)] & StateMask) != 0) ++n;
  return n;
}

Integer TDataTable::CountMarkedCellsInColumn(Integer Col, Byte StateMask) const {
  if (!InsideCol(Col)) return 0;
  Integer n = 0;
  for (Byte st : FCState[static_cast<std::size_t>(Col - 1)])
    if ((st & StateMask) != 0) ++n;
  return n;
}

Integer TDataTable::FillMarkedCells(double Value, Byte StateMask) {
  // Written straight into the storage: one OnChange for the lot, not one per cell.
  const Integer cols = std::min(FNrOfCols, NumericData->NrOfColumns());
  const Integer rows = std::min(FNrOfRows, NumericData->NrOfRows());
  Integer n = 0;
  for (Integer c = 1; c <= cols; ++c) {
    const auto& states = FCState[static_cast<std::size_t>(c - 1)];
    double* values = NumericData->ColumnPtr(c);
    for (Integer r = 1; r <= rows; ++r) {
      if ((states[static_cast<std::size_t>(r - 1)] & StateMask) != 0) {
        values[r - 1] = Value;
        ++n;
      }
    }
  }
  if (n > 0) ChangedData();
  return n;
}

// ---- fingerprints ------------------------------------------------------------------------

String TDataTable::CRCofNamesAndAttributes() const {
  TLaneCRC crc;
  // The comment enters by the low bytes of its UTF-16 code units.
  const std::u16string units = utf8::ToUtf16(FComment);
  for (std::size_t k = 0; k < units.size(); ++k)
    crc.Feed(static_cast<Integer>(k + 1), static_cast<Byte>(units[k] & 0xFF));
  for (const auto& n : FColName) crc.FeedText(n);
  for (std::size_t c = 0; c < FColAtt.size(); ++c)
    crc.Feed(static_cast<Integer>(c + 1), static_cast<Byte>(FColAtt[c] & 0xFF));
  for (const auto& n : FRowName) crc.FeedText(n);
  for (std::size_t r = 0; r < FRowAtt.size(); ++r)
    crc.Feed(static_cast<Integer>(r + 1), static_cast<Byte>(FRowAtt[r] & 0xFF));
  for (std::size_t c = 0; c < FVType.size(); ++c)
    crc.Feed(static_cast<Integer>(c + 1), static_cast<Byte>(FVType[c].MScaleType));
  for (const auto& spec : FVType)
    for (std::size_t k = 0; k < MaxNominalIDs; ++k) crc.FeedText(spec.IDs[k]);
  return crc.Result();
}

String TDataTable::CRCofCellStates() const {
  TLaneCRC crc;
  for (const auto& col : FCState)
    for (std::size_t r = 0; r < col.size(); ++r) crc.Feed(static_cast<Integer>(r + 1), col[r]);
  return crc.Result();
}

// ---- window descriptions -----------------------------------------------------------------

bool TDataTable::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "NrOfColumns") {
    SetNrCols(static_cast<Integer>(Value.AsInteger()));
    return true;
  }
  if (Prop == "NrOfRows") {
    SetNrRows(static_cast<Integer>(Value.AsInteger()));
    return true;
  }
  if (Prop == "Comment") {
    SetFComment(Value.AsString());
    return true;
  }
  return TComponent::SetDescribedProperty(Prop, Value);
}

bool TDataTable::SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) {
  TNotifyEvent* target = nullptr;
  if (Event == "OnChange")
    target = &OnChange;
  else if (Event == "OnChangeSetup")
    target = &OnChangeSetup;
  else if (Event == "OnChangeNames")
    target = &OnChangeNames;
  else if (Event == "OnChangeCellState")
    target = &OnChangeCellState;
  else if (Event == "OnChangeAttrib")
    target = &OnChangeAttrib;
  if (target != nullptr && Root != nullptr) {
    *target = Root->FindNotifyHandler(Handler);
    return true;
  }
  return TComponent::SetDescribedEvent(Event, Handler, Root);
}

// ---- class registry ----------------------------------------------------------------------

void RegisterNumericsClasses() {
  RegisterComponentClass("TMatrix", [](TComponent* o) -> TComponent* { return new TMatrix(o); });
  RegisterComponentClass("TDataTable",
                         [](TComponent* o) -> TComponent* { return new TDataTable(o); });
}
