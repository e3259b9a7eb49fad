#pragma once
// The library's file-system unit: text-file type detection and line counting, which the data
// table's CSV import runs before it reads a file.
//
// Text files are read through the run-time's text-file variable (TTextFile) and its reading
// rules: LF ends a line, CR LF counts as one line end, a CR not followed by LF is dropped, byte
// 26 ends the file, and text after the last LF is a last line. No byte-order mark is skipped.

#include "DOV_sdlbase.h"
#include "Classes.h"
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

// ---- text-file routines ----------------------------------------------------------------------
// Lines are written with CR LF. Failures of the file operations raise EInOutError.

// Appends the line (or each string, in order) to the file, creating it when missing.
void AppendToTextFile(const String& FileName, const String& Line);
void AppendToTextFile(const String& FileName, const TStrArray& Lines);
// The last N lines, oldest first (the result begins with empty strings when the file has
// fewer); NumLines is the file's line count. The file is reset before and after. N < 1 gives
// an empty result (the lines are still counted).
TStrArray ReadLastNLinesOfTextFile(TTextFile& F, Integer N, Integer& NumLines);
TStrArray ReadLastNLinesOfTextFile(const String& FileName, Integer N, Integer& NumLines);
// The position of the first occurrence counted over the file's characters without line ends
// (1-based), when it lies within the first MaxChars characters; else 0. IgnoreCase folds A-Z.
Integer DetectStringInFile(const String& FileName, const String& SearchText, bool IgnoreCase,
                           Integer MaxChars);
// The position of SearchText in the first line that holds it (0 when none), and that line as
// read. IgnoreCase folds every letter, not only A-Z.
Integer FindFirstMatchInTextFile(const String& FileName, const String& SearchText,
                                 bool IgnoreCase, String& MatchingLine);
// The next run of characters above the blank; the character that ends it is consumed. At the
// end of the file, what was collected (possibly empty).
String ReadNextWordInTextFile(TTextFile& F);

// ---- the ASC table header ------------------------------------------------------------------------
// The first four lines of an ASC file: a comment, the number of columns, the number of rows
// (each followed by anything), and four flags TRUE/FALSE (row attributes, column names, row
// names, nominal variables). Status 0 when read; -1 / -2 when line 2 / 3 does not begin with an
// integer (file form only; the flags are then left as they were); -3 when one of the first
// three flags is neither TRUE nor FALSE (the flags before it are set, the rest false).
// The file form turns tabs into blanks on the flag line; a file that cannot be opened raises
// EInOutError. The stream form reads from the position and leaves it behind the flag line.
Integer ReadHeaderOfASC(const String& FileName, String& Comment, Integer& NrCols,
                        Integer& NrRows, bool& RowAttributes, bool& ColumnNames,
                        bool& RowNames, bool& NominalVars);
Integer ReadHeaderOfASC(TStream& Stream, String& Comment, Integer& NrCols, Integer& NrRows,
                        bool& RowAttributes, bool& ColumnNames, bool& RowNames,
                        bool& NominalVars);
