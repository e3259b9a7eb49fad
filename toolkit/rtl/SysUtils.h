#pragma once
// Run-time utilities: number <-> text conversion, text helpers, date and time, files.
//
// Numbers: "." is the decimal separator of every conversion here, whatever the user's locale
// (the C library's locale is never consulted). FormatSettings.DecimalSeparator exists for code
// that asks for "the system's separator"; it is '.' by default and the program forces '.'.

#include <cfloat>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <string_view>
#include <type_traits>
#include <vector>

#include "System.h"

// ---- locale settings ---------------------------------------------------------------------
struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '-';
  char TimeSeparator = ':';
  String ShortDateFormat = "yyyy-mm-dd";
  String LongTimeFormat = "hh:nn:ss";
  // Two-digit years: a year yy is placed in the century that puts it within
  // TwoDigitYearCenturyWindow years before today's year .. 100 - window years after it.
  Word TwoDigitYearCenturyWindow = 50;
};
extern TFormatSettings FormatSettings;

// ---- integers ----------------------------------------------------------------------------
String IntToStr(Int64 Value);
// Upper-case hexadecimal, at least Digits digits (zero-padded); a negative value shows the two's
// complement of its own type's width (IntToHex(Integer(-1), 8) = "FFFFFFFF").
String IntToHexBits(std::uint64_t Value, int Digits);
template <class T, std::enable_if_t<std::is_integral_v<T>, int> = 0>
inline String IntToHex(T Value, int Digits) {
  return IntToHexBits(static_cast<std::uint64_t>(static_cast<std::make_unsigned_t<T>>(Value)),
                      Digits);
}
// Decimal with optional sign, or hexadecimal with a leading "$" or "0x". Leading blanks are
// skipped, anything after the digits (trailing blanks too) fails. Raises EConvertError
// ("'abc' is not a valid integer value") on failure or overflow.
Integer StrToInt(const String& S);
Int64 StrToInt64(const String& S);
Integer StrToIntDef(const String& S, Integer Default);
Int64 StrToInt64Def(const String& S, Int64 Default);
bool TryStrToInt(const String& S, Integer& Value);
bool TryStrToInt64(const String& S, Int64& Value);

// ---- reals: text to number ---------------------------------------------------------------
// Accepted: optional blanks, optional sign, digits with an optional "." (".5" and "5." are
// numbers), an optional exponent "e"/"E" with optional sign and digits, optional blanks.
// Rejected: "", blanks only, "1,5", "1.2.3", "inf", "nan", hexadecimal, any other character.
// Converted with 64-bit mantissa precision (long double). An out-of-range value fails.
// StrToFloat raises EConvertError ("'1,5' is not a valid floating point value").
Extended StrToFloat(const String& S);
Extended StrToFloatDef(const String& S, Extended Default);
bool TryStrToFloat(const String& S, double& Value);
bool TryStrToFloat(const String& S, long double& Value);
// The texts TryStrToFloat(S, long double) accepts, each rounded once to the nearest double
// (not through the extended value); a number beyond the double range gives +-infinity.
bool TryStrToDouble(const String& S, double& Value);
// The number text a scanner has collected: optional blanks and sign, digits with an optional
// ".", an optional exponent ("e" or "E", optional sign, digits). An exponent letter without
// digits, and whatever follows the number, is not part of it. Read to the nearest double, as
// strtod reads it in the "C" locale (ties to even): +-infinity beyond the double range, the
// nearest subnormal or a signed 0 below it, 0 when the text starts no number. The library's
// number scanners all convert here, so a text means the same double to every reader.
double NearestDoubleOfText(const char* Text);
// The same to the nearest long double, for the scanners whose result is extended.
long double NearestExtendedOfText(const char* Text);

