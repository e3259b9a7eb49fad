// Date/time axes: ticks on calendar and clock boundaries, from hundredths of a second to years,
// and their label texts. Axis values are linear day counts from 30 December 1899.
#include <algorithm>
#include <cmath>

#include "DOV_Scale.h"
#include "SysUtils.h"

namespace {

constexpr Double kFirstDay = -693593;      // 1 January of the year 1
constexpr Double kLastDay = 2958465;       // 31 December 9999
constexpr Double kHighestValue = 3000000;  // the largest RangeHigh a date/time axis accepts
// Between kLastDay and kHighestValue the day and time-of-day ticks are still drawn, without
// labels (no calendar date to show); month and year ticks stop at 31 December 9999.
constexpr Double kEndTolerance = 1e-8;     // days a last tick may lie beyond RangeHigh
// A tick computed at RangeLow may miss it by rounding; far below a hundredth of a second.
constexpr Double kStartTolerance = 1e-10;
constexpr Double kDaysPerMonth = 30.4375;
constexpr Double kDaysPerYear = 365.25;
constexpr Integer kMessageGap = 2, kMessageDrop = 7;

// One row of time-of-day steps: units per day and the six steps with their sub-steps.
struct TTimeOfDayRow {
  Double UnitsPerDay;
  Integer Steps[6];
  Integer SubSteps[6];
};
constexpr TTimeOfDayRow kHundredthsRow{8640000, {1, 2, 5, 10, 20, 50}, {1, 1, 1, 5, 10, 10}};
constexpr TTimeOfDayRow kSecondsRow{86400, {1, 2, 5, 10, 20, 30}, {1, 1, 1, 2, 5, 10}};
constexpr TTimeOfDayRow kMinutesRow{1440, {1, 2, 5, 10, 20, 30}, {1, 1, 1, 2, 5, 10}};
constexpr TTimeOfDayRow kHoursRow{24, {1, 2, 3, 6, 8, 12}, {1, 1, 1, 2, 2, 3}};

const TTimeOfDayRow& RowOf(TDateTimeTickKind Kind) {
  switch (Kind) {
    case dtkHundredths: return kHundredthsRow;
    case dtkSeconds: return kSecondsRow;
    case dtkMinutes: return kMinutesRow;
    default: return kHoursRow;
  }
}

constexpr Integer kDaySteps[6] = {1, 2, 3, 7, 14, 28};
constexpr Integer kDaySubSteps[6] = {1, 1, 1, 1, 7, 7};
constexpr Integer kMonthSteps[5] = {1, 2, 3, 4, 6};

// Index of the largest step not above Value (the first one when none is).
template <size_t N>
size_t LargestStepNotAbove(const Integer (&Steps)[N], Double Value) {
  for (size_t i = N; i-- > 0;)
    if (Steps[i] <= Value) return i;
  return 0;
}

// a mod b as 0 .. b-1 also for negative a.
Integer PositiveMod(Double a, Integer b) {
  const Integer r = static_cast<Integer>(std::fmod(a, b));
  return r < 0 ? r + b : r;
}

// Ticks computed as a first value plus steps miss a boundary by a few ulps; one side of
// midnight would show the previous day at 23:59, so dates and labels are taken at the nearest
// millisecond, the finest unit a label shows.
Double NearestMillisecond(Double Value) {
  return std::nearbyint(Value * MSecsPerDay) / MSecsPerDay;
}

bool InCalendar(Double Value) { return Value >= kFirstDay && Value < kLastDay + 1; }

// Year, month and day of the day a linear day count lies in.
void DecodeDay(Double Value, Word& Y, Word& M, Word& D) {
  DecodeDate(std::clamp(std::floor(NearestMillisecond(Value)), kFirstDay, kLastDay), Y, M, D);
}

// A separator as a quoted literal of the format, so that no character the user picks (a
// letter, a quote) is read as a format code.
String Sep(char c) { return c == '\'' ? String("\"'\"") : "'" + String(1, c) + "'"; }

}  // namespace

