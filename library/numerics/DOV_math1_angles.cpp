#include "DOV_math1.h"

#include <charconv>
#include <cmath>

#include "SysUtils.h"

namespace {

constexpr const char* DegreeSign = "\xC2\xB0";
constexpr Double SnapTolerance = 3e-12;
constexpr Integer MaxDecimals = 8;
constexpr Integer NiceSteps[] = {1, 2, 3, 5, 10, 15, 20, 30, 60, 90, 180, 360};
constexpr int StepsUpTo60 = 9;

Double RoundHalfAway(Double x, Integer decimals) {
  const Double scale = std::pow(10.0, decimals);
  return std::round(x * scale) / scale;
}

Double Snap(Double x) {
  const Double whole = std::round(x);
  return std::fabs(x - whole) < SnapTolerance ? whole : x;
}

Double FracOf(Double x) { return x - std::trunc(x); }

String WholeDegrees(Double d) {
  const Double whole = std::trunc(d);
  if (whole == 0 && d < 0) return "-0";
  return IntToStr(static_cast<Int64>(whole));
}

}  // namespace

String DegreeToStr(Double Angle, TDegreeFormat Format, Integer Decimals) {
  const Integer dec = std::clamp<Integer>(Decimals, 0, MaxDecimals);
  switch (Format) {
    case dfDeg: return Str(Angle, 1, dec) + DegreeSign;
    case dfDegMin: {
      const Double d = Snap(RoundHalfAway(Angle * 60, dec) / 60);
      return WholeDegrees(d) + DegreeSign + " " + Str(FracOf(std::fabs(d)) * 60, dec + 3, dec) +
             "'";
    }
    case dfDegMinSec: {
      const Double d = Snap(RoundHalfAway(Angle * 3600, dec) / 3600);
      const Double m = Snap(FracOf(std::fabs(d)) * 60);
      return WholeDegrees(d) + DegreeSign + " " + Str(std::trunc(m), 2, 0) + "' " +
             Str(FracOf(m) * 60, dec + 3, dec) + "\"";
    }
    case dfNumeric: break;
  }
  return Str(Angle, 1, dec);
}

void ConvertDegrees(Double& Degrees, Double& Minutes, Double& Seconds, TDegreeFormat InFormat,
                    TDegreeFormat OutFormat) {
  if (Minutes < 0 || Minutes > 60) throw ESDLMath1Error("ConvertDegrees: invalid range of minutes");
  if (Seconds < 0 || Seconds > 60) throw ESDLMath1Error("ConvertDegrees: invalid range of seconds");
  if (OutFormat == dfDeg) {
    if (InFormat == dfDegMin)
      Degrees = std::trunc(Degrees) + Minutes / 60;
    else if (InFormat == dfDegMinSec)
      Degrees = std::trunc(Degrees) + std::trunc(Minutes) / 60 + Seconds / 3600;
    else if (InFormat != dfDeg)
      return;
    Minutes = 0;
    Seconds = 0;
  } else if (OutFormat == dfDegMin) {
    if (InFormat == dfDeg) {
      Minutes = FracOf(std::fabs(Degrees)) * 60;
      Degrees = std::trunc(Degrees);
    } else if (InFormat == dfDegMinSec) {
      Minutes = Minutes + Seconds / 60;
    } else if (InFormat != dfDegMin) {
      return;
    }
    Seconds = 0;
  } else if (OutFormat == dfDegMinSec) {
    if (InFormat == dfDeg) {
      const Double v = Degrees;
      Degrees = std::trunc(v);
      const Double m = FracOf(std::fabs(v)) * 60;
      Minutes = std::trunc(m);
      Seconds = FracOf(m) * 60;
    } else if (InFormat == dfDegMin) {
      const Double m = Minutes;
      Minutes = std::trunc(m);
      Seconds = FracOf(std::fabs(m)) * 60;
    }
  }
}

namespace {

enum class TScan {
  Start,
  Degrees,
  DegFrac,
  Minutes,
  MinFrac,
  Seconds,
  SecFrac,
  AfterDeg,
  AfterMin,
  AfterSec,
  Done
};

enum class TChar { Blank, Sign, Point, Digit, Letter, Degree, Apostrophe, Quote, Other };

Double NumberOf(String text) {
  if (text.empty()) return 0;
  if (text.back() == '.') text += '0';
  double v = 0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  return v;
}

}  // namespace

