// Linear algebra of TMatrix: products, element and scalar arithmetic, transposition,
// decompositions, inversion, norms, balancing, differences and distances between rows.
// Inner loops run down contiguous columns of the storage; results that the interface writes
// through SetVal are computed into a buffer first, so an operand may also be the result.

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "DOV_math1.h"
#include "DOV_matrix.h"
#include "DOV_matrix_kernels.h"
#include "DOV_vector.h"

const char* const DistModeId[6] = {"Jaccard coefficient", "Manhattan",        "Euclidean",
                                   "squared Euclidean",   "Dice coefficient", "user defined"};

namespace {

using Buffer = TZeroedArray<double>;

// Resizes MatRes and writes the column-major buffer (Rows values per column) through SetVal.
void StoreThroughSetVal(TMatrix* MatRes, Integer Cols, Integer Rows, const Buffer& buf) {
  MatRes->Resize(Cols, Rows);
  for (Integer c = 1; c <= Cols; ++c)
    for (Integer r = 1; r <= Rows; ++r)
      MatRes->SetVal(c, r, buf[static_cast<std::size_t>(c - 1) * Rows + (r - 1)]);
}

Buffer MakeBuffer(const TMatrix* owner, std::size_t n) {
  try {
    return Buffer(n);
  } catch (const std::bad_alloc&) {
    throw ESDLMatrixError(ComponentErrorMessage(owner, "not enough memory on heap"));
  } catch (const std::length_error&) {
    throw ESDLMatrixError(ComponentErrorMessage(owner, "not enough memory on heap"));
  }
}

// The distance of two rows given as arrays of their values over the columns.
double RowDistance(TDistMode Mode, const double* x, const double* y, Integer n) {
  double a = 0, b = 0, c = 0;
  switch (Mode) {
    case dmJaccard:
    case dmDice:
      for (Integer k = 0; k < n; ++k) {
        a += x[k] * y[k];
        b += x[k] * x[k];
        c += y[k] * y[k];
      }
      return Mode == dmJaccard ? a / (b + c - a) : 2 * a / (b + c);
    case dmManhattan:
      for (Integer k = 0; k < n; ++k) a += std::fabs(x[k] - y[k]);
      return a;
    case dmEuclid:
      return RootSumSquares([&](auto f) {
        for (Integer k = 0; k < n; ++k) f(x[k] - y[k]);
      });
    case dmEuclidSqr:
      for (Integer k = 0; k < n; ++k) a += (x[k] - y[k]) * (x[k] - y[k]);
      return a;
    default: return 0;
  }
}

constexpr int kBalanceMaxPasses = 1000;  // a pass cannot reach 1.05 on non-finite values

}  // namespace

// ---- products and arithmetic -------------------------------------------------------------

bool TMatrix::Multiply(const TMatrix* MatB, TMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FNCol != MatB->FNRow) return false;
  const Integer cols = MatB->FNCol, rows = FNRow;
  Buffer res = MakeBuffer(this, static_cast<std::size_t>(cols) * rows);
  // res = 0 - A (-B)... the product kernel subtracts, so the sum comes out negated once.
  dov_kernels::GemmMinus(rows, cols, FNCol, FData.data(), FAllocRows, MatB->FData.data(),
                         MatB->FAllocRows, res.data(), static_cast<std::size_t>(rows));
  for (auto& x : res) x = -x;
  StoreThroughSetVal(MatRes, cols, rows, res);
  Changed();
  return true;
}

bool TMatrix::MultiplyTransposed(const TMatrix* MatB, TMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FNCol != MatB->FNCol) return false;
  const Integer cols = MatB->FNRow, rows = FNRow;
  Buffer res = MakeBuffer(this, static_cast<std::size_t>(cols) * rows);
  for (Integer c = 0; c < cols; ++c) {
    double* out = res.data() + static_cast<std::size_t>(c) * rows;
    for (Integer k = 1; k <= FNCol; ++k) {
      const double b = MatB->ColumnPtr(k)[c];
      const double* a = ColumnPtr(k);
      for (Integer r = 0; r < rows; ++r) out[r] += a[r] * b;
    }
  }
  StoreThroughSetVal(MatRes, cols, rows, res);
  Changed();
  return true;
}

