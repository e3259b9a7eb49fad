#include "RtlInit.h"

#include <mutex>
#include <vector>

#include "SysUtils.h"
#include "TimeZone.h"

namespace {
std::mutex gInitLock;
bool gZoneDone = false;

std::vector<std::function<void()>>& Hooks() {
  static std::vector<std::function<void()>> hooks;
  return hooks;
}
}  // namespace

void AddRuntimeInitHook(std::function<void()> Hook) {
  std::lock_guard<std::mutex> g(gInitLock);
  if (Hook) Hooks().push_back(std::move(Hook));
}

void InitRuntime() {
  std::vector<std::function<void()>> hooks;
  {
    std::lock_guard<std::mutex> g(gInitLock);
    if (!gZoneDone) {
      // Before anything (the program itself) puts "TZ=UTC" into the environment.
      if (!TimeZoneCaptured()) CaptureSystemTimeZone();
      gZoneDone = true;
    }
    FormatSettings.DecimalSeparator = '.';
    hooks = Hooks();
  }
  for (auto& h : hooks) h();
}
