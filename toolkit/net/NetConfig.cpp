#include "NetConfig.h"

#include <cstdlib>
#include <mutex>

namespace {

bool FromEnv(const char* Name, String& Value) {
  const char* v = std::getenv(Name);
  if (v == nullptr || *v == '\0') return false;
  Value = v;
  return true;
}

String WithoutTrailingSlash(String s) {
  while (!s.empty() && s.back() == '/') s.pop_back();
  return s;
}

}  // namespace

void SplitHostPort(const String& Text, String& Host, int& Port) {
  String host = Text;
  String port;
  if (!Text.empty() && Text.front() == '[') {
    const auto close = Text.find(']');
    if (close == String::npos) throw EConvertError("'" + Text + "' is not a valid host");
    host = Text.substr(1, close - 1);
    if (close + 1 < Text.size()) {
      if (Text[close + 1] != ':') throw EConvertError("'" + Text + "' is not a valid host");
      port = Text.substr(close + 2);
    }
  } else {
    const auto colon = Text.find(':');
    // More than one colon is a bare IPv6 address without a port.
    if (colon != String::npos && Text.find(':', colon + 1) == String::npos) {
      host = Text.substr(0, colon);
      port = Text.substr(colon + 1);
    }
  }
  if (!port.empty() || (host.size() != Text.size() && Text.back() == ':')) {
    int p = 0;
    bool ok = !port.empty() && port.size() <= 5;
    for (char c : port) {
      if (c < '0' || c > '9')
        ok = false;
      else
        p = p * 10 + (c - '0');
    }
    if (!ok || p < 1 || p > 65535) throw EConvertError("'" + port + "' is not a valid port number");
    Port = p;
  }
  Host = host;
}

TNetConfig NetConfigFromEnvironment() {
  TNetConfig c;
  String v;
  if (FromEnv("KESTAL_CATALOGUE_URL", v)) c.CatalogueURL = v;
  if (FromEnv("KESTAL_VERSION_URL", v)) c.VersionURL = v;
  if (FromEnv("KESTAL_PROBE_URL", v)) c.ProbeURL = v;
  if (FromEnv("KESTAL_CA_FILE", v)) c.CAFile = v;
  if (FromEnv("KESTAL_FTP_HOST", v)) SplitHostPort(v, c.FtpHost, c.FtpPort);
  c.CatalogueURL = WithoutTrailingSlash(c.CatalogueURL);
  c.VersionURL = WithoutTrailingSlash(c.VersionURL);
  return c;
}

TNetConfig& NetConfig() {
  static TNetConfig config = NetConfigFromEnvironment();
  return config;
}
