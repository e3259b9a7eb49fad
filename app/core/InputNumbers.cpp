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

namespace {

bool Digit(char C) { return C >= '0' && C <= '9'; }
bool Blank(char C) { return C == ' ' || C == '\t'; }

}  // namespace

// The grammar is the run-time's (blanks, sign, digits with at most one point, an exponent with
// a sign and digits, blanks); a prefix of it that lacks only digits is incomplete. Trailing
// blanks end a number, so they count only in a text of blanks alone.
bool IncompleteNumberText(const String& Text) {
  size_t i = 0;
  const size_t n = Text.size();
  while (i < n && Blank(Text[i])) ++i;
  if (i < n && (Text[i] == '+' || Text[i] == '-')) ++i;
  size_t digits = 0;
  for (; i < n && Digit(Text[i]); ++i) ++digits;
  if (i < n && Text[i] == '.')
    for (++i; i < n && Digit(Text[i]); ++i) ++digits;
  if (i == n) return digits == 0;
  if (digits == 0 || (Text[i] != 'e' && Text[i] != 'E')) return false;
  ++i;
  if (i < n && (Text[i] == '+' || Text[i] == '-')) ++i;
  return i == n;
}

bool DecimalCommaText(const String& Text) {
  const size_t comma = Text.find(',');
  if (comma == String::npos || Text.find(',', comma + 1) != String::npos) return false;
  String pointed = Text;
  pointed[comma] = '.';
  double value = 0;
  return CheckNumberText(pointed, value) != TNumberCheck::NotANumber ||
         IncompleteNumberText(pointed);
}

String NumberTextMessage(TNumberCheck Check, const String& Text, const String& What,
                         const TNumberRange& Range) {
  const String quoted = "'" + Text + "'";
  switch (Check) {
    case TNumberCheck::Valid: return String();
    case TNumberCheck::NotANumber:
      if (IncompleteNumberText(Text))
        return What + (Text.find_first_not_of(" \t") == String::npos
                           ? String(": the number is missing")
                           : ": " + quoted + " is an incomplete number");
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
