// Picture file formats: Windows bitmap files (our own reader and writer), JPEG through
// libjpeg and PNG through libpng. Every reader treats its input as untrusted: sizes are
// checked against the data before anything is allocated or read.

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "GraphicsPrivate.h"

namespace gfx {

namespace {

// Pictures larger than this are refused rather than allocated.
constexpr long long kMaxPixels = 1LL << 28;

[[noreturn]] void BadBitmap() { throw EInvalidGraphic("Bitmap image is not valid"); }

std::uint32_t U16(const Byte* p) { return p[0] | (std::uint32_t(p[1]) << 8); }
std::uint32_t U32(const Byte* p) {
  return p[0] | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
         (std::uint32_t(p[3]) << 24);
}
std::int32_t I32(const Byte* p) { return static_cast<std::int32_t>(U32(p)); }

void Put16(String& s, std::uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(String& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// One channel of a bit-field pixel, scaled to 0..255.
struct Field {
  std::uint32_t Mask = 0;
  int Shift = 0;
  std::uint32_t Max = 0;
  explicit Field(std::uint32_t m) : Mask(m) {
    if (!m) return;
    while (!((m >> Shift) & 1)) ++Shift;
    Max = m >> Shift;
  }
  std::uint32_t Get(std::uint32_t v) const {
    if (!Mask) return 0;
    return ((v & Mask) >> Shift) * 255u / Max;
  }
};

}  // namespace

QImage DecodeBmp(const Byte* Data, std::size_t Size) {
  if (Size < 14 + 12 || Data[0] != 'B' || Data[1] != 'M') BadBitmap();
  std::uint32_t offBits = U32(Data + 10);
  std::uint32_t hdr = U32(Data + 14);
  if (hdr < 12 || 14 + static_cast<std::uint64_t>(hdr) > Size) BadBitmap();
  long long width, height;
  unsigned bpp, compression = 0, clrUsed = 0;
  bool core = hdr < 40;
  if (core) {
    if (hdr != 12) BadBitmap();
    width = U16(Data + 18);
    height = U16(Data + 20);
    bpp = U16(Data + 24);
  } else {
    width = I32(Data + 18);
    height = I32(Data + 22);
    bpp = U16(Data + 28);
    compression = U32(Data + 30);
    clrUsed = U32(Data + 46);
  }
  bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width * height > kMaxPixels) BadBitmap();
  // Bit-field masks: after a 40-byte header, inside the longer ones.
  std::uint32_t masks[3] = {0, 0, 0};
  std::size_t tableAt = 14 + hdr;
  if (compression == 3 || compression == 6) {
    if (bpp != 16 && bpp != 32) BadBitmap();
    std::size_t at = 14 + 40;
    if (at + 12 > Size) BadBitmap();
    for (int i = 0; i < 3; ++i) masks[i] = U32(Data + at + 4 * i);
    if (hdr == 40) tableAt += compression == 6 ? 16 : 12;
  } else if (compression != 0) {
    throw EInvalidGraphic("Compressed bitmap files are not supported");
  } else if (bpp == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  } else if (bpp == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0xFF00;
    masks[2] = 0xFF;
  }
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) BadBitmap();
  // Colour table of the palette formats.
  std::uint32_t palette[256] = {};
  if (bpp <= 8) {
    std::size_t entry = core ? 3 : 4;
    std::size_t n = clrUsed ? clrUsed : (1u << bpp);
    if (n > 256) n = 256;
    // Some writers store fewer entries than the depth allows: take what lies before the pixels.
    if (offBits > tableAt && (offBits - tableAt) / entry < n) n = (offBits - tableAt) / entry;
    if (tableAt + n * entry > Size) BadBitmap();
    for (std::size_t i = 0; i < n; ++i) {
      const Byte* p = Data + tableAt + i * entry;
      palette[i] = (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
    }
  }
  long long stride = ((width * bpp + 31) / 32) * 4;
  if (offBits < 14 + hdr || offBits > Size ||
      static_cast<unsigned long long>(stride) * height > Size - offBits)
    BadBitmap();

  int w = static_cast<int>(width), h = static_cast<int>(height);
  QImage img(w, h, bpp == 32 ? QImage::Format_RGB32 : QImage::Format_BGR888);
  if (img.isNull()) throw EOutOfMemory("Not enough memory for a bitmap");
  Field fr(masks[0]), fg(masks[1]), fb(masks[2]);
  for (int y = 0; y < h; ++y) {
    const Byte* src = Data + offBits + stride * (topDown ? y : h - 1 - y);
    uchar* dst = img.scanLine(y);
    if (bpp == 24) {
      std::memcpy(dst, src, static_cast<std::size_t>(w) * 3);
      continue;
    }
    if (bpp == 32 && compression == 0) {
      auto* out = reinterpret_cast<std::uint32_t*>(dst);
      for (int x = 0; x < w; ++x) out[x] = 0xFF000000u | (U32(src + 4 * x) & 0xFFFFFFu);
      continue;
    }
    for (int x = 0; x < w; ++x) {
      std::uint32_t rgb;
      if (bpp <= 8) {
        unsigned bit = static_cast<unsigned>(x) * bpp;
        unsigned v = (src[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
        rgb = palette[v];
      } else {
        std::uint32_t v = bpp == 16 ? U16(src + 2 * x) : U32(src + 4 * x);
        rgb = (fr.Get(v) << 16) | (fg.Get(v) << 8) | fb.Get(v);
      }
      if (bpp == 32) {
        reinterpret_cast<std::uint32_t*>(dst)[x] = 0xFF000000u | rgb;
      } else {
        dst[3 * x] = uchar(rgb);
        dst[3 * x + 1] = uchar(rgb >> 8);
        dst[3 * x + 2] = uchar(rgb >> 16);
      }
    }
  }
  return img;
}

String EncodeBmp(const QImage& Image) {
  bool is24 = Image.format() == QImage::Format_BGR888;
  QImage img = is24 ? Image : Image.convertToFormat(QImage::Format_RGB32);
  const std::uint32_t w = static_cast<std::uint32_t>(img.width()),
                      h = static_cast<std::uint32_t>(img.height());
  const std::uint32_t bpp = is24 ? 24 : 32;
  const std::uint32_t stride = ((w * bpp + 31) / 32) * 4;
  const std::uint32_t imageSize = stride * h;
  String s;
  s.reserve(54 + imageSize);
  s += "BM";
  Put32(s, 54 + imageSize);
  Put32(s, 0);
  Put32(s, 54);
  Put32(s, 40);
  Put32(s, w);
  Put32(s, h);  // positive: rows bottom up
  Put16(s, 1);
  Put16(s, bpp);
  Put32(s, 0);  // uncompressed
  Put32(s, imageSize);
  Put32(s, 3780);  // 96 pixels per inch
  Put32(s, 3780);
  Put32(s, 0);
  Put32(s, 0);
  String row(stride, '\0');
  for (std::uint32_t y = h; y-- > 0;) {
    const uchar* src = img.constScanLine(static_cast<int>(y));
    if (is24) {
      std::memcpy(row.data(), src, w * 3);
    } else {
      for (std::uint32_t x = 0; x < w; ++x) {
        std::memcpy(row.data() + 4 * x, src + 4 * x, 3);
        row[4 * x + 3] = 0;  // the unused byte, as bitmap files carry it
      }
    }
    s += row;
  }
  return s;
}

// ---- JPEG --------------------------------------------------------------------------------
namespace {

struct JpegError {
  jpeg_error_mgr Mgr;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->Message);
  std::longjmp(e->Jump, 1);
}

void JpegSilence(j_common_ptr) {}

// Decodes into *Out, or with Out null reads the header only (markers up to the first scan) and
// checks the size; false with Message set on failure. Only plain data lives in this frame,
// because libjpeg reports errors by a long jump back into it.
bool JpegDecode(const Byte* Data, std::size_t Size, QImage* Out, char* Message,
                std::size_t MessageSize) {
  jpeg_decompress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.Mgr);
  err.Mgr.error_exit = JpegErrorExit;
  err.Mgr.output_message = JpegSilence;
  err.Message[0] = 0;
  if (setjmp(err.Jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::snprintf(Message, MessageSize, "%s", err.Message);
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, Data, static_cast<unsigned long>(Size));
  jpeg_read_header(&cinfo, TRUE);
  if (!Out) {
    const long long w = cinfo.image_width, h = cinfo.image_height;
    jpeg_destroy_decompress(&cinfo);
    if (w > 0 && h > 0 && w * h <= kMaxPixels) return true;
    std::snprintf(Message, MessageSize, "picture too large");
    return false;
  }
  bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_start_decompress(&cinfo);
  long long w = cinfo.output_width, h = cinfo.output_height;
  if (w <= 0 || h <= 0 || w * h > kMaxPixels) {
    jpeg_destroy_decompress(&cinfo);
    std::snprintf(Message, MessageSize, "picture too large");
    return false;
  }
  *Out = QImage(static_cast<int>(w), static_cast<int>(h), QImage::Format_BGR888);
  if (Out->isNull()) {
    jpeg_destroy_decompress(&cinfo);
    std::snprintf(Message, MessageSize, "not enough memory");
    return false;
  }
  JSAMPROW cmykRow = nullptr;
  if (cmyk)
    cmykRow = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                         static_cast<JDIMENSION>(w * 4), 1)[0];
  // Adobe writes CMYK inverted; that is what such files are in practice.
  bool inverted = cinfo.saw_Adobe_marker;
  while (cinfo.output_scanline < cinfo.output_height) {
    int y = static_cast<int>(cinfo.output_scanline);
    uchar* dst = Out->scanLine(y);
    if (!cmyk) {
      JSAMPROW row = dst;
      jpeg_read_scanlines(&cinfo, &row, 1);
      continue;
    }
    jpeg_read_scanlines(&cinfo, &cmykRow, 1);
    for (long long x = 0; x < w; ++x) {
      unsigned c = cmykRow[4 * x], m = cmykRow[4 * x + 1], yy = cmykRow[4 * x + 2],
               k = cmykRow[4 * x + 3];
      if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        yy = 255 - yy;
        k = 255 - k;
      }
      dst[3 * x] = static_cast<uchar>(yy * k / 255);
      dst[3 * x + 1] = static_cast<uchar>(m * k / 255);
      dst[3 * x + 2] = static_cast<uchar>(c * k / 255);
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

QImage DecodeJpeg(const Byte* Data, std::size_t Size) {
  QImage img;
  char msg[JMSG_LENGTH_MAX + 32];
  if (!JpegDecode(Data, Size, &img, msg, sizeof msg))
    throw EInvalidGraphic(String("JPEG error: ") + msg);
  return img;
}

// ---- PNG ----------------------------------------------------------------------------------
// The classic libpng interface: its simplified one takes 16-bit samples for linear light and
// would brighten such pictures. Samples are shown as stored (no gamma correction), as
// pictures are everywhere else on screen.
namespace {

struct PngReader {
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  std::jmp_buf Jump;
  char Message[200] = "";
  const Byte* Data = nullptr;
  std::size_t Size = 0, Pos = 0;
};

void PngError(png_structp png, png_const_charp msg) {
  auto* r = static_cast<PngReader*>(png_get_error_ptr(png));
  std::snprintf(r->Message, sizeof r->Message, "%s", msg);
  std::longjmp(r->Jump, 1);
}

void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep out, png_size_t n) {
  auto* r = static_cast<PngReader*>(png_get_io_ptr(png));
  if (n > r->Size - r->Pos) png_error(png, "unexpected end of data");
  std::memcpy(out, r->Data + r->Pos, n);
  r->Pos += n;
}

// Reads the header and sets the transformations to 8-bit B, G, R, A. Plain data only in the
// frames libpng jumps back into.
bool PngHeader(PngReader* r, png_uint_32* w, png_uint_32* h) {
  if (setjmp(r->Jump)) return false;
  png_set_read_fn(r->Png, r, PngRead);
  png_read_info(r->Png, r->Info);
  png_set_expand(r->Png);  // palettes, grey below 8 bits and transparency chunks
  png_set_scale_16(r->Png);
  png_set_gray_to_rgb(r->Png);
  png_set_bgr(r->Png);
  png_set_add_alpha(r->Png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(r->Png);
  png_read_update_info(r->Png, r->Info);
  *w = png_get_image_width(r->Png, r->Info);
  *h = png_get_image_height(r->Png, r->Info);
  if (png_get_rowbytes(r->Png, r->Info) != static_cast<png_size_t>(*w) * 4)
    png_error(r->Png, "unexpected pixel layout");
  return true;
}

bool PngRows(PngReader* r, png_bytepp rows) {
  if (setjmp(r->Jump)) return false;
  png_read_image(r->Png, rows);
  png_read_end(r->Png, nullptr);
  return true;
}

}  // namespace

namespace {

// Creates the reader's libpng structures (destroyed with the guard) and reads the header;
// EInvalidGraphic for damaged or oversized pictures.
struct PngSession {
  PngReader r;
  PngSession(const Byte* Data, std::size_t Size) {
    r.Data = Data;
    r.Size = Size;
    r.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, PngError, PngWarning);
    if (!r.Png) throw EOutOfMemory("Not enough memory for a picture");
    r.Info = png_create_info_struct(r.Png);
    if (!r.Info) {
      png_destroy_read_struct(&r.Png, nullptr, nullptr);
      throw EOutOfMemory("Not enough memory for a picture");
    }
  }
  ~PngSession() { png_destroy_read_struct(&r.Png, &r.Info, nullptr); }
  PngSession(const PngSession&) = delete;
  PngSession& operator=(const PngSession&) = delete;

  void ReadHeader(png_uint_32* w, png_uint_32* h) {
    if (!PngHeader(&r, w, h)) throw EInvalidGraphic(String("PNG error: ") + r.Message);
    if (*w == 0 || *h == 0 || static_cast<long long>(*w) * *h > kMaxPixels)
      throw EInvalidGraphic("PNG error: picture too large");
  }
};

// See-through pixels are laid over the button face, the colour of the windows pictures are
// shown on.
QImage FlattenOnButtonFace(const QImage& Bgra) {
  QImage img(Bgra.width(), Bgra.height(), QImage::Format_BGR888);
  if (img.isNull()) throw EOutOfMemory("Not enough memory for a picture");
  TColor face = ColorToRGB(clBtnFace);
  const unsigned bg[3] = {GetBValue(face), GetGValue(face), GetRValue(face)};
  for (int y = 0; y < img.height(); ++y) {
    const uchar* in = Bgra.constScanLine(y);
    uchar* out = img.scanLine(y);
    for (int x = 0; x < img.width(); ++x) {
      unsigned a = in[4 * x + 3];
      for (int c = 0; c < 3; ++c)
        out[3 * x + c] = static_cast<uchar>((in[4 * x + c] * a + bg[c] * (255 - a) + 127) / 255);
    }
  }
  return img;
}

}  // namespace

QImage DecodePng(const Byte* Data, std::size_t Size) {
  PngSession session(Data, Size);
  PngReader& r = session.r;
  png_uint_32 w = 0, h = 0;
  session.ReadHeader(&w, &h);
  QImage bgra(static_cast<int>(w), static_cast<int>(h),
              QImage::Format_ARGB32);  // B, G, R, A in memory
  if (bgra.isNull()) throw EOutOfMemory("Not enough memory for a picture");
  std::vector<png_bytep> rows(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = bgra.scanLine(static_cast<int>(y));
  if (!PngRows(&r, rows.data())) throw EInvalidGraphic(String("PNG error: ") + r.Message);
  return FlattenOnButtonFace(bgra);
}

TPictureFormat PictureFormat(const Byte* Data, std::size_t Size) {
  static const Byte png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (Size >= 2 && Data[0] == 'B' && Data[1] == 'M') return TPictureFormat::Bmp;
  if (Size >= 3 && Data[0] == 0xFF && Data[1] == 0xD8 && Data[2] == 0xFF)
    return TPictureFormat::Jpeg;
  if (Size >= 8 && std::memcmp(Data, png, 8) == 0) return TPictureFormat::Png;
  throw EInvalidGraphic("Unknown picture format");
}

void CheckPictureHeader(const Byte* Data, std::size_t Size) {
  switch (PictureFormat(Data, Size)) {
    case TPictureFormat::Bmp: break;
    case TPictureFormat::Jpeg: {
      char msg[JMSG_LENGTH_MAX + 32];
      if (!JpegDecode(Data, Size, nullptr, msg, sizeof msg))
        throw EInvalidGraphic(String("JPEG error: ") + msg);
      break;
    }
    case TPictureFormat::Png: {
      PngSession session(Data, Size);
      png_uint_32 w = 0, h = 0;
      session.ReadHeader(&w, &h);
      break;
    }
  }
}

QImage DecodePicture(const Byte* Data, std::size_t Size) {
  switch (PictureFormat(Data, Size)) {
    case TPictureFormat::Bmp: return DecodeBmp(Data, Size);
    case TPictureFormat::Jpeg: return DecodeJpeg(Data, Size);
    case TPictureFormat::Png: break;
  }
  return DecodePng(Data, Size);
}

}  // namespace gfx
