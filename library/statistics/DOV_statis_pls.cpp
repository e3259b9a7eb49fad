// Partial least squares models.

#include "DOV_statis_pls.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "DOV_math1.h"
#include "DOV_statis_crossval.h"
#include "DOV_streams.h"
#include "DOV_stringl.h"
#include "SysUtils.h"
#include "TextFile.h"

namespace {

using TColumn = std::vector<double>;

// Raises ProcStat, tells MathFeedBackProc, and says whether an abort was asked for.
bool ProgressStepAborted() {
  const Double now = ProcStat.fetch_add(1.0, std::memory_order_relaxed) + 1.0;
  if (MathFeedBackProc != nullptr) MathFeedBackProc(now);
  return AbortMathProc.load(std::memory_order_relaxed);
}

double Dot(const TColumn& a, const TColumn& b) {
  double s = 0;
  for (std::size_t i = 0; i < a.size(); ++i) s += a[i] * b[i];
  return s;
}

TColumn Column(const TMatrix* m, Integer c) {
  return TColumn(m->ColumnPtr(c), m->ColumnPtr(c) + m->NrOfRows());
}

void SetColumn(TMatrix* m, Integer c, const TColumn& v) {
  std::copy(v.begin(), v.end(), m->ColumnPtr(c));
}

// Centres every column (and scales it to unit sample deviation when Scale and the deviation
// is not 0); the means and deviations go to the vectors.
void CentreColumns(TMatrix* m, bool Scale, TColumn& Means, TColumn& Devs) {
  const Integer n = m->NrOfRows();
  Means.assign(std::size_t(m->NrOfColumns()), 0);
  Devs.assign(Means.size(), 0);
  for (Integer c = 1; c <= m->NrOfColumns(); ++c) {
    double* a = m->ColumnPtr(c);
    long double sum = 0;
    for (Integer r = 0; r < n; ++r) sum += a[r];
    const double mean = double(sum / n);
    long double ss = 0;
    for (Integer r = 0; r < n; ++r) ss += (a[r] - mean) * (a[r] - mean);
    const double dev = n > 1 ? double(std::sqrt(ss / (n - 1))) : 0;
    const double divisor = Scale && dev > 0 ? dev : 1;
    for (Integer r = 0; r < n; ++r) a[r] = (a[r] - mean) / divisor;
    Means[std::size_t(c - 1)] = mean;
    Devs[std::size_t(c - 1)] = dev;
  }
  m->Changed();
}

double SumOfSquares(const TMatrix* m) {
  double s = 0;
  for (Integer c = 1; c <= m->NrOfColumns(); ++c)
    for (Integer r = 0; r < m->NrOfRows(); ++r) s += m->ColumnPtr(c)[r] * m->ColumnPtr(c)[r];
  return s;
}

}  // namespace

