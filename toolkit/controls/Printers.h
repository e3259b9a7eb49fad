#pragma once
// The printer: print jobs on the system's printers (CUPS), or into a PDF file. One job at a
// time: BeginDoc opens it, the canvas draws onto its current page in device units (the
// mapping of TCanvasMapping applies), NewPage starts the next page, EndDoc prints it.
// Failures are EPrinter exceptions with a readable message; none of the calls waits for the
// user, and none waits more than a few seconds for a print service that does not answer.

#include <memory>
#include <vector>

#include "Graphics.h"

class EPrinter : public Exception {
  using Exception::Exception;
};

class TPrinter {
public:
  TPrinter();
  ~TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // The printer jobs go to; "" (the start value) means the system's default printer, or the
  // first one when none is the default.
  const String& PrinterName() const { return FPrinterName; }
  void SetPrinterName(const String& Value);
  // When not empty, jobs are written to this PDF file instead of being printed.
  const String& OutputFileName() const { return FOutputFileName; }
  void SetOutputFileName(const String& Value);
  const String& Title() const { return FTitle; }
  void SetTitle(const String& Value) { FTitle = Value; }

  // EPrinter when there is no printer ("No printer is available"), the chosen one is not
  // there, the print service does not answer ("The print service does not answer"), the
  // file cannot be written, or a job is already open. Asks the print service for its
  // printers (once per job).
  void BeginDoc();
  void NewPage();
  // Finishes the job; EPrinter when the printer or file did not take it: the file could not
  // be written whole (the old file is then kept), or the print service refused the job, lost
  // it, cancelled or aborted it while it was followed (a few seconds at most), or does not
  // answer. A job reported as failed does not print later: the service's part of it is
  // cancelled. A service that stops answering once it has taken the job is no failure: the
  // page may have been printed, and EPrinter says just that ("The print service stopped
  // answering; the page may have been printed"); the job is cancelled all the same, so that
  // it does not print later.
  void EndDoc();
  // Drops the open job (nothing when none is open).
  void Abort();
  bool Printing() const;
  // The open job's canvas; EPrinter ("Printing is not in progress") when no job is open.
  TCanvas* Canvas();

  // Device units per inch, and the page in device units: the printable area, the paper,
  // and the printable area's offset on the paper. Taken from the open job, else from the
  // destination as BeginDoc would open it, with the print service's last answer for the
  // printer (the service is asked only when it was not asked for this printer yet).
  int PixelsPerInchX() const;
  int PixelsPerInchY() const;
  int PageWidth() const;
  int PageHeight() const;
  int PhysicalWidth() const;
  int PhysicalHeight() const;
  int PhysicalOffsetX() const;
  int PhysicalOffsetY() const;

  struct Impl;

private:
  String FPrinterName, FOutputFileName, FTitle;
  std::unique_ptr<Impl> d;
};

// The toolkit's current printer.
TPrinter* Printer();
// The printers the system offers (empty without a print service).
std::vector<String> AvailablePrinterNames();
