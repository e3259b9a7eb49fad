#pragma once
// The chart control TCustomZOdoza and what it is made of:
//  - the display list: fixed 104-byte drawing records (TrcChartItem, the same bytes in memory
//    and in chart files) in a data and an annotation container, long-text tables, class
//    visibility and the mouse-trace buffer;
//  - per layer (1 ... 16) the X and Y axis settings (TScalePropsHoriz, TScalePropsVert), each
//    mirrored into a helper axis TScale without a widget that draws onto the chart's bitmap;
//  - the layer coupling (TJointLayers), the background picture settings (TBakGndImg); these
//    helper classes are declared in DOV_zodoza_helpers.h;
//  - per layer the world-to-pixel transform in 80-bit precision, the zoom history, the active
//    layer and layer visibility;
//  - the plain settings (margins, colours, caption, grid, modes) as one TZOdozaSettings value
//    in DOV_zodoza_settings.h, which a reset replaces and a copy copies whole.
//
// Painting is synchronous and batched by SuppressPaint: operations that change many settings
// save it, set it and restore it through SetSuppressPaint, and clearing it paints once. Every
// change of an axis setting runs ScalePropsChanged: all 32 helpers are mirrored, every layer's
// range is forced again (so joined layers follow their masters) and the chart paints once.
//
// Indexes: layers 1 ... 16, item indexes 0-based, cross hairs 1 ... 4, text labels 1 ... 30,
// trace points 1 ... 5000, long texts 1 ... 50.

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "DOV_Scale.h"
#include "DOV_sdlbase.h"
#include "DOV_sdlbase_draw.h"
#include "DOV_textlabel.h"
#include "DOV_zodoza_helpers.h"
#include "DOV_zodoza_settings.h"

class TCustomZOdoza;
class TMetafile;

// ---- the drawing record ----------------------------------------------------------------------
enum TrcItem : Byte {
  tkNone,
  tkMarkAt,
  tkLine,
  tkLineto,
  tkRect,
  tkRectFrame,
  tk3DBar,
  tkText,
  tkMoveTo,
  tkEllipse,
  tkEverything,
  tkNotMoveTo,
  tkMoveRelPix,
  tkLineRelPix,
  tkArrow,
  tkDoubleArrow,
  tkTextOfs,
  tkRectRelPix,
  tkMarkEBar,
  tkLineOffs,
  tkArc,
  tkLineRelPixOrig,
  tkCursorVert,
  tkCursorHoriz
};
constexpr int kNumItemKinds = 24;

enum TCoordMode : Byte {
  cmAllWorld,
  cmAllScreen,
  cmWorldMainScreenSec,
  cmScreenMainWorldSec,
  cmXScreenYWorld,
  cmXWorldYScreen
};

// One drawing record, laid out byte for byte as in the chart files (little-endian, padding 0
// in records built from nothing). Text is a short string: a length byte and 17 bytes of which
// the setters use at most 15.
struct TrcChartItem {
  static constexpr int MaxShortText = 15;

  Double x = 0, y = 0, x2 = 0, y2 = 0;
  TColor Color = 0, FillColor = 0, ShadowColor = 0, HiLightColor = 0;
  TPenStyle PenStyle = psSolid;
  Byte Pad49[3] = {};
  Integer Tag = 0;
  Integer LWid = 0;  // pen width; for tkText / tkTextOfs the long-text number (0 = none)
  Byte ItemClass = 0;
  TrcItem ItemKind = tkNone;
  Byte Pad62[2] = {};
  Integer Layer = 1;
  Byte Transp = 0;
  Byte FrameStyle = fsNone;  // a TFrameStyle ordinal
  Byte TextLength = 0;
  char TextChars[17] = {};
  Integer Param1 = 0, Param2 = 0, Param3 = 0;
  TCoordMode CoordMode = cmAllWorld;
  Byte Pad101[3] = {};

  // Texts are 8-bit characters (Latin-1): SetText keeps the first 15 characters.
  String Text() const;
  void SetText(const String& Value);
  // Whether SetText keeps Value whole: at most 15 characters, none beyond Latin-1. A text
  // item whose text it would not keep draws it from its long text.
  static bool KeepsWhole(const String& Value);
};
static_assert(sizeof(TrcChartItem) == 104);
static_assert(offsetof(TrcChartItem, Color) == 32 && offsetof(TrcChartItem, PenStyle) == 48);
static_assert(offsetof(TrcChartItem, Tag) == 52 && offsetof(TrcChartItem, ItemClass) == 60);
static_assert(offsetof(TrcChartItem, Layer) == 64 && offsetof(TrcChartItem, TextLength) == 70);
static_assert(offsetof(TrcChartItem, Param1) == 88 && offsetof(TrcChartItem, CoordMode) == 100);

using TRcItemContainer = std::vector<TrcChartItem>;
constexpr int kMaxLongTexts = 50;
using TLongTextArray = std::array<String, kMaxLongTexts>;
constexpr int kMaxMouseTrace = 5000;
constexpr int kNumCrossHairs = 4;
constexpr int kNumTextLabels = 30;
constexpr int kZoomStackDepth = 16;

// The data items of a chart with what belongs to them. One object is shared by a chart and
// the charts displaying its data, so an append through any of them is seen by all.
struct TChartDataList {
  TRcItemContainer Container;
  Integer Count = 0;
  Integer Alloc = 0;
  TLongTextArray LongTexts;
  Integer NumLongTexts = 0;
  std::array<Integer, kNumItemKinds> ItemCount{};
  Integer LastElemOnShow = 0;
};

// ---- small numeric helpers of the chart ------------------------------------------------------
namespace ZOdozaMath {
// Limits each of a pixel pair to -30000 ... 30000 (the range the drawing calls of figures
// other than lines get; lines are cut to a box, ClipSegment); true when either was changed.
bool ClampPixelPair(Integer& x, Integer& y);
Double MaxDouble(Double a, Double b);  // the second when equal
Double MinDouble(Double a, Double b);  // the second when equal
Integer RoundUp(Double x);             // nearest (half to even), plus 1 when that is below x
Integer RoundDown(Double x);           // nearest (half to even), minus 1 when that is above x
// d >= 0: width w, d decimals; d = -1: the exponent form of width w (two exponent digits), or
// asterisks when the exponent needs more.
String FixedWidthNumber(Double x, Integer w, Integer d);
// A box of canvas positions, Left ... Right, Top ... Bottom (inclusive). Lines drawn on a
// picture are cut to a box a margin larger than the picture: far ends (a zoomed chart puts
// them millions of pixels away) then reach the canvas as nearby points on the same line.
struct TClipBox {
  Double Left = 0, Top = 0, Right = -1, Bottom = -1;
  bool Holds(Double x, Double y) const {
    return x >= Left && x <= Right && y >= Top && y <= Bottom;
  }
  // The picture Left ... Left + Width - 1, Top ... Top + Height - 1 and Margin around it.
  static TClipBox Around(Double Left, Double Top, Double Width, Double Height, Double Margin) {
    return {Left - Margin, Top - Margin, Left + Width - 1 + Margin, Top + Height - 1 + Margin};
  }
};
// Cuts the segment A-B to its part inside Box (the ends move along the segment, so it keeps
// its place and direction); false, with A and B unchanged, when no part of it lies inside or
// an end is not a number.
bool ClipSegment(TPointDouble& A, TPointDouble& B, const TClipBox& Box);
// An end of a line on the canvas as K * U + D per axis. A far end keeps the coordinates it had
// before the transform (world, or their logarithm): no float holds a position 1e20 pixels
// away to the pixel, but the line through two such ends is found from them exactly. A near
// end is its pixel (K = 1, D = 0).
struct TLinePoint {
  long double U = 0, V = 0, KX = 1, DX = 0, KY = 1, DY = 0;
  static TLinePoint At(TPointDouble P) { return {P.X, P.Y, 1, 0, 1, 0}; }
  long double X() const { return KX * U + DX; }
  long double Y() const { return KY * V + DY; }
  TPointDouble Position() const {  // to double: exact only near the picture
    return {static_cast<Double>(X()), static_cast<Double>(Y())};
  }
  bool SameTransform(const TLinePoint& P) const {
    return KX == P.KX && DX == P.DX && KY == P.KY && DY == P.DY;
  }
};
// The part of the segment A-B inside Box, into From and To (From on A's side); false when none
// is. Where it is cut, the cut point lies within a small part of a pixel of the true line
// however far away both ends lie and in whichever order they come.
bool ClipSegment(const TLinePoint& A, const TLinePoint& B, const TClipBox& Box,
                 TPointDouble& From, TPointDouble& To);
// The corners of Box passed on the shorter way along its edge from From to To (both on the
// edge); returns how many it wrote to Corners. A line that leaves the box and comes back goes
// this way round, outside the picture, and stays one polyline.
int BoxDetour(const TClipBox& Box, TPointDouble From, TPointDouble To, TPointDouble* Corners);
// The edges of Box that P lies beyond: 1 left, 2 right, 4 top, 8 bottom.
inline int SideOfBox(const TClipBox& Box, TPointDouble P) {
  return (P.X < Box.Left ? 1 : 0) | (P.X > Box.Right ? 2 : 0) | (P.Y < Box.Top ? 4 : 0) |
         (P.Y > Box.Bottom ? 8 : 0);
}
// P moved onto the box's edge (its nearest point when P lies outside).
TPointDouble OntoBox(const TClipBox& Box, TPointDouble P);
// The ellipse (X0 + Rx cos t, Y0 + Ry sin t) in canvas pixels, t from T0 to T0 + Sweep
// (0 < Sweep <= 2 pi), as polylines in the pen of the parts that lie in Pic; and the pixels of
// Pic inside the ellipse centred on (X0, Y0) with half axes ax, ay, filled with the brush.
// The work follows the pixels drawn, however large the ellipse.
void ClippedArc(TCanvas* Canvas, const TClipBox& Pic, Double X0, Double Y0, Double Rx, Double Ry,
                Double T0, Double Sweep);
void ClippedDisc(TCanvas* Canvas, const TClipBox& Pic, Double X0, Double Y0, Double ax,
                 Double ay);
// Widens an extent by Margin per cent of its span (of its decades on a logarithmic axis), then
// by MinRange per cent of its centre when that exceeds the span. With BothEndsPositive a
// logarithmic extent with an end <= 0 keeps its ends.
void WidenExtent(Double& lo, Double& hi, bool Log, Double Margin, Double MinRange,
                 bool BothEndsPositive);
}  // namespace ZOdozaMath

