#include "Desktop.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>

extern char** environ;

// The helper's verdict, set by the thread that waits for it to end.
struct TDocumentOpening::THelper {
  std::atomic<TOpenVerdict> Verdict{TOpenVerdict::Pending};
  std::chrono::steady_clock::time_point Started = std::chrono::steady_clock::now();
};

TDocumentOpening::TDocumentOpening(bool Opened)
    : FVerdict(Opened ? TOpenVerdict::Opened : TOpenVerdict::Failed) {}

TDocumentOpening::TDocumentOpening(std::shared_ptr<const THelper> Helper)
    : FHelper(std::move(Helper)), FVerdict(TOpenVerdict::Pending) {}

TOpenVerdict TDocumentOpening::Verdict() const {
  if (!FHelper) return FVerdict;
  const TOpenVerdict verdict = FHelper->Verdict.load();
  if (verdict == TOpenVerdict::Pending && std::chrono::steady_clock::now() - FHelper->Started >
                                              std::chrono::milliseconds(HelperVerdictLimitMs))
    return TOpenVerdict::Opened;
  return verdict;
}

namespace {

// Hands the file to the freedesktop helper. Its exit status is the verdict: an error when no
// program takes the type or the viewer failed, which may come only after seconds (the helper
// tries one program after another); a viewer it starts may keep it running until the viewer
// closes. A thread of its own collects the helper whenever it ends, so none is left behind as
// a zombie.
TDocumentOpening DesktopOpen(const String& AbsolutePath) {
  char helper[] = "xdg-open";
  String path = AbsolutePath;
  char* argv[] = {helper, path.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, helper, nullptr, nullptr, argv, environ) != 0)
    return TDocumentOpening(false);
  auto state = std::make_shared<TDocumentOpening::THelper>();
  std::thread([pid, state] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    state->Verdict =
        WIFEXITED(status) && WEXITSTATUS(status) == 0 ? TOpenVerdict::Opened : TOpenVerdict::Failed;
  }).detach();
  return TDocumentOpening(std::shared_ptr<const TDocumentOpening::THelper>(state));
}

std::mutex& OpenerMutex() {
  static std::mutex m;
  return m;
}

TDocumentOpener& CurrentOpener() {
  static TDocumentOpener opener;
  return opener;
}

}  // namespace

TDocumentOpener SetDocumentOpener(TDocumentOpener Opener) {
  std::lock_guard<std::mutex> lock(OpenerMutex());
  TDocumentOpener previous = std::move(CurrentOpener());
  CurrentOpener() = std::move(Opener);
  return previous;
}

TDocumentOpening OpenDocument(const String& Path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path absolute = fs::absolute(fs::path(Path), ec);
  // A missing file would only make the viewer complain in a window of its own, or not at all.
  if (ec || Path.empty() || !fs::is_regular_file(absolute, ec)) return TDocumentOpening(false);
  TDocumentOpener opener;
  {
    std::lock_guard<std::mutex> lock(OpenerMutex());
    opener = CurrentOpener();
  }
  const String full = absolute.lexically_normal().string();
  return opener ? TDocumentOpening(opener(full)) : DesktopOpen(full);
}
