// The printer: jobs into a PDF file checked with poppler's readers (page size, where the
// drawing lands), and the failures a caller must see as EPrinter: no printer, a printer
// that is not there, a file that cannot be written, drawing outside a job.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "DocumentReaders.h"
#include "Forms.h"
#include "Printers.h"
#include "TestSupport.h"

namespace {

struct PdfJob {
  testsupport::TempDir dir;
  TPrinter printer;
  PdfJob() {
    Application->Initialize();
    printer.SetOutputFileName("job.pdf");
    printer.SetTitle("Kestal test page");
  }
};

}  // namespace

TEST(Printer, APdfJobHoldsTheDrawingWhereTheMappingPutsIt) {
  PdfJob job;
  job.printer.BeginDoc();
  ASSERT_TRUE(job.printer.Printing());
  TCanvas* c = job.printer.Canvas();
  const int dpi = c->PixelsPerInchX();
  EXPECT_EQ(dpi, job.printer.PixelsPerInchX());
  // One inch down and right, a box 96 logical units (one inch at scale 1) square, drawn at
  // half a device inch per logical inch: half an inch on paper.
  c->SetMapping(TCanvasMapping{TPoint{dpi, dpi}, TSize{96, 96}, TSize{dpi / 2, dpi / 2}});
  c->Brush()->SetColor(clBlack);
  c->FillRect(TRect{0, 0, 96, 96});
  const int physW = job.printer.PhysicalWidth(), physH = job.printer.PhysicalHeight();
  const int offX = job.printer.PhysicalOffsetX(), offY = job.printer.PhysicalOffsetY();
  job.printer.EndDoc();
  EXPECT_FALSE(job.printer.Printing());

  const auto info = testsupport::ReadPdfInfo(job.dir.path() / "job.pdf");
  EXPECT_EQ(info.pages, 1);
  EXPECT_EQ(info.title, "Kestal test page");
  EXPECT_NEAR(info.widthPt, physW * 72.0 / dpi, 1);
  EXPECT_NEAR(info.heightPt, physH * 72.0 / dpi, 1);

  const int r = 72;  // rendering resolution: device unit u lands at u * r / dpi
  const auto page = testsupport::RenderPdfPage(job.dir.path() / "job.pdf", r);
  ASSERT_GT(page.width, 0);
  const auto box = page.darkBox();
  EXPECT_NEAR(box.left, (offX + dpi) * r / double(dpi), 1.5);
  EXPECT_NEAR(box.top, (offY + dpi) * r / double(dpi), 1.5);
  EXPECT_NEAR(box.right - box.left + 1, r / 2.0, 1.5);
  EXPECT_NEAR(box.bottom - box.top + 1, r / 2.0, 1.5);
  // Nothing but the finished file is left in the folder.
  int files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(job.dir.path()))
    ++files;
  EXPECT_EQ(files, 1);
}

TEST(Printer, FailuresAreReportedAndLeaveNoJobOpen) {
  PdfJob job;
  EXPECT_THROW(job.printer.Canvas(), EPrinter);
  EXPECT_THROW(job.printer.EndDoc(), EPrinter);

  job.printer.SetOutputFileName("no-such-folder/job.pdf");
  EXPECT_THROW(job.printer.BeginDoc(), EPrinter);
  EXPECT_FALSE(job.printer.Printing());

  job.printer.SetOutputFileName("");
  job.printer.SetPrinterName("kestal-no-such-printer");
  try {
    job.printer.BeginDoc();
    ADD_FAILURE() << "a missing printer started a job";
  } catch (const EPrinter& e) {
    EXPECT_EQ(e.Message, "The printer \"kestal-no-such-printer\" is not available");
  }
  EXPECT_FALSE(job.printer.Printing());

  // A dropped job leaves neither the file nor its temporary behind.
  job.printer.SetPrinterName("");
  job.printer.SetOutputFileName("dropped.pdf");
  job.printer.BeginDoc();
  EXPECT_THROW(job.printer.BeginDoc(), EPrinter) << "one job at a time";
  job.printer.Abort();
  EXPECT_FALSE(job.printer.Printing());
  EXPECT_TRUE(std::filesystem::is_empty(job.dir.path()));
}

TEST(Printer, WithoutAnyPrinterTheErrorSaysSo) {
  if (!AvailablePrinterNames().empty()) GTEST_SKIP() << "this machine has a printer";
  PdfJob job;
  job.printer.SetOutputFileName("");
  try {
    job.printer.BeginDoc();
    ADD_FAILURE() << "a job started without a printer";
  } catch (const EPrinter& e) {
    EXPECT_EQ(e.Message, "No printer is available");
  }
  EXPECT_FALSE(job.printer.Printing());
  EXPECT_GT(job.printer.PixelsPerInchX(), 0) << "the page metrics stay readable";
}
