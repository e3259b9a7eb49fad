#pragma once
// TMat4D: doubles addressed by column, row, layer and time slot (1-based); every size is at
// least 1. The values live in one block with the column varying fastest, then the row, the
// layer and the time slot, the order of the block file, so a time slot or a layer is one
// contiguous run. Reads outside give 0, writes outside are ignored; single writes and the
// copies into layers, pixels and time slots fire no OnChange.
//
// Block file (4096-byte records): block 0 holds columns, rows, layers, time slots (32-bit
// little-endian), a length byte and 255 bytes of identification; then the values, 512 to a
// block, time slots outermost and columns innermost; the last block is written whole.
//
// The layer reductions compute one result column per work item on a pool of worker threads
// (DOV_workpool.h); each cell is one sequential sum, so any number of threads gives the same
// bits. Only one reduction runs at a time in the process; the result matrix's OnChange runs
// on the worker threads (a handler there must be thread-safe).

#include <cstddef>
#include <functional>
#include <vector>

#include "DOV_matrix.h"

class TMat3D;
class TTextFile;

using TOnReadMat4DElementEvent = std::function<void(TObject* Sender, Integer ix, Integer iy,
                                                    Integer il, Integer it, double Value)>;

class TMat4D : public TComponent {
public:
  explicit TMat4D(TComponent* AOwner);
  ~TMat4D() override;
  String ClassName() const override { return "TMat4D"; }

  Integer NrOfColumns() const { return FNumX; }
  Integer NrOfRows() const { return FNumY; }
  Integer NrOfLayers() const { return FNumZ; }
  Integer NrOfTimeSlots() const { return FNumT; }
  void SetNCols(Integer Count);  // below 1 counts as 1
  void SetNRows(Integer Count);
  void SetNLayers(Integer Count);
  void SetNTSlots(Integer Count);
  // Sizes below 1 or the present sizes: nothing. Otherwise values inside both extents stay,
  // new ones are 0, OnChange. Always true; ESDLMatrixError when out of memory (unchanged).
  bool Resize(Integer Nc, Integer Nr, Integer Nl, Integer Nt);
  bool ResizeAndClear(Integer Nc, Integer Nr, Integer Nl, Integer Nt);

  double GetVal(Integer Nx, Integer Ny, Integer Nz, Integer Nt) const {
    if (!Inside(Nx, Ny, Nz, Nt)) return 0.0;
    return FData[Index(Nx, Ny, Nz, Nt)];
  }
  void SetVal(Integer Nx, Integer Ny, Integer Nz, Integer Nt, double Value) {
    if (Inside(Nx, Ny, Nz, Nt)) FData[Index(Nx, Ny, Nz, Nt)] = Value;
  }
  double Elem(Integer Nx, Integer Ny, Integer Nz, Integer Nt) const {
    return GetVal(Nx, Ny, Nz, Nt);
  }

  const String& DataID() const { return FDataID; }
  void SetDataID(const String& Value) { FDataID = Value; }
  TNotifyEvent OnChange;
  TOnPercentDoneEvent OnPercentDone;
  TOnReadMat4DElementEvent OnReadElement;
  void Changed();
  void PercDone(TObject* Sender, Integer Percent);
  void ReadElement(TObject* Sender, Integer ix, Integer iy, Integer il, Integer it, double Value);

  void MakeValidColRange(Integer& Low, Integer& High) const;
  void MakeValidRowRange(Integer& Low, Integer& High) const;
  void MakeValidLayerRange(Integer& Low, Integer& High) const;
  void MakeValidTSlotRange(Integer& Low, Integer& High) const;

  void Fill(double Value);
  void FillDiag(double Value);
  void FillLayer(Integer Layer, double Value);  // every time slot; no event
  void FillRandomUniform(double RangeLow, double RangeHigh);
  void FillRandomGauss(double Mean, double StdDev);

  // Address of a cell in one time slot, layer fastest, then column, then row: -1 outside,
  // -2 when a time slot has more cells than a 32-bit integer counts.
  Integer Lin3DAddr(Integer ix, Integer iy, Integer il) const;
  bool ConvertLinTo3DAddr(Integer LinAddr, Integer& ix, Integer& iy, Integer& il) const;
  double MemoryConsumed() const;  // MiB of values

  // From a TMat4D: sizes, DataID, values and the three handlers; no event.
  void Assign(TPersistent* Source) override;
  void Clone(const TMat4D* MatSource);
  // The source window by the range rule against the source; OnChange once.
  void CopyFrom(const TMat4D* MatSource, Integer SrcLowCol, Integer SrcHighCol, Integer SrcLowRow,
                Integer SrcHighRow, Integer SrcLowLayer, Integer SrcHighLayer, Integer SrcLowTSlot,
                Integer SrcHighTSlot, Integer DestCol, Integer DestRow, Integer DestLayer,
                Integer DestTSlot);

