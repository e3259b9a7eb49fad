// Copies of the chart's picture: bitmaps (clipboard, caller's bitmap, bitmap file), enhanced
// metafiles (clipboard, file) and print jobs. Every copy is rebuilt from the chart's state
// with the steps painting uses, so it does not depend on what the screen shows.
#include <climits>
#include <cmath>
#include <functional>
#include <memory>

#include "ClipboardPictures.h"
#include "DOV_zodoza.h"
#include "Metafile.h"
#include "Printers.h"
#include "SysUtils.h"

namespace {

// Nearest integer, halves to even; out-of-range and undefined values end at the int limits
// (or 0), where the toolkit refuses them instead of the conversion misbehaving.
Integer RoundDevice(Double v) {
  if (!(v == v)) return 0;
  const Double r = std::nearbyint(v);
  if (r >= static_cast<Double>(INT_MAX)) return INT_MAX;
  if (r <= static_cast<Double>(INT_MIN)) return INT_MIN;
  return static_cast<Integer>(r);
}

// Round(v) when an int holds it (false for undefined and infinite values too).
bool DeviceUnits(Double v, Integer& Out) {
  if (!(std::fabs(v) <= static_cast<Double>(INT_MAX))) return false;
  Out = static_cast<Integer>(std::nearbyint(v));
  return true;
}

[[noreturn]] void RefuseScale(const TComponent* Chart, Double ScaleF) {
  throw ESDLZOdozaError(
      ComponentErrorMessage(Chart, "cannot be printed at scale " + FloatToStr(ScaleF)));
}

// Origin + Round(Offset) in device units of a chart printed at ScaleF. A scale at which a
// position of the printed chart is no int (undefined, infinite or huge scales) is refused
// before anything is drawn.
Integer PrintedPosition(const TComponent* Chart, Double ScaleF, Integer Origin, Double Offset) {
  Integer units = 0;
  if (!DeviceUnits(Offset, units) || !DeviceUnits(static_cast<Double>(Origin) + units, units))
    RefuseScale(Chart, ScaleF);
  return units;
}

// The chart's printed width and height in device units at ScaleF (Dpi: the device's units per
// inch). Refused like the positions, and when the scale is not positive or too small for one
// device unit per inch: the mapping would then be empty or mirrored.
TSize PrintedSize(const TComponent* Chart, Integer Width, Integer Height, Double ScaleF,
                  Integer DpiX, Integer DpiY) {
  const Double ppi = ScreenPixelsPerInch;
  if (!(ScaleF > 0) || PrintedPosition(Chart, ScaleF, 0, ScaleF * DpiX) < 1 ||
      PrintedPosition(Chart, ScaleF, 0, ScaleF * DpiY) < 1)
    RefuseScale(Chart, ScaleF);
  return TSize{PrintedPosition(Chart, ScaleF, 0, DpiX * ScaleF * Width / ppi),
               PrintedPosition(Chart, ScaleF, 0, DpiY * ScaleF * Height / ppi)};
}

// FName's folder and its file name up to the first ".", then Ext.
String ExportFileName(const String& FName, const char* Ext) {
  const String name = ExtractFileName(FName);
  return ExtractFilePath(FName) + name.substr(0, name.find('.')) + Ext;
}

}  // namespace

// The frame every copy runs in: painting suppressed, black-and-white colours when asked; on
// the way out (also when the toolkit raises) the axes draw on ChartBmp again, the colours are
// what they were and painting is no longer suppressed (without a repaint).
class TCustomZOdoza::TExportFrame {
public:
  TExportFrame(TCustomZOdoza& Chart, bool BlkWhite) : FChart(Chart), FBlkWhite(BlkWhite) {
    FChart.FSuppressPaint = true;
    if (FBlkWhite) FChart.BackupColorsAndMakeBW();
  }
  ~TExportFrame() {
    FChart.SetHelperCanvas(FChart.FChartBmp->Canvas());
    if (FBlkWhite) FChart.ReloadBackupColors();
    FChart.FSuppressPaint = false;
  }
  TExportFrame(const TExportFrame&) = delete;
  TExportFrame& operator=(const TExportFrame&) = delete;

private:
  TCustomZOdoza& FChart;
  bool FBlkWhite;
};

