#include "SunFluxDownload.h"

#include "NetConfig.h"
#include "SunFluxList.h"
#include "SysUtils.h"

String SunFluxListAddress() {
  return NetConfig().FtpHost + kSunFluxFolder + "/" + kSunFluxRemoteFile;
}

String DownloadSunFluxList(TFTPClient& Client, const String& LocalFile) {
  Client.Username = "anonymous";
  Client.Password = kAnonymousPassword;
  Client.Host = NetConfig().FtpHost;
  Client.Port = NetConfig().FtpPort;
  Client.MaxBytes = kSunFluxMaxBytes;
  String reason;
  String list;
  try {
    Client.Connect();
    Client.ChangeDir(kSunFluxFolder);
    Client.Passive = true;
    list = Client.Get(kSunFluxRemoteFile);
  } catch (const std::exception& e) {
    reason = e.what();
    if (reason.empty()) reason = "transfer failed";
  }
  try {
    Client.Disconnect();
  } catch (const std::exception&) {
    // The line is already gone; nothing is left to close.
  }
  if (!reason.empty()) return reason;
  // A transfer the server calls complete may still be cut short, empty or an error page.
  try {
    CheckReceivedSunFluxList(list);
  } catch (const ESunFluxFormat& e) {
    return String(kSunFluxRemoteFile) + " was refused and the list on file kept:\n" + e.Message;
  }
  if (!WriteFileReplacing(LocalFile, list)) return "Cannot write file \"" + LocalFile + "\"";
  return String();
}
