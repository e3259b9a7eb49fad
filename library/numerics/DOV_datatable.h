#pragma once
// TDataTable: the library's table of measured data. Every cell holds a double (kept in the
// public matrix NumericData) and a state byte; every column and row has a name and an integer
// attribute; every column has a measurement scale and up to 150 nominal identifiers.
// The program fills its catalogue table DB_Base with ImportFromCSV and reads the numbers
// back through NumericData.
//
// Indexes are 1-based, column first. Accessors ignore (setters) or answer 0, empty or false
// (getters) for an index outside the table.

#include <array>
#include <functional>
#include <string_view>
#include <vector>

#include "DOV_matrix.h"
#include "DOV_vector.h"
#include "DOV_sdlbase.h"
#include "System.h"

// Measurement scale of a column. Only interval and ratio columns count as numeric for the
// statistics; only nominal and ordinal columns own identifiers.
enum TMScaleType : Byte { stUnknown, stNominal, stOrdinal, stInterval, stRatio };
inline constexpr const char* MScaleTypeNames[5] = {"Unknown", "Nominal", "Ordinal", "Interval",
                                                   "Ratio"};

// Names are short strings of at most 50 bytes, nominal identifiers of at most 10; longer
// texts are cut when stored.
using TDTNameStr = String;
using TNominalIDStr = String;
inline constexpr int MaxDTNameLength = 50;
inline constexpr int MaxNominalIDLength = 10;
inline constexpr int MaxNominalIDs = 150;

// The identifier slots of one column: IDs[k - 1] is the identifier of ordinal k (k up to
// MaxNominalIDs), and a slot is free while it is empty. Only the slots up to the highest one
// written take memory, so the columns of a wide table that hold numbers cost next to nothing.
class TNominalIDSlots {
public:
  const TNominalIDStr& operator[](std::size_t i) const {
    return i < FIDs.size() ? FIDs[i] : FreeSlot();
  }
  // Writes slot i; an empty ID frees it and takes no memory for a slot beyond those held.
  void Set(std::size_t i, const TNominalIDStr& ID) {
    if (i >= FIDs.size()) {
      if (ID.empty()) return;
      FIDs.resize(i + 1);
    }
    FIDs[i] = ID;
  }
  // Frees every slot and the memory they took.
  void Clear() { std::vector<TNominalIDStr>().swap(FIDs); }

private:
  static const TNominalIDStr& FreeSlot() {
    static const TNominalIDStr none;
    return none;
  }
  std::vector<TNominalIDStr> FIDs;
};

// Scale type and identifiers of one column.
struct TVTypeSpec {
  TMScaleType MScaleType = stInterval;
  TNominalIDSlots IDs;
};

// Cell state bits.
inline constexpr Byte csNoNumber = 0x01;  // no valid number ("NAN")
inline constexpr Byte csEmpty = 0x02;
inline constexpr Byte csImputed = 0x20;
inline constexpr Byte csMarkA = 0x40;
inline constexpr Byte csMarkB = 0x80;

using TDataTableResizeEvent = std::function<void(
    TObject* Sender, Integer OldColumns, Integer OldRows, Integer NewColumns, Integer NewRows)>;

class TClipboard;
class TTextFile;

class TDataTable : public TComponent {
public:
  explicit TDataTable(TComponent* AOwner);
  ~TDataTable() override;
  String ClassName() const override { return "TDataTable"; }

  // The values: column c, row r at NumericData element (c, r).
  TMatrix* NumericData = nullptr;

  // ---- size ------------------------------------------------------------------------------
  Integer NrOfColumns() const { return FNrOfCols; }
  Integer NrOfRows() const { return FNrOfRows; }
  void SetNrCols(Integer Nc);
  void SetNrRows(Integer Nr);
  // A size whose arrays would exceed the memory the process can have raises
  // ESDLDataTableError ("not enough memory on heap") before anything is allocated.
  void Resize(Integer NrCols, Integer NrRows);
  // Whether a table of that size fits in the memory the process can have (values, cell
  // states, names, attributes and scale types together).
  static bool SizeFitsInMemory(Integer NrCols, Integer NrRows);
  void Clear();
  // Makes an external matrix the table's values; the table never releases it.
  void AssignAnotherDataMatrix(TMatrix* NewDMat);
  void MakeValidColRange(Integer& Low, Integer& High) const;
  void MakeValidRowRange(Integer& Low, Integer& High) const;