// ---- the chart -------------------------------------------------------------------------------
enum TrcLayout : Byte {
  rcl_X1Bottom_Y1Left,
  rcl_X1Bottom_Y2Left,
  rcl_X1Bottom_Y3Left,
  rcl_X1Bottom_Y4Left,
  rcl_X1Bottom_Y2Both,
  rcl_X2Bottom_Y2Left,
  rcl_X2Both_Y2Both
};

using TSelectRectEvent = std::function<void(TObject* Sender, Integer Layer, Double LoX, Double LoY,
                                            Double HiX, Double HiY)>;
using TCrossHairMoveEvent = std::function<void(TObject* Sender, Integer WhichCrossHair)>;
using TBeforeCrossHMoveEvent = std::function<void(TObject* Sender, Integer WhichCrossHair,
                                                  Integer dx, Integer dy, bool& AllowMove)>;
using TTextLabelMoveEvent = std::function<void(TObject* Sender, Integer WhichTextLabel)>;
using TMouseMoveInChartEvent = std::function<void(TObject* Sender, bool InChart, TShiftState Shift,
                                                  Double rMousePosX, Double rMousePosY)>;
using TBeforeRenderCItemEvent =
    std::function<void(TObject* Sender, TrcChartItem& ChartItem, Integer Index, bool IsAnnotation)>;
using TRenderEvent =
    std::function<void(TObject* Sender, TCanvas* Canvas, Integer Top, Integer Left)>;
using TBeforeRenderTextEvent =
    std::function<void(TObject* Sender, String& Text, Integer Index, bool IsAnnotation)>;

class TCustomZOdoza : public TCustomControl, protected TZOdozaSettings {
public:
  using TLayerArray = std::array<long double, kNumLayers + 1>;  // index 1 ... 16

  explicit TCustomZOdoza(TComponent* AOwner);
  ~TCustomZOdoza() override;
  String ClassName() const override { return "TCustomZOdoza"; }
  void Assign(TPersistent* Source) override;
  void Loaded() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  void ResetComp();

  // ---- data shared between charts ----
  TCustomZOdoza* UseDataOf() const { return FUseDataOf; }
  // Displays Value's data items (nullptr: own data again, a copy of what was shown). Refusals
  // are reported in a message box; nothing is raised.
  void SetUseDataOf(TCustomZOdoza* Value);
  Integer DataUsersNum() const { return FDataUsersNum; }
  // Sharing charts hold the same data object, so there is nothing to hand over after a
  // change; kept as the one place a change of the data list is announced.
  void AdjustCanInfoOfSharedCharts() {}

  // ---- display list ----
  Integer NumItems() const { return FData->Count; }
  Integer NumAnnos() const { return FNumAnnoItems; }
  Integer NumAllocData() const { return FData->Alloc; }
  Integer NumAllocAnno() const { return FNumAllocAnno; }
  Integer AllocSize() const { return FAllocSize; }
  void SetAllocSize(Integer Value);  // 1 ... 1000000, others ignored
  TrcChartItem GetChartItem(Integer idx) const;
  void SetChartItem(Integer idx, const TrcChartItem& Item);
  TrcChartItem GetAnnoItem(Integer idx) const;
  void SetAnnoItem(Integer idx, const TrcChartItem& Item);
  String GetDataLongText(Integer idx) const;
  void SetDataLongText(Integer idx, const String& Text);
  String GetAnnoLongText(Integer idx) const;
  void SetAnnoLongText(Integer idx, const String& Text);
  Integer GetItemCount(TrcItem Kind) const { return FData->ItemCount[Kind]; }
  // ---- chart files (DOV_zodoza_files.cpp) ----
  // Binary data / annotation files: a header record, the records, the long texts as lines.
  // Saving writes beside the file and renames over it; failures raise. Loading returns the
  // number of items read, -2 for a file of another kind, -1 for a file that cannot be read or
  // is damaged; the whole file is checked before the list changes, so a failed load leaves
  // the chart as it was.
  void SaveData(const String& FName) const;
  void SaveAnno(const String& FName) const;
  Integer LoadData(const String& FName, bool AppendIt);
  Integer LoadAnno(const String& FName, bool AppendIt);
  // A readable listing of the data items, written beside the file and renamed over it;
  // failures raise the toolkit's input/output exceptions.
  void SaveDataASC(const String& FName) const;
  // Copies Src's annotations of the listed classes (all when empty) into this chart's.
  void CopyAnnoFrom(const TCustomZOdoza* Src, const std::vector<Byte>& ClassFilter, bool AppendIt);
  bool GetClassVisib(Integer cnum) const { return FItClassVisib[static_cast<Byte>(cnum)]; }
  void SetClassVisib(Integer cnum, bool Value);
  bool GetAnnoClassVisib(Integer cnum) const { return FAnnoClassVisib[static_cast<Byte>(cnum)]; }
  void SetAnnoClassVisib(Integer cnum, bool Value);
  TColoredPoint GetMTracePoint(Integer idx) const;
  Integer NumMTracePoints() const { return FNumMTrace; }
  TColor MouseTraceColor() const { return FColorMTrace; }
  void SetMouseTraceColor(TColor Value) { FColorMTrace = Value; }
  bool MouseTraceInvert() const { return FMTraceInvert; }
  void SetMouseTraceInvert(bool Value) { FMTraceInvert = Value; }
  bool AnnoMode() const { return FAnnoMode; }
  void SetAnnoMode(bool Value);
  bool AnnoBelowChart() const { return FAnnoBelowChart; }
  void SetAnnoBelow(bool Value);
  bool AnnoTextOnTop() const { return FAnnoTextOnTop; }
  void SetAnnoTextOnTop(bool Value);
  bool AnnosVisible() const { return FAnnosVisible; }
  void SetAnnosVisible(bool Value);
  Integer DataTag() const { return FDataTag; }
  void SetDataTag(Integer Value) { FDataTag = Value; }
  Byte ClassDefault() const { return RcClassDefault; }
  void SetClassDefault(Byte Value) {
    if (Value != 255) RcClassDefault = Value;
  }

  // Appends a record to the data container, or to the annotations in AnnoMode, growing the
  // container by AllocSize records when it is full; a data item counts in ItemCount. The
  // drawing primitives append through here. Nothing is painted.
  void AppendItem(const TrcChartItem& Item);

