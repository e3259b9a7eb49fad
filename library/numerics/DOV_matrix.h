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
  String XmlDocument(bool CreateHeader, const String& DataID) const;
  Integer FXmlNumCols = 0;  // the size the document announces, taken at its first cell
  Integer FXmlNumRows = 0;
};
