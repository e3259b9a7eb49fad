// TMat4D: storage, access, fills, addressing, assignment, copies, free array routines, XML.

#include "DOV_matrix4d.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "DOV_math1.h"
#include "DOV_matrix3d.h"
#include "DOV_matrix_common.h"
#include "DOV_matrix_io.h"
#include "DOV_matrix_xml.h"
#include "DOV_progress.h"
#include "DOV_xmlenvelope.h"
#include "RtlRandom.h"
#include "SysUtils.h"
#include "TextFile.h"

using namespace dov_matrix;

namespace {
constexpr const char* kVersion = "1.0";
constexpr Integer kDim = 4;

// Progress of Clone and CopyFrom: one step per step-th (column, row) pair.
class TPairProgress {
public:
  explicit TPairProgress(Int64 Pairs) : FStep(Pairs / 100 + 1) {}
  void Pair() {
    if (++FCount % FStep == 0) ProgressStep();
  }

private:
  Int64 FStep;
  Int64 FCount = 0;
};

// Element [i][j] of a 2-D array, or nothing when the array lacks it.
inline bool ArrayAt(const TDouble2DArray& A, Int64 i, Int64 j, double& v) {
  if (i < 0 || j < 0 || i >= static_cast<Int64>(A.size())) return false;
  const auto& col = A[static_cast<std::size_t>(i)];
  if (j >= static_cast<Int64>(col.size())) return false;
  v = col[static_cast<std::size_t>(j)];
  return true;
}

inline bool ArrayAt(const TDouble3DArray& A, Int64 i, Int64 j, Int64 k, double& v) {
  if (i < 0 || i >= static_cast<Int64>(A.size())) return false;
  return ArrayAt(A[static_cast<std::size_t>(i)], j, k, v);
}
}  // namespace

TMat4D::TMat4D(TComponent* AOwner) : TComponent(AOwner) { FData = NewStorage(1, 1, 1, 1); }

TMat4D::~TMat4D() = default;

void TMat4D::Raise(const char* Reason) const {
  throw ESDLMatrixError(ComponentErrorMessage(this, Reason));
}

std::vector<double> TMat4D::NewStorage(Integer Nc, Integer Nr, Integer Nl, Integer Nt) const {
  std::vector<double> v;
  try {
    const long double n = static_cast<long double>(Nc) * Nr * Nl * Nt;
    if (n > static_cast<long double>(v.max_size())) throw std::bad_alloc();
    v.assign(static_cast<std::size_t>(n), 0.0);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  } catch (const std::length_error&) {
    Raise("not enough memory on heap");
  }
  return v;
}

void TMat4D::Changed() {
  if (OnChange) OnChange(this);
}
void TMat4D::PercDone(TObject*, Integer Percent) {
  if (OnPercentDone) OnPercentDone(this, Percent);
}
void TMat4D::ReadElement(TObject*, Integer ix, Integer iy, Integer il, Integer it, double Value) {
  if (OnReadElement) OnReadElement(this, ix, iy, il, it, Value);
}

void TMat4D::SetNCols(Integer Count) { Resize(std::max<Integer>(Count, 1), FNumY, FNumZ, FNumT); }
void TMat4D::SetNRows(Integer Count) { Resize(FNumX, std::max<Integer>(Count, 1), FNumZ, FNumT); }
void TMat4D::SetNLayers(Integer Count) { Resize(FNumX, FNumY, std::max<Integer>(Count, 1), FNumT); }
void TMat4D::SetNTSlots(Integer Count) { Resize(FNumX, FNumY, FNumZ, std::max<Integer>(Count, 1)); }

bool TMat4D::Resize(Integer Nc, Integer Nr, Integer Nl, Integer Nt) {
  if (Nc < 1 || Nr < 1 || Nl < 1 || Nt < 1) return true;
  if (Nc == FNumX && Nr == FNumY && Nl == FNumZ && Nt == FNumT) return true;
  std::vector<double> fresh = NewStorage(Nc, Nr, Nl, Nt);
  const Integer kx = std::min(Nc, FNumX), ky = std::min(Nr, FNumY);
  const Integer kz = std::min(Nl, FNumZ), kt = std::min(Nt, FNumT);
  for (Integer t = 1; t <= kt; ++t)
    for (Integer z = 1; z <= kz; ++z)
      for (Integer y = 1; y <= ky; ++y) {
        const double* from = &FData[Index(1, y, z, t)];
        double* to = &fresh[((static_cast<std::size_t>(t - 1) * Nl + (z - 1)) * Nr + (y - 1)) * Nc];
        std::copy(from, from + kx, to);
      }
  FData.swap(fresh);
  FNumX = Nc;
  FNumY = Nr;
  FNumZ = Nl;
  FNumT = Nt;
  Changed();
  return true;
}

