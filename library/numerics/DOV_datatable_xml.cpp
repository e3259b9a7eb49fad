// The data table's XML document: writers to a stream, an open text file and a named file;
// readers from a stream, a string and a text file. The tag readers compare only the tail of
// the text they collect with the closing tag, so reading is linear in the document's size.

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "DOV_datatable.h"
#include "DOV_math1.h"
#include "DOV_matrix_common.h"
#include "DOV_matrix_xml.h"
#include "DOV_streams.h"
#include "DOV_stringl.h"
#include "DOV_utf8.h"
#include "DOV_xmlenvelope.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace {

constexpr const char* kRootTag = "datatable";
constexpr const char* kVersion = "1.0";
constexpr Integer kDotOnly = 1;

// The readers' tags, indexed by their position; the last entry is the sentinel.
enum TDTxmlTag {
  xmlDataTableId,
  xmlDataTableEndId,
  xmlComment,
  xmlSize,
  xmlColNames,
  xmlRowNames,
  xmlColAttrib,
  xmlRowAttrib,
  xmlColId,
  xmlRowId,
  xmlDataCells,
  xmlCellID,
  xmlVarType,
  xmlVarIdentifier,
  xmlDTInvalid
};
const TStrArray TDTxmlTags = {"datatable", "/datatable", "comment",   "size", "colnames",
                              "rownames",  "colattrib",  "rowattrib", "col",  "row",
                              "datacells", "cell",       "vardef",    "idf",  "invalid"};

// Enclosing contexts of a tag; a positive context is the column of a vardef.
constexpr Integer kInDocument = 0;
constexpr Integer kInColNames = -1;
constexpr Integer kInRowNames = -2;
constexpr Integer kInColAttrib = -3;
constexpr Integer kInRowAttrib = -4;
constexpr Integer kInDataCells = -5;

// An integer attribute by the strict conversion (EConvertError for anything else); Absent
// when the attribute is missing and a default is allowed.
Integer IntAttr(const String& Attribs, const char* Name) {
  return StrToInt(ScanForXMLAttrib(Attribs, Name));
}

String Lower(const char* s) { return LowerCase(s); }

}  // namespace

// ---- writing -------------------------------------------------------------------------------

namespace {
String Document(TDataTable& T, bool CreateHeader, Integer Precision, const String& DataID,
                String& Comment) {
  String doc;
  if (CreateHeader) doc += String(XMLDeclarationLine) + "\r\n";
  doc += "\r\n" + XMLRootLine(kRootTag, kVersion, 0, DataID) + "\r\n";
  doc += XMLCommentLine("TDataTable") + "\r\n";
  doc += "<comment>" + Comment + "</comment>\r\n";
  const Integer nc = T.NrOfColumns(), nr = T.NrOfRows();
  doc += "<size cols=\"" + IntToStr(nc) + "\" rows=\"" + IntToStr(nr) + "\" />\r\n";
  doc += "<colnames default=\"\">\r\n";
  for (Integer c = 1; c <= nc; ++c)
    if (const String n = StripLTBlanks(T.GetColName(c)); !n.empty())
      doc += "<col ix=\"" + IntToStr(c) + "\">" + n + "</col>\r\n";
  doc += "</colnames>\r\n<rownames default=\"\">\r\n";
  for (Integer r = 1; r <= nr; ++r)
    if (const String n = StripLTBlanks(T.GetRowName(r)); !n.empty())
      doc += "<row ix=\"" + IntToStr(r) + "\">" + n + "</row>\r\n";
  doc += "</rownames>\r\n<colattrib default=\"0\">\r\n";
  for (Integer c = 1; c <= nc; ++c)
    if (T.GetColAttrib(c) != 0)
      doc += "<col ix=\"" + IntToStr(c) + "\">" + IntToStr(T.GetColAttrib(c)) + "</col>\r\n";
  doc += "</colattrib>\r\n<rowattrib default=\"0\">\r\n";
  for (Integer r = 1; r <= nr; ++r)
    if (T.GetRowAttrib(r) != 0)
      doc += "<row ix=\"" + IntToStr(r) + "\">" + IntToStr(T.GetRowAttrib(r)) + "</row>\r\n";
  doc += "</rowattrib>\r\n<datacells default=\"0\">\r\n";
  for (Integer r = 1; r <= nr; ++r)
    for (Integer c = 1; c <= nc; ++c) {
      const double v = T.GetElem(c, r);
      const Byte state = T.GetCellState(c, r);
      if (v == 0 && state == 0) continue;
      doc += "<cell col=\"" + IntToStr(c) + "\" row=\"" + IntToStr(r) + "\"";
      if (state != 0) doc += " state=\"" + IntToStr(state) + "\"";
      doc += ">" + strff(v, 12, Precision) + "</cell>\r\n";
    }
  doc += "</datacells>\r\n";
  bool allInterval = true;
  for (Integer c = 1; c <= nc; ++c) allInterval = allInterval && T.GetMScaleType(c) == stInterval;
  if (!allInterval)
    for (Integer c = 1; c <= nc; ++c) {
      const TMScaleType t = T.GetMScaleType(c);
      doc += "<vardef col=\"" + IntToStr(c) + "\" type=\"" + Lower(MScaleTypeNames[t]) + "\">\r\n";
      if (t == stUnknown || t == stNominal || t == stOrdinal)
        for (Integer k = 1; k <= MaxNominalIDs; ++k)
          if (const String id = T.GetNominalID(c, k); !id.empty())
            doc += "<idf ix=\"" + IntToStr(k) + "\">" + id + "</idf>\r\n";
      doc += "</vardef>\r\n";
    }
  return doc + "</datatable>\r\n";
}

String CommentWithoutLineFeeds(const String& C) {
  String s = C;
  for (auto& ch : s)
    if (ch == '\n') ch = ' ';
  return s;
}
}  // namespace

