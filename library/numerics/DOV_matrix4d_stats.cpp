// TMat4D reshaping (cut, resample, transpose, mirrors) and window statistics. Windows visit
// the column outermost, then the row, the layer and, innermost, the time slot.

#include <algorithm>
#include <cmath>
#include <new>

#include "DOV_math1.h"
#include "DOV_matrix4d.h"
#include "DOV_matrix_common.h"
#include "DOV_matrix_window.h"
#include "DOV_progress.h"
#include "DOV_univconst.h"
#include "RtlRandom.h"

using namespace dov_matrix;

namespace {

// Percent progress: OnPercentDone every step-th unit.
class TUnits {
public:
  TUnits(TMat4D& M, Int64 Total) : FM(M), FTotal(Total), FStep(std::max<Int64>(1, Total / 100)) {}
  void Unit() {
    if (++FCount % FStep == 0)
      FM.PercDone(&FM, static_cast<Integer>(std::llround(static_cast<double>(FCount) * 100 /
                                                         static_cast<double>(FTotal))));
  }

private:
  TMat4D& FM;
  Int64 FTotal, FStep, FCount = 0;
};

// The global protocol: one step after every Step-th unit.
class TSteps {
public:
  explicit TSteps(Int64 Step) : FStep(Step) {}
  void Unit() {
    if (++FCount % FStep == 0) ProgressStep();
  }

private:
  Int64 FStep, FCount = 0;
};

constexpr Integer kCandidateDraws = 15;
constexpr Integer kCandidateQuorum = 7;

}  // namespace

// Bounds in the order lc, hc, lr, hr, ll, hl, lt, ht.
#define KESTAL_WINDOW(lc, hc, lr, hr, ll, hl, lt, ht) \
  MakeValidColRange(lc, hc);                          \
  MakeValidRowRange(lr, hr);                          \
  MakeValidLayerRange(ll, hl);                        \
  MakeValidTSlotRange(lt, ht)

std::vector<double> TMat4D::WindowValues(const Integer* w) const {
  std::vector<double> x;
  try {
    x.reserve(static_cast<std::size_t>(w[1] - w[0] + 1) * (w[3] - w[2] + 1) *
              static_cast<std::size_t>(w[5] - w[4] + 1) * (w[7] - w[6] + 1));
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  } catch (const std::length_error&) {
    Raise("not enough memory on heap");
  }
  for (Integer c = w[0]; c <= w[1]; ++c)
    for (Integer r = w[2]; r <= w[3]; ++r)
      for (Integer z = w[4]; z <= w[5]; ++z)
        for (Integer t = w[6]; t <= w[7]; ++t) x.push_back(FData[Index(c, r, z, t)]);
  return x;
}

void TMat4D::Cut(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow, Integer LowLayer,
                 Integer HighLayer, Integer LowTimeslot, Integer HighTimeslot) {
  KESTAL_WINDOW(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeslot, HighTimeslot);
  const Integer nc = HighCol - LowCol + 1, nr = HighRow - LowRow + 1;
  const Integer nl = HighLayer - LowLayer + 1, nt = HighTimeslot - LowTimeslot + 1;
  std::vector<double> cut(static_cast<std::size_t>(nc) * nr * static_cast<std::size_t>(nl) * nt);
  TUnits units(*this, 2 * static_cast<Int64>(nt) * nl);
  std::size_t i = 0;
  for (Integer t = LowTimeslot; t <= HighTimeslot; ++t)
    for (Integer z = LowLayer; z <= HighLayer; ++z) {
      for (Integer y = LowRow; y <= HighRow; ++y)
        for (Integer x = LowCol; x <= HighCol; ++x) cut[i++] = FData[Index(x, y, z, t)];
      units.Unit();
    }
  FData.swap(cut);
  FNumX = nc;
  FNumY = nr;
  FNumZ = nl;
  FNumT = nt;
  for (Int64 k = 0; k < static_cast<Int64>(nt) * nl; ++k) units.Unit();
  Changed();
}

