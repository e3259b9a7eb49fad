// The printer on Qt's print support. A PDF destination is written to a temporary file beside
// the target and takes the target's place only when the job has ended, so a failed or
// dropped job never leaves a truncated file behind.

#include "Printers.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>

#include <algorithm>

#include "CanvasDevice.h"
#include "ControlsQt.h"
#include "SysUtils.h"

struct TPrinter::Impl {
  TCanvas Canvas;  // one object for the printer's life: code may compare canvases with it
  std::unique_ptr<QPrinter> Job;
  std::unique_ptr<QPainter> Painter;
  std::unique_ptr<TCanvasDevice> Device;
  String TempFile;  // where a PDF destination is written until EndDoc

  void Close() {
    SetCanvasDevice(&Canvas, nullptr);
    Device.reset();
    Painter.reset();
    Job.reset();
    if (!TempFile.empty()) QFile::remove(QStr(TempFile));
    TempFile.clear();
  }
};

namespace {

// The printer jobs go to, or EPrinter.
QString ChosenPrinter(const String& Name) {
  const QStringList names = QPrinterInfo::availablePrinterNames();
  if (!Name.empty()) {
    if (!names.contains(QStr(Name)))
      throw EPrinter("The printer \"" + Name + "\" is not available");
    return QStr(Name);
  }
  const QString def = QPrinterInfo::defaultPrinterName();
  if (!def.isEmpty() && names.contains(def)) return def;
  if (names.isEmpty()) throw EPrinter("No printer is available");
  return names.front();
}

std::unique_ptr<QPrinter> NewPdfPrinter() {
  auto p = std::make_unique<QPrinter>(QPrinter::HighResolution);
  p->setOutputFormat(QPrinter::PdfFormat);
  return p;
}

}  // namespace

TPrinter::TPrinter() : d(std::make_unique<Impl>()) {}

TPrinter::~TPrinter() { d->Close(); }

void TPrinter::SetPrinterName(const String& Value) { FPrinterName = Value; }
void TPrinter::SetOutputFileName(const String& Value) { FOutputFileName = Value; }

bool TPrinter::Printing() const { return d->Painter != nullptr; }

void TPrinter::BeginDoc() {
  if (Printing()) throw EPrinter("A print job is already open");
  std::unique_ptr<QPrinter> job;
  if (!FOutputFileName.empty()) {
    job = NewPdfPrinter();
    QTemporaryFile temp(QStr(ExtractFilePath(FOutputFileName)) + ".print-XXXXXX.pdf");
    temp.setAutoRemove(false);
    if (!temp.open()) throw EPrinter("Cannot write the file \"" + FOutputFileName + "\"");
    d->TempFile = FromQStr(temp.fileName());
    temp.close();
    job->setOutputFileName(temp.fileName());
  } else {
    const QString name = ChosenPrinter(FPrinterName);
    job = std::make_unique<QPrinter>(QPrinter::HighResolution);
    job->setPrinterName(name);
    if (!job->isValid()) throw EPrinter("The printer \"" + FromQStr(name) + "\" is not available");
  }
  job->setDocName(QStr(FTitle));
  auto painter = std::make_unique<QPainter>();
  if (!painter->begin(job.get())) {
    const String what =
        FOutputFileName.empty()
            ? "The printer \"" + FromQStr(job->printerName()) + "\" cannot start the job"
            : "Cannot write the file \"" + FOutputFileName + "\"";
    d->Close();
    throw EPrinter(what);
  }
  d->Job = std::move(job);
  d->Painter = std::move(painter);
  const int dpi = d->Job->resolution();
  d->Device = NewPainterDevice(d->Painter.get(), dpi, dpi);
  // A fresh job starts with the canvas's initial pen, brush and font.
  TPen pen;
  TBrush brush;
  TFont font;
  d->Canvas.Pen()->Assign(&pen);
  d->Canvas.Brush()->Assign(&brush);
  d->Canvas.Font()->Assign(&font);
  d->Canvas.MoveTo(0, 0);
  SetCanvasDevice(&d->Canvas, d->Device.get());
}

void TPrinter::NewPage() {
  if (!Printing()) throw EPrinter("Printing is not in progress");
  if (!d->Job->newPage()) throw EPrinter("The printer cannot start a new page");
}

void TPrinter::EndDoc() {
  if (!Printing()) throw EPrinter("Printing is not in progress");
  const bool ended = d->Painter->end();
  if (!ended) {
    d->Close();
    throw EPrinter("The print job could not be finished");
  }
  if (!d->TempFile.empty()) {
    QFile temp(QStr(d->TempFile));
    if (!temp.open(QIODevice::ReadOnly)) {
      d->Close();
      throw EPrinter("Cannot write the file \"" + FOutputFileName + "\"");
    }
    const QByteArray bytes = temp.readAll();
    temp.close();
    if (!WriteFileReplacing(FOutputFileName, bytes.toStdString())) {
      d->Close();
      throw EPrinter("Cannot write the file \"" + FOutputFileName + "\"");
    }
  }
  d->Close();
}

void TPrinter::Abort() {
  if (!Printing()) return;
  d->Job->abort();
  d->Painter->end();
  d->Close();
}

TCanvas* TPrinter::Canvas() {
  if (!Printing()) throw EPrinter("Printing is not in progress");
  return &d->Canvas;
}

namespace {
struct TPageGeometry {
  int Dpi;
  QRect Printable, Paper;  // device units
};
TPageGeometry Geometry(const QPrinter& p) {
  const int dpi = p.resolution();
  return {dpi, p.pageLayout().paintRectPixels(dpi), p.pageLayout().fullRectPixels(dpi)};
}
// The destination's page as a job would have it: the open job, the chosen printer, or a PDF
// page when printing to a file or when there is no printer.
TPageGeometry DestinationGeometry(const TPrinter::Impl& d, const String& Name, const String& File) {
  if (d.Job) return Geometry(*d.Job);
  if (File.empty()) {
    try {
      QPrinter p(QPrinter::HighResolution);
      p.setPrinterName(ChosenPrinter(Name));
      if (p.isValid()) return Geometry(p);
    } catch (const EPrinter&) {}
  }
  return Geometry(*NewPdfPrinter());
}
}  // namespace

int TPrinter::PixelsPerInchX() const {
  return DestinationGeometry(*d, FPrinterName, FOutputFileName).Dpi;
}
int TPrinter::PixelsPerInchY() const { return PixelsPerInchX(); }
int TPrinter::PageWidth() const {
  return DestinationGeometry(*d, FPrinterName, FOutputFileName).Printable.width();
}
int TPrinter::PageHeight() const {
  return DestinationGeometry(*d, FPrinterName, FOutputFileName).Printable.height();
}
int TPrinter::PhysicalWidth() const {
  return DestinationGeometry(*d, FPrinterName, FOutputFileName).Paper.width();
}
int TPrinter::PhysicalHeight() const {
  return DestinationGeometry(*d, FPrinterName, FOutputFileName).Paper.height();
}
int TPrinter::PhysicalOffsetX() const {
  return DestinationGeometry(*d, FPrinterName, FOutputFileName).Printable.left();
}
int TPrinter::PhysicalOffsetY() const {
  return DestinationGeometry(*d, FPrinterName, FOutputFileName).Printable.top();
}

TPrinter* Printer() {
  static TPrinter printer;
  return &printer;
}

std::vector<String> AvailablePrinterNames() {
  std::vector<String> out;
  for (const QString& n : QPrinterInfo::availablePrinterNames()) out.push_back(FromQStr(n));
  return out;
}
