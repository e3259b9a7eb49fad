#include "DOV_dstruct.h"

#include <cmath>
#include <new>

#include "DOV_utf8.h"
#include "SysUtils.h"

namespace {

// The largest table the array takes (cells of all columns, column 0 included): a header of a
// document asks for any size, and a table this large is beyond any use of the component.
constexpr Int64 MaxCells = Int64(1) << 26;

// At most 255 characters; a UTF-8 sequence is one character and is never split.
String CutCell(const String& s) {
  if (s.size() <= static_cast<size_t>(TStringArray::MaxCellLength)) return s;
  return s.substr(0, utf8::BytesOfChars(s, TStringArray::MaxCellLength));
}

// A stored text is its byte count in two bytes (low first; 255 characters take up to 1020
// bytes) followed by its bytes.
constexpr Integer LengthBytes = 2;

Integer StoredLength(const std::vector<Byte>& b, size_t pos) { return b[pos - 1] | (b[pos] << 8); }

void PutText(std::vector<Byte>& b, size_t pos, const String& s) {
  b[pos - 1] = static_cast<Byte>(s.size() & 0xFF);
  b[pos] = static_cast<Byte>(s.size() >> 8);
  std::copy(s.begin(), s.end(), b.begin() + static_cast<std::ptrdiff_t>(pos + 1));
}

Cardinal Address(Integer block, Integer pos) {
  return (static_cast<Cardinal>(block) << 16) | static_cast<Cardinal>(pos);
}

}  // namespace

TStringArray::TStringArray(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FRAllocated = FAllocRowsBy;
    FPoiArray.assign(2, std::vector<Cardinal>(static_cast<size_t>(FRAllocated), 0));
    FRowAttrib.assign(static_cast<size_t>(FRAllocated), 0);
    FColAttrib.assign(2, 0);
    FStgPool.assign(1, std::vector<Byte>(PoolBlockSize, 0));
    FFirstFree.assign(1, 1);
    Identity();
  } catch (const std::bad_alloc&) {
    throw ESDLDStructError("Class TStringArray: failed to initialize (out of memory)");
  }
}

void TStringArray::Identity() {
  FSortIx.resize(static_cast<size_t>(FNRow));
  for (Integer i = 0; i < FNRow; ++i) FSortIx[static_cast<size_t>(i)] = i + 1;
}

Integer TStringArray::FirstFree(Integer ix) const {
  return ix >= 1 && ix <= NumBuffers() ? FFirstFree[static_cast<size_t>(ix - 1)] : 0;
}

String TStringArray::TextAt(Cardinal addr) const {
  if (addr == 0) return "";
  const Integer block = static_cast<Integer>(addr >> 16), pos = static_cast<Integer>(addr & 0xFFFF);
  const std::vector<Byte>& b = FStgPool[static_cast<size_t>(block - 1)];
  const Integer len = StoredLength(b, static_cast<size_t>(pos));
  return String(reinterpret_cast<const char*>(b.data()) + pos + 1, static_cast<size_t>(len));
}

Cardinal TStringArray::Store(const String& s) {
  const Integer n = static_cast<Integer>(s.size()) + LengthBytes - 1;
  size_t block = 0;
  while (block < FStgPool.size() && PoolBlockSize - FFirstFree[block] <= n) ++block;
  if (block == FStgPool.size()) {
    FStgPool.emplace_back(PoolBlockSize, 0);
    FFirstFree.push_back(1);
  }
  const Integer pos = FFirstFree[block];
  PutText(FStgPool[block], static_cast<size_t>(pos), s);
  FFirstFree[block] = pos + n + 1;
  return Address(static_cast<Integer>(block) + 1, pos);
}

String TStringArray::GetString(Integer c, Integer r) const {
  if (c < 0 || c > FNCol || r < 1 || r > FNRow) return "";
  return TextAt(CellAt(c, Phys(r)));
}

