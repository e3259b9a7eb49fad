// Bitmaps, pictures and the graphic base class.

#include <QPainter>

#include <cstring>
#include <limits>

#include "GraphicsPrivate.h"

// ---- TGraphic ----------------------------------------------------------------------------
void TGraphic::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  Changed();
}

void TGraphic::Changed() {
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const String& FileName) {
  TFileStream fs(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(fs);
}

void TGraphic::SaveToFile(const String& FileName) {
  TFileStream fs(FileName, fmCreate);
  SaveToStream(fs);
  fs.Flush();
}

// ---- TBitmap -----------------------------------------------------------------------------
struct TBitmap::Impl {
  QImage Image;  // null while the bitmap has no pixels
  int Width = 0, Height = 0;
  TPixelFormat Format = pfDevice;
  TColor TransparentColor = clDefault;  // clDefault: the bottom-left pixel
  std::unique_ptr<TCanvas> Canvas;
  // A picture's encoded bytes while its pixels were never asked for; shared by the copies
  // Assign makes, dropped once decoded.
  std::shared_ptr<const String> Encoded;

  // Decodes the pending picture, if any. Called before anything reads the size or the row
  // format. Data that fail to decode leave the bitmap empty: their header was checked when
  // they were taken, so the fault lies in the compressed pixels.
  void Decode();
  // Decode, and make the pixels of a bitmap that was sized but never drawn on (white). Called
  // before anything reads or writes the pixels: a bitmap costs no memory until then.
  void Realize();
  // Takes Image's pixels in our row format (see SetBitmapImage); fires nothing.
  void Adopt(const QImage& Image);
};

namespace {

QImage::Format QtFormat(TPixelFormat f) {
  return f == pf24bit ? QImage::Format_BGR888 : QImage::Format_RGB32;
}

// A white image of the given size, or EOutOfMemory when it cannot be had.
QImage NewImage(int w, int h, TPixelFormat f) {
  QImage img(w, h, QtFormat(f));
  if (img.isNull())
    throw EOutOfMemory("Not enough memory for a bitmap of " + std::to_string(w) + " x " +
                       std::to_string(h) + " pixels");
  img.fill(0xFFFFFFFFu);
  return img;
}

}  // namespace

void TBitmap::Impl::Realize() {
  Decode();
  if (Image.isNull() && Width > 0 && Height > 0) Image = NewImage(Width, Height, Format);
}

void TBitmap::Impl::Decode() {
  if (!Encoded) return;
  const std::shared_ptr<const String> bytes = std::move(Encoded);
  Encoded = nullptr;
  QImage img;
  try {
    img = gfx::DecodePicture(reinterpret_cast<const Byte*>(bytes->data()), bytes->size());
  } catch (const EInvalidGraphic&) {
    return;  // an empty bitmap: see above
  } catch (...) {
    Encoded = bytes;  // out of memory: the picture stays pending for a later attempt
    throw;
  }
  Adopt(img);
}

void TBitmap::Impl::Adopt(const QImage& Source) {
  Encoded = nullptr;
  if (Source.isNull()) {
    Image = QImage();
    Width = Height = 0;
    return;
  }
  bool is24 = Source.format() == QImage::Format_BGR888 ||
              Source.format() == QImage::Format_RGB888 || (Source.depth() == 24);
  TPixelFormat f = is24 ? pf24bit : pf32bit;
  QImage img = Source.format() == QtFormat(f) ? Source : Source.convertToFormat(QtFormat(f));
  if (img.isNull()) throw EOutOfMemory("Not enough memory for a bitmap");
  Image = img;
  Format = f;
  Width = img.width();
  Height = img.height();
  if (f == pf32bit) {
    // Keep the unused fourth byte at $FF, whatever the source had there.
    for (int y = 0; y < Height; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(Image.scanLine(y));
      for (int x = 0; x < Width; ++x) row[x] |= 0xFF000000u;
    }
  }
}

TBitmap::TBitmap() : d(std::make_unique<Impl>()) {}

TBitmap::TBitmap(int AWidth, int AHeight) : TBitmap() { SetSize(AWidth, AHeight); }

TBitmap::~TBitmap() = default;

int TBitmap::Width() const {
  d->Decode();
  return d->Width;
}
int TBitmap::Height() const {
  d->Decode();
  return d->Height;
}
void TBitmap::SetWidth(int Value) { SetSize(Value, Height()); }
void TBitmap::SetHeight(int Value) { SetSize(Width(), Value); }

void TBitmap::SetSize(int AWidth, int AHeight) {
  d->Decode();
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  if (AWidth == d->Width && AHeight == d->Height) return;
  if (d->Image.isNull()) {
    // No pixels yet: they are made, white, when first drawn on or read.
    d->Width = AWidth;
    d->Height = AHeight;
    Changed();
    return;
  }
  QImage img;
  if (AWidth > 0 && AHeight > 0) {
    img = NewImage(AWidth, AHeight, d->Format);
    if (!d->Image.isNull()) {
      int w = std::min(AWidth, d->Image.width()), h = std::min(AHeight, d->Image.height());
      std::size_t bytes = static_cast<std::size_t>(w) * (d->Image.depth() / 8);
      for (int y = 0; y < h; ++y) std::memcpy(img.scanLine(y), d->Image.constScanLine(y), bytes);
    }
  }
  d->Image = img;
  d->Width = AWidth;
  d->Height = AHeight;
  Changed();
}

TPixelFormat TBitmap::PixelFormat() const {
  d->Decode();
  return d->Format;
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  d->Decode();
  if (Value == d->Format) return;
  d->Format = Value;
  if (!d->Image.isNull() && d->Image.format() != QtFormat(Value)) {
    QImage img = d->Image.convertToFormat(QtFormat(Value));
    if (img.isNull()) throw EOutOfMemory("Not enough memory to convert a bitmap");
    d->Image = img;
  }
  Changed();
}

TCanvas* TBitmap::Canvas() {
  d->Decode();
  if (!d->Canvas) {
    d->Canvas = std::make_unique<TCanvas>();
    SetCanvasImage(d->Canvas.get(), &d->Image);
    gfx::SetCanvasPixelMaker(d->Canvas.get(), [impl = d.get()] { impl->Realize(); });
    // Drawing changes the bitmap: whoever shows it (a picture, an image control) hears of it.
    d->Canvas->OnChange = [this](TObject*) { Changed(); };
  }
  return d->Canvas.get();
}

void* TBitmap::ScanLine(int Row) {
  d->Realize();
  if (Row < 0 || Row >= d->Height || d->Image.isNull())
    throw EInvalidGraphicOperation("Scan line index out of range");
  return d->Image.scanLine(Row);
}

TColor TBitmap::TransparentColor() const {
  if (d->TransparentColor != clDefault) return d->TransparentColor;
  d->Realize();
  if (d->Image.isNull()) return clDefault;
  return FromQRgb(gfx::Surface::ForReading(d->Image).Read(0, d->Height - 1));
}

void TBitmap::SetTransparentColor(TColor Value) {
  if (d->TransparentColor == Value) return;
  d->TransparentColor = Value;
  Changed();
}

void TBitmap::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (!Source) {
    SetSize(0, 0);
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    d->Encoded = b->d->Encoded;  // a picture never shown stays encoded in the copy too
    d->Image = b->d->Image;      // shared until one of them is written
    d->Width = b->d->Width;
    d->Height = b->d->Height;
    d->Format = b->d->Format;
    d->TransparentColor = b->d->TransparentColor;
    FTransparent = b->FTransparent;
    Changed();
    return;
  }
  if (auto* p = dynamic_cast<TPicture*>(Source)) {
    if (auto* g = dynamic_cast<TBitmap*>(p->Graphic()))
      Assign(g);
    else
      SetSize(0, 0);
    return;
  }
  TGraphic::Assign(Source);
}

