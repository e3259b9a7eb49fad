// TMatrix files: a text file of a window, a byte stream of a window (10-byte extended
// numbers) and a file of 4096-byte blocks holding the whole matrix with its identification.
// Every reader checks what a header claims against what the file or stream can still hold
// before it sizes the matrix.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "DOV_matrix.h"
#include "DOV_streams.h"
#include "DOV_textio.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace {

// ---- block file layout -------------------------------------------------------------------
constexpr std::size_t kBlock = 4096;
constexpr std::size_t kValuesPerBlock = kBlock / sizeof(double);  // 512
constexpr std::size_t kOffColumns = 0;
constexpr std::size_t kOffRows = 4;
constexpr std::size_t kOffReserved1 = 8;
constexpr std::size_t kOffReserved2 = 12;
constexpr std::size_t kOffIdLength = 16;
constexpr std::size_t kOffId = 17;
constexpr std::size_t kIdMax = 255;

void PutInt32(unsigned char* p, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  for (int k = 0; k < 4; ++k) p[k] = static_cast<unsigned char>(u >> (8 * k));
}

std::int32_t GetInt32(const unsigned char* p) {
  std::uint32_t u = 0;
  for (int k = 0; k < 4; ++k) u |= static_cast<std::uint32_t>(p[k]) << (8 * k);
  return static_cast<std::int32_t>(u);
}

struct TBlockHeader {
  Integer Columns = 0;
  Integer Rows = 0;
  bool ReservedZero = false;
  String ID;
};

TBlockHeader DecodeHeader(const unsigned char* b) {
  TBlockHeader h;
  h.Columns = GetInt32(b + kOffColumns);
  h.Rows = GetInt32(b + kOffRows);
  h.ReservedZero = GetInt32(b + kOffReserved1) == 0 && GetInt32(b + kOffReserved2) == 0;
  h.ID = StringOfLowBytes(reinterpret_cast<const char*>(b + kOffId), b[kOffIdLength]);
  return h;
}

// The data blocks a matrix of that many values occupies (one even without values).
std::size_t DataBlocks(std::size_t values) {
  return std::max<std::size_t>(1, (values + kValuesPerBlock - 1) / kValuesPerBlock);
}

// ---- text and stream helpers -------------------------------------------------------------

// Fields of a line: runs of characters other than blank and tab.
Integer CountFields(const String& line) {
  Integer n = 0;
  bool inField = false;
  for (char ch : line) {
    const bool sep = ch == ' ' || ch == '\t';
    if (!sep && !inField) ++n;
    inField = !sep;
  }
  return n;
}

bool ReadExtendedBound(TStream& S, Integer& Bound) {
  bool error = false;
  const Extended x = ReadExtendedFromStream(S, error);
  return !error && dov_textio::BoundFromExtended(x, Bound);
}

// A value of the text file. The fixed form writes -0 as "0.000"; its sign goes in front of the
// digits so that the value reads back as -0.
String ValueText(double v, Integer Width, Integer Decimals) {
  String t = Str(v, Width, Decimals);
  if (v == 0 && std::signbit(v) && t.find('-') == String::npos) {
    const size_t digit = t.find_first_not_of(' ');
    if (digit != String::npos && digit > 0)
      t[digit - 1] = '-';
    else
      t.insert(t.begin(), '-');
  }
  return t;
}

}  // namespace

// ---- text file ---------------------------------------------------------------------------

bool TMatrix::StoreOnFile(Integer LoC, Integer LoR, Integer HiC, Integer HiR,
                          const String& FileName) const {
  MakeValidColRange(LoC, HiC);
  MakeValidRowRange(LoR, HiR);
  String text =
      IntToStr(LoR) + " " + IntToStr(HiR) + "\r\n" + IntToStr(LoC) + " " + IntToStr(HiC) + "\r\n";
  if (LoC >= 1 && LoR >= 1) {
    for (Integer r = LoR; r <= HiR; ++r) {
      for (Integer c = LoC; c <= HiC; ++c) {
        text += ValueText(ColumnPtr(c)[r - 1], FPrecis[0], FPrecis[1]);
        text += ' ';
      }
      text += "\r\n";
    }
  }
  return WriteFileReplacing(FileName, text);
}

