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

#include <string_view>

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
// The same from the first bytes of a file already read (all of them, or at least four).
TTextfileType TextFileTypeOfBytes(std::string_view Bytes);

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
Integer FindFirstMatchInTextFile(const String& FileName, const String& SearchText, bool IgnoreCase,
                                 String& MatchingLine);
// The next run of characters above the blank; the character that ends it is consumed. At the
// end of the file, what was collected (possibly empty).
String ReadNextWordInTextFile(TTextFile& F);

// ---- the ASC table header
// ------------------------------------------------------------------------ The first four lines of
// an ASC file: a comment, the number of columns, the number of rows (each followed by anything),
// and four flags TRUE/FALSE (row attributes, column names, row names, nominal variables). Status 0
// when read; -1 / -2 when line 2 / 3 does not begin with an integer (file form only; the flags are
// then left as they were); -3 when one of the first three flags is neither TRUE nor FALSE (the
// flags before it are set, the rest false). The file form turns tabs into blanks on the flag line;
// a file that cannot be opened raises EInOutError. The stream form reads from the position and
// leaves it behind the flag line.
Integer ReadHeaderOfASC(const String& FileName, String& Comment, Integer& NrCols, Integer& NrRows,
                        bool& RowAttributes, bool& ColumnNames, bool& RowNames, bool& NominalVars);
Integer ReadHeaderOfASC(TStream& Stream, String& Comment, Integer& NrCols, Integer& NrRows,
                        bool& RowAttributes, bool& ColumnNames, bool& RowNames, bool& NominalVars);

// ---- path names, drives and system queries -------------------------------------------------
// Path routines take the name part of a path as what follows its last "\", "/" or ":", so they
// serve paths written for Windows and Linux paths alike; they touch no file. Routines that
// reach the file system accept either separator ("\" becomes "/" there). Drives map onto Linux
// as follows: drive C (number 2) is the file-system root "/", every other letter is absent.
// Upper and lower case change A-Z only.
String StripExtension(const String& FileName);
String StripPath(const String& FileName);
String InsertBeforeFileExt(const String& Insertion, const String& FileName);
String EnsureDefaultFileExt(const String& FileName, const String& DefaultExt);
// The folder above, with its separator: "C:\a\b\" and "C:\a\b" give "C:\a\"; "" when none.
String ParentDir(const String& DirName);
// "C:\" (any case, blanks around ignored) and "/".
bool IsRootDir(const String& DirName);
// Folder names become ".." until the path is shorter than MaxLeng; drive and name stay.
String AbridgeFilePath(const String& Path, Integer MaxLeng);
// Linux has no short names: the path expanded to a full path.
String DOSToWinPath(const String& ShortPath);
bool IsDOS83Path(const String& Path);
// 0 ... 25 for a path that begins with a drive letter and a colon, -1 otherwise.
Integer ExtractDrive(const String& Path);

// 3 (fixed) for drive C, 1 (no root folder) for the other letters, 0 above 25.
Integer GetDiskDriveType(Byte Drive);
// Whether nothing can be written in the root folder of the drive (absent drives: true).
bool DiskIsReadOnly(Byte Drive);
// Whether no file can be created in the folder. The probe file is created exclusively and
// removed again; a file of the probe's name that was there before is never touched (the
// folder's write permission answers then). EInOutError when the probe cannot be removed.
bool DirIsReadOnly(const String& DirName);
// Free bytes for the drive's root folder; -1 for an absent drive or a failed query.
Double DiskFreeExtended(Byte Drive);
// True when the folder holds no entry (a folder that cannot be read counts as empty).
bool DirEmpty(const String& DirName);
bool DirExists(const String& DirName);
// "C:" only.
void BuildDriveList(TStrings& List);
// The size in bytes (low 32 bits), -1 when there is no such file or folder.
Integer GetFileSize(const String& FileName);
// Linux has no system or Windows folder: both give "".
String GetSystemDir();
String GetWindowsDir();
// TMPDIR (or /tmp) with a trailing "/"; "" when that folder does not exist.
String GetTempDir();
// The value of the environment variable, its name compared without regard to case (the
// last of several such entries wins); "" when not set.
String GetEnviroVar(const String& VarName);
// Linux keeps no registry of open commands per extension: always "".
String GetProgAssoc(const String& Extension);
// A pronounceable password of 4 ... 14 characters (consonant-vowel pairs, two digits at
// positions 7 and 8, or at the end of shorter ones); the second form turns letters to upper
// case at random (MixedCase) and puts special characters or digits at random places.
String InventPassword(Integer Length);
String InventPassword(Integer Length, bool MixedCase, bool SpecialChars);

