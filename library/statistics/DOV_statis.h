#pragma once
// DOV_statis: the library's statistics. Free functions without state, on the numerics'
// TMatrix and TVector (1-based, element [column, row]).

#include "DOV_matrix.h"
#include "DOV_sdlbase.h"
#include "DOV_vector.h"

// ---- singular value decomposition and least squares ----------------------------------------
//
// One decomposition A = U diag(W) V^T serves every least-squares routine. The singular values
// are not negative and come out unsorted: each takes the place the implicitly shifted QR sweeps
// of Golub and Reinsch leave it in on the bidiagonal form. Each pair of singular vectors is
// signed so that the element of V's column with the largest magnitude (the first one on a tie)
// is positive. Elements may take any finite magnitude; an element that is NaN or infinite
// makes every output NaN and the result false. On a given processor the same matrix gives the
// same bits on every run, whatever the number of cores or OPENBLAS_NUM_THREADS.
//
// Progress: each of the four phases (bidiagonal form, the values' places, V, U) takes one step
// per column (4 n in all): ProcStat goes up by one, MathFeedBackProc sees it, and a set
// AbortMathProc ends the routine with false before the step's work. The flag is not cleared on
// entry, so an abort left set by an earlier routine fails the next decomposition at once.
//
// A matrix with fewer rows than columns (m < n) is decomposed as if padded with zero rows up to
// n: A keeps its m rows, holding the first m rows of U; at least n - m singular values are 0 and
// the columns of U that belong to the non-zero ones are orthonormal. A = U diag(W) V^T holds.

// Decomposes A (m x n) in place into U; V (n x n) and W (n) are sized by the caller and only
// their overlap with n x n and n is written. False when aborted (A, V and W are then left as
// they were), for non-finite data, or when the iteration did not converge (a value needed all
// 30 QR sweeps to find its place, or LAPACK's divide and conquer failed; the outputs are then
// complete but may be inaccurate).
// A LAPACK routine that refuses an argument raises ESDLMath2Error "SingValDecomp: LAPACK
// <routine> refused argument <k>" (from PseudoInverse and every caller too), A, V and W as they
// were.
bool SingValDecomp(TMatrix* A, TMatrix* V, TVector* W);
// Tests only: the next call of the LAPACK routine named (dgebrd, dbdsdc, dormbr) reports Info
// as its result.
void SetLapackInfoForTesting(const String& Routine, int Info);

// Least-squares solution X of A X = B from a decomposition: W[j] = 0 is skipped. DevX (may be
// null) receives sqrt(sum_j V[i, j]^2 / W[j]^2) over the non-zero W[j], the deviations of the
// solution for unit-variance data. X and DevX are not resized. Always true.
bool SingValEquSolve(const TMatrix* U, const TMatrix* V, const TVector* W, const TVector* B,
                     TVector* X, TVector* DevX);

// Multiple linear regression without intercept. A is destroyed (it holds U afterwards);
// singular values below 1e-14 of the largest are zeroed and set NearSingular. DevCoeffs may be
// null. False only when the decomposition failed (Coeffs untouched then).
bool MultiLinReg(TMatrix* A, const TVector* Y, TVector* Coeffs, TVector* DevCoeffs,
                 bool& NearSingular);

// Ridge regression by augmenting the standardised predictors with sqrt(Lambda) rows.
// RegCoeff gets n + 1 elements: the coefficients of the standardised predictors and, last, the
// mean of Y; StdDevCoeff, MeansX and StdDevsX get n. A negative Lambda raises ESDLMath2Error
// "RidgeRegStd: Lambda must not be negative" before anything changes.
bool RidgeRegStd(const TMatrix* X, const TVector* Y, double Lambda, TVector* RegCoeff,
                 TVector* StdDevCoeff, TVector* MeansX, TVector* StdDevsX, bool& NearSingular);

// Ridge regression with the coefficients on the scale of the data and the intercept last
// (RegCoeff and StdDevCoeff sized n + 1; StdDevCoeff keeps the standardised deviations and its
// last element is not written). Raises ESDLMath2Error before anything changes for a negative
// Lambda ("RidgeReg: Lambda must not be negative") and for a predictor column without spread
// ("RidgeReg: predictor column N is constant"), whose coefficient would be a division by 0.
bool RidgeReg(const TMatrix* X, const TVector* Y, double Lambda, TVector* RegCoeff,
              TVector* StdDevCoeff, bool& NearSingular);

// Moore-Penrose inverse of A (unchanged) into APInv, resized to m columns x n rows. Singular
// values at or below Threshold count as 0; Threshold 0 means max(n, m) * wmax * 1.2e-16. False
// when the decomposition fails (APInv undefined then). An A without columns or rows gives the
// empty APInv and true.
bool PseudoInverse(const TMatrix* A, TMatrix* APInv, double Threshold);