void TDataTable::WriteToXMLStream(TStream& OutStream, bool CreateHeader, Integer Precision,
                                  const String& DataID) {
  FComment = CommentWithoutLineFeeds(FComment);
  WriteStringStream(OutStream, Document(*this, CreateHeader, Precision, DataID, FComment));
}

void TDataTable::WriteToOpenXMLFile(TTextFile& TextFile, bool CreateHeader, Integer Precision,
                                    const String& DataID) {
  FComment = CommentWithoutLineFeeds(FComment);
  TextFile.Write(Document(*this, CreateHeader, Precision, DataID, FComment));
}

void TDataTable::SaveAsXMLFile(const String& FName, Integer Precision, const String& DataID) {
  FComment = CommentWithoutLineFeeds(FComment);
  if (!WriteFileReplacing(FName, Document(*this, true, Precision, DataID, FComment)))
    throw EInOutError("Cannot write file \"" + FName + "\"");
}

// ---- reading -------------------------------------------------------------------------------

Integer TDataTable::ProcessXmlTag(Integer xmlTag, const String& Attribs, const String& Contents,
                                  const String& Default, Integer Context) {
  auto readInner = [&](Integer inner) {
    Integer pos = 1;
    String a, c;
    while (ProcessXmlTag(ReadNextTagInString(Contents, pos, TDTxmlTags, a, c), a, c,
                         ScanForXMLAttrib(a, "default"), inner) == 0) {}
  };
  switch (xmlTag) {
    case xmlDataTableId: return 0;
    case xmlDataTableEndId: return 1;
    case xmlComment: FComment = Contents; return 0;
    case xmlSize: {
      const Integer cols = IntAttr(Attribs, "cols"), rows = IntAttr(Attribs, "rows");
      // As the matrix documents: a size beyond what any of them may announce is refused
      // before anything is allocated.
      if (static_cast<Int64>(std::max<Integer>(cols, 0)) * std::max<Integer>(rows, 0) >
          MaxXmlMatrixElements)
        throw ESDLDataTableError(ComponentErrorMessage(
            this,
            "the XML document announces more than " + IntToStr(MaxXmlMatrixElements) + " cells"));
      Resize(cols, rows);
      return 0;
    }
    case xmlColNames:
    case xmlRowNames: {
      const bool cols = xmlTag == xmlColNames;
      auto& names = cols ? FColName : FRowName;
      const String d = utf8::CutBytes(Default, MaxDTNameLength);
      for (auto& n : names) n = d;
      readInner(cols ? kInColNames : kInRowNames);
      return 0;
    }
    case xmlColAttrib:
    case xmlRowAttrib: {
      const bool cols = xmlTag == xmlColAttrib;
      const Integer d = StrToInt(Default);
      for (auto& a : cols ? FColAtt : FRowAtt) a = d;
      readInner(cols ? kInColAttrib : kInRowAttrib);
      return 0;
    }
    case xmlColId:
    case xmlRowId: {
      const bool cols = xmlTag == xmlColId;
      const Integer ix = IntAttr(Attribs, "ix");
      if (!(cols ? InsideCol(ix) : InsideRow(ix))) return 0;  // nothing outside the table
      const std::size_t i = static_cast<std::size_t>(ix - 1);
      if (Context == (cols ? kInColNames : kInRowNames))
        (cols ? FColName : FRowName)[i] = utf8::CutBytes(Contents, MaxDTNameLength);
      else if (Context == (cols ? kInColAttrib : kInRowAttrib))
        (cols ? FColAtt : FRowAtt)[i] = StrToInt(Contents);
      return 0;
    }
    case xmlDataCells: {
      const double d = StrToInt(Default);
      for (Integer c = 1; c <= FNrOfCols; ++c) {
        double* col = NumericData->ColumnPtr(c);
        for (Integer r = 0; r < FNrOfRows; ++r) col[r] = d;
        std::fill(FCState[static_cast<std::size_t>(c - 1)].begin(),
                  FCState[static_cast<std::size_t>(c - 1)].end(), Byte{0});
      }
      readInner(kInDataCells);
      return 0;
    }
    case xmlCellID: {
      const Integer c = IntAttr(Attribs, "col");
      const Integer r = IntAttr(Attribs, "row");
      const String st = ScanForXMLAttrib(Attribs, "state");
      const Integer state = st.empty() ? 0 : StrToInt(st);
      Integer pos = 1;
      const double v = ScanFPNum(Contents, true, kDotOnly, pos);
      if (InsideCell(c, r)) {
        NumericData->ColumnPtr(c)[r - 1] = v;
        FCState[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r - 1)] =
            static_cast<Byte>(state);
      }
      return 0;
    }
    case xmlVarType: {
      const Integer c = IntAttr(Attribs, "col");
      const String t = LowerCase(ScanForXMLAttrib(Attribs, "type"));
      TMScaleType scale = stUnknown;
      if (t == "ratio")
        scale = stRatio;
      else if (t == "interval")
        scale = stInterval;
      else if (t == "nominal")
        scale = stNominal;
      else if (t == "ordinal")
        scale = stOrdinal;
      SetMScaleType(c, scale);
      if ((scale == stNominal || scale == stOrdinal) && InsideCol(c)) readInner(c);
      return 0;
    }
    case xmlVarIdentifier:
      if (Context > 0) SetNominalID(Context, IntAttr(Attribs, "ix"), Contents);
      return 0;
    default: return -1;
  }
}

