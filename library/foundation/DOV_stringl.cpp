#include "DOV_stringl.h"

#include <algorithm>
#include <cmath>

#include "RtlRandom.h"
#include "SysUtils.h"
#include "DOV_utf8.h"

namespace {

// ---- UTF-8 characters ----------------------------------------------------------------------
using utf8::AppendChar;
using utf8::NextChar;

// Case mapping of the Western 8-bit code page's letters (ASCII, Latin-1 and the few extra
// letters of that code page), standing in for the platform's locale-aware functions.
char32_t AnsiUpper(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
  switch (c) {
    case 0xFF: return 0x178;
    case 0x153: return 0x152;
    case 0x161: return 0x160;
    case 0x17E: return 0x17D;
    default: return c;
  }
}

char32_t AnsiLower(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;
  switch (c) {
    case 0x178: return 0xFF;
    case 0x152: return 0x153;
    case 0x160: return 0x161;
    case 0x17D: return 0x17E;
    default: return c;
  }
}

String AnsiLowerString(const String& s) {
  String out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) AppendChar(out, AnsiLower(NextChar(s, i)));
  return out;
}

// 0-based find of sub in s from byte index from; npos when absent or sub empty.
size_t FindFrom(const String& s, const String& sub, size_t from) {
  if (sub.empty() || from > s.size()) return String::npos;
  return s.find(sub, from);
}

bool IsBlank(char c) { return c == ' '; }

String SpecialText(Extended x, Integer Width) { return Str(x, std::abs(Width), 0); }

// ---- scrambler tables -----------------------------------------------------------------
Byte ScrambleTab[256];
Byte DeScrambleTab[256];

}  // namespace

const std::bitset<256> WordSeps = [] {
  std::bitset<256> set;
  for (unsigned char c : String("\0\n\r \"#%'()*+,-./:;<=>[\\]{}", 26)) set.set(c);
  return set;
}();

// ---- extraction and search --------------------------------------------------------------

String ExtractSubString(const String& Instring, Integer ix, const String& Delimiter) {
  if (ix < 0 || Instring.empty() || Delimiter.empty()) return String();
  size_t pos = 0;  // 0-based start of the field
  for (Integer k = 0; k < ix; ++k) {
    const size_t found = FindFrom(Instring, Delimiter, pos);
    if (found == String::npos) return String();
    pos = found + Delimiter.size();
    if (pos >= Instring.size()) return String();
  }
  const size_t end = FindFrom(Instring, Delimiter, pos + 1);
  const String field = Instring.substr(pos, end == String::npos ? String::npos : end - pos);
  if (EqualAnsiStrings(field.substr(0, Delimiter.size()), Delimiter)) return String();
  return field;
}

String ExtractParam(const String& ParamName, Integer StartPos, char AssignChar, char SepChar,
                    const String& ParamList) {
  String name, value;
  int state = 0;
  size_t i = StartPos < 1 ? 0 : static_cast<size_t>(StartPos - 1);
  bool stopped = false;
  for (; i < ParamList.size() && !stopped; ++i) {
    const char c = ParamList[i];
    switch (state) {
      case 0:
        if (c == '"')
          state = 1;
        else if (c == SepChar) {
          name.clear();
          value.clear();
        } else if (c == AssignChar)
          state = 2;
        else
          name += c;
        break;
      case 1:
        if (c == '"')
          state = 0;
        else
          name += c;
        break;
      case 2:
        if (c == '"')
          state = 3;
        else if (c == SepChar || c == AssignChar)
          state = 4;
        else
          value += c;
        break;
      case 3:
        if (c == '"')
          state = 2;
        else
          value += c;
        break;
      default:  // 4: a value has ended
        if (SameText(name, ParamName)) {
          stopped = true;
          break;
        }
        name.clear();
        value.clear();
        if (c == '"')
          state = 1;
        else if (c == SepChar || c == AssignChar)
          state = 0;
        else {
          name += c;
          state = 0;
        }
        break;
    }
  }
  return SameText(name, ParamName) ? value : String();
}

String ExtractWordFromString(const String& S, Integer Pos, Integer& WordStart, Integer& WordEnd) {
  if (Pos < 1 || Pos > static_cast<Integer>(S.size())) {
    WordStart = WordEnd = 0;
    return String();
  }
  Integer a = Pos, b = Pos;
  if (!IsWordSep(S[Pos - 1])) {
    while (a > 1 && !IsWordSep(S[a - 2])) --a;
    while (b < static_cast<Integer>(S.size()) && !IsWordSep(S[b])) ++b;
  }
  WordStart = a;
  WordEnd = b;
  return S.substr(a - 1, b - a + 1);
}

