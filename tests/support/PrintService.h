#pragma once
// Print services for the printing tests. TPrintService runs the system's print scheduler
// (cupsd, from scripts/setup.sh) as the user running the tests, with a private configuration
// in a fresh temporary folder (configuration, spool, logs, programs), listening only on a
// socket in that folder, with one queue, the default, whose device is the tests' own
// (servers/print_device.sh): it puts each job's document, as it came, into the folder.
// CUPS_SERVER names the service while the object lives, reached through a relay
// (servers/relay.py) that acts as a network does: what a client sent before it hung up still
// reaches the service. The scheduler ends with the object or with the test program, and the
// folder goes with the object, or, when the test program is killed, right after it
// (servers/remove_when_gone.sh).
// TSilentService takes connections and never answers.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "TestServers.h"

namespace printtest {

// Sets (or with nullopt removes) an environment variable for the object's life.
class TScopedEnv {
public:
  TScopedEnv(const char* Name, const std::optional<std::string>& Value);
  ~TScopedEnv();
  TScopedEnv(const TScopedEnv&) = delete;
  TScopedEnv& operator=(const TScopedEnv&) = delete;

private:
  std::string FName;
  std::optional<std::string> FOld;
};

// A fresh folder of the test program's own (mode 0700) in the temporary folder, removed with
// the object, or, should the program end without destroying it, by a process that outlives
// the program just long enough (Watch names a process that must end before).
class TPrivateFolder {
public:
  explicit TPrivateFolder(const std::string& Prefix);
  ~TPrivateFolder();
  TPrivateFolder(const TPrivateFolder&) = delete;
  TPrivateFolder& operator=(const TPrivateFolder&) = delete;
  const std::filesystem::path& Path() const { return FPath; }
  // The process working in the folder now (0: none).
  void Watch(int Pid) const;

private:
  void Tell(const std::string& Line) const;
  std::filesystem::path FPath;
  int FSweeper = -1;  // our end of the connection to the remover
};

class TPrintService {
public:
  static constexpr const char* kQueue = "KestalPDF";
  // Starts the scheduler and waits (at most 30 s) until it takes connections, then adds the
  // queue and makes it the default.
  TPrintService();
  ~TPrintService();
  TPrintService(const TPrintService&) = delete;
  TPrintService& operator=(const TPrintService&) = delete;

  // The address of the service for the program under test: the relay's socket.
  std::string Server() const;
  // Runs a print administration program (lpadmin, cupsreject, cupsaccept: the ones found when
  // the tests were configured) against this service (straight to its socket) with Args; true
  // when it succeeded.
  bool Admin(const std::string& Program, const std::string& Args) const;
  // Adds the queue (a device that fails a job makes the queue abort that job).
  void AddQueue() const;
  void RemoveQueue() const;
  // From now on the device fails every job it is given (true), or prints them (false).
  void FailJobs(bool Fail) const;
  // From now on the scheduler stops as with Pause at each job the device is given: before
  // the device prints it (the device then waits 10 s to be ended, and prints it after all),
  // or once it has printed it; None: no more. Resume lets it go on.
  enum class TSilence { None, BeforePrinting, AfterPrinting };
  void SilenceAt(TSilence When) const;
  // The scheduler stops (SIGSTOP: connections are still taken, nothing is answered) and
  // goes on (SIGCONT).
  void Pause() const;
  void Resume() const;
  // Ends the scheduler.
  void Stop();
  // The documents the device has printed so far (each file one job's document, whole);
  // WaitForPrinted(N) waits (at most 60 s) until there are N of them.
  std::vector<std::filesystem::path> Printed() const;
  bool WaitForPrinted(size_t N) const;
  // The scheduler's error log (what it did with the jobs).
  std::string Log() const;

private:
  std::filesystem::path Device() const;
  std::string ServiceSocket() const;
  TPrivateFolder FDir;
  int FPid = -1;
  std::optional<nettest::TTestServer> FRelay;
  std::optional<TScopedEnv> FServerEnv;
};

// A socket on 127.0.0.1 that takes connections (the system completes them) and never reads
// or answers.
class TSilentService {
public:
  TSilentService();
  ~TSilentService();
  TSilentService(const TSilentService&) = delete;
  TSilentService& operator=(const TSilentService&) = delete;
  std::string Server() const;
  // The connections made to it so far.
  int Connections();

private:
  int FSocket = -1;
  int FPort = 0;
  std::vector<int> FTaken;
};

}  // namespace printtest
