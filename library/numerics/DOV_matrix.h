#pragma once
// TMatrix: the library's dense matrix of doubles, a component that windows own (the pulsar
// band tables) and that the numerics create as temporaries with a null owner.
//
// Indexes are 1-based, column first; sizes are columns x rows. Reads outside the matrix give
// 0 and writes outside are ignored. A matrix without owner is released with FreeAndNil (or
// delete); an owned one goes with its owner. The values live in one contiguous block, column by
// column, so that a column is a plain array for the inner loops of the numerics.

#include <cstddef>
#include <functional>
#include <vector>

#include "DOV_sdlbase.h"
#include "System.h"

class TMatrix;
class TVector;
class TIntVector;

// Distance between two rows (objects) over all columns (features).
enum TDistMode { dmJaccard, dmManhattan, dmEuclid, dmEuclidSqr, dmDice, dmUserDef };
// Display names of the distance modes, in the order of TDistMode.
extern const char* const DistModeId[6];
enum TNormType { ntColwise, ntRowwise, ntSpectral, ntFrobenius };

// Lets the user-defined distance of the linear algebra ask the owner for the distance of two
// rows.
using TOnCalcDistanceEvent =
    std::function<void(TObject* Sender, Integer Row1, Integer Row2, double& Distance)>;

class TMatrix : public TComponent {
public:
  explicit TMatrix(TComponent* AOwner);
  ~TMatrix() override;
  String ClassName() const override { return "TMatrix"; }

  // ---- size ------------------------------------------------------------------------------
  Integer NrOfColumns() const { return FNCol; }
  Integer NrOfRows() const { return FNRow; }
  void SetNCols(Integer Count);
  void SetNRows(Integer Count);
  // Keeps the values inside both the old and the new extent, zero-fills new cells; always
  // true. Raises ESDLMatrixError when the memory cannot be had (the matrix stays as it was).
  bool Resize(Integer Nc, Integer Nr);
  bool ResizeAndClear(Integer Nc, Integer Nr);

  // ---- elements --------------------------------------------------------------------------
  double GetVal(Integer Nc, Integer Nr) const {
    if (Nc < 1 || Nc > FNCol || Nr < 1 || Nr > FNRow) return 0.0;
    return FData[Index(Nc, Nr)];
  }
  void SetVal(Integer Nc, Integer Nr, double Value) {
    if (Nc < 1 || Nc > FNCol || Nr < 1 || Nr > FNRow) return;
    FData[Index(Nc, Nr)] = Value;
    if (OnChange) OnChange(this);
  }
  double Elem(Integer Nc, Integer Nr) const { return GetVal(Nc, Nr); }

  // Direct access for bulk operations that fire OnChange once at the end. Column Nc
  // (1..max(1, NrOfColumns)) holds max(1, NrOfRows) consecutive values.
  double* ColumnPtr(Integer Nc) { return FData.data() + static_cast<std::size_t>(Nc - 1) * FAllocRows; }
  const double* ColumnPtr(Integer Nc) const {
    return FData.data() + static_cast<std::size_t>(Nc - 1) * FAllocRows;
  }

  // ---- properties ------------------------------------------------------------------------
  const String& DataID() const { return FDataID; }
  void SetDataID(const String& Value) { FDataID = Value; }
  // Index 1: field width, index 2: decimals of the text file writer.
  Integer GetFPrecis(Integer ix) const;
  void SetFPrecis(Integer ix, Integer Value);
  Integer Precision(Integer ix) const { return GetFPrecis(ix); }

  TNotifyEvent OnChange;          // values or size changed
  TSortExchgEvent OnSortExchange;  // two rows or columns were exchanged by a sort
  TOnCalcDistanceEvent OnCalcDistance;

  // ---- events ----------------------------------------------------------------------------
  void Changed();
  void SortExchange(Byte ExchgWhat, Integer index1, Integer index2, Integer first, Integer last);

  // ---- windows ---------------------------------------------------------------------------
  // Both 0: the whole extent; else each bound clamped to 1..N, a reversed pair exchanged.
  void MakeValidColRange(Integer& Low, Integer& High) const;
  void MakeValidRowRange(Integer& Low, Integer& High) const;

  // ---- whole-matrix operations -----------------------------------------------------------
  void Fill(double Value);
  void Assign(TPersistent* Source) override;
  void Clone(const TMatrix* MatSource);
  Integer CountValues(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                      double RangeLow, double RangeHigh) const;
  // Eight CRC-32 lanes, one per byte of the doubles, 64 upper-case hexadecimal digits.
  String CRCofData() const;

  // Comb sorts of the rows (columns) of a window by one key column (row). Rows move in
  // LowCol..HighCol, plus the key column when it lies outside that range.
  void SortRows(Integer SortColIx, bool Ascending, Integer LowCol, Integer LowRow,
                Integer HighCol, Integer HighRow);
  void SortCols(Integer SortRowIx, bool Ascending, Integer LowCol, Integer LowRow,
                Integer HighCol, Integer HighRow);

