// The printer. Qt's PDF writer draws every job into a file in memory; EndDoc checks that the
// document was written whole, then either writes it over the PDF destination through
// WriteFileReplacing (so a failed or dropped job never leaves a truncated file behind and the
// old file stays) or hands it to the print service (CUPS) and follows the job's state until
// the service has taken or refused it. The print service's library (libcups) is opened at the
// first request, so a program that never prints does not load it. Every request to the
// service ends within kServiceTimeoutMs of its start; the service is asked for its printers
// once per job (at BeginDoc), and outside a job the page metrics come from the last answer.

#include "Printers.h"

#include <cups/cups.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <optional>

#include "CanvasDevice.h"
#include "ControlsQt.h"
#include "SysUtils.h"

namespace {

constexpr int kServiceTimeoutMs = 3000;
// A job that has to be cancelled after the service stopped answering: the request only has to
// reach the service, which acts on it when it goes on; its answer is waited for this long.
constexpr int kCancelTimeoutMs = 1000;
// How often a wait looks at its deadline, and how often a job's state is asked.
constexpr int kWaitSliceMs = 50;
const char* const kNoAnswer = "The print service does not answer";
// A silence once the service has taken a job: the job may have printed, so this is no failure.
const char* const kStoppedAnswering =
    "The print service stopped answering; the page may have been printed";
const char* const kNoPrinter = "No printer is available";

// The functions of libcups the printer uses.
struct TCupsApi {
  decltype(&httpConnect2) Connect;
  decltype(&httpClose) Close;
  decltype(&httpSetTimeout) SetTimeout;
  decltype(&httpAssembleURIf) AssembleURI;
  decltype(&cupsSetServer) SetServer;
  decltype(&cupsServer) Server;
  decltype(&ippPort) Port;
  decltype(&cupsEncryption) Encryption;
  decltype(&cupsUser) User;
  decltype(&ippAddStrings) AddStrings;
  decltype(&ippFirstAttribute) FirstAttribute;
  decltype(&ippNextAttribute) NextAttribute;
  decltype(&ippGetName) GetName;
  decltype(&ippGetGroupTag) GetGroupTag;
  decltype(&ippGetString) GetString;
  decltype(&cupsDoIORequest) DoIORequest;
  decltype(&cupsLastErrorString) LastErrorString;
  decltype(&ippNewRequest) NewRequest;
  decltype(&ippAddString) AddString;
  decltype(&ippAddInteger) AddInteger;
  decltype(&ippAddBoolean) AddBoolean;
  decltype(&ippFindAttribute) FindAttribute;
  decltype(&ippGetInteger) GetInteger;
  decltype(&ippGetStatusCode) StatusCode;
  decltype(&ippDelete) Delete;
};

template <class F>
bool Bind(void* Library, const char* Symbol, F& Slot) {
  void* p = dlsym(Library, Symbol);
  Slot = reinterpret_cast<F>(p);
  return p != nullptr;
}

// The library, opened once; null when the machine has none (then there is no print service).
const TCupsApi* Cups() {
  static const std::optional<TCupsApi> api = []() -> std::optional<TCupsApi> {
    void* lib = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
    if (lib == nullptr) return std::nullopt;
    TCupsApi a;
    const bool all =
        Bind(lib, "httpConnect2", a.Connect) && Bind(lib, "httpClose", a.Close) &&
        Bind(lib, "httpSetTimeout", a.SetTimeout) &&
        Bind(lib, "httpAssembleURIf", a.AssembleURI) && Bind(lib, "cupsSetServer", a.SetServer) &&
        Bind(lib, "cupsServer", a.Server) && Bind(lib, "ippPort", a.Port) &&
        Bind(lib, "cupsEncryption", a.Encryption) && Bind(lib, "cupsUser", a.User) &&
        Bind(lib, "ippAddStrings", a.AddStrings) &&
        Bind(lib, "ippFirstAttribute", a.FirstAttribute) &&
        Bind(lib, "ippNextAttribute", a.NextAttribute) && Bind(lib, "ippGetName", a.GetName) &&
        Bind(lib, "ippGetGroupTag", a.GetGroupTag) && Bind(lib, "ippGetString", a.GetString) &&
        Bind(lib, "cupsDoIORequest", a.DoIORequest) &&
        Bind(lib, "cupsLastErrorString", a.LastErrorString) &&
        Bind(lib, "ippNewRequest", a.NewRequest) && Bind(lib, "ippAddString", a.AddString) &&
        Bind(lib, "ippAddInteger", a.AddInteger) && Bind(lib, "ippAddBoolean", a.AddBoolean) &&
        Bind(lib, "ippFindAttribute", a.FindAttribute) &&
        Bind(lib, "ippGetInteger", a.GetInteger) && Bind(lib, "ippGetStatusCode", a.StatusCode) &&
        Bind(lib, "ippDelete", a.Delete);
    if (!all) {
      dlclose(lib);
      return std::nullopt;
    }
    return a;
  }();
  return api ? &*api : nullptr;
}

// One connection to the print service the environment names now (CUPS_SERVER, else the
// system's configuration). Connecting ends after kServiceTimeoutMs, and each request (Ask)
// within its time limit of its start, whatever the library's own waits (it waits up to a
// second for the service to say it will read a request before sending the rest): the
// library's waits are cut into slices, and GiveUp ends the first slice past the deadline.
class TServiceConnection {
public:
  TServiceConnection() : FApi(Cups()) {
    if (FApi == nullptr) return;
    FApi->SetServer(nullptr);  // read the environment anew
    int cancel = 0;
    errno = 0;
    FHttp = FApi->Connect(FApi->Server(), FApi->Port(), nullptr, AF_UNSPEC, FApi->Encryption(), 1,
                          kServiceTimeoutMs, &cancel);
    if (FHttp == nullptr) {
      FTimedOut = errno == ETIMEDOUT;
      return;
    }
    FApi->SetTimeout(FHttp, kWaitSliceMs / 1000.0, &TServiceConnection::GiveUp, this);
  }
  ~TServiceConnection() {
    if (FHttp != nullptr) FApi->Close(FHttp);
  }
  TServiceConnection(const TServiceConnection&) = delete;
  TServiceConnection& operator=(const TServiceConnection&) = delete;

