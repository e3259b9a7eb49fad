#include "DOV_Scale.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "DOV_math1.h"
#include "SysUtils.h"

namespace {

constexpr Double kLogFloor = 1e-100;        // smallest value a logarithmic axis shows
constexpr Double kLogTol = 0.999999999;     // multiplicative tolerance of decade ticks
constexpr Double kMaxPixel = 2147483647.0;  // pixels are clamped to the 32-bit range
constexpr Integer kMaxLabelLength = 14;
constexpr Integer kLongTickY = 6, kLongTickX = 7, kShortTick = 4;
constexpr Integer kLabelGapY = 8, kLabelGapX = 7;
// Tick loops stop at these counts whatever the range: more long ticks than this are far
// denser than any axis can show (such an axis gets none), and a logarithmic axis spans at
// most the decades from 1e-100 to the largest double.
constexpr Double kMaxLongTicks = 10000;
constexpr Integer kMaxDecades = 410;

// A NaN pixel (a transform without a usable scale) rounds to 0.
Integer RoundPixel(Double p) {
  if (p != p) return 0;
  p = std::clamp(p, -kMaxPixel, kMaxPixel);
  return static_cast<Integer>(std::nearbyint(p));
}

// The seconds-based tick steps with their subdivisions (index 1 ... 28).
struct TTimeStep {
  Double step;
  Integer sub;
};
constexpr TTimeStep kTimeSteps[29] = {
    {0, 0},    {0.001, 5}, {0.002, 4}, {0.005, 5}, {0.01, 5}, {0.02, 4}, {0.05, 5}, {0.1, 5},
    {0.2, 4},  {0.5, 5},   {1, 5},     {2, 4},     {5, 5},    {10, 5},   {20, 4},   {30, 6},
    {60, 6},   {120, 6},   {180, 6},   {300, 5},   {600, 5},  {1200, 6}, {1800, 6}, {3600, 6},
    {7200, 4}, {14400, 4}, {21600, 6}, {43200, 6}, {86400, 6}};
constexpr Integer kLastUsableTimeStep = 27;
constexpr Integer kLastMillisecondStep = 9;  // steps of 0.5 s and less show milliseconds

String Fixed(Double Value, Integer Decimals) {
  char buf[512];
  auto r = std::to_chars(buf, buf + sizeof buf, Value, std::chars_format::fixed, Decimals);
  return String(buf, r.ptr);
}

// " 1.2E+0003": sign character, mantissa with Digits decimals, four exponent digits.
String ExponentForm(Double Value, Integer Digits) {
  char buf[64];
  auto r =
      std::to_chars(buf, buf + sizeof buf, std::fabs(Value), std::chars_format::scientific, Digits);
  String s(buf, r.ptr);
  const size_t e = s.find('e');
  String mant = s.substr(0, e);
  const char esign = s[e + 1];
  String edigits = s.substr(e + 2);
  while (edigits.size() < 4) edigits = "0" + edigits;
  mant = UpperCase(mant);
  return String(Value < 0 ? "-" : " ") + mant + "E" + esign + edigits;
}

}  // namespace

// ---- label texts -----------------------------------------------------------------------------
namespace ScaleText {

String FormatTickNumber(Integer Width, Integer Decimals, Double Value) {
  const Integer field = std::max(Width + 2, 10);
  if (Decimals >= 0) {
    const Double a = std::fabs(Value);
    if (a > 6.64613997892457936e35 || (a != 0 && a < 1e-35)) return ExponentForm(Value, field - 9);
    String s = Fixed(Value, Decimals);
    if (static_cast<Integer>(s.size()) < Width)
      s.insert(0, static_cast<size_t>(Width) - s.size(), ' ');
    return s;
  }
  String s = ExponentForm(Value, field - 9);
  const size_t digits = s.size() - 4;  // the four exponent digits end the text
  if (s.compare(digits, 2, "00") == 0) return s.erase(digits, 2);
  s.erase(digits, 2);
  return String(s.size(), '*');
}

Integer AutoDecPlacesLin(Integer DecPlaces, Extended a, Extended b) {
  if (DecPlaces != -2 && DecPlaces != -3) return DecPlaces;
  const Extended s = std::fabs(a - b);
  if (s >= 1000000 || s <= 0.0001) return -1;
  if (s >= 100) return 0;
  return 2 - static_cast<Integer>(std::nearbyint(std::log(static_cast<Double>(s)) / 2.5));
}

Integer AutoExponentDecimals(Extended Step, Extended a, Extended b) {
  const Double top = static_cast<Double>(std::max(std::fabs(a), std::fabs(b)));
  const Double step = std::fabs(static_cast<Double>(Step));
  if (!(top > 0 && step > 0) || !std::isfinite(top)) return 1;
  // Steps are 1, 2 or 5 times a power of ten: one digit at the step's decade tells them apart.
  const Double d = std::floor(std::log10(top)) - std::floor(std::log10(step) + 1e-9);
  // Beyond 7 no label tells its neighbours apart: the short form then keeps them from running
  // into each other.
  constexpr Double MostDecimals = 7;
  if (d > MostDecimals) return 1;
  return static_cast<Integer>(std::max(d, 1.0));
}

Integer AutoDecPlacesLog(Integer DecPlaces, Extended a, Extended b) {
  if (DecPlaces != -2) return DecPlaces;
  const Extended lo = std::min(a, b), hi = std::max(a, b);
  if (hi - lo >= 1000000 || hi - lo <= 0.0001) return -1;
  if (lo >= 1) return 0;
  return 1 - static_cast<Integer>(std::nearbyint(std::log10(std::fabs(static_cast<Double>(lo)))));
}

String SecondsTickText(bool WithMilliseconds, Double Seconds) {
  String sign = " ";
  if (Seconds < 0) {
    sign = "-";
    Seconds = std::fabs(Seconds);
  }
  const Double h = std::trunc(Seconds / 3600);
  const Double m = std::trunc((Seconds - 3600 * h) / 60);
  const Double s = std::trunc(Seconds - 3600 * h - 60 * m);
  const Double ms = std::nearbyint((Seconds - std::trunc(Seconds)) * 1000);
  auto two = [](Double v) {
    String t = Fixed(v, 0);
    return t.size() < 2 ? "0" + t : t;
  };
  String text = sign + two(h) + ":" + two(m) + ":" + two(s);
  if (WithMilliseconds) {
    String z = Fixed(ms, 0);
    while (z.size() < 3) z = "0" + z;
    text += "." + z;
  }
  return text;
}

String ExtractUserText(const String& Text, Integer ix) {
  if (ix <= 0 || Text.empty()) return "";
  size_t start = 0;
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != '|') continue;
    --ix;
    if (ix <= 0) return Text.substr(start, i - start);
    start = i + 1;
  }
  return Text.substr(start);
}

