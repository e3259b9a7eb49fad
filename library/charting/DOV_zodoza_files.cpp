// Chart files: the binary data and annotation files, the readable listing, and copying
// annotations between charts.
//
// Binary layout (little-endian, shared by data and annotation files):
//   header  104 bytes  a record from CleazOdozaItem with Text "[DATAFORMAT]" / "[ANNOFORMAT]",
//                      LWid -2, Param1 = number of records N, Param2 = number of long texts L
//   records N x 104    the records as they are in memory
//   texts   L lines    long texts 1 ... L, one byte per character, each followed by CR LF
// Files are hostile input: the header's counts are checked against the bytes the file holds
// before anything is allocated, and a record the chart could not draw (unknown kind,
// coordinate mode, pen or frame style) or fewer complete text lines than the header
// announces make the whole file damaged. A layer out of range
// is drawn in the nearest layer and a coordinate that is not finite leaves a gap, as for
// records set in memory.
#include "DOV_zodoza_files.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "Classes.h"
#include "DOV_stringl.h"
#include "DOV_streams.h"
#include "DOV_textsave.h"
#include "Graphics.h"
#include "SysUtils.h"
#include "TextFile.h"

static_assert(std::endian::native == std::endian::little, "chart files are little-endian");

namespace {
constexpr Integer kRecordSize = sizeof(TrcChartItem);
constexpr Integer kHeaderLWid = -2;
constexpr Integer kLoadFailed = -1;
constexpr Integer kWrongFormat = -2;
constexpr char kDataFormat[] = "[DATAFORMAT]";
constexpr char kAnnoFormat[] = "[ANNOFORMAT]";
constexpr size_t kFormatLength = sizeof(kDataFormat) - 1;
constexpr TColor kShadowGrey = 0x808080;
constexpr Integer kNumCoordModes = cmXWorldYScreen + 1;
constexpr Integer kNumFrameStyles = fsEngraved + 1;
constexpr Integer kNumPenStyles = psAlternate + 1;
const String kCrLf = "\r\n";

bool IsTextItem(TrcItem k) { return k == tkText || k == tkTextOfs; }

// One display list as the file routines see it: the data or the annotation side of a chart.
struct ListRef {
  TRcItemContainer& Container;
  Integer& Count;
  Integer& Alloc;
  TLongTextArray& Texts;
  Integer& NumTexts;
};

std::string HeaderBytes(const char* Format, Integer N, Integer L) {
  TrcChartItem h;
  CleazOdozaItem(h);
  std::memcpy(h.TextChars, Format, kFormatLength);
  h.TextLength = static_cast<Byte>(kFormatLength);
  h.LWid = kHeaderLWid;
  h.Param1 = N;
  h.Param2 = L;
  return std::string(reinterpret_cast<const char*>(&h), kRecordSize);
}

std::string FileBytes(const char* Format, const TRcItemContainer& C, Integer Count,
                      const TLongTextArray& Texts, Integer NumTexts) {
  std::string bytes = HeaderBytes(Format, Count, NumTexts);
  bytes.append(reinterpret_cast<const char*>(C.data()), static_cast<size_t>(Count) * kRecordSize);
  for (Integer i = 0; i < NumTexts; ++i)
    bytes += LowBytesOfString(Texts[static_cast<size_t>(i)]) + kCrLf;
  return bytes;
}

void WriteChartFile(const String& FName, const std::string& Bytes) {
  if (!WriteFileReplacing(FName, Bytes))
    throw EFCreateError("Cannot create file \"" + FName + "\"");
}

bool IsFormat(const TrcChartItem& h, const char* Format) {
  return h.TextLength == kFormatLength && std::memcmp(h.TextChars, Format, kFormatLength) == 0 &&
         h.LWid < 0;
}

bool IsDrawable(const TrcChartItem& it) {
  return it.ItemKind < kNumItemKinds && it.CoordMode < kNumCoordModes &&
         it.PenStyle < kNumPenStyles && it.FrameStyle < kNumFrameStyles;
}

// The text item's long text becomes the next entry of Table while it has room; otherwise the
// item keeps only its short text.
void TakeLongText(TrcChartItem& it, const String& Text, TLongTextArray& Table, Integer& Used) {
  if (Used < kMaxLongTexts) {
    ++Used;
    Table[static_cast<size_t>(Used - 1)] = Text;
    it.LWid = Used;
  } else {
    it.LWid = 0;
  }
}

// The whole file is read and checked before the list changes: a load that fails leaves the
// chart as it was, and the new list is put in place without anything that could fail.
Integer LoadChartFile(const String& FName, bool AppendIt, const char* Format, ListRef L) {
  std::unique_ptr<TFileStream> f;
  try {
    f = std::make_unique<TFileStream>(FName, fmOpenRead | fmShareDenyWrite);
  } catch (...) {
    return kLoadFailed;
  }
  try {
    TrcChartItem header;
    if (f->Read(&header, kRecordSize) != kRecordSize) return kLoadFailed;
    if (!IsFormat(header, Format)) return kWrongFormat;
    const Integer n = header.Param1;
    const Int64 available = (f->Size() - f->Position()) / kRecordSize;
    if (n < 0 || n > available || header.Param2 < 0) return kLoadFailed;
    TRcItemContainer read(static_cast<size_t>(n));
    if (n > 0 && f->Read(read.data(), Int64(n) * kRecordSize) != Int64(n) * kRecordSize)
      return kLoadFailed;
    if (!std::all_of(read.begin(), read.end(), IsDrawable)) return kLoadFailed;
    // Lines past the table's end are read and dropped. The file ends with the last line's
    // CR LF: fewer complete lines than the header announces is a damaged file.
    std::vector<String> lines;
    for (Integer k = 1; k <= header.Param2; ++k) {
      bool atEnd = false;
      String line = ReadLnStream(*f, atEnd, 4);
      if (atEnd) return kLoadFailed;
      if (k <= kMaxLongTexts) lines.push_back(std::move(line));
    }

    const Integer count = AppendIt ? L.Count : 0;
    TLongTextArray texts{};
    Integer numTexts = 0;
    if (AppendIt) {
      texts = L.Texts;
      numTexts = L.NumTexts;
    }
    const Integer base = numTexts;
    for (TrcChartItem& it : read)
      if (IsTextItem(it.ItemKind) && it.LWid != 0) TakeLongText(it, "", texts, numTexts);
    for (size_t k = 0; k < lines.size() && base + static_cast<Integer>(k) < kMaxLongTexts; ++k)
      texts[static_cast<size_t>(base) + k] = std::move(lines[k]);
    TRcItemContainer items;
    items.reserve(static_cast<size_t>(std::max(count + n, 1)));
    items.assign(L.Container.begin(), L.Container.begin() + count);
    items.insert(items.end(), read.begin(), read.end());
    items.resize(static_cast<size_t>(std::max(count + n, 1)));

    L.Container.swap(items);
    L.Texts.swap(texts);
    L.Count = L.Alloc = count + n;
    L.NumTexts = numTexts;
    return n;
  } catch (...) {
    return kLoadFailed;
  }
}

// Significant digits, not decimals, trimmed of the field's blanks: 1 reads "1.0000".
String Num5(Double x) { return Trim(SigDigStr(x, 10, 5)); }
String Num(Double x, Integer Digits) { return Trim(SigDigStr(x, 10, Digits)); }
String Hex8(Integer v) { return IntToHex(v, 8); }
String Pair(Double a, Double b) { return "[" + Num5(a) + "/" + Num5(b) + "]"; }

const char* KindName(TrcItem k) {
  static const char* const names[kNumItemKinds] = {"",
                                                   "tkMarkAt",
                                                   "tkLine",
                                                   "tkLineTo",
                                                   "tkRect",
                                                   "tkRectFrame",
                                                   "tk3DBar",
                                                   "tkText",
                                                   "tkMoveTo",
                                                   "tkEllipse",
                                                   "",
                                                   "",
                                                   "tkMoveRelPix",
                                                   "tkLineRelPix",
                                                   "tkArrow",
                                                   "tkDoubleArrow",
                                                   "tkTextOfs",
                                                   "tkRectRelPix",
                                                   "tkMarkEBar",
                                                   "tkLineOffs",
                                                   "tkArc",
                                                   "tkLineRelPixOrig",
                                                   "tkCursorVert",
                                                   "tkCursorHoriz"};
  return k < kNumItemKinds ? names[k] : "";
}

String TextLines(const TrcChartItem& it) {
  String quoted;
  for (char c : LowBytesOfString(it.Text())) {
    const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    quoted += keep ? c : '_';
  }
  String s = "     text: \"" + quoted + "\"";
  if (it.LWid > 0) s += " (abbrev.)";
  return s + kCrLf + "     size: " + IntToStr(it.Param1) + kCrLf +
         "    align: " + IntToStr(it.Param3);
}

// The lines only the full description (Flags = -1) shows, each starting with CR LF.
String KindLines(const TrcChartItem& it) {
  const String w = kCrLf + "linewidth: " + IntToStr(it.LWid);
  const String f = kCrLf + "fillcolor: " + Hex8(it.FillColor);
  const String t = kCrLf + "  transp.: " + (it.Transp ? "TRUE" : "FALSE");
  const String halfAxes = kCrLf + " halfaxes: " + Num5(it.x2) + " " + Num5(it.y2);
  switch (it.ItemKind) {
    case tkMarkAt: return kCrLf + " marktype: " + IntToStr(it.Param3);
    case tkLine: return w + kCrLf + " endpoint: " + Pair(it.x2, it.y2);
    case tkRect: return w + kCrLf + "   corner: " + Pair(it.x2, it.y2) + f + t;
    case tkRectFrame: {
      static const char* const frames[kNumFrameStyles] = {"",         "",           "rbLowered",
                                                          "rbRaised", "rbEmbossed", "rbEngraved"};
      String s = w + kCrLf + "   corner: " + Pair(it.x2, it.y2) + f;
      if (it.FrameStyle < kNumFrameStyles && *frames[it.FrameStyle] != 0)
        s += kCrLf + "frametype: " + frames[it.FrameStyle];
      return s + kCrLf + "shadowcol: " + Hex8(it.ShadowColor) + kCrLf +
             "hilitecol: " + Hex8(it.HiLightColor);
    }
    case tk3DBar:
      return w + kCrLf + " endpoint: " + Pair(it.x2, it.y2) + f + kCrLf +
             "    depth: " + IntToStr(it.Param2) + kCrLf + "    angle: " + IntToStr(it.Param1);
    case tkText: return kCrLf + TextLines(it);
    case tkTextOfs:
      return kCrLf + TextLines(it) + kCrLf + " offset x: '" + Num(it.x2, 0) + "'" + kCrLf +
             " offset y: '" + Num(it.y2, 0) + "'";
    case tkEllipse: return w + halfAxes + f + t;
    case tkArrow:
    case tkDoubleArrow:
      return w + kCrLf + "    arrow: " + Pair(it.x2, it.y2) + f + t + kCrLf +
             " headsize: " + IntToStr(it.Param1);
    case tkRectRelPix:
      return w + kCrLf + "    dx/dy: " + IntToStr(it.Param1) + "/" + IntToStr(it.Param2) + f + t;
    case tkMarkEBar:
      return w + kCrLf + "   errors: " + Pair(it.x2, it.y2) + kCrLf +
             " marktype: " + IntToStr(it.Param3) + kCrLf + "direction: " + IntToStr(it.Param1);
    case tkLineOffs:
      return w + kCrLf + " endpoint: " + Pair(it.x2, it.y2) + kCrLf +
             "   offset: " + Pair(it.Param1, it.Param2);
    case tkArc: {
      constexpr Double kAngleUnit = 1e8;  // arc angles are stored in 1e-8 units
      return w + halfAxes + kCrLf + "   angles: " + Num(it.Param1 / kAngleUnit, 8) + " " +
             Num(it.Param2 / kAngleUnit, 8);
    }
    case tkLineRelPixOrig: return w + kCrLf + "    dx/dy: " + Num(it.x2, 0) + "/" + Num(it.y2, 0);
    default: return "";
  }
}

String PositionPart(const TrcChartItem& it) {
  const bool screen = it.CoordMode == cmAllScreen || it.CoordMode == cmScreenMainWorldSec;
  const String s = screen ? " (screen coords)" : "";
  String p;
  if (it.ItemKind == tkCursorVert)
    p = " position: [" + Num5(it.x) + "]";
  else if (it.ItemKind == tkCursorHoriz)
    p = " position: [" + Num5(it.y) + "]";
  else if (it.ItemKind == tkEllipse)
    p = "   center: " + Pair(it.x, it.y);
  else
    p = " startpnt: " + Pair(it.x, it.y);
  return p + s + kCrLf + " endpoint: " + Pair(it.x2, it.y2);
}
}  // namespace

