// The printer: jobs into a PDF file checked with poppler's readers (page size, where the
// drawing lands), and the failures a caller must see as EPrinter: no printer, a printer
// that is not there, a file that cannot be written (whole), drawing outside a job, and a
// print service (a private one started here) that refuses, loses or aborts a job or does not
// answer, where a job reported as failed must never print later, and one that stops answering
// once it has taken the job, which is told as such (the page may have printed).
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "DocumentReaders.h"
#include "Forms.h"
#include "PrintService.h"
#include "Printers.h"
#include "TestSupport.h"

namespace {

// The disk of a folder fills up: while the object lives, the files in Folder take only Room
// more bytes between them; a write past that writes what still fits, and a write with no room
// left fails with ENOSPC, as on a full disk. Files elsewhere (the printer's job in memory
// among them) are written as ever. This program's write() below asks it first.
class FullDisk {
public:
  FullDisk(const std::filesystem::path& Folder, unsigned long long Room)
      : FFolder(std::filesystem::canonical(Folder).string() + "/"), FRoom(Room) {
    Current = this;
  }
  ~FullDisk() { Current = nullptr; }
  FullDisk(const FullDisk&) = delete;
  FullDisk& operator=(const FullDisk&) = delete;

  // How many of Size bytes written to Fd fit (Size when Fd is not a file in the folder).
  size_t Fits(int Fd, size_t Size) {
    struct stat st;
    if (fstat(Fd, &st) != 0 || !S_ISREG(st.st_mode)) return Size;
    char path[4096];
    const ssize_t n = readlink(("/proc/self/fd/" + std::to_string(Fd)).c_str(), path,
                               sizeof path - 1);
    if (n <= 0 || std::string(path, static_cast<size_t>(n)).rfind(FFolder, 0) != 0) return Size;
    const size_t fits = static_cast<size_t>(std::min<unsigned long long>(Size, FRoom));
    FRoom -= fits;
    return fits;
  }

  static inline std::atomic<FullDisk*> Current{nullptr};

private:
  std::string FFolder;
  unsigned long long FRoom;
};

}  // namespace

// The C library's write, but for files on a full disk (FullDisk). Calls from the program's
// libraries come here too, as this program's definition comes first.
extern "C" ssize_t write(int Fd, const void* Data, size_t Size) {
  using Write = ssize_t (*)(int, const void*, size_t);
  static const Write next = reinterpret_cast<Write>(dlsym(RTLD_NEXT, "write"));
  if (FullDisk* full = FullDisk::Current.load(); full != nullptr && Size > 0) {
    const size_t fits = full->Fits(Fd, Size);
    if (fits == 0) {
      errno = ENOSPC;
      return -1;
    }
    Size = fits;
  }
  return next(Fd, Data, Size);
}

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

// A job opened with one page holding a black box and a line of text.
void DrawOnePage(TPrinter& P) {
  P.BeginDoc();
  TCanvas* c = P.Canvas();
  c->Brush()->SetColor(clBlack);
  c->FillRect(TRect{100, 100, 1000, 1000});
  c->TextOut(100, 1200, "Sun noise, 1420 MHz");
}

void PrintOnePage(TPrinter& P) {
  DrawOnePage(P);
  P.EndDoc();
}

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

TEST(Printer, APdfFileThatCannotBeWrittenWholeKeepsTheOldOne) {
  PdfJob job;
  PrintOnePage(job.printer);
  const std::uintmax_t whole = std::filesystem::file_size(job.dir.path() / "job.pdf");
  ASSERT_GT(whole, 1000u);
  job.printer.SetOutputFileName("keep.pdf");
  // The disk is full from the start, fills in the middle of the document, or just before its
  // end (the job itself is drawn in memory, which a full disk does not stop: the file's
  // writer meets the full disk).
  for (const unsigned long long room : {0ULL, whole / 2ULL, whole - 10ULL}) {
    SCOPED_TRACE(room);
    job.dir.write("keep.pdf", "old");
    {
      FullDisk full(job.dir.path(), room);
      try {
        PrintOnePage(job.printer);
        ADD_FAILURE() << "a page that could not be written was reported as printed";
      } catch (const EPrinter& e) {
        EXPECT_EQ(e.Message, "Cannot write the file \"keep.pdf\"");
      }
    }
    EXPECT_FALSE(job.printer.Printing());
    EXPECT_EQ(job.dir.read("keep.pdf"), "old");
  }
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(job.dir.path()))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"job.pdf", "keep.pdf"})) << "no temporary left";
}

