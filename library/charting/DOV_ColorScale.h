#pragma once
// The colour scale control TColorScale: a colour bar showing a palette spread over a value range
// (the colour range), laid along its own helper axis with a range of its own (the scale range),
// with a caption, an optional cross-hair line and a frame. It converts values to colours and
// back, reports the value under the mouse, lets the user drag the cross-hair or pan and stretch
// the colour range with the mouse, and copies its picture into a bitmap.
//
// Painting is synchronous: a setter that changes what is shown paints at once into the
// persistent picture (and then onto the control), unless SuppressPaint is set or the control is
// not Visible. The axis is a widgetless helper that draws into that picture.

#include <functional>
#include <memory>

#include "DOV_Scale.h"
#include "DOV_sdlbase.h"
#include "DOV_sdlbase_draw.h"
#include "DOV_sdlcolors.h"

enum TColScaleOrientation { csoHorizontal, csoVertical };

// Every mouse move: whether the mouse is over the bar and the axis value under it.
using TMouseMoveInColorScaleEvent =
    std::function<void(TObject* Sender, bool InScale, TShiftState Shift, Double rMousePos)>;
// After bar, axis and caption are drawn into the picture.
using TColorScaleRenderEvent = std::function<void(TObject* Sender, TCanvas* Canvas)>;

class TColorScale : public TCustomControl {
public:
  explicit TColorScale(TComponent* AOwner);
  ~TColorScale() override;
  String ClassName() const override { return "TColorScale"; }

  void Assign(TPersistent* Source) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // Sets scale range and colour range together; equal ends are widened by 1 on each side.
  void SetScaleRange(Double lowval, Double highval);
  // The palette colour of a value; values beyond the colour range get the end colours.
  TColor ValueToColor(Double v) const;
  // The value whose colour is nearest to cl.
  Double ColorToValue(TColor cl) const;
  Integer ValueToPixel(Double v) const;
  // Nothing before the first paint. A negative PosX or PosY resizes ABitmap to the picture and
  // puts it at (0, 0).
  void CopyToBitMap(TBitmap* ABitmap, Integer PosX, Integer PosY) const;
  // The mouse-move message: the toolkit's handling (MouseMove, OnMouseMove), then
  // OnMouseMoveInScale. The toolkit delivers moves through MouseMove, which ends here too.
  void WMMouseMoveInScale(TShiftState Shift, int X, int Y) { MouseMove(Shift, X, Y); }

  // The palette (1000 rainbow colours at first); changing it repaints.
  TColorArray* ColorArray() const { return FColorArray.get(); }
  TScale* Scale() const { return FScale; }
  // The picture of the last paint.
  TBitmap* GrafBmp() const { return FGrafBmp.get(); }

