#include "DOV_sdlbase_draw.h"

#include <algorithm>
#include <array>
#include <vector>

#include "SysUtils.h"

namespace {

TCanvas* gPrinterCanvas = nullptr;

constexpr Byte kFirstCharMark = 52;
constexpr Byte kFirstDigitMark = 200;
constexpr Byte kLastDigitMark = 209;
constexpr Integer kMaxMarkMargin = 255;
constexpr Integer kMarkCore = 7;  // the marks fit a 7 x 7 box around their centre

// Screen forms of the small crosses and the checkerboard: seven rows of seven bits, row r
// (1 ... 7) at Y - 4 + r, bit b at X + 3 - b.
using TMarkMask = std::array<Byte, 7>;
constexpr TMarkMask kMaskUpright[3] = {{0x00, 0x00, 0x08, 0x1C, 0x08, 0x00, 0x00},
                                       {0x00, 0x08, 0x08, 0x3E, 0x08, 0x08, 0x00},
                                       {0x08, 0x08, 0x08, 0x7F, 0x08, 0x08, 0x08}};
constexpr TMarkMask kMaskDiagonal[3] = {{0x00, 0x00, 0x14, 0x08, 0x14, 0x00, 0x00},
                                        {0x00, 0x22, 0x14, 0x08, 0x14, 0x22, 0x00},
                                        {0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0x41}};
constexpr TMarkMask kMaskChecker = {0x55, 0x2A, 0x55, 0x2A, 0x55, 0x2A, 0x55};

// Draws one mark relative to its centre, keeping the rules about the brush.
class TMarkPainter {
public:
  TMarkPainter(TCanvas* Canvas, Integer X, Integer Y) : C(Canvas), X0(X), Y0(Y) {}