void TMat4D::Resample(Integer XDiv, Integer XOffset, Integer YDiv, Integer YOffset, Integer ZDiv,
                      Integer ZOffset, Integer TDiv, Integer TOffset, bool Average) {
  Integer div[4] = {XDiv, YDiv, ZDiv, TDiv};
  Integer off[4] = {XOffset, YOffset, ZOffset, TOffset};
  const Integer old[4] = {FNumX, FNumY, FNumZ, FNumT};
  Integer n[4];
  for (int d = 0; d < 4; ++d) {
    if (div[d] < 1) div[d] = 1;
    if (off[d] < 0) off[d] = 0;
    off[d] %= div[d];
    n[d] = std::max<Integer>(1, (old[d] - off[d] - 1) / div[d] + 1);
  }
  std::vector<double> fresh(static_cast<std::size_t>(n[0]) * n[1] * static_cast<std::size_t>(n[2]) *
                            n[3]);
  const double blockSize = static_cast<double>(div[0]) * div[1] * div[2] * div[3];
  TUnits units(*this, static_cast<Int64>(n[3]) * n[2]);
  std::size_t i = 0;
  for (Integer t = 1; t <= n[3]; ++t)
    for (Integer z = 1; z <= n[2]; ++z) {
      for (Integer y = 1; y <= n[1]; ++y)
        for (Integer x = 1; x <= n[0]; ++x) {
          const Integer x0 = off[0] + (x - 1) * div[0] + 1, y0 = off[1] + (y - 1) * div[1] + 1;
          const Integer z0 = off[2] + (z - 1) * div[2] + 1, t0 = off[3] + (t - 1) * div[3] + 1;
          double v = 0;
          if (!Average) {
            v = GetVal(x0, y0, z0, t0);
          } else {
            const Integer x1 = std::min(x0 + div[0] - 1, FNumX),
                          y1 = std::min(y0 + div[1] - 1, FNumY);
            const Integer z1 = std::min(z0 + div[2] - 1, FNumZ),
                          t1 = std::min(t0 + div[3] - 1, FNumT);
            for (Integer tt = t0; tt <= t1; ++tt)
              for (Integer zz = z0; zz <= z1; ++zz)
                for (Integer yy = y0; yy <= y1; ++yy)
                  for (Integer xx = x0; xx <= x1; ++xx) v += FData[Index(xx, yy, zz, tt)];
            v /= blockSize;
          }
          fresh[i++] = v;
        }
      units.Unit();
    }
  FData.swap(fresh);
  FNumX = n[0];
  FNumY = n[1];
  FNumZ = n[2];
  FNumT = n[3];
  Changed();
}

bool TMat4D::Transpose() {
  std::vector<double> temp, fresh;
  try {
    temp.assign(FData.size(), 0.0);
    fresh.assign(FData.size(), 0.0);
  } catch (const std::bad_alloc&) {
    Raise("not enough memory on heap");
  }
  const Integer X = FNumX, Y = FNumY;
  TUnits units(*this, 2 * static_cast<Int64>(X) * Y);
  bool complete = true;
  // First copy, column by column, into the exchanged positions of the temporary.
  auto tIndex = [&](Integer x, Integer y, Integer z, Integer t) {  // in the Y x X shape
    return ((static_cast<std::size_t>(t - 1) * FNumZ + (z - 1)) * X + (x - 1)) * Y + (y - 1);
  };
  Integer copied = 0;
  for (Integer x = 1; x <= X && complete; ++x) {
    if (AbortMathProc.load(std::memory_order_relaxed)) {
      complete = false;
      break;
    }
    for (Integer y = 1; y <= Y; ++y) {
      for (Integer z = 1; z <= FNumZ; ++z)
        for (Integer t = 1; t <= FNumT; ++t) temp[tIndex(x, y, z, t)] = FData[Index(x, y, z, t)];
      units.Unit();
    }
    copied = x;
  }
  // Copy-back, column by column of the new shape, of what the first copy reached.
  if (complete) {
    for (Integer nx = 1; nx <= Y; ++nx) {
      if (AbortMathProc.load(std::memory_order_relaxed)) {
        complete = false;
        break;
      }
      for (Integer ny = 1; ny <= X; ++ny) {
        for (Integer z = 1; z <= FNumZ; ++z)
          for (Integer t = 1; t <= FNumT; ++t) {
            const std::size_t k = tIndex(ny, nx, z, t);
            fresh[k] = temp[k];
          }
        units.Unit();
      }
    }
  }
  (void)copied;
  FData.swap(fresh);
  std::swap(FNumX, FNumY);
  Changed();
  return complete;
}

// Mirrors one axis (0 columns ... 3 time slots): each pair of planes is exchanged run by run
// along the time slots (along the layers when the time slots are mirrored); one progress
// step per step-th run.
void TMat4D::MirrorAxis(int Axis) {
  const Integer n[4] = {FNumX, FNumY, FNumZ, FNumT};
  const std::size_t stride[4] = {1, static_cast<std::size_t>(FNumX),
                                 static_cast<std::size_t>(FNumX) * FNumY, TimeSlotSize()};
  const int inner = Axis == 3 ? 2 : 3;
  int outer[2], k = 0;
  for (int d = 0; d < 4; ++d)
    if (d != Axis && d != inner) outer[k++] = d;
  TSteps steps(static_cast<Int64>(0.005 * FNumX * FNumY * n[inner == 3 ? 2 : 3]) + 1);
  for (Integer i = 1; i < n[Axis] + 1 - i; ++i)
    for (Integer a = 0; a < n[outer[0]]; ++a)
      for (Integer b = 0; b < n[outer[1]]; ++b) {
        const std::size_t base = a * stride[outer[0]] + b * stride[outer[1]];
        const std::size_t lo = base + static_cast<std::size_t>(i - 1) * stride[Axis];
        const std::size_t hi = base + static_cast<std::size_t>(n[Axis] - i) * stride[Axis];
        for (Integer j = 0; j < n[inner]; ++j)
          std::swap(FData[lo + j * stride[inner]], FData[hi + j * stride[inner]]);
        steps.Unit();
      }
  Changed();
}

