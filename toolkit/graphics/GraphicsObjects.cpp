// Colours, pens, brushes and fonts, and their Qt counterparts.

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QString>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "GraphicsQt.h"
#include "SysUtils.h"

namespace {

// The light theme every system colour resolves to. Fixed, so that pictures do not depend on
// the desktop the program runs on.
constexpr TColor kSystemColors[] = {
    RGB(0xC8, 0xC8, 0xC8),  //  0 scroll bar
    RGB(0x00, 0x00, 0x00),  //  1 desktop background
    RGB(0x99, 0xB4, 0xD1),  //  2 active caption
    RGB(0xBF, 0xCD, 0xDB),  //  3 inactive caption
    RGB(0xF0, 0xF0, 0xF0),  //  4 menu
    RGB(0xFF, 0xFF, 0xFF),  //  5 window
    RGB(0x64, 0x64, 0x64),  //  6 window frame
    RGB(0x00, 0x00, 0x00),  //  7 menu text
    RGB(0x00, 0x00, 0x00),  //  8 window text
    RGB(0x00, 0x00, 0x00),  //  9 caption text
    RGB(0xB4, 0xB4, 0xB4),  // 10 active border
    RGB(0xF4, 0xF7, 0xFC),  // 11 inactive border
    RGB(0xAB, 0xAB, 0xAB),  // 12 application workspace
    RGB(0x00, 0x78, 0xD7),  // 13 highlight
    RGB(0xFF, 0xFF, 0xFF),  // 14 highlight text
    RGB(0xF0, 0xF0, 0xF0),  // 15 button face
    RGB(0xA0, 0xA0, 0xA0),  // 16 button shadow
    RGB(0x6D, 0x6D, 0x6D),  // 17 grey text
    RGB(0x00, 0x00, 0x00),  // 18 button text
    RGB(0x00, 0x00, 0x00),  // 19 inactive caption text
    RGB(0xFF, 0xFF, 0xFF),  // 20 button highlight
    RGB(0x69, 0x69, 0x69),  // 21 3-D dark shadow
    RGB(0xE3, 0xE3, 0xE3),  // 22 3-D light
    RGB(0x00, 0x00, 0x00),  // 23 tooltip text
    RGB(0xFF, 0xFF, 0xE1),  // 24 tooltip background
    RGB(0x00, 0x00, 0x00),  // 25 (unused)
    RGB(0x00, 0x66, 0xCC),  // 26 hot-tracked item
    RGB(0xB9, 0xD1, 0xEA),  // 27 gradient of the active caption
    RGB(0xD7, 0xE4, 0xF2),  // 28 gradient of the inactive caption
    RGB(0x33, 0x99, 0xFF),  // 29 menu highlight
    RGB(0xF0, 0xF0, 0xF0),  // 30 menu bar
};

struct ColorName {
  TColor Color;
  const char* Name;
};
constexpr ColorName kColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"},
    // aliases, read only
    {clLtGray, "clLtGray"},
    {clDkGray, "clDkGray"},
};

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  long long n = static_cast<long long>(a) * b;
  long long q = (std::llabs(n) * 2 + std::llabs(c)) / (2 * std::llabs(static_cast<long long>(c)));
  return static_cast<int>(((n < 0) != (c < 0)) ? -q : q);
}

// Ratio of a family's cell height (ascent + descent) to its em size, for fonts given by a
// positive (cell) height.
double CellToEm(const QString& family) {
  static std::mutex m;
  static QHash<QString, double> cache;
  std::lock_guard<std::mutex> lock(m);
  auto it = cache.find(family);
  if (it != cache.end()) return *it;
  QFont f(family);
  f.setPixelSize(1000);
  QFontMetricsF fm(f);
  double cell = fm.ascent() + fm.descent();
  double r = cell > 0 ? 1000.0 / cell : 1.0;
  cache.insert(family, r);
  return r;
}

}  // namespace

TColor ColorToRGB(TColor Color) {
  if (!IsSystemColor(Color)) return Color;
  std::size_t i = static_cast<std::uint32_t>(Color) & 0xFF;
  return i < std::size(kSystemColors) ? kSystemColors[i] : clBlack;
}

bool IdentToColor(const String& Ident, TColor& Color) {
  for (const ColorName& c : kColorNames)
    if (SameText(c.Name, Ident)) {
      Color = c.Color;
      return true;
    }
  return false;
}

String ColorToString(TColor Color) {
  for (const ColorName& c : kColorNames)
    if (c.Color == Color) return c.Name;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%08X", static_cast<unsigned>(Color));
  return buf;
}

QRgb ToQRgb(TColor Color) {
  std::uint32_t c = static_cast<std::uint32_t>(ColorToRGB(Color));
  return qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
              static_cast<int>((c >> 16) & 0xFF));
}

QColor ToQColor(TColor Color) { return QColor(ToQRgb(Color)); }

TColor FromQRgb(QRgb Rgb) { return RGB(qRed(Rgb), qGreen(Rgb), qBlue(Rgb)); }

// ---- TGraphicsObject, TPen, TBrush -------------------------------------------------------
void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