void SimPLS(const TMatrix* X, const TMatrix* Y, Integer NFact, bool Standardize, TMatrix* ScoreX,
            TMatrix* ScoreY, TMatrix* LoadX, TMatrix* LoadY, TMatrix* WgtX, TMatrix* OrthoLd,
            TVector* VarX, TVector* VarY, TMatrix* RegCoeff) {
  AbortMathProc = false;
  const Integer n = X->NrOfRows(), nx = X->NrOfColumns(), ny = Y->NrOfColumns();
  const Integer maxFactors = std::min(n, nx);
  if (NFact > maxFactors)
    throw ESDLMath2Error("number of factors too high (max=" + IntToStr(maxFactors) + ")");
  TMatrix X0(nullptr), Y0(nullptr);
  X0.Clone(X);
  Y0.Clone(Y);
  TColumn xMeans, xDevs, yMeans, yDevs;
  CentreColumns(&X0, Standardize, xMeans, xDevs);
  CentreColumns(&Y0, false, yMeans, yDevs);
  ScoreX->ResizeAndClear(NFact, n);
  ScoreY->ResizeAndClear(NFact, n);
  LoadX->ResizeAndClear(NFact, nx);
  WgtX->ResizeAndClear(NFact, nx);
  OrthoLd->ResizeAndClear(NFact, nx);
  LoadY->ResizeAndClear(NFact, ny);
  VarX->Resize(NFact);
  VarY->Resize(NFact);
  VarX->Fill(0);
  VarY->Fill(0);

  // S = X0^T Y0: ny columns x nx rows.
  TMatrix S(nullptr);
  S.ResizeAndClear(ny, nx);
  for (Integer k = 1; k <= ny; ++k)
    for (Integer i = 1; i <= nx; ++i) S.ColumnPtr(k)[i - 1] = Dot(Column(&X0, i), Column(&Y0, k));
  S.Changed();

  const Integer step = std::max<Integer>(1, NFact * nx / 1000);
  Integer rowsDone = 0;
  bool aborted = false;
  for (Integer a = 1; a <= NFact && !aborted; ++a) {
    TMatrix U(nullptr), V(nullptr);
    TVector W(nullptr);
    U.Clone(&S);
    V.Resize(ny, ny);
    W.Resize(ny);
    const Double saved = ProcStat.load(std::memory_order_relaxed);
    const bool decomposed = SingValDecomp(&U, &V, &W);
    ProcStat.store(saved, std::memory_order_relaxed);
    // An abort asked for during the decomposition is an abort, not a singular matrix.
    if (!decomposed && AbortMathProc.load(std::memory_order_relaxed)) break;
    if (!decomposed) throw ESDLMath2Error("near singular covariance matrix");
    Integer best = 1;
    for (Integer j = 2; j <= ny; ++j)
      if (W.GetVal(j) > W.GetVal(best)) best = j;
    TColumn r = Column(&U, best);
    r.resize(std::size_t(nx), 0.0);  // a padded decomposition gives U the rows of S
    TColumn q(std::size_t(ny), 0.0), t(std::size_t(n), 0.0), p(std::size_t(nx), 0.0),
        u(std::size_t(n), 0.0);
    for (Integer k = 1; k <= ny; ++k) q[std::size_t(k - 1)] = Dot(Column(&S, k), r);
    for (Integer i = 1; i <= nx; ++i) {
      const double* xi = X0.ColumnPtr(i);
      for (Integer o = 0; o < n; ++o) t[std::size_t(o)] += xi[o] * r[std::size_t(i - 1)];
    }
    const double normt = std::sqrt(Dot(t, t));
    if (normt == 0) throw ESDLVectorError("SimPLS: vector has zero length");
    for (double& v : t) v /= normt;
    for (Integer i = 1; i <= nx; ++i) p[std::size_t(i - 1)] = Dot(Column(&X0, i), t);
    for (double& v : r) v /= normt;
    for (double& v : q) v /= normt;
    for (Integer k = 1; k <= ny; ++k) {
      const double* yk = Y0.ColumnPtr(k);
      for (Integer o = 0; o < n; ++o) u[std::size_t(o)] += yk[o] * q[std::size_t(k - 1)];
    }
    TColumn v = p;
    for (Integer j = 1; j < a; ++j) {
      const TColumn vj = Column(OrthoLd, j), tj = Column(ScoreX, j);
      const double dv = Dot(vj, v), du = Dot(tj, u);
      for (std::size_t i = 0; i < v.size(); ++i) v[i] -= vj[i] * dv;
      for (std::size_t i = 0; i < u.size(); ++i) u[i] -= tj[i] * du;
    }
    const double normv = std::sqrt(Dot(v, v));
    if (normv == 0) throw ESDLMath2Error("SIMPLS: orthogonal loadings are all zero");
    for (double& x : v) x /= normv;
    // Deflation S := S - v (v^T S), row by row.
    TColumn vS(std::size_t(ny), 0.0);
    for (Integer k = 1; k <= ny; ++k) vS[std::size_t(k - 1)] = Dot(v, Column(&S, k));
    for (Integer i = 1; i <= nx; ++i) {
      for (Integer k = 1; k <= ny; ++k)
        S.ColumnPtr(k)[i - 1] -= v[std::size_t(i - 1)] * vS[std::size_t(k - 1)];
      if (++rowsDone % step == 0 && ProgressStepAborted()) {
        aborted = true;
        break;
      }
    }
    SetColumn(WgtX, a, r);
    SetColumn(ScoreY, a, u);
    SetColumn(LoadY, a, q);
    SetColumn(ScoreX, a, t);
    SetColumn(LoadX, a, p);
    SetColumn(OrthoLd, a, v);
    VarX->SetVal(a, Dot(p, p));
    VarY->SetVal(a, Dot(q, q));
  }
  const double ssx = SumOfSquares(&X0), ssy = SumOfSquares(&Y0);
  for (Integer a = 1; a <= NFact; ++a) {
    if (ssx != 0) VarX->SetVal(a, VarX->GetVal(a) / ssx);
    if (ssy != 0) VarY->SetVal(a, VarY->GetVal(a) / ssy);
  }
  RegCoeff->ResizeAndClear(ny, nx + 1);
  for (Integer k = 1; k <= ny; ++k) {
    double intercept = yMeans[std::size_t(k - 1)];
    for (Integer i = 1; i <= nx; ++i) {
      double b = 0;
      for (Integer a = 1; a <= NFact; ++a) b += WgtX->GetVal(a, i) * LoadY->GetVal(a, k);
      const double dev = xDevs[std::size_t(i - 1)];
      if (Standardize && dev != 0) b /= dev;
      RegCoeff->SetVal(k, i, b);
      intercept -= b * xMeans[std::size_t(i - 1)];
    }
    RegCoeff->SetVal(k, nx + 1, intercept);
  }
  for (TMatrix* m : {ScoreX, ScoreY, LoadX, LoadY, WgtX, OrthoLd}) m->Changed();
}

