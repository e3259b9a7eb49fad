// Bitmaps: size, pixel formats, scan lines, copies, and the bitmap file format.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "Graphics.h"
#include "TestSupport.h"
#include "support_pixels.h"

using testsupport::TempDir;

namespace {

std::uint32_t U32(const std::string& s, std::size_t at) {
  auto b = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(s[at + i]));
  };
  return b(0) | (b(1) << 8) | (b(2) << 16) | (b(3) << 24);
}

// A bitmap whose every pixel differs: the round trips below would notice a swapped channel,
// a flipped row or a shifted column.
std::unique_ptr<TBitmap> Patterned(int w, int h, TPixelFormat f) {
  auto b = gt::WhiteBitmap(w, h, f);
  gt::PaintPattern(*b);
  return b;
}

TEST(Bitmap, NewBitmapIsEmptyAndResizingKeepsPixels) {
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Width(), 0);
  b.SetWidth(4);
  EXPECT_TRUE(b.Empty());
  b.SetHeight(3);
  EXPECT_FALSE(b.Empty());
  EXPECT_EQ(gt::Count(b, clWhite), 12);
  b.Canvas()->SetPixel(3, 2, clRed);
  b.SetSize(6, 5);
  EXPECT_EQ(b.Canvas()->GetPixel(3, 2), clRed);
  EXPECT_EQ(b.Canvas()->GetPixel(5, 4), clWhite);
  b.SetSize(2, 2);
  b.SetSize(4, 3);
  EXPECT_EQ(b.Canvas()->GetPixel(3, 2), clWhite);  // cut off, not kept aside
  b.SetSize(-5, 3);
  EXPECT_EQ(b.Width(), 0);
}

TEST(Bitmap, CanvasFollowsResizing) {
  TBitmap b(2, 2);
  TCanvas* cv = b.Canvas();
  b.SetSize(10, 10);
  EXPECT_EQ(b.Canvas(), cv);
  cv->Brush()->SetColor(clRed);
  cv->FillRect(Rect(0, 0, 10, 10));
  EXPECT_EQ(gt::Count(b, clRed), 100);
}

TEST(Bitmap, ScanLineBytesAreBlueGreenRed) {
  for (TPixelFormat f : {pf24bit, pf32bit}) {
    SCOPED_TRACE(int(f));
    auto b = gt::WhiteBitmap(5, 3, f);
    int bpp = f == pf24bit ? 3 : 4;
    b->Canvas()->SetPixel(1, 2, RGB(0x11, 0x22, 0x33));
    auto* row = static_cast<unsigned char*>(b->ScanLine(2));
    EXPECT_EQ(row[bpp * 1 + 0], 0x33);
    EXPECT_EQ(row[bpp * 1 + 1], 0x22);
    EXPECT_EQ(row[bpp * 1 + 2], 0x11);
    // Writing through the scan line shows on the canvas.
    row[bpp * 4 + 0] = 0xAA;
    row[bpp * 4 + 1] = 0xBB;
    row[bpp * 4 + 2] = 0xCC;
    EXPECT_EQ(b->Canvas()->GetPixel(4, 2), RGB(0xCC, 0xBB, 0xAA));
    // Rows run top down, each padded to a multiple of four bytes.
    auto* r0 = static_cast<unsigned char*>(b->ScanLine(0));
    auto* r1 = static_cast<unsigned char*>(b->ScanLine(1));
    EXPECT_EQ(r1 - r0, f == pf24bit ? 16 : 20);
  }
}

TEST(Bitmap, ScanLineOutsideRaises) {
  TBitmap b(3, 3);
  EXPECT_THROW(b.ScanLine(3), EInvalidGraphicOperation);
  EXPECT_THROW(b.ScanLine(-1), EInvalidGraphicOperation);
  TBitmap empty;
  EXPECT_THROW(empty.ScanLine(0), EInvalidGraphicOperation);
}

TEST(Bitmap, AlphaByteIsIgnored) {
  auto b = gt::WhiteBitmap(2, 1, pf32bit);
  auto* row = static_cast<unsigned char*>(b->ScanLine(0));
  row[0] = 1;
  row[1] = 2;
  row[2] = 3;
  row[3] = 0;  // fourth byte zero, as some code writes it
  EXPECT_EQ(b->Canvas()->GetPixel(0, 0), RGB(3, 2, 1));
  auto d = gt::WhiteBitmap(2, 1);
  d->Canvas()->Draw(0, 0, b.get());
  EXPECT_EQ(d->Canvas()->GetPixel(0, 0), RGB(3, 2, 1));
}

