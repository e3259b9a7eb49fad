#pragma once
// The clipboard's text. The run-time knows no window system: the controls layer installs the
// platform's clipboard when the application starts (Application->Initialize), and tests may
// install their own. Without a provider the clipboard holds no text and takes none.

#include <functional>

#include "System.h"

class TClipboard {
public:
  struct TProvider {
    std::function<bool()> HasText;
    std::function<String()> GetText;
    std::function<void(const String&)> SetText;
  };
  bool HasText() const;
  String AsText() const;  // "" when the clipboard holds no text
  void SetAsText(const String& Text);
};

// The process's one clipboard.
TClipboard* Clipboard();
// Replaces the provider (an empty one: no clipboard); returns the one it replaced.
TClipboard::TProvider SetClipboardProvider(TClipboard::TProvider Provider);
