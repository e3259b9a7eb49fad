#include <gtest/gtest.h>

#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

#include "DOV_matrix.h"
#include "DOV_streams.h"
#include "TestSupport.h"

using testsupport::TempDir;

namespace {

// 2 columns x 3 rows: (c, r) holds 10 r + c, so a misplaced value shows where it came from.
std::unique_ptr<TMatrix> Sample() {
  auto m = std::make_unique<TMatrix>(nullptr);
  m->Resize(2, 3);
  for (Integer c = 1; c <= 2; ++c)
    for (Integer r = 1; r <= 3; ++r) m->SetVal(c, r, 10 * r + c);
  return m;
}

class MatrixFiles : public ::testing::Test {
protected:
  TempDir dir;
  String Name(const char* n) const { return (dir.path() / n).string(); }
  String Read(const char* n) const { return dir.read(n); }
  String Write(const char* n, const std::string& bytes) const {
    return dir.write(n, bytes).string();
  }
};

}  // namespace

TEST_F(MatrixFiles, TextGoldenAndRoundTrip) {
  auto m = Sample();
  m->SetFPrecis(1, 1);
  m->SetFPrecis(2, 1);
  ASSERT_TRUE(m->StoreOnFile(0, 0, 0, 0, Name("m.txt")));
  EXPECT_EQ(Read("m.txt"), "1 3\r\n1 2\r\n11.0 12.0 \r\n21.0 22.0 \r\n31.0 32.0 \r\n");
  ASSERT_TRUE(m->StoreOnFile(2, 3, 2, 2, Name("w.txt")));
  EXPECT_EQ(Read("w.txt"), "2 3\r\n2 2\r\n22.0 \r\n32.0 \r\n");

  // The default precision writes the exponent form, which reads back.
  auto d = Sample();
  d->SetVal(1, 1, -0.125);
  ASSERT_TRUE(d->StoreOnFile(1, 1, 1, 1, Name("e.txt")));
  EXPECT_EQ(Read("e.txt"), "1 1\r\n1 1\r\n-1.250000E-0001 \r\n");
  TMatrix back(nullptr);
  int changes = 0;
  back.OnChange = [&](TObject*) { ++changes; };
  EXPECT_TRUE(back.LoadFromFile(Name("m.txt"), true));
  EXPECT_EQ(back.CRCofData(), Sample()->CRCofData());
  EXPECT_TRUE(back.LoadFromFile(Name("e.txt"), false));
  EXPECT_EQ(back.GetVal(1, 1), -0.125);

  // What the writer writes for -0 and the non-finite values reads back as such.
  const double special[] = {-0.0, HUGE_VAL, -HUGE_VAL, std::numeric_limits<double>::quiet_NaN()};
  for (Integer precision : {-1, 3}) {
    TMatrix s(nullptr), in(nullptr);
    s.Resize(4, 1);
    s.SetFPrecis(2, precision);
    for (Integer c = 1; c <= 4; ++c) s.SetVal(c, 1, special[c - 1]);
    ASSERT_TRUE(s.StoreOnFile(0, 0, 0, 0, Name("s.txt")));
    ASSERT_TRUE(in.LoadFromFile(Name("s.txt"), true)) << Read("s.txt");
    for (Integer c = 1; c <= 4; ++c) {
      const double v = in.GetVal(c, 1), want = special[c - 1];
      EXPECT_TRUE((std::isnan(v) && std::isnan(want)) ||
                  (v == want && std::signbit(v) == std::signbit(want)))
          << Read("s.txt") << " column " << c;
    }
  }
}