TEST(Bitmap, PixelFormatChangeKeepsPixels) {
  auto b = Patterned(7, 5, pf32bit);
  auto before = gt::Pixels(*b);
  b->SetPixelFormat(pf24bit);
  EXPECT_EQ(b->PixelFormat(), pf24bit);
  EXPECT_EQ(gt::Pixels(*b), before);
  b->SetPixelFormat(pf32bit);
  EXPECT_EQ(gt::Pixels(*b), before);
}

TEST(Bitmap, AssignCopiesSizeAndPixelsIndependently) {
  auto a = Patterned(6, 4, pf24bit);
  TBitmap b;
  b.Assign(a.get());
  EXPECT_EQ(b.Width(), 6);
  EXPECT_EQ(b.Height(), 4);
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  EXPECT_EQ(gt::Pixels(b), gt::Pixels(*a));
  b.Canvas()->SetPixel(0, 0, clRed);
  static_cast<unsigned char*>(b.ScanLine(1))[0] = 0x5A;
  EXPECT_NE(a->Canvas()->GetPixel(0, 0), clRed);
  EXPECT_NE(static_cast<unsigned char*>(a->ScanLine(1))[0], 0x5A);
  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
  TPen pen;
  EXPECT_THROW(b.Assign(&pen), EAssignError);
}

// ---- bitmap files ------------------------------------------------------------------------
TEST(BitmapFile, PNGPictureReadsBackPixelForPixel) {
  TempDir dir;
  auto a = Patterned(7, 5, pf32bit);
  ASSERT_TRUE(SaveBitmapAsPNG(a.get(), "pic.png"));
  const std::string bytes = testsupport::ReadFileBytes("pic.png");
  TBitmap b;
  b.LoadFromBytes(bytes.data(), bytes.size());
  b.SetPixelFormat(pf32bit);
  EXPECT_EQ(gt::Pixels(b), gt::Pixels(*a));
  TBitmap empty;
  EXPECT_FALSE(SaveBitmapAsPNG(&empty, "empty.png"));
  EXPECT_FALSE(SaveBitmapAsPNG(a.get(), "no/such/folder/pic.png"));
}

TEST(BitmapFile, RoundTripKeepsEveryPixel) {
  TempDir dir;
  for (TPixelFormat f : {pf24bit, pf32bit}) {
    SCOPED_TRACE(int(f));
    auto a = Patterned(7, 5, f);  // odd width: padded rows
    a->SaveToFile("pic.bmp");
    TBitmap b;
    b.LoadFromFile("pic.bmp");
    EXPECT_EQ(b.Width(), 7);
    EXPECT_EQ(b.Height(), 5);
    EXPECT_EQ(b.PixelFormat(), f);
    EXPECT_EQ(gt::Pixels(b), gt::Pixels(*a));
  }
}

TEST(BitmapFile, HeaderAndBottomUpRows) {
  TempDir dir;
  for (TPixelFormat f : {pf24bit, pf32bit}) {
    SCOPED_TRACE(int(f));
    auto a = gt::WhiteBitmap(3, 2, f);
    a->Canvas()->SetPixel(0, 1, RGB(1, 2, 3));  // bottom-left: the first pixel in the file
    a->Canvas()->SetPixel(0, 0, RGB(4, 5, 6));
    a->SaveToFile("h.bmp");
    std::string s = dir.read("h.bmp");
    int bpp = f == pf24bit ? 24 : 32;
    std::size_t stride = f == pf24bit ? 12 : 12;
    ASSERT_EQ(s.size(), 54 + 2 * stride);
    EXPECT_EQ(s.substr(0, 2), "BM");
    EXPECT_EQ(U32(s, 2), s.size());
    EXPECT_EQ(U32(s, 10), 54u);
    EXPECT_EQ(U32(s, 14), 40u);
    EXPECT_EQ(U32(s, 18), 3u);
    EXPECT_EQ(U32(s, 22), 2u);  // positive height: bottom-up
    EXPECT_EQ(U32(s, 28) & 0xFFFF, static_cast<std::uint32_t>(bpp));
    EXPECT_EQ(U32(s, 30), 0u);
    EXPECT_EQ(static_cast<unsigned char>(s[54]), 3);
    EXPECT_EQ(static_cast<unsigned char>(s[55]), 2);
    EXPECT_EQ(static_cast<unsigned char>(s[56]), 1);
    EXPECT_EQ(static_cast<unsigned char>(s[54 + stride]), 6);
  }
}

