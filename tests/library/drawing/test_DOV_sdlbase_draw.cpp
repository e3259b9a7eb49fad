#include <gtest/gtest.h>

#include "DOV_sdlbase_draw.h"
#include "support_canvas.h"

using dt::PixelSet;

namespace {

constexpr TColor kC1 = RGB(250, 250, 250), kC2 = RGB(192, 192, 192), kC3 = RGB(128, 128, 128),
                 kC4 = RGB(0, 0, 0), kC5 = RGB(255, 0, 0);

// Clears the printer for tests that set one.
struct PrinterScope {
  explicit PrinterScope(TCanvas* c) { SetPrinterCanvas(c); }
  ~PrinterScope() { SetPrinterCanvas(nullptr); }
};

PixelSet MarkPixels(Byte mark, bool onPrinter = false) {
  auto b = dt::WhiteBitmap(21, 21);
  PrinterScope printer(onPrinter ? b->Canvas() : nullptr);
  DrawMarkOnCanvas(b->Canvas(), mark, 10, 10);
  return dt::Painted(*b, 10, 10);
}

}  // namespace

// ---- frames ----------------------------------------------------------------------------------

TEST(DrawFrame, NoneDrawsNothingAndSimpleUsesOnlyTheLineColour) {
  auto b = dt::WhiteBitmap(20, 20);
  {
    dt::TCanvasRecorder rec(b->Canvas());
    DrawFrame(b->Canvas(), fsNone, 2, 2, 15, 15, kC1, kC2, kC3, kC4, kC5);
    EXPECT_TRUE(rec.Calls.empty());
  }
  EXPECT_TRUE(dt::Painted(*b).empty());
  DrawFrame(b->Canvas(), fsSimple, 2, 2, 15, 15, kC1, kC2, kC3, kC4, kC5);
  std::set<TColor> used;
  for (TColor c : dt::AllPixels(*b)) used.insert(c);
  EXPECT_EQ(used, (std::set<TColor>{clWhite, kC5}));
  EXPECT_EQ(dt::Painted(*b).size(), 4u * 13u);  // a closed outline, every corner once
}

TEST(DrawFrame, ThreeDLooksPaintTwoRingsInTheirRoles) {
  struct Case {
    TFrameStyle look;
    TColor p1, p2, p3, p4;  // outer left/top, outer right/bottom, inner left/top, inner r/b
  };
  const Case cases[] = {{fsLowered, kC3, kC1, kC4, kC2},
                        {fsRaised, kC1, kC4, kC2, kC3},
                        {fsEmbossed, kC1, kC3, kC3, kC1},
                        {fsEngraved, kC3, kC1, kC1, kC3}};
  const int L = 2, T = 3, R = 16, B = 12, midX = 9, midY = 7;
  for (const Case& c : cases) {
    auto b = dt::WhiteBitmap(20, 16);
    TCanvas* cv = b->Canvas();
    DrawFrame(cv, c.look, L, T, R, B, kC1, kC2, kC3, kC4, kC5);
    EXPECT_EQ(cv->GetPixel(L, midY), c.p1) << c.look;
    EXPECT_EQ(cv->GetPixel(midX, T), c.p1) << c.look;
    EXPECT_EQ(cv->GetPixel(R, T), c.p1) << c.look;  // the top line runs to Right inclusive
    EXPECT_EQ(cv->GetPixel(R, midY), c.p2) << c.look;
    EXPECT_EQ(cv->GetPixel(midX, B), c.p2) << c.look;
    EXPECT_EQ(cv->GetPixel(L, B), c.p2) << c.look;  // the bottom line runs to Left inclusive
    EXPECT_EQ(cv->GetPixel(L + 1, midY), c.p3) << c.look;
    EXPECT_EQ(cv->GetPixel(midX, T + 1), c.p3) << c.look;
    EXPECT_EQ(cv->GetPixel(R - 1, midY), c.p4) << c.look;
    EXPECT_EQ(cv->GetPixel(midX, B - 1), c.p4) << c.look;
    EXPECT_EQ(cv->GetPixel(midX, midY), clWhite) << c.look;
    EXPECT_EQ(cv->Pen()->Color(), c.p4) << c.look;
  }
}

