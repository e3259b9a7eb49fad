#pragma once
// The dense kernels behind the matrix's linear algebra, on plain column-major blocks: element
// (row i, column j) of a block with leading dimension ld lives at a[j * ld + i]. Private to the
// matrix unit; no events, no component.

#include <cstddef>
#include <vector>

namespace dov_kernels {

// True when the processor runs AVX2 and FMA: the kernels then take their fused builds.
bool HasAvx2Fma();
// True when the processor runs AVX2: A^T A then takes its wide build.
bool HasAvx2();

// While set, both answer false, so tests run the plain builds on any processor.
void UsePlainBuildsForTesting(bool Plain);

// C (m x n) -= A (m x k) * B (k x n).
void GemmMinus(int m, int n, int k, const double* A, std::size_t lda, const double* B,
               std::size_t ldb, double* C, std::size_t ldc);

enum class TLUResult { Done, TinyPivot, Aborted };

// Crout's decomposition with implicit scaling and partial pivoting, in place: the unit lower
// factor below the diagonal, the upper factor on and above it. vv holds the reciprocal of
// each row's largest magnitude (it follows the rows as they are exchanged). For column j the
// pivot row is the one with the largest vv[i] * |a(i, j)| from j on, the later row on a tie;
// rows are exchanged whole and indx[j] records the row exchanged with j; NumPerm changes sign
// with every exchange. A pivot below 1e-100 in magnitude becomes 1e-100 and the decomposition
// goes on (TinyPivot); so does a pivot whose scaled magnitude vv[i] * |a(i, j)| is below
// n * DBL_EPSILON (singular to working precision), which keeps its value. With Progress,
// every column first takes a progress step and an abort ends the decomposition where it
// stands.
TLUResult CroutLU(double* a, int n, std::size_t lda, std::vector<double>& vv,
                  std::vector<int>& indx, int& NumPerm, bool Progress);

// The reciprocal of each row's largest magnitude; false when a row is all zero. With
// Progress, Aborted is set (and false returned) when the host asks to stop before a row.
bool RowScales(const double* a, int n, std::size_t lda, std::vector<double>& vv, bool Progress,
               bool& Aborted);

// The inverse from the factors of CroutLU, written to inv (n x n, leading dimension n). With
// Progress every column of the result takes a progress step first; false when aborted.
bool InverseFromLU(const double* lu, int n, std::size_t lda, const std::vector<int>& indx,
                   std::vector<double>& inv, bool Progress);

// Golub-Reinsch singular value decomposition of the m x n block a (m rows, n columns),
// replaced by U; w receives the n singular values (unsorted, not negative) and v the n x n
// matrix V (leading dimension n). Every phase takes one progress step per column. False when
// a value does not converge within the iterations or the host aborts.
bool SingularValues(double* a, int m, int n, std::size_t lda, std::vector<double>& w,
                    std::vector<double>& v);

}  // namespace dov_kernels
