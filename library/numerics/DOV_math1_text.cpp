// Number text conversion of DOV_math1: scanners, validity tests, formatters, bit patterns.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <limits>

#include "DOV_math1.h"
#include "DOV_stringl.h"
#include "SysUtils.h"

namespace {

// ---- the floating-point scanner's state machine -------------------------------------------

enum TFPState {
  fsStart,
  fsAfterSign,
  fsInteger,
  fsAfterPoint,
  fsFraction,
  fsAfterE,
  fsAfterExpSign,
  fsExponent,
  fsEnd,
  fsError
};

// Exponent digits beyond this value are not taken into the number text: the text stays
// inside the 80-bit range, and the result is clamped anyway.
constexpr long kMaxExponentText = 4200;

inline bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

// One step of the machine for the upper-cased character ch.
TFPState NextFPState(TFPState st, char ch, bool isSep, bool allowExp) {
  const bool blank = ch == ' ';
  const bool sign = ch == '+' || ch == '-';
  const bool digit = IsDigitChar(ch);
  const bool expLetter = ch == 'E';
  switch (st) {
    case fsStart:
      if (isSep) return fsAfterPoint;
      if (blank) return fsStart;
      if (sign) return fsAfterSign;
      if (digit) return fsInteger;
      return fsError;
    case fsAfterSign:
      if (isSep) return fsAfterPoint;
      if (digit) return fsInteger;
      return fsError;
    case fsInteger:
      if (isSep) return fsAfterPoint;
      if (digit) return fsInteger;
      if (expLetter) return allowExp ? fsAfterE : fsEnd;
      return fsEnd;
    case fsAfterPoint:
    case fsFraction:
      if (isSep) return fsError;
      if (digit) return fsFraction;
      if (expLetter) return allowExp ? fsAfterE : fsEnd;
      return fsEnd;
    case fsAfterE:
      if (isSep || blank || expLetter) return fsError;
      if (sign) return fsAfterExpSign;
      if (digit) return fsExponent;
      return fsEnd;
    case fsAfterExpSign:
      if (isSep || blank || sign || expLetter) return fsError;
      if (digit) return fsExponent;
      return fsEnd;
    case fsExponent:
      if (digit) return fsExponent;
      return fsEnd;
    default: return st;
  }
}

// Runs the machine from CurPos. Appends the accepted characters to NumText when it is given
// (with "," as "."; exponent characters dropped once the exponent exceeds 4200). With
// StrictExponent an exponent beyond 4200 is an error instead. CurPos ends on the character that
// ended the number or caused the error.
TFPState RunFPMachine(const String& s, bool allowExp, bool dotSep, bool commaSep,
                      bool strictExponent, Integer& CurPos, String* NumText) {
  if (CurPos < 1) CurPos = 1;
  const size_t len = s.size();
  TFPState st = fsStart;
  long expValue = 0;  // the exponent digits read as an integer, saturating
  while (st < fsEnd) {
    const size_t p = static_cast<size_t>(CurPos);
    const char ch = p <= len ? UpperCaseChar(s[p - 1]) : 'Z';
    ++CurPos;
    const bool isSep = (ch == '.' && dotSep) || (ch == ',' && commaSep);
    const TFPState next = NextFPState(st, ch, isSep, allowExp);
    if (next == fsExponent) {
      const long d = ch - '0';
      if (st != fsExponent)
        expValue = d;
      else if (expValue <= 100000000L)
        expValue = expValue * 10 + d;
    }
    st = next;
    if (strictExponent && expValue > kMaxExponentText) st = fsError;
    if (st != fsEnd && st != fsError && NumText != nullptr && expValue <= kMaxExponentText)
      NumText->push_back(ch == ',' ? '.' : ch);
  }
  --CurPos;
  return st;
}

TDecPSep ResolveDecPSep(TDecPSep d) {
  if (d == dsSystem) return FormatSettings.DecimalSeparator == '.' ? dsDot : dsComma;
  return d;
}

const char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Leading blanks as the integer scanners skip them: never the one in the last position.
void SkipBlanks(const String& s, Integer& CurPos) {
  const Integer len = static_cast<Integer>(s.size());
  while (CurPos < len && s[static_cast<size_t>(CurPos - 1)] == ' ') ++CurPos;
}

// Accumulates digits of the base from CurPos with 32-bit wrap-around.
Cardinal AccumulateDigits(const String& s, Integer& CurPos, int base) {
  const Integer len = static_cast<Integer>(s.size());
  Cardinal v = 0;
  while (CurPos <= len) {
    const int d = HexValue(s[static_cast<size_t>(CurPos - 1)]);
    if (d < 0 || d >= base) break;
    v = v * static_cast<Cardinal>(base) + static_cast<Cardinal>(d);
    ++CurPos;
  }
  return v;
}

Integer ScanUnsigned(const String& s, Integer& CurPos, int base, bool dollarPrefix) {
  if (s.empty()) return 0;
  if (CurPos < 1) CurPos = 1;
  SkipBlanks(s, CurPos);
  if (dollarPrefix && CurPos == 1 && s[0] == '$') ++CurPos;
  return static_cast<Integer>(AccumulateDigits(s, CurPos, base));
}

bool AllCharsOf(const String& s, int base) {
  if (s.empty()) return false;
  for (char c : s) {
    const int d = HexValue(c);
    if (d < 0 || d >= base) return false;
  }
  return true;
}

String FixedDigits(Cardinal v, int nrDigits, int bitsPerDigit) {
  String r(static_cast<size_t>(nrDigits), '0');
  const Cardinal mask = (Cardinal{1} << bitsPerDigit) - 1;
  for (int i = 0; i < nrDigits; ++i) {
    const int shift = i * bitsPerDigit;
    r[static_cast<size_t>(nrDigits - 1 - i)] = kHexDigits[shift < 32 ? (v >> shift) & mask : 0];
  }
  return r;
}

String HexOfBytes(const unsigned char* bytes, size_t n) {
  String r;
  r.reserve(2 * n);
  for (size_t i = n; i-- > 0;) {
    r.push_back(kHexDigits[bytes[i] >> 4]);
    r.push_back(kHexDigits[bytes[i] & 15]);
  }
  return r;
}

// Fills n bytes (least significant first in memory) from 2n hex digits, most significant
// byte first; raises the routine's error when the text does not fit.
void BytesOfHex(const String& HexStr, unsigned char* bytes, size_t n, const char* routine) {
  bool ok = HexStr.size() == 2 * n;
  for (size_t i = 0; ok && i < HexStr.size(); ++i) ok = HexValue(HexStr[i]) >= 0;
  if (!ok) throw ESDLError(String(routine) + ": invalid hex string \"" + HexStr + "\"");
  for (size_t i = 0; i < n; ++i) {
    const size_t k = 2 * (n - 1 - i);
    bytes[i] = static_cast<unsigned char>(HexValue(HexStr[k]) * 16 + HexValue(HexStr[k + 1]));
  }
}

}  // namespace