  // ---- cells -----------------------------------------------------------------------------
  double GetElem(Integer ACol, Integer ARow) const;
  void SetElem(Integer ACol, Integer ARow, double Value);
  double Elem(Integer ACol, Integer ARow) const { return GetElem(ACol, ARow); }
  TNominalIDStr GetElemNominal(Integer ACol, Integer ARow) const;
  void SetElemNominal(Integer ACol, Integer ARow, const TNominalIDStr& Value);
  TNominalIDStr ElemNominal(Integer ACol, Integer ARow) const { return GetElemNominal(ACol, ARow); }
  Byte GetCellState(Integer ACol, Integer ARow) const;
  void SetCellState(Integer ACol, Integer ARow, Byte Value);
  Byte CellState(Integer ACol, Integer ARow) const { return GetCellState(ACol, ARow); }
  bool GetIsNumber(Integer ACol, Integer ARow) const;
  bool IsNumber(Integer ACol, Integer ARow) const { return GetIsNumber(ACol, ARow); }
  bool GetIsEmpty(Integer ACol, Integer ARow) const;
  void SetIsEmpty(Integer ACol, Integer ARow, bool Value);
  bool IsEmpty(Integer ACol, Integer ARow) const { return GetIsEmpty(ACol, ARow); }
  bool GetIsImputed(Integer ACol, Integer ARow) const;
  void SetIsImputed(Integer ACol, Integer ARow, bool Value);
  bool IsImputed(Integer ACol, Integer ARow) const { return GetIsImputed(ACol, ARow); }

  // ---- names, attributes, scales, identifiers, comment -----------------------------------
  TDTNameStr GetColName(Integer ColNr) const;
  void SetColName(Integer ColNr, const TDTNameStr& HLine);
  TDTNameStr ColName(Integer ColNr) const { return GetColName(ColNr); }
  TDTNameStr GetRowName(Integer RowNr) const;
  void SetRowName(Integer RowNr, const TDTNameStr& HLine);
  TDTNameStr RowName(Integer RowNr) const { return GetRowName(RowNr); }
  Integer MaxColNameLength() const;
  Integer MaxRowNameLength() const;
  Integer FindColIndex(const TDTNameStr& ColID) const;
  Integer FindRowIndex(const TDTNameStr& RowID) const;

  Integer GetRowAttrib(Integer RowNr) const;
  void SetRowAttrib(Integer RowNr, Integer Attrib);
  Integer RowAttrib(Integer RowNr) const { return GetRowAttrib(RowNr); }
  Integer GetColAttrib(Integer ColNr) const;
  void SetColAttrib(Integer ColNr, Integer Attrib);
  Integer ColAttrib(Integer ColNr) const { return GetColAttrib(ColNr); }
  void SetRowAttributes(Integer Attrib);
  void SetRowAttributes(Integer Attrib, Cardinal Mask);
  void SetColAttributes(Integer Attrib);
  void SetColAttributes(Integer Attrib, Cardinal Mask);

  TMScaleType GetMScaleType(Integer ColNr) const;
  void SetMScaleType(Integer ColNr, TMScaleType MScaleType);
  TMScaleType MScaleType(Integer ColNr) const { return GetMScaleType(ColNr); }
  Integer OrdinalOfNominalID(Integer Col, const TNominalIDStr& ID, bool IgnoreCase) const;
  // The ordinal of the identifier in the column, stored in the first free slot when new
  // (the column becomes nominal). 0 for a column outside the table, and for a new identifier
  // when all 150 slots are taken (nothing is stored then).
  Integer AddNominalID(Integer Col, const TNominalIDStr& MScaleID);
  void ClearNominalIDs(Integer Col);
  TNominalIDStr GetNominalID(Integer ColIx, Integer OrdVal) const;
  void SetNominalID(Integer ColIx, Integer OrdVal, const TNominalIDStr& MScaleID);
  TNominalIDStr NominalID(Integer ColIx, Integer OrdVal) const {
    return GetNominalID(ColIx, OrdVal);
  }
  TIntArray ListOfCategorialVars() const;
  TMScaleType FindHighestMLevel(Integer FirstCol, Integer LastCol) const;
  TMScaleType FindLowestMLevel(Integer FirstCol, Integer LastCol) const;

  const String& Comment() const { return FComment; }
  void SetFComment(const String& Text);

  // ---- events ----------------------------------------------------------------------------
  TNotifyEvent OnChange;              // values changed
  TNotifyEvent OnChangeSetup;         // scale types, identifiers, comment or structure changed
  TNotifyEvent OnChangeNames;         // column or row names changed
  TNotifyEvent OnChangeCellState;     // cell states changed
  TNotifyEvent OnChangeAttrib;        // attributes changed
  TOnPercentDoneEvent OnPercentDone;  // progress of the CSV import and export
  TDataTableResizeEvent OnResize;
  TSortExchgEvent OnSortExchange;

