// The metafile canvas: an EMF writer built from the public description of the format. Every
// canvas call becomes one drawing record in logical units; the canvas mapping becomes the
// isotropic mapping-mode records, the clip a device-unit clip region, so a reader replays
// the picture as the canvas drew it. Pens, brushes and fonts are created as objects when the
// canvas's values change and deleted when replaced; one of each is alive at a time.

#include "Metafile.h"

#include <QString>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "CanvasDevice.h"
#include "GraphicsQt.h"
#include "SysUtils.h"

const char* const MetafileMediaTypes[3] = {"image/emf", "image/x-emf", "application/x-emf"};

namespace {

// Record types.
enum : std::uint32_t {
  EMR_HEADER = 1,
  EMR_POLYGON = 3,
  EMR_POLYLINE = 4,
  EMR_SETWINDOWEXTEX = 9,
  EMR_SETVIEWPORTEXTEX = 11,
  EMR_SETVIEWPORTORGEX = 12,
  EMR_EOF = 14,
  EMR_SETPIXELV = 15,
  EMR_SETMAPMODE = 17,
  EMR_SETBKMODE = 18,
  EMR_SETPOLYFILLMODE = 19,
  EMR_SETTEXTALIGN = 22,
  EMR_SETTEXTCOLOR = 24,
  EMR_SELECTOBJECT = 37,
  EMR_CREATEPEN = 38,
  EMR_CREATEBRUSHINDIRECT = 39,
  EMR_DELETEOBJECT = 40,
  EMR_ELLIPSE = 42,
  EMR_RECTANGLE = 43,
  EMR_ROUNDRECT = 44,
  EMR_ARC = 45,
  EMR_EXTSELECTCLIPRGN = 75,
  EMR_STRETCHDIBITS = 81,
  EMR_EXTCREATEFONTINDIRECTW = 82,
  EMR_EXTTEXTOUTW = 84,
  EMR_POLYGON16 = 86,
  EMR_POLYLINE16 = 87,
};
constexpr std::uint32_t kStockNullPen = 0x80000008u;
constexpr std::uint32_t kMmIsotropic = 7;
constexpr std::uint32_t kTransparent = 1, kAlternate = 1, kRgnCopy = 5;
constexpr std::uint32_t kEtoOpaque = 0x2, kEtoClipped = 0x4, kEtoRtlReading = 0x80;

// The reference device the header describes: a screen of 1920 x 1200 units at the
// metafile's resolution.
constexpr int kRefWidth = 1920, kRefHeight = 1200;

// One record under construction: little-endian fields appended in order; the size is
// patched in when it is finished.
class TRecord {
public:
  explicit TRecord(std::uint32_t Type) {
    U32(Type);
    U32(0);
  }
  TRecord& U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) B.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return *this;
  }
  TRecord& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
  TRecord& U16(std::uint16_t v) {
    B.push_back(static_cast<char>(v & 0xFF));
    B.push_back(static_cast<char>(v >> 8));
    return *this;
  }
  TRecord& U8(std::uint8_t v) {
    B.push_back(static_cast<char>(v));
    return *this;
  }
  TRecord& F32(float f) {
    std::uint32_t v = 0;
    std::memcpy(&v, &f, 4);
    return U32(v);
  }
  TRecord& Rect(const TRect& r) { return I32(r.Left).I32(r.Top).I32(r.Right).I32(r.Bottom); }
  TRecord& Point(TPoint p) { return I32(p.X).I32(p.Y); }
  TRecord& Pad4() {
    while (B.size() % 4 != 0) B.push_back(0);
    return *this;
  }
  std::size_t Size() const { return B.size(); }
  String Finish() {
    Pad4();
    const auto n = static_cast<std::uint32_t>(B.size());
    for (int i = 0; i < 4; ++i) B[4 + i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    return std::move(B);
  }

private:
  String B;
};

std::uint32_t ColorRef(TColor c) { return static_cast<std::uint32_t>(ColorToRGB(c)) & 0xFFFFFFu; }

std::uint32_t PenStyleCode(const TPen& p) {
  if (p.Style() == psClear) return 5;                            // PS_NULL
  if (p.Width() > 1) return p.Style() == psInsideFrame ? 6 : 0;  // wide pens draw solid
  switch (p.Style()) {
    case psDash: return 1;
    case psDot:
    case psAlternate: return 2;
    case psDashDot: return 3;
    case psDashDotDot: return 4;
    case psInsideFrame: return 6;
    default: return 0;
  }
}