// Significand * 10^Exponent10 rounded once to the nearest double (as NearestDoubleOfText reads
// its digits). Inline, because the readers of long number columns call it once per field.
namespace sysutils_detail {
inline constexpr int MaxExactDoublePow10 = 22;
struct TExactDoublePowers {
  double p[MaxExactDoublePow10 + 1];
};
constexpr TExactDoublePowers MakeExactDoublePowers() {
  TExactDoublePowers t{};
  double v = 1;
  for (int k = 0; k <= MaxExactDoublePow10; ++k) {
    t.p[k] = v;
    v *= 10;
  }
  return t;
}
inline constexpr TExactDoublePowers ExactDoublePow10 = MakeExactDoublePowers();
// Double arithmetic rounds each operation once, to double (no wider evaluation).
inline constexpr bool PlainDoubleArithmetic =
    std::numeric_limits<double>::is_iec559 && FLT_EVAL_METHOD == 0;
double DecimalToNearestDoubleByText(std::uint64_t Significand, int Exponent10);
}  // namespace sysutils_detail

inline double DecimalToNearestDouble(std::uint64_t Significand, int Exponent10) {
  using namespace sysutils_detail;
  // A significand up to 2^53 and a power of ten up to 10^22 are both exact doubles, so the one
  // multiplication or division rounds once: the nearest double. Anything else goes through
  // the general conversion.
  if (PlainDoubleArithmetic && Significand <= (std::uint64_t{1} << 53) &&
      Exponent10 >= -MaxExactDoublePow10 && Exponent10 <= MaxExactDoublePow10) {
    const double s = static_cast<double>(Significand);
    return Exponent10 >= 0 ? s * ExactDoublePow10.p[Exponent10] : s / ExactDoublePow10.p[-Exponent10];
  }
  return DecimalToNearestDoubleByText(Significand, Exponent10);
}

// ---- reals: number to text ---------------------------------------------------------------
enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// General format, 15 significant digits, the shortest text: 2460324.5 -> "2460324.5",
// 1e-5 -> "1E-5", 1e15 -> "1E15", 0.1 -> "0.1", 100 -> "100". Exponent form is used below 1e-4
// in magnitude (0.0001 -> "0.0001") and for values of more than 15 integer digits.
// Rounding to 15 digits is half away from zero on the exact decimal value.
// Infinite and NaN values give "INF", "-INF", "NAN".
String FloatToStr(Extended Value);

// ffGeneral: Precision significant digits, shortest form, exponent form when the decimal
//   exponent (d.ddd * 10^e) is >= Precision or < -4, exponent at least Digits digits (0..4).
// ffExponent: "d.dddE+xx": Precision significant digits, exponent with sign and at least
//   Digits digits.
// ffFixed: Digits decimals (exponent form when the value has more than Precision integer digits).
// ffNumber: like ffFixed with thousands separators.
// Precision is clamped to 2..18, Digits to 0..18. Rounding is half away from zero on the
// decimal expansion.
String FloatToStrF(Extended Value, TFloatFormat Format, int Precision, int Digits);

// Pattern formatting. Pattern characters:
//   "0"  digit always shown;  "#"  digit shown only when significant (before the point: not a
//   leading zero; after it: not a trailing zero);  "."  the decimal point (the first one);
//   ","  thousands separation of the integer part (anywhere in the integer part);
//   "E+" "E-" "e+" "e-"  exponent form, followed by "0"s giving the minimum exponent digits
//   ("+" always writes the sign, "-" only a minus);  "'...'" and "\"...\"" literal text;
//   ";"  separates sections: positive;negative;zero (the negative section prints no minus
//   sign of its own). Any other character is copied.
// Rounding: half away from zero on the exact decimal value of the binary number, at the
// number of digits the pattern shows (so 19.625 -> "19.63" under "#0.00", while 2.675, whose
// binary value is 2.67499999..., gives "2.67"). With no digit before the point ("#.##") a
// value below 1 shows no leading zero ("#.##" on 0.5 -> ".5"); a point with no decimals
// left after "#" removal is dropped ("#.##" on 3 -> "3"). A value that rounds to zero
// prints without a minus ("0.00" on -0.001 -> "0.00"), and an all-"#" pattern on zero gives "".
// Digits beyond the 18th significant one print as "0". An empty pattern, and a value of 1e18
// or more under a pattern without exponent, give FloatToStr's text. Infinite and NaN values
// give "INF", "-INF", "NAN".
String FormatFloat(const String& Format, Extended Value);