bool TMat4D::ResizeAndClear(Integer Nc, Integer Nr, Integer Nl, Integer Nt) {
  const bool r = Resize(Nc, Nr, Nl, Nt);
  Fill(0);
  return r;
}

void TMat4D::MakeValidColRange(Integer& Low, Integer& High) const {
  MakeValidRange(FNumX, Low, High);
}
void TMat4D::MakeValidRowRange(Integer& Low, Integer& High) const {
  MakeValidRange(FNumY, Low, High);
}
void TMat4D::MakeValidLayerRange(Integer& Low, Integer& High) const {
  MakeValidRange(FNumZ, Low, High);
}
void TMat4D::MakeValidTSlotRange(Integer& Low, Integer& High) const {
  MakeValidRange(FNumT, Low, High);
}

void TMat4D::Fill(double Value) {
  std::fill(FData.begin(), FData.end(), Value);
  Changed();
}

void TMat4D::FillDiag(double Value) {
  const Integer n = std::min({FNumX, FNumY, FNumZ, FNumT});
  for (Integer i = 1; i <= n; ++i) FData[Index(i, i, i, i)] = Value;
  Changed();
}

void TMat4D::FillLayer(Integer Layer, double Value) {
  if (Layer < 1 || Layer > FNumZ) return;
  const std::size_t plane = static_cast<std::size_t>(FNumX) * FNumY;
  for (Integer t = 1; t <= FNumT; ++t) {
    double* p = &FData[Index(1, 1, Layer, t)];
    std::fill(p, p + plane, Value);
  }
}

// The random fills visit columns, rows, layers and, innermost, time slots: that order decides
// which number lands where.
void TMat4D::FillRandomUniform(double RangeLow, double RangeHigh) {
  for (Integer x = 1; x <= FNumX; ++x)
    for (Integer y = 1; y <= FNumY; ++y)
      for (Integer z = 1; z <= FNumZ; ++z)
        for (Integer t = 1; t <= FNumT; ++t)
          FData[Index(x, y, z, t)] =
              UniformBetween(RangeLow, RangeHigh, static_cast<double>(RandomReal()));
  Changed();
}

void TMat4D::FillRandomGauss(double Mean, double StdDev) {
  for (Integer x = 1; x <= FNumX; ++x)
    for (Integer y = 1; y <= FNumY; ++y)
      for (Integer z = 1; z <= FNumZ; ++z)
        for (Integer t = 1; t <= FNumT; ++t) FData[Index(x, y, z, t)] = GRandom() * StdDev + Mean;
  Changed();
}

Integer TMat4D::Lin3DAddr(Integer ix, Integer iy, Integer il) const {
  if (static_cast<double>(FNumX) * FNumY * FNumZ > 2147483647.0) return -2;
  if (ix < 1 || ix > FNumX || iy < 1 || iy > FNumY || il < 1 || il > FNumZ) return -1;
  return ((iy - 1) * FNumX + (ix - 1)) * FNumZ + (il - 1);
}

bool TMat4D::ConvertLinTo3DAddr(Integer LinAddr, Integer& ix, Integer& iy, Integer& il) const {
  if (LinAddr < 0 || static_cast<Int64>(LinAddr) >= static_cast<Int64>(TimeSlotSize()))
    return false;
  il = LinAddr % FNumZ + 1;
  ix = (LinAddr / FNumZ) % FNumX + 1;
  iy = (LinAddr / FNumZ) / FNumX + 1;
  return true;
}

double TMat4D::MemoryConsumed() const {
  return static_cast<double>(FNumX) / 1048576 * FNumY * FNumZ * FNumT * 8;
}

void TMat4D::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TMat4D*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (src == this) return;
  std::vector<double> copy;
  try {
    copy = src->FData;
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  FData.swap(copy);
  FNumX = src->FNumX;
  FNumY = src->FNumY;
  FNumZ = src->FNumZ;
  FNumT = src->FNumT;
  FDataID = src->FDataID;
  OnChange = src->OnChange;
  OnPercentDone = src->OnPercentDone;
  OnReadElement = src->OnReadElement;
}