TEST(DrawFrame, RaisedDrawsItsEightLinesInOrder) {
  auto b = dt::WhiteBitmap(20, 20);
  dt::TCanvasRecorder rec(b->Canvas());
  DrawFrame(b->Canvas(), fsRaised, 1, 2, 10, 12, kC1, kC2, kC3, kC4, kC5);
  const std::vector<dt::TCallRecord> expected = {{kC1, {1, 2}},  {kC1, {11, 2}}, {kC4, {10, 12}},
                                                 {kC4, {0, 12}}, {kC2, {2, 3}},  {kC2, {10, 3}},
                                                 {kC3, {9, 11}}, {kC3, {1, 11}}};
  EXPECT_EQ(rec.Calls, expected);
}

TEST(DrawRectangle, OutlinesEveryPixelOnceSoAnXorPenUndoesItself) {
  auto b = dt::WhiteBitmap(12, 10);
  TCanvas* c = b->Canvas();
  c->Pen()->SetColor(clWhite);
  c->Pen()->SetMode(pmXor);
  DrawRectangle(c, 2, 2, 8, 6);
  // Each outline pixel was combined once: white xor white is black, corners included.
  EXPECT_EQ(dt::Painted(*b).size(), 2u * (6u + 4u));
  for (auto [x, y] : {std::pair{2, 2}, {8, 2}, {2, 6}, {8, 6}})
    EXPECT_EQ(c->GetPixel(x, y), clBlack) << x << "," << y;
  EXPECT_EQ(c->GetPixel(5, 4), clWhite);
  DrawRectangle(c, 2, 2, 8, 6);
  EXPECT_TRUE(dt::Painted(*b).empty());
}

// ---- marks -----------------------------------------------------------------------------------

TEST(Marks, ScreenCrossesAreTheirBitMasks) {
  PixelSet cross3;
  for (int i = -3; i <= 3; ++i) {
    cross3.insert({i, 0});
    cross3.insert({0, i});
  }
  EXPECT_EQ(MarkPixels(3), cross3);
  EXPECT_EQ(MarkPixels(1), (PixelSet{{0, -1}, {-1, 0}, {0, 0}, {1, 0}, {0, 1}}));
  EXPECT_EQ(MarkPixels(4), (PixelSet{{-1, -1}, {1, -1}, {0, 0}, {-1, 1}, {1, 1}}));
  const PixelSet checker = MarkPixels(18);
  EXPECT_EQ(checker.size(), 25u);
  EXPECT_TRUE(checker.count({-3, -3}) && checker.count({3, 3}) && checker.count({0, 0}));
  EXPECT_FALSE(checker.count({-2, -3}));
}

TEST(Marks, PrinterCrossesAreLinesWithoutTheirEndPoints) {
  PixelSet lines3;
  for (int i = -4; i <= 3; ++i) {
    lines3.insert({i, 0});
    lines3.insert({0, i});
  }
  EXPECT_EQ(MarkPixels(3, true), lines3);  // two lines of eight pixels
  const PixelSet diag = MarkPixels(6, true);
  EXPECT_TRUE(diag.count({-4, -4}) && diag.count({3, 3}) && !diag.count({4, 4}));
  // The checkerboard must show in print as on the screen.
  EXPECT_EQ(MarkPixels(18, true), MarkPixels(18));
}

TEST(Marks, ScreenMaskIsOneWriteNotOneCallPerPixel) {
  auto b = dt::WhiteBitmap(21, 21);
  dt::TCanvasRecorder rec(b->Canvas());
  DrawMarkOnCanvas(b->Canvas(), 18, 10, 10);
  EXPECT_EQ(rec.Calls.size(), 1u);
}