// The bounding box of what is drawn, inclusive, in device units.
struct TBounds {
  bool Any = false;
  long long L = 0, T = 0, R = 0, B = 0;
  // The box l ... r, t ... b (inclusive, corners in order).
  void Add(long long l, long long t, long long r, long long b) {
    if (!Any) {
      L = l;
      T = t;
      R = r;
      B = b;
      Any = true;
      return;
    }
    L = std::min(L, l);
    R = std::max(R, r);
    T = std::min(T, t);
    B = std::max(B, b);
  }
};

// Device unit of a position: the pixel whose area holds it.
long long DeviceUnit(double v) { return std::llround(std::floor(std::clamp(v, -4e18, 4e18))); }

std::int32_t Clamp32(long long v) {
  return static_cast<std::int32_t>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

}  // namespace

class TMetafileCanvas::TRecorder final : public TCanvasDevice {
public:
  explicit TRecorder(int Dpi) : FDpi(Dpi > 0 ? Dpi : ScreenPixelsPerInch) {
    Emit(TRecord(EMR_SETPOLYFILLMODE).U32(kAlternate));
    Emit(TRecord(EMR_SETBKMODE).U32(kTransparent));
    Emit(TRecord(EMR_SETTEXTALIGN).U32(0));  // top left, position not updated
  }
  int PixelsPerInchX() const override { return FDpi; }
  int PixelsPerInchY() const override { return FDpi; }

  void SetMapping(const TCanvasMapping& M) override {
    MappingScale(M, FSx, FSy);
    FOrg = M.ViewportOrg;
    Emit(TRecord(EMR_SETMAPMODE).U32(kMmIsotropic));
    Emit(TRecord(EMR_SETWINDOWEXTEX).I32(M.WindowExt.cx).I32(M.WindowExt.cy));
    Emit(TRecord(EMR_SETVIEWPORTEXTEX).I32(M.ViewportExt.cx).I32(M.ViewportExt.cy));
    Emit(TRecord(EMR_SETVIEWPORTORGEX).Point(M.ViewportOrg));
  }

  void SetClip(const TRect* R) override {
    FClipped = R != nullptr;
    if (FClipped) FClip = *R;
    TRecord r(EMR_EXTSELECTCLIPRGN);
    if (R == nullptr) {
      r.U32(0).U32(kRgnCopy);  // no region: the default clip again
    } else {
      r.U32(48).U32(kRgnCopy);
      r.U32(32).U32(1).U32(1).U32(16).Rect(*R);  // region header: one rectangle, its bounds
      r.Rect(*R);
    }
    Emit(std::move(r));
  }

  void Poly(const TCanvas& C, const TPoint* P, int N, bool Closed) override {
    SelectPen(*C.Pen());
    if (Closed) SelectBrush(*C.Brush());
    bool small = true;
    for (int i = 0; i < N; ++i)
      small = small && P[i].X >= INT16_MIN && P[i].X <= INT16_MAX && P[i].Y >= INT16_MIN &&
              P[i].Y <= INT16_MAX;
    TRecord r(small ? (Closed ? EMR_POLYGON16 : EMR_POLYLINE16)
                    : (Closed ? EMR_POLYGON : EMR_POLYLINE));
    const TRect box = LogicalBounds(P, N);
    r.Rect(box).U32(static_cast<std::uint32_t>(N));
    for (int i = 0; i < N; ++i) {
      if (small)
        r.U16(static_cast<std::uint16_t>(P[i].X)).U16(static_cast<std::uint16_t>(P[i].Y));
      else
        r.Point(P[i]);
    }
    Emit(std::move(r));
    AddLogical(box.Left, box.Top, box.Right, box.Bottom);
  }

  void Shape(const TCanvas& C, TShape Kind, const TRect& B, TSize Corner) override {
    SelectPen(*C.Pen());
    SelectBrush(*C.Brush());
    const std::uint32_t type = Kind == TShape::Rectangle ? EMR_RECTANGLE
                               : Kind == TShape::Ellipse ? EMR_ELLIPSE
                                                         : EMR_ROUNDRECT;
    TRecord r(type);
    r.Rect(B);
    if (Kind == TShape::RoundRect) r.I32(Corner.cx).I32(Corner.cy);
    Emit(std::move(r));
    AddBox(B);
  }

  void Arc(const TCanvas& C, const TRect& B, TPoint Start, TPoint End) override {
    SelectPen(*C.Pen());
    Emit(TRecord(EMR_ARC).Rect(B).Point(Start).Point(End));
    AddBox(B);
  }