String AddScaleInscription(const String& Value, const String& Inscription) {
  if (Value.empty()) return "";
  const size_t amp = Inscription.find('&');
  if (amp == String::npos) return Inscription + Value;
  return Inscription.substr(0, amp) + Value + Inscription.substr(amp + 1);
}

}  // namespace ScaleText

// ---- range rules -------------------------------------------------------------------------------
bool UsableRange(Double Low, Double High) { return std::isfinite(High - Low); }

bool LogarithmicAllowed(Double Low, Double High, TFigType LabelType, bool NotYetLoaded) {
  if (NotYetLoaded) {
    const auto tooSmall = [](Double v) { return v > 0 && v < kLogFloor; };
    return !tooSmall(Low) && !tooSmall(High);
  }
  return Low >= kLogFloor && High >= kLogFloor && LabelType != ftDateTime;
}

// ---- pan and zoom arithmetic -------------------------------------------------------------------
bool Rescale(Integer X, Integer Y, Integer AnchorX, Integer AnchorY, Integer Width, Integer Height,
             Integer MarginLeft, Integer MarginRight, Integer MarginTop, Integer MarginBottom,
             Double AnchorLow, Double AnchorHigh, TMouseActMode MouseAction, TScaleType ScaleType,
             bool Logarithmic, Double RangeLow, Double RangeHigh, Double& NewLow, Double& NewHigh) {
  if (MouseAction != maPan && MouseAction != maZoom && MouseAction != maZoomDrag) return false;
  if (ScaleType != sctXB && ScaleType != sctXT && ScaleType != sctYL && ScaleType != sctYR)
    return true;
  const bool horiz = ScaleType == sctXB || ScaleType == sctXT;
  const Double AL = AnchorLow, AH = AnchorHigh, Lo = RangeLow, Hi = RangeHigh;
  const Double Lh = Width - MarginLeft - MarginRight;
  const Double Lv = Height - MarginTop - MarginBottom;
  const Double G = Logarithmic ? std::sqrt(AL * AH) : 0;
  NewLow = AL;
  NewHigh = AH;
  switch (MouseAction) {
    case maPan:
      if (horiz) {
        if (!Logarithmic) {
          const Double s = (X - AnchorX) * (Hi - Lo) / Lh;
          NewLow = AL - s;
          NewHigh = AH - s;
        } else {
          const Double q = std::exp(std::log(Hi / Lo) * (AnchorX - X) / Lh);
          NewLow = AL * q;
          NewHigh = AH * q;
        }
      } else if (!Logarithmic) {
        const Double s = (Y - AnchorY) * (Hi - Lo) / Lv;
        NewLow = AL + s;
        NewHigh = AH + s;
      } else {
        const Double q = std::exp(std::log(Hi / Lo) * (Y - AnchorY) / Lv);
        NewLow = AL * q;
        NewHigh = AH * q;
      }
      break;
    case maZoom:
      if (horiz) {
        if (AnchorX < Lh / 2 + MarginLeft) {  // the high end stays
          if (!Logarithmic)
            NewLow = AH - (AH - AL) * (Width - AnchorX - MarginRight) / (Width - X - MarginRight);
          else
            NewLow = G / std::exp(std::log(AH / G) * (1 + (X - AnchorX) / Lh));
        } else if (!Logarithmic) {
          NewHigh = AL + (AH - AL) * (AnchorX - MarginLeft) / (X - MarginLeft);
        } else {
          NewHigh = G * std::exp(std::log(AH / G) * (1 + (AnchorX - X) / Lh));
        }
      } else if (AnchorY > Lv / 2 + MarginTop) {  // lower half: the high end stays
        if (!Logarithmic)
          NewLow = AH - (AH - AL) * (AnchorY - MarginTop) / (Y - MarginTop);
        else
          NewLow = G / std::exp(std::log(AH / G) * (1 + (AnchorY - Y) / Lv));
      } else if (!Logarithmic) {
        NewHigh = AL + (AH - AL) * (Height - AnchorY - MarginBottom) / (Height - Y - MarginBottom);
      } else {
        NewHigh = G * std::exp(std::log(AH / G) * (1 + (Y - AnchorY) / Lv));
      }
      break;
    default: {  // maZoomDrag: symmetric about the centre of the anchor range
      const Double K = horiz ? 1 + static_cast<Double>(AnchorX - X) / Width
                             : 1 + static_cast<Double>(Y - AnchorY) / Height;
      if (!Logarithmic) {
        const Double c = (AL + AH) / 2, w = (AH - AL) * K / 2;
        NewLow = c - w;
        NewHigh = c + w;
      } else {
        const Double q = std::exp(std::log(AH / G) * K);
        NewLow = G / q;
        NewHigh = G * q;
      }
    }
  }
  return true;
}

