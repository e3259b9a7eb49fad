#include "NoiseDatabase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "LineRecords.h"
#include "SysUtils.h"
#include "TextFile.h"
#include "Unit1Config.h"

namespace {

constexpr const char* kEol = "\r\n";
constexpr int kGainWidth = 6;   // gain and Tsys columns
constexpr int kNoiseWidth = 5;  // expected, measured and delta columns
constexpr const char* kFluxPattern = "#######";

std::function<bool(const String&)> FileFault;

// True when the step is to fail; errno then says why, as the system would.
bool Faulted(const String& Step) {
  if (FileFault && FileFault(Step)) {
    errno = EIO;
    return true;
  }
  return false;
}

String SystemReason() { return std::strerror(errno); }

// The file's bytes, read as every file of the program is. False when it is missing; a file
// that cannot be read, or one beyond the reader's bounds, raises EInOutError naming it.
bool ReadBytes(const String& FileName, String& Bytes) {
  if (ReadUserFile(FileName, Bytes)) return true;
  errno = ENOENT;
  return false;
}

bool WriteAll(int Fd, const String& Bytes) {
  size_t done = 0;
  while (done < Bytes.size()) {
    const ssize_t n = ::write(Fd, Bytes.data() + done, Bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Writes the whole new file, synced to the disk; on failure nothing of it remains.
bool WriteNewFile(const String& FileName, const String& Bytes) {
  const int fd = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool ok = !Faulted("write") && WriteAll(fd, Bytes) && ::fsync(fd) == 0;
  const int saved = errno;
  if (::close(fd) != 0 && ok) {
    ::unlink(FileName.c_str());
    return false;
  }
  if (!ok) {
    ::unlink(FileName.c_str());
    errno = saved;
  }
  return ok;
}

// Reads a number line: empty is 0; anything else must be a number a sample can hold.
bool LineValue(const String& Text, double& Value) {
  Value = 0;
  if (Text.empty()) return true;
  return TryStrToFloat(Text, Value) && std::fabs(Value) <= FLT_MAX;
}

// Byte length of the first Count lines of Bytes, line ends included.
size_t BytesOfLines(const String& Bytes, int Count) {
  size_t end = 0;
  for (int i = 0; i < Count; ++i) {
    const size_t lf = Bytes.find('\n', end);
    if (lf == String::npos) return Bytes.size();
    end = lf + 1;
  }
  return end;
}

String RecordPlace(int Position, size_t First, size_t End) {
  return "Record " + IntToStr(Position + 1) + " (lines " + IntToStr(static_cast<Int64>(First) + 1) +
         "-" + IntToStr(static_cast<Int64>(End)) + ")";
}

bool IsRecordNumber(const String& Line, int& Number) { return TryStrToInt(Trim(Line), Number); }

String LineName(size_t Index) { return "line " + IntToStr(static_cast<Int64>(Index) + 1); }

// Why the 11 lines from First are no sound record (the first line that is not a record
// number or not a number), or "" when they are one.
String RecordProblem(const std::vector<String>& Lines, size_t First) {
  const String& number = Lines[First + nlNumber];
  int n = 0;
  if (!IsRecordNumber(number, n))
    return LineName(First) + " '" + number + "' is not a record number.";
  for (size_t i = nlFrequency; i <= nlDelta; ++i) {
    double v = 0;
    if (!LineValue(Lines[First + i], v))
      return LineName(First + i) + " '" + Lines[First + i] + "' is not a number.";
  }
  return "";
}

// The file's lines, where its records and damaged records lie, and what the reading did not
// take.
struct TNoiseLayout {
  TNoiseDatabase Db;
  std::vector<String> Lines;
  // Lines First .. End-1 of every record, sound or damaged, in file order (Position order).
  std::vector<std::pair<size_t, size_t>> Stored;
};

// The line (1-based) that holds byte Offset.
size_t LineOfByte(const String& Bytes, size_t Offset) {
  return 1 + static_cast<size_t>(std::count(
                 Bytes.begin(), Bytes.begin() + static_cast<std::ptrdiff_t>(Offset), '\n'));
}

// The bytes the line reader does not take: everything from a Ctrl-Z on (it ends the file
// for the reader) and carriage returns that end no line (it drops them). Each kind is named
// once.
void FindUnreadBytes(const String& Bytes, TNoiseDatabase& Db) {
  const size_t stop = ReadableTextLength(Bytes);
  size_t lone = 0;
  size_t firstLone = String::npos;
  for (size_t i = Bytes.find('\r'); i < stop; i = Bytes.find('\r', i + 1)) {
    if (i + 1 < Bytes.size() && Bytes[i + 1] == '\n') continue;
    if (lone++ == 0) firstLone = i;
  }
  if (lone > 0)
    Db.Problems.push_back("Line " + IntToStr(static_cast<Int64>(LineOfByte(Bytes, firstLone))) +
                          ": " + IntToStr(static_cast<Int64>(lone)) +
                          (lone == 1 ? " carriage return that ends no line is"
                                     : " carriage returns that end no line are") +
                          " not read.");
  if (stop < Bytes.size()) {
    Db.StopsEarly = true;
    const size_t unread = Bytes.size() - stop;
    Db.Problems.push_back("Line " + IntToStr(static_cast<Int64>(LineOfByte(Bytes, stop))) +
                          ": the reading stops at a Ctrl-Z character" +
                          (unread == 1 ? String(", the last byte of the file.")
                                       : "; the " + IntToStr(static_cast<Int64>(unread)) +
                                             " bytes from it to the end are not read."));
  }
  Db.UnreadBytes = static_cast<Int64>(Bytes.size() - stop + lone);
}

TNoiseLayout ReadNoiseLayout(const String& Bytes) {
  TNoiseLayout layout;
  TNoiseDatabase& db = layout.Db;
  db.Found = true;
  FindUnreadBytes(Bytes, db);
  std::vector<String>& lines = layout.Lines;
  lines = SplitTextLines(Bytes);
  // Blank lines after the last record are no record. A record's own empty comment line is
  // not among them: it lies inside the record, before the last line with text.
  size_t total = lines.size();
  while (total > 0 && IsBlankLine(lines[total - 1])) --total;

  // Whether 11 lines from First form a sound record, worked out once per line.
  std::vector<signed char> sound(lines.size(), -1);
  const auto isSound = [&](size_t First) {
    if (First + kRecordLines > lines.size()) return false;
    if (sound[First] < 0) sound[First] = RecordProblem(lines, First).empty() ? 1 : 0;
    return sound[First] == 1;
  };
  // A record that lost a line runs into the next one: its last line is then that record's
  // number, one above its own, and the next record starts one line before this one would end.
  const auto startsAt = [&](size_t First) {
    if (!isSound(First)) return false;
    const size_t next = First + kRecordLines;
    if (next >= lines.size() || isSound(next) || !isSound(next - 1)) return true;
    int number = 0;
    int following = 0;
    IsRecordNumber(lines[First], number);
    IsRecordNumber(lines[next - 1], following);
    return following != static_cast<Int64>(number) + 1;
  };

  int pos = 0;
  size_t recordLines = 0;
  for (const TLineRun& run : SplitLineRecords(lines.size(), kRecordLines, startsAt)) {
    if (run.Record) {
      TNoiseRecord r;
      r.Position = pos++;
      for (size_t i = 0; i < kRecordLines; ++i) r.Lines[i] = lines[run.First + i];
      IsRecordNumber(r.Lines[nlNumber], r.Number);
      double* values[] = {&r.Frequency, &r.Gain,     &r.Tsys, &r.FluxJy,
                          &r.Expected,  &r.Measured, &r.Delta};
      for (size_t i = nlFrequency; i <= nlDelta; ++i)
        LineValue(r.Lines[i], *values[i - nlFrequency]);
      db.Records.push_back(std::move(r));
      layout.Stored.emplace_back(run.First, run.End);
      recordLines = run.End;
      continue;
    }
    // Lines that form no record: blank ones are passed over; the rest, up to the next record
    // (or the blank lines at the end), holds damaged records, one wherever a record number
    // stands where the one before would end.
    size_t first = FirstTextLine(lines, run);
    if (first == run.End) continue;
    const size_t end = std::min(run.End, total);
    while (first < end) {
      int n = 0;
      const size_t last =
          end - first > kRecordLines && IsRecordNumber(lines[first + kRecordLines], n)
              ? first + kRecordLines
              : end;
      const size_t count = last - first;
      const String counted = IntToStr(static_cast<Int64>(count));
      String problem;
      if (count < kRecordLines) {
        problem = " is incomplete: " + counted + " of 11 lines.";
        if (last == total) db.LastIncomplete = true;
      } else {
        problem = RecordProblem(lines, first);
        problem = ": " + (problem.empty() ? counted + " lines that form no record." : problem);
      }
      db.Problems.push_back(RecordPlace(pos++, first, last) + problem);
      layout.Stored.emplace_back(first, last);
      first = last;
    }
    recordLines = end;
  }
  db.StoredRecords = pos;
  db.RecordLines = static_cast<int>(recordLines);
  db.TrailingBlankLines = static_cast<int>(lines.size() - recordLines);
  return layout;
}

String CsvField(const String& Text) {
  if (Text.find_first_of(",\"\r\n") == String::npos) return Text;
  return "\"" + StringReplace(Text, "\"", "\"\"", rfReplaceAll) + "\"";
}

String CsvLine(const std::vector<String>& Fields) {
  String s;
  for (size_t i = 0; i < Fields.size(); ++i) s += (i ? "," : "") + CsvField(Fields[i]);
  return s + kEol;
}

}  // namespace

void SetNoiseFileFaultForTesting(std::function<bool(const String& Step)> Fault) {
  FileFault = std::move(Fault);
}

String NoiseNumberText(double Value) { return Format("%g", Value); }

TNoiseDatabase ParseNoiseDatabase(const String& Bytes) { return ReadNoiseLayout(Bytes).Db; }

int FindNoiseRecord(const TNoiseDatabase& Db, int Number) {
  int found = -1;
  for (size_t i = 0; i < Db.Records.size(); ++i) {
    if (Db.Records[i].Number != Number) continue;
    if (found >= 0) return -2;
    found = static_cast<int>(i);
  }
  return found;
}

TNoiseDatabase ReadNoiseDatabase(const String& FileName) {
  String bytes;
  try {
    if (!ReadBytes(FileName, bytes)) return {};
  } catch (const EInOutError& e) {
    TNoiseDatabase refused;
    refused.Problems.push_back(e.Message);
    return refused;
  }
  return ParseNoiseDatabase(bytes);
}

TNoiseLines NewNoiseRecord(int Number, const String& Date, const String& Time, double Frequency,
                           double Gain, double Tsys, double FluxJy, double Expected, float Measured,
                           const String& Comment) {
  const float delta = static_cast<float>(Expected - static_cast<double>(Measured));
  return {IntToStr(Number),           RecordLineText(Date),      RecordLineText(Time),
          NoiseNumberText(Frequency), NoiseNumberText(Gain),     NoiseNumberText(Tsys),
          NoiseNumberText(FluxJy),    NoiseNumberText(Expected), NoiseNumberText(Measured),
          NoiseNumberText(delta),     RecordLineText(Comment)};
}

void AppendNoiseRecord(const TNoiseLines& Record, const String& FileName) {
  const String failed = "ERROR : The measurement could not be saved in " + FileName + ": ";
  String old;
  TNoiseDatabase db;
  bool found = false;
  try {
    found = ReadBytes(FileName, old);
  } catch (const EInOutError& e) {
    throw ENoiseDatabase(failed + e.Message);
  }
  if (found) {
    db = ParseNoiseDatabase(old);
    if (db.StopsEarly)
      throw ENoiseDatabase(failed +
                           "the reading of the file stops at a Ctrl-Z character before "
                           "its end, so the new record would not be read. Please repair "
                           "the file first.");
    if (db.LastIncomplete)
      throw ENoiseDatabase(failed + db.Problems.back() + " Please repair the file first.");
  }
  String bytes;
  for (const String& line : Record) bytes += line + kEol;
  if (db.TrailingBlankLines > 0) {
    // The new record must follow the last one directly: the file is written anew without the
    // blank lines, beside the old one, and takes its place whole.
    String kept = old.substr(0, BytesOfLines(old, db.RecordLines));
    if (!kept.empty() && kept.back() != '\n') kept += kEol;
    if (Faulted("write") || !WriteFileReplacing(FileName, kept + bytes))
      throw ENoiseDatabase(failed + SystemReason() + ". Nothing was written.");
    return;
  }
  const int fd = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) throw ENoiseDatabase(failed + SystemReason());
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const String why = SystemReason();
    ::close(fd);
    throw ENoiseDatabase(failed + why);
  }
  // A last line without its line end gets one, so the record starts on a line of its own.
  if (!old.empty() && old.back() != '\n') bytes = kEol + bytes;
  if (Faulted("write") || !WriteAll(fd, bytes) || ::fsync(fd) != 0) {
    const String why = SystemReason();
    // Whatever part of the record reached the file goes again.
    const bool undone = ::ftruncate(fd, st.st_size) == 0 && ::fsync(fd) == 0;
    ::close(fd);
    throw ENoiseDatabase(
        failed + why +
        (undone ? ". Nothing was written." : ". The file may end with an incomplete record."));
  }
  if (::close(fd) != 0) throw ENoiseDatabase(failed + SystemReason());
}

void DeleteNoiseRecord(int Number, const String& FileName) {
  const String failed = "ERROR : The record could not be deleted: ";
  String bytes;
  try {
    if (!ReadBytes(FileName, bytes))
      throw ENoiseDatabase(failed + FileName + ": " + SystemReason());
  } catch (const EInOutError& e) {
    throw ENoiseDatabase(failed + e.Message);
  }
  const TNoiseLayout layout = ReadNoiseLayout(bytes);
  const TNoiseDatabase& db = layout.Db;
  // The new file is made of the lines read: bytes the reading did not take would be lost.
  if (db.UnreadBytes > 0)
    throw ENoiseDatabase(failed + FileName +
                         " holds bytes that are not read, which the new file would lose. "
                         "Please repair the file first.");
  const int found = FindNoiseRecord(db, Number);
  if (found == -1) throw ENoiseDatabase(failed + "there is no row " + IntToStr(Number) + ".");
  if (found == -2)
    throw ENoiseDatabase(failed + "more than one record is numbered " + IntToStr(Number) +
                         ". Please correct the numbers in " + FileName + " first.");
  const size_t target = static_cast<size_t>(db.Records[static_cast<size_t>(found)].Position);

  // Blank lines between records stay; those after the last record go.
  const std::vector<String>& lines = layout.Lines;
  std::vector<bool> renumbered(lines.size(), false);
  for (size_t pos = target + 1; pos < layout.Stored.size(); ++pos)
    renumbered[layout.Stored[pos].first] = true;
  const auto [skipFirst, skipEnd] = layout.Stored[target];
  String out;
  for (size_t i = 0; i < static_cast<size_t>(db.RecordLines); ++i) {
    if (i >= skipFirst && i < skipEnd) continue;
    int number = 0;
    // Damaged records keep their lines as they are, their number following the others'.
    if (renumbered[i] && IsRecordNumber(lines[i], number))
      out += IntToStr(static_cast<Int64>(number) - 1) + kEol;
    else
      out += lines[i] + kEol;
  }
  const String temp = ExtractFilePath(FileName) + kNoiseTempFile;
  const String backup = ExtractFilePath(FileName) + kNoiseBackupFile;
  const String backupNew = backup + ".new";
  if (!WriteNewFile(temp, out)) throw ENoiseDatabase(failed + temp + ": " + SystemReason());
  // The backup is made beside and renamed over the previous one: a failure leaves that.
  ::unlink(backupNew.c_str());
  if (Faulted("backup") ||
      (::link(FileName.c_str(), backupNew.c_str()) != 0 && !CopyFileBytes(FileName, backupNew)) ||
      ::rename(backupNew.c_str(), backup.c_str()) != 0) {
    const String why = SystemReason();
    ::unlink(backupNew.c_str());
    ::unlink(temp.c_str());
    throw ENoiseDatabase(failed + backup + ": " + why);
  }
  // One rename replaces the database: it is the old or the new one, never neither.
  if (Faulted("replace") || ::rename(temp.c_str(), FileName.c_str()) != 0) {
    const String why = SystemReason();
    ::unlink(temp.c_str());
    throw ENoiseDatabase(failed + FileName + ": " + why);
  }
}

void RestoreNoiseDatabase(const String& FileName) {
  const String backup = ExtractFilePath(FileName) + kNoiseBackupFile;
  if (Faulted("restore") || ::rename(backup.c_str(), FileName.c_str()) != 0)
    throw ENoiseDatabase("ERROR : The previous database could not be restored from " + backup +
                         ": " + SystemReason());
}

void DeleteAllNoiseRecords(const String& FileName) {
  if (!FileExists(FileName)) return;
  const String backup = ExtractFilePath(FileName) + kNoiseBackupFile;
  if (Faulted("move") || ::rename(FileName.c_str(), backup.c_str()) != 0)
    throw ENoiseDatabase("ERROR : The noise data base could not be deleted: " + SystemReason());
}

String MaskText(const String& Text, int Width) {
  String s = Text.substr(0, static_cast<size_t>(Width));
  s.resize(static_cast<size_t>(Width), ' ');
  return s;
}

std::array<String, kRecordLines> NoiseGridTexts(const TNoiseRecord& R) {
  std::array<String, kRecordLines> t = R.Lines;
  const auto masked = [&](int Line, int Width) {
    const String& s = R.Lines[static_cast<size_t>(Line)];
    t[static_cast<size_t>(Line)] = s.empty() ? s : MaskText(s, Width);
  };
  masked(nlGain, kGainWidth);
  masked(nlTsys, kGainWidth);
  if (!R.Lines[nlFlux].empty()) t[nlFlux] = FormatFloat(kFluxPattern, R.FluxJy);
  masked(nlExpected, kNoiseWidth);
  masked(nlMeasured, kNoiseWidth);
  masked(nlDelta, kNoiseWidth);
  return t;
}

String NoiseCsv(const std::vector<std::array<String, kRecordLines>>& Rows) {
  String s = CsvLine({"#", "Date", "Hour", "Frequency", "Antenna Gain", "Tsys", "SFU",
                      "Expected Noise", "Measured Noise", "Delta", "Comments"});
  s += CsvLine(
      {"", "", "", "( Mhz )", "( dB )", "( K )", "( Jy )", "( dB )", "( dB )", "( dB )", ""});
  for (const auto& row : Rows) s += CsvLine({row.begin(), row.end()});
  return s;
}

String NoiseCsvName(int Year, int Month, int Day) {
  return FormatDateTime("mmddyy", EncodeDate(static_cast<Word>(Year), static_cast<Word>(Month),
                                             static_cast<Word>(Day))) +
         ".csv";
}
