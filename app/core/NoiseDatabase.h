#pragma once
// The noise-measurement database NoiseMeasurements.txt, as plain functions on files.
//
// A record is 11 lines (number, date, time, frequency MHz, antenna gain dBi, Tsys K, expected
// sun flux Jy, expected sun noise dB, measured sun noise dB, delta dB, comment), with no
// separator between records. Numbers are written as C's "%g" in the "C" locale (6 significant
// digits, "." always); lines end with CR LF; readers take LF and CR LF alike.
//
// Nothing a user keeps is lost:
//   - an append writes the whole record or, when the write fails, cuts the file back to
//     what it was;
//   - a deletion writes the new database completely to temp.txt first, keeps the old one as
//     OLD_NoiseMeasurements.txt, and replaces the database by renaming over it, so at every
//     moment NoiseMeasurements.txt is either the old or the new database, complete;
//   - "delete all" moves the database to OLD_NoiseMeasurements.txt instead of erasing it;
//   - a file holding bytes the line reader does not take (a Ctrl-Z, where it stops reading)
//     is never rewritten, and no record is appended behind a Ctrl-Z.
// A failed step raises ENoiseDatabase with a message for the user; the files are then as
// they were before the call.

#include <array>
#include <functional>
#include <vector>

#include "System.h"

constexpr int kRecordLines = 11;
// Line indexes (0-based) within a record.
enum TNoiseLine {
  nlNumber,
  nlDate,
  nlTime,
  nlFrequency,
  nlGain,
  nlTsys,
  nlFlux,
  nlExpected,
  nlMeasured,
  nlDelta,
  nlComment
};

inline constexpr const char* kNoiseDatabaseFile = "NoiseMeasurements.txt";
inline constexpr const char* kNoiseTempFile = "temp.txt";
inline constexpr const char* kNoiseBackupFile = "OLD_NoiseMeasurements.txt";

class ENoiseDatabase : public Exception {
  using Exception::Exception;
};

using TNoiseLines = std::array<String, kRecordLines>;

struct TNoiseRecord {
  TNoiseLines Lines;  // as read, without line ends
  int Number = 0;     // line 1, the number the grid's "#" column shows
  // The values of lines 4..10; 0 where the line is empty.
  double Frequency = 0, Gain = 0, Tsys = 0, FluxJy = 0, Expected = 0, Measured = 0, Delta = 0;
  int Position = 0;  // 0-based index of the record among the file's records, damaged ones included
};

// A record is read wherever 11 lines form one: a damaged record (a line missing, added or not
// a number) hides none of those after it, as the reader re-synchronises on the next line where
// a record starts. Lines that form no record are one damaged record up to that line; blank
// lines between records are passed over.
struct TNoiseDatabase {
  bool Found = false;                 // the file could be read
  std::vector<TNoiseRecord> Records;  // the sound records, in file order
  // One text per damaged record ("Record 3 (lines 23-33): line 27 'abc' is not a number.",
  // "Record 2 (lines 12-21) is incomplete: 10 of 11 lines."), after one per kind of byte the
  // reading did not take ("Line 22: the reading stops at a Ctrl-Z character; ...").
  std::vector<String> Problems;
  int StoredRecords = 0;  // records in the file, damaged ones and an incomplete last one included
  bool LastIncomplete = false;
  // Bytes the line reader did not take: all from a Ctrl-Z (byte 26) on, where the reading
  // stops (StopsEarly), and carriage returns that end no line. A file with such bytes is
  // never rewritten, since the new file would lose them.
  Int64 UnreadBytes = 0;
  bool StopsEarly = false;
  // Lines that belong to records; blank lines after the last record (an editor may leave
  // them) are no record and are not counted.
  int RecordLines = 0;
  int TrailingBlankLines = 0;
};

// Index into Db.Records of the sound record numbered Number: -1 when none is, -2 when more
// than one is (a file edited by hand).
int FindNoiseRecord(const TNoiseDatabase& Db, int Number);

// Reads the database. A missing file gives Found false and no records; one that cannot be
// read, or is beyond the bounds of every file the program reads, gives Found false and the
// reason as its one problem.
TNoiseDatabase ReadNoiseDatabase(const String& FileName = kNoiseDatabaseFile);
// The same from the file's bytes.
TNoiseDatabase ParseNoiseDatabase(const String& Bytes);

// "%g" in the "C" locale: 1420, 12.3457, 2.34568e+06.
String NoiseNumberText(double Value);

// The 11 lines of a new record. Measured is kept in single precision, the delta is
// Expected - Measured rounded to single precision. Control characters in the date, the time
// and the comment (a line break, a Ctrl-Z typed or pasted) become blanks.
TNoiseLines NewNoiseRecord(int Number, const String& Date, const String& Time, double Frequency,
                           double Gain, double Tsys, double FluxJy, double Expected, float Measured,
                           const String& Comment);

// Appends one record. Refuses (ENoiseDatabase) a file whose last record is incomplete, where
// the new record would not start on a record boundary, and one whose reading stops at a
// Ctrl-Z, behind which the new record would not be read. Blank lines after the last record
// are dropped so that the new record follows it directly.
void AppendNoiseRecord(const TNoiseLines& Record, const String& FileName = kNoiseDatabaseFile);

// Deletes the sound record numbered Number (the number the grid's "#" column shows, whatever
// damaged records stand before it); the records after it are renumbered one lower. The
// database as it was stays as OLD_NoiseMeasurements.txt. Refuses (ENoiseDatabase) a file
// with bytes the reading did not take.
void DeleteNoiseRecord(int Number, const String& FileName = kNoiseDatabaseFile);
// Takes the database back from OLD_NoiseMeasurements.txt (no backup remains).
void RestoreNoiseDatabase(const String& FileName = kNoiseDatabaseFile);
// Moves the database to OLD_NoiseMeasurements.txt. No database is no error.
void DeleteAllNoiseRecords(const String& FileName = kNoiseDatabaseFile);

// The texts a grid row shows for a record: the lines as read, the gain and Tsys cut or padded
// to 6 characters, the flux rounded to whole Jy ("#######"), expected, measured and delta cut
// or padded to 5 characters.
std::array<String, kRecordLines> NoiseGridTexts(const TNoiseRecord& Record);
// Text cut to Width characters or padded with blanks to it (an edit mask of Width "#").
String MaskText(const String& Text, int Width);

// The CSV export: the header and units lines, then one line per row of cell texts. A field
// holding a comma, a quote or a line break is quoted (quotes doubled); others are as shown.
String NoiseCsv(const std::vector<std::array<String, kRecordLines>>& Rows);
// "mmddyy.csv" of a date.
String NoiseCsvName(int Year, int Month, int Day);

// For tests: called before each file step ("write", "backup", "replace", "restore", "move")
// with the step's name; returning true makes that step fail as if the system had refused it.
void SetNoiseFileFaultForTesting(std::function<bool(const String& Step)> Fault);