// ---- TScale: life cycle ------------------------------------------------------------------------
TScale::TScale(TComponent* AOwner) : TCustomControl(AOwner) { Init(); }

TScale::TScale(TComponent* AOwner, THelper) : TCustomControl(AOwner, TNoWidget{}) { Init(); }

void TScale::Init() {
  FSuppressPaint = true;
  FDTFormat = std::make_unique<TDTLabel>();
  TCustomControl::SetBounds(Left(), Top(), 400, 400);
  ResetComp();
}

TScale::~TScale() { FDTFormat->OnChange = nullptr; }

void TScale::ResetComp() {
  FSuppressPaint = true;
  FScaleType = sctXB;
  FRangeLow = 0;
  FRangeHigh = 100;
  FAxLog = false;
  FTransf_k = 1;
  FTransf_d = 0;
  FMarginTop = FMarginBottom = FMarginLeft = FMarginRight = 20;
  FNumTicks = 3;
  FTickCount = 0;
  FScaleTickPos.assign(MaxTickPos, 0);
  FShortTicks = true;
  FDecPlaces = -2;
  FLabelType = ftNum;
  FUserTicktext.clear();
  FUnitLabel.clear();
  FLblPosX = FLblPosY = 4;
  FLblAlign = taCenter;
  FLblAnchor = uaSclTopLft;
  FDrawBaseLine = true;
  FTransparent = false;
  FColorFG = clBlack;
  FColorBG = clBtnFace;
  FFrameStyle = fsLowered;
  FColorScheme = csBWG;
  FColBlackLine = clBlack;
  FColGrayLine = 0x808080;
  FColWhiteLine = 0xFFFFFF;
  FMouseAction = maNone;
  FMAnchorX = FMAnchorY = 0;
  FMAnchorWorldLow = FMAnchorWorldHigh = 0;
  FLButtonWasDown = false;
  FIsHelper = false;
  FForCvPosX = FForCvPosY = 0;
  FDTFormat->OnChange = nullptr;
  FDTFormat->SetTimeFormat(tfHHMMSS);
  FDTFormat->SetDateSeparator('-');
  FDTFormat->SetTimeSeparator(':');
  FDTFormat->SetYearLength(ylYYYY);
  FDTFormat->SetMonthName(true);
  FDTFormat->SetDateForTime(dtOnePerDay);
  FDTFormat->SetDAteOrder(doDDMMYY);
  FDTFormat->OnChange = [this](TObject* Sender) { Changed(Sender); };
  AdjustScalePars();
}

void TScale::CreateWnd() {
  TCustomControl::CreateWnd();
  FSuppressPaint = false;
  Invalidate();  // the new window shows the scale as soon as it is painted
}

void TScale::Loaded() {
  TCustomControl::Loaded();
  AdjustScalePars();
  FNotYetLoaded = false;
  TriggerPaint();
}

void TScale::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  AdjustScalePars();
  TriggerPaint();
}

void TScale::AssignTo(TPersistent* Dest) {
  if (auto* d = dynamic_cast<TScale*>(Dest))
    d->Assign(this);
  else
    TCustomControl::AssignTo(Dest);
}