  const TCupsApi* Api() const { return FApi; }
  http_t* Http() const { return FHttp; }
  // A wait for the service ran out of time (the request was abandoned).
  bool TimedOut() const { return FTimedOut; }

  // Sends Request (freed here) to Resource, with the file Fd as its document when not -1,
  // and waits at most LimitMs from now for the answer: the answer (the caller frees it), or
  // null when there is none (TimedOut tells whether the time ran out).
  ipp_t* Request(ipp_t* Request, const char* Resource, int Fd,
                 int LimitMs = kServiceTimeoutMs) {
    FDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(LimitMs);
    ipp_t* response = FApi->DoIORequest(FHttp, Request, Resource, Fd, -1);
    if (FTimedOut && response != nullptr) {
      FApi->Delete(response);
      response = nullptr;
    }
    return response;
  }

private:
  static int GiveUp(http_t*, void* Self) {
    auto* c = static_cast<TServiceConnection*>(Self);
    if (std::chrono::steady_clock::now() < c->FDeadline) return 1;  // wait another slice
    c->FTimedOut = true;
    return 0;
  }
  const TCupsApi* FApi;
  http_t* FHttp = nullptr;
  bool FTimedOut = false;
  std::chrono::steady_clock::time_point FDeadline;
};

// The page a PWG media name describes ("iso_a4_210x297mm", "na_letter_8.5x11in"); an invalid
// size for other names.
QPageSize PageOfMedia(const String& Media) {
  const size_t last = Media.rfind('_');
  const String dims = last == String::npos ? String() : Media.substr(last + 1);
  const size_t x = dims.find('x');
  if (x == String::npos || dims.size() < x + 3) return QPageSize();
  const bool mm = dims.ends_with("mm"), in = dims.ends_with("in");
  if (!mm && !in) return QPageSize();
  char* end = nullptr;
  const double w = std::strtod(dims.substr(0, x).c_str(), &end);
  const String h = dims.substr(x + 1, dims.size() - x - 3);
  char* hend = nullptr;
  const double hv = std::strtod(h.c_str(), &hend);
  if (!(w > 0 && w < 10000 && hv > 0 && hv < 10000) || *hend != '\0') return QPageSize();
  return QPageSize(QSizeF(w, hv), mm ? QPageSize::Millimeter : QPageSize::Inch);
}

// What the print service says about its printers.
struct TServiceAnswer {
  bool NoAnswer = false;  // the service is there but did not answer in time
  std::vector<String> Names;
  String Default;                   // empty when no printer is the default
  std::vector<QPageSize> Media;     // each printer's default paper (invalid when unknown)
};

// One request for the service's printers: their names, which one is the default (the
// user's choice in LPDEST or PRINTER first, as the system's print commands have it) and their
// default paper.
TServiceAnswer AskPrinters() {
  TServiceAnswer answer;
  TServiceConnection c;
  if (c.Http() == nullptr) {
    answer.NoAnswer = c.TimedOut();
    return answer;
  }
  const TCupsApi& api = *c.Api();
  ipp_t* request = api.NewRequest(IPP_OP_CUPS_GET_PRINTERS);
  static const char* const kWanted[] = {"printer-name", "printer-type", "media-default"};
  api.AddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr,
                 kWanted);
  api.AddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                api.User());
  ipp_t* response = c.Request(request, "/", -1);
  if (c.TimedOut()) {
    answer.NoAnswer = true;
    return answer;
  }
  if (response == nullptr) return answer;
  String name, media;
  int type = 0;
  const auto Take = [&] {
    if (!name.empty()) {
      answer.Names.push_back(name);
      answer.Media.push_back(PageOfMedia(media));
      if ((type & CUPS_PRINTER_DEFAULT) != 0) answer.Default = name;
    }
    name.clear();
    media.clear();
    type = 0;
  };
  for (ipp_attribute_t* a = api.FirstAttribute(response); a != nullptr;
       a = api.NextAttribute(response)) {
    const char* n = api.GetName(a);
    if (api.GetGroupTag(a) != IPP_TAG_PRINTER || n == nullptr) {
      Take();  // the separator between two printers
      continue;
    }
    const String attribute = n;
    const char* text = api.GetString(a, 0, nullptr);
    if (attribute == "printer-name" && text != nullptr) name = text;
    if (attribute == "media-default" && text != nullptr) media = text;
    if (attribute == "printer-type") type = api.GetInteger(a, 0);
  }
  Take();
  api.Delete(response);
  for (const char* variable : {"LPDEST", "PRINTER"}) {
    const char* v = std::getenv(variable);
    if (v == nullptr || *v == '\0' || String(v) == "lp") continue;
    const String chosen = String(v).substr(0, String(v).find('/'));
    if (std::find(answer.Names.begin(), answer.Names.end(), chosen) != answer.Names.end())
      answer.Default = chosen;
    break;
  }
  return answer;
}

