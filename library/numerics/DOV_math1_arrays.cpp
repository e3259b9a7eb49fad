// Sorting, sorted insertion, selection and exchange on plain arrays.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "DOV_math1.h"
#include "DOV_progress.h"

namespace {

// The shrink of the comb sort's gap: 1.3 as an extended constant, truncated, never below 1.
inline Integer NextCombGap(Integer gap) {
  gap = static_cast<Integer>(static_cast<long double>(gap) / 1.3L);
  return gap == 0 ? 1 : gap;
}

// Strict in both directions: a NaN is never out of order, so the last gap-1 pass settles.
template <class T>
inline bool OutOfOrder(const T& a, const T& b, bool Ascending) {
  return Ascending ? (a > b) : (a < b);
}

template <class T>
void CombSort(T* a, Integer n, bool Ascending) {
  if (n < 2) return;
  Integer gap = n;
  bool swapped;
  do {
    gap = NextCombGap(gap);
    swapped = false;
    for (Integer i = 0; i + gap < n; ++i) {
      if (OutOfOrder(a[i], a[i + gap], Ascending)) {
        std::swap(a[i], a[i + gap]);
        swapped = true;
      }
    }
    ProgressStep();
  } while (gap != 1 || swapped);
}

template <class T>
Integer SortInto(T* a, Integer High, T Value, bool Ascending, bool AllowDuplicates) {
  if (High < 0) return -1;
  Integer i = 0;
  while (i < High && (Ascending ? !(a[i] >= Value) : !(a[i] <= Value))) ++i;
  const bool fits = Ascending ? (a[i] >= Value) : (a[i] <= Value);
  if (!fits || (!AllowDuplicates && a[i] == Value)) return -1;
  for (Integer j = High; j > i; --j) a[j] = a[j - 1];
  a[i] = Value;
  return i;
}

template <class T>
void InsertInto(T* a, Integer High, T Value, Integer p) {
  if (p < 0 || p > High) return;
  for (Integer j = High; j > p; --j) a[j] = a[j - 1];
  a[p] = Value;
}

enum class ElemKind { Float64, Float32, Int32, None };

ElemKind KindOf(TVarKind Kind) {
  switch (Kind) {
    case rnum:
    case dnum: return ElemKind::Float64;
    case snum: return ElemKind::Float32;
    case inum:
    case lnum: return ElemKind::Int32;
    default: return ElemKind::None;
  }
}

}  // namespace

void SortArray(Double* Data, Integer High, bool Ascending) { CombSort(Data, High + 1, Ascending); }
void SortArray(Single* Data, Integer High, bool Ascending) { CombSort(Data, High + 1, Ascending); }
void SortArray(Integer* Data, Integer High, bool Ascending) { CombSort(Data, High + 1, Ascending); }

void SortArray(void* Data, Integer Count, TVarKind Kind, bool Ascending) {
  switch (KindOf(Kind)) {
    case ElemKind::Float64: CombSort(static_cast<Double*>(Data), Count, Ascending); break;
    case ElemKind::Float32: CombSort(static_cast<Single*>(Data), Count, Ascending); break;
    case ElemKind::Int32: CombSort(static_cast<Integer*>(Data), Count, Ascending); break;
    case ElemKind::None: break;
  }
}

Integer SortIntoArray(Double* Data, Integer High, Double Value, bool Ascending,
                      bool AllowDuplicates) {
  return SortInto(Data, High, Value, Ascending, AllowDuplicates);
}
Integer SortIntoArray(Single* Data, Integer High, Single Value, bool Ascending,
                      bool AllowDuplicates) {
  return SortInto(Data, High, Value, Ascending, AllowDuplicates);
}
Integer SortIntoArray(Integer* Data, Integer High, Integer Value, bool Ascending,
                      bool AllowDuplicates) {
  return SortInto(Data, High, Value, Ascending, AllowDuplicates);
}

Integer SortIntoArray(void* Data, Integer Count, TVarKind Kind, const void* Value, bool Ascending,
                      bool AllowDuplicates) {
  Integer ix = -1;
  switch (KindOf(Kind)) {
    case ElemKind::Float64:
      ix = SortInto(static_cast<Double*>(Data), Count - 1, *static_cast<const Double*>(Value),
                    Ascending, AllowDuplicates);
      break;
    case ElemKind::Float32:
      ix = SortInto(static_cast<Single*>(Data), Count - 1, *static_cast<const Single*>(Value),
                    Ascending, AllowDuplicates);
      break;
    case ElemKind::Int32:
      ix = SortInto(static_cast<Integer*>(Data), Count - 1, *static_cast<const Integer*>(Value),
                    Ascending, AllowDuplicates);
      break;
    case ElemKind::None: break;
  }
  return ix + 1;
}

