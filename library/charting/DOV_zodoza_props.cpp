// The chart's grouped settings: per-layer axis settings, layer coupling, background picture.
#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "SysUtils.h"

#include "DOV_zodoza.h"

namespace {
constexpr Double kLogFloor = 1e-100;
}

// ---- TScaleProps -----------------------------------------------------------------------------
TScaleProps::TScaleProps() { ResetComp(); }

TScaleProps::~TScaleProps() {
  if (FFont) FFont->OnChange = nullptr;
}

void TScaleProps::ResetComp() {
  FCaption.clear();
  FCaptionPosX = FCaptionPosY = 0;
  FCaptAlign = taCenter;
  FCaptAnchor = uaSclTopLft;
  FColorScale = 0;
  if (!FDTFormat) FDTFormat = std::make_unique<TDTLabel>();
  FDTFormat->SetTimeFormat(tfHHMMSS);
  FDTFormat->SetDateSeparator('-');
  FDTFormat->SetTimeSeparator(':');
  FDTFormat->SetYearLength(ylYYYY);
  FDTFormat->SetMonthName(true);
  FDTFormat->SetDateForTime(dtOnePerDay);
  FDTFormat->SetDAteOrder(doDDMMYY);
  FDTFormat->OnChange = nullptr;
  FDecPlaces = -2;
  if (!FFont) FFont = std::make_unique<TFont>();
  FFont->OnChange = [this](TObject*) { Changed(); };
  FLogAx = false;
  FLabelType = ftNum;
  FMinTicks = 3;
  FMinRngDiff = 1e-10;
  FMouseAction = maNone;
  FRangeLow = 0;
  FRangeHigh = 1;
  FShortTicks = true;
  FScaleInscript.clear();
  FScalePosX = FScalePosY = 0;
  FUserTickText.clear();
  FVisible = false;
  FScaleType = sctXT;
  FNotYetLoaded = true;
}

void TScaleProps::Changed() {
  if (OnChange) OnChange(this);
}

#define KESTAL_PROPS_SETTER(Setter, Type, Field) \
  void TScaleProps::Setter(Type Value) {         \
    Field = Value;                               \
    Changed();                                   \
  }
KESTAL_PROPS_SETTER(SetCaption, const String&, FCaption)
KESTAL_PROPS_SETTER(SetCaptionPosX, Integer, FCaptionPosX)
KESTAL_PROPS_SETTER(SetCaptionPosY, Integer, FCaptionPosY)
KESTAL_PROPS_SETTER(SetCaptAlign, TAlignment, FCaptAlign)
KESTAL_PROPS_SETTER(SetCaptAnchor, TScaleUnitAnchor, FCaptAnchor)
KESTAL_PROPS_SETTER(SetColorScale, TColor, FColorScale)
KESTAL_PROPS_SETTER(SetMinTicks, Integer, FMinTicks)
KESTAL_PROPS_SETTER(SetShortTicks, bool, FShortTicks)
KESTAL_PROPS_SETTER(SetScaleInscript, const String&, FScaleInscript)
KESTAL_PROPS_SETTER(SetScaleType, TScaleType, FScaleType)
KESTAL_PROPS_SETTER(SetUserTickText, const String&, FUserTickText)
KESTAL_PROPS_SETTER(SetVisible, bool, FVisible)
#undef KESTAL_PROPS_SETTER

void TScaleProps::SetScaleFont(TFont* Value) {
  FFont->Assign(Value);  // the font's own change event reports it
  Changed();
}

void TScaleProps::SetDTFormat(TDTLabel* Value) {
  auto handler = FDTFormat->OnChange;
  FDTFormat->Assign(Value);
  FDTFormat->OnChange = handler;
  Changed();
}

void TScaleProps::SetScalePos(Integer Value) {
  (IsXType() ? FScalePosY : FScalePosX) = Value;
  Changed();
}

void TScaleProps::SetDecPlaces(Integer Value) {
  FDecPlaces = std::clamp(Value, -3, 12);
  Changed();
}

void TScaleProps::SetLabelType(TFigType Value) {
  FLabelType = Value;
  if (Value == ftDateTime) FLogAx = false;
  if (Value == ftTime) FDecPlaces = 4;
  Changed();
}

void TScaleProps::SetLogAx(bool Value) {
  if (!Value || LogarithmicAllowed(FRangeLow, FRangeHigh, FLabelType, FNotYetLoaded))
    FLogAx = Value;
  Changed();
}

void TScaleProps::SetRangeLow(Double Value) {
  if (std::fabs(FRangeHigh - Value) < FMinRngDiff) {
    if (UsableRange(Value, Value + FMinRngDiff)) {
      FRangeLow = Value;
      FRangeHigh = Value + FMinRngDiff;
    }
  } else if (!(FLogAx && Value < kLogFloor) && UsableRange(Value, FRangeHigh)) {
    FRangeLow = Value;
  }
  Changed();
}

