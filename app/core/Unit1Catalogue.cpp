#include "Unit1Catalogue.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "BandTable.h"
#include "DOV_stringl.h"
#include "InputNumbers.h"
#include "SysUtils.h"

namespace {

enum class TBand { B400, B1400 };

bool Accepted(TBand Band, const double* c) {
  // c[1] .. c[11] as the catalogue's columns: #, NAME, RAJD, DECJD, P0, DM, W50, S400, S1400,
  // DIST, AGE.
  if (!(c[3] > -900 && c[4] > -900 && c[7] > 0 && c[5] - c[7] / 1000 > 0)) return false;
  if (Band == TBand::B400) return c[5] > -900 && c[6] > -900 && c[8] > 0;
  return c[5] > 0 && c[6] > 0 && c[9] > 0;
}

// Row r's values c[1] .. c[11]. The data table turns a text into the ordinal of a category,
// reads "12abc" as 12 and clamps an overflow to 1.7e308; in a numeric column all of them are
// missing values. The fields are read with the program's one number conversion.
void RowValues(const TMatrix& Numbers, const std::vector<String>& Lines, int r, double* c) {
  const size_t lineIx = static_cast<size_t>(r);  // file line r + 1
  const String empty;
  const String& line = lineIx < Lines.size() ? Lines[lineIx] : empty;
  size_t start = 0;
  for (int k = 1; k <= 11; ++k) {
    c[k] = Numbers.GetVal(k, r);
    const size_t end = std::min(line.find(';', start), line.size());
    const String field = start < line.size() ? line.substr(start, end - start) : String();
    start = end + 1;
    if (k == 2) continue;  // the name
    double value = 0;
    const bool number = field.empty() || CheckNumberText(field, value) == TNumberCheck::Valid;
    if (!number || !std::isfinite(c[k])) c[k] = MissingCatalogueValue;
  }
}

// The rows' values from row 3 on, each read once for both bands.
class TRowValues {
public:
  TRowValues(const TMatrix& Numbers, const std::vector<String>& Lines)
      : FNumbers(Numbers), FLines(Lines) {
    FRows.reserve(std::min<size_t>(Lines.size(), MaxPulsars));
  }
  const double* Row(int r) {
    const size_t ix = static_cast<size_t>(r - 3);
    while (FRows.size() <= ix) {
      FRows.emplace_back();
      RowValues(FNumbers, FLines, 3 + static_cast<int>(FRows.size()) - 1, FRows.back().data());
    }
    return FRows[ix].data();
  }

private:
  const TMatrix& FNumbers;
  const std::vector<String>& FLines;
  std::vector<std::array<double, 12>> FRows;
};

int BuildOne(TBand Band, TRowValues& Values, const std::vector<String>& Lines, TMatrix& Table,
             std::vector<String>& Names, int& LastRow) {
  int n = 0;
  Names.clear();
  LastRow = 2;
  for (int r = 3; r <= MaxPulsars - 1; ++r) {
    LastRow = r;
    const double* c = Values.Row(r);
    if (Accepted(Band, c)) {
      ++n;
      const double row[BandColumnCount] = {
          c[3], c[4], c[6], c[7], c[8], c[9], c[5], static_cast<double>(n), -1.0, c[10], c[11]};
      for (int k = 0; k < BandColumnCount; ++k) Table.SetVal(k + 1, n, row[k]);
      const size_t lineIx = static_cast<size_t>(r);  // file line r + 1
      Names.push_back(lineIx < Lines.size() ? ExtractSubString(Lines[lineIx], 1, ";") : String());
    }
    if (c[1] == 0) break;
  }
  return n;
}

}  // namespace

TBandTableResult BuildBandTables(const TMatrix& Numbers, const std::vector<String>& Lines,
                                 TMatrix& Matrix400, TMatrix& Matrix1400) {
  TBandTableResult result;
  int lastRow = 2;
  TRowValues values(Numbers, Lines);
  result.Count400 = BuildOne(TBand::B400, values, Lines, Matrix400, result.Names400, lastRow);
  result.Count1400 = BuildOne(TBand::B1400, values, Lines, Matrix1400, result.Names1400, lastRow);
  Matrix1400.Resize(BandColumnCount, result.Count1400);
  // Both passes end on the same row. Pulsar lines begin at file line 4 (Lines[3]).
  for (size_t i = 3; i < Lines.size(); ++i) {
    if (!CouldBePulsarRow(Lines[i])) continue;
    ++result.PulsarLines;
    if (static_cast<int>(i) <= lastRow) ++result.RowsRead;
  }
  return result;
}

bool CouldBePulsarRow(const String& Line) {
  const size_t semicolon = Line.find(';');
  if (semicolon == String::npos) return false;
  const String number = Trim(Line.substr(0, semicolon));
  return !number.empty() && number.find_first_not_of("0123456789") == String::npos;
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