// ---- scanners ----------------------------------------------------------------------------

namespace {

// The number text the scanner accepts at CurPos, ready for the conversion; empty when the text
// there is no number.
String ScannedNumberText(const String& Instring, bool AllowExp, Integer DecPSep, Integer& CurPos) {
  String numText;
  const TFPState st = RunFPMachine(Instring, AllowExp, DecPSep == 1 || DecPSep == 3,
                                   DecPSep == 2 || DecPSep == 3, false, CurPos, &numText);
  if (st != fsEnd) return String();
  if (!numText.empty() && numText.back() == '.') numText.push_back('0');
  // A dangling exponent letter (and sign) without digits is not part of the value: the
  // conversion stops in front of it.
  return numText;
}

}  // namespace

Extended ScanFPNumExtended(const String& Instring, bool AllowExp, Integer DecPSep,
                           Integer& CurPos) {
  return NearestExtendedOfText(ScannedNumberText(Instring, AllowExp, DecPSep, CurPos).c_str());
}

Double ScanFPNumUnclamped(const String& Instring, bool AllowExp, Integer DecPSep,
                          Integer& CurPos) {
  return NearestDoubleOfText(ScannedNumberText(Instring, AllowExp, DecPSep, CurPos).c_str());
}

Double ScanFPNum(const String& Instring, bool AllowExp, Integer DecPSep, Integer& CurPos) {
  const Double v = ScanFPNumUnclamped(Instring, AllowExp, DecPSep, CurPos);
  const Double limit = uc_MaxDouble;
  return v > limit ? limit : v < -limit ? -limit : v;
}

bool IsValidDouble(const String& Instring, bool AllowExp, TDecPSep DecPSep) {
  if (Instring.empty()) return false;
  const TDecPSep d = ResolveDecPSep(DecPSep);
  Integer pos = 1;
  return RunFPMachine(Instring, AllowExp, d == dsDot || d == dsBoth, d == dsComma || d == dsBoth,
                      true, pos, nullptr) == fsEnd;
}

