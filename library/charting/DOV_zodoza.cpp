// The chart control: construction and defaults, copying, repaint batching, the helper axes,
// ranges and zoom history, layers, size, and the event dispatchers.
#include "DOV_zodoza.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "DOV_sdlcolors.h"
#include "Dialogs.h"
#include "Forms.h"
#include "SysUtils.h"

namespace {
constexpr TColor kCrossHairRed = 0x0000FF;
constexpr Integer kMinDataHeight = 20, kMinDataWidth = 80;
constexpr Integer kScalePosStepX = 30, kScalePosStepY = 50;
constexpr Integer kMaxShadowWidth = 32;
}  // namespace

// ---- construction ------------------------------------------------------------------------------
TCustomZOdoza::TCustomZOdoza(TComponent* AOwner) : TCustomControl(AOwner) {
  for (Integer i = 1; i <= kNumCrossHairs; ++i) FCrossHair[i] = std::make_unique<TCrossHair>();
  for (Integer i = 1; i <= kNumTextLabels; ++i) FTextLabels[i] = std::make_unique<TTextLabel>();
  for (Integer n = 1; n <= kNumLayers; ++n) {
    FScalesX[n] = new TScale(this, TScale::THelper{});
    FScalesX[n]->SetName("RC_FScale_X_" + IntToStr(n));
    FScalesY[n] = new TScale(this, TScale::THelper{});
    FScalesY[n]->SetName("RC_FScale_Y_" + IntToStr(n));
    FScalePropsX[n] = std::make_unique<TScalePropsHoriz>();
    FScalePropsY[n] = std::make_unique<TScalePropsVert>();
  }
  FBakGndFile = std::make_unique<TBakGndImg>(AOwner);
  FJointLayers = std::make_unique<TJointLayers>(this);
  FChartBmp = std::make_unique<TBitmap>();
  FGrafBmp = std::make_unique<TBitmap>();
  FAuxBmp = std::make_unique<TBitmap>();
  TCustomControl::SetBounds(Left(), Top(), 280, 200);
  FMTrace.assign(kMaxMouseTrace, TColoredPoint());
  ResizeGrafBmp();
  FChartBmp->SetSize(Width(), Height());
  FTextFont = std::make_unique<TFont>();
  ResetComp();
  ClearEvents();
}

TCustomZOdoza::~TCustomZOdoza() {
  // Users keep what they showed as their own data; an owner forgets this user.
  for (Integer i = 0; i < FDataUsersNum; ++i) {
    TCustomZOdoza* u = FDataUsers[static_cast<size_t>(i)];
    u->FData = std::make_shared<TChartDataList>(*FData);
    u->FUseDataOf = nullptr;
  }
  FDataUsersNum = 0;
  if (FUseDataOf != nullptr) DetachFromOwner();
  for (Integer n = 1; n <= kNumLayers; ++n) {
    delete FScalesX[n];
    delete FScalesY[n];
    FScalesX[n] = FScalesY[n] = nullptr;
  }
}

void TCustomZOdoza::ClearEvents() {
  OnZoomPan = nullptr;
  OnSelectRect = OnRubberBand = nullptr;
  OnCrossHairMove = nullptr;
  OnBeforeCrossHairMove = nullptr;
  OnTextLabelMove = nullptr;
  OnMouseMoveInChart = nullptr;
  OnScaleTickDrawn = nullptr;
  OnBeforeTickLabel = nullptr;
  OnBeforeRendezOdozaItem = nullptr;
  OnBeforeRenderData = OnDataRendered = OnScalesRendered = nullptr;
  OnBeforeRenderText = nullptr;
}

void TCustomZOdoza::ResizeGrafBmp() {
  FGrafBmp->SetSize(std::max(DataWidth() + 1, 0), std::max(DataHeight() + 1, 0));
}

void TCustomZOdoza::SetHelperMargins(TScale* Scale, bool IsX) {
  if (IsX) {
    Scale->SetMarginLeft(RcLRim);
    Scale->SetMarginRight(RcRRim + F3DRim - 1);
  } else {
    Scale->SetMarginTop(RcTRim);
    Scale->SetMarginBottom(RcBRim + F3DRim - 1);
  }
}

void TCustomZOdoza::WireLayer(Integer n) {
  auto changed = [this](TObject* Sender) { ScalePropsChanged(Sender); };
  for (TScaleProps* p : {static_cast<TScaleProps*>(FScalePropsX[n].get()),
                         static_cast<TScaleProps*>(FScalePropsY[n].get())}) {
    p->OnChange = changed;
    p->DateFormat()->OnChange = changed;
  }
  for (TScale* s : {FScalesX[n], FScalesY[n]}) {
    s->UseForeignCanvas(FChartBmp->Canvas(), 0, 0);
    s->OnScaleTickDrawn = [this](TObject* S, TCanvas* C, TScaleType T, Double v, Integer x,
                                 Integer y) { DoOnScaleTickDrawn(S, C, T, v, x, y); };
    s->OnBeforeTickLabel = [this](TObject* S, TScaleType T, Double v, String& t) {
      DoOnBeforeTickLabel(S, T, v, t);
    };
    s->OnZoomPan = [this](TObject* S) { ScaleZoomPan(S); };
  }
}