  // Copies out: ESDLMatrixError "specified layer beyond data range" / "specified time slot
  // beyond data range" (layer first) before anything moves.
  void CopyLayerToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                         Integer HighRow, Integer Layer, Integer TimeSlot) const;
  void CopyLayerToArray(TDouble2DArray& DestArray, Integer LowCol, Integer HighCol, Integer LowRow,
                        Integer HighRow, Integer Layer, Integer TimeSlot) const;
  void CopyTimeSlotToMat3D(TMat3D* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                           Integer HighRow, Integer LowLay, Integer HighLay,
                           Integer TimeSlot) const;
  void CopyTimeSlotToArray(TDouble3DArray& DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                           Integer HighRow, Integer LowLay, Integer HighLay,
                           Integer TimeSlot) const;
  // Copies in (no event); positions outside this matrix or the source array are skipped.
  void CopyArrayToLayer(const TDouble2DArray& SrcArray, Integer Col, Integer Row, Integer Layer,
                        Integer TimeSlot);
  void Copy1DArrayToPixel(const TDoubleArray& Src, Integer Col, Integer Row, Integer FirstLayer,
                          Integer TimeSlot);
  void CopyMatrixToLayer(const TMatrix* SrcMat, Integer SrcLowCol, Integer SrcHighCol,
                         Integer SrcLowRow, Integer SrcHighRow, Integer Layer, Integer TimeSlot,
                         Integer LayLowCol, Integer LayLowRow);
  void CopyMat3DToTimeSlot(const TMat3D* SrcMat, Integer SrcLowCol, Integer SrcHighCol,
                           Integer SrcLowRow, Integer SrcHighRow, Integer SrcLowLay,
                           Integer SrcHighLay, Integer TimeSlot, Integer DestCol, Integer DestRow,
                           Integer DestLayer);
  void CopyArrayToTimeSlot(const TDouble3DArray& SrcMat, Integer SrcLowCol, Integer SrcHighCol,
                           Integer SrcLowRow, Integer SrcHighRow, Integer SrcLowLay,
                           Integer SrcHighLay, Integer TimeSlot, Integer DestCol, Integer DestRow,
                           Integer DestLayer);

  // ---- XML (text files only) -------------------------------------------------------------
  void WriteToOpenXMLFile(TTextFile& TextFile, bool CreateHeader, const String& DataID);
  // Writes beside the file and renames over it; EInOutError when that fails.
  void SaveAsXMLFile(const String& FName, const String& DataID);
  bool ReadFromOpenXMLFile(TTextFile& TextFile, const String& DataID);
  bool LoadFromXMLFile(const String& FName, const String& DataID);
  Integer ProcessXmlTag(Integer xmlTag, const String& Attribs, const String& Contents);
  bool FirstCell = false;

  // ---- block file and layer reductions (DOV_matrix4d_files.cpp) ---------------------------
  // Time slots (0, 0) or any bound <= 0: all; a start beyond the slots available raises
  // "specified time slot beyond data range".
  void SaveBinary(const String& FName, Integer TSlotStart, Integer TSlotEnd);
  // Every failure after the header: ESDLMatrixError "cannot resize, memory low"; a header
  // whose sizes the file cannot hold is such a failure too.
  void LoadBinary(const String& FName, Integer TSlotStart, Integer TSlotEnd);
  // OnReadElement for every value of the time slots (it counted from 1 at the first).
  void ReadBinary(const String& FName, Integer TSlotStart, Integer TSlotEnd);
  // Into the same layer and time slot of this matrix, which must hold the file's columns,
  // rows and that time slot (else "specified time slot beyond data range" or the column or
  // row reason).
  void ReadLayer(const String& FName, Integer Layer, Integer TSlot);
  void ReadLayer(const String& FName, Integer Layer, Integer TSlot, TDouble2DArray& Data);
  bool ReadBinaryHeader(const String& FName, Integer& NrColumns, Integer& NrRows, Integer& NrLayers,
                        Integer& NrTimeSlots, String& DataID);
  // "X,Y,Z of matrices do not match" when the file's sizes differ (file unchanged).
  void AppendToBinaryFile(const String& FName, Integer TSlotStart, Integer TSlotEnd);

  // DestMat (window columns x window rows) := per (column, row) the mean, maximum, minimum or
  // population standard deviation over the window's layers x time slots. NThreads < 1:
  // nothing is computed (DestMat all 0); default: the processor count.