void TScale::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TScale*>(Source);
  if (s == nullptr) {
    TCustomControl::Assign(Source);
    return;
  }
  FFrameStyle = s->FFrameStyle;
  FColorBG = s->FColorBG;
  FColorFG = s->FColorFG;
  FColBlackLine = s->FColBlackLine;
  FColGrayLine = s->FColGrayLine;
  FColWhiteLine = s->FColWhiteLine;
  FColorScheme = s->FColorScheme;
  OnScaleTickDrawn = s->OnScaleTickDrawn;
  OnBeforeTickLabel = s->OnBeforeTickLabel;
  FAxLog = s->FAxLog;
  FTransf_k = s->FTransf_k;
  FTransf_d = s->FTransf_d;
  FRangeHigh = s->FRangeHigh;
  FRangeLow = s->FRangeLow;
  FShortTicks = s->FShortTicks;
  FTickCount = s->FTickCount;
  FNumTicks = s->FNumTicks;
  FDecPlaces = s->FDecPlaces;
  FDrawBaseLine = s->FDrawBaseLine;
  FTransparent = s->FTransparent;
  FLabelType = s->FLabelType;
  FDTFormat->Assign(s->FDTFormat.get());
  FMarginTop = s->FMarginTop;
  FMarginBottom = s->FMarginBottom;
  FMarginLeft = s->FMarginLeft;
  FMarginRight = s->FMarginRight;
  FLblPosX = s->FLblPosX;
  FLblPosY = s->FLblPosY;
  FUserTicktext = s->FUserTicktext;
  FScaleInscript = s->FScaleInscript;
  FScaleTickPos = s->FScaleTickPos;
  FUnitLabel = s->FUnitLabel;
  FLblAnchor = s->FLblAnchor;
  FLblAlign = s->FLblAlign;
  FForCvPosX = s->FForCvPosX;
  FForCvPosY = s->FForCvPosY;
  FScaleType = s->FScaleType;
  FIsHelper = s->FIsHelper;
  OnBeforeScaleRendered = s->OnBeforeScaleRendered;
  OnAfterScaleRendered = s->OnAfterScaleRendered;
  FSuppressPaint = s->FSuppressPaint;
  TriggerPaint();
}

// ---- transform -------------------------------------------------------------------------------
void TScale::AdjustScalePars() {
  if (IsLoading() || FRangeHigh == FRangeLow) return;
  const bool horiz = Horizontal();
  const Double L =
      horiz ? Width() - FMarginLeft - FMarginRight - 1 : Height() - FMarginTop - FMarginBottom - 1;
  if (L <= 0) {
    FTransf_k = 0;
    FTransf_d = (horiz ? Width() : Height()) / 2;
    return;
  }
  Double lo = FRangeLow, hi = FRangeHigh;
  if (FAxLog) {
    if (lo <= 0 || hi <= 0) return;  // no logarithm: the old transform stays
    lo = std::log(lo);
    hi = std::log(hi);
  }
  if (horiz) {
    FTransf_k = L / (hi - lo);
    FTransf_d = FMarginLeft - FTransf_k * lo;
  } else {
    FTransf_k = L / (lo - hi);
    FTransf_d = FMarginTop - FTransf_k * hi;
  }
}

Integer TScale::R2M(Double Value) const {
  Double p;
  if (!FAxLog) {
    p = FTransf_k * Value + FTransf_d;
  } else if (Value > kLogFloor) {
    p = FTransf_k * std::log(Value) + FTransf_d;
  } else if (Horizontal()) {
    p = FRangeHigh >= FRangeLow ? 0 : Width();
  } else {
    p = FRangeHigh >= FRangeLow ? Height() : 0;
  }
  return RoundPixel(p);
}

Double TScale::M2R(Integer Pixel) const {
  if (FTransf_k == 0) return Center();
  const Double u = (Pixel - FTransf_d) / FTransf_k;
  return FAxLog ? std::exp(u) : u;
}

Double TScale::GetTickPos(Integer ix) const {
  if (ix < 1 || ix > FTickCount) return 0;
  return FScaleTickPos[static_cast<size_t>(ix - 1)];
}

// ---- setters ---------------------------------------------------------------------------------
void TScale::SetMarginTop(Integer Value) {
  FMarginTop = std::max(Value, 0);
  AdjustScalePars();
  TriggerPaint();
}

void TScale::SetMarginBottom(Integer Value) {
  FMarginBottom = std::max(Value, 0);
  AdjustScalePars();
  TriggerPaint();
}

void TScale::SetMarginLeft(Integer Value) {
  FMarginLeft = std::max(Value, 0);
  AdjustScalePars();
  TriggerPaint();
}

void TScale::SetMarginRight(Integer Value) {
  FMarginRight = std::max(Value, 0);
  AdjustScalePars();
  TriggerPaint();
}

void TScale::SetScaleType(TScaleType Value) {
  if (Value == FScaleType) return;
  FScaleType = Value;
  AdjustScalePars();
  TriggerPaint();
}

void TScale::SetRangeLow(Double Value) {
  if (Value == FRangeHigh)
    StoreRange(Value, Value + 1);
  else
    StoreRange(Value, FRangeHigh);
}

void TScale::SetRangeHigh(Double Value) {
  if (Value == FRangeLow)
    StoreRange(Value - 1, Value);
  else
    StoreRange(FRangeLow, Value);
}

void TScale::SetRange(Double LowVal, Double HighVal) {
  StoreRange(LowVal, LowVal == HighVal ? LowVal + 1 : HighVal);
}

void TScale::StoreRange(Double Low, Double High) {
  if (!UsableRange(Low, High)) return;
  FRangeLow = Low;
  FRangeHigh = High;
  AdjustScalePars();
  TriggerPaint();
}

void TScale::SetLogarithmic(bool Value) {
  if (!Value || LogarithmicAllowed(FRangeLow, FRangeHigh, FLabelType, FNotYetLoaded))
    FAxLog = Value;
  AdjustScalePars();
  TriggerPaint();
}

void TScale::SetDecPlaces(Integer Value) {
  FDecPlaces = std::clamp(Value, -3, 12);
  AdjustScalePars();
  TriggerPaint();
}

