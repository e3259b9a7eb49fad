#pragma once
// TMat3D: a stack of equally sized matrices of doubles, columns x rows x layers. Indexes are
// 1-based (column, row, layer); every size is at least 1. Reads outside give 0, writes outside
// are ignored. The values live in one block with the layer varying fastest, then the row,
// then the column, which is the order every scan of this class visits them in.

#include <cstddef>
#include <vector>

#include "DOV_matrix.h"

class TStream;
class TTextFile;

class TMat3D : public TComponent {
public:
  explicit TMat3D(TComponent* AOwner);
  ~TMat3D() override;
  String ClassName() const override { return "TMat3D"; }

  Integer NrOfColumns() const { return FNumX; }
  Integer NrOfRows() const { return FNumY; }
  Integer NrOfLayers() const { return FNumZ; }
  void SetNCols(Integer Count);  // below 1 counts as 1
  void SetNRows(Integer Count);
  void SetNLayers(Integer Count);
  // A size of 0 or less, or the present sizes: nothing. Otherwise the values inside both
  // extents stay, new ones are 0, OnChange. Always true; ESDLMatrixError when out of memory.
  bool Resize(Integer Nc, Integer Nr, Integer Nl);
  bool ResizeAndClear(Integer Nc, Integer Nr, Integer Nl);

  double GetVal(Integer Nx, Integer Ny, Integer Nz) const {
    if (!Inside(Nx, Ny, Nz)) return 0.0;
    return FData[Index(Nx, Ny, Nz)];
  }
  // No event.
  void SetVal(Integer Nx, Integer Ny, Integer Nz, double Value) {
    if (Inside(Nx, Ny, Nz)) FData[Index(Nx, Ny, Nz)] = Value;
  }
  double Elem(Integer Nx, Integer Ny, Integer Nz) const { return GetVal(Nx, Ny, Nz); }

  const String& DataID() const { return FDataID; }
  void SetDataID(const String& Value) { FDataID = Value; }
  TNotifyEvent OnChange;
  void Changed();

  void Fill(double Value);  // no event
  void FillDiag(double Value);
  void FillRandomUniform(double RangeLow, double RangeHigh);
  void FillRandomGauss(double Mean, double StdDev);

  void MakeValidColRange(Integer& Low, Integer& High) const;
  void MakeValidRowRange(Integer& Low, Integer& High) const;
  void MakeValidLayerRange(Integer& Low, Integer& High) const;

  // Note the order of the bounds: both column bounds, both row bounds, both layer bounds.
  void Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
            Integer HighLayer, double Value, Integer& ColIx, Integer& RowIx,
            Integer& LayerIx) const;
  // Start values +-1.7e38: values beyond them are not reported.
  void MinMax(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
              Integer HighLayer, double& Minimum, double& Maximum) const;
  // As TMatrix::Percentile (the rank rule of DOV_math1.h): NaN for a window holding NaN.
  double Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                    Integer LowLayer, Integer HighLayer) const;
  double Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                    Integer LowLayer, Integer HighLayer, Integer SampleSize) const;

  // ESDLMatrixError "specified layer beyond data range" for a layer outside the matrix.
  void CopyLayerToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                         Integer HighRow, Integer Layer) const;
  // The source window is taken as given; targets outside this matrix are dropped; no event.
  void CopyMatrixToLayer(const TMatrix* SrcMat, Integer SrcLowCol, Integer SrcHighCol,
                         Integer SrcLowRow, Integer SrcHighRow, Integer Layer, Integer LayLowCol,
                         Integer LayLowRow);
  void Clone(const TMat3D* MatSource);
  String CRCofData() const;

  // XML documents (dim 3), as TMatrix's.
  void WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID);
  void WriteToOpenXMLFile(TTextFile& TextFile, bool CreateHeader, const String& DataID);
  void SaveAsXMLFile(const String& FName, const String& DataID);
  bool ReadFromXMLStream(TStream& InStream, const String& DataID);
  bool ReadFromOpenXMLFile(TTextFile& TextFile, const String& DataID);
  bool LoadFromXMLFile(const String& FName, const String& DataID);
  Integer ProcessXmlTag(Integer xmlTag, const String& Attribs, const String& Contents);
  bool FirstCell = false;

private:
  bool Inside(Integer x, Integer y, Integer z) const {
    return x >= 1 && x <= FNumX && y >= 1 && y <= FNumY && z >= 1 && z <= FNumZ;
  }
  std::size_t Index(Integer x, Integer y, Integer z) const {
    return (static_cast<std::size_t>(x - 1) * FNumY + static_cast<std::size_t>(y - 1)) * FNumZ +
           static_cast<std::size_t>(z - 1);
  }
  [[noreturn]] void RaiseNoMemory() const;
  std::vector<double> WindowValues(Integer lc, Integer hc, Integer lr, Integer hr, Integer ll,
                                   Integer hl) const;
  friend struct dov_matrix::TMatrixAccess;
  String XmlDocument(bool CreateHeader, const String& DataID) const;
  void StartXmlDocument(const String& ID);

  Integer FNumX = 1;
  Integer FNumY = 1;
  Integer FNumZ = 1;
  String FDataID;
  std::vector<double> FData;
  Integer FXmlSize[3] = {1, 1, 1};
};