Double ScanDegrees(const String& Instring, Integer& Position, bool AllowLetters, Integer& ErrCode) {
  if (Instring.empty()) {
    ErrCode = -1;
    return 0;
  }
  ErrCode = 0;
  String texts[3];  // degrees, minutes, seconds
  char sign = '+', compass = 'N';
  bool pointInDegrees = false, pointInMinutes = false;
  TScan state = TScan::Start;
  const Integer len = static_cast<Integer>(Instring.size());
  if (Position < 1) Position = 1;
  while (state != TScan::Done && ErrCode == 0) {
    // One character (the degree sign may take two bytes); the end reads as "other".
    TChar kind = TChar::Other;
    char ch = '\0';
    if (Position <= len) {
      ch = Instring[Position - 1];
      if (Instring.compare(Position - 1, 2, DegreeSign) == 0) {
        kind = TChar::Degree;
        ++Position;
      } else if (static_cast<unsigned char>(ch) == 0xB0) {
        kind = TChar::Degree;
      } else {
        ch = UpperCaseChar(ch);
        kind = ch == ' '                                          ? TChar::Blank
               : ch == '+' || ch == '-'                           ? TChar::Sign
               : ch == '.'                                        ? TChar::Point
               : ch >= '0' && ch <= '9'                           ? TChar::Digit
               : ch == 'N' || ch == 'S' || ch == 'E' || ch == 'W' ? TChar::Letter
               : ch == '\''                                       ? TChar::Apostrophe
               : ch == '"'                                        ? TChar::Quote
                                                                  : TChar::Other;
      }
      ++Position;
    }
    auto letterEnds = [&](Integer err) {
      if (AllowLetters) {
        compass = ch;
        state = TScan::Done;
      } else {
        ErrCode = err;
      }
    };
    switch (state) {
      case TScan::Start:
        if (kind == TChar::Blank) break;
        if (kind == TChar::Sign) {
          sign = ch;
          state = TScan::Degrees;
        } else if (kind == TChar::Point) {
          texts[0] = "0.";
          pointInDegrees = true;
          state = TScan::DegFrac;
        } else if (kind == TChar::Digit) {
          texts[0] = ch;
          state = TScan::Degrees;
        } else
          ErrCode = -1;
        break;
      case TScan::Degrees:
      case TScan::DegFrac:
      case TScan::Minutes:
      case TScan::MinFrac:
      case TScan::Seconds:
      case TScan::SecFrac: {
        const int unit = state == TScan::Degrees || state == TScan::DegFrac   ? 0
                         : state == TScan::Minutes || state == TScan::MinFrac ? 1
                                                                              : 2;
        const bool inFraction =
            state == TScan::DegFrac || state == TScan::MinFrac || state == TScan::SecFrac;
        const Integer err = -2 - 2 * unit;
        if (kind == TChar::Blank) break;
        if (kind == TChar::Digit) {
          texts[unit] += ch;
        } else if (kind == TChar::Point && !inFraction) {
          texts[unit] += '.';
          if (unit == 0) pointInDegrees = true;
          if (unit == 1) pointInMinutes = true;
          state = unit == 0 ? TScan::DegFrac : unit == 1 ? TScan::MinFrac : TScan::SecFrac;
        } else if (unit == 0 && kind == TChar::Letter) {
          letterEnds(err);
        } else if (unit == 0 && kind == TChar::Degree) {
          state = TScan::AfterDeg;
        } else if (unit == 1 && kind == TChar::Apostrophe) {
          state = TScan::AfterMin;
        } else if (unit == 2 && kind == TChar::Quote) {
          state = TScan::AfterSec;
        } else {
          ErrCode = err;
        }
        break;
      }
      case TScan::AfterDeg:
      case TScan::AfterMin: {
        const bool deg = state == TScan::AfterDeg;
        const bool pointSeen = deg ? pointInDegrees : pointInMinutes;
        const int next = deg ? 1 : 2;
        if (kind == TChar::Blank) break;
        if (kind == TChar::Point || kind == TChar::Digit) {
          if (pointSeen) {
            if (AllowLetters)
              ErrCode = deg ? -3 : -5;
            else
              state = TScan::Done;
          } else {
            texts[next] = kind == TChar::Point ? String("0.") : String(1, ch);
            if (kind == TChar::Point && deg) pointInMinutes = true;
            state = kind == TChar::Point ? (deg ? TScan::MinFrac : TScan::SecFrac)
                                         : (deg ? TScan::Minutes : TScan::Seconds);
          }
        } else if (AllowLetters) {
          if (kind == TChar::Letter)
            letterEnds(-7);
          else
            ErrCode = -7;
        } else {
          state = TScan::Done;
        }
        break;
      }
      case TScan::AfterSec:
        if (!AllowLetters)
          state = TScan::Done;
        else if (kind == TChar::Blank)
          break;
        else if (kind == TChar::Letter)
          letterEnds(-7);
        else
          ErrCode = -7;
        break;
      case TScan::Done: break;
    }
    if (Position > len + 1) Position = len + 1;
  }
  const Double degrees = NumberOf(texts[0]), minutes = NumberOf(texts[1]),
               seconds = NumberOf(texts[2]);
  if (minutes < 0 || minutes >= 60) ErrCode = -8;
  if (seconds < 0 || seconds >= 60) ErrCode = -9;
  if (ErrCode != 0) return 0;
  Double v = degrees + minutes / 60 + seconds / 3600;
  if (sign == '-') v = -v;
  if (AllowLetters) v = compass == 'S' || compass == 'W' ? -std::fabs(v) : std::fabs(v);
  return v;
}

void RoundDegrees(Integer& Degrees, Integer& Minutes, Integer& Seconds, bool Upward) {
  if (Degrees < 0 || Minutes < 0 || Seconds < 0) {
    Degrees = Minutes = Seconds = 0;
    return;
  }
  Minutes = std::min(Minutes, 59);
  Seconds = std::min(Seconds, 59);
  const Double v = Degrees + Minutes / 60.0 + Seconds / 3600.0;
  // The step for a unit worth 1 / perDegree degree, among the first n steps.
  auto pick = [&](int n, Double perDegree, Integer fallback) {
    if (Upward) {
      for (int i = 0; i < n; ++i)
        if (NiceSteps[i] / perDegree >= v) return NiceSteps[i];
      return fallback;
    }
    Integer best = 1;
    for (int i = 0; i < n; ++i)
      if (NiceSteps[i] / perDegree <= v) best = NiceSteps[i];
    return best;
  };
  if (Degrees > 0) {
    Minutes = Seconds = 0;
    Degrees = pick(12, 1, 360);
  } else if (Minutes > 0) {
    Seconds = 0;
    Minutes = pick(StepsUpTo60, 60, 60);
    if (Minutes == 60) {
      Degrees = 1;
      Minutes = 0;
    }
  } else if (Seconds > 0) {
    Seconds = pick(StepsUpTo60, 3600, 60);
    if (Seconds == 60) {
      Minutes = 1;
      Seconds = 0;
    }
  }
}
