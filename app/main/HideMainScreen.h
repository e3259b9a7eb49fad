#pragma once
// The "Hide main screen" button that several secondary windows carry: it hides the main window,
// turns into "Show main screen" and disables the window's own "Exit" until clicked again, so the
// window cannot be left while the main window is out of sight.

#include "Forms.h"
#include "StdCtrls.h"

class THideMainScreen {
public:
  void Toggle(TForm* MainWindow, TButton* Self, TButton* ExitButton);
  // The window is closed by its title bar while the main window is hidden: bring it back, or
  // the program would go on with no window on the screen.
  void Restore(TForm* MainWindow, TButton* Self, TButton* ExitButton) {
    if (FMainHidden) Toggle(MainWindow, Self, ExitButton);
  }
  bool MainHidden() const { return FMainHidden; }

private:
  bool FMainHidden = false;
};
