#include "CurlSession.h"

#include <algorithm>
#include <cstdio>

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

long WholeSeconds(int Ms) { return (static_cast<long>(Ms) + 999) / 1000; }

// A limit in milliseconds as seconds, exactly: "15 s", "1.5 s", "0.25 s".
String SecondsText(int Ms) {
  String text = std::to_string(Ms / 1000);
  if (const int rest = Ms % 1000; rest != 0) {
    char digits[8];
    std::snprintf(digits, sizeof digits, ".%03d", rest);
    String fraction = digits;
    while (fraction.back() == '0') fraction.pop_back();
    text += fraction;
  }
  return text + " s";
}

// "4 MB", "64 KB" or "1000 bytes", as exact as the number allows.
String SizeText(Int64 Bytes) {
  if (Bytes >= 1048576 && Bytes % 1048576 == 0) return std::to_string(Bytes / 1048576) + " MB";
  if (Bytes >= 1024 && Bytes % 1024 == 0) return std::to_string(Bytes / 1024) + " KB";
  return std::to_string(Bytes) + " bytes";
}

// The authority of a URL ("host:port"), or the URL itself when it has none.
String HostOf(const String& Url) {
  const size_t scheme = Url.find("://");
  if (scheme == String::npos) return Url;
  const size_t from = scheme + 3;
  return Url.substr(from, Url.find_first_of("/?#", from) - from);
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

void TCurlSession::SetLimits(const TTransferLimits& Limits) {
  // Zero or less would mean "wait for ever" to libcurl; every request needs a bound.
  FLimits = Limits;
  FLimits.ConnectMs = std::max(FLimits.ConnectMs, 1);
  FLimits.ReadMs = std::max(FLimits.ReadMs, 1);
  FLimits.TotalMs = std::max(FLimits.TotalMs, 1);
  FLimits.MinimumRate = std::max(FLimits.MinimumRate, 1);
  FLimits.MaxBytes = std::max<Int64>(FLimits.MaxBytes, 0);
  CURL* c = Handle();
  const long readSeconds = WholeSeconds(FLimits.ReadMs);
  SetOption(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(FLimits.ConnectMs));
  SetOption(c, CURLOPT_TIMEOUT_MS, static_cast<long>(FLimits.TotalMs));
  // libcurl abandons a transfer whose rate stays below the limit for the whole window, which
  // also ends a wait for a server that sends nothing at all.
  SetOption(c, CURLOPT_LOW_SPEED_LIMIT, static_cast<long>(FLimits.MinimumRate));
  SetOption(c, CURLOPT_LOW_SPEED_TIME, readSeconds);
  // Waiting for an FTP reply is not a transfer, so it has a bound of its own.
  SetOption(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, readSeconds);
}

bool TCurlSession::Admit(size_t Count) {
  FBodyBytes += static_cast<Int64>(Count);
  if (FLimits.MaxBytes == 0 || FBodyBytes <= FLimits.MaxBytes) return true;
  const char* url = nullptr;
  GetInfo(FCurl, CURLINFO_EFFECTIVE_URL, &url);
  Keep(std::make_exception_ptr(EReplyTooLarge("the reply of " + HostOf(url ? url : "") +
                                              " is larger than " + SizeText(FLimits.MaxBytes))));
  return false;
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
  FBodyBytes = 0;
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

  if (rc == CURLE_OPERATION_TIMEDOUT) throw ESocketError(TimeoutMessage(detail, where));
  if (IsSocketFailure(rc)) throw ESocketError(detail);
  if (IsTLSFailure(rc)) throw ETLSError("Secure connection failed: " + detail);
  if (IsServerRefusal(rc)) throw EFTPError(detail);
  throw ENetError(detail);
}

// libcurl reports every limit as "timed out" or "too slow"; say which limit ended the request
// and what the server did until then. "Operation timed out" is the total limit, or the
// connection limit while the connection is made (for FTP: the server's greeting and the
// login, before anything is transferred).
String TCurlSession::TimeoutMessage(const String& Detail, const String& Where) const {
  // What came from the server at all: reply lines and headers count as an answer too.
  curl_off_t body = 0;
  long headers = 0;
  double pretransfer = 0;
  GetInfo(FCurl, CURLINFO_SIZE_DOWNLOAD_T, &body);
  GetInfo(FCurl, CURLINFO_HEADER_SIZE, &headers);
  GetInfo(FCurl, CURLINFO_PRETRANSFER_TIME, &pretransfer);
  const bool answered = body > 0 || headers > 0;
  const bool connecting = pretransfer <= 0;
  const bool belowRate = Detail.rfind("Operation too slow", 0) == 0;
  const bool overall = Detail.rfind("Operation timed out", 0) == 0;
  const bool noReply = Detail.find("response timeout") != String::npos;
  const String window = std::to_string(WholeSeconds(FLimits.ReadMs)) + " s";
  if (noReply || (belowRate && !answered))
    return "Read timed out: no answer from " + Where + " within " + window;
  if (overall && connecting) {
    const String limit = SecondsText(std::min(FLimits.ConnectMs, FLimits.TotalMs));
    if (!answered) return "Read timed out: no answer from " + Where + " within " + limit;
    return "the server is too slow: " + Where +
           " answered but did not complete the connection within " + limit;
  }
  if (overall && !answered)
    return "Read timed out: no answer from " + Where + " within " + SecondsText(FLimits.TotalMs);
  if (belowRate)
    return "the server is too slow: " + Where + " sent less than " +
           std::to_string(FLimits.MinimumRate) + " bytes a second for " + window;
  if (overall)
    return "the server is too slow: " + Where + " did not finish within " +
           SecondsText(FLimits.TotalMs);
  return "Connection timed out: " + Where + " (" + Detail + ")";
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
