#pragma once
// Print services for the printing tests. TPrintService runs the system's CUPS scheduler
// (cupsd, from scripts/setup.sh) with a private configuration in a fresh temporary folder
// (server root, spool, logs), listening on 127.0.0.1 and a free port, with one queue, the
// default, that writes each job as a PDF file into that folder (cups-pdf). CUPS_SERVER names
// it while the object lives; the scheduler it started is stopped when the object goes (or
// when the test program ends). cups-pdf takes its settings only from the system's folder
// (/etc/cups), so the queue's settings file is put there and removed with the service (and
// those of test programs that ended without removing theirs by the next service).
// TSilentService takes connections and never answers.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

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

class TPrintService {
public:
  static constexpr const char* kQueue = "KestalPDF";
  // Starts the scheduler and waits (at most 30 s) until it takes connections, then adds the
  // queue and makes it the default.
  TPrintService();
  ~TPrintService();
  TPrintService(const TPrintService&) = delete;
  TPrintService& operator=(const TPrintService&) = delete;

  // "127.0.0.1:<port>"
  std::string Server() const;
  // Runs a CUPS administration program (lpadmin, cupsreject, cupsaccept) against this
  // service with Args; true when it succeeded.
  bool Admin(const std::string& Program, const std::string& Args) const;
  void AddQueue() const;
  void RemoveQueue() const;
  // The scheduler stops (SIGSTOP: connections are still taken, nothing is answered) and
  // goes on (SIGCONT).
  void Pause() const;
  void Resume() const;
  // Ends the scheduler.
  void Stop();
  // The PDF files the queue has written to their end so far; WaitForPrinted(N) waits (at
  // most 60 s) until there are N of them.
  std::vector<std::filesystem::path> Printed() const;
  bool WaitForPrinted(size_t N) const;
  // The scheduler's error log (what it did with the jobs).
  std::string Log() const;

private:
  std::filesystem::path FDir;
  std::string FConfName;  // cups-pdf's configuration file of our queue, in /etc/cups
  int FPort = 0;
  int FPid = -1;
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
