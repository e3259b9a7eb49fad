#pragma once
// Handing files to the desktop: the user's own viewer opens a document (the manual).

#include <functional>

#include "System.h"

// Opens the document at Path (relative to the working folder, or absolute) with the viewer
// the desktop associates with its type. Returns false when the file does not exist or the
// desktop could not start a viewer (no helper, no program for the type: told within a second);
// whether the viewer then shows it is the viewer's affair.
bool OpenDocument(const String& Path);

// What actually starts the viewer, given the document's absolute path. The default asks the
// desktop through the freedesktop helper xdg-open. Tests put a
// recorder in its place. Returns the opener it replaces; an empty one restores the default.
using TDocumentOpener = std::function<bool(const String& AbsolutePath)>;
TDocumentOpener SetDocumentOpener(TDocumentOpener Opener);