// With the decimals set, a value keeps at least those decimals in whichever form it is
// written; from 17 decimals on every double reads back as it was.
TEST_F(MatrixFiles, TextKeepsTheDecimalsAsked) {
  struct Case {
    Integer decimals;
    double value, back;
  };
  const double denormal = std::numeric_limits<double>::denorm_min();
  const std::vector<Case> cases = {
      {17, DBL_MAX, DBL_MAX},
      {17, -DBL_MAX, -DBL_MAX},
      {17, 9.9999999999e99, 9.9999999999e99},
      {17, 1e-30, 1e-30},
      {17, 1.2345678901234567e-5, 1.2345678901234567e-5},
      {17, 0.1, 0.1},
      {17, DBL_MIN, DBL_MIN},
      {17, denormal, denormal},
      {25, 2.0 / 3, 2.0 / 3},
      {10, 9.9999999999e99, 9.9999999999e99},
      {10, 1.234567890123e-40, 1.2345678901e-40},
      // Rounded to 10 decimals the largest double would lie beyond it.
      {10, DBL_MAX, DBL_MAX},
      {3, 1234.56789, 1234.568},
      {3, 1.5e300, 1.5e300},
  };
  for (const Case& c : cases) {
    TMatrix m(nullptr), in(nullptr);
    m.SetFPrecis(2, c.decimals);
    m.SetVal(1, 1, c.value);
    ASSERT_TRUE(m.StoreOnFile(0, 0, 0, 0, Name("p.txt")));
    ASSERT_TRUE(in.LoadFromFile(Name("p.txt"), true));
    EXPECT_EQ(in.GetVal(1, 1), c.back) << c.decimals << ": " << Read("p.txt");
  }
  // Any double at 17 decimals.
  std::mt19937_64 gen(17);
  TMatrix many(nullptr), in(nullptr);
  many.SetFPrecis(2, 17);
  many.Resize(50, 40);
  for (Integer c = 1; c <= 50; ++c)
    for (Integer r = 1; r <= 40; ++r) {
      double v;
      do {
        const std::uint64_t bits = gen();
        std::memcpy(&v, &bits, sizeof v);
      } while (!std::isfinite(v));
      many.SetVal(c, r, v);
    }
  ASSERT_TRUE(many.StoreOnFile(0, 0, 0, 0, Name("many.txt")));
  ASSERT_TRUE(in.LoadFromFile(Name("many.txt"), true));
  EXPECT_EQ(in.CRCofData(), many.CRCofData());
}

TEST_F(MatrixFiles, TextLoaderCases) {
  struct Case {
    const char* text;
    bool adjust;
    bool ok;
    Integer cols, rows;
    std::vector<double> column1;  // after the load, the matrix starts as Sample()
  };
  const std::vector<Case> cases = {
      // Rows 1..5, columns 1..3 into 2 x 3 without resizing: too small, nothing read.
      {"1 5\n1 3\n"
       "1 2 3\n4 5 6\n7 8 9\n1 2 3\n4 5 6\n",
       false,
       false,
       2,
       3,
       {11, 21, 31}},
      // A word keeps its element; the next values land in their own places.
      {"1 3\n1 1\nabc\n7\n8\n", false, true, 2, 3, {11, 7, 8}},
      // The size is HiC x HiR, not the window's extent.
      {"2 3\n1 1\n5\n6\n", true, true, 1, 3, {11, 5, 6}},
      // Values end early: false, those read stay.
      {"1 3\n1 1\n5\n", false, false, 2, 3, {5, 21, 31}},
      // Damaged headers change nothing.
      {"1 2000000000\n1 1\n5\n", true, false, 2, 3, {11, 21, 31}},
      {"1999999999 2000000000\n1999 2000\n1 2 3 4\n", true, false, 2, 3, {11, 21, 31}},
      {"1 x\n", true, false, 2, 3, {11, 21, 31}},
      // A window without columns still sizes the storage to its rows (one column is kept).
      {"1 1000000000\r\n1 -1\r\n", true, false, 2, 3, {11, 21, 31}},
      {"1 1000000000\r\n1 0\r\n", true, false, 2, 3, {11, 21, 31}},
      {"1 -1\r\n1 1000000000\r\n", true, false, 2, 3, {11, 21, 31}},
      {"", true, false, 2, 3, {11, 21, 31}},
      // An inverted window or one that starts before row or column 1 names no element: the
      // header is refused, whether or not the matrix would be resized.
      {"3 1\r\n1 1\r\n1 2 3\r\n", true, false, 2, 3, {11, 21, 31}},
      {"3 1\r\n1 1\r\n1 2 3\r\n", false, false, 2, 3, {11, 21, 31}},
      {"1 1\r\n2 1\r\n1 2 3\r\n", true, false, 2, 3, {11, 21, 31}},
      {"0 1\r\n1 1\r\n1 2 3\r\n", true, false, 2, 3, {11, 21, 31}},
      {"1 1\r\n0 1\r\n1 2 3\r\n", false, false, 2, 3, {11, 21, 31}},
      {"-1 -1\r\n1 1\r\n1 2 3\r\n", true, false, 2, 3, {11, 21, 31}},
      // 1 .. 0, what the writer writes for a matrix without rows or columns, still reads.
      {"1 0\r\n1 0\r\n", true, true, 0, 0, {0, 0, 0}},
      {"1 2\r\n1 0\r\n", true, true, 0, 2, {0, 0, 0}},
      // Bytes that are no UTF-8 make no number: skipped like a word.
      {"1 3\n1 1\n\xFF\xFE\n7\n\xC3"
       "8\n",
       false,
       true,
       2,
       3,
       {11, 7, 31}},
  };
  for (const auto& c : cases) {
    auto m = Sample();
    EXPECT_EQ(m->LoadFromFile(Write("t.txt", c.text), c.adjust), c.ok) << c.text;
    EXPECT_EQ(m->NrOfColumns(), c.cols) << c.text;
    EXPECT_EQ(m->NrOfRows(), c.rows) << c.text;
    for (Integer r = 1; r <= 3; ++r) EXPECT_EQ(m->GetVal(1, r), c.column1[r - 1]) << c.text;
  }
  auto m = Sample();
  int changes = 0;
  m->OnChange = [&](TObject*) { ++changes; };
  EXPECT_FALSE(m->LoadFromFile(Write("s.txt", cases[0].text), false));
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(m->LoadFromFile(Name("missing.txt"), true));
}

