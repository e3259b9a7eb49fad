#pragma once
// The bridge between the drawing layer and Qt, for the toolkit's own code only (controls,
// printing): never include it from the library or the program.
//
// A canvas draws onto a QImage it does not own. It opens a QPainter only inside one drawing
// call, so the owner may read, blit, resize or replace the image between calls; after
// replacing it by another QImage object, bind the new one with SetCanvasImage. Supported
// image formats for drawing: Format_RGB32, Format_ARGB32, Format_ARGB32_Premultiplied and
// Format_BGR888 (fast paths); other formats work through QImage's pixel access.

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QString>

#include <vector>

#include "Graphics.h"

// Binds Canvas to Image (null unbinds: the canvas then draws nothing).
void SetCanvasImage(TCanvas* Canvas, QImage* Image);
QImage* CanvasImage(const TCanvas* Canvas);

// The QImage that holds a bitmap's pixels (Format_RGB32 or Format_BGR888). The reference
// stays valid as long as the bitmap lives; resizing the bitmap replaces its contents.
QImage& BitmapImage(TBitmap* Bitmap);
const QImage& BitmapImage(const TBitmap* Bitmap);
// Replaces a bitmap's pixels by a copy of Image (converted to the bitmap's row format:
// pf24bit when the image has 24-bit pixels, else pf32bit).
void SetBitmapImage(TBitmap* Bitmap, const QImage& Image);

// An opaque Qt colour for a TColor (system colours resolved, the high byte ignored).
QColor ToQColor(TColor Color);
QRgb ToQRgb(TColor Color);
TColor FromQRgb(QRgb Rgb);

// The Qt font a TFont draws with: its family (TFont::DrawnFamily), a pixel size (no device
// resolution involved), its styles, no antialiasing and no glyphs merged in from other faces
// (the canvas draws what the face lacks with FallbackQFont, through SplitByFace).
QFont ToQFont(const TFont& Font);
// The face for the characters ToQFont's face lacks: TFont::FallbackFamily in the font's
// style and pixel size.
QFont FallbackQFont(const TFont& Font);
// Text cut into runs in reading order, each to be drawn with the face that has its glyphs:
// Face where it has the character, else Fallback where that has it, else Face (its
// missing-glyph box). Both metrics must be of fonts without font merging.
struct TFaceRun {
  QString Text;
  bool Fallback;
};
std::vector<TFaceRun> SplitByFace(const QString& Text, const QFontMetrics& Face,
                                  const QFontMetrics& Fallback);
// The same font for a control's own text (captions, fields, lists), antialiased: the pixel
// rules of the canvas do not apply there, and unsmoothed small text spaces its letters badly.
// Qt draws a control's text itself, so the fallback family follows the face in its family
// list and is tried before any other installed font.
QFont WidgetFont(const TFont& Font);
