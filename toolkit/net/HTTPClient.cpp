#include "HTTPClient.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "CurlSession.h"
#include "FTPClient.h"
#include "NetConfig.h"
#include "SysUtils.h"

using netdetail::GetInfo;
using netdetail::SetOption;
using netdetail::TCurlSession;

// ---- TSSLIOHandler -----------------------------------------------------------------------

TSSLIOHandler::TSSLIOHandler(TComponent* AOwner) : TComponent(AOwner), CAFile(NetConfig().CAFile) {}

bool TSSLIOHandler::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "MinTLSVersion") {
    const String& v = Value.AsString();
    if (v == "tlsv1_2")
      MinTLSVersion = tlsv1_2;
    else if (v == "tlsv1_3")
      MinTLSVersion = tlsv1_3;
    else
      throw EConvertError("'" + v + "' is not a TLS version (tlsv1_2 or tlsv1_3)");
    return true;
  }
  if (Prop == "CAFile") {
    CAFile = Value.AsString();
    return true;
  }
  return TComponent::SetDescribedProperty(Prop, Value);
}

// ---- THTTPClient -------------------------------------------------------------------------

struct THTTPClient::TTransfer {
  TCurlSession* Session = nullptr;
  String* Text = nullptr;  // one of the two receives the body
  TStream* Stream = nullptr;
  bool StayOnHttps = false;  // the request started on https and redirects are followed
  String StatusLine;         // of the latest reply (redirects give several)
};

namespace {

int CurrentStatus(CURL* c) {
  long code = 0;
  GetInfo(c, CURLINFO_RESPONSE_CODE, &code);
  return static_cast<int>(code);
}

bool StartsWithNoCase(const String& S, const char* Prefix) {
  return CompareText(S.substr(0, std::strlen(Prefix)), Prefix) == 0;
}

// An address of its own scheme ("http://...", "ftp:..."), not one relative to the request.
bool HasScheme(const String& Location) {
  const size_t colon = Location.find(':');
  if (colon == String::npos || colon == 0) return false;
  return std::all_of(
      Location.begin(), Location.begin() + static_cast<std::ptrdiff_t>(colon), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
      });
}

size_t OnHeader(char* Data, size_t Size, size_t Count, void* User) {
  auto* t = static_cast<THTTPClient::TTransfer*>(User);
  const size_t n = Size * Count;
  String line(Data, n);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  if (line.rfind("HTTP/", 0) == 0) t->StatusLine = line;
  CURL* c = t->Session->Handle();
  if (t->StayOnHttps && CurrentStatus(c) / 100 == 3 && StartsWithNoCase(line, "Location:")) {
    // A secure request must not go on in the clear: one that did would hand over what a
    // certificate was checked to protect.
    const String target = Trim(line.substr(std::strlen("Location:")));
    if (HasScheme(target) && !StartsWithNoCase(target, "https:")) {
      const char* from = nullptr;
      GetInfo(c, CURLINFO_EFFECTIVE_URL, &from);
      t->Session->Keep(std::make_exception_ptr(
          ETLSError("Redirect refused: the secure address " + String(from ? from : "") +
                    " sends the request on to " + target + ", which is not secure")));
      return 0;  // stops the transfer
    }
  }
  return n;
}

size_t OnBody(char* Data, size_t Size, size_t Count, void* User) {
  auto* t = static_cast<THTTPClient::TTransfer*>(User);
  const size_t n = Size * Count;
  // An error page is not the document asked for; the caller learns the status instead.
  if (CurrentStatus(t->Session->Handle()) >= 300) return n;
  if (!t->Session->Admit(n)) return 0;  // stops the transfer
  try {
    if (t->Text)
      t->Text->append(Data, n);
    else
      t->Stream->WriteBuffer(Data, static_cast<Int64>(n));
  } catch (...) {
    t->Session->Keep(std::current_exception());
    return 0;  // stops the transfer
  }
  return n;
}

}  // namespace

THTTPClient::THTTPClient(TComponent* AOwner)
    : TComponent(AOwner),
      ConnectTimeout(NetConfig().ConnectTimeoutMs),
      ReadTimeout(NetConfig().ReadTimeoutMs),
      MinimumRate(NetConfig().MinimumRate),
      TransferTimeout(NetConfig().TransferTimeoutMs),
      FSession(std::make_unique<TCurlSession>()) {}

THTTPClient::~THTTPClient() = default;

String THTTPClient::Get(const String& URL) {
  String body;
  TTransfer t;
  t.Text = &body;
  Perform(URL, t);
  return body;
}

void THTTPClient::Get(const String& URL, TStream& Dest) {
  TTransfer t;
  t.Stream = &Dest;
  Perform(URL, t);
}

