#pragma once
// The main window's "i" buttons and "Rev.  History": which window each one shows.

#include "Forms.h"

struct TInformationButton {
  const char* Button;  // name of the main window's button
  TForm* (*Window)();  // the window it shows (created at start-up)
};

// Every "i" button with its window, then "Rev.  History" (Button4) with the release history.
extern const TInformationButton InformationButtonTable[23];

// The button names of the table, for binding their handlers.
inline constexpr const char* InformationButtons[] = {
    "Button17", "Button12", "Button11", "Button13", "Button5",  "Button7",  "Button8",  "Button10",
    "Button9",  "Button6",  "Button38", "Button15", "Button21", "Button22", "Button14", "Button27",
    "Button29", "Button16", "Button39", "Button37", "Button40", "Button41", "Button4"};

// The window the button Sender shows, or null for another sender or a window not created.
TForm* InformationWindowOf(TObject* Sender);
