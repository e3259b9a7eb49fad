#pragma once
// TZOdoza: the chart as windows hold it. It adds no data to TCustomZOdoza; it lets a window
// description set the chart's stored settings, and it ends the paint suppression that
// construction begins once its window exists.

#include "DOV_zodoza.h"

class TZOdoza : public TCustomZOdoza {
public:
  explicit TZOdoza(TComponent* AOwner) : TCustomZOdoza(AOwner) {}
  String ClassName() const override { return "TZOdoza"; }

  TScalePropsHoriz* GetScalePropsX1() const { return GetScalePropsX(1); }
  TScalePropsVert* GetScalePropsY1() const { return GetScalePropsY(1); }
  TCrossHair* GetCrossHair1() const { return CrossHair(1); }

  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;

  using TCustomZOdoza::CopyToBitmap;
  using TCustomZOdoza::CopyToBitmapDAOnly;
  using TCustomZOdoza::CopyToBMP;
  using TCustomZOdoza::CopyToClipboard;
  using TCustomZOdoza::CopyToClipboardDAOnly;
  using TCustomZOdoza::CopyToClipboardWMF;
  using TCustomZOdoza::CopyToOpenPrinter;
  using TCustomZOdoza::CopyToWMF;
  using TCustomZOdoza::PrintIt;

protected:
  void CreateWnd() override;
};

// A colour as a description gives it: a name ("clOlive") or a number; another name raises
// EConvertError.
TColor DescribedChartColor(const TPropValue& Value);

// Makes TZOdoza, TSmithChart and TContourPlot known to the window-description loader (calling
// it twice is harmless).
void RegisterChartingClasses();
