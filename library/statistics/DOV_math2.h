#pragma once
// TCurveFit: a non-visual component that collects (x, y) points and answers statistics about
// them (means, deviations, correlation, quartiles, skewness, kurtosis, mean angles, the
// straight-line fit) and evaluates two cubic splines through them.
//
// The points are kept twice: as 33 running sums in 80-bit extended precision (every step on
// them in that precision), beside sums of their deviations from a reference point that keep the
// digits of data far from 0, and as rows of a two-column matrix (column 1 x, column 2 y, row
// i = point i) for what needs the points themselves.
//
// Indexes of points are 1-based. Failures raise ESDLMath2Error; the texts start with the
// routine's name, or are the component message where noted.

#include <memory>

#include "DOV_sdlbase.h"
#include "System.h"

class TMatrix;
class TVector;

// Data-domain indicators: a point had x <= 0, y <= 0, x ~ 0 or y ~ 0.
enum TCurveFitError : Byte { cfeXLE0, cfeYLE0, cfeXEQ0, cfeYEQ0 };

// A set of TCurveFitError in one byte, bit i for ordinal i.
class TCurveFitErrors {
public:
  bool Contains(TCurveFitError e) const { return (FBits >> e) & 1u; }
  bool Empty() const { return FBits == 0; }
  void Include(TCurveFitError e) { FBits = static_cast<Byte>(FBits | (1u << e)); }
  void Clear() { FBits = 0; }
  Byte Bits() const { return FBits; }

private:
  Byte FBits = 0;
};

// The running sums. ln is the natural logarithm; a reciprocal of a value within 1e-30 of zero
// is replaced by uc_MaxReal (see TCurveFit::EnterStatValue).
struct TCurveFitSums {
  Extended sumx = 0, sumy = 0;            // x, y
  Extended sumxq = 0, sumyq = 0;          // x^2, y^2
  Extended sumDiff = 0, SumDiffq = 0;     // x - y, (x - y)^2
  Extended sumxy = 0;                     // xy
  Extended sumx2y = 0, sumxy2 = 0;        // x^2 y, x y^2
  Extended sumx3 = 0, sumy3 = 0;          // x^3, y^3
  Extended sumx4 = 0, sumy4 = 0;          // x^4, y^4
  Extended sum1byy = 0;                   // 1/y
  Extended sum1byxy = 0;                  // 1/(xy)
  Extended sum1byyq = 0;                  // 1/y^2
  Extended sumxbyy = 0, sumybyx = 0;      // x/y, y/x
  Extended sum1byx = 0, sum1byxq = 0;     // 1/x, 1/x^2
  Extended sumlnx = 0;                    // ln x
  Extended sumlnxlny = 0;                 // ln x ln y
  Extended sumlnxq = 0;                   // (ln x)^2
  Extended sumylny = 0;                   // y ln y
  Extended sumylnx = 0;                   // y ln x
  Extended sumxlnx = 0;                   // x ln x
  Extended sumlnxbyy = 0, sumlnybyx = 0;  // ln x / y, ln y / x
  Extended sumlny = 0, sumlnyq = 0;       // ln y, (ln y)^2
  Extended sumxlny = 0;                   // x ln y
  Extended sumxqlny = 0, sumyqlnx = 0;    // x^2 ln y, y^2 ln x
};

// Sums of the deviations of the points from a reference point (x0, y0), the first point of
// the set: dx = x - x0, dy = y - y0, dd = (x - y) - (x0 - y0). For data far from 0 they keep
// the digits that the sums about 0 lose to the offset (1e12 + {1 .. 5} has a spread of 1.6,
// while its sum of squares needs 27 digits), and extended precision holds their squares and
// cubes for data anywhere in the double range.
struct TCurveFitDeviations {
  bool HasRef = false;
  double x0 = 0, y0 = 0;
  Extended dx = 0, dy = 0, dd = 0;
  Extended dxx = 0, dyy = 0, dxy = 0, ddd = 0;
  Extended dx3 = 0, dy3 = 0, dx2y = 0, dxy2 = 0;
};

class TCurveFit : public TComponent {
public:
  explicit TCurveFit(TComponent* AOwner);
  ~TCurveFit() override;
  String ClassName() const override { return "TCurveFit"; }

