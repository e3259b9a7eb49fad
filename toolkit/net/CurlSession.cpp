#include "CurlSession.h"

namespace netdetail {

namespace {

bool IsSocketFailure(CURLcode c) {
  switch (c) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_FTP_CANT_GET_HOST:
    case CURLE_FTP_ACCEPT_FAILED:
    case CURLE_FTP_ACCEPT_TIMEOUT: return true;
    default: return false;
  }
}

bool IsTLSFailure(CURLcode c) {
  switch (c) {
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_USE_SSL_FAILED: return true;
    default: return false;
  }
}

bool IsServerRefusal(CURLcode c) {
  switch (c) {
    case CURLE_LOGIN_DENIED:
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_REMOTE_FILE_NOT_FOUND:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_FTP_WEIRD_PASS_REPLY:
    case CURLE_FTP_WEIRD_PASV_REPLY:
    case CURLE_FTP_WEIRD_227_FORMAT:
    case CURLE_FTP_COULDNT_SET_TYPE:
    case CURLE_FTP_COULDNT_RETR_FILE:
    case CURLE_FTP_COULDNT_USE_REST:
    case CURLE_FTP_PORT_FAILED:
    case CURLE_FTP_PRET_FAILED:
    case CURLE_FTP_BAD_FILE_LIST:
    case CURLE_QUOTE_ERROR: return true;
    default: return false;
  }
}

}  // namespace

TCurlSession::~TCurlSession() {
  if (FCurl) Curl().easy_cleanup(FCurl);
}

void TCurlSession::Init() {
  const TCurlApi& api = Curl();
  FCurl = api.easy_init();
  if (!FCurl) throw EOutOfMemory("Not enough memory for a network connection");
  SetOption(FCurl, CURLOPT_ERRORBUFFER, FErrorText);
  // Timeouts must not use signals: the program has threads of its own.
  SetOption(FCurl, CURLOPT_NOSIGNAL, 1L);
  char* defaultCA = nullptr;
  if (GetInfo(FCurl, CURLINFO_CAINFO, &defaultCA) == CURLE_OK && defaultCA)
    FDefaultCAFile = defaultCA;
}

void TCurlSession::Close() {
  if (FCurl) Curl().easy_cleanup(FCurl);
  FCurl = nullptr;
}

void TCurlSession::SetTimeouts(int ConnectMs, int ReadMs) {
  // Zero or less would mean "wait for ever" to libcurl; every request needs a bound.
  if (ConnectMs <= 0) ConnectMs = 1;
  if (ReadMs <= 0) ReadMs = 1;
  FReadMs = ReadMs;
  const long readSeconds = (ReadMs + 999) / 1000;
  SetOption(Handle(), CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(ConnectMs));
  // "Less than one byte per second over the read timeout" is how libcurl spells "no data".
  SetOption(Handle(), CURLOPT_LOW_SPEED_LIMIT, 1L);
  SetOption(Handle(), CURLOPT_LOW_SPEED_TIME, readSeconds);
  // Waiting for an FTP reply is not a transfer, so it has a bound of its own.
  SetOption(Handle(), CURLOPT_SERVER_RESPONSE_TIMEOUT, readSeconds);
}

void TCurlSession::SetTLS(TTLSFloor Floor, const String& CAFile) {
  CURL* c = Handle();
  SetOption(c, CURLOPT_SSLVERSION,
            Floor == TTLSFloor::TLS1_3 ? CURL_SSLVERSION_TLSv1_3 : CURL_SSLVERSION_TLSv1_2);
  SetOption(c, CURLOPT_SSL_VERIFYPEER, 1L);
  SetOption(c, CURLOPT_SSL_VERIFYHOST, 2L);
  // The CA file replaces libcurl's default bundle file, while the system's certificate folder
  // (libcurl's default CA path) stays in force: the extra certificates come on top.
  // An empty CAFile puts the built-in bundle file back after a request that named another.
  const String& file = CAFile.empty() ? FDefaultCAFile : CAFile;
  SetOption(c, CURLOPT_CAINFO, file.empty() ? nullptr : file.c_str());
}

void TCurlSession::Perform() {
  FErrorText[0] = '\0';
  FPending = nullptr;
  const CURLcode rc = Curl().easy_perform(Handle());
  if (FPending) {
    std::exception_ptr e = FPending;
    FPending = nullptr;
    std::rethrow_exception(e);
  }
  if (rc == CURLE_OK) return;

  String detail = FErrorText[0] ? String(FErrorText) : String(Curl().easy_strerror(rc));
  while (!detail.empty() && (detail.back() == '\n' || detail.back() == '\r')) detail.pop_back();
  const char* url = nullptr;
  GetInfo(FCurl, CURLINFO_EFFECTIVE_URL, &url);
  const String where = url ? String(url) : String();

  if (rc == CURLE_OPERATION_TIMEDOUT) {
    // libcurl reports a silent server as "too slow"; say what happened instead.
    if (detail.rfind("Operation too slow", 0) == 0 ||
        detail.find("response timeout") != String::npos)
      throw ESocketError("Read timed out: no answer from " + where + " within " +
                         std::to_string((FReadMs + 999) / 1000) + " s");
    throw ESocketError("Connection timed out: " + where + " (" + detail + ")");
  }
  if (IsSocketFailure(rc)) throw ESocketError(detail);
  if (IsTLSFailure(rc)) throw ETLSError("Secure connection failed: " + detail);
  if (IsServerRefusal(rc)) throw EFTPError(detail);
  throw ENetError(detail);
}

String EscapeSegment(const String& S) {
  static const char* hex = "0123456789ABCDEF";
  String out;
  for (unsigned char c : S) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

String UrlHost(const String& Host) {
  if (Host.find(':') != String::npos && Host.front() != '[') return "[" + Host + "]";
  return Host;
}

}  // namespace netdetail