bool TMatrix::TransposeAndMultiply(const TMatrix* MatB, TMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FNRow != MatB->FNRow) return false;
  const Integer cols = MatB->FNCol, rows = FNCol;
  Buffer res = MakeBuffer(this, static_cast<std::size_t>(cols) * rows);
  for (Integer j = 1; j <= cols; ++j) {
    const double* b = MatB->ColumnPtr(j);
    for (Integer i = 1; i <= rows; ++i) {
      const double* a = ColumnPtr(i);
      double s = 0;
      for (Integer k = 0; k < FNRow; ++k) s += a[k] * b[k];
      res[static_cast<std::size_t>(j - 1) * rows + (i - 1)] = s;
    }
  }
  StoreThroughSetVal(MatRes, cols, rows, res);
  Changed();
  return true;
}

bool TMatrix::Multiply(const TVector* VecB, TVector* VecRes) {
  if (VecB == nullptr || VecRes == nullptr || FNCol != VecB->NrOfElem()) return false;
  Buffer res = MakeBuffer(this, static_cast<std::size_t>(FNRow));
  const double* b = VecB->DataPtr();
  for (Integer c = 1; c <= FNCol; ++c) {
    const double* a = ColumnPtr(c);
    const double bc = b[c - 1];
    for (Integer r = 0; r < FNRow; ++r) res[r] += a[r] * bc;
  }
  VecRes->SetVecSize(FNRow);
  for (Integer r = 1; r <= FNRow; ++r) VecRes->SetVal(r, res[r - 1]);
  Changed();
  return true;
}

bool TMatrix::TransposeAndMultiply(const TVector* VecB, TVector* VecRes) {
  if (VecB == nullptr || VecRes == nullptr || FNRow != VecB->NrOfElem()) return false;
  Buffer res = MakeBuffer(this, static_cast<std::size_t>(FNCol));
  const double* b = VecB->DataPtr();
  for (Integer c = 1; c <= FNCol; ++c) {
    const double* a = ColumnPtr(c);
    double s = 0;
    for (Integer r = 0; r < FNRow; ++r) s += a[r] * b[r];
    res[c - 1] = s;
  }
  VecRes->SetVecSize(FNCol);
  for (Integer c = 1; c <= FNCol; ++c) VecRes->SetVal(c, res[c - 1]);
  Changed();
  return true;
}

bool TMatrix::EMult(const TMatrix* MatB, TMatrix* MatRes) {
  if (MatB == nullptr || MatRes == nullptr || FNCol != MatB->FNCol || FNRow != MatB->FNRow)
    return false;
  Buffer res = MakeBuffer(this, static_cast<std::size_t>(FNCol) * FNRow);
  for (Integer c = 1; c <= FNCol; ++c) {
    const double* a = ColumnPtr(c);
    const double* b = MatB->ColumnPtr(c);
    double* out = res.data() + static_cast<std::size_t>(c - 1) * FNRow;
    for (Integer r = 0; r < FNRow; ++r) out[r] = a[r] * b[r];
  }
  StoreThroughSetVal(MatRes, FNCol, FNRow, res);
  Changed();
  return true;
}

bool TMatrix::Add(const TMatrix* MatB) {
  if (MatB == nullptr || FNCol != MatB->FNCol || FNRow != MatB->FNRow) return false;
  for (Integer c = 1; c <= FNCol; ++c) {
    double* a = ColumnPtr(c);
    const double* b = MatB->ColumnPtr(c);
    for (Integer r = 0; r < FNRow; ++r) a[r] += b[r];
  }
  Changed();
  return true;
}

