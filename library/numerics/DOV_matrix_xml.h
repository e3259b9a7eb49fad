#pragma once
// The tag list of the matrix classes' XML readers (TMatrix::ProcessXmlTag takes one of these).

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
