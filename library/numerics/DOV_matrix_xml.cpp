// The XML document of TMatrix: the envelope with dim="2", numcols, numrows and one cell element
// per non-zero value, rows outer and columns inner.

#include "DOV_math1.h"
#include "DOV_matrix.h"
#include "DOV_matrix_io.h"
#include "DOV_matrix_xml.h"
#include "DOV_streams.h"
#include "DOV_xmlenvelope.h"
#include "SysUtils.h"
#include "TextFile.h"

const TStrArray MatXmlTags = {"numcols", "numrows", "numplanes", "numtimeslots",
                              "cell",    "matrix",  "/matrix",   "invalidtag"};

using namespace dov_matrix;

namespace {

constexpr const char* kVersion = "6.0";
constexpr Integer kDim = 2;
constexpr Integer kDotOnly = 1;  // ScanFPNum's decimal separator "."

}  // namespace

String MatrixCellText(double v) { return RoundTripFloatText(v); }

double MatrixCellValue(const String& Contents) {
  double v = 0;
  if (ScanRoundTripFloat(Contents, v)) return v;
  Integer pos = 1;
  return ScanFPNum(Contents, true, kDotOnly, pos);
}

String TMatrix::XmlDocument(bool CreateHeader, const String& DataID) const {
  const Integer sizes[2] = {FNCol, FNRow};
  String doc = XmlDocumentHead(CreateHeader, "TMatrix", kVersion, kDim,
                               DataID.empty() ? FDataID : DataID, sizes);
  for (Integer r = 1; r <= FNRow; ++r)
    for (Integer c = 1; c <= FNCol; ++c) {
      const double v = GetVal(c, r);
      if (IsOmittedCell(v)) continue;
      doc += "<cell ix=\"" + IntToStr(c) + "\" iy=\"" + IntToStr(r) + "\">" + MatrixCellText(v) +
             "</cell>\r\n";
    }
  return doc + kXmlDocumentEnd;
}

void TMatrix::WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) {
  WriteStringStream(OutStream, XmlDocument(CreateHeader, DataID));
}

void TMatrix::WriteToOpenXMLFile(TTextFile& TextFile, bool CreateHeader, const String& DataID) {
  TextFile.Write(XmlDocument(CreateHeader, DataID));
}

void TMatrix::SaveAsXMLFile(const String& FName, const String& DataID) {
  SaveXmlDocument(FName, XmlDocument(true, DataID));
}

Integer TMatrix::ProcessXmlTag(Integer xmlTag, const String& Attribs, const String& Contents) {
  if (TakeAnnouncedSize(xmlTag, Contents, FXmlSize, kDim)) return 0;
  switch (xmlTag) {
    case xmlMatBegin: return 0;
    case xmlMatCell: {
      if (FirstCell) {
        FirstCell = false;
        const Integer nc = std::max<Integer>(FXmlSize[0], 1);
        const Integer nr = std::max<Integer>(FXmlSize[1], 1);
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
      if (FirstCell && FXmlSize[0] >= 1 && FXmlSize[1] >= 1 &&
          static_cast<Int64>(FXmlSize[0]) * FXmlSize[1] <= MaxXmlMatrixElements)
        Resize(FXmlSize[0], FXmlSize[1]);
      return 1;
    default: return -1;
  }
}

void TMatrix::StartXmlDocument(const String& ID) {
  FDataID = ID;
  FXmlSize[0] = FNCol;
  FXmlSize[1] = FNRow;
}

bool TMatrix::ReadFromXMLStream(TStream& InStream, const String& DataID) {
  return TMatrixAccess::ReadXmlStream(*this, InStream, kDim, DataID);
}

bool TMatrix::ReadFromOpenXMLFile(TTextFile& TextFile, const String& DataID) {
  return TMatrixAccess::ReadXmlTextFile(*this, TextFile, kDim, DataID);
}

bool TMatrix::LoadFromXMLFile(const String& FName, const String& DataID) {
  return TMatrixAccess::LoadXmlFile(*this, FName, kDim, DataID);
}
