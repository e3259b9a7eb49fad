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
    f.CloseFile();
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
