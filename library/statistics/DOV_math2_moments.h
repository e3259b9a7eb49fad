#pragma once
// Central moments of paired values at any scale: what the curve fit's straight line and
// parabola are computed from.

#include <vector>

#include "DOV_sdlbase.h"

// The deviations of u and t from their means, each multiplied by the power of two that brings
// the largest of them to [1/2, 1): du = (u - um) 2^Eu, dt = (t - tm) 2^Et. Their sums, up to
// the fourth power of du, neither overflow nor underflow for data anywhere in the double
// range (1e160 squared, 1e-170, or +-1.6e308, whose sum is beyond it), and a result is brought
// back to the data's units by the exponents alone. Su and St are the rounding the means leave;
// the fits take them into account.
struct TScaledMoments {
  double um = 0, tm = 0;
  int Eu = 0, Et = 0;
  double Su = 0, St = 0, Suu = 0, Stt = 0, Sut = 0, Su3 = 0, Su4 = 0, Su2t = 0;
};

// The moments of n pairs (u[i], t[i]); false, with the moments undefined, when a value is not a
// finite number.
bool ScaledMoments(const double* u, const double* t, Integer n, TScaledMoments& m);

// The normal equations of the parabola t = a0 + a1 u + a2 u^2 through n pairs with moments m,
// reduced to two: C a1 + f a2 = g and f a1 + h a2 = e.
struct TParabolaTerms {
  double C, e, f, g, h;
};
inline TParabolaTerms ParabolaTerms(const TScaledMoments& m, Integer n) {
  return {n * m.Suu - m.Su * m.Su, n * m.Su2t - m.Suu * m.St, n * m.Su3 - m.Suu * m.Su,
          n * m.Sut - m.Su * m.St, n * m.Su4 - m.Suu * m.Suu};
}

// The same for one set of values: d[i] = (v[i] - Mean) 2^E, the largest |d| in [1/2, 1) (E 0
// when all values are equal). False when a value is not a finite number.
bool ScaledDeviations(const double* v, Integer n, double& Mean, int& E, std::vector<double>& d);
