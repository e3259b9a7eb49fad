#pragma once
// The axis control TScale: one axis (base line, long and short ticks, tick labels, caption) for
// a value range on a linear or logarithmic scale, with numeric, time, date/time or user tick
// labels. It converts values to pixels and back and lets the user pan and zoom its range with
// the mouse.
//
// Three uses: a control on a window; an invisible helper without a widget whose drawing goes
// onto another control's canvas (a chart owns 32 of them, the colour scale one); the helper's
// owner points it at its canvas with UseForeignCanvas, keeps SuppressPaint set while it changes
// several settings, and draws it with ForcePaint.
//
// Painting is synchronous: every setter that changes what is shown paints at once (into the
// control's persistent image or the foreign canvas) unless SuppressPaint is set. A scale that
// is not Visible does no drawing and no text work at all.
//
// The transform: pixel = k * v + d (k * ln v + d on a logarithmic axis). On a horizontal axis
// RangeLow lies at x = MarginLeft and RangeHigh at x = Width - MarginRight - 1; on a vertical
// one RangeHigh at y = MarginTop and RangeLow at y = Height - MarginBottom - 1. Pixels are
// rounded half to even.

#include <functional>
#include <vector>

#include "Controls.h"
#include "DOV_sdlbase.h"
#include "DOV_sdlbase_draw.h"
#include "StdCtrls.h"

enum TScaleUnitAnchor { uaSclTopLft, uaSclCenter, uaSclBotRgt };

// A mouse pan or zoom changed the range.
using TZoomPanEvent = TNotifyEvent;
// After each tick is drawn: its value and the pixel where it meets the base line.
using TScaleTickDrawnEvent =
    std::function<void(TObject* Sender, TCanvas* Canvas, TScaleType ScaleType,
                       Double CurrentTickPos, Integer ChartX, Integer ChartY)>;
// Before each tick label is measured and drawn; the handler may change the text.
using TBeforeTickLabelEvent = std::function<void(TObject* Sender, TScaleType ScaleType,
                                                 Double CurrentTickPos, String& TickLabel)>;
using TScaleRenderedEvent = std::function<void(TObject* Sender, TCanvas* Canvas)>;

// The steps of date/time ticks, finest first.
enum TDateTimeTickKind {
  dtkHundredths,
  dtkSeconds,
  dtkMinutes,
  dtkHours,
  dtkDays,
  dtkMonths,
  dtkYears
};

// ---- label texts -----------------------------------------------------------------------------
// The texts beside the ticks. Used by the scale's drawing and by the chart; public so that they
// can be checked on their own.
namespace ScaleText {
// Decimals >= 0: fixed notation padded with blanks to Width; magnitudes beyond
// 6.64613997892457936e35 or below 1e-35 (non-zero) fall back to the exponent form with four
// exponent digits. Decimals -1: the exponent form " 1.2E+03" (two exponent digits), or eight
// asterisks when the exponent needs three or more. Mantissa digits round half to even on the
// exact binary value.
String FormatTickNumber(Integer Width, Integer Decimals, Double Value);
// Decimals for a linear or logarithmic range with ends a and b; DecPlaces itself unless it is
// one of the automatic settings (-2, -3 linear; -2 logarithmic).
Integer AutoDecPlacesLin(Integer DecPlaces, Extended a, Extended b);
Integer AutoDecPlacesLog(Integer DecPlaces, Extended a, Extended b);
// Mantissa decimals of the automatic exponent form on a linear range with ends a and b and
// ticks Step apart: enough that neighbouring ticks read differently (1.416E+09, 1.418E+09), at
// least 1 and at most 7, the most a label of 14 characters holds; where 7 are not enough to
// tell them apart, 1.
Integer AutoExponentDecimals(Extended Step, Extended a, Extended b);
// Sign character (blank or "-"), hh:mm:ss and with milliseconds ".zzz"; hours grow beyond two
// digits, milliseconds may read 1000.
String SecondsTickText(bool WithMilliseconds, Double Seconds);
// Value is a linear day count (-1.25 is 28 December 1899, 18:00); it is turned into the
// toolkit's date/time encoding and formatted with Format. Dates after 31 December 9999 and
// before 1 January of the year 1 give an empty text.
String FormatTickDateTime(const String& Format, Double Value);
// The date of Value in the given order with DateSeparator, the month as a name or a number.
String DateTickText(bool MonthName, TYearLength YearLength, TDateOrder DateOrder, Double Value,
                    char DateSeparator);
// The label of a date/time tick of the given kind, as DateFormat says.
String DateTimeTickText(TDateTimeTickKind Kind, const TDTLabel& DateFormat, Double Value);
// The ix-th field (1-based) of a text with fields separated by "|"; past the last field the
// last one, ix <= 0 or an empty text "".
String ExtractUserText(const String& Text, Integer ix);
// Prefix + Value + suffix, the inscription split at its first "&" (no "&": all prefix); an
// empty Value stays empty.
String AddScaleInscription(const String& Value, const String& Inscription);
}  // namespace ScaleText

