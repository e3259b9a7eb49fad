// Text files and untyped files of the run-time.

#include "TextFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "SysUtils.h"

// Every CR is dropped (one before a LF belongs to the line end, the reader drops any other),
// so a line is the bytes up to its LF without the CRs; text after the last LF, CRs alone
// included, is a last line. Lines are found with memchr and copied once each.
size_t ReadableTextLength(const String& Bytes) {
  const void* ctrlZ = std::memchr(Bytes.data(), 26, Bytes.size());
  return ctrlZ != nullptr ? static_cast<size_t>(static_cast<const char*>(ctrlZ) - Bytes.data())
                          : Bytes.size();
}

bool TTextLines::Next() {
  if (FNext >= FText.size()) return false;
  const size_t begin = FNext;
  const void* lf = std::memchr(FText.data() + begin, '\n', FText.size() - begin);
  const size_t stop = lf != nullptr
                          ? static_cast<size_t>(static_cast<const char*>(lf) - FText.data())
                          : FText.size();
  FHasLineEnd = lf != nullptr;
  FNext = FHasLineEnd ? stop + 1 : stop;
  FRawLine = FLine = FText.substr(begin, stop - begin);
  if (FLine.find('\r') != std::string_view::npos) {
    FBuffer.clear();
    for (const char ch : FLine)
      if (ch != '\r') FBuffer += ch;
    FLine = FBuffer;
  }
  return true;
}

std::vector<String> SplitTextLines(const String& Bytes) {
  std::vector<String> lines;
  TTextLines walk(std::string_view(Bytes.data(), ReadableTextLength(Bytes)));
  while (walk.Next()) lines.emplace_back(walk.Line());
  return lines;
}

// ---- TTextFile -------------------------------------------------------------------------------
namespace {
constexpr size_t kBufSize = 1 << 16;
}

TTextFile::~TTextFile() {
  if (FFile != nullptr) std::fclose(FFile);
}

void TTextFile::Fail(const String& What, int Code) {
  int err = errno;
  String msg = What + " \"" + FName + "\"";
  if (Code == 0 && err != 0) msg += ": " + String(std::strerror(err));
  throw EInOutError(msg, Code != 0 ? Code : err);
}

void TTextFile::AssignFile(const String& FileName) {
  CloseFile();
  FName = FileName;
}

