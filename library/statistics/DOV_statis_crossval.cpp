// Cross-validation by repeated random partitioning.

#include "DOV_statis_crossval.h"

#include <cmath>
#include <vector>

#include "RtlRandom.h"

namespace {

constexpr double kCorrectTolerance = 0.001;
// Models that could not be built one after the other before the run gives up: the last test
// set is all that is left and would be drawn the same way for ever.
constexpr Integer kMaxFailedCreates = 100;

Integer Percent(Integer done, Integer total) {
  return static_cast<Integer>(std::nearbyint(100.0 * done / total));
}

}  // namespace

TCrossValidator::TCrossValidator(TComponent* AOwner)
    : TComponent(AOwner),
      FPress(new TVector(nullptr)),
      FTPCnt(new TVector(nullptr)),
      FFPCnt(new TVector(nullptr)),
      FTNCnt(new TVector(nullptr)),
      FFNCnt(new TVector(nullptr)) {
  FillResults(-1);
}

TCrossValidator::~TCrossValidator() = default;

void TCrossValidator::FillResults(double Value) {
  for (TVector* v : {FPress.get(), FTPCnt.get(), FFPCnt.get(), FTNCnt.get(), FFNCnt.get()})
    v->Fill(Value);
}

void TCrossValidator::SetTestSize(Integer n) {
  FTestSize = n <= 0 ? 1 : n;
  FillResults(-1);
}

bool TCrossValidator::Execute() {
  if (!XMat || !YMat) throw ESDLStatisError("TCrossValidator.Execute: data matrix not assigned");
  if (XMat->NrOfRows() != YMat->NrOfRows())
    throw ESDLStatisError("TCrossValidator.Execute: number of rows of XMat and YMat not equal");
  if (!OnModelApplyRequest)
    throw ESDLStatisError("TCrossValidator: OnModelApplyRequest event is not assigned");
  if (!OnModelCreateRequest)
    throw ESDLStatisError("TCrossValidator: OnModelCreateRequest event is not assigned");

  const Integer N = XMat->NrOfRows(), nx = XMat->NrOfColumns(), ny = YMat->NrOfColumns();
  if (FTestSize > N / 2 + 1) FTestSize = N / 2 + 1;
  std::vector<bool> used(static_cast<std::size_t>(N) + 1, false);
  for (TVector* v : {FPress.get(), FTPCnt.get(), FFPCnt.get(), FTNCnt.get(), FFNCnt.get()}) {
    v->Resize(ny);
    v->Fill(0);
  }
  bool abort = false;
  FIsRunning = true;
  Integer predicted = 0, usedCount = 0, failedCreates = 0;
  TDoubleArray predictors(static_cast<std::size_t>(nx)), response(static_cast<std::size_t>(ny));
  try {
    while (usedCount < N && !abort) {
      std::vector<bool> test(used.size(), false);
      if (FTestSize >= N - usedCount) {
        for (Integer q = 1; q <= N; ++q)
          if (!used[q]) test[q] = used[q] = true;
        usedCount = N;
      } else {
        for (Integer t = 0; t < FTestSize; ++t) {
          Integer q = Random(N) + 1;
          while (used[q]) q = q % N + 1;
          test[q] = used[q] = true;
          ++usedCount;
        }
      }
      TIntArray training;
      for (Integer q = 1; q <= N; ++q)
        if (!test[q]) training.push_back(q);
      bool success = false;
      OnModelCreateRequest(this, Percent(predicted, N), training, success);
      if (!success) {
        for (Integer q = 1; q <= N; ++q)
          if (test[q]) {
            used[q] = false;
            --usedCount;
          }
        if (OnCheckAbort) OnCheckAbort(this, abort);
        if (++failedCreates >= kMaxFailedCreates) abort = true;
        continue;
      }
      failedCreates = 0;
      for (Integer q = 1; q <= N && !abort; ++q) {
        if (!test[q]) continue;
        ++predicted;
        for (Integer c = 1; c <= nx; ++c) predictors[std::size_t(c - 1)] = XMat->GetVal(c, q);
        std::fill(response.begin(), response.end(), 0.0);
        OnModelApplyRequest(this, Percent(predicted, N), predictors, response);
        for (Integer c = 1; c <= ny; ++c) {
          const double y = YMat->GetVal(c, q), e = response[std::size_t(c - 1)] - y;
          FPress->SetVal(c, FPress->GetVal(c) + e * e);
          const bool member = CountByClass ? y > 0 : y == 1;
          const bool right = CountByClass ? (response[std::size_t(c - 1)] > 0) == member
                                          : std::fabs(e) < kCorrectTolerance;
          TVector* counter =
              member ? (right ? FTPCnt : FFNCnt).get() : (right ? FTNCnt : FFPCnt).get();
          counter->SetVal(c, counter->GetVal(c) + 1);
        }
        if (OnCheckAbort) OnCheckAbort(this, abort);
      }
    }
  } catch (...) {
    FIsRunning = false;
    FillResults(-1);
    throw;
  }
  FIsRunning = false;
  if (abort) FillResults(-1);
  return !abort;
}

double TCrossValidator::GetRMSEP(Integer ix) const {
  const double press = FPress->GetVal(ix);
  if (ix < 1 || ix > FPress->NrOfElem() || press < 0 || !XMat || XMat->NrOfRows() < 1) return -1;
  return std::sqrt(press / XMat->NrOfRows());
}

double TCrossValidator::GetTPRate(Integer ix) const {
  const double tp = FTPCnt->GetVal(ix), fn = FFNCnt->GetVal(ix);
  if (ix < 1 || ix > FTPCnt->NrOfElem() || tp < 0 || fn < 0) return -1;
  return tp + fn == 0 ? 0 : tp / (tp + fn);
}

double TCrossValidator::GetFPRate(Integer ix) const {
  const double fp = FFPCnt->GetVal(ix), tn = FTNCnt->GetVal(ix);
  if (ix < 1 || ix > FFPCnt->NrOfElem() || fp < 0 || tn < 0) return -1;
  return fp + tn == 0 ? 1 : fp / (fp + tn);
}
