// TMat3D: storage, access, fills, searches, percentiles, layer copies, digest and XML.

#include "DOV_matrix3d.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "DOV_math1.h"
#include "DOV_matrix_common.h"
#include "DOV_matrix_io.h"
#include "DOV_matrix_window.h"
#include "DOV_matrix_xml.h"
#include "DOV_progress.h"
#include "DOV_univconst.h"
#include "DOV_xmlenvelope.h"
#include "RtlRandom.h"
#include "SysUtils.h"
#include "TextFile.h"

using namespace dov_matrix;

namespace {
constexpr const char* kVersion = "6.0";
constexpr Integer kDim = 3;
}  // namespace

TMat3D::TMat3D(TComponent* AOwner) : TComponent(AOwner) {
  try {
    FData.assign(1, 0.0);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
}

TMat3D::~TMat3D() = default;

void TMat3D::RaiseNoMemory() const {
  throw ESDLMatrixError(ComponentErrorMessage(this, "not enough memory on heap"));
}

void TMat3D::Changed() {
  if (OnChange) OnChange(this);
}

void TMat3D::SetNCols(Integer Count) { Resize(std::max<Integer>(Count, 1), FNumY, FNumZ); }
void TMat3D::SetNRows(Integer Count) { Resize(FNumX, std::max<Integer>(Count, 1), FNumZ); }
void TMat3D::SetNLayers(Integer Count) { Resize(FNumX, FNumY, std::max<Integer>(Count, 1)); }

bool TMat3D::Resize(Integer Nc, Integer Nr, Integer Nl) {
  if (Nc <= 0 || Nr <= 0 || Nl <= 0) return true;
  if (Nc == FNumX && Nr == FNumY && Nl == FNumZ) return true;
  std::vector<double> fresh;
  try {
    fresh.assign(
        static_cast<std::size_t>(Nc) * static_cast<std::size_t>(Nr) * static_cast<std::size_t>(Nl),
        0.0);
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  } catch (const std::length_error&) {
    RaiseNoMemory();
  }
  const Integer kx = std::min(Nc, FNumX), ky = std::min(Nr, FNumY), kz = std::min(Nl, FNumZ);
  for (Integer x = 1; x <= kx; ++x)
    for (Integer y = 1; y <= ky; ++y) {
      const double* from = &FData[Index(x, y, 1)];
      double* to = &fresh[(static_cast<std::size_t>(x - 1) * Nr + (y - 1)) * Nl];
      std::copy(from, from + kz, to);
    }
  FData.swap(fresh);
  FNumX = Nc;
  FNumY = Nr;
  FNumZ = Nl;
  Changed();
  return true;
}

bool TMat3D::ResizeAndClear(Integer Nc, Integer Nr, Integer Nl) {
  const bool r = Resize(Nc, Nr, Nl);
  Fill(0);
  return r;
}

void TMat3D::Fill(double Value) { std::fill(FData.begin(), FData.end(), Value); }

void TMat3D::FillDiag(double Value) {
  const Integer n = std::min({FNumX, FNumY, FNumZ});
  for (Integer i = 1; i <= n; ++i) FData[Index(i, i, i)] = Value;
  Changed();
}

void TMat3D::FillRandomUniform(double RangeLow, double RangeHigh) {
  for (auto& v : FData) v = UniformBetween(RangeLow, RangeHigh, static_cast<double>(RandomReal()));
  Changed();
}

void TMat3D::FillRandomGauss(double Mean, double StdDev) {
  for (auto& v : FData) v = GRandom() * StdDev + Mean;
  Changed();
}

void TMat3D::MakeValidColRange(Integer& Low, Integer& High) const {
  MakeValidRange(FNumX, Low, High);
}
void TMat3D::MakeValidRowRange(Integer& Low, Integer& High) const {
  MakeValidRange(FNumY, Low, High);
}
void TMat3D::MakeValidLayerRange(Integer& Low, Integer& High) const {
  MakeValidRange(FNumZ, Low, High);
}

void TMat3D::Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                  Integer LowLayer, Integer HighLayer, double Value, Integer& ColIx, Integer& RowIx,
                  Integer& LayerIx) const {
  ColIx = RowIx = LayerIx = 0;
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLayer, HighLayer);
  double best = static_cast<double>(uc_MaxDouble);
  for (Integer x = LowCol; x <= HighCol; ++x)
    for (Integer y = LowRow; y <= HighRow; ++y)
      for (Integer z = LowLayer; z <= HighLayer; ++z) {
        const double d = std::fabs(FData[Index(x, y, z)] - Value);
        if (d < best) {
          best = d;
          ColIx = x;
          RowIx = y;
          LayerIx = z;
        }
      }
}

