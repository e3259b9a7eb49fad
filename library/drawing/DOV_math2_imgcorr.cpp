// Image correlation through the curve fit's statistics.

#include "DOV_math2_imgcorr.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "DOV_math2.h"
#include "DOV_sdlcolors.h"
#include "Graphics.h"

namespace {

struct TRGB {
  Integer R, G, B;
};

// What a canvas answers for a pixel outside its surface.
constexpr TRGB OutsidePixel{static_cast<Integer>(CLR_INVALID & 0xFF),
                            static_cast<Integer>((CLR_INVALID >> 8) & 0xFF),
                            static_cast<Integer>((CLR_INVALID >> 16) & 0xFF)};

// Reads pixels of one bitmap through its rows: B, G, R bytes, three per pixel for pf24bit and
// four for the 32-bit formats.
class TPixelReader {
public:
  TPixelReader(TBitmap* Bmp, Integer Top, Integer Bottom)
      : FWidth(Bmp->Width()), FTop(Top), FStep(Bmp->PixelFormat() == pf24bit ? 3 : 4) {
    for (std::int64_t y = Top; y <= Bottom; ++y)
      FRows.push_back(y >= 0 && y < Bmp->Height()
                          ? static_cast<const Byte*>(Bmp->ScanLine(static_cast<int>(y)))
                          : nullptr);
  }

  TRGB Pixel(std::int64_t x, std::int64_t y) const {
    const Byte* row = FRows[static_cast<std::size_t>(y - FTop)];
    if (row == nullptr || x < 0 || x >= FWidth) return OutsidePixel;
    const Byte* p = row + x * FStep;
    return {p[2], p[1], p[0]};
  }

private:
  std::int64_t FWidth;
  std::int64_t FTop;
  std::int64_t FStep;
  std::vector<const Byte*> FRows;
};

double ValueOf(const TRGB& c, TImgCompareMode Mode) {
  double h = 0, s = 0, i = 0;
  switch (Mode) {
    case icmRed: return c.R;
    case icmGreen: return c.G;
    case icmBlue: return c.B;
    case icmGrayValues: return RGBtoGray(c.R, c.G, c.B);
    case icmHue:
    case icmSaturation:
    case icmLightness:
      RGBtoHSI(c.R, c.G, c.B, h, s, i);
      return Mode == icmHue ? h : (Mode == icmSaturation ? s : i);
  }
  return 0;
}

}  // namespace

double CalcImgCorrelation(TBitmap* Img1, TBitmap* Img2, TRect Rect1, TRect Rect2,
                          TImgCompareMode Mode) {
  if (Img1 == nullptr || Img2 == nullptr)
    throw ESDLMath2Error("CalcImgCorrelation: Img1 and/or Img2 is undefined");
  auto extent = [](Integer lo, Integer hi) { return std::int64_t(hi) - lo; };
  if (extent(Rect1.Left, Rect1.Right) != extent(Rect2.Left, Rect2.Right) ||
      extent(Rect1.Top, Rect1.Bottom) != extent(Rect2.Top, Rect2.Bottom))
    throw ESDLMath2Error("image ranges to compare are not of equal size");
  TCurveFit fit(nullptr);
  if (Rect1.Right >= Rect1.Left && Rect1.Bottom >= Rect1.Top) {
    const TPixelReader pix1(Img1, Rect1.Top, Rect1.Bottom);
    const TPixelReader pix2(Img2, Rect2.Top, Rect2.Bottom);
    const std::int64_t dx = std::int64_t(Rect2.Left) - Rect1.Left;
    const std::int64_t dy = std::int64_t(Rect2.Top) - Rect1.Top;
    for (std::int64_t x = Rect1.Left; x <= Rect1.Right; ++x)
      for (std::int64_t y = Rect1.Top; y <= Rect1.Bottom; ++y)
        fit.EnterStatValue(ValueOf(pix1.Pixel(x, y), Mode),
                           ValueOf(pix2.Pixel(x + dx, y + dy), Mode));
  }
  Integer n = 0;
  double mx = 0, my = 0, sx = 0, sy = 0, md = 0, sd = 0, rxy = 0;
  fit.CalcStatistics(n, mx, my, sx, sy, md, sd, rxy);
  return rxy;
}