  // ---- drawing primitives: each appends one record and returns (nothing is painted) ----
  // Overloads differ in the coordinate mode an annotation keeps: Double = world, Integer =
  // screen pixel of the data area; data items are always stored as world coordinates.
  void MarkAt(Double x, Double y, Byte mk);
  void MarkAt(Integer x, Integer y, Byte mk);
  void MarkErrorBar(Double x, Double y, Double dlower, Double dupper, TOrientation Dir, Byte mk);
  void Text(Double x, Double y, Integer size, const String& txt);
  void Text(Integer x, Integer y, Integer size, const String& txt);
  void Text(Double x, Integer y, Integer size, const String& txt);
  void Text(Integer x, Double y, Integer size, const String& txt);
  void Text(Double x, Double y, Integer size, const String& txt, Integer dx, Integer dy,
            TAlignment Alignment);
  void MoveTo(Double x, Double y) { MoveToIntern(x, y, cmAllWorld); }
  void MoveTo(Integer x, Integer y) { MoveToIntern(x, y, cmAllScreen); }
  void MoveTo(Integer x, Double y) { MoveToIntern(x, y, cmXScreenYWorld); }
  void MoveTo(Double x, Integer y) { MoveToIntern(x, y, cmXWorldYScreen); }
  void DrawTo(Double x, Double y) { DrawToIntern(x, y, cmAllWorld); }
  void DrawTo(Integer x, Integer y) { DrawToIntern(x, y, cmAllScreen); }
  void DrawTo(Integer x, Double y) { DrawToIntern(x, y, cmXScreenYWorld); }
  void DrawTo(Double x, Integer y) { DrawToIntern(x, y, cmXWorldYScreen); }
  void MoveToRelPix(Integer dx, Integer dy);
  void DrawToRelPix(Integer dx, Integer dy);
  void DrawToRelPix(Double x, Double y, Integer dx, Integer dy);
  void CursorVert(Double x) { CursorIntern(tkCursorVert, x, cmAllWorld); }
  void CursorVert(Integer x) { CursorIntern(tkCursorVert, x, cmAllScreen); }
  void CursorHoriz(Double y) { CursorIntern(tkCursorHoriz, y, cmAllWorld); }
  void CursorHoriz(Integer y) { CursorIntern(tkCursorHoriz, y, cmAllScreen); }
  void Line(Double x1, Double y1, Double x2, Double y2) {
    TwoPoint(tkLine, x1, y1, x2, y2, cmAllWorld);
  }
  void Line(Integer x1, Integer y1, Integer x2, Integer y2) {
    TwoPoint(tkLine, x1, y1, x2, y2, cmAllScreen);
  }
  void Line(Double x1, Double y1, Integer x2, Integer y2) {
    TwoPoint(tkLine, x1, y1, x2, y2, cmWorldMainScreenSec);
  }
  void Line(Integer x1, Integer y1, Double x2, Double y2) {
    TwoPoint(tkLine, x1, y1, x2, y2, cmScreenMainWorldSec);
  }
  void LineOffset(Double x1, Double y1, Double x2, Double y2, Integer dx, Integer dy);
  void Rectangle(Double x1, Double y1, Double x2, Double y2) {
    TwoPoint(tkRect, x1, y1, x2, y2, cmAllWorld);
  }
  void Rectangle(Integer x1, Integer y1, Integer x2, Integer y2) {
    TwoPoint(tkRect, x1, y1, x2, y2, cmAllScreen);
  }
  void Rectangle(Double x1, Double y1, Integer x2, Integer y2) {
    TwoPoint(tkRect, x1, y1, x2, y2, cmWorldMainScreenSec);
  }
  void Rectangle(Integer x1, Integer y1, Double x2, Double y2) {
    TwoPoint(tkRect, x1, y1, x2, y2, cmScreenMainWorldSec);
  }
  void RectangleRelPix(Double centx, Double centy, Integer dx, Integer dy);
  void RectFrame(Double x1, Double y1, Double x2, Double y2, TFrameStyle Style, TColor Shadow,
                 TColor HiLight) {
    RectFrameIntern(x1, y1, x2, y2, Style, Shadow, HiLight, cmAllWorld);
  }
  void RectFrame(Integer x1, Integer y1, Integer x2, Integer y2, TFrameStyle Style, TColor Shadow,
                 TColor HiLight) {
    RectFrameIntern(x1, y1, x2, y2, Style, Shadow, HiLight, cmAllScreen);
  }
  void Bar3D(Double llx, Double lly, Double urx, Double ury, Integer Depth, Integer Angle);
  void Ellipse(Double cx, Double cy, Double HorizAxLeng, Double VertAxLeng);
  void Arc(Double cx, Double cy, Double HorizAxLeng, Double VertAxLeng, Double Angle1,
           Double Angle2);
  void Arrow(Double x1, Double y1, Double x2, Double y2, Integer HeadSize) {
    ArrowIntern(tkArrow, x1, y1, x2, y2, HeadSize, cmAllWorld);
  }
  void Arrow(Integer x1, Integer y1, Integer x2, Integer y2, Integer HeadSize) {
    ArrowIntern(tkArrow, x1, y1, x2, y2, HeadSize, cmAllScreen);
  }
  void Arrow(Double x1, Double y1, Integer x2, Integer y2, Integer HeadSize) {
    ArrowIntern(tkArrow, x1, y1, x2, y2, HeadSize, cmWorldMainScreenSec);
  }
  void Arrow(Integer x1, Integer y1, Double x2, Double y2, Integer HeadSize) {
    ArrowIntern(tkArrow, x1, y1, x2, y2, HeadSize, cmScreenMainWorldSec);
  }
  void Arrow(Integer x1, Double y1, Integer x2, Double y2, Integer HeadSize) {
    ArrowIntern(tkArrow, x1, y1, x2, y2, HeadSize, cmXScreenYWorld);
  }
  void Arrow(Double x1, Integer y1, Double x2, Integer y2, Integer HeadSize) {
    ArrowIntern(tkArrow, x1, y1, x2, y2, HeadSize, cmXWorldYScreen);
  }
  void DoubleArrow(Double x1, Double y1, Double x2, Double y2, Integer HeadSize) {
    ArrowIntern(tkDoubleArrow, x1, y1, x2, y2, HeadSize, cmAllWorld);
  }
  void DoubleArrow(Integer x1, Integer y1, Integer x2, Integer y2, Integer HeadSize) {
    ArrowIntern(tkDoubleArrow, x1, y1, x2, y2, HeadSize, cmAllScreen);
  }
  TTextBkStyle TextBkStyle() const { return FTextBkStyle; }
  void SetTextBkStyle(TTextBkStyle Value) { FTextBkStyle = Value; }
  TAlignment TextAlignment() const { return FTextAlignment; }
  void SetTextAlignment(TAlignment Value) { Restyle(FTextAlignment, Value); }
  // Copy the given cross hair's values into the chart's own (which keeps the chart's change
  // handling), then repaint by the AutoRedraw rule.
  void SetCrossHair(Integer chnum, TCrossHair* Value);
  bool TransparentItems() const { return FTranspItems; }
  void SetTranspItems(bool Value) { FTranspItems = Value; }

  Integer CountAnnos(Integer Tag, Integer TagMask, Integer ItemClass, TrcItem ItemKind) const;
  Integer CountAnnoByClass(const std::vector<Byte>& ClList) const;
  Integer SearchAnnoItem(Integer StartIx, Integer Tag, Integer TagMask, Integer ItemClass,
                         TrcItem ItemKind) const;
  Integer SearchDataItem(Integer StartIx, Integer Tag, Integer TagMask, Integer ItemClass,
                         TrcItem ItemKind) const;
  // Bits 1 ... 16: the layers holding at least one data item.
  unsigned FindUsedLayers() const;
  void FindMinMax(Integer Layer, Double RangeLoX, Double RangeLoY, Double RangeHiX, Double RangeHiY,
                  Double& MinX, Double& MinY, Double& MaxX, Double& MaxY) const {
    LLCalcMinMax(Layer, RangeLoX, RangeLoY, RangeHiX, RangeHiY, MinX, MinY, MaxX, MaxY);
  }
  void LLCalcExtents(Integer Layer, Double Margin, Double MinRange, Double& xmin, Double& ymin,
                     Double& xmax, Double& ymax) const;
  void LLCalcMinMax(Integer Layer, Double RangeLoX, Double RangeLoY, Double RangeHiX,
                    Double RangeHiY, Double& MinX, Double& MinY, Double& MaxX, Double& MaxY) const;
  // Out-of-range indexes are ignored.
  void ScaleItem(Integer Item, Double kx, Double dx, Double ky, Double dy);
  void ScaleSelectedItems(Double kx, Double dx, Double ky, Double dy, Integer ClassNumber);

  // ---- transforms ----
  virtual void AdjustScaling();
  void R2M(Integer Layer, Double xin, Double yin, Integer& xout, Integer& yout) const;
  // R2M's pixel position before it is rounded and limited to the int range.
  void R2MExact(Integer Layer, Double xin, Double yin, long double& xout, long double& yout) const;
  // R2MExact's position as K * U + D per axis, U the world coordinate or its logarithm (or the
  // position itself, K = 1, D = 0, below a logarithmic axis' floor).
  void R2MTransform(Integer Layer, Double xin, Double yin, ZOdozaMath::TLinePoint& Out) const;
  // With a zero factor (no data area) the answer is that axis' RangeLow.
  void M2R(Integer Layer, Integer xin, Integer yin, Double& xout, Double& yout) const;
  void GetTransformParams(Integer Layer, Double& kx, Double& dx, Double& ky, Double& dy) const;
  // One axis of a layer's transform for drawing many points: R2M's pixel before the chart's
  // clamp. Linear axes answer from double arithmetic wherever its result lies clearly away from
  // a half pixel (a bound far above its error against the 80-bit value), else from the 80-bit
  // expression R2M evaluates, so the answer is always R2M's.
  struct TPixelAxis {
    bool Linear = false;
    double k = 0, d = 0;
    long double K = 0, D = 0;
    [[gnu::always_inline]] Integer Pixel(Double v) const {
      constexpr double kRound = 0x1.8p52;  // adding and taking it away rounds half to even
      const double kv = k * v, p = kv + d;
      const double r = (p + kRound) - kRound;
      if (std::fabs(p) < 1e9 &&
          std::fabs(std::fabs(p - r) - 0.5) > (std::fabs(kv) + std::fabs(d)) * 4e-15)
        return static_cast<Integer>(r);
      return ExactPixel(v);
    }
    Integer ExactPixel(Double v) const;
  };
  // X and Y of Layer; not linear on a logarithmic axis (R2M then serves).
  void PixelAxes(Integer Layer, TPixelAxis& X, TPixelAxis& Y) const;