void TScale::SetLabelType(TFigType Value) {
  FLabelType = Value;
  if (Value == ftDateTime) {
    FAxLog = false;
    AdjustScalePars();
  }
  if (Value == ftTime) FDecPlaces = 4;
  TriggerPaint();
}

void TScale::SetMinTicks(Integer Value) {
  FNumTicks = Value == 0 ? 0 : std::clamp(Value, 2, 10);
  TriggerPaint();
}

void TScale::SetShortTicks(bool Value) {
  if (Value == FShortTicks) return;
  FShortTicks = Value;
  TriggerPaint();
}

void TScale::SetColorScale(TColor Value) {
  if (Value == FColorFG) return;
  FColorFG = Value;
  TriggerPaint();
}

void TScale::SetColorBackGnd(TColor Value) {
  if (Value == FColorBG) return;
  FColorBG = Value;
  TriggerPaint();
}

void TScale::SetIsHelperComponent(bool Value) {
  if (Value == FIsHelper) return;
  FIsHelper = Value;
  TriggerPaint();
}

void TScale::SetFrameStyle(TFrameStyle Value) {
  if (Value == FFrameStyle) return;
  FFrameStyle = Value;
  TriggerPaint();
}

void TScale::SetColorScheme(TColorScheme Value) {
  if (Value == FColorScheme) return;
  FColorScheme = Value;
  FColGrayLine = Value == csSystem ? clBtnShadow : 0x808080;
  FColWhiteLine = Value == csSystem ? clBtnHighlight : 0xFFFFFF;
  TriggerPaint();
}

void TScale::SetDateFormat(TDTLabel* Value) {
  FDTFormat->Assign(Value);
  TriggerPaint();
}

#define KESTAL_STORE_AND_PAINT(Setter, Type, Field) \
  void TScale::Setter(Type Value) {                 \
    Field = Value;                                  \
    TriggerPaint();                                 \
  }
KESTAL_STORE_AND_PAINT(SetCaption, const String&, FUnitLabel)
KESTAL_STORE_AND_PAINT(SetCaptionPosX, Integer, FLblPosX)
KESTAL_STORE_AND_PAINT(SetCaptionPosY, Integer, FLblPosY)
KESTAL_STORE_AND_PAINT(SetCaptionAlignment, TAlignment, FLblAlign)
KESTAL_STORE_AND_PAINT(SetCaptionAnchor, TScaleUnitAnchor, FLblAnchor)
KESTAL_STORE_AND_PAINT(SetShowBaseLine, bool, FDrawBaseLine)
KESTAL_STORE_AND_PAINT(SetTransparent, bool, FTransparent)
KESTAL_STORE_AND_PAINT(SetUserTickText, const String&, FUserTicktext)
KESTAL_STORE_AND_PAINT(SetScaleInscript, const String&, FScaleInscript)
KESTAL_STORE_AND_PAINT(SetForeignCanvasPosX, Integer, FForCvPosX)
KESTAL_STORE_AND_PAINT(SetForeignCanvasPosY, Integer, FForCvPosY)
#undef KESTAL_STORE_AND_PAINT

void TScale::SetSuppressPaint(bool Value) {
  if (Value == FSuppressPaint) return;
  FSuppressPaint = Value;
  if (!Value) TriggerPaint();
}

void TScale::UseForeignCanvas(TCanvas* ForeignCv, Integer x, Integer y) {
  FForeignCv = ForeignCv;
  FForCvPosX = x;
  FForCvPosY = y;
}

void TScale::ForcePaint() {
  const bool saved = FSuppressPaint;
  FSuppressPaint = false;
  TriggerPaint();
  FSuppressPaint = saved;
}

void TScale::Changed(TObject*) { TriggerPaint(); }

void TScale::TriggerPaint() {
  if (FTransparent && !FIsHelper)
    Invalidate();
  else
    Repaint();
}

// ---- painting --------------------------------------------------------------------------------
void TScale::Paint() {
  if (!Visible() || IsLoading() || FSuppressPaint) return;
  TCanvas* target = FForeignCv != nullptr ? FForeignCv : Canvas();
  const Integer offX = FForeignCv != nullptr ? FForCvPosX : 0;
  const Integer offY = FForeignCv != nullptr ? FForCvPosY : 0;
  target->SetFont(Font());
  if (OnBeforeScaleRendered) OnBeforeScaleRendered(this, target);
  if (FTransparent) {
    target->Pen()->SetColor(FColorFG);
    RenderOnto(target, offX, offY);
    if (OnAfterScaleRendered) OnAfterScaleRendered(this, target);
    return;
  }
  TBitmap bmp(Width(), Height());
  TCanvas* cv = bmp.Canvas();
  cv->SetFont(Font());
  cv->Pen()->SetColor(FColorBG);
  cv->Brush()->SetColor(FColorBG);
  cv->Brush()->SetStyle(bsSolid);
  cv->Rectangle(0, 0, Width(), Height());
  cv->Pen()->SetColor(FColorFG);
  RenderOnto(cv, 0, 0);
  if (OnAfterScaleRendered) OnAfterScaleRendered(this, cv);
  DrawFrame(cv, FFrameStyle, 0, 0, Width() - 1, Height() - 1, FColWhiteLine, 0xC0C0C0, FColGrayLine,
            FColBlackLine, FColBlackLine);
  target->Draw(FForeignCv != nullptr ? FForCvPosX : 0, FForeignCv != nullptr ? FForCvPosY : 0,
               &bmp);
}

