// The contour plot as a component: construction and defaults, copying, the settings that
// rebuild the field, the pivot grid and its pass, masks, percentiles, and the window-description
// properties. The drawing lives in DOV_contour_render.cpp.
#include "DOV_contour.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>

#include "DOV_vector.h"
#include "Forms.h"
#include "SysUtils.h"

namespace {
constexpr Integer kMinPivots = 2, kMaxPivots = 1000;
constexpr Integer kMinResolution = 10, kMaxResolution = 5000;
constexpr Integer kPixelsPerPivot = 5;
constexpr Integer kMaskColors = 255;
constexpr Integer kStandardMaskColors = 16;
constexpr Double kDefaultRange = 5.2;

// The "unset" extremes of a pivot pass.
constexpr Double kNoMaximum = -1.7e308, kNoMinimum = 1.7e308;

// Invalidates the field of the plot it points to. A named type, so that a copy of a chart can
// tell the plot's own handler from one the application installed.
struct TFieldInvalidator {
  TContourPlot* Plot;
  void (TContourPlot::*Handler)();
  void operator()(TObject*) const { (Plot->*Handler)(); }
};

template <typename E>
E DescribedIdent(const TPropValue& Value, std::initializer_list<std::pair<const char*, E>> Names) {
  for (const auto& [name, e] : Names)
    if (Value.AsString() == name) return e;
  throw EConvertError("'" + Value.AsString() + "' is not a valid value here");
}

Integer DescribedInt(const TPropValue& Value) {
  const Int64 v = Value.AsInteger();
  return static_cast<Integer>(std::clamp<Int64>(v, std::numeric_limits<Integer>::min(),
                                                std::numeric_limits<Integer>::max()));
}
}  // namespace

// ---- construction ------------------------------------------------------------------------------
TContourPlot::TContourPlot(TComponent* AOwner) : TZOdoza(AOwner) {
  FMaskPalette = std::make_unique<TColorArray>(nullptr);
  FPivotMat = std::make_unique<TMatrix>(nullptr);
  FMaskMat = std::make_unique<TByteMatrix>(nullptr);
  FIsoColors = std::make_unique<TColorArray>(nullptr);
  ResetComp();
}

TContourPlot::~TContourPlot() = default;

void TContourPlot::WireOwnHandlers() {
  for (Integer i = 1; i <= kNumTextLabels; ++i)
    FTextLabels[i]->OnChange = [this](TObject*) { CplotStyleChanged(); };
  OnZoomPan = TFieldInvalidator{this, &TContourPlot::ProcessZoomPan};
  OnResize = TFieldInvalidator{this, &TContourPlot::ProcessResize};
  FIsoColors->OnChange = [this](TObject*) { IsoColorsChanged(); };
}

void TContourPlot::ResetComp() {
  TCustomZOdoza::ResetComp();
  OnEstimateZVal = nullptr;
  OnBeforeRendezOdozaItem = nullptr;
  OnDataRendered = nullptr;
  OnProgress = nullptr;
  WireOwnHandlers();

  const Integer w = Width() - RcLRim - RcRRim, h = Height() - RcTRim - RcBRim;
  // A data area narrower than two pivots still gets two, so the spacing stays finite.
  const Integer nx = std::max(kMinPivots, w / kPixelsPerPivot);
  const Integer ny = std::max(kMinPivots, h / kPixelsPerPivot);
  FInvalidDataBmp = true;
  FPivotPreCalc = false;
  FExtColScale = nullptr;
  FExtColScaleName.clear();
  FEnabled = true;
  RcDataCol = clBlack;
  AllocatePivots(nx, ny);

  FMaskPalette->SetSize(kMaskColors);
  FMaskPalette->FillByInterpolation(0,
                                    {0x000000, 0xFF0000, 0x008000, 0x0000FF, 0x00FFFF, 0xFFFFFF});
  for (Integer m = 2; m < 2 + kStandardMaskColors; ++m)
    FMaskPalette->SetColorElem(m, PredefinedColors[static_cast<size_t>(m - 2)]);

  FIsometric = false;
  FPlotMode = cpmColorSurface;
  FIsoLow = -1;
  FIsoDist = 0.1;
  FIsoHigh = 1;

  RcGridStyle = gsPoints;
  RcGridDx = RcGridDy = 0;
  FPanGridDx = FPanGridDy = 1;
  FPanGridOffsX = FPanGridOffsY = 0;

  Scale1Y()->SetRangeHigh(kDefaultRange);
  Scale1Y()->SetRangeLow(-kDefaultRange);
  Scale1X()->SetRangeHigh(kDefaultRange);
  Scale1X()->SetRangeLow(-kDefaultRange);
  for (Integer n = 2; n <= kNumLayers; ++n) {
    GetScalePropsX(n)->SetVisible(false);
    GetScalePropsY(n)->SetVisible(false);
  }
  Scale1X()->SetVisible(true);
  Scale1Y()->SetVisible(true);
}

