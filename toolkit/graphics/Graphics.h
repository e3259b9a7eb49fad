#pragma once
// The toolkit's drawing layer: colours, pens, brushes, fonts, the canvas, bitmaps and
// pictures. Pixel rules follow the classic desktop conventions the drawing code was written
// against: a line leaves its end pixel unpainted, shapes exclude their right and bottom box
// edges, text is placed by its top-left corner, and nothing is antialiased, so every pixel a
// routine touches is predictable. No Qt type appears here (see GraphicsQt.h for the bridge
// the toolkit's own controls use).

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "Classes.h"
#include "System.h"
#include "Types.h"

// ---- colours -----------------------------------------------------------------------------
// $00BBGGRR: red in the low byte. Values with the high byte $FF name a system colour by its
// index in the low byte and are resolved by ColorToRGB. Signed, so that the system colours
// are the negative values that window descriptions store.
using TColor = std::int32_t;

constexpr TColor RGB(int R, int G, int B) {
  return static_cast<TColor>((static_cast<std::uint32_t>(R) & 0xFF) |
                             ((static_cast<std::uint32_t>(G) & 0xFF) << 8) |
                             ((static_cast<std::uint32_t>(B) & 0xFF) << 16));
}
constexpr Byte GetRValue(TColor C) {
  return static_cast<Byte>(static_cast<std::uint32_t>(C) & 0xFF);
}
constexpr Byte GetGValue(TColor C) {
  return static_cast<Byte>((static_cast<std::uint32_t>(C) >> 8) & 0xFF);
}
constexpr Byte GetBValue(TColor C) {
  return static_cast<Byte>((static_cast<std::uint32_t>(C) >> 16) & 0xFF);
}

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// System colours: $FF000000 + the index of the colour in the system table.
constexpr TColor SystemColor(int Index) {
  return static_cast<TColor>(0xFF000000u | (static_cast<std::uint32_t>(Index) & 0xFF));
}
constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);
constexpr TColor clMenuHighlight = SystemColor(29);
constexpr TColor clMenuBar = SystemColor(30);

inline bool IsSystemColor(TColor C) {
  return (static_cast<std::uint32_t>(C) & 0xFF000000u) == 0xFF000000u;
}
// A system colour becomes its fixed light-theme RGB value (unknown indexes give black); every
// other value comes back unchanged, clNone and clDefault included.
TColor ColorToRGB(TColor Color);

// Colour names as window descriptions write them ("clRed", "clBtnFace"). IdentToColor returns
// false for an unknown name.
bool IdentToColor(const String& Ident, TColor& Color);
String ColorToString(TColor Color);  // the name, or "$00BBGGRR"

// The screen resolution the whole toolkit assumes (square pixels).
constexpr int ScreenPixelsPerInch = 96;

// The font families installed on the machine (the screen's font list), and whether a family
// is an outline (scalable) font. Both need the application object.
std::vector<String> InstalledFontNames();
bool IsOutlineFont(const String& FamilyName);

// ---- errors ------------------------------------------------------------------------------
class EInvalidGraphic : public Exception {
  using Exception::Exception;
};  // bad picture data
class EInvalidGraphicOperation : public Exception {
  using Exception::Exception;
};  // bad request

// ---- pens, brushes, fonts ----------------------------------------------------------------
enum TPenStyle : Byte {
  psSolid,
  psDash,
  psDot,
  psDashDot,
  psDashDotDot,
  psClear,
  psInsideFrame,
  psUserStyle,
  psAlternate
};
// How the pen's colour P meets the pixel D already there (bitwise on the RGB bytes).
enum TPenMode : Byte {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};
enum TBrushStyle : Byte {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};
enum TFontStyle : Byte { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of font styles: TFontStyles{fsBold, fsItalic}, S.Contains(fsBold), S + fsUnderline.
class TFontStyles {
public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> L) {
    for (TFontStyle s : L) FBits = static_cast<Byte>(FBits | (1u << s));
  }
  constexpr bool Contains(TFontStyle S) const { return (FBits >> S) & 1u; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr TFontStyles operator+(TFontStyle S) const {
    TFontStyles r = *this;
    r.FBits = static_cast<Byte>(r.FBits | (1u << S));
    return r;
  }
  constexpr TFontStyles operator-(TFontStyle S) const {
    TFontStyles r = *this;
    r.FBits = static_cast<Byte>(r.FBits & ~(1u << S));
    return r;
  }
  constexpr Byte Bits() const { return FBits; }
  constexpr bool operator==(const TFontStyles&) const = default;

private:
  Byte FBits = 0;
};

// Base of pen, brush and font: OnChange fires after every change of a value.
class TGraphicsObject : public TPersistent {
public:
  String ClassName() const override { return "TGraphicsObject"; }
  TNotifyEvent OnChange;

protected:
  virtual void Changed();
};

class TPen : public TGraphicsObject {
public:
  String ClassName() const override { return "TPen"; }
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);  // negative values become 0; widths 0 and 1 both draw 1 pixel
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  TPenMode Mode() const { return FMode; }
  void SetMode(TPenMode Value);
  void Assign(TPersistent* Source) override;

private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  TPenMode FMode = pmCopy;
};