TEST(Marks, ShapesAtKnownSpots) {
  struct Case {
    Byte mark;
    PixelSet painted;    // must be painted
    PixelSet unpainted;  // must stay white
    size_t count;        // 0: not checked
  };
  const Case cases[] = {
      {0, {{0, 0}}, {}, 1},
      {7, {{-1, -1}, {1, 1}, {0, 0}}, {{2, 2}}, 9},
      {9, {{-3, -3}, {3, 3}}, {{4, 4}}, 49},
      {10, {{-1, -1}, {1, 1}, {-1, 1}, {1, -1}}, {{0, 0}}, 8},
      {13, {{0, 0}, {-3, 0}, {0, 3}}, {{1, 1}}, 0},
      {19, {{-3, 0}, {3, 0}}, {{0, 0}}, 0},
      {14, {{0, 0}, {-2, 0}, {0, 2}}, {{2, 2}}, 0},
      {20, {{0, 0}, {-2, 2}, {2, 2}}, {{-3, 3}, {3, 3}}, 0},
      {23, {{0, 0}, {-3, -3}}, {{-4, -4}, {4, -4}}, 0},
      {24, {{0, 0}, {-3, 0}, {3, 0}}, {{4, 0}}, 0},
      {16, {{-2, 0}, {2, 0}}, {{0, 0}}, 0},
      {27, {{-2, 0}}, {{2, 0}, {0, 2}}, 0},
      {33, {{-4, -3}, {3, -3}}, {{0, 0}}, 0},
      {34, {{-4, -3}, {0, 0}}, {}, 0},
      {37, {{-3, 0}, {3, 0}, {0, -7}}, {{4, 0}, {0, -8}}, 0},
      {38, {{-3, -2}, {3, 2}, {0, 0}, {0, 1}}, {{4, -2}, {4, 2}, {0, 3}}, 0},
      {48, {{-3, -3}, {3, 3}, {0, 0}}, {{1, 1}, {4, 0}}, 0},
      {49, {{-4, 0}, {4, 0}, {0, 4}, {-2, -2}}, {{5, 0}, {1, 1}}, 0},
      {51, {{-1, -3}, {1, 3}, {-3, -1}, {3, 1}}, {{2, -3}, {3, 2}}, 0},
  };
  for (const Case& c : cases) {
    const PixelSet got = MarkPixels(c.mark);
    for (auto p : c.painted)
      EXPECT_TRUE(got.count(p)) << "mark " << int(c.mark) << " at " << p.first << "," << p.second;
    for (auto p : c.unpainted)
      EXPECT_FALSE(got.count(p)) << "mark " << int(c.mark) << " at " << p.first << "," << p.second;
    if (c.count != 0) {
      EXPECT_EQ(got.size(), c.count) << "mark " << int(c.mark);
    }
  }
}

TEST(Marks, EveryShapeDrawsAroundItsCentreOnScreenAndPrinter) {
  for (int mark = 0; mark <= 51; ++mark)
    for (bool printer : {false, true}) {
      const PixelSet got = MarkPixels(static_cast<Byte>(mark), printer);
      EXPECT_FALSE(got.empty()) << "mark " << mark << (printer ? " printer" : "");
      for (auto [x, y] : got) {
        // Mark 37's stem reaches 7 up; everything else stays within 4 of the centre.
        EXPECT_TRUE(x >= -4 && x <= 4 && y >= (mark == 37 ? -7 : -4) && y <= 4)
            << "mark " << mark << " at " << x << "," << y;
      }
    }
}

TEST(Marks, ShapesKeepTheBrushColourAndLeaveItSolid) {
  for (Byte mark : {Byte{8}, Byte{16}, Byte{30}, Byte{48}}) {
    auto b = dt::WhiteBitmap(21, 21);
    TCanvas* c = b->Canvas();
    c->Pen()->SetColor(clRed);
    c->Brush()->SetColor(clAqua);
    DrawMarkOnCanvas(c, mark, 10, 10);
    EXPECT_EQ(c->Brush()->Color(), clAqua) << int(mark);
    EXPECT_EQ(c->Brush()->Style(), bsSolid) << int(mark);
    // Filled shapes are the pen colour inside, too.
    if (mark == 8 || mark == 30) {
      EXPECT_EQ(c->GetPixel(10, 10), clRed) << int(mark);
    }
  }
}

