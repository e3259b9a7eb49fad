#pragma once
// TIntMatrix: the library's matrix of 32-bit integers, 1-based (column, row) like TMatrix,
// in one of two storage modes.
//
// Dense mode (Create): one block of max(1, columns) x max(1, rows) values, column by column.
// Sparse mode (CreateSparse): only the elements ever set, as (column, row, value) entries in
// ascending (column, row) order; any position with positive indexes can be set and the sizes
// follow the highest indexes used. The entries live in a TIntSparseStore
// (DOV_intmatrix_sparse.h); NumAllocated() is the capacity it reports, growing in steps of
// AllocBy.
//
// Element arithmetic wraps in 32 bits; statistics work in doubles. Operations that need the
// dense storage give their neutral result on a sparse matrix (false, 0, no event).
//
// Files: a text file of a window (LoR HiR / LoC HiC / rows of integers each followed by a
// blank), a stream of 4-byte integers (LoR, HiR, LoC, HiC, then the window row by row), a
// block file (block 0 as TMatrix's, then 1024 integers to a block, column by column), XML
// (as TMatrix's, values as plain integers) and, for sparse matrices, the sparse text file
// ("DOV_sparse_matrix", the count, the bounds, then lines like [3,17]=-5).

#include <cstddef>
#include <optional>
#include <vector>

#include "DOV_intmatrix_sparse.h"
#include "DOV_matrix.h"

class TStream;
class TTextFile;
class TVector;
class TIntVector;

class TIntMatrix : public TComponent {
public:
  struct TSparseStore {};
  explicit TIntMatrix(TComponent* AOwner);  // dense 1 x 1 holding 0
  // A sparse matrix of no size; the store grows in steps of AllocBy (at least 1).
  TIntMatrix(TComponent* AOwner, TSparseStore, Integer AllocBy);
  static TIntMatrix* CreateSparse(TComponent* AOwner, Integer AllocBy) {
    return new TIntMatrix(AOwner, TSparseStore{}, AllocBy);
  }
  ~TIntMatrix() override;
  String ClassName() const override { return "TIntMatrix"; }

  // ---- size and elements -----------------------------------------------------------------
  Integer NrOfColumns() const { return FNCol; }
  Integer NrOfRows() const { return FNRow; }
  void SetNCols(Integer Count);
  void SetNRows(Integer Count);
  // Dense: false (nothing happens) for the present size; else values inside both extents stay,
  // new ones are 0, OnChange, true. Sparse: sets the sizes, drops entries beyond them, false.
  bool Resize(Integer Nc, Integer Nr);
  bool ResizeAndClear(Integer Nc, Integer Nr);
  Integer GetVal(Integer Nc, Integer Nr) const;
  void SetVal(Integer Nc, Integer Nr, Integer Value);
  Integer Elem(Integer Nc, Integer Nr) const { return GetVal(Nc, Nr); }
  bool IsSparse() const { return FSparse.has_value(); }

  const String& DataID() const { return FDataID; }
  void SetDataID(const String& Value) { FDataID = Value; }
  TNotifyEvent OnChange;
  TOnPercentDoneEvent OnPercentDone;
  TSortExchgEvent OnSortExchange;
  void Changed();
  void SortExchange(Byte ExchgWhat, Integer index1, Integer index2, Integer first, Integer last);
  void PercDone(TObject* Sender, Integer Percent);

  void MakeValidColRange(Integer& Low, Integer& High) const;
  void MakeValidRowRange(Integer& Low, Integer& High) const;

  // ---- whole matrix ----------------------------------------------------------------------
  void Fill(Integer Value);
  void FillDiag(Integer Value);
  bool Transpose();
  // Between matrices of different modes nothing happens.
  void Clone(const TIntMatrix* MatSource);
  void CopyFrom(const TIntMatrix* MatSource, Integer SourceColLo, Integer SourceRowLo,
                Integer SourceColHi, Integer SourceRowHi, Integer DestCol, Integer DestRow);
  void CopyToArray(TInt2DArray& DestArray, Integer LowCol, Integer HighCol, Integer LowRow,
                   Integer HighRow) const;
  void CopyFromArray(const TInt2DArray& SrcArray, Integer Col, Integer Row);
  void CopyRowToVec(TIntVector* DestVec, Integer Row, Integer FirstCol, Integer LastCol) const;
  void CopyColToVec(TIntVector* DestVec, Integer Col, Integer FirstRow, Integer LastRow) const;
  String CRCofData() const;  // four lanes, 32 hexadecimal digits; "" when sparse

