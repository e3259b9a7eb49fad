#pragma once
// Saving a text file so that a failed save never leaves the old file truncated: the text is
// written beside the file (beside the target of a symbolic link) and renamed over it.

#include <functional>

#include "System.h"

class TTextFile;

// Opens a file beside FName for writing, lets Write fill it, closes it and renames it over
// FName's target. Whatever Write throws passes on, with the file beside removed; a failed
// rename removes it too and raises EInOutError.
void SaveTextFileReplacing(const String& FName, const std::function<void(TTextFile&)>& Write);