bool TMatrix::LoadFromFile(const String& FileName, bool AdjustMatrixSize) {
  try {
    TTextFile F(FileName);
    F.Reset();
    Integer h[4];
    if (!dov_textio::ReadHeader(F, h, 4)) return false;
    const Integer LoR = h[0], HiR = h[1], LoC = h[2], HiC = h[3];
    const Int64 values = std::max<Int64>(0, static_cast<Int64>(HiR) - LoR + 1) *
                         std::max<Int64>(0, static_cast<Int64>(HiC) - LoC + 1);
    const Int64 left = dov_textio::BytesLeft(F);
    if (values > left) return false;  // more values than the file has bytes: damaged
    if (AdjustMatrixSize) {
      if (!dov_textio::SizeFits(HiC, HiR, values)) return false;
      Resize(HiC, HiR);
    }
    bool ok = FNRow >= HiR && FNCol >= HiC;
    if (ok) {
      for (Int64 r = LoR; r <= HiR && ok; ++r)
        for (Int64 c = LoC; c <= HiC; ++c) {
          long double v;
          const auto tok = dov_textio::ReadNumber(F, v);
          if (tok == dov_textio::TToken::End) {
            ok = false;
            break;
          }
          if (tok == dov_textio::TToken::Number)
            SetVal(static_cast<Integer>(c), static_cast<Integer>(r), static_cast<double>(v));
        }
    }
    F.CloseFile();
    Changed();
    return ok;
  } catch (const EInOutError&) {
    return false;
  } catch (const ESDLMatrixError&) {
    return false;
  }
}

bool TMatrix::LoadFromFile(const String& FileName, bool AdjustMatrixSize, bool AutoDetect) {
  if (!AutoDetect) return LoadFromFile(FileName, AdjustMatrixSize);
  try {
    TTextFile F(FileName);
    F.Reset();
    Integer cols = 0, rows = 0;
    while (!F.Eof()) {
      const String line = F.ReadLine();
      if (rows == 0) cols = CountFields(line);
      ++rows;
    }
    if (AdjustMatrixSize) {
      if (!dov_textio::SizeFits(cols, rows, F.FileSize())) return false;
      Resize(cols, rows);
    }
    F.Reset();
    bool more = true;
    for (Integer r = 1; r <= rows && more; ++r)
      for (Integer c = 1; c <= cols; ++c) {
        long double v;
        const auto tok = dov_textio::ReadNumber(F, v);
        if (tok == dov_textio::TToken::End) {
          more = false;
          break;
        }
        if (tok == dov_textio::TToken::Number) SetVal(c, r, static_cast<double>(v));
      }
    F.CloseFile();
    Changed();
    return true;
  } catch (const EInOutError&) {
    return false;
  } catch (const ESDLMatrixError&) {
    return false;
  }
}

// ---- stream ------------------------------------------------------------------------------

namespace {

void WriteMatrixStream(TStream& S, const TMatrix& M, Integer LoC, Integer LoR, Integer HiC,
                       Integer HiR) {
  M.MakeValidColRange(LoC, HiC);
  M.MakeValidRowRange(LoR, HiR);
  WriteExtendedToStream(S, LoR);
  WriteExtendedToStream(S, HiR);
  WriteExtendedToStream(S, LoC);
  WriteExtendedToStream(S, HiC);
  if (LoC < 1 || LoR < 1) return;
  for (Integer r = LoR; r <= HiR; ++r)
    for (Integer c = LoC; c <= HiC; ++c) WriteExtendedToStream(S, M.ColumnPtr(c)[r - 1]);
}

}  // namespace

void TMatrix::SaveToStream(TMemoryStream*& OutStream, Integer LoC, Integer LoR, Integer HiC,
                           Integer HiR) const {
  if (OutStream == nullptr) OutStream = new TMemoryStream();
  WriteMatrixStream(*OutStream, *this, LoC, LoR, HiC, HiR);
}

void TMatrix::SaveToStream(TFileStream* OutStream, Integer LoC, Integer LoR, Integer HiC,
                           Integer HiR) const {
  if (OutStream != nullptr) WriteMatrixStream(*OutStream, *this, LoC, LoR, HiC, HiR);
}

