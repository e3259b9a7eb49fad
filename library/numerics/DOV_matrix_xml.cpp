// The XML document of TMatrix: the envelope with dim="2", numcols, numrows and one cell element
// per non-zero value, rows outer and columns inner.

#include <utility>

#include "DOV_math1.h"
#include "DOV_matrix.h"
#include "DOV_matrix_xml.h"
#include "DOV_streams.h"
#include "DOV_xmlenvelope.h"
#include "SysUtils.h"
#include "TextFile.h"

const TStrArray MatXmlTags = {"numcols", "numrows", "numplanes", "numtimeslots",
                              "cell",    "matrix",  "/matrix",   "invalidtag"};

namespace {

constexpr const char* kRootTag = "matrix";
constexpr const char* kVersion = "6.0";
constexpr Integer kDim = 2;
constexpr Integer kDotOnly = 1;  // ScanFPNum's decimal separator "."

// The integer that follows Name (e.g. 'ix="') in an attribute text; 0 when it is missing.
Integer IntAfter(const String& Attribs, const char* Name) {
  const size_t p = Attribs.find(Name);
  if (p == String::npos) return 0;
  Integer pos = static_cast<Integer>(p + std::char_traits<char>::length(Name)) + 1;
  return ScanDecimal(Attribs, pos);
}

Integer LeadingInteger(const String& Text) {
  Integer pos = 1;
  return ScanDecimal(Text, pos);
}

// Keeps OnChange silent while a document is read, so that it fires once at the end.
class TSilentChanges {
public:
  explicit TSilentChanges(TMatrix& M) : FM(M), FSaved(std::exchange(M.OnChange, nullptr)) {}
  ~TSilentChanges() { FM.OnChange = std::move(FSaved); }

private:
  TMatrix& FM;
  TNotifyEvent FSaved;
};

// Reads tags until the end of the document; true when </matrix> was reached.
template <class ReadTag>
bool ReadMatrixContent(TMatrix& M, ReadTag readTag) {
  Integer r;
  {
    TSilentChanges silent(M);
    M.FirstCell = true;
    String attribs, contents;
    do r = M.ProcessXmlTag(readTag(attribs, contents), attribs, contents);
    while (r == 0);
  }
  M.Changed();
  return r == 1;
}

}  // namespace

String MatrixCellText(double v) { return RoundTripFloatText(v); }

double MatrixCellValue(const String& Contents) {
  double v = 0;
  if (ScanRoundTripFloat(Contents, v)) return v;
  Integer pos = 1;
  return ScanFPNum(Contents, true, kDotOnly, pos);
}

String TMatrix::XmlDocument(bool CreateHeader, const String& DataID) const {
  String doc;
  if (CreateHeader) doc += String(XMLDeclarationLine) + "\r\n";
  doc += "\r\n" + XMLCommentLine("TMatrix") + "\r\n";
  doc += XMLRootLine(kRootTag, kVersion, kDim, DataID.empty() ? FDataID : DataID) + "\r\n";
  doc += "<numcols>" + IntToStr(FNCol) + "</numcols>\r\n";
  doc += "<numrows>" + IntToStr(FNRow) + "</numrows>\r\n";
  for (Integer r = 1; r <= FNRow; ++r)
    for (Integer c = 1; c <= FNCol; ++c) {
      const double v = GetVal(c, r);
      if (IsOmittedCell(v)) continue;
      doc += "<cell ix=\"" + IntToStr(c) + "\" iy=\"" + IntToStr(r) + "\">" + MatrixCellText(v) +
             "</cell>\r\n";
    }
  return doc + "</matrix>\r\n";
}

void TMatrix::WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) {
  WriteStringStream(OutStream, XmlDocument(CreateHeader, DataID));
}

void TMatrix::WriteToOpenXMLFile(TTextFile& TextFile, bool CreateHeader, const String& DataID) {
  TextFile.Write(XmlDocument(CreateHeader, DataID));
}

void TMatrix::SaveAsXMLFile(const String& FName, const String& DataID) {
  if (!WriteFileReplacing(FName, XmlDocument(true, DataID)))
    throw EInOutError("Cannot write file \"" + FName + "\"");
}

Integer TMatrix::ProcessXmlTag(Integer xmlTag, const String& Attribs, const String& Contents) {
  switch (xmlTag) {
    case xmlMatNumCols: FXmlNumCols = LeadingInteger(Contents); return 0;
    case xmlMatNumRows: FXmlNumRows = LeadingInteger(Contents); return 0;
    case xmlMatNumLayers:
    case xmlMatNumTimeSlots:
    case xmlMatBegin: return 0;
    case xmlMatCell: {
      if (FirstCell) {
        FirstCell = false;
        const Integer nc = std::max<Integer>(FXmlNumCols, 1);
        const Integer nr = std::max<Integer>(FXmlNumRows, 1);
        if (static_cast<Int64>(nc) * nr > MaxXmlMatrixElements)
          throw ESDLMatrixError(ComponentErrorMessage(
              this, "the XML document announces " + IntToStr(nc) + " x " + IntToStr(nr) +
                        " elements, more than " + IntToStr(MaxXmlMatrixElements)));
        Resize(nc, nr);
      }
      const Integer c = IntAfter(Attribs, "ix=\"");
      const Integer r = IntAfter(Attribs, "iy=\"");
      if (c < 1 || c > FNCol || r < 1 || r > FNRow) return 0;
      ColumnPtr(c)[r - 1] = MatrixCellValue(Contents);
      return 0;
    }
    case xmlMatEnd:
      // A document without cells still gives the matrix its announced size.
      if (FirstCell && FXmlNumCols >= 1 && FXmlNumRows >= 1 &&
          static_cast<Int64>(FXmlNumCols) * FXmlNumRows <= MaxXmlMatrixElements)
        Resize(FXmlNumCols, FXmlNumRows);
      return 1;
    default: return -1;
  }
}

bool TMatrix::ReadFromXMLStream(TStream& InStream, const String& DataID) {
  String id;
  if (!FindXMLRootInStream(InStream, kRootTag, kDim, DataID, id)) return false;
  FDataID = id;
  FXmlNumCols = FNCol;
  FXmlNumRows = FNRow;
  return ReadMatrixContent(
      *this, [&](String& a, String& c) { return ReadNextTagInStream(InStream, MatXmlTags, a, c); });
}

bool TMatrix::ReadFromOpenXMLFile(TTextFile& TextFile, const String& DataID) {
  String id;
  if (!FindXMLRootInTextFile(TextFile, kRootTag, kDim, DataID, id)) return false;
  FDataID = id;
  FXmlNumCols = FNCol;
  FXmlNumRows = FNRow;
  return ReadMatrixContent(*this, [&](String& a, String& c) {
    return ReadNextTagInTextFile(TextFile, MatXmlTags, a, c);
  });
}

bool TMatrix::LoadFromXMLFile(const String& FName, const String& DataID) {
  try {
    TTextFile f(FName);
    f.Reset();
    const bool ok = ReadFromOpenXMLFile(f, DataID);
    f.CloseFile();
    return ok;
  } catch (const Exception&) {
    return false;
  }
}