  void Fill(const TCanvas& C, const TRect& R) override {
    // A pen-less rectangle fills one unit less to the right and bottom: widen it by that.
    SelectNullPen();
    SelectBrush(*C.Brush());
    Emit(TRecord(EMR_RECTANGLE).Rect(TRect{R.Left, R.Top, R.Right + 1, R.Bottom + 1}));
    AddBox(R);
  }

  void Pixels(const TPoint* P, int N, TColor Color) override {
    for (int i = 0; i < N; ++i) {
      Emit(TRecord(EMR_SETPIXELV).Point(P[i]).U32(ColorRef(Color)));
      AddLogical(P[i].X, P[i].Y, P[i].X, P[i].Y);
    }
  }

  void Text(const TCanvas& C, int X, int Y, const String& S, const TRect* Clip) override {
    if (S.empty() && Clip == nullptr) return;
    SelectFont(*C.Font());
    const std::uint32_t color = ColorRef(C.Font()->Color());
    if (color != FTextColor) {
      Emit(TRecord(EMR_SETTEXTCOLOR).U32(color));
      FTextColor = color;
    }
    const QString q = QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size()));
    const TSize extent = C.TextExtent(S);
    const bool opaque = C.Brush()->Style() != bsClear;
    // A text whose first letter with a direction reads right to left reads so as a whole, as
    // the canvas lays it out; a reader lays it out again from the characters.
    std::uint32_t options = q.isRightToLeft() ? kEtoRtlReading : 0;
    TRect box{X, Y, X + extent.cx, Y + extent.cy};
    if (Clip != nullptr) {
      options |= kEtoClipped;
      box = *Clip;
    }
    if (opaque) {
      options |= kEtoOpaque;
      // The background colour of an opaque text is the brush's.
      Emit(TRecord(25 /* EMR_SETBKCOLOR */).U32(ColorRef(C.Brush()->Color())));
    }
    const auto n = static_cast<std::uint32_t>(q.size());
    TRecord r(EMR_EXTTEXTOUTW);
    r.Rect(box).U32(1 /* GM_COMPATIBLE */);
    const float scale = static_cast<float>(2540.0 / FDpi);  // device unit to 0.01 mm
    r.F32(scale).F32(scale);
    // The text object: reference point, characters, string offset, options, rectangle, offset
    // of the advances; the fixed part ends at byte 76 of the record.
    constexpr std::uint32_t kFixed = 76;
    const std::uint32_t stringBytes = (n * 2 + 3) / 4 * 4;
    r.Point(TPoint{X, Y}).U32(n).U32(kFixed).U32(options).Rect(box).U32(kFixed + stringBytes);
    for (qsizetype i = 0; i < q.size(); ++i) r.U16(q.at(i).unicode());
    r.Pad4();
    // The advances of the characters as the canvas places their glyphs, fallback face included.
    for (const int advance : CanvasTextAdvances(C, S)) r.I32(advance);
    Emit(std::move(r));
    AddBox(box);
  }

  void Image(const QImage& Img, const TRect& S, const TRect& D) override {
    // The source part as a 24-bit bottom-up device-independent bitmap of its own.
    const QImage part = Img.copy(std::min(S.Left, S.Right), std::min(S.Top, S.Bottom),
                                 std::abs(S.Right - S.Left), std::abs(S.Bottom - S.Top))
                            .convertToFormat(QImage::Format_RGB32);
    if (part.isNull()) return;
    const int w = part.width(), h = part.height();
    const std::uint32_t stride = (static_cast<std::uint32_t>(w) * 3 + 3) / 4 * 4;
    const std::uint32_t bits = stride * static_cast<std::uint32_t>(h);
    TRecord r(EMR_STRETCHDIBITS);
    r.Rect(D).I32(D.Left).I32(D.Top).I32(0).I32(0).I32(w).I32(h);
    r.U32(80).U32(40).U32(120).U32(bits);  // offsets and sizes of the header and the bits
    r.U32(0 /* DIB_RGB_COLORS */).U32(0x00CC0020 /* SRCCOPY */);
    r.I32(D.Right - D.Left).I32(D.Bottom - D.Top);
    r.U32(40).I32(w).I32(h).U16(1).U16(24).U32(0).U32(bits).U32(3780).U32(3780).U32(0).U32(0);
    for (int y = h - 1; y >= 0; --y) {
      const auto* row = reinterpret_cast<const QRgb*>(part.constScanLine(y));
      for (int x = 0; x < w; ++x) r.U8(qBlue(row[x])).U8(qGreen(row[x])).U8(qRed(row[x]));
      for (std::uint32_t k = static_cast<std::uint32_t>(w) * 3; k < stride; ++k) r.U8(0);
    }
    Emit(std::move(r));
    AddBox(D);
  }

  // The whole file: header, the records drawn, end of file.
  String Finish() {
    String eof = TRecord(EMR_EOF).U32(0).U32(16).U32(20).Finish();
    const std::uint32_t records = FCount + 2;
    const std::size_t total = 108 + FBody.size() + eof.size();
    const long long l = FBounds.Any ? FBounds.L : 0, t = FBounds.Any ? FBounds.T : 0;
    const long long rr = FBounds.Any ? FBounds.R : 0, b = FBounds.Any ? FBounds.B : 0;
    const auto Hundredths = [this](long long v) {
      return Clamp32(static_cast<long long>(std::llround(v * 2540.0 / FDpi)));
    };
    const long long mmW = std::llround(kRefWidth * 25.4 / FDpi);
    const long long mmH = std::llround(kRefHeight * 25.4 / FDpi);
    TRecord h(EMR_HEADER);
    h.I32(Clamp32(l)).I32(Clamp32(t)).I32(Clamp32(rr)).I32(Clamp32(b));
    h.I32(Hundredths(l)).I32(Hundredths(t)).I32(Hundredths(rr)).I32(Hundredths(b));
    h.U32(0x464D4520u).U32(0x00010000u).U32(static_cast<std::uint32_t>(total)).U32(records);
    h.U16(static_cast<std::uint16_t>(FMaxHandle + 1)).U16(0);
    h.U32(0).U32(0).U32(0);  // no description, no palette
    h.I32(kRefWidth).I32(kRefHeight).I32(Clamp32(mmW)).I32(Clamp32(mmH));
    h.U32(0).U32(0).U32(0);  // no pixel format, no OpenGL
    h.I32(Clamp32(std::llround(kRefWidth * 25400.0 / FDpi)))
        .I32(Clamp32(std::llround(kRefHeight * 25400.0 / FDpi)));
    String out = h.Finish();
    out += FBody;
    out += eof;
    return out;
  }

