#pragma once
// TSmithChart: a chart of the complex reflection coefficient of a radio-frequency load. Its
// data area shows the impedance grid (the unit circle, circles of constant normalised
// resistance and arcs of constant normalised reactance, with labels) under the display list;
// world x is Re Γ and world y is Im Γ of layer 1. The grid is drawn by InitGraf, so every
// picture of the data area (the screen and the exports) carries it. Every grid curve that
// crosses the picture is drawn at its true place, whatever the zoom and the axis directions;
// curves larger than the picture are clipped to it geometrically, so the work follows the
// pixels drawn. The chart stays isometric after every change of range, as its range setters
// leave it.
//
// The chart's operations are those of TCustomZOdoza with layer 1 and cross hair 1 supplied;
// the drawing primitives, file and export operations are the base class's as they are.

#include "DOV_zodoza.h"

class TSmithChart : public TCustomZOdoza {
public:
  explicit TSmithChart(TComponent* AOwner);
  String ClassName() const override { return "TSmithChart"; }
  void Assign(TPersistent* Source) override;

  // ---- impedance and reflection, both normalised to the reference impedance ----
  // Γ of z = Resistance + j Reactance. At z = -1 the real part is not a number; elsewhere on
  // Resistance = -1 the results are the exact limits (1, 2 / Reactance). Both conversions hold
  // over the whole double range (no intermediate square underflows or overflows).
  static Double CalcReflectionReal(Double Resistance, Double Reactance);
  static Double CalcReflectionImag(Double Resistance, Double Reactance);
  // z of Γ; Γ = 1 (an open circuit) answers 1.7e38 for both.
  static Double CalcResistance(Double ReflectionReal, Double ReflectionImag);
  static Double CalcReactance(Double ReflectionReal, Double ReflectionImag);

  // Keeps both spans of layer 1 and centres them on Γ = 0.
  void CentezOdoza();

  // The picture copies and printing of the chart; the metafile copies stay protected.
  using TCustomZOdoza::CopyToBitmap;
  using TCustomZOdoza::CopyToBitmapDAOnly;
  using TCustomZOdoza::CopyToBMP;
  using TCustomZOdoza::CopyToClipboard;
  using TCustomZOdoza::CopyToClipboardDAOnly;
  using TCustomZOdoza::CopyToOpenPrinter;
  using TCustomZOdoza::PrintIt;

  // Layer 1's ranges. Each setter leaves the chart isometric and paints once (unless the
  // caller holds SuppressPaint, which it keeps).
  Double RangeXLow() const { return GetScalePropsX(1)->RangeLow(); }
  Double RangeXHigh() const { return GetScalePropsX(1)->RangeHigh(); }
  Double RangeYLow() const { return GetScalePropsY(1)->RangeLow(); }
  Double RangeYHigh() const { return GetScalePropsY(1)->RangeHigh(); }
  void SetRangeXLow(Double Value);
  void SetRangeXHigh(Double Value);
  void SetRangeYLow(Double Value);

  // The grid's colours; a change repaints whatever AutoRedraw says.
  TColor GridColorLight() const { return FGridColLight; }
  TColor GridColorDark() const { return FGridColDark; }
  TColor DiagramColor() const { return FDiagramColor; }
  void SetGridColorLight(TColor Value);
  void SetGridColorDark(TColor Value);
  void SetDiagramColor(TColor Value);

  // Cross hair 1.
  TCrossHair* CrossHair() const { return TCustomZOdoza::CrossHair(1); }
  void SetCrossHair(TCrossHair* Value) { TCustomZOdoza::SetCrossHair(1, Value); }
  Double CrossHairPosX() const { return GetCHPosX(1); }
  Double CrossHairPosY() const { return GetCHPosY(1); }
  void SetCrossHairPosX(Double Value) { SetCHPosX(1, Value); }
  void SetCrossHairPosY(Double Value) { SetCHPosY(1, Value); }
  void CrossHairSetPos(Double x, Double y) { TCustomZOdoza::CrossHairSetPos(1, x, y); }
  void CrossHairSetup(TColor chColor, TCrossHMode Mode, TPenStyle LineType, Integer LineWidth) {
    TCustomZOdoza::CrossHairSetup(1, chColor, Mode, LineType, LineWidth);
  }

