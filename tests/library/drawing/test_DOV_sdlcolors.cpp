#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "DOV_sdlcolors.h"
#include "RtlRandom.h"
#include "SysUtils.h"
#include "TestSupport.h"
#include "TextFile.h"

namespace {

// Lengths of the runs of equal neighbouring colours.
std::vector<int> Bands(const TColorArray& a) {
  std::vector<int> runs;
  for (Integer i = 1; i <= a.Size(); ++i) {
    if (i == 1 || a.GetColorElem(i) != a.GetColorElem(i - 1)) runs.push_back(0);
    ++runs.back();
  }
  return runs;
}

}  // namespace

// ---- tables and conversions --------------------------------------------------------------------

TEST(ColorTables, NamesAndValues) {
  EXPECT_EQ(PredefinedColors[0], clBlack);
  EXPECT_EQ(PredefinedColors[15], clWhite);
  EXPECT_EQ(PredefinedColors[29], clDefault);
  EXPECT_EQ(PredefinedColors[40], clNone);
  EXPECT_EQ(PredefinedColors[46], clWindowText);
  EXPECT_STREQ(AllDOVColorNames[19], "AliceBlue");
  EXPECT_STREQ(AllDOVColorNames[465], "YellowGreen");
  const std::map<String, TColor> spots = {
      {"AliceBlue", 0xFFF8F0}, {"AntiqueWhite1", 0xDBEFFF}, {"Aquamarine2", 0xC6EE76},
      {"Bronze", 0x778899},    {"Carbon", 0x222222},        {"RebeccaPurple", 0x993366},
      {"WebMaroon", 0x000080}, {"Cream", 0xF0FBFF},         {"Crimson", 0x3C14DC}};
  for (size_t i = 0; i < kNrOfDOVColors; ++i) {
    auto it = spots.find(AllDOVColorNames[i]);
    if (it != spots.end()) {
      EXPECT_EQ(AllDOVColors[i], it->second) << it->first;
    }
  }
  EXPECT_EQ(ObtainColorName(0x000080), "Maroon");  // the first equal row wins
  EXPECT_EQ(ObtainColorName(0x654321), "00654321");
}

TEST(ColorConversions, SimpleChannelArithmetic) {
  EXPECT_EQ(InterpolateColor(clBlack, clWhite, 0.999), 0xFEFEFE);  // truncation
  EXPECT_EQ(InterpolateColor(clBlack, clWhite, 7), clWhite);       // frac clamped
  EXPECT_EQ(MeanColor(clBlack, RGB(255, 101, 0)), RGB(127, 50, 0));
  EXPECT_EQ(Interpolate3Colors(clRed, clLime, clBlue, 0.25), RGB(127, 127, 0));
  EXPECT_EQ(Interpolate3Colors(clRed, clLime, clBlue, 1.0), clBlue);
  EXPECT_EQ(ReverseRGBColor(static_cast<TColor>(0xFF123456)), 0x563412);
  EXPECT_EQ(InvertColor(static_cast<TColor>(0xFF0000FF)), 0xFFFF00);
  EXPECT_EQ(ColorToHexStr(clBtnFace), "FF00000F");
  EXPECT_EQ(HexStrToColor("  $c0c0c0  "), 0xC0C0C0);
  EXPECT_EQ(HexStrToColor("12xz"), 0x12);
  EXPECT_EQ(HexStrToColor("   "), 0);
  EXPECT_EQ(HexStrToColor("$"), 0);
  EXPECT_DOUBLE_EQ(RGBColorDistance(clBlack, clWhite), 1.0);
  EXPECT_DOUBLE_EQ(RGBColorDistance(clRed, clRed), 0.0);
}

TEST(ColorConversions, GrayRoundsHalfToEvenExactly) {
  struct Case {
    Integer r, g, b, gray;
  };
  // 30 r + 59 g + 11 b ending in 50 are exact ties.
  for (const Case c : {Case{5, 0, 0, 2}, Case{15, 0, 0, 4}, Case{0, 0, 50, 6},
                       Case{255, 255, 255, 255}, Case{1, 1, 1, 1}, Case{0, 0, 0, 0}})
    EXPECT_EQ(RGBtoGray(c.r, c.g, c.b), c.gray) << c.r << " " << c.g << " " << c.b;
  EXPECT_EQ(ColorToGrayColor(RGB(5, 0, 0)), RGB(2, 2, 2));
}