String ExtractWordFromString(const String& S, Integer Pos) {
  Integer a, b;
  return ExtractWordFromString(S, Pos, a, b);
}

namespace {

constexpr int MaxTokenSplits = 999;

// Splits at Delimiter; with an escape character an occurrence directly behind it is skipped.
Integer SplitTokens(const String& S, const String& Delimiter, bool UseEscape, char EscapeChar,
                    TStrArray& Tokens) {
  Tokens.clear();
  if (Delimiter.empty()) {
    Tokens.push_back(S);
    return 1;
  }
  size_t start = 0, search = 0;
  int splits = 0;
  while (splits < MaxTokenSplits) {
    const size_t found = FindFrom(S, Delimiter, search);
    if (found == String::npos) break;
    if (UseEscape && found > 0 && S[found - 1] == EscapeChar) {
      // An escaped occurrence is text: the search goes on behind the whole of it, so a
      // delimiter that overlaps itself ("--" in "\---") is not found again inside it.
      search = found + Delimiter.size();
      continue;
    }
    Tokens.push_back(S.substr(start, found - start));
    start = search = found + Delimiter.size();
    ++splits;
  }
  Tokens.push_back(S.substr(start));
  return static_cast<Integer>(Tokens.size());
}

}  // namespace

Integer Tokenize(const String& S, const String& Delimiter, TStrArray& Tokens) {
  return SplitTokens(S, Delimiter, false, '\0', Tokens);
}

Integer Tokenize(const String& S, const String& Delimiter, char EscapeChar, TStrArray& Tokens) {
  const Integer n = SplitTokens(S, Delimiter, true, EscapeChar, Tokens);
  const String esc(1, EscapeChar);
  for (String& t : Tokens) {
    t = ReplaceStringInString(t, esc + esc, esc, false);
    if (!Delimiter.empty()) t = ReplaceStringInString(t, esc + Delimiter, Delimiter, false);
  }
  return n;
}

Integer NumberedPos(const String& SubStr, const String& S, Integer StartAt, Integer Num,
                    bool IgnoreCase) {
  if (Num < 1 || SubStr.empty()) return 0;
  const String sub = IgnoreCase ? LowerCase(SubStr) : SubStr;
  const String txt = IgnoreCase ? LowerCase(S) : S;
  size_t from = StartAt < 1 ? 0 : static_cast<size_t>(StartAt - 1);
  for (Integer k = 1;; ++k) {
    const size_t found = FindFrom(txt, sub, from);
    if (found == String::npos) return 0;
    if (k == Num) return static_cast<Integer>(found + 1);
    from = found + sub.size();
  }
}

Integer PosLast(const String& SubStr, const String& S) {
  if (SubStr.empty()) return 0;
  Integer sum = 0;
  size_t restStart = 0;
  for (;;) {
    const size_t found = FindFrom(S, SubStr, restStart);
    if (found == String::npos) return sum;
    sum += static_cast<Integer>(found - restStart + 1);
    restStart = found + SubStr.size();
  }
}

Integer CountStringInString(const String& SubStr, const String& S, bool CaseSensitive) {
  if (SubStr.empty()) return 0;
  const String sub = CaseSensitive ? SubStr : LowerCase(SubStr);
  const String txt = CaseSensitive ? S : LowerCase(S);
  Integer n = 0;
  for (size_t p = FindFrom(txt, sub, 0); p != String::npos; p = FindFrom(txt, sub, p + sub.size()))
    ++n;
  return n;
}

Integer CountCharInString(char Ch, const String& S, bool CaseSensitive) {
  Integer n = 0;
  const char c = CaseSensitive ? Ch : UpperCaseChar(Ch);
  for (char x : S)
    if ((CaseSensitive ? x : UpperCaseChar(x)) == c) ++n;
  return n;
}

Integer StringIx(const String& S, bool CaseSensitive, const std::vector<String>& Strings) {
  for (size_t i = 0; i < Strings.size(); ++i)
    if (CaseSensitive ? Strings[i] == S : SameText(Strings[i], S))
      return static_cast<Integer>(i + 1);
  return 0;
}