void TCustomZOdoza::ResetComp() {
  Settings() = TZOdozaSettings{};  // paints stay suppressed until the reset is done
  ResetDisplayList();
  FAxisDragOn = FActDragOn = false;
  FData->LastElemOnShow = 0;

  for (Integer i = 1; i <= kNumCrossHairs; ++i) {
    TCrossHair* ch = FCrossHair[i].get();
    ch->OnChange = nullptr;
    ch->SetCrossHLayer(i);
    ch->SetPos(0, 0);
    ch->SetCrossHPosX(0);
    ch->SetCrossHPosY(0);
    ch->SetCrossHColor(kCrossHairRed);
    ch->SetCrossHMode(chOff);
    ch->SetCrossHLineType(psDashDotDot);
    ch->SetCrossHLineWid(1);
    ch->OnChange = [this](TObject* S) { StyleChanged(S); };
  }
  for (Integer i = 1; i <= kNumTextLabels; ++i) {
    TTextLabel* l = FTextLabels[i].get();
    l->OnChange = nullptr;
    l->SetTxtLblPosX(0);
    l->SetTxtLblPosY(0);
    l->SetTxtLblLayer(1);
    l->SetTxtLblScreenPos(tlamBoth);
    l->SetTxtLblAlignment(taCenter);
    l->SetTxtLblVertAlignment(vaBottom);
    l->SetTxtLblColorBkg(0xFFFFFF);
    l->SetTxtLblColorBrd(clBlack);
    l->SetTxtLblShadowDx(3);
    l->SetTxtLblShadowDy(3);
    l->SetTxtLblColorShadow(0x808080);
    l->SetTxtLblTranspar(false);
    l->SetTxtLblCaption("");
    l->SetTxtLblFont(Font());
    l->SetTxtLblVisible(false);
    l->SetTxtLblMode(tlOff);
    l->OnChange = [this](TObject* S) { StyleChanged(S); };
  }
  FBakGndFile->ResetComp();
  FBakGndFile->OnChange = [this](TObject* S) { StyleChanged(S); };
  FJointLayers->ResetComp();
  FJointLayers->OnChange = [this](TObject* S) { StyleChanged(S); };
  FTextFont->Assign(Font());
  // The mouse cursors of the zoom and pan modes come with the mouse handling.
  FGrafBmp->SetPixelFormat(pf32bit);
  FAuxBmp->SetSize(10, 10);

  for (Integer n = 1; n <= kNumLayers; ++n) {
    TScalePropsHoriz* px = FScalePropsX[n].get();
    TScalePropsVert* py = FScalePropsY[n].get();
    px->OnChange = py->OnChange = nullptr;
    px->ResetComp();
    py->ResetComp();
    const bool odd = n % 2 == 1;
    px->FColorScale = py->FColorScale = PredefinedColors[static_cast<size_t>(n - 1)];
    px->FScaleType = odd ? sctXT : sctXB;
    px->FScalePosY = ((n - 1) / 2) * kScalePosStepX;
    py->FScaleType = odd ? sctYR : sctYL;
    py->FScalePosX = ((n - 1) / 2) * kScalePosStepY;
    for (TScale* s : {FScalesX[n], FScalesY[n]}) {
      const bool isX = s == FScalesX[n];
      s->ResetComp();
      s->SetTransparent(true);
      s->SetColorBackGnd(RcWindCol);
      s->SetFrameStyle(fsNone);
      s->SetBounds(0, 0, Width(), Height());
      s->SetMouseAction(isX ? maZoom : maNone);
      SetHelperMargins(s, isX);
      s->SetIsHelperComponent(true);
    }
    WireLayer(n);
  }
  ApplyStdLayout(rcl_X1Bottom_Y1Left, true);
  ClearZoomHistory();
  FLButtonWasDown = false;
}

void TCustomZOdoza::Loaded() {
  TCustomControl::Loaded();
  for (Integer n = 1; n <= kNumLayers; ++n) {
    SetScaleProps(FScalesX[n], FScalePropsX[n].get());
    SetScaleProps(FScalesY[n], FScalePropsY[n].get());
    FScalePropsX[n]->FNotYetLoaded = FScalePropsY[n]->FNotYetLoaded = false;
  }
  AdjustScaling();
  Paint();
}

void TCustomZOdoza::CreateWnd() { TCustomControl::CreateWnd(); }