// Nearly every field of a table file is a short plain number (blanks, sign, at most 19
// significant digits, one separator, a small exponent); those are converted here straight from
// their digits to the nearest double, the value ScanFPNum reads from their text.
bool ReadNumberField(std::string_view Field, double& Value) {
  const char* p = Field.data();
  const char* const e = p + Field.size();
  while (p < e && *p == ' ') ++p;
  bool negative = false;
  if (p < e && (*p == '+' || *p == '-')) negative = *p++ == '-';
  std::uint64_t digits = 0;
  int significant = 0;
  std::int64_t intDigits = 0;
  std::int64_t fracDigits = 0;
  bool plain = true;
  auto take = [&](char ch) {
    if (digits == 0 && ch == '0') return;  // leading zeros add nothing
    if (++significant > 19) plain = false;
    digits = digits * 10 + static_cast<std::uint64_t>(ch - '0');
  };
  while (p < e && *p >= '0' && *p <= '9') {
    take(*p++);
    ++intDigits;
  }
  char separator = 0;
  if (p < e && (*p == '.' || *p == ',')) {
    separator = *p++;
    while (p < e && *p >= '0' && *p <= '9') {
      take(*p++);
      ++fracDigits;
    }
  }
  std::int64_t exponent = 0;
  if (p < e && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negativeExp = false;
    if (p < e && (*p == '+' || *p == '-')) negativeExp = *p++ == '-';
    int expDigits = 0;
    while (p < e && *p >= '0' && *p <= '9' && expDigits < 5) {
      exponent = exponent * 10 + (*p++ - '0');
      ++expDigits;
    }
    // Exponents beyond 4200 are cut or refused by the general routines.
    if (expDigits == 0 || exponent > 4200) plain = false;
    if (negativeExp) exponent = -exponent;
  }
  // Without integer digits only the system's own separator makes a number.
  const char systemSeparator = FormatSettings.DecimalSeparator == '.' ? '.' : ',';
  if (intDigits == 0 && (fracDigits == 0 || separator != systemSeparator)) plain = false;
  if (plain && p == e) {
    const std::int64_t exp10 = exponent - fracDigits;
    if (exp10 >= -100 && exp10 <= 100) {
      const double v = DecimalToNearestDouble(digits, static_cast<int>(exp10));
      Value = negative ? -v : v;
      return true;
    }
  }
  const String text(Field);
  if (!IsValidDouble(text, true, dsSystem)) return false;
  Integer pos = 1;
  Value = ScanFPNum(text, true, 3, pos);
  return true;
}

bool IsValidFPNum(const String& Instring, TDecPSep DecPSep) {
  if (Instring.empty()) return false;
  const TDecPSep d = ResolveDecPSep(DecPSep);
  const bool dotSep = d == dsDot || d == dsBoth;
  const bool commaSep = d == dsComma || d == dsBoth;
  enum { vStart, vAfterSign, vAfterPoint, vInteger, vFraction, vInvalid } st = vStart;
  for (char c : Instring) {
    const bool isSep = (c == '.' && dotSep) || (c == ',' && commaSep);
    const bool digit = IsDigitChar(c);
    switch (st) {
      case vStart:
        if (c == '+' || c == '-')
          st = vAfterSign;
        else if (isSep)
          st = vAfterPoint;
        else if (digit)
          st = vInteger;
        else
          st = vInvalid;
        break;
      case vAfterSign:
      case vInteger: st = isSep ? vAfterPoint : digit ? vInteger : vInvalid; break;
      case vAfterPoint:
      case vFraction: st = digit ? vFraction : vInvalid; break;
      case vInvalid: break;
    }
    if (st == vInvalid) return false;
  }
  return true;
}

Integer ScanDecimal(const String& Instring, Integer& CurPos) {
  if (Instring.empty()) return 0;
  if (CurPos < 1) CurPos = 1;
  SkipBlanks(Instring, CurPos);
  bool negative = false;
  if (CurPos <= static_cast<Integer>(Instring.size())) {
    const char c = Instring[static_cast<size_t>(CurPos - 1)];
    if (c == '-' || c == '+') {
      negative = c == '-';
      ++CurPos;
    }
  }
  const Cardinal v = AccumulateDigits(Instring, CurPos, 10);
  return static_cast<Integer>(negative ? Cardinal{0} - v : v);
}

Integer ScanHex(const String& Instring, Integer& CurPos) {
  return ScanUnsigned(Instring, CurPos, 16, true);
}

Integer ScanOctal(const String& Instring, Integer& CurPos) {
  return ScanUnsigned(Instring, CurPos, 8, false);
}

Integer ScanBin(const String& Instring, Integer& CurPos) {
  return ScanUnsigned(Instring, CurPos, 2, false);
}

