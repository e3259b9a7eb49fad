#include <gtest/gtest.h>

#include <memory>

#include "Classes.h"
#include "HTTPClient.h"
#include "NetConfig.h"
#include "TestSupport.h"
#include "TestServers.h"

using nettest::ClosedPort;
using nettest::MillisecondsOf;
using nettest::TTestServer;

namespace {

// One plain HTTP server for the whole program: starting Python takes a moment.
class HTTPClientTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() { Server = new TTestServer("http_server.py"); }
  static void TearDownTestSuite() {
    delete Server;
    Server = nullptr;
  }
  static std::string Url(const std::string& Path) { return Server->Url("http", Path); }

  static TTestServer* Server;
  THTTPClient Client{nullptr};
};
TTestServer* HTTPClientTest::Server = nullptr;

std::string Repeat(size_t n) {
  const std::string line = "0123456789abcdefghijklmnopqrstuvwxyz\n";
  std::string s;
  while (s.size() < n) s += line;
  return s.substr(0, n);
}

}  // namespace

TEST_F(HTTPClientTest, GetReturnsTheBodyByteForByte) {
  for (size_t n : {size_t{0}, size_t{200}, size_t{3513}, size_t{300000}}) {
    SCOPED_TRACE(n);
    EXPECT_EQ(Client.Get(Url("/text/" + std::to_string(n))), Repeat(n));
    EXPECT_EQ(Client.ResponseCode(), 200);
  }
}

TEST_F(HTTPClientTest, GetIntoAFileStreamWritesTheBody) {
  testsupport::TempDir dir;
  {
    TFileStream f("Release.txt", fmCreate);
    Client.Get(Url("/text/5000"), &f);
  }
  EXPECT_EQ(dir.read("Release.txt"), Repeat(5000));
}

TEST_F(HTTPClientTest, SendsTheRequestHeadersAsGiven) {
  Client.Request.Accept = "text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8";
  Client.Request.UserAgent = "Mozilla/5.0 (X11; rv:12.0) Gecko/20100101 Test/1.0'";
  const std::string echo = Client.Get(Url("/echo"));
  EXPECT_EQ(echo.rfind("GET /echo HTTP/1.1\r\n", 0), 0u) << echo;
  EXPECT_NE(
      echo.find("\nAccept: text/html,application/xhtml+xml,application/xml;q=0.9,*/*;q=0.8\n"),
      std::string::npos)
      << echo;
  EXPECT_NE(echo.find("\nUser-Agent: Mozilla/5.0 (X11; rv:12.0) Gecko/20100101 Test/1.0'\n"),
            std::string::npos)
      << echo;
}

TEST_F(HTTPClientTest, EmptyHeadersAreNotSent) {
  Client.Request.Accept = "";
  Client.Request.UserAgent = "";
  const std::string echo = Client.Get(Url("/echo"));
  EXPECT_EQ(echo.find("Accept:"), std::string::npos) << echo;
  EXPECT_EQ(echo.find("User-Agent:"), std::string::npos) << echo;
}

TEST_F(HTTPClientTest, ErrorStatusRaisesWithTheStatusAndWritesNothing) {
  struct Case {
    const char* path;
    int code;
  };
  for (const Case& c :
       {Case{"/status/404", 404}, Case{"/status/500", 500}, Case{"/status/503", 503}}) {
    SCOPED_TRACE(c.path);
    testsupport::TempDir dir;
    TFileStream f("page.txt", fmCreate);
    try {
      Client.Get(Url(c.path), f);
      ADD_FAILURE() << "no exception";
    } catch (const EHTTPProtocolError& e) {
      EXPECT_EQ(e.ErrorCode, c.code);
      EXPECT_NE(e.Message.find(std::to_string(c.code)), std::string::npos) << e.Message;
      EXPECT_EQ(e.Message.rfind("HTTP/1.", 0), 0u) << e.Message;
    }
    EXPECT_EQ(f.Size(), 0);
    EXPECT_THROW(Client.Get(Url(c.path)), EHTTPProtocolError);
  }
}

TEST_F(HTTPClientTest, RedirectsAreFollowedUpToTheLimit) {
  EXPECT_EQ(Client.Get(Url("/redirect/3")), "arrived");
  EXPECT_EQ(Client.ResponseCode(), 200);

  Client.RedirectMaximum = 2;
  EXPECT_THROW(Client.Get(Url("/redirect/3")), ENetError);

  Client.HandleRedirects = false;
  try {
    Client.Get(Url("/redirect/1"));
    ADD_FAILURE() << "no exception";
  } catch (const EHTTPProtocolError& e) {
    EXPECT_EQ(e.ErrorCode, 302);
  }
}