void TMat4D::AssignTo(TPersistent* Dest) {
  if (dynamic_cast<TMat4D*>(Dest) != nullptr) {
    Dest->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

void TMat4D::Clone(const TMat4D* MatSource) {
  if (MatSource == nullptr) return;
  if (MatSource != this) {
    {
      TSilentEvent<TNotifyEvent> silent(OnChange);
      Resize(MatSource->FNumX, MatSource->FNumY, MatSource->FNumZ, MatSource->FNumT);
    }
    FData = MatSource->FData;
  }
  TPairProgress progress(static_cast<Int64>(FNumX) * FNumY);
  for (Int64 p = 0; p < static_cast<Int64>(FNumX) * FNumY; ++p) progress.Pair();
  Changed();
}

void TMat4D::CopyFrom(const TMat4D* MatSource, Integer SrcLowCol, Integer SrcHighCol,
                      Integer SrcLowRow, Integer SrcHighRow, Integer SrcLowLayer,
                      Integer SrcHighLayer, Integer SrcLowTSlot, Integer SrcHighTSlot,
                      Integer DestCol, Integer DestRow, Integer DestLayer, Integer DestTSlot) {
  if (MatSource == nullptr) return;
  MatSource->MakeValidColRange(SrcLowCol, SrcHighCol);
  MatSource->MakeValidRowRange(SrcLowRow, SrcHighRow);
  MatSource->MakeValidLayerRange(SrcLowLayer, SrcHighLayer);
  MatSource->MakeValidTSlotRange(SrcLowTSlot, SrcHighTSlot);
  // Copying a matrix into itself reads from a snapshot, so overlapping windows stay intact.
  std::vector<double> snapshot;
  const std::vector<double>* src = &MatSource->FData;
  if (MatSource == this) {
    snapshot = FData;
    src = &snapshot;
  }
  TPairProgress progress(static_cast<Int64>(SrcHighCol - SrcLowCol + 1) *
                         (SrcHighRow - SrcLowRow + 1));
  for (Integer x = SrcLowCol; x <= SrcHighCol; ++x)
    for (Integer y = SrcLowRow; y <= SrcHighRow; ++y) {
      for (Integer z = SrcLowLayer; z <= SrcHighLayer; ++z)
        for (Integer t = SrcLowTSlot; t <= SrcHighTSlot; ++t) {
          const Int64 dx = Int64{x} + DestCol - SrcLowCol, dy = Int64{y} + DestRow - SrcLowRow;
          const Int64 dz = Int64{z} + DestLayer - SrcLowLayer;
          const Int64 dt = Int64{t} + DestTSlot - SrcLowTSlot;
          if (dx < 1 || dx > FNumX || dy < 1 || dy > FNumY || dz < 1 || dz > FNumZ || dt < 1 ||
              dt > FNumT)
            continue;
          FData[Index(static_cast<Integer>(dx), static_cast<Integer>(dy), static_cast<Integer>(dz),
                      static_cast<Integer>(dt))] = (*src)[MatSource->Index(x, y, z, t)];
        }
      progress.Pair();
    }
  Changed();
}

void TMat4D::CheckLayer(Integer Layer) const {
  if (Layer < 1 || Layer > FNumZ) Raise("specified layer beyond data range");
}
void TMat4D::CheckTimeSlot(Integer TimeSlot) const {
  if (TimeSlot < 1 || TimeSlot > FNumT) Raise("specified time slot beyond data range");
}

void TMat4D::CopyLayerToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                               Integer HighRow, Integer Layer, Integer TimeSlot) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  CheckLayer(Layer);
  CheckTimeSlot(TimeSlot);
  if (DestMat == nullptr) return;
  DestMat->Resize(HighCol - LowCol + 1, HighRow - LowRow + 1);
  for (Integer x = LowCol; x <= HighCol; ++x)
    for (Integer y = LowRow; y <= HighRow; ++y)
      DestMat->SetVal(x - LowCol + 1, y - LowRow + 1, FData[Index(x, y, Layer, TimeSlot)]);
}