void TStringArray::SetString(Integer c, Integer r, const String& s) {
  if (c < 0 || c > FNCol || r < 1 || r > FNRow) return;
  const String text = CutCell(s);
  Cardinal& addr = Cell(c, Phys(r));
  if (addr != 0) {
    std::vector<Byte>& b = FStgPool[(addr >> 16) - 1];
    const size_t pos = addr & 0xFFFF;
    if (StoredLength(b, pos) >= static_cast<Integer>(text.size())) {
      PutText(b, pos, text);
      Changed();
      return;
    }
  }
  addr = Store(text);
  Changed();
}

Double TStringArray::AsNumber(Integer c, Integer r) const {
  String s = Trim(GetString(c, r));
  for (char& ch : s)
    if (ch == ',') ch = '.';
  if (s.empty()) return 0;
  Double v = 0;
  if (!TryStrToFloat(s, v) || !std::isfinite(v) || std::fabs(v) > uc_MaxDouble)
    throw ESDLDStructError("Class TStringArray: invalid numeric string: [" + IntToStr(c) + "," +
                           IntToStr(r) + "]: " + GetString(c, r));
  return v;
}

Integer TStringArray::AsInteger(Integer c, Integer r) const {
  constexpr Double Limit = 2147483647.0;
  const Double v = AsNumber(c, r);
  if (v < -Limit) return -2147483647;
  if (v > Limit) return 2147483647;
  return static_cast<Integer>(Round(v));
}

Byte TStringArray::RowAttrib(Integer r) const {
  return r >= 1 && r <= FNRow ? FRowAttrib[static_cast<size_t>(Phys(r) - 1)] : 0;
}

void TStringArray::SetRowAttrib(Integer r, Byte Value) {
  if (r < 1 || r > FNRow) return;
  FRowAttrib[static_cast<size_t>(Phys(r) - 1)] = Value;
  Changed();
}

Byte TStringArray::ColAttrib(Integer c) const {
  return c >= 1 && c <= FNCol ? FColAttrib[static_cast<size_t>(c)] : 0;
}

void TStringArray::SetColAttrib(Integer c, Byte Value) {
  if (c < 1 || c > FNCol) return;
  FColAttrib[static_cast<size_t>(c)] = Value;
  Changed();
}

Integer TStringArray::SortOrder(Integer ix) const {
  return ix >= 1 && ix <= FNRow ? FSortIx[static_cast<size_t>(ix - 1)] : -1;
}

void TStringArray::SetSortOrder(Integer ix, Integer Value) {
  if (ix >= 1 && ix <= FNRow && Value >= 1 && Value <= FNRow)
    FSortIx[static_cast<size_t>(ix - 1)] = Value;
}

bool TStringArray::Resize(Integer Nc, Integer Nr) {
  if (Nc == FNCol && Nr == FNRow) return true;
  if (Nc < 1 || Nr < 1) return false;
  const Int64 rows = Int64(FAllocRowsBy) * ((Int64(Nr) - 1) / FAllocRowsBy + 1);
  const Int64 cells = (Int64(Nc) + 1) * rows;
  // The memory query costs a look at the system; small tables (and row-by-row growth) skip it.
  constexpr Int64 CheckMemoryFrom = Int64(1) << 20;
  if (cells > MaxCells ||
      (cells >= CheckMemoryFrom &&
       static_cast<std::uint64_t>(cells) * sizeof(Cardinal) > ObtainableMemoryBytes()))
    return false;
  try {
    if (Nc != FNCol || Nr > FRAllocated) {
      std::vector<std::vector<Cardinal>> cellsNew(
          static_cast<size_t>(Nc) + 1, std::vector<Cardinal>(static_cast<size_t>(rows), 0));
      std::vector<Byte> rowAttr(static_cast<size_t>(rows), 0);
      std::vector<Byte> colAttr(static_cast<size_t>(Nc) + 1, 0);
      const Integer keepRows = std::min(FNRow, Nr);
      for (Integer c = 0; c <= std::min(FNCol, Nc); ++c)
        std::copy_n(FPoiArray[static_cast<size_t>(c)].begin(), keepRows,
                    cellsNew[static_cast<size_t>(c)].begin());
      std::copy_n(FRowAttrib.begin(), keepRows, rowAttr.begin());
      for (Integer c = 1; c <= std::min(FNCol, Nc); ++c)
        colAttr[static_cast<size_t>(c)] = FColAttrib[static_cast<size_t>(c)];
      FPoiArray.swap(cellsNew);
      FRowAttrib.swap(rowAttr);
      FColAttrib.swap(colAttr);
      FRAllocated = static_cast<Integer>(rows);
    } else {
      for (Integer r = std::min(FNRow, Nr) + 1; r <= std::max(FNRow, Nr); ++r) {
        for (Integer c = 0; c <= FNCol; ++c) Cell(c, r) = 0;
        FRowAttrib[static_cast<size_t>(r - 1)] = 0;
      }
    }
    FNCol = Nc;
    FNRow = Nr;
    Identity();
  } catch (const std::bad_alloc&) {
    return false;
  }
  Changed();
  return true;
}