  void ChangedData();
  void ChangedSetup();
  void ChangedNames();
  void ChangedAttrib();
  void ChangedCellStates();
  void DataHasChanged(TObject* Sender);
  void PercDone(TObject* Sender, Integer Percent);
  // Bound to the OnSortExchange of NumericData: cell states (and, while a sort that moves
  // the headers runs, names, attributes and scale entries) follow the exchanged values.
  void ExchangeDuringSort(TObject* Sender, Byte ExchgWhat, Integer index1, Integer index2,
                          Integer first, Integer last);

  // ---- bulk cell-state operations --------------------------------------------------------
  void SetAllCellStates(Byte State);
  void UnmarkAllCells();
  void InvertCellStates(Byte StateMask);
  void ExchangeMarkings();
  bool IfRowHasCellState(Integer Row, Byte State) const;
  bool IfColHasCellState(Integer Col, Byte State) const;
  Integer CountMarkedCellsInRow(Integer Row, Byte StateMask) const;
  Integer CountMarkedCellsInColumn(Integer Col, Byte StateMask) const;
  Integer FillMarkedCells(double Value, Byte StateMask);

  // ---- fingerprints ----------------------------------------------------------------------
  String CRCofNamesAndAttributes() const;
  String CRCofCellStates() const;

  // ---- CSV -------------------------------------------------------------------------------
  // Reads a delimited text file into the table (csvUnknown: detect the delimiter). 0, or -1
  // when a text field could not be stored as a nominal identifier of its column.
  Integer ImportFromCSV(const String& FName, TCSVDelimiters Delimiter, bool IncludeColHeaders,
                        bool IncludeRowHeaders);
  // The same from the bytes of a file the caller has read already (all of them, byte-order
  // mark included): the table ends as ImportFromCSV of that file leaves it.
  Integer ImportFromCSVBytes(std::string_view Bytes, TCSVDelimiters Delimiter,
                             bool IncludeColHeaders, bool IncludeRowHeaders);
  // Writes the table; the result is empty, or the message of the failure to create the file.
  String ExportAsCSV(const String& FName, Integer Precision, TCSVDelimiters Delimiter,
                     bool IncludeColHeaders, bool IncludeRowHeaders,
                     bool IncludeRowAttributes = false, bool IncludeComment = false);

  // ---- window descriptions ---------------------------------------------------------------
  bool SetDescribedProperty(const String& Prop, const TPropValue& Value) override;
  bool SetDescribedEvent(const String& Event, const String& Handler, TComponent* Root) override;

private:
  void BindData();
  void UnbindData(TMatrix* Mat);
  struct TArrays;
  struct TCSVText;
  // The import's reading of the file's bytes, with OnChange and OnChangeSetup held.
  Integer ReadCSVText(const TCSVText& Text, TCSVDelimiters Delimiter, bool IncludeColHeaders,
                      bool IncludeRowHeaders);
  void PrepareArrays(Integer Nc, Integer Nr, TArrays& A) const;
  void CommitArrays(TArrays& A) noexcept;
  void ResizeColumns(Integer NrCols);
  void ResizeValues(Integer NrCols, Integer NrRows);
  [[noreturn]] void RaiseNoMemory() const;
  bool InsideCol(Integer c) const { return c >= 1 && c <= FNrOfCols; }
  bool InsideRow(Integer r) const { return r >= 1 && r <= FNrOfRows; }
  bool InsideCell(Integer c, Integer r) const { return InsideCol(c) && InsideRow(r); }
  static bool IsCategorial(TMScaleType t) { return t == stNominal || t == stOrdinal; }

  String FComment;
  std::vector<Integer> FRowAtt;
  std::vector<Integer> FColAtt;
  std::vector<TVTypeSpec> FVType;
  std::vector<std::vector<Byte>> FCState;  // [column][row]
  std::vector<TDTNameStr> FColName;
  std::vector<TDTNameStr> FRowName;
  Integer FNrOfCols = 0;
  Integer FNrOfRows = 0;
  bool FSortIncludeHd = false;
  bool FExtMatAssigned = false;