TEST_F(HTTPClientTest, CookiesAreSentBackOnlyWhenAllowed) {
  for (bool allow : {true, false}) {
    SCOPED_TRACE(allow);
    THTTPClient client(nullptr);
    client.AllowCookies = allow;
    client.Get(Url("/set-cookie"));
    const std::string echo = client.Get(Url("/echo"));
    EXPECT_EQ(echo.find("Cookie: session=abc123") != std::string::npos, allow) << echo;
  }
  // Switching cookies off forgets those already received.
  THTTPClient client(nullptr);
  client.Get(Url("/set-cookie"));
  client.AllowCookies = false;
  EXPECT_EQ(client.Get(Url("/echo")).find("Cookie:"), std::string::npos);
}

TEST_F(HTTPClientTest, RefusedConnectionIsASocketError) {
  const std::string url = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/";
  EXPECT_THROW(Client.Get(url), ESocketError);
  testsupport::TempDir dir;
  TFileStream f("Release.txt", fmCreate);
  EXPECT_THROW(Client.Get(url, f), ESocketError);
  EXPECT_EQ(f.Size(), 0);
}

TEST_F(HTTPClientTest, SilentServerTimesOutWithinTheReadTimeout) {
  TTestServer silent("silent_server.py");
  Client.ReadTimeout = 1000;
  std::string message;
  const long long ms = MillisecondsOf([&] {
    try {
      Client.Get(silent.Url("http", "/"));
    } catch (const ESocketError& e) {
      message = e.Message;
    }
  });
  EXPECT_NE(message.find("timed out"), std::string::npos) << message;
  EXPECT_GE(ms, 900);
  EXPECT_LT(ms, 5000);  // the bound the user sees, not a measure of speed
}

