// The chart's display list: containers, long texts, counts, searches and extents.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

#include "DOV_streams.h"
#include "DOV_zodoza.h"

namespace {
constexpr Double kNoExtent = 1.7e308;  // start of every minimum / maximum scan
constexpr Integer kAnyClass = 255;
constexpr Integer kMaxAllocSize = 1000000;
constexpr Word kNoTracePoint = 0xFFFF;

bool HasSecondPoint(TrcItem k) {
  switch (k) {
    case tkLine:
    case tkRect:
    case tkRectFrame:
    case tk3DBar:
    case tkArrow:
    case tkDoubleArrow:
    case tkLineOffs: return true;
    default: return false;
  }
}

bool IsRelativePixelItem(TrcItem k) { return k == tkMoveRelPix || k == tkLineRelPix; }

bool IsTextItem(TrcItem k) { return k == tkText || k == tkTextOfs; }

bool Matches(const TrcChartItem& it, Integer Tag, Integer TagMask, Integer ItemClass,
             TrcItem ItemKind) {
  return (TagMask == 0 || (it.Tag & TagMask) == (Tag & TagMask)) &&
         (ItemKind == tkEverything || it.ItemKind == ItemKind) &&
         (ItemClass == kAnyClass || it.ItemClass == ItemClass);
}

// Below one huge page there is nothing to gain from asking for huge pages.
constexpr size_t kLargeStorageBytes = size_t{2} << 20;

// Large storage is asked to be backed by huge pages where the system offers them: a million-point
// plot fills hundreds of megabytes, and faulting them in 4 KiB pages costs more than writing the
// records. Only whole pages inside the block are advised; refusal changes nothing but speed.
void AdviseLargeStorage(const void* Data, size_t Bytes) {
  if (Bytes < kLargeStorageBytes) return;
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto begin = reinterpret_cast<std::uintptr_t>(Data);
  const std::uintptr_t first = (begin + page - 1) / page * page;
  const std::uintptr_t last = (begin + Bytes) / page * page;
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

// Makes room for at least Needed records, at least doubling the capacity so that appending stays
// amortised whatever the logical growth step is. The records beyond the size are not touched.
void Reserve(TRcItemContainer& C, size_t Needed) {
  if (Needed <= C.capacity()) return;
  TRcItemContainer grown;
  grown.reserve(std::max(Needed, 2 * C.capacity()));
  AdviseLargeStorage(grown.data(), grown.capacity() * sizeof(TrcChartItem));
  grown.assign(C.begin(), C.end());
  C.swap(grown);
}

TrcChartItem NoItem() {
  TrcChartItem r;
  r.ItemKind = tkNone;
  return r;
}
}  // namespace

// The short text holds 8-bit characters, as the chart files do: each character's code (a
// character beyond 255 keeps its low byte).
void TrcChartItem::SetText(const String& Value) {
  const std::string bytes = LowBytesOfString(Value);
  const size_t n = std::min<size_t>(bytes.size(), MaxShortText);
  std::memset(TextChars, 0, sizeof TextChars);
  std::memcpy(TextChars, bytes.data(), n);
  TextLength = static_cast<Byte>(n);
}

String TrcChartItem::Text() const {
  return StringOfLowBytes(TextChars, std::min<size_t>(TextLength, sizeof TextChars));
}

bool TrcChartItem::KeepsWhole(const String& Value) {
  const std::string bytes = LowBytesOfString(Value);
  return bytes.size() <= static_cast<size_t>(MaxShortText) && StringOfLowBytes(bytes) == Value;
}

// ---- storage -----------------------------------------------------------------------------------
void TCustomZOdoza::EmptyContainer(TRcItemContainer& C, Integer& Count, Integer& Alloc) {
  Count = 0;
  Alloc = 0;
  C.assign(1, TrcChartItem());
  C.shrink_to_fit();
}

void TCustomZOdoza::ResetDisplayList() {
  EmptyContainer(FData->Container, FData->Count, FData->Alloc);
  EmptyContainer(FAnnoContainer, FNumAnnoItems, FNumAllocAnno);
  FData->LongTexts.fill("");
  FLongTextsAnno.fill("");
  FData->NumLongTexts = FNumLongTextsAnno = 0;
  FData->ItemCount.fill(0);
  FData->ItemCount[tkNone] = 1;
  // The settings that shape the list (AllocSize, class visibility, annotation mode, data tag)
  // are TZOdozaSettings' own: ResetComp has assigned their defaults before emptying the list.
}

void TCustomZOdoza::AppendItem(const TrcChartItem& Item) {
  TRcItemContainer& c = FAnnoMode ? FAnnoContainer : FData->Container;
  Integer& count = FAnnoMode ? FNumAnnoItems : FData->Count;
  Integer& alloc = FAnnoMode ? FNumAllocAnno : FData->Alloc;
  if (count >= alloc) {
    // The logical size grows by AllocSize; the storage below it grows geometrically, so many
    // appends cost few copies whatever AllocSize is.
    alloc += FAllocSize;
    const size_t size = static_cast<size_t>(std::max(alloc, 1));
    Reserve(c, size);
    c.resize(size);
  }
  c[static_cast<size_t>(count)] = Item;
  ++count;
  if (!FAnnoMode && Item.ItemKind < kNumItemKinds) ++FData->ItemCount[Item.ItemKind];
}

void TCustomZOdoza::SetAllocSize(Integer Value) {
  if (Value >= 1 && Value <= kMaxAllocSize) FAllocSize = Value;
}

// ---- accessors ---------------------------------------------------------------------------------
TrcChartItem TCustomZOdoza::GetChartItem(Integer idx) const {
  if (idx < 0 || idx >= FData->Count) return NoItem();
  return FData->Container[static_cast<size_t>(idx)];
}

void TCustomZOdoza::SetChartItem(Integer idx, const TrcChartItem& Item) {
  if (idx < 0 || idx >= FData->Count) return;
  FData->Container[static_cast<size_t>(idx)] = Item;
}

TrcChartItem TCustomZOdoza::GetAnnoItem(Integer idx) const {
  if (idx < 0 || idx >= FNumAnnoItems) return NoItem();
  return FAnnoContainer[static_cast<size_t>(idx)];
}

void TCustomZOdoza::SetAnnoItem(Integer idx, const TrcChartItem& Item) {
  if (idx < 0 || idx >= FNumAnnoItems) return;
  FAnnoContainer[static_cast<size_t>(idx)] = Item;
}

String TCustomZOdoza::GetLongText(const TRcItemContainer& C, Integer Count,
                                  const TLongTextArray& Table, Integer idx) const {
  if (idx < 0 || idx >= Count) return "";
  const TrcChartItem& it = C[static_cast<size_t>(idx)];
  if (!IsTextItem(it.ItemKind)) return "";
  if (it.LWid > 0 && it.LWid <= kMaxLongTexts) return Table[static_cast<size_t>(it.LWid - 1)];
  return it.Text();
}

void TCustomZOdoza::SetLongText(TRcItemContainer& C, Integer Count, TLongTextArray& Table,
                                Integer& Used, Integer idx, const String& Text) {
  if (idx < 0 || idx >= Count) return;
  TrcChartItem& it = C[static_cast<size_t>(idx)];
  if (!IsTextItem(it.ItemKind)) return;
  it.SetText(Text);
  if (TrcChartItem::KeepsWhole(Text)) {
    it.LWid = 0;  // an entry it had stays in the table, no longer referenced
    return;
  }
  if (it.LWid > 0 && it.LWid <= kMaxLongTexts) {
    Table[static_cast<size_t>(it.LWid - 1)] = Text;
  } else if (Used < kMaxLongTexts) {
    ++Used;
    Table[static_cast<size_t>(Used - 1)] = Text;
    it.LWid = Used;
  } else {
    it.LWid = 0;  // the table is full: the first 15 characters remain
  }
}

String TCustomZOdoza::GetDataLongText(Integer idx) const {
  return GetLongText(FData->Container, FData->Count, FData->LongTexts, idx);
}

void TCustomZOdoza::SetDataLongText(Integer idx, const String& Text) {
  SetLongText(FData->Container, FData->Count, FData->LongTexts, FData->NumLongTexts, idx, Text);
}

String TCustomZOdoza::GetAnnoLongText(Integer idx) const {
  return GetLongText(FAnnoContainer, FNumAnnoItems, FLongTextsAnno, idx);
}

void TCustomZOdoza::SetAnnoLongText(Integer idx, const String& Text) {
  SetLongText(FAnnoContainer, FNumAnnoItems, FLongTextsAnno, FNumLongTextsAnno, idx, Text);
}

void TCustomZOdoza::SetClassVisib(Integer cnum, bool Value) {
  bool& f = FItClassVisib[static_cast<Byte>(cnum)];
  if (f == Value) return;
  f = Value;
  Paint();
}

void TCustomZOdoza::SetAnnoClassVisib(Integer cnum, bool Value) {
  bool& f = FAnnoClassVisib[static_cast<Byte>(cnum)];
  if (f == Value) return;
  f = Value;
  Paint();
}

TColoredPoint TCustomZOdoza::GetMTracePoint(Integer idx) const {
  if (idx < 1 || idx > FNumMTrace) {
    TColoredPoint p;
    p.Flag = kNoTracePoint;
    return p;
  }
  return FMTrace[static_cast<size_t>(idx - 1)];
}

void TCustomZOdoza::SetAnnoMode(bool Value) {
  FAnnoMode = Value;
  Paint();
}

void TCustomZOdoza::SetAnnoBelow(bool Value) {
  FAnnoBelowChart = Value;
  Paint();
}

void TCustomZOdoza::SetAnnoTextOnTop(bool Value) {
  FAnnoTextOnTop = Value;
  Paint();
}

void TCustomZOdoza::SetAnnosVisible(bool Value) {
  FAnnosVisible = Value;
  FInvalidDataBmp = true;
  Paint();
}

// ---- counting and searching --------------------------------------------------------------------
Integer TCustomZOdoza::CountAnnos(Integer Tag, Integer TagMask, Integer ItemClass,
                                  TrcItem ItemKind) const {
  Integer n = 0;
  for (Integer i = 0; i < FNumAnnoItems; ++i)
    if (Matches(FAnnoContainer[static_cast<size_t>(i)], Tag, TagMask, ItemClass, ItemKind)) ++n;
  return n;
}

Integer TCustomZOdoza::CountAnnoByClass(const std::vector<Byte>& ClList) const {
  std::array<Integer, 256> perClass{};
  for (Integer i = 0; i < FNumAnnoItems; ++i)
    ++perClass[FAnnoContainer[static_cast<size_t>(i)].ItemClass];
  Integer n = 0;
  for (Byte c : ClList) n += perClass[c];
  return n;
}

Integer TCustomZOdoza::SearchAnnoItem(Integer StartIx, Integer Tag, Integer TagMask,
                                      Integer ItemClass, TrcItem ItemKind) const {
  if (StartIx < 0) return -1;
  for (Integer i = StartIx; i < FNumAnnoItems; ++i)
    if (Matches(FAnnoContainer[static_cast<size_t>(i)], Tag, TagMask, ItemClass, ItemKind))
      return i;
  return -1;
}

Integer TCustomZOdoza::SearchDataItem(Integer StartIx, Integer Tag, Integer TagMask,
                                      Integer ItemClass, TrcItem ItemKind) const {
  if (StartIx < 0) return -1;
  for (Integer i = StartIx; i < FData->Count; ++i)
    if (Matches(FData->Container[static_cast<size_t>(i)], Tag, TagMask, ItemClass, ItemKind))
      return i;
  return -1;
}

unsigned TCustomZOdoza::FindUsedLayers() const {
  unsigned set = 0;
  for (Integer i = 0; i < FData->Count; ++i) {
    const Integer l = FData->Container[static_cast<size_t>(i)].Layer;
    if (l >= 1 && l <= kNumLayers) set |= 1u << l;
  }
  return set;
}

// ---- extents -----------------------------------------------------------------------------------
void TCustomZOdoza::LLCalcExtents(Integer Layer, Double Margin, Double MinRange, Double& xmin,
                                  Double& ymin, Double& xmax, Double& ymax) const {
  xmin = ymin = kNoExtent;
  xmax = ymax = -kNoExtent;
  auto widen = [&](Double x, Double y) {
    if (x < xmin) xmin = x;
    if (x > xmax) xmax = x;
    if (y < ymin) ymin = y;
    if (y > ymax) ymax = y;
  };
  bool any = false;
  for (Integer i = 0; i < FData->Count; ++i) {
    const TrcChartItem& it = FData->Container[static_cast<size_t>(i)];
    if (it.Layer != Layer) continue;
    any = true;
    if (!IsRelativePixelItem(it.ItemKind)) widen(it.x, it.y);
    if (HasSecondPoint(it.ItemKind)) widen(it.x2, it.y2);
    if (it.ItemKind == tkEllipse || it.ItemKind == tkArc) {
      widen(it.x - it.x2, it.y - it.y2);
      widen(it.x + it.x2, it.y + it.y2);
    }
  }
  if (!any) {
    xmin = ymin = xmax = ymax = 0;
    return;
  }
  ZOdozaMath::WidenExtent(xmin, xmax, GetScalePropsX(Layer)->Logarithmic(), Margin, MinRange,
                          false);
  ZOdozaMath::WidenExtent(ymin, ymax, GetScalePropsY(Layer)->Logarithmic(), Margin, MinRange,
                          false);
}

namespace ZOdozaMath {
void WidenExtent(Double& lo, Double& hi, bool Log, Double Margin, Double MinRange,
                 bool BothEndsPositive) {
  const Double m = Margin / 100;
  if (!Log) {
    const Double g = m * (hi - lo);
    lo -= g;
    hi += g;
  } else if (hi > 0 && (lo > 0 || !BothEndsPositive)) {
    // A span in decades needs positive ends; without them the margin is left out.
    const Double r = lo > 0 ? hi / lo : hi;
    const Double h = std::log(r);
    hi *= std::exp(m * h);
    lo *= std::exp(-m * h);
  }
  const Double c = MinRange * ((hi + lo) / 2) / 100;
  if (c > std::fabs(hi - lo)) {
    lo -= c;
    hi += c;
  }
}
}  // namespace ZOdozaMath

void TCustomZOdoza::LLCalcMinMax(Integer Layer, Double RangeLoX, Double RangeLoY, Double RangeHiX,
                                 Double RangeHiY, Double& MinX, Double& MinY, Double& MaxX,
                                 Double& MaxY) const {
  MinX = MinY = kNoExtent;
  MaxX = MaxY = -kNoExtent;
  auto count = [&](Double x, Double y) {
    if (!(RangeLoX < x && x < RangeHiX && RangeLoY < y && y < RangeHiY)) return;
    if (x < MinX) MinX = x;
    if (x > MaxX) MaxX = x;
    if (y < MinY) MinY = y;
    if (y > MaxY) MaxY = y;
  };
  for (Integer i = 0; i < FData->Count; ++i) {
    const TrcChartItem& it = FData->Container[static_cast<size_t>(i)];
    if (Layer != 0 && it.Layer != Layer) continue;
    if (!IsRelativePixelItem(it.ItemKind)) count(it.x, it.y);
    if (HasSecondPoint(it.ItemKind)) count(it.x2, it.y2);
  }
}

// ---- transforming stored items -----------------------------------------------------------------
void TCustomZOdoza::ScaleItem(Integer Item, Double kx, Double dx, Double ky, Double dy) {
  if (Item < 0 || Item >= FData->Count) return;
  TrcChartItem& it = FData->Container[static_cast<size_t>(Item)];
  it.x = kx * it.x + dx;
  it.y = ky * it.y + dy;
  if (HasSecondPoint(it.ItemKind) || it.ItemKind == tkEllipse || it.ItemKind == tkArc) {
    it.x2 = kx * it.x2 + dx;
    it.y2 = ky * it.y2 + dy;
  }
}

void TCustomZOdoza::ScaleSelectedItems(Double kx, Double dx, Double ky, Double dy,
                                       Integer ClassNumber) {
  for (Integer i = 0; i < FData->Count; ++i)
    if (FData->Container[static_cast<size_t>(i)].ItemClass == ClassNumber)
      ScaleItem(i, kx, dx, ky, dy);
}
