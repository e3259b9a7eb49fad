#include "Unit1Catalogue.h"

#include "BandTable.h"
#include "DOV_stringl.h"
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

int BuildOne(TBand Band, const TMatrix& Numbers, const std::vector<String>& Lines, TMatrix& Table,
             std::vector<String>& Names) {
  int n = 0;
  Names.clear();
  for (int r = 3; r <= MaxPulsars - 1; ++r) {
    double c[12];
    for (int k = 1; k <= 11; ++k) c[k] = Numbers.GetVal(k, r);
    if (Accepted(Band, c)) {
      ++n;
      const double row[BandColumnCount] = {c[3], c[4], c[6], c[7], c[8], c[9], c[5],
                                           static_cast<double>(n), -1.0, c[10], c[11]};
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
  result.Count400 = BuildOne(TBand::B400, Numbers, Lines, Matrix400, result.Names400);
  result.Count1400 = BuildOne(TBand::B1400, Numbers, Lines, Matrix1400, result.Names1400);
  Matrix1400.Resize(BandColumnCount, result.Count1400);
  return result;
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

String CatalogueVersionOf(const String& FirstLine) {
  return VersionRunOf(Copy(FirstLine, 20, static_cast<int>(FirstLine.size())));
}
