#include "DOV_dstruct.h"

#include <filesystem>

#include "DOV_streams.h"
#include "DOV_textsave.h"
#include "DOV_xmlenvelope.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace {

constexpr const char* RootTag = "strarray";
constexpr const char* FormatVersion = "1.0";

// The decimal integer at the start of a text (blanks and a sign allowed), as the stream
// scanner reads it.
Integer DecimalOf(const String& text) {
  TStringStream s(text);
  return ScanStreamDecimal(s);
}

}  // namespace

void TStringArray::WriteToOpenXMLFile(TTextFile& OutFile, bool CreateHeader,
                                      const String& DataID) const {
  if (CreateHeader) OutFile.WriteLn(XMLDeclarationLine);
  OutFile.WriteLn();
  OutFile.WriteLn(XMLCommentLine("TStringArray"));
  OutFile.WriteLn(XMLRootLine(RootTag, FormatVersion, 0, DataID));
  OutFile.WriteLn("<numcols>" + IntToStr(FNCol) + "</numcols>");
  OutFile.WriteLn("<numrows>" + IntToStr(FNRow) + "</numrows>");
  for (Integer r = 1; r <= FNRow; ++r)
    for (Integer c = 0; c <= FNCol; ++c) {
      const String text = GetString(c, r);
      if (!text.empty())
        OutFile.WriteLn("<cell ix=\"" + IntToStr(c) + "\" iy=\"" + IntToStr(r) + "\">" + text +
                        "</cell>");
    }
  OutFile.WriteLn("</strarray>");
}

void TStringArray::SaveAsXMLFile(const String& FName, const String& DataID) const {
  SaveTextFileReplacing(FName, [&](TTextFile& f) { WriteToOpenXMLFile(f, true, DataID); });
}

bool TStringArray::ReadFromOpenXMLFile(TTextFile& InFile, const String& DataID) {
  String foundID;
  if (!FindXMLRootInTextFile(InFile, RootTag, 0, DataID, foundID)) return false;
  UnSort();
  const TStrArray tags = {"numcols", "numrows", "cell", "/strarray", ""};
  enum { tgNumCols, tgNumRows, tgCell, tgEnd, tgOther };
  bool complete = false;
  bool fits = true;
  String attributes, contents;
  while (fits) {
    const Integer tag = ReadNextTagInTextFile(InFile, tags, attributes, contents);
    if (tag == tgEnd) {
      complete = true;
      break;
    }
    if (tag == tgOther && InFile.Eof()) break;  // the document ends before its closing tag
    if (tag == tgNumCols) {
      const Integer n = DecimalOf(contents);
      if (n > 0) fits = Resize(n, FNRow);
    } else if (tag == tgNumRows) {
      const Integer n = DecimalOf(contents);
      if (n > 0) fits = Resize(FNCol, n);
    } else if (tag == tgCell) {
      SetString(DecimalOf(ScanForXMLAttrib(attributes, "ix")),
                DecimalOf(ScanForXMLAttrib(attributes, "iy")), contents);
    }
  }
  Changed();
  return complete;
}

bool TStringArray::LoadFromXMLFile(const String& FName, const String& DataID) {
  TTextFile f(FName);
  f.Reset();
  const bool ok = ReadFromOpenXMLFile(f, DataID);
  f.CloseFile();
  return ok;
}
