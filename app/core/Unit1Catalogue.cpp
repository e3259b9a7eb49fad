#include "Unit1Catalogue.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <string_view>

#include "BandTable.h"
#include "DOV_datatable.h"
#include "InputNumbers.h"
#include "SysUtils.h"
#include "TextFile.h"
#include "Unit1Config.h"

namespace {

enum class TBand { B400, B1400 };

bool Accepted(TBand Band, const double* c) {
  // c[1] .. c[11] as the catalogue's columns: #, NAME, RAJD, DECJD, P0, DM, W50, S400, S1400,
  // DIST, AGE.
  if (!(c[3] > -900 && c[4] > -900 && c[7] > 0 && c[5] - c[7] / 1000 > 0)) return false;
  if (Band == TBand::B400) return c[5] > -900 && c[6] > -900 && c[8] > 0;
  return c[5] > 0 && c[6] > 0 && c[9] > 0;
}

// Reads the field that begins at p (it ends at the next ";" or at End, where p is left) and
// tells whether CheckNumberText takes it as a valid number; an empty field counts as one.
// Nearly every field of a catalogue is a short plain number ("218.60", "-999.99", "3.06e+05"):
// blanks or tabs around, a sign, digits with at most one point, an exponent of one or two
// digits. The conversion accepts that form, and its value lies between 1e-200 and 1e200 or is
// 0, so such a field is valid without being converted, in the one walk that finds its end.
// Any other text goes to the conversion itself.
bool ReadFieldValidity(const char*& p, const char* End) {
  const char* const first = p;
  const char* q = p;
  const auto blanks = [&] {
    while (q < End && (*q == ' ' || *q == '\t')) ++q;
  };
  const auto digits = [&] {
    const char* const from = q;
    while (q < End && *q >= '0' && *q <= '9') ++q;
    return static_cast<std::size_t>(q - from);
  };
  constexpr std::size_t MaxPlainDigits = 100;
  blanks();
  if (q < End && (*q == '+' || *q == '-')) ++q;
  std::size_t mantissa = digits();
  if (q < End && *q == '.') {
    ++q;
    mantissa += digits();
  }
  bool plain = mantissa > 0 && mantissa <= MaxPlainDigits;
  if (plain && q < End && (*q == 'e' || *q == 'E')) {
    ++q;
    if (q < End && (*q == '+' || *q == '-')) ++q;
    const std::size_t exponent = digits();
    plain = exponent >= 1 && exponent <= 2;
  }
  blanks();
  if (plain && (q == End || *q == ';')) {
    p = q;
    return true;
  }
  // The walk stopped inside the field, never behind its end.
  const void* semicolon = std::memchr(q, ';', static_cast<std::size_t>(End - q));
  p = semicolon != nullptr ? static_cast<const char*>(semicolon) : End;
  if (p == first) return true;
  double value = 0;
  return CheckNumberText(String(first, p), value) == TNumberCheck::Valid;
}

// Row r's values c[1] .. c[11] and its name (the second field). The data table turns a text
// into the ordinal of a category, reads "12abc" as 12 and clamps an overflow to 1.7e308; in a
// numeric column all of them are missing values. The fields are judged by the program's one
// number conversion.
void RowValues(const TMatrix& Numbers, const std::vector<String>& Lines, int r, double* c,
               std::string_view& Name) {
  static const String NoLine;
  const size_t lineIx = static_cast<size_t>(r);  // file line r + 1
  const String& line = lineIx < Lines.size() ? Lines[lineIx] : NoLine;
  // Each field ends at a ";" or at the end of the line; fields beyond the end are empty.
  const char* p = line.data();
  const char* const end = p + line.size();
  for (int k = 1; k <= 11; ++k) {
    c[k] = Numbers.GetVal(k, r);
    if (k == 2) {
      const void* semicolon = std::memchr(p, ';', static_cast<std::size_t>(end - p));
      const char* const stop = semicolon != nullptr ? static_cast<const char*>(semicolon) : end;
      Name = std::string_view(p, static_cast<std::size_t>(stop - p));
      p = stop;
    } else if (!ReadFieldValidity(p, end) || !std::isfinite(c[k])) {
      c[k] = MissingCatalogueValue;
    }
    if (p < end) ++p;  // the ";"
  }
}

// One band table in the making.
struct TBandBuild {
  TBand Band;
  TMatrix& Table;
  std::vector<String>& Names;
  int Count = 0;

  void Add(const double* c, std::string_view Name) {
    ++Count;
    const double row[BandColumnCount] = {c[3], c[4], c[6],  c[7], c[8],  c[9],
                                         c[5], static_cast<double>(Count), -1.0, c[10], c[11]};
    for (int k = 0; k < BandColumnCount; ++k) Table.SetVal(k + 1, Count, row[k]);
    Names.emplace_back(Name);
  }
};

// Reads the rows from row 3 on, each once, into the given bands; LastRow is the last row
// read. The pass ends at the row whose running number is 0 and after row MaxPulsars - 1.
void BuildBands(const TMatrix& Numbers, const std::vector<String>& Lines,
                std::initializer_list<TBandBuild*> Bands, int& LastRow) {
  for (TBandBuild* band : Bands) band->Names.clear();
  LastRow = 2;
  double c[12];
  std::string_view name;
  for (int r = 3; r <= MaxPulsars - 1; ++r) {
    LastRow = r;
    RowValues(Numbers, Lines, r, c, name);
    for (TBandBuild* band : Bands)
      if (Accepted(band->Band, c)) band->Add(c, name);
    if (c[1] == 0) break;
  }
}

}  // namespace