bool TMatrix::LoadFromStream(TStream* InStream, bool AdjustMatrixSize) {
  if (InStream == nullptr) return false;
  Integer LoR, HiR, LoC, HiC;
  if (!ReadExtendedBound(*InStream, LoR) || !ReadExtendedBound(*InStream, HiR) ||
      !ReadExtendedBound(*InStream, LoC) || !ReadExtendedBound(*InStream, HiC))
    return false;
  if (AdjustMatrixSize) {
    if (!dov_textio::SizeFits(HiC, HiR, (InStream->Size() - InStream->Position()) / 10))
      return false;
    Resize(HiC, HiR);
  }
  bool ok = FNRow >= HiR && FNCol >= HiC;
  if (ok) {
    for (Int64 r = LoR; r <= HiR && ok; ++r)
      for (Int64 c = LoC; c <= HiC; ++c) {
        bool error = false;
        const Extended x = ReadExtendedFromStream(*InStream, error);
        if (error) {
          ok = false;  // every later read would fail as well
          break;
        }
        SetVal(static_cast<Integer>(c), static_cast<Integer>(r), static_cast<double>(x));
      }
  }
  Changed();
  return ok;
}

// ---- block file --------------------------------------------------------------------------

void TMatrix::SaveBinary(const String& FName) const {
  const std::size_t values = static_cast<std::size_t>(std::max<Integer>(FNCol, 0)) *
                             static_cast<std::size_t>(std::max<Integer>(FNRow, 0));
  std::string bytes((1 + DataBlocks(values)) * kBlock, '\0');
  auto* b = reinterpret_cast<unsigned char*>(bytes.data());
  PutInt32(b + kOffColumns, FNCol);
  PutInt32(b + kOffRows, FNRow);
  std::string id = LowBytesOfString(FDataID);
  if (id.size() > kIdMax) id.resize(kIdMax);
  b[kOffIdLength] = static_cast<unsigned char>(id.size());
  std::memcpy(b + kOffId, id.data(), id.size());
  std::size_t at = kBlock;
  for (Integer c = 1; c <= FNCol; ++c) {
    std::memcpy(b + at, ColumnPtr(c), static_cast<std::size_t>(FNRow) * sizeof(double));
    at += static_cast<std::size_t>(FNRow) * sizeof(double);
  }
  if (!WriteFileReplacing(FName, bytes)) throw EInOutError("Cannot write file " + FName);
}

void TMatrix::LoadBinary(const String& FName) {
  TBinaryFile F(FName);
  F.Reset(static_cast<int>(kBlock), true);
  std::vector<unsigned char> head(kBlock);
  auto wrongFormat = [this] {
    throw ESDLMatrixError(ComponentErrorMessage(this, "binary matrix data has wrong format"));
  };
  if (F.BlockRead(head.data(), 1) != 1) wrongFormat();
  const TBlockHeader h = DecodeHeader(head.data());
  if (!h.ReservedZero || h.Columns < 0 || h.Rows < 0) wrongFormat();
  const std::size_t values = static_cast<std::size_t>(h.Columns) * static_cast<std::size_t>(h.Rows);
  const std::size_t blocks = (values + kValuesPerBlock - 1) / kValuesPerBlock;
  // The sizes are believed only when the file holds their values.
  if (static_cast<std::size_t>(F.FileSize()) < 1 + blocks) wrongFormat();
  std::vector<double> data;
  try {
    data.resize(blocks * kValuesPerBlock);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  const Int64 wanted = static_cast<Int64>(blocks);
  if (blocks > 0 && F.BlockRead(data.data(), wanted) != wanted) wrongFormat();
  F.CloseFile();
  Resize(h.Columns, h.Rows);
  FDataID = h.ID;
  std::size_t i = 0;
  for (Integer c = 1; c <= h.Columns; ++c)
    for (Integer r = 1; r <= h.Rows; ++r) SetVal(c, r, data[i++]);
}

bool TMatrix::ReadBinaryHeader(const String& FName, Integer& NrColumns, Integer& NrRows,
                               String& DataID) const {
  TBinaryFile F(FName);
  F.Reset(static_cast<int>(kBlock), true);
  std::vector<unsigned char> head(kBlock);
  NrColumns = NrRows = 0;
  DataID.clear();
  if (F.BlockRead(head.data(), 1) != 1) return false;
  const TBlockHeader h = DecodeHeader(head.data());
  NrColumns = h.Columns;
  NrRows = h.Rows;
  DataID = h.ID;
  return h.ReservedZero;
}
