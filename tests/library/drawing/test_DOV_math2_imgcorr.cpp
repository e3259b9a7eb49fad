// Image correlation over bitmap ranges.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>

#include "DOV_math2_imgcorr.h"
#include "Graphics.h"

namespace {

struct TRGBValue {
  int r, g, b;
};

// A bitmap of the given format whose pixel (x, y) is Colour(x, y), written through its rows.
std::unique_ptr<TBitmap> Picture(int w, int h, TPixelFormat format,
                                 const std::function<TRGBValue(int, int)>& Colour) {
  auto bmp = std::make_unique<TBitmap>(w, h);
  bmp->SetPixelFormat(format);
  const int step = format == pf24bit ? 3 : 4;
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<Byte*>(bmp->ScanLine(y));
    for (int x = 0; x < w; ++x) {
      const TRGBValue c = Colour(x, y);
      row[x * step] = static_cast<Byte>(c.b);
      row[x * step + 1] = static_cast<Byte>(c.g);
      row[x * step + 2] = static_cast<Byte>(c.r);
    }
  }
  return bmp;
}

TRGBValue Noise(int x, int y) {
  std::mt19937 rng(static_cast<unsigned>(x * 1000 + y));
  return {int(rng() % 256), int(rng() % 256), int(rng() % 256)};
}

const TImgCompareMode AllModes[] = {icmRed,       icmBlue,       icmGreen,     icmHue,
                                    icmLightness, icmSaturation, icmGrayValues};

TEST(ImgCorrelation, ARangeWithItselfGivesOneInEveryModeAndFormat) {
  for (TPixelFormat format : {pf24bit, pf32bit, pfDevice}) {
    auto bmp = Picture(40, 30, format, Noise);
    for (TImgCompareMode mode : AllModes)
      EXPECT_NEAR(CalcImgCorrelation(bmp.get(), bmp.get(), {3, 4, 22, 28}, {3, 4, 22, 28}, mode),
                  1.0, 1e-12)
          << "mode " << mode << " format " << int(format);
  }
}

TEST(ImgCorrelation, NegativeImageAndShiftedRanges) {
  auto bmp = Picture(20, 20, pf24bit, Noise);
  auto neg = Picture(20, 20, pf32bit, [](int x, int y) {
    const TRGBValue c = Noise(x, y);
    return TRGBValue{255 - c.r, 255 - c.g, 255 - c.b};
  });
  EXPECT_NEAR(CalcImgCorrelation(bmp.get(), neg.get(), {0, 0, 19, 19}, {0, 0, 19, 19}, icmRed),
              -1.0, 1e-12);
  // The second range is read at the same offset from its own corner.
  auto shifted = Picture(30, 30, pf24bit, [](int x, int y) { return Noise(x - 7, y - 5); });
  EXPECT_NEAR(
      CalcImgCorrelation(bmp.get(), shifted.get(), {2, 3, 15, 12}, {9, 8, 22, 17}, icmGreen), 1.0,
      1e-12);
  // Unrelated ranges correlate weakly.
  EXPECT_LT(
      std::abs(CalcImgCorrelation(bmp.get(), bmp.get(), {0, 0, 9, 19}, {10, 0, 19, 19}, icmBlue)),
      0.3);
}

TEST(ImgCorrelation, ValuesOfAWorkedExample) {
  // Three pixels in a column: red 0, 100, 200 against 0, 100, 50, with
  // deviations (-100, 0, 100) and (-50, 50, 0): r = 5000 / (sqrt(20000) sqrt(5000)) = 0.5.
  const int a[] = {0, 100, 200}, b[] = {0, 100, 50};
  auto one = Picture(1, 3, pf24bit, [&](int, int y) { return TRGBValue{a[y], 7, 9}; });
  auto two = Picture(1, 3, pf24bit, [&](int, int y) { return TRGBValue{b[y], 200, 1}; });
  EXPECT_NEAR(CalcImgCorrelation(one.get(), two.get(), {0, 0, 0, 2}, {0, 0, 0, 2}, icmRed), 0.5,
              1e-12);
  // Green and blue are constant: no spread, correlation 0.
  EXPECT_EQ(CalcImgCorrelation(one.get(), two.get(), {0, 0, 0, 2}, {0, 0, 0, 2}, icmGreen), 0);
  // Gray values: round(0.3 r + 0.59 g + 0.11 b) follow red here as well.
  EXPECT_GT(CalcImgCorrelation(one.get(), two.get(), {0, 0, 0, 2}, {0, 0, 0, 2}, icmGrayValues),
            0.45);
}

TEST(ImgCorrelation, PixelsOutsideTheBitmapReadAsTheCanvasAnswer) {
  // The small picture's range runs 6 pixels past its right and bottom edges; the large one
  // holds the same picture with white around it, as the canvas reads outside the small one.
  auto small = Picture(10, 10, pf24bit, Noise);
  auto large = Picture(20, 20, pf32bit, [](int x, int y) {
    return (x < 10 && y < 10) ? Noise(x, y) : TRGBValue{255, 255, 255};
  });
  for (TImgCompareMode mode : AllModes)
    EXPECT_NEAR(CalcImgCorrelation(small.get(), large.get(), {4, 4, 15, 15}, {4, 4, 15, 15}, mode),
                1.0, 1e-12)
        << mode;
  // Entirely outside, even at extreme coordinates: every value is the same, so r = 0.
  EXPECT_EQ(CalcImgCorrelation(small.get(), small.get(),
                               {-2000000000, -2000000000, -1999999990, -1999999995},
                               {100, 100, 110, 105}, icmRed),
            0);
}

TEST(ImgCorrelation, RangesOfDifferentSizesOrMissingBitmapsRaise) {
  auto bmp = Picture(30, 30, pf24bit, Noise);
  for (auto [r1, r2] : {std::pair{TRect{0, 0, 10, 5}, TRect{0, 0, 11, 5}},
                        std::pair{TRect{0, 0, 10, 5}, TRect{3, 3, 13, 9}}}) {
    try {
      CalcImgCorrelation(bmp.get(), bmp.get(), r1, r2, icmRed);
      ADD_FAILURE();
    } catch (const ESDLMath2Error& e) {
      EXPECT_EQ(e.Message, "image ranges to compare are not of equal size");
    }
  }
  EXPECT_THROW(CalcImgCorrelation(nullptr, bmp.get(), {0, 0, 1, 1}, {0, 0, 1, 1}, icmRed),
               ESDLMath2Error);
}

}  // namespace
