#include "FTPClient.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "CurlSession.h"
#include "NetConfig.h"

using netdetail::GetInfo;
using netdetail::SetOption;
using netdetail::TCurlSession;

namespace {

// The partly received file: a name of its own beside the target, removed unless kept.
class TPartFile {
public:
  explicit TPartFile(const String& Target) {
    std::random_device rd;
    for (int attempt = 0; attempt < 100 && FHandle < 0; ++attempt) {
      char suffix[32];
      std::snprintf(suffix, sizeof suffix, ".part%08x", static_cast<unsigned>(rd()));
      FName = Target + suffix;
      FHandle = ::open(FName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (FHandle < 0 && errno != EEXIST) break;
    }
    if (FHandle < 0)
      throw EFCreateError("Cannot create file \"" + FName + "\". " + std::strerror(errno));
  }
  ~TPartFile() {
    if (FHandle >= 0) ::close(FHandle);
    if (!FKept) ::unlink(FName.c_str());
  }
  TPartFile(const TPartFile&) = delete;
  TPartFile& operator=(const TPartFile&) = delete;

  void Write(const char* Data, size_t Count) {
    while (Count > 0) {
      const ssize_t n = ::write(FHandle, Data, Count);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) throw EWriteError("Cannot write file \"" + FName + "\". " + std::strerror(errno));
      Data += n;
      Count -= static_cast<size_t>(n);
    }
  }

  // Closes the file and gives it the target's name, replacing an old file when allowed.
  void Keep(const String& Target, bool Replace) {
    const int h = FHandle;
    FHandle = -1;
    if (::close(h) != 0)
      throw EWriteError("Cannot write file \"" + FName + "\". " + std::strerror(errno));
    // link() fails when the target exists, so a file that appeared meanwhile is not lost.
    const int rc =
        Replace ? ::rename(FName.c_str(), Target.c_str()) : ::link(FName.c_str(), Target.c_str());
    if (rc != 0)
      throw EFCreateError("Cannot create file \"" + Target + "\". " + std::strerror(errno));
    if (Replace) FKept = true;  // else the temporary name is unlinked by the destructor
  }

private:
  String FName;
  int FHandle = -1;
  bool FKept = false;
};

}  // namespace

struct TFTPClient::TSink {
  TCurlSession* Session = nullptr;
  TPartFile* File = nullptr;  // one of the two receives the file
  String* Text = nullptr;
};

namespace {

size_t OnData(char* Data, size_t Size, size_t Count, void* User) {
  auto* sink = static_cast<TFTPClient::TSink*>(User);
  const size_t n = Size * Count;
  if (!sink->Session->Admit(n)) return 0;  // stops the transfer
  try {
    if (sink->File)
      sink->File->Write(Data, n);
    else
      sink->Text->append(Data, n);
  } catch (...) {
    sink->Session->Keep(std::current_exception());
    return 0;
  }
  return n;
}

// Joins folder names the way the server will see them.
String JoinDir(const String& Base, const String& Dir) {
  if (Dir.empty()) return Base;
  if (Dir.front() == '/' || Base.empty()) return Dir;
  return Base.back() == '/' ? Base + Dir : Base + "/" + Dir;
}

}  // namespace

TFTPClient::TFTPClient(TComponent* AOwner)
    : TComponent(AOwner),
      ConnectTimeout(NetConfig().ConnectTimeoutMs),
      ReadTimeout(NetConfig().ReadTimeoutMs),
      MinimumRate(NetConfig().MinimumRate),
      TransferTimeout(NetConfig().TransferTimeoutMs),
      FSession(std::make_unique<TCurlSession>()) {}

TFTPClient::~TFTPClient() {
  try {
    Disconnect();
  } catch (...) {}
}

String TFTPClient::UrlFor(const String& Dir, const String& File) const {
  String url = "ftp://" + netdetail::UrlHost(Host) + ":" + std::to_string(Port) + "/";
  // A leading "/" must reach the server; in an ftp URL it is written %2F.
  String rest = Dir;
  if (!rest.empty() && rest.front() == '/') {
    url += "%2F";
    rest.erase(0, 1);
  }
  size_t start = 0;
  while (start < rest.size()) {
    size_t slash = rest.find('/', start);
    if (slash == String::npos) slash = rest.size();
    if (slash > start) url += netdetail::EscapeSegment(rest.substr(start, slash - start)) + "/";
    start = slash + 1;
  }
  return url + netdetail::EscapeSegment(File);
}