class TBrush : public TGraphicsObject {
public:
  String ClassName() const override { return "TBrush"; }
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);  // also turns a clear brush solid
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  void Assign(TPersistent* Source) override;

private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

// A font keeps its pixel Height; Size (points) is derived through PixelsPerInch:
// Height = -round(Size * PixelsPerInch / 72), a negative Height being the character height
// without internal leading, a positive one the full cell height. Changing PixelsPerInch keeps
// Height, so the point size read back changes. Every name is drawn with one of the
// Liberation families (sans, serif or mono, chosen from the name; metric-compatible with the
// classic faces the window layouts were measured with), a name starting with "DejaVu" with
// that DejaVu family, so that text looks the same on every machine. The faces come from the
// program's own font files (LoadDrawingFonts), never from other installed fonts: characters
// the face lacks are drawn from its fallback family.
class TFont : public TGraphicsObject {
public:
  TFont();
  String ClassName() const override { return "TFont"; }
  const String& Name() const { return FName; }
  void SetName(const String& Value);
  int Size() const;
  void SetSize(int Value);
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int Value);  // values below 1 are ignored
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  void Assign(TPersistent* Source) override;

  // The family the name is drawn with ("Liberation Sans", "Liberation Serif",
  // "Liberation Mono", or for a DejaVu name "DejaVu Sans", "DejaVu Serif", "DejaVu Sans Mono").
  static String DrawnFamily(const String& Name);
  // The family that draws the characters DrawnFamily lacks (symbols such as "≅" or "⁻"):
  // "DejaVu Sans Mono" for a monospaced family, else "DejaVu Sans".
  static String FallbackFamily(const String& Name);

private:
  // The classic default face, drawn as Liberation Sans: controls whose description names no
  // font get the widths their layout was measured with.
  String FName = "MS Sans Serif";
  int FHeight = -11;  // 8 points at 96 pixels per inch
  int FPixelsPerInch = ScreenPixelsPerInch;
  TFontStyles FStyle;
  TColor FColor = clWindowText;
};

// Whether the font family is installed (text in a missing family falls back to another face
// and takes other widths). Needs the Qt application object.
bool FontFamilyInstalled(const String& Family);

// Loads the font files all text is drawn with (Liberation Sans, Serif and Mono; DejaVu Sans,
// Serif and Sans Mono; every style), once per process; drawing text loads them too. Raises
// Exception naming the file and its package when one is missing or unreadable. Needs the Qt
// application object.
void LoadDrawingFonts();

// The characters of Text that neither Font's face nor its fallback has: they would be drawn
// as a missing-glyph box. Empty when the text is drawn completely.
String UndrawableCharacters(const TFont& Font, const String& Text);