void TCustomZOdoza::AssignTo(TPersistent* Dest) {
  if (Dest != nullptr && typeid(*Dest) == typeid(*this))
    Dest->Assign(this);
  else
    TCustomControl::AssignTo(Dest);
}

void TCustomZOdoza::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TCustomZOdoza*>(Source);
  if (s == nullptr || s == this) {
    if (s == nullptr) TCustomControl::Assign(Source);
    return;
  }
  Tag = s->Tag;
  Settings() = s->Settings();
  auto copyContainer = [this](const TRcItemContainer& From, Integer Count, TRcItemContainer& To,
                              Integer& ToCount, Integer& ToAlloc) {
    ToAlloc = FAllocSize * (Count / FAllocSize + 1);
    To.assign(From.begin(), From.begin() + Count);
    To.resize(static_cast<size_t>(ToAlloc));
    ToCount = Count;
  };
  copyContainer(s->FData->Container, s->FData->Count, FData->Container, FData->Count, FData->Alloc);
  copyContainer(s->FAnnoContainer, s->FNumAnnoItems, FAnnoContainer, FNumAnnoItems, FNumAllocAnno);
  FData->LongTexts = s->FData->LongTexts;
  FLongTextsAnno = s->FLongTextsAnno;
  FData->NumLongTexts = s->FData->NumLongTexts;
  FNumLongTextsAnno = s->FNumLongTextsAnno;
  FData->LastElemOnShow = s->FData->LastElemOnShow;
  FData->ItemCount = s->FData->ItemCount;
  for (Integer n = 1; n <= kNumLayers; ++n) {
    FScalesX[n]->Assign(s->FScalesX[n]);
    FScalesY[n]->Assign(s->FScalesY[n]);
    // The copies keep this chart's wiring and draw on this chart's bitmap.
    FScalePropsX[n]->Assign(s->FScalePropsX[n].get());
    FScalePropsY[n]->Assign(s->FScalePropsY[n].get());
    WireLayer(n);
  }
  Cpkx = s->Cpkx;
  Cpdx = s->Cpdx;
  Cpky = s->Cpky;
  Cpdy = s->Cpdy;
  FZoomStack = s->FZoomStack;
  FZStackPoi = s->FZStackPoi;
  // Sharing links are not copied: the source's owner and users would not know of the copy.
  FBakGndFile->Assign(s->FBakGndFile.get());
  FBakGndFile->OnChange = [this](TObject* S) { StyleChanged(S); };
  for (Integer i = 1; i <= kNumCrossHairs; ++i) {
    FCrossHair[i]->Assign(s->FCrossHair[i].get());
    FCrossHair[i]->OnChange = [this](TObject* S) { StyleChanged(S); };
  }
  for (Integer i = 1; i <= kNumTextLabels; ++i) {
    FTextLabels[i]->Assign(s->FTextLabels[i].get());
    FTextLabels[i]->OnChange = [this](TObject* S) { StyleChanged(S); };
  }
  FJointLayers->Assign(s->FJointLayers.get());
  FJointLayers->FOwner = this;
  FJointLayers->OnChange = [this](TObject* S) { StyleChanged(S); };
  FTextFont->Assign(s->FTextFont.get());
  OnZoomPan = s->OnZoomPan;
  OnSelectRect = s->OnSelectRect;
  OnRubberBand = s->OnRubberBand;
  OnCrossHairMove = s->OnCrossHairMove;
  OnBeforeCrossHairMove = s->OnBeforeCrossHairMove;
  OnTextLabelMove = s->OnTextLabelMove;
  OnMouseMoveInChart = s->OnMouseMoveInChart;
  OnScaleTickDrawn = s->OnScaleTickDrawn;
  OnBeforeTickLabel = s->OnBeforeTickLabel;
  OnBeforeRendezOdozaItem = s->OnBeforeRendezOdozaItem;
  OnBeforeRenderData = s->OnBeforeRenderData;
  OnDataRendered = s->OnDataRendered;
  OnScalesRendered = s->OnScalesRendered;
  OnBeforeRenderText = s->OnBeforeRenderText;
  ScalePropsChanged(this);
  AdjustScaling();
  Paint();
}

// ---- repaint batching and the helper axes ------------------------------------------------------
void TCustomZOdoza::SetSuppressPaint(bool Value) {
  if (Value == FSuppressPaint) return;
  FSuppressPaint = Value;
  if (!Value) Paint();
}

void TCustomZOdoza::StyleChanged(TObject*) {
  if (FAutoRedraw || (ComponentState() & csDesigning) != 0) Paint();
}

