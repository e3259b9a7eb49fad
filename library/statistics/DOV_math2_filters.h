#pragma once
// Signal filters on vectors of equally spaced samples: moving-window smoothing (average, median,
// triangular weights), Savitzky-Golay smoothing and derivatives, windowed-sinc FIR kernels and
// their application by a moving kernel, and recursive Chebyshev low- and high-pass filters
// applied forwards and backwards (zero phase).
//
// Positions follow the vectors: TVector is 1-based, TDoubleArray 0-based. The moving-window
// routines work on the range FirstElem..LastElem of the source (both clamped into 1..n and
// exchanged when reversed) and write the destination's positions 1..LastElem - FirstElem + 1
// without resizing it (writes beyond its size are dropped); the first and last computed values
// are repeated over the half window at each end. Window sums are formed in extended precision.
// The source and the destination may be the same vector. Bad arguments raise ESDLMath2Error
// with the routine's message; nothing is written before the checks pass. None of the routines
// reports progress or polls the abort flag.

#include "DOV_sdlbase.h"

class TVector;
class TMatrix;

// Savitzky-Golay weights for the window lengths 5, 7, ..., 25 (row r: 2m + 1 points, m = r + 2):
// entry 0 is the normaliser, entries 1..m + 1 the weights c_0..c_m of the samples 0..m
// positions from the centre (on both sides), the rest 0. Each row is reduced by the greatest
// common divisor of its entries.
inline constexpr Integer GolayRows = 11;
inline constexpr Integer GolayCols = 14;
// Quadratic/cubic smoothing: c_k = 3m^2 + 3m - 1 - 5k^2, N = (2m + 1)(4m^2 + 4m - 3) / 3.
extern const Integer GolayPoly[GolayRows][GolayCols];
// Second derivative (per sample spacing squared): c_k = 3k^2 - m(m + 1), N = sum k^2 c_k / 2.
extern const Integer Golay2ndDeriv[GolayRows][GolayCols];

// ---- moving windows ------------------------------------------------------------------------
// WinLeng: odd, at least 3. The result at centre i with h = WinLeng div 2 is
//   MovingAverageSmooth:   the mean of x[i - h] .. x[i + h];
//   MovingMedianSmooth:    the median of those values;
//   WeightedAverageSmooth: 4 sum (h + 1 - |k|) x[i + k] / (WinLeng + 1)^2 (triangular weights).
void MovingAverageSmooth(const TVector* SourceVec, Integer FirstElem, Integer LastElem,
                         TVector* DestVec, Integer WinLeng);
void MovingMedianSmooth(const TVector* SourceVec, Integer FirstElem, Integer LastElem,
                        TVector* DestVec, Integer WinLeng);
void WeightedAverageSmooth(const TVector* SourceVec, Integer FirstElem, Integer LastElem,
                           TVector* DestVec, Integer WinLeng);
// PolyLeng: odd, 5..25. Savitzky-Golay smoothing with the GolayPoly row, the second derivative
// with the Golay2ndDeriv row, and the first derivative sum k x[i + k] / (m(m + 1)(2m + 1) / 3)
// (per sample spacing).
void PolynomialSmooth(const TVector* SourceVec, Integer FirstElem, Integer LastElem,
                      TVector* DestVec, Integer PolyLeng);
void SecondDeriv(const TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                 Integer PolyLeng);
void FirstDeriv(const TVector* SourceVec, Integer FirstElem, Integer LastElem, TVector* DestVec,
                Integer PolyLeng);