// The arithmetic of a mouse pan or zoom on an axis area (Width x Height with margins): the
// range that follows a drag from (AnchorX, AnchorY), when the range was AnchorLow..AnchorHigh,
// to (X, Y). True with NewLow/NewHigh set for maPan, maZoom and maZoomDrag (left untouched for
// an unknown scale type); false for every other action.
bool Rescale(Integer X, Integer Y, Integer AnchorX, Integer AnchorY, Integer Width, Integer Height,
             Integer MarginLeft, Integer MarginRight, Integer MarginTop, Integer MarginBottom,
             Double AnchorLow, Double AnchorHigh, TMouseActMode MouseAction, TScaleType ScaleType,
             bool Logarithmic, Double RangeLow, Double RangeHigh, Double& NewLow, Double& NewHigh);

// The range rules every axis shares (this control, the chart's axis settings and its ranges).
// A range is usable when both ends and the span between them are finite numbers: an end that
// is not finite, or a span that overflows, has no pixel scale and is refused where a range is
// set (the range stays as it was).
bool UsableRange(Double Low, Double High);
// Whether an axis over Low..High may become logarithmic. A logarithmic axis shows nothing
// below 1e-100, and date/time labels need a linear axis. Until the owner has finished loading
// its settings the range may still be on its way, so then only an end that lies below 1e-100
// and yet above 0 (one that is surely meant) refuses the switch; ends of 0 or below are left
// to the transform.
bool LogarithmicAllowed(Double Low, Double High, TFigType LabelType, bool NotYetLoaded);

class TScale : public TCustomControl {
public:
  static constexpr Integer MaxTickPos = 250;

  explicit TScale(TComponent* AOwner);
  // A helper axis: no widget, it only draws for its owner.
  struct THelper {};
  TScale(TComponent* AOwner, THelper);
  ~TScale() override;
  String ClassName() const override { return "TScale"; }

  void Assign(TPersistent* Source) override;
  void Loaded() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  void ResetComp();
  // Equal ends are moved apart by one; a range that is not usable (UsableRange) is refused,
  // here and by SetRangeLow and SetRangeHigh.
  void SetRange(Double LowVal, Double HighVal);
  Integer ConvertToPixelCoords(Double Value) const { return R2M(Value); }
  Double ConvertPixelToScale(Integer PixelCoord) const { return M2R(PixelCoord); }
  Integer R2M(Double Value) const;
  // With no usable length (k = 0) the answer is the centre of the range.
  Double M2R(Integer Pixel) const;
  // The ix-th recorded tick value for 1 <= ix <= NumTicks, else 0.
  Double GetTickPos(Integer ix) const;
  void UseForeignCanvas(TCanvas* ForeignCv, Integer x, Integer y);
  void ForcePaint();
  void Changed(TObject* Sender);
  void AdjustScalePars();
  void TriggerPaint();
  void DrawXScale(TCanvas* Canvas, Integer y);
  void DrawYScale(TCanvas* Canvas, Integer x);
  String ExtractUserText(const String& Text, Integer ix) const {
    return ScaleText::ExtractUserText(Text, ix);
  }
  String AddScaleInscription(const String& Value, const String& Inscription) const {
    return ScaleText::AddScaleInscription(Value, Inscription);
  }