// printf-like formatting with C's rules in the "C" locale (the user's locale never changes
// the output): %d %i %u %x %X %s %c %f %e %E %g %G %%, each with optional flags "-" (left-justify),
// "0" (zero padding), "+" and " ", a width and ".precision" ("*" takes them from the arguments).
// %d/%u/%x take integers, %f/%e/%g take reals or integers, %s takes text (numbers are written
// as by IntToStr / FloatToStr). "%12.4f" rounds the binary value as C does.
// Raises EConvertError for an unknown conversion, a type mismatch or a missing argument.
struct TFormatArg {
  enum class Kind { Int, UInt, Real, Text };
  Kind kind;
  Int64 i = 0;
  std::uint64_t u = 0;
  long double r = 0;
  String s;
  template <class T, std::enable_if_t<std::is_integral_v<T> && std::is_signed_v<T> &&
                                          !std::is_same_v<T, bool> && !std::is_same_v<T, char>,
                                      int> = 0>
  TFormatArg(T v) : kind(Kind::Int), i(v) {}
  template <class T, std::enable_if_t<std::is_integral_v<T> && std::is_unsigned_v<T> &&
                                          !std::is_same_v<T, bool>,
                                      int> = 0>
  TFormatArg(T v) : kind(Kind::UInt), u(v) {}
  TFormatArg(bool v) : kind(Kind::Int), i(v ? 1 : 0) {}
  TFormatArg(char c) : kind(Kind::Text), s(1, c) {}
  TFormatArg(float v) : kind(Kind::Real), r(v) {}
  TFormatArg(double v) : kind(Kind::Real), r(v) {}
  TFormatArg(long double v) : kind(Kind::Real), r(v) {}
  TFormatArg(const char* v) : kind(Kind::Text), s(v != nullptr ? v : "") {}
  TFormatArg(const String& v) : kind(Kind::Text), s(v) {}
  TFormatArg(std::string_view v) : kind(Kind::Text), s(v) {}
};
String FormatV(const String& Fmt, const std::vector<TFormatArg>& Args);
inline String Format(const String& Fmt, std::initializer_list<TFormatArg> Args) {
  return FormatV(Fmt, std::vector<TFormatArg>(Args));
}
template <class... A>
String Format(const String& Fmt, const A&... Args) {
  return FormatV(Fmt, std::vector<TFormatArg>{TFormatArg(Args)...});
}

// The run-time's real-number text output Str(X : Width : Decimals).
// Fixed form when Decimals >= 0, |X| <= 6.64613997892457936e35 and the decimal exponent of X is
// below 36 in magnitude: Decimals (at most 216) decimals, right-aligned in at least Width
// characters, never cut. Otherwise the exponent form, filling max(Width, 10) characters: a sign
// position (blank or "-"), one digit, ".", max(Width, 10) - 9 decimals, "E", the exponent's
// sign and four exponent digits, e.g. Str(-12.3456789, 25, -1) = "-1.2345678900000000E+0001";
// beyond 26 characters the mantissa keeps 18 digits and blanks fill the front.
// The value is first taken to 18 significant digits (correctly rounded, as the hardware's
// decimal conversion does), then rounded half away from zero to the digits shown; digits
// beyond the 18th print as "0".
// Infinite and NaN values give "+Inf", "-Inf", "Nan", right-aligned in Width.
// A value that rounds to zero in the fixed form prints without "-".
String Str(Extended X, int Width, int Decimals);
// Str(X : Width): the exponent form in Width characters.
String Str(Extended X, int Width);
// Str(X): the exponent form in 23 characters: sign position, digit, point, 14 decimals,
// "E", sign, four digits (" 1.23450000000000E+0001").
String Str(Extended X);