// ---- canvas ------------------------------------------------------------------------------
// Raster operations of bitmap copies (the classic ternary codes: pattern = brush colour,
// source, destination).
using TCopyMode = std::int32_t;
constexpr TCopyMode BLACKNESS = 0x00000042;
constexpr TCopyMode NOTSRCERASE = 0x001100A6;
constexpr TCopyMode NOTSRCCOPY = 0x00330008;
constexpr TCopyMode SRCERASE = 0x00440328;
constexpr TCopyMode DSTINVERT = 0x00550009;
constexpr TCopyMode PATINVERT = 0x005A0049;
constexpr TCopyMode SRCINVERT = 0x00660046;
constexpr TCopyMode SRCAND = 0x008800C6;
constexpr TCopyMode MERGEPAINT = 0x00BB0226;
constexpr TCopyMode MERGECOPY = 0x00C000CA;
constexpr TCopyMode SRCCOPY = 0x00CC0020;
constexpr TCopyMode SRCPAINT = 0x00EE0086;
constexpr TCopyMode PATCOPY = 0x00F00021;
constexpr TCopyMode PATPAINT = 0x00FB0A09;
constexpr TCopyMode WHITENESS = 0x00FF0062;
constexpr TCopyMode cmBlackness = BLACKNESS, cmDstInvert = DSTINVERT, cmMergeCopy = MERGECOPY,
                    cmMergePaint = MERGEPAINT, cmNotSrcCopy = NOTSRCCOPY,
                    cmNotSrcErase = NOTSRCERASE, cmPatCopy = PATCOPY, cmPatInvert = PATINVERT,
                    cmPatPaint = PATPAINT, cmSrcAnd = SRCAND, cmSrcCopy = SRCCOPY,
                    cmSrcErase = SRCERASE, cmSrcInvert = SRCINVERT, cmSrcPaint = SRCPAINT,
                    cmWhiteness = WHITENESS;

// The colour GetPixel answers for a pixel outside the surface.
constexpr TColor CLR_INVALID = static_cast<TColor>(0xFFFFFFFFu);

class TGraphic;
class TCanvas;

// How a device canvas (a metafile being recorded, a print job) turns the logical units of the
// drawing calls into device units, isotropically: device = ViewportOrg + logical x s, where s
// is the smaller of ViewportExt / WindowExt over the two axes, each axis keeping its own sign.
// Bitmap canvases draw in pixels and take only the identity.
struct TCanvasMapping {
  TPoint ViewportOrg{0, 0};
  TSize WindowExt{1, 1};
  TSize ViewportExt{1, 1};
  bool operator==(const TCanvasMapping&) const = default;
};

// Canvas->Pixels[x][y] reads and writes one pixel, as GetPixel/SetPixel do.
class TCanvasPixels {
public:
  class Ref {
  public:
    operator TColor() const;
    Ref& operator=(TColor C);
    Ref& operator=(const Ref& Other) { return *this = static_cast<TColor>(Other); }
    Ref(const Ref&) = default;

  private:
    friend class TCanvasPixels;
    Ref(TCanvas* C, int X, int Y) : FCanvas(C), FX(X), FY(Y) {}
    TCanvas* FCanvas;
    int FX, FY;
  };
  class Column {
  public:
    Ref operator[](int Y) const { return Ref(FCanvas, FX, Y); }

  private:
    friend class TCanvasPixels;
    Column(TCanvas* C, int X) : FCanvas(C), FX(X) {}
    TCanvas* FCanvas;
    int FX;
  };
  explicit TCanvasPixels(TCanvas* C) : FCanvas(C) {}
  Column operator[](int X) const { return Column(FCanvas, X); }

private:
  TCanvas* FCanvas;
};

// A drawing surface: a bitmap's pixels or a control's image (the toolkit binds it through
// GraphicsQt.h), or a device that keeps figures as vectors (a metafile, a print job: their
// canvases take the same calls, see TMetafileCanvas and the printer). On a bitmap all
// coordinates are device pixels; on a device they are logical units (see TCanvasMapping). A canvas with no surface ignores drawing
// and measures text as a surface of 96 pixels per inch would.
//
// Pixel rules:
// - LineTo paints from the pen position up to, not including, the end point; Polyline paints
//   its segments the same way (the last point stays unpainted) and leaves PenPos alone.
// - Rectangle, Ellipse, RoundRect, Arc: the box's right and bottom edges are exclusive, a
//   1-pixel pen outlines x1..x2-1, y1..y2-1 and the brush fills the inside. With a clear pen
//   the filled area is one pixel smaller to the right and bottom (x1..x2-2), as the classic
//   rasteriser did. Boxes without extent draw nothing. Corners are taken in either order.
// - Polygon outlines every edge with the pen (vertices included) and fills with the
//   alternate (even-odd) rule.
// - FillRect covers x1..x2-1, y1..y2-1 with the brush; FrameRect outlines the same pixels in
//   the brush colour. Neither uses the pen mode.
// - Pen modes other than pmCopy combine the pen (and brush) colour bitwise with the pixels
//   the figure covers, each pixel once, so an XOR figure drawn twice leaves no trace.
// - Lines of width 0 or 1 follow our own rasteriser, wider ones are drawn solid with round
//   ends whatever the style. Dash lengths (pixels on/off): dash 18/6, dot 3/3,
//   dash-dot 9/6/3/6, dash-dot-dot 9/3/3/3/3/3; alternate paints every other pixel; the
//   pattern runs on along one Polyline and starts afresh with each call.
// - Ellipses, rounded corners and arcs with a thin pen are the pixels whose centres lie
//   inside the ellipse touching the box's outer edges; the outline is the connected rim of
//   those pixels, an Arc the part of that rim between its rays, a dash pattern runs along the
//   rim counter-clockwise (from 3 o'clock, or from an arc's start ray).
// - TextOut puts the top-left corner of the text cell at (x, y), fills the cell with the
//   brush colour first unless the brush is clear, and does not move PenPos.
class TCanvas : public TPersistent {
public:
  TCanvas();
  ~TCanvas() override;
  String ClassName() const override { return "TCanvas"; }

