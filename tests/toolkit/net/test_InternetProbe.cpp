#include <gtest/gtest.h>

#include "InternetProbe.h"
#include "NetConfig.h"
#include "TestSupport.h"
#include "TestServers.h"

using nettest::ClosedPort;
using nettest::MillisecondsOf;
using nettest::TTestServer;

TEST(InternetProbe, TrueWhenTheServerAnswersFalseWhenNothingListens) {
  TTestServer server("http_server.py");
  EXPECT_TRUE(InternetCheckConnection(server.Url("http", "/"), 2000));
  const int closed = ClosedPort();
  EXPECT_FALSE(InternetCheckConnection("http://127.0.0.1:" + std::to_string(closed) + "/", 2000));
  // Addresses refused before any name lookup.
  EXPECT_FALSE(InternetCheckConnection("", 2000));
  EXPECT_FALSE(InternetCheckConnection("gopher://127.0.0.1:" + std::to_string(closed) + "/", 2000));
}

TEST(InternetProbe, HttpsNeedsATrustedCertificate) {
  testsupport::TempDir dir;
  TTestServer server("http_server.py", {"--tls", dir.path().string()});
  TNetConfig saved = NetConfig();
  NetConfig().CAFile = "";
  EXPECT_FALSE(InternetCheckConnection(server.Url("https", "/"), 2000));
  NetConfig().CAFile = (dir.path() / "cert.pem").string();
  EXPECT_TRUE(InternetCheckConnection(server.Url("https", "/"), 2000));
  NetConfig() = saved;
}

TEST(InternetProbe, UsesTheConfiguredAddress) {
  TTestServer server("http_server.py");
  TNetConfig saved = NetConfig();
  NetConfig().ProbeURL = server.Url("http", "/");
  EXPECT_TRUE(InternetCheckConnection());
  NetConfig().ProbeURL = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
  EXPECT_FALSE(InternetCheckConnection());
  NetConfig() = saved;
}

TEST(InternetProbe, NeverWaitsLongerThanTheTimeout) {
  // A server that takes the connection but never completes a TLS handshake.
  TTestServer silent("silent_server.py");
  bool result = true;
  const long long ms =
      MillisecondsOf([&] { result = InternetCheckConnection(silent.Url("https", "/"), 1000); });
  EXPECT_FALSE(result);
  EXPECT_LT(ms, 4000);
  // Asking for more than five seconds still gets at most five.
  const long long capped =
      MillisecondsOf([&] { InternetCheckConnection(silent.Url("https", "/"), 60000); });
  EXPECT_LT(capped, 8000);
}
