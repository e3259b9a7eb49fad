#pragma once
// The number-text files of the vectors and matrices: whitespace-separated tokens read by the
// run-time's text file, written whole in memory and put in place only when complete.

#include <cmath>

#include "DOV_math1.h"
#include "DOV_sdlbase.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace dov_textio {

// Reads Count integers (blanks and line ends between them). False when the file ends before
// them or a token is not an integer.
inline bool ReadHeader(TTextFile& F, Integer* Out, int Count) {
  for (int i = 0; i < Count; ++i) {
    if (F.SeekEof()) return false;
    try {
      Out[i] = F.ReadInteger();
    } catch (const EInOutError&) {
      return false;
    }
  }
  return true;
}

enum class TToken { Number, NotANumber, End };

// The next real of the file, read as the writers write it (the non-finite values included:
// "+Inf", "-Inf", "Nan"): the token is always consumed; a token that does not convert leaves
// Value alone and reading can go on with the next one.
inline TToken ReadNumber(TTextFile& F, long double& Value) {
  if (F.SeekEof()) return TToken::End;
  String tok;  // up to the next blank, tab or line end (consumed with it)
  for (char c; !F.Eof() && static_cast<unsigned char>(c = F.ReadChar()) > ' ';) tok += c;
  return ScanRoundTripFloat(tok, Value) ? TToken::Number : TToken::NotANumber;
}

// The next integer of the file, read by the run-time's integer conversion; like ReadNumber,
// the token is always consumed.
inline TToken ReadInteger(TTextFile& F, Integer& Value) {
  if (F.SeekEof()) return TToken::End;
  try {
    Value = F.ReadInteger();
    return TToken::Number;
  } catch (const EInOutError&) {
    return TToken::NotANumber;
  }
}

// The bytes left to read: no header may promise more values than the file can hold (each
// needs a character and a separator at the least).
inline Int64 BytesLeft(TTextFile& F) { return F.FileSize() - F.FilePos(); }

// A loader that sizes its object from a header allocates at most this many elements beyond
// the values the file holds (a window may start inside a large object), so a damaged header
// cannot make it take gigabytes.
inline constexpr Int64 MaxElementsBeyondFile = Int64(1) << 24;

// True when sizing an object to Cols x Rows for a source that still holds Available values
// cannot take far more memory than the source could fill. The storage keeps at least one
// column and one row, so a size of 0 (or a negative one) in one direction still costs the
// other in full.
inline bool SizeFits(Integer Cols, Integer Rows, Int64 Available) {
  const Int64 cells = static_cast<Int64>(Cols > 1 ? Cols : 1) * (Rows > 1 ? Rows : 1);
  return cells <= Available + MaxElementsBeyondFile;
}

// A bound read as an extended number from a stream, rounded to the nearest integer; false
// when it is not a number or lies outside the 32-bit range.
inline bool BoundFromExtended(long double x, Integer& Bound) {
  const long double r = std::nearbyint(x);
  if (!(r >= -2147483648.0L && r <= 2147483647.0L)) return false;
  Bound = static_cast<Integer>(r);
  return true;
}

}  // namespace dov_textio
