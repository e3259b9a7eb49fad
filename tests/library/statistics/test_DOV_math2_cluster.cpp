// Agglomerative clustering: worked examples, tie order, the abort protocol, distances that give
// no pair, and a differential test against the plain all-pairs method.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "DOV_intmatrix.h"
#include "DOV_math2_cluster.h"
#include "DOV_univconst.h"
#include "DOV_vector.h"

namespace {

struct TClustering {
  std::vector<std::array<Integer, 3>> Table;
  std::vector<double> Dist;
  std::vector<double> Pos;
  bool operator==(const TClustering&) const = default;
};

std::unique_ptr<TMatrix> DataOf(const std::vector<std::vector<double>>& rows) {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(static_cast<Integer>(rows[0].size()), static_cast<Integer>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      m->SetVal(static_cast<Integer>(c + 1), static_cast<Integer>(r + 1), rows[r][c]);
  return m;
}

class Cluster : public testing::Test {
protected:
  void SetUp() override {
    AbortMathProc = false;
    Calls.clear();
  }
  void TearDown() override { AbortMathProc = false; }

  Integer Run(TMatrix* data, TDistMode mode, TClusterMethod method, double alpha = 0.5,
              TClusterFeedBackProc feedback = nullptr, TOnCalcDistanceEvent event = nullptr) {
    return AgglomClustering(nullptr, data, mode, method, alpha, &Table, &Dist, &Pos, feedback,
                            std::move(event));
  }

  TClustering Result() const {
    TClustering r;
    for (Integer s = 1; s <= Table.NrOfRows(); ++s)
      r.Table.push_back({Table.GetVal(1, s), Table.GetVal(2, s), Table.GetVal(3, s)});
    r.Dist.assign(Dist.DataPtr(), Dist.DataPtr() + Dist.NrOfElem());
    r.Pos.assign(Pos.DataPtr(), Pos.DataPtr() + Pos.NrOfElem());
    return r;
  }

  bool AllZero() const {
    const TClustering r = Result();
    for (const auto& row : r.Table)
      if (row != std::array<Integer, 3>{0, 0, 0}) return false;
    return std::all_of(r.Dist.begin(), r.Dist.end(), [](double v) { return v == 0; }) &&
           std::all_of(r.Pos.begin(), r.Pos.end(), [](double v) { return v == 0; });
  }

  TIntMatrix Table{nullptr};
  TVector Dist{nullptr};
  TVector Pos{nullptr};

  struct Call {
    double count, percent;
  };
  static inline std::vector<Call> Calls;
  static inline std::size_t AbortAfter = 0;
  static void Record(TObject*, double count, double percent) { Calls.push_back({count, percent}); }
  static void AbortLater(TObject*, double count, double percent) {
    Calls.push_back({count, percent});
    if (Calls.size() > AbortAfter) AbortMathProc = true;
  }
};

TEST_F(Cluster, ThreePointsOnALine) {
  auto data = DataOf({{0}, {1}, {5}});
  ASSERT_EQ(Run(data.get(), dmEuclid, cmSingleLink), 0);
  const TClustering want{{{1, 2, 4}, {4, 3, 5}}, {1, 4}, {2, 1, 3, 1.5, 2.25}};
  EXPECT_EQ(Result(), want);
}

TEST_F(Cluster, EqualDistancesMergeTheFirstPairInScanOrder) {
  // Neighbours on a line are all 1 apart: each step joins the growing cluster (kept at the
  // higher position) with the next object.
  auto data = DataOf({{0}, {1}, {2}, {3}});
  ASSERT_EQ(Run(data.get(), dmEuclid, cmSingleLink), 0);
  const TClustering r = Result();
  const std::vector<std::array<Integer, 3>> table{{1, 2, 5}, {5, 3, 6}, {6, 4, 7}};
  EXPECT_EQ(r.Table, table);
  EXPECT_EQ(r.Dist, (std::vector<double>{1, 1, 1}));
  // Leaves: the root's parts 6, 4; 6 expands to 3, 5 and 5 to 2, 1: the order is 3 2 1 4.
  EXPECT_EQ(r.Pos, (std::vector<double>{3, 2, 1, 4, 2.5, 1.75, 2.875}));

  // Two pairs at the same distance far apart: (1, 2) comes before (3, 4) in the scan.
  auto pairs = DataOf({{10}, {12}, {0}, {2}});
  ASSERT_EQ(Run(pairs.get(), dmEuclid, cmCompleteLink), 0);
  EXPECT_EQ(Result().Table[0], (std::array<Integer, 3>{1, 2, 5}));
  EXPECT_EQ(Result().Table[1], (std::array<Integer, 3>{3, 4, 6}));
}

TEST_F(Cluster, EveryMethodOnTieFreeData) {
  // Objects at 0, 1, 3, 7 on a line (squared Euclidean distances 1, 9, 49, 4, 36, 16). The
  // first step always joins 1 and 2 at 1; the second distance and partner depend on the rule.
  auto data = DataOf({{0}, {1}, {3}, {7}});
  struct Case {
    TClusterMethod method;
    double alpha;
    std::array<Integer, 3> second;
    double secondDist;
  };
  const Case cases[] = {
      {cmSingleLink, 0.5, {5, 3, 6}, 4},    // min(9, 4)
      {cmCompleteLink, 0.5, {5, 3, 6}, 9},  // max(9, 4) = 9 < 16
      {cmAvgLink, 0.5, {5, 3, 6}, 6.5},     // (9 + 4) / 2
      {cmUpgma, 0.5, {5, 3, 6}, 6.5},       // sizes 1 and 1
      {cmWard, 0.5, {5, 3, 6}, (9 * 2 + 4 * 2 - 1) / 3.0},
      {cmFlexLink, 1.0, {5, 3, 6}, 12},  // (9 + 4) - 1
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ClusterMethodID[c.method]);
    ASSERT_EQ(Run(data.get(), dmEuclidSqr, c.method, c.alpha), 0);
    const TClustering r = Result();
    EXPECT_EQ(r.Table[0], (std::array<Integer, 3>{1, 2, 5}));
    EXPECT_EQ(r.Dist[0], 1);
    EXPECT_EQ(r.Table[1], c.second);
    EXPECT_DOUBLE_EQ(r.Dist[1], c.secondDist);
    EXPECT_EQ(r.Table[2][2], 7);
  }
}

TEST_F(Cluster, AlphaIsForcedIntoItsRange) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> u(0, 10);
  std::vector<std::vector<double>> rows(25, std::vector<double>(3));
  for (auto& r : rows)
    for (auto& v : r) v = u(rng);
  auto data = DataOf(rows);
  Run(data.get(), dmEuclid, cmAvgLink);
  const TClustering avg = Result();
  Run(data.get(), dmEuclid, cmFlexLink, 0.2);
  EXPECT_EQ(Result(), avg);
  Run(data.get(), dmEuclid, cmFlexLink, NAN);
  EXPECT_EQ(Result(), avg);
  Run(data.get(), dmEuclid, cmFlexLink, 1.0);
  const TClustering one = Result();
  Run(data.get(), dmEuclid, cmFlexLink, 3.0);
  EXPECT_EQ(Result(), one);
  EXPECT_NE(one, avg);
}

