// Number <-> text conversion of reals: parsing, general text, patterns, Str, Format.
//
// Every formatter here starts from the exact decimal expansion of the binary value (std::to_chars
// is exact and does not depend on the C locale, which Qt may set to the user's), and rounds it
// half away from zero in decimal, as the platform's formatters do.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <locale.h>
#include <stdlib.h>

#include "SysUtils.h"

namespace {

// value = 0.<digits> * 10^point ... expressed as: digits d1 d2 ... dn with `point` integer
// digits (point may be <= 0 or > n). No leading zeros; empty digits means zero.
struct Decimal {
  bool neg = false;
  String digits;
  int point = 0;
  bool zero() const { return digits.empty(); }
};

void StripZeros(Decimal& d) {
  size_t lead = 0;
  while (lead < d.digits.size() && d.digits[lead] == '0') ++lead;
  d.digits.erase(0, lead);
  d.point -= static_cast<int>(lead);
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.point = 0;
}

// Exact decimal expansion of a finite value.
Decimal Exact(long double x) {
  Decimal d;
  d.neg = std::signbit(x);
  if (x == 0) return d;
  long double ax = std::fabs(x);
  int e2 = 0;
  long double m = std::frexp(ax, &e2);  // ax = m * 2^e2, m in [0.5, 1)
  // ax = M * 2^(e2-64) with M a 64-bit integer; trailing zero bits shorten the expansion.
  auto M = static_cast<unsigned long long>(std::ldexp(m, 64));
  int e = e2 - 64;
  while (M != 0 && (M & 1u) == 0) {
    M >>= 1;
    ++e;
  }
  int precision = e < 0 ? -e : 0;
  // Fraction digits exactly `precision`; integer digits about e2 * log10(2).
  thread_local std::vector<char> buf;
  size_t need =
      static_cast<size_t>(precision) + static_cast<size_t>(e2 > 0 ? e2 : 0) * 31 / 100 + 16;
  if (buf.size() < need) buf.resize(need);
  // Values that are doubles (nearly all) take the much faster double conversion; both are exact.
  const double asDouble = static_cast<double>(ax);
  auto r =
      static_cast<long double>(asDouble) == ax
          ? std::to_chars(buf.data(), buf.data() + need, asDouble, std::chars_format::fixed,
                          precision)
          : std::to_chars(buf.data(), buf.data() + need, ax, std::chars_format::fixed, precision);
  String text(buf.data(), r.ptr);
  size_t dot = text.find('.');
  String intPart = dot == String::npos ? text : text.substr(0, dot);
  String frac = dot == String::npos ? String() : text.substr(dot + 1);
  d.digits = intPart + frac;
  d.point = static_cast<int>(intPart.size());
  StripZeros(d);
  return d;
}

// Adds one unit in the last kept digit.
void Increment(Decimal& d) {
  int i = static_cast<int>(d.digits.size()) - 1;
  while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') {
    d.digits[static_cast<size_t>(i)] = '0';
    --i;
  }
  if (i < 0) {
    d.digits.insert(d.digits.begin(), '1');
    d.point += 1;
  } else {
    d.digits[static_cast<size_t>(i)]++;
  }
}

// Keeps `keep` digits (counted from the first digit; may be <= 0), rounding half away from zero.
void RoundHalfAway(Decimal& d, int keep) {
  if (d.zero()) return;
  if (keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    d.point = 0;
    return;
  }
  bool up = d.digits[static_cast<size_t>(keep)] >= '5';
  d.digits.resize(static_cast<size_t>(keep));
  if (up) {
    if (keep == 0) {
      // 0.5 units of the first digit's place and more: one unit of that place.
      d.digits = "1";
      d.point += 1;
    } else {
      Increment(d);
    }
  }
  StripZeros(d);
}

// Correct rounding (ties to even) to `keep` >= 1 significant digits, as the hardware's decimal
// conversion does.
void RoundHalfEven(Decimal& d, int keep) {
  if (d.zero() || keep >= static_cast<int>(d.digits.size())) return;
  const size_t k = static_cast<size_t>(keep);
  char next = d.digits[k];
  bool rest = d.digits.find_first_not_of('0', k + 1) != String::npos;
  bool odd = k > 0 && (d.digits[k - 1] - '0') % 2 == 1;
  bool up = next > '5' || (next == '5' && (rest || odd));
  d.digits.resize(k);
  if (up) Increment(d);
  StripZeros(d);
}

