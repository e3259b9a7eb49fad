#include "DOV_math1.h"

#include "SysUtils.h"

namespace {

const String FormatLetters = "HMdhmsty";

// Bytes of the first n characters of s (UTF-8 sequences count as one character).
size_t CharBytes(const String& s, size_t n) {
  size_t i = 0;
  for (size_t k = 0; k < n && i < s.size(); ++k) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
  }
  return i;
}

struct TDateScan {
  String Text;
  Integer Err = 0;
  Int64 Year = 0, Month = 0, Day = 0, Hour = 0, Minute = 0, Second = 0;
  // Whether the text gave a month or a day (a value, a name, even 0), as opposed to a format
  // without one.
  bool HaveMonth = false, HaveDay = false;
  bool Clock12 = false, Pm = false;
  bool ScannedDigits = false;

  // The first n characters as an integer; -3 when they do not convert (unless lenient).
  Int64 Fixed(size_t n, bool lenient = false) {
    const size_t bytes = CharBytes(Text, n);
    Integer v = 0;
    if (!TryStrToInt(Text.substr(0, bytes), v)) {
      if (!lenient) Err = -3;
      v = 0;
    }
    Text.erase(0, bytes);
    return v;
  }

  // Blanks, a sign and digits; a run without digits makes the token a literal of its letter.
  Int64 Scanned(char letter) {
    size_t i = 0;
    while (i < Text.size() && Text[i] == ' ') ++i;
    bool negative = false;
    if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) negative = Text[i++] == '-';
    const size_t digitsFrom = i;
    std::uint32_t v = 0;  // wraps at 32 bits, as the decimal scanner does
    for (; i < Text.size() && Text[i] >= '0' && Text[i] <= '9'; ++i) v = v * 10 + (Text[i] - '0');
    ScannedDigits = i != digitsFrom;
    if (!ScannedDigits) {
      Literal(String(1, letter));
      return 0;
    }
    Text.erase(0, i);
    const Integer value = static_cast<Integer>(v);
    return negative ? -Int64(value) : Int64(value);
  }

  void Literal(const String& lit) {
    if (Text.compare(0, lit.size(), lit) == 0)
      Text.erase(0, lit.size());
    else
      Err = -1;
  }

  // The index of the first name that, folded, begins the folded text; consumes it.
  Int64 Name(const char* const* names, int count, bool exactFirst3) {
    const String folded = LowerCase(Text);
    for (int i = 1; i <= count; ++i) {
      const String name = LowerCase(names[i]);
      if (exactFirst3) {
        const size_t bytes = CharBytes(folded, 3);
        if (folded.substr(0, bytes) == name) {
          Text.erase(0, bytes);
          return i;
        }
      } else if (!name.empty() && folded.compare(0, name.size(), name) == 0) {
        Text.erase(0, name.size());
        return i;
      }
    }
    Err = -3;
    return 0;
  }

  void Token(const String& run, TLanguage lg) {
    const char f = run[0];
    const size_t n = run.size();
    if (f == 'y' && n == 4)
      Year = Fixed(4);
    else if (f == 'y' && n == 2) {
      Year = Fixed(2, true);
      const Integer window = FormatSettings.TwoDigitYearCenturyWindow;
      Word thisYear = 0, m = 0, d = 0;
      DecodeDate(Now(), thisYear, m, d);
      const Int64 c = thisYear - window;
      Year += (c / 100) * 100;
      if (window > 0 && Year < c) Year += 100;
    } else if (f == 'M' && n == 4) {
      Month = Name(MonthLong[lg], 12, false);
      HaveMonth = true;
    } else if (f == 'M' && n == 3) {
      Month = Name(MonthShort[lg], 12, true);
      HaveMonth = true;
    } else if (f == 'M' && n == 2) {
      Month = Fixed(2);
      HaveMonth = true;
    } else if (f == 'M' && n == 1) {
      Month = Scanned('M');
      HaveMonth = HaveMonth || ScannedDigits;
    } else if (f == 'd' && n == 4)
      Name(WeekDayLong[lg], 7, false);
    else if (f == 'd' && n == 3)
      Name(WeekDayShort[lg], 7, false);
    else if (f == 'd' && n == 2) {
      Day = Fixed(2);
      HaveDay = true;
    } else if (f == 'd' && n == 1) {
      Day = Scanned('d');
      HaveDay = HaveDay || ScannedDigits;
    } else if ((f == 'H' || f == 'h') && n == 2)
      Hour = Fixed(2);
    else if ((f == 'H' || f == 'h') && n == 1)
      Hour = Scanned(f);
    else if (f == 'm' && n == 2)
      Minute = Fixed(2);
    else if (f == 'm' && n == 1)
      Minute = Scanned('m');
    else if (f == 's' && n == 2)
      Second = Fixed(2);
    else if (f == 's' && n == 1)
      Second = Scanned('s');
    else if (f == 't' && n <= 2) {
      Pm = n == 1 ? !(Text.size() >= 1 && LowerCaseChar(Text[0]) == 'a')
                  : LowerCase(Text.substr(0, 2)) != "am";
      Text.erase(0, std::min(n, Text.size()));
    } else {
      Err = -2;
    }
    if (f == 'h' && n <= 2 && Err == 0) Clock12 = true;
  }
};

}  // namespace

