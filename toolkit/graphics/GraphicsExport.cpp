#include "GraphicsExport.h"

#include <QFile>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

#include "GraphicsQt.h"

bool SaveBitmapAsPng(const TBitmap& Bitmap, const String& FileName) {
  const QImage& image = BitmapImage(&Bitmap);
  return image.save(QString::fromStdString(FileName), "PNG");
}

bool WriteMarkdownAsPdf(const String& Markdown, const String& Title, const String& FileName) {
  const QString path = QString::fromStdString(FileName);
  {
    QFile probe(path);
    if (!probe.open(QIODevice::WriteOnly)) return false;  // QPdfWriter would fail silently
  }
  {
    QPdfWriter writer(path);
    writer.setTitle(QString::fromStdString(Title));
    writer.setCreator(QString::fromStdString(Title));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    writer.setResolution(300);

    QTextDocument doc;
    LoadDrawingFonts();
    QFont font("DejaVu Sans");
    font.setPointSizeF(10.5);
    doc.setDefaultFont(font);
    doc.setMarkdown(QString::fromStdString(Markdown));
    doc.print(&writer);
  }  // the writer finishes the file as it goes
  return QFile(path).size() > 0;
}