Integer TStringArray::AddRow() {
  Resize(FNCol, FNRow + 1);
  return FNRow;
}

void TStringArray::Clear() {
  for (auto& col : FPoiArray) std::fill(col.begin(), col.end(), 0);
  std::fill(FRowAttrib.begin(), FRowAttrib.end(), 0);
  std::fill(FColAttrib.begin(), FColAttrib.end(), 0);
  FStgPool.assign(1, std::vector<Byte>(PoolBlockSize, 0));
  FFirstFree.assign(1, 1);
  Identity();
}

void TStringArray::Fill(const String& s) {
  if (s.empty()) {
    Clear();
    return;
  }
  for (Integer c = 0; c <= FNCol; ++c)
    for (Integer r = 1; r <= FNRow; ++r) SetString(c, r, s);
}

void TStringArray::InsertRow(Integer r) {
  if (r < 1 || r > FNRow) return;
  // The new row takes the next physical place; only the order index moves.
  if (FNRow + 1 > FRAllocated) {
    const Integer rows = FRAllocated + FAllocRowsBy;
    for (auto& col : FPoiArray) col.resize(static_cast<size_t>(rows), 0);
    FRowAttrib.resize(static_cast<size_t>(rows), 0);
    FRAllocated = rows;
  }
  ++FNRow;
  for (Integer c = 0; c <= FNCol; ++c) Cell(c, FNRow) = 0;
  FRowAttrib[static_cast<size_t>(FNRow - 1)] = 0;
  FSortIx.insert(FSortIx.begin() + (r - 1), FNRow);
  Changed();
}

void TStringArray::RemoveRow(Integer r) {
  if (r < 1 || r > FNRow) return;
  if (FNRow == 1) {
    for (Integer c = 0; c <= FNCol; ++c) Cell(c, 1) = 0;
    FRowAttrib[0] = 0;
    Changed();
    return;
  }
  // The last physical row moves into the freed place; the order index follows it.
  const Integer gone = Phys(r), last = FNRow;
  if (gone != last) {
    for (Integer c = 0; c <= FNCol; ++c) Cell(c, gone) = Cell(c, last);
    FRowAttrib[static_cast<size_t>(gone - 1)] = FRowAttrib[static_cast<size_t>(last - 1)];
    for (Integer& p : FSortIx)
      if (p == last) p = gone;
  }
  for (Integer c = 0; c <= FNCol; ++c) Cell(c, last) = 0;
  FRowAttrib[static_cast<size_t>(last - 1)] = 0;
  FSortIx.erase(FSortIx.begin() + (r - 1));
  --FNRow;
  Changed();
}

void TStringArray::CopyRow(Integer Source, Integer Target) {
  if (Source < 1 || Source > FNRow || Target < 1 || Target > FNRow || Source == Target) return;
  // Texts are stored anew: two cells sharing pool space would change together.
  for (Integer c = 0; c <= FNCol; ++c) SetString(c, Target, GetString(c, Source));
  SetRowAttrib(Target, RowAttrib(Source));
}

bool TStringArray::ColumnEmpty(Integer ACol) const {
  for (Integer r = 1; r <= FNRow; ++r)
    if (!Trim(GetString(ACol, r)).empty()) return false;
  return true;
}