void TMat4D::MirrorColumns() { MirrorAxis(0); }
void TMat4D::MirrorRows() { MirrorAxis(1); }
void TMat4D::MirrorLayers() { MirrorAxis(2); }
void TMat4D::MirrorTimeSlots() { MirrorAxis(3); }

Integer TMat4D::CountValues(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                            Integer LowLayer, Integer HighLayer, Integer LowTimeslot,
                            Integer HighTimeslot, double RangeLow, double RangeHigh) const {
  KESTAL_WINDOW(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeslot, HighTimeslot);
  Integer n = 0;
  for (Integer x = LowCol; x <= HighCol; ++x)
    for (Integer y = LowRow; y <= HighRow; ++y)
      for (Integer z = LowLayer; z <= HighLayer; ++z)
        for (Integer t = LowTimeslot; t <= HighTimeslot; ++t) {
          const double v = FData[Index(x, y, z, t)];
          if (v >= RangeLow && !(v > RangeHigh)) ++n;
        }
  return n;
}

void TMat4D::Find(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                  Integer LowLayer, Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot,
                  double Value, Integer& ColIx, Integer& RowIx, Integer& LayerIx,
                  Integer& TimeSlotIx) const {
  ColIx = RowIx = LayerIx = TimeSlotIx = 0;
  KESTAL_WINDOW(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot);
  double best = static_cast<double>(uc_MaxDouble);
  for (Integer x = LowCol; x <= HighCol; ++x)
    for (Integer y = LowRow; y <= HighRow; ++y)
      for (Integer z = LowLayer; z <= HighLayer; ++z)
        for (Integer t = LowTimeSlot; t <= HighTimeSlot; ++t) {
          const double d = std::fabs(FData[Index(x, y, z, t)] - Value);
          if (d < best) {
            best = d;
            ColIx = x;
            RowIx = y;
            LayerIx = z;
            TimeSlotIx = t;
          }
        }
}

void TMat4D::MinMax(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                    Integer LowLayer, Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot,
                    double& Minimum, double& Maximum) const {
  Minimum = static_cast<double>(uc_MaxReal);
  Maximum = -static_cast<double>(uc_MaxReal);
  KESTAL_WINDOW(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot);
  TSteps steps(static_cast<Int64>(HighCol - LowCol + 1) * (HighRow - LowRow + 1) / 100 + 1);
  for (Integer x = LowCol; x <= HighCol; ++x)
    for (Integer y = LowRow; y <= HighRow; ++y) {
      for (Integer z = LowLayer; z <= HighLayer; ++z)
        for (Integer t = LowTimeSlot; t <= HighTimeSlot; ++t) {
          const double v = FData[Index(x, y, z, t)];
          if (!(v >= Minimum)) Minimum = v;
          if (v > Maximum) Maximum = v;
        }
      steps.Unit();
    }
}

void TMat4D::MeanVar(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                     Integer LowLayer, Integer HighLayer, Integer LowTimeSlot, Integer HighTimeSlot,
                     double& Mean, double& Variance) const {
  Mean = Variance = 0;
  KESTAL_WINDOW(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot);
  TSteps steps(static_cast<Int64>(HighCol - LowCol + 1) * (HighRow - LowRow + 1) / 100 + 1);
  bool firstPass = true;  // the progress counts the window once
  MeanVarOf(
      [&](auto f) {
        for (Integer x = LowCol; x <= HighCol; ++x)
          for (Integer y = LowRow; y <= HighRow; ++y) {
            for (Integer z = LowLayer; z <= HighLayer; ++z)
              for (Integer t = LowTimeSlot; t <= HighTimeSlot; ++t) f(FData[Index(x, y, z, t)]);
            if (firstPass) steps.Unit();
          }
        firstPass = false;
      },
      Mean, Variance);
}

double TMat4D::Sum(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                   Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                   Integer HighTimeSlot) const {
  KESTAL_WINDOW(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot);
  TSteps steps(static_cast<Int64>(HighCol - LowCol + 1) * (HighRow - LowRow + 1) / 100 + 1);
  double s = 0;
  for (Integer x = LowCol; x <= HighCol; ++x)
    for (Integer y = LowRow; y <= HighRow; ++y) {
      for (Integer z = LowLayer; z <= HighLayer; ++z)
        for (Integer t = LowTimeSlot; t <= HighTimeSlot; ++t) s += FData[Index(x, y, z, t)];
      steps.Unit();
    }
  return s;
}