TEST(BitmapFile, StreamRoundTripReadsOnlyItsOwnBytes) {
  auto a = Patterned(5, 4, pf24bit);
  TMemoryStream ms;
  a->SaveToStream(ms);
  Int64 end = ms.Position();
  ms.WriteString("trailer");
  ms.SetPosition(0);
  TBitmap b;
  b.LoadFromStream(ms);
  EXPECT_EQ(ms.Position(), end);
  EXPECT_EQ(gt::Pixels(b), gt::Pixels(*a));
}

// Hand-made files in the forms other programs write: top-down rows, 8-bit palettes, 16-bit
// pixels.
std::string BmpFile(int w, int h, int bpp, const std::string& palette, const std::string& rows,
                    std::uint32_t compression = 0, const std::string& masks = "") {
  auto u32 = [](std::uint32_t v) {
    return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
  };
  auto u16 = [](std::uint32_t v) { return std::string{char(v), char(v >> 8)}; };
  std::uint32_t off = 54 + static_cast<std::uint32_t>(masks.size() + palette.size());
  std::string s = "BM" + u32(off + static_cast<std::uint32_t>(rows.size())) + u32(0) + u32(off);
  s += u32(40) + u32(static_cast<std::uint32_t>(w)) + u32(static_cast<std::uint32_t>(h)) + u16(1) +
       u16(static_cast<std::uint32_t>(bpp)) + u32(compression) +
       u32(static_cast<std::uint32_t>(rows.size())) + u32(0) + u32(0) +
       u32(static_cast<std::uint32_t>(palette.size() / 4)) + u32(0);
  return s + masks + palette + rows;
}

TEST(BitmapFile, ReadsPaletteTopDownAndSixteenBitFiles) {
  // 8-bit, two colours, 2 x 2, top-down (negative height).
  std::string pal =
      std::string("\x00\x00\xFF\x00", 4) + std::string("\xFF\x00\x00\x00", 4);  // red, blue
  std::string rows = std::string("\x00\x01\x00\x00", 4) + std::string("\x01\x01\x00\x00", 4);
  TBitmap b;
  std::string f = BmpFile(2, -2, 8, pal, rows);
  b.LoadFromBytes(f.data(), f.size());
  EXPECT_EQ(b.Canvas()->GetPixel(0, 0), clRed);
  EXPECT_EQ(b.Canvas()->GetPixel(1, 0), clBlue);
  EXPECT_EQ(b.Canvas()->GetPixel(0, 1), clBlue);
  // The same with the colour count left at 0 although only two entries are stored.
  f[46] = f[47] = f[48] = f[49] = 0;
  b.LoadFromBytes(f.data(), f.size());
  EXPECT_EQ(b.Canvas()->GetPixel(1, 0), clBlue);
  // 1-bit, 3 x 1.
  std::string pal1 = std::string("\x00\x00\x00\x00", 4) + std::string("\xFF\xFF\xFF\x00", 4);
  f = BmpFile(3, 1, 1, pal1, std::string("\xA0\x00\x00\x00", 4));
  b.LoadFromBytes(f.data(), f.size());
  EXPECT_EQ(b.Canvas()->GetPixel(0, 0), clWhite);
  EXPECT_EQ(b.Canvas()->GetPixel(1, 0), clBlack);
  EXPECT_EQ(b.Canvas()->GetPixel(2, 0), clWhite);
  // 16-bit 5-6-5 bit fields: pure red, pure green.
  std::string masks = std::string("\x00\xF8\x00\x00", 4) + std::string("\xE0\x07\x00\x00", 4) +
                      std::string("\x1F\x00\x00\x00", 4);
  f = BmpFile(2, 1, 16, "", std::string("\x00\xF8\xE0\x07", 4), 3, masks);
  b.LoadFromBytes(f.data(), f.size());
  EXPECT_EQ(b.Canvas()->GetPixel(0, 0), clRed);
  EXPECT_EQ(b.Canvas()->GetPixel(1, 0), clLime);
}