void CleazOdozaItem(TrcChartItem& Item) {
  Item.x = Item.y = Item.x2 = Item.y2 = 0;
  Item.Color = clBlack;
  Item.FillColor = clWhite;
  Item.ShadowColor = kShadowGrey;
  Item.HiLightColor = clWhite;
  Item.PenStyle = psSolid;
  Item.Tag = Item.LWid = 0;
  Item.ItemClass = 0;
  Item.ItemKind = tkNone;
  Item.Layer = 1;
  Item.Transp = 0;
  Item.FrameStyle = fsNone;
  Item.TextLength = 0;
  Item.Param1 = Item.Param2 = Item.Param3 = 0;
  Item.CoordMode = cmAllWorld;
}

String ItemDescription(const TrcChartItem& Item, Integer Flags) {
  std::vector<String> parts;
  if (Flags & 1) parts.push_back(String("elemtype: ") + KindName(Item.ItemKind));
  if (Flags & 2) parts.push_back(PositionPart(Item));
  if (Flags & 8) parts.push_back("      tag: " + Hex8(Item.Tag));
  if (Flags & 4)
    parts.push_back("    color: " + Hex8(Item.Color) + kCrLf +
                    " penstyle: " + IntToHex(static_cast<Byte>(Item.PenStyle), 2));
  if (Flags & 16) parts.push_back(" classnum: " + IntToStr(Item.ItemClass));
  String s;
  for (size_t i = 0; i < parts.size(); ++i) s += (i == 0 && (Flags & 1) ? "" : kCrLf) + parts[i];
  if (Flags == -1) s += KindLines(Item);
  return s;
}

