#pragma once
// The clipboard: text, and data by media type (pictures: see ClipboardPictures.h). The
// run-time knows no window system: the controls layer installs the platform's clipboard when
// the application starts (Application->Initialize), and tests may install their own. Without
// a provider the clipboard holds no text and takes none, and putting data on it raises
// EClipboardException.

#include <functional>
#include <vector>

#include "System.h"

class EClipboardException : public Exception {
  using Exception::Exception;
};

// One form of the clipboard's content: its bytes under a media type ("image/png").
struct TClipboardFormat {
  String MediaType;
  String Data;
};

class TClipboard {
public:
  struct TProvider {
    std::function<bool()> HasText;
    std::function<String()> GetText;
    std::function<void(const String&)> SetText;
    // Replaces the whole content by these forms of one thing; raises EClipboardException
    // when the clipboard cannot take them.
    std::function<void(const std::vector<TClipboardFormat>&)> SetFormats;
    std::function<bool(const String&)> HasFormat;
    std::function<String(const String&)> GetFormat;  // "" when absent
  };
  bool HasText() const;
  String AsText() const;  // "" when the clipboard holds no text
  void SetAsText(const String& Text);
  // EClipboardException when there is no clipboard or it refuses the data.
  void SetFormats(const std::vector<TClipboardFormat>& Formats);
  bool HasFormat(const String& MediaType) const;
  String GetFormat(const String& MediaType) const;  // "" when absent
};

// The process's one clipboard.
TClipboard* Clipboard();
// Replaces the provider (an empty one: no clipboard); returns the one it replaced.
TClipboard::TProvider SetClipboardProvider(TClipboard::TProvider Provider);