// ---- colours of a black-and-white copy ---------------------------------------------------------
void TCustomZOdoza::BackupColorsAndMakeBW() {
  ColBakWindow = RcWindCol;
  ColBakChart = RcChartCol;
  ColBakFrame = FChartFrameCol;
  ColBakFont = Font()->Color();
  ColBakShadow = FShadowColor;
  ColBakShadowBgnd = RcShadowBakCol;
  RcWindCol = clWhite;
  RcChartCol = clWhite;
  FChartFrameCol = clBlack;
  Font()->SetColor(clBlack);
  FShadowColor = clSilver;
  RcShadowBakCol = clWhite;
  for (Integer n = 1; n <= kNumLayers; ++n) {
    ColBakScalesX[n] = FScalePropsX[n]->FColorScale;
    ColBakScalesY[n] = FScalePropsY[n]->FColorScale;
    ColBakSclFontX[n] = FScalePropsX[n]->FFont->Color();
    ColBakSclFontY[n] = FScalePropsY[n]->FFont->Color();
  }
  for (Integer n = 1; n <= kNumLayers; ++n) SetScaleColours(n, clBlack, clBlack, clBlack, clBlack);
}

void TCustomZOdoza::SetScaleColours(Integer Layer, TColor ScaleX, TColor FontX, TColor ScaleY,
                                    TColor FontY) {
  // Straight into the settings: their change handling would repaint and re-range the chart.
  const auto Set = [](TScaleProps* Props, TColor Scale, TColor FontColor) {
    Props->FColorScale = Scale;
    const TNotifyEvent handler = Props->FFont->OnChange;
    Props->FFont->OnChange = nullptr;
    Props->FFont->SetColor(FontColor);
    Props->FFont->OnChange = handler;
  };
  Set(FScalePropsX[Layer].get(), ScaleX, FontX);
  Set(FScalePropsY[Layer].get(), ScaleY, FontY);
  SetScaleProps(FScalesX[Layer], FScalePropsX[Layer].get());
  SetScaleProps(FScalesY[Layer], FScalePropsY[Layer].get());
}

void TCustomZOdoza::ReloadBackupColors() {
  RcWindCol = ColBakWindow;
  RcChartCol = ColBakChart;
  FChartFrameCol = ColBakFrame;
  Font()->SetColor(ColBakFont);
  FShadowColor = ColBakShadow;
  RcShadowBakCol = ColBakShadowBgnd;
  for (Integer n = 1; n <= kNumLayers; ++n)
    SetScaleColours(n, ColBakScalesX[n], ColBakSclFontX[n], ColBakScalesY[n], ColBakSclFontY[n]);
}

// ---- bitmaps -----------------------------------------------------------------------------------
void TCustomZOdoza::BuildDataAreaCopy(TBitmap* Area, bool BlkWhite, bool IncludeCrossHairs,
                                      bool WithFrame) {
  Area->SetPixelFormat(pf32bit);
  if (WithFrame) ConstructChartBmp(FChartBmp->Canvas());
  ResizeGrafBmp();
  Area->SetSize(FGrafBmp->Width(), FGrafBmp->Height());
  InitGraf(Area->Canvas(), 0, 0, Area->Width(), Area->Height());
  ConstructDataBmp(Area, 0, 0, BlkWhite, 0);
  if (IncludeCrossHairs) DrawCrossHairs(RcLRim, RcTRim, Area);
  if (WithFrame) FChartBmp->Canvas()->Draw(RcLRim, RcTRim, Area);
}

void TCustomZOdoza::CopyToClipboard(bool BlkWhite, bool IncludeCrossHairs) {
  TExportFrame frame(*this, BlkWhite);
  TBitmap area;
  BuildDataAreaCopy(&area, BlkWhite, IncludeCrossHairs, true);
  ClipboardSetBitmap(FChartBmp.get());
}

void TCustomZOdoza::CopyToClipboardDAOnly(bool BlkWhite, bool IncludeCrossHairs) {
  TExportFrame frame(*this, BlkWhite);
  TBitmap area;
  BuildDataAreaCopy(&area, BlkWhite, IncludeCrossHairs, false);
  ClipboardSetBitmap(&area);
}

