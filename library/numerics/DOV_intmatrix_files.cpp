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
#include "DOV_matrix_xml.h"
#include "DOV_streams.h"
#include "DOV_textio.h"
#include "DOV_xmlenvelope.h"
#include "SysUtils.h"
#include "TextFile.h"

using namespace dov_matrix;

namespace {

constexpr std::size_t kIntsPerBlock = kBlockSize / sizeof(Integer);  // 1024
constexpr const char* kRootTag = "matrix";
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
  try {
    TTextFile F(FileName);
    F.Reset();
    Integer h[4];
    if (!dov_textio::ReadHeader(F, h, 4)) return false;
    const Integer LoR = h[0], HiR = h[1], LoC = h[2], HiC = h[3];
    if (AdjustMatrixSize) {
      if (!dov_textio::SizeFits(HiC, HiR, dov_textio::BytesLeft(F) / 2)) return false;
      Resize(HiC, HiR);
    }
    const bool ok = FNRow >= HiR && FNCol >= HiC;
    if (ok) {
      for (Integer r = LoR; r <= HiR; ++r)
        for (Integer c = LoC; c <= HiC; ++c) {
          if (F.SeekEof()) break;
          try {
            SetVal(c, r, F.ReadInteger());
          } catch (const EInOutError&) {
            // a token that is not an integer leaves its element
          }
        }
    }
    Changed();
    return ok;
  } catch (const Exception&) {
    return false;
  }
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
  if (InStream == nullptr) return false;
  Integer h[4];
  for (Integer& v : h) {
    bool error = false;
    v = ReadLongintFromStream(*InStream, error);
    if (error) return false;
  }
  const Integer LoR = h[0], HiR = h[1], LoC = h[2], HiC = h[3];
  if (AdjustMatrixSize) {
    if (!dov_textio::SizeFits(HiC, HiR, (InStream->Size() - InStream->Position()) / 4))
      return false;
    Resize(HiC, HiR);
  }
  bool ok = FNRow >= HiR && FNCol >= HiC;
  if (ok) {
    for (Int64 r = LoR; r <= HiR && ok; ++r)
      for (Int64 c = LoC; c <= HiC; ++c) {
        bool error = false;
        const Integer v = ReadLongintFromStream(*InStream, error);
        if (error) {
          ok = false;  // every later read would fail as well
          break;
        }
        SetVal(static_cast<Integer>(c), static_cast<Integer>(r), v);
      }
  }
  Changed();
  return ok;
}

// ---- block file ----------------------------------------------------------------------------