  // ---- data ------------------------------------------------------------------------------
  // Empties the data set: sums 0, extremes +-1.7976931348623157e308, indicators cleared, the
  // data matrix zero-filled (its size stays), the caches stale.
  void Init();
  // Adds one point (x to column 1) and returns the new NumData; the caches become stale. The
  // matrix grows by 1000 rows when full.
  Integer EnterStatValue(double x, double y);
  // Takes point ix out of the sums (exactly the terms it added) and the matrix; extremes and
  // indicators stay. Any index, valid or not, makes the caches stale.
  void RemoveStatValue(Integer ix);
  // Exchanges x and y in the sums, the extremes, the indicators and every row of the matrix;
  // the caches become stale.
  void FlipXY();

  // ---- statistics ------------------------------------------------------------------------
  Integer NumData() const { return FNumData; }
  double MinX() const { return FMinX; }
  double MaxX() const { return FMaxX; }
  double MinY() const { return FMinY; }
  double MaxY() const { return FMaxY; }
  // 0 for an empty set.
  double MeanX() const;
  double MeanY() const;
  double MeanDiff() const;
  // Denominator n - 1; 0 below three points. From the sums of the deviations, so data far
  // from 0 keep their digits.
  double StdDevX() const;
  double StdDevY() const;
  double StdDevDiff() const;
  // Pearson's r from the sums of the deviations, within -1 .. 1; 0 below three points or
  // without spread.
  double CorrCoeff() const;
  // Bias-corrected sample figures; 0 below four points.
  double SkewnessX() const;
  double SkewnessY() const;
  double KurtosisX() const;
  double KurtosisY() const;
  // The values taken as angles in degrees: the direction of the summed unit vectors, in
  // [0, 360). No points, or vectors that cancel, give 0.
  double MeanAngleX() const;
  double MeanAngleY() const;
  // All outputs 0 first; means for n > 0, deviations and r for n >= 3.
  void CalcStatistics(Integer& NumData, double& MeanX, double& MeanY, double& StdevX,
                      double& StdevY, double& MeanDiff, double& StdevDiff, double& rxy) const;
  // Interpolated quartiles of the x (y) values; false (all 0) without points.
  bool QuartilesX(double& q1, double& q2, double& q3) const;
  bool QuartilesY(double& q1, double& q2, double& q3) const;
  // y = k x + d from the deviations about the means, scaled by powers of two, so data of any
  // magnitude give the line wherever it is representable. FitQual is the coefficient of
  // determination, from the same sums, so it stays in 0 .. 1 for data far from 0 (1 when all y
  // are equal). Raises "CalcLinFit: not enough data points" below two points, "CalcLinFit:
  // slope is infinite" when all x are equal or the slope is beyond the double range, "...:
  // result beyond the double range" for such an intercept and "...: values must be finite"
  // for a point that is NaN or infinite; the outputs are then 0.
  void CalcLinFit(double& k, double& d, double& FitQual) const;

  // x or y of point ix; 0 outside 1..NumData.
  double DataX(Integer ix) const;
  double DataY(Integer ix) const;
  // The indicators stay set until Init: removing the point that set one does not clear it.
  TCurveFitErrors ErrIndic() const { return FErrIndic; }
  const TCurveFitSums& Sums() const { return FSums; }
  // The point store (2 columns, rows beyond NumData are not data).
  const TMatrix* Data() const { return FData.get(); }

  // ---- splines ---------------------------------------------------------------------------
  // Interpolating cubic spline with natural or clamped ends, evaluated anywhere (the end
  // pieces continue outside the points). Raises "CubicSpline: two or more x-values are
  // identical", the component message "the tabulated values are not distinct" for a single
  // point, and "CubicSpline: no data points" for an empty set.
  double CubicSpline(double x);
  // Smoothing spline (Reinsch), valid only from the smallest to the largest x: outside it the
  // result is 0 and valid false. FitQual is the prepared spline's quality in every case. A
  // smoothing factor that is negative or not a number counts as 0. It never extrapolates,
  // unlike the sun-flux spline of app/core (spline.h): the two serve different callers and
  // stay apart.
  double SmoothedSpline(double x, double& FitQual, bool& valid);

  double SplineSmoothingFactor() const { return FPSplineSmooth; }
  void SetSplineSmoothing(double Value);
  double SplineDerivY1() const { return FY1Dash; }
  double SplineDerivYN() const { return FYNDash; }
  void SetY1Dash(double Value);
  void SetYNDash(double Value);
  bool SplineNatural1() const { return FNatural1; }
  bool SplineNaturalN() const { return FNaturalN; }
  void SetNatural1(bool Value);
  void SetNaturalN(bool Value);

