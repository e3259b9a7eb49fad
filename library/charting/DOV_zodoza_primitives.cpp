// The drawing primitives: each appends one record to the display list and returns.
#include <algorithm>
#include <cmath>

#include "DOV_zodoza.h"

namespace {
constexpr Double kArcUnitsPerRadian = 1e8;
constexpr Integer kMaxBarAngle = 180;
}  // namespace

TrcChartItem TCustomZOdoza::NewItem(TrcItem Kind, TCoordMode Mode) const {
  TrcChartItem it;
  it.ItemKind = Kind;
  it.Layer = FActiveLayer;
  it.ItemClass = RcClassDefault;
  it.Color = RcDataCol;
  it.PenStyle = RcPenStyle;
  it.Tag = FDataTag;
  it.LWid = RcLineWid;
  it.CoordMode = Mode;
  return it;
}

// Data items are always stored in world coordinates (they move with the ranges); only an
// annotation keeps the coordinate mode of the overload that made it.
void TCustomZOdoza::Store(TrcChartItem Item) {
  if (!FAnnoMode) Item.CoordMode = cmAllWorld;
  AppendItem(Item);
}

void TCustomZOdoza::MarkAt(Double x, Double y, Byte mk) {
  TrcChartItem it = NewItem(tkMarkAt, cmAllWorld);
  it.x = x;
  it.y = y;
  it.Param3 = mk;
  Store(it);
}

void TCustomZOdoza::MarkAt(Integer x, Integer y, Byte mk) {
  TrcChartItem it = NewItem(tkMarkAt, cmAllScreen);
  it.x = x;
  it.y = y;
  it.Param3 = mk;
  Store(it);
}

void TCustomZOdoza::MarkErrorBar(Double x, Double y, Double dlower, Double dupper, TOrientation Dir,
                                 Byte mk) {
  TrcChartItem it = NewItem(tkMarkEBar, cmAllWorld);
  it.x = x;
  it.y = y;
  it.x2 = dlower;
  it.y2 = dupper;
  it.Param1 = Dir;
  it.Param3 = mk;
  Store(it);
}

void TCustomZOdoza::TextIntern(Double x, Double y, Integer size, const String& txt, Integer dx,
                               Integer dy, TAlignment Alignment, TCoordMode Mode) {
  TrcChartItem it = NewItem(dx == 0 && dy == 0 ? tkText : tkTextOfs, Mode);
  it.x = x;
  it.y = y;
  it.x2 = dx;
  it.y2 = dy;
  it.FillColor = RcFillCol;
  it.SetText(txt);
  it.LWid = 0;
  TLongTextArray& table = FAnnoMode ? FLongTextsAnno : FData->LongTexts;
  Integer& used = FAnnoMode ? FNumLongTextsAnno : FData->NumLongTexts;
  // What the record's 8-bit characters cannot keep (more than 15 characters, or one beyond
  // Latin-1) goes to a long text.
  if (!TrcChartItem::KeepsWhole(txt) && used < kMaxLongTexts) {
    table[static_cast<size_t>(used)] = txt;
    it.LWid = ++used;
  }
  it.Param1 = size;
  it.Param2 = FTextBkStyle;
  it.Param3 = Alignment;
  Store(it);
}

void TCustomZOdoza::Text(Double x, Double y, Integer size, const String& txt) {
  TextIntern(x, y, size, txt, 0, 0, FTextAlignment, cmAllWorld);
}
void TCustomZOdoza::Text(Integer x, Integer y, Integer size, const String& txt) {
  TextIntern(x, y, size, txt, 0, 0, FTextAlignment, cmAllScreen);
}
void TCustomZOdoza::Text(Double x, Integer y, Integer size, const String& txt) {
  TextIntern(x, y, size, txt, 0, 0, FTextAlignment, cmXWorldYScreen);
}
void TCustomZOdoza::Text(Integer x, Double y, Integer size, const String& txt) {
  TextIntern(x, y, size, txt, 0, 0, FTextAlignment, cmXScreenYWorld);
}
void TCustomZOdoza::Text(Double x, Double y, Integer size, const String& txt, Integer dx,
                         Integer dy, TAlignment Alignment) {
  TextIntern(x, y, size, txt, dx, dy, Alignment, cmAllWorld);
}

void TCustomZOdoza::MoveToIntern(Double x, Double y, TCoordMode Mode) {
  TrcChartItem it = NewItem(tkMoveTo, Mode);
  it.x = x;
  it.y = y;
  Store(it);
}

void TCustomZOdoza::DrawToIntern(Double x, Double y, TCoordMode Mode) {
  TrcChartItem it = NewItem(tkLineto, Mode);
  it.x = x;
  it.y = y;
  it.FillColor = RcFillCol;
  Store(it);
}

void TCustomZOdoza::MoveToRelPix(Integer dx, Integer dy) {
  TrcChartItem it = NewItem(tkMoveRelPix, cmAllWorld);
  it.x = dx;
  it.y = dy;
  Store(it);
}

