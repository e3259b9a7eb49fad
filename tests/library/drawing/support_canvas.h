#pragma once
// Probing and recording helpers for the drawing tests.
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "Graphics.h"

namespace dt {

// A white 32-bit bitmap with a black pen and a white solid brush.
inline std::unique_ptr<TBitmap> WhiteBitmap(int w, int h) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf32bit);
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(clWhite);
  b->Canvas()->FillRect(Rect(0, 0, w, h));
  b->Canvas()->Pen()->SetColor(clBlack);
  return b;
}

using PixelSet = std::set<std::pair<int, int>>;

// The positions, relative to (cx, cy), of every pixel that is not white.
inline PixelSet Painted(TBitmap& b, int cx = 0, int cy = 0) {
  PixelSet s;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.Canvas()->GetPixel(x, y) != clWhite) s.insert({x - cx, y - cy});
  return s;
}

inline std::vector<TColor> AllPixels(TBitmap& b) {
  std::vector<TColor> v;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) v.push_back(b.Canvas()->GetPixel(x, y));
  return v;
}

// Records every drawing call of a canvas (its OnChange) with the pen colour and the pen
// position after the call, so tests can check what was drawn in which order.
struct TCallRecord {
  TColor Pen;
  TPoint PenPos;
  bool operator==(const TCallRecord& o) const {
    return Pen == o.Pen && PenPos.X == o.PenPos.X && PenPos.Y == o.PenPos.Y;
  }
};

class TCanvasRecorder {
public:
  explicit TCanvasRecorder(TCanvas* c) : FCanvas(c) {
    c->OnChange = [this](TObject*) {
      Calls.push_back({FCanvas->Pen()->Color(), FCanvas->PenPos()});
    };
  }
  ~TCanvasRecorder() { FCanvas->OnChange = nullptr; }
  std::vector<TCallRecord> Calls;

private:
  TCanvas* FCanvas;
};

}  // namespace dt