void TCustomZOdoza::SaveData(const String& FName) const {
  WriteChartFile(FName, FileBytes(kDataFormat, FData->Container, FData->Count, FData->LongTexts,
                                  FData->NumLongTexts));
}

void TCustomZOdoza::SaveAnno(const String& FName) const {
  WriteChartFile(FName, FileBytes(kAnnoFormat, FAnnoContainer, FNumAnnoItems, FLongTextsAnno,
                                  FNumLongTextsAnno));
}

Integer TCustomZOdoza::LoadData(const String& FName, bool AppendIt) {
  TChartDataList& d = *FData;
  const Integer r = LoadChartFile(FName, AppendIt, kDataFormat,
                                  {d.Container, d.Count, d.Alloc, d.LongTexts, d.NumLongTexts});
  if (r < 0) return r;
  if (!AppendIt) d.LastElemOnShow = 0;
  AdjustCanInfoOfSharedCharts();
  Paint();
  return r;
}

Integer TCustomZOdoza::LoadAnno(const String& FName, bool AppendIt) {
  const Integer r = LoadChartFile(
      FName, AppendIt, kAnnoFormat,
      {FAnnoContainer, FNumAnnoItems, FNumAllocAnno, FLongTextsAnno, FNumLongTextsAnno});
  if (r < 0) return r;
  Paint();
  return r;
}