void TContourPlot::CreateWnd() {
  TZOdoza::CreateWnd();  // ends the paint suppression of construction, without painting
}

void TContourPlot::Loaded() {
  if (!FExtColScaleName.empty()) {
    TComponent* c = Owner() != nullptr ? Owner()->FindComponent(FExtColScaleName) : nullptr;
    auto* scale = dynamic_cast<TColorScale*>(c);
    if (scale == nullptr)
      throw EComponentError(ComponentErrorMessage(
          this, "AttachedColorScale: no colour scale named '" + FExtColScaleName + "'"));
    FExtColScale = scale;
    FExtColScaleName.clear();
    UpdateAttachedScale();
  }
  TZOdoza::Loaded();
}

// ---- copying -----------------------------------------------------------------------------------
void TContourPlot::AssignTo(TPersistent* Dest) {
  if (dynamic_cast<TContourPlot*>(Dest) != nullptr)
    Dest->Assign(this);
  else
    TCustomZOdoza::AssignTo(Dest);
}

void TContourPlot::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TContourPlot*>(Source);
  if (s == nullptr || s == this) {
    if (s == nullptr) TCustomZOdoza::Assign(Source);
    return;
  }
  FPlotMode = s->FPlotMode;
  FPivotMat->Assign(s->FPivotMat.get());
  FMaskMat->Assign(s->FMaskMat.get());
  FMaskMat->OnChange = nullptr;
  FIsoColors->Assign(s->FIsoColors.get());
  FNumPivotX = s->FNumPivotX;
  FNumPivotY = s->FNumPivotY;
  FIsoLow = s->FIsoLow;
  FIsoHigh = s->FIsoHigh;
  FIsoDist = s->FIsoDist;
  FMaximum = s->FMaximum;
  FMinimum = s->FMinimum;
  FInvalidDataBmp = s->FInvalidDataBmp;
  OnEstimateZVal = s->OnEstimateZVal;
  OnProgress = s->OnProgress;
  FMaskPalette->Assign(s->FMaskPalette.get());
  // The chart's copy takes the source's zoom handler and rewires the labels to the chart's
  // own repaint; the plot's handlers must be this plot's (the source may be freed first).
  const bool ownZoomPan = s->OnZoomPan.target<TFieldInvalidator>() != nullptr;
  const TNotifyEvent keepResize = OnResize;
  TCustomZOdoza::Assign(s);
  WireOwnHandlers();
  if (!ownZoomPan) OnZoomPan = s->OnZoomPan;
  OnResize = keepResize;
  // The copy's field is drawn into its own bitmap.
  FFieldGeometry = TFieldGeometry();
  Paint();
}

// ---- settings ----------------------------------------------------------------------------------
void TContourPlot::MarkInvalid() {
  FInvalidDataBmp = true;
  if (FBuildingField) FInvalidatedWhileBuilding = true;
}

