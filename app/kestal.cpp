// Kestal's entry point.
//
// For automated runs only: KESTAL_CLOSE_MAIN_AFTER_MS=<n> closes the main window n ms after
// the event loop starts, as if the user had closed it, so that a test can check the whole
// start-up and a clean exit without a person at the screen. KESTAL_SCREENSHOTS=<folder> saves
// a picture of every window into the folder once the loop runs, then ends the program (exit
// code 0 when every picture was written).

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "ExtCtrls.h"
#include "Forms.h"
#include "ScreenshotTour.h"
#include "SysUtils.h"
#include "Unit1Program.h"

namespace {

bool EnvironmentSet(const char* Name) {
  const char* v = std::getenv(Name);
  return v != nullptr && *v != '\0';
}

}  // namespace

int main(int argc, char** argv) {
  // Without a display the windowing system aborts the process with a message that looks like
  // a crash; say what is missing instead.
  if (!EnvironmentSet("DISPLAY") && !EnvironmentSet("WAYLAND_DISPLAY") &&
      !EnvironmentSet("QT_QPA_PLATFORM")) {
    std::fprintf(stderr,
                 "kestal: no display found (DISPLAY is not set): start it from a desktop session, "
                 "or through xvfb-run for a virtual display\n");
    return 2;
  }
  try {
    InitKestal();
    Application->Initialize(argc, argv);
  } catch (const std::exception& e) {
    // Nothing can be shown yet (a missing font file, no usable display): say it on the
    // terminal instead of ending with the run-time's abort message.
    std::fprintf(stderr, "kestal: %s\n", e.what());
    return 1;
  }
  // However the program ends from here on, its windows go first, then the Qt application
  // object, which hands what the program put on the clipboard to a clipboard manager.
  struct TFinalize {
    ~TFinalize() { Application->Finalize(); }
  } finalize;
  Application->MainFormOnTaskBar = true;
  Application->SetTitle("Kestal");
  try {
    CreateKestalForms();
  } catch (...) {
    // Already shown in the standard error box by the window creation.
    return 1;
  }

  if (const char* ms = std::getenv("KESTAL_CLOSE_MAIN_AFTER_MS"))
    Application->SetCloseMainFormAfter(std::max(0, StrToIntDef(ms, 1000)));

  int tourResult = 0;
  if (const char* folder = std::getenv("KESTAL_SCREENSHOTS")) {
    auto* tour = new TTimer(Application);
    tour->SetInterval(100);
    tour->OnTimer = [tour, folder, &tourResult](TObject*) {
      tour->SetInterval(0);
      tourResult = RunScreenshotTour(folder) == 0 ? 0 : 1;
      Application->Terminate();
    };
  }

  try {
    const int code = Application->Run();
    return code != 0 ? code : tourResult;
  } catch (...) {
    Application->HandleException(std::current_exception());
    return 1;
  }
}
