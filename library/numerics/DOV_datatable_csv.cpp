// Delimited text import and export of TDataTable.

#include <algorithm>
#include <cmath>
#include <utility>

#include "DOV_datatable.h"
#include "DOV_filesys.h"
#include "DOV_math1.h"
#include "DOV_stringl.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace {

// The text of a raw line, by the file's encoding. Two-byte files are read through the 8-bit
// reader, so each character arrives as two bytes; only its low byte is kept, taken as a
// Latin-1 character.
String DecodeCSVLine(const String& Raw, TTextfileType FileType) {
  std::size_t first;
  switch (FileType) {
    case tftUnicode_le: first = 0; break;
    case tftUnicode_be: first = 1; break;
    default: return Raw;  // 8-bit text and UTF-8 are the program's own encoding already
  }
  String text;
  text.reserve(Raw.size() / 2 + 1);
  for (std::size_t i = first; i < Raw.size(); i += 2) {
    const unsigned char c = static_cast<unsigned char>(Raw[i]);
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else {
      text += static_cast<char>(0xC0 | (c >> 6));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return text;
}

// Takes the next field off the line, which the importer has ended with the delimiter D.
// The line is consumed from Pos on instead of being shortened at its front, so that a long
// line costs no more than its length.
void ExtractCSVField(const String& Line, std::size_t& Pos, char D, bool& Exhausted, String& Field) {
  Field.clear();
  Exhausted = true;
  const std::size_t n = Line.size();
  if (Pos >= n) return;
  Exhausted = false;
  if (Line[Pos] == '"') {
    std::size_t i = Pos + 1;
    while (i < n) {
      const char ch = Line[i];
      if (ch == '"') {
        if (i + 1 < n && Line[i + 1] == '"') {  // a doubled quote stands for one
          Field += '"';
          i += 2;
          continue;
        }
        if (i + 1 < n && Line[i + 1] == D) {  // the closing quote and its delimiter
          Pos = i + 2;
          return;
        }
        Pos = i + 1;  // the quote alone: what follows it begins the next field
        return;
      }
      Field += ch;
      ++i;
    }
    Pos = n;  // no closing quote: the rest of the line, delimiter included
    return;
  }
  std::size_t end = Line.find(D, Pos);
  if (end == String::npos) end = n;
  Field.assign(Line, Pos, end - Pos);
  Pos = end < n ? end + 1 : n;
}

// The number of fields of a line that the importer has ended with the delimiter D.
Integer CountCSVFields(const String& Line, char D) {
  Integer n = 0;
  std::size_t pos = 0;
  bool exhausted = false;
  String field;
  for (;;) {
    ExtractCSVField(Line, pos, D, exhausted, field);
    if (exhausted) return n;
    ++n;
  }
}

// Reads the next raw line; two-byte little-endian files carry the high byte of their line
// feed behind it, which is dropped.
void ReadRawLine(TTextFile& F, TTextfileType FileType, String& Line) {
  F.ReadLn(Line);
  if (FileType == tftUnicode_le && !F.Eof()) F.ReadChar();
}

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

Integer TDataTable::ImportFromCSV(const String& FName, TCSVDelimiters Delimiter,
                                  bool IncludeColHeaders, bool IncludeRowHeaders) {
  THeldEvents held(OnChange, OnChangeSetup);
  const TTextfileType fileType = CheckTextFileType(FName);
  Integer result = 0;

  TTextFile f(FName);
  f.Reset();
  const Integer lines = CountLinesInTextFile(f, nullptr);

  String raw;
  raw.reserve(256);
  char delim;
  if (Delimiter == csvUnknown) {
    Integer counts[5] = {0, 0, 0, 0, 0};
    while (!f.Eof()) {
      ReadRawLine(f, fileType, raw);
      const String text = DecodeCSVLine(raw, fileType);
      for (int d = 0; d < 5; ++d) counts[d] += CountCharInString(CSVDelimiters[d], text, true);
    }
    int best = 0;
    for (int d = 1; d < 5; ++d)
      if (counts[d] > counts[best]) best = d;
    delim = CSVDelimiters[best];
  } else {
    delim = CSVDelimiters[Delimiter];
  }

  f.Reset();
  Resize(1, 1);
  SetMScaleType(1, stInterval);
  const Integer rowOffset = IncludeColHeaders ? -1 : 0;
  const Integer colOffset = IncludeRowHeaders ? -1 : 0;
  const Integer step = std::max<Integer>(lines / 100, 1);
  Integer l = 0;
  String field;
  field.reserve(64);
  String line;
  while (!f.Eof()) {
    ReadRawLine(f, fileType, raw);
    if (l == 0) {
      std::size_t bom = 0;
      switch (fileType) {
        case tftUnicode_le:
        case tftUnicode_be: bom = 2; break;
        case tftUnicode4_le:
        case tftUnicode4_be: bom = 4; break;
        case tftUTF8: bom = 3; break;
        default: break;
      }
      raw.erase(0, std::min(bom, raw.size()));
    }
    if (fileType == tftUnicode_le || fileType == tftUnicode_be)
      line = DecodeCSVLine(raw, fileType);
    else
      line.swap(raw);
    ++l;
    if (l > FNrOfRows) Resize(FNrOfCols, FNrOfRows + 1000);
    if (l % step == 0 && lines > 0)
      PercDone(this, static_cast<Integer>(std::nearbyint(100.0 * l / lines)));
    line += delim;
    // The table grows one column per extra field. A line wider than the table is measured
    // whole first, so that a size beyond the memory the process can have fails at once
    // instead of after gigabytes were filled.
    if (static_cast<Integer>(std::count(line.begin(), line.end(), delim)) + colOffset > FNrOfCols) {
      const Integer width = CountCSVFields(line, delim) + colOffset;
      if (width > FNrOfCols &&
          !SizeFitsInMemory(width, std::max<Integer>(FNrOfRows, lines + rowOffset)))
        RaiseNoMemory();
    }
    Integer m = 0;
    std::size_t pos = 0;
    bool exhausted = false;
    for (;;) {
      ExtractCSVField(line, pos, delim, exhausted, field);
      if (exhausted) break;
      ++m;
      if (FNrOfCols < m + colOffset) Resize(FNrOfCols + 1, FNrOfRows);
      const Integer c = m + colOffset;
      const Integer r = l + rowOffset;
      if (l == 1 && IncludeColHeaders) {
        SetColName(c, field);
      } else if (m == 1 && IncludeRowHeaders) {
        SetRowName(r, field);
      } else if (IsValidDouble(field, true, dsSystem)) {
        Integer p = 1;
        SetElem(c, r, ScanFPNum(field, true, 3, p));
      } else if (field.empty()) {
        SetCellState(c, r, csEmpty);
      } else {
        const Integer k = AddNominalID(c, field);  // cut to ten characters there
        if (k != 0)
          SetElem(c, r, k);
        else
          result = -1;  // no identifier slot left: the cell keeps what it held
      }
    }
  }
  f.CloseFile();
  // An empty file with a header line would leave -1 rows.
  Resize(FNrOfCols, std::max<Integer>(l + rowOffset, 0));

  held.Restore();
  ChangedData();
  ChangedCellStates();
  ChangedAttrib();
  ChangedNames();
  ChangedSetup();
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
