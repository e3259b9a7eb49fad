#pragma once
// The document and stream readers that the matrix classes (TMatrix, TIntMatrix, TMat3D, TMat4D)
// share: the XML document reader, the 2-D block file and the window stream of bounds and values.
// Each class keeps its own tag handler (ProcessXmlTag), which knows its sizes and storage; what
// is the same for all of them lives here once. Internal to the numerics library.
//
// TMatrixAccess reaches the one private step every class has for it, StartXmlDocument(id): the
// identification of the document found becomes the DataID and the present sizes become the
// announced ones until the document says otherwise.

#include <algorithm>
#include <cstddef>
#include <vector>

#include "DOV_matrix_common.h"
#include "DOV_matrix_xml.h"
#include "DOV_streams.h"
#include "DOV_textio.h"
#include "DOV_xmlenvelope.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace dov_matrix {

inline constexpr const char* kXmlRootTag = "matrix";

// The opening of a matrix document up to its size elements; Sizes in the order numcols,
// numrows, numplanes, numtimeslots (as many as the matrix has).
inline String XmlDocumentHead(bool CreateHeader, const char* ClassName, const char* Version,
                              Integer Dim, const String& ID, const Integer* Sizes) {
  static const char* const kSizeTags[4] = {"numcols", "numrows", "numplanes", "numtimeslots"};
  String doc;
  if (CreateHeader) doc += String(XMLDeclarationLine) + "\r\n";
  doc += "\r\n" + XMLCommentLine(ClassName) + "\r\n";
  doc += XMLRootLine(kXmlRootTag, Version, Dim, ID) + "\r\n";
  for (Integer d = 0; d < Dim; ++d)
    doc += String("<") + kSizeTags[d] + ">" + IntToStr(Sizes[d]) + "</" + kSizeTags[d] + ">\r\n";
  return doc;
}
inline constexpr const char* kXmlDocumentEnd = "</matrix>\r\n";

// Writes a whole document over FName (beside it first, then renamed); EInOutError on failure.
inline void SaveXmlDocument(const String& FName, const String& Doc) {
  if (!WriteFileReplacing(FName, Doc)) throw EInOutError("Cannot write file \"" + FName + "\"");
}

// A size element (numcols ... numtimeslots) of a document: its value goes to Sizes[tag] when
// the matrix has that many dimensions (Dims), else it is passed over. False for other tags.
inline bool TakeAnnouncedSize(Integer xmlTag, const String& Contents, Integer* Sizes,
                              Integer Dims) {
  if (xmlTag < xmlMatNumCols || xmlTag > xmlMatNumTimeSlots) return false;
  if (xmlTag < Dims) Sizes[xmlTag] = LeadingInteger(Contents);
  return true;
}

// A bound of a window stream: an extended number that must be an integer of 32 bits, or a
// 4-byte integer. False when the stream ends or the number is no bound.
inline bool ReadExtendedBound(TStream& S, Integer& Bound) {
  bool error = false;
  const Extended x = ReadExtendedFromStream(S, error);
  return !error && dov_textio::BoundFromExtended(x, Bound);
}
inline bool ReadLongintBound(TStream& S, Integer& Bound) {
  bool error = false;
  Bound = ReadLongintFromStream(S, error);
  return !error;
}

struct TMatrixAccess {
  // Reads the content of a document whose root was found, tag by tag through the matrix's own
  // handler, with the change event silent until the end, where it fires once. True when
  // </matrix> was reached.
  template <class Mat, class ReadTag>
  static bool ReadXmlContent(Mat& M, const String& ID, ReadTag readTag) {
    M.StartXmlDocument(ID);
    Integer r;
    {
      TSilentEvent<TNotifyEvent> silent(M.OnChange);
      M.FirstCell = true;
      String attribs, contents;
      do r = M.ProcessXmlTag(readTag(attribs, contents), attribs, contents);
      while (r == 0);
    }
    M.Changed();
    return r == 1;
  }