TEST(BitmapFile, DamagedFilesRaiseAndLeaveTheBitmapAlone) {
  auto good = Patterned(4, 4, pf24bit);
  TMemoryStream ms;
  good->SaveToStream(ms);
  std::string bytes(ms.Memory(), static_cast<std::size_t>(ms.Size()));
  auto huge = bytes;
  huge[18] = '\xFF';
  huge[19] = '\xFF';
  huge[20] = '\xFF';
  huge[21] = '\x7F';  // width 2^31-1
  auto zeroWidth = bytes;
  zeroWidth[18] = zeroWidth[19] = zeroWidth[20] = zeroWidth[21] = 0;
  auto rle = bytes;
  rle[30] = 1;
  auto badDepth = bytes;
  badDepth[28] = 7;
  const std::pair<const char*, std::string> cases[] = {
      {"truncated pixels", bytes.substr(0, bytes.size() - 5)},
      {"truncated header", bytes.substr(0, 20)},
      {"not a bitmap", "GIF89a......................................................"},
      {"huge width", huge},
      {"zero width", zeroWidth},
      {"compressed", rle},
      {"odd depth", badDepth},
      {"empty", ""},
  };
  for (const auto& [name, data] : cases) {
    SCOPED_TRACE(name);
    TBitmap b(2, 2);
    b.Canvas()->SetPixel(0, 0, clRed);
    EXPECT_THROW(b.LoadFromBytes(data.data(), data.size()), EInvalidGraphic);
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.Canvas()->GetPixel(0, 0), clRed);
  }
}

TEST(BitmapFile, MissingFileAndEmptyBitmap) {
  TempDir dir;
  TBitmap b;
  EXPECT_THROW(b.LoadFromFile("nothere.bmp"), EFOpenError);
  EXPECT_THROW(b.SaveToFile("empty.bmp"), EInvalidGraphicOperation);
  b.SetSize(2, 2);
  EXPECT_THROW(b.SaveToFile("no/such/folder/x.bmp"), EFCreateError);
}

// A bitmap makes its pixels only when they are first used. Whoever took the canvas before
// sizing it (a chart wires its axes to its bitmap's canvas at once) must still draw on the
// sized bitmap, and every way into the pixels must find them white.
TEST(Bitmap, PixelsMadeOnFirstUseAreWhiteWhereverTheyAreReached) {
  const std::pair<const char*, std::function<TColor(TBitmap&)>> ways[] = {
      {"canvas taken before sizing",
       [](TBitmap& b) {
         TCanvas* c = b.Canvas();
         b.SetSize(5, 4);
         c->SetPixel(1, 1, clRed);
         return c->GetPixel(4, 3);
       }},
      {"scan line",
       [](TBitmap& b) {
         b.SetSize(5, 4);
         const auto* row = static_cast<const Byte*>(b.ScanLine(3));
         return RGB(row[14], row[13], row[12]);
       }},
      {"drawn on another canvas",
       [](TBitmap& b) {
         b.SetSize(5, 4);
         auto target = gt::WhiteBitmap(6, 6);
         target->Canvas()->Brush()->SetColor(clBlue);
         target->Canvas()->FillRect(Rect(0, 0, 6, 6));
         target->Canvas()->Draw(0, 0, &b);
         return target->Canvas()->GetPixel(4, 3);
       }},
      {"copied, then read",
       [](TBitmap& b) {
         b.SetSize(5, 4);
         TBitmap copy;
         copy.Assign(&b);
         return copy.Canvas()->GetPixel(4, 3);
       }},
      {"resized twice before use",
       [](TBitmap& b) {
         b.SetSize(2, 2);
         b.SetSize(5, 4);
         return b.Canvas()->GetPixel(4, 3);
       }},
      {"the transparent colour", [](TBitmap& b) {
         b.SetSize(5, 4);
         return b.TransparentColor();
       }}};
  for (TPixelFormat f : {pf24bit, pf32bit}) {
    for (const auto& [way, read] : ways) {
      SCOPED_TRACE(std::string(way) + (f == pf24bit ? ", 24 bits" : ", 32 bits"));
      TBitmap b;
      b.SetPixelFormat(f);
      EXPECT_EQ(read(b), clWhite);
      EXPECT_EQ(b.Width(), 5);
      EXPECT_EQ(b.PixelFormat(), f);
    }
  }
  // Drawing through a canvas taken before sizing reaches the bitmap's own pixels.
  TBitmap b;
  TCanvas* c = b.Canvas();
  b.SetSize(3, 3);
  c->SetPixel(2, 2, clRed);
  EXPECT_EQ(b.Canvas()->GetPixel(2, 2), clRed);
  EXPECT_EQ(gt::Count(b, clWhite), 8);
}

}  // namespace
