#include "DOV_xmlenvelope.h"

#include "DOV_streams.h"
#include "DOV_stringl.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace {

constexpr Integer kLinesEndAtLF = 0;

String StripBlanks(const String& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == String::npos) return String();
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// The decimal integer at position p (blanks skipped, one sign); 0 when there are no digits.
Int64 DecimalAt(const String& s, size_t p) {
  while (p < s.size() && s[p] == ' ') ++p;
  bool negative = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) negative = s[p++] == '-';
  Int64 v = 0;
  for (; p < s.size() && s[p] >= '0' && s[p] <= '9' && v < (Int64{1} << 40); ++p)
    v = 10 * v + (s[p] - '0');
  return negative ? -v : v;
}

}  // namespace

String XMLCommentLine(const String& ClassName) {
  return "<!-- " + ClassName + " / RIZ Ovavavude Rarev -->";
}

String XMLRootLine(const String& RootTag, const String& Version, Integer Dim,
                   const String& DataID) {
  String line = "<" + RootTag + " sig=\"" + XMLSignature + "\" vers=\"" + Version + "\"";
  if (Dim > 0) line += " dim=\"" + IntToStr(Dim) + "\"";
  return line + " id=\"" + DataID + "\">";
}

bool IsXMLRootLine(const String& Line, const String& RootTag, Integer Dim, const String& DataID,
                   String& FoundID) {
  const String line = LowerCase(Line);
  if (line.find("<" + LowerCase(RootTag)) == String::npos) return false;
  if (line.find("zuduzidad") == String::npos) return false;
  if (Dim > 0) {
    const size_t d = line.find("dim=\"");
    if (d == String::npos || DecimalAt(line, d + 5) != Dim) return false;
  }
  String id;
  const size_t i = line.find("id=\"");
  if (i != String::npos) {
    const size_t end = line.find('"', i + 4);
    id = StripBlanks(line.substr(i + 4, end == String::npos ? String::npos : end - i - 4));
  }
  if (!DataID.empty() && id != LowerCase(DataID)) return false;
  FoundID = id;
  return true;
}

bool FindXMLRootInStream(TStream& Stream, const String& RootTag, Integer Dim, const String& DataID,
                         String& FoundID) {
  bool eos = false;
  while (!eos) {
    const String line = ReadLnStream(Stream, eos, kLinesEndAtLF);
    if (IsXMLRootLine(line, RootTag, Dim, DataID, FoundID)) return true;
  }
  return false;
}

bool FindXMLRootInTextFile(TTextFile& TextFile, const String& RootTag, Integer Dim,
                           const String& DataID, String& FoundID) {
  while (!TextFile.Eof())
    if (IsXMLRootLine(TextFile.ReadLine(), RootTag, Dim, DataID, FoundID)) return true;
  return false;
}

bool FindXMLRootInString(const String& Instring, Integer& CurrPos, const String& RootTag,
                         Integer Dim, const String& DataID, String& FoundID) {
  bool eos = false;
  while (!eos) {
    const String line = ReadLnString(Instring, CurrPos, eos, kLinesEndAtLF);
    if (IsXMLRootLine(line, RootTag, Dim, DataID, FoundID)) return true;
  }
  return false;
}