TEST_F(Cluster, FeedbackAndAbort) {
  auto data = DataOf({{0}, {1}, {5}, {6}, {20}});
  ProcStat = 10;
  ASSERT_EQ(Run(data.get(), dmEuclid, cmSingleLink, 0.5, Record), 0);
  ASSERT_EQ(Calls.size(), 5u);
  EXPECT_EQ(Calls[0].count, 10);
  EXPECT_EQ(Calls[0].percent, 0);
  for (std::size_t s = 1; s < 5; ++s) {
    EXPECT_EQ(Calls[s].count, 10 + double(s));
    EXPECT_DOUBLE_EQ(Calls[s].percent, 100.0 * double(s) / 5);
  }

  // A flag left set by an earlier computation is cleared at the start.
  AbortMathProc = true;
  EXPECT_EQ(Run(data.get(), dmEuclid, cmSingleLink), 0);

  // Set from the feedback during the run: -1 and every result zeroed.
  Calls.clear();
  AbortAfter = 2;
  EXPECT_EQ(Run(data.get(), dmEuclid, cmSingleLink, 0.5, AbortLater), -1);
  EXPECT_EQ(Calls.size(), 3u);
  EXPECT_EQ(Table.NrOfRows(), 4);
  EXPECT_EQ(Pos.NrOfElem(), 9);
  EXPECT_TRUE(AllZero());
}