void TCustomZOdoza::CopyToBitmap(TBitmap* ABitmap, bool BlkWhite, bool IncludeCrossHairs) {
  if (ABitmap == nullptr) return;
  TExportFrame frame(*this, BlkWhite);
  TBitmap area;
  BuildDataAreaCopy(&area, BlkWhite, IncludeCrossHairs, true);
  ABitmap->Assign(FChartBmp.get());
}

void TCustomZOdoza::CopyToBitmapDAOnly(TBitmap* ABitmap, bool BlkWhite, bool IncludeCrossHairs) {
  if (ABitmap == nullptr) return;
  TExportFrame frame(*this, BlkWhite);
  TBitmap area;
  BuildDataAreaCopy(&area, BlkWhite, IncludeCrossHairs, false);
  ABitmap->Assign(&area);
}

void TCustomZOdoza::CopyToBMP(const String& FName, bool BlkWhite) {
  TExportFrame frame(*this, BlkWhite);
  TBitmap area;
  BuildDataAreaCopy(&area, BlkWhite, false, true);
  TMemoryStream bytes;
  FChartBmp->SaveToStream(bytes);
  const String target = ExportFileName(FName, ".bmp");
  if (!WriteFileReplacing(target, String(bytes.Memory(), static_cast<size_t>(bytes.Size()))))
    throw EFCreateError("Cannot create file \"" + target + "\"");
}

// ---- vector copies -----------------------------------------------------------------------------
void TCustomZOdoza::SetHelperCanvas(TCanvas* Canvas) {
  for (Integer n = 1; n <= kNumLayers; ++n) {
    FScalesX[n]->UseForeignCanvas(Canvas, 0, 0);
    FScalesY[n]->UseForeignCanvas(Canvas, 0, 0);
  }
}

void TCustomZOdoza::DrawOnDevice(TCanvas* Canvas,
                                 const std::function<TRect(const TRect&)>& ToDevice,
                                 bool BlkWhite, bool ExtentLine) {
  // Every clip first, so that a position the device cannot take is refused before drawing.
  ResizeGrafBmp();
  const TRect control = ToDevice(Rect(0, 0, Width(), Height()));
  const TRect area =
      ToDevice(Rect(RcLRim, RcTRim, RcLRim + FGrafBmp->Width(), RcTRim + FGrafBmp->Height()));
  SetHelperCanvas(Canvas);
  Canvas->SetClipRect(control);
  ConstructChartBmp(Canvas);
  Canvas->SetClipRect(area);
  InitGraf(Canvas, RcLRim, RcTRim, FGrafBmp->Width(), FGrafBmp->Height());
  Canvas->ResetClipRect();
  if (ExtentLine) {
    // A metafile's picture then reaches the control's bottom-right pixel.
    Canvas->Pen()->SetColor(clBlack);
    Canvas->MoveTo(Width() - 1, Height() - 1);
    Canvas->LineTo(Width() - 1, Height() - 1);
  }
  // The items' clip is the data-area bitmap's rectangle: it takes in the frame's right column
  // and bottom row, which the frame draws on the bitmap's last pixels.
  Canvas->SetClipRect(area);
  ConstructDataBmpCanvas(Canvas, RcLRim, RcTRim, BlkWhite, 0);
  Canvas->ResetClipRect();
}

void TCustomZOdoza::RecordMetafile(TMetafile& Metafile, bool BlkWhite) {
  TMetafileCanvas canvas(&Metafile);
  const Integer ppi = ScreenPixelsPerInch;
  const Integer dpiX = canvas.PixelsPerInchX(), dpiY = canvas.PixelsPerInchY();
  canvas.SetMapping(TCanvasMapping{TPoint{0, 0}, TSize{ppi, ppi}, TSize{dpiX, dpiY}});
  DrawOnDevice(
      &canvas,
      [&](const TRect& r) {
        return TRect{RoundDevice(static_cast<Double>(r.Left) * dpiX / ppi),
                     RoundDevice(static_cast<Double>(r.Top) * dpiY / ppi),
                     RoundDevice(static_cast<Double>(r.Right) * dpiX / ppi),
                     RoundDevice(static_cast<Double>(r.Bottom) * dpiY / ppi)};
      },
      BlkWhite, true);
  canvas.Close();
}