private:
  void Emit(TRecord R) {
    FBody += R.Finish();
    ++FCount;
  }

  // Handles 1, 2, 3 for pen, brush and font: the replaced object is deleted after the new
  // one is selected, so a slot can be reused at once.
  std::uint32_t NewObject(std::uint32_t& Slot, std::uint32_t Base) {
    const std::uint32_t h = Slot == Base ? Base + 3 : Base;
    FMaxHandle = std::max(FMaxHandle, h);
    return h;
  }
  void Replace(std::uint32_t& Slot, std::uint32_t NewHandle) {
    Emit(TRecord(EMR_SELECTOBJECT).U32(NewHandle));
    if (Slot != 0 && (Slot & 0x80000000u) == 0) Emit(TRecord(EMR_DELETEOBJECT).U32(Slot));
    Slot = NewHandle;
  }

  void SelectPen(const TPen& P) {
    const std::uint32_t style = PenStyleCode(P), color = ColorRef(P.Color());
    const int width = std::max(1, P.Width());
    if (FPenValid && style == FPenStyle && color == FPenColor && width == FPenWidth &&
        FPen != kStockNullPen)
      return;
    const std::uint32_t h = NewObject(FPen, 1);
    Emit(TRecord(EMR_CREATEPEN).U32(h).U32(style).I32(width).I32(0).U32(color));
    Replace(FPen, h);
    FPenValid = true;
    FPenStyle = style;
    FPenColor = color;
    FPenWidth = width;
  }
  void SelectNullPen() {
    if (FPen == kStockNullPen) return;
    Replace(FPen, kStockNullPen);
  }

  void SelectBrush(const TBrush& B) {
    std::uint32_t style = 0, hatch = 0;
    switch (B.Style()) {
      case bsSolid: break;
      case bsClear: style = 1; break;
      default:
        style = 2;
        hatch = static_cast<std::uint32_t>(B.Style()) - bsHorizontal;
        break;
    }
    const std::uint32_t color = ColorRef(B.Color());
    if (FBrush != 0 && style == FBrushStyle && color == FBrushColor && hatch == FBrushHatch) return;
    const std::uint32_t h = NewObject(FBrush, 2);
    Emit(TRecord(EMR_CREATEBRUSHINDIRECT).U32(h).U32(style).U32(color).U32(hatch));
    Replace(FBrush, h);
    FBrushStyle = style;
    FBrushColor = color;
    FBrushHatch = hatch;
  }

  void SelectFont(const TFont& F) {
    const String family = TFont::DrawnFamily(F.Name());
    if (FFont != 0 && family == FFontFamily && F.Height() == FFontHeight &&
        F.Style().Bits() == FFontStyle)
      return;
    const std::uint32_t h = NewObject(FFont, 3);
    TRecord r(EMR_EXTCREATEFONTINDIRECTW);
    r.U32(h).I32(F.Height()).I32(0).I32(0).I32(0);
    r.I32(F.Style().Contains(fsBold) ? 700 : 400);
    r.U8(F.Style().Contains(fsItalic)).U8(F.Style().Contains(fsUnderline));
    r.U8(F.Style().Contains(fsStrikeOut)).U8(1 /* DEFAULT_CHARSET */);
    r.U8(0).U8(0).U8(3 /* NONANTIALIASED_QUALITY */).U8(0);
    const QString face = QString::fromStdString(family).left(31);
    for (int i = 0; i < 32; ++i) r.U16(i < face.size() ? face.at(i).unicode() : 0);
    Emit(std::move(r));
    Replace(FFont, h);
    FFontFamily = family;
    FFontHeight = F.Height();
    FFontStyle = F.Style().Bits();
  }

  TRect LogicalBounds(const TPoint* P, int N) const {
    TRect r{P[0].X, P[0].Y, P[0].X, P[0].Y};
    for (int i = 1; i < N; ++i) {
      r.Left = std::min(r.Left, P[i].X);
      r.Top = std::min(r.Top, P[i].Y);
      r.Right = std::max(r.Right, P[i].X);
      r.Bottom = std::max(r.Bottom, P[i].Y);
    }
    return r;
  }
  // The picture's bounds take what is drawn only where the clip lets it show.
  void AddLogical(double l, double t, double r, double b) {
    const auto X = [this](double x) { return DeviceUnit(FOrg.X + x * FSx); };
    const auto Y = [this](double y) { return DeviceUnit(FOrg.Y + y * FSy); };
    long long dl = X(l), dr = X(r), dt = Y(t), db = Y(b);
    if (dl > dr) std::swap(dl, dr);
    if (dt > db) std::swap(dt, db);
    if (FClipped) {
      dl = std::max<long long>(dl, FClip.Left);
      dt = std::max<long long>(dt, FClip.Top);
      dr = std::min<long long>(dr, static_cast<long long>(FClip.Right) - 1);
      db = std::min<long long>(db, static_cast<long long>(FClip.Bottom) - 1);
      if (dl > dr || dt > db) return;
    }
    FBounds.Add(dl, dt, dr, db);
  }
  void AddBox(const TRect& B) { AddLogical(B.Left, B.Top, B.Right - 1, B.Bottom - 1); }

  int FDpi;
  String FBody;
  std::uint32_t FCount = 0;
  std::uint32_t FMaxHandle = 0;
  double FSx = 1, FSy = 1;
  TPoint FOrg;
  TBounds FBounds;
  bool FClipped = false;
  TRect FClip;  // device units, right and bottom excluded
  std::uint32_t FPen = 0, FBrush = 0, FFont = 0;
  bool FPenValid = false;
  std::uint32_t FPenStyle = 0, FPenColor = 0, FBrushStyle = 0, FBrushColor = 0, FBrushHatch = 0;
  int FPenWidth = 0;
  String FFontFamily;
  int FFontHeight = 0;
  Byte FFontStyle = 0;
  std::uint32_t FTextColor = 0;  // the reader's default text colour is black
};

