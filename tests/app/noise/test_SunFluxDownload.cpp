#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "NetConfig.h"
#include "SunFluxDownload.h"
#include "TestServers.h"
#include "TestSupport.h"

namespace fs = std::filesystem;
using nettest::ClosedPort;
using nettest::MillisecondsOf;
using nettest::TTestServer;

namespace {

const fs::path kRealList =
    testsupport::TestDataDir() / "noaa_rstn" / "rad_txt_layout_assembled_2025-02-20_21.txt";

// A loopback server holding /pub/lists/radio/rad.txt, and the configuration pointed at it.
class SunFluxDownloadTest : public ::testing::Test {
public:
  void Serve(const std::string& RadTxt, const std::string& Breaking = "broken.txt",
             const std::string& Trickling = "trickle.txt") {
    const fs::path root = Work.path() / "server";
    fs::create_directories(root / "pub/lists/radio");
    std::ofstream(root / "pub/lists/radio/rad.txt", std::ios::binary) << RadTxt;
    Server = std::make_unique<TTestServer>(
        "ftp_server.py",
        std::vector<std::string>{root.string(), (Work.path() / "commands.log").string(), Breaking,
                                 Trickling});
    PointAt(Server->Port());
  }
  void PointAt(int Port) {
    NetConfig().FtpHost = "127.0.0.1";
    NetConfig().FtpPort = Port;
  }
  void TearDown() override { NetConfig() = NetConfigFromEnvironment(); }
  std::vector<std::string> Commands() const {
    std::vector<std::string> out;
    std::ifstream in(Work.path() / "commands.log");
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }

  testsupport::TempDir Work;
  std::unique_ptr<TTestServer> Server;
  TFTPClient Client{nullptr};
};

}  // namespace

TEST_F(SunFluxDownloadTest, FetchesTheListAnonymously) {
  Serve(testsupport::ReadFileBytes(kRealList));
  Work.write("SunFlowNoaa.txt", "an older list");
  EXPECT_EQ(DownloadSunFluxList(Client), "");
  EXPECT_EQ(Work.read("SunFlowNoaa.txt"), testsupport::ReadFileBytes(kRealList));
  EXPECT_FALSE(Client.Connected());
  const std::vector<std::string> expected = {"USER anonymous",       "PASS  obs@kestal.org ",
                                             "CWD /pub/lists/radio", "PASV",
                                             "RETR rad.txt",         "QUIT"};
  std::vector<std::string> seen;
  for (const auto& c : Commands())
    if (std::find(expected.begin(), expected.end(), c) != expected.end()) seen.push_back(c);
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(SunFluxListAddress(), "127.0.0.1/pub/lists/radio/rad.txt");
}

// Whatever arrives must read as a whole list before it replaces the one on file: a transfer
// the server calls complete may still be cut short, empty, an error page or junk.
TEST_F(SunFluxDownloadTest, AFailedTransferKeepsTheOlderList) {
  const std::string real = testsupport::ReadFileBytes(kRealList);
  std::string junk;
  while (junk.size() < 5000) junk += "#$%&!*@^~ <> ?? {} 0x1F 9z 8y 7x -- ++ ==\r\n";
  junk.resize(5000);
  struct Case {
    const char* what;
    std::function<void(SunFluxDownloadTest&)> arrange;
    std::string reason;  // part of what is reported; empty: anything
  };
  const auto serve = [](const std::string& RadTxt) {
    return [RadTxt](SunFluxDownloadTest& t) { t.Serve(RadTxt); };
  };
  const Case cases[] = {
      {"no server", [](SunFluxDownloadTest& t) { t.PointAt(ClosedPort()); }, ""},
      {"broken off", [](SunFluxDownloadTest& t) { t.Serve(std::string(300000, 'x'), "rad.txt"); },
       ""},
      {"no such file",
       [](SunFluxDownloadTest& t) {
         t.Serve("");
         fs::remove(t.Work.path() / "server/pub/lists/radio/rad.txt");
       },
       ""},
      {"one byte a moment",
       [&real](SunFluxDownloadTest& t) { t.Serve(real, "broken.txt", "rad.txt"); },
       "the server is too slow"},
      {"larger than 1 MB", serve(std::string(kSunFluxMaxBytes + 1, 'x')), "larger than 1 MB"},
      {"cut at 968 bytes", serve(real.substr(0, 968)), "It has 21 lines, 36 are needed."},
      {"cut in the last line", serve(real.substr(0, real.size() - 20)), "the list was cut"},
      {"empty", serve(""), "It has 0 lines, 36 are needed."},
      {"an error page", serve("<html><body><h1>503 Service Unavailable</h1></body></html>\r\n"),
       "It has 1 lines, 36 are needed."},
      {"junk", serve(junk), "is not a flux value"},
  };
  Client.ReadTimeout = 1000;
  Client.MinimumRate = 1000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Server.reset();
    fs::remove_all(Work.path() / "server");
    c.arrange(*this);
    Work.write("SunFlowNoaa.txt", "an older list");
    String reason;
    const long long ms = MillisecondsOf([&] { reason = DownloadSunFluxList(Client); });
    EXPECT_NE(reason, "");
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    EXPECT_LT(ms, 10000);
    EXPECT_EQ(Work.read("SunFlowNoaa.txt"), "an older list");
    EXPECT_FALSE(Client.Connected());
    for (const auto& e : fs::directory_iterator(Work.path()))
      EXPECT_EQ(e.path().filename().string().find(".part"), std::string::npos);
  }
}

// A server that accepts and never answers: the configured timeout ends the wait.
TEST_F(SunFluxDownloadTest, ASilentServerTimesOut) {
  Server = std::make_unique<TTestServer>("silent_server.py");
  PointAt(Server->Port());
  TFTPClient client(nullptr);
  client.ConnectTimeout = 1000;
  client.ReadTimeout = 1000;
  Work.write("SunFlowNoaa.txt", "an older list");
  String reason;
  const long long ms = MillisecondsOf([&] { reason = DownloadSunFluxList(client); });
  EXPECT_NE(reason, "");
  EXPECT_LT(ms, 5000);
  EXPECT_EQ(Work.read("SunFlowNoaa.txt"), "an older list");
}