void TContourPlot::DrawPlot() {
  MarkInvalid();
  Paint();
}

void TContourPlot::CplotStyleChanged() { DrawPlot(); }
void TContourPlot::ProcessZoomPan() { MarkInvalid(); }
void TContourPlot::ProcessResize() { MarkInvalid(); }

void TContourPlot::FeedbackProgress(Integer percent) {
  if (OnProgress) OnProgress(this, percent);
}

void TContourPlot::UpdateAttachedScale() {
  if (FExtColScale == nullptr) return;
  FExtColScale->ColorArray()->CopyFrom(FIsoColors.get(), 1, FIsoColors->Size(), 1);
  FExtColScale->SetScaleRange(FIsoLow, FIsoHigh);
}

void TContourPlot::IsoColorsChanged() {
  MarkInvalid();
  UpdateAttachedScale();
  Paint();
}

void TContourPlot::SetAttachedColorScale(TColorScale* Value) {
  FExtColScaleName.clear();
  if (Value == FExtColScale) return;
  FExtColScale = Value;
  IsoColorsChanged();
}

void TContourPlot::SetPlotMode(TContourPlotMode Value) {
  if (Value == FPlotMode) return;
  FPlotMode = Value;
  DrawPlot();
}

void TContourPlot::SetIsoLow(Double v) {
  if (v == FIsoLow || !std::isfinite(v)) return;
  FIsoLow = v;
  if (!(FIsoHigh > v)) FIsoHigh = v + 1;
  IsoColorsChanged();
}

void TContourPlot::SetIsoHigh(Double v) {
  if (v == FIsoHigh || !std::isfinite(v)) return;
  FIsoHigh = v;
  if (!(v > FIsoLow)) FIsoLow = v - 1;
  IsoColorsChanged();
}

void TContourPlot::SetIsoDist(Double v) {
  if (v == FIsoDist || !std::isfinite(v)) return;
  FIsoDist = v;
  DrawPlot();
}

void TContourPlot::SetIsoParams(Double iLow, Double iHigh, Double iDist) {
  if (iLow == FIsoLow && iHigh == FIsoHigh && iDist == FIsoDist) return;
  if (!std::isfinite(iLow) || !std::isfinite(iHigh) || !std::isfinite(iDist)) return;
  FIsoLow = iLow;
  FIsoHigh = iHigh;
  if (!(iHigh > iLow)) FIsoLow = iHigh - 1;
  FIsoDist = iDist;
  IsoColorsChanged();
}

Integer TContourPlot::NumIsoLevels() const {
  const Double n = std::nearbyint((FIsoHigh - FIsoLow) / FIsoDist);
  // A spacing of 0 or below (or lost to rounding) gives no levels rather than a count that
  // wraps around.
  if (!(FIsoDist > 0) || !(n >= 0)) return 0;
  return static_cast<Integer>(std::min<Double>(n, std::numeric_limits<Word>::max()));
}

void TContourPlot::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Paint();
}

void TContourPlot::SetChartCol(TColor Value) {
  if (Value == RcChartCol) return;
  RcChartCol = Value;
  DrawPlot();
}

void TContourPlot::SetScaleCol(TColor Value) {
  if (Value == FChartFrameCol) return;
  FChartFrameCol = Value;
  DrawPlot();
}

void TContourPlot::MarginChanged(Integer Current, Integer Value,
                                 void (TCustomZOdoza::*Setter)(Integer)) {
  if (Value == Current) return;
  MarkInvalid();
  (this->*Setter)(Value);
}

