#include "support_services.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

std::filesystem::path MakeFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kestal-service-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a folder for the server");
  return pattern;
}

void WriteFile(const std::filesystem::path& Path, const std::string& Bytes) {
  std::ofstream out(Path, std::ios::binary | std::ios::trunc);
  out << Bytes;
}

std::string JsonString(const std::string& S) {
  std::string r = "\"";
  for (char c : S) {
    if (c == '"' || c == '\\') r += '\\';
    r += c;
  }
  return r + "\"";
}

}  // namespace

TCannedService::TCannedService(TTls Tls) : FFolder(MakeFolder()), FTls(Tls) {
  WriteRoutes();
  std::vector<std::string> args{FFolder.string()};
  if (Tls != Plain) {
    std::filesystem::create_directory(FFolder / "certs");
    args.push_back("--tls");
    args.push_back((FFolder / "certs").string());
    if (Tls == UntrustedTls) args.push_back("--untrusted");
  }
  FServer = std::make_unique<nettest::TTestServer>("canned_server.py", args);
}

TCannedService::~TCannedService() {
  FServer.reset();
  std::error_code ec;
  std::filesystem::remove_all(FFolder, ec);
}

void TCannedService::Route(const std::string& Path, const std::vector<TCannedReply>& Replies) {
  for (auto& r : FRoutes)
    if (r.first == Path) {
      r.second = Replies;
      WriteRoutes();
      return;
    }
  FRoutes.emplace_back(Path, Replies);
  WriteRoutes();
}

void TCannedService::WriteRoutes() {
  std::string json = "{";
  for (std::size_t i = 0; i < FRoutes.size(); ++i) {
    json += (i ? "," : "") + JsonString(FRoutes[i].first) + ":[";
    for (std::size_t k = 0; k < FRoutes[i].second.size(); ++k) {
      const TCannedReply& r = FRoutes[i].second[k];
      const std::string body = "body" + std::to_string(++FBodies);
      WriteFile(FFolder / body, r.Body);
      json += std::string(k ? "," : "") + "{\"status\":" + std::to_string(r.Status) +
              ",\"body\":" + JsonString(body) + ",\"mode\":" + JsonString(r.Mode) +
              (r.Location.empty() ? "" : ",\"location\":" + JsonString(r.Location)) + "}";
    }
    json += "]";
  }
  WriteFile(FFolder / "routes.tmp", json + "}");
  std::filesystem::rename(FFolder / "routes.tmp", FFolder / "routes.json");
}

std::string TCannedService::BaseUrl() const {
  return FServer->Url(FTls == Plain ? "http" : "https", "");
}

std::string TCannedService::RequestLog() const {
  std::ifstream in(FFolder / "requests.log", std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}