// The printer a job goes to (Name, or the default printer, or the first one) and its paper;
// EPrinter when there is none or the service does not answer.
struct TChosenPrinter {
  String Name;
  QPageSize Page;
};
TChosenPrinter ChoosePrinter(const TServiceAnswer& Answer, const String& Name) {
  if (Answer.NoAnswer) throw EPrinter(kNoAnswer);
  const auto At = [&](size_t i) { return TChosenPrinter{Answer.Names[i], Answer.Media[i]}; };
  const auto Find = [&](const String& N) {
    return static_cast<size_t>(std::find(Answer.Names.begin(), Answer.Names.end(), N) -
                               Answer.Names.begin());
  };
  if (!Name.empty()) {
    if (Find(Name) == Answer.Names.size())
      throw EPrinter("The printer \"" + Name + "\" is not available");
    return At(Find(Name));
  }
  if (!Answer.Default.empty() && Find(Answer.Default) < Answer.Names.size())
    return At(Find(Answer.Default));
  if (Answer.Names.empty()) throw EPrinter(kNoPrinter);
  return At(0);
}

// A request to the service; its answer (owned by the caller, freed with Delete) or EPrinter
// saying why there is none: kNoAnswer when the time ran out, else Refused with the service's
// reason. With Silence, no answer at all (the time ran out or the service went away) raises
// Silence instead. The request is freed.
ipp_t* Ask(TServiceConnection& C, ipp_t* Request, const char* Resource, int DocumentFd,
           const String& Refused, const char* Silence = nullptr) {
  ipp_t* response = C.Request(Request, Resource, DocumentFd);
  if (Silence != nullptr && response == nullptr) throw EPrinter(Silence);
  if (C.TimedOut()) throw EPrinter(kNoAnswer);
  if (response == nullptr || C.Api()->StatusCode(response) > IPP_STATUS_OK_CONFLICTING) {
    const String why = C.Api()->LastErrorString();
    if (response != nullptr) C.Api()->Delete(response);
    throw EPrinter(Refused + (why.empty() ? String() : ": " + why));
  }
  return response;
}

