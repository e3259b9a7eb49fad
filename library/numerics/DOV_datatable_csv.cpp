// Delimited text import and export of TDataTable.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "DOV_datatable.h"
#include "DOV_filesys.h"
#include "DOV_math1.h"
#include "DOV_stringl.h"
#include "DOV_utf8.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace {

// ---- the file's text -----------------------------------------------------------------------
// The import reads the file once into memory and walks its bytes by the text-file reader's
// rules (TextFile.h): byte 26 ends the text, LF ends a line, every CR is dropped (before a LF
// it belongs to the line end, elsewhere the reader drops it), text after the last LF is a
// last line.

// Every byte of the file. The size is only a first guess: a file that grows meanwhile, or a
// device that tells no size, is read to its end all the same. The buffer is not cleared
// first: the read fills it.
struct TFileBytes {
  std::unique_ptr<char[]> Data;
  std::size_t Size = 0;
};

TFileBytes ReadFileBytes(const String& FName) {
  TBinaryFile f(FName);
  f.Reset(1, true);
  const Int64 size = f.FileSize();
  // Larger than the process can hold: fail before the memory is asked for and filled.
  constexpr Int64 LargeFile = 64LL * 1024 * 1024;
  if (size > LargeFile && static_cast<std::uint64_t>(size) > ObtainableMemoryBytes())
    throw std::bad_alloc();
  TFileBytes bytes;
  std::size_t room = static_cast<std::size_t>(std::max<Int64>(size, 0)) + 1;  // +1 sees the end
  bytes.Data = std::make_unique_for_overwrite<char[]>(room);
  for (;;) {
    const std::size_t want = room - bytes.Size;
    const std::size_t got = static_cast<std::size_t>(
        f.BlockRead(bytes.Data.get() + bytes.Size, static_cast<Int64>(want)));
    bytes.Size += got;
    if (got < want) break;
    if (room > std::numeric_limits<std::size_t>::max() / 2) throw std::bad_alloc();
    room = std::max<std::size_t>(2 * room, 4096);
    auto larger = std::make_unique_for_overwrite<char[]>(room);
    std::memcpy(larger.get(), bytes.Data.get(), bytes.Size);
    bytes.Data = std::move(larger);
  }
  f.CloseFile();
  return bytes;
}

// How often the byte B occurs in the text. Eight bytes are compared at a time: the import
// counts every line's delimiters before it reads a field.
Integer CountByte(std::string_view Text, char B) {
  constexpr std::uint64_t Ones = 0x0101010101010101ULL;
  constexpr std::uint64_t Low7 = 0x7F7F7F7F7F7F7F7FULL;
  const std::uint64_t pattern = Ones * static_cast<unsigned char>(B);
  const char* p = Text.data();
  const char* const end = p + Text.size();
  std::uint64_t n = 0;
  for (; end - p >= 8; p += 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    const std::uint64_t x = w ^ pattern;  // a zero byte where B was
    // The high bit of each byte of t is set unless that byte of x is zero (exact, no carries
    // between bytes).
    const std::uint64_t t = ((x & Low7) + Low7) | x;
    // One bit per matching byte, at the byte's bottom; the product sums the bytes in the top one.
    n += (((~t & ~Low7) >> 7) * Ones) >> 56;
  }
  for (; p < end; ++p)
    if (*p == B) ++n;
  return static_cast<Integer>(n);
}

// The number of lines the text-file reader finds: one per LF, and one for text after the last.
Integer CountTextLines(std::string_view Text) {
  return CountByte(Text, '\n') + (Text.empty() || Text.back() == '\n' ? 0 : 1);
}

