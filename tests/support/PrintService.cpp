#include "PrintService.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

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

// Whether the socket at Path takes connections.
bool Connectable(const std::string& Path) {
  const int s = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  Path.copy(a.sun_path, sizeof a.sun_path - 1);
  const bool ok = s >= 0 && connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  if (s >= 0) close(s);
  return ok;
}

std::string Quoted(const std::string& S) {
  std::string q = "'";
  for (const char c : S) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Known at build time, so that a test that has changed its working folder still finds them.
fs::path ServerFile(const char* Name) { return fs::path(KESTAL_TEST_SERVERS_DIR) / Name; }

// The print administration programs, found when the tests were configured: the PATH of whoever
// runs the tests may well lack the system's administration folder. Null for another name.
const char* AdminProgram(const std::string& Name) {
  static const std::pair<const char*, const char*> kPrograms[] = {
      {"lpadmin", KESTAL_LPADMIN}, {"cupsaccept", KESTAL_CUPSACCEPT}, {"cupsreject", KESTAL_CUPSREJECT}};
  for (const auto& [name, path] : kPrograms)
    if (Name == name) return path;
  return nullptr;
}

// The system's folder of the scheduler's programs (filters, helpers, backends).
const char* const kSystemServerBin = "/usr/lib/cups";

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

TPrivateFolder::TPrivateFolder(const std::string& Prefix) {
  std::string pattern = (fs::temp_directory_path() / (Prefix + "XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("no temporary folder");
  FPath = pattern;
  // The remover: a process in a session of its own whose parent has ended at once, so that
  // nothing that ends the test program and its children ends it too. It reads what the
  // program tells it until the program is gone.
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
    std::error_code ec;
    fs::remove_all(FPath, ec);
    throw std::runtime_error("cannot watch the folder " + FPath.string());
  }
  const std::string script = ServerFile("remove_when_gone.sh").string(), folder = FPath.string();
  const pid_t child = fork();
  if (child == 0) {
    setsid();
    if (fork() != 0) _exit(0);
    const int null = open("/dev/null", O_RDWR);
    dup2(ends[1], STDIN_FILENO);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    close_range(3, ~0U, 0);
    execl("/bin/sh", "sh", script.c_str(), folder.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(ends[1]);
  if (child > 0)
    while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
  FSweeper = ends[0];
}

TPrivateFolder::~TPrivateFolder() {
  std::error_code ec;
  fs::remove_all(FPath, ec);
  Tell("done");
  close(FSweeper);
}

void TPrivateFolder::Watch(int Pid) const { Tell("pid " + std::to_string(Pid)); }

void TPrivateFolder::Tell(const std::string& Line) const {
  const std::string text = Line + "\n";
  // A remover that is gone (it could not start) costs nothing but itself.
  send(FSweeper, text.data(), text.size(), MSG_NOSIGNAL);
}

TPrintService::TPrintService() : FDir("kestal-cups-") {
  const fs::path& dir = FDir.Path();
  const std::string d = dir.string();
  const std::string socketPath = ServiceSocket();
  if (Server().size() >= sizeof(sockaddr_un::sun_path))
    throw std::runtime_error("the temporary folder's name is too long for a socket: " + d);
  for (const char* sub : {"root", "spool", "spool/tmp", "cache", "state", "log", "device",
                          "bin", "bin/backend"})
    fs::create_directories(dir / sub);
  // The scheduler's programs are the system's, but for the one device it knows: ours, which
  // only its owner may run or change (the scheduler refuses other programs).
  for (const char* sub : {"cgi-bin", "daemon", "driver", "filter", "monitor", "notifier"})
    fs::create_directory_symlink(fs::path(kSystemServerBin) / sub, dir / "bin" / sub);
  fs::copy_file(ServerFile("print_device.sh"), dir / "bin/backend/kestaltest");
  fs::permissions(dir / "bin/backend/kestaltest", fs::perms::owner_all);
  // Only the socket, in a folder that only the user running the tests can enter.
  WriteText(dir / "root/cupsd.conf", "Listen " + socketPath +
                                         "\n"
                                         "ServerName localhost\n"
                                         "LogLevel info\n"
                                         "Browsing No\n"
                                         "DefaultAuthType None\n"
                                         "DefaultEncryption Never\n"
                                         "WebInterface No\n"
                                         "<Location />\n  Order deny,allow\n  Deny all\n"
                                         "  Allow localhost\n</Location>\n"
                                         "<Policy default>\n  <Limit All>\n"
                                         "    Order deny,allow\n    Deny all\n"
                                         "    Allow localhost\n  </Limit>\n"
                                         "</Policy>\n");
  const group* g = getgrgid(getgid());
  WriteText(dir / "root/cups-files.conf",
            "ServerRoot " + d + "/root\n" + "RequestRoot " + d + "/spool\n" + "TempDir " + d +
                "/spool/tmp\n" + "CacheDir " + d + "/cache\n" + "StateDir " + d + "/state\n" +
                "ErrorLog " + d + "/log/error_log\n" + "AccessLog " + d + "/log/access_log\n" +
                "PageLog " + d + "/log/page_log\n" + "Printcap " + d + "/state/printcap\n" +
                "ServerBin " + d + "/bin\n" + "DataDir /usr/share/cups\n" +
                "FileDevice No\n" +
                (g != nullptr ? "SystemGroup " + std::string(g->gr_name) + "\n" : ""));

  const std::string conf = d + "/root/cupsd.conf", files = d + "/root/cups-files.conf",
                    out = d + "/log/cupsd.txt";
  try {
    const pid_t self = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
      // The scheduler ends with the test program however that ends, also while it is
      // stopped (a stopped process acts on no other signal).
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != self) _exit(1);
      const int log = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
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
    FDir.Watch(FPid);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!Connectable(socketPath)) {
      int status = 0;
      if (waitpid(FPid, &status, WNOHANG) == FPid) {
        FPid = -1;
        FDir.Watch(0);
        throw std::runtime_error("the print service did not start: " + ReadText(out) + Log());
      }
      if (std::chrono::steady_clock::now() > deadline)
        throw std::runtime_error("the print service did not start in time");
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    FRelay.emplace("relay.py", std::vector<std::string>{Server(), socketPath});
    FServerEnv.emplace("CUPS_SERVER", Server());
    AddQueue();
    if (!Admin("lpadmin", std::string("-d ") + kQueue))
      throw std::runtime_error("cannot make the queue the default");
  } catch (...) {
    Stop();
    throw;
  }
}

TPrintService::~TPrintService() {
  Stop();
  FServerEnv.reset();
  FRelay.reset();
}

std::string TPrintService::Server() const { return (FDir.Path() / "relay.sock").string(); }

std::string TPrintService::ServiceSocket() const { return (FDir.Path() / "cupsd.sock").string(); }

fs::path TPrintService::Device() const { return FDir.Path() / "device"; }

bool TPrintService::Admin(const std::string& Program, const std::string& Args) const {
  const char* path = AdminProgram(Program);
  if (path == nullptr) throw std::invalid_argument("not a print administration program: " + Program);
  const std::string command = "CUPS_SERVER=" + Quoted(ServiceSocket()) + " " + Quoted(path) + " " + Args +
                              " >>" + Quoted((FDir.Path() / "log/admin.txt").string()) + " 2>&1";
  return std::system(command.c_str()) == 0;
}

void TPrintService::AddQueue() const {
  if (!Admin("lpadmin", std::string("-p ") + kQueue + " -E -v " +
                            Quoted("kestaltest:" + Device().string()) + " -P " +
                            Quoted(ServerFile("print_device.ppd").string()) +
                            " -o printer-error-policy=abort-job"))
    throw std::runtime_error("cannot add the queue: " +
                             ReadText(FDir.Path() / "log/admin.txt"));
}

void TPrintService::RemoveQueue() const {
  if (!Admin("lpadmin", std::string("-x ") + kQueue))
    throw std::runtime_error("cannot remove the queue");
}

void TPrintService::FailJobs(bool Fail) const {
  std::error_code ec;
  if (Fail)
    WriteText(Device() / "fail", "");
  else
    fs::remove(Device() / "fail", ec);
}

void TPrintService::SilenceAt(TSilence When) const {
  std::error_code ec;
  if (When == TSilence::None || FPid <= 0)
    fs::remove(Device() / "silence", ec);
  else
    WriteText(Device() / "silence", (When == TSilence::BeforePrinting ? "before " : "after ") +
                                        std::to_string(FPid) + "\n");
}

void TPrintService::Pause() const {
  if (FPid > 0) kill(FPid, SIGSTOP);
}

void TPrintService::Resume() const {
  if (FPid > 0) kill(FPid, SIGCONT);
}

void TPrintService::Stop() {
  if (FPid <= 0) return;
  FDir.Watch(0);
  kill(FPid, SIGCONT);  // a paused scheduler could not end
  nettest::StopProcess(FPid);
  FPid = -1;
}

std::vector<fs::path> TPrintService::Printed() const {
  std::vector<fs::path> files;
  std::error_code ec;
  // The device renames each document into place once it is whole.
  for (const auto& e : fs::directory_iterator(Device(), ec))
    if (e.path().extension() == ".pdf") files.push_back(e.path());
  std::sort(files.begin(), files.end());
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

std::string TPrintService::Log() const { return ReadText(FDir.Path() / "log/error_log"); }

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