// A request of Op about the printer Name (its address and the requesting user filled in).
ipp_t* NewPrinterRequest(const TCupsApi& Api, ipp_op_t Op, const String& Name) {
  char uri[HTTP_MAX_URI];
  Api.AssembleURI(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", Api.Port(),
                  "/printers/%s", Name.c_str());
  ipp_t* r = Api.NewRequest(Op);
  Api.AddString(r, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  Api.AddString(r, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, Api.User());
  return r;
}

ipp_t* NewJobRequest(const TCupsApi& Api, ipp_op_t Op, const String& Name, int JobId) {
  ipp_t* r = NewPrinterRequest(Api, Op, Name);
  Api.AddInteger(r, IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", JobId);
  return r;
}

// Cancels the job JobId on the printer Name, as far as the service lets it (a job that has
// ended stays as it ended). A service that does not answer acts on the request when it goes
// on; it is not waited for longer than kCancelTimeoutMs.
void CancelJob(const String& Name, int JobId) {
  TServiceConnection c;
  if (c.Http() == nullptr) return;
  ipp_t* answer =
      c.Request(NewJobRequest(*c.Api(), IPP_OP_CANCEL_JOB, Name, JobId), "/jobs/", -1,
                kCancelTimeoutMs);
  if (answer != nullptr) c.Api()->Delete(answer);
}

// Hands the PDF document in Fd to the printer Name as one job called Title, then follows the
// job's state until the service has taken or refused it: EPrinter when the service refuses
// the job, does not answer, or cancels or aborts it, and kStoppedAnswering when it stops
// answering (or goes away) while the released job is followed: the page may have been printed
// then, and a user told it failed would print a second copy.
//
// The job is made without a document, held, given its document, and only then released; when
// the service does not answer a step after the job was made, the job is cancelled. So a
// request the service acts on only after it was given up prints nothing: a job made then has
// no document (the service drops a job whose document does not follow), and a held job stays
// held until the cancel, sent after the request, ends it. The released job is followed until
// the printer has printed it or the job has ended otherwise, for kServiceTimeoutMs at most: a
// job still waiting or printing then is in the service's hands. A job whose service stops
// answering while it is followed is cancelled too, so that it does not print later (what has
// printed has).
void SubmitJob(const String& Name, const String& Title, int Fd) {
  const String refused = "The printer \"" + Name + "\" did not take the job";
  TServiceConnection c;
  if (c.Http() == nullptr) {
    if (c.TimedOut()) throw EPrinter(kNoAnswer);
    throw EPrinter(refused + ": the print service is not running");
  }
  const TCupsApi& api = *c.Api();
  const String resource = "/printers/" + Name;
  ipp_t* create = NewPrinterRequest(api, IPP_OP_CREATE_JOB, Name);
  api.AddString(create, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, Title.c_str());
  ipp_t* answer = Ask(c, create, resource.c_str(), -1, refused);
  ipp_attribute_t* id = api.FindAttribute(answer, "job-id", IPP_TAG_INTEGER);
  const int jobId = id != nullptr ? api.GetInteger(id, 0) : 0;
  api.Delete(answer);
  if (jobId <= 0) throw EPrinter(refused);

  try {
    api.Delete(Ask(c, NewJobRequest(api, IPP_OP_HOLD_JOB, Name, jobId), "/jobs/", -1, refused));
    ipp_t* send = NewJobRequest(api, IPP_OP_SEND_DOCUMENT, Name, jobId);
    api.AddString(send, IPP_TAG_OPERATION, IPP_TAG_MIMETYPE, "document-format", nullptr,
                  "application/pdf");
    api.AddBoolean(send, IPP_TAG_OPERATION, "last-document", 1);
    if (::lseek(Fd, 0, SEEK_SET) != 0) {
      api.Delete(send);
      throw EPrinter(refused);
    }
    api.Delete(Ask(c, send, resource.c_str(), Fd, refused));
    api.Delete(Ask(c, NewJobRequest(api, IPP_OP_RELEASE_JOB, Name, jobId), "/jobs/", -1, refused));

    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kServiceTimeoutMs);
    while (true) {
      ipp_t* ask = NewJobRequest(api, IPP_OP_GET_JOB_ATTRIBUTES, Name, jobId);
      api.AddString(ask, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                    "job-state");
      ipp_t* state = Ask(c, ask, "/jobs/", -1, refused, kStoppedAnswering);
      ipp_attribute_t* s = api.FindAttribute(state, "job-state", IPP_TAG_ENUM);
      const int jobState = s != nullptr ? api.GetInteger(s, 0) : 0;
      api.Delete(state);
      if (jobState == IPP_JSTATE_CANCELED || jobState == IPP_JSTATE_ABORTED)
        throw EPrinter(refused + ": the job was " +
                       (jobState == IPP_JSTATE_CANCELED ? "cancelled" : "aborted"));
      if (jobState == IPP_JSTATE_COMPLETED || std::chrono::steady_clock::now() >= deadline)
        return;
      ::usleep(kWaitSliceMs * 1000);
    }
  } catch (const EPrinter&) {
    CancelJob(Name, jobId);
    throw;
  }
}

// Device units per inch of every job.
constexpr int kJobResolution = 1200;

// A PDF writer of the job's resolution on Page (the writer's own page when invalid). Qt's
// printer object is not used: making one asks the print service for its default printer,
// with no bound on the wait.
std::unique_ptr<QPdfWriter> NewPdfWriter(const QString& File, const QPageSize& Page) {
  auto p = std::make_unique<QPdfWriter>(File);
  p->setResolution(kJobResolution);
  if (Page.isValid()) p->setPageSize(Page);
  return p;
}

// The whole of a file (from its start), or false when it cannot be read.
bool ReadWhole(int Fd, String& Out) {
  Out.clear();
  if (::lseek(Fd, 0, SEEK_SET) != 0) return false;
  char buf[65536];
  while (true) {
    const ssize_t n = ::read(Fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    Out.append(buf, static_cast<size_t>(n));
  }
}

// Whether Bytes are a PDF document written to its end: Qt's writer reports no failed write,
// but a part that went missing leaves no end marker, or a cross-reference table that is not
// where the trailer says.
bool CompletePdf(const String& Bytes) {
  if (Bytes.rfind("%PDF-", 0) != 0) return false;
  const size_t end = Bytes.find_last_not_of("\r\n");
  if (end == String::npos || end < 5 || Bytes.compare(end - 4, 5, "%%EOF") != 0) return false;
  const size_t start = Bytes.rfind("startxref");
  if (start == String::npos) return false;
  char* stop = nullptr;
  const unsigned long long at = std::strtoull(Bytes.c_str() + start + 9, &stop, 10);
  return at < start && Bytes.compare(static_cast<size_t>(at), 4, "xref") == 0;
}

}  // namespace

struct TPrinter::Impl {
  TCanvas Canvas;  // one object for the printer's life: code may compare canvases with it
  std::unique_ptr<QPdfWriter> Job;
  std::unique_ptr<QPainter> Painter;
  std::unique_ptr<TCanvasDevice> Device;
  int Document = -1;   // the open job's PDF, in memory
  String Destination;  // the printer the open job goes to ("" for a PDF file)
  // The printer name the print service was last asked about, and the paper it gave for it
  // (invalid when it gave none).
  std::optional<String> AskedFor;
  QPageSize AskedPage;

  // The printer a job for Name goes to, from a new answer of the print service (ChoosePrinter).
  // Name and the paper found are kept for the page metrics, also when it raises EPrinter.
  TChosenPrinter Choose(const String& Name) {
    AskedFor = Name;
    AskedPage = QPageSize();
    const TChosenPrinter chosen = ChoosePrinter(AskPrinters(), Name);
    AskedPage = chosen.Page;
    return chosen;
  }

  void Close() {
    SetCanvasDevice(&Canvas, nullptr);
    Device.reset();
    Painter.reset();
    Job.reset();
    if (Document >= 0) ::close(Document);
    Document = -1;
    Destination.clear();
  }
};

TPrinter::TPrinter() : d(std::make_unique<Impl>()) {}

TPrinter::~TPrinter() { d->Close(); }

void TPrinter::SetPrinterName(const String& Value) { FPrinterName = Value; }
void TPrinter::SetOutputFileName(const String& Value) { FOutputFileName = Value; }

bool TPrinter::Printing() const { return d->Painter != nullptr; }

void TPrinter::BeginDoc() {
  if (Printing()) throw EPrinter("A print job is already open");
  QPageSize page;
  String destination;
  if (!FOutputFileName.empty()) {
    // The folder must take a new file now, not only when the job ends.
    QTemporaryFile probe(QStr(ExtractFilePath(FOutputFileName)) + ".print-XXXXXX.pdf");
    if (!probe.open()) throw EPrinter("Cannot write the file \"" + FOutputFileName + "\"");
  } else {
    const TChosenPrinter chosen = d->Choose(FPrinterName);
    page = chosen.Page;
    destination = chosen.Name;
  }
  const int document = ::memfd_create("kestal-print-job", MFD_CLOEXEC);
  if (document < 0) throw EPrinter("The print job cannot be started: out of memory");
  d->Document = document;
  d->Destination = destination;
  auto job = NewPdfWriter(QStringLiteral("/proc/self/fd/") + QString::number(document), page);
  job->setTitle(QStr(FTitle));
  auto painter = std::make_unique<QPainter>();
  if (!painter->begin(job.get())) {
    d->Close();
    throw EPrinter("The print job cannot be started");
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
  try {
    const String failed = FOutputFileName.empty()
                              ? "The print job could not be finished"
                              : "Cannot write the file \"" + FOutputFileName + "\"";
    String bytes;
    if (!d->Painter->end() || !ReadWhole(d->Document, bytes) || !CompletePdf(bytes))
      throw EPrinter(failed);
    if (!FOutputFileName.empty()) {
      if (!WriteFileReplacing(FOutputFileName, bytes)) throw EPrinter(failed);
    } else {
      SubmitJob(d->Destination, FTitle, d->Document);
    }
  } catch (...) {
    d->Close();
    throw;
  }
  d->Close();
}

void TPrinter::Abort() {
  if (!Printing()) return;
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
TPageGeometry Geometry(const QPdfWriter& p) {
  const int dpi = p.resolution();
  return {dpi, p.pageLayout().paintRectPixels(dpi), p.pageLayout().fullRectPixels(dpi)};
}
// The destination's page as a job would have it: the open job, the chosen printer's paper as
// the print service last said (asked here only when it was not asked for this printer yet),
// or a PDF page when printing to a file or when there is no printer.
TPageGeometry DestinationGeometry(TPrinter::Impl& d, const String& Name, const String& File) {
  if (d.Job) return Geometry(*d.Job);
  if (!File.empty()) return Geometry(*NewPdfWriter(QString(), QPageSize()));
  if (d.AskedFor != Name) {
    try {
      d.Choose(Name);
    } catch (const EPrinter&) {}
  }
  return Geometry(*NewPdfWriter(QString(), d.AskedPage));
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

std::vector<String> AvailablePrinterNames() { return AskPrinters().Names; }