bool TStringArray::RowEmpty(Integer ARow) const {
  for (Integer c = 1; c <= FNCol; ++c)
    if (!Trim(GetString(c, ARow)).empty()) return false;
  return true;
}

void TStringArray::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TStringArray*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  FNCol = src->FNCol;
  FNRow = src->FNRow;
  FAllocRowsBy = src->FAllocRowsBy;
  FRAllocated = src->FRAllocated;
  FFirstFree = src->FFirstFree;
  FPoiArray = src->FPoiArray;
  FSortIx = src->FSortIx;
  FStgPool = src->FStgPool;
  FRowAttrib = src->FRowAttrib;
  FColAttrib = src->FColAttrib;
  OnChange = src->OnChange;
  OnBeforeSortExchange = src->OnBeforeSortExchange;
  OnPercentDone = src->OnPercentDone;
}

void TStringArray::AssignTo(TPersistent* Dest) {
  if (auto* d = dynamic_cast<TStringArray*>(Dest))
    d->Assign(this);
  else
    TComponent::AssignTo(Dest);
}

String TStringArray::SortKey(Integer c, Integer r) const {
  String key = GetString(c, r);
  if (OnBeforeSortExchange) {
    String out = key;
    OnBeforeSortExchange(const_cast<TStringArray*>(this), key, out);
    key = out;
  }
  return LowerCase(key);
}

void TStringArray::Sort(Integer Col, Integer ColSec, bool Ascending) {
  if (OnPercentDone) OnPercentDone(this, 0);
  const Integer n = FNRow;
  Int64 expected = n;
  for (Integer gap = n; gap > 1;) {
    gap = std::max<Integer>(static_cast<Integer>(gap / 1.3), 1);
    expected += n - gap;
  }
  if (n >= 2) {
    auto outOfOrder = [&](const String& a, const String& b) { return Ascending ? a > b : a < b; };
    Int64 made = 0;
    Integer gap = n;
    bool swapped = true;
    while (gap > 1 || swapped) {
      gap = std::max<Integer>(static_cast<Integer>(gap / 1.3), 1);
      swapped = false;
      for (Integer d = 1; d <= n - gap; ++d) {
        ++made;
        const String a = SortKey(Col, d), b = SortKey(Col, d + gap);
        bool swap;
        if (a != b || ColSec < 1)
          swap = outOfOrder(a, b);
        else
          swap = outOfOrder(SortKey(ColSec, d), SortKey(ColSec, d + gap));
        if (swap) {
          std::swap(FSortIx[static_cast<size_t>(d - 1)], FSortIx[static_cast<size_t>(d + gap - 1)]);
          swapped = true;
        }
      }
      if (OnPercentDone)
        OnPercentDone(this, static_cast<Integer>(std::min<Int64>(
                                Round(static_cast<Double>(made) / expected * 100), 100)));
    }
    Changed();
  }
  if (OnPercentDone) OnPercentDone(this, 100);
}

void TStringArray::UnSort() {
  Identity();
  Changed();
}

void TStringArray::CommitSorting() {
  for (auto& col : FPoiArray) {
    std::vector<Cardinal> sorted(col.size(), 0);
    for (Integer r = 1; r <= FNRow; ++r)
      sorted[static_cast<size_t>(r - 1)] = col[static_cast<size_t>(Phys(r) - 1)];
    col.swap(sorted);
  }
  std::vector<Byte> attr(FRowAttrib.size(), 0);
  for (Integer r = 1; r <= FNRow; ++r)
    attr[static_cast<size_t>(r - 1)] = FRowAttrib[static_cast<size_t>(Phys(r) - 1)];
  FRowAttrib.swap(attr);
  Identity();
}

