#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "InternetProbe.h"
#include "NetConfig.h"
#include "TestServers.h"
#include "TestSupport.h"

using nettest::ClosedPort;
using nettest::MillisecondsOf;
using nettest::TTestServer;

namespace {

// A listening socket on a loopback address that nobody accepts from. With Fill, its accept
// queue (backlog 0: one connection) is filled first, so the system drops every further SYN and
// a connection to it neither comes up nor is refused: it hangs.
class TListener {
public:
  TListener(int Family, bool Fill) : FFamily(Family) {
    FSocket = ::socket(Family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_storage a = Loopback(0);
    socklen_t len = sizeof a;
    if (FSocket < 0 || ::bind(FSocket, reinterpret_cast<sockaddr*>(&a), Size()) != 0 ||
        ::listen(FSocket, 0) != 0 || ::getsockname(FSocket, reinterpret_cast<sockaddr*>(&a), &len))
      return;
    FPort = ntohs(Family == AF_INET ? reinterpret_cast<sockaddr_in&>(a).sin_port
                                    : reinterpret_cast<sockaddr_in6&>(a).sin6_port);
    if (!Fill) return;
    for (int i = 0; i < 16 && !FFull; ++i) {
      const int c = ::socket(Family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      FClients.push_back(c);
      sockaddr_storage to = Loopback(FPort);
      if (::connect(c, reinterpret_cast<sockaddr*>(&to), Size()) == 0) continue;
      pollfd p{c, POLLOUT, 0};
      FFull = ::poll(&p, 1, 500) == 0;  // this one got no answer: the queue is full
    }
  }
  ~TListener() {
    for (int c : FClients) ::close(c);
    if (FSocket >= 0) ::close(FSocket);
  }
  TListener(const TListener&) = delete;
  TListener& operator=(const TListener&) = delete;

  int Port() const { return FPort; }  // 0 when the address family is not available
  bool Full() const { return FFull; }

private:
  sockaddr_storage Loopback(int Port) const {
    sockaddr_storage a{};
    if (FFamily == AF_INET) {
      auto& v4 = reinterpret_cast<sockaddr_in&>(a);
      v4.sin_family = AF_INET;
      v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      v4.sin_port = htons(static_cast<uint16_t>(Port));
    } else {
      auto& v6 = reinterpret_cast<sockaddr_in6&>(a);
      v6.sin6_family = AF_INET6;
      v6.sin6_addr = in6addr_loopback;
      v6.sin6_port = htons(static_cast<uint16_t>(Port));
    }
    return a;
  }
  socklen_t Size() const { return FFamily == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6); }

  int FFamily;
  int FSocket = -1;
  int FPort = 0;
  bool FFull = false;
  std::vector<int> FClients;
};

}  // namespace

TEST(InternetProbe, TrueWhenTheServerAnswersFalseWhenNothingListens) {
  TTestServer server("http_server.py");
  EXPECT_TRUE(InternetCheckConnection(server.Url("http", "/"), 2000));
  const int closed = ClosedPort();
  EXPECT_FALSE(InternetCheckConnection("http://127.0.0.1:" + std::to_string(closed) + "/", 2000));
  // Addresses refused before any name lookup.
  EXPECT_FALSE(InternetCheckConnection("", 2000));
  EXPECT_FALSE(InternetCheckConnection("gopher://127.0.0.1:" + std::to_string(closed) + "/", 2000));
}

TEST(InternetProbe, AddressForms) {
  // Every address points at a listening server unless it says otherwise, so a false shows
  // that the address itself was refused.
  TTestServer server("http_server.py");
  const std::string port = std::to_string(server.Port());
  const std::string closed = std::to_string(ClosedPort());
  struct TCase {
    const char* What;
    std::string URL;
    bool Reachable;
  };
  const TCase cases[] = {
      {"scheme in capitals", "HTTP://127.0.0.1:" + port + "/", true},
      {"no path", "http://127.0.0.1:" + port, true},
      {"query right after the port", "http://127.0.0.1:" + port + "?a=b", true},
      {"https scheme, plain server", "https://127.0.0.1:" + port + "/x", true},
      {"name looked up", "http://localhost:" + port + "/", true},
      {"no host", "http://:" + port + "/", false},
      {"nothing after the scheme", "http://", false},
      {"no slashes", "http:127.0.0.1:" + port + "/", false},
      {"other scheme", "ftp://127.0.0.1:" + port + "/", false},
      {"empty port", "http://127.0.0.1:/", false},
      {"port not a number", "http://127.0.0.1:8o/", false},
      {"signed port", "http://127.0.0.1:+" + port + "/", false},
      {"port zero", "http://127.0.0.1:0/", false},
      {"port past 65535 that wraps to the server's", "http://127.0.0.1:" +
                                                         std::to_string(server.Port() + 65536) +
                                                         "/",
       false},
      {"huge port", "http://127.0.0.1:99999999999999999999/", false},
      {"user name", "http://user@127.0.0.1:" + port + "/", false},
      {"user name and password", "http://user:pw@127.0.0.1:" + port + "/", false},
      {"server hidden in the user name", "http://127.0.0.1:" + port + "@127.0.0.1:" + closed + "/",
       false},
      {"space in the host", "http://127.0.0.1 :" + port + "/", false},
      {"IPv6 without brackets", "http://::1:" + closed + "/", false},
      {"unclosed bracket", "http://[::1:" + closed + "/", false},
      {"text after the bracket", "http://[::1]x:" + closed + "/", false},
      {"IPv6 literal, closed port", "http://[::1]:" + closed + "/", false},
  };
  for (const TCase& c : cases)
    EXPECT_EQ(InternetCheckConnection(c.URL, 2000), c.Reachable) << c.What << ": " << c.URL;
}

TEST(InternetProbe, ReachesAnIPv6Literal) {
  TListener v6(AF_INET6, false);
  if (v6.Port() == 0) GTEST_SKIP() << "no IPv6 loopback on this machine";
  EXPECT_TRUE(InternetCheckConnection("http://[::1]:" + std::to_string(v6.Port()) + "/", 2000));
}

TEST(InternetProbe, AListeningTLSServerIsReachableCertificatesAreNotLookedAt) {
  testsupport::TempDir dir;
  TTestServer server("http_server.py", {"--tls", dir.path().string()});
  TNetConfig saved = NetConfig();
  NetConfig().CAFile = "";
  EXPECT_TRUE(InternetCheckConnection(server.Url("https", "/"), 2000));
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
  // A server that takes the connection and never says a word: the connection is all the
  // probe asks for.
  TTestServer silent("silent_server.py");
  EXPECT_TRUE(InternetCheckConnection(silent.Url("https", "/"), 1000));

  TListener hanging(AF_INET, true);
  ASSERT_TRUE(hanging.Full()) << "could not fill the accept queue";
  const std::string url = "http://127.0.0.1:" + std::to_string(hanging.Port()) + "/";
  bool result = true;
  const long long ms = MillisecondsOf([&] { result = InternetCheckConnection(url, 1000); });
  EXPECT_FALSE(result);
  EXPECT_GE(ms, 900);
  EXPECT_LT(ms, 2500);
  // The same through a name lookup, which counts against the same time.
  const long long named = MillisecondsOf([&] {
    result = InternetCheckConnection("http://localhost:" + std::to_string(hanging.Port()), 1000);
  });
  EXPECT_FALSE(result);
  EXPECT_LT(named, 2500);
  // Asking for more than five seconds still gets at most five.
  const long long capped = MillisecondsOf([&] { InternetCheckConnection(url, 60000); });
  EXPECT_GE(capped, 4900);
  EXPECT_LT(capped, 7000);
}
