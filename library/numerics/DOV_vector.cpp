#include "DOV_vector.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "DOV_dstruct.h"
#include "DOV_histogram.h"
#include "DOV_math1.h"
#include "DOV_matrix_io.h"
#include "DOV_streams.h"
#include "DOV_stringl.h"
#include "DOV_textio.h"
#include "RtlRandom.h"
#include "SysUtils.h"

namespace {

// The arithmetic each element type is specified with: doubles as they are, integers in 32
// bits with wrap-around (formed unsigned, so that an overflow is defined).
inline Double Plus(Double a, Double b) { return a + b; }
inline Double Minus(Double a, Double b) { return a - b; }
inline Double Times(Double a, Double b) { return a * b; }
inline Double Magnitude(Double a) { return std::fabs(a); }
inline Integer Plus(Integer a, Integer b) {
  return static_cast<Integer>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline Integer Minus(Integer a, Integer b) {
  return static_cast<Integer>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
inline Integer Times(Integer a, Integer b) {
  return static_cast<Integer>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}
inline Integer Magnitude(Integer a) {
  return a < 0 ? static_cast<Integer>(0u - static_cast<std::uint32_t>(a)) : a;
}

// MinMax start values: the double vector starts at +-1.7e308, the integer one at
// 2147483647 and -2147483647 (so -2147483648 is never a maximum).
inline void MinMaxStart(Double& Min, Double& Max) {
  Min = static_cast<Double>(uc_MaxDouble);
  Max = -static_cast<Double>(uc_MaxDouble);
}
inline void MinMaxStart(Integer& Min, Integer& Max) {
  Min = INT_MAX;
  Max = -INT_MAX;
}

inline void SortAscending(TDoubleArray& a) {
  SortArray(a.data(), static_cast<Integer>(a.size()) - 1, true);
}
inline void SortAscending(TIntArray& a) {
  SortArray(a.data(), static_cast<Integer>(a.size()) - 1, true);
}

inline Integer NextCombGap(Integer gap) {
  gap = static_cast<Integer>(static_cast<long double>(gap) / 1.3L);
  return gap == 0 ? 1 : gap;
}

}  // namespace

// ---- core --------------------------------------------------------------------------------

template <class T>
TVectorStore<T>::TVectorStore(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FVec.assign(1, T(0));
  } catch (const std::bad_alloc&) {
    throw ESDLVectorError(ComponentErrorMessage(this, "not enough memory on heap"));
  }
}

template <class T>
bool TVectorStore<T>::Resize(Integer NE) {
  if (NE == FNElem) return true;
  if (NE < 1) return false;
  try {
    FVec.resize(static_cast<std::size_t>(NE), T(0));
  } catch (const std::bad_alloc&) {
    throw ESDLVectorError(ComponentErrorMessage(this, "not enough memory"));
  } catch (const std::length_error&) {
    throw ESDLVectorError(ComponentErrorMessage(this, "not enough memory"));
  }
  FNElem = NE;
  Changed();
  return true;
}

template <class T>
void TVectorStore<T>::Changed() {
  if (OnChange) OnChange(this);
}

template <class T>
void TVectorStore<T>::MakeValidElemRange(Integer& LowElem, Integer& HighElem) const {
  if (LowElem == 0 && HighElem == 0) {
    LowElem = 1;
    HighElem = FNElem;
    return;
  }
  LowElem = std::clamp<Integer>(LowElem, 1, FNElem);
  HighElem = std::clamp<Integer>(HighElem, 1, FNElem);
  if (HighElem < LowElem) std::swap(LowElem, HighElem);
}

template <class T>
void TVectorStore<T>::RaiseDimensions() const {
  throw ESDLVectorError(ComponentErrorMessage(this, "vectors have different dimensions"));
}

// ---- copies ------------------------------------------------------------------------------

template <class T>
void TVectorStore<T>::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TVectorStore<T>*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  TArray copy;
  try {
    copy = src->FVec;
  } catch (const std::bad_alloc&) {
    throw ESDLVectorError(ComponentErrorMessage(this, "not enough memory"));
  }
  FVec.swap(copy);
  FNElem = src->FNElem;
  FIsEmpty = src->FIsEmpty;
  OnChange = src->OnChange;
  OnSortExchange = src->OnSortExchange;
}

