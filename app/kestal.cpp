// Kestal's entry point.
//
// For automated runs only: KESTAL_CLOSE_MAIN_AFTER_MS=<n> closes the main window n ms after
// the event loop starts, as if the user had closed it, so that a test can check the whole
// start-up and a clean exit without a person at the screen.

#include <cstdlib>
#include <exception>

#include "ExtCtrls.h"
#include "Forms.h"
#include "SysUtils.h"
#include "Unit1Program.h"

int main(int argc, char** argv) {
  InitKestal();
  Application->Initialize(argc, argv);
  Application->MainFormOnTaskBar = true;
  Application->SetTitle("Kestal");
  try {
    CreateKestalForms();
  } catch (...) {
    // Already shown in the standard error box by the window creation.
    return 1;
  }

  if (const char* ms = std::getenv("KESTAL_CLOSE_MAIN_AFTER_MS")) {
    auto* closer = new TTimer(Application);
    closer->SetInterval(StrToIntDef(ms, 1000));
    closer->OnTimer = [closer](TObject*) {
      closer->SetInterval(0);
      if (Application->MainForm() != nullptr) Application->MainForm()->Close();
    };
  }

  try {
    return Application->Run();
  } catch (...) {
    Application->HandleException(std::current_exception());
    return 1;
  }
}