// ---- TMetafile ---------------------------------------------------------------------------------
void TMetafile::SaveToFile(const String& FileName) const {
  if (!WriteFileReplacing(FileName, FData))
    throw EFCreateError("Cannot create file \"" + FileName + "\"");
}

void TMetafile::SaveToStream(TStream& Stream) const {
  if (Stream.Write(FData.data(), static_cast<Int64>(FData.size())) !=
      static_cast<Int64>(FData.size()))
    throw EWriteError("Stream write error");
}

void TMetafile::Assign(TPersistent* Source) {
  if (auto* m = dynamic_cast<TMetafile*>(Source)) {
    FData = m->FData;
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TMetafileCanvas ---------------------------------------------------------------------------
TMetafileCanvas::TMetafileCanvas(TMetafile* Metafile, int PixelsPerInch)
    : FMetafile(Metafile), FRecorder(std::make_unique<TRecorder>(PixelsPerInch)) {
  SetCanvasDevice(this, FRecorder.get());
}

TMetafileCanvas::~TMetafileCanvas() { Close(); }

void TMetafileCanvas::Close() {
  if (!FRecorder) return;
  SetCanvasDevice(this, nullptr);
  if (FMetafile != nullptr) FMetafile->FData = FRecorder->Finish();
  FRecorder.reset();
}
