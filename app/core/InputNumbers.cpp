#include "InputNumbers.h"

#include <cmath>

#include "SysUtils.h"

TNumberCheck CheckNumberText(const String& Text, double& Value, const TNumberRange& Range) {
  double v = 0;
  if (!TryStrToFloat(Text, v)) {
    // The run-time reads into 80 bits what overflows 64: such a text is a number, only too
    // large, and deserves a message that says so.
    long double wide = 0;
    return TryStrToFloat(Text, wide) ? TNumberCheck::NotFinite : TNumberCheck::NotANumber;
  }
  if (!std::isfinite(v)) return TNumberCheck::NotFinite;
  if (!Range.Contains(v)) return TNumberCheck::OutOfRange;
  Value = v;
  return TNumberCheck::Valid;
}

String NumberTextMessage(TNumberCheck Check, const String& Text, const String& What,
                         const TNumberRange& Range) {
  const String quoted = "'" + Text + "'";
  switch (Check) {
    case TNumberCheck::Valid: return String();
    case TNumberCheck::NotANumber:
      return What + ": " + quoted + " is not a number (use . as decimal separator)";
    case TNumberCheck::NotFinite: return What + ": " + quoted + " is too large a number";
    case TNumberCheck::OutOfRange: break;
  }
  const bool high = Range.High < std::numeric_limits<double>::max();
  const bool low = Range.Low > std::numeric_limits<double>::lowest();
  const String lowText = (Range.LowIncluded ? ">=" : ">") + FloatToStr(Range.Low);
  const String highText = "<=" + FloatToStr(Range.High);
  const String rule = high && low ? lowText + " and " + highText : high ? highText : lowText;
  return What + ": " + quoted + " is out of range (the value must be " + rule + ")";
}

double NumberFromText(const String& Text, const String& What, const TNumberRange& Range) {
  double v = 0;
  const TNumberCheck check = CheckNumberText(Text, v, Range);
  if (check != TNumberCheck::Valid)
    throw EConvertError(NumberTextMessage(check, Text, What, Range));
  return v;
}