bool TMatrix::Subtract(const TMatrix* MatB) {
  if (MatB == nullptr || FNCol != MatB->FNCol || FNRow != MatB->FNRow) return false;
  const bool self = MatB == this;
  for (Integer c = 1; c <= FNCol; ++c) {
    double* a = ColumnPtr(c);
    const double* b = MatB->ColumnPtr(c);
    for (Integer r = 0; r < FNRow; ++r) a[r] = self ? a[r] - a[r] : a[r] - b[r];
  }
  Changed();
  return true;
}

void TMatrix::SMult(double Scalar) {
  for (Integer c = 1; c <= FNCol; ++c) {
    double* a = ColumnPtr(c);
    for (Integer r = 0; r < FNRow; ++r) a[r] *= Scalar;
  }
  Changed();
}

void TMatrix::SAdd(double Scalar) {
  for (Integer c = 1; c <= FNCol; ++c) {
    double* a = ColumnPtr(c);
    for (Integer r = 0; r < FNRow; ++r) a[r] += Scalar;
  }
  Changed();
}

bool TMatrix::Transpose() {
  const std::size_t newCols = static_cast<std::size_t>(std::max<Integer>(FNRow, 1));
  const std::size_t newRows = static_cast<std::size_t>(std::max<Integer>(FNCol, 1));
  Buffer t = MakeBuffer(this, newCols * newRows);
  for (Integer c = 0; c < FNCol; ++c) {
    const double* a = ColumnPtr(c + 1);
    for (Integer r = 0; r < FNRow; ++r) t[static_cast<std::size_t>(r) * newRows + c] = a[r];
  }
  FData.swap(t);
  FAllocCols = newCols;
  FAllocRows = newRows;
  std::swap(FNCol, FNRow);
  Changed();
  return true;
}

double TMatrix::Trace() const {
  if (FNCol != FNRow || FNCol < 1) return 0;
  double s = 0;
  for (Integer i = 1; i <= FNCol; ++i) s += ColumnPtr(i)[i - 1];
  return s;
}

// ---- decompositions ----------------------------------------------------------------------

bool TMatrix::LUdecomposition(TMatrix* MatL, TMatrix* MatU, Integer& NumPerm) {
  NumPerm = 1;
  if (FNCol != FNRow || FNCol < 1 || MatL == nullptr || MatU == nullptr || MatL == MatU)
    return false;
  const Integer n = FNCol;
  MatL->ResizeAndClear(n, n);
  MatU->Clone(this);
  std::vector<double> vv;
  bool aborted;
  if (!dov_kernels::RowScales(MatU->FData.data(), n, MatU->FAllocRows, vv, false, aborted))
    return false;
  std::vector<int> indx;
  int perm = 1;
  const auto res =
      dov_kernels::CroutLU(MatU->FData.data(), n, MatU->FAllocRows, vv, indx, perm, false);
  NumPerm = perm;
  if (res != dov_kernels::TLUResult::Done) {
    MatU->Changed();
    return false;
  }
  for (Integer j = 1; j <= n; ++j) {
    double* u = MatU->ColumnPtr(j);
    double* l = MatL->ColumnPtr(j);
    l[j - 1] = 1.0;
    for (Integer i = j; i < n; ++i) {
      l[i] = u[i];
      u[i] = 0.0;
    }
  }
  MatL->Changed();
  MatU->Changed();
  return true;
}

double TMatrix::Determinant() {
  if (FNCol != FNRow || FNCol < 1) return 0;
  const Integer n = FNCol;
  Buffer a = FData;
  std::vector<double> vv;
  bool aborted;
  if (!dov_kernels::RowScales(a.data(), n, FAllocRows, vv, false, aborted)) return 0;
  std::vector<int> indx;
  int perm = 1;
  if (dov_kernels::CroutLU(a.data(), n, FAllocRows, vv, indx, perm, false) !=
      dov_kernels::TLUResult::Done)
    return 0;
  double d = perm;
  for (Integer i = 0; i < n; ++i) d *= a[static_cast<std::size_t>(i) * FAllocRows + i];
  return d;
}