void TContourPlot::SetLRim(Integer Value) { MarginChanged(RcLRim, Value, &TCustomZOdoza::SetLRim); }
void TContourPlot::SetRRim(Integer Value) { MarginChanged(RcRRim, Value, &TCustomZOdoza::SetRRim); }
void TContourPlot::SetTRim(Integer Value) { MarginChanged(RcTRim, Value, &TCustomZOdoza::SetTRim); }
void TContourPlot::SetBRim(Integer Value) { MarginChanged(RcBRim, Value, &TCustomZOdoza::SetBRim); }
void TContourPlot::SetF3DRim(Integer Value) {
  MarginChanged(F3DRim, Value, &TCustomZOdoza::SetF3DRim);
}

void TContourPlot::SetClassVisib(Integer cnum, bool Value) {
  if (GetClassVisib(cnum) == Value) return;
  MarkInvalid();
  TCustomZOdoza::SetClassVisib(cnum, Value);
}

void TContourPlot::SetAnnoClassVisib(Integer cnum, bool Value) {
  if (GetAnnoClassVisib(cnum) == Value) return;
  MarkInvalid();
  TCustomZOdoza::SetAnnoClassVisib(cnum, Value);
}

void TContourPlot::SetSuppressPaint(bool Value) {
  if (Value == FSuppressPaint) return;
  FSuppressPaint = Value;
  if (!Value) DrawPlot();
}

void TContourPlot::SetRange(Double xLo, Double yLo, Double xHi, Double yHi) {
  MarkInvalid();
  TCustomZOdoza::SetRange(1, xLo, yLo, xHi, yHi);
}

void TContourPlot::HideAllTextLabels() {
  MarkInvalid();
  TCustomZOdoza::HideAllTextLabels();
}

void TContourPlot::ClearAllTextLabels() {
  MarkInvalid();
  TCustomZOdoza::ClearAllTextLabels();
}

// Filling a label sets a dozen of its properties; the field is rebuilt once, afterwards.
Integer TContourPlot::AddTextLabel(Double PosX, Double PosY, TColor TxtColor, const String& Txt,
                                   Integer PropertyTemplate) {
  const bool saved = FSuppressPaint;
  FSuppressPaint = true;
  const Integer n = TCustomZOdoza::AddTextLabel(PosX, PosY, TxtColor, Txt, PropertyTemplate);
  FSuppressPaint = saved;
  DrawPlot();
  return n;
}

void TContourPlot::SetTextLabel(Integer Idx, Double PosX, Double PosY, TColor TxtColor,
                                const String& Txt, Integer PropertyTemplate) {
  const bool saved = FSuppressPaint;
  FSuppressPaint = true;
  TCustomZOdoza::SetTextLabel(Idx, PosX, PosY, TxtColor, Txt, PropertyTemplate);
  FSuppressPaint = saved;
  DrawPlot();
}

// ---- the pivot grid ----------------------------------------------------------------------------
void TContourPlot::AllocatePivots(Integer nx, Integer ny) {
  const auto cells = static_cast<std::uint64_t>(nx) * static_cast<std::uint64_t>(ny);
  const std::uint64_t bytes = cells * (sizeof(double) + sizeof(Byte));
  if (bytes > ObtainableMemoryBytes())
    throw ESDLZOdozaError(ComponentErrorMessage(
        this, IntToStr(nx) + " x " + IntToStr(ny) + " pivots need more memory than can be had"));
  FPivotMat->ResizeAndClear(nx, ny);
  FMaskMat->Resize(nx, ny);
  FMaskMat->Fill(kMaskDrawn);
  FNumPivotX = nx;
  FNumPivotY = ny;
}

void TContourPlot::PivotsResized(Integer nx, Integer ny) {
  AllocatePivots(nx, ny);
  DrawPlot();
}

void TContourPlot::SetNumPivotsX(Integer n) {
  PivotsResized(std::clamp(n, kMinPivots, kMaxPivots), FNumPivotY);
}

void TContourPlot::SetNumPivotsY(Integer n) {
  PivotsResized(FNumPivotX, std::clamp(n, kMinPivots, kMaxPivots));
}