// ---- label texts -----------------------------------------------------------------------------
namespace ScaleText {

String FormatTickDateTime(const String& Format, Double Value) {
  if (std::fabs(Value) < 1e-8) Value = 0;
  Value = NearestMillisecond(Value);
  if (!InCalendar(Value)) return "";
  if (Value < 0) {
    const Double fl = std::floor(Value), fr = Value - std::trunc(Value);
    Value = fr <= -1e-8 ? fl - fr - 1 : fl - fr;
  }
  return FormatDateTime(Format, Value);
}

String DateTickText(bool MonthName, TYearLength YearLength, TDateOrder DateOrder, Double Value,
                    char DateSeparator) {
  const String S = Sep(DateSeparator);
  const String M = MonthName ? "mmm" : "mm";
  const String Y = YearLength == ylYY ? "yy" : "yyyy";
  String format;
  if (YearLength == ylNone)
    format = DateOrder == doDDMMYY ? "dd" + S + M : M + S + "dd";
  else if (DateOrder == doDDMMYY)
    format = "dd" + S + M + S + Y;
  else if (DateOrder == doMMDDYY)
    format = M + S + "dd" + S + Y;
  else
    format = Y + S + M + S + "dd";
  return FormatTickDateTime(format, Value);
}

String DateTimeTickText(TDateTimeTickKind Kind, const TDTLabel& F, Double Value) {
  const String T = Sep(F.TimeSeparator());
  const String M = F.MonthName() ? "mmm" : "mm";
  switch (Kind) {
    case dtkDays:
      return DateTickText(F.MonthName(), F.YearLength(), F.DateOrder(), Value, F.DateSeparator());
    case dtkMonths: {
      const String Y = F.YearLength() == ylYY ? "yy" : "yyyy";
      const String S = Sep(F.DateSeparator());
      if (F.YearLength() == ylNone) return FormatTickDateTime(M, Value);
      return FormatTickDateTime(F.DateOrder() == doYYMMDD ? Y + S + M : M + S + Y, Value);
    }
    case dtkYears: {
      if (F.YearLength() == ylNone) return "";
      if (F.YearLength() == ylYY) return FormatTickDateTime("yy", Value);
      String year = FormatTickDateTime("yyyy", Value);
      const size_t digit = year.find_first_not_of('0');
      return digit == String::npos ? year : year.substr(digit);
    }
    default: break;
  }
  static const char* const kFormats[3][4] = {
      // tfHHMMSS, tfHHhMM, tfAMPM; rows hours, minutes, seconds, hundredths
      {"hhTnn", "hhTnn", "hhTnnTss", "hhTnnTss.zzz"},
      {"h'h'", "h'h'nn", "h'h'nnTss", "h'h'nnTss.zzz"},
      {"ham/pm", "hTnnam/pm", "hTnn.ssam/pm", "hTnn.ss.zzzam/pm"},
  };
  const Integer column = Kind == dtkHours ? 0 : Kind == dtkMinutes ? 1 : Kind == dtkSeconds ? 2 : 3;
  String format = kFormats[F.TimeFormat()][column];
  String expanded;
  for (char c : format) expanded += c == 'T' ? T : String(1, c);
  return FormatTickDateTime(expanded, Value);
}

}  // namespace ScaleText

// ---- ticks -----------------------------------------------------------------------------------
void TScale::DrawDateTimeTicks(TCanvas* Canvas, Integer Base) {
  if (!(FRangeLow <= FRangeHigh && FRangeLow >= kFirstDay && FRangeHigh <= kHighestValue)) {
    DrawDateTimeMessage(Canvas, Base, true);
    return;
  }
  // A MinTicks of 0 (allowed for numeric axes) gives no span per tick: take the fewest there
  // can be otherwise.
  const Double d = (FRangeHigh - FRangeLow) / std::max(FNumTicks, 2);
  const bool vertical = !Horizontal();
  if (d <= (vertical ? 1.1574074074074074e-7 : 1.1574e-5)) {
    DrawDateTimeMessage(Canvas, Base, false);
    return;
  }
  if (vertical && d <= 1.0 / 86400)
    DrawTimeOfDayTicks(Canvas, Base, dtkHundredths, d);
  else if (d <= (vertical ? 1.0 / 1440 : 0.00069444))
    DrawTimeOfDayTicks(Canvas, Base, dtkSeconds, d);
  else if (d <= 0.041667)
    DrawTimeOfDayTicks(Canvas, Base, dtkMinutes, d);
  else if (d <= 1)
    DrawTimeOfDayTicks(Canvas, Base, dtkHours, d);
  else if (d <= 30)
    DrawDayTicks(Canvas, Base, d);
  else if (d <= 366)
    DrawMonthTicks(Canvas, Base);
  else
    DrawYearTicks(Canvas, Base);
}

void TScale::DrawDateTimeMessage(TCanvas* Canvas, Integer Base, bool Invalid) {
  const Integer p = R2M((FRangeLow + FRangeHigh) / 2);
  if (Horizontal()) {
    const String text = Invalid ? "invalid DateTime scale" : "DateTime range is below 1 second";
    Canvas->TextOut(p - Canvas->TextWidth(text) / 2, Base + kMessageDrop, text);
    return;
  }
  static const char* const kInvalid[] = {"invalid", "DateTime", "scale"};
  static const char* const kShort[] = {"DateTime", "range is", "below 1", "second"};
  const Integer h = Canvas->TextHeight("T");
  const auto& words = Invalid ? std::vector<String>(kInvalid, kInvalid + 3)
                              : std::vector<String>(kShort, kShort + 4);
  for (size_t i = 0; i < words.size(); ++i) {
    const Integer top = p + (static_cast<Integer>(i) - 1) * h;
    const Integer left =
        FScaleType == sctYR ? Base - kMessageGap - Canvas->TextWidth(words[i]) : Base + kMessageGap;
    Canvas->TextOut(left, top, words[i]);
  }
}