void THTTPClient::Perform(const String& URL, TTransfer& T) {
  if (!AllowCookies && FCookiesOn) {
    // libcurl cannot switch its cookie store off again; a fresh handle forgets them.
    FSession->Close();
    FCookiesOn = false;
  }
  T.Session = FSession.get();
  CURL* c = FSession->Handle();
  FResponseCode = 0;

  SetOption(c, CURLOPT_URL, URL.c_str());
  SetOption(c, CURLOPT_HTTPGET, 1L);
  const bool secure = StartsWithNoCase(URL, "https:");
  T.StayOnHttps = secure && HandleRedirects;
  SetOption(c, CURLOPT_PROTOCOLS_STR, "http,https");
  SetOption(c, CURLOPT_REDIR_PROTOCOLS_STR, secure ? "https" : "http,https");
  SetOption(c, CURLOPT_FOLLOWLOCATION, HandleRedirects ? 1L : 0L);
  SetOption(c, CURLOPT_MAXREDIRS, static_cast<long>(RedirectMaximum));
  if (AllowCookies) {
    SetOption(c, CURLOPT_COOKIEFILE, "");  // in-memory store, nothing read from disk
    FCookiesOn = true;
  }
  SetOption(c, CURLOPT_USERAGENT, Request.UserAgent.empty() ? nullptr : Request.UserAgent.c_str());
  // "Accept:" with no value removes libcurl's own default header.
  const String accept = "Accept:" + (Request.Accept.empty() ? String() : " " + Request.Accept);
  curl_slist* headers = netdetail::Curl().slist_append(nullptr, accept.c_str());
  if (!headers) throw EOutOfMemory("Not enough memory for the request headers");
  SetOption(c, CURLOPT_HTTPHEADER, headers);

  FSession->SetLimits(netdetail::LimitsOf(*this));
  const bool tls13 = IOHandler && IOHandler->MinTLSVersion == TSSLIOHandler::tlsv1_3;
  FSession->SetTLS(tls13 ? netdetail::TTLSFloor::TLS1_3 : netdetail::TTLSFloor::TLS1_2,
                   IOHandler ? IOHandler->CAFile : NetConfig().CAFile);

  SetOption(c, CURLOPT_HEADERFUNCTION, OnHeader);
  SetOption(c, CURLOPT_HEADERDATA, &T);
  SetOption(c, CURLOPT_WRITEFUNCTION, OnBody);
  SetOption(c, CURLOPT_WRITEDATA, &T);

  try {
    FSession->Perform();
  } catch (...) {
    FResponseCode = CurrentStatus(c);
    SetOption(c, CURLOPT_HTTPHEADER, nullptr);
    netdetail::Curl().slist_free_all(headers);
    throw;
  }
  SetOption(c, CURLOPT_HTTPHEADER, nullptr);
  netdetail::Curl().slist_free_all(headers);

  FResponseCode = CurrentStatus(c);
  if (FResponseCode >= 300) {
    const String line =
        T.StatusLine.empty() ? "HTTP status " + std::to_string(FResponseCode) : T.StatusLine;
    throw EHTTPProtocolError(line, FResponseCode);
  }
}

bool THTTPClient::SetDescribedProperty(const String& Prop, const TPropValue& Value) {
  if (Prop == "Request.Accept")
    Request.Accept = Value.AsString();
  else if (Prop == "Request.UserAgent")
    Request.UserAgent = Value.AsString();
  else if (Prop == "AllowCookies")
    AllowCookies = Value.AsBoolean();
  else if (Prop == "HandleRedirects")
    HandleRedirects = Value.AsBoolean();
  else if (Prop == "RedirectMaximum")
    RedirectMaximum = static_cast<int>(Value.AsInteger());
  else if (Prop == "ConnectTimeout")
    ConnectTimeout = static_cast<int>(Value.AsInteger());
  else if (Prop == "ReadTimeout")
    ReadTimeout = static_cast<int>(Value.AsInteger());
  else if (Prop == "IOHandler")
    FIOHandlerName = Value.AsString();
  else
    return TComponent::SetDescribedProperty(Prop, Value);
  return true;
}

void THTTPClient::Loaded() {
  TComponent::Loaded();
  if (FIOHandlerName.empty()) return;
  TComponent* c = Owner() ? Owner()->FindComponent(FIOHandlerName) : nullptr;
  auto* h = dynamic_cast<TSSLIOHandler*>(c);
  if (!h)
    throw EComponentError("Component \"" + Name() + "\": IOHandler \"" + FIOHandlerName +
                          "\" is not a TSSLIOHandler of the same window");
  IOHandler = h;
}

// ---- registration ------------------------------------------------------------------------

void RegisterNetClasses() {
  RegisterComponentClass("THTTPClient",
                         [](TComponent* o) -> TComponent* { return new THTTPClient(o); });
  RegisterComponentClass("TSSLIOHandler",
                         [](TComponent* o) -> TComponent* { return new TSSLIOHandler(o); });
  RegisterComponentClass("TFTPClient",
                         [](TComponent* o) -> TComponent* { return new TFTPClient(o); });
}