Integer StringIx(const String& S, const std::vector<String>& Strings) {
  return StringIx(S, true, Strings);
}

Integer CountWords(const String& S) {
  Integer words = 0, run = 0;
  for (char c : S) {
    if (IsWordSep(c)) {
      if (run >= 2) ++words;
      run = 0;
    } else {
      ++run;
    }
  }
  return words;
}

String ReadLnString(const String& S, Integer& Pos, bool& EndOfString, Integer Mode) {
  EndOfString = false;
  if (Pos < 1) Pos = 1;
  String line;
  char prev = '\0';
  for (;;) {
    if (Pos > static_cast<Integer>(S.size())) {
      EndOfString = true;
      return line;
    }
    const char c = S[Pos - 1];
    ++Pos;
    if (static_cast<unsigned char>(c) >= 32) line += c;
    bool ends = false;
    switch (Mode) {
      case 0: ends = c == '\n'; break;
      case 1: ends = c == '\r'; break;
      case 2: ends = c == '\n' || c == '\r'; break;
      case 3: ends = c == '\r' && prev == '\n'; break;
      case 4: ends = c == '\n' && prev == '\r'; break;
      default: break;
    }
    if (ends) return line;
    prev = c;
  }
}

void TextLineCoords(const String& S, Integer Pos, Integer& Column, Integer& Line) {
  if (Pos < 1 || Pos > static_cast<Integer>(S.size())) {
    Column = Line = -1;
    return;
  }
  Line = 0;
  Column = 0;
  for (Integer i = 0; i < Pos; ++i) {
    const auto c = static_cast<unsigned char>(S[i]);
    if (c == '\n') {
      ++Line;
      Column = 0;
    } else if (c >= 32) {
      ++Column;
    }
  }
}

bool ParseQuotedName(char Ch, char QuoteChar, String& Name, TQuotedStrState& State) {
  const bool blank = static_cast<unsigned char>(Ch) <= 32;
  switch (State) {
    case vsStart:
      if (blank) {
      } else if (Ch == QuoteChar) {
        State = vs1stQuote;
      } else {
        Name += Ch;
        State = vsNormal;
      }
      break;
    case vs1stQuote:
      if (blank) {
        if (static_cast<unsigned char>(Ch) < 32) {
          State = vsEnd;
        } else {
          Name += Ch;
          State = vsQuote;
        }
      } else if (Ch == QuoteChar) {
        Name += Ch;
        State = vsNormal;
      } else {
        Name += Ch;
        State = vsQuote;
      }
      break;
    case vsQuote:
      if (!blank && Ch == QuoteChar)
        State = vsNormal;
      else
        Name += Ch;
      break;
    case vsNormal:
      if (blank)
        State = vsEnd;
      else if (Ch == QuoteChar)
        State = vs1stQuote;
      else
        Name += Ch;
      break;
    case vsEnd: State = vsStart; break;
  }
  if (State == vsEnd) {
    State = vsStart;
    return true;
  }
  return false;
}

Integer FindFirstNonBlank(const String& S) {
  for (size_t i = 0; i < S.size(); ++i)
    if (!IsBlank(S[i])) return static_cast<Integer>(i + 1);
  return 0;
}

Integer FindFirstDigit(const String& S) {
  for (size_t i = 0; i < S.size(); ++i)
    if (IsDigit(S[i])) return static_cast<Integer>(i + 1);
  return 0;
}

// ---- editing ----------------------------------------------------------------------------

String StripLTBlanks(const String& S) {
  const size_t a = S.find_first_not_of(' ');
  if (a == String::npos) return String();
  const size_t b = S.find_last_not_of(' ');
  return S.substr(a, b - a + 1);
}

String StripLeadingBlanks(const String& S) {
  if (S.empty()) return S;
  const size_t a = S.find_first_not_of(' ');
  if (a == String::npos) return " ";
  return S.substr(a);
}

String StripTrailingBlanks(const String& S) {
  if (S.empty()) return S;
  const size_t b = S.find_last_not_of(' ');
  if (b == String::npos) return " ";
  return S.substr(0, b + 1);
}

String StripLeadingChars(char Ch, const String& S) {
  size_t a = 0;
  while (a < S.size() && S[a] == Ch) ++a;
  return S.substr(a);
}

