#pragma once
// TIntSparseStore: the entries of a sparse TIntMatrix, kept apart from the matrix so the
// matrix only forwards to it. Entries are (column, row, value) in ascending (column, row)
// order; positions never set read 0.
//
// NumAllocated() is the capacity the store reports: it grows in steps of AllocBy, while the
// memory behind it grows geometrically. New entries that do not append wait in a small sorted
// side list that is merged in bulk once it outgrows max(64, sqrt(n)), so filling in any order
// costs about n sqrt(n) moves instead of n^2. The bounds are the lowest and highest column and
// row set since the store was last emptied, clipped by Truncate; an empty store has low
// 2147483647 and high 1.
//
// Memory failures leave as std::bad_alloc (or std::length_error); the matrix turns them into
// its own error.

#include <algorithm>
#include <cstddef>
#include <vector>

#include "DOV_matrix.h"

struct TSpMatElemInt {
  Integer colidx;
  Integer rowidx;
  Integer value;
};

namespace dov_sparse {

inline bool KeyLess(const TSpMatElemInt& a, const TSpMatElemInt& b) {
  return a.colidx < b.colidx || (a.colidx == b.colidx && a.rowidx < b.rowidx);
}

// The entry at (c, r) in a sorted list, or null.
template <class Vec>
inline auto* FindEntry(Vec& v, Integer c, Integer r) {
  const TSpMatElemInt key{c, r, 0};
  auto it = std::lower_bound(v.begin(), v.end(), key, KeyLess);
  return it != v.end() && it->colidx == c && it->rowidx == r ? &*it : nullptr;
}

}  // namespace dov_sparse

class TIntSparseStore {
public:
  // An empty store growing in steps of AllocBy (at least 1).
  explicit TIntSparseStore(Integer AllocBy) { Reset(AllocBy); }
  // The entries of a dense block (column by column, AllocRows apart) that are not 0.
  static TIntSparseStore FromDense(const Integer* Data, std::size_t AllocRows, Integer NrCols,
                                   Integer NrRows, Integer AllocBy);

  Integer AllocBy() const { return FAllocBy; }
  Integer NumAllocated() const { return FNumAllocated; }
  std::size_t Count() const { return FSp.size() + FPend.size(); }
  Integer LowCol() const { return FLowCol; }
  Integer HighCol() const { return FHighCol; }
  Integer LowRow() const { return FLowRow; }
  Integer HighRow() const { return FHighRow; }

  Integer Get(Integer c, Integer r) const {
    if (FSp.empty() && FPend.empty()) return 0;
    if (c < FLowCol || c > FHighCol || r < FLowRow || r > FHighRow) return 0;
    if (const TSpMatElemInt* e = dov_sparse::FindEntry(FSp, c, r)) return e->value;
    if (const TSpMatElemInt* e = dov_sparse::FindEntry(FPend, c, r)) return e->value;
    return 0;
  }
  // Stores Value at (c, r), a zero too. False (nothing stored) for an index below 1.
  bool Set(Integer c, Integer r, Integer Value);

  // All entries in ascending (column, row) order.
  const std::vector<TSpMatElemInt>& Entries() const;

  // Empties the store and sets its step (at least 1); the capacity is one step again.
  void Reset(Integer AllocBy);
  // A copy of Source's entries, capacity, step and bounds.
  void Assign(const TIntSparseStore& Source);
  // Drops the entries beyond column Nc or row Nr and clips the bounds to them.
  void Truncate(Integer Nc, Integer Nr);
  // Every stored entry takes Value; 0 empties the store.
  void Fill(Integer Value);
  // Swaps columns and rows of every entry and of the bounds.
  void Transpose();
  // HighCol() x HighRow() values (at least 1 x 1), column by column.
  std::vector<Integer> ToDense() const;

  // Over the entries inside columns lc..hc and rows lr..hr (positions never set are not seen).
  Integer Sum(Integer lc, Integer lr, Integer hc, Integer hr) const;
  // Lowers Minimum and raises Maximum by the entries inside the window.
  void MinMax(Integer lc, Integer lr, Integer hc, Integer hr, Integer& Minimum,
              Integer& Maximum) const;
  // Sum of the diagonal entries; 0 unless the bounds end on a square.
  Integer Trace() const;

private:
  void MergePending() const;

  Integer FAllocBy = 1;
  Integer FNumAllocated = 0;
  Integer FLowCol = 0;
  Integer FHighCol = 0;
  Integer FLowRow = 0;
  Integer FHighRow = 0;
  mutable std::vector<TSpMatElemInt> FSp;    // sorted entries
  mutable std::vector<TSpMatElemInt> FPend;  // sorted entries not yet merged into FSp
};
