#pragma once
// Private to the network clients: one libcurl easy handle with the settings every request
// shares (timeouts, TLS floor and certificate checks, no signals), and the translation of
// libcurl's failures into the toolkit's exceptions. Not for use outside this folder.

#include <exception>

#include "CurlLibrary.h"
#include "NetErrors.h"

namespace netdetail {

// Minimum TLS version a client accepts; nothing below 1.2 is offered at all.
enum class TTLSFloor { TLS1_2, TLS1_3 };

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

  // Connection phase (TCP, TLS handshake, FTP greeting and login) bounded by ConnectMs; after
  // that a request is abandoned when no data arrives for ReadMs.
  void SetTimeouts(int ConnectMs, int ReadMs);
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

private:
  void Init();
  CURL* FCurl = nullptr;
  char FErrorText[CURL_ERROR_SIZE] = {};
  std::exception_ptr FPending;
  int FReadMs = 0;
  String FDefaultCAFile;
};

// Percent-encodes a path segment (everything but unreserved characters).
String EscapeSegment(const String& S);
// "host" or "[v6]" as a URL authority needs it.
String UrlHost(const String& Host);

}  // namespace netdetail