// A server that sends "x\n" every 0.1 s under a length of a million bytes never finishes:
// the minimum rate or the total time limit ends the request, whichever is set to bind.
TEST_F(HTTPClientTest, TricklingServerIsTooSlow) {
  const struct {
    const char* Name;
    int MinimumRate;
    int TransferTimeout;
    const char* Detail;
  } cases[] = {
      {"below the minimum rate", 1000, 600000, "sent less than 1000 bytes a second for 1 s"},
      {"past the total time limit", 1, 1500, "did not finish within 1.5 s"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Client.ReadTimeout = 1000;
    Client.MinimumRate = c.MinimumRate;
    Client.TransferTimeout = c.TransferTimeout;
    testsupport::TempDir dir;
    TFileStream f("page.txt", fmCreate);
    try {
      Client.Get(Url("/trickle"), f);
      ADD_FAILURE() << "no exception";
    } catch (const ESocketError& e) {
      EXPECT_EQ(e.Message.rfind("the server is too slow: ", 0), 0u) << e.Message;
      EXPECT_NE(e.Message.find(c.Detail), std::string::npos) << e.Message;
    }
  }
}

TEST_F(HTTPClientTest, BodyLargerThanMaxBytesStopsTheTransfer) {
  const struct {
    Int64 MaxBytes;
    size_t Size;
    bool Refused;
  } cases[] = {
      {0, 300000, false},       // no cap
      {300000, 300000, false},  // exactly the cap
      {300000, 300001, true},   // one byte more
      {4 * 1048576, 5 * 1048576, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Size);
    Client.MaxBytes = c.MaxBytes;
    const std::string url = Url("/text/" + std::to_string(c.Size));
    if (!c.Refused) {
      EXPECT_EQ(Client.Get(url).size(), c.Size);
      continue;
    }
    try {
      Client.Get(url);
      ADD_FAILURE() << "no exception";
    } catch (const EReplyTooLarge& e) {
      EXPECT_NE(e.Message.find("is larger than " +
                               std::string(c.MaxBytes == 300000 ? "300000 bytes" : "4 MB")),
                std::string::npos)
          << e.Message;
      EXPECT_NE(e.Message.find("127.0.0.1:" + std::to_string(Server->Port())), std::string::npos)
          << e.Message;
    }
    TStringStream into;
    EXPECT_THROW(Client.Get(url, into), EReplyTooLarge);
    EXPECT_LE(into.Size(), c.MaxBytes);
  }
}

TEST_F(HTTPClientTest, WriteFailureOfTheStreamReachesTheCaller) {
  // A stream that refuses to take data stops the transfer with the stream's own error.
  struct TFullStream : TStream {
    Int64 Read(void*, Int64) override { return 0; }
    Int64 Write(const void*, Int64) override { return 0; }
    Int64 Seek(Int64, TSeekOrigin) override { return 0; }
    void SetSize(Int64) override {}
  } full;
  EXPECT_THROW(Client.Get(Url("/text/100000"), full), EWriteError);
  // The client is still usable afterwards.
  EXPECT_EQ(Client.Get(Url("/text/10")), Repeat(10));
}

TEST_F(HTTPClientTest, DefaultsComeFromTheConfiguration) {
  TNetConfig saved = NetConfig();
  NetConfig().ConnectTimeoutMs = 1234;
  NetConfig().ReadTimeoutMs = 5678;
  NetConfig().MinimumRate = 321;
  NetConfig().TransferTimeoutMs = 9876;
  NetConfig().CAFile = "/some/ca.pem";
  THTTPClient client(nullptr);
  TSSLIOHandler tls(nullptr);
  NetConfig() = saved;
  EXPECT_EQ(client.ConnectTimeout, 1234);
  EXPECT_EQ(client.ReadTimeout, 5678);
  EXPECT_EQ(client.MinimumRate, 321);
  EXPECT_EQ(client.TransferTimeout, 9876);
  EXPECT_EQ(client.MaxBytes, 0);
  EXPECT_EQ(tls.CAFile, "/some/ca.pem");
}

// ---- HTTPS ------------------------------------------------------------------------------

class HTTPSClientTest : public ::testing::Test {
protected:
  testsupport::TempDir Dir;
};

TEST_F(HTTPSClientTest, TrustedThroughTheExtraCAFile) {
  for (const char* mode : {"", "--tls12-only"}) {
    SCOPED_TRACE(mode);
    std::vector<std::string> args{"--tls", Dir.path().string()};
    if (*mode) args.push_back(mode);
    TTestServer server("http_server.py", args);
    TComponent form(nullptr);
    auto* tls = new TSSLIOHandler(&form);
    tls->CAFile = (Dir.path() / "cert.pem").string();
    auto* client = new THTTPClient(&form);
    client->IOHandler = tls;
    EXPECT_EQ(client->Get(server.Url("https", "/text/1000")), Repeat(1000));
  }
}

TEST_F(HTTPSClientTest, UntrustedCertificateIsRejected) {
  TTestServer server("http_server.py", {"--tls", Dir.path().string()});
  TSSLIOHandler tls(nullptr);
  tls.CAFile = "";  // the system's store only, which does not know the test's certificate
  THTTPClient client(nullptr);
  client.IOHandler = &tls;
  try {
    client.Get(server.Url("https", "/text/10"));
    ADD_FAILURE() << "an unknown certificate was accepted";
  } catch (const ETLSError& e) {
    EXPECT_NE(e.Message.find("certificate"), std::string::npos) << e.Message;
  }
  // Without any IOHandler the same checks apply.
  THTTPClient bare(nullptr);
  EXPECT_THROW(bare.Get(server.Url("https", "/text/10")), ETLSError);
}

TEST_F(HTTPSClientTest, TLS13FloorRefusesATLS12Server) {
  TTestServer server("http_server.py", {"--tls", Dir.path().string(), "--tls12-only"});
  TSSLIOHandler tls(nullptr);
  tls.CAFile = (Dir.path() / "cert.pem").string();
  tls.MinTLSVersion = TSSLIOHandler::tlsv1_3;
  THTTPClient client(nullptr);
  client.IOHandler = &tls;
  EXPECT_THROW(client.Get(server.Url("https", "/text/10")), ETLSError);
}

// A request that starts on https follows redirects to https addresses only: one to any other
// scheme is refused, naming the address, before anything is asked of it.
TEST_F(HTTPSClientTest, RedirectsFromHttpsStayOnHttps) {
  TTestServer server("http_server.py", {"--tls", Dir.path().string()});
  TTestServer plain("http_server.py");
  const std::string insecure = plain.Url("http", "/text/10");
  const struct {
    const char* Name;
    std::string Path;
    std::string Refused;  // the address named, or empty when the body arrives
  } cases[] = {
      {"to http", "/goto?" + insecure, insecure},
      {"to HTTP in capitals", "/goto?HTTP" + insecure.substr(4), "HTTP" + insecure.substr(4)},
      {"to ftp", "/goto?ftp://127.0.0.1/rad.txt", "ftp://127.0.0.1/rad.txt"},
      {"to https", "/goto?" + server.Url("https", "/text/10"), ""},
      {"relative", "/redirect/2", ""},
  };
  TSSLIOHandler tls(nullptr);
  tls.CAFile = (Dir.path() / "cert.pem").string();
  THTTPClient client(nullptr);
  client.IOHandler = &tls;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.Refused.empty()) {
      EXPECT_NO_THROW(client.Get(server.Url("https", c.Path)));
      continue;
    }
    try {
      client.Get(server.Url("https", c.Path));
      ADD_FAILURE() << "the redirect was followed";
    } catch (const ETLSError& e) {
      EXPECT_NE(e.Message.find("sends the request on to " + c.Refused + ", which is not secure"),
                std::string::npos)
          << e.Message;
    }
  }
  // Not following redirects, the client reports the status as for any other address.
  client.HandleRedirects = false;
  try {
    client.Get(server.Url("https", "/goto?" + insecure));
    ADD_FAILURE() << "no exception";
  } catch (const EHTTPProtocolError& e) {
    EXPECT_EQ(e.ErrorCode, 302);
  }
  // A request that starts in the clear may still be sent on to the secure server.
  THTTPClient open(nullptr);
  open.IOHandler = &tls;
  EXPECT_EQ(open.Get(plain.Url("http", "/goto?" + server.Url("https", "/text/10"))), Repeat(10));
}