TEST(Marks, CharacterCodesAreWrittenCentredInThePenColour) {
  struct Case {
    Byte mark;
    const char* text;
  };
  for (const Case& k : {Case{200, "0"}, Case{209, "9"}, Case{65, "A"}, Case{52, "4"}}) {
    auto got = dt::WhiteBitmap(40, 40);
    TCanvas* c = got->Canvas();
    c->Pen()->SetColor(clBlue);
    DrawMarkOnCanvas(c, k.mark, 20, 20);
    EXPECT_EQ(c->Brush()->Style(), bsClear);
    EXPECT_EQ(c->Font()->Color(), clBlue);

    auto want = dt::WhiteBitmap(40, 40);
    TCanvas* w = want->Canvas();
    w->Font()->SetColor(clBlue);
    w->Brush()->SetStyle(bsClear);
    const TSize ext = w->TextExtent(k.text);
    w->TextOut(20 - ext.cx / 2, 20 - ext.cy / 2, k.text);
    EXPECT_EQ(dt::AllPixels(*got), dt::AllPixels(*want)) << int(k.mark);
    EXPECT_FALSE(dt::Painted(*got).empty());
  }
}

TEST(Marks, MarkBitmapSizeFollowsTheClampedMargin) {
  struct Case {
    Integer margin;
    int side;
  };
  for (const Case c : {Case{-5, 7}, Case{0, 7}, Case{2, 11}, Case{1000, 517}}) {
    auto bmp = CreateMarkAsBitmap(7, clRed, clYellow, c.margin);
    EXPECT_EQ(bmp->Width(), c.side);
    EXPECT_EQ(bmp->Height(), c.side);
    const int mid = c.side / 2;
    EXPECT_EQ(bmp->Canvas()->GetPixel(0, 0), clYellow);
    EXPECT_EQ(bmp->Canvas()->GetPixel(c.side - 1, c.side - 1), clYellow);
    EXPECT_EQ(bmp->Canvas()->GetPixel(mid, mid), clRed);
    EXPECT_EQ(bmp->Canvas()->GetPixel(mid + 1, mid + 1), clRed);
    EXPECT_EQ(bmp->Canvas()->GetPixel(mid + 2, mid + 2), clYellow);
  }
}

TEST(PrintBitmap, CopiesUnscaledToThePrinterOrFails) {
  auto mark = CreateMarkAsBitmap(9, clRed, clYellow, 0);
  EXPECT_THROW(PrintBitmap(mark.get(), 0, 0), ESDLError);
  auto page = dt::WhiteBitmap(30, 30);
  PrinterScope printer(page->Canvas());
  page->Canvas()->SetCopyMode(SRCINVERT);
  PrintBitmap(mark.get(), 5, 6);
  EXPECT_EQ(page->Canvas()->GetPixel(5, 6), clRed);
  EXPECT_EQ(page->Canvas()->GetPixel(11, 12), clRed);
  EXPECT_EQ(page->Canvas()->GetPixel(12, 13), clWhite);
  EXPECT_EQ(page->Canvas()->CopyMode(), SRCINVERT);
}

// ---- fonts -----------------------------------------------------------------------------------

TEST(Fonts, ScaledSizeKeepsTheFontsResolution) {
  auto b = dt::WhiteBitmap(4, 4);
  TFont* f = b->Canvas()->Font();
  SetCanvasFontSizeScaled(b->Canvas(), 12);
  EXPECT_EQ(f->Height(), -16);
  f->SetPixelsPerInch(600);
  SetCanvasFontSizeScaled(b->Canvas(), 9);
  EXPECT_EQ(f->Height(), -12);  // 9 points on a 96 pixels-per-inch screen
  EXPECT_EQ(f->PixelsPerInch(), 600);
}

