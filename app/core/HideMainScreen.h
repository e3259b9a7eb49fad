#pragma once
// The "Hide main screen" button that several secondary windows carry: it hides the main window,
// turns into "Show main screen" and disables the window's own "Exit" until clicked again, so the
// window cannot be left while the main window is out of sight.

#include "MainWindow.h"

class THideMainScreen {
public:
  // Button is the toolkit's button class; the core knows no controls, so it comes in as a
  // parameter of the call.
  template <class Button>
  void Toggle(TMainWindow* Main, Button* Self, Button* ExitButton) {
    FMainHidden = !FMainHidden;
    if (Main != nullptr) {
      if (FMainHidden)
        Main->HideMainWindow();
      else
        Main->ShowMainWindow();
    }
    Self->SetCaption(FMainHidden ? "Show main screen" : "Hide main screen");
    ExitButton->SetEnabled(!FMainHidden);
  }
  // The window is closed by its title bar while the main window is hidden: bring it back, or
  // the program would go on with no window on the screen.
  template <class Button>
  void Restore(TMainWindow* Main, Button* Self, Button* ExitButton) {
    if (FMainHidden) Toggle(Main, Self, ExitButton);
  }
  bool MainHidden() const { return FMainHidden; }

private:
  bool FMainHidden = false;
};
