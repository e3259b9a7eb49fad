#include "ClipboardPictures.h"

#include <QBuffer>
#include <QImage>

#include "Clipbrd.h"
#include "GraphicsPrivate.h"

namespace {
constexpr const char* kPng = "image/png";
constexpr const char* kBmp = "image/bmp";
}  // namespace

void ClipboardSetBitmap(TBitmap* Bitmap) {
  if (Bitmap == nullptr || Bitmap->Empty())
    throw EInvalidGraphicOperation("An empty picture cannot go to the clipboard");
  const QImage& image = BitmapImage(Bitmap);
  QByteArray png;
  {
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
      throw EInvalidGraphicOperation("The picture cannot be encoded for the clipboard");
  }
  Clipboard()->SetFormats({{kPng, png.toStdString()}, {kBmp, gfx::EncodeBmp(image)}});
}

void ClipboardSetMetafile(const TMetafile& Metafile) {
  if (Metafile.Empty())
    throw EInvalidGraphicOperation("An empty metafile cannot go to the clipboard");
  std::vector<TClipboardFormat> formats;
  for (const char* type : MetafileMediaTypes) formats.push_back({type, Metafile.Data()});
  Clipboard()->SetFormats(formats);
}

bool ClipboardHasBitmap() { return Clipboard()->HasFormat(kPng) || Clipboard()->HasFormat(kBmp); }

bool ClipboardGetBitmap(TBitmap* Bitmap) {
  if (Bitmap == nullptr) return false;
  for (const char* type : {kPng, kBmp}) {
    const String data = Clipboard()->GetFormat(type);
    if (data.empty()) continue;
    Bitmap->LoadFromBytes(data.data(), data.size());
    return true;
  }
  return false;
}

String ClipboardMetafileData() {
  for (const char* type : MetafileMediaTypes) {
    String data = Clipboard()->GetFormat(type);
    if (!data.empty()) return data;
  }
  return String();
}