  // ==== formats, statistics and editing (DOV_datatable_xml/_asc/_stats/_edit.cpp) ==========
public:
  // ---- XML document ----------------------------------------------------------------------
  // The root line <datatable sig="ZUDUZidad" vers="1.0" id="DataID"> comes before the comment
  // line; cells hold strff(value, 12, Precision) and a state attribute when the state is not
  // 0. Writing replaces line feeds in the comment by blanks (in the table too). Readers find
  // the document with that id (empty: the first; no match: false, nothing changes) and return
  // true when </datatable> ends it; items outside the table are dropped; a non-integer where
  // one is needed raises EConvertError (LoadFromXMLFile: false), OnChange bound again first.
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, Integer Precision,
                        const String& DataID);
  void WriteToOpenXMLFile(TTextFile& TextFile, bool CreateHeader, Integer Precision,
                          const String& DataID);
  void SaveAsXMLFile(const String& FName, Integer Precision, const String& DataID);
  bool ReadFromXMLStream(TStream& InStream, const String& DataID);
  // StartAt is 1-based and advances.
  bool ReadFromXMLString(const String& InString, Integer& StartAt, const String& DataID);
  bool ReadFromOpenXMLFile(TTextFile& TextFile, const String& DataID);
  bool LoadFromXMLFile(const String& FName, const String& DataID);
  // One tag in its enclosing context (0 document, a column number inside a vardef, or one of
  // the negative section contexts): 0 go on, 1 end, -1 stop.
  Integer ProcessXmlTag(Integer xmlTag, const String& Attribs, const String& Contents,
                        const String& Default, Integer Context);

  // ---- ASC text format -------------------------------------------------------------------
  // Writers: the result is empty, or the message of the failure: a number cell whose value is
  // not finite (nothing is written), or (file form) the file that cannot be created. Every
  // value is written so that ImportASC reads it back (TableFloatText).
  String ExportAsASC(const String& FName, Integer Precision);
  String ExportAsASC(TTextFile& TextFile, Integer Precision);
  String ExportAsASC(TStream& OutStream, Integer Precision);
  // Replace the table: 0 read; -1/-2/-3 header; -5 a row attribute, -6 a cell not readable
  // (file form: the table keeps the rows up to the failing one); -8 no such file.
  Integer ImportASC(const String& FName);
  Integer ImportASC(TStream& InStream);
  // From the clipboard's text (read as a stream); -7 when it holds no text.
  Integer ImportASC(TClipboard* ClipBd);
  // Merge a file's block with its first cell at (PosX, PosY); targets outside are dropped.
  // Statuses as ImportASC's; a header promising more columns (-1) or rows (-2) than the rest
  // of the input could hold changes nothing.
  Integer ReadFromASC(const String& FName, Integer PosX, Integer PosY, bool ReplaceIDs);
  Integer ReadFromASC(TStream& InStream, Integer PosX, Integer PosY, bool ReplaceIDs);
  Integer ReadFromASC(TClipboard* ClipBd, Integer PosX, Integer PosY, bool ReplaceIDs);

  // ---- statistics over windows (LowCol, LowRow, HighCol, HighRow; range rule) -------------
  // Num cells: number cells of interval and ratio columns. Marked cells: number cells whose
  // state shares one of the bits $04..$80 with CellState. Valid cells: number cells.
  Integer CountNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  Integer CountValidCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  Integer CountEmptyCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  Integer CountImputedCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow) const;
  double SumOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                       Integer& NumData) const;
  double SumOfMarkedCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                          Byte CellState, Integer& NumData) const;
  // Variance 1 for fewer than three values; the count is returned.
  Integer MeanVarOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                            double& Mean, double& Variance) const;
  Integer MeanVarOfMarkedCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                               Byte CellState, double& Mean, double& Variance) const;
  // Start values +-1.7e38.
  Integer MinMaxOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                           double& Minimum, double& Maximum) const;
  Integer MinMaxOfMarkedCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                              Byte CellState, double& Minimum, double& Maximum) const;
  Integer MinMaxOfValidCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                             double& Minimum, double& Maximum) const;
  // 0 when no cell counts (nothing to average).
  double GeometricMeanOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                                 Integer& NumData) const;
  double HarmonicMeanOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                                Integer& NumData) const;
  // Interpolated at (n + 1) q; a position at or beyond n gives the largest value. True, also
  // without cells (quartiles 0), unless a value is NaN (quartiles NaN, false). The percentiles
  // follow the rule of DOV_math1.h (a percent that is NaN counts as 0; NaN with a NaN value).
  bool QuartilesOfNumCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                           double& Q1, double& Q2, double& Q3, Integer& NumData) const;
  double PercentileOfNumCells(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                              Integer HighRow, Integer& NumData) const;
  double PercentileOfMarkedCells(double prob, Integer LowCol, Integer LowRow, Integer HighCol,
                                 Integer HighRow, Byte CellState, Integer& NumData) const;
  Integer CopyCellsToVector(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                            Byte CellState, TVector* DestVect) const;
  // Modes 0 cross products, 1 covariance, 2 correlation, 3 its square, 4 squared distances;
  // an entry of fewer than two usable rows (modes 0, 1, 4) is 0.
  bool CalcCovar(TMatrix* CovarMat, Integer LoC, Integer HiC, Integer LoR, Integer HiR,
                 Integer Mode);
  void StandardizeNumCellColumns(TVector* Means, TVector* StdDevs);
  void StandardizeNumCellRows(TVector* Means, TVector* StdDevs);
  void MeanCenterNumCellColumns(TVector* Means);
  void MeanCenterNumCellRows(TVector* Means);
  Integer MaxRowAttrib(Integer FirstRow, Integer LastRow, Integer& Row) const;
  Integer MinRowAttrib(Integer FirstRow, Integer LastRow, Integer& Row) const;
  Integer MaxColAttrib(Integer FirstCol, Integer LastCol, Integer& Col) const;
  Integer MinColAttrib(Integer FirstCol, Integer LastCol, Integer& Col) const;
  // Distinct attribute values among 0..255; values outside that range are not counted.
  Integer RowAttribLevels() const;
  Integer ColAttribLevels() const;
  bool CheckDichotomousColumn(Integer col, double& v1, double& v2) const;
  bool IsConstantColumn(Integer ColIx) const;

  // ---- editing, copying, sorting ---------------------------------------------------------
  void InsertRow(Integer ix);
  void RemoveRow(Integer ix);
  void InsertColumn(Integer ix);
  void RemoveColumn(Integer ix);
  // Indexes outside the table change nothing.
  void ExchangeColumns(Integer c1, Integer c2);
  void ExchangeRows(Integer r1, Integer r2);
  void MirrorColumns();
  void MirrorRows();
  void CopyContentsFrom(TDataTable* ExtTab);
  bool CopyCellStatesFrom(const TDataTable* ExtTab);
  void CopyFrom(const TDataTable* ExtTab, Integer SourceColLo, Integer SourceRowLo,
                Integer SourceColHi, Integer SourceRowHi, Integer DestCol, Integer DestRow);
  void Serialize(bool ColHeadsAsVar, bool IncludeColRowNumbers);
  void SortRows(Integer SortColIx, bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                Integer HighRow, bool IncludeHeaders);
  void SortCols(Integer SortRowIx, bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                Integer HighRow, bool IncludeHeaders);
  void SortRowNames(bool Ascending, bool IgnoreCase, Integer LowCol, Integer LowRow,
                    Integer HighCol, Integer HighRow);
  void SortRowNames(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                    Integer HighRow);
  void SortColNames(bool Ascending, bool IgnoreCase, Integer LowCol, Integer LowRow,
                    Integer HighCol, Integer HighRow);
  void SortColNames(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                    Integer HighRow);
  void SortRowAttributes(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                         Integer HighRow);
  void SortColAttributes(bool Ascending, Integer LowCol, Integer LowRow, Integer HighCol,
                         Integer HighRow);

