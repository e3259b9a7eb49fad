#pragma once
// TMatrix: the library's dense matrix of doubles, a component that windows own (the pulsar
// band tables) and that the numerics create as temporaries with a null owner.
//
// Indexes are 1-based, column first; sizes are columns x rows. Reads outside the matrix give
// 0 and writes outside are ignored. A matrix without owner is released with FreeAndNil (or
// delete); an owned one goes with its owner. The values live in one contiguous block, column by
// column, so that a column is a plain array for the inner loops of the numerics.
//
// Singular matrices: LUdecomposition, Determinant and Invert count a pivot as zero when its
// size, scaled by the largest original value of its row, is below n * DBL_EPSILON, besides the
// absolute floor |pivot| < 1e-100. The floor alone lets rounding noise pass as a pivot:
// [[1,2,3],[4,5,6],[5,7,9]] (third row the sum of the others) leaves a pivot near 1e-16 and
// would be "inverted" into values near 1e16 and reported as a success; under the scaled test
// it is reported singular, as it is to working precision.

#include <cstddef>
#include <functional>
#include <vector>

#include "Classes.h"
#include "DOV_sdlbase.h"
#include "System.h"
#include "ZeroedArray.h"

class TMatrix;
class TVector;
class TIntVector;
namespace dov_matrix {
struct TMatrixAccess;  // the readers the matrix classes share (DOV_matrix_io.h)
template <class T>
struct TColumnBlock;  // a dense block seen by the shared routines (DOV_matrix_window.h)
}  // namespace dov_matrix