void TFTPClient::Prepare(const String& URL) {
  CURL* c = FSession->Handle();
  SetOption(c, CURLOPT_URL, URL.c_str());
  SetOption(c, CURLOPT_PROTOCOLS_STR, "ftp");
  SetOption(c, CURLOPT_USERNAME, Username.c_str());
  SetOption(c, CURLOPT_PASSWORD, Password.c_str());
  // One CWD to the whole folder, as a person at an FTP prompt would do it.
  SetOption(c, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
  SetOption(c, CURLOPT_FTPPORT, Passive ? nullptr : "-");
  SetOption(c, CURLOPT_FTP_USE_EPSV, 0L);  // plain PASV, which every server knows
  SetOption(c, CURLOPT_TRANSFERTEXT, 0L);  // files come byte for byte
  SetOption(c, CURLOPT_NOBODY, 0L);
  SetOption(c, CURLOPT_WRITEFUNCTION, nullptr);
  SetOption(c, CURLOPT_WRITEDATA, nullptr);
  FSession->SetLimits(netdetail::LimitsOf(*this));
}

void TFTPClient::RequireConnected(const char* What) const {
  if (!FConnected) throw EFTPError(String(What) + ": not connected");
}

void TFTPClient::Connect() {
  if (Host.empty()) throw EFTPError("Connect: no host given");
  Disconnect();
  FDir.clear();
  // Asking for the login folder without its listing connects and logs in, and libcurl keeps
  // the connection for the commands that follow.
  Prepare(UrlFor("", ""));
  SetOption(FSession->Handle(), CURLOPT_NOBODY, 1L);
  FSession->Perform();
  FConnected = true;
}

void TFTPClient::ChangeDir(const String& Dir) {
  RequireConnected("ChangeDir");
  const String target = JoinDir(FDir, Dir);
  Prepare(UrlFor(target, ""));
  SetOption(FSession->Handle(), CURLOPT_NOBODY, 1L);
  FSession->Perform();
  FDir = target;
}

void TFTPClient::Get(const String& Source, const String& Dest, bool CanOverwrite, bool Resume) {
  RequireConnected("Get");
  if (Resume) throw EFTPError("Get: resuming a transfer is not supported");
  if (Source.empty()) throw EFTPError("Get: no file name given");
  std::error_code ec;
  if (!CanOverwrite && std::filesystem::exists(Dest, ec))
    throw EFCreateError("Cannot create file \"" + Dest + "\". File exists");

  TPartFile part(Dest);
  TSink sink;
  sink.File = &part;
  Fetch(Source, sink);
  part.Keep(Dest, CanOverwrite);
}

String TFTPClient::Get(const String& Source) {
  RequireConnected("Get");
  if (Source.empty()) throw EFTPError("Get: no file name given");
  String text;
  TSink sink;
  sink.Text = &text;
  Fetch(Source, sink);
  return text;
}

void TFTPClient::Fetch(const String& Source, TSink& Sink) {
  Sink.Session = FSession.get();
  Prepare(UrlFor(FDir, Source));
  SetOption(FSession->Handle(), CURLOPT_WRITEFUNCTION, OnData);
  SetOption(FSession->Handle(), CURLOPT_WRITEDATA, &Sink);
  FSession->Perform();
}

void TFTPClient::Disconnect() {
  if (!FConnected) return;
  FConnected = false;
  FSession->Close();
}

bool TFTPClient::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Host")
    Host = Value.AsString();
  else if (Prop == "Port")
    Port = static_cast<int>(Value.AsInteger());
  else if (Prop == "Username")
    Username = Value.AsString();
  else if (Prop == "Password")
    Password = Value.AsString();
  else if (Prop == "Passive")
    Passive = Value.AsBoolean();
  else if (Prop == "ConnectTimeout")
    ConnectTimeout = static_cast<int>(Value.AsInteger());
  else if (Prop == "ReadTimeout")
    ReadTimeout = static_cast<int>(Value.AsInteger());
  else
    return TComponent::SetDescribedProperty(Prop, Value);
  return true;
}