  // ---- layer 1 ----
  void M2R(Integer xin, Integer yin, Double& ReflReal, Double& ReflImag) const {
    TCustomZOdoza::M2R(1, xin, yin, ReflReal, ReflImag);
  }
  void R2M(Double ReflReal, Double ReflImag, Integer& xout, Integer& yout) const {
    TCustomZOdoza::R2M(1, ReflReal, ReflImag, xout, yout);
  }
  void GetTransformParams(Double& kx, Double& dx, Double& ky, Double& dy) const {
    TCustomZOdoza::GetTransformParams(1, kx, dx, ky, dy);
  }
  void SetRange(Double xLo, Double yLo, Double xHi, Double yHi) {
    TCustomZOdoza::SetRange(1, xLo, yLo, xHi, yHi);
  }
  void AutoRange(Double Margin) { TCustomZOdoza::AutoRange(1, Margin); }
  void AutoRange(Double Margin, Double MinRange) { TCustomZOdoza::AutoRange(1, Margin, MinRange); }
  void FindMinMax(Double RangeLoX, Double RangeLoY, Double RangeHiX, Double RangeHiY, Double& MinX,
                  Double& MinY, Double& MaxX, Double& MaxY) const {
    TCustomZOdoza::FindMinMax(1, RangeLoX, RangeLoY, RangeHiX, RangeHiY, MinX, MinY, MaxX, MaxY);
  }

  // The grid under the display list, on top of the base class's background.
  void InitGraf(TCanvas* Canvas, Integer Left, Integer Top, Integer Width, Integer Height) override;
  // 1 ... 5: how many label levels a unit circle Diameter pixels across shows.
  static Integer LabelDensity(Integer Diameter);

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;

protected:
  // The transforms, then layer 1 made isometric again when a change of range reached it some
  // other way than the range setters (a zoom window, a drag, an axis): Y recentred on its
  // middle for X's span, as the range setters do.
  void AdjustScaling() override;
  void AssignTo(TPersistent* Dest) override;
  void CreateWnd() override;
  bool PaintsMouseTrace() const override { return false; }

  // What a Smith chart does not offer: other figures, per-item editing and searching, the
  // layer-wide range tools, zoom history and confinement, the mouse box and trace.
  using TCustomZOdoza::Arc;
  using TCustomZOdoza::Arrow;
  using TCustomZOdoza::AutoRangeXOnly;
  using TCustomZOdoza::AutoRangeYOnly;
  using TCustomZOdoza::Bar3D;
  using TCustomZOdoza::ClearMouseTrace;
  using TCustomZOdoza::ClearZoomHistory;
  using TCustomZOdoza::ConfineZoomRange;
  using TCustomZOdoza::CursorHoriz;
  using TCustomZOdoza::CursorVert;
  using TCustomZOdoza::DetectScale;
  using TCustomZOdoza::DoubleArrow;
  using TCustomZOdoza::DrawToRelPix;
  using TCustomZOdoza::FindNearestAnnoElem;
  using TCustomZOdoza::FindNearestItemAlongAxis;
  using TCustomZOdoza::FindNearestItemReal;
  using TCustomZOdoza::FindNearestItemScreen;
  using TCustomZOdoza::FindUsedLayers;
  using TCustomZOdoza::GetItemParams;
  using TCustomZOdoza::GetZoomStackEntry;
  using TCustomZOdoza::LineOffset;
  using TCustomZOdoza::MarkErrorBar;
  using TCustomZOdoza::MouseBox;
  using TCustomZOdoza::MoveToRelPix;
  using TCustomZOdoza::RectFrame;
  using TCustomZOdoza::ResetComp;
  using TCustomZOdoza::SaveDataASC;
  using TCustomZOdoza::ScaleAllItems;
  using TCustomZOdoza::ScaleItem;
  using TCustomZOdoza::ScaleSelectedItems;
  using TCustomZOdoza::SetEqualRange;
  using TCustomZOdoza::SetEqualRangeXOnly;
  using TCustomZOdoza::SetEqualRangeYOnly;
  using TCustomZOdoza::SetItemParams;
  using TCustomZOdoza::ZoomHistory;
  using TCustomZOdoza::ZoomStateOnStack;

private:
  // Stores one range end of layer 1 through Store, then makes the chart isometric.
  template <typename StoreFn>
  void SetRangeEnd(StoreFn Store);
  void SetGridColor(TColor& Field, TColor Value);

  // Set while AdjustScaling recentres (and while the constructor lays out its ranges).
  bool FKeepingIsometric = true;
  TColor FGridColLight = 0xDBDBDB;
  TColor FGridColDark = 0xA7A7A7;
  TColor FDiagramColor = 0xF8E8E8;
};