  // ---- properties ----
  TScaleType ScaleType() const { return FScaleType; }
  void SetScaleType(TScaleType Value);
  Double RangeLow() const { return FRangeLow; }
  Double RangeHigh() const { return FRangeHigh; }
  void SetRangeLow(Double Value);
  void SetRangeHigh(Double Value);
  Double Center() const { return (FRangeLow + FRangeHigh) / 2; }
  bool Logarithmic() const { return FAxLog; }
  void SetLogarithmic(bool Value);
  Integer MarginTop() const { return FMarginTop; }
  Integer MarginBottom() const { return FMarginBottom; }
  Integer MarginLeft() const { return FMarginLeft; }
  Integer MarginRight() const { return FMarginRight; }
  void SetMarginTop(Integer Value);
  void SetMarginBottom(Integer Value);
  void SetMarginLeft(Integer Value);
  void SetMarginRight(Integer Value);
  Integer MinTicks() const { return FNumTicks; }
  void SetMinTicks(Integer Value);
  Integer NumTicks() const { return FTickCount; }
  bool ShortTicks() const { return FShortTicks; }
  void SetShortTicks(bool Value);
  Integer DecPlaces() const { return FDecPlaces; }
  void SetDecPlaces(Integer Value);
  TFigType LabelType() const { return FLabelType; }
  void SetLabelType(TFigType Value);
  TDTLabel* DateFormat() const { return FDTFormat.get(); }
  void SetDateFormat(TDTLabel* Value);
  const String& UserTickText() const { return FUserTicktext; }
  void SetUserTickText(const String& Value);
  const String& ScaleInscript() const { return FScaleInscript; }
  void SetScaleInscript(const String& Value);
  // The axis caption; it replaces the control's own caption.
  const String& Caption() const { return FUnitLabel; }
  void SetCaption(const String& Value);
  Integer CaptionPosX() const { return FLblPosX; }
  Integer CaptionPosY() const { return FLblPosY; }
  void SetCaptionPosX(Integer Value);
  void SetCaptionPosY(Integer Value);
  TAlignment CaptionAlignment() const { return FLblAlign; }
  void SetCaptionAlignment(TAlignment Value);
  TScaleUnitAnchor CaptionAnchor() const { return FLblAnchor; }
  void SetCaptionAnchor(TScaleUnitAnchor Value);
  bool ShowBaseLine() const { return FDrawBaseLine; }
  void SetShowBaseLine(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  TColor ColorScale() const { return FColorFG; }
  void SetColorScale(TColor Value);
  TColor ColorBackGnd() const { return FColorBG; }
  void SetColorBackGnd(TColor Value);
  TFrameStyle FrameStyle() const { return FFrameStyle; }
  void SetFrameStyle(TFrameStyle Value);
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme Value);
  TMouseActMode MouseAction() const { return FMouseAction; }
  void SetMouseAction(TMouseActMode Value) { FMouseAction = Value; }
  bool IsHelperComponent() const { return FIsHelper; }
  void SetIsHelperComponent(bool Value);
  Integer ForeignCanvasPosX() const { return FForCvPosX; }
  Integer ForeignCanvasPosY() const { return FForCvPosY; }
  void SetForeignCanvasPosX(Integer Value);
  void SetForeignCanvasPosY(Integer Value);
  bool SuppressPaint() const { return FSuppressPaint; }
  void SetSuppressPaint(bool Value);

