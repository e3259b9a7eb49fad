#pragma once
// Windows whose work is not built yet say so, and can be closed without a title bar.

#include "Forms.h"

// The line a window not built yet shows.
inline constexpr const char* NotBuiltYetText = "This window is not built yet.";

// Adds a strip below the window's controls (the window grows by its height): the line above
// and a "Close" button that closes the window. Remove the call once the window is built.
void MarkNotBuiltYet(TForm* Form);