  TPen* Pen() const;
  TBrush* Brush() const;
  TFont* Font() const;
  void SetPen(TPen* Value) { Pen()->Assign(Value); }
  void SetBrush(TBrush* Value) { Brush()->Assign(Value); }
  void SetFont(TFont* Value) { Font()->Assign(Value); }

  TPoint PenPos() const;
  void SetPenPos(TPoint Value);
  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  void Polyline(const TPoint* Points, int Count);
  void Polyline(const std::vector<TPoint>& Points) {
    Polyline(Points.data(), static_cast<int>(Points.size()));
  }
  void Polygon(const TPoint* Points, int Count);
  void Polygon(const std::vector<TPoint>& Points) {
    Polygon(Points.data(), static_cast<int>(Points.size()));
  }

  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
  // X3, Y3: width and height of the ellipse that rounds the corners.
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
  // The arc of the ellipse in the box, counter-clockwise from the ray through (X3, Y3) to the
  // ray through (X4, Y4), both rays from the box centre; equal rays give the whole ellipse.
  void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4);
  void FillRect(const TRect& R);
  void FrameRect(const TRect& R);

  TColor GetPixel(int X, int Y) const;        // CLR_INVALID outside the surface
  void SetPixel(int X, int Y, TColor Color);  // ignores the pen mode and pixels outside
  // Sets many pixels to one colour as SetPixel does, written straight into the surface, with
  // one OnChange for all of them (plot marks are drawn per data point).
  void SetPixels(const TPoint* Points, int Count, TColor Color);
  TCanvasPixels Pixels{this};

  void TextOut(int X, int Y, const String& Text);
  // Fills R with the brush unless it is clear, then writes Text at (X, Y) clipped to R.
  void TextRect(const TRect& R, int X, int Y, const String& Text);
  int TextWidth(const String& Text) const;
  int TextHeight(const String& Text) const;
  TSize TextExtent(const String& Text) const;

  // Copies use CopyMode; the pattern of the pattern-using modes is the brush colour.
  TCopyMode CopyMode() const;
  void SetCopyMode(TCopyMode Value);
  // Copies Source of the other canvas into Dest of this one, stretched (nearest pixel) when
  // their sizes differ and mirrored when one of them is reversed.
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const TRect& R, TGraphic* Graphic);

  // The part of the surface drawing reaches: the whole surface unless a clip is set (on a
  // device canvas: the clip, or nothing when none is set).
  TRect ClipRect() const;
  // Limits drawing to R (device pixels; device units on a device canvas) until ResetClipRect.
  void SetClipRect(const TRect& R);
  void ResetClipRect();

  // Device units per inch: the screen's for bitmaps, the device's own for a metafile or a
  // print job.
  int PixelsPerInchX() const;
  int PixelsPerInchY() const;
  // See TCanvasMapping. EInvalidGraphicOperation for an extent of 0, or for anything but the
  // identity on a canvas that is not bound to a device.
  TCanvasMapping Mapping() const;
  void SetMapping(const TCanvasMapping& Value);

  // Drawing happens on the calling thread only; these exist for code that brackets its
  // drawing with them.
  void Lock() {}
  void Unlock() {}

  // Fired after every drawing operation (a control repaints its window from it).
  TNotifyEvent OnChange;

  struct Impl;
  Impl* Internal() const { return d.get(); }

private:
  std::unique_ptr<Impl> d;
  void Changed();
};