void TMat3D::MinMax(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                    Integer LowLayer, Integer HighLayer, double& Minimum, double& Maximum) const {
  Minimum = static_cast<double>(uc_MaxReal);
  Maximum = -static_cast<double>(uc_MaxReal);
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLayer, HighLayer);
  const Int64 pairs = static_cast<Int64>(HighCol - LowCol + 1) * (HighRow - LowRow + 1);
  const Int64 step = pairs / 100 + 1;
  Int64 count = 0;
  for (Integer x = LowCol; x <= HighCol; ++x)
    for (Integer y = LowRow; y <= HighRow; ++y) {
      for (Integer z = LowLayer; z <= HighLayer; ++z) {
        const double v = FData[Index(x, y, z)];
        if (v < Minimum) Minimum = v;
        if (v > Maximum) Maximum = v;
      }
      if (++count % step == 0) ProgressStep();
    }
}

std::vector<double> TMat3D::WindowValues(Integer lc, Integer hc, Integer lr, Integer hr, Integer ll,
                                         Integer hl) const {
  std::vector<double> x;
  try {
    x.reserve(static_cast<std::size_t>(hc - lc + 1) * (hr - lr + 1) * (hl - ll + 1));
  } catch (const std::bad_alloc&) {
    RaiseNoMemory();
  }
  for (Integer c = lc; c <= hc; ++c)
    for (Integer r = lr; r <= hr; ++r)
      for (Integer z = ll; z <= hl; ++z) x.push_back(FData[Index(c, r, z)]);
  return x;
}

double TMat3D::Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow,
                          Integer HighRow, Integer LowLayer, Integer HighLayer) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  MakeValidLayerRange(LowLayer, HighLayer);
  std::vector<double> x = WindowValues(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer);
  return RankPercentile(x.data(), static_cast<Int64>(x.size()), prob);
}

double TMat3D::Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow,
                          Integer HighRow, Integer LowLayer, Integer HighLayer,
                          Integer SampleSize) const {
  Integer lc = LowCol, hc = HighCol, lr = LowRow, hr = HighRow, ll = LowLayer, hl = HighLayer;
  MakeValidColRange(lc, hc);
  MakeValidRowRange(lr, hr);
  MakeValidLayerRange(ll, hl);
  const Int64 n = static_cast<Int64>(hc - lc + 1) * (hr - lr + 1) * (hl - ll + 1);
  if (SampleSize <= 0 || SampleSize >= n)
    return Percentile(prob, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer);
  std::vector<double> draws = DrawSample(this, SampleSize, [&] {
    const Integer c = lc + Random(hc - lc + 1);
    const Integer r = lr + Random(hr - lr + 1);
    const Integer z = ll + Random(hl - ll + 1);
    return FData[Index(c, r, z)];
  });
  return RankPercentile(draws.data(), SampleSize, prob);
}

void TMat3D::CopyLayerToMatrix(TMatrix* DestMat, Integer LowCol, Integer HighCol, Integer LowRow,
                               Integer HighRow, Integer Layer) const {
  MakeValidColRange(LowCol, HighCol);
  MakeValidRowRange(LowRow, HighRow);
  if (Layer < 1 || Layer > FNumZ)
    throw ESDLMatrixError(ComponentErrorMessage(this, "specified layer beyond data range"));
  if (DestMat == nullptr) return;
  DestMat->Resize(HighCol - LowCol + 1, HighRow - LowRow + 1);
  for (Integer c = LowCol; c <= HighCol; ++c)
    for (Integer r = LowRow; r <= HighRow; ++r)
      DestMat->SetVal(c - LowCol + 1, r - LowRow + 1, FData[Index(c, r, Layer)]);
}

void TMat3D::CopyMatrixToLayer(const TMatrix* SrcMat, Integer SrcLowCol, Integer SrcHighCol,
                               Integer SrcLowRow, Integer SrcHighRow, Integer Layer,
                               Integer LayLowCol, Integer LayLowRow) {
  if (Layer < 1 || Layer > FNumZ)
    throw ESDLMatrixError(ComponentErrorMessage(this, "specified layer beyond data range"));
  if (SrcMat == nullptr) return;
  for (Integer c = SrcLowCol; c <= SrcHighCol; ++c)
    for (Integer r = SrcLowRow; r <= SrcHighRow; ++r) {
      const Int64 x = Int64{c} + LayLowCol - SrcLowCol;
      const Int64 y = Int64{r} + LayLowRow - SrcLowRow;
      if (x >= 1 && x <= FNumX && y >= 1 && y <= FNumY)
        FData[Index(static_cast<Integer>(x), static_cast<Integer>(y), Layer)] =
            SrcMat->GetVal(c, r);
    }
}