void TMat4D::CopyLayerToArray(TDouble2DArray& DestArray, Integer LowCol, Integer HighCol,
                              Integer LowRow, Integer HighRow, Integer Layer,
                              Integer TimeSlot) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  CheckLayer(Layer);
  CheckTimeSlot(TimeSlot);
  DestArray.assign(static_cast<std::size_t>(HighCol - LowCol + 1),
                   TDoubleArray(static_cast<std::size_t>(HighRow - LowRow + 1), 0.0));
  for (Integer x = LowCol; x <= HighCol; ++x)
    for (Integer y = LowRow; y <= HighRow; ++y)
      DestArray[x - LowCol][y - LowRow] = FData[Index(x, y, Layer, TimeSlot)];
}

void TMat4D::CopyTimeSlotToMat3D(TMat3D* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                                 Integer HighRow, Integer LowLay, Integer HighLay,
                                 Integer TimeSlot) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLay, HighLay);
  CheckTimeSlot(TimeSlot);
  if (DestMat == nullptr) return;
  DestMat->Resize(HighCol - LowCol + 1, HighRow - LowRow + 1, HighLay - LowLay + 1);
  for (Integer x = LowCol; x <= HighCol; ++x)
    for (Integer y = LowRow; y <= HighRow; ++y)
      for (Integer z = LowLay; z <= HighLay; ++z)
        DestMat->SetVal(x - LowCol + 1, y - LowRow + 1, z - LowLay + 1,
                        FData[Index(x, y, z, TimeSlot)]);
}

void TMat4D::CopyTimeSlotToArray(TDouble3DArray& DestMat, Integer LowCol, Integer HighCol,
                                 Integer LowRow, Integer HighRow, Integer LowLay, Integer HighLay,
                                 Integer TimeSlot) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLay, HighLay);
  CheckTimeSlot(TimeSlot);
  DestMat.assign(static_cast<std::size_t>(HighCol - LowCol + 1),
                 TDouble2DArray(static_cast<std::size_t>(HighRow - LowRow + 1),
                                TDoubleArray(static_cast<std::size_t>(HighLay - LowLay + 1))));
  for (Integer x = LowCol; x <= HighCol; ++x)
    for (Integer y = LowRow; y <= HighRow; ++y)
      for (Integer z = LowLay; z <= HighLay; ++z)
        DestMat[x - LowCol][y - LowRow][z - LowLay] = FData[Index(x, y, z, TimeSlot)];
}

void TMat4D::CopyArrayToLayer(const TDouble2DArray& SrcArray, Integer Col, Integer Row,
                              Integer Layer, Integer TimeSlot) {
  CheckLayer(Layer);
  CheckTimeSlot(TimeSlot);
  if (SrcArray.empty()) return;
  const Int64 rows = static_cast<Int64>(SrcArray[0].size());
  for (Int64 i = 0; i < static_cast<Int64>(SrcArray.size()); ++i)
    for (Int64 j = 0; j < rows; ++j) {
      double v;
      const Int64 x = Col + i, y = Row + j;
      if (x < 1 || x > FNumX || y < 1 || y > FNumY || !ArrayAt(SrcArray, i, j, v)) continue;
      FData[Index(static_cast<Integer>(x), static_cast<Integer>(y), Layer, TimeSlot)] = v;
    }
}

void TMat4D::Copy1DArrayToPixel(const TDoubleArray& Src, Integer Col, Integer Row,
                                Integer FirstLayer, Integer TimeSlot) {
  if (Col < 1 || Col > FNumX) Raise("specified column beyond data range");
  if (Row < 1 || Row > FNumY) Raise("specified row beyond data range");
  CheckLayer(FirstLayer);
  CheckTimeSlot(TimeSlot);
  const Int64 last = std::min<Int64>(FNumZ, FirstLayer + static_cast<Int64>(Src.size()) - 1);
  for (Int64 z = FirstLayer; z <= last; ++z)
    FData[Index(Col, Row, static_cast<Integer>(z), TimeSlot)] =
        Src[static_cast<std::size_t>(z - FirstLayer)];
}

void TMat4D::CopyMatrixToLayer(const TMatrix* SrcMat, Integer SrcLowCol, Integer SrcHighCol,
                               Integer SrcLowRow, Integer SrcHighRow, Integer Layer,
                               Integer TimeSlot, Integer LayLowCol, Integer LayLowRow) {
  CheckLayer(Layer);
  CheckTimeSlot(TimeSlot);
  if (SrcMat == nullptr) return;
  MakeValidColRange(SrcLowCol, SrcHighCol);
  MakeValidRowRange(SrcLowRow, SrcHighRow);
  for (Integer c = SrcLowCol; c <= SrcHighCol; ++c)
    for (Integer r = SrcLowRow; r <= SrcHighRow; ++r) {
      const Int64 x = Int64{c} + LayLowCol - SrcLowCol, y = Int64{r} + LayLowRow - SrcLowRow;
      if (x >= 1 && x <= FNumX && y >= 1 && y <= FNumY)
        FData[Index(static_cast<Integer>(x), static_cast<Integer>(y), Layer, TimeSlot)] =
            SrcMat->GetVal(c, r);
    }
}