// ---- the model ---------------------------------------------------------------------------

namespace {

std::unique_ptr<TMatrix> NewMatrix() { return std::make_unique<TMatrix>(nullptr); }
std::unique_ptr<TVector> NewVector() { return std::make_unique<TVector>(nullptr); }

// 8-bit characters, at most PLSMaxNameLength of them.
String EightBitName(const String& Value) {
  std::string bytes = LowBytesOfString(Value);
  if (bytes.size() > std::size_t(PLSMaxNameLength)) bytes.resize(std::size_t(PLSMaxNameLength));
  return StringOfLowBytes(bytes);
}

String NameAt(const std::vector<String>& names, Integer ix, Integer columns) {
  if (ix < 1 || ix > columns || ix > Integer(names.size())) return String();
  return names[std::size_t(ix - 1)];
}

void SetNameAt(std::vector<String>& names, Integer ix, Integer columns, const String& Value) {
  if (ix < 1 || ix > columns) return;
  if (Integer(names.size()) != columns) names.resize(std::size_t(columns));
  names[std::size_t(ix - 1)] = EightBitName(Value);
}

struct TColumnStats {
  double min, max, mean, dev;
};

TColumnStats StatsOf(const TMatrix* m, Integer c) {
  TColumnStats s{};
  m->MinMax(c, 1, c, m->NrOfRows(), s.min, s.max);
  double var;
  m->MeanVar(c, 1, c, m->NrOfRows(), s.mean, var);
  s.dev = std::sqrt(var);
  return s;
}

String Real(double x) { return strff(x, 16, -2); }

}  // namespace

TPLSModel::TPLSModel(TComponent* AOwner)
    : TComponent(AOwner),
      FXMat(NewMatrix()),
      FYMat(NewMatrix()),
      FScoreX(NewMatrix()),
      FScoreY(NewMatrix()),
      FLoadX(NewMatrix()),
      FLoadY(NewMatrix()),
      FWgtX(NewMatrix()),
      FOrthoLd(NewMatrix()),
      FRegCoeffs(NewMatrix()),
      FVarX(NewVector()),
      FVarY(NewVector()),
      FCvdRmsEP(NewVector()),
      FCvdFPRate(NewVector()),
      FCvdTPRate(NewVector()),
      FCfThresh(NewVector()) {
  for (TVector* v : {FCvdRmsEP.get(), FCvdFPRate.get(), FCvdTPRate.get()}) v->Fill(-1);
}

TPLSModel::~TPLSModel() = default;

void TPLSModel::SetXMat(const TMatrix* Value) { FXMat->Clone(Value); }
void TPLSModel::SetYMat(const TMatrix* Value) { FYMat->Clone(Value); }

Integer TPLSModel::MaxFactors() const { return std::min(FXMat->NrOfColumns(), FXMat->NrOfRows()); }

String TPLSModel::GetPredName(Integer ix) const {
  return NameAt(FXNames, ix, FXMat->NrOfColumns());
}
String TPLSModel::GetRespoName(Integer ix) const {
  return NameAt(FYNames, ix, FYMat->NrOfColumns());
}
void TPLSModel::SetPredName(Integer ix, const String& Value) {
  SetNameAt(FXNames, ix, FXMat->NrOfColumns(), Value);
}
void TPLSModel::SetRespoName(Integer ix, const String& Value) {
  SetNameAt(FYNames, ix, FYMat->NrOfColumns(), Value);
}

