// Pictures: JPEG and PNG decoding from memory and files, format detection, damaged data.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include <jpeglib.h>

#include "Graphics.h"
#include "TestSupport.h"
#include "support_pixels.h"

using testsupport::TempDir;

namespace {

// Four flat 8 x 8 blocks (red, green, blue, white): JPEG keeps flat blocks nearly exact.
QImage Blocks() {
  QImage img(16, 16, QImage::Format_RGB32);
  const QRgb colors[4] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(255, 255, 255)};
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) img.setPixel(x, y, colors[(y / 8) * 2 + x / 8]);
  return img;
}

std::string Encode(const QImage& img, const char* format, int quality = -1) {
  QByteArray bytes;
  QBuffer buf(&bytes);
  buf.open(QIODevice::WriteOnly);
  bool ok = img.save(&buf, format, quality);
  EXPECT_TRUE(ok) << format;
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool Near(TColor a, TColor b, int tol) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tol &&
         std::abs(GetGValue(a) - GetGValue(b)) <= tol &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tol;
}

TEST(Picture, PngDecodesExactly) {
  QImage img(3, 2, QImage::Format_RGB32);
  img.setPixel(0, 0, qRgb(1, 2, 3));
  img.setPixel(1, 0, qRgb(250, 128, 7));
  img.setPixel(2, 0, qRgb(0, 0, 0));
  img.setPixel(0, 1, qRgb(255, 255, 255));
  img.setPixel(1, 1, qRgb(10, 200, 30));
  img.setPixel(2, 1, qRgb(99, 98, 97));
  std::string png = Encode(img, "PNG");
  TPicture pic;
  pic.LoadFromBytes(png.data(), png.size());
  ASSERT_NE(pic.Graphic(), nullptr);
  EXPECT_EQ(pic.Width(), 3);
  EXPECT_EQ(pic.Height(), 2);
  TBitmap* b = pic.Bitmap();
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      QRgb q = img.pixel(x, y);
      EXPECT_EQ(b->Canvas()->GetPixel(x, y), RGB(qRed(q), qGreen(q), qBlue(q))) << x << "," << y;
    }
}

TEST(Picture, PngOtherPixelLayouts) {
  QImage base(5, 3, QImage::Format_RGB32);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) base.setPixel(x, y, qRgb(x * 50, y * 100, 255 - x * 50));
  const std::pair<const char*, QImage> cases[] = {
      {"palette", base.convertToFormat(QImage::Format_Indexed8)},
      {"grey", base.convertToFormat(QImage::Format_Grayscale8)},
      {"16 bits per channel", base.convertToFormat(QImage::Format_RGBX64)},
  };
  for (const auto& [name, img] : cases) {
    SCOPED_TRACE(name);
    std::string png = Encode(img, "PNG");
    TBitmap b;
    b.LoadFromBytes(png.data(), png.size());
    ASSERT_EQ(b.Width(), 5);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        QRgb q = img.pixel(x, y);
        EXPECT_TRUE(Near(b.Canvas()->GetPixel(x, y), RGB(qRed(q), qGreen(q), qBlue(q)), 1))
            << x << "," << y;
      }
  }
}

TEST(Picture, PngSeeThroughPixelsLieOnTheButtonFace) {
  QImage img(3, 1, QImage::Format_ARGB32);
  img.setPixel(0, 0, qRgba(0, 0, 0, 0));
  img.setPixel(1, 0, qRgba(10, 20, 30, 255));
  img.setPixel(2, 0, qRgba(0, 0, 0, 128));
  std::string png = Encode(img, "PNG");
  TBitmap b;
  b.LoadFromBytes(png.data(), png.size());
  EXPECT_EQ(b.Canvas()->GetPixel(0, 0), ColorToRGB(clBtnFace));
  EXPECT_EQ(b.Canvas()->GetPixel(1, 0), RGB(10, 20, 30));
  EXPECT_EQ(b.Canvas()->GetPixel(2, 0), RGB(120, 120, 120));  // half of the face's 240
}