void TScaleProps::SetRangeHigh(Double Value) {
  if (std::fabs(FRangeLow - Value) < FMinRngDiff) {
    if (UsableRange(Value - FMinRngDiff, Value)) {
      FRangeHigh = Value;
      FRangeLow = Value - FMinRngDiff;
    }
  } else if (!(FLogAx && Value < kLogFloor) && UsableRange(FRangeLow, Value)) {
    FRangeHigh = Value;
  }
  Changed();
}

void TScaleProps::SetMinRngDiff(Double Value) {
  if (!(Value > kLogFloor) || !std::isfinite(Value)) return;
  const Double c = (FRangeLow + FRangeHigh) / 2;
  const bool recentre = std::fabs(FRangeHigh - FRangeLow) < Value;
  if (recentre && !UsableRange(c - Value / 2, c + Value / 2)) return;
  FMinRngDiff = Value;
  if (recentre) {
    FRangeLow = c - Value / 2;
    FRangeHigh = c + Value / 2;
    Changed();
  }
}

void TScaleProps::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TScaleProps*>(Source);
  if (s == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  FCaption = s->FCaption;
  FCaptionPosX = s->FCaptionPosX;
  FCaptionPosY = s->FCaptionPosY;
  FCaptAlign = s->FCaptAlign;
  FCaptAnchor = s->FCaptAnchor;
  FColorScale = s->FColorScale;
  OnChange = s->OnChange;
  auto dtHandler = FDTFormat->OnChange;
  FDTFormat->Assign(s->FDTFormat.get());
  FDTFormat->OnChange = dtHandler;
  FDecPlaces = s->FDecPlaces;
  FLogAx = s->FLogAx;
  FLabelType = s->FLabelType;
  auto fontHandler = FFont->OnChange;
  FFont->OnChange = nullptr;
  FFont->Assign(s->FFont.get());
  FFont->OnChange = fontHandler;
  FMinTicks = s->FMinTicks;
  FNotYetLoaded = s->FNotYetLoaded;
  FRangeLow = s->FRangeLow;
  FRangeHigh = s->FRangeHigh;
  FShortTicks = s->FShortTicks;
  FScaleInscript = s->FScaleInscript;
  FScaleType = s->FScaleType;
  FScalePosX = s->FScalePosX;
  FScalePosY = s->FScalePosY;
  FMinRngDiff = s->FMinRngDiff;
  FUserTickText = s->FUserTickText;
  FVisible = s->FVisible;
}

void TScaleProps::AssignTo(TPersistent* Dest) {
  if (Dest != nullptr && typeid(*Dest) == typeid(*this))
    Dest->Assign(this);
  else
    TPersistent::AssignTo(Dest);
}

void TScalePropsHoriz::ResetComp() {
  FScaleLoc = slBottom;
  TScaleProps::ResetComp();
}

void TScalePropsHoriz::SetScaleLoc(TScaleLocationHoriz Value) {
  FScaleLoc = Value;
  auto handler = OnChange;
  OnChange = nullptr;  // one change for both
  SetScaleType(Value == slTop ? sctXB : sctXT);
  OnChange = handler;
  Changed();
}

void TScalePropsVert::ResetComp() {
  FScaleLoc = slLeft;
  TScaleProps::ResetComp();
}

void TScalePropsVert::SetScaleLoc(TScaleLocationVert Value) {
  FScaleLoc = Value;
  auto handler = OnChange;
  OnChange = nullptr;
  SetScaleType(Value == slLeft ? sctYR : sctYL);
  OnChange = handler;
  Changed();
}

// ---- TJointLayers ----------------------------------------------------------------------------
TJointLayers::TJointLayers(TCustomZOdoza* AOwner) : FOwner(AOwner) { ResetComp(); }

void TJointLayers::ResetComp() {
  for (Integer i = 0; i <= kNumLayers; ++i) FMasterLayerX[i] = FMasterLayerY[i] = i;
}

Integer TJointLayers::GetControlledLayerX(Integer Index) const {
  return Index >= 1 && Index <= kNumLayers ? FMasterLayerX[Index] : 0;
}

Integer TJointLayers::GetControlledLayerY(Integer Index) const {
  return Index >= 1 && Index <= kNumLayers ? FMasterLayerY[Index] : 0;
}

void TJointLayers::SetControlledLayerX(Integer Index, Integer Master) {
  SetControlled(FMasterLayerX, true, Index, Master);
}

void TJointLayers::SetControlledLayerY(Integer Index, Integer Master) {
  SetControlled(FMasterLayerY, false, Index, Master);
}

