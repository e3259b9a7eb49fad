#include "SunFluxDownload.h"

#include "NetConfig.h"

String SunFluxListAddress() {
  return NetConfig().FtpHost + kSunFluxFolder + "/" + kSunFluxRemoteFile;
}

String DownloadSunFluxList(TFTPClient& Client, const String& LocalFile) {
  Client.Username = "anonymous";
  Client.Password = kAnonymousPassword;
  Client.Host = NetConfig().FtpHost;
  Client.Port = NetConfig().FtpPort;
  String reason;
  try {
    Client.Connect();
    Client.ChangeDir(kSunFluxFolder);
    Client.Passive = true;
    Client.Get(kSunFluxRemoteFile, LocalFile, true, false);
  } catch (const std::exception& e) {
    reason = e.what();
    if (reason.empty()) reason = "transfer failed";
  }
  try {
    Client.Disconnect();
  } catch (const std::exception&) {
    // The line is already gone; nothing is left to close.
  }
  return reason;
}