TEST(Picture, JpegDecodesColourAndGrey) {
  std::string jpg = Encode(Blocks(), "JPEG", 100);
  TPicture pic;
  pic.LoadFromBytes(jpg.data(), jpg.size());
  TBitmap* b = pic.Bitmap();
  ASSERT_EQ(b->Width(), 16);
  ASSERT_EQ(b->Height(), 16);
  EXPECT_TRUE(Near(b->Canvas()->GetPixel(3, 3), clRed, 12));
  EXPECT_TRUE(Near(b->Canvas()->GetPixel(12, 3), clLime, 12));
  EXPECT_TRUE(Near(b->Canvas()->GetPixel(3, 12), clBlue, 12));
  EXPECT_TRUE(Near(b->Canvas()->GetPixel(12, 12), clWhite, 12));

  QImage grey(8, 8, QImage::Format_Grayscale8);
  grey.fill(100);
  std::string g = Encode(grey, "JPEG", 100);
  TBitmap gb;
  gb.LoadFromBytes(g.data(), g.size());
  EXPECT_TRUE(Near(gb.Canvas()->GetPixel(4, 4), RGB(100, 100, 100), 2));
}

// Four-colour JPEGs as print software writes them: an Adobe marker and inverted ink values
// (255 = no ink).
std::string CmykJpeg(const unsigned char ink[4], int w, int h) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(w);
  c.image_height = static_cast<JDIMENSION>(h);
  c.input_components = 4;
  c.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 100, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(static_cast<std::size_t>(w) * 4);
  for (int x = 0; x < w; ++x)
    for (int i = 0; i < 4; ++i)
      row[static_cast<std::size_t>(x) * 4 + i] = static_cast<unsigned char>(255 - ink[i]);
  while (c.next_scanline < c.image_height) {
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string s(reinterpret_cast<char*>(out), size);
  std::free(out);
  return s;
}

TEST(Picture, JpegInFourColours) {
  const unsigned char red[4] = {0, 255, 255, 0}, black[4] = {0, 0, 0, 255}, paper[4] = {0, 0, 0, 0};
  const std::pair<const unsigned char*, TColor> cases[] = {
      {red, clRed}, {black, clBlack}, {paper, clWhite}};
  for (const auto& [ink, color] : cases) {
    std::string jpg = CmykJpeg(ink, 8, 8);
    TBitmap b;
    b.LoadFromBytes(jpg.data(), jpg.size());
    EXPECT_TRUE(Near(b.Canvas()->GetPixel(4, 4), color, 4))
        << std::hex << color << " got " << b.Canvas()->GetPixel(4, 4);
  }
}

TEST(Picture, LoadsFilesByTheirContentNotTheirName) {
  TempDir dir;
  std::string png = Encode(Blocks(), "PNG");
  std::string jpg = Encode(Blocks(), "JPEG", 95);
  dir.write("a.jpg", png);  // a PNG under a JPEG name
  dir.write("b.png", jpg);
  TPicture pic;
  int changes = 0;
  pic.OnChange = [&](TObject*) { ++changes; };
  pic.LoadFromFile("a.jpg");
  EXPECT_EQ(pic.Bitmap()->Canvas()->GetPixel(0, 0), clRed);
  pic.LoadFromFile("b.png");
  EXPECT_EQ(pic.Width(), 16);
  EXPECT_EQ(changes, 2);
  auto bmp = gt::WhiteBitmap(2, 2);
  bmp->Canvas()->SetPixel(1, 1, clTeal);
  bmp->SaveToFile("c.dat");
  pic.LoadFromFile("c.dat");
  EXPECT_EQ(pic.Bitmap()->Canvas()->GetPixel(1, 1), clTeal);
  EXPECT_THROW(pic.LoadFromFile("missing.png"), EFOpenError);
}