void TCustomZOdoza::SetScaleProps(TScale* Scale, TScaleProps* Props) {
  Scale->SetScaleType(Props->ScaleType());
  const Integer pos = Props->ScalePos();
  switch (Props->ScaleType()) {
    case sctXB: Scale->SetMarginBottom(pos + Height() - RcTRim - 1); break;
    case sctXT: Scale->SetMarginTop(pos + Height() - RcBRim - F3DRim); break;
    case sctYL: Scale->SetMarginLeft(pos + Width() - RcRRim - F3DRim); break;
    case sctYR: Scale->SetMarginRight(pos + Width() - RcLRim - 1); break;
  }
  Scale->SetRange(Props->RangeLow(), Props->RangeHigh());
  Scale->SetVisible(Props->Visible());
  Scale->SetCaption(Props->Caption());
  Scale->SetCaptionPosX(Props->CaptionPosX());
  Scale->SetCaptionPosY(Props->CaptionPosY());
  Scale->SetCaptionAlignment(Props->CaptionAlignment());
  Scale->SetCaptionAnchor(Props->CaptionAnchor());
  Scale->SetColorScale(Props->ColorScale());
  Scale->SetDecPlaces(Props->DecPlaces());
  Scale->SetLogarithmic(Props->Logarithmic());
  Scale->SetLabelType(Props->LabelType());
  Scale->SetShortTicks(Props->ShortTicks());
  Scale->SetMinTicks(Props->MinTicks());
  Scale->SetScaleInscript(Props->ScaleInscript());
  Scale->SetUserTickText(Props->UserTickText());
  Scale->SetFont(Props->Font());
  Scale->SetDateFormat(Props->DateFormat());
  // Visual styles are never active here, so the settings' own colours always apply.
}

void TCustomZOdoza::ScalePropsChanged(TObject*) {
  const bool saved = FSuppressPaint;
  FSuppressPaint = true;
  for (Integer n = 1; n <= kNumLayers; ++n) {
    SetScaleProps(FScalesX[n], FScalePropsX[n].get());
    SetScaleProps(FScalesY[n], FScalePropsY[n].get());
  }
  for (Integer n = 1; n <= kNumLayers; ++n) {
    const TScaleProps* px = FScalePropsX[n].get();
    const TScaleProps* py = FScalePropsY[n].get();
    ForceRange(n, px->RangeLow(), py->RangeLow(), px->RangeHigh(), py->RangeHigh());
  }
  FSuppressPaint = saved;  // one paint below, not a second one from the setter
  Paint();
}

// ---- ranges and zoom history -------------------------------------------------------------------
void TCustomZOdoza::ZoomStateOnStack() {
  if (IsLoading()) return;
  for (Integer n = 1; n <= kNumLayers; ++n) {
    const TScaleProps* px = FScalePropsX[n].get();
    const TScaleProps* py = FScalePropsY[n].get();
    FZoomStack[n][FZStackPoi] =
        TRectDouble(px->RangeLow(), py->RangeHigh(), px->RangeHigh(), py->RangeLow());
  }
  FZStackPoi = FZStackPoi % kZoomStackDepth + 1;
}

void TCustomZOdoza::ClearZoomHistory() {
  for (auto& layer : FZoomStack) layer.fill(TRectDouble());
  FZStackPoi = 1;
  ZoomStateOnStack();
}

namespace {
bool AllZero(const TRectDouble& R) {
  return R.Left == 0 && R.Top == 0 && R.Right == 0 && R.Bottom == 0;
}
}  // namespace

TRectDouble TCustomZOdoza::GetZoomStackEntry(Integer Layer, Integer StackIx) const {
  if (Layer < 1 || Layer > kNumLayers || StackIx < 1 - kZoomStackDepth || StackIx > 0)
    return TRectDouble();
  Integer e = FZStackPoi + StackIx - 1;
  if (e < 1) e += kZoomStackDepth;
  return FZoomStack[Layer][e];
}

void TCustomZOdoza::ZoomHistory(Integer Index) {
  if (Index < 1 - kZoomStackDepth || Index > 0) return;
  for (Integer n = 1; n <= kNumLayers; ++n) {
    const TRectDouble r = GetZoomStackEntry(n, Index);
    if (!AllZero(r)) ForceRange(n, r.Left, r.Bottom, r.Right, r.Top);
  }
  Paint();
}

// ---- layers ------------------------------------------------------------------------------------
void TCustomZOdoza::SetActiveLayer(Integer Value) {
  if (Value < 1 || Value > kNumLayers) return;
  FActiveLayer = Value;
  StyleChanged(this);
}

bool TCustomZOdoza::GetLayerVisib(Integer Layer) const {
  return Layer >= 1 && Layer <= kNumLayers && FLayerVisib[Layer];
}

void TCustomZOdoza::SetLayerVisib(Integer Layer, bool Value) {
  if (Layer < 1 || Layer > kNumLayers || FLayerVisib[Layer] == Value) return;
  FLayerVisib[Layer] = Value;
  Paint();
}

bool TCustomZOdoza::GetMAffLayer(Integer Layer) const {
  return Layer >= 1 && Layer <= kNumLayers && FMouseAffLayer[Layer];
}

