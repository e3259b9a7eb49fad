#include "DOV_zodozaPub.h"

#include <initializer_list>
#include <utility>

#include "DOV_contour.h"
#include "DOV_smith.h"
#include "Graphics.h"
#include "SysUtils.h"

namespace {

// An enumeration value a description names by identifier; an unknown name is an error the
// loader reports with file and line.
template <typename E>
E DescribedIdent(const TPropValue& Value, std::initializer_list<std::pair<const char*, E>> Names) {
  for (const auto& [name, e] : Names)
    if (Value.AsString() == name) return e;
  throw EConvertError("'" + Value.AsString() + "' is not a valid value here");
}

Integer AsInt(const TPropValue& Value) { return static_cast<Integer>(Value.AsInteger()); }

}  // namespace

TColor DescribedChartColor(const TPropValue& Value) {
  if (Value.kind == TPropValue::Kind::Ident) {
    TColor c = 0;
    if (IdentToColor(Value.AsString(), c)) return c;
    throw EConvertError("'" + Value.AsString() + "' is not a colour");
  }
  return static_cast<TColor>(Value.AsInteger());
}

bool TZOdoza::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  return SetPublishedChartProperty(Prop, Value);
}

bool TCustomZOdoza::SetPublishedChartProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "LRim" || Prop == "MarginLeft")
    SetLRim(AsInt(Value));
  else if (Prop == "RRim" || Prop == "MarginRight")
    SetRRim(AsInt(Value));
  else if (Prop == "TRim" || Prop == "MarginTop")
    SetTRim(AsInt(Value));
  else if (Prop == "BRim" || Prop == "MarginBottom")
    SetBRim(AsInt(Value));
  else if (Prop == "AutoRedraw")
    SetAutoRedraw(Value.AsBoolean());
  else if (Prop == "GridDx")
    SetGridDx(static_cast<Double>(Value.AsFloat()));
  else if (Prop == "GridDy")
    SetGridDy(static_cast<Double>(Value.AsFloat()));
  else if (Prop == "GridColor")
    SetGridCol(DescribedChartColor(Value));
  else if (Prop == "ChartColor")
    SetChartCol(DescribedChartColor(Value));
  else if (Prop == "DataColor")
    SetDataCol(DescribedChartColor(Value));
  else if (Prop == "ShadowColor")
    SetShadowColor(DescribedChartColor(Value));
  else if (Prop == "ShadowBakColor")
    SetShadowBakColor(DescribedChartColor(Value));
  else if (Prop == "ShadowWidth")
    SetF3DRim(AsInt(Value));
  else if (Prop == "LineWidth")
    SetLineWid(AsInt(Value));
  else if (Prop == "FillColor" || Prop == "TextBkColor")
    SetFillCol(DescribedChartColor(Value));
  else if (Prop == "WindColor")
    SetWindCol(DescribedChartColor(Value));
  else if (Prop == "ChartFrameColor")
    SetScaleCol(DescribedChartColor(Value));
  else if (Prop == "MouseTraceColor")
    SetMouseTraceColor(DescribedChartColor(Value));
  else if (Prop == "MouseTraceInvert")
    SetMouseTraceInvert(Value.AsBoolean());
  else if (Prop == "Isometric")
    SetIsoMetric(Value.AsBoolean());
  else if (Prop == "AllocSize")
    SetAllocSize(AsInt(Value));
  else if (Prop == "AvoidDuplicateMarks")
    SetAvoidDupMarks(Value.AsBoolean());
  else if (Prop == "MinDupMarkDist")
    SetDupMarksMinD(AsInt(Value));
  else if (Prop == "ClassDefault")
    SetClassDefault(static_cast<Byte>(AsInt(Value)));
  // The chart's own caption, not the control's text.
  else if (Prop == "Caption")
    SetChartCaption(Value.AsString());
  else if (Prop == "CaptionPosX")
    SetCaptPosX(AsInt(Value));
  else if (Prop == "CaptionPosY")
    SetCaptPosY(AsInt(Value));
  else if (Prop == "CaptionAnchorHoriz")
    SetCaptAnchorX(
        DescribedIdent<TCaptionAnchorHoriz>(Value, {{"cahControlLeft", cahControlLeft},
                                                    {"cahChartLeft", cahChartLeft},
                                                    {"cahChartCenter", cahChartCenter},
                                                    {"cahChartRight", cahChartRight},
                                                    {"cahControlRight", cahControlRight}}));
  else if (Prop == "CaptionAnchorVert")
    SetCaptAnchorY(
        DescribedIdent<TCaptionAnchorVert>(Value, {{"cavControlTop", cavControlTop},
                                                   {"cavChartTop", cavChartTop},
                                                   {"cavChartCenter", cavChartCenter},
                                                   {"cavChartBottom", cavChartBottom},
                                                   {"cavControlBottom", cavControlBottom}}));
  else if (Prop == "PenStyle")
    SetPenStyle(DescribedIdent<TPenStyle>(Value, {{"psSolid", psSolid},
                                                  {"psDash", psDash},
                                                  {"psDot", psDot},
                                                  {"psDashDot", psDashDot},
                                                  {"psDashDotDot", psDashDotDot},
                                                  {"psClear", psClear}}));
  else if (Prop == "GridStyle")
    SetGridStyle(DescribedIdent<GridStyleType>(Value, {{"gsNone", gsNone},
                                                       {"gsPoints", gsPoints},
                                                       {"gsVertLines", gsVertLines},
                                                       {"gsHorizLines", gsHorizLines},
                                                       {"gsLines", gsLines},
                                                       {"gsVertDotLines", gsVertDotLines},
                                                       {"gsHorizDotLines", gsHorizDotLines},
                                                       {"gsDotLines", gsDotLines}}));
  else if (Prop == "ShadowStyle")
    SetShadowStyle(DescribedIdent<TShadowStyle>(Value, {{"ssFlying", ssFlying}, {"ssBox", ssBox}}));
  else if (Prop == "MouseAction")
    SetMouseAction(DescribedIdent<TMouseActMode>(Value, {{"maNone", maNone},
                                                         {"maPan", maPan},
                                                         {"maPanHoriz", maPanHoriz},
                                                         {"maPanVert", maPanVert},
                                                         {"maPanGrid", maPanGrid},
                                                         {"maRubberBand", maRubberBand},
                                                         {"maZoom", maZoom},
                                                         {"maZoomWind", maZoomWind},
                                                         {"maZoomWindPos", maZoomWindPos},
                                                         {"maZoomDrag", maZoomDrag},
                                                         {"maDragCrossH", maDragCrossH},
                                                         {"maDragLabel", maDragLabel},
                                                         {"maSelectRect", maSelectRect},
                                                         {"maDrawMTrace", maDrawMTrace}}));
  else
    return TCustomZOdoza::SetDescribedProperty(Prop, Value);
  return true;
}

void TZOdoza::CreateWnd() {
  TCustomZOdoza::CreateWnd();
  FSuppressPaint = false;
}

void RegisterChartingClasses() {
  RegisterComponentClass("TZOdoza", [](TComponent* o) -> TComponent* { return new TZOdoza(o); });
  RegisterComponentClass("TSmithChart",
                         [](TComponent* o) -> TComponent* { return new TSmithChart(o); });
  RegisterComponentClass("TContourPlot",
                         [](TComponent* o) -> TComponent* { return new TContourPlot(o); });
}
