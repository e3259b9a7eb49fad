#pragma once
// FTP downloads as a component a window can hold.
//
// Connect opens the control connection and logs in; ChangeDir moves to a folder on the
// server; Get fetches a file; Disconnect says goodbye. A connection that cannot be made,
// breaks or stays silent raises ESocketError; a command the server refuses (login, folder,
// missing file) raises EFTPError; a server too slow for the minimum rate or the total time
// limit of a step raises ESocketError "the server is too slow"; a file larger than MaxBytes
// raises EReplyTooLarge. Every step has a connect timeout, a minimum rate and a time limit. As for
// THTTPClient, the transfer library is loaded by the first request, not by creating a client.
//
// Get never leaves a half-written file in place of a good one: the file is received under a
// temporary name beside the target and renamed over it only once complete.

#include <memory>

#include "NetErrors.h"

namespace netdetail {
class TCurlSession;
}

class TFTPClient : public TComponent {
public:
  explicit TFTPClient(TComponent* AOwner);
  ~TFTPClient() override;  // disconnects
  String ClassName() const override { return "TFTPClient"; }

  String Host;
  int Port = 21;
  String Username = "anonymous";
  String Password;
  // Passive mode: the client opens the data connection, which is what works behind routers.
  bool Passive = true;
  // Milliseconds: connection with greeting and login; the longest wait for the server's next
  // reply, and the window in which at least MinimumRate bytes a second of a file must arrive;
  // each step as a whole. Defaults from the configuration.
  int ConnectTimeout;
  int ReadTimeout;
  int MinimumRate;
  int TransferTimeout;
  // The most bytes a file may have; 0: any number.
  Int64 MaxBytes = 0;

  void Connect();
  bool Connected() const { return FConnected; }
  // Relative to the current folder, or absolute ("/pub/lists"). Raises EFTPError when the
  // server has no such folder; the current folder stays as it was then.
  void ChangeDir(const String& Dir);
  // The current folder as this client names it to the server ("" is where the login put it).
  const String& CurrentDir() const { return FDir; }
  // Fetches Source (a name in the current folder) into the local file Dest. Without
  // CanOverwrite an existing Dest is an EFCreateError and nothing is fetched. Resuming a
  // partial file is not offered (EFTPError).
  void Get(const String& Source, const String& Dest, bool CanOverwrite = false,
           bool Resume = false);
  // Fetches Source into memory, for a caller that checks it before it keeps it.
  String Get(const String& Source);
  void Disconnect();

  // Described properties: Host, Port, Username, Password, Passive, ConnectTimeout, ReadTimeout.
  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;

  struct TSink;  // where a file goes, for the transfer callback

private:
  String UrlFor(const String& Dir, const String& File) const;
  void Prepare(const String& URL);
  void RequireConnected(const char* What) const;
  void Fetch(const String& Source, TSink& Sink);
  std::unique_ptr<netdetail::TCurlSession> FSession;
  bool FConnected = false;
  String FDir;
};