// ---- as a window description creates them ----------------------------------------------

namespace {
TPropValue Str(const std::string& s) {
  TPropValue v;
  v.kind = TPropValue::Kind::String;
  v.s = s;
  return v;
}
TPropValue Ident(const std::string& s) {
  TPropValue v;
  v.kind = TPropValue::Kind::Ident;
  v.s = s;
  return v;
}
TPropValue Int(long long i) {
  TPropValue v;
  v.kind = TPropValue::Kind::Integer;
  v.i = i;
  return v;
}
}  // namespace

TEST(HTTPClientDescription, CreatedByClassNameWithTheirProperties) {
  RegisterNetClasses();
  TComponent form(nullptr);
  const TComponentFactory* makeClient = FindComponentClass("THTTPClient");
  const TComponentFactory* makeTLS = FindComponentClass("TSSLIOHandler");
  ASSERT_TRUE(makeClient && makeTLS && FindComponentClass("TFTPClient"));

  // The client may come before its handler in the description.
  auto* client = dynamic_cast<THTTPClient*>((*makeClient)(&form));
  ASSERT_NE(client, nullptr);
  client->BeginLoading();
  client->SetName("IdHTTP1");
  EXPECT_TRUE(client->SetDescribedProperty("Request.Accept", Str("text/plain")));
  EXPECT_TRUE(client->SetDescribedProperty("Request.UserAgent", Str("Agent/1")));
  EXPECT_TRUE(client->SetDescribedProperty("AllowCookies", Ident("False")));
  EXPECT_TRUE(client->SetDescribedProperty("HandleRedirects", Ident("False")));
  EXPECT_TRUE(client->SetDescribedProperty("ConnectTimeout", Int(2000)));
  EXPECT_TRUE(client->SetDescribedProperty("ReadTimeout", Int(3000)));
  EXPECT_TRUE(client->SetDescribedProperty("IOHandler", Ident("SSL1")));
  EXPECT_FALSE(client->SetDescribedProperty("NoSuchProperty", Int(1)));

  auto* tls = dynamic_cast<TSSLIOHandler*>((*makeTLS)(&form));
  ASSERT_NE(tls, nullptr);
  tls->SetName("SSL1");
  EXPECT_TRUE(tls->SetDescribedProperty("MinTLSVersion", Ident("tlsv1_3")));
  EXPECT_TRUE(tls->SetDescribedProperty("CAFile", Str("/etc/extra.pem")));
  EXPECT_THROW(tls->SetDescribedProperty("MinTLSVersion", Ident("sslv3")), EConvertError);
  client->Loaded();

  EXPECT_EQ(client->IOHandler, tls);
  EXPECT_EQ(client->Request.Accept, "text/plain");
  EXPECT_EQ(client->Request.UserAgent, "Agent/1");
  EXPECT_FALSE(client->AllowCookies);
  EXPECT_FALSE(client->HandleRedirects);
  EXPECT_EQ(client->ConnectTimeout, 2000);
  EXPECT_EQ(client->ReadTimeout, 3000);
  EXPECT_EQ(tls->MinTLSVersion, TSSLIOHandler::tlsv1_3);
  EXPECT_EQ(tls->CAFile, "/etc/extra.pem");
}

TEST(HTTPClientDescription, UnknownIOHandlerIsReported) {
  TComponent form(nullptr);
  auto* client = new THTTPClient(&form);
  client->SetName("H1");
  new TComponent(&form);
  client->BeginLoading();
  client->SetDescribedProperty("IOHandler", Ident("Missing1"));
  EXPECT_THROW(client->Loaded(), EComponentError);
}