void TMat4D::CopyMat3DToTimeSlot(const TMat3D* SrcMat, Integer SrcLowCol, Integer SrcHighCol,
                                 Integer SrcLowRow, Integer SrcHighRow, Integer SrcLowLay,
                                 Integer SrcHighLay, Integer TimeSlot, Integer DestCol,
                                 Integer DestRow, Integer DestLayer) {
  CheckTimeSlot(TimeSlot);
  if (SrcMat == nullptr) return;
  SrcMat->MakeValidColRange(SrcLowCol, SrcHighCol);
  SrcMat->MakeValidRowRange(SrcLowRow, SrcHighRow);
  SrcMat->MakeValidLayerRange(SrcLowLay, SrcHighLay);
  for (Integer x = SrcLowCol; x <= SrcHighCol; ++x)
    for (Integer y = SrcLowRow; y <= SrcHighRow; ++y)
      for (Integer z = SrcLowLay; z <= SrcHighLay; ++z) {
        const Int64 dx = Int64{x} + DestCol - SrcLowCol, dy = Int64{y} + DestRow - SrcLowRow;
        const Int64 dz = Int64{z} + DestLayer - SrcLowLay;
        if (dx >= 1 && dx <= FNumX && dy >= 1 && dy <= FNumY && dz >= 1 && dz <= FNumZ)
          FData[Index(static_cast<Integer>(dx), static_cast<Integer>(dy), static_cast<Integer>(dz),
                      TimeSlot)] = SrcMat->GetVal(x, y, z);
      }
}

void TMat4D::CopyArrayToTimeSlot(const TDouble3DArray& SrcMat, Integer SrcLowCol,
                                 Integer SrcHighCol, Integer SrcLowRow, Integer SrcHighRow,
                                 Integer SrcLowLay, Integer SrcHighLay, Integer TimeSlot,
                                 Integer DestCol, Integer DestRow, Integer DestLayer) {
  CheckTimeSlot(TimeSlot);
  MakeValidColRange(SrcLowCol, SrcHighCol);
  MakeValidRowRange(SrcLowRow, SrcHighRow);
  MakeValidLayerRange(SrcLowLay, SrcHighLay);
  for (Integer x = SrcLowCol; x <= SrcHighCol; ++x)
    for (Integer y = SrcLowRow; y <= SrcHighRow; ++y)
      for (Integer z = SrcLowLay; z <= SrcHighLay; ++z) {
        const Int64 dx = Int64{x} + DestCol - SrcLowCol, dy = Int64{y} + DestRow - SrcLowRow;
        const Int64 dz = Int64{z} + DestLayer - SrcLowLay;
        double v;
        if (dx >= 1 && dx <= FNumX && dy >= 1 && dy <= FNumY && dz >= 1 && dz <= FNumZ &&
            ArrayAt(SrcMat, x - 1, y - 1, z - 1, v))
          FData[Index(static_cast<Integer>(dx), static_cast<Integer>(dy), static_cast<Integer>(dz),
                      TimeSlot)] = v;
      }
}

// ---- free routines -------------------------------------------------------------------------

void CopyArr3DLayerToMatrix(const TDouble3DArray& Arr3D, TMatrix* Mat, Integer LowX, Integer HighX,
                            Integer LowY, Integer HighY, Integer Layer) {
  if (Mat == nullptr) return;
  Mat->Resize(HighX - LowX + 1, HighY - LowY + 1);
  for (Integer x = LowX; x <= HighX; ++x)
    for (Integer y = LowY; y <= HighY; ++y) {
      double v = 0;
      ArrayAt(Arr3D, x, y, Layer, v);
      Mat->SetVal(x - LowX + 1, y - LowY + 1, v);
    }
}

