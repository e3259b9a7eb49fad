#include "ProgramUpdate.h"

#include <vector>

#include "Desktop.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "HTTPClient.h"
#include "NetConfig.h"
#include "SysUtils.h"
#include "Unit1Config.h"

namespace ProgramUpdate {

namespace {

constexpr const char* Accept = "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
constexpr const char* UserAgent =
    "Mozilla/5.0 (Windows NT 6.1; WOW64; rv:12.0) Gecko/20100101 Firefox/12.0'";

// Fetches the version page and makes it the content of Release.txt. The reply is complete
// before the file changes, so a failed request leaves what an earlier one stored.
void FetchIntoReleaseFile(THTTPClient& Client) {
  const String body = Client.Get(NetConfig().VersionURL + VersionPagePath);
  if (!WriteFileReplacing(ReleaseFile, body))
    throw EInOutError(String("Cannot write ") + ReleaseFile);
}

}  // namespace

std::size_t FindVersionText(const String& Page) {
  const std::size_t end = std::min(Page.size(), ScanLimit);
  for (std::size_t p = ScanStart; p < end && p + VersionTextLength - 1 < Page.size(); ++p)
    if (Page[p] == 'V' && Page[p + NinePosition] == '9') return p;
  return String::npos;
}

String VersionTextAt(const String& Page, std::size_t Offset) {
  return Trim(Page.substr(Offset, VersionTextLength));
}

void CheckForUpdate(THTTPClient& Client) {
  Client.Request.Accept = Accept;
  Client.Request.UserAgent = UserAgent;
  Client.AllowCookies = false;
  Client.MaxBytes = MaxPageBytes;

  // Release.txt holds the page only while it is read: the check leaves none behind, also when
  // a request fails on the way.
  struct TReleaseFileRemover {
    ~TReleaseFileRemover() { DeleteFile(ReleaseFile); }
  } remover;
  Application->ProcessMessages();
  FetchIntoReleaseFile(Client);
  Application->ProcessMessages();
  try {
    FetchIntoReleaseFile(Client);
  } catch (const ENetError&) {
    // A dead line, a refusal by the site or a page over the cap: the first reply is still
    // there to be read.
    ShowMessage(Texts::SecondRequestFailed);
  }

  String page, why;
  if (!ReadUserFile(ReleaseFile, page, why)) {
    ShowMessage(why.empty() ? String(Texts::CannotOpen) : why);
    return;
  }
  const std::size_t p = FindVersionText(page);
  if (p == String::npos)
    ShowMessage(Texts::NoVersionText);
  else if (VersionTextAt(page, p) == ThisVersion)
    ShowMessage(Texts::Latest);
  else
    ShowMessage(Texts::Newer + NetConfig().VersionURL + DownloadsPath + " ");
}

namespace {

void TellManualNotShown() {
  ShowMessage((FileExists(ManualFile) ? Texts::ManualNoViewer : Texts::ManualMissing) +
              ExpandFileName(ManualFile));
}

// Waits for the desktop's verdicts on the manuals handed over, looking a few times a second
// while the window goes on. One per application, found by its name.
class TManualWatch : public TTimer {
public:
  static constexpr const char* WatchName = "ManualVerdictWatch";
  explicit TManualWatch(TComponent* AOwner) : TTimer(AOwner) {
    SetEnabled(false);
    SetInterval(100);
    SetName(WatchName);
    OnTimer = [this](TObject*) { Look(); };
  }
  static TManualWatch* Of(TComponent* Owner) {
    return dynamic_cast<TManualWatch*>(Owner->FindComponent(WatchName));
  }
  void Watch(const TDocumentOpening& Opening) {
    FPending.push_back(Opening);
    SetEnabled(true);
  }
  bool Waiting() const { return !FPending.empty(); }

private:
  void Look() {
    bool failed = false;
    std::erase_if(FPending, [&](const TDocumentOpening& o) {
      const TOpenVerdict verdict = o.Verdict();
      failed = failed || verdict == TOpenVerdict::Failed;
      return verdict != TOpenVerdict::Pending;
    });
    if (FPending.empty()) SetEnabled(false);
    // The message box lets the timer run again: the verdicts told are gone from the list.
    if (failed) TellManualNotShown();
  }
  std::vector<TDocumentOpening> FPending;
};

}  // namespace

void OpenManual() {
  const TDocumentOpening opening = OpenDocument(ManualFile);
  switch (opening.Verdict()) {
    case TOpenVerdict::Opened: return;
    case TOpenVerdict::Failed: TellManualNotShown(); return;
    case TOpenVerdict::Pending: break;
  }
  TManualWatch* watch = TManualWatch::Of(Application);
  if (!watch) watch = new TManualWatch(Application);
  watch->Watch(opening);
}

bool ManualVerdictPending() {
  const TManualWatch* watch = TManualWatch::Of(Application);
  return watch && watch->Waiting();
}

}  // namespace ProgramUpdate