void TTextFile::Reset() {
  if (FFile != nullptr) {
    std::fclose(FFile);
    FFile = nullptr;
  }
  FMode = Mode::Closed;
  errno = 0;
  FFile = std::fopen(FName.c_str(), "rb");
  if (FFile == nullptr) Fail("Cannot open file");
  struct stat st;
  if (::fstat(fileno(FFile), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(FFile);
    FFile = nullptr;
    errno = EISDIR;
    Fail("Cannot open file");
  }
  std::setvbuf(FFile, nullptr, _IOFBF, kBufSize);
  FMode = Mode::Input;
}

void TTextFile::Rewrite() {
  CloseFile();
  errno = 0;
  FFile = std::fopen(FName.c_str(), "wb");
  if (FFile == nullptr) Fail("Cannot create file");
  std::setvbuf(FFile, nullptr, _IOFBF, kBufSize);
  FMode = Mode::Output;
}

void TTextFile::Append() {
  CloseFile();
  errno = 0;
  // "r+" fails on a missing file, which is what Append must do.
  FFile = std::fopen(FName.c_str(), "r+b");
  if (FFile == nullptr) Fail("Cannot open file for appending");
  if (std::fseek(FFile, 0, SEEK_END) != 0) {
    std::fclose(FFile);
    FFile = nullptr;
    Fail("Cannot open file for appending");
  }
  std::setvbuf(FFile, nullptr, _IOFBF, kBufSize);
  FMode = Mode::Output;
}

void TTextFile::CloseFile() {
  if (FFile == nullptr) return;
  std::FILE* f = FFile;
  FFile = nullptr;
  const bool wasOutput = FMode == Mode::Output;
  FMode = Mode::Closed;
  errno = 0;
  bool bad = wasOutput && (std::fflush(f) != 0 || std::ferror(f) != 0);
  if (std::fclose(f) != 0 && wasOutput) bad = true;
  if (bad) Fail("Cannot write file");
}

void TTextFile::NeedInput() {
  if (FMode != Mode::Input) {
    errno = 0;
    Fail("File not open for input", 104);
  }
}

void TTextFile::NeedOutput() {
  if (FMode != Mode::Output) {
    errno = 0;
    Fail("File not open for output", 105);
  }
}

int TTextFile::Peek() {
  int c = getc_unlocked(FFile);
  if (c == EOF) {
    if (std::ferror(FFile)) Fail("Cannot read file");
    return -1;
  }
  ungetc(c, FFile);
  return c == 26 ? -1 : c;
}

int TTextFile::Next() {
  int c = getc_unlocked(FFile);
  if (c == EOF) {
    if (std::ferror(FFile)) Fail("Cannot read file");
    return -1;
  }
  if (c == 26) {
    ungetc(c, FFile);
    return -1;
  }
  return c;
}

void TTextFile::ReadLn(String& Line) {
  NeedInput();
  Line.clear();
  while (true) {
    int c = Next();
    if (c < 0 || c == '\n') break;
    if (c == '\r') {
      if (Peek() == '\n') {
        Next();
        break;
      }
      continue;  // a lone CR is dropped
    }
    Line += static_cast<char>(c);
  }
}

void TTextFile::Read(String& Text) {
  NeedInput();
  Text.clear();
  while (true) {
    int c = Peek();
    if (c < 0 || c == '\n') break;
    Next();
    if (c == '\r') {
      if (Peek() == '\n') {
        ungetc('\r', FFile);  // CR LF stays for ReadLn
        break;
      }
      continue;
    }
    Text += static_cast<char>(c);
  }
}

String TTextFile::ReadLine() {
  String s;
  ReadLn(s);
  return s;
}

void TTextFile::ReadLn() {
  String dummy;
  ReadLn(dummy);
}

char TTextFile::ReadChar() {
  NeedInput();
  int c = Next();
  return c < 0 ? static_cast<char>(26) : static_cast<char>(c);
}

String TTextFile::ReadToken() {
  NeedInput();
  int c;
  while ((c = Peek()) >= 0 && c <= ' ') Next();
  String tok;
  while ((c = Peek()) > ' ') tok += static_cast<char>(Next());
  return tok;
}

Integer TTextFile::ReadInteger() {
  String tok = ReadToken();
  if (tok.empty()) return 0;  // end of file
  Integer v;
  if (!TryStrToInt(tok, v)) {
    errno = 0;
    Fail("Invalid numeric input '" + tok + "' in file", 106);
  }
  return v;
}

bool TTextFile::TryReadReal(Extended& Value) {
  String tok = ReadToken();
  if (tok.empty()) {
    Value = 0;
    return true;
  }
  long double v;
  if (!TryStrToFloat(tok, v)) return false;
  Value = v;
  return true;
}

bool TTextFile::TryReadDouble(double& Value) {
  String tok = ReadToken();
  if (tok.empty()) {
    Value = 0;
    return true;
  }
  return TryStrToDouble(tok, Value);
}

Extended TTextFile::ReadReal() {
  Extended v = 0;
  if (!TryReadReal(v)) {
    errno = 0;
    Fail("Invalid numeric input in file", 106);
  }
  return v;
}

bool TTextFile::Eof() {
  if (FMode == Mode::Output) return true;
  NeedInput();
  return Peek() < 0;
}

bool TTextFile::Eoln() {
  NeedInput();
  int c = Peek();
  return c < 0 || c == '\r' || c == '\n';
}

bool TTextFile::SeekEof() {
  NeedInput();
  int c;
  while ((c = Peek()) >= 0 && c <= ' ') Next();
  return c < 0;
}

bool TTextFile::SeekEoln() {
  NeedInput();
  int c;
  while ((c = Peek()) == ' ' || c == '\t') Next();
  return c < 0 || c == '\r' || c == '\n';
}

void TTextFile::Write(const String& S) {
  NeedOutput();
  errno = 0;
  if (!S.empty() && std::fwrite(S.data(), 1, S.size(), FFile) != S.size())
    Fail("Cannot write file");
}

void TTextFile::Write(char C) { Write(String(1, C)); }

void TTextFile::WriteLn(const String& S) {
  Write(S);
  Write(LineBreak);
}

void TTextFile::WriteLn() { Write(LineBreak); }

void TTextFile::Flush() {
  NeedOutput();
  errno = 0;
  if (std::fflush(FFile) != 0) Fail("Cannot write file");
}

Int64 TTextFile::FilePos() {
  if (FFile == nullptr) Fail("File not open", 103);
  return static_cast<Int64>(std::ftell(FFile));
}

Int64 TTextFile::FileSize() {
  if (FFile == nullptr) Fail("File not open", 103);
  if (FMode == Mode::Output) std::fflush(FFile);
  struct stat st;
  if (::fstat(fileno(FFile), &st) != 0) Fail("Cannot read file size of");
  return static_cast<Int64>(st.st_size);
}

// ---- TBinaryFile -----------------------------------------------------------------------------
TBinaryFile::~TBinaryFile() {
  if (FFile != nullptr) std::fclose(FFile);
}

void TBinaryFile::Fail(const String& What) {
  int err = errno;
  String msg = What + " \"" + FName + "\"";
  if (err != 0) msg += ": " + String(std::strerror(err));
  throw EInOutError(msg, err);
}

void TBinaryFile::AssignFile(const String& FileName) {
  if (FFile != nullptr) {
    std::fclose(FFile);
    FFile = nullptr;
  }
  FName = FileName;
}

void TBinaryFile::Reset(int RecSize, bool ReadOnly) {
  AssignFile(FName);
  FRecSize = RecSize < 1 ? 1 : RecSize;
  errno = 0;
  FFile = std::fopen(FName.c_str(), ReadOnly ? "rb" : "r+b");
  if (FFile == nullptr) Fail("Cannot open file");
}

void TBinaryFile::Rewrite(int RecSize) {
  AssignFile(FName);
  FRecSize = RecSize < 1 ? 1 : RecSize;
  errno = 0;
  FFile = std::fopen(FName.c_str(), "w+b");
  if (FFile == nullptr) Fail("Cannot create file");
}

void TBinaryFile::CloseFile() {
  if (FFile == nullptr) return;
  std::FILE* f = FFile;
  FFile = nullptr;
  errno = 0;
  if (std::fclose(f) != 0) Fail("Cannot close file");
}

void TBinaryFile::NeedOpen() {
  if (FFile == nullptr) {
    errno = 0;
    throw EInOutError("File not open \"" + FName + "\"", 103);
  }
}

Int64 TBinaryFile::BlockRead(void* Buffer, Int64 Count) {
  NeedOpen();
  if (Count <= 0) return 0;
  errno = 0;
  size_t got = std::fread(Buffer, static_cast<size_t>(FRecSize), static_cast<size_t>(Count), FFile);
  if (got < static_cast<size_t>(Count) && std::ferror(FFile)) Fail("Cannot read file");
  return static_cast<Int64>(got);
}

void TBinaryFile::BlockWrite(const void* Buffer, Int64 Count) {
  NeedOpen();
  if (Count <= 0) return;
  errno = 0;
  size_t put =
      std::fwrite(Buffer, static_cast<size_t>(FRecSize), static_cast<size_t>(Count), FFile);
  if (put != static_cast<size_t>(Count) || std::fflush(FFile) != 0) Fail("Cannot write file");
}

void TBinaryFile::Seek(Int64 RecNo) {
  NeedOpen();
  errno = 0;
  if (RecNo < 0 || std::fseek(FFile, static_cast<long>(RecNo * FRecSize), SEEK_SET) != 0)
    Fail("Cannot seek in file");
}

Int64 TBinaryFile::FilePos() {
  NeedOpen();
  return static_cast<Int64>(std::ftell(FFile)) / FRecSize;
}

Int64 TBinaryFile::FileSize() {
  NeedOpen();
  std::fflush(FFile);
  struct stat st;
  errno = 0;
  if (::fstat(fileno(FFile), &st) != 0) Fail("Cannot read file size of");
  return static_cast<Int64>(st.st_size) / FRecSize;
}

bool TBinaryFile::Eof() { return FilePos() >= FileSize(); }

void TBinaryFile::Truncate() {
  NeedOpen();
  std::fflush(FFile);
  errno = 0;
  if (::ftruncate(fileno(FFile), std::ftell(FFile)) != 0) Fail("Cannot truncate file");
}