  TScaleTickDrawnEvent OnScaleTickDrawn;
  TBeforeTickLabelEvent OnBeforeTickLabel;
  TScaleRenderedEvent OnBeforeScaleRendered;
  TScaleRenderedEvent OnAfterScaleRendered;
  TZoomPanEvent OnZoomPan;

  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;

protected:
  void AssignTo(TPersistent* Dest) override;
  void CreateWnd() override;
  void Paint() override;

private:
  void Init();
  // Takes Low..High as the range when it is usable (else nothing changes) and repaints.
  void StoreRange(Double Low, Double High);
  bool Horizontal() const { return FScaleType == sctXB || FScaleType == sctXT; }
  void RecordTick(Double v);
  // Draws one tick at value v across the base line at Base (a column for vertical axes, a row
  // for horizontal ones) and fires OnScaleTickDrawn.
  void DrawTick(TCanvas* Canvas, Integer Base, Double v, bool Long);
  void DrawTickLabel(TCanvas* Canvas, Integer Base, Integer p, String Text, Double v);
  void DrawLinearTicks(TCanvas* Canvas, Integer Base);
  void DrawLogTicks(TCanvas* Canvas, Integer Base);
  bool DrawTimeTicks(TCanvas* Canvas, Integer Base);
  void DrawDateTimeTicks(TCanvas* Canvas, Integer Base);
  // The parts of the date/time ticks (DOV_Scale_datetime.cpp); they share FDt.
  void DrawDateTimeMessage(TCanvas* Canvas, Integer Base, bool Invalid);
  void SelectTimeOfDayStep(TDateTimeTickKind Kind, Double d);
  void DrawTimeOfDayTicks(TCanvas* Canvas, Integer Base, TDateTimeTickKind Kind, Double d);
  void DrawDateBesideTime(TCanvas* Canvas, Integer Base, Integer p, bool FirstLong);
  void DrawDayTicks(TCanvas* Canvas, Integer Base, Double d);
  void DrawMonthTicks(TCanvas* Canvas, Integer Base);
  void DrawYearTicks(TCanvas* Canvas, Integer Base);
  // A date/time label: OnBeforeTickLabel, then placed Lines text lines beyond the first label
  // line (0 for the tick's own label, 1 for the date above or below a time).
  void DrawDateTimeLabel(TCanvas* Canvas, Integer Base, Integer p, String Text, Double v,
                         Integer Lines);
  void DrawScale(TCanvas* Canvas, Integer Base);
  void DrawCaption(TCanvas* Canvas, Integer Base);
  // Draws the axis with its base line onto Canvas, offset across the axis by (OffX, OffY).
  void RenderOnto(TCanvas* Canvas, Integer OffX, Integer OffY);
  String LinearLabel(Double& v, Integer dp, Integer width) const;
  String LogLabel(Double v, Integer dp, Integer e, Integer f, Integer& n) const;

  TScaleType FScaleType = sctXB;
  Double FRangeLow = 0;
  Double FRangeHigh = 100;
  bool FAxLog = false;
  Double FTransf_k = 1;
  Double FTransf_d = 0;
  Integer FMarginTop = 20, FMarginBottom = 20, FMarginLeft = 20, FMarginRight = 20;
  Integer FNumTicks = 3;
  Integer FTickCount = 0;
  std::vector<Double> FScaleTickPos;
  bool FShortTicks = true;
  Integer FDecPlaces = -2;
  TFigType FLabelType = ftNum;
  std::unique_ptr<TDTLabel> FDTFormat;
  String FUserTicktext;
  String FScaleInscript;
  String FUnitLabel;
  Integer FLblPosX = 4, FLblPosY = 4;
  TAlignment FLblAlign = taCenter;
  TScaleUnitAnchor FLblAnchor = uaSclTopLft;
  bool FDrawBaseLine = true;
  bool FTransparent = false;
  TColor FColorFG = clBlack;
  TColor FColorBG = clBtnFace;
  TFrameStyle FFrameStyle = fsLowered;
  TColorScheme FColorScheme = csBWG;
  TColor FColBlackLine = clBlack, FColGrayLine = 0x808080, FColWhiteLine = 0xFFFFFF;
  TMouseActMode FMouseAction = maNone;
  Integer FMAnchorX = 0, FMAnchorY = 0;
  Double FMAnchorWorldLow = 0, FMAnchorWorldHigh = 0;
  bool FLButtonWasDown = false;
  bool FIsHelper = false;
  TCanvas* FForeignCv = nullptr;
  Integer FForCvPosX = 0, FForCvPosY = 0;
  bool FSuppressPaint = true;
  bool FNotYetLoaded = true;
  // Per drawing: the labelled-tick counter of user texts.
  Integer FLabelNo = 0;
  // Per date/time drawing: the first tick, step and sub-step in days, and the day of the month
  // of the last date drawn beside a time (-1 before the first).
  struct TDateTimeState {
    Double First = 0, Step = 0, SubStep = 0;
    Integer LastDay = -1;
  } FDt;
};