TBandTableResult BuildBandTables(const TMatrix& Numbers, const std::vector<String>& Lines,
                                 TMatrix& Matrix400, TMatrix& Matrix1400) {
  TBandTableResult result;
  int lastRow = 2;
  TBandBuild b400{TBand::B400, Matrix400, result.Names400};
  TBandBuild b1400{TBand::B1400, Matrix1400, result.Names1400};
  if (&Matrix400 != &Matrix1400) {
    BuildBands(Numbers, Lines, {&b400, &b1400}, lastRow);
  } else {
    // One matrix for both: the 1400 MHz rows are written over the 400 MHz ones.
    BuildBands(Numbers, Lines, {&b400}, lastRow);
    BuildBands(Numbers, Lines, {&b1400}, lastRow);
  }
  result.Count400 = b400.Count;
  result.Count1400 = b1400.Count;
  Matrix1400.Resize(BandColumnCount, result.Count1400);
  // Both bands end on the same row. Pulsar lines begin at file line 4 (Lines[3]).
  for (size_t i = 3; i < Lines.size(); ++i) {
    if (!CouldBePulsarRow(Lines[i])) continue;
    ++result.PulsarLines;
    if (static_cast<int>(i) <= lastRow) ++result.RowsRead;
  }
  return result;
}

bool CouldBePulsarRow(std::string_view Line) {
  const size_t semicolon = Line.find(';');
  if (semicolon == std::string_view::npos) return false;
  // The running number: the text in front of the ";" without the blanks and control
  // characters around it; a carriage return within it is no character of the line.
  size_t first = 0;
  size_t last = semicolon;
  while (first < last && static_cast<unsigned char>(Line[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(Line[last - 1]) <= ' ') --last;
  if (first == last) return false;
  return std::all_of(Line.begin() + static_cast<std::ptrdiff_t>(first),
                     Line.begin() + static_cast<std::ptrdiff_t>(last),
                     [](char ch) { return (ch >= '0' && ch <= '9') || ch == '\r'; });
}

namespace {

// The start-up reading, fed with a catalogue's bytes in blocks. Up to where the band passes
// stop, the bytes are kept (Head); after that, pulsar lines are only counted, the running
// number of each line judged as CouldBePulsarRow judges it while the bytes go by. Everything
// ends at a byte 26.
// Counts of a file larger than any catalogue stop here rather than overflow.
constexpr int MaxCount = std::numeric_limits<int>::max();

class TCatalogueScan {
public:
  void Feed(std::string_view Block) {
    if (FEnded) {
      FBytesAfterEnd = FBytesAfterEnd || !Block.empty();
      return;
    }
    const size_t ctrlZ = Block.find('\x1A');
    const std::string_view text = Block.substr(0, ctrlZ);
    FLineEnds += std::count(text.begin(), text.end(), '\n');
    if (FHeadDone)
      CountRows(text);
    else
      KeepHead(text);
    if (ctrlZ != std::string_view::npos) {
      FEnded = true;
      FEndLine = static_cast<int>(std::min<Int64>(FLineEnds + 1, MaxCount));
      FBytesAfterEnd = ctrlZ + 1 < Block.size();
    }
  }

  // False once the bytes that follow can change nothing: a byte 26 and a byte after it.
  bool WantsMore() const { return !(FEnded && FBytesAfterEnd); }

  String Head;  // the lines kept, line ends included
  int PulsarLinesAfter = 0;
  // The line of a byte 26 that hides bytes after it, 0 when there is none.
  int ByteTwentySixLine() const { return FEnded && FBytesAfterEnd ? FEndLine : 0; }

private:
  // Appends Text to the head and walks its new complete lines; at the line where the passes
  // stop the head ends and the bytes after it are counted.
  void KeepHead(std::string_view Text) {
    Head.append(Text);
    while (!FHeadDone) {
      const size_t lf = Head.find('\n', std::max(FLineStart, FSearched));
      if (lf == String::npos) {
        FSearched = Head.size();
        return;
      }
      const bool empty = std::all_of(Head.begin() + static_cast<std::ptrdiff_t>(FLineStart),
                                     Head.begin() + static_cast<std::ptrdiff_t>(lf),
                                     [](char ch) { return ch == '\r'; });
      ++FLines;
      FLineStart = lf + 1;
      if (FLines >= MaxPulsars || (FLines >= 4 && empty)) {
        FHeadDone = true;
        const String rest = Head.substr(FLineStart);
        Head.resize(FLineStart);
        CountRows(rest);
      }
    }
  }

  // Counts the lines whose text before the first ";" is a running number: blanks and control
  // characters around digits, a carriage return anywhere. Only a line with a ";" can be one,
  // so the walk goes from ";" to ";", judging the text of each one's line in front of it.
  void CountRows(std::string_view Text) {
    const char* p = Text.data();
    const char* const end = p + Text.size();
    while (p < end) {
      if (FState == TState::Skip) {
        const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
        if (lf == nullptr) return;
        p = static_cast<const char*>(lf) + 1;
        FState = TState::Start;
      }
      const void* found = std::memchr(p, ';', static_cast<size_t>(end - p));
      const char* const semicolon = found != nullptr ? static_cast<const char*>(found) : end;
      // The text in front of it, from the start of its line (which may lie in an earlier
      // block: the state carries what was seen of it).
      const void* lf = memrchr(p, '\n', static_cast<size_t>(semicolon - p));
      if (lf != nullptr) {
        p = static_cast<const char*>(lf) + 1;
        FState = TState::Start;
      }
      for (; p < semicolon && FState != TState::Skip; ++p) Judge(*p);
      if (semicolon == end) return;
      if ((FState == TState::Digits || FState == TState::After) && PulsarLinesAfter < MaxCount)
        ++PulsarLinesAfter;
      FState = TState::Skip;
      p = semicolon + 1;
    }
  }

  void Judge(char Ch) {
    if (Ch == '\r') return;
    if (Ch >= '0' && Ch <= '9')
      FState = FState == TState::After ? TState::Skip : TState::Digits;
    else if (static_cast<unsigned char>(Ch) <= ' ')
      FState = FState == TState::Digits ? TState::After : FState;
    else
      FState = TState::Skip;
  }

  enum class TState { Start, Digits, After, Skip };
  TState FState = TState::Start;
  bool FHeadDone = false;
  size_t FLineStart = 0;  // where the head's next line starts
  size_t FSearched = 0;   // the head holds no line end before this
  int FLines = 0;         // the head's complete lines
  Int64 FLineEnds = 0;    // line ends before a byte 26
  bool FEnded = false;
  bool FBytesAfterEnd = false;
  int FEndLine = 0;
};

TCatalogueReading ReadScanned(const TCatalogueScan& Scan, TDataTable& Table, TMatrix& Matrix400,
                              TMatrix& Matrix1400) {
  TCatalogueReading reading;
  reading.ByteTwentySixLine = Scan.ByteTwentySixLine();
  const std::vector<String> lines = SplitTextLines(Scan.Head);
  reading.HeaderValid = CatalogueHeaderValid(lines);
  reading.TooWideLine = FirstTooWideCatalogueLine(lines);
  if (!reading.Usable()) return reading;
  Table.ImportFromCSVBytes(Scan.Head, csvSemicolon, true, false);
  reading.Version = CatalogueVersionOf(lines.empty() ? String() : lines[0]);
  reading.Bands = BuildBandTables(*Table.NumericData, lines, Matrix400, Matrix1400);
  reading.Bands.PulsarLines +=
      std::min(Scan.PulsarLinesAfter, MaxCount - reading.Bands.PulsarLines);
  return reading;
}

}  // namespace

TCatalogueReading ReadCatalogue(const String& Bytes, TDataTable& Table, TMatrix& Matrix400,
                                TMatrix& Matrix1400) {
  TCatalogueScan scan;
  scan.Feed(Bytes);
  return ReadScanned(scan, Table, Matrix400, Matrix1400);
}

bool ReadCatalogueFile(const String& FileName, TCatalogueReading& Reading, TDataTable& Table,
                       TMatrix& Matrix400, TMatrix& Matrix1400) {
  TCatalogueScan scan;
  if (!ReadUserFileBlocks(FileName, [&scan](std::string_view Block) {
        scan.Feed(Block);
        return scan.WantsMore();
      }))
    return false;
  Reading = ReadScanned(scan, Table, Matrix400, Matrix1400);
  return true;
}

String VersionRunOf(const String& Text) {
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  std::size_t first = 0;
  while (first < Text.size() && !digit(Text[first])) ++first;
  std::size_t end = first;
  while (end < Text.size() && (digit(Text[end]) || Text[end] == '.')) ++end;
  if (end - first > static_cast<std::size_t>(MaxVersionLength)) return String();
  return Text.substr(first, end - first);
}

bool CatalogueHeaderValid(const std::vector<String>& Lines) {
  return Lines.size() >= 2 && Lines[1] == CatalogueHeader;
}

int FirstTooWideCatalogueLine(const std::vector<String>& Lines) {
  const String header = CatalogueHeader;
  const auto allowed = std::count(header.begin(), header.end(), ';');
  for (size_t i = 0; i < Lines.size(); ++i)
    if (std::count(Lines[i].begin(), Lines[i].end(), ';') > allowed) return static_cast<int>(i + 1);
  return 0;
}

String CatalogueVersionOf(const String& FirstLine) {
  static const String Utf8Bom = "\xEF\xBB\xBF";
  const bool bom = FirstLine.compare(0, Utf8Bom.size(), Utf8Bom) == 0;
  const String line = bom ? FirstLine.substr(Utf8Bom.size()) : FirstLine;
  return VersionRunOf(Copy(line, 20, static_cast<int>(line.size())));
}