void TScale::DrawDateTimeLabel(TCanvas* Canvas, Integer Base, Integer p, String Text, Double v,
                               Integer Lines) {
  if (OnBeforeTickLabel) OnBeforeTickLabel(this, FScaleType, v, Text);
  if (Text.empty()) return;
  const Integer h = Canvas->TextHeight(Text);
  if (Horizontal()) {
    const Integer w = Canvas->TextWidth(Text);
    const Integer row = Base + (FScaleType == sctXT ? 1 : -1) * Lines * h;
    Integer left = p - std::min(w / 2, p - 2);
    if (p + w / 2 >= Width() - 2) left = Width() - 2 * (w / 2) - 2;
    const Integer top = FScaleType == sctXT ? row + 7 : row - 7 - h;
    Canvas->TextOut(left, top, Text);
    return;
  }
  const Integer w = Canvas->TextWidth(Text);
  const Integer left = FScaleType == sctYL ? Base + 8 : Base - 8 - w;
  Canvas->TextOut(left, p - (2 * Lines + 1) * (h / 2), Text);
}

void TScale::SelectTimeOfDayStep(TDateTimeTickKind Kind, Double d) {
  const TTimeOfDayRow& row = RowOf(Kind);
  const Double U = row.UnitsPerDay;
  const size_t i = LargestStepNotAbove(row.Steps, d * U);
  const Integer step = row.Steps[i];
  const Double base = std::floor(FRangeLow);
  const Double fraction = FRangeLow - std::trunc(FRangeLow);
  Double m = (FRangeLow >= 0 ? fraction : fraction + 1) * U;
  // A RangeLow on a unit boundary must not be pushed a whole step on by rounding noise.
  if (std::fabs(m - std::nearbyint(m)) < 1e-6) m = std::nearbyint(m);
  const Integer c = static_cast<Integer>(std::ceil(m));
  const Integer f = c == 0 ? 0 : (step - c % step) % step;
  FDt.First = base + std::ceil(m + f) / U;
  FDt.Step = step / U;
  FDt.SubStep = row.SubSteps[i] / U;
}

void TScale::DrawTimeOfDayTicks(TCanvas* Canvas, Integer Base, TDateTimeTickKind Kind, Double d) {
  SelectTimeOfDayStep(Kind, d);
  FDt.LastDay = -1;
  if (FShortTicks)
    while (FDt.First > FRangeLow) FDt.First -= FDt.SubStep;
  // Counting from the first tick keeps repeated additions from drifting off the boundaries.
  const Double start = FDt.First, advance = FShortTicks ? FDt.SubStep : FDt.Step;
  bool firstLong = true;
  for (Integer n = 0;; ++n) {
    FDt.First = start + n * advance;
    if (!(FDt.First - FRangeHigh < kEndTolerance)) break;
    if (FDt.First < FRangeLow - kStartTolerance) continue;
    const Double ratio = FDt.First / FDt.Step;
    const bool isLong = !(FShortTicks && std::fabs(ratio - std::nearbyint(ratio)) > 0.1);
    RecordTick(FDt.First);
    DrawTick(Canvas, Base, FDt.First, isLong);
    if (!isLong) continue;
    const Integer p = R2M(FDt.First);
    DrawDateTimeLabel(Canvas, Base, p, ScaleText::DateTimeTickText(Kind, *FDTFormat, FDt.First),
                      FDt.First, 0);
    DrawDateBesideTime(Canvas, Base, p, firstLong);
    firstLong = false;
  }
}

void TScale::DrawDateBesideTime(TCanvas* Canvas, Integer Base, Integer p, bool FirstLong) {
  const TDateForTime mode = FDTFormat->DateForTime();
  Word y, m, day;
  DecodeDay(FDt.First, y, m, day);
  bool draw = false;
  switch (mode) {
    case dtNone: break;
    case dtOnePezOdoza: draw = FirstLong; break;
    case dtOnePerDay: draw = day != FDt.LastDay; break;
    case dtAllTicks: draw = true; break;
  }
  if (!draw) return;
  const String text =
      ScaleText::DateTickText(FDTFormat->MonthName(), FDTFormat->YearLength(),
                              FDTFormat->DateOrder(), FDt.First, FDTFormat->DateSeparator());
  DrawDateTimeLabel(Canvas, Base, p, text, FDt.First, 1);
  if (mode == dtOnePezOdoza || mode == dtOnePerDay) FDt.LastDay = day;
}