void TBitmap::Draw(TCanvas* Canvas, const TRect& R) {
  d->Realize();
  if (d->Image.isNull()) return;
  gfx::Blit(Canvas, R, d->Image, TRect{0, 0, d->Width, d->Height}, Canvas->CopyMode(), FTransparent,
            gfx::Rgb(TransparentColor()));
}

void TBitmap::LoadFromBytes(const void* Data, std::size_t Size) {
  SetBitmapImage(this, gfx::DecodePicture(static_cast<const Byte*>(Data), Size));
}

void TBitmap::LoadFromEncoded(String Bytes) {
  const auto* data = reinterpret_cast<const Byte*>(Bytes.data());
  if (gfx::PictureFormat(data, Bytes.size()) == gfx::TPictureFormat::Bmp) {
    LoadFromBytes(data, Bytes.size());  // a bitmap file is its pixels already
    return;
  }
  gfx::CheckPictureHeader(data, Bytes.size());
  d->Image = QImage();
  d->Width = d->Height = 0;
  d->Encoded = std::make_shared<const String>(std::move(Bytes));
  Changed();
}

void TBitmap::LoadFromStream(TStream& Stream) {
  // The file header tells the length, so a bitmap can be read from the middle of a stream.
  Byte head[14];
  if (Stream.Read(head, 14) != 14) throw EInvalidGraphic("Bitmap image is not valid");
  if (head[0] != 'B' || head[1] != 'M') throw EInvalidGraphic("Bitmap image is not valid");
  std::uint32_t size = head[2] | (head[3] << 8) | (head[4] << 16) | (std::uint32_t(head[5]) << 24);
  Int64 rest = Stream.Size() - Stream.Position();
  Int64 want = size >= 14 + 12 && size - 14 <= rest ? Int64(size) - 14 : rest;
  String buf(14 + static_cast<std::size_t>(want), '\0');
  std::memcpy(buf.data(), head, 14);
  Stream.ReadBuffer(buf.data() + 14, want);
  SetBitmapImage(this, gfx::DecodeBmp(reinterpret_cast<const Byte*>(buf.data()), buf.size()));
}