// ---- probability distributions and special functions ---------------------------------------
//
// Double precision throughout. LnGamma is a six-term Lanczos series (about 1e-10 relative);
// IncompleteGamma and IncompleteBeta are the CDFs' tails, good to about 1e-8 relative (for
// moderate parameters to the last digits), small tails included, for parameters from the
// smallest doubles up to about 1e12 (a of IncompleteGamma, and a + b up to 1e14 of
// IncompleteBeta); beyond, where their series and continued fractions run out of terms or lose
// those digits, they raise ESDLStatisError "<routine>: no accurate value for these arguments".
// Every value they give lies in [0, 1]. The
// CDFs of normal, t, chi-square and F and their quantiles are computed on both tails to the
// rounding of a double, always the smaller tail (and, for normal and t, the central part near
// the median), with prefactors formed without cancellation: a CDF is good to about 1e-11
// relative to its smaller tail (nDistriIntegral(-10) = 7.6e-24, not 0) and a quantile to about
// 1e-11 relative, from p = 1e-300 up to the last double below 1, for degrees of freedom up to
// 1e5 (1e-10 at 1e6, 1e-8 at 1e8). Infinite arguments give the CDFs' limits 0 and 1; a NaN
// argument or probability gives NaN, in the CDFs and the quantiles alike. Every search is
// bounded (a dozen widenings, at most 200 halvings); a quantile below the smallest double is 0,
// one beyond the largest is the largest.
// Arguments outside a routine's domain give the fixed values named below;
// the U distribution, FisherTransform, HyperGeoDistriDensity and BinomCoeff raise
// ESDLStatisError.

// Significance levels of the Kolmogorov-Smirnov tables: alpha 0.20, 0.15, 0.10, 0.05, 0.01.
enum TSignifLevel { Dot20, Dot15, Dot10, Dot05, Dot01 };

double LnGamma(double x);                             // 0 for x <= 0
double IncompleteGamma(double x, double a);           // P(a, x); 0 for x <= 0 or a <= 0
double Erf(double x);                                 // sign(x) P(1/2, x^2)
double ErfApprox(double x);                           // fixed rational approximation
double LnBeta(double a, double b);                    // 0 when a or b is negative
// I_x(a, b); 0 below 0, 1 above 1, NaN for a or b negative or both 0.
double IncompleteBeta(double x, double a, double b);
// The binomial coefficient, exact (the nearest integer to exp(LnBinomCoeff) wherever that is
// accurate); 0 when n < 0, k < 0 or n < k. A coefficient beyond 2147483647 raises
// "BinomCoeff: result exceeds the integer range".
Integer BinomCoeff(Integer n, Integer k);
double LnBinomCoeff(Integer n, Integer k);  // -1 when n < 0, k < 0 or n < k

double nDistriDensity(double x);
double nDistriIntegral(double x);
double nDistriQuantile(double p);  // 0 for p <= 0 or p >= 1, NaN for NaN
double tDistriDensity(double t, Integer df);
double tDistriIntegral(double t, Integer df);                // NaN for df < 1
double tDistriQuantile(double p, Integer df);                // 0 for p <= 0, p >= 1, df < 1
double Chi2DistriDensity(double x, Integer df);              // 0 for x <= 0
double chi2DistriIntegral(double x, Integer df);             // 0 for x <= 0 or df < 1
double chi2DistriQuantile(double p, Integer df);             // 0 for p <= 0, p >= 1, df < 1
double FDistriDensity(double x, Integer df1, Integer df2);   // 0 below 0, the limit at 0
double FDistriIntegral(double x, Integer df1, Integer df2);  // 0 for x <= 0, NaN for df < 1
double FDistriQuantile(double p, Integer df1, Integer df2);  // 0 for p <= 0, p >= 1, df < 1
double WeibullDensity(double x, double beta, double eta);    // 0 for x <= 0 or eta <= 0
// k successes in a sample of nsample from npop items, round(p * npop) of them successes.
double HyperGeoDistriDensity(double p, Integer npop, Integer nsample, Integer k);

// Mann-Whitney U distribution for samples of n1 and n2 (1 .. 300 each).
double UDistriDensity(Integer U, Integer n1, Integer n2);       // P(U' = U)
double UDistriIntegral(Integer U, Integer n1, Integer n2);      // P(U' < U)
Integer UDistriQuantile(Integer n1, Integer n2, double alpha);  // largest U, P(U' <= U) < alpha

// One-sample Kolmogorov-Smirnov and Lilliefors statistics. KSPValue costs O(m^3 log n) with
// m = 2 n d + 1 below its asymptotic range (n d^2 <= 7.24, or <= 3.76 from n = 100 on). The
// Lilliefors p-value formula is an approximation meant for small p values, with the constant
// 0.97498 as this library has always used it (published forms differ there); above about 0.1
// its values are biased, and it never exceeds 1.
double KSPValue(Integer n, double d);                             // 1 for n < 1 or d <= 0
double KolmogSmir1SampleTestStat(Integer n, TSignifLevel level);  // 1 for n < 1
double KSQuantile(Integer n, TSignifLevel level);
double LillieforsPValue(Integer n, double d);  // -1 for n < 6
double LillieforsQuantile(Integer n, double alpha);

double FisherTransform(double r);     // raises outside -1 < r < 1
double FisherTransformInv(double z);  // +-1 beyond |z| ~ 355
double ConfidenceInterval(double alpha, double stddev, Integer n);
double CalcFishQ(double m1, double m2, double s1, double s2);
