#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "FTPClient.h"
#include "NetConfig.h"
#include "TestSupport.h"
#include "TestServers.h"

namespace fs = std::filesystem;
using nettest::ClosedPort;
using nettest::MillisecondsOf;
using nettest::TTestServer;
using testsupport::ReadFileBytes;

namespace {

const std::string kList = "Solar flux list\r\n 245 MHz   12   -1\r\n";

// An FTP server on 127.0.0.1 whose greeting comes one byte every 0.2 s, for as long as the
// client listens.
class TTricklingGreeter {
public:
  TTricklingGreeter() {
    FListener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (FListener < 0 || ::bind(FListener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(FListener, 4) != 0 ||
        ::getsockname(FListener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
      throw std::runtime_error("no listening socket for the test server");
    FPort = ntohs(address.sin_port);
    FThread = std::thread([this] { Serve(); });
  }
  ~TTricklingGreeter() {
    FStop = true;
    FThread.join();
    ::close(FListener);
  }
  int Port() const { return FPort; }

private:
  void Serve() {
    const std::string greeting = "220 Welcome to a slow server\r\n";
    while (!FStop) {
      pollfd p{FListener, POLLIN, 0};
      if (::poll(&p, 1, 20) != 1) continue;
      const int client = ::accept4(FListener, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) continue;
      for (std::size_t i = 0; !FStop; i = (i + 1) % greeting.size()) {
        if (::send(client, &greeting[i], 1, MSG_NOSIGNAL) != 1) break;
        for (int wait = 0; wait < 10 && !FStop; ++wait) ::poll(nullptr, 0, 20);
      }
      ::close(client);
    }
  }
  int FListener = -1;
  int FPort = 0;
  std::atomic<bool> FStop{false};
  std::thread FThread;
};

// A server whose root holds /pub/lists/radio/rad.txt; the test works in a folder of its own.
class FTPClientTest : public ::testing::Test {
protected:
  FTPClientTest()
      : Root(Work.path() / "server"),
        Log(Work.path() / "commands.log"),
        Server(Prepare(Root), {Root.string(), Log.string()}) {
    Client.Host = "127.0.0.1";
    Client.Port = Server.Port();
    Client.Username = "anonymous";
    Client.Password = " observer@home ";
    Client.ConnectTimeout = 5000;
    Client.ReadTimeout = 5000;
  }

  static std::string Prepare(const fs::path& Root) {
    fs::create_directories(Root / "pub/lists/radio");
    std::ofstream(Root / "pub/lists/radio/rad.txt", std::ios::binary) << kList;
    std::ofstream(Root / "pub/lists/radio/broken.txt", std::ios::binary)
        << std::string(200000, 'x');
    std::ofstream(Root / "pub/lists/radio/trickle.txt", std::ios::binary)
        << std::string(100000, 'x');
    return "ftp_server.py";
  }

  std::vector<std::string> Commands() const {
    std::vector<std::string> out;
    std::ifstream in(Log);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }
  bool Sent(const std::string& Command) const {
    for (const auto& c : Commands())
      if (c == Command) return true;
    return false;
  }
  bool SentStartingWith(const std::string& Prefix) const {
    for (const auto& c : Commands())
      if (c.rfind(Prefix, 0) == 0) return true;
    return false;
  }
  // Files in the working folder other than the server's tree and its log.
  std::vector<std::string> LocalFiles() const {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(Work.path())) {
      const std::string n = e.path().filename().string();
      if (n != "server" && n != "commands.log") out.push_back(n);
    }
    return out;
  }

  testsupport::TempDir Work;
  fs::path Root;
  fs::path Log;
  TTestServer Server;
  TFTPClient Client{nullptr};
};

}  // namespace

TEST_F(FTPClientTest, DownloadsTheListReplacingTheOldFile) {
  for (bool passive : {true, false}) {
    SCOPED_TRACE(passive ? "passive" : "active");
    Work.write("SunFlowNoaa.txt",
               "yesterday's list, longer than today's and never to be seen again");
    Client.Connect();
    EXPECT_TRUE(Client.Connected());
    Client.ChangeDir("/pub/lists/radio");
    Client.Passive = passive;
    Client.Get("rad.txt", "SunFlowNoaa.txt", true, false);
    Client.Disconnect();
    EXPECT_FALSE(Client.Connected());

    EXPECT_EQ(Work.read("SunFlowNoaa.txt"), kList);  // byte for byte, CR LF kept
    EXPECT_EQ(LocalFiles(), std::vector<std::string>{"SunFlowNoaa.txt"});
    EXPECT_TRUE(Sent("USER anonymous"));
    EXPECT_TRUE(Sent("PASS  observer@home "));
    EXPECT_TRUE(Sent("CWD /pub/lists/radio"));
    EXPECT_EQ(Sent("PASV"), passive);
    EXPECT_EQ(SentStartingWith("EPRT ") || SentStartingWith("PORT "), !passive);
    EXPECT_TRUE(Sent("RETR rad.txt"));
    EXPECT_TRUE(Sent("QUIT"));
    fs::remove(Log);
  }
}

TEST_F(FTPClientTest, RelativeFoldersAddUp) {
  Client.Connect();
  Client.ChangeDir("pub");
  Client.ChangeDir("lists/radio");
  EXPECT_EQ(Client.CurrentDir(), "pub/lists/radio");
  Client.Get("rad.txt", "copy.txt");
  EXPECT_EQ(Work.read("copy.txt"), kList);
}

TEST_F(FTPClientTest, FailedDownloadKeepsTheOldFile) {
  const std::string old = "the list that is still good";
  Work.write("SunFlowNoaa.txt", old);
  Client.Connect();
  Client.ChangeDir("/pub/lists/radio");
  EXPECT_THROW(Client.Get("missing.txt", "SunFlowNoaa.txt", true), EFTPError);
  EXPECT_EQ(Work.read("SunFlowNoaa.txt"), old);
  EXPECT_EQ(LocalFiles(), std::vector<std::string>{"SunFlowNoaa.txt"});
  // The connection is still good for the next command.
  Client.Get("rad.txt", "SunFlowNoaa.txt", true);
  EXPECT_EQ(Work.read("SunFlowNoaa.txt"), kList);
}

TEST_F(FTPClientTest, TransferBrokenOffKeepsTheOldFile) {
  const std::string old = "the list that is still good";
  Work.write("SunFlowNoaa.txt", old);
  Client.Connect();
  Client.ChangeDir("/pub/lists/radio");
  // Part of the file arrived before the line dropped: a socket failure, and no trace of it.
  EXPECT_THROW(Client.Get("broken.txt", "SunFlowNoaa.txt", true), ESocketError);
  EXPECT_TRUE(Sent("RETR broken.txt"));
  EXPECT_EQ(Work.read("SunFlowNoaa.txt"), old);
  EXPECT_EQ(LocalFiles(), std::vector<std::string>{"SunFlowNoaa.txt"});
}

// A file that comes one byte every 0.05 s, or that is larger than allowed: the transfer is
// stopped, said why, and the old file stays as it was.
TEST_F(FTPClientTest, SlowOrOversizedFilesKeepTheOldFile) {
  const std::string old = "the list that is still good";
  const struct {
    const char* Name;
    const char* Source;
    int MinimumRate;
    int TransferTimeout;
    Int64 MaxBytes;
    const char* Reason;
  } cases[] = {
      {"below the minimum rate", "trickle.txt", 1000, 600000, 0,
       "the server is too slow: ftp://127.0.0.1"},
      {"past the total time limit", "trickle.txt", 1, 1500, 0, "did not finish within 1.5 s"},
      {"larger than allowed", "broken.txt", 1, 600000, 1000, "is larger than 1000 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Work.write("SunFlowNoaa.txt", old);
    Client.ReadTimeout = 1000;
    Client.MinimumRate = c.MinimumRate;
    Client.TransferTimeout = c.TransferTimeout;
    Client.MaxBytes = c.MaxBytes;
    for (bool toMemory : {false, true}) {
      Client.Connect();
      Client.ChangeDir("/pub/lists/radio");
      try {
        if (toMemory)
          Client.Get(c.Source);
        else
          Client.Get(c.Source, "SunFlowNoaa.txt", true);
        ADD_FAILURE() << "no exception";
      } catch (const ENetError& e) {
        EXPECT_NE(e.Message.find(c.Reason), std::string::npos) << e.Message;
        EXPECT_EQ(c.MaxBytes != 0, dynamic_cast<const EReplyTooLarge*>(&e) != nullptr);
        EXPECT_EQ(c.MaxBytes == 0, dynamic_cast<const ESocketError*>(&e) != nullptr);
      }
      Client.Disconnect();
    }
    EXPECT_EQ(Work.read("SunFlowNoaa.txt"), old);
    EXPECT_EQ(LocalFiles(), std::vector<std::string>{"SunFlowNoaa.txt"});
  }
  // Within the limits the file arrives into memory byte for byte.
  Client.MaxBytes = static_cast<Int64>(kList.size());
  Client.Connect();
  Client.ChangeDir("/pub/lists/radio");
  EXPECT_EQ(Client.Get("rad.txt"), kList);
}

TEST_F(FTPClientTest, NoOverwriteLeavesAnExistingFileAlone) {
  Work.write("SunFlowNoaa.txt", "mine");
  Client.Connect();
  Client.ChangeDir("/pub/lists/radio");
  EXPECT_THROW(Client.Get("rad.txt", "SunFlowNoaa.txt", false), EFCreateError);
  EXPECT_EQ(Work.read("SunFlowNoaa.txt"), "mine");
  EXPECT_FALSE(Sent("RETR rad.txt"));
  EXPECT_THROW(Client.Get("rad.txt", "other.txt", true, /*Resume=*/true), EFTPError);
}

TEST_F(FTPClientTest, RefusalsByTheServerAreFTPErrors) {
  Client.Connect();
  EXPECT_THROW(Client.ChangeDir("/pub/no/such/folder"), EFTPError);
  EXPECT_EQ(Client.CurrentDir(), "");

  TFTPClient other(nullptr);
  other.Host = "127.0.0.1";
  other.Port = Server.Port();
  other.Username = "observer";
  other.Password = "wrong";
  EXPECT_THROW(other.Connect(), EFTPError);
  EXPECT_FALSE(other.Connected());
  other.Password = "right";
  other.Connect();
  EXPECT_TRUE(other.Connected());
}

TEST_F(FTPClientTest, CommandsNeedAConnection) {
  EXPECT_THROW(Client.ChangeDir("/pub"), EFTPError);
  EXPECT_THROW(Client.Get("rad.txt", "x.txt"), EFTPError);
  EXPECT_TRUE(LocalFiles().empty());
}

TEST(FTPClientFailures, RefusedConnectionIsASocketError) {
  testsupport::TempDir dir;
  TFTPClient client(nullptr);
  client.Host = "127.0.0.1";
  client.Port = ClosedPort();
  try {
    client.Connect();
    ADD_FAILURE() << "no exception";
  } catch (const ESocketError& e) {
    EXPECT_FALSE(e.Message.empty());
  }
  EXPECT_FALSE(client.Connected());
}

// A server that never finishes its greeting: connection limit, and the message says the limit
// and whether the server said anything at all.
TEST(FTPClientFailures, SilentServerTimesOut) {
  TTestServer silent("silent_server.py");
  TTricklingGreeter trickling;
  const struct {
    const char* Name;
    int Port;
    const char* Reason;  // after "ftp://127.0.0.1:port/"
  } cases[] = {
      {"never greets", silent.Port(), "Read timed out: no answer from # within 1 s"},
      {"greeting trickles in", trickling.Port(),
       "the server is too slow: # answered but did not complete the connection within 1 s"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TFTPClient client(nullptr);
    client.Host = "127.0.0.1";
    client.Port = c.Port;
    client.ConnectTimeout = 1000;
    client.ReadTimeout = 5000;
    std::string message;
    const long long ms = MillisecondsOf([&] {
      try {
        client.Connect();
      } catch (const ESocketError& e) {
        message = e.Message;
      }
    });
    std::string expected = c.Reason;
    expected.replace(expected.find('#'), 1, "ftp://127.0.0.1:" + std::to_string(c.Port) + "/");
    EXPECT_EQ(message, expected);
    EXPECT_GE(ms, 900);
    EXPECT_LT(ms, 5000);
  }
}

TEST(FTPClientDescription, TakesItsProperties) {
  TFTPClient client(nullptr);
  TPropValue s;
  s.kind = TPropValue::Kind::String;
  TPropValue i;
  i.kind = TPropValue::Kind::Integer;
  TPropValue b;
  b.kind = TPropValue::Kind::Ident;
  b.s = "False";
  s.s = "ftp.example.org";
  EXPECT_TRUE(client.SetDescribedProperty("Host", s));
  i.i = 2121;
  EXPECT_TRUE(client.SetDescribedProperty("Port", i));
  s.s = "someone";
  EXPECT_TRUE(client.SetDescribedProperty("Username", s));
  s.s = "secret";
  EXPECT_TRUE(client.SetDescribedProperty("Password", s));
  EXPECT_TRUE(client.SetDescribedProperty("Passive", b));
  EXPECT_FALSE(client.SetDescribedProperty("TransferMode", b));
  EXPECT_EQ(client.Host, "ftp.example.org");
  EXPECT_EQ(client.Port, 2121);
  EXPECT_EQ(client.Username, "someone");
  EXPECT_EQ(client.Password, "secret");
  EXPECT_FALSE(client.Passive);
  EXPECT_EQ(client.ConnectTimeout, NetConfig().ConnectTimeoutMs);
}
