// Colours, pens, brushes and fonts.
#include <gtest/gtest.h>

#include "Graphics.h"

namespace {

TEST(Colors, ByteOrderIsRedInTheLowByte) {
  EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x563412);
  EXPECT_EQ(GetRValue(0x563412), 0x12);
  EXPECT_EQ(GetGValue(0x563412), 0x34);
  EXPECT_EQ(GetBValue(0x563412), 0x56);
  EXPECT_EQ(clRed, RGB(255, 0, 0));
  EXPECT_EQ(clNavy, RGB(0, 0, 128));
  EXPECT_EQ(clNone, 0x1FFFFFFF);
  EXPECT_EQ(clDefault, 0x20000000);
}

TEST(Colors, SystemColoursResolveToTheFixedTheme) {
  EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0xFF00000Fu);
  EXPECT_LT(clBtnFace, 0);  // stored as the negative values window descriptions carry
  struct Case {
    TColor sys, rgb;
  };
  const Case cases[] = {{clBtnFace, RGB(240, 240, 240)}, {clWindow, clWhite},
                        {clWindowText, clBlack},         {clBtnShadow, RGB(160, 160, 160)},
                        {clBtnHighlight, clWhite},       {clGrayText, RGB(109, 109, 109)},
                        {clHighlightText, clWhite}};
  for (const Case& c : cases) EXPECT_EQ(ColorToRGB(c.sys), c.rgb) << std::hex << c.sys;
  EXPECT_EQ(ColorToRGB(clRed), clRed);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_EQ(ColorToRGB(SystemColor(200)), clBlack);  // unknown index
}

TEST(Colors, NamesBothWays) {
  TColor c = 0;
  EXPECT_TRUE(IdentToColor("clBtnFace", c));
  EXPECT_EQ(c, clBtnFace);
  EXPECT_TRUE(IdentToColor("CLRED", c));
  EXPECT_EQ(c, clRed);
  EXPECT_FALSE(IdentToColor("clNoSuchColour", c));
  EXPECT_EQ(ColorToString(clTeal), "clTeal");
  EXPECT_EQ(ColorToString(RGB(1, 2, 3)), "$00030201");
}

TEST(PenBrush, DefaultsAndChangeEvents) {
  TPen pen;
  EXPECT_EQ(pen.Color(), clBlack);
  EXPECT_EQ(pen.Width(), 1);
  EXPECT_EQ(pen.Style(), psSolid);
  EXPECT_EQ(pen.Mode(), pmCopy);
  int n = 0;
  pen.OnChange = [&](TObject* s) {
    EXPECT_EQ(s, &pen);
    ++n;
  };
  pen.SetColor(clBlack);  // unchanged: no event
  pen.SetColor(clRed);
  pen.SetWidth(3);
  pen.SetStyle(psDot);
  pen.SetMode(pmXor);
  EXPECT_EQ(n, 4);
  pen.SetWidth(-2);
  EXPECT_EQ(pen.Width(), 0);

  TBrush brush;
  EXPECT_EQ(brush.Color(), clWhite);
  EXPECT_EQ(brush.Style(), bsSolid);
  brush.SetStyle(bsClear);
  brush.SetColor(clWhite);  // a colour makes a clear brush paint again
  EXPECT_EQ(brush.Style(), bsSolid);
}

TEST(PenBrush, AssignCopiesAndRefusesStrangers) {
  TPen a, b;
  a.SetColor(clGreen);
  a.SetWidth(4);
  a.SetStyle(psDashDot);
  a.SetMode(pmNotXor);
  b.Assign(&a);
  EXPECT_EQ(b.Color(), clGreen);
  EXPECT_EQ(b.Width(), 4);
  EXPECT_EQ(b.Style(), psDashDot);
  EXPECT_EQ(b.Mode(), pmNotXor);
  TBrush br;
  br.SetStyle(bsCross);
  TBrush br2;
  br2.Assign(&br);
  EXPECT_EQ(br2.Style(), bsCross);
  EXPECT_THROW(b.Assign(&br), EAssignError);
}