void TScale::RenderOnto(TCanvas* Canvas, Integer OffX, Integer OffY) {
  const Integer first = FScaleType == sctXB || FScaleType == sctXT ? FMarginLeft : FMarginTop;
  const Integer last = Horizontal() ? Width() - FMarginRight - 1 : Height() - FMarginBottom - 1;
  Integer base = 0;
  switch (FScaleType) {
    case sctXB: base = OffY + Height() - FMarginBottom - 1; break;
    case sctXT: base = OffY + FMarginTop; break;
    case sctYL: base = OffX + FMarginLeft; break;
    case sctYR: base = OffX + Width() - FMarginRight - 1; break;
  }
  if (Horizontal())
    DrawXScale(Canvas, base);
  else
    DrawYScale(Canvas, base);
  if (!FDrawBaseLine) return;
  if (Horizontal()) {
    Canvas->MoveTo(first, base);
    Canvas->LineTo(last, base);
  } else {
    Canvas->MoveTo(base, first);
    Canvas->LineTo(base, last);
  }
}

// ---- drawing the ticks -----------------------------------------------------------------------
void TScale::DrawYScale(TCanvas* Canvas, Integer x) { DrawScale(Canvas, x); }

void TScale::DrawXScale(TCanvas* Canvas, Integer y) {
  if (FNumTicks != 0) FNumTicks = std::clamp(FNumTicks, 2, 20);
  DrawScale(Canvas, y);
}

void TScale::DrawScale(TCanvas* Canvas, Integer Base) {
  Canvas->Brush()->SetStyle(FTransparent ? bsClear : bsSolid);
  FTickCount = 0;
  FScaleTickPos.assign(MaxTickPos, 0);
  FLabelNo = 0;
  if (FLabelType == ftDateTime) {
    DrawDateTimeTicks(Canvas, Base);
  } else if (FLabelType != ftTime || !DrawTimeTicks(Canvas, Base)) {
    if (FAxLog)
      DrawLogTicks(Canvas, Base);
    else
      DrawLinearTicks(Canvas, Base);
  }
  DrawCaption(Canvas, Base);
}

void TScale::DrawCaption(TCanvas* Canvas, Integer Base) {
  if (FUnitLabel.empty()) return;
  Integer ax, ay;
  if (Horizontal()) {
    Integer b = FMarginLeft;
    if (FLblAnchor == uaSclCenter) b = FMarginLeft + (Width() - FMarginLeft - FMarginRight) / 2;
    if (FLblAnchor == uaSclBotRgt) b = Width() - FMarginRight;
    ax = FLblPosX + b;
    ay = Base + FLblPosY;
  } else {
    Integer a = FMarginTop;
    if (FLblAnchor == uaSclCenter) a = FMarginTop + (Height() - FMarginTop - FMarginBottom) / 2;
    if (FLblAnchor == uaSclBotRgt) a = Height() - FMarginBottom;
    ax = Base + FLblPosX;
    ay = FLblPosY + a;
  }
  const Integer w = Canvas->TextWidth(FUnitLabel);
  if (FLblAlign == taRightJustify) ax -= w;
  if (FLblAlign == taCenter) ax -= w / 2;
  Canvas->TextOut(ax, ay, FUnitLabel);
}

void TScale::RecordTick(Double v) {
  if (FTickCount >= MaxTickPos) return;
  FScaleTickPos[static_cast<size_t>(FTickCount)] = v;
  ++FTickCount;
}

void TScale::DrawTick(TCanvas* Canvas, Integer Base, Double v, bool Long) {
  const Integer p = R2M(v);
  const Integer len = !Long ? kShortTick : Horizontal() ? kLongTickX : kLongTickY;
  switch (FScaleType) {
    case sctYL:
      Canvas->MoveTo(Base, p);
      Canvas->LineTo(Base + len, p);
      break;
    case sctYR:
      Canvas->MoveTo(Base, p);
      Canvas->LineTo(Base - len, p);
      break;
    case sctXT:
      Canvas->MoveTo(p, Base);
      Canvas->LineTo(p, Base + len);
      break;
    case sctXB:
      Canvas->MoveTo(p, Base);
      Canvas->LineTo(p, Base - len);
      break;
  }
  if (!OnScaleTickDrawn) return;
  if (Horizontal())
    OnScaleTickDrawn(this, Canvas, FScaleType, v, p, Base);
  else
    OnScaleTickDrawn(this, Canvas, FScaleType, v, Base, p);
}

void TScale::DrawTickLabel(TCanvas* Canvas, Integer Base, Integer p, String Text, Double v) {
  if (OnBeforeTickLabel) OnBeforeTickLabel(this, FScaleType, v, Text);
  if (Text.empty()) return;
  const Integer w = Canvas->TextWidth(Text);
  if (Horizontal()) {
    const Integer h = Canvas->TextHeight(Text);
    Integer left = p - std::min(w / 2, p - 2);
    if (p + w / 2 >= Width() - 2) left = Width() - 2 * (w / 2) - 2;
    const Integer top = FScaleType == sctXT ? Base + kLabelGapX : Base - kLabelGapX - h;
    Canvas->TextOut(left, top, Text);
    return;
  }
  const Integer h = Canvas->TextHeight("0");
  const Integer left = FScaleType == sctYL ? Base + kLabelGapY : Base - kLabelGapY - w;
  Canvas->TextOut(left, p - h / 2, Text);
}