void TCustomZOdoza::SetMAffLayer(Integer Layer, bool Value) {
  if (Layer >= 1 && Layer <= kNumLayers) FMouseAffLayer[Layer] = Value;
}

TScalePropsHoriz* TCustomZOdoza::GetScalePropsX(Integer Layer) const {
  return FScalePropsX[Layer >= 1 && Layer <= kNumLayers ? Layer : 1].get();
}

TScalePropsVert* TCustomZOdoza::GetScalePropsY(Integer Layer) const {
  return FScalePropsY[Layer >= 1 && Layer <= kNumLayers ? Layer : 1].get();
}

void TCustomZOdoza::SetScalePropsX(Integer Layer, TScalePropsHoriz* Value) {
  if (Layer < 1 || Layer > kNumLayers || Value == nullptr) return;
  TScaleProps* own = FScalePropsX[Layer].get();
  const TNotifyEvent handler = own->OnChange;
  own->Assign(Value);
  own->OnChange = handler;
  own->Changed();
}

void TCustomZOdoza::SetScalePropsY(Integer Layer, TScalePropsVert* Value) {
  if (Layer < 1 || Layer > kNumLayers || Value == nullptr) return;
  TScaleProps* own = FScalePropsY[Layer].get();
  const TNotifyEvent handler = own->OnChange;
  own->Assign(Value);
  own->OnChange = handler;
  own->Changed();
}

// ---- standard layouts ----------------------------------------------------------------------
namespace {
struct TAxisLayout {
  bool visible;
  Integer capX, capY;
  TAlignment align;
  TScaleUnitAnchor anchor;
  Integer pos;
  bool farSide;  // X: top instead of bottom; Y: right instead of left
};
struct TLayoutRecord {
  Integer l, r, t, b;
  Integer capX, capY;
  TAlignment capAlign;
  TCaptionAnchorHoriz capH;
  TCaptionAnchorVert capV;
  TAxisLayout x[4], y[4];
};
constexpr TAxisLayout kHidX{false, 10, 100, taCenter, uaSclCenter, 0, false};
constexpr TAxisLayout kHidY{false, 10, 100, taRightJustify, uaSclTopLft, 0, false};
constexpr TAxisLayout kX1{true, 0, 22, taCenter, uaSclCenter, 0, false};
constexpr TAxisLayout YL(Integer pos, Integer capY = -23) {
  return {true, 0, capY, taRightJustify, uaSclTopLft, pos, false};
}
constexpr TLayoutRecord kLayouts[7] = {
    {50,
     20,
     20,
     40,
     0,
     -16,
     taRightJustify,
     cahChartRight,
     cavChartTop,
     {kX1, kHidX, kHidX, kHidX},
     {{true, 0, -16, taLeftJustify, uaSclTopLft, 0, false}, kHidY, kHidY, kHidY}},
    {100,
     20,
     24,
     40,
     0,
     -16,
     taRightJustify,
     cahChartRight,
     cavChartTop,
     {kX1, kHidX, kHidX, kHidX},
     {YL(0), YL(50), kHidY, kHidY}},
    {150,
     20,
     24,
     40,
     0,
     -16,
     taRightJustify,
     cahChartRight,
     cavChartTop,
     {kX1, kHidX, kHidX, kHidX},
     {YL(0), YL(50), YL(100), kHidY}},
    {200,
     20,
     24,
     40,
     0,
     -16,
     taRightJustify,
     cahChartRight,
     cavChartTop,
     {kX1, kHidX, kHidX, kHidX},
     {YL(0), YL(50), YL(100), YL(150)}},
    {50,
     50,
     24,
     40,
     0,
     -20,
     taCenter,
     cahChartCenter,
     cavChartTop,
     {kX1, kHidX, kHidX, kHidX},
     {YL(0), {true, 0, -23, taLeftJustify, uaSclTopLft, 0, true}, kHidY, kHidY}},
    {100,
     20,
     24,
     70,
     0,
     -16,
     taRightJustify,
     cahChartRight,
     cavChartTop,
     {{true, -20, 7, taRightJustify, uaSclTopLft, 0, false},
      {true, -20, 7, taRightJustify, uaSclTopLft, 30, false},
      kHidX,
      kHidX},
     {YL(0), YL(50), kHidY, kHidY}},
    {50,
     50,
     64,
     40,
     0,
     -60,
     taCenter,
     cahChartCenter,
     cavChartTop,
     {{true, 0, 20, taCenter, uaSclCenter, 0, false},
      {true, 0, -40, taCenter, uaSclCenter, 0, true},
      kHidX,
      kHidX},
     {YL(0, -40),
      {true, 0, -40, taLeftJustify, uaSclTopLft, 0, true},
      {false, 0, -23, taRightJustify, uaSclTopLft, 0, false},
      {false, 0, -23, taRightJustify, uaSclTopLft, 0, false}}},
};

void ApplyAxisLayout(TScaleProps* P, const TAxisLayout& A) {
  P->SetCaptionPosX(A.capX);
  P->SetCaptionPosY(A.capY);
  P->SetCaptAlign(A.align);
  P->SetCaptAnchor(A.anchor);
  P->SetScalePos(A.pos);
  P->SetVisible(A.visible);
}
}  // namespace