void TPLSModel::CalculateModel() {
  SimPLS(FXMat.get(), FYMat.get(), FNFact, ScalingMode == scmStandardize, FScoreX.get(),
         FScoreY.get(), FLoadX.get(), FLoadY.get(), FWgtX.get(), FOrthoLd.get(), FVarX.get(),
         FVarY.get(), FRegCoeffs.get());
  FCfThresh->Resize(FYMat->NrOfColumns());
  FCfThresh->Fill(0);
  if (IsDiscriminantModel) {
    TMatrix fitted(nullptr);
    Predict(FXMat.get(), &fitted);
    SetCFThresholds(&fitted);
  }
}

void TPLSModel::Predict(const TMatrix* XData, TMatrix* YHat) const {
  const Integer ny = FRegCoeffs->NrOfColumns(), nx = FRegCoeffs->NrOfRows() - 1;
  YHat->ResizeAndClear(ny, XData->NrOfRows());
  for (Integer k = 1; k <= ny; ++k)
    for (Integer r = 1; r <= XData->NrOfRows(); ++r) {
      double y = FRegCoeffs->GetVal(k, nx + 1);
      for (Integer i = 1; i <= nx; ++i) y += XData->GetVal(i, r) * FRegCoeffs->GetVal(k, i);
      YHat->SetVal(k, r, y);
    }
}

void TPLSModel::Predict(const TDoubleArray& XData, TDoubleArray& YHat) const {
  const Integer ny = FRegCoeffs->NrOfColumns(), nx = FRegCoeffs->NrOfRows() - 1;
  YHat.assign(std::size_t(ny), 0.0);
  for (Integer k = 1; k <= ny; ++k) {
    double y = FRegCoeffs->GetVal(k, nx + 1);
    for (Integer i = 0; i < nx && i < Integer(XData.size()); ++i)
      y += XData[std::size_t(i)] * FRegCoeffs->GetVal(k, i + 1);
    YHat[std::size_t(k - 1)] = y;
  }
}

void TPLSModel::SetCFThresholds(const TMatrix* YHat) {
  const Integer ny = FYMat->NrOfColumns(), n = std::min(YHat->NrOfRows(), FYMat->NrOfRows());
  FCfThresh->Resize(ny);
  for (Integer k = 1; k <= ny; ++k) {
    TMatrix pairs(nullptr);  // column 1 fitted, column 2 actual
    pairs.Resize(2, n);
    Integer positives = 0, negatives = 0;
    for (Integer r = 1; r <= n; ++r) {
      pairs.SetVal(1, r, YHat->GetVal(k, r));
      pairs.SetVal(2, r, FYMat->GetVal(k, r));
      (FYMat->GetVal(k, r) > 0 ? positives : negatives) += 1;
    }
    pairs.SortRows(1, true, 1, 1, 2, n);
    double best = 0, threshold = 0;
    Integer fp = 0, fn = 0;
    for (Integer r = 1; r <= n; ++r) {
      (pairs.GetVal(2, r) > 0 ? fp : fn) += 1;
      const double fracP = positives ? double(fp) / positives : 0;
      const double fracN = negatives ? double(fn) / negatives : 0;
      const double separation = positives == 0   ? fracN
                                : negatives == 0 ? fracP
                                                 : std::fabs(fracP - fracN);
      if (separation > best) {
        best = separation;
        // The neighbours that exist (a missing one would pull the threshold toward 0).
        double sum = 0;
        Integer count = 0;
        for (Integer q = std::max<Integer>(1, r - 1); q <= std::min(n, r + 1); ++q, ++count)
          sum += pairs.GetVal(1, q);
        threshold = sum / count;
      }
    }
    FCfThresh->SetVal(k, best > 0 ? threshold : 0);
  }
}