  // The document of dimension Dim with identification DataID (empty: the first one).
  template <class Mat>
  static bool ReadXmlStream(Mat& M, TStream& S, Integer Dim, const String& DataID) {
    String id;
    if (!FindXMLRootInStream(S, kXmlRootTag, Dim, DataID, id)) return false;
    return ReadXmlContent(
        M, id, [&](String& a, String& c) { return ReadNextTagInStream(S, MatXmlTags, a, c); });
  }
  template <class Mat>
  static bool ReadXmlTextFile(Mat& M, TTextFile& F, Integer Dim, const String& DataID) {
    String id;
    if (!FindXMLRootInTextFile(F, kXmlRootTag, Dim, DataID, id)) return false;
    return ReadXmlContent(
        M, id, [&](String& a, String& c) { return ReadNextTagInTextFile(F, MatXmlTags, a, c); });
  }
  // Any failure, the file's included: false.
  template <class Mat>
  static bool LoadXmlFile(Mat& M, const String& FName, Integer Dim, const String& DataID) {
    try {
      TTextFile f(FName);
      f.Reset();
      const bool ok = ReadXmlTextFile(M, f, Dim, DataID);
      f.CloseFile();
      return ok;
    } catch (const Exception&) {
      return false;
    }
  }
};

// A window's bounds as the writers write them: from row or column 1 on, the low bound not
// above the high one, or 1 .. 0 for a matrix without columns or rows. Anything else names no
// element (an inverted window, one that starts before 1) and is a damaged header.
inline bool WindowBoundsFit(Integer Lo, Integer Hi) {
  return Lo >= 1 && (Hi >= Lo || (Lo == 1 && Hi == 0));
}

// The window text file of the 2-D matrices: "LoR HiR", "LoC HiC", then the values row by row,
// each read by readValue(F, v) (a dov_textio::TToken; v is stored when it is a number). False
// when the file or its header cannot be read or the header names no window the writers write
// (WindowBoundsFit), promises more values than the file has bytes or would size the matrix
// far beyond them (nothing changed, no event), for a matrix smaller than HiC x HiR (nothing
// read) or values that end early (those read stay); a token that is not a number leaves its
// element. OnChange at the end once the header was read.
template <class Value, class Mat, class ReadValue>
bool LoadWindowText(Mat& M, const String& FileName, bool AdjustSize, ReadValue readValue) {
  try {
    TTextFile F(FileName);
    F.Reset();
    Integer h[4];
    if (!dov_textio::ReadHeader(F, h, 4)) return false;
    const Integer LoR = h[0], HiR = h[1], LoC = h[2], HiC = h[3];
    if (!WindowBoundsFit(LoR, HiR) || !WindowBoundsFit(LoC, HiC)) return false;
    const Int64 values = std::max<Int64>(0, static_cast<Int64>(HiR) - LoR + 1) *
                         std::max<Int64>(0, static_cast<Int64>(HiC) - LoC + 1);
    if (values > dov_textio::BytesLeft(F)) return false;
    if (AdjustSize) {
      if (!dov_textio::SizeFits(HiC, HiR, values)) return false;
      M.Resize(HiC, HiR);
    }
    bool ok = M.NrOfRows() >= HiR && M.NrOfColumns() >= HiC;
    if (ok) {
      for (Int64 r = LoR; r <= HiR && ok; ++r)
        for (Int64 c = LoC; c <= HiC; ++c) {
          Value v{};
          const dov_textio::TToken tok = readValue(F, v);
          if (tok == dov_textio::TToken::End) {
            ok = false;
            break;
          }
          if (tok == dov_textio::TToken::Number)
            M.SetVal(static_cast<Integer>(c), static_cast<Integer>(r), v);
        }
    }
    F.CloseFile();
    M.Changed();
    return ok;
  } catch (const Exception&) {
    return false;
  }
}

// The window stream of the 2-D matrices: LoR, HiR, LoC, HiC, then the values row by row, each
// ItemBytes long. False for a short or damaged header or one that names no window the writers
// write (WindowBoundsFit), for a header that would size the matrix far beyond what the stream
// still holds or to more than the memory the process can have (nothing changed, no event), for
// a matrix smaller than HiC x HiR (nothing read) or values that end early (those read stay); OnChange at the end
// once the header was read. A failed value stops the reading: every later one would fail too.
template <class Mat, class ReadBound, class ReadValue>
bool LoadWindowStream(Mat& M, TStream& S, std::size_t ItemBytes, bool AdjustSize,
                      ReadBound readBound, ReadValue readValue) {
  Integer h[4];
  for (Integer& v : h)
    if (!readBound(S, v)) return false;
  const Integer LoR = h[0], HiR = h[1], LoC = h[2], HiC = h[3];
  if (!WindowBoundsFit(LoR, HiR) || !WindowBoundsFit(LoC, HiC)) return false;
  if (AdjustSize) {
    const Int64 left = (S.Size() - S.Position()) / static_cast<Int64>(ItemBytes);
    if (!dov_textio::SizeFits(HiC, HiR, left)) return false;
    try {
      M.Resize(HiC, HiR);
    } catch (const ESDLMatrixError&) {
      return false;
    }
  }
  bool ok = M.NrOfRows() >= HiR && M.NrOfColumns() >= HiC;
  if (ok) {
    for (Int64 r = LoR; r <= HiR && ok; ++r)
      for (Int64 c = LoC; c <= HiC; ++c) {
        bool error = false;
        const auto x = readValue(S, error);
        if (error) {
          ok = false;
          break;
        }
        M.SetVal(static_cast<Integer>(c), static_cast<Integer>(r), x);
      }
  }
  M.Changed();
  return ok;
}

