#pragma once
// The chart's helper objects: the axis settings of a layer (TScaleProps with its horizontal and
// vertical kinds), the layer coupling (TJointLayers), the background picture and coloured area
// (TBakGndImg) and the chart's text label (TTextLabel). The chart owns one of each per layer
// or per slot and wires their OnChange to its repaint; see DOV_zodoza.h.

#include <array>
#include <memory>

#include "DOV_Scale.h"
#include "DOV_sdlbase.h"
#include "DOV_sdlbase_draw.h"
#include "DOV_textlabel.h"

class TCustomZOdoza;

constexpr int kNumLayers = 16;

// ---- per-layer axis settings -----------------------------------------------------------------
enum TScaleLocationHoriz { slTop, slBottom };
enum TScaleLocationVert { slLeft, slRight };

class TScaleProps : public TPersistent {
public:
  TScaleProps();
  ~TScaleProps() override;
  String ClassName() const override { return "TScaleProps"; }
  void Assign(TPersistent* Source) override;
  void ResetComp();

  const String& Caption() const { return FCaption; }
  Integer CaptionPosX() const { return FCaptionPosX; }
  Integer CaptionPosY() const { return FCaptionPosY; }
  TAlignment CaptionAlignment() const { return FCaptAlign; }
  TScaleUnitAnchor CaptionAnchor() const { return FCaptAnchor; }
  TColor ColorScale() const { return FColorScale; }
  TDTLabel* DateFormat() const { return FDTFormat.get(); }
  Integer DecPlaces() const { return FDecPlaces; }
  TFont* Font() const { return FFont.get(); }
  bool Logarithmic() const { return FLogAx; }
  TFigType LabelType() const { return FLabelType; }
  Integer MinTicks() const { return FMinTicks; }
  Double MinRange() const { return FMinRngDiff; }
  TMouseActMode MouseAction() const { return FMouseAction; }
  void SetMouseAction(TMouseActMode Value) { FMouseAction = Value; }
  Double RangeLow() const { return FRangeLow; }
  Double RangeHigh() const { return FRangeHigh; }
  Double Center() const { return (FRangeLow + FRangeHigh) / 2; }
  bool ShortTicks() const { return FShortTicks; }
  const String& ScaleInscript() const { return FScaleInscript; }
  Integer ScalePos() const { return IsXType() ? FScalePosY : FScalePosX; }
  const String& UserTickText() const { return FUserTickText; }
  bool Visible() const { return FVisible; }
  TScaleType ScaleType() const { return FScaleType; }

  void SetCaption(const String& Value);
  void SetCaptionPosX(Integer Value);
  void SetCaptionPosY(Integer Value);
  void SetCaptAlign(TAlignment Value);
  void SetCaptAnchor(TScaleUnitAnchor Value);
  void SetColorScale(TColor Value);
  void SetDTFormat(TDTLabel* Value);
  void SetDecPlaces(Integer Value);  // clamped to -3 ... 12
  void SetScaleFont(TFont* Value);
  void SetLogAx(bool Value);
  void SetLabelType(TFigType Value);
  void SetMinTicks(Integer Value);
  void SetMinRngDiff(Double Value);
  // An end that would leave the range unusable (UsableRange, DOV_Scale.h) is refused.
  void SetRangeLow(Double Value);
  void SetRangeHigh(Double Value);
  void SetShortTicks(bool Value);
  void SetScaleInscript(const String& Value);
  void SetScalePos(Integer Value);
  void SetUserTickText(const String& Value);
  void SetVisible(bool Value);
  void SetScaleType(TScaleType Value);

  TNotifyEvent OnChange;
  void Changed();

protected:
  void AssignTo(TPersistent* Dest) override;

private:
  friend class TCustomZOdoza;
  bool IsXType() const { return FScaleType == sctXB || FScaleType == sctXT; }

  String FCaption;
  Integer FCaptionPosX = 0, FCaptionPosY = 0;
  TAlignment FCaptAlign = taCenter;
  TScaleUnitAnchor FCaptAnchor = uaSclTopLft;
  TColor FColorScale = 0;
  std::unique_ptr<TDTLabel> FDTFormat;
  Integer FDecPlaces = -2;
  std::unique_ptr<TFont> FFont;
  bool FLogAx = false;
  TFigType FLabelType = ftNum;
  Integer FMinTicks = 3;
  Double FMinRngDiff = 1e-10;
  TMouseActMode FMouseAction = maNone;
  Double FRangeLow = 0, FRangeHigh = 1;
  bool FShortTicks = true;
  String FScaleInscript;
  Integer FScalePosX = 0, FScalePosY = 0;
  String FUserTickText;
  bool FVisible = false;
  TScaleType FScaleType = sctXT;
  bool FNotYetLoaded = true;
};