double TPLSModel::CrossValidateModel(Integer SizeTestSet) {
  const Integer ny = FYMat->NrOfColumns();
  for (TVector* v : {FCvdRmsEP.get(), FCvdFPRate.get(), FCvdTPRate.get()}) {
    v->Resize(ny);
    v->Fill(-1);
  }
  TCrossValidator cv(nullptr);
  cv.XMat = FXMat.get();
  cv.YMat = FYMat.get();
  cv.SetTestSize(SizeTestSet);
  cv.CountByClass = IsDiscriminantModel;
  cv.OnModelCreateRequest = [this](TObject*, Integer percent, const TIntArray& list, bool& ok) {
    ProcStat = 0;
    try {
      TMatrix x(nullptr), y(nullptr);
      x.Resize(FXMat->NrOfColumns(), Integer(list.size()));
      y.Resize(FYMat->NrOfColumns(), Integer(list.size()));
      for (std::size_t r = 0; r < list.size(); ++r) {
        for (Integer c = 1; c <= FXMat->NrOfColumns(); ++c)
          x.SetVal(c, Integer(r + 1), FXMat->GetVal(c, list[r]));
        for (Integer c = 1; c <= FYMat->NrOfColumns(); ++c)
          y.SetVal(c, Integer(r + 1), FYMat->GetVal(c, list[r]));
      }
      SimPLS(&x, &y, FNFact, ScalingMode == scmStandardize, FScoreX.get(), FScoreY.get(),
             FLoadX.get(), FLoadY.get(), FWgtX.get(), FOrthoLd.get(), FVarX.get(), FVarY.get(),
             FRegCoeffs.get());
      ok = true;
    } catch (...) {
      ok = false;
    }
    if (ok && IsDiscriminantModel) {
      TMatrix fitted(nullptr);
      Predict(FXMat.get(), &fitted);
      SetCFThresholds(&fitted);
    }
    if (OnPercentDone) OnPercentDone(this, percent);
  };
  cv.OnModelApplyRequest = [this](TObject*, Integer percent, const TDoubleArray& x,
                                  TDoubleArray& y) {
    TDoubleArray yhat;
    Predict(x, yhat);
    for (std::size_t k = 0; k < y.size() && k < yhat.size(); ++k)
      y[k] = IsDiscriminantModel ? (FCfThresh->GetVal(Integer(k + 1)) > yhat[k] ? -1 : 1) : yhat[k];
    if (OnPercentDone) OnPercentDone(this, percent);
  };
  cv.OnCheckAbort = [this](TObject*, bool& abort) {
    if (OnCheckCVDAbort) OnCheckCVDAbort(this, abort);
  };
  if (!cv.Execute()) return -1;
  double sum = 0;
  for (Integer k = 1; k <= ny; ++k) {
    FCvdRmsEP->SetVal(k, cv.GetRMSEP(k));
    FCvdFPRate->SetVal(k, cv.GetFPRate(k));
    FCvdTPRate->SetVal(k, cv.GetTPRate(k));
    sum += cv.GetRMSEP(k);
  }
  return sum / ny;
}

// ---- files -------------------------------------------------------------------------------

void TPLSModel::SaveModelCoefficients(const String& FileName, const String& Comment) const {
  TMemoryStream* out = new TMemoryStream();
  std::unique_ptr<TMemoryStream> owner(out);
  const Integer nx = FXMat->NrOfColumns(), ny = FYMat->NrOfColumns();
  WriteLnStream(*out, PLSModelFileId);
  WriteLongintToStream(*out, PLSModelFileVersion);
  WriteLongintToStream(*out, nx);
  WriteLongintToStream(*out, ny);
  WriteLongintToStream(*out, FNFact);
  WriteLnStream(*out, Comment);
  auto variables = [&](const TMatrix* m, Integer count, auto name) {
    for (Integer c = 1; c <= count; ++c) {
      WriteLnStream(*out, name(c));
      const TColumnStats s = StatsOf(m, c);
      for (double v : {s.min, s.max, s.mean, s.dev}) WriteExtendedToStream(*out, v);
    }
  };
  variables(FXMat.get(), nx, [&](Integer c) { return GetPredName(c); });
  variables(FYMat.get(), ny, [&](Integer c) { return GetRespoName(c); });
  FRegCoeffs->SaveToStream(out, 1, 1, FRegCoeffs->NrOfColumns(), FRegCoeffs->NrOfRows());
  WriteLongintToStream(*out, IsDiscriminantModel ? 1 : 0);
  FCfThresh->SaveToStream(out, 1, FCfThresh->NrOfElem());
  if (!WriteFileReplacing(FileName, String(out->Memory(), std::size_t(out->Size()))))
    throw EInOutError("Cannot write the model file \"" + FileName + "\"");
}

namespace {

constexpr Integer kStatBytes = 4 * 10;  // four extended numbers per variable

// Items 1 .. 6; 0, or the load codes -2 / -3.
Integer ReadModelHead(TStream& in, Integer& version, Integer& nx, Integer& ny, Integer& nfact,
                      String& Comment) {
  bool end = false, error = false;
  if (ReadLnStream(in, end, 0) != PLSModelFileId) return -2;
  version = ReadLongintFromStream(in, error);
  nx = ReadLongintFromStream(in, error);
  ny = ReadLongintFromStream(in, error);
  nfact = version > 1 ? ReadLongintFromStream(in, error) : 0;
  if (error) return -3;
  Comment = ReadLnStream(in, end, 0);
  if (end) return -3;
  return 0;
}

std::unique_ptr<TFileStream> OpenModelFile(const String& FileName) {
  try {
    if (!FileExists(FileName)) return nullptr;
    return std::make_unique<TFileStream>(FileName, fmOpenRead);
  } catch (const Exception&) {
    return nullptr;
  }
}

}  // namespace

