// TIntMatrix files: text window, 4-byte stream, block file of 1024 integers to a block, XML.
// Every reader checks what a header claims against what the source can still hold before it
// sizes the matrix; every file is closed on every path.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "DOV_intmatrix.h"
#include "DOV_matrix_common.h"
#include "DOV_matrix_io.h"
#include "DOV_matrix_xml.h"
#include "DOV_streams.h"
#include "DOV_textio.h"
#include "DOV_xmlenvelope.h"
#include "SysUtils.h"
#include "TextFile.h"

using namespace dov_matrix;

namespace {

constexpr const char* kVersion = "6.0";
constexpr Integer kDim = 2;

}  // namespace

// ---- text file -----------------------------------------------------------------------------

bool TIntMatrix::StoreOnFile(Integer LoC, Integer LoR, Integer HiC, Integer HiR,
                             const String& FileName) const {
  MakeValidColRange(LoC, HiC);
  MakeValidRowRange(LoR, HiR);
  String text =
      IntToStr(LoR) + " " + IntToStr(HiR) + "\r\n" + IntToStr(LoC) + " " + IntToStr(HiC) + "\r\n";
  if (LoC >= 1 && LoR >= 1)
    for (Integer r = LoR; r <= HiR; ++r) {
      for (Integer c = LoC; c <= HiC; ++c) text += IntToStr(GetVal(c, r)) + " ";
      text += "\r\n";
    }
  return WriteFileReplacing(FileName, text);
}

bool TIntMatrix::LoadFromFile(const String& FileName, bool AdjustMatrixSize) {
  return LoadWindowText<Integer>(*this, FileName, AdjustMatrixSize, dov_textio::ReadInteger);
}

// ---- stream --------------------------------------------------------------------------------

void TIntMatrix::SaveToStream(TMemoryStream*& OutStream, Integer LoC, Integer LoR, Integer HiC,
                              Integer HiR) const {
  if (OutStream == nullptr) OutStream = new TMemoryStream();
  MakeValidColRange(LoC, HiC);
  MakeValidRowRange(LoR, HiR);
  std::string bytes;
  auto put = [&](Integer v) {
    unsigned char b[4];
    PutInt32(b, v);
    bytes.append(reinterpret_cast<const char*>(b), 4);
  };
  put(LoR);
  put(HiR);
  put(LoC);
  put(HiC);
  for (Integer r = LoR; r <= HiR; ++r)
    for (Integer c = LoC; c <= HiC; ++c) put(GetVal(c, r));
  OutStream->WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
}

void TIntMatrix::SaveToStream(TFileStream* OutStream, Integer LoC, Integer LoR, Integer HiC,
                              Integer HiR) const {
  if (OutStream == nullptr) return;
  TMemoryStream* mem = new TMemoryStream();
  try {
    SaveToStream(mem, LoC, LoR, HiC, HiR);
    OutStream->WriteBuffer(mem->Memory(), mem->Size());
  } catch (...) {
    delete mem;
    throw;
  }
  delete mem;
}

bool TIntMatrix::LoadFromStream(TStream* InStream, bool AdjustMatrixSize) {
  constexpr std::size_t kLongintBytes = 4;
  return InStream != nullptr && LoadWindowStream(*this, *InStream, kLongintBytes, AdjustMatrixSize,
                                                 ReadLongintBound, ReadLongintFromStream);
}

// ---- block file ----------------------------------------------------------------------------

void TIntMatrix::SaveBinary(const String& FName) {
  std::string bytes = NewBlockMatrixBytes<Integer>(this, FNCol, FNRow, FDataID);
  const Int64 total = static_cast<Int64>(std::max<Integer>(FNCol, 0)) * std::max<Integer>(FNRow, 0);
  const Int64 step = std::max<Int64>(1, total / 100);
  Int64 count = 0;
  auto* at = reinterpret_cast<unsigned char*>(bytes.data()) + kBlockSize;
  for (Integer c = 1; c <= FNCol; ++c)
    for (Integer r = 1; r <= FNRow; ++r) {
      PutInt32(at, GetVal(c, r));
      at += 4;
      if (++count % step == 0)
        PercDone(this,
                 static_cast<Integer>(std::llround(static_cast<double>(count) * 100 / total)));
    }
  if (!WriteFileReplacing(FName, bytes)) throw EInOutError("Cannot write file " + FName);
}

void TIntMatrix::LoadBinary(const String& FName) {
  TBlockHeader h;
  const std::vector<Integer> data = ReadBlockMatrix<Integer>(this, FName, h);
  Resize(h.Word[0], h.Word[1]);
  FDataID = h.ID;
  const Int64 total = static_cast<Int64>(h.Word[0]) * h.Word[1];
  const Int64 step = std::max<Int64>(1, total / 100);
  Int64 count = 0;
  std::size_t i = 0;
  for (Integer c = 1; c <= h.Word[0]; ++c)
    for (Integer r = 1; r <= h.Word[1]; ++r) {
      SetVal(c, r, data[i++]);
      if (++count % step == 0)
        PercDone(this,
                 static_cast<Integer>(std::llround(static_cast<double>(count) * 100 / total)));
    }
}

