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
#include "DOV_matrix_common.h"
#include "DOV_matrix_io.h"
#include "DOV_streams.h"
#include "DOV_textio.h"
#include "SysUtils.h"
#include "TextFile.h"

using namespace dov_matrix;

namespace {

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
  constexpr std::size_t kExtendedBytes = 10;
  auto readValue = [](TStream& S, bool& error) {
    return static_cast<double>(ReadExtendedFromStream(S, error));
  };
  return InStream != nullptr && LoadWindowStream(*this, *InStream, kExtendedBytes,
                                                 AdjustMatrixSize, ReadExtendedBound, readValue);
}

// ---- block file --------------------------------------------------------------------------

void TMatrix::SaveBinary(const String& FName) const {
  std::string bytes = NewBlockMatrixBytes<double>(this, FNCol, FNRow, FDataID);
  std::size_t at = kBlockSize;
  for (Integer c = 1; c <= FNCol; ++c) {
    std::memcpy(bytes.data() + at, ColumnPtr(c), static_cast<std::size_t>(FNRow) * sizeof(double));
    at += static_cast<std::size_t>(FNRow) * sizeof(double);
  }
  if (!WriteFileReplacing(FName, bytes)) throw EInOutError("Cannot write file " + FName);
}

void TMatrix::LoadBinary(const String& FName) {
  TBlockHeader h;
  const std::vector<double> data = ReadBlockMatrix<double>(this, FName, h);
  Resize(h.Word[0], h.Word[1]);
  FDataID = h.ID;
  std::size_t i = 0;
  for (Integer c = 1; c <= h.Word[0]; ++c)
    for (Integer r = 1; r <= h.Word[1]; ++r) SetVal(c, r, data[i++]);
}

bool TMatrix::ReadBinaryHeader(const String& FName, Integer& NrColumns, Integer& NrRows,
                               String& DataID) const {
  return ReadBlockHeader2D(FName, NrColumns, NrRows, DataID);
}
