#include "DOV_filesys.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

TTextfileType CheckTextFileType(const String& FName) {
  Byte b[4] = {0, 0, 0, 0};
  TBinaryFile f(FName);
  f.Reset(1, true);
  Int64 got = 0;
  try {
    // A file shorter than four bytes is no error: what was read stays, the rest stays zero.
    got = f.BlockRead(b, 4);
  } catch (const EInOutError&) {
    // A folder opens here (it cannot on every system), but it is no file to classify: its
    // read failure is reported like a file that cannot be opened.
    std::error_code ec;
    if (std::filesystem::is_directory(FName, ec)) throw;
  }
  f.CloseFile();
  return TextFileTypeOfBytes(std::string_view(reinterpret_cast<const char*>(b), static_cast<std::size_t>(got)));
}

TTextfileType TextFileTypeOfBytes(std::string_view Bytes) {
  Byte b[4] = {0, 0, 0, 0};
  const std::size_t got = std::min<std::size_t>(Bytes.size(), 4);
  std::memcpy(b, Bytes.data(), got);
  // The four-byte marks need four bytes: the zeros that fill a short buffer must not turn the
  // two bytes FF FE into the four-byte mark FF FE 00 00.
  const bool four = got >= 4;
  if (b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return tftUTF8;
  if (four && b[0] == 0xFF && b[1] == 0xFE && b[2] == 0x00 && b[3] == 0x00) return tftUnicode4_le;
  if (four && b[0] == 0x00 && b[1] == 0x00 && b[2] == 0xFE && b[3] == 0xFF) return tftUnicode4_be;
  if (b[0] == 0xFF && b[1] == 0xFE) return tftUnicode_le;
  if (b[0] == 0xFE && b[1] == 0xFF) return tftUnicode_be;
  if (b[0] == '{' && b[1] == '\\' && b[2] == 'r') return tftRTF;
  return tftUnknown;
}

Integer CountLinesInTextFile(TTextFile& F, const TFeedbackProc& Feedback) {
  F.Reset();
  Integer count = 0;
  while (!F.Eof()) {
    F.ReadLn();
    ++count;
    if (count % 1000 == 0 && Feedback) Feedback(nullptr, count, 0);
  }
  F.Reset();
  return count;
}

Integer CountLinesInTextFile(const String& FName, const TFeedbackProc& Feedback) {
  TTextFile f(FName);
  f.Reset();
  const Integer count = CountLinesInTextFile(f, Feedback);
  f.CloseFile();
  return count;
}