String StripTrailingChars(char Ch, const String& S) {
  size_t n = S.size();
  while (n > 1 && S[n - 1] == Ch) --n;
  return S.substr(0, n);
}

String RemoveControlChars(const String& S) {
  String out;
  out.reserve(S.size());
  for (char c : S)
    if (static_cast<unsigned char>(c) >= 32) out += c;
  return out;
}

String RemoveCharInString(const String& S, char Ch) {
  String out;
  out.reserve(S.size());
  for (char c : S)
    if (c != Ch) out += c;
  return out;
}

String RemoveMultiChars(const String& S, char Ch) {
  String out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size(); ++i)
    if (!(S[i] == Ch && i > 0 && S[i - 1] == Ch)) out += S[i];
  return out;
}

String ReplaceCharInString(const String& S, char OldCh, char NewCh) {
  String out = S;
  std::replace(out.begin(), out.end(), OldCh, NewCh);
  return out;
}

String ReplaceStringInString(const String& S, const String& SearchStr, const String& ReplaceStr,
                             bool IgnoreCase) {
  if (SearchStr.empty()) return S;
  const String txt = IgnoreCase ? LowerCase(S) : S;
  const String sub = IgnoreCase ? LowerCase(SearchStr) : SearchStr;
  String out;
  out.reserve(S.size());
  size_t from = 0;
  for (;;) {
    const size_t found = txt.find(sub, from);
    if (found == String::npos) break;
    out.append(S, from, found - from);
    out += ReplaceStr;
    from = found + sub.size();
  }
  out.append(S, from, String::npos);
  return out;
}

String EnsureTrailingChar(char Ch, const String& S) {
  if (S.empty() || S.back() == Ch) return S;
  return S + Ch;
}

String EnsureTrailingBkSlash(const String& S) { return EnsureTrailingChar('\\', S); }

String EnsureLeadingChar(char Ch, const String& S) {
  if (S.empty() || S.front() == Ch) return S;
  return Ch + S;
}

// Widths and lengths count characters: a UTF-8 sequence is one character, and a cut never
// splits one.
String LeftString(const String& S, Byte Width) {
  const size_t n = utf8::CharCount(S);
  if (n >= Width) return S.substr(0, utf8::BytesOfChars(S, Width));
  return S + String(Width - n, ' ');
}

String RightString(const String& S, Byte Width) {
  const size_t n = utf8::CharCount(S);
  if (n >= Width) return S.substr(0, utf8::BytesOfChars(S, Width));
  return String(Width - n, ' ') + S;
}

String CenterString(const String& S, Byte Width) {
  const size_t n = utf8::CharCount(S);
  if (n >= Width) return S.substr(0, utf8::BytesOfChars(S, Width));
  const size_t front = (Width - n) / 2;
  return String(front, ' ') + S + String(Width - n - front, ' ');
}

String AbbrevString(const String& S, Integer MaxLen) {
  if (static_cast<Integer>(utf8::CharCount(S)) <= MaxLen) return S;
  return S.substr(0, utf8::BytesOfChars(S, static_cast<size_t>(std::max(MaxLen - 2, 0)))) + "..";
}

String SortableNumericString(const String& S, char DecimalChar, Integer Pos) {
  const String t = StripLTBlanks(S);
  const size_t p = t.find(DecimalChar);
  if (p == String::npos) return String(static_cast<size_t>(std::max(Pos, 0)), ' ') + t;
  const Integer at = static_cast<Integer>(p + 1);
  if (at < Pos) return String(static_cast<size_t>(Pos - at), ' ') + t;
  return t;
}

String MultiChar(char Ch, Integer Count) {
  return String(static_cast<size_t>(std::clamp(Count, 1, 255)), Ch);
}

String ReverseString(const String& S) {
  std::vector<char32_t> chars;
  for (size_t i = 0; i < S.size();) chars.push_back(NextChar(S, i));
  String out;
  out.reserve(S.size());
  for (auto it = chars.rbegin(); it != chars.rend(); ++it) AppendChar(out, *it);
  return out;
}

String ChangeCase(const String& S) {
  String out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size();) {
    const char32_t c = NextChar(S, i);
    AppendChar(out, AnsiUpper(c) == c ? AnsiLower(c) : AnsiUpper(c));
  }
  return out;
}