void TCustomZOdoza::SetStdLayout(TrcLayout Value) { ApplyStdLayout(Value, false); }

void TCustomZOdoza::ApplyStdLayout(TrcLayout Value, bool AfterReset) {
  const bool saved = FSuppressPaint;
  FSuppressPaint = true;
  const TLayoutRecord& L = kLayouts[Value];
  SetLRim(L.l);
  SetRRim(L.r);
  SetTRim(L.t);
  SetBRim(L.b);
  FCaptPosX = L.capX;
  FCaptPosY = L.capY;
  FCaptAlignment = L.capAlign;
  FCaptAnchorX = L.capH;
  FCaptAnchorY = L.capV;
  // After a reset the axis settings change silently and are mirrored once below. Mirroring
  // after every single setting leaves nothing more there: the layers are not joined and their
  // ranges and transforms do not depend on what the layout sets, painting is suppressed, and
  // the margins above have already shown each helper its settings before the layout, so the
  // margin on the side of an axis' former location keeps the value it would keep anyway.
  std::array<TNotifyEvent, 2 * (kNumLayers + 1)> handlers;
  if (AfterReset)
    for (Integer n = 1; n <= kNumLayers; ++n) {
      handlers[2 * n] = std::exchange(FScalePropsX[n]->OnChange, nullptr);
      handlers[2 * n + 1] = std::exchange(FScalePropsY[n]->OnChange, nullptr);
    }
  for (Integer i = 1; i <= 4; ++i) {
    FScalePropsX[i]->SetScaleLoc(L.x[i - 1].farSide ? slTop : slBottom);
    ApplyAxisLayout(FScalePropsX[i].get(), L.x[i - 1]);
    FScalePropsY[i]->SetScaleLoc(L.y[i - 1].farSide ? slRight : slLeft);
    ApplyAxisLayout(FScalePropsY[i].get(), L.y[i - 1]);
  }
  for (Integer i = 5; i <= kNumLayers; ++i) {
    FScalePropsX[i]->SetVisible(false);
    FScalePropsY[i]->SetVisible(false);
  }
  if (AfterReset) {
    for (Integer n = 1; n <= kNumLayers; ++n) {
      FScalePropsX[n]->OnChange = std::move(handlers[2 * n]);
      FScalePropsY[n]->OnChange = std::move(handlers[2 * n + 1]);
    }
    ScalePropsChanged(this);
  }
  for (Integer n = 1; n <= kNumLayers; ++n) {
    SetScaleProps(FScalesX[n], FScalePropsX[n].get());
    SetScaleProps(FScalesY[n], FScalePropsY[n].get());
  }
  FStdLayout = Value;
  FSuppressPaint = !saved;  // so that the setter below sees a change when painting resumes
  SetSuppressPaint(saved);
}

// ---- margins, shadow and other appearance --------------------------------------------------
// Grid, caption and colour setters with their full repaint rules come with the appearance
// properties; these keep the geometry consistent.
void TCustomZOdoza::RecentreIsometric(Integer Layer) {
  TScaleProps* px = FScalePropsX[Layer].get();
  TScaleProps* py = FScalePropsY[Layer].get();
  const Double c = py->Center();
  const Double h = (px->RangeHigh() - px->RangeLow()) * (Height() - RcTRim - RcBRim - F3DRim + 1) /
                   (Width() - RcLRim - RcRRim - F3DRim + 1) * Fyasp / Fxasp / 2;
  py->SetRangeHigh(c + h);
  py->SetRangeLow(c - h);
}

void TCustomZOdoza::MarginsChanged(bool Recentre) {
  ResizeGrafBmp();
  for (Integer n = 1; n <= kNumLayers; ++n) {
    if (Recentre && FIsometric) RecentreIsometric(n);
    SetScaleProps(FScalesX[n], FScalePropsX[n].get());
    SetScaleProps(FScalesY[n], FScalePropsY[n].get());
    SetHelperMargins(FScalesX[n], true);
    SetHelperMargins(FScalesY[n], false);
  }
  AdjustScaling();
  Paint();
}

void TCustomZOdoza::SetLRim(Integer Value) {
  RcLRim = Value;
  MarginsChanged(true);
}

void TCustomZOdoza::SetRRim(Integer Value) {
  RcRRim = Value;
  MarginsChanged(true);
}