void TMat3D::Clone(const TMat3D* MatSource) {
  if (MatSource == nullptr || MatSource == this) return;
  {
    TSilentEvent<TNotifyEvent> silent(OnChange);
    Resize(MatSource->FNumX, MatSource->FNumY, MatSource->FNumZ);
  }
  FData = MatSource->FData;
  Changed();
}

String TMat3D::CRCofData() const {
  TLaneDigest<8> d;
  for (double v : FData) d.Add(v);
  return d.Text();
}

// ---- XML -----------------------------------------------------------------------------------

String TMat3D::XmlDocument(bool CreateHeader, const String& DataID) const {
  const Integer sizes[3] = {FNumX, FNumY, FNumZ};
  String doc = XmlDocumentHead(CreateHeader, "TMat3D", kVersion, kDim,
                               DataID.empty() ? FDataID : DataID, sizes);
  for (Integer z = 1; z <= FNumZ; ++z)
    for (Integer y = 1; y <= FNumY; ++y)
      for (Integer x = 1; x <= FNumX; ++x) {
        const double v = FData[Index(x, y, z)];
        if (IsOmittedCell(v)) continue;
        doc += "<cell ix=\"" + IntToStr(x) + "\" iy=\"" + IntToStr(y) + "\" iz=\"" + IntToStr(z) +
               "\">" + MatrixCellText(v) + "</cell>\r\n";
      }
  return doc + kXmlDocumentEnd;
}

void TMat3D::WriteToXMLStream(TStream& OutStream, bool CreateHeader, const String& DataID) {
  WriteStringStream(OutStream, XmlDocument(CreateHeader, DataID));
}

void TMat3D::WriteToOpenXMLFile(TTextFile& TextFile, bool CreateHeader, const String& DataID) {
  TextFile.Write(XmlDocument(CreateHeader, DataID));
}

void TMat3D::SaveAsXMLFile(const String& FName, const String& DataID) {
  SaveXmlDocument(FName, XmlDocument(true, DataID));
}

Integer TMat3D::ProcessXmlTag(Integer xmlTag, const String& Attribs, const String& Contents) {
  if (TakeAnnouncedSize(xmlTag, Contents, FXmlSize, kDim)) return 0;
  switch (xmlTag) {
    case xmlMatBegin: return 0;
    case xmlMatCell: {
      if (FirstCell) {
        FirstCell = false;
        const Integer nx = std::max<Integer>(FXmlSize[0], 1);
        const Integer ny = std::max<Integer>(FXmlSize[1], 1);
        const Integer nz = std::max<Integer>(FXmlSize[2], 1);
        if (static_cast<Int64>(nx) * ny * nz > MaxXmlMatrixElements)
          throw ESDLMatrixError(
              ComponentErrorMessage(this, "the XML document announces more than " +
                                              IntToStr(MaxXmlMatrixElements) + " elements"));
        Resize(nx, ny, nz);
      }
      SetVal(IntAfter(Attribs, "ix=\""), IntAfter(Attribs, "iy=\""), IntAfter(Attribs, "iz=\""),
             MatrixCellValue(Contents));
      return 0;
    }
    case xmlMatEnd: return 1;
    default: return -1;
  }
}

void TMat3D::StartXmlDocument(const String& ID) {
  FDataID = ID;
  FXmlSize[0] = FNumX;
  FXmlSize[1] = FNumY;
  FXmlSize[2] = FNumZ;
}

bool TMat3D::ReadFromXMLStream(TStream& InStream, const String& DataID) {
  return TMatrixAccess::ReadXmlStream(*this, InStream, kDim, DataID);
}

bool TMat3D::ReadFromOpenXMLFile(TTextFile& TextFile, const String& DataID) {
  return TMatrixAccess::ReadXmlTextFile(*this, TextFile, kDim, DataID);
}

bool TMat3D::LoadFromXMLFile(const String& FName, const String& DataID) {
  return TMatrixAccess::LoadXmlFile(*this, FName, kDim, DataID);
}

// ---- TMatrix from one layer of a 3-D matrix ------------------------------------------------

void TMatrix::CopyFrom(const TMat3D* MatSource, Integer SourceColLo, Integer SourceRowLo,
                       Integer SourceColHi, Integer SourceRowHi, Integer SourceLayer,
                       Integer DestCol, Integer DestRow) {
  if (MatSource == nullptr) return;
  const Integer layer = std::min(std::max<Integer>(SourceLayer, 1), MatSource->NrOfLayers());
  CopyWindowInto(*this, MatSource->NrOfColumns(), MatSource->NrOfRows(), SourceColLo, SourceRowLo,
                 SourceColHi, SourceRowHi, DestCol, DestRow,
                 [MatSource, layer](Integer c, Integer r) { return MatSource->GetVal(c, r, layer); });
}
