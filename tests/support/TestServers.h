#pragma once
// Test servers for the network clients: small Python programs (servers/*.py) run under the
// system's own interpreter, each on 127.0.0.1 and a free port, stopped when the object goes.

#include <filesystem>
#include <string>
#include <vector>

namespace nettest {

class TTestServer {
public:
  // Starts servers/<Script> with Args and waits (at most 30 s) for it to announce its port.
  TTestServer(const std::string& Script, const std::vector<std::string>& Args = {});
  ~TTestServer();
  TTestServer(const TTestServer&) = delete;
  TTestServer& operator=(const TTestServer&) = delete;

  int Port() const { return FPort; }
  // "scheme://127.0.0.1:port" + Path
  std::string Url(const std::string& Scheme, const std::string& Path = "/") const;

private:
  int FPid = -1;
  int FPort = 0;
};

// A port on 127.0.0.1 that nothing listens on.
int ClosedPort();

// Ends a child process and waits for it: SIGTERM, then SIGKILL when it is still there 5 s
// later.
void StopProcess(int Pid);

// Milliseconds the call took, for checking that a timeout is kept.
template <class F>
long long MillisecondsOf(F&& Call);

}  // namespace nettest

#include <chrono>
template <class F>
long long nettest::MillisecondsOf(F&& Call) {
  const auto t0 = std::chrono::steady_clock::now();
  Call();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               t0)
      .count();
}