void TIntMatrix::SaveBinary(const String& FName) {
  const std::size_t values =
      static_cast<std::size_t>(std::max<Integer>(FNCol, 0)) * std::max<Integer>(FNRow, 0);
  const std::size_t blocks = std::max<std::size_t>(1, (values + kIntsPerBlock - 1) / kIntsPerBlock);
  std::string bytes;
  try {
    bytes.assign((1 + blocks) * kBlockSize, '\0');
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  auto* b = reinterpret_cast<unsigned char*>(bytes.data());
  TBlockHeader h;
  h.Word[0] = FNCol;
  h.Word[1] = FNRow;
  h.ID = FDataID;
  EncodeBlockHeader(b, h);
  const Int64 total = static_cast<Int64>(values);
  const Int64 step = std::max<Int64>(1, total / 100);
  Int64 count = 0;
  unsigned char* at = b + kBlockSize;
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
  TBinaryFile F(FName);
  F.Reset(static_cast<int>(kBlockSize), true);
  std::vector<unsigned char> head(kBlockSize);
  auto wrongFormat = [this] {
    throw ESDLMatrixError(ComponentErrorMessage(this, "binary matrix data has wrong format"));
  };
  if (F.BlockRead(head.data(), 1) != 1) wrongFormat();
  const TBlockHeader h = DecodeBlockHeader(head.data());
  if (h.Word[2] != 0 || h.Word[3] != 0 || h.Word[0] < 0 || h.Word[1] < 0) wrongFormat();
  const std::size_t values =
      static_cast<std::size_t>(h.Word[0]) * static_cast<std::size_t>(h.Word[1]);
  const std::size_t blocks = (values + kIntsPerBlock - 1) / kIntsPerBlock;
  // The sizes are believed only when the file holds their values.
  if (static_cast<std::size_t>(F.FileSize()) < 1 + blocks) wrongFormat();
  std::vector<Integer> data;
  try {
    data.resize(blocks * kIntsPerBlock);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  if (blocks > 0 &&
      F.BlockRead(data.data(), static_cast<Int64>(blocks)) != static_cast<Int64>(blocks))
    wrongFormat();
  F.CloseFile();
  Resize(h.Word[0], h.Word[1]);
  FDataID = h.ID;
  const Int64 total = static_cast<Int64>(values);
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
  TBinaryFile F(FName);
  F.Reset(static_cast<int>(kBlockSize), true);
  std::vector<unsigned char> head(kBlockSize);
  NrColumns = NrRows = 0;
  DataID.clear();
  if (F.BlockRead(head.data(), 1) != 1) return false;
  const TBlockHeader h = DecodeBlockHeader(head.data());
  NrColumns = h.Word[0];
  NrRows = h.Word[1];
  DataID = h.ID;
  return h.Word[2] == 0 && h.Word[3] == 0;
}

// ---- XML -----------------------------------------------------------------------------------

String TIntMatrix::XmlDocument(bool CreateHeader, const String& DataID) const {
  String doc;
  if (CreateHeader) doc += String(XMLDeclarationLine) + "\r\n";
  doc += "\r\n" + XMLCommentLine("TIntMatrix") + "\r\n";
  doc += XMLRootLine(kRootTag, kVersion, kDim, DataID.empty() ? FDataID : DataID) + "\r\n";
  doc += "<numcols>" + IntToStr(FNCol) + "</numcols>\r\n";
  doc += "<numrows>" + IntToStr(FNRow) + "</numrows>\r\n";
  auto cell = [&](Integer c, Integer r, Integer v) {
    doc += "<cell ix=\"" + IntToStr(c) + "\" iy=\"" + IntToStr(r) + "\">" + IntToStr(v) +
           "</cell>\r\n";
  };
  if (FIsSparse) {
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
  return doc + "</matrix>\r\n";
}

void TIntMatrix::WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) {
  WriteStringStream(OutStream, XmlDocument(CreateHeader, DataID));
}

void TIntMatrix::WriteToOpenXMLFile(TTextFile& TextFile, bool CreateHeader, const String& DataID) {
  TextFile.Write(XmlDocument(CreateHeader, DataID));
}

void TIntMatrix::SaveAsXMLFile(const String& FName, const String& DataID) {
  if (!WriteFileReplacing(FName, XmlDocument(true, DataID)))
    throw EInOutError("Cannot write file \"" + FName + "\"");
}

Integer TIntMatrix::ProcessXmlTag(Integer xmlTag, const String& Attribs, const String& Contents) {
  switch (xmlTag) {
    case xmlMatNumCols: FXmlNumCols = LeadingInteger(Contents); return 0;
    case xmlMatNumRows: FXmlNumRows = LeadingInteger(Contents); return 0;
    case xmlMatNumLayers:
    case xmlMatNumTimeSlots:
    case xmlMatBegin: return 0;
    case xmlMatCell: {
      if (FirstCell) {
        FirstCell = false;
        const Integer nc = std::max<Integer>(FXmlNumCols, FIsSparse ? 0 : 1);
        const Integer nr = std::max<Integer>(FXmlNumRows, FIsSparse ? 0 : 1);
        if (!FIsSparse && static_cast<Int64>(nc) * nr > MaxXmlMatrixElements)
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
      if (FirstCell && FXmlNumCols >= 1 && FXmlNumRows >= 1 &&
          static_cast<Int64>(FXmlNumCols) * FXmlNumRows <= MaxXmlMatrixElements)
        Resize(FXmlNumCols, FXmlNumRows);
      return 1;
    default: return -1;
  }
}

template <class ReadTag>
bool TIntMatrix::ReadXmlContent(ReadTag readTag) {
  FXmlNumCols = FNCol;
  FXmlNumRows = FNRow;
  Integer r;
  {
    TSilentEvent<TNotifyEvent> silent(OnChange);
    FirstCell = true;
    String attribs, contents;
    do r = ProcessXmlTag(readTag(attribs, contents), attribs, contents);
    while (r == 0);
  }
  Changed();
  return r == 1;
}

bool TIntMatrix::ReadFromXMLStream(TStream& InStream, const String& DataID) {
  String id;
  if (!FindXMLRootInStream(InStream, kRootTag, kDim, DataID, id)) return false;
  FDataID = id;
  return ReadXmlContent(
      [&](String& a, String& c) { return ReadNextTagInStream(InStream, MatXmlTags, a, c); });
}

bool TIntMatrix::ReadFromOpenXMLFile(TTextFile& TextFile, const String& DataID) {
  String id;
  if (!FindXMLRootInTextFile(TextFile, kRootTag, kDim, DataID, id)) return false;
  FDataID = id;
  return ReadXmlContent(
      [&](String& a, String& c) { return ReadNextTagInTextFile(TextFile, MatXmlTags, a, c); });
}

bool TIntMatrix::LoadFromXMLFile(const String& FName, const String& DataID) {
  try {
    TTextFile f(FName);
    f.Reset();
    return ReadFromOpenXMLFile(f, DataID);
  } catch (const Exception&) {
    return false;
  }
}