// ---- rounding ----------------------------------------------------------------------------
// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2). Raises EInvalidOp for
// NaN, infinities and values outside the 64-bit range.
Int64 Round(Extended X);
// Toward zero; EInvalidOp as Round.
Int64 Trunc(Extended X);
// Fractional part with the sign of X; integer part toward zero, as a real.
Extended Frac(Extended X);
Extended Int(Extended X);

// ---- text helpers (bytes; ASCII case folding) --------------------------------------------
String Trim(const String& S);  // removes characters <= ' ' at both ends
String TrimLeft(const String& S);
String TrimRight(const String& S);
String UpperCase(const String& S);  // 'a'..'z' only
String LowerCase(const String& S);  // 'A'..'Z' only
// One byte of the two above: every byte but a letter of A-Z or a-z, those of UTF-8 sequences
// among them, stays as it is.
constexpr char UpperCaseChar(char C) {
  return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C;
}
constexpr char LowerCaseChar(char C) {
  return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C;
}
bool SameText(const String& A, const String& B);    // ASCII case-insensitive equality
int CompareText(const String& A, const String& B);  // <0, 0, >0 ignoring ASCII case
int CompareStr(const String& A, const String& B);   // <0, 0, >0 by byte value
// 1-based position of SubStr in S, 0 when absent (also for an empty SubStr).
int Pos(const String& SubStr, const String& S);
// As Pos, searching from Offset (1-based); 0 when Offset < 1 or beyond the text.
int PosEx(const String& SubStr, const String& S, int Offset = 1);
// Count bytes from Index (1-based). Index < 1 is taken as 1, a count beyond the end is cut,
// Index beyond the end or Count <= 0 gives "".
String Copy(const String& S, int Index, int Count);
// Removes Count bytes from Index (1-based); nothing for Index outside 1..Length or Count <= 0.
void Delete(String& S, int Index, int Count);
// Inserts Source before Index (1-based); Index < 1 inserts at the front, beyond the end appends.
void Insert(const String& Source, String& S, int Index);
using TReplaceFlags = unsigned;
constexpr TReplaceFlags rfReplaceAll = 1;
constexpr TReplaceFlags rfIgnoreCase = 2;
String StringReplace(const String& S, const String& OldPattern, const String& NewPattern,
                     TReplaceFlags Flags);
String StringOfChar(char Ch, int Count);
// Puts the text in single quotes, doubling each quote inside it.
String QuotedStr(const String& S);

// ---- date and time -----------------------------------------------------------------------
// Days since 30 December 1899 0:00; the time of day is the fraction. Before 1899 the value is
// negative and the fraction still counts forward from midnight (its absolute value is used).
using TDateTime = double;
constexpr double MSecsPerDay = 86400000.0;
constexpr double SecsPerDay = 86400.0;
constexpr double UnixDateDelta = 25569.0;  // 1 January 1970 as a TDateTime

bool IsLeapYear(Word Year);
// MonthDays[IsLeapYear(y)][m], m = 1..12 (index 0 unused).
extern const Word MonthDays[2][13];
Word DaysInAMonth(Word Year, Word Month);

// Raise EConvertError ("Invalid argument to date encode" / "... time encode") for an impossible
// date (2023-02-29, month 13, year 0) or time (hour 24, minute 60, second 60, ms 1000).
TDateTime EncodeDate(Word Year, Word Month, Word Day);
TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec);
bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date);
bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time);
TDateTime EncodeDateTime(Word Year, Word Month, Word Day, Word Hour, Word Min, Word Sec, Word MSec);
void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day);
void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec);
void DecodeDateTime(TDateTime DT, Word& Year, Word& Month, Word& Day, Word& Hour, Word& Min,
                    Word& Sec, Word& MSec);
// 1 = Sunday ... 7 = Saturday.
Word DayOfWeek(TDateTime DT);