TEST(ColorConversions, CMYAndCMYK) {
  Double c, m, y, k;
  RGBtoCMY(255, 0, 51, c, m, y);
  EXPECT_DOUBLE_EQ(c, 0);
  EXPECT_DOUBLE_EQ(m, 1);
  EXPECT_DOUBLE_EQ(y, 0.8);
  Byte r, g, b;
  CMYtoRGB(-1, 2, 0.5, r, g, b);
  EXPECT_EQ(r, 255);
  EXPECT_EQ(g, 0);
  EXPECT_EQ(b, 128);  // 127.5 rounds to even
  c = 0.5, m = 0.75, y = 0.25;
  CMYtoCMYK(c, m, y, k);
  EXPECT_DOUBLE_EQ(k, 0.25);
  EXPECT_DOUBLE_EQ(c, 0.25);
  EXPECT_DOUBLE_EQ(y, 0);
  CMYKtoCMY(c, m, y, 0.9);
  EXPECT_DOUBLE_EQ(c, 1);
  EXPECT_DOUBLE_EQ(y, 0.9);
}

TEST(ColorConversions, HSIBothWays) {
  Double h, s, i;
  RGBtoHSI(0, 0, 0, h, s, i);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(i, 0);
  RGBtoHSI(128, 128, 128, h, s, i);
  EXPECT_EQ(h, -1);
  EXPECT_EQ(s, 0);
  RGBtoHSI(255, 0, 0, h, s, i);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(s, 1);
  EXPECT_EQ(i, 1);
  RGBtoHSI(0, 0, 255, h, s, i);
  EXPECT_DOUBLE_EQ(h, 240);
  RGBtoHSI(255, 0, 128, h, s, i);
  EXPECT_NEAR(h, 360 - 60 * 128 / 255.0, 1e-12);  // negative hue wraps
  Integer r, g, b;
  for (TColor c : {clRed, clLime, clBlue, clYellow, clFuchsia, RGB(10, 200, 77), clGray}) {
    RGBtoHSI(GetRValue(c), GetGValue(c), GetBValue(c), h, s, i);
    HSItoRGB(h, s, i, r, g, b);
    EXPECT_EQ(RGB(r, g, b), c) << std::hex << c;
  }
  HSItoRGB(400, 1, 1, r, g, b);  // out-of-range hue reads as 0
  EXPECT_EQ(RGB(r, g, b), clRed);
}

TEST(ColorConversions, Wavelengths) {
  EXPECT_EQ(WavelengthToColor(500, 1), RGB(0, 255, 128));  // 127.5 rounds to even
  EXPECT_EQ(WavelengthToColor(600, 1), RGB(255, 177, 0));
  EXPECT_EQ(WavelengthToColor(379, 1), clBlack);
  EXPECT_EQ(WavelengthToColor(780, 1), clBlack);
  EXPECT_EQ(WavelengthToColor(700, 0.8), RGB(255, 0, 0));
  EXPECT_EQ(WavelengthToColor(740, 1), RGB(166, 0, 0));  // factor 0.65
}

TEST(ColorConversions, NotANumberGivesNoUndefinedChannel) {
  const Double nan = std::nan("");
  EXPECT_EQ(InterpolateColor(clBlack, clWhite, nan), clBlack);
  EXPECT_EQ(Interpolate3Colors(clRed, clLime, clBlue, nan), clRed);
  Integer r, g, b;
  HSItoRGB(nan, nan, 0.5, r, g, b);
  EXPECT_EQ(RGB(r, g, b), RGB(128, 128, 128));
  EXPECT_EQ(WavelengthToColor(500, nan), clBlack);
  Byte rb, gb, bb;
  CMYtoRGB(nan, 0, 1, rb, gb, bb);
  EXPECT_EQ(rb, 255);
}

TEST(ColorConversions, RandomColorDrawsBlueFirst) {
  InitRandomGenerator(42);
  const Integer b = Random(256), g = Random(256), r = Random(256);
  InitRandomGenerator(42);
  EXPECT_EQ(RandomColor(), RGB(r, g, b));
  for (int k = 0; k < 200; ++k) {
    const TColor c = RandomColor(10, 12, 0, 0, 250, 255);
    EXPECT_GE(GetRValue(c), 10);
    EXPECT_LE(GetRValue(c), 12);
    EXPECT_EQ(GetGValue(c), 0);
    EXPECT_GE(GetBValue(c), 250);
  }
}

// ---- palette component -------------------------------------------------------------------------

TEST(ColorArray, NewPaletteIsTheRainbow) {
  TColorArray a(nullptr);
  EXPECT_EQ(a.Size(), 1000);
  EXPECT_EQ(a.GetColorElem(1), 0x400020);
  EXPECT_EQ(a.GetColorElem(1000), 0x000040);
  EXPECT_EQ(a.GetColorElem(0), a.GetColorElem(1));
  EXPECT_EQ(a.GetColorElem(-5), a.GetColorElem(1));
  EXPECT_EQ(a.GetColorElem(1010), a.GetColorElem(1000));
}

