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
  SetClipboardProvider(std::move(p));
}