// ---- 2-D block files: the header block, then the values column by column -----------------

// The sizes and identification of a 2-D block file; true when both reserved words are 0 (false
// too, with zero sizes and no identification, for a file shorter than a block).
inline bool ReadBlockHeader2D(const String& FName, Integer& NrColumns, Integer& NrRows,
                              String& DataID) {
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

// The header and every value of a 2-D block file of T values. The file is believed only as far
// as it holds what its header announces: ESDLMatrixError "binary matrix data has wrong format"
// (named after Owner) for a reserved word that is not 0, a short header, negative sizes, fewer
// data blocks than the sizes need or sizes whose storage lies far beyond the values the file
// holds; "not enough memory on heap" when the values cannot be
// held; EInOutError when the file cannot be read.
template <class T>
std::vector<T> ReadBlockMatrix(const TComponent* Owner, const String& FName, TBlockHeader& h) {
  constexpr std::size_t perBlock = kBlockSize / sizeof(T);
  TBinaryFile F(FName);
  F.Reset(static_cast<int>(kBlockSize), true);
  std::vector<unsigned char> head(kBlockSize);
  auto wrongFormat = [Owner] {
    throw ESDLMatrixError(ComponentErrorMessage(Owner, "binary matrix data has wrong format"));
  };
  if (F.BlockRead(head.data(), 1) != 1) wrongFormat();
  h = DecodeBlockHeader(head.data());
  if (h.Word[2] != 0 || h.Word[3] != 0 || h.Word[0] < 0 || h.Word[1] < 0) wrongFormat();
  const std::size_t values =
      static_cast<std::size_t>(h.Word[0]) * static_cast<std::size_t>(h.Word[1]);
  const std::size_t blocks = (values + perBlock - 1) / perBlock;
  if (static_cast<std::size_t>(F.FileSize()) < 1 + blocks) wrongFormat();
  // No columns and many rows (or the reverse) hold no value, but the storage keeps one column
  // (one row) of them.
  if (!dov_textio::SizeFits(h.Word[0], h.Word[1], static_cast<Int64>(values))) wrongFormat();
  std::vector<T> data;
  try {
    data.resize(blocks * perBlock);
  } catch (const std::bad_alloc&) {
    throw ESDLMatrixError(ComponentErrorMessage(Owner, "not enough memory on heap"));
  }
  const Int64 wanted = static_cast<Int64>(blocks);
  if (blocks > 0 && F.BlockRead(data.data(), wanted) != wanted) wrongFormat();
  F.CloseFile();
  return data;
}

// The bytes of a 2-D block file for Columns x Rows values of T: the header filled in, the data
// blocks zero (at least one) for the caller to fill from offset kBlockSize on.
template <class T>
std::string NewBlockMatrixBytes(const TComponent* Owner, Integer Columns, Integer Rows,
                                const String& ID) {
  constexpr std::size_t perBlock = kBlockSize / sizeof(T);
  const std::size_t values = static_cast<std::size_t>(Columns > 0 ? Columns : 0) *
                             static_cast<std::size_t>(Rows > 0 ? Rows : 0);
  const std::size_t blocks = std::max<std::size_t>(1, (values + perBlock - 1) / perBlock);
  std::string bytes;
  try {
    bytes.assign((1 + blocks) * kBlockSize, '\0');
  } catch (const std::bad_alloc&) {
    throw ESDLMatrixError(ComponentErrorMessage(Owner, "not enough memory on heap"));
  }
  TBlockHeader h;
  h.Word[0] = Columns;
  h.Word[1] = Rows;
  h.ID = ID;
  EncodeBlockHeader(reinterpret_cast<unsigned char*>(bytes.data()), h);
  return bytes;
}

}  // namespace dov_matrix
