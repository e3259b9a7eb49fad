#pragma once
// The window statistics, sorts and rearrangements that the matrix classes share. Every routine
// is written once over the element type and an accessor: a lambda get(c, r) for the reading
// ones (so a sparse store reads through the same code), or a TColumnBlock for the ones that move
// values in a dense block stored column by column. Windows come here already validated by the
// caller's range rule. Internal to the numerics library.

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>
#include <vector>

#include "DOV_math1.h"
#include "DOV_matrix.h"
#include "DOV_matrix_common.h"
#include "DOV_univconst.h"
#include "DOV_vector.h"
#include "RtlRandom.h"

namespace dov_matrix {

[[noreturn]] inline void RaiseNoMemory(const TComponent* Owner) {
  throw ESDLMatrixError(ComponentErrorMessage(Owner, "not enough memory on heap"));
}

// A dense block stored column by column: column c (1-based) starts at Data + (c - 1) * Stride
// and holds NRow values.
template <class T>
struct TColumnBlock {
  T* Data;
  std::size_t Stride;
  Integer NCol;
  Integer NRow;
  T* Column(Integer c) const { return Data + static_cast<std::size_t>(c - 1) * Stride; }
};

// ---- reading ---------------------------------------------------------------------------------

// The values of the window lc..hc x lr..hr as doubles, rows outer or columns outer.
template <class Get>
std::vector<double> WindowValues(const TComponent* Owner, Integer lc, Integer lr, Integer hc,
                                 Integer hr, bool RowsOuter, Get get) {
  std::vector<double> v;
  try {
    v.reserve(static_cast<std::size_t>(hc - lc + 1) * static_cast<std::size_t>(hr - lr + 1));
  } catch (const std::bad_alloc&) {
    RaiseNoMemory(Owner);
  }
  if (RowsOuter) {
    for (Integer r = lr; r <= hr; ++r)
      for (Integer c = lc; c <= hc; ++c) v.push_back(get(c, r));
  } else {
    for (Integer c = lc; c <= hc; ++c)
      for (Integer r = lr; r <= hr; ++r) v.push_back(get(c, r));
  }
  return v;
}

// SampleSize values drawn by draw() after the process-wide generator was reseeded from the
// clock.
template <class Draw>
std::vector<double> DrawSample(const TComponent* Owner, Integer SampleSize, Draw draw) {
  Randomize();
  std::vector<double> draws;
  try {
    draws.resize(static_cast<std::size_t>(SampleSize));
  } catch (const std::bad_alloc&) {
    RaiseNoMemory(Owner);
  }
  for (auto& d : draws) d = draw();
  return draws;
}

// Bisection down a sorted column of n values; the nearer of the last two rows, the higher on a
// tie.
template <class T, class V>
Integer FindInSorted(const T* Col, Integer n, bool Ascending, V Value) {
  const T* x = Col - 1;  // 1-based
  Integer lo = 1, hi = n;
  while (hi - lo > 1) {
    const Integer mid = (lo + hi) / 2;
    if (Value == x[mid]) return mid;
    if ((Value >= x[mid]) == Ascending)
      lo = mid;
    else
      hi = mid;
  }
  const double dlo = std::fabs(static_cast<double>(x[lo]) - Value);
  const double dhi = std::fabs(static_cast<double>(x[hi]) - Value);
  return dlo < dhi ? lo : hi;
}

// orVert: one entry per row (reduced across the columns); orHoriz: one per column.
template <class Get>
void EdgeVectorOf(Integer NCol, Integer NRow, TOrientation Orient, TEdgeOp EdgeOp,
                  TVector* DestVec, Get get) {
  const bool perRow = Orient == orVert;
  const Integer entries = perRow ? NRow : NCol;
  const Integer across = perRow ? NCol : NRow;
  double start = 0;
  if (EdgeOp == eopMin) start = static_cast<double>(uc_MaxDouble);
  if (EdgeOp == eopMax) start = -static_cast<double>(uc_MaxDouble);
  std::vector<double> acc(static_cast<std::size_t>(std::max<Integer>(entries, 0)), start);
  for (Integer c = 1; c <= NCol; ++c)
    for (Integer r = 1; r <= NRow; ++r) {
      double& e = acc[static_cast<std::size_t>((perRow ? r : c) - 1)];
      const double v = get(c, r);
      switch (EdgeOp) {
        case eopMin:
          if (v < e) e = v;
          break;
        case eopMax:
          if (v > e) e = v;
          break;
        case eopSum:
        case eopMean: e += v; break;
      }
    }
  DestVec->SetVecSize(entries);
  for (Integer i = 1; i <= entries; ++i)
    DestVec->SetVal(i, EdgeOp == eopMean ? acc[i - 1] / across : acc[i - 1]);
}

// Dest (c, r) := get(c, r) over a source window clamped to the source (SrcCols x SrcRows) one
// bound at a time, shifted to start at (DestCol, DestRow); targets outside Dest are dropped.
// Dest fires OnChange for every value and once at the end.
template <class Get>
void CopyWindowInto(TMatrix& Dest, Integer SrcCols, Integer SrcRows, Integer ColLo, Integer RowLo,
                    Integer ColHi, Integer RowHi, Integer DestCol, Integer DestRow, Get get) {
  auto clamp = [](Integer v, Integer n) { return std::min(std::max<Integer>(v, 1), n); };
  ColLo = clamp(ColLo, SrcCols);
  ColHi = clamp(ColHi, SrcCols);
  RowLo = clamp(RowLo, SrcRows);
  RowHi = clamp(RowHi, SrcRows);
  if (ColHi < ColLo) std::swap(ColLo, ColHi);
  if (RowHi < RowLo) std::swap(RowLo, RowHi);
  for (Integer c = ColLo; c <= ColHi; ++c)
    for (Integer r = RowLo; r <= RowHi; ++r) {
      const Int64 dc = Int64{c} + DestCol - ColLo, dr = Int64{r} + DestRow - RowLo;
      if (dc >= 1 && dc <= Dest.NrOfColumns() && dr >= 1 && dr <= Dest.NrOfRows())
        Dest.SetVal(static_cast<Integer>(dc), static_cast<Integer>(dr), get(c, r));
    }
  Dest.Changed();
}

// ---- moving values in a dense block ----------------------------------------------------------

// Comb sort as the band tables have always been sorted: the order of equal keys depends on the
// exact sequence of gaps, so the gap shrinks by the extended constant 1.3 and truncates.
// Comparisons are strict in both directions, so NaN keys are never exchanged and the final
// gap-1 pass always settles.
inline Integer NextCombGap(Integer gap) {
  gap = static_cast<Integer>(static_cast<long double>(gap) / 1.3L);
  return gap == 0 ? 1 : gap;
}

// Sorts the rows of the window by column SortColIx (rows move in LowCol..HighCol, plus the key
// column when it lies outside); exchanged(i, j) after every exchange. False, nothing moved,
// when there is nothing to sort: a window of one row, or a key column outside the block.
template <class T, class Exchanged>
bool CombSortRows(TColumnBlock<T> m, Integer SortColIx, bool Ascending, Integer LowCol,
                  Integer LowRow, Integer HighCol, Integer HighRow, Exchanged exchanged) {
  MakeValidRange(m.NCol, LowCol, HighCol);
  MakeValidRange(m.NRow, LowRow, HighRow);
  Integer gap = HighRow - LowRow;
  // A key column outside the block would read foreign memory: nothing to sort by.
  if (gap <= 0 || SortColIx < 1 || SortColIx > m.NCol || LowCol < 1) return false;
  const bool keyOutside = SortColIx < LowCol || SortColIx > HighCol;
  T* key = m.Column(SortColIx);
  bool swapped;
  do {
    gap = NextCombGap(gap);
    swapped = false;
    for (Integer i = LowRow; i + gap <= HighRow; ++i) {
      const T a = key[i - 1], b = key[i + gap - 1];
      if (Ascending ? (a > b) : (a < b)) {
        for (Integer c = LowCol; c <= HighCol; ++c) {
          T* col = m.Column(c);
          std::swap(col[i - 1], col[i + gap - 1]);
        }
        if (keyOutside) std::swap(key[i - 1], key[i + gap - 1]);
        swapped = true;
        exchanged(i, i + gap, LowCol, HighCol);
      }
    }
  } while (gap != 1 || swapped);
  return true;
}

// The same for the columns of the window by row SortRowIx.
template <class T, class Exchanged>
bool CombSortCols(TColumnBlock<T> m, Integer SortRowIx, bool Ascending, Integer LowCol,
                  Integer LowRow, Integer HighCol, Integer HighRow, Exchanged exchanged) {
  MakeValidRange(m.NCol, LowCol, HighCol);
  MakeValidRange(m.NRow, LowRow, HighRow);
  Integer gap = HighCol - LowCol;
  if (gap <= 0 || SortRowIx < 1 || SortRowIx > m.NRow || LowRow < 1) return false;
  const bool keyOutside = SortRowIx < LowRow || SortRowIx > HighRow;
  bool swapped;
  do {
    gap = NextCombGap(gap);
    swapped = false;
    for (Integer i = LowCol; i + gap <= HighCol; ++i) {
      T* ca = m.Column(i);
      T* cb = m.Column(i + gap);
      const T a = ca[SortRowIx - 1], b = cb[SortRowIx - 1];
      if (Ascending ? (a > b) : (a < b)) {
        std::swap_ranges(ca + (LowRow - 1), ca + HighRow, cb + (LowRow - 1));
        if (keyOutside) std::swap(ca[SortRowIx - 1], cb[SortRowIx - 1]);
        swapped = true;
        exchanged(i, i + gap, LowRow, HighRow);
      }
    }
  } while (gap != 1 || swapped);
  return true;
}

template <class T>
void MirrorColumnsOf(TColumnBlock<T> m) {
  for (Integer c = 1, d = m.NCol; c < d; ++c, --d)
    std::swap_ranges(m.Column(c), m.Column(c) + m.NRow, m.Column(d));
}

template <class T>
void MirrorRowsOf(TColumnBlock<T> m) {
  for (Integer c = 1; c <= m.NCol; ++c) std::reverse(m.Column(c), m.Column(c) + m.NRow);
}

// False, nothing moved, for an index outside the block.
template <class T>
bool ExchangeColumnsOf(TColumnBlock<T> m, Integer c1, Integer c2) {
  if (c1 < 1 || c1 > m.NCol || c2 < 1 || c2 > m.NCol) return false;
  if (c1 != c2) std::swap_ranges(m.Column(c1), m.Column(c1) + m.NRow, m.Column(c2));
  return true;
}

template <class T>
bool ExchangeRowsOf(TColumnBlock<T> m, Integer r1, Integer r2) {
  if (r1 < 1 || r1 > m.NRow || r2 < 1 || r2 > m.NRow) return false;
  for (Integer c = 1; c <= m.NCol; ++c) std::swap(m.Column(c)[r1 - 1], m.Column(c)[r2 - 1]);
  return true;
}

}  // namespace dov_matrix