String CapitalizeString(const String& S) {
  String out = S;
  bool inWord = false;
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    if (IsLetter(c) || u > 127) {
      if (!inWord) c = UpperCaseChar(c);
      inWord = true;
    } else if (!IsDigit(c)) {
      inWord = false;
    }
  }
  return out;
}

String ExpandDiphthongs(const String& S) {
  String out;
  out.reserve(S.size() + 8);
  for (size_t i = 0; i < S.size();) {
    const char32_t c = NextChar(S, i);
    const bool lowerNext = i < S.size() && S[i] >= 'a' && S[i] <= 'z';
    switch (c) {
      case 0xE4: out += "ae"; break;
      case 0xF6: out += "oe"; break;
      case 0xFC: out += "ue"; break;
      case 0xDF: out += "ss"; break;
      case 0xB5: out += "u"; break;
      case 0xC4: out += lowerNext ? "Ae" : "AE"; break;
      case 0xD6: out += lowerNext ? "Oe" : "OE"; break;
      case 0xDC: out += lowerNext ? "Ue" : "UE"; break;
      default: AppendChar(out, c); break;
    }
  }
  return out;
}

namespace {

template <class Keep>
String ReduceChars(const String& S, Keep keep) {
  String out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size();) {
    const char32_t c = NextChar(S, i);
    out += (c < 128 && keep(static_cast<char>(c))) ? static_cast<char>(c) : '_';
  }
  return out;
}

}  // namespace

String ReduceStringToAZ09(const String& S) {
  return ReduceChars(S, [](char c) { return IsDigitLetter(c); });
}

String ReduceStringToFN83CompliantChars(const String& S) {
  static const String extra = "!#$%&'()-.@^_`{}~";
  return ReduceChars(S, [](char c) { return IsDigitLetter(c) || extra.find(c) != String::npos; });
}

String ProcessHexChars(const String& S) {
  String out;
  out.reserve(S.size());
  size_t i = 0;
  while (i < S.size()) {
    if (S[i] == '\\' && i + 1 < S.size() && S[i + 1] == '\\') {
      out += '\\';
      i += 2;
    } else if (S[i] == '\\' && i + 3 < S.size() && S[i + 1] == '#') {
      const char h1 = S[i + 2], h2 = S[i + 3];
      unsigned code = 0;
      if (IsHexChar(h1) && IsHexChar(h2)) {
        auto val = [](char h) -> unsigned {
          return IsDigit(h) ? unsigned(h - '0') : unsigned(LowerCaseChar(h) - 'a' + 10);
        };
        code = val(h1) * 16 + val(h2);
      }
      AppendChar(out, code);
      i += 4;
    } else {
      out += S[i];
      ++i;
    }
  }
  return out;
}

// ---- tests --------------------------------------------------------------------------------

bool IsDigit(char Ch) { return Ch >= '0' && Ch <= '9'; }
bool IsLetter(char Ch) { return (Ch >= 'A' && Ch <= 'Z') || (Ch >= 'a' && Ch <= 'z'); }
bool IsDigitLetter(char Ch) { return IsDigit(Ch) || IsLetter(Ch); }
bool IsHexChar(char Ch) {
  return IsDigit(Ch) || (Ch >= 'A' && Ch <= 'F') || (Ch >= 'a' && Ch <= 'f');
}

bool IsUmlaut(char32_t Ch) {
  switch (Ch) {
    case 0xE4:
    case 0xF6:
    case 0xFC:
    case 0xC4:
    case 0xD6:
    case 0xDC:
    case 0xDF: return true;
    default: return false;
  }
}

bool IsAbbreviation(const String& S) {
  Integer longest = 0, run = 0, others = 0;
  for (char c : S) {
    if (c >= 'A' && c <= 'Z') {
      longest = std::max(longest, ++run);
    } else {
      run = 0;
      if ((c >= 'a' && c <= 'z') || IsDigit(c)) ++others;
    }
  }
  return longest >= 2 && longest > others;
}

bool TestAllChar(const String& S, char Ch) {
  if (S.empty()) return false;
  for (char c : S)
    if (c != Ch) return false;
  return true;
}