  // ---- repaint batching and axis synchronisation ----
  bool SuppressPaint() const { return FSuppressPaint; }
  virtual void SetSuppressPaint(bool Value);
  bool AutoRedraw() const { return FAutoRedraw; }
  void SetAutoRedraw(bool Value) { FAutoRedraw = Value; }
  // What dragging with the mouse does; the confinement keeps the span while panning.
  TMouseActMode MouseAction() const { return RcMouseAction; }
  void SetMouseAction(TMouseActMode Value) { RcMouseAction = Value; }
  void StyleChanged(TObject* Sender);
  void ScalePropsChanged(TObject* Sender);
  void ScaleZoomPan(TObject* Sender) { ScalePropsChanged(Sender); }
  void SetScaleProps(TScale* Scale, TScaleProps* Props);
  TScale* HelperScaleX(Integer Layer) const { return FScalesX[ClampLayer(Layer)]; }
  TScale* HelperScaleY(Integer Layer) const { return FScalesY[ClampLayer(Layer)]; }

  // ---- ranges and zoom history ----
  // Sets the layer's ranges and those of the layers joined to it, without a history entry or
  // confinement, and recomputes the transforms.
  // One layer only: confinement (when Confine and a confinement is set), the MinRange and
  // logarithmic guards, the helper axes, a zoom-history entry when StoreZoom and an end was
  // stored, the transforms. No repaint. An axis whose new range would not be usable
  // (UsableRange, DOV_Scale.h) keeps its range.
  void ForceRngIntern(Integer Layer, long double LoX, long double LoY, long double HiX,
                      long double HiY, bool StoreZoom, bool Confine);
  // The layer (a joined axis keeps its master's range) and every layer joined to it; paints
  // once unless painting is suppressed.
  void ForceRange(Integer Layer, long double LoX, long double LoY, long double HiX, long double HiY,
                  bool StoreZoom = false, bool Confine = false);
  // Layer 0: every layer. Zero spans are widened, isometric charts recentre Y; one history
  // entry per layer; repaints.
  void SetRange(Integer Layer, long double LoX, long double LoY, long double HiX, long double HiY);
  // The pooled ranges of the given layers (1 ... 16) for each of them.
  void SetEqualRange(const std::vector<Integer>& Layers) { EqualRange(Layers, true, true); }
  void SetEqualRangeXOnly(const std::vector<Integer>& Layers) { EqualRange(Layers, true, false); }
  void SetEqualRangeYOnly(const std::vector<Integer>& Layers) { EqualRange(Layers, false, true); }
  // Fits the ranges to the data items; Margin and MinRange in per cent; Layer 0 = all layers
  // (joined layers pool their extents into their masters').
  void AutoRange(Integer Layer, Double Margin, Double MinRange = 0) {
    AutoRangeAxes(Layer, Margin, MinRange, true, true);
  }
  void AutoRangeXOnly(Integer Layer, Double Margin, Double MinRange = 0) {
    AutoRangeAxes(Layer, Margin, MinRange, true, false);
  }
  void AutoRangeYOnly(Integer Layer, Double Margin, Double MinRange = 0) {
    AutoRangeAxes(Layer, Margin, MinRange, false, true);
  }
  // Stored as given; used by the next forcing with Confine set. All 0 = no confinement.
  void ConfineZoomRange(Double LoX, Double LoY, Double HiX, Double HiY) {
    FZoomRange = {LoX, LoY, HiX, HiY};
  }
  void ZoomStateOnStack();
  void ClearZoomHistory();
  void ZoomHistory(Integer Index);  // -15 ... 0; other values do nothing
  TRectDouble GetZoomStackEntry(Integer Layer, Integer StackIx) const;

  // ---- layers ----
  Integer ActiveLayer() const { return FActiveLayer; }
  void SetActiveLayer(Integer Value);
  bool GetLayerVisib(Integer Layer) const;        // false outside 1 ... 16
  void SetLayerVisib(Integer Layer, bool Value);  // ignored outside 1 ... 16
  bool GetMAffLayer(Integer Layer) const;
  void SetMAffLayer(Integer Layer, bool Value);
  TFontStyles GetTextFontStyle() const { return FTextFont->Style(); }
  void SetTextFontStyle(TFontStyles Value) { FTextFont->SetStyle(Value); }
  TScalePropsHoriz* GetScalePropsX(Integer Layer) const;
  TScalePropsVert* GetScalePropsY(Integer Layer) const;
  // Copies the values only: the chart keeps its own change handling, then fires one change.
  void SetScalePropsX(Integer Layer, TScalePropsHoriz* Value);
  void SetScalePropsY(Integer Layer, TScalePropsVert* Value);
  TScalePropsHoriz* Scale1X() const { return GetScalePropsX(1); }
  TScalePropsVert* Scale1Y() const { return GetScalePropsY(1); }
  TJointLayers* JointLayers() const { return FJointLayers.get(); }
  TBakGndImg* BackGroundImg() const { return FBakGndFile.get(); }
  TrcLayout StandardLayout() const { return FStdLayout; }
  void SetStdLayout(TrcLayout Value);

  // ---- cross hairs, ticks, mouse position ----
  TCrossHair* CrossHair(Integer chnum) const;  // 1 ... 4, else nullptr
  Double GetCHPosX(Integer chnum) const;
  Double GetCHPosY(Integer chnum) const;
  void SetCHPosX(Integer chnum, Double Value);
  void SetCHPosY(Integer chnum, Double Value);
  Double MousePosX() const { return FMousePosX; }
  Double MousePosY() const { return FMousePosY; }
  Integer GetTickPosXCnt() const;
  Integer GetTickPosYCnt() const;
  Double GetTickPosX(Integer ix) const;
  Double GetTickPosY(Integer ix) const;
  TTextLabel* TextLabel(Integer ix) const;
  // Label ix (1 ... 30); another ix raises ESDLZOdozaError naming the chart.
  TTextLabel* GetFTextLabel(Integer ix) const;
  // Copies Value's settings into label ix (the label keeps the chart's change handling).
  void SetFTextLabel(Integer ix, TTextLabel* Value);
  // The lowest free label (Mode tlOff) filled and shown; 0 when all 30 are taken.
  Integer AddTextLabel(Double PosX, Double PosY, TColor TxtColor, const String& Txt,
                       Integer PropertyTemplate);
  void SetTextLabel(Integer Idx, Double PosX, Double PosY, TColor TxtColor, const String& Txt,
                    Integer PropertyTemplate);
  void HideAllTextLabels();
  void ClearAllTextLabels();

  // ---- appearance (margins, shadow, colours) ----
  Integer LRim() const { return RcLRim; }
  Integer RRim() const { return RcRRim; }
  Integer TRim() const { return RcTRim; }
  Integer BRim() const { return RcBRim; }
  void SetLRim(Integer Value);
  void SetRRim(Integer Value);
  void SetTRim(Integer Value);
  void SetBRim(Integer Value);
  Integer ShadowWidth() const { return F3DRim; }
  void SetF3DRim(Integer Value);
  bool Isometric() const { return FIsometric; }
  void SetIsoMetric(bool Value);
  TColor ChartColor() const { return RcChartCol; }
  void SetChartCol(TColor Value);
  TColor WindColor() const { return RcWindCol; }
  void SetWindCol(TColor Value);
  TColor ChartFrameColor() const { return FChartFrameCol; }
  TColor DataColor() const { return RcDataCol; }
  void SetDataCol(TColor Value) { RcDataCol = Value; }
  Integer LineWidth() const { return RcLineWid; }
  void SetLineWid(Integer Value) { RcLineWid = Value; }
  TPenStyle PenStyle() const { return RcPenStyle; }
  void SetPenStyle(TPenStyle Value) { RcPenStyle = Value; }
  TColor FillColor() const { return RcFillCol; }
  void SetFillCol(TColor Value) { RcFillCol = Value; }
  const String& Caption() const { return FChartCaption; }
  void SetChartCaption(const String& Value);
  void SetScaleCol(TColor Value) { Restyle(FChartFrameCol, Value); }
  TColor GridColor() const { return RcGridCol; }
  void SetGridCol(TColor Value) { Restyle(RcGridCol, Value); }
  GridStyleType GridStyle() const { return RcGridStyle; }
  void SetGridStyle(GridStyleType Value) { Restyle(RcGridStyle, Value); }
  Double GridDx() const { return RcGridDx; }
  Double GridDy() const { return RcGridDy; }
  // Steps below -3 are ignored; -1, -2, -3 choose the logarithmic grid rules.
  void SetGridDx(Double Value) {
    if (Value >= kMinGridStep) Restyle(RcGridDx, Value);
  }
  void SetGridDy(Double Value) {
    if (Value >= kMinGridStep) Restyle(RcGridDy, Value);
  }
  TShadowStyle ShadowStyle() const { return RcShadowStyle; }
  void SetShadowStyle(TShadowStyle Value) { Restyle(RcShadowStyle, Value); }
  TColor ShadowColor() const { return FShadowColor; }
  void SetShadowColor(TColor Value) { Restyle(FShadowColor, Value); }
  TColor ShadowBakColor() const { return RcShadowBakCol; }
  void SetShadowBakColor(TColor Value) { Restyle(RcShadowBakCol, Value); }
  Integer CaptionPosX() const { return FCaptPosX; }
  Integer CaptionPosY() const { return FCaptPosY; }
  void SetCaptPosX(Integer Value) { Restyle(FCaptPosX, Value); }
  void SetCaptPosY(Integer Value) { Restyle(FCaptPosY, Value); }
  TAlignment CaptionAlignment() const { return FCaptAlignment; }
  void SetCaptAlignment(TAlignment Value) { Restyle(FCaptAlignment, Value); }
  TCaptionAnchorHoriz CaptionAnchorHoriz() const { return FCaptAnchorX; }
  void SetCaptAnchorX(TCaptionAnchorHoriz Value) { Restyle(FCaptAnchorX, Value); }
  TCaptionAnchorVert CaptionAnchorVert() const { return FCaptAnchorY; }
  void SetCaptAnchorY(TCaptionAnchorVert Value) { Restyle(FCaptAnchorY, Value); }
  Integer CaptionTrim() const { return FCaptTrim; }
  // 0 keeps the caption whole; other values are clamped to 5 ... 100 (per cent of the width).
  void SetCaptTrim(Integer Value) {
    Restyle(FCaptTrim, Value == 0 ? 0 : std::clamp(Value, 5, 100));
  }
  TFont* TextFont() const { return FTextFont.get(); }
  TBitmap* ChartBmp() const { return FChartBmp.get(); }
  TBitmap* GrafBmp() const { return FGrafBmp.get(); }

