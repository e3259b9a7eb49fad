#include "Desktop.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <filesystem>
#include <mutex>

namespace {

bool DesktopOpen(const String& AbsolutePath) {
  const QString path = QString::fromStdString(AbsolutePath);
  // The desktop services need the GUI application; a program without one still has the
  // freedesktop helper.
  if (QGuiApplication::instance() != nullptr)
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
  return QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{path});
}

std::mutex& OpenerMutex() {
  static std::mutex m;
  return m;
}

TDocumentOpener& CurrentOpener() {
  static TDocumentOpener opener;
  return opener;
}

}  // namespace

TDocumentOpener SetDocumentOpener(TDocumentOpener Opener) {
  std::lock_guard<std::mutex> lock(OpenerMutex());
  TDocumentOpener previous = std::move(CurrentOpener());
  CurrentOpener() = std::move(Opener);
  return previous;
}

bool OpenDocument(const String& Path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path absolute = fs::absolute(fs::path(Path), ec);
  // A missing file would only make the viewer complain in a window of its own, or not at all.
  if (ec || Path.empty() || !fs::is_regular_file(absolute, ec)) return false;
  TDocumentOpener opener;
  {
    std::lock_guard<std::mutex> lock(OpenerMutex());
    opener = CurrentOpener();
  }
  const String full = absolute.lexically_normal().string();
  return opener ? opener(full) : DesktopOpen(full);
}
