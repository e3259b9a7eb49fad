#pragma once
// TContourPlot: a chart that shows a scalar field z(x, y) over the visible range of layer 1.
// The field is sampled on a grid of pivots whose corners sit on the corners of the visible
// range; the application supplies the values pivot by pivot (OnEstimateZVal), and may set a
// mask byte per pivot at the same time. The field is drawn as iso points or as a colour
// surface between IsoLow and IsoHigh, straight into the pixel memory of the data-area bitmap;
// items, annotations, text labels, axes and cross hairs of the chart are drawn over it.
//
// The drawn field is kept in GrafBmp between paints and rebuilt only when it is marked invalid
// (settings of the plot, zoom and pan, resizing, labels, DrawPlot) or when the bitmap no longer
// matches the transform of layer 1 or its size. Changing a mask byte, Enabled or the values the
// application would return does not rebuild it: the application calls DrawPlot.
//
// Indexes: pivots ix = 1 ... NumPivotsX (columns, along x), iy = 1 ... NumPivotsY (rows, along
// y); colours of IsoColors and MaskPalette from 1.

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "DOV_ColorScale.h"
#include "DOV_dstruct.h"
#include "DOV_matrix.h"
#include "DOV_sdlcolors.h"
#include "DOV_zodozaPub.h"

enum TContourPlotMode {
  cpmDots,                // iso points, each in the colour of its level
  cpmMonoDots,            // iso points, all in the first iso colour
  cpmColorSurface,        // colour surface interpolated between the pivots
  cpmColorSurfNoIp,       // one uniform cell around each pivot
  cpmColorSurfNoIpTransp  // as cpmColorSurfNoIp, cells below the lowest colour left out
};

// Asks for the value at world position (x, y) of pivot (pivx, pivy): z arrives as 0, Mask as
// the pivot's mask byte; both may be changed.
using TEstimateZValEvent = std::function<void(TObject* Sender, Double x, Double y, Integer pivx,
                                              Integer pivy, Double& z, Byte& Mask)>;

// Mask bytes of a pivot.
constexpr Byte kMaskDrawn = 0;       // drawn normally
constexpr Byte kMaskHole = 1;        // left out: the background shows
constexpr Byte kMaskInverted = 255;  // drawn, then colour-inverted; 2 ... 254 paint MaskPalette

// Direct access to the pixels of a 24- or 32-bit bitmap. Pixel (x, y) lies at
// Base + y * Stride + x * BytesPerPixel; Stride is negative for bottom-up rows. Writes outside
// the bitmap are dropped.
struct TPixelMemory {
  Byte* Base = nullptr;
  std::ptrdiff_t Stride = 0;
  Integer BytesPerPixel = 4;
  Integer Width = 0, Height = 0;

  // Empty (nothing is ever written) for a bitmap without pixels.
  static TPixelMemory Of(TBitmap* Bitmap);
  bool Empty() const { return Base == nullptr; }
  void Put(Integer x, Integer y, TColor Color) const;
  // Every pixel from column x1 to x2 and from row y1 to y2, both ends included; nothing when
  // x2 < x1 or y2 < y1.
  void Fill(Integer x1, Integer y1, Integer x2, Integer y2, TColor Color) const;
  void Invert(Integer x, Integer y) const;  // every colour channel c becomes 255 - c
};

