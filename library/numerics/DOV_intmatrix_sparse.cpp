// TIntSparseStore: insertion with the pending side list, bulk merging, resizing, conversions
// and the windowed sums the sparse TIntMatrix needs.

#include "DOV_intmatrix_sparse.h"

#include <cmath>
#include <cstdint>
#include <iterator>

using dov_sparse::FindEntry;
using dov_sparse::KeyLess;

namespace {

constexpr Integer kEmptyLow = 2147483647;
constexpr Integer kEmptyHigh = 1;

inline Integer WrapAdd(Integer a, Integer b) {
  return static_cast<Integer>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

}  // namespace

TIntSparseStore TIntSparseStore::FromDense(const Integer* Data, std::size_t AllocRows,
                                           Integer NrCols, Integer NrRows, Integer AllocBy) {
  TIntSparseStore s(0);
  Integer allocated = std::max<Integer>(AllocBy, 1);
  const Integer step = allocated;
  // The reported capacity counts every position visited, zeros included, as the format's
  // conversion always has.
  for (Integer c = 1; c <= NrCols; ++c)
    for (Integer r = 1; r <= NrRows; ++r) {
      if (allocated < static_cast<Integer>(s.FSp.size()) + 1) allocated += step;
      const Integer v =
          Data[static_cast<std::size_t>(c - 1) * AllocRows + static_cast<std::size_t>(r - 1)];
      if (v == 0) continue;
      s.FSp.push_back({c, r, v});
      s.FLowCol = std::min(s.FLowCol, c);
      s.FHighCol = std::max(s.FHighCol, c);
      s.FLowRow = std::min(s.FLowRow, r);
      s.FHighRow = std::max(s.FHighRow, r);
    }
  s.FAllocBy = step;
  s.FNumAllocated = allocated;
  return s;
}

bool TIntSparseStore::Set(Integer c, Integer r, Integer Value) {
  if (c < 1 || r < 1) return false;
  TSpMatElemInt* e = FindEntry(FSp, c, r);
  if (e == nullptr) e = FindEntry(FPend, c, r);
  if (e != nullptr) {
    e->value = Value;
    return true;
  }
  const Integer oldAllocated = FNumAllocated;
  try {
    if (static_cast<Int64>(Count() + 1) > FNumAllocated) FNumAllocated += FAllocBy;
    const TSpMatElemInt entry{c, r, Value};
    if (FPend.empty() && (FSp.empty() || KeyLess(FSp.back(), entry))) {
      FSp.push_back(entry);  // ascending fills append
    } else {
      FPend.insert(std::lower_bound(FPend.begin(), FPend.end(), entry, KeyLess), entry);
    }
    // The side list stays short against the store, so both inserting into it and merging it
    // stay cheap whatever the order the elements come in.
    const std::size_t limit = std::max<std::size_t>(
        64, static_cast<std::size_t>(std::sqrt(static_cast<double>(FSp.size()))));
    if (FPend.size() > limit) MergePending();
  } catch (const std::bad_alloc&) {
    FNumAllocated = oldAllocated;
    throw;
  }
  FLowCol = std::min(FLowCol, c);
  FHighCol = std::max(FHighCol, c);
  FLowRow = std::min(FLowRow, r);
  FHighRow = std::max(FHighRow, r);
  return true;
}

void TIntSparseStore::MergePending() const {
  if (FPend.empty()) return;
  std::vector<TSpMatElemInt> merged;
  merged.reserve(std::max(FSp.capacity(), FSp.size() + FPend.size()));
  std::merge(FSp.begin(), FSp.end(), FPend.begin(), FPend.end(), std::back_inserter(merged),
             KeyLess);
  FSp.swap(merged);
  FPend.clear();
}

const std::vector<TSpMatElemInt>& TIntSparseStore::Entries() const {
  MergePending();
  return FSp;
}

void TIntSparseStore::Reset(Integer AllocBy) {
  FAllocBy = std::max<Integer>(AllocBy, 1);
  FNumAllocated = FAllocBy;
  FSp.clear();
  FPend.clear();
  FSp.reserve(static_cast<std::size_t>(FAllocBy));
  FLowCol = FLowRow = kEmptyLow;
  FHighCol = FHighRow = kEmptyHigh;
}

void TIntSparseStore::Assign(const TIntSparseStore& Source) {
  if (&Source == this) return;
  FSp = Source.Entries();
  FSp.reserve(static_cast<std::size_t>(std::max<Integer>(Source.FNumAllocated, 0)));
  FPend.clear();
  FNumAllocated = Source.FNumAllocated;
  FAllocBy = Source.FAllocBy;
  FLowCol = Source.FLowCol;
  FHighCol = Source.FHighCol;
  FLowRow = Source.FLowRow;
  FHighRow = Source.FHighRow;
}

void TIntSparseStore::Truncate(Integer Nc, Integer Nr) {
  MergePending();
  FHighCol = std::min(FHighCol, Nc);
  FHighRow = std::min(FHighRow, Nr);
  FLowCol = std::min(FLowCol, FHighCol);
  FLowRow = std::min(FLowRow, FHighRow);
  FSp.erase(std::remove_if(FSp.begin(), FSp.end(),
                           [&](const TSpMatElemInt& e) { return e.colidx > Nc || e.rowidx > Nr; }),
            FSp.end());
}

void TIntSparseStore::Fill(Integer Value) {
  if (Value == 0) {
    Reset(FAllocBy);
    return;
  }
  for (auto& e : FSp) e.value = Value;
  for (auto& e : FPend) e.value = Value;
}

void TIntSparseStore::Transpose() {
  MergePending();
  for (auto& e : FSp) std::swap(e.colidx, e.rowidx);
  std::swap(FLowCol, FLowRow);
  std::swap(FHighCol, FHighRow);
  // Keys are unique, so any sort gives the order the comb sort of the format gives.
  std::sort(FSp.begin(), FSp.end(), KeyLess);
}

std::vector<Integer> TIntSparseStore::ToDense() const {
  MergePending();
  const std::size_t ar = static_cast<std::size_t>(std::max<Integer>(FHighRow, 1));
  std::vector<Integer> dense(static_cast<std::size_t>(std::max<Integer>(FHighCol, 1)) * ar, 0);
  for (const auto& e : FSp)
    dense[static_cast<std::size_t>(e.colidx - 1) * ar + static_cast<std::size_t>(e.rowidx - 1)] =
        e.value;
  return dense;
}

Integer TIntSparseStore::Sum(Integer lc, Integer lr, Integer hc, Integer hr) const {
  MergePending();
  Integer s = 0;
  for (const auto& e : FSp)
    if (e.colidx >= lc && e.colidx <= hc && e.rowidx >= lr && e.rowidx <= hr)
      s = WrapAdd(s, e.value);
  return s;
}

void TIntSparseStore::MinMax(Integer lc, Integer lr, Integer hc, Integer hr, Integer& Minimum,
                             Integer& Maximum) const {
  MergePending();
  for (const auto& e : FSp)
    if (e.colidx >= lc && e.colidx <= hc && e.rowidx >= lr && e.rowidx <= hr) {
      if (e.value < Minimum) Minimum = e.value;
      if (e.value > Maximum) Maximum = e.value;
    }
}

Integer TIntSparseStore::Trace() const {
  if (FHighCol != FHighRow) return 0;
  MergePending();
  Integer s = 0;
  for (const auto& e : FSp)
    if (e.colidx == e.rowidx) s = WrapAdd(s, e.value);
  return s;
}
