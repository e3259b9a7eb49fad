#include "Desktop.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <future>
#include <mutex>
#include <thread>

extern char** environ;

namespace {

// How long a viewer's start may take to fail before it counts as started. The freedesktop
// helper gives up at once when no program takes the type; a viewer it starts may keep it
// running until the viewer closes, so a helper still running is a viewer on screen.
constexpr auto StartVerdict = std::chrono::milliseconds(1000);

// Hands the file to the freedesktop helper and tells whether a viewer could be started: false
// when the helper is not installed or ends with an error (no program for the type, a viewer
// that failed). A thread of its own collects the helper whenever it ends, so none is left
// behind as a zombie.
bool DesktopOpen(const String& AbsolutePath) {
  char helper[] = "xdg-open";
  String path = AbsolutePath;
  char* argv[] = {helper, path.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, helper, nullptr, nullptr, argv, environ) != 0) return false;
  auto verdict = std::make_shared<std::promise<bool>>();
  std::future<bool> result = verdict->get_future();
  std::thread([pid, verdict] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
    verdict->set_value(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }).detach();
  if (result.wait_for(StartVerdict) == std::future_status::timeout) return true;
  return result.get();
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

bool OpenDocument(const String& Path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path absolute = fs::absolute(fs::path(Path), ec);
  // A missing file would only make the viewer complain in a window of its own, or not at all.
  if (ec || Path.empty() || !fs::is_regular_file(absolute, ec)) return false;
  TDocumentOpener opener;
  {
    std::lock_guard<std::mutex> lock(OpenerMutex());
    opener = CurrentOpener();
  }
  const String full = absolute.lexically_normal().string();
  return opener ? opener(full) : DesktopOpen(full);
}