void TCustomZOdoza::SetTRim(Integer Value) {
  RcTRim = Value;
  MarginsChanged(true);
}

void TCustomZOdoza::SetBRim(Integer Value) {
  RcBRim = Value;
  MarginsChanged(true);
}

void TCustomZOdoza::SetF3DRim(Integer Value) {
  F3DRim = std::clamp(Value, 0, kMaxShadowWidth);
  MarginsChanged(false);
}

void TCustomZOdoza::SetIsoMetric(bool Value) {
  FIsometric = Value;
  if (!Value) return;
  for (Integer n = 1; n <= kNumLayers; ++n) RecentreIsometric(n);
  ZoomStateOnStack();
  Paint();
}

void TCustomZOdoza::SetChartCol(TColor Value) {
  RcChartCol = Value;
  StyleChanged(this);
}

void TCustomZOdoza::SetWindCol(TColor Value) {
  RcWindCol = Value;
  StyleChanged(this);
}

void TCustomZOdoza::SetChartCaption(const String& Value) {
  FChartCaption = Value;
  StyleChanged(this);
}

// ---- size --------------------------------------------------------------------------------------
void TCustomZOdoza::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FScalesX[1] == nullptr) {  // still being built
    TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    return;
  }
  const bool saved = FSuppressPaint;
  FSuppressPaint = true;
  AHeight = std::max(AHeight, RcTRim + RcBRim + F3DRim + kMinDataHeight);
  AWidth = std::max(AWidth, RcLRim + RcRRim + F3DRim + kMinDataWidth);
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FIsometric) {
    for (Integer n = 1; n <= kNumLayers; ++n) {
      TScaleProps* px = FScalePropsX[n].get();
      TScaleProps* py = FScalePropsY[n].get();
      const Double c = py->Center();
      const Double h = (px->RangeHigh() - px->RangeLow()) *
                       (AHeight - RcTRim - RcBRim - F3DRim + 1) /
                       (AWidth - RcLRim - RcRRim - 2 * F3DRim + 1) * Fyasp / Fxasp / 2;
      py->SetRangeHigh(c + h);
      py->SetRangeLow(c - h);
    }
  }
  for (Integer n = 1; n <= kNumLayers; ++n) {
    for (TScale* s : {FScalesX[n], FScalesY[n]}) {
      const bool isX = s == FScalesX[n];
      SetScaleProps(s, isX ? static_cast<TScaleProps*>(FScalePropsX[n].get())
                           : static_cast<TScaleProps*>(FScalePropsY[n].get()));
      s->SetBounds(0, 0, AWidth, AHeight);
      SetHelperMargins(s, isX);
    }
  }
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  ResizeGrafBmp();
  AdjustScaling();
  FSuppressPaint = saved;
}

// ---- cross hairs, ticks, labels ----------------------------------------------------------------
TCrossHair* TCustomZOdoza::CrossHair(Integer chnum) const {
  return chnum >= 1 && chnum <= kNumCrossHairs ? FCrossHair[chnum].get() : nullptr;
}

Double TCustomZOdoza::GetCHPosX(Integer chnum) const {
  const TCrossHair* ch = CrossHair(chnum);
  return ch != nullptr ? ch->PosX() : 0;
}

Double TCustomZOdoza::GetCHPosY(Integer chnum) const {
  const TCrossHair* ch = CrossHair(chnum);
  return ch != nullptr ? ch->PosY() : 0;
}

// Redrawing a visible cross hair over the cached data area comes with the chart's painting.
void TCustomZOdoza::SetCHPosX(Integer chnum, Double Value) {
  if (TCrossHair* ch = CrossHair(chnum)) ch->SetCrossHPosX(Value);
}

void TCustomZOdoza::SetCHPosY(Integer chnum, Double Value) {
  if (TCrossHair* ch = CrossHair(chnum)) ch->SetCrossHPosY(Value);
}

Integer TCustomZOdoza::GetTickPosXCnt() const { return FScalesX[FActiveLayer]->NumTicks(); }

Integer TCustomZOdoza::GetTickPosYCnt() const { return FScalesY[FActiveLayer]->NumTicks(); }

namespace {
Double TickOf(const TScale* S, Integer ix) {
  const Integer count = S->NumTicks();
  if (ix < 1 || ix > count) return 0;
  if (S->RangeLow() > S->RangeHigh()) ix = count - ix + 1;
  return S->GetTickPos(ix);
}
}  // namespace

Double TCustomZOdoza::GetTickPosX(Integer ix) const { return TickOf(FScalesX[FActiveLayer], ix); }

Double TCustomZOdoza::GetTickPosY(Integer ix) const { return TickOf(FScalesY[FActiveLayer], ix); }

TTextLabel* TCustomZOdoza::TextLabel(Integer ix) const {
  return ix >= 1 && ix <= kNumTextLabels ? FTextLabels[ix].get() : nullptr;
}