template <class T>
void TVectorStore<T>::AssignTo(TPersistent* Dest) {
  if (dynamic_cast<TVectorStore<T>*>(Dest) != nullptr) {
    Dest->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

template <class T>
void TVectorStore<T>::Clone(const TVectorStore* VecSource) {
  if (VecSource == nullptr) return;
  Resize(VecSource->FNElem);
  for (Integer i = 1; i <= FNElem; ++i) SetVal(i, VecSource->GetVal(i));
  Changed();
}

template <class T>
void TVectorStore<T>::CopyFrom(const TVectorStore* VecSource, Integer SourceElemLo,
                               Integer SourceElemHi, Integer DestElem) {
  if (VecSource == nullptr) return;
  SourceElemLo = std::clamp<Integer>(SourceElemLo, 1, VecSource->FNElem);
  SourceElemHi = std::clamp<Integer>(SourceElemHi, 1, VecSource->FNElem);
  if (SourceElemHi < SourceElemLo) std::swap(SourceElemLo, SourceElemHi);
  // Copied first, so that a copy within the same vector reads the values as they were.
  const TArray part(VecSource->FVec.begin() + (SourceElemLo - 1),
                    VecSource->FVec.begin() + SourceElemHi);
  const Int64 offset = static_cast<Int64>(DestElem) - SourceElemLo;
  for (Integer i = SourceElemLo; i <= SourceElemHi; ++i) {
    const Int64 dest = i + offset;
    if (dest >= 1 && dest <= FNElem)
      SetVal(static_cast<Integer>(dest), part[static_cast<std::size_t>(i - SourceElemLo)]);
  }
  Changed();
}

template <class T>
void TVectorStore<T>::CopyToArray(TArray& DestArray, Integer LowElem, Integer HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  DestArray.assign(FVec.begin() + (LowElem - 1), FVec.begin() + HighElem);
}

template <class T>
void TVectorStore<T>::CopyFromArray(const TArray& SrcArray, Integer Elem) {
  for (std::size_t j = 0; j < SrcArray.size(); ++j) {
    const Int64 dest = static_cast<Int64>(Elem) + static_cast<Int64>(j);
    if (dest > FNElem) break;
    if (dest >= 1) SetVal(static_cast<Integer>(dest), SrcArray[j]);
  }
}

template <class T>
String TVectorStore<T>::CRCofData() const {
  constexpr int W = sizeof(T);
  std::uint32_t lane[W];
  for (auto& l : lane) l = 0xFFFFFFFFu;
  for (Integer i = 0; i < FNElem; ++i) {
    unsigned char bytes[W];
    std::memcpy(bytes, &FVec[static_cast<std::size_t>(i)], W);
    for (int k = 0; k < W; ++k) lane[k] = CalcNextCRC32(bytes[k], lane[k]);
  }
  String result;
  for (auto l : lane) result += Hex(~l, 8);
  return result;
}

// ---- whole-vector operations -------------------------------------------------------------

template <class T>
void TVectorStore<T>::Fill(T Value) {
  std::fill(FVec.begin(), FVec.end(), Value);
  FIsEmpty = false;
  Changed();
}

template <class T>
void TVectorStore<T>::Clear() {
  std::fill(FVec.begin(), FVec.end(), T(0));
  FIsEmpty = true;
  Changed();
}

template <class T>
void TVectorStore<T>::Add(const TVectorStore* OtherVec) {
  if (OtherVec == nullptr) return;
  if (OtherVec->FNElem != FNElem) RaiseDimensions();
  for (Integer i = 0; i < FNElem; ++i) FVec[i] = Plus(FVec[i], OtherVec->FVec[i]);
  Changed();
}

template <class T>
void TVectorStore<T>::Subtract(const TVectorStore* OtherVec) {
  if (OtherVec == nullptr) return;
  if (OtherVec->FNElem != FNElem) RaiseDimensions();
  for (Integer i = 0; i < FNElem; ++i) FVec[i] = Minus(FVec[i], OtherVec->FVec[i]);
  Changed();
}

template <class T>
void TVectorStore<T>::SMult(T Scalar) {
  for (auto& x : FVec) x = Times(x, Scalar);
  Changed();
}

template <class T>
void TVectorStore<T>::AbsVal() {
  for (auto& x : FVec) x = Magnitude(x);
  Changed();
}

template <class T>
void TVectorStore<T>::Mirror() {
  std::reverse(FVec.begin(), FVec.end());
  Changed();
}

template <class T>
void TVectorStore<T>::ShuffleElems() {
  Randomize();
  for (Integer n = 0; n < FNElem; ++n) {
    const Integer a = Random(FNElem);
    const Integer b = Random(FNElem);
    std::swap(FVec[a], FVec[b]);
  }
}

template <class T>
void TVectorStore<T>::SortElems(bool Ascending, Integer RangeFirst, Integer RangeLast) {
  if (RangeFirst == 0 && RangeLast == 0) {
    RangeFirst = 1;
    RangeLast = FNElem;
  } else {
    if (RangeLast < RangeFirst) std::swap(RangeFirst, RangeLast);
    RangeFirst = std::clamp<Integer>(RangeFirst, 1, FNElem);
    RangeLast = std::clamp<Integer>(RangeLast, 1, FNElem);
  }
  Integer gap = RangeLast - RangeFirst;
  if (gap < 1) return;
  T* a = FVec.data() - 1;  // 1-based view
  bool swapped;
  do {
    gap = NextCombGap(gap);
    swapped = false;
    for (Integer i = RangeFirst; i + gap <= RangeLast; ++i) {
      // Strict both ways: a NaN is never out of order, so the sort always ends.
      if (Ascending ? (a[i] > a[i + gap]) : (a[i] < a[i + gap])) {
        std::swap(a[i], a[i + gap]);
        swapped = true;
        if (OnSortExchange) OnSortExchange(this, 0, i, i + gap, 0, 0);
      }
    }
  } while (gap != 1 || swapped);
  Changed();
}

// ---- products, distances, searches -------------------------------------------------------

template <class T>
double TVectorStore<T>::CalcVecLeng() const {
  if constexpr (std::is_same_v<T, Double>) {
    return RootSumSquares([this](auto f) {
      for (T x : FVec) f(x);
    });
  } else {
    double s = 0;  // integer squares wrap in 32 bits, as all integer element arithmetic
    for (T x : FVec) s += static_cast<double>(Times(x, x));
    return std::sqrt(s);
  }
}

template <class T>
T TVectorStore<T>::DotProduct(const TVectorStore* OtherVec) const {
  if (OtherVec == nullptr) return T(0);
  if (OtherVec->FNElem != FNElem) RaiseDimensions();
  T s = T(0);
  for (Integer i = 0; i < FNElem; ++i) s = Plus(s, Times(FVec[i], OtherVec->FVec[i]));
  return s;
}

template <class T>
double TVectorStore<T>::EuclideanDistance(const TVectorStore* OtherVec) const {
  if (OtherVec == nullptr) return 0.0;
  if (OtherVec->FNElem != FNElem)
    throw ESDLVectorError("EuclideanDistance: dimensions of vectors do not match");
  if constexpr (std::is_same_v<T, Double>) {
    return RootSumSquares([&](auto f) {
      for (Integer i = 0; i < FNElem; ++i) f(FVec[i] - OtherVec->FVec[i]);
    });
  } else {
    double s = 0;
    for (Integer i = 0; i < FNElem; ++i) {
      const T d = Minus(FVec[i], OtherVec->FVec[i]);
      s += static_cast<double>(Times(d, d));
    }
    return std::sqrt(s);
  }
}

template <class T>
T TVectorStore<T>::Correlate(const TVectorStore* OtherVec, Integer ElemShift) const {
  if (OtherVec == nullptr) return T(0);
  T s = T(0);
  for (Integer i = 1; i <= FNElem; ++i) {
    const Int64 j = static_cast<Int64>(i) + ElemShift;
    if (j >= 1 && j <= OtherVec->FNElem)
      s = Plus(s, Times(FVec[i - 1], OtherVec->FVec[static_cast<std::size_t>(j - 1)]));
  }
  return s;
}

template <class T>
double TVectorStore<T>::PearsonCorrCoeff(const TVectorStore* OtherVec) const {
  if (OtherVec == nullptr || OtherVec->FNElem != FNElem) return 0.0;
  return CorrelationOf(
      [&](auto f) {
        for (Integer i = 0; i < FNElem; ++i)
          f(static_cast<double>(FVec[i]), static_cast<double>(OtherVec->FVec[i]));
      },
      2);
}

template <class T>
Integer TVectorStore<T>::Find(Integer LowElem, Integer HighElem, T Value) const {
  MakeValidElemRange(LowElem, HighElem);
  double best = static_cast<double>(uc_MaxDouble);
  Integer ix = 0;
  for (Integer i = LowElem; i <= HighElem; ++i) {
    const double d = std::fabs(static_cast<double>(FVec[i - 1]) - static_cast<double>(Value));
    if (d < best) {
      best = d;
      ix = i;
    }
  }
  return ix;
}

template <class T>
Integer TVectorStore<T>::FindInSortedVector(bool Ascending, T Value) const {
  const T* a = FVec.data() - 1;
  Integer lo = 1, hi = FNElem;
  while (hi - lo > 1) {
    const Integer mid = (lo + hi) / 2;
    if (a[mid] == Value) return mid;
    if ((Value > a[mid]) == Ascending)
      lo = mid;
    else
      hi = mid;
  }
  const double dlo = std::fabs(static_cast<double>(a[lo]) - static_cast<double>(Value));
  const double dhi = std::fabs(static_cast<double>(a[hi]) - static_cast<double>(Value));
  return dlo < dhi ? lo : hi;
}

// ---- statistics --------------------------------------------------------------------------

template <class T>
T TVectorStore<T>::Sum(Integer LowElem, Integer HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  T s = T(0);
  for (Integer i = LowElem; i <= HighElem; ++i) s = Plus(s, FVec[i - 1]);
  return s;
}

template <class T>
void TVectorStore<T>::MeanVar(Integer LowElem, Integer HighElem, double& Mean,
                              double& Variance) const {
  MakeValidElemRange(LowElem, HighElem);
  MeanVarOf(Window(LowElem, HighElem), Mean, Variance);
}

template <class T>
void TVectorStore<T>::MinMax(Integer LowElem, Integer HighElem, T& Minimum, T& Maximum) const {
  Integer a, b;
  MinMax(LowElem, HighElem, Minimum, Maximum, a, b);
}

template <class T>
void TVectorStore<T>::MinMax(Integer LowElem, Integer HighElem, T& Minimum, T& Maximum,
                             Integer& MinIx, Integer& MaxIx) const {
  MinMaxStart(Minimum, Maximum);
  MinIx = MaxIx = 0;
  MakeValidElemRange(LowElem, HighElem);
  for (Integer i = LowElem; i <= HighElem; ++i) {
    const T x = FVec[i - 1];
    if (x < Minimum) {
      Minimum = x;
      MinIx = i;
    }
    if (x > Maximum) {
      Maximum = x;
      MaxIx = i;
    }
  }
}

template <class T>
double TVectorStore<T>::GeometricMean(Integer LowElem, Integer HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  bool zero = false;
  long double s = 0;
  for (Integer i = LowElem; i <= HighElem; ++i) {
    const double x = static_cast<double>(FVec[i - 1]);
    if (x < 0)
      throw ESDLVectorError(
          ComponentErrorMessage(this, "negative argument passed to GeometricMean"));
    if (x == 0)
      zero = true;
    else
      s += std::log(x);
  }
  if (zero) return 0.0;
  return static_cast<double>(std::exp(s / (HighElem - LowElem + 1)));
}

template <class T>
double TVectorStore<T>::HarmonicMean(Integer LowElem, Integer HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  double s = 0;
  for (Integer i = LowElem; i <= HighElem; ++i) {
    const double x = static_cast<double>(FVec[i - 1]);
    if (!(x > 0))
      throw ESDLVectorError(
          ComponentErrorMessage(this, "negative or zero argument passed to HarmonicMean"));
    s += 1.0 / x;
  }
  return (HighElem - LowElem + 1) / s;
}

template <class T>
typename TVectorStore<T>::TArray TVectorStore<T>::SortedCopy(Integer LowElem,
                                                             Integer HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  TArray s;
  try {
    s.assign(FVec.begin() + (LowElem - 1), FVec.begin() + HighElem);
  } catch (const std::bad_alloc&) {
    throw ESDLVectorError(ComponentErrorMessage(this, "not enough memory on heap"));
  }
  SortAscending(s);
  return s;
}

template <class T>
std::vector<double> TVectorStore<T>::SortedValues(Integer LowElem, Integer HighElem) const {
  MakeValidElemRange(LowElem, HighElem);
  std::vector<double> s;
  try {
    s.assign(FVec.begin() + (LowElem - 1), FVec.begin() + HighElem);
  } catch (const std::bad_alloc&) {
    throw ESDLVectorError(ComponentErrorMessage(this, "not enough memory on heap"));
  }
  SortArray(s.data(), static_cast<Integer>(s.size()) - 1, true);
  return s;
}

template <class T>
T TVectorStore<T>::Mode(Integer LowElem, Integer HighElem) const {
  const TArray s = SortedCopy(LowElem, HighElem);
  T best = s[0];
  Integer bestRun = 1, run = 1;
  for (std::size_t i = 1; i < s.size(); ++i) {
    run = (s[i] == s[i - 1]) ? run + 1 : 1;
    if (run > bestRun) {
      bestRun = run;
      best = s[i];
    }
  }
  return best;
}

template <class T>
double TVectorStore<T>::Percentile(double prob, Integer LowElem, Integer HighElem) const {
  const std::vector<double> s = SortedValues(LowElem, HighElem);
  return PercentileOfSorted(s.data(), static_cast<Int64>(s.size()), prob);
}

template <class T>
bool TVectorStore<T>::Quartiles(Integer LowElem, Integer HighElem, double& Q1, double& Q2,
                                double& Q3) const {
  const std::vector<double> s = SortedValues(LowElem, HighElem);
  return QuartilesOfSorted(s.data(), static_cast<Int64>(s.size()), Q1, Q2, Q3);
}

template <class T>
void TVectorStore<T>::SkewKurt(Integer LowElem, Integer HighElem, double& Skewness,
                               double& Kurtosis) const {
  Skewness = Kurtosis = 0;
  MakeValidElemRange(LowElem, HighElem);
  if (HighElem - LowElem + 1 < 4) return;
  SkewKurtOf(Window(LowElem, HighElem), Skewness, Kurtosis);
}

template <class T>
void TVectorStore<T>::SkewKurtSample(Integer LowElem, Integer HighElem, double& Skewness,
                                     double& Kurtosis) const {
  Skewness = Kurtosis = 0;
  MakeValidElemRange(LowElem, HighElem);
  SampleSkewKurtOf(Window(LowElem, HighElem), Skewness, Kurtosis);
}

template class TVectorStore<Double>;
template class TVectorStore<Integer>;

// ---- TVector -----------------------------------------------------------------------------

void TVector::SetVecSize(Integer NE) {
  if (NE > 0 && NE != FNElem) Resize(NE);
}

void TVector::SetVecLeng(double Value) {
  const double len = CalcVecLeng();
  if (len == 0) throw ESDLVectorError(ComponentErrorMessage(this, "vector has zero length"));
  for (auto& x : FVec) x = x * Value / len;
  Changed();
}

void TVector::FillRandomUniform(double RangeLow, double RangeHigh) {
  for (auto& x : FVec) x = UniformBetween(RangeLow, RangeHigh, static_cast<double>(RandomReal()));
  FIsEmpty = false;
  Changed();
}

void TVector::FillRandomGauss(double Mean, double StdDev) {
  for (auto& x : FVec) x = GRandom() * StdDev + Mean;
  FIsEmpty = false;
  Changed();
}

bool TVector::Histogram(Integer FirstElem, Integer LastElem, double FirstBin, double LastBin,
                        double BinWidth, TIntVector* Histo, Integer& Underflow, Integer& Overflow,
                        Integer& MaxCnt) const {
  if (!dov_histogram::Start(Histo, FirstBin, LastBin, BinWidth, Underflow, Overflow, MaxCnt))
    return false;
  const Integer NE = Histo->NrOfElem();
  const double top = LastBin + BinWidth;
  for (Int64 i = FirstElem; i <= LastElem; ++i) {
    const double v = GetVal(static_cast<Integer>(i));
    if (v < FirstBin) {
      ++Underflow;
    } else if (v < top) {
      const double b = std::floor((v - FirstBin) / BinWidth) + 1;
      if (b < 1 || b > NE) continue;  // rounding at the top edge; the vector drops it too
      const auto bin = static_cast<Integer>(b);
      const Integer cnt = Histo->GetVal(bin) + 1;
      Histo->SetVal(bin, cnt);
      MaxCnt = std::max(MaxCnt, cnt);
    } else {
      ++Overflow;
    }
  }
  return true;
}

double TVector::MeanCenter() {
  double mean, var;
  MeanVar(0, 0, mean, var);
  for (auto& x : FVec) x -= mean;
  return mean;
}

void TVector::Standardize(double& Mean, double& StdDev) {
  double var;
  MeanVar(0, 0, Mean, var);
  StdDev = std::sqrt(var);
  if (StdDev > 0)
    for (auto& x : FVec) x = (x - Mean) / StdDev;
}

void TVector::QNormalize(double RefQuant, double& Median, double& QuantDiff) {
  Median = Percentile(50, 0, 0);
  const double q = Percentile(RefQuant, 0, 0);
  QuantDiff = std::fabs(Median - q);
  if (QuantDiff > 0)
    for (auto& x : FVec) x = (x - Median) / QuantDiff;
}

double TVector::Integrate(double BoundLow, double BoundHigh, TIntegMethod Method) const {
  if (std::isnan(BoundLow) || std::isnan(BoundHigh)) return 0.0;
  const double N = FNElem;
  double lo = std::clamp(BoundLow, 1.0, N);
  double hi = std::clamp(BoundHigh, 1.0, N);
  if (hi < lo) std::swap(lo, hi);
  const double w = hi - lo;
  const auto k0 = static_cast<Integer>(std::ceil(lo));
  const auto k1 = static_cast<Integer>(std::floor(hi));
  auto y = [&](Integer i) { return FVec[static_cast<std::size_t>(i - 1)]; };
  // The straight line through the two samples around x.
  auto yAt = [&](double x) {
    const auto i = static_cast<Integer>(std::floor(x));
    if (i >= FNElem) return y(FNElem);
    return y(i) + (y(i + 1) - y(i)) * (x - i);
  };
  auto endPieces = [&] {
    return (yAt(lo) + y(k0)) / 2 * (k0 - lo) + (yAt(hi) + y(k1)) / 2 * (hi - k1);
  };
  auto trapezoids = [&](Integer from, Integer to) {
    double s = 0;
    for (Integer i = from; i < to; ++i) s += (y(i) + y(i + 1)) / 2;
    return s;
  };
  switch (Method) {
    case imSimple: {
      if (k1 < k0) return w * (y(k1) + y(k0)) / 2;
      double s = 0;
      for (Integer i = k0; i <= k1; ++i) s += y(i);
      return w * s / (k1 - k0 + 1);
    }
    case imTrapezoidal:
      if (k1 < k0) return w * (yAt(lo) + yAt(hi)) / 2;
      return endPieces() + trapezoids(k0, k1);
    case imSimpson: {
      const Integer m = k1 - k0;
      if (m < 0) return w * (yAt(lo) + yAt(hi)) / 2;
      double core = 0;
      switch (m) {
        case 0: break;
        case 1: core = (y(k0) + y(k0 + 1)) / 2; break;
        case 2: core = (y(k0) + 4 * y(k0 + 1) + y(k0 + 2)) / 3; break;
        case 3: core = 3.0 / 8 * (y(k0) + 3 * y(k0 + 1) + 3 * y(k0 + 2) + y(k0 + 3)); break;
        case 4:
          core = 2.0 / 45 *
                 (7 * y(k0) + 32 * y(k0 + 1) + 12 * y(k0 + 2) + 32 * y(k0 + 3) + 7 * y(k0 + 4));
          break;
        default:
          core = 3.0 / 8 * y(k0) + 7.0 / 6 * y(k0 + 1) + 23.0 / 24 * y(k0 + 2) +
                 23.0 / 24 * y(k1 - 2) + 7.0 / 6 * y(k1 - 1) + 3.0 / 8 * y(k1);
          for (Integer i = k0 + 3; i <= k1 - 3; ++i) core += y(i);
      }
      return endPieces() + core;
    }
  }
  return 0.0;
}

// ---- TVector files -----------------------------------------------------------------------

namespace {

// Width and decimals of a value line: -1 and -2 select the exponent form in 13 and 26
// characters; below -2 counts as 2, above 20 as 20.
void VectorValueFormat(Integer Precision, int& Width, int& Decimals) {
  if (Precision < -2) Precision = 2;
  if (Precision > 20) Precision = 20;
  Decimals = Precision;
  Width = Precision == -2 ? 26 : Precision == -1 ? 13 : 1;
}

// Clamps a store window the way both vector writers do.
void StoreWindow(Integer N, Integer& FirstElem, Integer& LastElem) {
  if (LastElem < FirstElem) std::swap(FirstElem, LastElem);
  if (FirstElem < 1) FirstElem = 1;
  if (LastElem > N) LastElem = N;
}

// Opens FileName and reads the "Low High" header; false when either fails. A header that
// promises more values than the file has bytes is damaged, and so is one that would size the
// vector far beyond them.
bool OpenWithHeader(TTextFile& F, const String& FileName, bool Adjust, Integer& Low,
                    Integer& High) {
  F.AssignFile(FileName);
  F.Reset();
  Integer h[2];
  if (!dov_textio::ReadHeader(F, h, 2)) return false;
  Low = h[0];
  High = h[1];
  const Int64 count = static_cast<Int64>(High) - Low + 1;
  if (count > dov_textio::BytesLeft(F)) return false;
  return !Adjust || High - std::max<Int64>(count, 0) <= dov_textio::MaxElementsBeyondFile;
}

// The "Low High" file: the header, the vector resized to High when Adjust, then the values
// Low..High through store(i, value) (which may refuse a value by ignoring it). False when the
// file or its header cannot be read, the vector is too small (nothing read) or the values end
// early (those read stay); a token that is not a number leaves its element. OnChange at the end
// once the header was read.
template <class Vector, class Store>
bool LoadVectorFile(Vector& Vec, const String& FileName, bool Adjust, Store store) {
  TTextFile F;
  Integer low, high;
  if (!OpenWithHeader(F, FileName, Adjust, low, high)) return false;
  if (Adjust) Vec.Resize(high);
  bool complete = Vec.NrOfElem() >= high;
  if (complete) {
    for (Int64 i = low; i <= high; ++i) {
      long double v;
      const auto tok = dov_textio::ReadNumber(F, v);
      if (tok == dov_textio::TToken::End) {
        complete = false;
        break;
      }
      if (tok == dov_textio::TToken::Number) store(static_cast<Integer>(i), v);
    }
  }
  F.CloseFile();
  Vec.Changed();
  return complete;
}

}  // namespace

bool TVector::StoreOnFile(Integer FirstElem, Integer LastElem, Integer Precision,
                          const String& FileName) const {
  StoreWindow(FNElem, FirstElem, LastElem);
  int width, decimals;
  VectorValueFormat(Precision, width, decimals);
  String text = IntToStr(FirstElem) + " " + IntToStr(LastElem) + "\r\n";
  for (Integer i = FirstElem; i <= LastElem; ++i) {
    text += Str(FVec[i - 1], width, decimals);
    text += "\r\n";
  }
  return WriteFileReplacing(FileName, text);
}

bool TVector::LoadFromFile(const String& FileName, bool AdjustVectorSize) {
  try {
    return LoadVectorFile(*this, FileName, AdjustVectorSize, [this](Integer i, long double v) {
      SetVal(i, static_cast<double>(v));
    });
  } catch (const EInOutError&) {
    return false;
  } catch (const ESDLVectorError&) {
    return false;
  }
}

bool TVector::LoadFromFile(const String& FileName, bool AdjustVectorSize, bool AutoDetect) {
  if (!AutoDetect) return LoadFromFile(FileName, AdjustVectorSize);
  try {
    TTextFile F(FileName);
    F.Reset();
    Integer lines = 0;
    while (!F.Eof()) {
      const String line = F.ReadLine();
      if (std::any_of(line.begin(), line.end(), [](char c) { return IsDigit(c); })) ++lines;
    }
    if (AdjustVectorSize) Resize(lines);
    F.Reset();
    for (Integer i = 1; i <= FNElem; ++i) {
      long double v;
      const auto tok = dov_textio::ReadNumber(F, v);
      if (tok == dov_textio::TToken::End) break;
      if (tok == dov_textio::TToken::Number) SetVal(i, static_cast<double>(v));
    }
    F.CloseFile();
    Changed();
    return true;
  } catch (const EInOutError&) {
    return false;
  } catch (const ESDLVectorError&) {
    return false;
  }
}

// ---- TIntVector --------------------------------------------------------------------------

void TIntVector::SetIntVecSize(Integer NE) {
  if (NE > 0 && NE != FNElem) Resize(NE);
}

Integer TIntVector::FindExact(Integer LowElem, Integer HighElem, Integer Value) const {
  MakeValidElemRange(LowElem, HighElem);
  for (Integer i = LowElem; i <= HighElem; ++i)
    if (FVec[i - 1] == Value) return i;
  return 0;
}

bool TIntVector::Histogram(Integer FirstElem, Integer LastElem, Integer FirstBin, Integer LastBin,
                           Integer BinWidth, TIntVector* Histo, Integer& Underflow,
                           Integer& Overflow, Integer& MaxCnt) const {
  if (BinWidth <= 0) BinWidth = 1;
  const Int64 NE = std::llabs(static_cast<Int64>(LastBin) - FirstBin) / BinWidth + 1;
  if (NE <= 0 || NE > 500) {
    String name = Name() + ".Histogram";
    throw ESDLVectorError("Component \"" + name + "\": invalid number of bins");
  }
  if (Histo == nullptr) return false;
  if (Histo->NrOfElem() != NE) Histo->Resize(static_cast<Integer>(NE));
  Histo->Clear();
  Underflow = Overflow = MaxCnt = 0;
  const Int64 top = static_cast<Int64>(LastBin) + BinWidth;
  for (Int64 i = FirstElem; i <= LastElem; ++i) {
    const Int64 v = GetVal(static_cast<Integer>(i));
    if (v < FirstBin) {
      ++Underflow;
    } else if (v < top) {
      const auto bin = static_cast<Integer>((v - FirstBin) / BinWidth + 1);
      const Integer cnt = Histo->GetVal(bin) + 1;
      Histo->SetVal(bin, cnt);
      MaxCnt = std::max(MaxCnt, cnt);
    } else {
      ++Overflow;
    }
  }
  return true;
}

bool TIntVector::StoreOnFile(Integer FirstElem, Integer LastElem, const String& FileName) const {
  StoreWindow(FNElem, FirstElem, LastElem);
  String text = IntToStr(FirstElem) + " " + IntToStr(LastElem) + "\r\n";
  for (Integer i = FirstElem; i <= LastElem; ++i) text += IntToStr(FVec[i - 1]) + "\r\n";
  return WriteFileReplacing(FileName, text);
}

bool TIntVector::LoadFromFile(const String& FileName, bool AdjustVectorSize) {
  try {
    return LoadVectorFile(*this, FileName, AdjustVectorSize, [this](Integer i, long double v) {
      const long double r = std::nearbyint(v);
      if (r >= INT_MIN && r <= INT_MAX) SetVal(i, static_cast<Integer>(r));
    });
  } catch (const EInOutError&) {
    return false;
  } catch (const ESDLVectorError&) {
    return false;
  }
}

// ---- streams -----------------------------------------------------------------------------

namespace {

// Reads the two bounds of a vector stream and decides whether the values may follow: false
// (nothing changed) for a short or damaged header, and for one that would size the vector far
// beyond the values the stream still holds.
template <class ReadItem>
bool ReadStreamBounds(TStream& S, ReadItem readBound, std::size_t ItemSize, bool Adjust,
                      Integer& Low, Integer& High) {
  if (!readBound(S, Low) || !readBound(S, High)) return false;
  const Int64 left = (S.Size() - S.Position()) / static_cast<Int64>(ItemSize);
  return !Adjust || High <= left + dov_textio::MaxElementsBeyondFile;
}

using dov_matrix::ReadExtendedBound;
using dov_matrix::ReadLongintBound;

constexpr std::size_t kExtendedItemBytes = 10;
constexpr std::size_t kLongintItemBytes = 4;

// Reads the bounds, then the values into Vec (resized first when Adjust). False for a damaged
// header, a vector too short for the bounds, or a value the stream no longer holds; a failed
// read stops there, as every later one would fail as well.
template <class Vector, class ReadBound, class ReadValue>
bool LoadVectorStream(Vector& Vec, TStream& S, ReadBound readBound, std::size_t ItemSize,
                      bool Adjust, ReadValue readValue) {
  Integer low, high;
  if (!ReadStreamBounds(S, readBound, ItemSize, Adjust, low, high)) return false;
  if (Adjust) Vec.Resize(high);
  bool ok = Vec.NrOfElem() >= high;
  if (ok) {
    for (Int64 i = low; i <= high; ++i) {
      bool error = false;
      const auto x = readValue(S, error);
      if (error) {
        ok = false;
        break;
      }
      Vec.SetVal(static_cast<Integer>(i), x);
    }
  }
  Vec.Changed();
  return ok;
}

void WriteVectorStream(TStream& S, const TVector& V, Integer LowElem, Integer HighElem) {
  V.MakeValidElemRange(LowElem, HighElem);
  WriteExtendedToStream(S, LowElem);
  WriteExtendedToStream(S, HighElem);
  for (Integer i = LowElem; i <= HighElem; ++i) WriteExtendedToStream(S, V.GetVal(i));
}

void WriteVectorStream(TStream& S, const TIntVector& V, Integer LowElem, Integer HighElem) {
  V.MakeValidElemRange(LowElem, HighElem);
  WriteLongintToStream(S, LowElem);
  WriteLongintToStream(S, HighElem);
  for (Integer i = LowElem; i <= HighElem; ++i) WriteLongintToStream(S, V.GetVal(i));
}

}  // namespace

void TVector::SaveToStream(TMemoryStream*& OutStream, Integer LowElem, Integer HighElem) const {
  if (OutStream == nullptr) OutStream = new TMemoryStream();
  WriteVectorStream(*OutStream, *this, LowElem, HighElem);
}

void TVector::SaveToStream(TFileStream* OutStream, Integer LowElem, Integer HighElem) const {
  if (OutStream != nullptr) WriteVectorStream(*OutStream, *this, LowElem, HighElem);
}

bool TVector::LoadFromStream(TStream* InStream, bool AdjustVectorSize) {
  auto readValue = [](TStream& S, bool& error) {
    return static_cast<double>(ReadExtendedFromStream(S, error));
  };
  return InStream != nullptr && LoadVectorStream(*this, *InStream, ReadExtendedBound,
                                                 kExtendedItemBytes, AdjustVectorSize, readValue);
}

void TIntVector::SaveToStream(TMemoryStream*& OutStream, Integer LowElem, Integer HighElem) const {
  if (OutStream == nullptr) OutStream = new TMemoryStream();
  WriteVectorStream(*OutStream, *this, LowElem, HighElem);
}

void TIntVector::SaveToStream(TFileStream* OutStream, Integer LowElem, Integer HighElem) const {
  if (OutStream != nullptr) WriteVectorStream(*OutStream, *this, LowElem, HighElem);
}

bool TIntVector::LoadFromStream(TStream* InStream, bool AdjustVectorSize) {
  return InStream != nullptr &&
         LoadVectorStream(*this, *InStream, ReadLongintBound, kLongintItemBytes, AdjustVectorSize,
                          ReadLongintFromStream);
}
