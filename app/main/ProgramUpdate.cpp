#include "ProgramUpdate.h"

#include <fstream>
#include <iterator>

#include "Desktop.h"
#include "Dialogs.h"
#include "Forms.h"
#include "HTTPClient.h"
#include "NetConfig.h"
#include "SysUtils.h"

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

  Application->ProcessMessages();
  FetchIntoReleaseFile(Client);
  Application->ProcessMessages();
  try {
    FetchIntoReleaseFile(Client);
  } catch (const ESocketError&) {
    ShowMessage(Texts::SecondRequestFailed);
  }

  std::ifstream in(ReleaseFile, std::ios::binary);
  if (!in) {
    ShowMessage(Texts::CannotOpen);
    return;
  }
  const String page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  const std::size_t p = FindVersionText(page);
  if (p == String::npos) return;
  if (VersionTextAt(page, p) == ThisVersion)
    ShowMessage(Texts::Latest);
  else
    ShowMessage(Texts::Newer + NetConfig().VersionURL + DownloadsPath + " ");
  DeleteFile(ReleaseFile);
}

void OpenManual() {
  if (OpenDocument(ManualFile)) return;
  ShowMessage((FileExists(ManualFile) ? Texts::ManualNoViewer : Texts::ManualMissing) +
              ExpandFileName(ManualFile));
}

}  // namespace ProgramUpdate
