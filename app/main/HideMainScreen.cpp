#include "HideMainScreen.h"

void THideMainScreen::Toggle(TForm* MainWindow, TButton* Self, TButton* ExitButton) {
  TForm* main = MainWindow;
  if (!FMainHidden) {
    if (main != nullptr) main->Hide();
    Self->SetCaption("Show main screen");
    ExitButton->SetEnabled(false);
    FMainHidden = true;
  } else {
    if (main != nullptr) main->Show();
    Self->SetCaption("Hide main screen");
    ExitButton->SetEnabled(true);
    FMainHidden = false;
  }
}