bool IsValidDecInt(const String& Instring) {
  if (Instring.empty()) return false;
  if (Instring.size() == 1) return IsDigitChar(Instring[0]);
  const char c0 = Instring[0];
  if (!(c0 == '+' || c0 == '-' || IsDigitChar(c0))) return false;
  for (size_t i = 1; i < Instring.size(); ++i)
    if (!IsDigitChar(Instring[i])) return false;
  return true;
}

bool IsValidHex(const String& Instring) { return AllCharsOf(Instring, 16); }
bool IsValidOct(const String& Instring) { return AllCharsOf(Instring, 8); }
bool IsValidBin(const String& Instring) { return AllCharsOf(Instring, 2); }

Integer StrToIntDefault(const String& Instring, Integer Default) {
  if (Instring.empty()) return Default;
  try {
    return StrToInt(Instring);
  } catch (const EConvertError&) {
    return Default;
  }
}

// ---- formatters --------------------------------------------------------------------------

String Hex(Cardinal Value, Byte NrDigits) {
  const int n = NrDigits == 0 ? 1 : std::min<int>(NrDigits, 8);
  return FixedDigits(Value, n, 4);
}

String Octal(Cardinal Value, Byte NrDigits) {
  const int n = NrDigits == 0 ? 1 : std::min<int>(NrDigits, 11);
  return FixedDigits(Value, n, 3);
}

String Bin(Cardinal Value, Byte NrDigits) {
  const int n = NrDigits == 0 ? 1 : std::min<int>(NrDigits, 32);
  return FixedDigits(Value, n, 1);
}

String Decimal(Integer Value, Byte NrDigits) {
  const int n = NrDigits == 0 ? 1 : NrDigits;
  std::uint64_t mag = Value < 0 ? static_cast<std::uint64_t>(-static_cast<Int64>(Value))
                                : static_cast<std::uint64_t>(Value);
  String r(static_cast<size_t>(n), '0');
  for (int i = n - 1; i >= 0 && mag != 0; --i) {
    r[static_cast<size_t>(i)] = static_cast<char>('0' + mag % 10);
    mag /= 10;
  }
  return Value < 0 ? "-" + r : r;
}

String Roman(Integer Value) {
  static const Integer values[13] = {1000, 900, 500, 400, 100, 90, 50, 40, 10, 9, 5, 4, 1};
  static const char* const letters[13] = {"M",  "CM", "D",  "CD", "C",  "XC", "L",
                                          "XL", "X",  "IX", "V",  "IV", "I"};
  String r;
  if (Value < 1 || Value >= 30000) return r;
  for (int i = 0; i < 13; ++i) {
    while (Value >= values[i]) {
      r += letters[i];
      Value -= values[i];
    }
  }
  return r;
}

String EEngStr(Double Value, Integer Digits) {
  static const char* const prefixes[11] = {"a", "f", "p", "n", "u", "m", "", "k", "M", "G", "T"};
  // Infinities and NaN have no decade; they keep the run-time's special texts.
  if (!std::isfinite(Value)) return Str(Value, 1, 0);
  const Integer D = std::clamp<Integer>(Digits, -9, 9);
  const Integer absD = D < 0 ? -D : D;
  const Integer sAbs = absD >= 2 ? absD - 1 : 0;
  const bool prefixAsPoint = D < -1;
  if (Value == 0) return strff(0, 1, sAbs);
  const Double a = std::fabs(Value);
  const Double lga = std::log10(a);
  const Integer e = static_cast<Integer>(std::floor(lga));
  const Integer g = std::clamp<Integer>(static_cast<Integer>(std::floor(lga / 3)), -6, 4);
  const Double m = a / std::pow(10.0, 3.0 * g);
  String text = strff(m, 1, std::max<Integer>(0, sAbs + 3 * g - e));
  if (g != 0) {
    const String prefix = prefixes[g + 6];
    const size_t point = text.find('.');
    if (prefixAsPoint && point != String::npos)
      text.replace(point, 1, prefix);
    else
      text += prefix;
  }
  return Value < 0 ? "-" + text : text;
}

String strf(Double Value, Integer Width, Integer Decimals) {
  if (Decimals != -2) return Str(Value, Width, Decimals);
  // The exponent surgery below needs the exponent form; special values have none.
  if (!std::isfinite(Value)) return Str(Value, Width, 0);
  String t = Str(Value, Width + 2, -1);
  const size_t L = t.size();
  const bool fits = t[L - 4] == '0' && t[L - 3] == '0';
  t.erase(L - 4, 2);
  if (!fits) t.assign(t.size(), '*');
  return t;
}

