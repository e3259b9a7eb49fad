#pragma once
// Partial least squares: SimPLS (de Jong's SIMPLS on the library's singular value
// decomposition) and TPLSModel, which calculates, applies, cross-validates, stores and lists
// models, optionally discriminant models with a classification threshold per response.
//
// Matrices are [column, row]: one row per object. SimPLS sizes its outputs as
// ScoreX, ScoreY: NFact columns x n rows; LoadX, WgtX, OrthoLd: NFact x nx; LoadY: NFact x ny;
// VarX, VarY: NFact; RegCoeff: ny columns x (nx + 1) rows, the last row the intercepts.

#include <memory>
#include <vector>

#include "DOV_statis.h"

class TTextFile;

// Raises ESDLMath2Error "number of factors too high (max=N)", "near singular covariance
// matrix" and "SIMPLS: orthogonal loadings are all zero", and ESDLVectorError when the scores
// of a factor are all zero. Clears AbortMathProc on entry; a set flag stops after the current
// deflation row (the outputs then hold what was reached).
void SimPLS(const TMatrix* X, const TMatrix* Y, Integer NFact, bool Standardize, TMatrix* ScoreX,
            TMatrix* ScoreY, TMatrix* LoadX, TMatrix* LoadY, TMatrix* WgtX, TMatrix* OrthoLd,
            TVector* VarX, TVector* VarY, TMatrix* RegCoeff);

enum TPLSSclMode { scmCenter, scmStandardize };

// The first line of a model file.
inline constexpr const char* PLSModelFileId = "#DLABPLS";
inline constexpr Integer PLSModelFileVersion = 3;
inline constexpr Integer PLSMaxNameLength = 50;

class TPLSModel : public TComponent {
public:
  explicit TPLSModel(TComponent* AOwner);
  ~TPLSModel() override;
  String ClassName() const override { return "TPLSModel"; }

  // Training data, owned by the model: SetXMat / SetYMat copy the given matrix. After a model
  // file is loaded they hold four rows per variable: minimum, maximum, mean, deviation.
  TMatrix* XMat() const { return FXMat.get(); }
  TMatrix* YMat() const { return FYMat.get(); }
  void SetXMat(const TMatrix* Value);
  void SetYMat(const TMatrix* Value);

  TMatrix* ScoreX() const { return FScoreX.get(); }
  TMatrix* ScoreY() const { return FScoreY.get(); }
  TMatrix* LoadX() const { return FLoadX.get(); }
  TMatrix* LoadY() const { return FLoadY.get(); }
  TMatrix* WgtX() const { return FWgtX.get(); }
  TMatrix* OrthoLd() const { return FOrthoLd.get(); }
  TVector* VarX() const { return FVarX.get(); }
  TVector* VarY() const { return FVarY.get(); }
  TMatrix* RegCoeff() const { return FRegCoeffs.get(); }
  TVector* CvdRmsEP() const { return FCvdRmsEP.get(); }
  TVector* CvdFPRate() const { return FCvdFPRate.get(); }
  TVector* CvdTPRate() const { return FCvdTPRate.get(); }
  TVector* ClassifThreshold() const { return FCfThresh.get(); }

  bool IsDiscriminantModel = false;
  TPLSSclMode ScalingMode = scmCenter;
  Integer Factors() const { return FNFact; }
  void SetNFactors(Integer n) { FNFact = n < 0 ? 0 : n; }
  Integer MaxFactors() const;

  // "" for an index outside the columns of XMat (YMat) or the names held.
  String GetPredName(Integer ix) const;
  String GetRespoName(Integer ix) const;
  // Ignored outside 1 .. columns; stored as 8-bit characters, at most 50.
  void SetPredName(Integer ix, const String& Value);
  void SetRespoName(Integer ix, const String& Value);

  TOnPercentDoneEvent OnPercentDone;
  TOnCheckAbortEvent OnCheckCVDAbort;

  // SimPLS of XMat and YMat (standardised when ScalingMode is scmStandardize); a discriminant
  // model then sets its thresholds from its own fitted values. SimPLS's errors pass through.
  void CalculateModel();
  // Raw predictions (no thresholds): YHat gets one column per response, one row per row of
  // XData; the array form takes one object (0-based) and gives one entry per response.
  void Predict(const TMatrix* XData, TMatrix* YHat) const;
  void Predict(const TDoubleArray& XData, TDoubleArray& YHat) const;
  // Per response, the fitted value where members (> 0) and non-members (<= 0) separate best,
  // averaged with its sorted neighbours (those that exist).
  void SetCFThresholds(const TMatrix* YHat);
  // The mean cross-validated RMSEP over the responses, or -1 when aborted or no model could be
  // built. A discriminant model is counted by class. The model's matrices hold the last fold's
  // model afterwards.
  double CrossValidateModel(Integer SizeTestSet);

  // Writes the model file beside FileName and renames it over; EInOutError when that fails.
  void SaveModelCoefficients(const String& FileName, const String& Comment) const;
  // 0 done, -1 cannot open or a read failed, -2 not a model file, -3 ended by the comment.
  Integer LoadModelCoefficients(const String& FileName, String& Comment);
  // The text listing, appended to a file the caller opened for writing.
  void AppendModelParamsToFile(TTextFile& F, const String& Comment) const;

private:
  std::unique_ptr<TMatrix> FXMat, FYMat, FScoreX, FScoreY, FLoadX, FLoadY, FWgtX, FOrthoLd,
      FRegCoeffs;
  std::unique_ptr<TVector> FVarX, FVarY, FCvdRmsEP, FCvdFPRate, FCvdTPRate, FCfThresh;
  Integer FNFact = 3;
  std::vector<String> FXNames{String()}, FYNames{String()};
};

// Items 1 .. 6 of a model file: the comment; codes as LoadModelCoefficients.
Integer LoadPLSModelComment(const String& FileName, String& Comment);