TEST_F(MatrixFiles, TextAutoDetect) {
  TMatrix m(nullptr);
  EXPECT_TRUE(m.LoadFromFile(Write("a.txt", "1 2 3\r\n4\t5 6\r\n7 8 9\r\n"), true, true));
  EXPECT_EQ(m.NrOfColumns(), 3);
  EXPECT_EQ(m.NrOfRows(), 3);
  EXPECT_EQ(m.GetVal(3, 2), 6);
  EXPECT_EQ(m.GetVal(1, 3), 7);
  TMatrix small(nullptr);
  small.Resize(2, 2);
  EXPECT_TRUE(small.LoadFromFile(Name("a.txt"), false, true));
  EXPECT_EQ(small.GetVal(2, 1), 2);
  EXPECT_EQ(small.GetVal(1, 2), 4);  // three values a row; the third falls outside
}

TEST_F(MatrixFiles, StreamGoldenAndDamage) {
  auto m = Sample();
  TMemoryStream* s = nullptr;
  m->SaveToStream(s, 2, 1, 2, 2);
  ASSERT_NE(s, nullptr);
  std::unique_ptr<TMemoryStream> owned(s);
  ASSERT_EQ(s->Size(), 60);
  // LoR = 1, HiR = 2, LoC = 2, HiC = 2, then 12 and 22, each an x87 extended number.
  const unsigned char one[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  const unsigned char twelve[10] = {0, 0, 0, 0, 0, 0, 0, 0xC0, 0x02, 0x40};
  EXPECT_EQ(std::memcmp(s->Memory(), one, 10), 0);
  EXPECT_EQ(std::memcmp(s->Memory() + 40, twelve, 10), 0);

  s->SetPosition(0);
  TMatrix back(nullptr);
  EXPECT_TRUE(back.LoadFromStream(s, true));
  EXPECT_EQ(back.NrOfColumns(), 2);
  EXPECT_EQ(back.NrOfRows(), 2);
  EXPECT_EQ(back.GetVal(2, 2), 22);
  EXPECT_EQ(back.GetVal(1, 1), 0);

  // Cut in the middle of the values: false, the first value stored.
  TMemoryStream* all = nullptr;
  m->SaveToStream(all, 0, 0, 0, 0);
  std::unique_ptr<TMemoryStream> allOwned(all);
  all->SetSize(40 + 3 * 10 + 5);
  all->SetPosition(0);
  TMatrix cut(nullptr);
  EXPECT_FALSE(cut.LoadFromStream(all, true));
  EXPECT_EQ(cut.GetVal(1, 1), 11);
  EXPECT_EQ(cut.GetVal(1, 2), 21);
  EXPECT_EQ(cut.GetVal(2, 2), 0);
  // A short header: nothing changed, no event.
  all->SetSize(25);
  all->SetPosition(0);
  int changes = 0;
  cut.OnChange = [&](TObject*) { ++changes; };
  EXPECT_FALSE(cut.LoadFromStream(all, true));
  EXPECT_EQ(changes, 0);
  EXPECT_FALSE(cut.LoadFromStream(nullptr, true));
  // Bounds asking for 10^9 cells with no values behind them, also where the window has no
  // column or no row (the storage keeps one): false at once, nothing changed, no event.
  const std::vector<std::array<double, 4>> huge = {
      {1, 100000, 1, 10000}, {1, 1000000000, 1, -1}, {1, 1000000000, 1, 0}, {1, 0, 1, 1000000000},
      // windows that name no element: inverted, or starting before row or column 1
      {3, 1, 1, 1}, {1, 1, 2, 1}, {0, 1, 1, 1}};
  for (const auto& bounds : huge) {
    TMemoryStream liar;
    for (double b : bounds) WriteExtendedToStream(liar, b);
    liar.SetPosition(0);
    changes = 0;
    EXPECT_FALSE(cut.LoadFromStream(&liar, true)) << bounds[1] << " " << bounds[3];
    EXPECT_EQ(cut.NrOfColumns(), 2);
    EXPECT_EQ(cut.NrOfRows(), 3);
    EXPECT_EQ(cut.GetVal(1, 2), 21);
    EXPECT_EQ(changes, 0);
  }
  TMemoryStream nan;
  for (double b : {1.0, std::numeric_limits<double>::quiet_NaN(), 1.0, 1.0})
    WriteExtendedToStream(nan, b);
  nan.SetPosition(0);
  EXPECT_FALSE(cut.LoadFromStream(&nan, true));
}

TEST_F(MatrixFiles, BlockFileSizesAndGolden) {
  struct Case {
    Integer cols, rows;
    long size;
  };
  for (auto c : std::vector<Case>{{1, 1, 8192}, {512, 1, 8192}, {513, 1, 12288}, {0, 4, 8192}}) {
    TMatrix m(nullptr);
    m.Resize(c.cols, c.rows);
    m.SaveBinary(Name("b.bin"));
    EXPECT_EQ(static_cast<long>(Read("b.bin").size()), c.size) << c.cols;
  }
  auto m = Sample();
  m->SetDataID("Probe");
  m->SaveBinary(Name("s.bin"));
  const String bytes = Read("s.bin");
  ASSERT_EQ(bytes.size(), 8192u);
  const unsigned char head[22] = {2, 0, 0, 0, 3, 0, 0,   0,   0,   0,   0,
                                  0, 0, 0, 0, 0, 5, 'P', 'r', 'o', 'b', 'e'};
  EXPECT_EQ(std::memcmp(bytes.data(), head, sizeof head), 0);
  double first, fourth;
  std::memcpy(&first, bytes.data() + 4096, 8);
  std::memcpy(&fourth, bytes.data() + 4096 + 3 * 8, 8);
  EXPECT_EQ(first, 11);   // column 1 first
  EXPECT_EQ(fourth, 12);  // then column 2

  TMatrix back(nullptr);
  back.LoadBinary(Name("s.bin"));
  EXPECT_EQ(back.CRCofData(), m->CRCofData());
  EXPECT_EQ(back.DataID(), "Probe");
  Integer c, r;
  String id;
  EXPECT_TRUE(back.ReadBinaryHeader(Name("s.bin"), c, r, id));
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 3);
  EXPECT_EQ(id, "Probe");
}

