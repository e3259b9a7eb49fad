#pragma once
// Small helpers for probing bitmaps in the drawing tests.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Graphics.h"

namespace gt {

// A white bitmap of the given size and format with a black 1-pixel pen and a white brush.
inline std::unique_ptr<TBitmap> WhiteBitmap(int w, int h, TPixelFormat f = pf32bit) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(f);
  b->SetSize(w, h);
  b->Canvas()->Pen()->SetColor(clBlack);
  b->Canvas()->Brush()->SetColor(clWhite);
  return b;
}

// Fills every pixel with a colour made from its position, so that no two neighbours match.
inline void PaintPattern(TBitmap& b) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      b.Canvas()->SetPixel(x, y, RGB(x * 7 + y, y * 13 + 5, (x ^ y) * 29));
}

// All pixels, row by row.
inline std::vector<TColor> Pixels(TBitmap& b) {
  std::vector<TColor> v;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) v.push_back(b.Canvas()->GetPixel(x, y));
  return v;
}

// Pixels of colour c, as "x,y" texts (for readable failure messages).
inline std::vector<std::string> PixelsOf(TBitmap& b, TColor c) {
  std::vector<std::string> v;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Canvas()->GetPixel(x, y) == c) v.push_back(std::to_string(x) + "," + std::to_string(y));
  return v;
}

// The bounding box (inclusive) of pixels that are not colour bg; Left > Right when none.
inline TRect InkBox(TBitmap& b, TColor bg) {
  TRect r{b.Width(), b.Height(), -1, -1};
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Canvas()->GetPixel(x, y) != bg) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x);
        r.Bottom = std::max(r.Bottom, y);
      }
  return r;
}

inline int Count(TBitmap& b, TColor c) { return static_cast<int>(PixelsOf(b, c).size()); }

}  // namespace gt
