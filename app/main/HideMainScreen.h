#pragma once
// The "Hide main screen" button that several secondary windows carry: it hides the main window,
// turns into "Show main screen" and disables the window's own "Exit" until clicked again, so the
// window cannot be left while the main window is out of sight.

#include "Forms.h"
#include "StdCtrls.h"

class THideMainScreen {
public:
  void Toggle(TForm* MainWindow, TButton* Self, TButton* ExitButton);
  bool MainHidden() const { return FMainHidden; }

private:
  bool FMainHidden = false;
};