  // ---- data area and painting ----
  // Prepares the rectangle (Left, Top) ... (Left + Width, Top + Height) of Canvas as an empty
  // data area.
  virtual void InitGraf(TCanvas* Canvas, Integer Left, Integer Top, Integer Width, Integer Height);
  // Draws the data area's content; (OffX, OffY) is the canvas position of its top-left corner.
  virtual void ConstructDataBmp(TBitmap* Bitmap, Integer OffX, Integer OffY, bool BlackWhite,
                                Integer FirstItem);
  virtual void ConstructDataBmpCanvas(TCanvas* Canvas, Integer OffX, Integer OffY, bool BlackWhite,
                                      Integer FirstItem);
  void ConstructChartBmp(TCanvas* Canvas);
  void DrawFinish(Integer OffsX, Integer OffsY, TBitmap* Bitmap, TCanvas* Canvas);
  void DrawCrossHairs(Integer OffsX, Integer OffsY, TBitmap* Bitmap);
  void DrawMouseTrace(Integer OffsX, Integer OffsY, TBitmap* Bitmap);
  void ShowGraf();
  void ShowGrafNewOnly();
  void ClearGraf();
  void ClearAnnotations();
  void ClearMouseTrace();
  void CrossHairSetPos(Integer chnum, Double x, Double y);
  void CrossHairSetup(Integer ch, TColor chColor, TCrossHMode Mode, TPenStyle LineType,
                      Integer LineWidth);

  // ---- item rendering ----
  // Draws one record (a copy of Item) onto Canvas; (OrigX, OrigY) is the canvas position of
  // the data area's top-left corner. Only the canvas and the render cache change.
  void DrawContainerItemOnCanvas(TCanvas* Canvas, const TrcChartItem& Item, Integer Index,
                                 bool IsAnnotation, const TLongTextArray& LongTexts,
                                 bool BlackWhite, Integer OrigX, Integer OrigY) {
    DrawItemOnCanvas(Canvas, Item, Index, IsAnnotation, LongTexts, BlackWhite, OrigX, OrigY);
  }
  void EnterPolyline(Integer x, Integer y, TCanvas* Canvas);
  void FinishPolyLine(TCanvas* Canvas);
  // For tests: false draws every line point and every mark one by one (no reduced columns, no
  // dense runs), the picture the shortcuts must match. Not a setting: neither kept nor copied.
  void SetDrawShortcutsForTesting(bool On) { FDense.On = On; }
  // For tests: dense runs decoded by Threads threads in all (1: the painting thread alone;
  // 0: as many as the machine offers, at most four) in blocks of Block records after a first
  // stretch of as many taken one by one (0: the usual sizes; blocks at most 65536). Neither
  // kept nor copied.
  void SetDenseDecodeForTesting(Integer Threads, Integer Block) {
    FDense.DecodeThreads = Threads;
    FDense.DecodeBlock = Block;
  }
  // The number of lines of Text; Width is its widest line, TotalHeight lines x LineHeight.
  Integer CalcTextExtents(const String& Text, TCanvas* Canvas, Integer& Width, Integer& TotalHeight,
                          Integer& LineHeight) const;
  bool AvoidDuplicateMarks() const { return FAvoidDupMarks; }
  void SetAvoidDupMarks(bool Value);
  Integer MinDupMarkDist() const { return FDupMarksMinD; }
  void SetDupMarksMinD(Integer Value);  // clamped to 1 ... 3
  // n for the Y axis of layer n under the control pixel, -n for its X axis, 0 for none.
  Integer DetectScale(Integer CoordX, Integer CoordY) const;
  // The user draws a rectangle with the left button; false when cancelled, when the chart is
  // hidden or destroyed meanwhile, or when there is no event loop. Sleeps between events.
  bool MouseBox(Double& xLo, Double& yLo, Double& xHi, Double& yHi);
  // ---- editing and searching data items (0-based; nothing repaints) ----
  TrcChartItem GetItemParams(Integer Item) const;
  void SetItemParams(Integer Item, const TrcChartItem& ItParams);
  void ScaleAllItems(Double kx, Double dx, Double ky, Double dy);
  void NewColorOfClassItems(TColor Newcol, Byte ClassNumber);  // class 255: every item
  void MarkAllItems(TrcItem ItemID, Byte ClassNumber);
  Integer MarkItemsInWindow(Double xLo, Double yLo, Double xHi, Double yHi, TrcItem ItemID,
                            Byte ClassNumber);
  // -1 (and Dist 1.3e154) when nothing qualifies; the lowest index wins a tie.
  Integer FindNearestItemReal(Double mx, Double my, TrcItem ItemID, Byte ClassNumber,
                              bool VisLayersOnly, Double& Dist) const;
  Integer FindNearestItemReal(Double mx, Double my, TrcItem ItemID, Byte ClassNumber,
                              Double& Dist) const {
    return FindNearestItemReal(mx, my, ItemID, ClassNumber, false, Dist);
  }
  Integer FindNearestItemScreen(Double mx, Double my, TrcItem ItemID, Byte ClassNumber,
                                bool VisLayersOnly, Double& Dist) const;
  Integer FindNearestItemScreen(Double mx, Double my, TrcItem ItemID, Byte ClassNumber,
                                Double& Dist) const {
    return FindNearestItemScreen(mx, my, ItemID, ClassNumber, false, Dist);
  }
  Integer FindNearestItemAlongAxis(Double pos, TAxis Axis, TrcItem ItemID, Byte ClassNumber,
                                   bool VisLayersOnly, Double& Dist) const;
  Integer FindNearestItemAlongAxis(Double pos, TAxis Axis, TrcItem ItemID, Byte ClassNumber,
                                   Double& Dist) const {
    return FindNearestItemAlongAxis(pos, Axis, ItemID, ClassNumber, false, Dist);
  }
  // The nearest annotation to world (mx, my) of the active layer, measured by its kind in
  // control pixels (an ellipse in world units); -1 when none qualifies.
  Integer FindNearestAnnoElem(Double mx, Double my, TrcItem ItemID, Byte ClassNumber,
                              bool VisLayersOnly, Double& Dist);
  // The record's two points in control pixels (margins included), by its coordinate mode.
  void ConvertToScreenCoords(const TrcChartItem& It, Integer& x1, Integer& y1, Integer& x2,
                             Integer& y2) const;
  void RemoveItem(Integer Index);
  void RemoveFirstItem() { RemoveItem(0); }
  void RemoveLastItem();
  void RemoveAnnoItem(Integer Index);
  Integer RemoveItemsByClass(Byte ClassNumber);
  Integer RemoveItemsByLayer(Integer Layer);
  TrcItem GetTypeOfFirstItem() const;
  TrcItem GetTypeOfLastItem() const;
  TZoomState ZoomState() const { return FZoomState; }
  TMouseBoxState MouseBoxState() const { return FMouseBoxState; }
  void MouseBoxAbort();
  void WMMouseMoveInChart(TShiftState Shift, Integer X, Integer Y);

