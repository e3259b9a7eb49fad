#pragma once
// A canvas bound to a device (a metafile being recorded, a print job) hands every drawing
// call to the device instead of rasterising it, so that lines, shapes and texts stay vector
// figures. Coordinates are the canvas's logical units; the device applies the mapping. The
// pen, brush and font are read from the canvas at each call.
//
// For the toolkit's own code only.

#include <QImage>
#include <QPainter>

#include <memory>
#include <vector>

#include "Graphics.h"

class TCanvasDevice {
public:
  virtual ~TCanvasDevice() = default;
  virtual int PixelsPerInchX() const = 0;
  virtual int PixelsPerInchY() const = 0;
  // The mapping has been checked by the canvas (no extent 0).
  virtual void SetMapping(const TCanvasMapping& M) = 0;
  // Clip to R in device units, right and bottom excluded; null removes the clip.
  virtual void SetClip(const TRect* R) = 0;
  // Lines through the points with the pen; Closed adds the closing segment and fills the
  // inside with the brush (alternate rule). Zero-length segments are kept: they extend the
  // picture's bounds.
  virtual void Poly(const TCanvas& C, const TPoint* P, int N, bool Closed) = 0;
  enum class TShape { Rectangle, Ellipse, RoundRect };
  // Box shapes with right and bottom edges excluded, outlined with the pen and filled with
  // the brush; Corner is the rounding ellipse of a rounded rectangle.
  virtual void Shape(const TCanvas& C, TShape Kind, const TRect& Box, TSize Corner) = 0;
  // Counter-clockwise from the ray through Start to the ray through End (Arc's arguments).
  virtual void Arc(const TCanvas& C, const TRect& Box, TPoint Start, TPoint End) = 0;
  // R (right and bottom excluded) covered with the brush, no outline.
  virtual void Fill(const TCanvas& C, const TRect& R) = 0;
  virtual void Pixels(const TPoint* P, int N, TColor Color) = 0;
  // Text with its cell's top-left corner at (X, Y) in the font colour; the cell is filled
  // with the brush unless it is clear. With Clip, only the part inside it is drawn (and
  // filled).
  virtual void Text(const TCanvas& C, int X, int Y, const String& Text, const TRect* Clip) = 0;
  // Source of Image drawn stretched into Dest.
  virtual void Image(const QImage& Image, const TRect& Source, const TRect& Dest) = 0;
};

// Binds Canvas to Device (null: back to its image, or to nothing). The canvas does not own it.
void SetCanvasDevice(TCanvas* Canvas, TCanvasDevice* Device);

// The scale factors of a mapping: isotropic, the smaller magnitude serving both axes.
void MappingScale(const TCanvasMapping& M, double& Sx, double& Sy);

// Text as the canvas lays it out and draws it on a bitmap (the face and its fallback face,
// joined, in reading order, each glyph at its whole-pixel place), drawn with the painter's pen
// colour from the cell's top-left corner (X, Y) in the painter's coordinates; for devices that
// draw through a QPainter.
void DrawCanvasText(QPainter& Painter, const TCanvas& Canvas, int X, int Y, const String& Text);
// Each UTF-16 unit's advance in whole pixels in that layout, in the text's own order: a
// character's is that of the glyphs drawn for it, a unit inside a character takes none. They
// add up to the text's width (TextExtent).
std::vector<int> CanvasTextAdvances(const TCanvas& Canvas, const String& Text);

// A device drawing through a QPainter that is open on a paint device (a printer, a PDF
// writer); the painter stays the caller's.
std::unique_ptr<TCanvasDevice> NewPainterDevice(QPainter* Painter, int DpiX, int DpiY);