TEST_F(Cluster, UserDistancesThroughTheEventWhichIsRestored) {
  auto data = DataOf({{0}, {0}, {0}});
  int own = 0, given = 0;
  data->OnCalcDistance = [&](TObject*, Integer, Integer, double& d) {
    ++own;
    d = 1;
  };
  // Distances |r1 - r2| * 10 through the event.
  TVector sender(nullptr);
  auto event = [&](TObject* from, Integer r1, Integer r2, double& d) {
    if (from == &sender) ++given;
    d = 10.0 * std::abs(r1 - r2);
  };
  ASSERT_EQ(AgglomClustering(&sender, data.get(), dmUserDef, cmSingleLink, 0.5, &Table, &Dist, &Pos,
                             nullptr, event),
            0);
  EXPECT_EQ(given, 3);
  EXPECT_EQ(own, 0);
  EXPECT_EQ(Result().Dist, (std::vector<double>{10, 10}));
  double d = 0;
  data->OnCalcDistance(nullptr, 1, 2, d);
  EXPECT_EQ(own, 1);
}

TEST_F(Cluster, NoPairWithAValidDistanceRaises) {
  auto data = DataOf({{0}, {0}, {0}, {0}});
  struct Case {
    const char* what;
    std::function<double(Integer, Integer)> dist;
  };
  const Case cases[] = {
      {"all at least uc_MaxReal", [](Integer, Integer) { return 1.8e38; }},
      {"all not numbers",
       [](Integer, Integer) { return std::numeric_limits<double>::quiet_NaN(); }},
      // One valid pair: the first merge works, then nothing is left.
      {"one valid pair", [](Integer a, Integer b) { return a + b == 3 ? 1.0 : 1e39; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    bool restored = false;
    data->OnCalcDistance = [&](TObject*, Integer, Integer, double&) { restored = true; };
    auto event = [&](TObject*, Integer r1, Integer r2, double& d) { d = c.dist(r1, r2); };
    try {
      Run(data.get(), dmUserDef, cmCompleteLink, 0.5, nullptr, event);
      ADD_FAILURE() << "no error";
    } catch (const ESDLMath2Error& e) {
      EXPECT_EQ(e.Message, "AgglomClustering: no pair of clusters with a valid distance left");
    }
    EXPECT_TRUE(AllZero());
    double d = 0;
    data->OnCalcDistance(nullptr, 1, 2, d);
    EXPECT_TRUE(restored);
  }
}

TEST_F(Cluster, ArgumentErrors) {
  auto data = DataOf({{1, 2}});
  try {
    Run(data.get(), dmEuclid, cmWard);
    ADD_FAILURE();
  } catch (const ESDLMath2Error& e) {
    EXPECT_EQ(e.Message, "AgglomClustering: at least two objects are needed");
  }
  auto two = DataOf({{1}, {2}});
  EXPECT_THROW(AgglomClustering(nullptr, nullptr, dmEuclid, cmWard, 0.5, &Table, &Dist, &Pos,
                                nullptr, nullptr),
               ESDLMath2Error);
  EXPECT_THROW(AgglomClustering(nullptr, two.get(), dmEuclid, cmWard, 0.5, nullptr, &Dist, &Pos,
                                nullptr, nullptr),
               ESDLMath2Error);
  ASSERT_EQ(Run(two.get(), dmEuclid, cmWard), 0);
  const TClustering want{{{1, 2, 3}}, {1}, {1, 2, 1.5}};
  EXPECT_EQ(Result(), want);
}

// ---- differential test ---------------------------------------------------------------------

// The method as first described: every step scans all active pairs (i ascending, then j) for
// the first strictly smallest distance, and the leaf order comes from passes that expand the
// list in place until nothing changes.
TClustering PlainClustering(TMatrix* data, TDistMode mode, TClusterMethod method, double alpha) {
  const Integer n = data->NrOfRows();
  TMatrix dm(nullptr);
  dm.Resize(n, n);
  data->CalcDistMat(mode, &dm);
  std::vector<std::vector<double>> D(n + 1, std::vector<double>(n + 1));
  for (Integer r = 1; r <= n; ++r)
    for (Integer c = 1; c <= n; ++c) D[r][c] = dm.GetVal(c, r);
  alpha = std::clamp(alpha, 0.5, 1.0);
  std::vector<Integer> L(n + 1);
  std::vector<double> S(n + 1, 1);
  for (Integer k = 1; k <= n; ++k) L[k] = k;
  TClustering r;
  for (Integer s = 1; s <= n - 1; ++s) {
    Extended best = uc_MaxReal;
    Integer bi = 1, bj = 1;
    for (Integer i = 1; i <= n - 1; ++i)
      for (Integer j = i + 1; j <= n; ++j)
        if (L[i] > 0 && L[j] > 0 && D[i][j] < best) {
          best = D[i][j];
          bi = i;
          bj = j;
        }
    const Integer i = bi, j = bj;
    std::vector<double> d(n + 1);
    for (Integer k = 1; k <= n; ++k) {
      const double Dik = D[i][k], Djk = D[j][k], Dij = D[i][j];
      const double Si = S[i], Sj = S[j], Sk = S[k];
      switch (method) {
        case cmSingleLink: d[k] = std::min(Dik, Djk); break;
        case cmCompleteLink: d[k] = std::max(Dik, Djk); break;
        case cmWard: d[k] = (Dik * (Si + Sk) + Djk * (Sj + Sk) - Dij * Sk) / (Si + Sj + Sk); break;
        case cmAvgLink: d[k] = (Dik + Djk) / 2; break;
        case cmFlexLink: d[k] = alpha * (Dik + Djk) + (1 - 2 * alpha) * Dij; break;
        case cmUpgma: d[k] = Dik * Si / (Si + Sj) + Djk * Sj / (Si + Sj); break;
      }
    }
    for (Integer k = 1; k <= n; ++k) D[k][j] = D[j][k] = d[k];
    r.Table.push_back({L[i], L[j], n + s});
    r.Dist.push_back(static_cast<double>(best));
    L[j] = n + s;
    S[j] += S[i];
    L[i] = 0;
    S[i] = 0;
  }
  std::vector<Integer> list{r.Table[n - 2][0], r.Table[n - 2][1]};
  for (bool changed = true; changed;) {
    changed = false;
    for (std::size_t q = 0; q + 1 < std::size_t(n) && q < list.size(); ++q)
      if (list[q] > n) {
        const auto& row = r.Table[list[q] - n - 1];
        list[q] = row[1];
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(q) + 1, row[0]);
        changed = true;
      }
  }
  r.Pos.assign(2 * n - 1, 0);
  for (std::size_t q = 0; q < list.size(); ++q) r.Pos[list[q] - 1] = double(q + 1);
  for (Integer s = 1; s <= n - 1; ++s)
    r.Pos[n + s - 1] = (r.Pos[r.Table[s - 1][0] - 1] + r.Pos[r.Table[s - 1][1] - 1]) / 2;
  return r;
}

TEST_F(Cluster, EqualsThePlainMethodOnRandomAndTiedData) {
  std::mt19937_64 rng(4711);
  const TClusterMethod methods[] = {cmSingleLink, cmCompleteLink, cmWard,
                                    cmAvgLink,    cmFlexLink,     cmUpgma};
  const TDistMode modes[] = {dmEuclid, dmManhattan, dmEuclidSqr};
  for (int round = 0; round < 60; ++round) {
    const Integer n = 2 + static_cast<Integer>(rng() % 70);
    const Integer f = 1 + static_cast<Integer>(rng() % 4);
    // Small integer features make many equal distances; real ones almost none.
    const bool tied = round % 2 == 0;
    std::vector<std::vector<double>> rows(n, std::vector<double>(f));
    for (auto& row : rows)
      for (auto& v : row)
        v = tied ? double(rng() % 4) : std::uniform_real_distribution<double>(-5, 5)(rng);
    auto data = DataOf(rows);
    for (TClusterMethod m : methods) {
      const TDistMode mode = modes[round % 3];
      const double alpha = 0.5 + 0.1 * (round % 6);
      SCOPED_TRACE(testing::Message()
                   << "round " << round << ", n " << n << ", " << ClusterMethodID[m]);
      ASSERT_EQ(Run(data.get(), mode, m, alpha), 0);
      ASSERT_EQ(Result(), PlainClustering(data.get(), mode, m, alpha));
    }
  }
}

}  // namespace