bool TIntMatrix::ReadBinaryHeader(const String& FName, Integer& NrColumns, Integer& NrRows,
                                  String& DataID) const {
  return ReadBlockHeader2D(FName, NrColumns, NrRows, DataID);
}

// ---- XML -----------------------------------------------------------------------------------

String TIntMatrix::XmlDocument(bool CreateHeader, const String& DataID) const {
  const Integer sizes[2] = {FNCol, FNRow};
  String doc = XmlDocumentHead(CreateHeader, "TIntMatrix", kVersion, kDim,
                               DataID.empty() ? FDataID : DataID, sizes);
  auto cell = [&](Integer c, Integer r, Integer v) {
    doc += "<cell ix=\"" + IntToStr(c) + "\" iy=\"" + IntToStr(r) + "\">" + IntToStr(v) +
           "</cell>\r\n";
  };
  if (FSparse) {
    // The stored elements in the document's order: rows outer, columns inner.
    std::vector<TSpMatElemInt> e = SparseEntries();
    std::sort(e.begin(), e.end(), [](const TSpMatElemInt& a, const TSpMatElemInt& b) {
      return a.rowidx < b.rowidx || (a.rowidx == b.rowidx && a.colidx < b.colidx);
    });
    for (const auto& x : e)
      if (x.value != 0 && x.colidx <= FNCol && x.rowidx <= FNRow) cell(x.colidx, x.rowidx, x.value);
  } else {
    for (Integer r = 1; r <= FNRow; ++r)
      for (Integer c = 1; c <= FNCol; ++c)
        if (const Integer v = GetVal(c, r); v != 0) cell(c, r, v);
  }
  return doc + kXmlDocumentEnd;
}

void TIntMatrix::WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) {
  WriteStringStream(OutStream, XmlDocument(CreateHeader, DataID));
}

void TIntMatrix::WriteToOpenXMLFile(TTextFile& TextFile, bool CreateHeader, const String& DataID) {
  TextFile.Write(XmlDocument(CreateHeader, DataID));
}

void TIntMatrix::SaveAsXMLFile(const String& FName, const String& DataID) {
  SaveXmlDocument(FName, XmlDocument(true, DataID));
}

Integer TIntMatrix::ProcessXmlTag(Integer xmlTag, const String& Attribs, const String& Contents) {
  if (TakeAnnouncedSize(xmlTag, Contents, FXmlSize, kDim)) return 0;
  switch (xmlTag) {
    case xmlMatBegin: return 0;
    case xmlMatCell: {
      if (FirstCell) {
        FirstCell = false;
        const Integer nc = std::max<Integer>(FXmlSize[0], FSparse ? 0 : 1);
        const Integer nr = std::max<Integer>(FXmlSize[1], FSparse ? 0 : 1);
        if (!FSparse && static_cast<Int64>(nc) * nr > MaxXmlMatrixElements)
          throw ESDLMatrixError(ComponentErrorMessage(
              this, "the XML document announces " + IntToStr(nc) + " x " + IntToStr(nr) +
                        " elements, more than " + IntToStr(MaxXmlMatrixElements)));
        Resize(nc, nr);
      }
      const Integer c = IntAfter(Attribs, "ix=\"");
      const Integer r = IntAfter(Attribs, "iy=\"");
      if (c < 1 || c > FNCol || r < 1 || r > FNRow) return 0;
      SetVal(c, r, LeadingInteger(Contents));
      return 0;
    }
    case xmlMatEnd:
      if (FirstCell && FXmlSize[0] >= 1 && FXmlSize[1] >= 1 &&
          static_cast<Int64>(FXmlSize[0]) * FXmlSize[1] <= MaxXmlMatrixElements)
        Resize(FXmlSize[0], FXmlSize[1]);
      return 1;
    default: return -1;
  }
}

void TIntMatrix::StartXmlDocument(const String& ID) {
  FDataID = ID;
  FXmlSize[0] = FNCol;
  FXmlSize[1] = FNRow;
}

bool TIntMatrix::ReadFromXMLStream(TStream& InStream, const String& DataID) {
  return TMatrixAccess::ReadXmlStream(*this, InStream, kDim, DataID);
}

bool TIntMatrix::ReadFromOpenXMLFile(TTextFile& TextFile, const String& DataID) {
  return TMatrixAccess::ReadXmlTextFile(*this, TextFile, kDim, DataID);
}

bool TIntMatrix::LoadFromXMLFile(const String& FName, const String& DataID) {
  return TMatrixAccess::LoadXmlFile(*this, FName, kDim, DataID);
}