// The clock: seconds since 1 January 1970 UTC, with fraction. Tests replace it; an empty
// function restores the system clock.
using TClockFunction = std::function<double()>;
void SetClockForTesting(TClockFunction Clock);
double CurrentUnixTime();

// Local date and time on the captured time zone (see TimeZone.h) and the clock above.
TDateTime Now();
TDateTime Date();
TDateTime Time();
TDateTime UnixToDateTime(double UnixSeconds);
double DateTimeToUnix(TDateTime DT);

// Format tokens: d dd ddd dddd (day, weekday abbreviation/name), m mm mmm mmmm (month; after
// h or hh it means minutes), yy yyyy, h hh, n nn, s ss, z zzz, am/pm a/p (12-hour clock),
// c (short date + long time), / and : (separators), '...' and "..." literal text.
// Names are English.
String FormatDateTime(const String& Format, TDateTime DT);
// ShortDateFormat, plus LongTimeFormat when the time is not midnight.
String DateTimeToStr(TDateTime DT);
String DateToStr(TDateTime DT);
String TimeToStr(TDateTime DT);

// ---- files -------------------------------------------------------------------------------
constexpr char PathDelim = '/';
bool FileExists(const String& FileName);  // a regular file (or a link to one)
bool DirectoryExists(const String& Dir);
bool DeleteFile(const String& FileName);  // false when missing or not removable
// Fails (false) when NewName exists, leaving both files as they were, and when OldName is
// missing.
bool RenameFile(const String& OldName, const String& NewName);
// Copies the bytes of Source into Dest (created or replaced; with FailIfExists an existing
// Dest makes it fail). A failed copy leaves no partial Dest.
bool CopyFileBytes(const String& Source, const String& Dest, bool FailIfExists = false);
// Writes Bytes as the whole new content of FileName (created or replaced). The bytes go to a
// file beside it first and take its place only when all were written, so a failure (a full
// disk, say) leaves the old file as it was. When FileName is a symbolic link (or a chain of
// them, relative targets taken from the link's folder), the file it points to is replaced
// and the link stays: the new file is written beside that target. A loop of links fails.
bool WriteFileReplacing(const String& FileName, const String& Bytes);
// The name of a temporary file beside FileName that a writer fills before renaming it over
// FileName: FileName followed by Suffix. Where that would pass the file-name limit (255
// bytes), the file name is cut (at a character's start) and followed by a digest of the whole
// name, so every name that fits has a temporary name that fits too.
String TemporaryNameBeside(const String& FileName, const String& Suffix);
// The file a chain of symbolic links ends at (FileName itself when it is no link). A link to
// a missing file gives the missing file's name; a loop gives FileName.
String SymbolicLinkTarget(const String& FileName);
bool ForceDirectories(const String& Dir);  // creates missing parents; true if it exists
bool CreateDir(const String& Dir);
bool RemoveDir(const String& Dir);               // an empty folder only
String ExtractFileName(const String& FileName);  // after the last "/"
String ExtractFilePath(const String& FileName);  // up to and including the last "/"
String ExtractFileDir(const String& FileName);   // as ExtractFilePath without the last "/"
String ExtractFileExt(const String& FileName);   // from the last "." of the name part, "." included
String ChangeFileExt(const String& FileName, const String& Extension);
String IncludeTrailingPathDelimiter(const String& S);
String ExcludeTrailingPathDelimiter(const String& S);
String ExpandFileName(const String& FileName);  // absolute, "." and ".." resolved lexically
String GetCurrentDir();
bool SetCurrentDir(const String& Dir);
Int64 FileSizeOf(const String& FileName);  // -1 when missing

// ---- memory ------------------------------------------------------------------------------
// The most memory the process can hope to hold: physical memory plus swap, lowered by the
// process's address-space and data limits and by its control group's memory limit. A request
// beyond it cannot succeed; the kernel would end the process while the memory is filled.
std::uint64_t ObtainableMemoryBytes();
