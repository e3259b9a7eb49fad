#pragma once
// The tag list of the matrix classes' XML readers (TMatrix::ProcessXmlTag takes one of these).

#include <cmath>

#include "DOV_sdlbase.h"

enum TMatXmlTag {
  xmlMatNumCols,
  xmlMatNumRows,
  xmlMatNumLayers,
  xmlMatNumTimeSlots,
  xmlMatCell,
  xmlMatBegin,
  xmlMatEnd,
  xmlInvalid
};
// Indexed by TMatXmlTag; the last entry is the tag readers' sentinel.
extern const TStrArray MatXmlTags;

// The most elements a matrix document may announce (512 MiB of values); a reader refuses a
// larger one with ESDLMatrixError rather than allocate it.
inline constexpr Int64 MaxXmlMatrixElements = Int64{1} << 26;

// The cell values of the matrix documents. A document lists every value but +0 (the readers
// start from zeros), so -0 is written too; values are written in their exact text
// (RoundTripFloatText: NaN and the infinities included) and read back bit for bit. A cell whose
// text is no such value is read as the decimal scanner reads it (leading number, else 0).
inline bool IsOmittedCell(double v) { return v == 0 && !std::signbit(v); }
String MatrixCellText(double v);
double MatrixCellValue(const String& Contents);