class TScalePropsHoriz : public TScaleProps {
public:
  TScalePropsHoriz() { ResetComp(); }
  String ClassName() const override { return "TScalePropsHoriz"; }
  void ResetComp();
  TScaleLocationHoriz ScaleLocation() const { return FScaleLoc; }
  // slTop puts the axis line on the bottom edge of the scale's own area (sctXB), slBottom on
  // its top edge (sctXT).
  void SetScaleLoc(TScaleLocationHoriz Value);

private:
  TScaleLocationHoriz FScaleLoc = slBottom;
};

class TScalePropsVert : public TScaleProps {
public:
  TScalePropsVert() { ResetComp(); }
  String ClassName() const override { return "TScalePropsVert"; }
  void ResetComp();
  TScaleLocationVert ScaleLocation() const { return FScaleLoc; }
  // slLeft gives sctYR, slRight sctYL.
  void SetScaleLoc(TScaleLocationVert Value);

private:
  TScaleLocationVert FScaleLoc = slLeft;
};

// Which layer's X (Y) range each layer follows. A master is never controlled itself and a
// controlled layer controls no other; the setters raise ESDLZOdozaError otherwise.
class TJointLayers : public TPersistent {
public:
  explicit TJointLayers(TCustomZOdoza* AOwner);
  String ClassName() const override { return "TJointLayers"; }
  void Assign(TPersistent* Source) override;
  void ResetComp();
  Integer GetControlledLayerX(Integer Index) const;
  Integer GetControlledLayerY(Integer Index) const;
  void SetControlledLayerX(Integer Index, Integer Master);
  void SetControlledLayerY(Integer Index, Integer Master);
  TNotifyEvent OnChange;
  void Changed();

protected:
  void AssignTo(TPersistent* Dest) override;

private:
  friend class TCustomZOdoza;
  void SetControlled(std::array<Integer, kNumLayers + 1>& Table, bool IsX, Integer Index,
                     Integer Master);
  std::array<Integer, kNumLayers + 1> FMasterLayerX{}, FMasterLayerY{};
  TCustomZOdoza* FOwner;
};

enum TBGAreaMode {
  bamNone,
  bamLeft,
  bamRight,
  bamTop,
  bamBottom,
  bamVStripe,
  bamHStripe,
  bamRect,
  bamRectInv,
  bamVStripeInv,
  bamHStripeInv
};

// The background picture and the coloured area of the data area (drawn with the data area).
class TBakGndImg : public TPersistent {
public:
  explicit TBakGndImg(TComponent* AOwner);
  String ClassName() const override { return "TBakGndImg"; }
  void Assign(TPersistent* Source) override;
  void ResetComp();

  const String& Name() const { return FName; }
  bool IncludePath() const { return FIncldPath; }
  TBkgFill FillMode() const { return FFillMode; }
  TBGAreaMode AreaMode() const { return FBGAreaMode; }
  TColor AreaColor() const { return FBGAreaColor; }
  Double AreaLeft() const { return FAreaLeft; }
  Double AreaRight() const { return FAreaRight; }
  Double AreaTop() const { return FAreaTop; }
  Double AreaBottom() const { return FAreaBottom; }
  void SetName(const String& Value);  // without IncludePath only the file-name part
  void SetIncldPath(bool Value);
  void SetFillMode(TBkgFill Value);
  void SetAreaMode(TBGAreaMode Value);
  void SetAreaColor(TColor Value);
  void SetAreaLeft(Double Value);
  void SetAreaRight(Double Value);
  void SetAreaTop(Double Value);
  void SetAreaBottom(Double Value);
  TNotifyEvent OnChange;
  void Changed();

protected:
  void AssignTo(TPersistent* Dest) override;

private:
  TComponent* FOwner;
  String FName;
  bool FIncldPath = false;
  TBkgFill FFillMode = bfStretch;
  TBGAreaMode FBGAreaMode = bamNone;
  TColor FBGAreaColor = 0xDDDDDD;
  Double FAreaLeft = -1, FAreaRight = 1, FAreaTop = 1, FAreaBottom = -1;
};

// A text label of the chart.
class TTextLabel : public TCustomTextLabel {
public:
  String ClassName() const override { return "TTextLabel"; }
};