// width is the field FormatTickNumber gets: 1, or for the exponent form 7 plus its decimals.
String TScale::LinearLabel(Double& v, Integer dp, Integer width) const {
  const Double span = std::fabs(FRangeHigh - FRangeLow);
  String text;
  if (std::fabs(v / (FRangeHigh - FRangeLow)) < 1e-14) {
    v = 0;
    if (dp == 0 && span > 100000)
      text = "0";
    else if (dp != 0 && span > 100000)
      text = "0.0";
    else
      text = ScaleText::FormatTickNumber(1, dp, 0);
  } else {
    text = ScaleText::FormatTickNumber(width, dp, v);
  }
  if (text.size() > kMaxLabelLength) text.resize(kMaxLabelLength);
  if (FDecPlaces == 0 && std::fabs(v - std::nearbyint(v)) > 1e-6) text.clear();
  if (FLabelType == ftUserText) return ScaleText::ExtractUserText(FUserTicktext, FLabelNo);
  return ScaleText::AddScaleInscription(text, FScaleInscript);
}

String TScale::LogLabel(Double v, Integer dp, Integer e, Integer f, Integer& n) const {
  String text;
  if (dp == -3)
    text = f == 1 ? ScaleText::FormatTickNumber(1, 0, e) : "";
  else
    text = ScaleText::FormatTickNumber(1, dp, v);
  if (text.size() > kMaxLabelLength) text.resize(kMaxLabelLength);
  if (FDecPlaces == -2 && text.find('.') != String::npos &&
      text.find_first_of("eE") == String::npos) {
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
  }
  ++n;
  if (FLabelType == ftUserText) return ScaleText::ExtractUserText(FUserTicktext, n);
  return ScaleText::AddScaleInscription(text, FScaleInscript);
}

void TScale::DrawLinearTicks(TCanvas* Canvas, Integer Base) {
  Extended first = 0, step = 0;
  Word nsub = 1;
  CalcScalePars(FNumTicks, FRangeLow, FRangeHigh, first, step, nsub);
  const Double First = static_cast<Double>(first), Step = static_cast<Double>(step);
  if (Step == 0 || !std::isfinite(First) || !std::isfinite(Step)) return;
  const Integer subs = nsub == 0 ? 1 : nsub;
  const Double SubStep = Step / subs;
  const Double dir = FRangeHigh > FRangeLow ? 1 : -1;
  // The loops below also end by count: a step below the resolution of the values would
  // otherwise never reach RangeHigh.
  const Double longTicks = std::floor((FRangeHigh - First) / Step) + 2;
  if (!(longTicks <= kMaxLongTicks)) return;
  const Integer lastLong = static_cast<Integer>(longTicks);
  if (FShortTicks) {
    for (Integer i = 0; i <= (lastLong + 1) * subs; ++i) {
      const Double v = (First - Step) + i * SubStep;
      if (dir * (v - FRangeHigh) > 0.001 * std::fabs(SubStep)) break;
      if (dir * v < dir * FRangeLow) continue;
      RecordTick(v);
      DrawTick(Canvas, Base, v, false);
    }
  }
  const Integer dp = ScaleText::AutoDecPlacesLin(FDecPlaces, FRangeHigh, FRangeLow);
  // The automatic exponent form carries the digits that tell neighbouring ticks apart; an
  // exponent form set by the user keeps its one decimal.
  const Integer width = dp == -1 && dp != FDecPlaces
                            ? 7 + ScaleText::AutoExponentDecimals(Step, FRangeLow, FRangeHigh)
                            : 1;
  // Side by side, those long labels may not fit between two ticks: then only every n-th tick
  // keeps its label, so that none runs into the next.
  Integer labelEvery = 1;
  if (width > 1 && Horizontal() && FLabelType != ftNoFigs) {
    Integer widest = 0;
    for (Integer j = 0; j <= lastLong; ++j) {
      Double v = First + j * Step;
      if (dir * (v - FRangeHigh) > 0.001 * std::fabs(Step)) break;
      widest = std::max(widest, Canvas->TextWidth(LinearLabel(v, dp, width)));
    }
    const Integer room = std::abs(R2M(First + Step) - R2M(First));
    const Integer need = widest + Canvas->TextWidth("0");
    if (room > 0 && need > room) labelEvery = (need + room - 1) / room;
  }
  for (Integer j = 0; j <= lastLong; ++j) {
    Double v = First + j * Step;
    if (dir * (v - FRangeHigh) > 0.001 * std::fabs(Step)) break;
    if (!FShortTicks) RecordTick(v);
    DrawTick(Canvas, Base, v, true);
    if (FLabelType == ftNoFigs) continue;
    const Integer p = R2M(v);
    FLabelNo = j + 1;
    const String text = j % labelEvery == 0 ? LinearLabel(v, dp, width) : String();
    DrawTickLabel(Canvas, Base, p, text, v);
  }
}