void TContourPlot::SetPivotResolution(Integer r) {
  r = std::clamp(r, kMinResolution, kMaxResolution);
  const Integer w = Width() - RcLRim - RcRRim, h = Height() - RcTRim - RcBRim;
  const Integer along = r / kPixelsPerPivot + 1;
  // The shorter side gets proportionally fewer pivots; a side without pixels gets two.
  const auto across = [&](Integer shorter, Integer longer) {
    const Double n =
        longer > 0 ? std::nearbyint(static_cast<Double>(r) / kPixelsPerPivot * shorter / longer) + 1
                   : kMinPivots;
    return static_cast<Integer>(std::clamp<Double>(n, kMinPivots, along));
  };
  if (w < h)
    PivotsResized(across(w, h), along);
  else
    PivotsResized(along, across(h, w));
}

void TContourPlot::ResizePivotMatrix(Integer width, Integer height) {
  width = std::clamp(width, kMinResolution, kMaxResolution);
  height = std::clamp(height, kMinResolution, kMaxResolution);
  PivotsResized(width / kPixelsPerPivot, height / kPixelsPerPivot);
}

Double TContourPlot::XLow() const { return Scale1X()->RangeLow(); }
Double TContourPlot::XHigh() const { return Scale1X()->RangeHigh(); }
Double TContourPlot::YLow() const { return Scale1Y()->RangeLow(); }
Double TContourPlot::YHigh() const { return Scale1Y()->RangeHigh(); }

Double TContourPlot::PivotX(Integer ix) const {
  return XLow() + (XHigh() - XLow()) * (ix - 1) / (FNumPivotX - 1);
}

Double TContourPlot::PivotY(Integer iy) const {
  return YLow() + (YHigh() - YLow()) * (iy - 1) / (FNumPivotY - 1);
}

Double TContourPlot::GetPivotVal(Integer ix, Integer iy) const {
  if (ix < 1 || ix > FNumPivotX || iy < 1 || iy > FNumPivotY) return 0;
  return FPivotMat->GetVal(ix, iy);
}

Byte TContourPlot::GetMaskVal(Integer ix, Integer iy) const {
  if (ix < 1 || ix > FNumPivotX || iy < 1 || iy > FNumPivotY) return 0;
  return FMaskMat->GetByte(ix, iy);
}

void TContourPlot::SetMaskVal(Integer ix, Integer iy, Byte Value) {
  if (ix < 1 || ix > FNumPivotX || iy < 1 || iy > FNumPivotY) return;
  FMaskMat->SetByte(ix, iy, Value);
}

void TContourPlot::FillMask(Byte value) { FMaskMat->Fill(value); }

void TContourPlot::CalculatePivotPoints(bool PreCalcFlag) {
  if (!(FPivotPreCalc && !PreCalcFlag)) {
    FMaximum = kNoMaximum;
    FMinimum = kNoMinimum;
    // The counts are read once: a handler that resizes the grid meanwhile only makes the
    // remaining stores fall outside, where they are ignored.
    const Integer nx = FNumPivotX, ny = FNumPivotY;
    const Integer s = std::max(1, nx / 100);
    for (Integer ix = 1; ix <= nx; ++ix) {
      if (ix % s == 0) {
        FeedbackProgress(static_cast<Integer>(std::nearbyint(100.0 * ix / nx)));
        Application->ProcessMessages();
      }
      for (Integer iy = 1; iy <= ny; ++iy) {
        const Double x = PivotX(ix), y = PivotY(iy);
        Double z = 0;
        Byte mask = FMaskMat->GetByte(ix, iy);
        if (OnEstimateZVal && FEnabled) OnEstimateZVal(this, x, y, ix, iy, z, mask);
        FPivotMat->SetVal(ix, iy, z);
        FMaskMat->SetByte(ix, iy, mask);
        if (z > FMaximum) FMaximum = z;
        if (z < FMinimum) FMinimum = z;
      }
    }
  }
  FPivotPreCalc = PreCalcFlag;
}

