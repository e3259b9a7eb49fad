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

#include "DOV_math1.h"
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

// The decimals at which the text holds every double: Str shows at most 18 significant digits,
// and 17 are enough for any double.
constexpr Integer ExactDecimals = 17;

// A value of the text file: Str(v : Width : Decimals). Where the fixed form cannot take the
// value (beyond 6.6e35 or below 1e-35) Str turns to the exponent form with as many digits as
// the width leaves; the value keeps at least the decimals asked for there. From 17 decimals
// on every double reads back as it was: a fixed text that would not (a small value loses its
// digits behind the decimals) gives way to the exponent form with 17 decimals, and so does
// a text of a value near the largest double that would read back as an infinity.
// The fixed form writes -0 as "0.000"; its sign goes in front of the digits so that the value
// reads back as -0.
String ValueText(double v, Integer Width, Integer Decimals) {
  String t = Str(v, Width, Decimals);
  if (std::isfinite(v)) {
    constexpr Integer ExponentChars = 9;  // sign position, "d.", "E", sign, four digits
    if (Decimals >= 0 && t.find('E') != String::npos)
      t = Str(v, std::max(Width, std::min(Decimals, ExactDecimals) + ExponentChars), -1);
    // Digits rounded up beyond the largest double would read back as an infinity.
    const bool exact = Decimals >= ExactDecimals && v != 0;
    if (exact || std::fabs(v) > 1.79769e308) {
      long double back = 0;
      const bool read = ScanRoundTripFloat(t, back);
      const double d = static_cast<double>(back);
      if (!read || (exact ? d != v : !std::isfinite(d)))
        t = Str(v, std::max(Width, ExactDecimals + ExponentChars), -1);
    }
  }
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
  return LoadWindowText<double>(*this, FileName, AdjustMatrixSize, [](TTextFile& F, double& v) {
    long double x = 0;
    const dov_textio::TToken tok = dov_textio::ReadNumber(F, x);
    v = static_cast<double>(x);
    return tok;
  });
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
