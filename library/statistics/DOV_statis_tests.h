#pragma once
// Statistical tests of the statistics unit: outliers (Dean-Dixon, Grubbs), normality
// (Kolmogorov-Smirnov, Lilliefors, Shapiro-Wilk), the Wilcoxon signed-rank critical value,
// one-way analysis of variance, runs tests, the Mann-Whitney U test, two-sample t tests, a
// percentile of an array range and a kernel density estimate. Free functions without state;
// bad arguments raise ESDLStatisError with a text that starts with the routine's name, or give
// a fixed result code as each routine says.

#include "DOV_statis.h"

class TBitFld;
class TIntVector;

// Levels of the Dean-Dixon table: alpha 0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5.
enum TSignifLevelEx { Dot001, Dot002, Dot005, Dot010, Dot020, Dot050, Dot100, Dot200, Dot500 };

enum TtTestVersion { ttPaired, ttHomoScedastic, ttHeteroScedastic };

// ---- outliers ------------------------------------------------------------------------------

// Upper critical value of Dixon's ratio for 3 <= n <= 100 (the ratio changes at n = 8, 11 and
// 14, see DeanDixonTest); -1 otherwise.
double DeanDixonCriticalValues(Integer n, TSignifLevelEx level);
// Dixon's ratios on a sorted copy: the 1-based index in Data of the first value equal to the
// suspect when Q exceeds the table value, otherwise 0. Raises for n <= 2 and n > 100.
Integer DeanDixonTest(const TVector* Data, TSignifLevelEx level, double& Q);
// -1 for alpha <= 0, alpha >= 1 or n <= 2.
double GrubbsCriticalValues(Integer n, double alpha, bool TwoSided);
// The two-sided Grubbs test; G is the largest |x - mean| / s (0 without spread), the same for
// data of any scale. Raises for an invalid alpha, then for n <= 3, then for NaN or infinite data
// ("GrubbsTest: data contain a value that is not finite").
Integer GrubbsTest(const TVector* Data, double alpha, double& G);

// ---- normality -----------------------------------------------------------------------------

// D against the standard normal distribution; sorts Data in place unless DataSorted.
double PerformKSNormalityTest(TVector* Data, bool DataSorted);
// D of the standardised data; standardises Data in place and sorts it unless DataSorted.
double PerformLillieforsTest(TVector* Data, bool DataSorted);
// Royston's AS R94 for samples with NCens values censored at the upper end. Sorts Data in
// place. Result: 0 done, 1 fewer than three values, 2 more than 5000 (done, a warning),
// 4 invalid NCens, 5 more than 80 % censored, 6 all values equal (to 1e-15 of their size, so
// W and PW are the same for data of any scale). PW is the p-value (clamped to 0 .. 1), taken
// from the upper tail itself, so it keeps its digits far below 1e-16. A negative W on entry is
// kept on the early returns. NaN or infinite data (after the checks of codes 1, 4 and 5) raise
// "Shapiro-Wilk test: data contain a value that is not finite" before Data is sorted.
Integer ShapiroWilkTest(TVector* Data, Integer NCens, double& PW, double& W);
// 1 - p for W of n values with NCens censored.
double ShapiroWilkIntegral(double W, Integer n, Integer NCens);

// ---- Wilcoxon signed-rank critical values --------------------------------------------------

// The two-sided levels of the table's five columns: 0.1, 0.05, 0.02, 0.01, 0.001.
extern const double WilcoxonAlphas[5];
// The exact critical value for n = 6 .. 100 and column 1 .. 5: the largest t with
// P(T <= t) <= alpha / 2 under the null hypothesis (counted over all 2^n sign patterns), and 0
// where no t qualifies; -1 outside the table.
Integer WilcoxonSRTableValue(Integer n, Integer column);
// Critical value of the signed-rank statistic, or -1 for n <= 7, n > 1,000,000 or alpha
// outside 0.0005 .. 0.2. Up to n = 100 a least-squares parabola in ln alpha through the
// table row (so only approximately the table value even at the table's levels); beyond, the
// normal approximation.
Integer WilcoxonSRQuantile(Integer n, double alpha, bool TwoSided);

// ---- analysis of variance, runs, rank and t tests ------------------------------------------

// One-way analysis of variance of Data by the labels in Classes (groups in order of first
// appearance). Result: the p-value; -1 fewer than two groups, -2 as many groups as values
// (no output written on both), -3 no variance at all (F = 0). Sums in extended precision.
double Anova1F(const TVector* Data, const TIntVector* Classes, double& SSBetween, double& SSWithin,
               double& SSTotal, Integer& DfBetween, Integer& DfWithin, Integer& DfTotal, double& F);
// P(R <= r) for the number of runs R of n1 and n2 items of two kinds in random order.
double ExactRunsTest(Integer n1, Integer n2, Integer r);
// Runs of the bits 0 .. Size of Bits; true when p < 0.05. Exact (lower tail) up to 25 of each
// kind, the normal approximation (the tail the runs lie in) beyond.
bool RunsTest(const TBitFld* Bits, double& p);
// RunsTest on the n signs (x_i > median) of Data, exactly n bits. False and p = -1 when the
// median cannot be had or Data holds a single value.
bool RunsTestSerial(const TVector* Data, double& p);
// The p-value of U = min(U1, U2): P(U' <= U), doubled (at most 1) for a two-sided test.
// Passes on the U distribution's errors (1 .. 300 values per sample); NaN data raise
// "PerformMannWhitneyUTest: data contain a value that is not a number" (infinities are ranked).
double PerformMannWhitneyUTest(const TVector* Data1, const TVector* Data2, bool OneSided,
                               double& U);
// Two-sample t tests; the deviations are sample deviations (n - 1) from two values on, and t and
// df are formed in extended precision, so data of any scale give the same answer. Raises for
// unequal lengths (paired), empty samples, samples of one value, NaN or infinite data ("...: data
// contain a value that is not finite") and zero deviations.
double Perform2SampleTTest(const TVector* Data1, const TVector* Data2, TtTestVersion Version,
                           bool OneSided, double& Mean1, double& Mean2, double& Dev1, double& Dev2,
                           double& MeanDiff, double& DevDiff, double& t, Integer& df);
double Perform2SampleTTest(const TVector* Data1, const TVector* Data2, TtTestVersion Version,
                           bool OneSided);

// ---- percentile and density ----------------------------------------------------------------

// The value of sorted rank round(prob / 100 * length) (halves to even, 0-based from First) of
// Data[First .. Last], reordering that range; a rank equal to the length takes the largest
// value. Codes: 0 done, -1 bounds outside the array, -2 prob outside 0 .. 100, -3 Last < First.
Integer PercentileOfArray(TDoubleArray& Data, double prob, Integer First, Integer Last,
                          double& Value);

// Called with a null sender, the steps done and the percentage (the last is slightly above 100).
using TDensityProgressProc = void (*)(TObject* Sender, Integer StepsDone, double Percent);
// Gaussian kernel estimate with a local width per point over NumSteps + 1 grid points from
// XFrom to XTo (Density resized to that). Sorts Data in place.
void EstimateProbDensity(TVector* Data, TVector* Density, double XFrom, double XTo, double Factor,
                         double Radius, Integer NumSteps, Integer& MinIx, Integer& MaxIx,
                         TDensityProgressProc Progress);