TEST(ColorArray, DiscreteLevelsGiveBandsOfHalfWidthAtTheEnds) {
  TColorArray a(nullptr);
  a.FillByInterpolation(4, ColorArray_Rainbow);
  EXPECT_EQ(Bands(a), (std::vector<int>{125, 249, 251, 249, 126}));
}

TEST(ColorArray, FillByInterpolationWithFewColours) {
  TColorArray a(nullptr);
  int fired = 0;
  a.OnChange = [&](TObject*) { ++fired; };
  const TColor before = a.GetColorElem(500);
  a.FillByInterpolation(0, {});
  EXPECT_EQ(a.GetColorElem(500), before);
  a.FillByInterpolation(3, {clTeal});
  EXPECT_EQ(Bands(a), std::vector<int>{1000});
  EXPECT_EQ(a.GetColorElem(1), clTeal);
  EXPECT_EQ(fired, 1);
}

TEST(ColorArray, ResizeSetAndEvents) {
  TColorArray a(nullptr);
  int fired = 0;
  a.OnChange = [&](TObject*) { ++fired; };
  EXPECT_FALSE(a.Resize(0));
  EXPECT_TRUE(a.Resize(1000));
  EXPECT_EQ(fired, 0);
  const TColor c1 = a.GetColorElem(1);
  EXPECT_TRUE(a.Resize(1002));
  EXPECT_EQ(a.GetColorElem(1), c1);
  EXPECT_EQ(a.GetColorElem(1002), clBlack);
  a.SetSize(-3);
  EXPECT_EQ(a.Size(), 1002);
  a.SetColorElem(0, clRed);
  a.SetColorElem(1003, clRed);
  EXPECT_EQ(fired, 1);
  a.SetColorElem(2, clRed);
  EXPECT_EQ(fired, 2);
}

TEST(ColorArray, MirrorInvertEqualAndNearest) {
  TColorArray a(nullptr), b(nullptr);
  a.Resize(5);
  for (Integer i = 1; i <= 5; ++i) a.SetColorElem(i, RGB(i * 10, 0, 0));
  b.Assign(&a);
  EXPECT_TRUE(a.IsEqual(&b));
  b.MirrorColors();
  EXPECT_EQ(b.GetColorElem(1), RGB(50, 0, 0));
  EXPECT_EQ(b.GetColorElem(3), RGB(30, 0, 0));
  EXPECT_FALSE(a.IsEqual(&b));
  b.InvertColors();
  EXPECT_EQ(b.GetColorElem(5), RGB(245, 255, 255));
  Double d;
  EXPECT_EQ(a.ColorToIndex(RGB(31, 0, 0), d), 3);
  EXPECT_NEAR(d, 1 / std::sqrt(195075.0), 1e-15);
  a.SetColorElem(4, RGB(30, 0, 0));
  EXPECT_EQ(a.ColorToIndex(RGB(30, 0, 0), d), 3);  // the first of equally near colours
  EXPECT_EQ(d, 0);
}

TEST(ColorArray, CopyFromClampsAndSkipsWhatDoesNotFit) {
  TColorArray src(nullptr), dst(nullptr);
  src.Resize(4);
  for (Integer i = 1; i <= 4; ++i) src.SetColorElem(i, RGB(i, i, i));
  dst.Resize(6);
  dst.Fill(clWhite);
  dst.CopyFrom(&src, 9, 0, 5);  // bounds clamped to 1..4 and swapped; 5 and 6 fit
  EXPECT_EQ(dst.GetColorElem(4), clWhite);
  EXPECT_EQ(dst.GetColorElem(5), RGB(1, 1, 1));
  EXPECT_EQ(dst.GetColorElem(6), RGB(2, 2, 2));
  dst.CopyFrom(&dst, 5, 6, 4);  // overlapping copy within one palette
  EXPECT_EQ(dst.GetColorElem(4), RGB(1, 1, 1));
  EXPECT_EQ(dst.GetColorElem(5), RGB(2, 2, 2));
  dst.CopyFrom(nullptr, 1, 2, 1);
  EXPECT_EQ(dst.GetColorElem(4), RGB(1, 1, 1));
}

TEST(ColorArray, AssignNeedsAPalette) {
  TColorArray a(nullptr);
  TComponent other(nullptr);
  EXPECT_THROW(a.Assign(&other), EAssignError);
}