class TContourPlot : public TZOdoza {
public:
  explicit TContourPlot(TComponent* AOwner);
  ~TContourPlot() override;
  String ClassName() const override { return "TContourPlot"; }
  void Assign(TPersistent* Source) override;
  void Loaded() override;
  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
  bool SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) override;

  // Every setting to its default, the chart's included; painting stays suppressed.
  void ResetComp();

  // ---- the pivots ----
  // The pivot pass: asks OnEstimateZVal for every pivot (while Enabled), stores the values and
  // mask bytes, and updates MaxPivot and MinPivot. With PreCalcFlag the values are used by the
  // next drawing instead of being asked for again.
  void CalculatePivotPoints(bool PreCalcFlag);
  void ClearPivotPoints(bool PreCalcFlag);
  // prob in percent; with UseMask only the pivots of mask byte 0 count.
  Double PercentilePivots(Double prob) const;
  Double PercentilePivots(Double prob, bool UseMask) const;
  void FillMask(Byte value);
  Double GetPivotVal(Integer ix, Integer iy) const;  // 0 outside the pivots
  Byte GetMaskVal(Integer ix, Integer iy) const;     // 0 outside the pivots
  // Ignored outside the pivots; neither invalidates nor paints (DrawPlot does).
  void SetMaskVal(Integer ix, Integer iy, Byte Value);
  // Largest and smallest value of the last pivot pass (NaN values are not counted).
  Double MaxPivot() const { return FMaximum; }
  Double MinPivot() const { return FMinimum; }
  TMatrix* PivotMatrix() const { return FPivotMat.get(); }
  TByteMatrix* MaskMatrix() const { return FMaskMat.get(); }

  Integer NumPivotsX() const { return FNumPivotX; }
  Integer NumPivotsY() const { return FNumPivotY; }
  void SetNumPivotsX(Integer n);  // clamped to 2 ... 1000; the values are lost
  void SetNumPivotsY(Integer n);
  // 5 x the larger pivot count; setting it (clamped to 10 ... 5000) gives r / 5 + 1 pivots
  // along the longer side of the data area and proportionally fewer along the other.
  Integer PivotResolution() const { return 5 * std::max(FNumPivotX, FNumPivotY); }
  void SetPivotResolution(Integer r);

  // ---- iso levels and colours ----
  TContourPlotMode PlotMode() const { return FPlotMode; }
  void SetPlotMode(TContourPlotMode Value);
  Double IsoLow() const { return FIsoLow; }
  Double IsoHigh() const { return FIsoHigh; }
  Double IsoDist() const { return FIsoDist; }
  // Non-finite values are ignored. IsoLow pushes IsoHigh to IsoLow + 1 when it is not above,
  // IsoHigh pushes IsoLow to IsoHigh - 1.
  void SetIsoLow(Double v);
  void SetIsoHigh(Double v);
  // A spacing that is not positive gives no iso levels (the surface is still drawn).
  void SetIsoDist(Double v);
  void SetIsoParams(Double iLow, Double iHigh, Double iDist);
  // The levels drawn as iso points: IsoLow + (k - 1) IsoDist, k = 1 ... NumIsoLevels
  // (round((IsoHigh - IsoLow) / IsoDist), at most 65535).
  Integer NumIsoLevels() const;
  // Colours of the levels and of the surface (1000 at first); changing them rebuilds the
  // field and updates the attached colour scale.
  TColorArray* IsoColors() const { return FIsoColors.get(); }
  // Colours of the mask values 2 ... 254 (2 ... 17: the 16 standard colours).
  TColorArray* MaskPalette() const { return FMaskPalette.get(); }
  // A scale that shows IsoColors over IsoLow ... IsoHigh; nullptr detaches. The plot does not
  // own it: detach before freeing the scale.
  TColorScale* AttachedColorScale() const { return FExtColScale; }
  void SetAttachedColorScale(TColorScale* Value);

  // When false, the pivot pass stores 0 for every pivot without asking the application.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) override;

  // ---- appearance: these rebuild the field ----
  void SetChartCol(TColor Value);
  void SetScaleCol(TColor Value);  // ChartFrameColor
  void SetLRim(Integer Value);
  void SetRRim(Integer Value);
  void SetTRim(Integer Value);
  void SetBRim(Integer Value);
  void SetF3DRim(Integer Value);
  void SetClassVisib(Integer cnum, bool Value);
  void SetAnnoClassVisib(Integer cnum, bool Value);
  void SetSuppressPaint(bool Value) override;
  bool InvalidDataBmp() const { return FInvalidDataBmp; }
  // Marks the drawn field invalid and paints.
  void DrawPlot();

  // ---- layer 1 and cross hair 1 ----
  using TCustomZOdoza::CrossHair;
  using TCustomZOdoza::CrossHairSetPos;
  using TCustomZOdoza::GetTransformParams;
  using TCustomZOdoza::M2R;
  using TCustomZOdoza::R2M;
  using TCustomZOdoza::SetCrossHair;
  using TCustomZOdoza::SetRange;
  void R2M(Double x, Double y, Integer& xout, Integer& yout) const { R2M(1, x, y, xout, yout); }
  void M2R(Integer xin, Integer yin, Double& xout, Double& yout) const {
    M2R(1, xin, yin, xout, yout);
  }
  void GetTransformParams(Double& kx, Double& dx, Double& ky, Double& dy) const {
    GetTransformParams(1, kx, dx, ky, dy);
  }
  void SetRange(Double xLo, Double yLo, Double xHi, Double yHi);
  void CrossHairSetPos(Double x, Double y) { CrossHairSetPos(1, x, y); }
  TCrossHair* CrossHair() const { return CrossHair(1); }
  void SetCrossHair(TCrossHair* Value) { SetCrossHair(1, Value); }

  // ---- text labels: changes rebuild the field ----
  void HideAllTextLabels();
  void ClearAllTextLabels();
  Integer AddTextLabel(Double PosX, Double PosY, TColor TxtColor, const String& Txt,
                       Integer PropertyTemplate);
  void SetTextLabel(Integer Idx, Double PosX, Double PosY, TColor TxtColor, const String& Txt,
                    Integer PropertyTemplate);

  // ---- drawing ----
  // The data area into Bitmap with its top-left corner at (OffX, OffY). Into GrafBmp (the
  // screen's): when the field is invalid the pivot pass, the field, the items and the labels,
  // then in every case OnDataRendered and the outline. Into any other bitmap (a copy): the
  // whole data area as ConstructDataBmpCanvas draws it, the field into the pixels.
  // FirstItem is not used.
  void ConstructDataBmp(TBitmap* Bitmap, Integer OffX, Integer OffY, bool BlackWhite,
                        Integer FirstItem) override;
  // The data area on a device (a metafile, a printed page) with its top-left corner at (OffX,
  // OffY): the field the screen shows drawn through the canvas routines of the cells (IsoQuad,
  // IsoColQuad), then the items, the labels, OnDataRendered and the outline. The bitmap copies
  // take the same field through ConstructDataBmp; a copy made while the screen shows no field
  // that fits the chart makes the pivot pass itself.
  void ConstructDataBmpCanvas(TCanvas* Canvas, Integer OffX, Integer OffY, bool BlackWhite,
                              Integer FirstItem) override;
  // The field from the pivot matrix and the mask overlay.
  void RenderFromPivotPoints(TBitmap* Bitmap, Integer OffX, Integer OffY);
  // One cell between four pivots, (x0, y0) its lower-left world corner, dx and dy its size,
  // z00 ... z11 the values at its corners (first index along x), nx and ny its subdivisions:
  // as iso points (IsoQuad) and as colour surface (IsoColQuad), into pixel memory (SL) or
  // through a canvas. (OffX, OffY) is the target position of the data area's top-left corner.
  void IsoQuadSL(const TPixelMemory& Pixels, Integer OffX, Integer OffY, Double x0, Double y0,
                 Double dx, Double dy, Double z00, Double z10, Double z01, Double z11, Integer nx,
                 Integer ny);
  void IsoColQuadSL(const TPixelMemory& Pixels, Integer OffX, Integer OffY, Double x0, Double y0,
                    Double dx, Double dy, Double z00, Double z10, Double z01, Double z11,
                    Integer nx, Integer ny);
  void IsoQuad(TCanvas* Canvas, Integer OffX, Integer OffY, Double x0, Double y0, Double dx,
               Double dy, Double z00, Double z10, Double z01, Double z11, Integer nx, Integer ny);
  void IsoColQuad(TCanvas* Canvas, Integer OffX, Integer OffY, Double x0, Double y0, Double dx,
                  Double dy, Double z00, Double z10, Double z01, Double z11, Integer nx,
                  Integer ny);
  // The 30 text labels; vaTop and vaCenter move a label by one line whatever its line count.
  void RenderLabels(TCanvas* Canvas, Integer OffX, Integer OffY);

  TEstimateZValEvent OnEstimateZVal;
  TOnPercentDoneEvent OnProgress;

  // The colour rules of the field (exposed for the colour scale and for tests). A colour
  // number counts from 1; 0 stands for the first colour too; -1 means "no colour" (NaN).
  Integer LevelColorNumber(Double Level) const;
  Integer ValueColorNumber(Double z) const;
  // The index of a cell drawn without interpolation: 0 below IsoLow (drawn in colour 1, or
  // left out in cpmColorSurfNoIpTransp), -1 for NaN.
  Integer CellColorIndex(Double z) const;