// Rounds to `decimals` digits after the point, half away from zero.
void RoundToDecimals(Decimal& d, int decimals) { RoundHalfAway(d, d.point + decimals); }

// Digit at integer/fraction position: index 0 = first integer digit of `point` digits.
char DigitAt(const Decimal& d, int i) {
  if (i < 0 || i >= static_cast<int>(d.digits.size())) return '0';
  return d.digits[static_cast<size_t>(i)];
}

String SpecialText(long double x) {
  if (std::isnan(x)) return "NAN";
  return x < 0 ? "-INF" : "INF";
}

// Plain positional text of d (without sign): integer digits (at least "0"), and `decimals`
// digits after the point when decimals > 0.
String Positional(const Decimal& d, int decimals) {
  String s;
  if (d.point <= 0) {
// g++ 12 at -O3 sees an impossible overlap in the inlined string copy (a compiler fault).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
    s = "0";
#pragma GCC diagnostic pop
  } else {
    for (int i = 0; i < d.point; ++i) s += DigitAt(d, i);
  }
  if (decimals > 0) {
    s += '.';
    for (int i = 0; i < decimals; ++i) s += DigitAt(d, d.point + i);
  }
  return s;
}

String ExponentDigits(int e, int minDigits, bool plus) {
  String s;
  if (e < 0)
    s = "-";
  else if (plus)
    s = "+";
  String n = std::to_string(e < 0 ? -e : e);
  if (static_cast<int>(n.size()) < minDigits)
    n.insert(0, static_cast<size_t>(minDigits) - n.size(), '0');
  return s + n;
}

String GroupThousands(const String& intDigits, char sep) {
  String out;
  int n = static_cast<int>(intDigits.size());
  for (int i = 0; i < n; ++i) {
    out += intDigits[static_cast<size_t>(i)];
    int left = n - 1 - i;
    if (left > 0 && left % 3 == 0) out += sep;
  }
  return out;
}

}  // namespace