void TScale::DrawDayTicks(TCanvas* Canvas, Integer Base, Double d) {
  const size_t i = LargestStepNotAbove(kDaySteps, d);
  const Integer step = kDaySteps[i];
  const Double sub = kDaySubSteps[i];
  Word y, m, day;
  DecodeDay(FRangeLow, y, m, day);
  const Double J = EncodeDate(y, 1, 1);
  const Double start = J + std::trunc(std::trunc(FRangeLow - J) / step) * step;
  const Integer phase = PositiveMod(std::nearbyint(start), step);
  const Double advance = FShortTicks ? sub : step;
  FDt.Step = step;
  FDt.SubStep = sub;
  for (Integer n = 0;; ++n) {
    FDt.First = start + n * advance;
    if (!(FDt.First - FRangeHigh < kEndTolerance)) break;
    if (FDt.First < FRangeLow - kStartTolerance) continue;
    const bool isLong = !(FShortTicks && PositiveMod(std::nearbyint(FDt.First), step) != phase);
    RecordTick(FDt.First);
    DrawTick(Canvas, Base, FDt.First, isLong);
    if (isLong)
      DrawDateTimeLabel(Canvas, Base, R2M(FDt.First),
                        ScaleText::DateTimeTickText(dtkDays, *FDTFormat, FDt.First), FDt.First, 0);
  }
}

void TScale::DrawMonthTicks(TCanvas* Canvas, Integer Base) {
  const Double dm = (FRangeHigh - FRangeLow) / kDaysPerMonth / std::max(FNumTicks, 2);
  const Integer step = kMonthSteps[LargestStepNotAbove(kMonthSteps, dm)];
  Word wy, wm, wd;
  DecodeDay(FRangeLow, wy, wm, wd);
  Integer Y = wy, M = wm;
  auto carry = [&] {
    Y += (M - 1) / 12;
    M = (M - 1) % 12 + 1;
  };
  if (step > 1 && !FShortTicks) {
    do {
      ++M;
      carry();
    } while (M % step != 1);
  }
  while (Y <= 9999) {
    FDt.First = EncodeDate(static_cast<Word>(Y), static_cast<Word>(M), 1);
    if (!(FDt.First - FRangeHigh < kEndTolerance)) break;
    if (FDt.First >= FRangeLow - kStartTolerance) {
      const bool isLong = !(FShortTicks && step != 1 && M % step != 1);
      RecordTick(FDt.First);
      DrawTick(Canvas, Base, FDt.First, isLong);
      if (isLong)
        DrawDateTimeLabel(Canvas, Base, R2M(FDt.First),
                          ScaleText::DateTimeTickText(dtkMonths, *FDTFormat, FDt.First), FDt.First,
                          0);
    }
    M += FShortTicks ? 1 : step;
    carry();
  }
}

void TScale::DrawYearTicks(TCanvas* Canvas, Integer Base) {
  const Double dy = std::max(1.0, (FRangeHigh - FRangeLow) / kDaysPerYear / std::max(FNumTicks, 2));
  const Double e = std::log10(dy);
  const Double mantissa = std::pow(10.0, e - std::trunc(e));
  const Integer factor = mantissa < 2 ? 1 : mantissa < 5 ? 2 : 5;
  const Integer step = static_cast<Integer>(std::nearbyint(std::pow(10.0, std::trunc(e)) * factor));
  Integer increment = step;
  if (FShortTicks && step > 1)
    increment = static_cast<Integer>(std::nearbyint(step / (factor == 5 ? 5.0 : 2.0)));
  Word wy, wm, wd;
  DecodeDay(FRangeLow, wy, wm, wd);
  Integer year = ((wy - 1) / increment + 1) * increment;
  if (year == wy && FRangeLow > EncodeDate(wy, 1, 1)) year += increment;
  for (;;) {
    const bool last = year > 9999;
    FDt.First = last ? kLastDay : EncodeDate(static_cast<Word>(year), 1, 1);
    if (!(FDt.First - FRangeHigh < kEndTolerance)) break;
    if (FDt.First < FRangeLow - kStartTolerance) {  // only past the year 9999
      if (last) break;
      year += increment;
      continue;
    }
    const bool isLong = !(FShortTicks && (last ? 9999 : year) % step != 0);
    RecordTick(FDt.First);
    DrawTick(Canvas, Base, FDt.First, isLong);
    if (isLong)
      DrawDateTimeLabel(Canvas, Base, R2M(FDt.First),
                        ScaleText::DateTimeTickText(dtkYears, *FDTFormat, FDt.First), FDt.First, 0);
    if (last) break;
    year += increment;
  }
}
