#include "DOV_textsave.h"

#include <filesystem>

#include "SysUtils.h"
#include "TextFile.h"

void SaveTextFileReplacing(const String& FName, const std::function<void(TTextFile&)>& Write) {
  const String target = SymbolicLinkTarget(FName);
  const String temp = TemporaryNameBeside(target, ".saving");
  TTextFile f(temp);
  try {
    f.Rewrite();
    Write(f);
    f.CloseFile();
  } catch (...) {
    // Closing flushes what is still buffered, which fails again on a full disk: the file
    // beside goes all the same, and the first failure is the one raised.
    try {
      f.CloseFile();
    } catch (...) {}
    DeleteFile(temp);
    throw;
  }
  std::error_code ec;
  std::filesystem::rename(temp, target, ec);
  if (ec) {
    DeleteFile(temp);
    throw EInOutError("Cannot write file \"" + FName + "\": " + ec.message());
  }
}