bool TMatrix::Invert() {
  if (FNCol != FNRow || FNCol < 1) return false;
  const Integer n = FNCol;
  std::vector<double> vv, inv;
  std::vector<int> indx;
  try {
    vv.reserve(static_cast<std::size_t>(n));
    indx.reserve(static_cast<std::size_t>(n));
    inv.reserve(static_cast<std::size_t>(n) * n);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  bool ok = false;
  bool aborted = false;
  if (dov_kernels::RowScales(FData.data(), n, FAllocRows, vv, true, aborted)) {
    int perm = 1;
    const auto res = dov_kernels::CroutLU(FData.data(), n, FAllocRows, vv, indx, perm, true);
    if (res == dov_kernels::TLUResult::Done &&
        dov_kernels::InverseFromLU(FData.data(), n, FAllocRows, indx, inv, true)) {
      for (Integer c = 0; c < n; ++c)
        std::copy_n(inv.data() + static_cast<std::size_t>(c) * n, n, ColumnPtr(c + 1));
      ok = true;
    }
  }
  Changed();
  return ok;
}

bool TMatrix::CholeskyDecomp(TMatrix* MatL) {
  if (FNCol != FNRow) return false;
  const Integer n = FNCol;
  bool ok = true;
  std::vector<double> d(static_cast<std::size_t>(std::max<Integer>(n, 0)), 0.0);
  // a(row, col): column col is contiguous, so both sums run down two columns.
  auto col = [&](Integer j) { return ColumnPtr(j + 1); };
  for (Integer i = 0; i < n; ++i) {
    const double* ci = col(i);
    for (Integer j = i; j < n; ++j) {
      const double* cj = col(j);
      double s = ci[j];  // a(j, i): lower triangle
      for (Integer k = 0; k < i; ++k) s -= ci[k] * cj[k];
      if (j == i) {
        if (s <= 0 || std::isnan(s)) {
          ok = false;
          d[i] = 0;  // no factor column can follow a non-positive pivot
        } else {
          d[i] = std::sqrt(s);
        }
      } else {
        col(j)[i] = d[i] != 0 ? s / d[i] : 0.0;  // a(i, j): strict upper triangle
      }
    }
  }
  if (MatL != nullptr) {
    MatL->Resize(n, n);
    for (Integer c = 0; c < n; ++c) {
      double* l = MatL->ColumnPtr(c + 1);
      l[c] = d[c];
      for (Integer r = c + 1; r < n; ++r) l[r] = col(r)[c];
    }
    MatL->Changed();
  }
  return ok;
}

// ---- norms and balancing -----------------------------------------------------------------

double TMatrix::Norm(TNormType nt) {
  switch (nt) {
    case ntColwise: {
      double best = 0;
      for (Integer c = 1; c <= FNCol; ++c) {
        const double* a = ColumnPtr(c);
        double s = 0;
        for (Integer r = 0; r < FNRow; ++r) s += std::fabs(a[r]);
        best = std::max(best, s);
      }
      return best;
    }
    case ntRowwise: {
      std::vector<double> sums(static_cast<std::size_t>(std::max<Integer>(FNRow, 0)), 0.0);
      for (Integer c = 1; c <= FNCol; ++c) {
        const double* a = ColumnPtr(c);
        for (Integer r = 0; r < FNRow; ++r) sums[r] += std::fabs(a[r]);
      }
      double best = 0;
      for (double s : sums) best = std::max(best, s);
      return best;
    }
    case ntFrobenius:
      return RootSumSquares([this](auto f) {
        for (Integer c = 1; c <= FNCol; ++c) {
          const double* a = ColumnPtr(c);
          for (Integer r = 0; r < FNRow; ++r) f(a[r]);
        }
      });
    case ntSpectral: {
      // The decomposition squares its elements: it runs on the matrix scaled by a power of two
      // near its largest magnitude, which changes no digit, and the norm is scaled back.
      Buffer a = FData;
      double big = 0;
      for (std::size_t i = 0; i < a.size(); ++i) big = std::fmax(big, std::fabs(a[i]));
      const int e = ScaleExponent(big, 400);
      if (e != 0)
        for (std::size_t i = 0; i < a.size(); ++i) a[i] = std::ldexp(a[i], e);
      std::vector<double> w, v;
      if (!dov_kernels::SingularValues(a.data(), FNRow, FNCol, FAllocRows, w, v))
        throw ESDLMatrixError("near singular covariance matrix");
      double best = 0;
      for (double x : w) best = std::max(best, x);
      return Scaled(best, -e);
    }
  }
  return 0;
}

bool TMatrix::Balance() {
  if (FNCol != FNRow) return false;
  const Integer n = FNCol;
  for (int pass = 0; pass < kBalanceMaxPasses; ++pass) {
    double largest = 0;
    for (Integer i = 0; i < n; ++i) {
      double* coli = ColumnPtr(i + 1);
      double r = 0, c = 0;
      for (Integer j = 0; j < n; ++j) {
        if (j == i) continue;
        r += std::fabs(ColumnPtr(j + 1)[i]);  // row i
        c += std::fabs(coli[j]);              // column i
      }
      if (c == 0 || r == 0) continue;
      const double g = std::sqrt(r / c);
      for (Integer j = 0; j < n; ++j) {
        if (j == i) continue;
        ColumnPtr(j + 1)[i] /= g;
        coli[j] *= g;
      }
      if (g > largest) largest = g;
    }
    if (!(largest >= 1.05)) break;
  }
  return true;
}

// ---- differences and distances -----------------------------------------------------------

void TMatrix::Diff(Integer Order) {
  if (Order < 1 || Order > 10 || Order >= FNRow) return;
  for (Integer o = 0; o < Order; ++o)
    for (Integer c = 1; c <= FNCol; ++c) {
      double* a = ColumnPtr(c);
      for (Integer r = 0; r + 1 < FNRow; ++r) a[r] = a[r + 1] - a[r];
    }
  Resize(FNCol, FNRow - Order);
}

double TMatrix::DistanceOfObjects(TDistMode Mode, Integer obj1, Integer obj2) {
  if (Mode == dmUserDef) {
    double Distance = 0;
    if (OnCalcDistance) OnCalcDistance(this, obj1, obj2, Distance);
    return Distance;
  }
  std::vector<double> x(static_cast<std::size_t>(std::max<Integer>(FNCol, 0)));
  std::vector<double> y(x.size());
  for (Integer c = 1; c <= FNCol; ++c) {
    x[c - 1] = GetVal(c, obj1);
    y[c - 1] = GetVal(c, obj2);
  }
  return RowDistance(Mode, x.data(), y.data(), FNCol);
}

Integer TMatrix::CalcDistMat(TDistMode Mode, TMatrix* DMat) {
  if (DMat == nullptr) return -1;
  Integer code = 0;
  if (DMat->FNCol != DMat->FNRow) code = -1;
  if (DMat->FNCol != FNRow) code = -2;
  if (code != 0) return code;
  const Integer R = FNRow, C = FNCol;
  // The rows as contiguous arrays, so that each pair reads two runs of memory.
  Buffer rows = MakeBuffer(this, static_cast<std::size_t>(R) * std::max<Integer>(C, 0));
  for (Integer c = 0; c < C; ++c) {
    const double* a = ColumnPtr(c + 1);
    for (Integer r = 0; r < R; ++r) rows[static_cast<std::size_t>(r) * C + c] = a[r];
  }
  for (Integer i = 1; i < R; ++i) {
    DMat->SetVal(i, i, 0);
    const double* x = rows.data() + static_cast<std::size_t>(i - 1) * C;
    for (Integer j = i + 1; j <= R; ++j) {
      const double* y = rows.data() + static_cast<std::size_t>(j - 1) * C;
      const double d =
          Mode == dmUserDef ? DistanceOfObjects(Mode, i, j) : RowDistance(Mode, x, y, C);
      DMat->SetVal(i, j, d);
      DMat->SetVal(j, i, d);
    }
  }
  DMat->SetVal(R, R, 0);
  return code;
}