  // Event dispatchers of the helper axes and the mouse.
  void DoOnScaleTickDrawn(TObject* Sender, TCanvas* Canvas, TScaleType ScaleType,
                          Double CurrentTickPos, Integer ChartX, Integer ChartY);
  void DoOnBeforeTickLabel(TObject* Sender, TScaleType ScaleType, Double CurrentTickPos,
                           String& TickLabel);
  void DoZoomPanEvent();
  void DoSelectRectEvent(Integer Layer, Double LoX, Double LoY, Double HiX, Double HiY);
  void DoRubberBandEvent(Integer Layer, Double LoX, Double LoY, Double HiX, Double HiY);
  void DoCrossHMoveEvent(Integer WhichCrossHair);
  void DoTxtLblMoveEvent(Integer WhichTextLabel);
  void DoOnBeforeRendezOdozaItem(TrcChartItem& ChartItem, Integer Index, bool IsAnnotation);
  void MouseMoveInChart(bool InChart, TShiftState Shift, Double rMousePosX, Double rMousePosY);
  // Arrow keys and the tab key are wanted.
  Integer WMGetDlgCode() const { return 3; }
  String ExtractUserText(const String& Text, Integer Index) const {
    return ScaleText::ExtractUserText(Text, Index);
  }
  String AddScaleInscription(const String& Tick, const String& Inscription) const {
    return ScaleText::AddScaleInscription(Tick, Inscription);
  }

  TZoomPanEvent OnZoomPan;
  TSelectRectEvent OnSelectRect;
  TSelectRectEvent OnRubberBand;
  TCrossHairMoveEvent OnCrossHairMove;
  TBeforeCrossHMoveEvent OnBeforeCrossHairMove;
  TTextLabelMoveEvent OnTextLabelMove;
  TMouseMoveInChartEvent OnMouseMoveInChart;
  TScaleTickDrawnEvent OnScaleTickDrawn;
  TBeforeTickLabelEvent OnBeforeTickLabel;
  TBeforeRenderCItemEvent OnBeforeRendezOdozaItem;
  TRenderEvent OnBeforeRenderData;
  TRenderEvent OnDataRendered;
  TRenderEvent OnScalesRendered;
  TBeforeRenderTextEvent OnBeforeRenderText;

protected:
  // ---- copies of the picture (DOV_zodoza_export.cpp) ----
  // Each rebuilds the picture from the chart's state as painting does, in black and white
  // for the moment of the copy when asked; the chart is left as it was, also when the
  // toolkit raises (clipboard, file or printer failures reach the caller).
  // The whole chart / the data area alone as a bitmap on the clipboard.
  void CopyToClipboard(bool BlkWhite, bool IncludeCrossHairs = false);
  void CopyToClipboardDAOnly(bool BlkWhite, bool IncludeCrossHairs = false);
  // The whole chart as an enhanced metafile on the clipboard.
  void CopyToClipboardWMF(bool BlkWhite);
  // Into ABitmap (which takes the picture's size); nothing when ABitmap is null.
  void CopyToBitmap(TBitmap* ABitmap, bool BlkWhite, bool IncludeCrossHairs = false);
  void CopyToBitmapDAOnly(TBitmap* ABitmap, bool BlkWhite, bool IncludeCrossHairs = false);
  // Files named by FName's folder and its file name up to the first ".", with ".bmp" (a
  // bitmap file) or ".wmf" (an enhanced metafile) appended.
  void CopyToBMP(const String& FName, bool BlkWhite);
  void CopyToWMF(const String& FName, bool BlkWhite);
  // One print job on the toolkit's printer: the chart ScaleF times its screen size, centred
  // across the paper, half an inch below the top of the printable area.
  void PrintIt(Double ScaleF, bool BlkWhite);
  // Into the job the caller has opened, top-left corner at device position (x, y); x and y
  // are then advanced by the printed width and height.
  void CopyToOpenPrinter(Integer& x, Integer& y, Double ScaleF, bool BlkWhite);
  // Saves the colours a black-and-white copy changes and sets their black-and-white values
  // (one saved set: a second backup overwrites the first); ReloadBackupColors restores them.
  void BackupColorsAndMakeBW();
  void ReloadBackupColors();
  class TExportFrame;
  // The picture built for the bitmap copies: frame and scales in ChartBmp, the data area in
  // Area (sized to it), cross hairs on it when asked.
  void BuildDataAreaCopy(TBitmap* Area, bool BlkWhite, bool IncludeCrossHairs, bool WithFrame);
  // Frame, scales and data area drawn on a device canvas (metafile, printer) whose mapping is
  // set. A device shows what the screen shows: frame and scales are clipped to the control,
  // the data area's background (a Smith chart's grid and labels) to the data-area bitmap's
  // rectangle, the items to that rectangle too (the frame's right column and bottom row lie on
  // its last pixels); ToDevice turns a rectangle of control pixels into device units.
  // ExtentLine: a zero-length line at the control's bottom-right pixel, which fixes a
  // metafile's extent.
  void DrawOnDevice(TCanvas* Canvas, const std::function<TRect(const TRect&)>& ToDevice,
                    bool BlkWhite, bool ExtentLine);
  void RecordMetafile(TMetafile& Metafile, bool BlkWhite);
  // Mapping for ScaleF at device position (X0, Y0), then DrawOnDevice.
  void PrintOnPage(TCanvas* Canvas, Integer X0, Integer Y0, Double ScaleF, bool BlkWhite);
  void SetHelperCanvas(TCanvas* Canvas);
  void SetScaleColours(Integer Layer, TColor ScaleX, TColor FontX, TColor ScaleY, TColor FontY);

  void AssignTo(TPersistent* Dest) override;
  void CreateWnd() override;
  void Paint() override;
  // Whether Paint draws the mouse trace over the data area (a Smith chart does not).
  virtual bool PaintsMouseTrace() const { return true; }
  // The stored settings a window description may give a published chart (DOV_zodozaPub.cpp).
  bool SetPublishedChartProperty(const String& Prop, const TPropValue& Value);
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DblClick() override;
  // The mouse-move steps of the chart itself, run inside WMMouseMoveInChart.
  void HandleMouseMove(TShiftState Shift, int X, int Y);
  // The data area including its last column and row (LRim <= X <= Width - RRim - shadow).
  bool InDataArea(Integer X, Integer Y) const;
  void ClampToData(Integer& X, Integer& Y) const;
  void StoreAnchors(Integer X, Integer Y);
  void AxisDrag(Integer X, Integer Y);
  void PanStep(Integer X, Integer Y);
  void ZoomDragStep(Integer X, Integer Y);
  void CrossHairDragStep(Integer X, Integer Y);
  void LabelDragStep(Integer X, Integer Y);
  void TraceStep(Integer X, Integer Y);
  void WindowStep(Integer X, Integer Y);
  void EndWindow(TMouseButton Button);
  // Redraws the picture without the rubber figure, then draws it (a line or a rectangle).
  void DrawRubberFigure(Integer X1, Integer Y1, Integer X2, Integer Y2, bool Line);
  bool FAxisDragOn = false, FActDragOn = false;
  Integer FindNearest(TrcItem ItemID, Byte ClassNumber, bool VisLayersOnly, Double& Dist,
                      const std::function<Double(const TrcChartItem&)>& Measure) const;
  Double AnnoMeasure(const TrcChartItem& It, Integer Index, TPoint P, Double mx, Double my);
  Integer RemoveItemsWhere(const std::function<bool(const TrcChartItem&)>& Drop);

