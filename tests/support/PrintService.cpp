#include "PrintService.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "TestServers.h"

namespace printtest {

namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& File, const std::string& Text) {
  std::ofstream out(File, std::ios::binary);
  out << Text;
  if (!out) throw std::runtime_error("cannot write " + File.string());
}

std::string ReadText(const fs::path& File) {
  std::ifstream in(File, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool Connectable(int Port) {
  const int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(Port));
  const bool ok = s >= 0 && connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  if (s >= 0) close(s);
  return ok;
}

std::string Quoted(const std::string& S) {
  std::string q = "'";
  for (const char c : S) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

}  // namespace

TScopedEnv::TScopedEnv(const char* Name, const std::optional<std::string>& Value) : FName(Name) {
  if (const char* old = std::getenv(Name)) FOld = old;
  if (Value)
    setenv(Name, Value->c_str(), 1);
  else
    unsetenv(Name);
}

TScopedEnv::~TScopedEnv() {
  if (FOld)
    setenv(FName.c_str(), FOld->c_str(), 1);
  else
    unsetenv(FName.c_str());
}

TPrintService::TPrintService() {
  char pattern[] = "/tmp/kestal-cups-XXXXXX";
  if (mkdtemp(pattern) == nullptr) throw std::runtime_error("no temporary folder");
  FDir = pattern;
  // The filters run as the scheduler's user (lp), which must reach the spool inside.
  fs::permissions(FDir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                            fs::perms::others_read | fs::perms::others_exec);
  for (const char* sub : {"root", "spool", "spool/tmp", "cache", "state", "log", "out", "pdfspool"})
    fs::create_directories(FDir / sub);
  FPort = nettest::ClosedPort();
  const std::string d = FDir.string();
  WriteText(FDir / "root/cupsd.conf", "Listen 127.0.0.1:" + std::to_string(FPort) +
                                          "\n"
                                          "ServerName 127.0.0.1\n"
                                          "LogLevel info\n"
                                          "Browsing No\n"
                                          "DefaultAuthType None\n"
                                          "DefaultEncryption Never\n"
                                          "WebInterface No\n"
                                          "<Location />\n  Order allow,deny\n  Allow all\n"
                                          "</Location>\n"
                                          "<Policy default>\n  <Limit All>\n"
                                          "    Order deny,allow\n    Allow all\n  </Limit>\n"
                                          "</Policy>\n");
  WriteText(FDir / "root/cups-files.conf", "ServerRoot " + d + "/root\n" +
                                               "RequestRoot " + d + "/spool\n" +
                                               "TempDir " + d + "/spool/tmp\n" +
                                               "CacheDir " + d + "/cache\n" +
                                               "StateDir " + d + "/state\n" +
                                               "ErrorLog " + d + "/log/error_log\n" +
                                               "AccessLog " + d + "/log/access_log\n" +
                                               "PageLog " + d + "/log/page_log\n" +
                                               "Printcap " + d + "/state/printcap\n" +
                                               "ServerBin /usr/lib/cups\n"
                                               "DataDir /usr/share/cups\n"
                                               "FileDevice No\n"
                                               "Sandboxing Relaxed\n");
  // cups-pdf reads its settings from the system's folder only, from a file named after the
  // queue's device: ours sends the PDF files into our folder. Files of test programs that are
  // gone (killed before they could remove theirs) go first.
  std::error_code ec;
  for (const auto& e : fs::directory_iterator("/etc/cups", ec)) {
    const std::string n = e.path().filename().string();
    const std::string prefix = "cups-pdf-kestal-";
    if (n.rfind(prefix, 0) != 0) continue;
    const int owner = std::atoi(n.c_str() + prefix.size());
    if (owner > 0 && kill(owner, 0) != 0 && errno == ESRCH) fs::remove(e.path(), ec);
  }
  FConfName = "kestal-" + std::to_string(getpid()) + "-" + std::to_string(FPort);
  WriteText("/etc/cups/cups-pdf-" + FConfName + ".conf", "Out " + d + "/out\nAnonDirName " + d +
                                                             "/out\nSpool " + d +
                                                             "/pdfspool\nLog " + d + "/log\n");

  const std::string conf = d + "/root/cupsd.conf", files = d + "/root/cups-files.conf",
                    out = d + "/log/cupsd.txt";
  const pid_t pid = fork();
  if (pid == 0) {
    // The scheduler ends with the test program, however that ends.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int log = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (log >= 0) {
      dup2(log, STDOUT_FILENO);
      dup2(log, STDERR_FILENO);
    }
    execl(KESTAL_CUPSD, KESTAL_CUPSD, "-f", "-c", conf.c_str(), "-s", files.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  if (pid < 0) throw std::runtime_error("cannot start the print service");
  FPid = pid;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!Connectable(FPort)) {
    int status = 0;
    if (waitpid(FPid, &status, WNOHANG) == FPid) {
      FPid = -1;
      throw std::runtime_error("the print service did not start: " + ReadText(out) + Log());
    }
    if (std::chrono::steady_clock::now() > deadline) {
      Stop();
      throw std::runtime_error("the print service did not start in time");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  FServerEnv.emplace("CUPS_SERVER", Server());
  AddQueue();
  if (!Admin("lpadmin", std::string("-d ") + kQueue))
    throw std::runtime_error("cannot make the queue the default");
}

TPrintService::~TPrintService() {
  Stop();
  FServerEnv.reset();
  std::error_code ec;
  fs::remove("/etc/cups/cups-pdf-" + FConfName + ".conf", ec);
  fs::remove_all(FDir, ec);
}

std::string TPrintService::Server() const { return "127.0.0.1:" + std::to_string(FPort); }

bool TPrintService::Admin(const std::string& Program, const std::string& Args) const {
  const std::string command = "CUPS_SERVER=" + Server() + " " + Program + " " + Args + " >>" +
                              Quoted((FDir / "log/admin.txt").string()) + " 2>&1";
  return std::system(command.c_str()) == 0;
}

void TPrintService::AddQueue() const {
  if (!Admin("lpadmin", std::string("-p ") + kQueue + " -E -v cups-pdf:/" + FConfName +
                            " -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"))
    throw std::runtime_error("cannot add the queue: " + ReadText(FDir / "log/admin.txt"));
}

void TPrintService::RemoveQueue() const {
  if (!Admin("lpadmin", std::string("-x ") + kQueue))
    throw std::runtime_error("cannot remove the queue");
}

void TPrintService::Pause() const {
  if (FPid > 0) kill(FPid, SIGSTOP);
}

void TPrintService::Resume() const {
  if (FPid > 0) kill(FPid, SIGCONT);
}

void TPrintService::Stop() {
  if (FPid <= 0) return;
  kill(FPid, SIGCONT);  // a paused scheduler could not end
  nettest::StopProcess(FPid);
  FPid = -1;
}

std::vector<fs::path> TPrintService::Printed() const {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(FDir / "out", ec)) {
    // Only files written to their end (a PDF ends with its end-of-file marker).
    const std::string bytes = ReadText(e.path());
    const size_t end = bytes.find_last_not_of("\r\n");
    if (e.path().extension() == ".pdf" && end != std::string::npos && end >= 4 &&
        bytes.compare(end - 4, 5, "%%EOF") == 0)
      files.push_back(e.path());
  }
  return files;
}

bool TPrintService::WaitForPrinted(size_t N) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (Printed().size() < N) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

std::string TPrintService::Log() const { return ReadText(FDir / "log/error_log"); }

TSilentService::TSilentService() {
  FSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (FSocket < 0 || bind(FSocket, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      listen(FSocket, 64) != 0 ||
      getsockname(FSocket, reinterpret_cast<sockaddr*>(&a), &len) != 0)
    throw std::runtime_error("no socket for the silent service");
  FPort = ntohs(a.sin_port);
  fcntl(FSocket, F_SETFL, fcntl(FSocket, F_GETFL) | O_NONBLOCK);
}

TSilentService::~TSilentService() {
  for (const int fd : FTaken) close(fd);
  if (FSocket >= 0) close(FSocket);
}

std::string TSilentService::Server() const { return "127.0.0.1:" + std::to_string(FPort); }

int TSilentService::Connections() {
  // The system completes each connection into the backlog; taking them here only counts.
  for (int fd; (fd = accept4(FSocket, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) FTaken.push_back(fd);
  return static_cast<int>(FTaken.size());
}

}  // namespace printtest