// ---- file copying, deletion and folder scans -------------------------------------------------
// Masks follow the Windows wildcard rules: "*" and "?", case ignored, "*.*" every name.
// Attributes map onto Linux so: hidden = a name beginning with "."; read-only = no write
// permission for the owner; there are no system, archive or volume-label entries. Symbolic
// links to folders are never descended.
using TFileCopyFeedBack = std::function<void(Integer BytesCopied, Integer SizeOfFile)>;
using TTreeCopyFeedBack =
    std::function<void(Integer BytesCopied, Integer SizeOfCurrentFile,
                       const String& NameOfCurrentFile, Integer NrOfFilesCopiedSoFar)>;
using TScanFilesFeedback = std::function<void(const String& CurrentDir, Integer Count)>;

// FileCopyFeedBk results: 0 copied; -1 the source cannot be read; -2 the destination cannot
// be created (also when it is the source itself); -3 a write failed; -4 a read failed;
// -5 aborted by AbortAnyFileCopying.
inline constexpr Integer fcAborted = -5;

// Stops a running copy after its current block (to be called from a feedback routine).
void AbortAnyFileCopying();
// Copies one file in blocks of 8192 bytes, calling Feedback with (bytes so far, size) before
// and after each block. A destination that is a folder receives the source's file name. The
// bytes go to a file beside the destination, which takes its place only when the copy is
// complete, with the source's date (and, with CopyAttrib, its permissions made writable):
// a failed or aborted copy leaves the old destination (or none) and no partial file. A source
// that cannot be opened at all raises EInOutError.
Integer FileCopyFeedBk(const String& Source, const String& Dest, bool CopyAttrib,
                       const TFileCopyFeedBack& Feedback = nullptr);
// Copies a folder tree. Nothing happens when the two folders are the same (case ignored, or
// the same folder on disk) or the destination lies inside the source.
void CopyFileTree(const String& SourceDir, const String& DestDir, bool CopyAttrib,
                  const TTreeCopyFeedBack& Feedback = nullptr);
// Deletes a folder tree; "" on success, else the first file or folder that could not be
// deleted. Read-only files are not deleted (their name is the result); links are deleted
// themselves, never followed.
String DelDirTree(const String& DirName);
// The number of files matching the mask deleted (hidden files and folders are skipped).
Integer DeleteFiles(const String& FileMask);
// The number of matching files moved to the desktop's trash (the freedesktop.org trash of
// the user, in XDG_DATA_HOME or ~/.local/share); a file on another file system stays.
Integer MoveToRecycleBin(const String& FileMask);
// Renames every matching entry to its name in upper or lower case and descends into the
// matching folders under their new names. A rename onto another existing entry is refused
// with EInOutError (on Linux it would replace that entry).
void SetAllFilenameCase(const String& FileMask, bool Upper);
// Appends the matching files (folder part of the mask as given + name) to List, through the
// folders below when Recursive; Feedback sees each folder and the count so far.
void ScanFilesToStrList(const String& FileMask, bool Recursive, TStrings* List,
                        const TScanFilesFeedback& Feedback = nullptr);
Integer CountFiles(const String& FileMask, bool Recursive,
                   const TScanFilesFeedback& Feedback = nullptr);
// The first file matching the name in its folder or in a folder below (folder part as given
// + the name as stored); "" when none.
String FileDetect(const String& FileName);
// Copies the text file, putting a LF behind every CR that lacks one. The output is written
// beside and renamed over, so a failure never leaves it truncated.
void EnsureCRLFInFile(const String& InFile, const String& OutFile);