void TCustomZOdoza::SaveDataASC(const String& FName) const {
  // A failure leaves the old file and is raised, as the binary saves do.
  SaveTextFileReplacing(FName, [this](TTextFile& f) {
    for (Integer i = 0; i < FData->Count; ++i) {
      f.WriteLn("");
      f.WriteLn("------ item " + IntToStr(i) + " ------");
      f.WriteLn("  " + ItemDescription(FData->Container[static_cast<size_t>(i)], -1));
    }
  });
}

void TCustomZOdoza::CopyAnnoFrom(const TCustomZOdoza* Src, const std::vector<Byte>& ClassFilter,
                                 bool AppendIt) {
  if (Src == nullptr) return;
  // Emptied before the source is read, so a chart that copies from itself without appending
  // ends with no annotations.
  if (!AppendIt) {
    EmptyContainer(FAnnoContainer, FNumAnnoItems, FNumAllocAnno);
    FLongTextsAnno.fill("");
    FNumLongTextsAnno = 0;
  }
  // Taken before anything is appended: the source may be this chart.
  std::vector<std::pair<TrcChartItem, String>> picked;
  for (Integer i = 0; i < Src->FNumAnnoItems; ++i) {
    const TrcChartItem& it = Src->FAnnoContainer[static_cast<size_t>(i)];
    if (!ClassFilter.empty() &&
        std::find(ClassFilter.begin(), ClassFilter.end(), it.ItemClass) == ClassFilter.end())
      continue;
    const bool hasLong = IsTextItem(it.ItemKind) && it.LWid > 0 && it.LWid <= kMaxLongTexts;
    picked.emplace_back(it, hasLong ? Src->FLongTextsAnno[static_cast<size_t>(it.LWid - 1)] : "");
  }
  const Integer reserve =
      ClassFilter.empty() ? Src->FNumAnnoItems : Src->CountAnnoByClass(ClassFilter);
  FNumAllocAnno = FNumAnnoItems + reserve;
  FAnnoContainer.resize(static_cast<size_t>(std::max(FNumAllocAnno, 1)));
  for (auto& [it, text] : picked) {
    if (IsTextItem(it.ItemKind) && it.LWid != 0) {
      if (it.LWid > 0 && it.LWid <= kMaxLongTexts)
        TakeLongText(it, text, FLongTextsAnno, FNumLongTextsAnno);
      else
        it.LWid = 0;
    }
    FAnnoContainer[static_cast<size_t>(FNumAnnoItems++)] = it;
  }
  Paint();
}