// ---- text to number -------------------------------------------------------------------------
namespace {

// Checks the syntax and produces the text std::from_chars takes (no "+", no blanks).
bool CleanNumber(const String& S, String& out) {
  size_t i = 0, n = S.size();
  while (i < n && (S[i] == ' ' || S[i] == '\t')) ++i;
  while (n > i && (S[n - 1] == ' ' || S[n - 1] == '\t')) --n;
  if (i >= n) return false;
  out.clear();
  if (S[i] == '+' || S[i] == '-') {
    if (S[i] == '-') out += '-';
    ++i;
  }
  size_t digits = 0;
  while (i < n && S[i] >= '0' && S[i] <= '9') {
    out += S[i++];
    ++digits;
  }
  if (i < n && S[i] == '.') {
    out += S[i++];
    while (i < n && S[i] >= '0' && S[i] <= '9') {
      out += S[i++];
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (i < n && (S[i] == 'e' || S[i] == 'E')) {
    out += 'e';
    ++i;
    if (i < n && (S[i] == '+' || S[i] == '-')) {
      if (S[i] == '-') out += '-';
      ++i;
    }
    size_t ed = 0;
    while (i < n && S[i] >= '0' && S[i] <= '9') {
      out += S[i++];
      ++ed;
    }
    if (ed == 0) return false;
  }
  return i == n;
}

// True when the (valid) number text is below the smallest representable magnitude rather than
// above the largest one.
bool IsUnderflow(const String& clean) {
  long long exp = 0;
  size_t e = clean.find('e');
  if (e != String::npos) {
    bool neg = clean[e + 1] == '-';
    size_t k = e + (neg ? 2 : 1);
    for (; k < clean.size(); ++k) {
      exp = exp * 10 + (clean[k] - '0');
      if (exp > 100000) break;
    }
    if (neg) exp = -exp;
  }
  String mant = clean.substr(0, e);
  size_t dot = mant.find('.');
  String ip = mant.substr(mant[0] == '-' ? 1 : 0,
                          dot == String::npos ? String::npos : dot - (mant[0] == '-' ? 1 : 0));
  size_t nz = ip.find_first_not_of('0');
  long long mag = nz == String::npos ? 0 : static_cast<long long>(ip.size() - nz);
  return mag + exp < 0;
}

template <class T>
bool ParseReal(const String& S, T& Value) {
  String clean;
  if (!CleanNumber(S, clean)) return false;
  T v{};
  auto r = std::from_chars(clean.data(), clean.data() + clean.size(), v);
  if (r.ec == std::errc::result_out_of_range) {
    if (!IsUnderflow(clean)) return false;
    v = clean[0] == '-' ? -T(0) : T(0);
  } else if (r.ec != std::errc() || r.ptr != clean.data() + clean.size()) {
    return false;
  }
  Value = v;
  return true;
}

// The "C" locale, made once: the scanners' texts never follow the user's locale.
locale_t CNumericLocale() {
  static const locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

}  // namespace

double NearestDoubleOfText(const char* Text) { return strtod_l(Text, nullptr, CNumericLocale()); }

long double NearestExtendedOfText(const char* Text) {
  return strtold_l(Text, nullptr, CNumericLocale());
}

double sysutils_detail::DecimalToNearestDoubleByText(std::uint64_t Significand, int Exponent10) {
  char text[48];
  char* end = std::to_chars(text, text + 24, Significand).ptr;
  *end++ = 'e';
  end = std::to_chars(end, text + sizeof text - 1, Exponent10).ptr;
  *end = 0;
  return NearestDoubleOfText(text);
}

bool TryStrToFloat(const String& S, double& Value) { return ParseReal(S, Value); }
bool TryStrToFloat(const String& S, long double& Value) { return ParseReal(S, Value); }

bool TryStrToDouble(const String& S, double& Value) {
  if (ParseReal(S, Value)) return true;
  // Only a number beyond the double range reads as an extended value now; it rounds to an
  // infinity.
  long double wide = 0;
  if (!ParseReal(S, wide)) return false;
  Value = static_cast<double>(wide);
  return true;
}

Extended StrToFloat(const String& S) {
  long double v;
  if (!ParseReal(S, v)) throw EConvertError("'" + S + "' is not a valid floating point value");
  return v;
}

Extended StrToFloatDef(const String& S, Extended Default) {
  long double v;
  return ParseReal(S, v) ? v : Default;
}

// ---- general text ----------------------------------------------------------------------------
namespace {

String GeneralText(long double x, int precision, int expDigits) {
  if (!std::isfinite(x)) return SpecialText(x);
  Decimal d = Exact(x);
  RoundHalfAway(d, precision);
  if (d.zero()) return "0";
  String sign = d.neg ? "-" : "";
  int e10 = d.point - 1;  // value = d.ddd * 10^e10
  if (e10 >= precision || e10 < -4) {
    String s = sign;
    s += d.digits[0];
    if (d.digits.size() > 1) s += "." + d.digits.substr(1);
    return s + "E" + ExponentDigits(e10, expDigits, false);
  }
  int decimals = static_cast<int>(d.digits.size()) - d.point;
  return sign + Positional(d, decimals > 0 ? decimals : 0);
}

}  // namespace

String FloatToStr(Extended Value) { return GeneralText(Value, 15, 0); }

String FloatToStrF(Extended Value, TFloatFormat Format, int Precision, int Digits) {
  if (Precision < 2) Precision = 2;
  if (Precision > 18) Precision = 18;
  if (Digits < 0) Digits = 0;
  if (Digits > 18) Digits = 18;
  if (!std::isfinite(Value)) return SpecialText(Value);
  switch (Format) {
    case ffGeneral: return GeneralText(Value, Precision, Digits > 4 ? 4 : Digits);
    case ffExponent: {
      Decimal d = Exact(Value);
      RoundHalfAway(d, Precision);
      int e10 = d.zero() ? 0 : d.point - 1;
      String s = d.neg && !d.zero() ? "-" : "";
      s += DigitAt(d, 0);
      s += '.';
      for (int i = 1; i < Precision; ++i) s += DigitAt(d, i);
      return s + "E" + ExponentDigits(e10, Digits > 4 ? 4 : Digits, true);
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      Decimal d = Exact(Value);
      if (!d.zero() && d.point > Precision) return FloatToStrF(Value, ffExponent, Precision, 3);
      // One rounding, at Precision significant digits or at the decimals, whichever comes
      // first (rounding twice would turn 0.12499999999999999 into "0.13"); further digits
      // are zeros.
      RoundHalfAway(d, std::min(Precision, d.point + Digits));
      String s = Positional(d, Digits);
      if (Format != ffFixed) {
        size_t dot = s.find('.');
        String ip = s.substr(0, dot);
        s = GroupThousands(ip, FormatSettings.ThousandSeparator) +
            (dot == String::npos ? String() : s.substr(dot));
      }
      return (d.neg && !d.zero() ? "-" : "") + s;
    }
  }
  return GeneralText(Value, Precision, 0);
}

// ---- pattern formatting ----------------------------------------------------------------------
namespace {

struct Pattern {
  String text;
  // Analysis
  int intZeros = 0;    // "0" before the point
  int intPlaces = 0;   // "0" and "#" before the point
  int fracZeros = 0;   // "0" after the point (counting up to the last "0")
  int fracPlaces = 0;  // "0" and "#" after the point
  bool hasPoint = false;
  bool thousands = false;
  bool exponent = false;
  char expChar = 'E';
  bool expPlus = false;
  int expDigits = 0;
};

// Splits at ";" outside quotes.
std::vector<String> Sections(const String& f) {
  std::vector<String> out(1);
  char quote = 0;
  for (char c : f) {
    if (quote != 0) {
      if (c == quote) quote = 0;
      out.back() += c;
    } else if (c == '"' || c == '\'') {
      quote = c;
      out.back() += c;
    } else if (c == ';') {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  return out;
}

Pattern Analyse(const String& f) {
  Pattern p;
  p.text = f;
  char quote = 0;
  bool afterPoint = false;
  int lastFracZero = 0, fracCount = 0;
  for (size_t i = 0; i < f.size(); ++i) {
    char c = f[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
      continue;
    }
    if (p.exponent) continue;  // text after the exponent digits is literal
    switch (c) {
      case '"':
      case '\'': quote = c; break;
      case '0':
      case '#':
        if (afterPoint) {
          ++fracCount;
          if (c == '0') lastFracZero = fracCount;
        } else {
          ++p.intPlaces;
          if (c == '0') ++p.intZeros;
        }
        break;
      case '.':
        if (!p.hasPoint) {
          p.hasPoint = true;
          afterPoint = true;
        }
        break;
      case ',':
        if (!afterPoint) p.thousands = true;
        break;
      case 'E':
      case 'e':
        if (i + 1 < f.size() && (f[i + 1] == '+' || f[i + 1] == '-')) {
          p.exponent = true;
          p.expChar = c;
          p.expPlus = f[i + 1] == '+';
          size_t k = i + 2;
          while (k < f.size() && f[k] == '0') {
            ++p.expDigits;
            ++k;
          }
        }
        break;
      default: break;
    }
  }
  p.fracPlaces = fracCount;
  p.fracZeros = lastFracZero;
  return p;
}

// Rounded digits the section prints for x (sign dropped).
Decimal RoundFor(const Pattern& p, long double x, int& e10) {
  Decimal d = Exact(x);
  e10 = 0;
  if (p.exponent) {
    int lead = p.intPlaces;  // digits before the point in the mantissa
    if (d.zero()) return d;
    // mantissa = value / 10^e10 with `lead` integer digits (0 when the pattern has none).
    int sig = (lead > 0 ? lead : 0) + p.fracPlaces;
    if (sig < 1) sig = 1;
    if (sig > 18) sig = 18;
    RoundHalfAway(d, sig);
    e10 = d.point - (lead > 0 ? lead : 0);
    d.point -= e10;
    return d;
  }
  // One rounding on the exact value, at the pattern's last decimal (digits beyond the 18th
  // significant one are shown as zeros): rounding to 18 digits first would carry
  // 1.46934249999999999958 up to a tie and show "1.469343" under "0.000000".
  RoundHalfAway(d, std::min(18, d.point + p.fracPlaces));
  return d;
}

String Render(const Pattern& p, const Decimal& d, int e10) {
  // Integer digits: the rounded integer part, at least intZeros digits.
  String intDigits;
  for (int i = 0; i < d.point; ++i) intDigits += DigitAt(d, i);
  if (static_cast<int>(intDigits.size()) < p.intZeros)
    intDigits.insert(0, static_cast<size_t>(p.intZeros) - intDigits.size(), '0');
  if (p.thousands) intDigits = GroupThousands(intDigits, FormatSettings.ThousandSeparator);
  // Fraction digits: fracPlaces, trailing zeros cut back to fracZeros.
  String frac;
  for (int i = 0; i < p.fracPlaces; ++i) frac += DigitAt(d, d.point + i);
  while (static_cast<int>(frac.size()) > p.fracZeros && !frac.empty() && frac.back() == '0')
    frac.pop_back();

  String out;
  char quote = 0;
  bool intDone = false, pointDone = false;
  size_t fracIdx = 0;
  for (size_t i = 0; i < p.text.size(); ++i) {
    char c = p.text[i];
    if (quote != 0) {
      if (c == quote)
        quote = 0;
      else
        out += c;
      continue;
    }
    switch (c) {
      case '"':
      case '\'': quote = c; break;
      case '0':
      case '#':
      case ',':
        if (!pointDone) {
          if (!intDone && c != ',') {
            out += intDigits;
            intDone = true;
          }
        } else if (c != ',') {
          if (fracIdx < frac.size()) out += frac[fracIdx];
          ++fracIdx;
        }
        break;
      case '.':
        if (!pointDone) {
          if (!intDone) {
            out += intDigits;
            intDone = true;
          }
          pointDone = true;
          if (!frac.empty()) out += '.';
        } else {
          out += c;
        }
        break;
      case 'E':
      case 'e':
        if (p.exponent && i + 1 < p.text.size() && (p.text[i + 1] == '+' || p.text[i + 1] == '-')) {
          if (!intDone) {
            out += intDigits;
            intDone = true;
          }
          out += c;
          if (e10 < 0)
            out += '-';
          else if (p.expPlus)
            out += '+';
          String n = std::to_string(e10 < 0 ? -e10 : e10);
          if (static_cast<int>(n.size()) < p.expDigits)
            n.insert(0, static_cast<size_t>(p.expDigits) - n.size(), '0');
          out += n;
          i += 1;
          while (i + 1 < p.text.size() && p.text[i + 1] == '0') ++i;
          // the rest of the pattern is literal text
          for (size_t k = i + 1; k < p.text.size(); ++k) {
            char t = p.text[k];
            if (t != '"' && t != '\'') out += t;
          }
          return out;
        }
        out += c;
        break;
      default: out += c; break;
    }
  }
  return out;
}

}  // namespace

String FormatFloat(const String& Format, Extended Value) {
  if (!std::isfinite(Value)) return SpecialText(Value);
  if (Format.empty()) return FloatToStr(Value);
  std::vector<String> secs = Sections(Format);
  Pattern pos = Analyse(secs[0]);
  // Values beyond the fixed range of the pattern fall back to the general text.
  if (!pos.exponent && std::fabs(Value) >= 1e18L) return FloatToStr(Value);
  bool negative = Value < 0;
  const String* chosen = &secs[0];
  if (negative && secs.size() >= 2 && !secs[1].empty()) chosen = &secs[1];
  Pattern p = chosen == &secs[0] ? pos : Analyse(*chosen);
  int e10 = 0;
  Decimal d = RoundFor(p, Value, e10);
  if (d.zero()) {
    // Zero, or rounds to zero: the zero section if there is one, else the first section
    // without a sign.
    if (secs.size() >= 3 && !secs[2].empty()) {
      Pattern z = Analyse(secs[2]);
      Decimal zd;
      return Render(z, zd, 0);
    }
    Decimal zd;
    return Render(pos, zd, 0);
  }
  String body = Render(p, d, e10);
  if (negative && chosen == &secs[0]) return "-" + body;
  return body;
}

// ---- Str(x : w : d) --------------------------------------------------------------------------
namespace {

String PadLeft(const String& s, int width) {
  if (width > 0 && static_cast<int>(s.size()) < width)
    return String(static_cast<size_t>(width) - s.size(), ' ') + s;
  return s;
}

// The 18-significant-digit expansion the run-time works on.
Decimal Decimal18(long double x) {
  Decimal d = Exact(x);
  RoundHalfEven(d, 18);
  return d;
}

}  // namespace

String Str(Extended X, int Width, int Decimals) {
  if (Width > 255) Width = 255;
  if (std::isnan(X)) return PadLeft("Nan", Width);
  if (std::isinf(X)) return PadLeft(X > 0 ? "+Inf" : "-Inf", Width);
  Decimal d = Decimal18(X);
  int e10 = d.zero() ? 0 : d.point - 1;
  if (Decimals >= 0 && std::fabs(X) <= 6.64613997892457936e35L && e10 > -36 && e10 < 36) {
    if (Decimals > 216) Decimals = 216;
    RoundToDecimals(d, Decimals);
    String s = Positional(d, Decimals);
    if (d.neg && !d.zero()) s = "-" + s;
    return PadLeft(s, Width);
  }
  int w = Width < 10 ? 10 : Width;
  int decimals = w - 9;
  if (decimals > 17) decimals = 17;
  RoundHalfAway(d, decimals + 1);
  e10 = d.zero() ? 0 : d.point - 1;
  String s = d.neg ? "-" : " ";
  s += DigitAt(d, 0);
  s += '.';
  for (int i = 1; i <= decimals; ++i) s += DigitAt(d, i);
  s += "E";
  s += ExponentDigits(e10, 4, true);
  return PadLeft(s, w);
}

String Str(Extended X, int Width) { return Str(X, Width, -1); }
String Str(Extended X) { return Str(X, 23, -1); }

// ---- Format ----------------------------------------------------------------------------------
namespace {

[[noreturn]] void FormatError(const String& Fmt) {
  throw EConvertError("Format '" + Fmt + "' invalid or incompatible with argument");
}

String CFloat(long double v, char conv, int prec, bool alt) {
  // std::to_chars renders like printf in the C locale.
  if (!std::isfinite(v)) {
    String s = std::isnan(v) ? "nan" : (v < 0 ? "-inf" : "inf");
    if (conv == 'E' || conv == 'G') {
      for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return s;
  }
  char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(conv)));
  std::chars_format f = lc == 'f'   ? std::chars_format::fixed
                        : lc == 'e' ? std::chars_format::scientific
                                    : std::chars_format::general;
  if (lc == 'g' && prec == 0) prec = 1;
  std::vector<char> buf(static_cast<size_t>(prec) + 5100);
  auto r = std::to_chars(buf.data(), buf.data() + buf.size(), v, f, prec);
  String s(buf.data(), r.ptr);
  if (lc == 'e' || lc == 'g') {
    // C writes at least two exponent digits.
    size_t e = s.find('e');
    if (e != String::npos) {
      String mant = s.substr(0, e);
      char sign = s[e + 1];
      String digits = s.substr(e + 2);
      if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
      s = mant + "e" + sign + digits;
    }
  }
  if (alt && s.find('.') == String::npos) {
    size_t e = s.find('e');
    s.insert(e == String::npos ? s.size() : e, ".");
  }
  if (conv == 'E' || conv == 'G') {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return s;
}

}  // namespace

String FormatV(const String& Fmt, const std::vector<TFormatArg>& Args) {
  String out;
  size_t argi = 0;
  auto nextArg = [&]() -> const TFormatArg& {
    if (argi >= Args.size()) FormatError(Fmt);
    return Args[argi++];
  };
  auto intArg = [&](const TFormatArg& a) -> Int64 {
    if (a.kind == TFormatArg::Kind::Int) return a.i;
    if (a.kind == TFormatArg::Kind::UInt) return static_cast<Int64>(a.u);
    FormatError(Fmt);
  };
  for (size_t i = 0; i < Fmt.size(); ++i) {
    char c = Fmt[i];
    if (c != '%') {
      out += c;
      continue;
    }
    if (++i >= Fmt.size()) FormatError(Fmt);
    if (Fmt[i] == '%') {
      out += '%';
      continue;
    }
    bool left = false, zero = false, plus = false, space = false, alt = false;
    for (; i < Fmt.size(); ++i) {
      char f = Fmt[i];
      if (f == '-')
        left = true;
      else if (f == '0')
        zero = true;
      else if (f == '+')
        plus = true;
      else if (f == ' ')
        space = true;
      else if (f == '#')
        alt = true;
      else
        break;
    }
    int width = 0, prec = -1;
    if (i < Fmt.size() && Fmt[i] == '*') {
      width = static_cast<int>(intArg(nextArg()));
      if (width < 0) {
        left = true;
        width = -width;
      }
      ++i;
    } else {
      while (i < Fmt.size() && std::isdigit(static_cast<unsigned char>(Fmt[i])))
        width = width * 10 + (Fmt[i++] - '0');
    }
    if (i < Fmt.size() && Fmt[i] == '.') {
      ++i;
      prec = 0;
      if (i < Fmt.size() && Fmt[i] == '*') {
        prec = static_cast<int>(intArg(nextArg()));
        ++i;
      } else {
        while (i < Fmt.size() && std::isdigit(static_cast<unsigned char>(Fmt[i])))
          prec = prec * 10 + (Fmt[i++] - '0');
      }
    }
    // length modifiers are accepted and ignored
    while (i < Fmt.size() &&
           (Fmt[i] == 'l' || Fmt[i] == 'h' || Fmt[i] == 'L' || Fmt[i] == 'z' || Fmt[i] == 'j'))
      ++i;
    if (i >= Fmt.size()) FormatError(Fmt);
    char conv = Fmt[i];
    const TFormatArg& a = nextArg();
    String body, sign;
    bool numeric = true;
    switch (conv) {
      case 'd':
      case 'i': {
        Int64 v = intArg(a);
        std::uint64_t mag =
            v < 0 ? (~static_cast<std::uint64_t>(v) + 1) : static_cast<std::uint64_t>(v);
        body = std::to_string(mag);
        if (prec >= 0 && static_cast<int>(body.size()) < prec)
          body.insert(0, static_cast<size_t>(prec) - body.size(), '0');
        if (prec == 0 && v == 0) body.clear();
// g++ 12 at -O3 sees an impossible overlap in the inlined string copy (a compiler fault).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
        sign = v < 0 ? "-" : plus ? "+" : space ? " " : "";
#pragma GCC diagnostic pop
        break;
      }
      case 'u':
      case 'x':
      case 'X': {
        std::uint64_t v =
            a.kind == TFormatArg::Kind::UInt ? a.u : static_cast<std::uint64_t>(intArg(a));
        if (conv == 'u') {
          body = std::to_string(v);
        } else {
          char buf[32];
          auto r = std::to_chars(buf, buf + sizeof buf, v, 16);
          body.assign(buf, r.ptr);
          if (conv == 'X')
            for (auto& ch : body)
              ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
          if (alt && v != 0) sign = conv == 'X' ? "0X" : "0x";
        }
        if (prec >= 0 && static_cast<int>(body.size()) < prec)
          body.insert(0, static_cast<size_t>(prec) - body.size(), '0');
        break;
      }
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G': {
        long double v;
        if (a.kind == TFormatArg::Kind::Real)
          v = a.r;
        else if (a.kind == TFormatArg::Kind::Int)
          v = static_cast<long double>(a.i);
        else if (a.kind == TFormatArg::Kind::UInt)
          v = static_cast<long double>(a.u);
        else
          FormatError(Fmt);
        body = CFloat(std::fabs(v), conv == 'F' ? 'f' : conv, prec < 0 ? 6 : prec, alt);
        if (std::isnan(v))
          sign = plus ? "+" : space ? " " : "";
        else
          sign = std::signbit(v) ? "-" : plus ? "+" : space ? " " : "";
        if (std::isnan(v) || std::isinf(v)) zero = false;
        break;
      }
      case 's': {
        numeric = false;
        if (a.kind == TFormatArg::Kind::Text)
          body = a.s;
        else if (a.kind == TFormatArg::Kind::Int)
          body = IntToStr(a.i);
        else if (a.kind == TFormatArg::Kind::UInt)
          body = std::to_string(a.u);
        else
          body = FloatToStr(a.r);
        if (prec >= 0 && static_cast<int>(body.size()) > prec)
          body.resize(static_cast<size_t>(prec));
        break;
      }
      case 'c': {
        numeric = false;
        if (a.kind == TFormatArg::Kind::Text)
          body = a.s.substr(0, 1);
        else
          body = String(1, static_cast<char>(intArg(a)));
        break;
      }
      default: FormatError(Fmt);
    }
    int len = static_cast<int>(sign.size() + body.size());
    if (len >= width) {
      out += sign + body;
    } else if (left) {
      out += sign + body + String(static_cast<size_t>(width - len), ' ');
    } else if (zero && numeric &&
               (prec < 0 || conv == 'f' || conv == 'e' || conv == 'g' || conv == 'E' ||
                conv == 'G' || conv == 'F')) {
      out += sign + String(static_cast<size_t>(width - len), '0') + body;
    } else {
      out += String(static_cast<size_t>(width - len), ' ') + sign + body;
    }
  }
  return out;
}