double TMat4D::SquaredSum(Integer LowCol, Integer HighCol, Integer LowRow, Integer HighRow,
                          Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                          Integer HighTimeSlot) const {
  KESTAL_WINDOW(LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot);
  TSteps steps(static_cast<Int64>(HighCol - LowCol + 1) * (HighRow - LowRow + 1) / 100 + 1);
  double s = 0;
  for (Integer x = LowCol; x <= HighCol; ++x)
    for (Integer y = LowRow; y <= HighRow; ++y) {
      for (Integer z = LowLayer; z <= HighLayer; ++z)
        for (Integer t = LowTimeSlot; t <= HighTimeSlot; ++t) {
          const double v = FData[Index(x, y, z, t)];
          s += v * v;
        }
      steps.Unit();
    }
  return s;
}

// The exact rank, with a shortcut: a value that most of 15 random probes hit is counted in
// the window, and when the rank falls among its copies it is the answer without a selection.
// The values below it are counted too, so the shortcut never answers for a rank it does not
// hold (the lowest of the probes is not the minimum).
double TMat4D::Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow,
                          Integer HighRow, Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                          Integer HighTimeSlot) const {
  Integer w[8] = {LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot};
  KESTAL_WINDOW(w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7]);
  double probe[kCandidateDraws];
  double m = static_cast<double>(uc_MaxDouble);
  for (auto& p : probe) {
    const Integer x = w[0] + Random(w[1] - w[0] + 1), y = w[2] + Random(w[3] - w[2] + 1);
    const Integer z = w[4] + Random(w[5] - w[4] + 1), t = w[6] + Random(w[7] - w[6] + 1);
    p = FData[Index(x, y, z, t)];
    if (p < m) m = p;
  }
  double candidate = m;
  for (Integer b = 0; b < kCandidateDraws; ++b) {
    Integer same = 0;
    for (double p : probe) same += p == probe[b];
    if (same >= kCandidateQuorum) {
      candidate = probe[b];
      break;
    }
  }
  std::vector<double> x = WindowValues(w);
  const auto n = static_cast<Int64>(x.size());
  if (HasNaN(x.data(), n)) return std::nan("");  // no order: no percentile
  Int64 equal = 0, below = 0;
  for (double v : x) {
    equal += v == candidate;
    below += v < candidate;
  }
  const Int64 k = PercentRank(n, prob);
  if (below <= k && k < below + equal) return candidate;
  return QuickSelect(x.data(), static_cast<Integer>(k), 0, static_cast<Integer>(n - 1));
}

double TMat4D::Percentile(double prob, Integer LowCol, Integer HighCol, Integer LowRow,
                          Integer HighRow, Integer LowLayer, Integer HighLayer, Integer LowTimeSlot,
                          Integer HighTimeSlot, Integer SampleSize) const {
  Integer w[8] = {LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot, HighTimeSlot};
  KESTAL_WINDOW(w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7]);
  const Int64 n = static_cast<Int64>(w[1] - w[0] + 1) * (w[3] - w[2] + 1) * (w[5] - w[4] + 1) *
                  (w[7] - w[6] + 1);
  if (SampleSize <= 0 || SampleSize >= n)
    return Percentile(prob, LowCol, HighCol, LowRow, HighRow, LowLayer, HighLayer, LowTimeSlot,
                      HighTimeSlot);
  std::vector<double> draws = DrawSample(this, SampleSize, [&] {
    const Integer x = w[0] + Random(w[1] - w[0] + 1), y = w[2] + Random(w[3] - w[2] + 1);
    const Integer z = w[4] + Random(w[5] - w[4] + 1), t = w[6] + Random(w[7] - w[6] + 1);
    return FData[Index(x, y, z, t)];
  });
  return RankPercentile(draws.data(), SampleSize, prob);
}

String TMat4D::CRCofData() const { return CRCofData(1); }

String TMat4D::CRCofData(Integer Sample) const {
  Sample = std::max<Integer>(1, std::min<Integer>(Sample, FNumZ / 2));
  TLaneDigest<8> d;
  TUnits units(const_cast<TMat4D&>(*this), static_cast<Int64>(FNumX) * FNumY);
  for (Integer x = 1; x <= FNumX; ++x)
    for (Integer y = 1; y <= FNumY; ++y) {
      for (Integer z = 1; z <= FNumZ; ++z) {
        if (z % Sample != 0) continue;
        for (Integer t = 1; t <= FNumT; ++t) d.Add(FData[Index(x, y, z, t)]);
      }
      units.Unit();
    }
  return d.Text();
}