TEST(Fonts, TrueTypeTestNeedsAnInstalledFont) {
  EXPECT_TRUE(FontIsTrueType("DejaVu Sans"));
  EXPECT_TRUE(FontIsTrueType("dejavu sans"));
  try {
    FontIsTrueType("No Such Font 12");
    FAIL() << "no exception";
  } catch (const ESDLError& e) {
    EXPECT_NE(e.Message.find("No Such Font 12"), String::npos);
  }
}

// ---- settings objects --------------------------------------------------------------------------

TEST(CrossHair, SettersFireAndLayerIsClamped) {
  TCrossHair ch;
  EXPECT_EQ(ch.Layer(), 0);
  EXPECT_EQ(ch.Mode(), chOff);
  int fired = 0;
  ch.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &ch);
    ++fired;
  };
  ch.SetCrossHLayer(0);
  EXPECT_EQ(ch.Layer(), 1);
  ch.SetCrossHLayer(17);
  EXPECT_EQ(ch.Layer(), 16);
  EXPECT_EQ(fired, 2);
  ch.SetCrossHPosX(ch.PosX());  // unchanged still fires
  EXPECT_EQ(fired, 3);
  ch.SetPos(0, 0);  // the current pair: nothing
  EXPECT_EQ(fired, 3);
  ch.SetPos(0, 2.5);
  EXPECT_EQ(fired, 4);
  EXPECT_EQ(ch.PosY(), 2.5);
}

TEST(CrossHair, AssignCopiesEverythingWithTheHandlerAndFiresNothing) {
  TCrossHair a, b;
  int firedA = 0, firedB = 0;
  a.OnChange = [&](TObject*) { ++firedA; };
  b.OnChange = [&](TObject*) { ++firedB; };
  a.SetPos(1.5, -2);
  a.SetCrossHColor(clRed);
  a.SetCrossHMode(chCrossBox);
  a.SetCrossHLineType(psDot);
  a.SetCrossHLineWid(3);
  a.SetCrossHLayer(5);
  firedA = 0;
  b.Assign(&a);
  EXPECT_EQ(firedA + firedB, 0);
  EXPECT_EQ(b.PosX(), 1.5);
  EXPECT_EQ(b.PosY(), -2);
  EXPECT_EQ(b.Color(), clRed);
  EXPECT_EQ(b.Mode(), chCrossBox);
  EXPECT_EQ(b.LineType(), psDot);
  EXPECT_EQ(b.LineWid(), 3);
  EXPECT_EQ(b.Layer(), 5);
  b.SetCrossHLayer(2);
  EXPECT_EQ(firedA, 1);  // b now calls a's handler
  EXPECT_EQ(firedB, 0);
  TDTLabel other;
  EXPECT_THROW(b.Assign(&other), EAssignError);
}

TEST(DTLabel, OnlyOrderAndTimeFormatFireWhenUnchanged) {
  TDTLabel l;
  EXPECT_EQ(l.DateSeparator(), '\0');
  EXPECT_EQ(l.DateOrder(), doMMDDYY);
  int fired = 0;
  l.OnChange = [&](TObject*) { ++fired; };
  l.SetDateSeparator('\0');
  l.SetTimeSeparator('\0');
  l.SetYearLength(ylNone);
  l.SetMonthName(false);
  l.SetDateForTime(dtNone);
  EXPECT_EQ(fired, 0);
  l.SetDAteOrder(doMMDDYY);
  l.SetTimeFormat(tfHHMMSS);
  EXPECT_EQ(fired, 2);
  l.SetDateSeparator('.');
  l.SetYearLength(ylYYYY);
  l.SetMonthName(true);
  EXPECT_EQ(fired, 5);
  TDTLabel copy;
  copy.Assign(&l);
  EXPECT_EQ(fired, 5);
  EXPECT_EQ(copy.DateSeparator(), '.');
  EXPECT_EQ(copy.YearLength(), ylYYYY);
  EXPECT_TRUE(copy.MonthName());
  copy.SetTimeSeparator(':');
  EXPECT_EQ(fired, 6);
}
