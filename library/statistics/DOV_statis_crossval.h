#pragma once
// TCrossValidator: cross-validates any model by repeated random partitioning of the objects
// (rows) of a predictor and a response matrix. The owner builds and applies the model through
// two events; the validator draws the test sets from the process-wide generator (RtlRandom.h)
// and accumulates the prediction errors and the classification counts per response column.

#include <functional>
#include <memory>

#include "DOV_statis.h"

// ObjectList: the 1-based rows of the training objects, ascending; Success is false on entry.
using TOnModelCreateRequestEvent = std::function<void(TObject* Sender, Integer PercentDone,
                                                      const TIntArray& ObjectList, bool& Success)>;
// Predictors: one object's row (0-based); Response is sized to the number of responses.
using TOnModelApplyRequestEvent = std::function<void(
    TObject* Sender, Integer PercentDone, const TDoubleArray& Predictors, TDoubleArray& Response)>;

class TCrossValidator : public TComponent {
public:
  explicit TCrossValidator(TComponent* AOwner);
  ~TCrossValidator() override;
  String ClassName() const override { return "TCrossValidator"; }

  Integer SizeTestSet() const { return FTestSize; }
  // n, or 1 (leave-one-out) for n <= 0; the results become unknown (-1).
  void SetTestSize(Integer n);
  bool IsExecuting() const { return FIsRunning; }
  TMatrix* XMat = nullptr;  // not owned
  TMatrix* YMat = nullptr;  // not owned
  TOnModelApplyRequestEvent OnModelApplyRequest;
  TOnModelCreateRequestEvent OnModelCreateRequest;
  TOnCheckAbortEvent OnCheckAbort;
  // Counting by class (for discriminant models, whose predictions are -1 or 1): a response
  // above 0 is a member, a prediction above 0 says member. Off, a prediction is right when it
  // lies within 0.001 of the response, and only a response of exactly 1 is a member.
  bool CountByClass = false;

  // Runs the cross-validation; false when it was aborted (OnCheckAbort, asked after every
  // prediction and after every model that could not be built) or when 100 models in a row
  // could not be built; the results are then -1. Raises ESDLStatisError for missing matrices,
  // unequal row counts and missing events before anything changes. A test size above
  // N div 2 + 1 is lowered to it (the stored size changes).
  bool Execute();

  // Results per response column (1-based); -1 while unknown (after SetTestSize, an abort, or
  // for a column outside the results).
  double GetRMSEP(Integer ix) const;   // sqrt(PRESS / number of objects)
  double GetTPRate(Integer ix) const;  // TP / (TP + FN); 0 without members
  double GetFPRate(Integer ix) const;  // FP / (FP + TN); 1 without non-members
  const TVector* Press() const { return FPress.get(); }

private:
  void FillResults(double Value);

  Integer FTestSize = 2;
  bool FIsRunning = false;
  std::unique_ptr<TVector> FPress, FTPCnt, FFPCnt, FTNCnt, FFNCnt;
};