TEST(Printer, PdfFileNamesUpToTheLimitAreWritten) {
  PdfJob job;
  for (const size_t length : {size_t(7), size_t(244), size_t(255)}) {
    const std::string name = std::string(length - 4, 'p') + ".pdf";
    job.printer.SetOutputFileName(name);
    PrintOnePage(job.printer);
    EXPECT_EQ(testsupport::ReadPdfInfo(job.dir.path() / name).pages, 1) << length;
  }
}

// ---- a print service of our own ----------------------------------------------------------
namespace {

// A service that cannot start fails each test with the reason (a suite whose set-up fails
// would only be skipped, and a gap in the printing tests would go unseen).
class PrintService : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    try {
      Service = std::make_unique<printtest::TPrintService>();
    } catch (const std::exception& e) {
      Failure = e.what();
    }
  }
  static void TearDownTestSuite() { Service.reset(); }
  void SetUp() override {
    ASSERT_TRUE(Service) << "the print service did not start: " << Failure;
    Application->Initialize();
  }

public:
  static inline std::unique_ptr<printtest::TPrintService> Service;
  static inline std::string Failure;
};

const std::string kQueue = printtest::TPrintService::kQueue;

// The titles of the documents the service has printed so far.
std::vector<std::string> PrintedTitles() {
  std::vector<std::string> titles;
  for (const auto& f : PrintService::Service->Printed())
    titles.push_back(testsupport::ReadPdfInfo(f).title);
  return titles;
}

// Prints a page called Title and waits (at most 60 s) until the service has printed it: the
// jobs the service took before it have been printed then too.
void PrintAndWait(const std::string& Title) {
  TPrinter printer;
  printer.SetTitle(Title);
  PrintOnePage(printer);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    const auto titles = PrintedTitles();
    if (std::find(titles.begin(), titles.end(), Title) != titles.end()) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ADD_FAILURE() << "\"" << Title << "\" was not printed\n" << PrintService::Service->Log();
}

}  // namespace

TEST_F(PrintService, AJobGoesToTheDefaultQueue) {
  const std::vector<String> names = AvailablePrinterNames();
  EXPECT_EQ(names, std::vector<String>{kQueue});
  TPrinter printer;
  printer.SetTitle("Kestal test page");
  const size_t before = Service->Printed().size();
  PrintOnePage(printer);
  EXPECT_FALSE(printer.Printing());
  ASSERT_TRUE(Service->WaitForPrinted(before + 1)) << Service->Log();
  EXPECT_EQ(testsupport::ReadPdfInfo(Service->Printed().front()).pages, 1);
  printer.SetPrinterName(kQueue);
  PrintOnePage(printer);
  EXPECT_TRUE(Service->WaitForPrinted(before + 2)) << Service->Log();
}