private:
  template <class ReadTag>
  bool ReadXmlDocument(ReadTag readTag, const std::function<Integer()>& Percent);
  template <class Source>
  Integer ImportASCFrom(Source& Src);
  template <class Source>
  Integer ReadFromASCFrom(Source& Src, Integer PosX, Integer PosY, bool ReplaceIDs);
  // The ASC text of the table; empty, with Failure naming the cell, when a number cell holds
  // a value that is not finite (no text of the file reads back as it).
  String ASCText(const String& DefaultComment, Integer Precision, bool Parentheses,
                 String& Failure) const;
  template <class Select>
  void ForCells(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow,
                Select select) const;
  void ExchangeRowItems(Integer r1, Integer r2, Integer LowCol, Integer HighCol);
  void ExchangeColItems(Integer c1, Integer c2, Integer LowRow, Integer HighRow);
  template <class Key>
  void CombSortRows(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, Key key,
                    bool Ascending);
  template <class Key>
  void CombSortCols(Integer LowCol, Integer LowRow, Integer HighCol, Integer HighRow, Key key,
                    bool Ascending);
  Byte FVNState = 0;  // TQuotedStrState of the ASC name reader
  String FVNName;
};

// Registers TMatrix and TDataTable with the window-description loader; the program calls it
// once at start-up.
void RegisterNumericsClasses();