// The raw lines of the text. Two-byte little-endian files carry the high byte of each line
// feed behind it, which is dropped.
class TRawLines {
public:
  TRawLines(std::string_view Text, bool SkipByteAfterLF)
      : FPos(Text.data()), FEnd(Text.data() + Text.size()), FSkip(SkipByteAfterLF) {}
  // The next line, valid until the next call; false at the end of the text.
  bool Next(std::string_view& Line) {
    if (FPos >= FEnd) return false;
    const char* lf = static_cast<const char*>(std::memchr(FPos, '\n', FEnd - FPos));
    const char* stop = lf != nullptr ? lf : FEnd;
    const char* cr = static_cast<const char*>(std::memchr(FPos, '\r', stop - FPos));
    if (cr == nullptr) {
      Line = std::string_view(FPos, static_cast<std::size_t>(stop - FPos));
    } else {
      FLine.assign(FPos, cr);
      for (const char* p = cr + 1; p < stop; ++p)
        if (*p != '\r') FLine += *p;
      Line = FLine;
    }
    FPos = lf != nullptr ? lf + 1 : FEnd;
    if (FSkip && FPos < FEnd) ++FPos;
    return true;
  }

private:
  const char* FPos;
  const char* FEnd;
  bool FSkip;
  String FLine;
};

bool IsTwoByte(TTextfileType FileType) {
  return FileType == tftUnicode_le || FileType == tftUnicode_be;
}

// The length of the byte-order mark that the file type implies.
std::size_t MarkLength(TTextfileType FileType) {
  switch (FileType) {
    case tftUnicode_le:
    case tftUnicode_be: return 2;
    case tftUnicode4_le:
    case tftUnicode4_be: return 4;
    case tftUTF8: return 3;
    default: return 0;
  }
}