  void Line(int x1, int y1, int x2, int y2) {
    C->MoveTo(X0 + x1, Y0 + y1);
    C->LineTo(X0 + x2, Y0 + y2);
  }
  // A line path through the points, each segment from the last end point.
  void Path(std::initializer_list<TPoint> pts) {
    auto it = pts.begin();
    C->MoveTo(X0 + it->X, Y0 + it->Y);
    for (++it; it != pts.end(); ++it) C->LineTo(X0 + it->X, Y0 + it->Y);
  }
  // A thin solid copying pen paints exactly the pixels of a closed square path, so the
  // outline can be written as one pixel set (plot marks are drawn per data point).
  bool PlainPen() const {
    const TPen* pen = C->Pen();
    return pen->Style() == psSolid && pen->Width() <= 1 && pen->Mode() == pmCopy;
  }
  // The pixels and the end pen position of Path(-n,-n  -n,n  n,n  n,-n  -n,-n).
  void SquareOutline(int n) {
    TPoint pts[4 * 3 * 2];
    int k = 0;
    for (int i = -n; i < n; ++i) {
      pts[k++] = TPoint{X0 - n, Y0 + i};
      pts[k++] = TPoint{X0 + i, Y0 + n};
      pts[k++] = TPoint{X0 + n, Y0 - i};
      pts[k++] = TPoint{X0 - i, Y0 - n};
    }
    C->SetPixels(pts, k, C->Pen()->Color());
    C->MoveTo(X0 - n, Y0 - n);
  }
  void Rect(int x1, int y1, int x2, int y2, bool filled) {
    Shape(filled, [&] { C->Rectangle(X0 + x1, Y0 + y1, X0 + x2, Y0 + y2); });
  }
  void Ellipse(int x1, int y1, int x2, int y2, bool filled) {
    Shape(filled, [&] { C->Ellipse(X0 + x1, Y0 + y1, X0 + x2, Y0 + y2); });
  }
  void Polygon(std::initializer_list<TPoint> pts, bool filled) {
    std::vector<TPoint> p;
    for (TPoint q : pts) p.push_back(TPoint{X0 + q.X, Y0 + q.Y});
    Shape(filled, [&] { C->Polygon(p); });
  }
  // A screen mark's pixel mask goes into the surface as one pixel set with one OnChange,
  // not pixel by pixel (marks 1-6 and 18 are drawn per data point).
  void Mask(const TMarkMask& rows) {
    std::vector<TPoint> pts;
    for (int r = 1; r <= 7; ++r)
      for (int b = 0; b < 7; ++b)
        if ((rows[static_cast<size_t>(r - 1)] >> b) & 1)
          pts.push_back(TPoint{X0 + 3 - b, Y0 - 4 + r});
    C->SetPixels(pts.data(), static_cast<int>(pts.size()), C->Pen()->Color());
  }
  void Pixel(int x, int y) { C->SetPixel(X0 + x, Y0 + y, C->Pen()->Color()); }

private:
  // A filled shape takes the pen colour inside; an open one is drawn with a clear brush that
  // is made solid again afterwards.
  template <class F>
  void Shape(bool filled, F draw) {
    if (filled) {
      C->Brush()->SetColor(C->Pen()->Color());
      draw();
    } else {
      C->Brush()->SetStyle(bsClear);
      draw();
      C->Brush()->SetStyle(bsSolid);
    }
  }
  TCanvas* C;
  Integer X0, Y0;
};

void DrawCharMark(TCanvas* Canvas, Byte Mark, Integer X, Integer Y) {
  const unsigned code = (Mark >= kFirstDigitMark && Mark <= kLastDigitMark)
                            ? unsigned{'0'} + (Mark - kFirstDigitMark)
                            : Mark;
  // The character of that code (Latin-1), as UTF-8.
  String text;
  if (code < 0x80) {
    text.push_back(static_cast<char>(code));
  } else {
    text.push_back(static_cast<char>(0xC0 | (code >> 6)));
    text.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
  Canvas->Font()->SetColor(Canvas->Pen()->Color());
  Canvas->Brush()->SetStyle(bsClear);
  const TSize ext = Canvas->TextExtent(text);
  Canvas->TextOut(X - ext.cx / 2, Y - ext.cy / 2, text);
}

void DrawShapeMark(TCanvas* Canvas, Byte Mark, Integer X, Integer Y) {
  TMarkPainter p(Canvas, X, Y);
  const bool printer = Canvas == gPrinterCanvas;
  switch (Mark) {
    case 0: p.Pixel(0, 0); break;
    case 1:
    case 2:
    case 3: {
      const int n = Mark + 1;
      if (!printer) {
        p.Mask(kMaskUpright[Mark - 1]);
      } else {
        p.Line(-n, 0, n, 0);
        p.Line(0, -n, 0, n);
      }
      break;
    }
    case 4:
    case 5:
    case 6: {
      const int n = Mark - 2;
      if (!printer) {
        p.Mask(kMaskDiagonal[Mark - 4]);
      } else {
        p.Line(-n, -n, n, n);
        p.Line(-n, n, n, -n);
      }
      break;
    }
    case 7:
    case 8:
    case 9: {
      const int n = Mark - 6;
      p.Rect(-n, -n, n + 1, n + 1, true);
      break;
    }
    case 10:
    case 11:
    case 12: {
      const int n = Mark - 9;
      if (!printer && p.PlainPen())
        p.SquareOutline(n);
      else
        p.Path({{-n, -n}, {-n, n}, {n, n}, {n, -n}, {-n, -n}});
      break;
    }
    case 13:
    case 19:
      p.Path({{-3, 0}, {0, 3}, {3, 0}, {0, -3}, {-3, 0}});
      if (Mark == 13) p.Pixel(0, 0);
      break;
    case 14:
    case 15: {
      const int n = Mark - 12;
      p.Polygon({{-n, 0}, {0, n}, {n, 0}, {0, -n}}, true);
      break;
    }
    case 16: p.Ellipse(-2, -2, 3, 3, false); break;
    case 17: p.Ellipse(-3, -3, 4, 4, false); break;
    case 18:
      if (!printer) {
        p.Mask(kMaskChecker);
      } else {
        // A line to its own start paints nothing, so the printer's dots are set directly.
        for (int i = 1; i <= 7; ++i)
          for (int j = 1; j <= 7; ++j)
            if (i % 2 == j % 2) p.Pixel(i - 4, j - 4);
      }
      break;
    case 20:
    case 21: {
      const int n = Mark - 17;
      p.Line(0, 0, -n, n);
      p.Line(0, 0, n, n);
      break;
    }
    case 22:
    case 23: {
      const int n = Mark - 19;
      p.Line(0, 0, -n, -n);
      p.Line(0, 0, n, -n);
      break;
    }
    case 24: p.Ellipse(-3, -3, 4, 4, true); break;
    case 25:
      if (!printer) {
        p.Line(-3, -3, 4, 4);
        p.Line(-3, -2, 3, 4);
        p.Line(-2, -3, 4, 3);
        p.Line(-3, 3, 4, -4);
        p.Line(-3, 2, 3, -4);
        p.Line(-2, 3, 4, -3);
      } else {
        p.Line(-3, -3, 3, 3);
        p.Line(-3, -2, 2, 3);
        p.Line(-2, -3, 3, 2);
        p.Line(-3, 3, 3, -3);
        p.Line(-3, 2, 2, -3);
        p.Line(-2, 3, 3, -2);
      }
      break;
    case 26: p.Ellipse(-2, -2, 3, 3, true); break;
    case 27:
    case 28: p.Ellipse(-2, -2, 2, 2, Mark == 28); break;
    case 29:
    case 30:
    case 31:
    case 32: {
      const int n = (Mark == 29 || Mark == 31) ? 2 : 3;
      p.Polygon({{-n, 0}, {0, n}, {n, 0}}, Mark <= 30);
      break;
    }
    case 33:
    case 34: p.Polygon({{-4, -3}, {0, 4}, {4, -3}}, Mark == 34); break;
    case 35:
    case 36: p.Polygon({{-4, 3}, {0, -4}, {4, 3}}, Mark == 36); break;
    case 37:
      p.Line(-3, 0, 4, 0);
      p.Line(0, 0, 0, -8);
      break;
    case 38:
      p.Line(-3, -2, 4, -2);
      p.Line(-3, 2, 4, 2);
      p.Line(0, -2, 0, 2);
      break;
    case 39:
      p.Ellipse(-3, -3, 4, 4, false);
      p.Line(-3, 0, 4, 0);
      p.Line(0, -3, 0, 4);
      break;
    case 40:
    case 41: p.Polygon({{3, -2}, {-2, 0}, {3, 2}}, Mark == 41); break;
    case 42:
    case 43: p.Polygon({{4, -3}, {-3, 0}, {4, 3}}, Mark == 43); break;
    case 44:
    case 45: p.Polygon({{-3, -2}, {2, 0}, {-3, 2}}, Mark == 45); break;
    case 46:
    case 47: p.Polygon({{-4, -3}, {3, 0}, {-4, 3}}, Mark == 47); break;
    case 48:
      p.Rect(-3, -3, 4, 4, false);
      p.Line(-3, 0, 4, 0);
      p.Line(0, -3, 0, 4);
      break;
    case 49:
      p.Rect(-2, -2, 3, 3, false);
      p.Line(-4, 0, 5, 0);
      p.Line(0, -4, 0, 5);
      break;
    case 50:
      p.Line(-4, 0, 5, 0);
      p.Line(0, -4, 0, 5);
      p.Line(-3, -3, 4, 4);
      p.Line(-3, 3, 4, -4);
      break;
    case 51:
      p.Line(-4, 0, 5, 0);
      p.Line(0, -4, 0, 5);
      p.Line(-1, -3, 2, -3);
      p.Line(-1, 3, 2, 3);
      p.Line(-3, -1, -3, 2);
      p.Line(3, -1, 3, 2);
      break;
    default: break;
  }
}

}  // namespace

TCanvas* PrinterCanvas() { return gPrinterCanvas; }
void SetPrinterCanvas(TCanvas* Canvas) { gPrinterCanvas = Canvas; }

// ---- frames and marks ----------------------------------------------------------------------

void DrawFrame(TCanvas* Canvas, TFrameStyle FrameStyle, Integer Left, Integer Top, Integer Right,
               Integer Bottom, TColor Color1, TColor Color2, TColor Color3, TColor Color4,
               TColor Color5) {
  TColor p1, p2, p3, p4;
  switch (FrameStyle) {
    case fsSimple:
      Canvas->Pen()->SetColor(Color5);
      DrawRectangle(Canvas, Left, Top, Right, Bottom);
      return;
    case fsLowered:
      p1 = Color3;
      p2 = Color1;
      p3 = Color4;
      p4 = Color2;
      break;
    case fsRaised:
      p1 = Color1;
      p2 = Color4;
      p3 = Color2;
      p4 = Color3;
      break;
    case fsEmbossed:
      p1 = Color1;
      p2 = Color3;
      p3 = Color3;
      p4 = Color1;
      break;
    case fsEngraved:
      p1 = Color3;
      p2 = Color1;
      p3 = Color1;
      p4 = Color3;
      break;
    default: return;
  }
  TPen* pen = Canvas->Pen();
  pen->SetColor(p1);  // outer ring, left and top
  Canvas->MoveTo(Left, Bottom);
  Canvas->LineTo(Left, Top);
  Canvas->LineTo(Right + 1, Top);
  Canvas->MoveTo(Right, Top + 1);
  pen->SetColor(p2);  // outer ring, right and bottom
  Canvas->LineTo(Right, Bottom);
  Canvas->LineTo(Left - 1, Bottom);
  pen->SetColor(p3);  // inner ring, left and top
  Canvas->MoveTo(Left + 1, Bottom - 1);
  Canvas->LineTo(Left + 1, Top + 1);
  Canvas->LineTo(Right, Top + 1);
  Canvas->MoveTo(Right - 1, Top + 2);
  pen->SetColor(p4);  // inner ring, right and bottom
  Canvas->LineTo(Right - 1, Bottom - 1);
  Canvas->LineTo(Left, Bottom - 1);
}

void DrawRectangle(TCanvas* Canvas, Integer Left, Integer Top, Integer Right, Integer Bottom) {
  Canvas->MoveTo(Left, Top);
  Canvas->LineTo(Left, Bottom);
  Canvas->LineTo(Right, Bottom);
  Canvas->LineTo(Right, Top);
  Canvas->LineTo(Left, Top);
}

void DrawMarkOnCanvas(TCanvas* Canvas, Byte Mark, Integer X, Integer Y) {
  if (Mark >= kFirstCharMark) {
    DrawCharMark(Canvas, Mark, X, Y);
    return;
  }
  const TColor brushColor = Canvas->Brush()->Color();
  DrawShapeMark(Canvas, Mark, X, Y);
  Canvas->Brush()->SetColor(brushColor);
}

std::unique_ptr<TBitmap> CreateMarkAsBitmap(Byte Mark, TColor MarkColor, TColor BkColor,
                                            Integer Margin) {
  Margin = std::clamp(Margin, 0, kMaxMarkMargin);
  const Integer side = 2 * Margin + kMarkCore;
  auto bmp = std::make_unique<TBitmap>(side, side);
  TCanvas* c = bmp->Canvas();
  c->Pen()->SetColor(BkColor);
  c->Brush()->SetColor(BkColor);
  c->Brush()->SetStyle(bsSolid);
  c->Rectangle(0, 0, side, side);
  c->Pen()->SetColor(MarkColor);
  DrawMarkOnCanvas(c, Mark, Margin + 3, Margin + 3);
  return bmp;
}

void PrintBitmap(TBitmap* Bitmap, Integer X, Integer Y) {
  TCanvas* printer = PrinterCanvas();
  if (printer == nullptr) throw ESDLError("PrintBitmap: no printer is available");
  if (Bitmap == nullptr) return;
  const TCopyMode mode = printer->CopyMode();
  printer->SetCopyMode(SRCCOPY);
  try {
    printer->Draw(X, Y, Bitmap);
  } catch (...) {
    printer->SetCopyMode(mode);
    throw;
  }
  printer->SetCopyMode(mode);
}

// ---- fonts -----------------------------------------------------------------------------------

void SetCanvasFontSizeScaled(TCanvas* Canvas, Integer Size) {
  TFont* font = Canvas->Font();
  const int ppi = font->PixelsPerInch();
  if (ppi == ScreenPixelsPerInch) {
    font->SetSize(Size);
    return;
  }
  font->SetPixelsPerInch(ScreenPixelsPerInch);
  font->SetSize(Size);
  font->SetPixelsPerInch(ppi);
}

bool FontIsTrueType(const String& FontName) {
  for (const String& name : InstalledFontNames())
    if (SameText(name, FontName)) return IsOutlineFont(name);
  throw ESDLError("FontIsTrueType: the font \"" + FontName + "\" is not installed");
}

// ---- cross hair ------------------------------------------------------------------------------

void TCrossHair::Changed() {
  if (OnChange) OnChange(this);
}

void TCrossHair::SetCrossHPosX(Double Value) {
  FPosX = Value;
  Changed();
}
void TCrossHair::SetCrossHPosY(Double Value) {
  FPosY = Value;
  Changed();
}
void TCrossHair::SetCrossHColor(TColor Value) {
  FColor = Value;
  Changed();
}
void TCrossHair::SetCrossHMode(TCrossHMode Value) {
  FMode = Value;
  Changed();
}
void TCrossHair::SetCrossHLineType(TPenStyle Value) {
  FLineType = Value;
  Changed();
}
void TCrossHair::SetCrossHLineWid(Integer Value) {
  FLineWid = Value;
  Changed();
}

void TCrossHair::SetCrossHLayer(Integer Value) {
  FLayer = std::clamp(Value, 1, 16);
  Changed();
}

void TCrossHair::SetPos(Double xpos, Double ypos) {
  if (xpos == FPosX && ypos == FPosY) return;
  FPosX = xpos;
  FPosY = ypos;
  Changed();
}

void TCrossHair::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TCrossHair*>(Source);
  if (src == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  FPosX = src->FPosX;
  FPosY = src->FPosY;
  FColor = src->FColor;
  FMode = src->FMode;
  FLineType = src->FLineType;
  FLineWid = src->FLineWid;
  FLayer = src->FLayer;
  OnChange = src->OnChange;
}

void TCrossHair::AssignTo(TPersistent* Dest) {
  if (dynamic_cast<TCrossHair*>(Dest) != nullptr)
    Dest->Assign(this);
  else
    TPersistent::AssignTo(Dest);
}

// ---- date/time label -------------------------------------------------------------------------

void TDTLabel::Changed() {
  if (OnChange) OnChange(this);
}

void TDTLabel::SetTimeFormat(TTimeFormat Value) {
  FTimeFormat = Value;
  Changed();
}
void TDTLabel::SetDAteOrder(TDateOrder Value) {
  FDateOrder = Value;
  Changed();
}

void TDTLabel::SetDateSeparator(char Value) {
  if (Value == FDateSeparator) return;
  FDateSeparator = Value;
  Changed();
}
void TDTLabel::SetTimeSeparator(char Value) {
  if (Value == FTimeSeparator) return;
  FTimeSeparator = Value;
  Changed();
}
void TDTLabel::SetYearLength(TYearLength Value) {
  if (Value == FYearLength) return;
  FYearLength = Value;
  Changed();
}
void TDTLabel::SetMonthName(bool Value) {
  if (Value == FMonthName) return;
  FMonthName = Value;
  Changed();
}
void TDTLabel::SetDateForTime(TDateForTime Value) {
  if (Value == FDateForTime) return;
  FDateForTime = Value;
  Changed();
}

void TDTLabel::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TDTLabel*>(Source);
  if (src == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  FTimeFormat = src->FTimeFormat;
  FDateSeparator = src->FDateSeparator;
  FTimeSeparator = src->FTimeSeparator;
  FYearLength = src->FYearLength;
  FMonthName = src->FMonthName;
  FDateOrder = src->FDateOrder;
  FDateForTime = src->FDateForTime;
  OnChange = src->OnChange;
}

void TDTLabel::AssignTo(TPersistent* Dest) {
  if (dynamic_cast<TDTLabel*>(Dest) != nullptr)
    Dest->Assign(this);
  else
    TPersistent::AssignTo(Dest);
}