void TJointLayers::SetControlled(std::array<Integer, kNumLayers + 1>& Table, bool IsX,
                                 Integer Index, Integer Master) {
  if (Master < 1 || Master > kNumLayers)
    throw ESDLZOdozaError("Destination layer " + IntToStr(Master) + " is out of range");
  if (Index < 1 || Index > kNumLayers) return;
  if (Master == Index) {
    Table[Index] = Index;
    return;
  }
  if (Table[Master] != Master)
    throw ESDLZOdozaError("Destination layer " + IntToStr(Master) + " is already joined");
  String joined;
  for (Integer i = 1; i <= kNumLayers; ++i) {
    if (i == Index || Table[i] != Index) continue;
    joined += (joined.empty() ? "" : ", ") + IntToStr(i);
  }
  if (!joined.empty())
    throw ESDLZOdozaError("Layer " + IntToStr(Index) + " is joined by other layers (" + joined +
                          ")");
  Table[Index] = Master;
  if (FOwner != nullptr) {
    TScaleProps* mx = FOwner->GetScalePropsX(Master);
    TScaleProps* my = FOwner->GetScalePropsY(Master);
    TScaleProps* ox = FOwner->GetScalePropsX(Index);
    TScaleProps* oy = FOwner->GetScalePropsY(Index);
    if (IsX)
      FOwner->ForceRngIntern(Index, mx->RangeLow(), oy->RangeLow(), mx->RangeHigh(),
                             oy->RangeHigh(), false, false);
    else
      FOwner->ForceRngIntern(Index, ox->RangeLow(), my->RangeLow(), ox->RangeHigh(),
                             my->RangeHigh(), false, false);
  }
  Changed();
}

void TJointLayers::Changed() {
  if (OnChange) OnChange(this);
}

void TJointLayers::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TJointLayers*>(Source);
  if (s == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  FMasterLayerX = s->FMasterLayerX;
  FMasterLayerY = s->FMasterLayerY;
  OnChange = s->OnChange;
  FOwner = s->FOwner;
}

void TJointLayers::AssignTo(TPersistent* Dest) {
  if (auto* d = dynamic_cast<TJointLayers*>(Dest))
    d->Assign(this);
  else
    TPersistent::AssignTo(Dest);
}

// ---- TBakGndImg ------------------------------------------------------------------------------
namespace {
// The file-name part of a path written with either kind of separator.
String FileNamePart(const String& Path) {
  const size_t cut = Path.find_last_of("/\\");
  return cut == String::npos ? Path : Path.substr(cut + 1);
}
}  // namespace

TBakGndImg::TBakGndImg(TComponent* AOwner) : FOwner(AOwner) { ResetComp(); }

void TBakGndImg::ResetComp() {
  FName.clear();
  FIncldPath = false;
  FFillMode = bfStretch;
  FBGAreaMode = bamNone;
  FBGAreaColor = 0xDDDDDD;
  FAreaLeft = -1;
  FAreaRight = 1;
  FAreaTop = 1;
  FAreaBottom = -1;
}

void TBakGndImg::Changed() {
  if (OnChange) OnChange(this);
}

void TBakGndImg::SetName(const String& Value) {
  FName = FIncldPath ? Value : FileNamePart(Value);
  Changed();
}

void TBakGndImg::SetIncldPath(bool Value) {
  FIncldPath = Value;
  if (!Value) FName = FileNamePart(FName);
  Changed();
}

#define KESTAL_BG_SETTER(Setter, Type, Field) \
  void TBakGndImg::Setter(Type Value) {       \
    Field = Value;                            \
    Changed();                                \
  }
KESTAL_BG_SETTER(SetFillMode, TBkgFill, FFillMode)
KESTAL_BG_SETTER(SetAreaMode, TBGAreaMode, FBGAreaMode)
KESTAL_BG_SETTER(SetAreaColor, TColor, FBGAreaColor)
KESTAL_BG_SETTER(SetAreaLeft, Double, FAreaLeft)
KESTAL_BG_SETTER(SetAreaRight, Double, FAreaRight)
KESTAL_BG_SETTER(SetAreaTop, Double, FAreaTop)
KESTAL_BG_SETTER(SetAreaBottom, Double, FAreaBottom)
#undef KESTAL_BG_SETTER

void TBakGndImg::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TBakGndImg*>(Source);
  if (s == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  FOwner = s->FOwner;
  FName = s->FName;
  FIncldPath = s->FIncldPath;
  FFillMode = s->FFillMode;
  FBGAreaMode = s->FBGAreaMode;
  FBGAreaColor = s->FBGAreaColor;
  FAreaLeft = s->FAreaLeft;
  FAreaRight = s->FAreaRight;
  FAreaTop = s->FAreaTop;
  FAreaBottom = s->FAreaBottom;
  OnChange = s->OnChange;
}

void TBakGndImg::AssignTo(TPersistent* Dest) {
  if (auto* d = dynamic_cast<TBakGndImg*>(Dest))
    d->Assign(this);
  else
    TPersistent::AssignTo(Dest);
}