  // ---- linear algebra (DOV_matrix_linalg.cpp) -------------------------------------------
  // Products: false, nothing touched, when an argument is null or the sizes do not fit. The
  // result is computed first (so it may be this matrix or an operand), then resized and
  // written through SetVal; this matrix fires OnChange once at the end.
  // MatRes = A * B (C = B's rows), A * B^T (C = B's columns), A^T * B (R = B's rows).
  bool Multiply(const TMatrix* MatB, TMatrix* MatRes);
  bool MultiplyTransposed(const TMatrix* MatB, TMatrix* MatRes);
  bool TransposeAndMultiply(const TMatrix* MatB, TMatrix* MatRes);
  // VecRes = A * VecB (C = its length) and A^T * VecB (R = its length).
  bool Multiply(const TVector* VecB, TVector* VecRes);
  bool TransposeAndMultiply(const TVector* VecB, TVector* VecRes);
  // Element-wise product; equal sizes.
  bool EMult(const TMatrix* MatB, TMatrix* MatRes);
  // A := A +- B in place; equal sizes.
  bool Add(const TMatrix* MatB);
  bool Subtract(const TMatrix* MatB);
  void SMult(double Scalar);
  void SAdd(double Scalar);
  // A := A^T (columns and rows exchanged); always true.
  bool Transpose();
  // Sum of the diagonal; 0 unless square with at least one element.
  double Trace() const;
  // P A = L U on a copy (Crout, implicit scaling, partial pivoting): MatU receives the copy
  // (through Clone) and, on success, the upper factor; MatL the unit lower factor. NumPerm is
  // the parity of the row exchanges. False for a matrix that is not square, a missing factor,
  // a zero row (MatU stays the copy) or a singular matrix (MatU holds the factors): a pivot
  // below 1e-100, or below n * DBL_EPSILON relative to its row's largest original value.
  bool LUdecomposition(TMatrix* MatL, TMatrix* MatU, Integer& NumPerm);
  // 0 when the decomposition fails (singular or not square).
  double Determinant();
  // In place. False, the matrix unchanged, when not square, empty or with a zero row; false
  // with the matrix holding its LU factors when singular (as LUdecomposition); false, partly
  // transformed, on an abort. One progress step per column of the decomposition and of the
  // solution; OnChange once at the end (not for a matrix that is not square or empty).
  bool Invert();
  // Cholesky factor of a symmetric positive definite matrix, read from the lower triangle with
  // the diagonal; the factor goes, transposed, into this matrix's strict upper triangle
  // (without OnChange) and into MatL's lower triangle with the diagonal. False when not square
  // or not positive definite (a non-positive pivot gives a zero column in the factor).
  bool CholeskyDecomp(TMatrix* MatL);
  // ntSpectral raises ESDLMatrixError "near singular covariance matrix" when the singular
  // value decomposition fails (no convergence or an abort).
  double Norm(TNormType nt);
  // Scales rows against columns until no factor of a pass reaches 1.05; false when not
  // square. Rows or columns whose off-diagonal sums are 0 are left alone.
  bool Balance();
  // Order-th differences down every column; the last Order rows go. Nothing when Order is
  // below 1, above 10 or not below NrOfRows.
  void Diff(Integer Order);
  // Distance between rows obj1 and obj2 (rows outside read as zeros).
  double DistanceOfObjects(TDistMode Mode, Integer obj1, Integer obj2);
  // DMat (R x R) := distances between all rows, written through SetVal. -1 when DMat is not
  // square (or missing), -2 when its size is not NrOfRows; 0 when done.
  Integer CalcDistMat(TDistMode Mode, TMatrix* DMat);

  // ---- scaled cross products with worker threads (DOV_matrix_square.cpp) ----------------
  // MatRes (C x C) := A^T A / Norm, written straight into its storage after a Resize. Columns
  // are handed to at most NThreads workers (below 1 counts as 1); every column adds 1 to
  // ProcStat. False when MatRes is null or the host aborted (no worker is left running).
  bool Square(TMatrix* MatRes, double Norm, Integer NThreads);
  bool Square(TMatrix* MatRes, double Norm);

  // ---- window descriptions ---------------------------------------------------------------
  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
  bool SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) override;

protected:
  void AssignTo(TPersistent* Dest) override;

private:
  std::size_t Index(Integer Nc, Integer Nr) const {
    return static_cast<std::size_t>(Nc - 1) * FAllocRows + static_cast<std::size_t>(Nr - 1);
  }
  [[noreturn]] void RaiseNoMemory() const;
  static void MakeValidRange(Integer N, Integer& Low, Integer& High);

  Integer FNCol = 0;
  Integer FNRow = 0;
  String FDataID;
  Integer FPrecis[2] = {15, -1};
  std::vector<double> FData;  // FAllocCols x FAllocRows, column by column
  std::size_t FAllocCols = 0;
  std::size_t FAllocRows = 0;

public:
  bool FirstCell = false;  // working flag of the XML reader
};
