#pragma once
// The library's file-system unit: text-file type detection and line counting, which the data
// table's CSV import runs before it reads a file.
//
// Text files are read through the run-time's text-file variable (TTextFile) and its reading
// rules: LF ends a line, CR LF counts as one line end, a CR not followed by LF is dropped, byte
// 26 ends the file, and text after the last LF is a last line. No byte-order mark is skipped.

#include "DOV_sdlbase.h"
#include "TextFile.h"

// Ordinals are fixed (0 ... 6).
enum TTextfileType {
  tftUnicode_le,   // FF FE
  tftUnicode_be,   // FE FF
  tftUnicode4_le,  // FF FE 00 00
  tftUnicode4_be,  // 00 00 FE FF
  tftRTF,          // "{\r"
  tftUTF8,         // EF BB BF
  tftUnknown       // plain 8-bit text, or anything else
};

// Tells the encoding of a file from its first four bytes. A file shorter than that is still
// classified; a file that cannot be opened raises the run-time's I/O exception (EInOutError).
TTextfileType CheckTextFileType(const String& FName);

// Counts the lines of a text file the caller has assigned (and usually opened); the file is
// reset before and after, so the next line read is its first. Feedback, when given, is called
// at every thousandth line with Sender null, StateCnt the count so far and PercentDone 0.
// Failures raise EInOutError.
Integer CountLinesInTextFile(TTextFile& F, const TFeedbackProc& Feedback);
// Opens the named file as text, counts its lines and closes it.
Integer CountLinesInTextFile(const String& FName, const TFeedbackProc& Feedback);
