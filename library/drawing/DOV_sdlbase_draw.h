#pragma once
// The base layer's drawing part: frame looks, plot marks, mark bitmaps, printing a bitmap,
// font helpers, and the two settings objects a chart owns (cross hair, date/time labels).
// Everything draws through the toolkit's canvas with its pixel rules: LineTo leaves the end
// point unpainted, Rectangle and Ellipse exclude their right and bottom edges.

#include <memory>

#include "DOV_sdlbase.h"
#include "Graphics.h"

// ---- the printer ---------------------------------------------------------------------------
// The canvas of the printer's current page; nullptr when no printer is set up. Plot marks
// drawn on it take their printer shapes (lines instead of pixel masks), and PrintBitmap
// copies onto it. The printing code sets it for the length of a job.
TCanvas* PrinterCanvas();
void SetPrinterCanvas(TCanvas* Canvas);

// ---- frames and marks ----------------------------------------------------------------------
// Colour roles: Color1 highlight, Color2 light face, Color3 shadow, Color4 dark shadow,
// Color5 the line of the simple frame. A 3-D look leaves the pen in its fourth colour.
void DrawFrame(TCanvas* Canvas, TFrameStyle FrameStyle, Integer Left, Integer Top, Integer Right,
               Integer Bottom, TColor Color1, TColor Color2, TColor Color3, TColor Color4,
               TColor Color5);
// The outline through the four corners with the current pen; nothing is filled.
void DrawRectangle(TCanvas* Canvas, Integer Left, Integer Top, Integer Right, Integer Bottom);

// Mark 0 ... 51 is a shape centred on (X, Y) in the pen colour; the brush colour is kept,
// a shape that clears the brush leaves it solid. Every other code is a character (200 ... 209
// the digits), written centred in the pen colour with a clear brush, which stays clear.
void DrawMarkOnCanvas(TCanvas* Canvas, Byte Mark, Integer X, Integer Y);
// A square bitmap of 2 * Margin + 7 pixels (Margin clamped to 0 ... 255) in BkColor with the
// mark in MarkColor in its middle.
std::unique_ptr<TBitmap> CreateMarkAsBitmap(Byte Mark, TColor MarkColor, TColor BkColor,
                                            Integer Margin);
// Copies the bitmap unscaled to the printer's canvas at (X, Y); ESDLError when there is no
// printer.
void PrintBitmap(TBitmap* Bitmap, Integer X, Integer Y);

// ---- fonts -----------------------------------------------------------------------------------
// Sets the canvas font's point size so that its pixel height is the screen's for that size,
// whatever the font's own pixels per inch (which it keeps).
void SetCanvasFontSizeScaled(TCanvas* Canvas, Integer Size);
// Whether the installed font family is an outline font; ESDLError for a name that is not
// installed.
bool FontIsTrueType(const String& FontName);

// ---- cross hair ------------------------------------------------------------------------------
// One cross hair of a chart: position in world coordinates and its look. Every setter fires
// OnChange, also for an unchanged value; SetPos fires only on a change. A new one is all zero
// (Layer 0 until set).
class TCrossHair : public TPersistent {
public:
  String ClassName() const override { return "TCrossHair"; }
  void Assign(TPersistent* Source) override;

  Double PosX() const { return FPosX; }
  Double PosY() const { return FPosY; }
  TColor Color() const { return FColor; }
  TCrossHMode Mode() const { return FMode; }
  TPenStyle LineType() const { return FLineType; }
  Integer LineWid() const { return FLineWid; }
  Integer Layer() const { return FLayer; }
  void SetCrossHPosX(Double Value);
  void SetCrossHPosY(Double Value);
  void SetCrossHColor(TColor Value);
  void SetCrossHMode(TCrossHMode Value);
  void SetCrossHLineType(TPenStyle Value);
  void SetCrossHLineWid(Integer Value);
  void SetCrossHLayer(Integer Value);  // clamped to 1 ... 16
  void SetPos(Double xpos, Double ypos);
  TNotifyEvent OnChange;

protected:
  void AssignTo(TPersistent* Dest) override;
  void Changed();

private:
  Double FPosX = 0;
  Double FPosY = 0;
  TColor FColor = 0;
  TCrossHMode FMode = chOff;
  TPenStyle FLineType = psSolid;
  Integer FLineWid = 0;
  Integer FLayer = 0;
};

// How date/time tick labels are written. The order and time format always fire OnChange; the
// other setters only on a change.
class TDTLabel : public TPersistent {
public:
  String ClassName() const override { return "TDTLabel"; }
  void Assign(TPersistent* Source) override;

  TTimeFormat TimeFormat() const { return FTimeFormat; }
  char DateSeparator() const { return FDateSeparator; }
  char TimeSeparator() const { return FTimeSeparator; }
  TYearLength YearLength() const { return FYearLength; }
  bool MonthName() const { return FMonthName; }
  TDateOrder DateOrder() const { return FDateOrder; }
  TDateForTime DateForTime() const { return FDateForTime; }
  void SetTimeFormat(TTimeFormat Value);
  void SetDateSeparator(char Value);
  void SetTimeSeparator(char Value);
  void SetYearLength(TYearLength Value);
  void SetMonthName(bool Value);
  void SetDAteOrder(TDateOrder Value);
  void SetDateForTime(TDateForTime Value);
  TNotifyEvent OnChange;

protected:
  void AssignTo(TPersistent* Dest) override;
  void Changed();

private:
  TTimeFormat FTimeFormat = tfHHMMSS;
  char FDateSeparator = '\0';
  char FTimeSeparator = '\0';
  TYearLength FYearLength = ylNone;
  bool FMonthName = false;
  TDateOrder FDateOrder = doMMDDYY;
  TDateForTime FDateForTime = dtNone;
};