Integer LoadPLSModelComment(const String& FileName, String& Comment) {
  auto in = OpenModelFile(FileName);
  if (!in) return -1;
  Integer version, nx, ny, nfact;
  try {
    return ReadModelHead(*in, version, nx, ny, nfact, Comment);
  } catch (const Exception&) {
    return -1;
  }
}

Integer TPLSModel::LoadModelCoefficients(const String& FileName, String& Comment) {
  FNFact = 0;
  IsDiscriminantModel = false;
  auto in = OpenModelFile(FileName);
  if (!in) return -1;
  try {
    Integer version, nx, ny, nfact;
    const Integer head = ReadModelHead(*in, version, nx, ny, nfact, Comment);
    if (head != 0) return head;
    FNFact = std::max<Integer>(0, nfact);
    // Counts a damaged file cannot hold are refused before anything is sized.
    const Int64 left = in->Size() - in->Position();
    if (nx < 1 || ny < 1 || (Int64(nx) + ny) * kStatBytes > left) return -1;
    bool error = false, end = false;
    auto variables = [&](TMatrix* m, Integer count, std::vector<String>& names) {
      m->ResizeAndClear(count, 4);
      names.assign(std::size_t(count), String());
      for (Integer c = 1; c <= count; ++c) {
        const String name = ReadLnStream(*in, end, 0);
        if (!error && !end) names[std::size_t(c - 1)] = EightBitName(name);
        for (Integer r = 1; r <= 4; ++r)
          m->SetVal(c, r, double(ReadExtendedFromStream(*in, error)));
      }
    };
    variables(FXMat.get(), nx, FXNames);
    variables(FYMat.get(), ny, FYNames);
    if (error || end) return -1;
    if (!FRegCoeffs->LoadFromStream(in.get(), true)) return -1;
    if (version > 2) {
      const Integer flag = ReadLongintFromStream(*in, error);
      if (error) return -1;
      IsDiscriminantModel = flag == 1;
      if (!FCfThresh->LoadFromStream(in.get(), true)) return -1;
    }
    return 0;
  } catch (const Exception&) {
    return -1;
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

void TPLSModel::AppendModelParamsToFile(TTextFile& F, const String& Comment) const {
  const Integer nx = FXMat->NrOfColumns(), ny = FYMat->NrOfColumns();
  F.WriteLn("#COMMENT " + Comment);
  F.WriteLn("#VERSION " + IntToStr(PLSModelFileVersion));
  F.WriteLn("#NFACT " + IntToStr(FNFact));
  auto variables = [&](const char* head, const TMatrix* m, Integer count, auto name) {
    F.WriteLn(head + IntToStr(count));
    for (Integer c = 1; c <= count; ++c) {
      const TColumnStats s = StatsOf(m, c);
      String line = Decimal(c, 4) + " ";
      for (double v : {s.min, s.max, s.mean, s.dev}) line += Real(v) + " ";
      F.WriteLn(line + name(c));
    }
  };
  variables("#XVARS ", FXMat.get(), nx, [&](Integer c) { return GetPredName(c); });
  variables("#YVARS ", FYMat.get(), ny, [&](Integer c) { return GetRespoName(c); });
  if (IsDiscriminantModel) {
    F.WriteLn("#ISDISCRIM TRUE");
    F.WriteLn("#CFTHRESH " + IntToStr(ny));
    for (Integer k = 1; k <= ny; ++k) F.WriteLn(Real(FCfThresh->GetVal(k)));
  } else {
    F.WriteLn("#ISDISCRIM FALSE");
  }
  F.WriteLn("#COEFFS " + IntToStr(FRegCoeffs->NrOfColumns()) + " " +
            IntToStr(FRegCoeffs->NrOfRows()));
  for (Integer r = 1; r <= FRegCoeffs->NrOfRows(); ++r) {
    String line;
    for (Integer c = 1; c <= FRegCoeffs->NrOfColumns(); ++c)
      line += Real(FRegCoeffs->GetVal(c, r)) + " ";
    F.WriteLn(line);
  }
}