void CopyArr3DLayerToArr2D(const TDouble3DArray& Arr3D, TDouble2DArray& Arr2D, Integer LowX,
                           Integer HighX, Integer LowY, Integer HighY, Integer Layer) {
  Arr2D.assign(static_cast<std::size_t>(std::max(HighX - LowX + 1, 0)),
               TDoubleArray(static_cast<std::size_t>(std::max(HighY - LowY + 1, 0)), 0.0));
  for (Integer x = LowX; x <= HighX; ++x)
    for (Integer y = LowY; y <= HighY; ++y) {
      double v = 0;
      ArrayAt(Arr3D, x, y, Layer, v);
      Arr2D[x - LowX][y - LowY] = v;
    }
}

void CopyMatrixToArray(const TMatrix* Mat, TDouble2DArray& Arr2D, Integer LowCol, Integer HighCol,
                       Integer LowRow, Integer HighRow) {
  Arr2D.assign(static_cast<std::size_t>(std::max(HighCol - LowCol + 1, 0)),
               TDoubleArray(static_cast<std::size_t>(std::max(HighRow - LowRow + 1, 0)), 0.0));
  if (Mat == nullptr) return;
  for (Integer c = LowCol; c <= HighCol; ++c)
    for (Integer r = LowRow; r <= HighRow; ++r) Arr2D[c - LowCol][r - LowRow] = Mat->GetVal(c, r);
}

// ---- XML -----------------------------------------------------------------------------------

String TMat4D::XmlDocument(bool CreateHeader, const String& DataID) const {
  const Integer sizes[4] = {FNumX, FNumY, FNumZ, FNumT};
  String doc = XmlDocumentHead(CreateHeader, "TMat4D", kVersion, kDim,
                               DataID.empty() ? FDataID : DataID, sizes);
  std::size_t i = 0;  // storage order is the writing order: time slots outer, columns inner
  for (Integer t = 1; t <= FNumT; ++t)
    for (Integer z = 1; z <= FNumZ; ++z)
      for (Integer y = 1; y <= FNumY; ++y)
        for (Integer x = 1; x <= FNumX; ++x, ++i) {
          if (IsOmittedCell(FData[i])) continue;
          doc += "<cell ix=\"" + IntToStr(x) + "\" iy=\"" + IntToStr(y) + "\" il=\"" + IntToStr(z) +
                 "\" it=\"" + IntToStr(t) + "\">" + MatrixCellText(FData[i]) + "</cell>\r\n";
        }
  return doc + kXmlDocumentEnd;
}

void TMat4D::WriteToOpenXMLFile(TTextFile& TextFile, bool CreateHeader, const String& DataID) {
  TextFile.Write(XmlDocument(CreateHeader, DataID));
}

void TMat4D::SaveAsXMLFile(const String& FName, const String& DataID) {
  SaveXmlDocument(FName, XmlDocument(true, DataID));
}

Integer TMat4D::ProcessXmlTag(Integer xmlTag, const String& Attribs, const String& Contents) {
  if (TakeAnnouncedSize(xmlTag, Contents, FXmlSize, kDim)) return 0;
  switch (xmlTag) {
    case xmlMatBegin: return 0;
    case xmlMatCell: {
      if (FirstCell) {
        FirstCell = false;
        long double n = 1;
        for (Integer& s : FXmlSize) n *= (s = std::max<Integer>(s, 1));
        if (n > static_cast<long double>(MaxXmlMatrixElements))
          Raise("the XML document announces too many elements");
        Resize(FXmlSize[0], FXmlSize[1], FXmlSize[2], FXmlSize[3]);
      }
      SetVal(IntAfter(Attribs, "ix=\""), IntAfter(Attribs, "iy=\""), IntAfter(Attribs, "il=\""),
             IntAfter(Attribs, "it=\""), MatrixCellValue(Contents));
      return 0;
    }
    case xmlMatEnd: return 1;
    default: return -1;
  }
}

void TMat4D::StartXmlDocument(const String& ID) {
  FDataID = ID;
  FXmlSize[0] = FNumX;
  FXmlSize[1] = FNumY;
  FXmlSize[2] = FNumZ;
  FXmlSize[3] = FNumT;
}

bool TMat4D::ReadFromOpenXMLFile(TTextFile& TextFile, const String& DataID) {
  return TMatrixAccess::ReadXmlTextFile(*this, TextFile, kDim, DataID);
}

bool TMat4D::LoadFromXMLFile(const String& FName, const String& DataID) {
  return TMatrixAccess::LoadXmlFile(*this, FName, kDim, DataID);
}