namespace {

// The characters of codes 0 ... 255 that CharSet names. CharSet is decoded as characters, so
// that a letter such as "é" names that letter and not the bytes of its UTF-8 form (which it
// shares with other letters); characters beyond 255 are never members.
std::bitset<256> ExpandCharSet(const String& CharSet) {
  std::u32string set;
  for (size_t i = 0; i < CharSet.size();) set += NextChar(CharSet, i);
  struct Shorthand {
    const char32_t* name;
    char32_t lo, hi;
  };
  static const Shorthand shorthands[] = {{U"//dig", '0', '9'},
                                         {U"//lc", 'a', 'z'},
                                         {U"//uc", 'A', 'Z'},
                                         {U"//31dwn", 0, 31},
                                         {U"//128up", 128, 255}};
  for (bool again = true; again;) {
    again = false;
    for (const Shorthand& sh : shorthands) {
      const size_t p = set.find(sh.name);
      if (p == std::u32string::npos) continue;
      std::u32string chars;
      for (char32_t c = sh.lo; c <= sh.hi; ++c) chars += c;
      set.replace(p, std::char_traits<char32_t>::length(sh.name), chars);
      again = true;
    }
  }
  std::bitset<256> bits;
  for (char32_t c : set)
    if (c <= 255) bits.set(c);
  return bits;
}

}  // namespace

bool StringContains(const String& S, const String& CharSet) {
  const auto bits = ExpandCharSet(CharSet);
  for (size_t i = 0; i < S.size();) {
    const char32_t c = NextChar(S, i);
    if (c <= 255 && bits.test(c)) return true;
  }
  return false;
}

bool StringContainsOtherThan(const String& S, const String& CharSet) {
  const auto bits = ExpandCharSet(CharSet);
  for (size_t i = 0; i < S.size();) {
    const char32_t c = NextChar(S, i);
    if (c > 255 || !bits.test(c)) return true;
  }
  return false;
}

bool EqualAnsiStrings(const String& S1, const String& S2) {
  return AnsiLowerString(S1) == AnsiLowerString(S2);
}

// ---- codes ----------------------------------------------------------------------------------

String UUEncodeStr(const String& S) {
  if (S.size() >= 96) return String();
  String out(1, static_cast<char>(S.size() + 32));
  unsigned acc = 0;
  int bits = 0;
  auto put = [&out](unsigned g) { out += g == 0 ? '`' : static_cast<char>(g + 32); };
  for (char c : S) {
    acc = (acc << 8) | static_cast<unsigned char>(c);
    bits += 8;
    while (bits >= 6) {
      bits -= 6;
      put((acc >> bits) & 0x3F);
    }
    acc &= (1u << bits) - 1;
  }
  if (bits > 0) put((acc << (6 - bits)) & 0x3F);
  return out;
}

String UUDecodeStr(const String& S) {
  if (S.size() < 2) return String();
  const int count = static_cast<unsigned char>(S[0]) - 32;
  String out;
  unsigned acc = 0;
  int bits = 0;
  for (size_t i = 1; i < S.size() && static_cast<int>(out.size()) < count; ++i) {
    const char c = S[i] == '`' ? ' ' : S[i];
    acc = (acc << 6) | ((static_cast<unsigned char>(c) - 32u) & 0x3Fu);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((acc >> bits) & 0xFF);
      acc &= (1u << bits) - 1;
    }
  }
  return out;
}

void InitScramble(Cardinal Seed) {
  InitRandomGenerator(Seed);
  std::fill(std::begin(ScrambleTab), std::end(ScrambleTab), Byte(0));
  std::fill(std::begin(DeScrambleTab), std::end(DeScrambleTab), Byte(0));
  for (int i = 1; i <= 255; ++i) {
    int v;
    do {
      v = Random(255) + 1;
    } while (DeScrambleTab[v] != 0);
    ScrambleTab[i] = static_cast<Byte>(v);
    DeScrambleTab[v] = static_cast<Byte>(i);
  }
}

String Scramble(const String& S) {
  String out = S;
  for (char& c : out) c = static_cast<char>(ScrambleTab[static_cast<unsigned char>(c)]);
  return out;
}

String DeScramble(const String& S) {
  String out = S;
  for (char& c : out) c = static_cast<char>(DeScrambleTab[static_cast<unsigned char>(c)]);
  return out;
}

// ---- number and value formatting ------------------------------------------------------------

namespace {

// Width < 0 asks for zero padding: leading blanks become "0" and a "-" behind them moves to
// the front.
String ZeroPad(String s) {
  size_t n = 0;
  while (n < s.size() && s[n] == ' ') ++n;
  if (n == 0) return s;
  for (size_t i = 0; i < n; ++i) s[i] = '0';
  if (n < s.size() && s[n] == '-') {
    s.erase(n, 1);
    s.insert(s.begin(), '-');
  }
  return s;
}

}  // namespace

