// Random numbers from tabulated distributions.

#include "DOV_statis_randgen.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "DOV_univconst.h"
#include "RtlRandom.h"

namespace {

constexpr Integer kDefaultResolution = 500;
constexpr Integer kMinResolution = 10;
constexpr Integer kMaxResolution = 4000;
constexpr Integer kMaxTries = 100000;  // the loop goes on while the counter is at most this

}  // namespace

TRandGen::TRandGen(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FDistVec.assign(kDefaultResolution, 1.0);
  } catch (const std::bad_alloc&) {
    throw ESDLStatisError(ComponentErrorMessage(this, "not enough memory on heap"));
  }
  FResolution = kDefaultResolution;
}

void TRandGen::SetResolution(Integer n) {
  n = std::clamp(n, kMinResolution, kMaxResolution);
  try {
    FDistVec.assign(static_cast<std::size_t>(n), 1.0);
  } catch (const std::bad_alloc&) {
    throw ESDLStatisError(ComponentErrorMessage(this, "not enough memory"));
  }
  FResolution = n;
}

double TRandGen::GetProbability(Integer Idx) const {
  if (Idx < 1 || Idx > FResolution) return 0;
  return FDistVec[static_cast<std::size_t>(Idx - 1)];
}

void TRandGen::SetProbability(Integer Idx, double Value) {
  if (Idx < 1 || Idx > FResolution) return;
  // A NaN weight would make every draw in its cell a rejection; it counts as 0.
  FDistVec[static_cast<std::size_t>(Idx - 1)] = Value >= 0 ? std::min(Value, 1.0) : 0.0;
}

double TRandGen::GetLambda(Integer ix) const {
  if (ix <= 0) return FLowBorder;
  if (ix > FResolution) return FHighBorder;
  return FLowBorder + (ix - 1) * (FHighBorder - FLowBorder) / FResolution;
}

Integer TRandGen::IndexOfLambda(double Lambda) const {
  if (Lambda < FLowBorder) return 0;
  if (Lambda > FHighBorder) return FResolution + 1;
  return 1 + static_cast<Integer>(
                 std::trunc((Lambda - FLowBorder) * FResolution / (FHighBorder - FLowBorder)));
}

double TRandGen::GetRandNum() {
  Integer k = 0;
  double a = 0;
  for (Integer tries = 1;; ++tries) {
    k = ::Random(FResolution);
    a = double(RandomReal());
    const double p1 = FDistVec[static_cast<std::size_t>(k)];
    const double b = k + 1 == FResolution
                         ? p1 * (1 - a)
                         : p1 + a * (FDistVec[static_cast<std::size_t>(k + 1)] - p1);
    if (b >= 1 || double(RandomReal()) < b) break;
    if (tries > kMaxTries) break;
  }
  return FLowBorder + (k + a) * (FHighBorder - FLowBorder) / FResolution;
}

void TRandGen::Normalize() {
  double lo = double(uc_MaxReal), hi = -double(uc_MaxReal);
  for (double p : FDistVec) {
    lo = std::min(lo, p);
    hi = std::max(hi, p);
  }
  if (hi == lo) return;
  for (double& p : FDistVec) p = (p - lo) / (hi - lo);
}

bool TRandGen::Standardize() {
  double hi = -double(uc_MaxReal);
  for (double p : FDistVec) hi = std::max(hi, p);
  if (hi == 0) return false;
  for (double& p : FDistVec) p /= hi;
  return true;
}

template <class F>
void TRandGen::Fill(F density) {
  for (Integer i = 1; i <= FResolution; ++i)
    FDistVec[static_cast<std::size_t>(i - 1)] = density(GetLambda(i));
}

void TRandGen::UniformDistri() { std::fill(FDistVec.begin(), FDistVec.end(), 1.0); }

void TRandGen::NormalDistri(double m, double s) {
  Fill([&](double x) { return std::exp(-0.5 * (x - m) * (x - m) / (s * s)); });
}

void TRandGen::tDistri(Integer df) {
  Fill([&](double x) { return tDistriDensity(x, df); });
}

void TRandGen::Chi2Distri(Integer df) {
  Fill([&](double x) { return x < 0 ? 0.0 : Chi2DistriDensity(x, df); });
}

void TRandGen::FDistri(Integer df1, Integer df2) {
  Fill([&](double x) { return x <= 0 ? 0.0 : FDistriDensity(x, df1, df2); });
}

void TRandGen::WeibullDistri(double beta, double eta) {
  Fill([&](double x) { return WeibullDensity(x, beta, eta); });
}
