// The text-file routines of DOV_filesys and the ASC header reader.

#include <algorithm>
#include <cwctype>
#include <locale.h>

#include "DOV_filesys.h"
#include "DOV_streams.h"
#include "SysUtils.h"

namespace {

constexpr char kBlank = ' ';
// The run-time's I/O error code for a token that is not a number.
constexpr int kInvalidNumericInput = 106;

String StripBlanks(const String& s) {
  const size_t a = s.find_first_not_of(kBlank);
  if (a == String::npos) return String();
  return s.substr(a, s.find_last_not_of(kBlank) - a + 1);
}

// Letters of every alphabet folded to lower case (UTF-8 in, UTF-8 out); bytes that are no
// valid UTF-8 stay as they are.
String LowerAllLetters(const String& s) {
  static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  if (utf8 == static_cast<locale_t>(nullptr)) return LowerCase(s);
  String out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    const size_t n = b0 < 0x80           ? 1
                     : (b0 >> 5) == 0x6  ? 2
                     : (b0 >> 4) == 0xE  ? 3
                     : (b0 >> 3) == 0x1E ? 4
                                         : 0;
    bool ok = n > 0 && i + n <= s.size();
    char32_t cp = n == 1 ? b0 : n == 2 ? (b0 & 0x1F) : n == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    for (size_t k = 1; ok && k < n; ++k) {
      const auto b = static_cast<unsigned char>(s[i + k]);
      ok = (b & 0xC0) == 0x80;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (!ok) {
      out.push_back(s[i++]);
      continue;
    }
    const auto lo = static_cast<char32_t>(towlower_l(static_cast<wint_t>(cp), utf8));
    // Only a fold that keeps the encoded length is taken, so positions stay those of the line.
    const size_t m = lo < 0x80 ? 1 : lo < 0x800 ? 2 : lo < 0x10000 ? 3 : 4;
    if (m != n) {
      out.append(s, i, n);
    } else if (m == 1) {
      out.push_back(static_cast<char>(lo));
    } else {
      const unsigned char lead[5] = {0, 0, 0xC0, 0xE0, 0xF0};
      out.push_back(static_cast<char>(lead[m] | (lo >> (6 * (m - 1)))));
      for (size_t k = m - 1; k-- > 0;)
        out.push_back(static_cast<char>(0x80 | ((lo >> (6 * k)) & 0x3F)));
    }
    i += n;
  }
  return out;
}

size_t FindText(const String& line, const String& text) {
  return text.empty() ? String::npos : line.find(text);
}

// Steps 6 and 7 of the header: three flags that must read TRUE or FALSE, then a fourth that is
// true only when it reads TRUE.
Integer ParseASCFlags(String line, bool* flags[4]) {
  for (int k = 0; k < 4; ++k) *flags[k] = false;
  for (int k = 0; k < 3; ++k) {
    if (line.rfind("TRUE", 0) == 0) {
      *flags[k] = true;
      line.erase(0, 4);
    } else if (line.rfind("FALSE", 0) == 0) {
      line.erase(0, 5);
    } else {
      return -3;
    }
    line = StripBlanks(line);
  }
  *flags[3] = line.rfind("TRUE", 0) == 0;
  return 0;
}

// True when the byte just before the position is a LF (the number scanner consumed it).
bool LastByteWasLF(TStream& Stream) {
  const Int64 pos = Stream.Position();
  if (pos == 0) return false;
  Stream.Seek(pos - 1, soFromBeginning);
  char c = 0;
  Stream.Read(&c, 1);
  return c == '\n';
}

}  // namespace

// ---- text-file routines ----------------------------------------------------------------------

void AppendToTextFile(const String& FileName, const TStrArray& Lines) {
  TTextFile f(FileName);
  try {
    f.Append();
  } catch (const EInOutError&) {
    f.Rewrite();
  }
  for (const String& s : Lines) f.WriteLn(s);
  f.CloseFile();
}

void AppendToTextFile(const String& FileName, const String& Line) {
  AppendToTextFile(FileName, TStrArray{Line});
}

TStrArray ReadLastNLinesOfTextFile(TTextFile& F, Integer N, Integer& NumLines) {
  const size_t n = N > 0 ? static_cast<size_t>(N) : 0;
  TStrArray ring(n);
  size_t w = 0;
  NumLines = 0;
  F.Reset();
  while (!F.Eof()) {
    String line = F.ReadLine();
    ++NumLines;
    if (n == 0) continue;
    ring[w] = std::move(line);
    w = (w + 1) % n;
  }
  F.Reset();
  TStrArray result;
  result.reserve(n);
  for (size_t k = 0; k < n; ++k) result.push_back(std::move(ring[(w + k) % n]));
  return result;
}