TEST(Font, SizeAndHeightThroughPixelsPerInch) {
  TFont f;
  EXPECT_EQ(f.PixelsPerInch(), 96);
  EXPECT_EQ(f.Size(), 8);
  EXPECT_EQ(f.Height(), -11);
  struct Case {
    int size, height;
  };
  for (Case c : {Case{10, -13}, Case{12, -16}, Case{9, -12}, Case{7, -9}, Case{0, 0}}) {
    f.SetSize(c.size);
    EXPECT_EQ(f.Height(), c.height) << c.size;
    EXPECT_EQ(f.Size(), c.size);
  }
  // A new resolution keeps the pixel height: the size read back follows it.
  f.SetSize(8);
  f.SetPixelsPerInch(600);
  EXPECT_EQ(f.Height(), -11);
  EXPECT_EQ(f.Size(), 1);
  // The sequence that keeps a point size on a printer: size at the screen's resolution, then
  // the printer's.
  f.SetPixelsPerInch(96);
  f.SetSize(10);
  f.SetPixelsPerInch(600);
  EXPECT_EQ(f.Height(), -13);
  f.SetPixelsPerInch(0);  // ignored
  EXPECT_EQ(f.PixelsPerInch(), 600);
}

TEST(Font, AssignKeepsThePointSizeAcrossResolutions) {
  TFont screen;
  screen.SetName("Courier New");
  screen.SetSize(10);
  screen.SetStyle({fsBold, fsUnderline});
  screen.SetColor(clMaroon);
  TFont same;
  same.Assign(&screen);
  EXPECT_EQ(same.Name(), "Courier New");
  EXPECT_EQ(same.Height(), -13);
  EXPECT_EQ(same.Style(), (TFontStyles{fsBold, fsUnderline}));
  EXPECT_EQ(same.Color(), clMaroon);
  TFont printer;
  printer.SetPixelsPerInch(600);
  printer.Assign(&screen);
  EXPECT_EQ(printer.Size(), 10);
  EXPECT_EQ(printer.Height(), -83);
}

TEST(Font, StylesAndChangeEvents) {
  TFontStyles s{fsBold};
  EXPECT_TRUE(s.Contains(fsBold));
  EXPECT_FALSE(s.Contains(fsItalic));
  s = s + fsItalic - fsBold;
  EXPECT_EQ(s, TFontStyles{fsItalic});
  EXPECT_TRUE(TFontStyles{}.Empty());
  TFont f;
  int n = 0;
  f.OnChange = [&](TObject*) { ++n; };
  f.SetName("Tahoma");
  f.SetName("");  // a font always has a name
  f.SetSize(8);   // unchanged
  f.SetStyle({fsStrikeOut});
  f.SetColor(clRed);
  f.SetHeight(-20);
  EXPECT_EQ(n, 4);
  EXPECT_EQ(f.Name(), "Tahoma");
}

// The fallback draws what the face lacks; a monospaced face keeps its columns.
TEST(Font, ClassicNamesDrawWithMetricCompatibleFacesAndDejaVuNamesWithDejaVu) {
  const struct {
    const char *Name, *Family, *Fallback;
  } cases[] = {
      {"MS Sans Serif", "Liberation Sans", "DejaVu Sans"},
      {"Tahoma", "Liberation Sans", "DejaVu Sans"},
      {"Arial", "Liberation Sans", "DejaVu Sans"},
      {"Segoe UI", "Liberation Sans", "DejaVu Sans"},
      {"Some Unknown Face", "Liberation Sans", "DejaVu Sans"},
      {"Courier New", "Liberation Mono", "DejaVu Sans Mono"},
      {"Consolas", "Liberation Mono", "DejaVu Sans Mono"},
      {"Times New Roman", "Liberation Serif", "DejaVu Sans"},
      {"DejaVu Sans", "DejaVu Sans", "DejaVu Sans"},
      {"DejaVu Serif", "DejaVu Serif", "DejaVu Sans"},
      {"DejaVu Sans Mono", "DejaVu Sans Mono", "DejaVu Sans Mono"},
      {"dejavu sans", "DejaVu Sans", "DejaVu Sans"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TFont::DrawnFamily(c.Name), c.Family) << c.Name;
    EXPECT_EQ(TFont::FallbackFamily(c.Name), c.Fallback) << c.Name;
  }
  EXPECT_EQ(TFont().Name(), "MS Sans Serif");
}

}  // namespace
