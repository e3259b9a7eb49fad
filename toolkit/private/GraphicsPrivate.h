#pragma once
// Pixel access and copy routines shared by the canvas and the bitmap code of this folder.

#include <QImage>
#include <QRect>

#include <cstdint>
#include <functional>

#include "GraphicsQt.h"

namespace gfx {

// Reads and writes opaque 0xRRGGBB pixels of an image, whatever its row format. Obtained once
// per drawing call: it detaches the image's buffer a single time.
class Surface {
public:
  explicit Surface(QImage& img) : Surface(&img, img.bits()) {}
  // Reads without detaching the image's buffer; Write must not be called on it.
  static Surface ForReading(const QImage& img) {
    return Surface(const_cast<QImage*>(&img), const_cast<uchar*>(img.constBits()));
  }
  std::uint32_t Read(int x, int y) const {
    const uchar* row = FBits + static_cast<qsizetype>(y) * FBpl;
    switch (FKind) {
      case Kind::Rgb32: return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFFu;
      case Kind::Bgr24: {
        const uchar* p = row + 3 * x;
        return (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
      }
      case Kind::Rgb24: {
        const uchar* p = row + 3 * x;
        return (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
      }
      default: return FImg->pixel(x, y) & 0xFFFFFFu;
    }
  }
  void Write(int x, int y, std::uint32_t rgb) {
    uchar* row = FBits + static_cast<qsizetype>(y) * FBpl;
    switch (FKind) {
      case Kind::Rgb32: reinterpret_cast<std::uint32_t*>(row)[x] = 0xFF000000u | rgb; break;
      case Kind::Bgr24: {
        uchar* p = row + 3 * x;
        p[0] = uchar(rgb);
        p[1] = uchar(rgb >> 8);
        p[2] = uchar(rgb >> 16);
        break;
      }
      case Kind::Rgb24: {
        uchar* p = row + 3 * x;
        p[2] = uchar(rgb);
        p[1] = uchar(rgb >> 8);
        p[0] = uchar(rgb >> 16);
        break;
      }
      default: FImg->setPixel(x, y, 0xFF000000u | rgb); break;
    }
  }

private:
  Surface(QImage* img, uchar* bits) : FImg(img), FBits(bits), FBpl(img->bytesPerLine()) {
    switch (img->format()) {
      case QImage::Format_RGB32:
      case QImage::Format_ARGB32:
      case QImage::Format_ARGB32_Premultiplied: FKind = Kind::Rgb32; break;
      case QImage::Format_BGR888: FKind = Kind::Bgr24; break;
      case QImage::Format_RGB888: FKind = Kind::Rgb24; break;
      default: FKind = Kind::Other; break;
    }
  }
  enum class Kind { Rgb32, Bgr24, Rgb24, Other };
  QImage* FImg;
  uchar* FBits;
  qsizetype FBpl;
  Kind FKind = Kind::Other;
};

// 0xRRGGBB of a TColor (system colours resolved, the high byte dropped).
inline std::uint32_t Rgb(TColor c) { return ToQRgb(c) & 0xFFFFFFu; }

// The classic ternary raster operation: result bits from the truth table in bits 16..23 of
// the code, indexed by pattern (4), source (2) and destination (1).
inline std::uint32_t Rop3(std::uint32_t code, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  unsigned t = (code >> 16) & 0xFF;
  switch (t) {
    case 0xCC: return s;
    case 0x88: return s & d;
    case 0xEE: return s | d;
    case 0x66: return s ^ d;
    default: break;
  }
  std::uint32_t r = 0;
  for (unsigned i = 0; i < 8; ++i)
    if (t & (1u << i)) r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  return r & 0xFFFFFFu;
}

// Copies SrcRect of Src into DestRect of the canvas (stretched by nearest pixel, mirrored for
// reversed extents) with the raster operation; pixels of the transparent colour are skipped
// when Transparent is set. Clipped to the canvas surface and clip rectangle.
void Blit(TCanvas* Dest, const TRect& DestRect, const QImage& Src, const TRect& SrcRect,
          TCopyMode Rop, bool Transparent, std::uint32_t TransparentRgb);

// Called by the canvas before it draws on or reads its image, so that the image's owner can
// make pixels it has put off making.
void SetCanvasPixelMaker(TCanvas* Canvas, std::function<void()> MakePixels);

// Image decoders (BMP, JPEG, PNG). They raise EInvalidGraphic for damaged data.
QImage DecodeBmp(const Byte* Data, std::size_t Size);
QImage DecodeJpeg(const Byte* Data, std::size_t Size);
QImage DecodePng(const Byte* Data, std::size_t Size);
// Picks the decoder by the data's signature.
QImage DecodePicture(const Byte* Data, std::size_t Size);
// The format the signature names; EInvalidGraphic ("Unknown picture format") for none.
enum class TPictureFormat { Bmp, Jpeg, Png };
TPictureFormat PictureFormat(const Byte* Data, std::size_t Size);
// Checks what can be checked without decoding the pixels: the signature, and for JPEG and PNG
// the header (markers up to the first scan; chunks up to the image data with their checksums)
// and the picture's size. EInvalidGraphic as the decoders raise it. A bitmap file passes on
// its signature: its reader checks everything before it copies a pixel.
void CheckPictureHeader(const Byte* Data, std::size_t Size);
String EncodeBmp(const QImage& Image);  // 24-bit for BGR888 images, else 32-bit

// Rows and pixels the thin-pen ellipse, arc and rounded-rectangle rasteriser has visited on
// this thread so far: what its cost follows.
std::uint64_t CurveWorkDone();

}  // namespace gfx