// ---- event dispatchers -------------------------------------------------------------------------
void TCustomZOdoza::DoOnScaleTickDrawn(TObject*, TCanvas* Canvas, TScaleType ScaleType,
                                       Double CurrentTickPos, Integer ChartX, Integer ChartY) {
  if (OnScaleTickDrawn) OnScaleTickDrawn(this, Canvas, ScaleType, CurrentTickPos, ChartX, ChartY);
}

void TCustomZOdoza::DoOnBeforeTickLabel(TObject*, TScaleType ScaleType, Double CurrentTickPos,
                                        String& TickLabel) {
  if (OnBeforeTickLabel) OnBeforeTickLabel(this, ScaleType, CurrentTickPos, TickLabel);
}

void TCustomZOdoza::DoZoomPanEvent() {
  if (OnZoomPan) OnZoomPan(this);
}

void TCustomZOdoza::DoSelectRectEvent(Integer Layer, Double LoX, Double LoY, Double HiX,
                                      Double HiY) {
  if (OnSelectRect) OnSelectRect(this, Layer, LoX, LoY, HiX, HiY);
}

void TCustomZOdoza::DoRubberBandEvent(Integer Layer, Double LoX, Double LoY, Double HiX,
                                      Double HiY) {
  if (OnRubberBand) OnRubberBand(this, Layer, LoX, LoY, HiX, HiY);
}

void TCustomZOdoza::DoCrossHMoveEvent(Integer WhichCrossHair) {
  if (OnCrossHairMove) OnCrossHairMove(this, WhichCrossHair);
}

void TCustomZOdoza::DoTxtLblMoveEvent(Integer WhichTextLabel) {
  if (OnTextLabelMove) OnTextLabelMove(this, WhichTextLabel);
}

void TCustomZOdoza::DoOnBeforeRendezOdozaItem(TrcChartItem& ChartItem, Integer Index,
                                              bool IsAnnotation) {
  if (OnBeforeRendezOdozaItem) OnBeforeRendezOdozaItem(this, ChartItem, Index, IsAnnotation);
}

void TCustomZOdoza::MouseMoveInChart(bool InChart, TShiftState Shift, Double rMousePosX,
                                     Double rMousePosY) {
  if (OnMouseMoveInChart) OnMouseMoveInChart(this, InChart, Shift, rMousePosX, rMousePosY);
}

// ---- data shared between charts ----------------------------------------------------------------
namespace {
constexpr Integer kMaxDataUsers = 4;
}  // namespace

void TCustomZOdoza::DetachFromOwner() {
  TCustomZOdoza* owner = FUseDataOf;
  if (owner == nullptr) return;
  auto& users = owner->FDataUsers;
  Integer k = 0;
  for (Integer i = 0; i < owner->FDataUsersNum; ++i)
    if (users[static_cast<size_t>(i)] != this)
      users[static_cast<size_t>(k++)] = users[static_cast<size_t>(i)];
  for (Integer i = k; i < kMaxDataUsers; ++i) users[static_cast<size_t>(i)] = nullptr;
  owner->FDataUsersNum = k;
  FUseDataOf = nullptr;
  FData = std::make_shared<TChartDataList>(*FData);
}

void TCustomZOdoza::SetUseDataOf(TCustomZOdoza* Value) {
  if (Value == this) {
    ShowMessage("ZOdoza: Cannot share data with myself");
    return;
  }
  if (FDataUsersNum > 0) {
    ShowMessage("ZOdoza: Cannot use foreign data. Other ZOdozas are using my own data.");
    return;
  }
  if (Value == FUseDataOf) return;
  if (Value == nullptr) {
    DetachFromOwner();
    StyleChanged(this);
    return;
  }
  TCustomZOdoza* owner = Value->FUseDataOf != nullptr ? Value->FUseDataOf : Value;
  if (owner == this || owner == FUseDataOf) return;
  if (owner->FDataUsersNum >= kMaxDataUsers) {
    ShowMessage("ZOdoza: Max. number of data shares exceeded");
    return;
  }
  DetachFromOwner();
  FUseDataOf = owner;
  FData = owner->FData;
  owner->FDataUsers[static_cast<size_t>(owner->FDataUsersNum++)] = this;
  StyleChanged(this);
}

void TCustomZOdoza::NotifySharingCharts() {
  if (FUseDataOf != nullptr) {
    FUseDataOf->StyleChanged(this);
    for (Integer i = 0; i < FUseDataOf->FDataUsersNum; ++i) {
      TCustomZOdoza* u = FUseDataOf->FDataUsers[static_cast<size_t>(i)];
      if (u != this) u->StyleChanged(this);
    }
  }
  for (Integer i = 0; i < FDataUsersNum; ++i)
    FDataUsers[static_cast<size_t>(i)]->StyleChanged(this);
}