protected:
  void AssignTo(TPersistent* Dest) override;
  void CreateWnd() override;
  void Paint() override;

private:
  struct TFieldSetup;
  // The pivot values and mask bytes a field is drawn from, column by column.
  struct TFieldValues {
    Integer nx = 0, ny = 0;
    std::vector<Double> Values;
    std::vector<Byte> Masks;
    size_t At(Integer ix, Integer iy) const {
      return static_cast<size_t>(ix - 1) * static_cast<size_t>(ny) + static_cast<size_t>(iy - 1);
    }
  };
  TFieldValues TakeFieldValues() const;
  // Both phases of a field into a pixel-memory or canvas sink; the rectangles of inverted
  // pivots are handed back for the target's own way of inverting.
  template <class Sink, class RefreshFn>
  void DrawField(const TFieldValues& V, Sink& Out, Integer OffX, Integer OffY, RefreshFn Refresh,
                 std::vector<TRect>& Inverted);
  void RenderField(TBitmap* Bitmap, Integer OffX, Integer OffY, const TFieldValues& V);
  void RenderFieldOnCanvas(TCanvas* Canvas, Integer OffX, Integer OffY, const TFieldValues& V);
  // OnBeforeRenderData, the canvas's brush and pen colours kept.
  void BeforeField(TCanvas* Canvas, Integer OffX, Integer OffY);
  // The data area of a copy: into Pixels' memory when given, else through Canvas.
  void DrawCopy(TCanvas* Canvas, TBitmap* Pixels, Integer OffX, Integer OffY, bool BlackWhite);
  struct TFieldGeometry {
    const TBitmap* Bitmap = nullptr;
    Double kx = 0, dx = 0, ky = 0, dy = 0;
    Integer Width = -1, Height = -1;
    bool operator==(const TFieldGeometry&) const = default;
  };
  // Copies of the settings the cell routines read, made once per field.
  TFieldSetup MakeSetup() const;
  template <class Sink>
  void IsoPointsCell(const TFieldSetup& S, Sink& Out, Integer OffX, Integer OffY, Double x0,
                     Double y0, Double dx, Double dy, Double z00, Double z10, Double z01,
                     Double z11, Integer nx, Integer ny) const;
  template <class Sink>
  void SurfaceCell(const TFieldSetup& S, Sink& Out, Integer OffX, Integer OffY, Double x0,
                   Double y0, Double dx, Double dy, Double z00, Double z10, Double z01, Double z11,
                   Integer nx, Integer ny) const;
  // The pivot's rectangle (half a spacing on each side) in target pixels, corners ordered.
  TRect PivotRect(Double x, Double y, Double dx, Double dy, Integer OffX, Integer OffY) const;
  TFieldGeometry CurrentGeometry(const TBitmap* Bitmap) const;

  Double XLow() const;
  Double XHigh() const;
  Double YLow() const;
  Double YHigh() const;
  Double PivotX(Integer ix) const;
  Double PivotY(Integer iy) const;

  void MarkInvalid();
  // A margin or the shadow width changes: invalidate, then the chart's own setter.
  void MarginChanged(Integer Current, Integer Value, void (TCustomZOdoza::*Setter)(Integer));
  // Invalidates, updates the attached scale and paints.
  void IsoColorsChanged();
  void UpdateAttachedScale();
  void CplotStyleChanged();
  void ProcessZoomPan();
  void ProcessResize();
  void FeedbackProgress(Integer percent);
  // New pivot and mask matrices of the given size (values lost, masks 0), refused with an
  // ESDLZOdozaError before anything is allocated when the memory cannot be had.
  void AllocatePivots(Integer nx, Integer ny);
  void ResizePivotMatrix(Integer width, Integer height);
  void PivotsResized(Integer nx, Integer ny);
  void WireOwnHandlers();

  TContourPlotMode FPlotMode = cpmColorSurface;
  std::unique_ptr<TMatrix> FPivotMat;
  std::unique_ptr<TByteMatrix> FMaskMat;
  Integer FNumPivotX = 2, FNumPivotY = 2;
  Double FIsoLow = -1, FIsoHigh = 1, FIsoDist = 0.1;
  Double FMaximum = 0, FMinimum = 0;
  bool FEnabled = true;
  bool FPivotPreCalc = false;
  TColorScale* FExtColScale = nullptr;
  String FExtColScaleName;  // from a window description, resolved by Loaded
  std::unique_ptr<TColorArray> FIsoColors;
  std::unique_ptr<TColorArray> FMaskPalette;

  // The field in GrafBmp was drawn for this geometry, from these values; a paint with another
  // geometry rebuilds it.
  TFieldGeometry FFieldGeometry;
  TFieldValues FShownField;
  // Paints asked for while a field is being built (the pivot pass lets events run) are
  // deferred until it is done; an invalidation meanwhile keeps the new field invalid.
  bool FBuildingField = false;
  bool FRepaintPending = false;
  bool FRepainting = false;
  bool FInvalidatedWhileBuilding = false;
};
