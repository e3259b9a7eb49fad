#pragma once
// How alike two ranges of two bitmaps are: the correlation of a colour quantity, through the
// curve fit's statistics.

#include "DOV_sdlbase.h"
#include "Types.h"

class TBitmap;

// The colour quantity compared: a channel (0..255), hue (degrees, -1 for grey), lightness
// (intensity 0..1), saturation (0..1) or the grey value (0..255) of RGBtoGray.
enum TImgCompareMode {
  icmRed,
  icmBlue,
  icmGreen,
  icmHue,
  icmLightness,
  icmSaturation,
  icmGrayValues
};

// The correlation coefficient of the mode's values over corresponding pixels of Rect1 of Img1
// and Rect2 of Img2 (Left, Top, Right, Bottom inclusive), as a curve fit's CalcStatistics gives
// it (0 for fewer than three pixels or when either range has no spread). Pixels are read
// column by column straight from the bitmaps' rows; a pixel outside its bitmap reads as the
// colour a canvas answers there (CLR_INVALID: red, green and blue 255), never from memory.
// Raises ESDLMath2Error "image ranges to compare are not of equal size" when the widths
// (Right - Left) or heights (Bottom - Top) differ and "CalcImgCorrelation: Img1 and/or Img2 is
// undefined" for a missing bitmap.
double CalcImgCorrelation(TBitmap* Img1, TBitmap* Img2, TRect Rect1, TRect Rect2,
                          TImgCompareMode Mode);
