#include "TestServers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace nettest {

namespace {

const char* kPython = "/usr/bin/python3";  // the interpreter python3-pyftpdlib belongs to

std::filesystem::path ScriptPath(const std::string& Script) {
  // Known at build time (not from __FILE__, which a compiler cache may make relative), so
  // that a test that has changed its working folder still finds them.
  return std::filesystem::path(KESTAL_TEST_SERVERS_DIR) / Script;
}

// Waits up to TimeoutMs for the child to end; true when it did.
bool Reap(int Pid, int TimeoutMs) {
  for (int waited = 0; waited <= TimeoutMs; waited += 20) {
    int status = 0;
    const pid_t r = waitpid(Pid, &status, WNOHANG);
    if (r == Pid || r < 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

}  // namespace

void StopProcess(int Pid) {
  kill(Pid, SIGTERM);
  if (!Reap(Pid, 5000)) {
    kill(Pid, SIGKILL);
    Reap(Pid, 5000);
  }
}

TTestServer::TTestServer(const std::string& Script, const std::vector<std::string>& Args) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");

  // -B: the interpreter keeps its compiled modules to itself (no cache beside the scripts).
  std::vector<std::string> argv{kPython, "-u", "-B", ScriptPath(Script).string()};
  argv.insert(argv.end(), Args.begin(), Args.end());
  std::vector<char*> cargv;
  for (auto& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, kPython, &actions, nullptr, cargv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    throw std::runtime_error("cannot start " + std::string(kPython));
  }
  FPid = pid;

  // The first line is "PORT <n>"; a server that does not say it in time is stopped.
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (line.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - std::chrono::steady_clock::now())
                          .count();
    pollfd p{fds[0], POLLIN, 0};
    if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) break;
    char buf[64];
    const ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    line.append(buf, static_cast<size_t>(n));
  }
  close(fds[0]);
  if (line.rfind("PORT ", 0) != 0) {
    StopProcess(FPid);
    throw std::runtime_error(Script + " did not start");
  }
  FPort = std::stoi(line.substr(5));
}

TTestServer::~TTestServer() {
  if (FPid > 0) StopProcess(FPid);
}

std::string TTestServer::Url(const std::string& Scheme, const std::string& Path) const {
  return Scheme + "://127.0.0.1:" + std::to_string(FPort) + Path;
}

int ClosedPort() {
  // A port the system just handed out and took back is free, and nobody listens on it.
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = 0;
  socklen_t len = sizeof a;
  if (s < 0 || bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &len) != 0)
    throw std::runtime_error("no free port");
  close(s);
  return ntohs(a.sin_port);
}

}  // namespace nettest