  // ---- counting, searching, statistics ---------------------------------------------------
  Integer CountValues(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                      Integer RangeLow, Integer RangeHigh) const;
  Integer CountMaskedZeros(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                           Cardinal Bitmask) const;
  Integer Dichotomize(Integer Threshold, TBool2DArray& ResultArray) const;
  void MeanVec(TDims Dim, TVector* Means) const;
  Integer Sum(Integer LoC, Integer LoR, Integer HiC, Integer HiR) const;
  Integer Trace() const;
  // Start values 2147483647 and -2147483647.
  void MinMax(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, Integer& Minimum,
              Integer& Maximum) const;
  void Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer Value,
            Integer& ColIx, Integer& RowIx) const;
  // 0 for a column outside the matrix or a sparse matrix.
  Integer FindInSortedColumn(Integer Col, bool ColIsAscending, Integer Value) const;
  void MeanVar(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, double& Mean,
               double& Variance) const;
  void SkewKurt(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, double& Skewness,
                double& Kurtosis) const;
  void SkewKurtSample(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                      double& Skewness, double& Kurtosis) const;
  double GeometricMean(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  double HarmonicMean(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  bool Quartiles(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, double& Q1,
                 double& Q2, double& Q3) const;
  double Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                    Integer HighRow) const;
  double Percentile(double prob, Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                    Integer SampleSize) const;

  // ---- arithmetic, products, rearrangement -----------------------------------------------
  bool Add(const TIntMatrix* MatB);
  bool Subtract(const TIntMatrix* MatB);
  void SMult(Integer Scalar);
  void SAdd(Integer Scalar);
  bool Multiply(const TIntMatrix* MatB, TIntMatrix* MatRes);
  bool MultiplyTransposed(const TIntMatrix* MatB, TIntMatrix* MatRes);
  bool TransposeAndMultiply(const TIntMatrix* MatB, TIntMatrix* MatRes);
  bool EMult(const TIntMatrix* MatB, TIntMatrix* MatRes);
  bool Multiply(const TIntVector* VecB, TIntVector* VecRes);
  bool TransposeAndMultiply(const TIntVector* VecB, TIntVector* VecRes);
  void SortRows(Integer SortColIx, bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                Integer HighRow);
  void SortCols(Integer SortRowIx, bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                Integer HighRow);
  void MirrorColumns();
  void MirrorRows();
  // Indexes outside the matrix change nothing.
  void ExchangeColumns(Integer c1, Integer c2);
  void ExchangeRows(Integer r1, Integer r2);
  void EdgeVector(TOrientation Orient, TEdgeOp EdgeOp, TVector* DestVec) const;

  // ---- sparse mode -----------------------------------------------------------------------
  // A dense matrix reports no entries, no capacity and bounds 0, and the step of the sparse
  // store it last came from (1 if none).
  Integer NumAllocated() const;
  Integer AllocBy() const;
  Integer SparseNumElem() const;
  Integer SparseLowCol() const;
  Integer SparseHighCol() const;
  Integer SparseLowRow() const;
  Integer SparseHighRow() const;
  // The stored entries in ascending (column, row) order; none for a dense matrix.
  const std::vector<TSpMatElemInt>& SparseEntries() const;
  void SparseToArray();
  void ArrayToSparse(Integer AllocBy);
  // Dense matrix: the notice line and false. A failed write gives false.
  bool StoreSparseMat(const String& FileName) const;
  bool LoadSparseMat(const String& FileName);

  // ---- files (DOV_intmatrix_files.cpp) ---------------------------------------------------
  bool StoreOnFile(Integer LoC, Integer LoR, Integer HiC, Integer HiR,
                   const String& FileName) const;
  bool LoadFromFile(const String& FileName, bool AdjustMatrixSize);
  void SaveToStream(TMemoryStream*& OutStream, Integer LoC, Integer LoR, Integer HiC,
                    Integer HiR) const;
  void SaveToStream(TFileStream* OutStream, Integer LoC, Integer LoR, Integer HiC,
                    Integer HiR) const;
  bool LoadFromStream(TStream* InStream, bool AdjustMatrixSize);
  void SaveBinary(const String& FName);
  void LoadBinary(const String& FName);
  bool ReadBinaryHeader(const String& FName, Integer& NrColumns, Integer& NrRows,
                        String& DataID) const;
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID);
  void WriteToOpenXMLFile(TTextFile& TextFile, bool CreateHeader, const String& DataID);
  void SaveAsXMLFile(const String& FName, const String& DataID);
  bool ReadFromXMLStream(TStream& InStream, const String& DataID);
  bool ReadFromOpenXMLFile(TTextFile& TextFile, const String& DataID);
  bool LoadFromXMLFile(const String& FName, const String& DataID);
  Integer ProcessXmlTag(Integer xmlTag, const String& Attribs, const String& Contents);
  bool FirstCell = false;

private:
  std::size_t Index(Integer c, Integer r) const {
    return static_cast<std::size_t>(c - 1) * FAllocRows + static_cast<std::size_t>(r - 1);
  }
  Integer* ColumnPtr(Integer c) {
    return FMat.data() + static_cast<std::size_t>(c - 1) * FAllocRows;
  }
  const Integer* ColumnPtr(Integer c) const {
    return FMat.data() + static_cast<std::size_t>(c - 1) * FAllocRows;
  }
  [[noreturn]] void RaiseNoMemory() const;
  dov_matrix::TColumnBlock<Integer> Block();
  bool ValidWindow(Integer& LowCol, Integer& LowRow, Integer& HighCol, Integer& HighRow) const;
  std::vector<double> WindowValues(Integer lc, Integer lr, Integer hc, Integer hr) const;
  // Runs a store operation, turning a memory failure into the matrix's error.
  template <class Fn>
  auto OnStore(Fn fn) const -> decltype(fn());
  friend struct dov_matrix::TMatrixAccess;
  String XmlDocument(bool CreateHeader, const String& DataID) const;
  void StartXmlDocument(const String& ID);
  template <class Fn>
  void ForWindow(Integer lc, Integer lr, Integer hc, Integer hr, Fn fn) const;

  Integer FNCol = 0;
  Integer FNRow = 0;
  String FDataID;
  // Held in place rather than behind a pointer: element lookups are the store's hot path.
  std::optional<TIntSparseStore> FSparse;  // the entries while sparse
  Integer FDenseAllocBy = 1;               // AllocBy() while dense
  std::vector<Integer> FMat;               // dense values, column by column; empty if sparse
  std::size_t FAllocRows = 1;
  Integer FXmlSize[2] = {0, 0};  // the size the document announces, taken at its first cell
};