void TStringArray::GarbageCollection() {
  // One pass buckets the cells by block (columns in turn, rows in physical order); then each
  // block is rebuilt from its own cells.
  std::vector<std::vector<Cardinal*>> byBlock(FStgPool.size());
  for (auto& col : FPoiArray)
    for (Integer r = 0; r < FNRow; ++r)
      if (col[static_cast<size_t>(r)] != 0)
        byBlock[(col[static_cast<size_t>(r)] >> 16) - 1].push_back(&col[static_cast<size_t>(r)]);
  for (size_t b = 0; b < FStgPool.size(); ++b) {
    std::vector<Byte> image(PoolBlockSize, 0);
    Integer pos = 1;
    for (Cardinal* addr : byBlock[b]) {
      const String s = TextAt(*addr);
      PutText(image, static_cast<size_t>(pos), s);
      *addr = Address(static_cast<Integer>(b) + 1, pos);
      pos += static_cast<Integer>(s.size()) + LengthBytes;
    }
    FStgPool[b].swap(image);
    FFirstFree[b] = pos;
  }
}

bool TStringArray::Find(const String& FindStr, bool MatchCase, bool Exact, Integer ColLow,
                        Integer ColHigh, Integer RowLow, Integer RowHigh, Integer& Col,
                        Integer& row) const {
  const String wanted = MatchCase ? FindStr : LowerCase(FindStr);
  if (!Exact && wanted.empty()) return false;
  if (ColLow == -1 || ColHigh == -1) {
    ColLow = 0;
    ColHigh = FNCol;
  }
  if (RowLow == -1 && RowHigh == -1) {
    RowLow = 1;
    RowHigh = FNRow;
  }
  ColLow = std::clamp(ColLow, 0, FNCol);
  ColHigh = std::clamp(ColHigh, 0, FNCol);
  RowLow = std::clamp(RowLow, 1, FNRow);
  RowHigh = std::clamp(RowHigh, 1, FNRow);
  if (ColLow > ColHigh) std::swap(ColLow, ColHigh);
  if (RowLow > RowHigh) std::swap(RowLow, RowHigh);
  for (Integer r = RowLow; r <= RowHigh; ++r)
    for (Integer c = ColLow; c <= ColHigh; ++c) {
      const String cell = MatchCase ? GetString(c, r) : LowerCase(GetString(c, r));
      if (Exact ? cell == wanted : cell.find(wanted) != String::npos) {
        Col = c;
        row = r;
        return true;
      }
    }
  return false;
}

bool TStringArray::FindCell(const String& FindStr, bool MatchCase, Integer ColLow, Integer ColHigh,
                            Integer RowLow, Integer RowHigh, Integer& Col, Integer& row) const {
  return Find(FindStr, MatchCase, false, ColLow, ColHigh, RowLow, RowHigh, Col, row);
}

bool TStringArray::FindCellExact(const String& FindStr, bool MatchCase, Integer ColLow,
                                 Integer ColHigh, Integer RowLow, Integer RowHigh, Integer& Col,
                                 Integer& row) const {
  return Find(FindStr, MatchCase, true, ColLow, ColHigh, RowLow, RowHigh, Col, row);
}

bool TStringArray::FindCellInSortedColumn(const String& FindStr, bool MatchCase, Integer ColIx,
                                          Integer RowLow, Integer RowHigh, bool ColIsAscending,
                                          Integer& row) const {
  const String wanted = MatchCase ? FindStr : LowerCase(FindStr);
  auto key = [&](Integer r) {
    return MatchCase ? GetString(ColIx, r) : LowerCase(GetString(ColIx, r));
  };
  if (RowLow == -1 && RowHigh == -1) {
    RowLow = 1;
    RowHigh = FNRow;
  }
  ColIx = std::clamp(ColIx, 0, FNCol);
  RowLow = std::clamp(RowLow, 1, FNRow);
  RowHigh = std::clamp(RowHigh, 1, FNRow);
  if (RowLow > RowHigh) std::swap(RowLow, RowHigh);
  Integer lo = RowLow, hi = RowHigh, hit = 0;
  while (hit == 0 && lo < hi) {
    const Integer mid = (lo + hi) / 2;
    const String cell = key(mid);
    if (cell == wanted)
      hit = mid;
    else if ((wanted < cell) == ColIsAscending)
      hi = mid;
    else
      lo = mid + 1;
  }
  if (hit == 0 && lo == hi && key(lo) == wanted) hit = lo;
  if (hit == 0) return false;
  while (hit > 1 && key(hit - 1) == wanted) --hit;
  row = hit;
  return true;
}
