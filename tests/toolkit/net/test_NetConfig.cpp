#include <gtest/gtest.h>

#include <cstdlib>

#include "NetConfig.h"

namespace {

// Sets environment variables for one test and puts the old values back.
class TEnv {
public:
  void Set(const char* Name, const char* Value) {
    const char* old = std::getenv(Name);
    FSaved.emplace_back(Name, old ? std::optional<std::string>(old) : std::nullopt);
    if (Value)
      setenv(Name, Value, 1);
    else
      unsetenv(Name);
  }
  ~TEnv() {
    for (auto it = FSaved.rbegin(); it != FSaved.rend(); ++it) {
      if (it->second)
        setenv(it->first.c_str(), it->second->c_str(), 1);
      else
        unsetenv(it->first.c_str());
    }
  }

private:
  std::vector<std::pair<std::string, std::optional<std::string>>> FSaved;
};

const char* kVars[] = {"KESTAL_CATALOGUE_URL", "KESTAL_VERSION_URL", "KESTAL_FTP_HOST",
                       "KESTAL_PROBE_URL", "KESTAL_CA_FILE"};

}  // namespace

TEST(NetConfig, DefaultsWithoutEnvironment) {
  TEnv env;
  for (const char* v : kVars) env.Set(v, nullptr);
  const TNetConfig c = NetConfigFromEnvironment();
  EXPECT_EQ(c.CatalogueURL, "https://www.atnf.csiro.au");
  EXPECT_EQ(c.FtpHost, "ftp.swpc.noaa.gov");
  EXPECT_EQ(c.FtpPort, 21);
  EXPECT_TRUE(c.CAFile.empty());
  EXPECT_GT(c.ConnectTimeoutMs, 0);
  EXPECT_GT(c.ReadTimeoutMs, 0);
  EXPECT_LE(c.ProbeTimeoutMs, 5000);
}

TEST(NetConfig, EnvironmentOverridesEveryHost) {
  TEnv env;
  env.Set("KESTAL_CATALOGUE_URL", "https://127.0.0.1:8443/");
  env.Set("KESTAL_VERSION_URL", "http://127.0.0.1:8080");
  env.Set("KESTAL_FTP_HOST", "127.0.0.1:2121");
  env.Set("KESTAL_PROBE_URL", "http://127.0.0.1:8080/");
  env.Set("KESTAL_CA_FILE", "/tmp/test-ca.pem");
  const TNetConfig c = NetConfigFromEnvironment();
  EXPECT_EQ(c.CatalogueURL, "https://127.0.0.1:8443");  // paths are appended to it
  EXPECT_EQ(c.VersionURL, "http://127.0.0.1:8080");
  EXPECT_EQ(c.FtpHost, "127.0.0.1");
  EXPECT_EQ(c.FtpPort, 2121);
  EXPECT_EQ(c.ProbeURL, "http://127.0.0.1:8080/");
  EXPECT_EQ(c.CAFile, "/tmp/test-ca.pem");
}

TEST(NetConfig, SplitHostPort) {
  struct Case {
    const char* text;
    const char* host;
    int port;
  };
  for (const Case& c :
       {Case{"ftp.example.org", "ftp.example.org", 21},
        Case{"ftp.example.org:2121", "ftp.example.org", 2121}, Case{"127.0.0.1:1", "127.0.0.1", 1},
        Case{"[::1]:65535", "::1", 65535}, Case{"[::1]", "::1", 21}, Case{"::1", "::1", 21}}) {
    SCOPED_TRACE(c.text);
    std::string host;
    int port = 21;
    SplitHostPort(c.text, host, port);
    EXPECT_EQ(host, c.host);
    EXPECT_EQ(port, c.port);
  }
  for (const char* bad : {"host:", "host:0", "host:65536", "host:21x", "[::1", "[::1]x"}) {
    SCOPED_TRACE(bad);
    std::string host;
    int port = 21;
    EXPECT_THROW(SplitHostPort(bad, host, port), EConvertError);
  }
}