String strff(Extended x, Integer Width, Integer Decimals) {
  if (!std::isfinite(x)) return SpecialText(x, Width);
  const Integer w = std::abs(Width);
  String s;
  if (Decimals == -2) {
    s = Str(x, w + 2, -1);
    // The exponent is the last four characters; it keeps two digits when it can.
    const size_t e = s.size() - 4;
    const bool fits = s[e] == '0' && s[e + 1] == '0';
    s.erase(e, 2);
    if (!fits) s.assign(s.size(), '*');
  } else {
    s = Str(x, w, Decimals);
  }
  if (Width < 0) s = ZeroPad(s);
  return s;
}

String strffForcePlus(Extended x, Integer Width, Integer Decimals) {
  String s = strff(x, Width, Decimals);
  if (!std::isfinite(x) || !(x >= 0) || s.empty()) return s;
  const size_t first = s.find_first_not_of(' ');
  if (first != String::npos && first > 0) {
    s[first - 1] = '+';
  } else if (s[0] == '0' && !(s.size() > 1 && s[1] == '.')) {
    s[0] = '+';
  } else {
    s.insert(s.begin(), '+');
  }
  return s;
}

String FormatData(Extended x, Integer Width, Integer Decimals) {
  if (!std::isfinite(x)) return SpecialText(x, Width);
  // The bounds hold for the exact value of x: a double such as 1e-7 lies just below 10^-7 and
  // takes the exponent form, as 9.9999999 (just above its limit) does.
  static const Extended limits[9] = {999999999.0L, 9999999.9L, 999999.99L, 99999.999L, 9999.9999L,
                                     999.99999L,   99.999999L, 9.9999999L, 0.99999999L};
  static const Extended lows[9] = {1.0L, 1e-1L, 1e-2L, 1e-3L, 1e-4L, 1e-5L, 1e-6L, 1e-7L, 1e-8L};
  if (Decimals >= 0 && Decimals <= 8) {
    const Extended a = std::fabs(x);
    if (x == 0 || (a >= lows[Decimals] && a <= limits[Decimals])) return Str(x, Width, Decimals);
  }
  return strff(x, Width + 6, -2);
}

String SigDigStr(Extended x, Integer Width, Integer SigDigits) {
  if (!std::isfinite(x)) return SpecialText(x, Width);
  if (x == 0) return Str(x, Width, SigDigits - 1);
  const Extended e = std::floor(std::log10(std::fabs(x)) + 1);
  const Integer m = std::max(Width, SigDigits + 6);
  if (e > SigDigits) {
    if (e > Width - 1) return strff(x, m, -2);
    return Str(x, Width, 0);
  }
  if (e < SigDigits - Width + 3) return strff(x, m, -2);
  return Str(x, Width, SigDigits - static_cast<Integer>(e));
}

String SigDigStr(Extended x, Integer Width, Integer SigDigits, bool Trim) {
  const String s = SigDigStr(x, Width, SigDigits);
  return Trim ? StripLTBlanks(s) : s;
}

String AutoFormatData(Extended x, Integer SigDigits) {
  SigDigits = std::clamp(SigDigits, 2, 16);
  String s;
  if (!std::isfinite(x)) {
    s = SpecialText(x, 1);
  } else if (x == 0) {
    s = strff(0, 1, SigDigits - 1);
  } else {
    const Extended lg = std::log10(std::fabs(x));
    if (lg > -1 && lg < SigDigits - 1)
      s = strff(x, 1, SigDigits - static_cast<Integer>(std::trunc(lg)) - 1);
    else
      s = strff(x, SigDigits + 6, -2);
  }
  return StripLTBlanks(s);
}

String AutoFormatData(Extended x, Integer SigDigits, bool UseComma) {
  const String s = AutoFormatData(x, SigDigits);
  return UseComma ? ReplaceCharInString(s, '.', ',') : s;
}

String BoolToStr(bool b, Integer Style) {
  static const char* const texts[8][2] = {{"FALSE", "TRUE"}, {"F", "T"},     {".F.", ".T."},
                                          {"0", "1"},        {"0", "-1"},    {"00", "FF"},
                                          {"NO", "YES"},     {"BAD", "GOOD"}};
  if (Style < 0 || Style > 7) Style = 0;
  return texts[Style][b ? 1 : 0];
}