String MakeEFormat(Double Value, Integer TotalWidth, Integer MantDigits) {
  const Integer width = std::clamp<Integer>(TotalWidth, 8, 40);
  const Integer digits = std::clamp<Integer>(MantDigits, 2, 15);
  if (!std::isfinite(Value)) return Str(Value, width, 0);
  // sign position, digit, ".", digits - 1 decimals, "E", sign, four exponent digits
  const String t = Str(Value, digits + 8, -1);
  const size_t ePos = t.rfind('E');
  const size_t point = t.find('.');
  Integer exponent = static_cast<Integer>(std::strtol(t.c_str() + ePos + 1, nullptr, 10));
  if (Value != 0) ++exponent;
  const Integer absExp = exponent < 0 ? -exponent : exponent;
  String r;
  r += t[point - 2];  // the sign position: blank or "-"
  r += "0.";
  r += t[point - 1];
  r += t.substr(point + 1, ePos - point - 1);
  r += 'E';
  r += exponent < 0 ? '-' : '+';
  if (absExp < 10) r += '0';
  r += std::to_string(absExp);
  if (static_cast<Integer>(r.size()) < width)
    r.insert(0, static_cast<size_t>(width) - r.size(), ' ');
  return r;
}

// ---- bit patterns ------------------------------------------------------------------------

String FPNumToHex(Double x) {
  unsigned char b[8];
  std::memcpy(b, &x, 8);
  return HexOfBytes(b, 8);
}

String FPNumToHex(Extended x) {
  // Only the first ten bytes of a long double hold the value; the rest is padding.
  unsigned char b[sizeof(Extended)];
  std::memset(b, 0, sizeof b);
  std::memcpy(b, &x, sizeof(Extended));
  return HexOfBytes(b, 10);
}

String FPNumToHex(Single x) {
  unsigned char b[4];
  std::memcpy(b, &x, 4);
  return HexOfBytes(b, 4);
}

Double HexToDouble(const String& HexStr) {
  unsigned char b[8];
  BytesOfHex(HexStr, b, 8, "HexToDouble");
  Double x;
  std::memcpy(&x, b, 8);
  return x;
}

Extended HexToExtended(const String& HexStr) {
  unsigned char b[sizeof(Extended)];
  std::memset(b, 0, sizeof b);
  BytesOfHex(HexStr, b, 10, "HexToExtended");
  Extended x;
  std::memcpy(&x, b, sizeof(Extended));
  return x;
}

Single HexToSingle(const String& HexStr) {
  unsigned char b[4];
  BytesOfHex(HexStr, b, 4, "HexToSingle");
  Single x;
  std::memcpy(&x, b, 4);
  return x;
}

// ---- exact value text of the library's files ----------------------------------------------

String RoundTripFloatText(Double x) {
  if (std::isnan(x)) return "NAN";
  if (std::isinf(x)) return x < 0 ? "-INF" : "INF";
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, x);
  return String(buf, r.ptr);
}

String TableFloatText(Double x, Integer Width, Integer Decimals) {
  if (!std::isfinite(x)) return String();
  const String text = strff(x, Width, Decimals);
  double back = 0;
  if (TryStrToFloat(text, back) && std::isfinite(back)) return text;
  return RoundTripFloatText(x);
}

namespace {

// The non-finite spellings the writers use, in any case and with an optional sign.
bool NonFiniteFromText(const String& t, Double& Value) {
  String u = UpperCase(t);
  bool negative = false;
  if (!u.empty() && (u[0] == '+' || u[0] == '-')) {
    negative = u[0] == '-';
    u.erase(0, 1);
  }
  if (u == "NAN") {
    Value = std::numeric_limits<Double>::quiet_NaN();
    return true;
  }
  if (u == "INF") {
    Value = negative ? -std::numeric_limits<Double>::infinity()
                     : std::numeric_limits<Double>::infinity();
    return true;
  }
  return false;
}

}  // namespace

bool ScanRoundTripFloat(const String& Text, Double& Value) {
  const String t = Trim(Text);
  if (t.empty()) return false;
  Double v = 0;
  const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
  if (r.ec == std::errc() && r.ptr == t.data() + t.size()) {
    Value = v;
    return true;
  }
  // Out of range, a leading "+", or digits the exact reader does not take: the run-time's
  // conversion, to the nearest double (a number beyond the double range is infinite).
  Double d = 0;
  if (TryStrToDouble(t, d)) {
    Value = d;
    return true;
  }
  return NonFiniteFromText(t, Value);
}

bool ScanRoundTripFloat(const String& Text, long double& Value) {
  Double v = 0;
  if (!ScanRoundTripFloat(Text, v)) return false;
  Value = v;
  return true;
}