// ---- windowed-sinc kernels -----------------------------------------------------------------
// NTaps taps (the vector is resized to NTaps, the array set to that length; NTaps below 1 gives
// an empty array and leaves a vector alone), cutoffs as fractions of the sampling rate clamped
// into 0..0.5. The centre tap is NTaps div 2 + 1 (1-based), right of the middle for an even
// count. Window: 1 Hamming, 2 Blackman, anything else none. A low-pass kernel is normalised to
// a tap sum of 1 unless its sum is 0 (fc = 0 leaves all taps 0). High-pass: the low-pass kernel
// negated plus 1 at the centre. Band-stop: the low-pass of the lower edge plus the high-pass of
// the higher one (edges in either order). Band-pass: the band-stop negated plus 1 at the centre.
void CalcSincLPKernel(Integer NTaps, double fc, Integer Window, TVector* Kernel);
void CalcSincLPKernel(Integer NTaps, double fc, Integer Window, TDoubleArray& Kernel);
void CalcSincHPKernel(Integer NTaps, double fc, Integer Window, TVector* Kernel);
void CalcSincHPKernel(Integer NTaps, double fc, Integer Window, TDoubleArray& Kernel);
void CalcSincBSKernel(Integer NTaps, double f1, double f2, Integer Window, TVector* Kernel);
void CalcSincBSKernel(Integer NTaps, double f1, double f2, Integer Window, TDoubleArray& Kernel);
void CalcSincBPKernel(Integer NTaps, double f1, double f2, Integer Window, TVector* Kernel);
void CalcSincBPKernel(Integer NTaps, double f1, double f2, Integer Window, TDoubleArray& Kernel);

// Convolution of the range with the kernel (K taps, h = K div 2): destination[i - first + 1] =
// sum over j of kernel[j] x[i - h + j - 1], positions beyond the range reading its end values.
// The destination is resized to the source's length. Raises "MovingKernelfilter: SourceVec,
// DestVec and/or FilterKernel is undefined" and, when last - first < K, "MovingKernelfilter:
// specified range for smoothing is smaller than the length of the kernel".
void MovingKernelFilter(const TVector* SourceVec, Integer FirstElem, Integer LastElem,
                        TVector* DestVec, const TVector* FilterKernel);

// ---- recursive Chebyshev filters -----------------------------------------------------------
// Designs a low-pass (HighPass false) or high-pass filter of NPoles poles (even, 2..20), cutoff
// fc (0..0.5 of the sampling rate) and pass-band ripple in percent (0..29; 0 gives a
// Butterworth response). The recursion is y[t] = a0 x[t] + sum over k = 1..NPoles of
// (A_k x[t - k] + B_k y[t - k]); Coeffs is resized to 2 columns x NPoles rows, row k holding
// A_k (column 1) and B_k (column 2). The gain is normalised to 1 at zero frequency (low-pass)
// or at the Nyquist frequency (high-pass); the cutoff is the half-power point of the ripple's
// peak. The coefficients are those of one expanded polynomial: many poles with a cutoff near 0
// or 0.5 can make the recursion unstable in double precision (8 poles or fewer are safe
// everywhere); a caller should check the impulse response of such a design.
// Raises "CalcChebFilterCoeffs: NPoles must be even", "CalcChebFilterCoeffs: NPoles must be
// in the range 2..20", "CalcChebFilterCoeffs: invalid Ripple value", "CalcChebFilterCoeffs:
// invalid cutoff frequency" (values that are not numbers included) and
// "CalcChebFilterCoeffs: coefficient matrix is undefined".
void CalcChebFilterCoeffs(Integer NPoles, bool HighPass, double fc, double Ripple, double& a0,
                          TMatrix* Coeffs);
// Applies the filter of CalcChebFilterCoeffs forwards and then backwards over the source
// positions 1..LastElem (the source reads 0 outside 1..n, with NPoles + 1 zero samples of run-in
// and run-out), so the phase cancels and the magnitude response is squared. Writes
// destination[i] for i = FirstElem..LastElem (source positions, not resized; positions outside
// it are dropped). Checks no argument: missing vectors or matrix, or a matrix of fewer than
// two columns, do nothing. Raises only "ChebychevFilter: not enough memory on heap" when the
// work sequences cannot be had.
void ChebychevFilter(const TVector* SourceVec, Integer FirstElem, Integer LastElem,
                     TVector* DestVec, double a0, const TMatrix* Coeffs);