TEST(Picture, DamagedDataRaisesAndKeepsThePicture) {
  std::string png = Encode(Blocks(), "PNG");
  std::string jpg = Encode(Blocks(), "JPEG", 90);
  std::string badPng = png;
  badPng[20] = static_cast<char>(badPng[20] ^ 0x55);  // inside the header chunk: CRC fails
  const std::pair<const char*, std::string> cases[] = {
      {"unknown format", "plain text, not a picture"},
      {"empty", ""},
      {"png header only", png.substr(0, 30)},
      {"png damaged header", badPng},
      {"jpeg signature only", std::string("\xFF\xD8\xFF", 3)},
      {"jpeg header garbage", jpg.substr(0, 4) + std::string(40, '\x11')},
  };
  TPicture pic;
  pic.LoadFromBytes(png.data(), png.size());
  for (const auto& [name, data] : cases) {
    SCOPED_TRACE(name);
    EXPECT_THROW(pic.LoadFromBytes(data.data(), data.size()), EInvalidGraphic);
    EXPECT_EQ(pic.Width(), 16);
  }
}

TEST(Picture, DrawingOnItsBitmapIsAChangeOfThePicture) {
  TPicture pic;
  pic.Bitmap()->SetSize(4, 4);
  int changes = 0;
  pic.OnChange = [&](TObject*) { ++changes; };
  pic.Bitmap()->Canvas()->MoveTo(0, 0);
  EXPECT_EQ(changes, 0);
  pic.Bitmap()->Canvas()->LineTo(3, 3);
  EXPECT_EQ(changes, 1);
  pic.Bitmap()->SetSize(5, 5);
  EXPECT_EQ(changes, 2);
}

TEST(Picture, AssignAndEmptyPicture) {
  TPicture a;
  EXPECT_EQ(a.Graphic(), nullptr);
  EXPECT_EQ(a.Width(), 0);
  TBitmap* b = a.Bitmap();  // an empty picture hands out a new empty bitmap
  ASSERT_NE(b, nullptr);
  b->SetSize(3, 3);
  b->Canvas()->SetPixel(2, 2, clPurple);
  TPicture c;
  c.Assign(&a);
  EXPECT_EQ(c.Width(), 3);
  EXPECT_NE(c.Graphic(), a.Graphic());
  EXPECT_EQ(c.Bitmap()->Canvas()->GetPixel(2, 2), clPurple);
  TBitmap fromPicture;
  fromPicture.Assign(&c);
  EXPECT_EQ(fromPicture.Canvas()->GetPixel(2, 2), clPurple);
  c.Assign(nullptr);
  EXPECT_EQ(c.Graphic(), nullptr);
}

// A picture kept encoded answers every question as the decoded one does. Each probe is the
// first thing asked of the bitmap, so a reader that looks at the pixels before decoding them
// shows here.
TEST(Picture, KeptEncodedAnswersAsDecoded) {
  QImage seeThrough = Blocks().convertToFormat(QImage::Format_ARGB32);
  seeThrough.setPixel(0, 15, qRgba(0, 0, 0, 0));
  auto bmpFile = gt::WhiteBitmap(5, 3, pf24bit);
  gt::PaintPattern(*bmpFile);
  TStringStream bmpBytes;
  bmpFile->SaveToStream(bmpBytes);
  const std::pair<const char*, std::string> pictures[] = {
      {"png", Encode(Blocks(), "PNG")},
      {"png with see-through pixels", Encode(seeThrough, "PNG")},
      {"jpeg", Encode(Blocks(), "JPEG", 90)},
      {"bitmap file", bmpBytes.DataString()},
  };
  // Size and a digest of every pixel (short failure messages).
  auto pixels = [](TBitmap& b) {
    std::uint64_t h = 1469598103934665603ull;
    for (TColor c : gt::Pixels(b)) h = (h ^ static_cast<std::uint32_t>(c)) * 1099511628211ull;
    return std::to_string(b.Width()) + "x" + std::to_string(b.Height()) + " #" + std::to_string(h);
  };
  const std::pair<const char*, std::function<std::string(TBitmap&)>> probes[] = {
      {"size",
       [](TBitmap& b) { return std::to_string(b.Width()) + "x" + std::to_string(b.Height()); }},
      {"empty", [](TBitmap& b) { return std::to_string(b.Empty()); }},
      {"row format", [](TBitmap& b) { return std::to_string(b.PixelFormat()); }},
      {"scan line",
       [](TBitmap& b) {
         const auto* row = static_cast<const char*>(b.ScanLine(0));
         return std::string(row, 9);
       }},
      {"transparent colour", [](TBitmap& b) { return std::to_string(b.TransparentColor()); }},
      {"canvas", [&](TBitmap& b) { return pixels(b); }},
      {"drawn on another canvas",
       [&](TBitmap& b) {
         auto target = gt::WhiteBitmap(20, 20);
         target->Canvas()->Draw(1, 1, &b);
         return pixels(*target);
       }},
      {"copied into a bitmap",
       [&](TBitmap& b) {
         TBitmap copy;
         copy.Assign(&b);
         return pixels(copy);
       }},
      {"copied into a picture",
       [&](TBitmap& b) {
         TPicture copy;
         copy.SetGraphic(&b);
         return std::to_string(copy.Width()) + pixels(*copy.Bitmap());
       }},
      {"enlarged",
       [&](TBitmap& b) {
         b.SetSize(b.Width() + 2, b.Height());
         return pixels(b);
       }},
      {"saved",
       [](TBitmap& b) {
         TStringStream out;
         b.SaveToStream(out);
         return out.DataString();
       }},
  };
  for (const auto& [format, data] : pictures) {
    for (const auto& [question, probe] : probes) {
      SCOPED_TRACE(std::string(format) + ", " + question);
      TBitmap decoded, kept;
      decoded.LoadFromBytes(data.data(), data.size());
      kept.LoadFromEncoded(data);
      const std::string want = probe(decoded);
      EXPECT_EQ(probe(kept), want);
      EXPECT_EQ(pixels(kept), pixels(decoded));
    }
  }
}