  static Integer ClampLayer(Integer Layer) { return std::clamp(Layer, 1, kNumLayers); }
  // The data area's extent as the transforms see it.
  Integer DataWidth() const { return Width() - RcLRim - RcRRim - F3DRim; }
  Integer DataHeight() const { return Height() - RcTRim - RcBRim - F3DRim; }
  void ResizeGrafBmp();
  // After a margin or shadow change: data-area bitmap, helper axes, transforms, one paint.
  void MarginsChanged(bool RecentreIsometric);
  void RecentreIsometric(Integer Layer);
  // Half the Y span that makes a layer with this X span isometric on the data area.
  long double IsoHalfHeight(long double SpanX) const;
  void SetHelperMargins(TScale* Scale, bool IsX);
  // SetStdLayout; AfterReset (ResetComp's own call, on fresh unjoined axis settings) mirrors
  // the axis settings into the helpers once instead of after every single setting.
  void ApplyStdLayout(TrcLayout Value, bool AfterReset);
  void ClearEvents();
  // Leaves the owner's user list and takes a copy of the shared data.
  void DetachFromOwner();
  // The charts to notify after ShowGraf: owner and fellow users, or own users.
  void NotifySharingCharts();
  static constexpr Double kMinGridStep = -3;
  // Stores an appearance value and repaints (when AutoRedraw is set or at design time).
  template <typename T, typename V>
  void Restyle(T& Field, V Value) {
    Field = static_cast<T>(Value);
    StyleChanged(this);
  }
  // Render-cache setters: a change of pen colour, pen style or brush colour ends the open
  // polyline first.
  void CachePenColor(TCanvas* Canvas, TColor Color);
  void CachePenStyle(TCanvas* Canvas, TPenStyle Style);
  void CacheBrushColor(TCanvas* Canvas, TColor Color);
  // Pixel of a point on Canvas for the item's layer: world or screen per coordinate, each
  // limited to -30000 ... 30000.
  TPoint ItemPixel(Integer Layer, Double x, Double y, bool XWorld, bool YWorld,
                   bool ScreenFromOrigin, Integer OrigX, Integer OrigY) const;
  // The same position rounded as ItemPixel rounds it, as a line end: where ItemPixel limits
  // it, the exact one (ZOdozaMath::TLinePoint).
  ZOdozaMath::TLinePoint ItemPosition(Integer Layer, Double x, Double y, bool XWorld, bool YWorld,
                            bool ScreenFromOrigin, Integer OrigX, Integer OrigY) const;
  // The box lines are cut to on the data area drawn at (OrigX, OrigY) with a pen PenWidth
  // pixels wide: a margin around the data area that the pen's strokes do not cross.
  ZOdozaMath::TClipBox LineClipBox(Integer OrigX, Integer OrigY, Integer PenWidth) const;
  // A line item from A to B: its part inside Box, with the canvas's line rules.
  void ClippedSegment(TCanvas* Canvas, const ZOdozaMath::TLinePoint& A,
                      const ZOdozaMath::TLinePoint& B, const ZOdozaMath::TClipBox& Box);
  // The line of line-to items: a new start at P (MoveCanvas: the canvas's pen goes there
  // too), the line on to P. Where the line leaves Box it is cut; where it comes back the
  // polyline goes round along the box's edge from where it left.
  void LineStart(TCanvas* Canvas, const ZOdozaMath::TLinePoint& P,
                 const ZOdozaMath::TClipBox& Box, bool MoveCanvas);
  void LinePointTo(TCanvas* Canvas, const ZOdozaMath::TLinePoint& P,
                   const ZOdozaMath::TClipBox& Box);
  bool MarkIsDuplicate(Integer px, Integer py, Integer Code);
  void DrawItemText(TCanvas* Canvas, const TrcChartItem& It, TPoint P, Integer Index,
                    bool IsAnnotation, const TLongTextArray& LongTexts, TColor Background);
  void DrawGrid(TCanvas* Canvas, Integer OffX, Integer OffY);
  std::vector<Double> GridPositions(bool IsX) const;
  // With OneLineShift, vaTop and vaCenter move a label by one line whatever its line count
  // (the contour plot's rule).
  void DrawTextLabels(TCanvas* Canvas, Integer OffX, Integer OffY, bool OneLineShift = false);
  void DrawTextLabel(TCanvas* Canvas, const TTextLabel& L, Integer OffX, Integer OffY,
                     bool OneLineShift = false);
  void DrawDisplayList(TCanvas* Canvas, Integer OffX, Integer OffY, bool BlackWhite);
  // The data area's outline in the frame colour, on its last column and row.
  void DrawDataFrame(TCanvas* Canvas, Integer OffX, Integer OffY);
  void FillTextLabel(Integer n, Double PosX, Double PosY, TColor TxtColor, const String& Txt,
                     Integer PropertyTemplate);
  void RefreshCrossHairs();

  // The plain settings as one value: a reset assigns a fresh one, a copy copies the source's.
  TZOdozaSettings& Settings() { return *this; }
  const TZOdozaSettings& Settings() const { return *this; }

  // ---- display list ----
  // The data display list; charts sharing data hold the same object (see SetUseDataOf).
  std::shared_ptr<TChartDataList> FData = std::make_shared<TChartDataList>();
  TRcItemContainer FAnnoContainer;
  Integer FNumAnnoItems = 0;
  Integer FNumAllocAnno = 0;
  TLongTextArray FLongTextsAnno;
  Integer FNumLongTextsAnno = 0;
  // Whether the data-area picture must be built again: state of the picture, which the chart
  // neither copies nor resets (the contour plot handles it in its own copy and reset).
  bool FInvalidDataBmp = true;
  std::vector<TColoredPoint> FMTrace;
  Integer FNumMTrace = 0;
  // The trace's look is set once by the constructor; neither a copy nor a reset changes it.
  TColor FColorMTrace = 0xFFFFFF;
  bool FMTraceInvert = true;

  // ---- owned objects ----
  std::array<std::unique_ptr<TCrossHair>, kNumCrossHairs + 1> FCrossHair;
  std::array<std::unique_ptr<TTextLabel>, kNumTextLabels + 1> FTextLabels;
  std::array<TScale*, kNumLayers + 1> FScalesX{}, FScalesY{};  // owned as components
  std::array<std::unique_ptr<TScalePropsHoriz>, kNumLayers + 1> FScalePropsX;
  std::array<std::unique_ptr<TScalePropsVert>, kNumLayers + 1> FScalePropsY;
  std::unique_ptr<TBakGndImg> FBakGndFile;
  std::unique_ptr<TJointLayers> FJointLayers;
  std::unique_ptr<TBitmap> FChartBmp, FGrafBmp, FAuxBmp;
  std::unique_ptr<TFont> FTextFont;

  // ---- transforms and zoom history ----
  // Derived from the axis ranges and the size: a copy takes them so that it draws at once, a
  // reset recomputes them.
  TLayerArray Cpkx{}, Cpdx{}, Cpky{}, Cpdy{};
  // Where a mouse drag started, in pixels and per layer in world units.
  Integer FMAnchorScrX = 0, FMAnchorScrY = 0;
  std::array<Double, kNumLayers + 1> FMAnchorRcLoX{}, FMAnchorRcLoY{}, FMAnchorRcHiX{},
      FMAnchorRcHiY{};
  // Copied with the transforms; a reset empties it through ClearZoomHistory.
  std::array<std::array<TRectDouble, kZoomStackDepth + 1>, kNumLayers + 1> FZoomStack;
  Integer FZStackPoi = 1;

  // ---- layout and data sharing ----
  // A copy keeps its own standard layout (the name of the layout last applied); a reset
  // applies the first one.
  TrcLayout FStdLayout = rcl_X1Bottom_Y1Left;
  TCustomZOdoza* FUseDataOf = nullptr;
  std::array<TCustomZOdoza*, 4> FDataUsers{};
  Integer FDataUsersNum = 0;

  // ---- mouse interaction state ----
  // Not copied: a copy starts with no drag under way (a reset clears the button and drags).
  bool FLButtonWasDown = false;
  bool FWasDblClk = false;
  Integer LastMouseX = 0, LastMouseY = 0;
  Integer WindAnchorX = 0, WindAnchorY = 0, WindOldCornerX = 0, WindOldCornerY = 0;
  Integer MouseBoxX1 = 0, MouseBoxY1 = 0, MouseBoxX2 = 0, MouseBoxY2 = 0;
  // Goes with the chart: a wait that outlives it (MouseBox) sees that through a weak pointer.
  std::shared_ptr<int> FLifeToken = std::make_shared<int>(0);
  Integer CHNext = 0;
  Integer TLNext = 0;
  bool MouseMoveActive = false;