TDateTime ScanDateTime(const String& Instring, const String& Format, TLanguage Language,
                       Integer& ErrCode) {
  TDateScan s;
  s.Text = Instring;
  const TLanguage lg = Language >= lgUnknown && Language <= lgSpanish ? Language : lgUnknown;
  size_t i = 0;
  while (i < Format.size() && s.Err == 0) {
    const char f = Format[i];
    if (f == '\'') {
      String lit;
      ++i;
      while (i < Format.size()) {
        if (Format[i] == '\'') {
          if (i + 1 < Format.size() && Format[i + 1] == '\'') {
            lit += '\'';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        lit += Format[i++];
      }
      s.Literal(lit);
    } else if (FormatLetters.find(f) != String::npos) {
      size_t j = i;
      while (j < Format.size() && Format[j] == f) ++j;
      s.Token(Format.substr(i, j - i), lg);
      i = j;
    } else {
      size_t j = i;
      while (j < Format.size() && Format[j] != '\'' &&
             FormatLetters.find(Format[j]) == String::npos)
        ++j;
      s.Literal(Format.substr(i, j - i));
      i = j;
    }
  }
  ErrCode = s.Err;
  if (ErrCode != 0) return 0;
  if (s.Clock12) {
    if (!s.Pm && s.Hour == 12)
      s.Hour = 0;
    else if (s.Pm && s.Hour != 12)
      s.Hour += 12;
  }
  // Values beyond a Word would wrap into valid-looking dates: they are refused as they are.
  for (Int64 v : {s.Year, s.Month, s.Day, s.Hour, s.Minute, s.Second})
    if (v < 0 || v > 0xFFFF) throw EConvertError("Invalid argument to date encode");
  const TDateTime time = EncodeTime(static_cast<Word>(s.Hour), static_cast<Word>(s.Minute),
                                    static_cast<Word>(s.Second), 0);
  if (s.Year == 0 && s.Month == 0 && s.Day == 0) return time;
  // A format without a day (or without a month) names the first of the month (of the year):
  // "mars 2020" by "MMMM yyyy" is March 2020. A month or day the text gives as 0 is no such
  // default: "2020-00-05" is refused by the encoding. A missing year stays an impossible date.
  if (s.Year != 0 && !s.HaveMonth) s.Month = 1;
  if (s.Year != 0 && !s.HaveDay) s.Day = 1;
  const TDateTime date =
      EncodeDate(static_cast<Word>(s.Year), static_cast<Word>(s.Month), static_cast<Word>(s.Day));
  return date >= 0 ? date + time : date - time;
}