#define KESTAL_MAT4D_REDUCTION(Name)                                                            \
  void Name(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, \
            Integer LowLayer, Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot,     \
            Integer NThreads);                                                                  \
  void Name(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, \
            Integer LowLayer, Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot);
  KESTAL_MAT4D_REDUCTION(MeanOfLayersToMatrix)
  KESTAL_MAT4D_REDUCTION(MaximumOfLayersToMatrix)
  KESTAL_MAT4D_REDUCTION(MinimumOfLayersToMatrix)
  KESTAL_MAT4D_REDUCTION(StdDevOfLayersToMatrix)
#undef KESTAL_MAT4D_REDUCTION

  // ---- reshaping and statistics (DOV_matrix4d_stats.cpp) ---------------------------------
  // Windows: LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot,
  // each pair by the range rule.
  void Cut(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
           Integer HighLayer, Integer LowTimeslot, Integer HighTimeslot);
  // Divisors below 1 count as 1, negative offsets as 0.
  void Resample(Integer XDiv, Integer XOffset, Integer YDiv, Integer YOffset, Integer ZDiv,
                Integer ZOffset, Integer TDiv, Integer TOffset, bool Average);
  // False when AbortMathProc stopped it: the sizes are exchanged all the same and the values
  // are those of the original read in the exchanged order where the copy got, 0 elsewhere.
  bool Transpose();
  void MirrorColumns();
  void MirrorRows();
  void MirrorLayers();
  void MirrorTimeSlots();
  Integer CountValues(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                      Integer LowLayer, Integer HighLayer, Integer LowTimeslot,
                      Integer HighTimeslot, double RangeLow, double RangeHigh) const;
  void Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
            Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot, double Value,
            Integer& ColIx, Integer& RowIx, Integer& LayerIx, Integer& TimeSlotIx) const;
  void MinMax(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
              Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot, double& Minimum,
              double& Maximum) const;
  void MeanVar(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
               Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot, double& Mean,
               double& Variance) const;
  double Sum(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
             Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot) const;
  double SquaredSum(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                    Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                    Integer HighTimeSlot) const;
  // As TMatrix::Percentile (the rank rule of DOV_math1.h): NaN for a window holding NaN.
  double Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                    Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                    Integer HighTimeSlot) const;
  double Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                    Integer LowLayer, Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot,
                    Integer SampleSize) const;
  String CRCofData() const;
  String CRCofData(Integer Sample) const;

protected:
  void AssignTo(TPersistent* Dest) override;

private:
  friend struct dov_matrix::TMatrixAccess;
  String XmlDocument(bool CreateHeader, const String& DataID) const;
  void StartXmlDocument(const String& ID);
  bool Inside(Integer x, Integer y, Integer z, Integer t) const {
    return x >= 1 && x <= FNumX && y >= 1 && y <= FNumY && z >= 1 && z <= FNumZ && t >= 1 &&
           t <= FNumT;
  }
  std::size_t Index(Integer x, Integer y, Integer z, Integer t) const {
    return ((static_cast<std::size_t>(t - 1) * FNumZ + static_cast<std::size_t>(z - 1)) * FNumY +
            static_cast<std::size_t>(y - 1)) *
               FNumX +
           static_cast<std::size_t>(x - 1);
  }
  std::size_t TimeSlotSize() const {
    return static_cast<std::size_t>(FNumX) * FNumY * static_cast<std::size_t>(FNumZ);
  }
  [[noreturn]] void Raise(const char* Reason) const;
  void CheckLayer(Integer Layer) const;
  void CheckTimeSlot(Integer TimeSlot) const;
  std::vector<double> NewStorage(Integer Nc, Integer Nr, Integer Nl, Integer Nt) const;
  // The window's values in visiting order (column, row, layer, time slot innermost).
  std::vector<double> WindowValues(const Integer* w) const;
  void PercentStep(Int64 count, Int64 total, Int64 step);
  void MirrorAxis(int Axis);
  template <class Reduce>
  void Reduction(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                 Integer LowLayer, Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot,
                 Integer NThreads, Reduce reduce);

  Integer FNumX = 1;
  Integer FNumY = 1;
  Integer FNumZ = 1;
  Integer FNumT = 1;
  String FDataID;
  std::vector<double> FData;
  Integer FXmlSize[4] = {1, 1, 1, 1};
};

// Free routines on 0-based arrays (Arr3D[x][y][layer], Arr2D[x][y]); source positions that
// the arrays lack read as 0.
void CopyArr3DLayerToMatrix(const TDouble3DArray& Arr3D, TMatrix* Mat, Integer LowX, Integer HighX,
                            Integer LowY, Integer HighY, Integer Layer);
void CopyArr3DLayerToArr2D(const TDouble3DArray& Arr3D, TDouble2DArray& Arr2D, Integer LowX,
                           Integer HighX, Integer LowY, Integer HighY, Integer Layer);
void CopyMatrixToArray(const TMatrix* Mat, TDouble2DArray& Arr2D, Integer LowCol, Integer HighCol,
                       Integer LowRow, Integer HighRow);
