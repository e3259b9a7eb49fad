#include "SunFluxList.h"

#include <algorithm>
#include <cmath>

#include "SysUtils.h"
#include "TextFile.h"
#include "spline.h"

namespace {

constexpr int kHeader1Line = 11;  // line numbers count from 1
constexpr int kHeader2Line = 12;
constexpr int kDateLine = 27;
constexpr int kFirstDataLine = 28;
constexpr int kLinesNeeded = kFirstDataLine + kFluxRows - 1;

constexpr int kHeaderWidth = 11;
// Every 10 characters from 8, but the fourth field starts one later and the rest follow it.
constexpr std::array<int, kFluxHeaderFields> kHeaderOffsets = {8,  18, 28, 39, 49,
                                                               59, 69, 79, 89, 99};
constexpr int kLabelOffset = 1;
constexpr int kLabelWidth = 10;
constexpr int kValueOffset = 8;
constexpr int kValueWidth = 10;
constexpr int kDateWidth = 20;
// A reading beyond this is no flux any observatory reports; it would not fit the integer
// the grid shows.
constexpr double kLargestReading = 1e7;
constexpr double kJyPerSfu = 10000;
constexpr double kAntennaTempDivisor = 2760;  // Ta = Ae / 2760 x S (Jy)

String Field(const String& Line, int Offset, int Width) {
  if (Offset >= static_cast<int>(Line.size())) return "";
  return Line.substr(static_cast<size_t>(Offset), static_cast<size_t>(Width));
}

[[noreturn]] void Refuse(const String& Detail) {
  throw ESunFluxFormat(String(SunNoiseTexts::BadFormat) + "\n" + Detail);
}

float Reading(const String& Text, int LineNo, int Observatory) {
  if (Trim(Text).empty()) return -1.0F;
  double v = 0;
  if (!TryStrToFloat(Text, v) || !(std::fabs(v) < kLargestReading))
    Refuse("Line " + IntToStr(LineNo) + ", observatory " + IntToStr(Observatory + 1) + ": '" +
           Trim(Text) + "' is not a flux value.");
  return static_cast<float>(v);
}

int BestSetOf(const TSunFluxList& L) {
  int best = 0, bestMissing = kFluxRows;
  for (int k = 0; k < kObservatories; ++k) {
    int missing = 0;
    for (int r = 0; r < kFluxRows; ++r)
      if (L.Table[static_cast<size_t>(r)][static_cast<size_t>(k)] < 0) ++missing;
    if (missing < bestMissing) {
      best = k;
      bestMissing = missing;
    }
  }
  return best;
}

}  // namespace

bool TSunFluxList::AllMissing() const {
  for (const String& s : BestColumn)
    if (s != "-1") return false;
  return true;
}

TSunFluxList ParseSunFluxList(const String& Text) {
  const std::vector<String> lines = SplitTextLines(Text);
  if (static_cast<int>(lines.size()) < kLinesNeeded)
    Refuse("It has " + IntToStr(static_cast<Int64>(lines.size())) + " lines, " +
           IntToStr(kLinesNeeded) + " are needed.");
  const auto line = [&](int No) -> const String& { return lines[static_cast<size_t>(No) - 1]; };

  TSunFluxList L;
  for (size_t f = 0; f < kHeaderOffsets.size(); ++f) {
    L.Header1[f] = Field(line(kHeader1Line), kHeaderOffsets[f], kHeaderWidth);
    L.Header2[f] = Field(line(kHeader2Line), kHeaderOffsets[f], kHeaderWidth);
  }
  L.Date = Field(line(kDateLine), 0, kDateWidth);
  for (int r = 0; r < kFluxRows; ++r) {
    const int no = kFirstDataLine + r;
    const size_t sr = static_cast<size_t>(r);
    L.Labels[sr] = Field(line(no), kLabelOffset, kLabelWidth);
    for (int k = 0; k < kObservatories; ++k) {
      const String text = Field(line(no), kValueOffset + kValueWidth * k, kValueWidth);
      L.Fields[sr][static_cast<size_t>(k)] = text;
      L.Table[sr][static_cast<size_t>(k)] = Reading(text, no, k);
    }
  }

  L.BestSet = BestSetOf(L);
  for (int r = 0; r < kFluxRows; ++r) {
    const size_t sr = static_cast<size_t>(r);
    const double whole =
        std::trunc(static_cast<double>(L.Table[sr][static_cast<size_t>(L.BestSet)]));
    L.BestColumn[sr] = IntToStr(static_cast<Int64>(whole));
    if (whole > 0) {  // 0 <= v < 1 is neither usable nor missing
      L.PointMHz.push_back(kFluxRowMHz[sr]);
      L.PointSfu.push_back(whole);
    }
  }
  return L;
}

void CheckReceivedSunFluxList(const String& Text) {
  ParseSunFluxList(Text);
  // Counted as the reader reads: up to a byte 26, if any.
  const auto readable = Text.begin() + static_cast<std::ptrdiff_t>(ReadableTextLength(Text));
  const auto lineEnds = std::count(Text.begin(), readable, '\n');
  if (lineEnds < kLinesNeeded)
    Refuse("Its line " + IntToStr(kLinesNeeded) + " ends without a line end: the list was cut.");
}

TSunNoise ComputeSunNoise(const std::vector<double>& PointMHz, const std::vector<double>& PointSfu,
                          double FrequencyMHz, double EffectiveAperture, double Tsys) {
  if (static_cast<int>(PointMHz.size()) < kMinimumReadings)
    throw ESunNoise(SunNoiseTexts::TooFewReadings);
  spline s;
  s.fit(PointMHz, PointSfu);
  TSunNoise r;
  r.SunFlux = s.value_at(FrequencyMHz) * kJyPerSfu;
  if (!(r.SunFlux > 0) || !std::isfinite(r.SunFlux)) throw ESunNoise(SunNoiseTexts::NoValidFlux);
  r.SunAntennaTemp = EffectiveAperture / kAntennaTempDivisor * r.SunFlux;
  r.SunYFactor = 10 * std::log10((r.SunAntennaTemp + Tsys) / Tsys);
  if (!(Tsys > 0) || !std::isfinite(r.SunYFactor)) throw ESunNoise(SunNoiseTexts::NoValidYFactor);
  return r;
}