// ---- graphics: bitmaps and pictures ------------------------------------------------------
class TGraphic : public TPersistent {
public:
  String ClassName() const override { return "TGraphic"; }
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const { return Width() == 0 || Height() == 0; }
  virtual bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  virtual void LoadFromFile(const String& FileName);
  virtual void SaveToFile(const String& FileName);
  virtual void LoadFromStream(TStream& Stream) = 0;
  virtual void SaveToStream(TStream& Stream) = 0;
  TNotifyEvent OnChange;

protected:
  friend class TCanvas;
  // Draws the whole graphic into R of Canvas (stretched when the sizes differ).
  virtual void Draw(TCanvas* Canvas, const TRect& R) = 0;
  virtual void Changed();
  bool FTransparent = false;
};

enum TPixelFormat : Byte { pfDevice, pf24bit, pf32bit };

// A bitmap in memory. pf24bit rows hold B, G, R bytes; pf32bit and pfDevice rows hold
// B, G, R, X (the fourth byte is kept at $FF and ignored by every operation). Rows run top
// down; ScanLine(row) gives the first byte of a row, rows are padded to a multiple of 4
// bytes. Resizing keeps the old pixels at the top left and makes the new ones white.
class TBitmap : public TGraphic {
public:
  TBitmap();
  TBitmap(int AWidth, int AHeight);
  ~TBitmap() override;
  String ClassName() const override { return "TBitmap"; }

  int Width() const override;
  int Height() const override;
  void SetWidth(int Value);
  void SetHeight(int Value);
  void SetSize(int AWidth, int AHeight);
  TPixelFormat PixelFormat() const;
  void SetPixelFormat(TPixelFormat Value);
  // The bitmap's canvas; drawing on it fires the bitmap's OnChange.
  TCanvas* Canvas();
  // Row Row's bytes; EInvalidGraphicOperation ("Scan line index out of range") outside.
  void* ScanLine(int Row);

  // The colour treated as see-through when Transparent is set: the bottom-left pixel unless
  // a colour was given.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor Value);

  void Assign(TPersistent* Source) override;
  // Windows bitmap files: 1-, 4-, 8-, 24- and 32-bit uncompressed (bit fields allowed) are
  // read; 24-bit (pf24bit) or 32-bit files are written, rows bottom up.
  void LoadFromStream(TStream& Stream) override;
  void SaveToStream(TStream& Stream) override;
  // Decodes BMP, JPEG or PNG bytes, recognised by their signature. EInvalidGraphic when the
  // data are of none of these formats or damaged.
  void LoadFromBytes(const void* Data, std::size_t Size);
  // The same pictures, kept encoded until their pixels, size or row format are first asked
  // for (a window's pictures then cost neither time nor memory before it is shown). The
  // signature and the header are checked now (EInvalidGraphic); data whose fault lies only in
  // their compressed pixels give an empty bitmap when decoded. Bitmap files are read at once.
  void LoadFromEncoded(String Bytes);

  struct Impl;
  Impl* Internal() const { return d.get(); }

protected:
  void Draw(TCanvas* Canvas, const TRect& R) override;

private:
  std::unique_ptr<Impl> d;
};

// Writes the bitmap as a PNG file (pictures for people to look at: test renderings, say).
// False when the bitmap is empty or the file cannot be written.
bool SaveBitmapAsPNG(TBitmap* Bitmap, const String& FileName);

// Holds one graphic, as an image control shows it. Every picture format the toolkit reads
// (BMP, JPEG, PNG) is decoded into a TBitmap, so Graphic() is a TBitmap or null.
class TPicture : public TPersistent {
public:
  TPicture();
  ~TPicture() override;
  String ClassName() const override { return "TPicture"; }

  TGraphic* Graphic() const { return FGraphic.get(); }
  void SetGraphic(TGraphic* Value);  // copies Value (null empties the picture)
  // The bitmap; an empty picture gets a new empty bitmap.
  TBitmap* Bitmap();
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }

  void LoadFromFile(const String& FileName);
  void LoadFromStream(TStream& Stream);  // from the stream's position to its end
  void LoadFromBytes(const void* Data, std::size_t Size);
  void LoadFromEncoded(String Bytes);  // decoded when first needed (TBitmap::LoadFromEncoded)
  void SaveToFile(const String& FileName);  // as a bitmap file
  void Assign(TPersistent* Source) override;
  TNotifyEvent OnChange;

private:
  std::unique_ptr<TGraphic> FGraphic;
  void Changed();
};
