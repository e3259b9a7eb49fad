#pragma once
// The run-time's text-file variable and untyped (block) files.
//
// Reading rules, shared by every line reader of the toolkit (TTextFile, TStrings, SplitTextLines):
//   - LF ends a line; CR LF counts as one line end;
//   - a CR not followed by LF is dropped;
//   - byte 26 (Ctrl-Z) ends the file;
//   - text after the last LF is a last line.
// So a file written on a CR LF platform reads exactly as one written with LF.
// Writing uses CR LF line ends unless LineBreak is changed.
// Every failure raises EInOutError with the file name in the message.

#include <cstdio>
#include <string_view>
#include <vector>

#include "System.h"

// How many of the bytes the line readers take: up to the first byte 26, or all of them.
size_t ReadableTextLength(const String& Bytes);
// Splits bytes into lines by the reading rules above.
std::vector<String> SplitTextLines(const String& Bytes);

// The lines of a text one at a time, by the reading rules above, without copying the text
// (a line with carriage returns is the one copy). Text is what the reader takes: pass
// ReadableTextLength's part for the byte-26 rule.
class TTextLines {
public:
  explicit TTextLines(std::string_view Text) : FText(Text) {}
  // Moves to the next line; false when the text has no more.
  bool Next();
  std::string_view Line() const { return FLine; }  // without its line end
  // The line's bytes as they stand, carriage returns included (its line feed not).
  std::string_view RawLine() const { return FRawLine; }
  bool HasLineEnd() const { return FHasLineEnd; }

private:
  std::string_view FText;
  std::string_view FLine;
  std::string_view FRawLine;
  String FBuffer;  // a line without its carriage returns
  size_t FNext = 0;
  bool FHasLineEnd = false;
};

class TTextFile {
public:
  TTextFile() = default;
  explicit TTextFile(const String& FileName) { AssignFile(FileName); }
  ~TTextFile();  // closes (flushing written text; errors there are lost: call CloseFile)
  TTextFile(const TTextFile&) = delete;
  TTextFile& operator=(const TTextFile&) = delete;

  void AssignFile(const String& FileName);  // closes an open file first
  const String& FileName() const { return FName; }
  void Reset();      // open for reading at the start (again, if already open)
  void Rewrite();    // create or empty, for writing
  void Append();     // open for writing at the end; fails when the file is missing
  void CloseFile();  // no effect when not open
  bool IsOpen() const { return FFile != nullptr; }

  // ---- reading ----
  // The rest of the current line (without its line end), then moves past the line end.
  // At the end of the file gives "".
  void ReadLn(String& Line);
  String ReadLine();
  void ReadLn();  // skips the rest of the line
  // The rest of the current line without moving past its line end (a lone CR is dropped).
  void Read(String& Text);
  // One byte as it is (CR and LF are returned too); at the end of the file, byte 26.
  char ReadChar();
  // Blanks, tabs and line ends are skipped; the token runs to the next byte <= ' ';
  // an optional sign, "$" for hexadecimal. At the end of the file: 0. A token that is not an
  // integer raises EInOutError (code 106) after it has been consumed.
  Integer ReadInteger();
  // As ReadInteger for a real with "." as decimal separator and an optional exponent.
  // A token that does not convert is consumed and raises EInOutError (code 106), so a caller
  // that catches it goes on with the next token.
  Extended ReadReal();
  // As ReadReal, false instead of the exception (the token is consumed as well).
  bool TryReadReal(Extended& Value);
  // As TryReadReal for a caller that keeps a double: the token read to the nearest double
  // (never through the extended value rounded again); beyond the double range +-infinity.
  bool TryReadDouble(double& Value);
  // End of file: no byte left (or byte 26 next).
  bool Eof();
  // At a line end (CR or LF next) or the end of the file.
  bool Eoln();
  // Skips blanks, tabs and line ends, then tells Eof / Eoln.
  bool SeekEof();
  bool SeekEoln();

  // ---- writing ----
  void Write(const String& S);
  void Write(char C);
  void WriteLn(const String& S);
  void WriteLn();
  String LineBreak = "\r\n";
  void Flush();

  // Byte position and size of the file (opened for reading).
  Int64 FilePos();
  Int64 FileSize();

private:
  enum class Mode { Closed, Input, Output };
  [[noreturn]] void Fail(const String& What, int Code = 0);
  void NeedInput();
  void NeedOutput();
  int Peek();  // next byte or -1 at the end (byte 26 counts as the end)
  int Next();
  String ReadToken();
  String FName;
  std::FILE* FFile = nullptr;
  Mode FMode = Mode::Closed;
};

// An untyped file of fixed-size records (1 byte by default; 4096 for block files).
class TBinaryFile {
public:
  TBinaryFile() = default;
  explicit TBinaryFile(const String& FileName) { AssignFile(FileName); }
  ~TBinaryFile();
  TBinaryFile(const TBinaryFile&) = delete;
  TBinaryFile& operator=(const TBinaryFile&) = delete;

  void AssignFile(const String& FileName);
  // Opens an existing file: ReadOnly for reading only, else for reading and writing.
  void Reset(int RecSize = 1, bool ReadOnly = true);
  void Rewrite(int RecSize = 1);  // create or empty, for reading and writing
  void CloseFile();
  bool IsOpen() const { return FFile != nullptr; }

  // Reads up to Count records; returns the number of whole records read (short at the end).
  Int64 BlockRead(void* Buffer, Int64 Count);
  // Writes Count records; EInOutError when not all were written.
  void BlockWrite(const void* Buffer, Int64 Count);
  void Seek(Int64 RecNo);  // record number from 0
  Int64 FilePos();         // in records
  Int64 FileSize();        // in whole records
  bool Eof();
  void Truncate();  // cuts the file at the position

private:
  [[noreturn]] void Fail(const String& What);
  void NeedOpen();
  String FName;
  std::FILE* FFile = nullptr;
  int FRecSize = 1;
};