TEST(Picture, KeptEncodedCopiesDecodeApart) {
  const std::string png = Encode(Blocks(), "PNG");
  TPicture original;
  int changes = 0;
  original.OnChange = [&](TObject*) { ++changes; };
  original.LoadFromEncoded(png);
  EXPECT_EQ(changes, 1);
  TPicture copy;
  copy.Assign(&original);
  // Drawing on the copy (its first use) leaves the original as it was.
  copy.Bitmap()->Canvas()->SetPixel(0, 0, clBlack);
  EXPECT_EQ(copy.Bitmap()->Canvas()->GetPixel(0, 0), clBlack);
  EXPECT_EQ(original.Bitmap()->Canvas()->GetPixel(0, 0), clRed);
  EXPECT_EQ(changes, 1);  // decoding is no change of the picture
}

TEST(Picture, KeptEncodedFaults) {
  const std::string png = Encode(Blocks(), "PNG");
  std::string badPng = png;
  badPng[20] = static_cast<char>(badPng[20] ^ 0x55);
  const std::string jpg = Encode(Blocks(), "JPEG", 90);
  // What the header shows raises at once and keeps the picture.
  const std::pair<const char*, std::string> headerFaults[] = {
      {"unknown format", "plain text, not a picture"},
      {"empty", ""},
      {"png header only", png.substr(0, 30)},
      {"png damaged header", badPng},
      {"png cut before its pixels", png.substr(0, 33)},
      {"jpeg signature only", std::string("\xFF\xD8\xFF", 3)},
      {"jpeg header garbage", jpg.substr(0, 4) + std::string(40, '\x11')},
      {"bitmap file cut", std::string("BM") + std::string(30, '\0')},
  };
  TPicture pic;
  pic.LoadFromEncoded(png);
  for (const auto& [name, data] : headerFaults) {
    SCOPED_TRACE(name);
    EXPECT_THROW(pic.LoadFromEncoded(data), EInvalidGraphic);
    EXPECT_EQ(pic.Width(), 16);
  }
  // Damage inside the compressed pixels is found when they are decoded: an empty picture,
  // where reading the same bytes at once raises.
  const std::string cut = png.substr(0, png.size() - 20);
  TBitmap eager;
  EXPECT_THROW(eager.LoadFromBytes(cut.data(), cut.size()), EInvalidGraphic);
  TPicture lazy;
  lazy.LoadFromEncoded(cut);
  EXPECT_EQ(lazy.Width(), 0);
  EXPECT_TRUE(lazy.Bitmap()->Empty());
}

}  // namespace