// Distance between two rows (objects) over all columns (features).
enum TDistMode { dmJaccard, dmManhattan, dmEuclid, dmEuclidSqr, dmDice, dmUserDef };
// Display names of the distance modes, in the order of TDistMode.
extern const char* const DistModeId[6];
enum TNormType { ntColwise, ntRowwise, ntSpectral, ntFrobenius };
// Reduction of EdgeVector.
enum TEdgeOp { eopMin, eopMax, eopSum, eopMean };

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
  double* ColumnPtr(Integer Nc) {
    return FData.data() + static_cast<std::size_t>(Nc - 1) * FAllocRows;
  }
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

  TNotifyEvent OnChange;           // values or size changed
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
  void SortRows(Integer SortColIx, bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                Integer HighRow);
  void SortCols(Integer SortRowIx, bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                Integer HighRow);

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
  // ntFrobenius and ntSpectral are scaled as hypot scales, so a representable norm is
  // returned for elements of any magnitude. ntSpectral raises ESDLMatrixError "near singular
  // covariance matrix" when the singular value decomposition fails (no convergence or an
  // abort).
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

  // ---- statistics and element operations (DOV_matrix_stats.cpp) -------------------------
  // Windows are LowCol, LowRow, HighCol, HighRow under the range rule unless noted; an empty
  // matrix has no window and gives the neutral result.
  // Start values +-1.7e38: values beyond them are not reported.
  void MinMax(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, double& Minimum,
              double& Maximum) const;
  // Variance 1 for fewer than three values; the figures of a set of values are computed once
  // for every class (DOV_math1.h): variance in two passes, skewness, kurtosis and correlation
  // scaled so that they hold over the double range.
  void MeanVar(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, double& Mean,
               double& Variance) const;
  double Sum(Integer LoC, Integer LoR, Integer HiC, Integer HiR) const;
  // ESDLMatrixError for a negative value (GeometricMean) or one not above 0 (HarmonicMean).
  double GeometricMean(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  double HarmonicMean(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  void SkewKurt(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, double& Skewness,
                double& Kurtosis) const;
  void SkewKurtSample(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                      double& Skewness, double& Kurtosis) const;
  // Interpolated at positions (n + 1) q of the sorted values; false, quartiles NaN, when a
  // value is NaN (it has no place in the order).
  bool Quartiles(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, double& Q1,
                 double& Q2, double& Q3) const;
  // The sorted value at rank round(n prob / 100) (prob in percent, NaN counting as 0), no
  // interpolation; NaN when a value is NaN. With a SampleSize below the window's count, from
  // that many random draws (the generator is reseeded from the clock).
  double Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                    Integer HighRow) const;
  double Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                    Integer SampleSize) const;
  // False (Histo untouched) for more than 500 bins or a width that is not positive.
  bool Histogram(Integer LoX, Integer LoY, Integer HiX, Integer HiY, double FirstBin,
                 double LastBin, double BinWidth, TIntVector* Histo, Integer& Underflow,
                 Integer& Overflow, Integer& MaxCnt) const;
  // Correlation of all values with those of OtherMat at the same places; ESDLMatrixError
  // "matrices do not match" for different sizes.
  double Correlate(const TMatrix* OtherMat) const;
  // Nearest value (columns outer); note the order: both column bounds, then both row bounds.
  void Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, double Value,
            Integer& ColIx, Integer& RowIx) const;
  // Bisection down a sorted column; the nearer row, the higher on a tie; 0 for a column
  // outside the matrix.
  Integer FindInSortedColumn(Integer Col, bool ColIsAscending, double Value) const;
  // ResultArray[c - 1][r - 1] := value above Threshold; the count of such values.
  Integer Dichotomize(double Threshold, TBool2DArray& ResultArray) const;

  // Column (dimX) or row (dimY) means into Means; no event.
  void MeanVec(TDims Dim, TVector* Means) const;
  // Per column (row): (x - mean) / standard deviation when the variance is above 0; the
  // vectors, when given, receive the figures (they are not resized).
  void StandardizeColumns(TVector* Means, TVector* StdDevs);
  void StandardizeRows(TVector* Means, TVector* StdDevs);
  // Per column (row) minus its mean; Means is resized to fit.
  void MeanCenterColumns(TVector* Means);
  void MeanCenterRows(TVector* Means);
  // Per column (row): (x - median) / |median - percentile(RefQuant)| when that is above 0.
  void QNormalizeColumns(double RefQuant, TVector* Medians, TVector* QuantDiffs);
  void QNormalizeRows(double RefQuant, TVector* Medians, TVector* QuantDiffs);
  // orVert: one entry per row (reduced across the columns); orHoriz: one per column.
  void EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, TVector* DestVec) const;
  void MirrorColumns();
  void MirrorRows();
  // Indexes outside the matrix change nothing.
  void ExchangeColumns(Integer c1, Integer c2);
  void ExchangeRows(Integer r1, Integer r2);
  void FillDiag(double Value);
  // Column by column, rows inner, from the process-wide generator; a span beyond the double
  // range (-1e308 ... 1e308) still gives finite values within it.
  void FillRandomUniform(double RangeLow, double RangeHigh);
  void FillRandomGauss(double Mean, double StdDev);

  // ---- copies ----------------------------------------------------------------------------
  // The vector is cleared, then receives row Row (clamped) of the column window, as much as
  // it holds; no event of the matrix.
  void CopyRowToVec(TVector* DestVec, Integer Row, Integer FirstCol, Integer LastCol) const;
  void CopyColToVec(TVector* DestVec, Integer Col, Integer FirstRow, Integer LastRow) const;
  // Source bounds clamped to the source one by one (0 means 1 here); element (c, r) goes to
  // (c + DestCol - SourceColLo, r + DestRow - SourceRowLo) through SetVal; then OnChange.
  void CopyFrom(const TMatrix* MatSource, Integer SourceColLo, Integer SourceRowLo,
                Integer SourceColHi, Integer SourceRowHi, Integer DestCol, Integer DestRow);
  // dimX: along row DestRow from DestCol; dimY: down column DestCol from DestRow.
  void CopyFromVec(const TVector* VecSource, Integer Source1stElem, Integer SourceLastElem,
                   Integer DestCol, Integer DestRow);
  void CopyFromVec(TDims Dim, const TVector* VecSource, Integer Source1stElem,
                   Integer SourceLastElem, Integer DestCol, Integer DestRow);
  // DestArray[c - LowCol][r - LowRow]; note the order of the bounds.
  void CopyToArray(TDouble2DArray& DestArray, Integer LowCol, Integer HighCol, Integer LowRow,
                   Integer HighRow) const;
  // A(Col + i, Row + j) := SrcArray[i][j] through SetVal (positions a short sub-array lacks
  // are skipped); no final event.
  void CopyFromArray(const TDouble2DArray& SrcArray, Integer Col, Integer Row);

  // ---- files (DOV_matrix_files.cpp) -----------------------------------------------------
  // Text: a line "LoR HiR", a line "LoC HiC", then one line per row of the window, each value
  // as Str(x : Precision[1] : Precision[2]) followed by a blank; CR LF. The file is replaced
  // only when all was written; false when it could not be.
  bool StoreOnFile(Integer LoC, Integer LoR, Integer HiC, Integer HiR,
                   const String& FileName) const;
  // Reads the header; AdjustMatrixSize resizes to HiC x HiR. False when the file or its
  // header cannot be read (nothing changed), when the matrix is too small (nothing read) or
  // when the values end early (those read stay); a token that is not a number leaves its
  // element. OnChange once the header was read.
  bool LoadFromFile(const String& FileName, bool AdjustMatrixSize);
  // AutoDetect: bare values, as many columns as the first line has fields, a row per line.
  bool LoadFromFile(const String& FileName, bool AdjustMatrixSize, bool AutoDetect);
  // Stream: LoR, HiR, LoC, HiC and the window's values row by row, each a 10-byte extended
  // number, at the stream's position. The memory-stream form creates the stream when
  // OutStream is null (the caller owns it); a null file stream writes nothing.
  void SaveToStream(TMemoryStream*& OutStream, Integer LoC, Integer LoR, Integer HiC,
                    Integer HiR) const;
  void SaveToStream(TFileStream* OutStream, Integer LoC, Integer LoR, Integer HiC,
                    Integer HiR) const;
  // False for a null stream or a short or damaged header (nothing changed, no event), for a
  // matrix smaller than HiC x HiR (nothing read) or values that end early (those read stay).
  bool LoadFromStream(TStream* InStream, bool AdjustMatrixSize);
  // Block file of 4096-byte records: a header block (columns, rows, two reserved zeros, the
  // identification), then the values column by column, 512 to a block. Written beside the
  // file and moved over it when complete; EInOutError when it cannot be written.
  void SaveBinary(const String& FName) const;
  // ESDLMatrixError "binary matrix data has wrong format" for a reserved field that is not 0,
  // a short header, negative sizes or fewer data blocks than the sizes need (the matrix stays
  // as it was); EInOutError when the file cannot be read.
  void LoadBinary(const String& FName);
  // The header's sizes and identification; true when both reserved fields are 0 (false too
  // for a file shorter than a block).
  bool ReadBinaryHeader(const String& FName, Integer& NrColumns, Integer& NrRows,
                        String& DataID) const;

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
  dov_matrix::TColumnBlock<double> Block();
  // The range rule on both pairs; false when the window is empty (an empty matrix).
  bool ValidWindow(Integer& LowCol, Integer& LowRow, Integer& HighCol, Integer& HighRow) const;
  std::vector<double> WindowValues(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                                   bool RowsOuter) const;
  static void MakeValidRange(Integer N, Integer& Low, Integer& High);

  Integer FNCol = 0;
  Integer FNRow = 0;
  String FDataID;
  Integer FPrecis[2] = {15, -1};
  // FAllocCols x FAllocRows, column by column; zeroed pages, so a large matrix that is never
  // filled touches no memory.
  TZeroedArray<double> FData;
  std::size_t FAllocCols = 0;
  std::size_t FAllocRows = 0;