template <class ReadTag>
bool TDataTable::ReadXmlDocument(ReadTag readTag, const std::function<Integer()>& Percent) {
  Integer r = 0;
  {
    // The table's own change event waits for the end; it comes back on every path.
    dov_matrix::TSilentEvent<TNotifyEvent> silent(OnChange);
    String attribs, contents;
    do {
      PercDone(this, Percent());
      const Integer tag = readTag(attribs, contents);
      r = ProcessXmlTag(tag, attribs, contents, ScanForXMLAttrib(attribs, "default"), kInDocument);
    } while (r == 0);
  }
  ChangedData();
  ChangedSetup();
  ChangedNames();
  ChangedAttrib();
  ChangedCellStates();
  return r == 1;
}

namespace {
Integer PercentOf(Int64 Pos, Int64 Size) {
  return Size <= 0 ? 100
                   : static_cast<Integer>(std::llround(100.0 * static_cast<double>(Pos) /
                                                       static_cast<double>(Size)));
}
}  // namespace

bool TDataTable::ReadFromXMLStream(TStream& InStream, const String& DataID) {
  String id;
  PercDone(this, PercentOf(InStream.Position(), InStream.Size()));
  if (!FindXMLRootInStream(InStream, kRootTag, 0, DataID, id)) return false;
  return ReadXmlDocument(
      [&](String& a, String& c) { return ReadNextTagInStream(InStream, TDTxmlTags, a, c); },
      [&] { return PercentOf(InStream.Position(), InStream.Size()); });
}

bool TDataTable::ReadFromXMLString(const String& InString, Integer& StartAt, const String& DataID) {
  String id;
  const Int64 size = static_cast<Int64>(InString.size());
  PercDone(this, PercentOf(StartAt, size));
  if (!FindXMLRootInString(InString, StartAt, kRootTag, 0, DataID, id)) return false;
  return ReadXmlDocument(
      [&](String& a, String& c) {
        return ReadNextTagInString(InString, StartAt, TDTxmlTags, a, c);
      },
      [&] { return PercentOf(StartAt, size); });
}

bool TDataTable::ReadFromOpenXMLFile(TTextFile& TextFile, const String& DataID) {
  String id;
  PercDone(this, PercentOf(TextFile.FilePos(), TextFile.FileSize()));
  if (!FindXMLRootInTextFile(TextFile, kRootTag, 0, DataID, id)) return false;
  return ReadXmlDocument(
      [&](String& a, String& c) { return ReadNextTagInTextFile(TextFile, TDTxmlTags, a, c); },
      [&] { return PercentOf(TextFile.FilePos(), TextFile.FileSize()); });
}

bool TDataTable::LoadFromXMLFile(const String& FName, const String& DataID) {
  try {
    TTextFile f(FName);
    f.Reset();
    return ReadFromOpenXMLFile(f, DataID);
  } catch (const Exception&) {
    return false;
  }
}