void TContourPlot::ClearPivotPoints(bool PreCalcFlag) {
  if (PreCalcFlag || !FPivotPreCalc) FPivotMat->Fill(0);
  FPivotPreCalc = PreCalcFlag;
}

Double TContourPlot::PercentilePivots(Double prob) const {
  return FPivotMat->Percentile(prob, 1, 1, FPivotMat->NrOfColumns(), FPivotMat->NrOfRows());
}

Double TContourPlot::PercentilePivots(Double prob, bool UseMask) const {
  if (!UseMask) return PercentilePivots(prob);
  std::vector<Double> kept;
  for (Integer ix = 1; ix <= FNumPivotX; ++ix)
    for (Integer iy = 1; iy <= FNumPivotY; ++iy)
      if (FMaskMat->GetByte(ix, iy) == kMaskDrawn) kept.push_back(FPivotMat->GetVal(ix, iy));
  TVector v(nullptr);
  v.Resize(std::max<Integer>(1, static_cast<Integer>(kept.size())));
  for (size_t i = 0; i < kept.size(); ++i) v.SetVal(static_cast<Integer>(i + 1), kept[i]);
  // No pivot left: a vector's one element (0) answers, as for a vector that holds nothing.
  return v.Percentile(prob, 1, static_cast<Integer>(kept.size()));
}

// ---- window descriptions -----------------------------------------------------------------------
bool TContourPlot::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "PlotMode")
    SetPlotMode(DescribedIdent<TContourPlotMode>(
        Value, {{"cpmDots", cpmDots},
                {"cpmMonoDots", cpmMonoDots},
                {"cpmColorSurface", cpmColorSurface},
                {"cpmColorSurfNoIp", cpmColorSurfNoIp},
                {"cpmColorSurfNoIpTransp", cpmColorSurfNoIpTransp}}));
  else if (Prop == "IsoLow")
    SetIsoLow(static_cast<Double>(Value.AsFloat()));
  else if (Prop == "IsoHigh")
    SetIsoHigh(static_cast<Double>(Value.AsFloat()));
  else if (Prop == "IsoDist")
    SetIsoDist(static_cast<Double>(Value.AsFloat()));
  else if (Prop == "NumPivotsX")
    SetNumPivotsX(DescribedInt(Value));
  else if (Prop == "NumPivotsY")
    SetNumPivotsY(DescribedInt(Value));
  else if (Prop == "PivotResolution")
    SetPivotResolution(DescribedInt(Value));
  else if (Prop == "Enabled")
    SetEnabled(Value.AsBoolean());
  else if (Prop == "AttachedColorScale")
    FExtColScaleName = Value.AsString();
  else if (Prop == "MarginLeft" || Prop == "LRim")
    SetLRim(DescribedInt(Value));
  else if (Prop == "MarginRight" || Prop == "RRim")
    SetRRim(DescribedInt(Value));
  else if (Prop == "MarginTop" || Prop == "TRim")
    SetTRim(DescribedInt(Value));
  else if (Prop == "MarginBottom" || Prop == "BRim")
    SetBRim(DescribedInt(Value));
  else if (Prop == "ShadowWidth")
    SetF3DRim(DescribedInt(Value));
  else
    return TZOdoza::SetDescribedProperty(Prop, Value);
  return true;
}

bool TContourPlot::SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) {
  if (Event == "OnEstimateZVal")
    OnEstimateZVal =
        FindEventHandler<void(TObject*, Double, Double, Integer, Integer, Double&, Byte&)>(
            Root, Handler, Event);
  else if (Event == "OnProgress")
    OnProgress = FindEventHandler<void(TObject*, Integer)>(Root, Handler, Event);
  else
    return TZOdoza::SetDescribedEvent(Event, Handler, Root);
  return true;
}