void InsertIntoArray(Double* Data, Integer High, Double Value, Integer p) {
  InsertInto(Data, High, Value, p);
}
void InsertIntoArray(Single* Data, Integer High, Single Value, Integer p) {
  InsertInto(Data, High, Value, p);
}
void InsertIntoArray(Integer* Data, Integer High, Integer Value, Integer p) {
  InsertInto(Data, High, Value, p);
}

void InsertIntoArray(void* Data, Integer Count, TVarKind Kind, const void* Value, Integer p) {
  switch (KindOf(Kind)) {
    case ElemKind::Float64:
      InsertInto(static_cast<Double*>(Data), Count - 1, *static_cast<const Double*>(Value), p - 1);
      break;
    case ElemKind::Float32:
      InsertInto(static_cast<Single*>(Data), Count - 1, *static_cast<const Single*>(Value), p - 1);
      break;
    case ElemKind::Int32:
      InsertInto(static_cast<Integer*>(Data), Count - 1, *static_cast<const Integer*>(Value),
                 p - 1);
      break;
    case ElemKind::None: break;
  }
}

Double QuickSelect(Double* a, Integer k, Integer lo, Integer hi) {
  if (hi < lo) return 0.0;
  const Double first = a[lo];
  bool allEqual = true;
  for (Integer i = lo + 1; i <= hi && allEqual; ++i) allEqual = (a[i] == first);
  if (allEqual) return first;
  // Below lo the window would never shrink: that call has no answer but the first value.
  if (k < lo) return first;
  while (true) {
    const Integer p = lo + (hi - lo) / 2;
    const Double v = a[p];
    std::swap(a[p], a[lo]);
    Integer j = lo + 1;
    while (j <= hi && a[j] < v) ++j;
    for (Integer m = j + 1; m <= hi; ++m) {
      if (a[m] < v) {
        std::swap(a[m], a[j]);
        ++j;
      }
    }
    a[lo] = a[j - 1];
    a[j - 1] = v;
    const Integer c = j - 1;
    if (c > k) {
      hi = c;
    } else if (c < k) {
      lo = c + 1;
      if (lo > hi) return first;
    } else {
      return a[k];
    }
  }
}

Double ClampPercent(Double prob) { return std::isnan(prob) ? 0.0 : std::clamp(prob, 0.0, 100.0); }

Int64 PercentRank(Int64 n, Double prob) {
  const auto k =
      static_cast<Int64>(std::nearbyint(static_cast<Double>(n) * ClampPercent(prob) / 100));
  return std::min(k, n - 1);
}

bool HasNaN(const Double* Data, Int64 n) {
  return std::any_of(Data, Data + n, [](Double x) { return std::isnan(x); });
}

Double RankPercentile(Double* Data, Int64 n, Double prob) {
  if (n <= 0) return 0;
  if (HasNaN(Data, n)) return std::nan("");
  return QuickSelect(Data, static_cast<Integer>(PercentRank(n, prob)), 0,
                     static_cast<Integer>(n - 1));
}

Double PercentileOfSorted(const Double* Sorted, Int64 n, Double prob) {
  if (n <= 0) return 0;
  if (HasNaN(Sorted, n)) return std::nan("");
  prob = ClampPercent(prob);
  if (n == 1) return Sorted[0];
  const Double p = prob * static_cast<Double>(n - 1) / 100;
  const auto k = static_cast<Int64>(p);
  if (prob == 100 || k >= n - 1) return Sorted[n - 1];
  return Sorted[k] + (Sorted[k + 1] - Sorted[k]) * (p - static_cast<Double>(k));
}

bool QuartilesOfSorted(const Double* Sorted, Int64 n, Double& Q1, Double& Q2, Double& Q3) {
  Q1 = Q2 = Q3 = 0;
  if (n <= 0) return false;
  if (HasNaN(Sorted, n)) {
    Q1 = Q2 = Q3 = std::nan("");
    return false;
  }
  auto quart = [&](Double q) {
    const Double t = static_cast<Double>(n + 1) * q;
    const auto k = static_cast<Int64>(t);
    if (k < 1) return Sorted[0];
    if (k >= n) return Sorted[n - 1];
    return Sorted[k - 1] + (t - static_cast<Double>(k)) * (Sorted[k] - Sorted[k - 1]);
  };
  Q1 = quart(0.25);
  Q2 = quart(0.5);
  Q3 = quart(0.75);
  return true;
}

bool SortSwap(Double& a, Double& b, bool Ascending) {
  if ((a < b) == Ascending) return false;
  std::swap(a, b);
  return true;
}

void ExChange(void* a, void* b, Word Size) {
  auto* pa = static_cast<unsigned char*>(a);
  auto* pb = static_cast<unsigned char*>(b);
  for (Word i = 0; i < Size; ++i) std::swap(pa[i], pb[i]);
}
