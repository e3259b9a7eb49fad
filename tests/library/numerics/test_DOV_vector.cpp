#include "DOV_vector.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

#include "DOV_streams.h"
#include "TestSupport.h"

using testsupport::TempDir;

namespace {

TVector* MakeVec(TComponent* owner, const std::vector<double>& v) {
  auto* vec = new TVector(owner);
  vec->Resize(static_cast<Integer>(v.size()));
  for (size_t i = 0; i < v.size(); ++i) vec->SetVal(static_cast<Integer>(i + 1), v[i]);
  return vec;
}

std::vector<double> Values(const TVector& v) {
  std::vector<double> out;
  for (Integer i = 1; i <= v.NrOfElem(); ++i) out.push_back(v.GetVal(i));
  return out;
}

String ReadBytes(const String& name) {
  std::ifstream f(name, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

void WriteBytes(const String& name, const String& bytes) {
  std::ofstream f(name, std::ios::binary);
  f << bytes;
}

class VectorTest : public ::testing::Test {
protected:
  TComponent owner{nullptr};
  TVector* Vec(const std::vector<double>& v) { return MakeVec(&owner, v); }
  TIntVector* IVec(const std::vector<Integer>& v) {
    auto* vec = new TIntVector(&owner);
    vec->Resize(static_cast<Integer>(v.size()));
    for (size_t i = 0; i < v.size(); ++i) vec->SetVal(static_cast<Integer>(i + 1), v[i]);
    return vec;
  }
};

}  // namespace

TEST_F(VectorTest, CreationResizeAndAccess) {
  TVector v(nullptr);
  EXPECT_EQ(v.NrOfElem(), 1);
  EXPECT_EQ(v.GetVal(1), 0.0);
  EXPECT_TRUE(v.IsEmpty());
  int changes = 0;
  v.OnChange = [&](TObject*) { ++changes; };
  EXPECT_FALSE(v.Resize(0));
  EXPECT_EQ(v.NrOfElem(), 1);
  v.SetVal(1, 4);
  changes = 0;
  EXPECT_TRUE(v.Resize(3));
  EXPECT_EQ(Values(v), (std::vector<double>{4, 0, 0}));
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(v.Resize(3));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(v.GetVal(0), 0.0);
  EXPECT_EQ(v.GetVal(4), 0.0);
  v.SetVal(0, 5);
  v.SetVal(4, 5);
  EXPECT_EQ(changes, 1);
  v.Clear();
  EXPECT_TRUE(v.IsEmpty());
  v.Fill(2);
  EXPECT_FALSE(v.IsEmpty());
  EXPECT_EQ(v.Sum(0, 0), 6);
}

TEST_F(VectorTest, RangeRule) {
  auto* v = Vec({1, 2, 3, 4, 5});
  struct Case {
    Integer lo, hi, elo, ehi;
  };
  for (auto c : std::vector<Case>{{0, 0, 1, 5}, {0, 3, 1, 3}, {4, 2, 2, 4}, {-3, 9, 1, 5}}) {
    v->MakeValidElemRange(c.lo, c.hi);
    EXPECT_EQ(c.lo, c.elo);
    EXPECT_EQ(c.hi, c.ehi);
  }
}

TEST_F(VectorTest, AssignCloneAndCopies) {
  auto* a = Vec({1, 2, 3});
  int fired = 0;
  a->OnChange = [&](TObject*) { ++fired; };
  TVector b(nullptr);
  b.Assign(a);
  EXPECT_EQ(Values(b), Values(*a));
  EXPECT_FALSE(b.IsEmpty());
  EXPECT_EQ(fired, 0);
  b.SetVal(1, 9);  // handler copied
  EXPECT_EQ(fired, 1);
  TIntVector iv(nullptr);
  EXPECT_THROW(iv.Assign(a), EAssignError);

  TVector c(nullptr);
  int cChanges = 0;
  c.OnChange = [&](TObject*) { ++cChanges; };
  c.Clone(a);
  EXPECT_EQ(Values(c), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(cChanges, 1 + 3 + 1);  // resize, three writes, final

  auto* d = Vec({0, 0, 0, 0});
  d->CopyFrom(a, 3, 0, 3);  // 0 clamps to 1, reversed pair exchanged: 1..3 to 3..5
  EXPECT_EQ(Values(*d), (std::vector<double>{0, 0, 1, 2}));
  TDoubleArray arr;
  a->CopyToArray(arr, 3, 2);
  EXPECT_EQ(arr, (TDoubleArray{2, 3}));
  d->CopyFromArray({7, 8, 9}, 3);
  EXPECT_EQ(Values(*d), (std::vector<double>{0, 0, 7, 8}));
}

TEST_F(VectorTest, DigestAndLength) {
  TVector v(nullptr);
  String fresh;
  for (int i = 0; i < 8; ++i) fresh += "D202EF8D";
  EXPECT_EQ(v.CRCofData(), fresh);
  TIntVector iv(nullptr);
  EXPECT_EQ(iv.CRCofData(), "D202EF8DD202EF8DD202EF8DD202EF8D");
  auto* w = Vec({3, 4});
  EXPECT_EQ(w->Leng(), 5);
  // Scaled as hypot scales: a representable length is returned at any scale.
  for (double f : {1e200, 1e-200, 1e300, 1e-310})
    EXPECT_NEAR(Vec({3 * f, 4 * f})->Leng() / f, 5, 1e-13) << f;
  EXPECT_TRUE(std::isinf(Vec({1e308, 1e308, 1e308, 1e308})->Leng()));  // 2e308: infinite
  w->SetVecLeng(10);
  EXPECT_EQ(Values(*w), (std::vector<double>{6, 8}));
  EXPECT_THROW(v.SetVecLeng(1), ESDLVectorError);
}

TEST_F(VectorTest, ArithmeticAndDimensions) {
  auto* a = Vec({1, 2, 3});
  auto* b = Vec({1, 1, 1});
  auto* c = Vec({1, 2, 3, 4});
  a->Add(b);
  EXPECT_EQ(Values(*a), (std::vector<double>{2, 3, 4}));
  a->Subtract(b);
  EXPECT_EQ(a->DotProduct(b), 6);
  try {
    a->Add(c);
    FAIL();
  } catch (const ESDLVectorError& e) {
    EXPECT_STREQ(e.what(), "Component \"\": vectors have different dimensions");
  }
  EXPECT_THROW(a->DotProduct(c), ESDLVectorError);
  EXPECT_EQ(Values(*a), (std::vector<double>{1, 2, 3}));
  auto* z = Vec({0, 0, 0});
  EXPECT_EQ(z->EuclideanDistance(Vec({1, 2, 2})), 3);
  try {
    z->EuclideanDistance(c);
    FAIL();
  } catch (const ESDLVectorError& e) {
    EXPECT_STREQ(e.what(), "EuclideanDistance: dimensions of vectors do not match");
  }
  EXPECT_EQ(a->Correlate(b, 1), 3);  // 1*1 + 2*1 + 3*0
  EXPECT_NEAR(a->PearsonCorrCoeff(Vec({2, 4, 6})), 1.0, 1e-15);
  EXPECT_EQ(a->PearsonCorrCoeff(b), 0);
  for (double f : {1.0, 1e200, 1e-200}) {  // magnitudes of any scale
    EXPECT_NEAR(Vec({f, 2 * f, 3 * f})->PearsonCorrCoeff(Vec({f, 4 * f, 9 * f})), 0.989743318610787,
                1e-14)
        << f;
    EXPECT_NEAR(Vec({f, 0, 0})->EuclideanDistance(Vec({0, 2 * f, 2 * f})) / f, 3, 1e-15) << f;
  }
  a->SMult(-2);
  a->AbsVal();
  a->Mirror();
  EXPECT_EQ(Values(*a), (std::vector<double>{6, 4, 2}));
}

TEST_F(VectorTest, Searches) {
  auto* v = Vec({1, 3, 5, 7});
  struct Case {
    double value;
    Integer row;
  };
  for (auto c : std::vector<Case>{{3, 2}, {4, 3}, {100, 4}, {-5, 1}, {6, 4}})
    EXPECT_EQ(v->FindInSortedVector(true, c.value), c.row) << c.value;
  auto* d = Vec({7, 5, 3, 1});
  EXPECT_EQ(d->FindInSortedVector(false, 5), 2);
  EXPECT_EQ(v->Find(0, 0, 4), 2);  // tie: the first
  EXPECT_EQ(v->Find(3, 4, 0), 3);
}

TEST_F(VectorTest, Statistics) {
  double m, var;
  Vec({2, 4})->MeanVar(0, 0, m, var);
  EXPECT_EQ(m, 3);
  EXPECT_EQ(var, 1);
  Vec({2, 4, 9})->MeanVar(0, 0, m, var);
  EXPECT_EQ(m, 5);
  EXPECT_EQ(var, 13);
  auto* offset = Vec({1e9 + 1, 1e9 + 2, 1e9 + 3, 1e9 + 4});
  offset->Standardize(m, var);  // the spread is seen, so the data are scaled
  EXPECT_NEAR(offset->GetVal(1), -1.5 / std::sqrt(5.0 / 3), 1e-15);
  IVec({1000000001, 1000000002, 1000000003, 1000000004})->MeanVar(0, 0, m, var);
  EXPECT_EQ(var, 5.0 / 3);

  auto* p = Vec({1, 2, 3, 4});
  EXPECT_EQ(p->Percentile(50, 0, 0), 2.5);
  EXPECT_EQ(p->Percentile(100, 0, 0), 4);
  EXPECT_EQ(p->Percentile(150, 0, 0), 4);
  EXPECT_EQ(p->Percentile(0, 0, 0), 1);
  EXPECT_EQ(p->Percentile(30, 2, 2), 2);

  struct QCase {
    std::vector<double> v;
    double q1, q2, q3;
  };
  for (const auto& c : std::vector<QCase>{{{1, 2}, 1, 1.5, 2},
                                          {{1, 2, 3}, 1, 2, 3},
                                          {{7, 6, 5, 4, 3, 2, 1}, 2, 4, 6},
                                          {{5}, 5, 5, 5}}) {
    double q1, q2, q3;
    EXPECT_TRUE(Vec(c.v)->Quartiles(0, 0, q1, q2, q3));
    EXPECT_EQ(q1, c.q1);
    EXPECT_EQ(q2, c.q2);
    EXPECT_EQ(q3, c.q3);
  }
  EXPECT_EQ(Vec({3, 1, 3, 1, 2})->Mode(0, 0), 1);
  EXPECT_EQ(Vec({5, 4})->Mode(0, 0), 4);

  double mn, mx;
  Integer mi, xi;
  Vec({2, 1, 1, 5, 5})->MinMax(0, 0, mn, mx, mi, xi);
  EXPECT_EQ(mn, 1);
  EXPECT_EQ(mi, 2);
  EXPECT_EQ(mx, 5);
  EXPECT_EQ(xi, 4);

  EXPECT_EQ(Vec({0, 4})->GeometricMean(0, 0), 0);
  EXPECT_NEAR(Vec({2, 8})->GeometricMean(0, 0), 4, 1e-12);
  EXPECT_THROW(Vec({0, -1})->GeometricMean(0, 0), ESDLVectorError);
  EXPECT_EQ(Vec({1, 4, 4})->HarmonicMean(0, 0), 2);
  EXPECT_THROW(Vec({1, 0})->HarmonicMean(0, 0), ESDLVectorError);

  double s, k;
  Vec({1, 2, 3})->SkewKurt(0, 0, s, k);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(k, 0);
  Vec({1, 2, 3, 10})->SkewKurt(0, 0, s, k);
  // mean 4, d = -3 -2 -1 6; s^2 = 50/3; skew = (180/4)/s^3, kurt = (1394/4)/s^4 - 3
  const double sd = std::sqrt(50.0 / 3);
  EXPECT_NEAR(s, 45 / (sd * sd * sd), 1e-12);
  EXPECT_NEAR(k, 348.5 / (sd * sd * sd * sd) - 3, 1e-12);
  double ss, sk;
  Vec({1, 2, 3, 10})->SkewKurtSample(0, 0, ss, sk);
  EXPECT_NEAR(ss, 16 * s / 6, 1e-12);
  EXPECT_NEAR(sk, (k + 3) * 16 * 5 / 6 - 3 * 9 / 2.0, 1e-12);
}

TEST_F(VectorTest, Histogram) {
  auto* v = Vec({10.5, 11, -0.1, 0, 3.2});
  TIntVector h(nullptr);
  h.Resize(2);
  h.Fill(9);
  Integer under = -1, over = -1, maxc = -1;
  EXPECT_FALSE(v->Histogram(1, 5, 0, 10, 0.01, &h, under, over, maxc));
  EXPECT_EQ(h.NrOfElem(), 2);
  EXPECT_EQ(h.GetVal(1), 9);
  EXPECT_FALSE(v->Histogram(1, 5, 0, 10, 0, &h, under, over, maxc));
  EXPECT_TRUE(v->Histogram(1, 6, 0, 10, 1, &h, under, over, maxc));  // element 6 reads 0
  EXPECT_EQ(h.NrOfElem(), 11);
  EXPECT_EQ(h.GetVal(11), 1);
  EXPECT_EQ(h.GetVal(1), 2);
  EXPECT_EQ(h.GetVal(4), 1);
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 1);
  EXPECT_EQ(maxc, 2);
}

TEST_F(VectorTest, Integrate) {
  auto* ones = Vec({1, 1, 1, 1});
  for (auto m : {imSimple, imTrapezoidal, imSimpson})
    EXPECT_NEAR(ones->Integrate(1, 4, m), 3, 1e-15);
  auto* ramp = Vec({0, 1, 2});
  EXPECT_NEAR(ramp->Integrate(1.5, 2.5, imTrapezoidal), 1, 1e-15);
  EXPECT_NEAR(ramp->Integrate(1.2, 1.8, imSimple), 0.3, 1e-15);
  // Simpson's rules integrate a cubic's samples exactly for 2..4 pieces, and the extended rule
  // is exact for a straight line.
  std::vector<double> sq;
  for (int i = 1; i <= 9; ++i) sq.push_back(i * i);
  auto* quad = Vec(sq);
  for (double hi : {3.0, 4.0, 5.0}) {
    const double exact = (hi * hi * hi - 1) / 3;
    EXPECT_NEAR(quad->Integrate(1, hi, imSimpson), exact, 1e-12) << hi;
  }
  std::vector<double> line;
  for (int i = 1; i <= 9; ++i) line.push_back(2 * i);
  EXPECT_NEAR(Vec(line)->Integrate(1, 9, imSimpson), 80, 1e-12);
  EXPECT_NEAR(Vec(line)->Integrate(9, 1, imTrapezoidal), 80, 1e-12);
  EXPECT_EQ(ones->Integrate(1, 4, static_cast<TIntegMethod>(7)), 0);
}

TEST_F(VectorTest, SortElemsEventsAndNaN) {
  auto* v = Vec({3, 2, 1});
  int exchanges = 0, changes = 0;
  v->OnSortExchange = [&](TObject*, Byte what, Integer, Integer, Integer f, Integer l) {
    EXPECT_EQ(what, 0);
    EXPECT_EQ(f, 0);
    EXPECT_EQ(l, 0);
    ++exchanges;
  };
  v->OnChange = [&](TObject*) { ++changes; };
  v->SortElems(true, 0, 0);
  EXPECT_EQ(Values(*v), (std::vector<double>{1, 2, 3}));
  EXPECT_GE(exchanges, 1);
  EXPECT_EQ(changes, 1);
  exchanges = changes = 0;
  v->SortElems(true, 2, 2);
  EXPECT_EQ(exchanges + changes, 0);
  v->SortElems(false, 9, 2);  // clamped to 2..3
  EXPECT_EQ(Values(*v), (std::vector<double>{1, 3, 2}));
  auto* n = Vec({1, std::numeric_limits<double>::quiet_NaN(), 3, 2});
  n->SortElems(false, 0, 0);  // must end
  EXPECT_EQ(n->NrOfElem(), 4);
}

TEST_F(VectorTest, StandardizeAndFriendsFireNothing) {
  auto* v = Vec({1, 2, 3, 4, 5});
  int changes = 0;
  v->OnChange = [&](TObject*) { ++changes; };
  double mean, sd;
  v->Standardize(mean, sd);
  EXPECT_EQ(mean, 3);
  EXPECT_NEAR(sd, std::sqrt(2.5), 1e-15);
  EXPECT_NEAR(v->GetVal(5), 2 / std::sqrt(2.5), 1e-15);
  auto* w = Vec({1, 2, 3, 4, 5});
  w->OnChange = v->OnChange;
  double med, qd;
  w->QNormalize(25, med, qd);
  EXPECT_EQ(med, 3);
  EXPECT_EQ(qd, 1);
  EXPECT_EQ(w->GetVal(1), -2);
  EXPECT_EQ(w->MeanCenter(), 0);
  EXPECT_EQ(changes, 0);
}

TEST_F(VectorTest, IntVectorDifferences) {
  auto* m = IVec({INT_MIN});
  Integer mn, mx, mi, xi;
  m->MinMax(0, 0, mn, mx, mi, xi);
  EXPECT_EQ(mn, INT_MIN);
  EXPECT_EQ(mi, 1);
  EXPECT_EQ(mx, -INT_MAX);
  EXPECT_EQ(xi, 0);
  auto* f = IVec({1, 7, 7});
  EXPECT_EQ(f->FindExact(0, 0, 7), 2);
  EXPECT_EQ(f->FindExact(0, 0, 8), 0);
  double q1, q2, q3;
  IVec({1, 2})->Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ(q2, 1.5);
  auto* w = IVec({1073741824});
  w->SMult(2);
  EXPECT_EQ(w->GetVal(1), INT_MIN);
  w->AbsVal();
  EXPECT_EQ(w->GetVal(1), INT_MIN);
  EXPECT_EQ(IVec({65536})->Leng(), 0);  // the square wraps to 0 in 32 bits
  EXPECT_EQ(IVec({INT_MAX, 1})->Sum(0, 0), INT_MIN);

  auto* h = IVec({0, 1, 1, 5, -2});
  TIntVector histo(nullptr);
  Integer u, o, c;
  EXPECT_TRUE(h->Histogram(1, 5, 0, 3, 0, &histo, u, o, c));
  EXPECT_EQ(histo.NrOfElem(), 4);
  EXPECT_EQ(histo.GetVal(2), 2);
  EXPECT_EQ(u, 1);
  EXPECT_EQ(o, 1);
  EXPECT_EQ(c, 2);
  h->SetName("Counts");
  try {
    h->Histogram(1, 5, 0, 600, 1, &histo, u, o, c);
    FAIL();
  } catch (const ESDLVectorError& e) {
    EXPECT_STREQ(e.what(), "Component \"Counts.Histogram\": invalid number of bins");
  }
}

TEST_F(VectorTest, TextFiles) {
  TempDir dir;
  const String name = dir.path().string() + "/v.txt";
  auto* v = Vec({1.234, -2, 3.5});
  ASSERT_TRUE(v->StoreOnFile(1, 3, -5, name));
  EXPECT_EQ(ReadBytes(name), "1 3\r\n1.23\r\n-2.00\r\n3.50\r\n");
  ASSERT_TRUE(v->StoreOnFile(3, 2, -1, name));
  EXPECT_EQ(ReadBytes(name), "2 3\r\n-2.0000E+0000\r\n 3.5000E+0000\r\n");
  TVector w(nullptr);
  EXPECT_TRUE(w.LoadFromFile(name, true));
  EXPECT_EQ(Values(w), (std::vector<double>{0, -2, 3.5}));

  // Too small without resizing: false, values kept, OnChange all the same.
  TVector small(nullptr);
  int changes = 0;
  small.OnChange = [&](TObject*) { ++changes; };
  EXPECT_FALSE(small.LoadFromFile(name, false));
  EXPECT_EQ(changes, 1);

  struct Case {
    const char* text;
    bool ok;
    std::vector<double> values;
  };
  const std::vector<Case> cases = {
      {"1 3\r\n1\r\nabc\r\n3\r\n", true, {1, 9, 3}},  // a word leaves its element
      {"1 3\n1\n2\n", false, {1, 2, 9}},              // ends early
      {"1 2000000000\n1\n", false, {9, 9, 9}},        // more values than bytes
      {"1999999990 2000000000\n1 2 3 4 5 6 7 8 9 10 11\n", false, {9, 9, 9}},  // huge size
      {"x 3\n", false, {9, 9, 9}},
      {"", false, {9, 9, 9}},
  };
  for (const auto& c : cases) {
    WriteBytes(name, c.text);
    TVector t(nullptr);
    t.Resize(3);
    t.Fill(9);
    EXPECT_EQ(t.LoadFromFile(name, true), c.ok) << c.text;
    t.Resize(3);
    EXPECT_EQ(Values(t), c.values) << c.text;
  }
  EXPECT_FALSE(w.LoadFromFile(dir.path().string() + "/missing.txt", true));

  WriteBytes(name, "1.5\r\n\r\nx\r\n2.5 \r\n-3e2\r\n");
  TVector a(nullptr);
  EXPECT_TRUE(a.LoadFromFile(name, true, true));
  EXPECT_EQ(Values(a), (std::vector<double>{1.5, 0, 2.5}));  // the word keeps element 2
}

TEST_F(VectorTest, IntVectorTextFile) {
  TempDir dir;
  const String name = dir.path().string() + "/i.txt";
  auto* v = IVec({-4, 7, 12});
  ASSERT_TRUE(v->StoreOnFile(0, 5, name));
  EXPECT_EQ(ReadBytes(name), "1 3\r\n-4\r\n7\r\n12\r\n");
  WriteBytes(name, "1 3\n2.5\n3.5\n1e12\n");
  TIntVector w(nullptr);
  w.Resize(3);
  w.Fill(5);
  EXPECT_TRUE(w.LoadFromFile(name, true));
  EXPECT_EQ(w.GetVal(1), 2);
  EXPECT_EQ(w.GetVal(2), 4);
  EXPECT_EQ(w.GetVal(3), 5);  // beyond 32 bits: left alone
}

TEST_F(VectorTest, Streams) {
  auto* v = Vec({1, 2, 3, 4, 5});
  TMemoryStream* ms = nullptr;
  v->SaveToStream(ms, 2, 4);
  ASSERT_NE(ms, nullptr);
  std::unique_ptr<TMemoryStream> owned(ms);
  EXPECT_EQ(ms->Size(), 50);
  // Golden bytes of the first bound: 2.0 as an x87 extended number.
  const unsigned char two[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x40};
  EXPECT_EQ(std::memcmp(ms->Memory(), two, 10), 0);

  ms->SetPosition(0);
  TVector small(nullptr);
  small.Resize(3);
  int changes = 0;
  small.OnChange = [&](TObject*) { ++changes; };
  EXPECT_FALSE(small.LoadFromStream(ms, false));
  EXPECT_EQ(changes, 1);
  ms->SetPosition(0);
  TVector w(nullptr);
  EXPECT_TRUE(w.LoadFromStream(ms, true));
  EXPECT_EQ(Values(w), (std::vector<double>{0, 2, 3, 4}));

  // Cut in the middle of the values: false, the values before the cut stay.
  ms->SetSize(35);
  ms->SetPosition(0);
  TVector cut(nullptr);
  EXPECT_FALSE(cut.LoadFromStream(ms, true));
  EXPECT_EQ(Values(cut), (std::vector<double>{0, 2, 0, 0}));
  // A short header changes nothing and fires nothing.
  ms->SetSize(15);
  ms->SetPosition(0);
  changes = 0;
  EXPECT_FALSE(small.LoadFromStream(ms, true));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(small.NrOfElem(), 3);
  EXPECT_FALSE(small.LoadFromStream(nullptr, true));

  // A header asking for two billion elements with nothing behind it sizes nothing.
  TMemoryStream huge;
  WriteExtendedToStream(huge, 1);
  WriteExtendedToStream(huge, 2e9);
  huge.SetPosition(0);
  EXPECT_FALSE(small.LoadFromStream(&huge, true));
  EXPECT_EQ(small.NrOfElem(), 3);

  auto* iv = IVec({7, -1, 9});
  TMemoryStream* is = nullptr;
  iv->SaveToStream(is, 0, 0);
  std::unique_ptr<TMemoryStream> iowned(is);
  EXPECT_EQ(is->Size(), 20);
  const unsigned char head[8] = {1, 0, 0, 0, 3, 0, 0, 0};
  EXPECT_EQ(std::memcmp(is->Memory(), head, 8), 0);
  is->SetPosition(0);
  TIntVector back(nullptr);
  EXPECT_TRUE(back.LoadFromStream(is, true));
  EXPECT_EQ(back.GetVal(2), -1);
}
