#include "DOV_streams.h"

#include <string_view>

#include "DOV_stringl.h"
#include "DOV_utf8.h"
#include "SysUtils.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "\#hh" with two hexadecimal digits, not behind a backslash, becomes the byte hh.
String DecodeTemplateHex(const String& s) {
  String out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == '#' && (i == 0 || s[i - 1] != '\\')) {
      const int hi = HexDigit(s[i + 2]), lo = HexDigit(s[i + 3]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 3;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

// The integer transforms: the text read as a decimal integer v, f(v) written in as many
// digits as the text has (leading zeros kept, higher digits dropped). Other text stays.
String IntegerTransform(const String& text, char op) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  const size_t digits = text.size() - i;
  constexpr size_t MaxDigits = 17;  // keeps 2 * v inside 64 bits
  if (digits == 0 || digits > MaxDigits) return text;
  Int64 v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return text;
    v = v * 10 + (text[i] - '0');
  }
  if (negative) v = -v;
  const Int64 r = op == 'I' ? v + 1 : op == 'D' ? v - 1 : 2 * v;
  Int64 modulus = 1;
  for (size_t d = 0; d < digits; ++d) modulus *= 10;
  String body = std::to_string((r < 0 ? -r : r) % modulus);
  body.insert(0, digits - body.size(), '0');
  return r < 0 ? "-" + body : body;
}

// The UTF-8 routines of the string unit on text whose bytes are Latin-1 characters.
String ViaUtf8(const String& bytes, String (*f)(const String&)) {
  return LowBytesOfString(f(StringOfLowBytes(bytes)));
}

struct TMatchTokens {
  const TGrep& Grep;
  std::string_view Text;
  // Token d's text: from its match position up to the next token's, the last one to the
  // match end; empty beyond the last token.
  String TokenText(Integer d) const {
    const Integer n = Grep.NrOfRegExpTokens();
    if (d < 1 || d > n) return "";
    const Integer from = Grep.GetRegExpToken(d).ValidFrom;
    const Integer to = d < n ? Grep.GetRegExpToken(d + 1).ValidFrom - 1 : Grep.MatchEndPos();
    if (from < 1 || to < from || to > static_cast<Integer>(Text.size())) return "";
    return String(Text.substr(from - 1, to - from + 1));
  }
};

String BuildReplacement(const String& tmpl, const TMatchTokens& tokens,
                        const TSearchReplaceTagProc& TagProc) {
  String out;
  String transforms;  // switched-on letters, upper case
  String tag;
  bool tagSet = false;
  const size_t n = tmpl.size();
  size_t i = 0;
  while (i < n) {
    if (tmpl[i] != '@') {
      out += tmpl[i++];
      continue;
    }
    if (i + 1 >= n) break;  // an "@" at the very end is dropped
    const char c = tmpl[i + 1];
    const char uc = UpperCaseChar(c);
    if (c == '@') {
      out += '@';
      i += 2;
    } else if (String("ZVYLUIDB").find(uc) != String::npos) {
      transforms += uc;
      i += 2;
    } else if (c >= '0' && c <= '9') {
      String text = tokens.TokenText(c - '0');
      for (char t : String("ZVYLUIDB")) {
        if (transforms.find(t) == String::npos) continue;
        switch (t) {
          case 'Z': text = ViaUtf8(text, ReduceStringToAZ09); break;
          case 'V': text = ViaUtf8(text, ReduceStringToFN83CompliantChars); break;
          case 'Y': text = ViaUtf8(text, ExpandDiphthongs); break;
          case 'L': text = LowerCase(text); break;
          case 'U': text = UpperCase(text); break;
          default: text = IntegerTransform(text, t); break;
        }
      }
      if (tagSet && TagProc) TagProc(tag, text);
      out += text;
      transforms.clear();
      tag.clear();
      tagSet = false;
      i += 2;
    } else {
      // A user tag runs to the next "@", which introduces the next directive; without one it
      // ends with the template and inserts nothing.
      const size_t close = tmpl.find('@', i + 1);
      if (close == String::npos) break;
      tag = tmpl.substr(i + 1, close - i - 1);
      tagSet = true;
      i = close;
    }
  }
  return out;
}

bool ConditionPasses(const String& text, Integer mode, const String& cond) {
  switch (mode) {
    case 0: return text == cond;
    case 1: return text != cond;
    case 2: return text.find(cond) != String::npos;
    case 3: return text.find(cond) == String::npos;
    default: return true;
  }
}

}  // namespace

bool SearchAndReplace(TMemoryStream& InStream, TMemoryStream& OutStream, const String& RegExp,
                      const String& Template, bool IgnoreCase, Integer CondToken, Integer CondMode,
                      const String& CondText, const TSearchReplaceTagProc& TagProc) {
  if (RegExp.empty()) return false;
  TGrep grep(nullptr);
  grep.SetIgnoreCase(IgnoreCase);
  grep.SetRegExp(RegExp);
  const String cond = IgnoreCase ? LowerCase(CondText) : CondText;
  const String tmpl = DecodeTemplateHex(Template);

  const std::string_view source(InStream.Memory(), static_cast<size_t>(InStream.Size()));
  const String folded = IgnoreCase ? LowerCase(String(source)) : String();
  const std::string_view searched = IgnoreCase ? std::string_view(folded) : source;
  const Integer len = static_cast<Integer>(source.size());
  String out;
  out.reserve(source.size());
  bool found = false;
  Integer p = 1, matchPos = 0;
  while (p <= len || (p == 1 && len == 0)) {
    grep.SearchStartPos = p;
    if (!grep.MatchFolded(searched, matchPos)) break;
    found = true;
    const Integer start = grep.MatchStartPos(), end = grep.MatchEndPos();
    if (start > p) out.append(source.substr(p - 1, start - p));
    const TMatchTokens tokens{grep, source};
    bool passes = true;
    if (CondToken >= 1) {
      const TMatchTokens condTokens{grep, searched};
      passes = ConditionPasses(condTokens.TokenText(CondToken), CondMode, cond);
    }
    if (end >= start) {
      out += passes ? BuildReplacement(tmpl, tokens, TagProc)
                    : String(source.substr(start - 1, end - start + 1));
      p = end + 1;
    } else {
      // An empty match: insert, then copy one character (never part of a UTF-8 sequence) so
      // the search moves on.
      if (passes) out += BuildReplacement(tmpl, tokens, TagProc);
      const Integer step =
          start <= len ? static_cast<Integer>(utf8::BytesOfChars(source.substr(start - 1), 1)) : 1;
      if (start <= len) out.append(source.substr(start - 1, step));
      p = start + step;
      if (len == 0) break;
    }
  }
  if (p <= len) out.append(source.substr(p - 1));
  OutStream.Clear();
  OutStream.WriteBuffer(out.data(), static_cast<Int64>(out.size()));
  return found;
}