  // ---- properties ----
  TCrossHair* CrossHair() const { return FCrossHair.get(); }
  void SetCrossHair(TCrossHair* Value);
  Double ScaleRangeLow() const { return FColSclMin; }
  Double ScaleRangeHigh() const { return FColSclMax; }
  void SetScaleRangeLow(Double Value);
  void SetScaleRangeHigh(Double Value);
  Double ColorLow() const { return FColorLow; }
  Double ColorHigh() const { return FColorHigh; }
  void SetColorLow(Double Value);
  void SetColorHigh(Double Value);
  TColScaleOrientation Orientation() const { return FColScaleOrient; }
  void SetOrientation(TColScaleOrientation Value);
  Integer MarginTop() const { return FMarginTop; }
  Integer MarginBottom() const { return FMarginBottom; }
  Integer MarginLeft() const { return FMarginLeft; }
  Integer MarginRight() const { return FMarginRight; }
  void SetMarginTop(Integer Value);
  void SetMarginBottom(Integer Value);
  void SetMarginLeft(Integer Value);
  void SetMarginRight(Integer Value);
  bool ExtendColors() const { return FExtendColors; }
  void SetExtendColors(bool Value);
  bool FramedColorScale() const { return FFramedColors; }
  void SetFramedColorScale(bool Value);
  TColor ColorSclBkgd() const { return FColorSclBkgd; }
  void SetColorSclBkgd(TColor Value);
  TColor ColorOfScale() const { return FColorScale; }
  void SetColorOfScale(TColor Value);
  TFrameStyle FrameStyle() const { return FFrameSt; }
  void SetFrameStyle(TFrameStyle Value);
  TColorScheme ColorScheme() const { return FColorScheme; }
  void SetColorScheme(TColorScheme Value);
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  TColor CaptionColor() const { return FCaptColor; }
  void SetCaptionColor(TColor Value);
  Integer CaptionPosX() const { return FCaptPosX; }
  Integer CaptionPosY() const { return FCaptPosY; }
  void SetCaptionPosX(Integer Value);
  void SetCaptionPosY(Integer Value);
  Integer CaptionSize() const { return FCaptSize; }
  void SetCaptionSize(Integer Value);
  TFontStyles CaptionStyle() const { return FCaptStyle; }
  void SetCaptionStyle(TFontStyles Value);
  Integer MinTicks() const;
  void SetMinTicks(Integer Value);
  TMouseActMode MouseAction() const { return FMouseAction; }
  void SetMouseAction(TMouseActMode Value) { FMouseAction = Value; }
  // What the current colour drag changes (set by a mouse-down).
  TZoomPanMode ZoomPanMode() const { return FZoomPanMode; }
  bool SuppressPaint() const { return FSuppressPaint; }
  void SetSuppressPaint(bool Value);

  TMouseMoveInColorScaleEvent OnMouseMoveInScale;
  TNotifyEvent OnCrossHairMove;
  TColorScaleRenderEvent OnDataRendered;
  TZoomPanEvent OnZoomPan;

  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Paint() override;

protected:
  void AssignTo(TPersistent* Dest) override;

private:
  bool Horizontal() const { return FColScaleOrient == csoHorizontal; }
  void LayoutAxis();
  Double BarLength() const;
  void DrawBar(TCanvas* cv);
  void DrawCrossHair(TCanvas* cv);
  // The palette colour of pixel Pos of the bar whose colour range runs from pixel Low to High;
  // the middle colour when the range is squeezed into one pixel (Degenerate).
  TColor BarColor(Double Pos, Double Low, Double High, bool Degenerate) const;

  TScale* FScale = nullptr;  // owned
  std::unique_ptr<TColorArray> FColorArray;
  std::unique_ptr<TBitmap> FGrafBmp;
  std::unique_ptr<TCrossHair> FCrossHair;
  Double FColSclMin = -10, FColSclMax = 10;
  Double FColorLow = -10, FColorHigh = 10;
  TColScaleOrientation FColScaleOrient = csoHorizontal;
  Integer FMarginTop = 8, FMarginBottom = 22, FMarginLeft = 16, FMarginRight = 16;
  bool FExtendColors = false;
  bool FFramedColors = true;
  TColor FColorSclBkgd = 0xC0C0C0;
  TColor FColorScale = clBlack;
  TFrameStyle FFrameSt = fsLowered;
  TColorScheme FColorScheme = csBWG;
  TColor FColBlackLine = clBlack, FColGrayLine = 0x808080, FColWhiteLine = 0xFFFFFF;
  String FCaption;
  TColor FCaptColor = clBlack;
  Integer FCaptPosX = 10, FCaptPosY = 10;
  Integer FCaptSize = 12;
  TFontStyles FCaptStyle{fsBold};
  TMouseActMode FMouseAction = maNone;
  Integer FMouseAnchorX = 0, FMouseAnchorY = 0;
  Double FAnchorSclLow = 0, FAnchorSclHigh = 0;
  TZoomPanMode FZoomPanMode = zpmPan;
  bool FLeftButWasDown = false;
  bool FSuppressPaint = false;
};

// Component palette registration; nothing to do in this toolkit.
void Register();