void TPen::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  Changed();
}

void TPen::SetWidth(int Value) {
  if (Value < 0) Value = 0;
  if (FWidth == Value) return;
  FWidth = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Changed();
}

void TPen::SetMode(TPenMode Value) {
  if (FMode == Value) return;
  FMode = Value;
  Changed();
}

void TPen::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TPen*>(Source)) {
    FColor = p->FColor;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    FMode = p->FMode;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TBrush::SetColor(TColor Value) {
  if (FColor == Value && FStyle != bsClear) return;
  FColor = Value;
  // Picking a colour for a see-through brush means the caller wants it to paint.
  if (FStyle == bsClear) FStyle = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Changed();
}

void TBrush::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBrush*>(Source)) {
    FColor = b->FColor;
    FStyle = b->FStyle;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TFont -------------------------------------------------------------------------------
TFont::TFont() = default;

void TFont::SetName(const String& Value) {
  if (Value.empty() || FName == Value) return;
  FName = Value;
  Changed();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetHeight(int Value) {
  if (FHeight == Value) return;
  FHeight = Value;
  Changed();
}

void TFont::SetPixelsPerInch(int Value) {
  if (Value < 1 || FPixelsPerInch == Value) return;
  FPixelsPerInch = Value;
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Changed();
}

void TFont::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  Changed();
}

void TFont::Assign(TPersistent* Source) {
  if (auto* f = dynamic_cast<TFont*>(Source)) {
    FName = f->FName;
    // Between resolutions the point size travels, so the text keeps its size on paper.
    FHeight =
        f->FPixelsPerInch == FPixelsPerInch ? f->FHeight : -MulDiv(f->Size(), FPixelsPerInch, 72);
    FStyle = f->FStyle;
    FColor = f->FColor;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

String TFont::DrawnFamily(const String& Name) {
  String n = LowerCase(Name);
  auto has = [&](const char* w) { return n.find(w) != String::npos; };
  // The window layouts were measured with the classic faces; the metric-compatible families
  // keep their text widths. A DejaVu name asks for DejaVu itself.
  const String maker = n.rfind("dejavu", 0) == 0 ? "DejaVu" : "Liberation";
  if (has("mono") || has("courier") || has("consol") || has("fixed") || has("terminal") ||
      has("lucida console"))
    return maker + (maker == "DejaVu" ? " Sans Mono" : " Mono");
  if ((has("serif") && !has("sans")) || has("times") || has("roman") || has("georgia") ||
      has("garamond"))
    return maker + " Serif";
  return maker + " Sans";
}

bool FontFamilyInstalled(const String& Family) {
  return QFontDatabase::hasFamily(QString::fromStdString(Family));
}

std::vector<String> InstalledFontNames() {
  std::vector<String> names;
  for (const QString& f : QFontDatabase::families()) names.push_back(f.toStdString());
  return names;
}

bool IsOutlineFont(const String& FamilyName) {
  return QFontDatabase::isSmoothlyScalable(QString::fromStdString(FamilyName));
}

namespace {

// The pixel size of a TFont drawn in Family: a negative height is the em size, a positive one
// the cell height.
int PixelSizeIn(const QString& Family, const TFont& Font) {
  const int h = Font.Height();
  int px;
  if (h < 0)
    px = -h;
  else if (h > 0)
    px = static_cast<int>(h * CellToEm(Family) + 0.5);
  else
    px = 11;  // the toolkit's default height
  return px < 1 ? 1 : px;
}

QFont QtFontIn(const QString& Family, int PixelSize, const TFont& Font) {
  QFont f(Family);
  f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
  // Slight hinting, as a default desktop configuration gives, but named here: otherwise the
  // machine's font configuration decides, and the same text takes other pixels elsewhere.
  f.setHintingPreference(QFont::PreferVerticalHinting);
  f.setPixelSize(PixelSize);
  const TFontStyles s = Font.Style();
  f.setBold(s.Contains(fsBold));
  f.setItalic(s.Contains(fsItalic));
  f.setUnderline(s.Contains(fsUnderline));
  f.setStrikeOut(s.Contains(fsStrikeOut));
  return f;
}

}  // namespace

QFont ToQFont(const TFont& Font) {
  LoadDrawingFonts();
  const QString family = QString::fromStdString(TFont::DrawnFamily(Font.Name()));
  return QtFontIn(family, PixelSizeIn(family, Font), Font);
}

QFont FallbackQFont(const TFont& Font) {
  LoadDrawingFonts();
  // The size of the face it stands in for, so that a symbol matches the letters around it.
  const QString family = QString::fromStdString(TFont::DrawnFamily(Font.Name()));
  return QtFontIn(QString::fromStdString(TFont::FallbackFamily(Font.Name())),
                  PixelSizeIn(family, Font), Font);
}

QFont WidgetFont(const TFont& Font) {
  QFont f = ToQFont(Font);
  f.setFamilies({f.family(), QString::fromStdString(TFont::FallbackFamily(Font.Name()))});
  f.setStyleStrategy(QFont::PreferAntialias);
  return f;
}
