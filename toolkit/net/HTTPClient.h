#pragma once
// HTTP and HTTPS requests as components a window can hold.
//
// THTTPClient fetches a URL into a string or a stream. Redirects are followed, but a request
// that starts on https only to https addresses (ETLSError names the refused address); a final
// status of 300 or above raises EHTTPProtocolError; a connection that cannot be made, breaks,
// stays silent or is too slow raises ESocketError; a failed TLS handshake, an untrusted
// certificate among them, raises ETLSError; a body larger than MaxBytes raises EReplyTooLarge.
// Every request has a connect timeout, a minimum rate and a total time limit. The transfer library
// (libcurl.so.4) is loaded by the first request of the process, not by creating a client; when
// it cannot be loaded, that request raises ENetError naming it.
//
// TSSLIOHandler holds the TLS options a window description gives the client through its
// IOHandler property. Certificates are always verified: a client that trusts any
// certificate would let anyone on the path replace what it downloads.

#include <memory>

#include "Classes.h"
#include "NetErrors.h"

namespace netdetail {
class TCurlSession;
}

class TSSLIOHandler : public TComponent {
public:
  explicit TSSLIOHandler(TComponent* AOwner);
  String ClassName() const override { return "TSSLIOHandler"; }

  enum TTLSVersion { tlsv1_2, tlsv1_3 };
  // The lowest TLS version accepted; 1.2 is the floor whatever a description asks.
  TTLSVersion MinTLSVersion = tlsv1_2;
  // Extra CA certificates (PEM) trusted besides the system's store; defaults to the
  // configured one (KESTAL_CA_FILE).
  String CAFile;

  // Described properties: MinTLSVersion (tlsv1_2, tlsv1_3), CAFile.
  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
};

// The request headers the client sends. Empty values are not sent.
struct THTTPRequestHeaders {
  String Accept = "text/html, */*";
  String UserAgent;
};

class THTTPClient : public TComponent {
public:
  explicit THTTPClient(TComponent* AOwner);
  ~THTTPClient() override;
  String ClassName() const override { return "THTTPClient"; }

  THTTPRequestHeaders Request;
  // Cookies the server sets are kept for this client's later requests (in memory only).
  bool AllowCookies = true;
  bool HandleRedirects = true;
  int RedirectMaximum = 15;
  // Milliseconds: to establish the connection (with the TLS handshake); the window in which
  // at least MinimumRate bytes a second must arrive (so also the longest silence); the whole
  // request. A request that breaks the rate or the total limit raises ESocketError "the
  // server is too slow". Defaults from the configuration.
  int ConnectTimeout;
  int ReadTimeout;
  int MinimumRate;
  int TransferTimeout;
  // The most body bytes a request may bring; 0: any number. A larger body stops the transfer
  // with EReplyTooLarge.
  Int64 MaxBytes = 0;
  // TLS options for https addresses; without one the defaults of TSSLIOHandler apply.
  TSSLIOHandler* IOHandler = nullptr;

  // The body of the reply, as bytes.
  String Get(const String& URL);
  // Writes the body of the reply into Dest at its position. On a failure Dest may hold part
  // of the body; the body of an error reply is never written.
  void Get(const String& URL, TStream& Dest);
  void Get(const String& URL, TStream* Dest) { Get(URL, *Dest); }

  // Status code of the last reply (0 before any or when no reply came).
  int ResponseCode() const { return FResponseCode; }

  // Described properties: Request.Accept, Request.UserAgent, AllowCookies, HandleRedirects,
  // RedirectMaximum, ConnectTimeout, ReadTimeout, IOHandler (the name of a TSSLIOHandler of
  // the same owner, resolved in Loaded).
  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
  void Loaded() override;

  struct TTransfer;  // one request's state, for the transfer callbacks

private:
  void Perform(const String& URL, TTransfer& T);
  std::unique_ptr<netdetail::TCurlSession> FSession;
  String FIOHandlerName;
  int FResponseCode = 0;
  bool FCookiesOn = false;
};

// Makes the network components known to window descriptions (THTTPClient, TSSLIOHandler,
// TFTPClient). Call once at start-up.
void RegisterNetClasses();