TEST_F(PrintService, JobsTheServiceRefusesOrLosesAreReported) {
  const String refused = "The printer \"" + kQueue + "\" did not take the job";
  // Once the service has taken the job, a silence is no failure: the page may have printed.
  const String silent = "The print service stopped answering; the page may have been printed";
  using Silence = printtest::TPrintService::TSilence;
  const auto SilenceAt = [](Silence When) { return [=] { Service->SilenceAt(When); }; };
  const auto Speak = [] {
    Service->SilenceAt(Silence::None);
    Service->Resume();
  };
  const auto Admin = [](const char* Program, const std::string& Args) {
    return [=] { ASSERT_TRUE(Service->Admin(Program, Args)); };
  };
  const auto Nothing = [] {};
  struct Case {
    const char* what;
    std::function<void()> before, during, after;
    String message;
    int printed = 0;  // the job's pages the service prints in the end (never a second one)
    // Every wait for the service ends after 3 s; a silence once the service has taken the job
    // also waits for the job's cancel (1 s).
    std::chrono::milliseconds limit{3500};
  };
  const Case cases[] = {
      {"a queue that refuses jobs", Admin("cupsreject", kQueue), Nothing,
       Admin("cupsaccept", kQueue), refused},
      {"a queue that refuses jobs from the middle of the job", Nothing,
       Admin("cupsreject", kQueue), Admin("cupsaccept", kQueue), refused},
      {"a queue removed during the job", Nothing, [] { Service->RemoveQueue(); },
       [] {
         Service->AddQueue();
         ASSERT_TRUE(Service->Admin("lpadmin", "-d " + kQueue));
       },
       refused},
      {"a service that stops answering during the job", Nothing, [] { Service->Pause(); },
       [] { Service->Resume(); }, "The print service does not answer"},
      {"a service stopped during the job", Nothing, [] { Service->Stop(); },
       [] {
         Service.reset();
         Service = std::make_unique<printtest::TPrintService>();
       },
       refused},
      {"a device that fails the job a moment after the queue took it",
       [] { Service->FailJobs(true); }, Nothing, [] { Service->FailJobs(false); },
       refused + ": the job was aborted"},
      {"a service that stops answering once it has printed the job",
       SilenceAt(Silence::AfterPrinting), Nothing, Speak, silent, 1,
       std::chrono::milliseconds(5500)},
      {"a service that stops answering after it took the job, before printing it",
       SilenceAt(Silence::BeforePrinting), Nothing, Speak, silent, 0,
       std::chrono::milliseconds(5500)},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    k.before();
    TPrinter printer;
    printer.SetTitle(k.what);
    DrawOnePage(printer);
    k.during();
    const auto t0 = std::chrono::steady_clock::now();
    try {
      printer.EndDoc();
      ADD_FAILURE() << "reported as printed";
    } catch (const EPrinter& e) {
      EXPECT_EQ(e.Message.substr(0, k.message.size()), k.message) << e.Message;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - t0, k.limit);
    EXPECT_FALSE(printer.Printing());
    k.after();
    // A job reported as not printed never prints, not even once the service goes on.
    PrintAndWait(std::string("after ") + k.what);
    const auto titles = PrintedTitles();
    EXPECT_EQ(std::count(titles.begin(), titles.end(), k.what), k.printed) << "printed after all";
  }
}

// A service that takes the connection and never answers: every request gives up after a few
// seconds, and the page metrics do not ask again for each figure.
TEST_F(PrintService, AServiceThatDoesNotAnswerIsGivenUp) {
  printtest::TSilentService silent;
  struct Case {
    const char* what;
    std::function<std::unique_ptr<printtest::TScopedEnv>()> start;
    std::function<void()> end;
    std::function<int()> connections;  // made so far, where they can be counted
  };
  const Case cases[] = {
      {"a socket that never answers",
       [&] { return std::make_unique<printtest::TScopedEnv>("CUPS_SERVER", silent.Server()); },
       [] {}, [&] { return silent.Connections(); }},
      {"a stopped scheduler",
       [] {
         Service->Pause();
         return std::unique_ptr<printtest::TScopedEnv>();
       },
       [] { Service->Resume(); }, {}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    const auto server = k.start();
    const int before = k.connections ? k.connections() : 0;
    TPrinter printer;
    const auto t0 = std::chrono::steady_clock::now();
    try {
      printer.BeginDoc();
      ADD_FAILURE() << "a job started";
    } catch (const EPrinter& e) {
      EXPECT_EQ(e.Message, "The print service does not answer");
    }
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(3500))
        << "given up after 3 s";
    EXPECT_FALSE(printer.Printing());
    // The page metrics use that answer; a PDF page stands in for the printer's.
    const int figures[] = {printer.PixelsPerInchX(), printer.PixelsPerInchY(),
                           printer.PageWidth(),      printer.PageHeight(),
                           printer.PhysicalWidth(),  printer.PhysicalHeight()};
    for (const int f : figures) EXPECT_GT(f, 0);
    EXPECT_GE(printer.PhysicalOffsetX(), 0);
    EXPECT_GE(printer.PhysicalOffsetY(), 0);
    if (k.connections) {
      // A fresh printer asks once for all its figures; the list of printers is one request.
      TPrinter fresh;
      EXPECT_EQ(fresh.PhysicalWidth(), printer.PhysicalWidth());
      EXPECT_EQ(fresh.PixelsPerInchX(), printer.PixelsPerInchX());
      EXPECT_EQ(fresh.PageHeight(), printer.PageHeight());
      EXPECT_TRUE(AvailablePrinterNames().empty());
      EXPECT_EQ(k.connections() - before, 3) << "one per job, printer, list";
    }
    // At most three requests of a few seconds each (the service used to be waited for for
    // minutes).
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(30));
    k.end();
  }
}