TStrArray ReadLastNLinesOfTextFile(const String& FileName, Integer N, Integer& NumLines) {
  TTextFile f(FileName);
  TStrArray r = ReadLastNLinesOfTextFile(f, N, NumLines);
  f.CloseFile();
  return r;
}

Integer DetectStringInFile(const String& FileName, const String& SearchText, bool IgnoreCase,
                           Integer MaxChars) {
  const String text = IgnoreCase ? LowerCase(SearchText) : SearchText;
  TTextFile f(FileName);
  f.Reset();
  Int64 count = 0;
  bool found = false;
  while (!f.Eof() && !found && count < MaxChars) {
    String line = f.ReadLine();
    if (IgnoreCase) line = LowerCase(line);
    const size_t p = FindText(line, text);
    if (p != String::npos) {
      count += static_cast<Int64>(p) + 1;
      found = count <= MaxChars;
    } else {
      count += static_cast<Int64>(line.size());
    }
  }
  f.CloseFile();
  return found ? static_cast<Integer>(count) : 0;
}

Integer FindFirstMatchInTextFile(const String& FileName, const String& SearchText, bool IgnoreCase,
                                 String& MatchingLine) {
  MatchingLine.clear();
  const String text = IgnoreCase ? LowerAllLetters(SearchText) : SearchText;
  TTextFile f(FileName);
  f.Reset();
  Integer result = 0;
  while (!f.Eof()) {
    const String line = f.ReadLine();
    const size_t p = FindText(IgnoreCase ? LowerAllLetters(line) : line, text);
    if (p != String::npos) {
      MatchingLine = line;
      result = static_cast<Integer>(p) + 1;
      break;
    }
  }
  f.CloseFile();
  return result;
}

String ReadNextWordInTextFile(TTextFile& F) {
  auto aboveBlank = [](char c) { return static_cast<unsigned char>(c) > ' '; };
  char c = kBlank;
  while (!aboveBlank(c) && !F.Eof()) c = F.ReadChar();
  String word;
  if (!aboveBlank(c)) return word;
  word.push_back(c);
  while (!F.Eof()) {
    c = F.ReadChar();
    if (!aboveBlank(c)) break;
    word.push_back(c);
  }
  return word;
}

// ---- the ASC table header
// ------------------------------------------------------------------------

Integer ReadHeaderOfASC(const String& FileName, String& Comment, Integer& NrCols, Integer& NrRows,
                        bool& RowAttributes, bool& ColumnNames, bool& RowNames, bool& NominalVars) {
  TTextFile f(FileName);
  f.Reset();
  Comment = f.ReadLine();
  Integer status = 0;
  try {
    NrCols = f.ReadInteger();
    f.ReadLn();
  } catch (const EInOutError& e) {
    if (e.ErrorCode != kInvalidNumericInput) throw;
    status = -1;
  }
  if (status == 0) {
    try {
      NrRows = f.ReadInteger();
      f.ReadLn();
    } catch (const EInOutError& e) {
      if (e.ErrorCode != kInvalidNumericInput) throw;
      status = -2;
    }
  }
  if (status == 0) {
    String line = f.ReadLine();
    std::replace(line.begin(), line.end(), '\t', kBlank);
    line = StripBlanks(UpperCase(line));
    bool* flags[4] = {&RowAttributes, &ColumnNames, &RowNames, &NominalVars};
    status = ParseASCFlags(line, flags);
  }
  f.CloseFile();
  return status;
}

Integer ReadHeaderOfASC(TStream& Stream, String& Comment, Integer& NrCols, Integer& NrRows,
                        bool& RowAttributes, bool& ColumnNames, bool& RowNames, bool& NominalVars) {
  constexpr Integer kLinesEndAtLF = 0;
  bool eos = false;
  Comment = ReadLnStream(Stream, eos, kLinesEndAtLF);
  // A count directly followed by LF has its line end consumed already: reading "the rest of
  // the line" then would swallow the next line.
  NrCols = ScanStreamDecimal(Stream);
  if (!LastByteWasLF(Stream)) ReadLnStream(Stream, eos, kLinesEndAtLF);
  NrRows = ScanStreamDecimal(Stream);
  if (!LastByteWasLF(Stream)) ReadLnStream(Stream, eos, kLinesEndAtLF);
  const String line = StripBlanks(UpperCase(ReadLnStream(Stream, eos, kLinesEndAtLF)));
  bool* flags[4] = {&RowAttributes, &ColumnNames, &RowNames, &NominalVars};
  return ParseASCFlags(line, flags);
}
