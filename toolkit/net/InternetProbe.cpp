#include "InternetProbe.h"

#include "CurlSession.h"
#include "NetConfig.h"

bool InternetCheckConnection(const String& URL, int TimeoutMs) {
  if (TimeoutMs <= 0 || TimeoutMs > 5000) TimeoutMs = 5000;
  try {
    netdetail::TCurlSession session;
    CURL* c = session.Handle();
    curl_easy_setopt(c, CURLOPT_URL, URL.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_CONNECT_ONLY, 1L);
    session.SetTimeouts(TimeoutMs, TimeoutMs);
    session.SetTLS(netdetail::TTLSFloor::TLS1_2, NetConfig().CAFile);
    // Name lookup and all: nothing may take longer than the timeout.
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(TimeoutMs));
    session.Perform();
    return true;
  } catch (...) {
    return false;
  }
}

bool InternetCheckConnection() {
  return InternetCheckConnection(NetConfig().ProbeURL, NetConfig().ProbeTimeoutMs);
}
