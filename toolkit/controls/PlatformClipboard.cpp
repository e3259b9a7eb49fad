#include "PlatformClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "Clipbrd.h"

void InstallPlatformClipboard() {
  TClipboard::TProvider p;
  p.HasText = [] {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText();
  };
  p.GetText = [] { return QGuiApplication::clipboard()->text().toStdString(); };
  p.SetText = [](const String& Text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(Text));
  };
  p.SetFormats = [](const std::vector<TClipboardFormat>& Formats) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard == nullptr) throw EClipboardException("The clipboard is not available");
    auto* data = new QMimeData;  // the clipboard takes it over
    for (const TClipboardFormat& f : Formats)
      data->setData(QString::fromStdString(f.MediaType),
                    QByteArray(f.Data.data(), static_cast<qsizetype>(f.Data.size())));
    clipboard->setMimeData(data);
  };
  p.HasFormat = [](const String& MediaType) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasFormat(QString::fromStdString(MediaType));
  };
  p.GetFormat = [](const String& MediaType) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr) return String();
    return data->data(QString::fromStdString(MediaType)).toStdString();
  };
  SetClipboardProvider(std::move(p));
}