  // Whether the caches are prepared (for callers that want to know what the next evaluation
  // costs).
  bool SplineValid() const { return FSplineValid; }
  bool SmoothedSplineValid() const { return FPenSplineValid; }
  bool RankCountsValid() const { return FKendallValid; }

private:
  // Adds (Sign +1) or takes away (Sign -1) the contributions of one point to the sums; only an
  // added point moves the extremes and sets indicators.
  void AdjustSums(double x, double y, int Sign);
  // Adds one point to the sums of the deviations; the first point of the set becomes the
  // reference.
  void AddDeviations(double x, double y);
  // The sums of the deviations of the points held, afresh: a removal leaves exactly what
  // entering the remaining points would give, with a reference among them.
  void RebuildDeviations();
  double CalcMeanDegrees(Integer Nc) const;
  double StdDev(Extended SumSq, Extended Sum) const;
  void MarkCachesStale();
  void SortCopies();
  void PrepareSpline();
  void PrepareSmoothedSpline();
  void ExchangeDuringSort(TObject* Sender, Byte ExchgWhat, Integer index1, Integer index2,
                          Integer first, Integer last);

  TCurveFitSums FSums;
  TCurveFitDeviations FDev;
  Integer FNumData = 0;
  double FMinX = 0, FMaxX = 0, FMinY = 0, FMaxY = 0;
  bool FNatural1 = true, FNaturalN = true;
  double FY1Dash = 0, FYNDash = 0;
  TCurveFitErrors FErrIndic;
  std::unique_ptr<TVector> Spl2Deriv, SplSortedX, SplSortedY;
  std::unique_ptr<TMatrix> FData;
  bool FSplineValid = false;
  double FPSplineSmooth = 0.5;
  double FPSplineFQ = 0;
  bool FPenSplineValid = false;
  bool FKendallValid = false;  // the rank counts of the rank statistics
  TDoubleArray PSplA, PSplB, PSplC, PSplD;

  // ---- regressions, rank statistics, ASC files (DOV_math2_regress/_rank/_asc.cpp) --------
public:
  // Least-squares polynomial y = sum of kArray[j] x^j, j = 0 .. nOrder, through MultiLinReg.
  // False, with no output touched, unless NumData > nOrder >= 0, or when the decomposition
  // fails. kArray keeps its size when it holds nOrder + 1 elements (it grows otherwise); Alpha
  // is resized to nOrder + 1 and holds each coefficient's two-sided significance (0 without
  // residual degrees of freedom). FitQual is r^2 of data and fit. Clears AbortMathProc first.
  bool CalcPolyFit(Integer nOrder, TDoubleArray& kArray, TDoubleArray& Alpha, double& FitQual,
                   bool& NearSingular);
  bool CalcPolyFit(Integer nOrder, TDoubleArray& kArray, double& FitQual, bool& NearSingular);
  // The same in powers of (x - XShift) scaled by the deviation of x; XShift 0 on entry becomes
  // the mean of x. The better-conditioned form for data far from 0, and scaled by powers of two
  // for data of any magnitude: false, with no output touched, for values that are not finite
  // or a coefficient beyond the double range.
  bool CalcCenteredPolyFit(Integer nOrder, TDoubleArray& kArray, TDoubleArray& alpha,
                           double& XShift, double& FitQual, bool& NearSingular);
  bool CalcCenteredPolyFit(Integer nOrder, TDoubleArray& kArray, double& XShift, double& FitQual,
                           bool& NearSingular);
  // Analysis of variance of a regression whose points are (observed, estimated). F is 1e10
  // when MSE is 0 (0 when MSR is 0). Raises "CalcAnovaReg: not enough data points" without
  // points, "...: number of variables must be at least 1" and "...: no residual degrees of
  // freedom" where a mean square would divide by 0.
  void CalcAnovaReg(Integer NumVars, bool IncludeConst, Integer& dfreg, Integer& dfres,
                    Integer& dftotal, double& SSE, double& SSR, double& SST, double& MSE,
                    double& MSR, double& F) const;
  // y = k0 + k1 x + k2 x^2 from the deviations of the points about their means, scaled as in
  // CalcLinFit. Raises "CalcParabolFit: not enough data points" below three points, "...:
  // values must be finite" and "...: result beyond the double range" (outputs 0).
  void CalcParabolFit(double& k0, double& k1, double& k2, double& FitQual) const;
  // Algebraic least-squares circle from the sums of the deviations.
  void CalcCircleFit(double& r, double& dx, double& dy) const;
  // y = k0 exp(-(x - k1)^2 / k2), the parabola of ln y, scaled as CalcParabolFit (with its two
  // refusals besides those of its own).
  void CalcGaussFit(double& k0, double& k1, double& k2, double& FitQual) const;
  // Models that are straight lines in transformed values, from the transformed values about
  // their means over the points. FitQual is r^2 of the transformed y. All transformed x equal
  // raise "<routine>: slope is infinite"; an exponential coefficient beyond the double range
  // "<routine>: cannot fit function".
  void CalcReciLinFit(double& k0, double& k1, double& FitQual) const;       // 1/y = k0 + k1 x
  void CalcHyperbolFit(double& k0, double& k1, double& FitQual) const;      // y = k0 + k1/x
  void CalcReciHyperbolFit(double& k0, double& k1, double& FitQual) const;  // 1/y = k0 + k1/x
  void CalcLogFit(double& k0, double& k1, double& FitQual) const;           // y = k0 + k1 ln x
  void CalcReciLogFit(double& k0, double& k1, double& FitQual) const;       // 1/y = k0 + k1 ln x
  void CalcPowerFit(double& k0, double& k1, double& FitQual) const;         // y = k0 x^k1
  void CalcExponentialFit(double& k0, double& k1, double& FitQual) const;   // y = k0 exp(k1 x)
  // y = k0 k1^x x^k2 (ln y on x and ln x).
  void CalcHoerlFit(double& k0, double& k1, double& k2, double& FitQual) const;