void TCustomZOdoza::DrawToRelPix(Integer dx, Integer dy) {
  TrcChartItem it = NewItem(tkLineRelPix, cmAllWorld);
  it.x = dx;
  it.y = dy;
  it.FillColor = RcFillCol;
  Store(it);
}

void TCustomZOdoza::DrawToRelPix(Double x, Double y, Integer dx, Integer dy) {
  TrcChartItem it = NewItem(tkLineRelPixOrig, cmAllWorld);
  it.x = x;
  it.y = y;
  it.x2 = dx;
  it.y2 = dy;
  it.FillColor = RcFillCol;
  Store(it);
}

void TCustomZOdoza::CursorIntern(TrcItem Kind, Double v, TCoordMode Mode) {
  TrcChartItem it = NewItem(Kind, Mode);
  (Kind == tkCursorVert ? it.x : it.y) = v;
  it.FillColor = RcFillCol;
  Store(it);
}

void TCustomZOdoza::TwoPoint(TrcItem Kind, Double x1, Double y1, Double x2, Double y2,
                             TCoordMode Mode) {
  TrcChartItem it = NewItem(Kind, Mode);
  it.x = x1;
  it.y = y1;
  it.x2 = x2;
  it.y2 = y2;
  it.FillColor = RcFillCol;
  if (Kind == tkRect) it.Transp = FTranspItems;
  Store(it);
}

void TCustomZOdoza::LineOffset(Double x1, Double y1, Double x2, Double y2, Integer dx, Integer dy) {
  TrcChartItem it = NewItem(tkLineOffs, cmAllWorld);
  it.x = x1;
  it.y = y1;
  it.x2 = x2;
  it.y2 = y2;
  it.Param1 = dx;
  it.Param2 = dy;
  it.FillColor = RcFillCol;
  Store(it);
}

void TCustomZOdoza::RectangleRelPix(Double centx, Double centy, Integer dx, Integer dy) {
  TrcChartItem it = NewItem(tkRectRelPix, cmAllWorld);
  it.x = centx;
  it.y = centy;
  it.Param1 = dx;
  it.Param2 = dy;
  it.FillColor = RcFillCol;
  it.Transp = FTranspItems;
  Store(it);
}

void TCustomZOdoza::RectFrameIntern(Double x1, Double y1, Double x2, Double y2, TFrameStyle Style,
                                    TColor Shadow, TColor HiLight, TCoordMode Mode) {
  TrcChartItem it = NewItem(tkRectFrame, Mode);
  it.x = x1;
  it.y = y1;
  it.x2 = x2;
  it.y2 = y2;
  it.FillColor = RcFillCol;
  it.LWid = 1;
  it.FrameStyle = static_cast<Byte>(Style);
  it.ShadowColor = Shadow;
  it.HiLightColor = HiLight;
  Store(it);
}

void TCustomZOdoza::Bar3D(Double llx, Double lly, Double urx, Double ury, Integer Depth,
                          Integer Angle) {
  TrcChartItem it = NewItem(tk3DBar, cmAllWorld);
  it.x = llx;
  it.y = lly;
  it.x2 = urx;
  it.y2 = ury;
  it.FillColor = RcFillCol;
  it.Param1 = std::clamp(Angle, 0, kMaxBarAngle);
  it.Param2 = Depth;
  Store(it);
}

void TCustomZOdoza::Ellipse(Double cx, Double cy, Double HorizAxLeng, Double VertAxLeng) {
  TrcChartItem it = NewItem(tkEllipse, cmAllWorld);
  it.x = cx;
  it.y = cy;
  it.x2 = HorizAxLeng;
  it.y2 = VertAxLeng;
  it.FillColor = RcFillCol;
  it.Transp = FTranspItems;
  Store(it);
}

void TCustomZOdoza::Arc(Double cx, Double cy, Double HorizAxLeng, Double VertAxLeng, Double Angle1,
                        Double Angle2) {
  TrcChartItem it = NewItem(tkArc, cmAllWorld);
  it.x = cx;
  it.y = cy;
  it.x2 = HorizAxLeng;
  it.y2 = VertAxLeng;
  it.FillColor = RcFillCol;
  it.Transp = FTranspItems;
  // A NaN angle counts as 0 (it has no pixel direction).
  const auto units = [](Double a) {
    if (!(a == a)) a = 0;
    return static_cast<Integer>(std::nearbyint(std::clamp(a, -M_PI, M_PI) * kArcUnitsPerRadian));
  };
  it.Param1 = units(Angle1);
  it.Param2 = units(Angle2);
  Store(it);
}

void TCustomZOdoza::ArrowIntern(TrcItem Kind, Double x1, Double y1, Double x2, Double y2,
                                Integer HeadSize, TCoordMode Mode) {
  TrcChartItem it = NewItem(Kind, Mode);
  it.x = x1;
  it.y = y1;
  it.x2 = x2;
  it.y2 = y2;
  it.FillColor = RcFillCol;
  it.Transp = FTranspItems;
  it.Param1 = HeadSize;
  Store(it);
}