// The text of a raw line of a two-byte file: each character arrives as two bytes; only its
// low byte is kept, taken as a Latin-1 character. (8-bit text and UTF-8 are the program's own
// encoding already.)
void DecodeTwoByteLine(std::string_view Raw, TTextfileType FileType, String& Text) {
  Text.clear();
  Text.reserve(Raw.size() / 2 + 1);
  for (std::size_t i = FileType == tftUnicode_be ? 1 : 0; i < Raw.size(); i += 2) {
    const unsigned char c = static_cast<unsigned char>(Raw[i]);
    if (c < 0x80) {
      Text += static_cast<char>(c);
    } else {
      Text += static_cast<char>(0xC0 | (c >> 6));
      Text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
}

// Calls Fn with the text of every line, in order; with StripMark the byte-order mark comes off
// the first line.
template <class Fn>
void ForEachLine(std::string_view Text, TTextfileType FileType, bool StripMark, Fn&& fn) {
  TRawLines raw(Text, FileType == tftUnicode_le);
  String decoded;
  std::string_view line;
  bool first = true;
  while (raw.Next(line)) {
    if (first && StripMark) line.remove_prefix(std::min(MarkLength(FileType), line.size()));
    first = false;
    if (IsTwoByte(FileType)) {
      DecodeTwoByteLine(line, FileType, decoded);
      line = decoded;
    }
    fn(line);
  }
}

// The candidate that occurs most often in the text (the first of equals).
char DetectDelimiter(std::string_view Text, TTextfileType FileType) {
  Integer seen[256] = {};
  ForEachLine(Text, FileType, false, [&](std::string_view line) {
    for (const char ch : line) ++seen[static_cast<unsigned char>(ch)];
  });
  int best = 0;
  for (int d = 1; d < 5; ++d)
    if (seen[static_cast<unsigned char>(CSVDelimiters[d])] >
        seen[static_cast<unsigned char>(CSVDelimiters[best])])
      best = d;
  return CSVDelimiters[best];
}

// ---- fields --------------------------------------------------------------------------------

// The fields of a line, read as though the delimiter D followed the line's last byte. A field
// that begins with a double quote runs to the next lone quote (a doubled quote stands for
// one); a delimiter right behind that quote belongs to it, anything else begins the next
// field. Without a closing quote the field is the rest of the line, the delimiter behind it
// included. Other fields run to the next delimiter.
class TCSVFields {
public:
  TCSVFields(std::string_view Line, char D) : FLine(Line), FD(D) {}
  // The next field, valid until the next call; false when the line is exhausted. A long line
  // costs no more than its length.
  bool Next(std::string_view& Field) {
    const std::size_t len = FLine.size();
    if (FPos > len) return false;
    if (FPos < len && FLine[FPos] == '"') {
      FQuoted.clear();
      std::size_t i = FPos + 1;
      while (i <= len) {
        const char ch = At(i);
        if (ch == '"') {
          if (i + 1 <= len && At(i + 1) == '"') {
            FQuoted += '"';
            i += 2;
            continue;
          }
          FPos = i + 1 <= len && At(i + 1) == FD ? i + 2 : i + 1;
          Field = FQuoted;
          return true;
        }
        FQuoted += ch;
        ++i;
      }
      FPos = len + 1;
      Field = FQuoted;
      return true;
    }
    std::size_t end = FLine.find(FD, FPos);
    if (end == std::string_view::npos) end = len;
    Field = FLine.substr(FPos, end - FPos);
    FPos = end + 1;
    return true;
  }

  // The number of fields of the line.
  static Integer Count(std::string_view Line, char D) {
    if (Line.find('"') == std::string_view::npos) return CountByte(Line, D) + 1;
    TCSVFields fields(Line, D);
    std::string_view f;
    Integer n = 0;
    while (fields.Next(f)) ++n;
    return n;
  }

private:
  char At(std::size_t i) const { return i < FLine.size() ? FLine[i] : FD; }
  std::string_view FLine;
  char FD;
  std::size_t FPos = 0;
  String FQuoted;
};

// ---- numbers -------------------------------------------------------------------------------

// A field as a number: ReadNumberField's reading, which stops at +-1.7e308. What the export
// writes beyond that comes back as it was: the exact digits of the larger doubles (a text
// beyond the largest double keeps the limit) and the infinities, "+Inf" and "-Inf" (any case,
// blanks around, as Str writes them).
bool ReadCellNumber(std::string_view Field, double& Value) {
  if (ReadNumberField(Field, Value)) {
    if (std::fabs(Value) >= static_cast<double>(uc_MaxDouble)) {
      String digits(Field);
      std::replace(digits.begin(), digits.end(), ',', '.');
      double exact;
      if (ScanRoundTripFloat(digits, exact) && std::isfinite(exact)) Value = exact;
    }
    return true;
  }
  double special;
  if (Field.find_first_of("Ii") == std::string_view::npos ||
      !ScanRoundTripFloat(String(Field), special) || !std::isinf(special))
    return false;
  Value = special;
  return true;
}

// ---- identifiers ---------------------------------------------------------------------------

// The identifiers of each column by their text with A-Z folded, so that a text field finds its
// ordinal without OrdinalOfNominalID's walk through 150 slots: a catalogue asks for thousands
// of pulsar names in a column whose slots are all taken. It holds only while nothing but the
// import changes identifiers, and the import tells it of every one it adds.
class TIdentifierIndex {
public:
  struct TColumn {
    std::unordered_map<String, Integer> Ordinal;  // folded text -> lowest ordinal holding it
    Integer Free = 0;                            // empty slots
    bool Built = false;
  };
  static String Fold(const String& S) {
    String k(S);
    for (auto& ch : k) ch = LowerCaseChar(ch);
    return k;
  }
  // The index of column Col (1-based), made from its slots on first use.
  TColumn& Of(Integer Col, const TVTypeSpec& Spec) {
    const std::size_t i = static_cast<std::size_t>(Col - 1);
    if (i >= FColumns.size()) FColumns.resize(i + 1);
    TColumn& col = FColumns[i];
    if (!col.Built) {
      for (Integer k = 1; k <= MaxNominalIDs; ++k) {
        const String& id = Spec.IDs[static_cast<std::size_t>(k - 1)];
        if (id.empty())
          ++col.Free;
        else
          col.Ordinal.emplace(Fold(id), k);  // the first slot of a text wins
      }
      col.Built = true;
    }
    return col;
  }

private:
  std::vector<TColumn> FColumns;
};

// Keeps OnChange and OnChangeSetup aside for the time of an import and gives them back on
// every way out.
class THeldEvents {
public:
  THeldEvents(TNotifyEvent& Change, TNotifyEvent& Setup)
      : FChange(Change),
        FSetup(Setup),
        FKeptChange(std::move(Change)),
        FKeptSetup(std::move(Setup)) {
    FChange = nullptr;
    FSetup = nullptr;
  }
  ~THeldEvents() { Restore(); }
  THeldEvents(const THeldEvents&) = delete;
  THeldEvents& operator=(const THeldEvents&) = delete;
  void Restore() {
    if (FRestored) return;
    FChange = std::move(FKeptChange);
    FSetup = std::move(FKeptSetup);
    FRestored = true;
  }

private:
  TNotifyEvent& FChange;
  TNotifyEvent& FSetup;
  TNotifyEvent FKeptChange;
  TNotifyEvent FKeptSetup;
  bool FRestored = false;
};

}  // namespace

// The bytes of a file and its type by the byte-order mark.
struct TDataTable::TCSVText {
  std::string_view Bytes;
  TTextfileType FileType;
};

namespace {

// What a finished import tells, once the held events are back.
void AnnounceImport(TDataTable& Table) {
  Table.ChangedData();
  Table.ChangedCellStates();
  Table.ChangedAttrib();
  Table.ChangedNames();
  Table.ChangedSetup();
}

}  // namespace

Integer TDataTable::ImportFromCSV(const String& FName, TCSVDelimiters Delimiter,
                                  bool IncludeColHeaders, bool IncludeRowHeaders) {
  THeldEvents held(OnChange, OnChangeSetup);
  const TTextfileType fileType = CheckTextFileType(FName);
  TFileBytes bytes;
  try {
    bytes = ReadFileBytes(FName);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  const Integer result = ReadCSVText({std::string_view(bytes.Data.get(), bytes.Size), fileType},
                                     Delimiter, IncludeColHeaders, IncludeRowHeaders);
  held.Restore();
  AnnounceImport(*this);
  return result;
}

Integer TDataTable::ImportFromCSVBytes(std::string_view Bytes, TCSVDelimiters Delimiter,
                                       bool IncludeColHeaders, bool IncludeRowHeaders) {
  THeldEvents held(OnChange, OnChangeSetup);
  const Integer result = ReadCSVText({Bytes, TextFileTypeOfBytes(Bytes)}, Delimiter,
                                     IncludeColHeaders, IncludeRowHeaders);
  held.Restore();
  AnnounceImport(*this);
  return result;
}

Integer TDataTable::ReadCSVText(const TCSVText& Text, TCSVDelimiters Delimiter,
                                bool IncludeColHeaders, bool IncludeRowHeaders) {
  const TTextfileType fileType = Text.FileType;
  std::string_view text = Text.Bytes;
  text = text.substr(0, text.find('\x1A'));  // byte 26 ends a text file
  const char delim =
      Delimiter == csvUnknown ? DetectDelimiter(text, fileType) : CSVDelimiters[Delimiter];
  const Integer rowOffset = IncludeColHeaders ? -1 : 0;
  const Integer colOffset = IncludeRowHeaders ? -1 : 0;

  // Whoever watches the table's size, names or cell states sees it grow as the lines arrive,
  // one column per extra field and 1000 rows at a time. Unwatched, the table is measured first
  // and takes its final size at once, so that no column is ever reallocated.
  const bool watched = OnResize || OnChangeNames || OnChangeCellState;
  // Nor does any other code run during the import then: the identifiers can be indexed.
  const bool quiet = !watched && !OnPercentDone;
  Integer width = 1;
  Integer count = 0;
  if (!watched)
    ForEachLine(text, fileType, true, [&](std::string_view line) {
      ++count;
      width = std::max(width, TCSVFields::Count(line, delim) + colOffset);
    });
  // The progress counts the lines as the text-file reader does; only two-byte little-endian
  // files lose bytes between the lines the import reads.
  const Integer lines = !watched && fileType != tftUnicode_le ? count : CountTextLines(text);
  Resize(1, 1);
  SetMScaleType(1, stInterval);
  if (!watched) Resize(width, std::max<Integer>(count + rowOffset, 0));

  Integer result = 0;
  const Integer step = std::max<Integer>(lines / 100, 1);
  // A cell value goes straight into the matrix: its change notices would only reach the held
  // OnChange. Cells outside the table (a handler may have resized it) are dropped.
  auto store = [this](Integer c, Integer r, double v) {
    if (InsideCell(c, r) && c <= NumericData->NrOfColumns() && r <= NumericData->NrOfRows())
      NumericData->ColumnPtr(c)[r - 1] = v;
  };
  // AddNominalID(c, Text), answered from the index where that is sure to give the same.
  TIdentifierIndex index;
  auto addIdentifier = [&](Integer c, const String& Text) -> Integer {
    if (!quiet || !InsideCol(c)) return AddNominalID(c, Text);
    const TVTypeSpec& spec = FVType[static_cast<std::size_t>(c - 1)];
    TIdentifierIndex::TColumn& col = index.Of(c, spec);
    const String id = utf8::CutBytes(Text, MaxNominalIDLength);
    const String key = TIdentifierIndex::Fold(id);
    // OrdinalOfNominalID finds nothing in a column that is not categorial, nor for "".
    if (IsCategorial(spec.MScaleType) && !key.empty()) {
      const auto it = col.Ordinal.find(key);
      if (it != col.Ordinal.end()) return it->second;
    }
    if (col.Free == 0) return 0;  // no slot: AddNominalID would change nothing
    const Integer k = AddNominalID(c, id);
    if (k != 0 && !id.empty()) {  // "" leaves its slot empty
      --col.Free;
      const auto [it, added] = col.Ordinal.emplace(key, k);
      if (!added && k < it->second) it->second = k;
    }
    return k;
  };
  Integer l = 0;
  String name;
  ForEachLine(text, fileType, true, [&](std::string_view line) {
    ++l;
    if (watched && l > FNrOfRows) Resize(FNrOfCols, FNrOfRows + 1000);
    if (l % step == 0 && lines > 0)
      PercDone(this, static_cast<Integer>(std::nearbyint(100.0 * l / lines)));
    // A line wider than the table is measured whole first, so that a size beyond the memory
    // the process can have fails at once instead of after gigabytes were filled.
    if (watched) {
      const Integer wide = TCSVFields::Count(line, delim) + colOffset;
      if (wide > FNrOfCols &&
          !SizeFitsInMemory(wide, std::max<Integer>(FNrOfRows, lines + rowOffset)))
        RaiseNoMemory();
    }
    const Integer r = l + rowOffset;
    TCSVFields fields(line, delim);
    std::string_view field;
    Integer m = 0;
    while (fields.Next(field)) {
      ++m;
      const Integer c = m + colOffset;
      if (watched && FNrOfCols < c) Resize(FNrOfCols + 1, FNrOfRows);
      double v;
      if (l == 1 && IncludeColHeaders) {
        name.assign(field);
        SetColName(c, name);
      } else if (m == 1 && IncludeRowHeaders) {
        name.assign(field);
        SetRowName(r, name);
      } else if (field.empty()) {
        SetCellState(c, r, csEmpty);
      } else if (ReadCellNumber(field, v)) {
        store(c, r, v);
      } else {
        name.assign(field);
        const Integer k = addIdentifier(c, name);  // cut to ten characters there
        if (k != 0)
          store(c, r, k);
        else
          result = -1;  // no identifier slot left: the cell keeps what it held
      }
    }
  });
  // An empty file with a header line would leave -1 rows.
  Resize(FNrOfCols, std::max<Integer>(l + rowOffset, 0));
  return result;
}

namespace {

// A name or a cell text as a CSV field: double quotes doubled, and the whole in double
// quotes when it then holds the delimiter (or, for names, a double quote).
String QuoteName(const String& Name, char D) {
  String t = ReplaceStringInString(Name, "\"", "\"\"", false);
  if (t.find(D) != String::npos || t.find('"') != String::npos) t = "\"" + t + "\"";
  return t;
}

String QuoteCell(const String& Text, char D) {
  String t = ReplaceStringInString(Text, "\"", "\"\"", false);
  if (t.find(D) != String::npos) t = "\"" + t + "\"";
  return t;
}

}  // namespace

String TDataTable::ExportAsCSV(const String& FName, Integer Precision, TCSVDelimiters Delimiter,
                               bool IncludeColHeaders, bool IncludeRowHeaders,
                               bool IncludeRowAttributes, bool IncludeComment) {
  TTextFile f(FName);
  try {
    f.Rewrite();
  } catch (const Exception& e) {
    return e.Message;
  }
  if (IncludeComment) f.WriteLn(FComment);
  const char delim = Delimiter == csvUnknown ? ',' : CSVDelimiters[Delimiter];
  String line;
  if (IncludeColHeaders) {
    line.clear();
    if (IncludeRowHeaders) line += delim;
    if (IncludeRowAttributes) line += delim;
    for (Integer c = 1; c <= FNrOfCols; ++c) {
      if (c > 1) line += delim;
      line += QuoteName(GetColName(c), delim);
    }
    f.WriteLn(line);
  }
  const Integer step = std::max<Integer>(FNrOfRows / 100, 1);
  for (Integer r = 1; r <= FNrOfRows; ++r) {
    if (r % step == 0) PercDone(this, static_cast<Integer>(std::nearbyint(100.0 * r / FNrOfRows)));
    line.clear();
    if (IncludeRowHeaders) {
      line += QuoteName(GetRowName(r), delim);
      line += delim;
    }
    if (IncludeRowAttributes) {
      line += IntToStr(GetRowAttrib(r));
      line += delim;
    }
    for (Integer c = 1; c <= FNrOfCols; ++c) {
      if (c > 1) line += delim;
      if (GetIsNumber(c, r)) {
        const TMScaleType scale = GetMScaleType(c);
        const double v = NumericData->GetVal(c, r);
        String text;
        if (IsCategorial(scale)) {
          const double k = std::nearbyint(v);
          String id;
          if (k >= 1 && k <= MaxNominalIDs) id = GetNominalID(c, static_cast<Integer>(k));
          if (!id.empty())
            text = id;
          else
            text = String(MScaleTypeNames[scale]) + "-" +
                   (std::isfinite(k) && std::fabs(k) < 9.2e18 ? IntToStr(static_cast<Int64>(k))
                                                              : FloatToStr(k));
        } else {
          // The fixed-width form has room for two exponent digits; where it would give
          // asterisks (1e300, -2.5e-300) the shortest exact text keeps the value.
          String digits = SigDigStr(v, Precision + 6, Precision);
          if (std::isfinite(v) && digits.find('*') != String::npos) digits = RoundTripFloatText(v);
          // The fixed form writes -0 without its sign; the sign goes in front of the digits so
          // that the value reads back as -0.
          if (v == 0 && std::signbit(v) && digits.find('-') == String::npos) {
            const size_t digit = digits.find_first_not_of(' ');
            if (digit != String::npos && digit > 0)
              digits[digit - 1] = '-';
            else
              digits.insert(digits.begin(), '-');
          }
          text = ReplaceCharInString(digits, '.', FormatSettings.DecimalSeparator);
        }
        line += QuoteCell(text, delim);
      } else if (!GetIsEmpty(c, r)) {
        line += "NAN";
      }
    }
    f.WriteLn(line);
  }
  f.CloseFile();
  return String();
}