  // ---- item rendering state: what the canvas holds, the open polyline, duplicate marks ----
  static constexpr int kPolylineBatch = 200;
  TColor FLastPenCol = clBlack, FLastBrushCol = clWhite, FLastFontCol = clBlack;
  TPenStyle FLastPenStyle = psSolid;
  Integer FLastLWidth = 1;
  std::array<TPoint, kPolylineBatch> FPPa{};
  Integer FNumPPa = 0;
  Integer FLastMoveToX = 0, FLastMoveToY = 0;
  // The line's end lies outside the box lines are cut to, at FLineEndAt; the polyline then
  // ends at FLineStandIn on the box's edge (its last point, or FLastMoveTo, rounded).
  bool FLineEndOut = false;
  ZOdozaMath::TLinePoint FLineEndAt;
  // The box edges FLineEndAt lies beyond (1 left, 2 right, 4 top, 8 bottom). While the line's
  // points stay beyond one of them nothing shows: the end is kept as its item's world point
  // and worked out only when the line may come back (ResolveLineEnd).
  int FLineEndSide = 0;
  bool FLineEndPending = false;
  struct TPendingEnd {
    Integer Layer = 0;
    Double X = 0, Y = 0;
    Integer OrigX = 0, OrigY = 0;
  } FLineEndItem;
  void ResolveLineEnd();
  TPointDouble FLineStandIn{0, 0};
  std::vector<std::vector<Integer>> FPixMap;
  // The last world point transformed while items are drawn (a plot's line-to and mark share
  // their point); cleared whenever the transforms change and before every construction.
  struct TLastPixel {
    bool Valid = false;
    Integer Layer = 0;
    Double x = 0, y = 0;
    Integer px = 0, py = 0;
  };
  mutable TLastPixel FLastPixel;
  // Dense runs (DOV_zodoza_render.cpp). Line-to and mark items in the pen the canvas already
  // holds (one pixel wide, solid, copying, on a canvas of pixels) all paint that one colour, so
  // within a run of them the order of their pixels does not matter. A run gathers the line's
  // points in a longer buffer drawn with reduced columns, draws each mark from its pixel stamp
  // and skips a mark whose identical twin is already drawn at the same pixel in the run. It
  // mirrors the plain batch, start point and pen position, and hands exactly those back when
  // it closes, so the plain path goes on as if it had drawn every item itself. The walk over
  // the data list (DrawDisplayList) hands the records after one that opened or continued a
  // run to DrawDenseRecords, which takes them in one loop up to the next it cannot take.
  struct TMarkStamp {
    bool Probed = false, Usable = false;
    bool MovesPen = false;  // drawing leaves the pen at the centre plus PenOffset
    TPoint PenOffset{};
    std::vector<TPoint> Pixels;  // offsets from the centre
  };
  // The plain batch's count while a dense run holds the batch: a construction that starts
  // anew resets the count, which tells a run left open by an exception from a live one.
  static constexpr Integer kBatchInRun = -1;
  // A run takes this many records one by one before the rest is decoded ahead on other
  // threads, in blocks of kDenseDecodeBlock records.
  static constexpr Integer kDenseSerialLead = 32768;
  static constexpr Integer kDenseDecodeBlock = 16384;
  // One record of a long run as the decoding threads hand it to the painting thread: what it
  // is for the run (DOV_zodoza_render.cpp), its pixel (within the clamp, so 16 bits hold it)
  // and its place in its block (records that change nothing are left out).
  struct TDenseEntry {
    std::int16_t X, Y;
    std::uint8_t Kind, Code;
    std::uint16_t Offset;
  };
  static constexpr Integer kMaxDenseDecodeBlock = 65536;
  struct TDenseRun {
    bool On = true;
    bool Ready = false;  // the parameters below hold for the canvas and construction at hand
    bool Open = false;   // the canvas state differs from the plain path's until closed
    TCanvas* Canvas = nullptr;
    Integer OrigX = 0, OrigY = 0, Layer = 0;
    // The box of a one-pixel pen, which line points are cut to.
    long long BoxL = 0, BoxT = 0, BoxR = -1, BoxB = -1;
    // While the line's end lies beyond the box: the box edges it lies beyond (bits left,
    // right, top, bottom) and, when FLineEndAt is still to be worked out, its world point.
    int FarSide = 0;
    bool FarPending = false;
    Integer FarLayer = 0;
    Double FarX = 0, FarY = 0;
    TPixelAxis X, Y;
    Double XMin = 0, XMax = 0, YMin = 0, YMax = 0;  // the layer's ranges (marks inside only)
    std::vector<TPoint> Line;                       // line points not drawn yet
    size_t LineNum = 0;
    Integer PlainNum = 0;  // the plain batch's count: its points are the tail of Line
    TPoint PlainPen{};
    // Per pixel of the data area (and a margin), column by column (a dense plot's marks move
    // along the columns): run generation << 8 | mark code.
    std::vector<std::uint32_t> Marks;
    Integer MapX0 = 0, MapY0 = 0, MapW = 0, MapH = 0;
    std::uint32_t Generation = 0;
    std::array<TMarkStamp, 52> Stamps;  // the shape marks; character marks follow the font
    Integer StampCode = -1;             // the stamp last used
    const TMarkStamp* Stamp = nullptr;
    std::vector<TPoint> Scratch;
    // Stamped pixels not yet set: all in the run's one colour, so while records are decoded
    // ahead (BatchMarks) they wait for one call.
    std::vector<TPoint> MarkPixels;
    size_t MarkPixelNum = 0;
    bool BatchMarks = false;
    Integer DecodeThreads = 0, DecodeBlock = 0;  // see SetDenseDecodeForTesting
    std::vector<TDenseEntry> DecodeSlots;        // the decoder's blocks, kept between paints
  };
  TDenseRun FDense;
  // The threads that turn the records of a long dense run into pixels ahead of the painting
  // thread (DOV_zodoza_render.cpp).
  struct TDenseDecode;
  void DrawItemOnCanvas(TCanvas* Canvas, const TrcChartItem& Item, Integer Index,
                        bool IsAnnotation, const TLongTextArray& LongTexts, bool BlackWhite,
                        Integer OrigX, Integer OrigY);
  bool StartDenseItem(TCanvas* Canvas, const TrcChartItem& It, bool BlackWhite, Integer OrigX,
                      Integer OrigY);
  bool DenseStep(TCanvas* Canvas, const TrcChartItem& It, bool BlackWhite);
  // The steps DenseStep and the decoded records share: a line point at pixel P; a mark of
  // Code that the run can take (false: not) and, inside the range, its drawing at P.
  void DenseLinePoint(TCanvas* Canvas, TPoint P);
  // A line point at pixel P (limited to -30000 ... 30000) when the line's end or P lies
  // beyond the run's box: cut to it as LinePointTo cuts the plain path's line. Far: P lies
  // beyond the box; its unlimited position is that of the world point (FarX, FarY) of
  // FarLayer, worked out only where a part of the line could show.
  void DenseLineTo(TCanvas* Canvas, TPoint P, bool Far, Integer FarLayer, Double FarX, Double FarY);
  // The unlimited position of the world point (x, y) of Layer on the run's canvas.
  ZOdozaMath::TLinePoint DenseFarPosition(Integer Layer, Double x, Double y) const;
  // FLineEndAt, when the run left it to be worked out.
  void ResolveDenseLineEnd();
  bool DenseMarkTaken(Byte Code);
  void DenseMarkAt(TCanvas* Canvas, TPoint P, Byte Code, Integer Param3);
  void FlushDenseMarks(TCanvas* Canvas);
  // DrawDenseRecords past its first stretch: the records decoded ahead on other threads.
  Integer DrawDecodedRecords(TCanvas* Canvas, Integer From, bool BlackWhite);
  // With a run open: draws the data records from From on that the run takes (skipping those
  // the list does not draw) and returns the index of the first it does not take, or Count.
  Integer DrawDenseRecords(TCanvas* Canvas, Integer From, bool BlackWhite);
  bool DenseRunOpen() const { return FDense.Open && FNumPPa == kBatchInRun; }
  bool PrepareDenseRun(TCanvas* Canvas, Integer OrigX, Integer OrigY);
  void LoadDenseLayer(Integer Layer);
  void OpenDenseRun(TCanvas* Canvas);
  void CloseDenseRun(TCanvas* Canvas);
  void DrawDenseLine(TCanvas* Canvas);
  TPoint DensePixel(const TrcChartItem& It);
  const TMarkStamp& MarkStamp(Byte Code);
  // Polyline through Pts with the columns reduced where that paints the same pixels.
  void DrawLinePoints(TCanvas* Canvas, const TPoint* Pts, Integer Count, bool Reducible);
  bool LineIsReducible(TCanvas* Canvas) const;

  // ---- colours kept while a black-and-white copy is made ----
  TColor ColBakChart = 0, ColBakFont = 0, ColBakFrame = 0, ColBakShadowBgnd = 0, ColBakShadow = 0,
         ColBakWindow = 0;
  std::array<TColor, kNumLayers + 1> ColBakScalesX{}, ColBakScalesY{}, ColBakSclFontX{},
      ColBakSclFontY{};

private:
  // A record with the six fields every primitive fills (kind, layer, class, colour, pen
  // style, tag) and the current line width; the rest zero.
  TrcChartItem NewItem(TrcItem Kind, TCoordMode Mode) const;
  void Store(TrcChartItem Item);  // data items are kept as world coordinates
  void MoveToIntern(Double x, Double y, TCoordMode Mode);
  void DrawToIntern(Double x, Double y, TCoordMode Mode);
  void TextIntern(Double x, Double y, Integer size, const String& txt, Integer dx, Integer dy,
                  TAlignment Alignment, TCoordMode Mode);
  void CursorIntern(TrcItem Kind, Double v, TCoordMode Mode);
  void TwoPoint(TrcItem Kind, Double x1, Double y1, Double x2, Double y2, TCoordMode Mode);
  void RectFrameIntern(Double x1, Double y1, Double x2, Double y2, TFrameStyle Style, TColor Shadow,
                       TColor HiLight, TCoordMode Mode);
  void SetRangeIntern(Integer Layer, long double LoX, long double LoY, long double HiX,
                      long double HiY, bool StoreZoom, bool Confine);
  void EqualRange(const std::vector<Integer>& Layers, bool DoX, bool DoY);
  void AutoRangeAxes(Integer Layer, Double Margin, Double MinRange, bool DoX, bool DoY);
  void ArrowIntern(TrcItem Kind, Double x1, Double y1, Double x2, Double y2, Integer HeadSize,
                   TCoordMode Mode);
  // Applies the helpers' and settings' wiring of one layer after a reset or a copy.
  void WireLayer(Integer Layer);
  void ResetDisplayList();
  void EmptyContainer(TRcItemContainer& C, Integer& Count, Integer& Alloc);
  String GetLongText(const TRcItemContainer& C, Integer Count, const TLongTextArray& Table,
                     Integer idx) const;
  void SetLongText(TRcItemContainer& C, Integer Count, TLongTextArray& Table, Integer& Used,
                   Integer idx, const String& Text);
};