// ---- palette file ------------------------------------------------------------------------------

struct PaletteRoundTrip {
  Integer size, first, last;    // what is stored
  Integer readFirst, readLast;  // the bounds the file then holds
};

class PaletteFile : public ::testing::TestWithParam<PaletteRoundTrip> {};

TEST_P(PaletteFile, RoundTrip) {
  const PaletteRoundTrip p = GetParam();
  testsupport::TempDir dir;
  TColorArray a(nullptr);
  a.Resize(p.size);
  for (Integer i = 1; i <= p.size; ++i)
    a.SetColorElem(i, static_cast<TColor>(0x01000000u * (i % 3 == 0 ? 0xFF : 0) + i * 977));
  ASSERT_TRUE(a.StoreOnFile(p.first, p.last, "pal.txt"));
  const String text = dir.read("pal.txt");
  EXPECT_EQ(text.substr(0, text.find("\r\n")), IntToStr(p.readFirst) + " " + IntToStr(p.readLast));
  TColorArray b(nullptr);
  b.Fill(clWhite);
  ASSERT_TRUE(b.LoadFromFile("pal.txt", true));
  EXPECT_EQ(b.Size(), p.readLast);
  for (Integer i = p.readFirst; i <= p.readLast; ++i)
    EXPECT_EQ(b.GetColorElem(i), a.GetColorElem(i)) << i;
}

INSTANTIATE_TEST_SUITE_P(Bounds, PaletteFile,
                         ::testing::Values(PaletteRoundTrip{1000, 1, 1000, 1, 1000},
                                           PaletteRoundTrip{10, 8, 3, 3, 8},
                                           PaletteRoundTrip{10, -4, 99, 1, 10},
                                           PaletteRoundTrip{1, 1, 1, 1, 1}));

TEST(PaletteFileFormat, LinesAreEightUpperCaseHexDigits) {
  testsupport::TempDir dir;
  TColorArray a(nullptr);
  a.Resize(2);
  a.SetColorElem(1, clSilver);
  a.SetColorElem(2, clBtnFace);
  ASSERT_TRUE(a.StoreOnFile(1, 2, "p.txt"));
  EXPECT_EQ(dir.read("p.txt"), "1 2\r\n00C0C0C0\r\nFF00000F\r\n");
}

TEST(PaletteFileFormat, DamagedFiles) {
  testsupport::TempDir dir;
  struct Case {
    const char* text;
    bool adjust;
    bool ok;
    Integer size;  // afterwards
    const char* why;
  };
  const Case cases[] = {
      {"x y\r\n", true, false, 1000, "no integers on the first line"},
      {"1 2000000000\r\n00FF0000\r\n", true, false, 1000, "a size beyond the limit"},
      {"1 5\r\n00FF0000\r\n", false, false, 3, "more colours than the palette holds"},
      {"1 3\r\n  $0000FF\r\nzz\r\n", false, true, 3, "a short file: the rest is black"},
      {"-1000000000 2\r\n000001\r\n", false, true, 3, "a huge negative start"},
      {"", true, true, 1000, "an empty file reads as 0 0"},
  };
  for (const Case& c : cases) {
    dir.write("bad.txt", c.text);
    TColorArray a(nullptr);
    a.Resize(3);
    a.Fill(clWhite);
    if (c.adjust) a.Resize(1000);
    EXPECT_EQ(a.LoadFromFile("bad.txt", c.adjust), c.ok) << c.why;
    EXPECT_EQ(a.Size(), c.size) << c.why;
  }
  dir.write("short.txt", "1 3\r\n  $0000FF\r\nzz\r\n");
  TColorArray a(nullptr);
  a.Resize(3);
  a.Fill(clWhite);
  ASSERT_TRUE(a.LoadFromFile("short.txt", false));
  EXPECT_EQ(a.GetColorElem(1), clRed);
  EXPECT_EQ(a.GetColorElem(2), clBlack);  // "zz" has no hex digit
  EXPECT_EQ(a.GetColorElem(3), clBlack);  // missing
  EXPECT_FALSE(a.LoadFromFile("missing.txt", false));
}

TEST(PaletteFileFormat, WriteFailureIsReported) {
  testsupport::TempDir dir;
  TColorArray a(nullptr);
  EXPECT_FALSE(a.StoreOnFile(1, 10, "no/such/folder/p.txt"));
  TTextFile f("r.txt");
  dir.write("r.txt", "");
  f.Reset();  // open for reading: writes fail
  EXPECT_FALSE(a.WriteToOpenTextFile(f, 1, 2));
}
