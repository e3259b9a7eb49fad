#include "NoiseDatabase.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "SysUtils.h"
#include "TextFile.h"

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

bool ReadBytes(const String& FileName, String& Bytes) {
  const int fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  Bytes.clear();
  char buf[65536];
  for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) != 0;) {
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      return false;
    }
    Bytes.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
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

bool IsBlankLine(const String& Line) { return Line.find_first_not_of(" \t") == String::npos; }

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

String RecordPlace(int Position, int FirstLine, int LastLine) {
  return "Record " + IntToStr(Position + 1) + " (lines " + IntToStr(FirstLine) + "-" +
         IntToStr(LastLine) + ")";
}

String JoinLines(const std::vector<String>& Lines, size_t From, size_t To) {
  String s;
  for (size_t i = From; i < To; ++i) s += Lines[i] + kEol;
  return s;
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

TNoiseDatabase ParseNoiseDatabase(const String& Bytes) {
  TNoiseDatabase db;
  db.Found = true;
  const std::vector<String> lines = SplitTextLines(Bytes);
  // Blank lines after the last record are no record. A record's own empty comment line is
  // not among them: it lies inside the record, before the last line with text.
  int total = static_cast<int>(lines.size());
  while (total > 0 && IsBlankLine(lines[static_cast<size_t>(total) - 1])) --total;
  int pos = 0;
  for (int first = 0; first < total; first += kRecordLines, ++pos) {
    if (first + kRecordLines > static_cast<int>(lines.size())) {
      db.LastIncomplete = true;
      total = static_cast<int>(lines.size());
      db.Problems.push_back(RecordPlace(pos, first + 1, total) +
                            " is incomplete: " + IntToStr(total - first) + " of 11 lines.");
      ++pos;
      break;
    }
    TNoiseRecord r;
    r.Position = pos;
    for (int i = 0; i < kRecordLines; ++i)
      r.Lines[static_cast<size_t>(i)] = lines[static_cast<size_t>(first + i)];
    String problem;
    if (!TryStrToInt(Trim(r.Lines[nlNumber]), r.Number))
      problem =
          "line " + IntToStr(first + 1) + " '" + r.Lines[nlNumber] + "' is not a record number.";
    double* values[] = {&r.Frequency, &r.Gain,     &r.Tsys, &r.FluxJy,
                        &r.Expected,  &r.Measured, &r.Delta};
    for (int i = nlFrequency; i <= nlDelta && problem.empty(); ++i)
      if (!LineValue(r.Lines[static_cast<size_t>(i)], *values[i - nlFrequency]))
        problem = "line " + IntToStr(first + i + 1) + " '" + r.Lines[static_cast<size_t>(i)] +
                  "' is not a number.";
    if (problem.empty())
      db.Records.push_back(std::move(r));
    else
      db.Problems.push_back(RecordPlace(pos, first + 1, first + kRecordLines) + ": " + problem);
    // A last record whose empty comment line was taken for a blank line at the end.
    if (first + kRecordLines > total) total = first + kRecordLines;
  }
  db.StoredRecords = pos;
  db.RecordLines = total;
  db.TrailingBlankLines = static_cast<int>(lines.size()) - total;
  return db;
}

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
  if (!ReadBytes(FileName, bytes)) return {};
  return ParseNoiseDatabase(bytes);
}

TNoiseLines NewNoiseRecord(int Number, const String& Date, const String& Time, double Frequency,
                           double Gain, double Tsys, double FluxJy, double Expected, float Measured,
                           const String& Comment) {
  const float delta = static_cast<float>(Expected - static_cast<double>(Measured));
  String comment = Comment;
  for (char& c : comment)
    if (c == '\r' || c == '\n') c = ' ';
  return {IntToStr(Number),
          Date,
          Time,
          NoiseNumberText(Frequency),
          NoiseNumberText(Gain),
          NoiseNumberText(Tsys),
          NoiseNumberText(FluxJy),
          NoiseNumberText(Expected),
          NoiseNumberText(Measured),
          NoiseNumberText(delta),
          comment};
}

void AppendNoiseRecord(const TNoiseLines& Record, const String& FileName) {
  const String failed = "ERROR : The measurement could not be saved in " + FileName + ": ";
  String old;
  TNoiseDatabase db;
  if (ReadBytes(FileName, old)) {
    db = ParseNoiseDatabase(old);
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
  if (!ReadBytes(FileName, bytes)) throw ENoiseDatabase(failed + FileName + ": " + SystemReason());
  const TNoiseDatabase db = ParseNoiseDatabase(bytes);
  const int found = FindNoiseRecord(db, Number);
  if (found == -1) throw ENoiseDatabase(failed + "there is no row " + IntToStr(Number) + ".");
  if (found == -2)
    throw ENoiseDatabase(failed + "more than one record is numbered " + IntToStr(Number) +
                         ". Please correct the numbers in " + FileName + " first.");
  const int target = db.Records[static_cast<size_t>(found)].Position;

  const std::vector<String> lines = SplitTextLines(bytes);
  String out;
  for (int pos = 0; pos < db.StoredRecords; ++pos) {
    const size_t first = static_cast<size_t>(pos) * kRecordLines;
    const size_t end = std::min(first + kRecordLines, static_cast<size_t>(db.RecordLines));
    if (pos == target) continue;
    int number = 0;
    if (pos > target && TryStrToInt(Trim(lines[first]), number)) {
      out += IntToStr(number - 1) + kEol + JoinLines(lines, first + 1, end);
    } else {
      out += JoinLines(lines, first, end);  // damaged records are kept as they are
    }
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