void TBitmap::SaveToStream(TStream& Stream) {
  d->Realize();
  if (d->Image.isNull()) throw EInvalidGraphicOperation("Cannot save an empty bitmap");
  String bytes = gfx::EncodeBmp(d->Image);
  Stream.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

QImage& BitmapImage(TBitmap* Bitmap) {
  Bitmap->Internal()->Realize();
  return Bitmap->Internal()->Image;
}
const QImage& BitmapImage(const TBitmap* Bitmap) {
  Bitmap->Internal()->Realize();
  return Bitmap->Internal()->Image;
}

void SetBitmapImage(TBitmap* Bitmap, const QImage& Image) {
  if (Image.isNull()) {
    Bitmap->Internal()->Encoded = nullptr;
    Bitmap->SetSize(0, 0);
    return;
  }
  Bitmap->Internal()->Adopt(Image);
  // Changed() is protected; the bitmap's listeners hear of the new pixels all the same.
  if (Bitmap->OnChange) Bitmap->OnChange(Bitmap);
}

// ---- TPicture ----------------------------------------------------------------------------
TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (Value == FGraphic.get()) return;
  if (!Value) {
    FGraphic.reset();
  } else {
    auto b = std::make_unique<TBitmap>();
    b->Assign(Value);
    FGraphic = std::move(b);
    FGraphic->OnChange = [this](TObject*) { Changed(); };
  }
  Changed();
}

TBitmap* TPicture::Bitmap() {
  if (auto* b = dynamic_cast<TBitmap*>(FGraphic.get())) return b;
  FGraphic = std::make_unique<TBitmap>();
  FGraphic->OnChange = [this](TObject*) { Changed(); };
  return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::LoadFromBytes(const void* Data, std::size_t Size) {
  auto b = std::make_unique<TBitmap>();
  b->LoadFromBytes(Data, Size);  // raises before the old graphic is touched
  FGraphic = std::move(b);
  FGraphic->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

void TPicture::LoadFromEncoded(String Bytes) {
  auto b = std::make_unique<TBitmap>();
  b->LoadFromEncoded(std::move(Bytes));  // raises before the old graphic is touched
  FGraphic = std::move(b);
  FGraphic->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

void TPicture::LoadFromStream(TStream& Stream) {
  Int64 n = Stream.Size() - Stream.Position();
  if (n < 0) n = 0;
  String buf(static_cast<std::size_t>(n), '\0');
  Stream.ReadBuffer(buf.data(), n);
  LoadFromBytes(buf.data(), buf.size());
}

void TPicture::LoadFromFile(const String& FileName) {
  TFileStream fs(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(fs);
}

void TPicture::SaveToFile(const String& FileName) {
  if (!FGraphic) throw EInvalidGraphicOperation("Cannot save an empty picture");
  FGraphic->SaveToFile(FileName);
}

void TPicture::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (!Source) {
    SetGraphic(nullptr);
    return;
  }
  if (auto* p = dynamic_cast<TPicture*>(Source)) {
    SetGraphic(p->Graphic());
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(g);
    return;
  }
  TPersistent::Assign(Source);
}

bool SaveBitmapAsPNG(TBitmap* Bitmap, const String& FileName) {
  if (Bitmap == nullptr || Bitmap->Width() <= 0 || Bitmap->Height() <= 0) return false;
  return BitmapImage(Bitmap).save(QString::fromStdString(FileName), "PNG");
}
