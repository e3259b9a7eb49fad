#pragma once
// Handing files to the desktop: the user's own viewer opens a document (the manual).

#include <functional>
#include <memory>

#include "System.h"

// What became of a document handed to the desktop.
enum class TOpenVerdict {
  Pending,  // the desktop is still trying
  Opened,   // a viewer was started
  Failed    // no viewer could be started, or there was nothing to open
};

// The desktop's verdict on one document, asked for without waiting: the helper that starts
// the viewer may take seconds to give up (it tries one program after another), and the window
// that asked must not freeze meanwhile. Copies share the verdict.
class TDocumentOpening {
public:
  TDocumentOpening() = default;  // nothing was handed over: Failed
  explicit TDocumentOpening(bool Opened);
  // A helper still running after HelperVerdictLimit holds a viewer open: Opened.
  TOpenVerdict Verdict() const;

  // How long a helper may take to fail.
  static constexpr int HelperVerdictLimitMs = 60000;

  struct THelper;  // a helper at work (Desktop.cpp)
  explicit TDocumentOpening(std::shared_ptr<const THelper> Helper);

private:
  std::shared_ptr<const THelper> FHelper;
  TOpenVerdict FVerdict = TOpenVerdict::Failed;
};

// Hands the document at Path (relative to the working folder, or absolute) to the viewer the
// desktop associates with its type, and returns at once. Failed at once when the file does not
// exist or no helper could be started; otherwise the verdict follows when the helper has
// decided (no program for the type, a viewer that failed: Failed). Whether the viewer then
// shows the document is the viewer's affair.
TDocumentOpening OpenDocument(const String& Path);

// What actually starts the viewer, given the document's absolute path, with its verdict at
// once. The default asks the desktop through the freedesktop helper xdg-open. Tests put a
// recorder in its place. Returns the opener it replaces; an empty one restores the default.
using TDocumentOpener = std::function<bool(const String& AbsolutePath)>;
TDocumentOpener SetDocumentOpener(TDocumentOpener Opener);