void TScale::DrawLogTicks(TCanvas* Canvas, Integer Base) {
  const Double decades = std::log10(FRangeHigh / FRangeLow);
  if (std::fabs(decades) < 1) {
    DrawLinearTicks(Canvas, Base);
    return;
  }
  const bool many = FNumTicks > std::fabs(decades) + 0.5;
  const Double lo = std::min(FRangeLow, FRangeHigh), hi = std::max(FRangeLow, FRangeHigh);
  const Integer dp = ScaleText::AutoDecPlacesLog(FDecPlaces, lo, hi);
  Integer n = 0;
  // Values below 1e-100 all lie on the axis' end: no tick goes below that.
  const Double from = std::max(lo, kLogFloor);
  Integer e = static_cast<Integer>(std::floor(std::log10(from * kLogTol)));
  const Double base = std::pow(10.0, e);
  Double mult = 1;
  Integer decadesDone = 0;
  auto tick = [&](Integer f, bool isLong) {
    const Double v = f * base * mult;
    if (!(from * kLogTol < v && v < hi / kLogTol)) return;
    RecordTick(v);
    DrawTick(Canvas, Base, v, isLong);
    if (!isLong || FLabelType == ftNoFigs) return;
    DrawTickLabel(Canvas, Base, R2M(v), LogLabel(v, dp, e, f, n), v);
  };
  do {
    tick(1, true);
    if (many) {
      for (Integer f = 2; f <= 9; ++f) {
        const bool isLong = f == 2 || f == 5;
        if (isLong || FShortTicks) tick(f, isLong);
      }
    }
    mult *= 10;
    ++e;
  } while (!(hi < kLogTol * base * mult) && ++decadesDone < kMaxDecades);
}

bool TScale::DrawTimeTicks(TCanvas* Canvas, Integer Base) {
  if (FNumTicks == 0) return false;
  const Double q = std::fabs(FRangeHigh - FRangeLow) / FNumTicks;
  Integer idx = 28;
  while (idx >= 1 && kTimeSteps[idx].step > q) --idx;
  if (idx < 1 || idx > kLastUsableTimeStep) return false;
  const Double dir = FRangeHigh > FRangeLow ? 1 : -1;
  const Double Step = dir * kTimeSteps[idx].step;
  const Double SubStep = Step / kTimeSteps[idx].sub;
  const Integer count = static_cast<Integer>(std::trunc((FRangeHigh - FRangeLow) / SubStep)) + 5;
  const Double First = std::floor(FRangeLow / Step / kLogTol) * Step;
  const Double lowLim = FRangeLow >= 0 ? FRangeLow * kLogTol : FRangeLow / kLogTol;
  const Double highLim = FRangeHigh > 0 ? FRangeHigh / kLogTol : FRangeHigh * kLogTol;
  auto inside = [&](Double v) { return dir * lowLim <= dir * v && dir * v <= dir * highLim; };
  if (FShortTicks) {
    for (Integer k = 0; k <= count; ++k) {
      const Double v = First + k * SubStep;
      if (!inside(v)) continue;
      RecordTick(v);
      DrawTick(Canvas, Base, v, false);
    }
  }
  for (Integer k = 0; k <= count; ++k) {
    const Double v = First + k * SubStep;
    const Double r = v / Step;
    if (std::fabs(r - std::round(r)) >= 0.01 || !inside(v)) continue;
    if (!FShortTicks) RecordTick(v);
    DrawTick(Canvas, Base, v, true);
    DrawTickLabel(Canvas, Base, R2M(v), ScaleText::SecondsTickText(idx <= kLastMillisecondStep, v),
                  v);
  }
  return true;
}

// ---- mouse -----------------------------------------------------------------------------------
void TScale::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if ((Shift & ssLeft) == 0) return;
  const bool inside = Horizontal()
                          ? FMarginLeft < X && X < Width() - FMarginRight && 0 < Y && Y < Height()
                          : 0 < X && X < Width() && FMarginTop < Y && Y < Height() - FMarginBottom;
  if (!inside) return;
  if (!FLButtonWasDown) {
    FMAnchorX = X;
    FMAnchorY = Y;
    FMAnchorWorldLow = FRangeLow;
    FMAnchorWorldHigh = FRangeHigh;
  } else {
    Double lo = FRangeLow, hi = FRangeHigh;
    if (Rescale(X, Y, FMAnchorX, FMAnchorY, Width(), Height(), FMarginLeft, FMarginRight,
                FMarginTop, FMarginBottom, FMAnchorWorldLow, FMAnchorWorldHigh, FMouseAction,
                FScaleType, FAxLog, FRangeLow, FRangeHigh, lo, hi)) {
      const bool saved = FSuppressPaint;
      FSuppressPaint = true;
      SetRange(lo, hi);
      SetSuppressPaint(saved);
      if (OnZoomPan) OnZoomPan(this);
    }
  }
  FLButtonWasDown = true;
}

void TScale::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FLButtonWasDown = false;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TScale::DblClick() {
  if (FMouseAction == maPan)
    FMouseAction = maZoom;
  else if (FMouseAction == maZoom)
    FMouseAction = maPan;
  TCustomControl::DblClick();
}