String BinString(bool b, const String& TrueText, const String& FalseText) {
  return b ? TrueText : FalseText;
}

TTriState StrToTriState(const String& S) {
  const String t = LowerCase(StripLTBlanks(S));
  if (t == "true" || t == "1" || t == "+1" || t == "yes") return tsTrue;
  if (t == "false" || t == "-1" || t == "no") return tsFalse;
  return tsUndefined;
}

String TriStateToStr(TTriState t, Integer Mode) {
  const int k = t == tsFalse ? 0 : t == tsTrue ? 1 : 2;
  static const char* const mode1[3] = {"-1", "1", "0"};
  static const char* const mode2[3] = {"no", "yes", "unknown"};
  static const char* const other[3] = {"false", "true", ""};
  if (Mode == 1) return mode1[k];
  if (Mode == 2) return mode2[k];
  return other[k];
}

namespace {

// A whole non-negative number with at least two characters, padded in front with Pad.
String TwoChars(Extended v, char Pad) {
  String s = v < 1e18L ? IntToStr(static_cast<Int64>(v)) : StripLTBlanks(Str(v, 0, 0));
  if (s.size() < 2) s.insert(s.begin(), Pad);
  return s;
}

}  // namespace

String TimeString(Extended Seconds, Integer Format) {
  // Negative (and non-finite) times count as 0.
  if (!(Seconds >= 0) || !std::isfinite(Seconds)) Seconds = 0;
  const Extended h = std::fmod(std::trunc(Seconds / 3600), 65536.0L);  // the hour wraps at 16 bits
  const Extended r = Seconds - 3600 * h;
  const Extended m = std::trunc(r / 60);
  const Extended s = std::trunc(r - 60 * m);
  const Extended c = std::trunc((Seconds - std::trunc(Seconds)) * 100);
  switch (Format) {
    case 0:
      return TwoChars(h, '0') + ":" + TwoChars(m, '0') + ":" + TwoChars(s, '0') + "." +
             TwoChars(c, '0');
    case 1: return TwoChars(h, '0') + ":" + TwoChars(m, '0') + ":" + TwoChars(s, '0');
    case 2: return TwoChars(h, ' ') + "h" + TwoChars(m, '0');
    case 3: return TwoChars(h, ' ') + "h" + TwoChars(m, '0') + "'" + TwoChars(s, '0') + "\"";
    case 4: return TwoChars(h, '0') + ":" + TwoChars(m, '0');
    case 5: {
      Extended hour = h;
      if (h == 0)
        hour = 12;
      else if (h >= 13)
        hour = h - 12;
      return TwoChars(hour, ' ') + ":" + TwoChars(m, '0') + (h < 12 ? "a" : "p");
    }
    default: return String();
  }
}

namespace {

template <class T, class Fmt>
String ParList(const T* data, size_t n, bool AddComma, Integer MaxElems, Fmt fmt) {
  size_t take = n;
  if (MaxElems > 0 && static_cast<size_t>(MaxElems) < n) take = static_cast<size_t>(MaxElems);
  String s = "[";
  for (size_t i = 0; i < take; ++i) s += fmt(data[i]) + ",";
  if (take < n) s += "...,";
  s.back() = ']';
  if (AddComma) s += ",";
  return s;
}

}  // namespace

String CreateParList(const TIntArray& IntArray, bool AddComma, Integer MaxElems) {
  return ParList(IntArray.data(), IntArray.size(), AddComma, MaxElems,
                 [](Integer v) { return IntToStr(v); });
}

String CreateParList(std::initializer_list<Integer> Ints, bool AddComma) {
  return ParList(Ints.begin(), Ints.size(), AddComma, 0, [](Integer v) { return IntToStr(v); });
}

String CreateParList(const TDoubleArray& DoubleArray, bool AddComma, Integer MaxElems,
                     Integer SigDigits) {
  return ParList(DoubleArray.data(), DoubleArray.size(), AddComma, MaxElems,
                 [SigDigits](Double v) { return AutoFormatData(v, SigDigits); });
}

String CreateParList(std::initializer_list<Double> Doubles, bool AddComma) {
  return ParList(Doubles.begin(), Doubles.size(), AddComma, 0,
                 [](Double v) { return AutoFormatData(v, 3); });
}