public:
  bool FirstCell = false;  // working flag of the XML reader

  // ---- XML documents (DOV_matrix_xml.cpp; tags in DOV_matrix_xml.h) -----------------------
  // Writers: an empty DataID means the matrix's own; zero elements are left out. Readers find
  // the document (dim 2) with that identification (empty: the first) and store its
  // identification, lower-cased, as DataID; false when none is found (nothing changes) or the
  // document breaks off before </matrix> (what was read is kept). OnChange fires once.
  void WriteToXMLStream(class TStream& OutStream, bool CreateHeader, const String& DataID);
  void WriteToOpenXMLFile(class TTextFile& TextFile, bool CreateHeader, const String& DataID);
  void SaveAsXMLFile(const String& FName, const String& DataID);  // file errors raise
  bool ReadFromXMLStream(class TStream& InStream, const String& DataID);
  bool ReadFromOpenXMLFile(class TTextFile& TextFile, const String& DataID);
  bool LoadFromXMLFile(const String& FName, const String& DataID);  // any failure: false
  // One tag of the content (xmlTag a TMatXmlTag): 0 go on, 1 end reached, -1 stop.
  Integer ProcessXmlTag(Integer xmlTag, const String& Attribs, const String& Contents);

private:
  friend struct dov_matrix::TMatrixAccess;
  String XmlDocument(bool CreateHeader, const String& DataID) const;
  void StartXmlDocument(const String& ID);
  Integer FXmlSize[2] = {0, 0};  // the size the document announces, taken at its first cell

public:
  // ---- copies from the integer and 3-D matrices (DOV_intmatrix.cpp, DOV_matrix3d.cpp) ------
  // As CopyFrom above; the integers become doubles, and a 3-D source gives one layer
  // (SourceLayer clamped to its layers).
  void CopyFrom(const class TIntMatrix* MatSource, Integer SourceColLo, Integer SourceRowLo,
                Integer SourceColHi, Integer SourceRowHi, Integer DestCol, Integer DestRow);
  void CopyFrom(const class TMat3D* MatSource, Integer SourceColLo, Integer SourceRowLo,
                Integer SourceColHi, Integer SourceRowHi, Integer SourceLayer, Integer DestCol,
                Integer DestRow);
};
