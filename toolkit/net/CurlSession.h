#pragma once
// Private to the network clients: one libcurl easy handle with the settings every request
// shares (time limits, size cap, TLS floor and certificate checks, no signals), and the
// translation of libcurl's failures into the toolkit's exceptions. Not for use outside this
// folder.

#include <exception>

#include "CurlLibrary.h"
#include "NetErrors.h"

namespace netdetail {

// Minimum TLS version a client accepts; nothing below 1.2 is offered at all.
enum class TTLSFloor { TLS1_2, TLS1_3 };

// What one request may take. A time of zero or less counts as 1 ms: every request is bounded.
struct TTransferLimits {
  // Connection phase: TCP, TLS handshake, FTP greeting and login.
  int ConnectMs = 0;
  // After that the request is abandoned when less than MinimumRate bytes a second arrive for
  // ReadMs (whole seconds, rounded up), silence included.
  int ReadMs = 0;
  int MinimumRate = 1;
  // The whole request, however fast the data come.
  int TotalMs = 0;
  // The most body bytes a request may bring; 0: any number.
  Int64 MaxBytes = 0;
};

// The limits a client's fields give (ConnectTimeout, ReadTimeout, MinimumRate,
// TransferTimeout, MaxBytes).
template <class TClient>
TTransferLimits LimitsOf(const TClient& Client) {
  return {Client.ConnectTimeout, Client.ReadTimeout, Client.MinimumRate, Client.TransferTimeout,
          Client.MaxBytes};
}

// The handle is made by the first Handle() (which loads libcurl when no session did yet), so
// a client that never transfers anything costs nothing.
class TCurlSession {
public:
  TCurlSession() = default;
  ~TCurlSession();
  TCurlSession(const TCurlSession&) = delete;
  TCurlSession& operator=(const TCurlSession&) = delete;

  // Raises ENetError when libcurl cannot be loaded, EOutOfMemory when it gives no handle.
  CURL* Handle() {
    if (!FCurl) Init();
    return FCurl;
  }
  // Drops the handle and its open connections (an FTP server gets its QUIT); the next request
  // starts afresh.
  void Close();

  void SetLimits(const TTransferLimits& Limits);
  // Certificates are always verified, against the system's store and, when given, the CA
  // certificates in CAFile.
  void SetTLS(TTLSFloor Floor, const String& CAFile);

  // Runs the request set up on the handle. A failure raises the matching exception; an
  // exception a callback stored with Keep() is raised in its place.
  void Perform();

  // For callbacks, which must not throw through libcurl: keeps the exception and tells
  // libcurl to stop by the callback's return value.
  void Keep(std::exception_ptr E) {
    if (!FPending) FPending = E;
  }

  // For the write callbacks, before they take Count more body bytes: false once the body
  // would pass MaxBytes, with EReplyTooLarge kept, so that the callback stops the transfer.
  bool Admit(size_t Count);

private:
  void Init();
  String TimeoutMessage(const String& Detail, const String& Where) const;
  CURL* FCurl = nullptr;
  char FErrorText[CURL_ERROR_SIZE] = {};
  std::exception_ptr FPending;
  TTransferLimits FLimits;
  Int64 FBodyBytes = 0;  // of the current request
  String FDefaultCAFile;
};

// Percent-encodes a path segment (everything but unreserved characters).
String EscapeSegment(const String& S);
// "host" or "[v6]" as a URL authority needs it.
String UrlHost(const String& Host);

}  // namespace netdetail