TEST_F(MatrixFiles, DamagedBlockFiles) {
  auto m = Sample();
  m->SaveBinary(Name("good.bin"));
  const String good = Read("good.bin");
  struct Case {
    const char* what;
    std::string bytes;
  };
  std::string reserved = good;
  reserved[9] = 1;
  std::string huge = good;
  huge[2] = 0x10;  // 2 + 1M columns: far more values than the file holds
  std::string negative = good;
  negative[7] = static_cast<char>(0x80);
  // No columns and 10^9 rows: no value, but the storage would keep a column of them.
  std::string noColumns = good;
  noColumns.replace(0, 8, std::string("\0\0\0\0\x00\xCA\x9A\x3B", 8));
  const std::vector<Case> cases = {{"reserved", reserved},
                                   {"truncated data", good.substr(0, 4096)},
                                   {"short header", good.substr(0, 100)},
                                   {"huge sizes", huge},
                                   {"negative rows", negative},
                                   {"rows without columns", noColumns}};
  for (const auto& c : cases) {
    TMatrix t(nullptr);
    t.SetName("Target");
    t.Resize(1, 1);
    t.SetVal(1, 1, 42);
    try {
      t.LoadBinary(Write("bad.bin", c.bytes));
      ADD_FAILURE() << c.what;
    } catch (const ESDLMatrixError& e) {
      EXPECT_STREQ(e.what(), "Component \"Target\": binary matrix data has wrong format");
    }
    EXPECT_EQ(t.NrOfColumns(), 1) << c.what;
    EXPECT_EQ(t.GetVal(1, 1), 42) << c.what;
  }
  Integer cols, rows;
  String id;
  EXPECT_FALSE(m->ReadBinaryHeader(Write("r.bin", reserved), cols, rows, id));
  EXPECT_EQ(cols, 2);  // the out-values are filled all the same
  EXPECT_EQ(rows, 3);
  EXPECT_FALSE(m->ReadBinaryHeader(Write("short.bin", "abc"), cols, rows, id));
  TMatrix t(nullptr);
  EXPECT_THROW(t.LoadBinary(Name("missing.bin")), EInOutError);
}
