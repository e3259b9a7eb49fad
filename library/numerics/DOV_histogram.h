#pragma once
// The bin layout shared by the histograms of vectors and matrices. Internal to the numerics
// library.

#include <cmath>

#include "DOV_vector.h"

namespace dov_histogram {

// The most bins a histogram may have.
inline constexpr double kMaxBins = 500;

// Checks the bin layout, sizes Histo to one counter a bin (FirstBin..LastBin in steps of
// BinWidth, both ends included), clears it and zeroes the counts. False, with nothing
// changed, for no vector, a width that is not positive, or too many bins.
inline bool Start(TIntVector* Histo, double FirstBin, double LastBin, double BinWidth,
                  Integer& Underflow, Integer& Overflow, Integer& MaxCnt) {
  if (Histo == nullptr || !(BinWidth > 0)) return false;
  const double bins = std::nearbyint(std::fabs(LastBin - FirstBin) / BinWidth) + 1;
  if (!(bins <= kMaxBins)) return false;
  const auto NE = static_cast<Integer>(bins);
  if (Histo->NrOfElem() != NE) Histo->Resize(NE);
  Histo->Clear();
  Underflow = Overflow = MaxCnt = 0;
  return true;
}

}  // namespace dov_histogram
