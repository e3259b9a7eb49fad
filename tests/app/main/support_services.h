#pragma once
// Stand-ins for the catalogue service and the program's web site: a canned-reply server on
// 127.0.0.1 (tests/support/servers/canned_server.py) with a folder of its own for the replies,
// the routes and the log of the requests it received.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestServers.h"

struct TCannedReply {
  int Status = 200;
  std::string Body;             // bytes of the reply
  std::string Mode = "normal";  // "normal", "cut", "silent", "exit", "trickle" (see
                                // canned_server.py)
  std::string Location = "";    // the Location header, when not empty
};

class TCannedService {
public:
  enum TTls { Plain, TrustedTls, UntrustedTls };
  explicit TCannedService(TTls Tls = Plain);
  ~TCannedService();

  // Replies for Path (query left off), taken in turn; the last one repeats.
  void Route(const std::string& Path, const std::vector<TCannedReply>& Replies);
  // "scheme://127.0.0.1:port"
  std::string BaseUrl() const;
  // The certificate authority that issued the server's certificate (TrustedTls).
  std::string CaFile() const { return (FFolder / "certs" / "ca.pem").string(); }
  // Request lines and headers received so far, as the server logged them.
  std::string RequestLog() const;

private:
  void WriteRoutes();
  std::filesystem::path FFolder;
  TTls FTls;
  std::vector<std::pair<std::string, std::vector<TCannedReply>>> FRoutes;
  int FBodies = 0;
  std::unique_ptr<nettest::TTestServer> FServer;
};