void TCustomZOdoza::CopyToClipboardWMF(bool BlkWhite) {
  TExportFrame frame(*this, BlkWhite);
  TMetafile metafile;
  RecordMetafile(metafile, BlkWhite);
  ClipboardSetMetafile(metafile);
}

void TCustomZOdoza::CopyToWMF(const String& FName, bool BlkWhite) {
  TExportFrame frame(*this, BlkWhite);
  TMetafile metafile;
  RecordMetafile(metafile, BlkWhite);
  metafile.SaveToFile(ExportFileName(FName, ".wmf"));
}

// ---- printing ----------------------------------------------------------------------------------
void TCustomZOdoza::PrintOnPage(TCanvas* Canvas, Integer X0, Integer Y0, Double ScaleF,
                                bool BlkWhite) {
  const Integer ppi = ScreenPixelsPerInch;
  const Integer dpiX = Canvas->PixelsPerInchX(), dpiY = Canvas->PixelsPerInchY();
  PrintedSize(this, Width(), Height(), ScaleF, dpiX, dpiY);
  const Double h = ScaleF * dpiX, v = ScaleF * dpiY;
  Canvas->SetMapping(TCanvasMapping{TPoint{X0, Y0}, TSize{ppi, ppi},
                                    TSize{RoundDevice(h), RoundDevice(v)}});
  DrawOnDevice(
      Canvas,
      [&](const TRect& r) {
        return TRect{PrintedPosition(this, ScaleF, X0, h * r.Left / ppi),
                     PrintedPosition(this, ScaleF, Y0, v * r.Top / ppi),
                     PrintedPosition(this, ScaleF, X0, h * r.Right / ppi),
                     PrintedPosition(this, ScaleF, Y0, v * r.Bottom / ppi)};
      },
      BlkWhite, false);
}

void TCustomZOdoza::PrintIt(Double ScaleF, bool BlkWhite) {
  TExportFrame frame(*this, BlkWhite);
  TPrinter* printer = Printer();
  printer->SetTitle(!FChartCaption.empty() ? FChartCaption : Name());
  printer->BeginDoc();
  try {
    TCanvas* canvas = printer->Canvas();
    const Integer dpiX = canvas->PixelsPerInchX(), dpiY = canvas->PixelsPerInchY();
    const Integer W = printer->PhysicalWidth();
    const TSize printed = PrintedSize(this, Width(), Height(), ScaleF, dpiX, dpiY);
    Integer x0 = (W - printed.cx) / 2;
    if (x0 < 0) x0 = 0;
    PrintOnPage(canvas, x0, dpiY / 2, ScaleF, BlkWhite);
  } catch (...) {
    printer->Abort();
    throw;
  }
  printer->EndDoc();
}

void TCustomZOdoza::CopyToOpenPrinter(Integer& x, Integer& y, Double ScaleF, bool BlkWhite) {
  TExportFrame frame(*this, BlkWhite);
  TCanvas* canvas = Printer()->Canvas();
  // x and y change only when the chart was drawn and their new values are ints.
  const TSize printed = PrintedSize(this, Width(), Height(), ScaleF, canvas->PixelsPerInchX(),
                                    canvas->PixelsPerInchY());
  const Integer nextX = PrintedPosition(this, ScaleF, x, printed.cx);
  const Integer nextY = PrintedPosition(this, ScaleF, y, printed.cy);
  // What the caller's drawing relies on comes back afterwards, also after a failure.
  struct TSavedCanvas {
    TCanvas* C;
    TColor Brush = C->Brush()->Color(), Pen = C->Pen()->Color();
    TFont Font;
    TCanvasMapping Mapping = C->Mapping();
    explicit TSavedCanvas(TCanvas* Canvas) : C(Canvas) { Font.Assign(C->Font()); }
    ~TSavedCanvas() {
      C->SetMapping(Mapping);
      C->Font()->SetName(Font.Name());
      C->Font()->SetColor(Font.Color());
      C->Font()->SetStyle(Font.Style());
      C->Font()->SetSize(Font.Size());
      C->Brush()->SetColor(Brush);
      C->Pen()->SetColor(Pen);
    }
  } saved(canvas);
  PrintOnPage(canvas, x, y, ScaleF, BlkWhite);
  x = nextX;
  y = nextY;
}