  // Kendall's tau-b of the points with its two-sided significance p (normal approximation).
  // Below three points, or without untied pairs, both are 0. The pair counts are kept until
  // the points change.
  double KendallsTau(double& p);
  // Goodman-Kruskal gamma from the same counts; 0 without untied pairs.
  double KruskalGamma() { return GetKruskalGamma(); }
  double GetKruskalGamma();
  // Spearman's rank correlation with the tie correction; 0 below three points. Recomputed on
  // every read.
  double SpearmanRankCorr() const { return GetSpearman(); }
  double GetSpearman() const;
  Int64 KendallConcordant() const { return FKendallConcord; }
  Int64 KendallDiscordant() const { return FKendallDiscord; }
  Int64 KendallTiesY() const { return FKendallTies1; }  // pairs tied in y only
  Int64 KendallTiesX() const { return FKendallTies2; }  // pairs tied in x only

  // The points as a two-column ASC table (x, y). Empty on success, else the reason the file
  // could not be written; the file is replaced whole or not at all.
  String ExportAsASC(const String& FName, const String& Comment, Integer Precision) const;
  // Reads a two-column ASC table. 0: the file's points replace the component's (sums,
  // extremes and indicators start afresh); -1 .. -4 header codes, -5 a row attribute and -6 a
  // value that is not a finite number, -7 nominal variables: the component is unchanged.
  // Raises ESDLMath2Error "TCurveFit.ImportASC: number of columns must be 2 (is actually N)."
  // and the run-time's EInOutError when the file cannot be read. Every outcome marks the
  // splines and rank counts stale.
  Integer ImportASC(const String& FName);

private:
  void BasicRankCounts();
  // Pair counts: concordant, discordant, tied in y only, tied in x only (64-bit: n (n - 1) / 2
  // pairs overflow 32 bits from 65,536 points on).
  Int64 FKendallConcord = 0, FKendallDiscord = 0, FKendallTies1 = 0, FKendallTies2 = 0;
};

// Reinsch's smoothing spline on the elements n1..n2 of x (strictly increasing), y and the
// standard deviations dy: the function g with the least integral of g''^2 whose
// sum(((g(x_i) - y_i) / dy_i)^2) does not exceed s. On [x_i, x_i+1] it is
// a_i + b_i h + c_i h^2 + d_i h^3 with h = x - x_i; b and d of n2 are left as they were. The
// caller sizes a, b, c, d to hold index n2. s = 0 gives the natural interpolating spline.
// Raises "PenalizedCubicSpline: n1 must not be greater than n2" (also for n1 = n2), "...: two
// or more x-values are identical" and "...: x-values must be increasing".
void PenalizedCubicSpline(Integer n1, Integer n2, double s, const TDoubleArray& x,
                          const TDoubleArray& y, const TDoubleArray& dy, TDoubleArray& a,
                          TDoubleArray& b, TDoubleArray& c, TDoubleArray& d);

// Makes TCurveFit known to the window-description loader.
void RegisterStatisticsClasses();

// ---- filters, clustering, plane geometry (each in its own header) ----------------------------
// (The image correlation, which reads toolkit bitmaps, lives with the drawing part:
// DOV_math2_imgcorr.h.)
#include "DOV_math2_cluster.h"
#include "DOV_math2_filters.h"
#include "DOV_math2_geom.h"
