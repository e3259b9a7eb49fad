#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <limits>
#include <memory>
#include <random>
#include <vector>

#include "DOV_intmatrix.h"
#include "DOV_matrix3d.h"
#include "DOV_streams.h"
#include "DOV_vector.h"
#include "TestSupport.h"

using testsupport::TempDir;

namespace {

// A dense matrix from its columns.
std::unique_ptr<TIntMatrix> Dense(const std::vector<std::vector<Integer>>& cols) {
  auto m = std::make_unique<TIntMatrix>(nullptr);
  m->Resize(static_cast<Integer>(cols.size()), static_cast<Integer>(cols[0].size()));
  for (size_t c = 0; c < cols.size(); ++c)
    for (size_t r = 0; r < cols[c].size(); ++r)
      m->SetVal(static_cast<Integer>(c + 1), static_cast<Integer>(r + 1), cols[c][r]);
  return m;
}

std::unique_ptr<TIntMatrix> Sparse(Integer AllocBy = 1) {
  return std::unique_ptr<TIntMatrix>(TIntMatrix::CreateSparse(nullptr, AllocBy));
}

std::vector<std::array<Integer, 3>> Entries(const TIntMatrix& m) {
  std::vector<std::array<Integer, 3>> v;
  for (const auto& e : m.SparseEntries()) v.push_back({e.colidx, e.rowidx, e.value});
  return v;
}

class IntMatrixFiles : public ::testing::Test {
protected:
  TempDir dir;
  String Name(const char* n) const { return (dir.path() / n).string(); }
};

}  // namespace

TEST(IntMatrix, ResizeReportsChangeAndKeepsValues) {
  auto m = Dense({{1, 2}, {3, 4}});
  int changes = 0;
  m->OnChange = [&](TObject*) { ++changes; };
  EXPECT_FALSE(m->Resize(2, 2));
  EXPECT_FALSE(m->ResizeAndClear(2, 2));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(m->GetVal(2, 2), 4);
  EXPECT_TRUE(m->ResizeAndClear(3, 2));
  EXPECT_EQ(m->CountValues(0, 0, 0, 0, 0, 0), 6);
  m->SetNCols(-3);
  EXPECT_EQ(m->NrOfColumns(), 0);
  EXPECT_EQ(m->GetVal(1, 1), 0);
}

TEST(IntMatrix, SearchesAndCounts) {
  Integer lo, hi, c, r;
  auto one = Dense({{5}});
  one->MinMax(0, 0, 0, 0, lo, hi);
  EXPECT_EQ(lo, 5);
  EXPECT_EQ(hi, 5);
  auto empty = Sparse();
  empty->MinMax(0, 0, 0, 0, lo, hi);
  EXPECT_EQ(lo, 2147483647);
  EXPECT_EQ(hi, -2147483647);

  auto col = Dense({{3, 5}});
  col->Find(0, 0, 0, 0, 4, c, r);
  EXPECT_EQ(r, 1);
  auto sorted = Dense({{10, 20, 30, 40}});
  EXPECT_EQ(sorted->FindInSortedColumn(1, true, 26), 3);
  EXPECT_EQ(sorted->FindInSortedColumn(1, true, 25), 3);
  EXPECT_EQ(sorted->FindInSortedColumn(1, true, 10), 1);
  EXPECT_EQ(sorted->FindInSortedColumn(5, true, 10), 0);  // a column outside: no row

  auto m = Dense({{-1, 2}, {0, 3}});
  EXPECT_EQ(m->CountMaskedZeros(0, 0, 0, 0, 1), 2);
  TBool2DArray d;
  EXPECT_EQ(m->Dichotomize(0, d), 2);
  EXPECT_TRUE(d[0][1]);
  EXPECT_FALSE(d[0][0]);
}

TEST(IntMatrix, Statistics) {
  double mean, var, s, k, q1, q2, q3;
  auto two = Dense({{1, 3}});
  two->MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 2);
  EXPECT_EQ(var, 1);
  auto three = Dense({{1, 2, 7}});
  three->SkewKurtSample(0, 0, 0, 0, s, k);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(k, 0);
  EXPECT_EQ(Dense({{2, 8, 0}})->GeometricMean(0, 0, 0, 0), 0);
  EXPECT_DOUBLE_EQ(Dense({{2, 8}})->GeometricMean(0, 0, 0, 0), 4);
  EXPECT_THROW(Dense({{2, -1}})->GeometricMean(0, 0, 0, 0), ESDLMatrixError);
  EXPECT_THROW(Dense({{2, 0}})->HarmonicMean(0, 0, 0, 0), ESDLMatrixError);
  EXPECT_TRUE(Dense({{1, 2, 3, 4}})->Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(q1, 1.25);
  EXPECT_EQ(q3, 3.75);
  auto ten = std::make_unique<TIntMatrix>(nullptr);
  ten->Resize(1, 10);
  for (Integer i = 1; i <= 10; ++i) ten->SetVal(1, i, i);
  EXPECT_EQ(ten->Percentile(100, 0, 0, 0, 0), 10);
  EXPECT_EQ(ten->Percentile(50, 0, 0, 0, 0), 6);
  EXPECT_EQ(ten->Percentile(0, 0, 0, 0, 0, 100), 1);  // a sample as large as the window: exact
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(ten->Percentile(nan, 0, 0, 0, 0), 1);  // a percent that is NaN counts as 0
  const double sampled = ten->Percentile(nan, 0, 0, 0, 0, 5);
  EXPECT_TRUE(sampled >= 1 && sampled <= 10);
  Dense({{1000000001, 1000000002, 1000000003, 1000000004}})->MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(var, 5.0 / 3);  // the offset costs no digits
  TVector means(nullptr);
  Dense({{1, 2, 3, 6}, {0, 0, 0, 4}})->EdgeVector(orHoriz, eopMean, &means);
  EXPECT_EQ(means.GetVal(1), 3);
  EXPECT_EQ(means.GetVal(2), 1);
}

TEST(IntMatrix, ArithmeticWrapsAndProducts) {
  auto m = Dense({{2147483647}});
  m->SAdd(1);
  EXPECT_EQ(m->GetVal(1, 1), -2147483647 - 1);
  auto a = Dense({{1, 2, 3}, {4, 5, 6}});  // 2 columns x 3 rows
  TIntVector v(nullptr), res(nullptr);
  v.SetIntVecSize(2);
  v.SetVal(1, 1);
  v.SetVal(2, 10);
  EXPECT_TRUE(a->Multiply(&v, &res));
  EXPECT_EQ(res.NrOfElem(), 3);
  EXPECT_EQ(res.GetVal(3), 63);
  EXPECT_EQ(v.GetVal(2), 10);
  TIntMatrix p(nullptr);
  auto b = Dense({{1, 1}});  // 1 column x 2 rows
  EXPECT_TRUE(a->Multiply(b.get(), &p));
  EXPECT_EQ(p.NrOfColumns(), 1);
  EXPECT_EQ(p.GetVal(1, 2), 7);
  EXPECT_FALSE(b->Multiply(b.get(), &p));
  EXPECT_TRUE(a->TransposeAndMultiply(a.get(), &p));
  EXPECT_EQ(p.GetVal(1, 2), 32);
  EXPECT_FALSE(a->Subtract(b.get()));
}

TEST(IntMatrix, AddAcceptsASparseOperandWithinBounds) {
  auto d = Dense({{1, 1}, {1, 1}});
  auto s = Sparse();
  s->SetVal(2, 2, 5);
  EXPECT_TRUE(d->Add(s.get()));
  EXPECT_EQ(d->GetVal(2, 2), 6);
  s->SetVal(3, 1, 1);
  EXPECT_FALSE(d->Add(s.get()));
  EXPECT_FALSE(s->Add(d.get()));
  TIntMatrix dense(nullptr);
  dense.Clone(s.get());  // different modes: nothing
  EXPECT_EQ(dense.NrOfColumns(), 1);
}

TEST(IntMatrix, SortsMirrorsExchangesAndCopies) {
  auto m = Dense({{3, 1, 2}, {30, 10, 20}});
  int exchanges = 0;
  m->OnSortExchange = [&](TObject*, Byte what, Integer, Integer, Integer, Integer) {
    EXPECT_EQ(what, 2);
    ++exchanges;
  };
  m->SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(m->GetVal(2, 1), 10);
  EXPECT_GT(exchanges, 0);
  m->SortRows(9, true, 0, 0, 0, 0);  // a key outside: nothing
  m->MirrorRows();
  EXPECT_EQ(m->GetVal(1, 1), 3);
  m->ExchangeColumns(1, 5);  // outside: nothing
  m->ExchangeColumns(1, 2);
  EXPECT_EQ(m->GetVal(1, 1), 30);
  TIntMatrix c(nullptr);
  c.Resize(2, 2);
  c.CopyFrom(m.get(), 0, 2, 9, 9, 1, 1);  // bounds clamped one by one: rows 2..3, columns 1..2
  EXPECT_EQ(c.GetVal(1, 1), 20);
  TInt2DArray arr = {{7, 8}, {9}};  // a short second column is skipped where it ends
  c.CopyFromArray(arr, 1, 1);
  EXPECT_EQ(c.GetVal(2, 1), 9);
  EXPECT_EQ(c.GetVal(2, 2), 1);
  TIntVector v(nullptr);
  v.SetIntVecSize(1);
  m->CopyColToVec(&v, 1, 0, 0);
  EXPECT_EQ(v.GetVal(1), 30);
  EXPECT_TRUE(m->Transpose());
  EXPECT_EQ(m->NrOfColumns(), 3);
  EXPECT_EQ(m->GetVal(3, 1), 10);
  EXPECT_EQ(m->CRCofData().size(), 32u);
}

TEST(SparseIntMatrix, InsertionOrderBoundsAndCapacity) {
  auto m = Sparse(2);
  EXPECT_EQ(m->NrOfColumns(), 0);
  EXPECT_EQ(m->GetVal(1, 1), 0);
  m->SetVal(5, 3, 7);
  EXPECT_EQ(m->NrOfColumns() * 10 + m->NrOfRows(), 53);
  m->SetVal(2, 9, 1);
  EXPECT_EQ(m->NrOfRows(), 9);
  EXPECT_EQ(m->SparseLowCol(), 2);
  EXPECT_EQ(m->SparseLowRow(), 3);
  EXPECT_EQ(m->NumAllocated(), 2);
  m->SetVal(1, 1, 0);  // a zero is stored too
  EXPECT_EQ(m->NumAllocated(), 4);
  m->SetVal(1, 2, 4);
  m->SetVal(2, 1, 4);
  EXPECT_EQ(m->NumAllocated(), 6);
  m->SetVal(2, 1, 6);  // an existing entry: no growth
  EXPECT_EQ(m->SparseNumElem(), 5);
  EXPECT_EQ(Entries(*m), (std::vector<std::array<Integer, 3>>{
                             {1, 1, 0}, {1, 2, 4}, {2, 1, 6}, {2, 9, 1}, {5, 3, 7}}));
  m->SetVal(0, 4, 1);  // ignored
  EXPECT_EQ(m->SparseNumElem(), 5);
}

TEST(SparseIntMatrix, RandomOrderFillMatchesAscendingFill) {
  auto a = Sparse(), b = Sparse(3);
  std::vector<int> ix(5000);
  for (int i = 0; i < 5000; ++i) ix[i] = i;
  for (int i : ix) a->SetVal(i / 71 + 1, i % 71 + 1, i);
  std::shuffle(ix.begin(), ix.end(), std::mt19937(1));
  for (int i : ix) {
    b->SetVal(i / 71 + 1, i % 71 + 1, i);
    ASSERT_EQ(b->GetVal(i / 71 + 1, i % 71 + 1), i);
  }
  EXPECT_EQ(Entries(*a), Entries(*b));
  EXPECT_EQ(b->NumAllocated(), 5001);  // steps of 3 from 3
  EXPECT_EQ(b->GetVal(1, 72), 0);
}

TEST(SparseIntMatrix, ResizeFillTransposeStatistics) {
  auto m = Sparse();
  m->SetVal(5, 1, 1);
  m->SetVal(2, 2, 2);
  int changes = 0;
  m->OnChange = [&](TObject*) { ++changes; };
  EXPECT_FALSE(m->Resize(4, 4));
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(Entries(*m), (std::vector<std::array<Integer, 3>>{{2, 2, 2}}));
  EXPECT_EQ(m->NrOfColumns(), 4);
  EXPECT_EQ(m->Trace(), 0);  // high column 4, high row 2 after clipping: not square

  auto t = Sparse();
  t->SetVal(1, 3, 8);
  t->SetVal(2, 1, 9);
  EXPECT_TRUE(t->Transpose());
  EXPECT_EQ(Entries(*t), (std::vector<std::array<Integer, 3>>{{1, 2, 9}, {3, 1, 8}}));
  EXPECT_EQ(t->NrOfColumns(), 3);
  Integer lo, hi;
  auto mm = Sparse();
  mm->SetVal(1, 1, 4);
  mm->SetVal(3, 3, 9);
  mm->MinMax(0, 0, 0, 0, lo, hi);
  EXPECT_EQ(lo, 4);
  EXPECT_EQ(hi, 9);
  EXPECT_EQ(mm->Sum(0, 0, 0, 0), 13);
  EXPECT_EQ(mm->Trace(), 13);
  double mean, var;
  mm->MeanVar(0, 0, 0, 0, mean, var);  // positions never set read 0
  EXPECT_DOUBLE_EQ(mean, 13.0 / 9);
  mm->Fill(3);
  EXPECT_EQ(mm->GetVal(3, 3), 3);
  EXPECT_EQ(mm->GetVal(2, 2), 0);
  mm->Fill(0);
  EXPECT_EQ(mm->SparseNumElem(), 0);
  EXPECT_EQ(mm->NrOfColumns(), 3);
  // Dense-only operations give their neutral result.
  EXPECT_EQ(mm->CRCofData(), "");
  EXPECT_EQ(mm->Percentile(50, 0, 0, 0, 0), 0);
  double q1, q2, q3;
  EXPECT_FALSE(mm->Quartiles(0, 0, 0, 0, q1, q2, q3));
}

TEST(SparseIntMatrix, Conversions) {
  auto s = Sparse();
  s->SetVal(3, 2, 4);
  s->SparseToArray();
  EXPECT_FALSE(s->IsSparse());
  EXPECT_EQ(s->NrOfColumns() * 10 + s->NrOfRows(), 32);
  EXPECT_EQ(s->CountValues(0, 0, 0, 0, 1, 100), 1);
  EXPECT_EQ(s->GetVal(3, 2), 4);
  auto empty = Sparse();
  empty->SparseToArray();
  EXPECT_EQ(empty->NrOfColumns(), 1);

  auto d = Dense({{0, 1}, {0, 2}});
  d->ArrayToSparse(0);
  EXPECT_TRUE(d->IsSparse());
  EXPECT_EQ(Entries(*d), (std::vector<std::array<Integer, 3>>{{1, 2, 1}, {2, 2, 2}}));
  EXPECT_EQ(d->NrOfColumns() * 10 + d->NrOfRows(), 22);
  auto clone = Sparse(7);
  clone->Clone(d.get());
  EXPECT_EQ(Entries(*clone), Entries(*d));
  EXPECT_EQ(clone->AllocBy(), 1);
}

TEST_F(IntMatrixFiles, SparseTextFile) {
  auto s = Sparse();
  s->SetVal(3, 17, -5);
  s->SetVal(1, 2, 1234567);
  EXPECT_TRUE(s->StoreSparseMat(Name("s.txt")));
  EXPECT_EQ(dir.read("s.txt"),
            "DOV_sparse_matrix\r\n     2     // number of elements in sparse matrix\r\n"
            "     1      3   // lowest and highest column\r\n"
            "     2     17   // lowest and highest row\r\n[1,2]=1234567\r\n[3,17]=-5\r\n");
  auto back = Sparse();
  EXPECT_TRUE(back->LoadSparseMat(Name("s.txt")));
  EXPECT_EQ(Entries(*back), Entries(*s));
  auto dense = Dense({{1}});
  EXPECT_FALSE(dense->StoreSparseMat(Name("d.txt")));
  EXPECT_EQ(dir.read("d.txt"), "this matrix is not a sparse matrix\r\n");
  EXPECT_FALSE(back->LoadSparseMat(Name("d.txt")));
  dir.write("short.txt", "DOV_sparse_matrix\r\n3\r\n1 2\r\n1 2\r\n[1,1]=4\r\n[2,1]=5\r\n");
  auto partial = Sparse();
  EXPECT_FALSE(partial->LoadSparseMat(Name("short.txt")));
  EXPECT_EQ(partial->GetVal(2, 1), 5);
  dir.write("bad.txt", "dov_sparse_matrix\r\n1\r\n1 1\r\n1 1\r\n[1,1]4\r\n");
  EXPECT_FALSE(partial->LoadSparseMat(Name("bad.txt")));
  EXPECT_FALSE(partial->LoadSparseMat(Name("missing.txt")));
}

TEST_F(IntMatrixFiles, TextStreamGoldenAndRoundTrip) {
  auto m = Dense({{1, -2}, {30, 4}});
  EXPECT_TRUE(m->StoreOnFile(0, 0, 0, 0, Name("m.txt")));
  EXPECT_EQ(dir.read("m.txt"), "1 2\r\n1 2\r\n1 30 \r\n-2 4 \r\n");
  TIntMatrix back(nullptr);
  EXPECT_TRUE(back.LoadFromFile(Name("m.txt"), true));
  EXPECT_EQ(back.CRCofData(), m->CRCofData());
  dir.write("huge.txt", "1 2000000000\r\n1 2000000000\r\n1\r\n");
  EXPECT_FALSE(back.LoadFromFile(Name("huge.txt"), true));
  EXPECT_EQ(back.NrOfColumns(), 2);

  auto seven = Dense({{7}});
  TMemoryStream* s = nullptr;
  seven->SaveToStream(s, 0, 0, 0, 0);
  std::unique_ptr<TMemoryStream> own(s);
  EXPECT_EQ(s->Size(), 20);
  const std::string bytes(s->Memory(), 20);
  EXPECT_EQ(bytes, std::string("\1\0\0\0\1\0\0\0\1\0\0\0\1\0\0\0\7\0\0\0", 20));
  s->SetPosition(0);
  TIntMatrix fromStream(nullptr);
  EXPECT_TRUE(fromStream.LoadFromStream(s, true));
  EXPECT_EQ(fromStream.GetVal(1, 1), 7);
  TMemoryStream cut;
  cut.WriteBuffer(bytes.data(), 10);
  cut.SetPosition(0);
  EXPECT_FALSE(fromStream.LoadFromStream(&cut, true));
  // A header that claims a huge window in a stream of a few bytes sizes nothing.
  TMemoryStream liar;
  const std::string claim("\1\0\0\0\xff\xff\xff\x3f\1\0\0\0\xff\xff\xff\x3f", 16);
  liar.WriteBuffer(claim.data(), 16);
  liar.SetPosition(0);
  EXPECT_FALSE(fromStream.LoadFromStream(&liar, true));
  EXPECT_EQ(fromStream.NrOfColumns(), 1);
}

// The text and stream readers start from the 2 x 2 matrix 1, 2 (column 1) and 3, 4.
TEST_F(IntMatrixFiles, LoaderCases) {
  auto int32 = [](std::initializer_list<Integer> values) {
    std::string bytes;
    for (Integer v : values)
      for (int k = 0; k < 4; ++k)
        bytes += static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * k)) & 0xFF);
    return bytes;
  };
  struct Case {
    const char* what;
    bool stream;
    std::string bytes;
    bool adjust, ok, changed;
    Integer cols, rows;
    std::vector<Integer> column1;
  };
  const std::string G = "1 1000000000\r\n1 ";  // rows 1 to 10^9, columns from 1 to ...
  const std::vector<Case> cases = {
      // A window without columns or rows still sizes the storage to the other bound.
      {"text 1..-1", false, G + "-1\r\n", true, false, false, 2, 2, {1, 2}},
      {"text 1..0", false, G + "0\r\n", true, false, false, 2, 2, {1, 2}},
      {"stream 1..-1", true, int32({1, 1000000000, 1, -1}), true, false, false, 2, 2, {1, 2}},
      {"stream 1..0", true, int32({1, 1000000000, 1, 0}), true, false, false, 2, 2, {1, 2}},
      {"stream no rows", true, int32({1, 0, 1, 1000000000}), true, false, false, 2, 2, {1, 2}},
      // A window that names no element (inverted, or before row or column 1) is refused too.
      {"text rows 3..1", false, "3 1\r\n1 1\r\n1 2 3\r\n", true, false, false, 2, 2, {1, 2}},
      {"text columns 0..1", false, "1 1\r\n0 1\r\n1 2\r\n", false, false, false, 2, 2, {1, 2}},
      {"stream rows 3..1", true, int32({3, 1, 1, 1, 7, 8, 9}), true, false, false, 2, 2, {1, 2}},
      // More values promised than the file has bytes: refused like a damaged header.
      {"no values", false, "1 2\r\n1 2\r\n", true, false, false, 2, 2, {1, 2}},
      {"values end early", false, "1 2\r\n1 2\r\n5 6\r\n7", true, false, true, 2, 2, {5, 7}},
      {"a word", false, "1 2\r\n1 2\r\n5 x\r\n7 8\r\n", true, true, true, 2, 2, {5, 7}},
      {"sized", false, "1 3\r\n1 1\r\n5\r\n6\r\n7\r\n", true, true, true, 1, 3, {5, 6, 7}},
      {"too small", false, "1 3\r\n1 1\r\n5\r\n6\r\n7\r\n", false, false, true, 2, 2, {1, 2}},
  };
  for (const Case& c : cases) {
    auto m = Dense({{1, 2}, {3, 4}});
    bool changed = false;
    m->OnChange = [&](TObject*) { changed = true; };
    bool ok;
    if (c.stream) {
      TMemoryStream s;
      s.WriteBuffer(c.bytes.data(), static_cast<Int64>(c.bytes.size()));
      s.SetPosition(0);
      ok = m->LoadFromStream(&s, c.adjust);
    } else {
      dir.write("t.txt", c.bytes);
      ok = m->LoadFromFile(Name("t.txt"), c.adjust);
    }
    EXPECT_EQ(ok, c.ok) << c.what;
    EXPECT_EQ(changed, c.changed) << c.what;
    EXPECT_EQ(m->NrOfColumns(), c.cols) << c.what;
    EXPECT_EQ(m->NrOfRows(), c.rows) << c.what;
    for (std::size_t r = 0; r < c.column1.size(); ++r)
      EXPECT_EQ(m->GetVal(1, static_cast<Integer>(r + 1)), c.column1[r]) << c.what;
  }
}

TEST_F(IntMatrixFiles, BlockFiles) {
  struct Case {
    Integer C, R;
    std::uintmax_t Bytes;
  };
  for (const Case& c :
       {Case{1, 1, 8192}, Case{1024, 1, 8192}, Case{1025, 1, 12288}, Case{32, 32, 8192}}) {
    TIntMatrix m(nullptr);
    m.Resize(c.C, c.R);
    m.SaveBinary(Name("b.dat"));
    EXPECT_EQ(std::filesystem::file_size(dir.path() / "b.dat"), c.Bytes);
  }
  auto m = Dense({{1, 0}, {-3, 4}});
  m->SetDataID("ints");
  m->SaveBinary(Name("b.dat"));
  TIntMatrix back(nullptr);
  back.LoadBinary(Name("b.dat"));
  EXPECT_EQ(back.CRCofData(), m->CRCofData());
  EXPECT_EQ(back.DataID(), "ints");
  auto sparse = Sparse();
  sparse->LoadBinary(Name("b.dat"));
  EXPECT_EQ(sparse->SparseNumElem(), 4);  // zeros included
  std::string bytes = dir.read("b.dat");
  bytes[9] = 1;
  dir.write("bad.dat", bytes);
  EXPECT_THROW(back.LoadBinary(Name("bad.dat")), ESDLMatrixError);
  Integer c, r;
  String id;
  EXPECT_FALSE(back.ReadBinaryHeader(Name("bad.dat"), c, r, id));
  EXPECT_EQ(c, 2);
  bytes = dir.read("b.dat");
  bytes[1] = '\x7f';  // 32,514 columns that the file does not hold
  dir.write("big.dat", bytes);
  EXPECT_THROW(back.LoadBinary(Name("big.dat")), ESDLMatrixError);
  dir.write("tiny.dat", bytes.substr(0, 30));
  EXPECT_THROW(back.LoadBinary(Name("tiny.dat")), ESDLMatrixError);
  // No columns and 10^9 rows: no value, but the storage would keep a column of them.
  bytes.replace(0, 8, std::string("\0\0\0\0\x00\xCA\x9A\x3B", 8));
  dir.write("rows.dat", bytes);
  EXPECT_THROW(back.LoadBinary(Name("rows.dat")), ESDLMatrixError);
  EXPECT_EQ(back.NrOfColumns(), 2);
  EXPECT_EQ(back.NrOfRows(), 2);
}

TEST_F(IntMatrixFiles, Xml) {
  TIntMatrix zeros(nullptr);
  zeros.Resize(2, 2);
  TStringStream s("");
  zeros.WriteToXMLStream(s, false, "");
  EXPECT_EQ(s.DataString().find("<cell"), String::npos);
  TStringStream doc(
      "\r\n<matrix sig=\"ZUDUZidad\" vers=\"6.0\" dim=\"2\" id=\"\">\r\n<numcols>3</numcols>\r\n"
      "<numrows>2</numrows>\r\n<cell ix=\"2\" iy=\"1\">-15</cell>\r\n"
      "<cell ix=\"3\" iy=\"2\">12.7</cell>\r\n</matrix>\r\n");
  TIntMatrix fresh(nullptr);
  EXPECT_TRUE(fresh.ReadFromXMLStream(doc, ""));
  EXPECT_EQ(fresh.NrOfColumns() * 10 + fresh.NrOfRows(), 32);
  EXPECT_EQ(fresh.GetVal(2, 1), -15);
  EXPECT_EQ(fresh.GetVal(3, 2), 12);
  fresh.SaveAsXMLFile(Name("m.xml"), "I");
  TIntMatrix back(nullptr);
  EXPECT_TRUE(back.LoadFromXMLFile(Name("m.xml"), "i"));
  EXPECT_EQ(back.CRCofData(), fresh.CRCofData());
  EXPECT_NE(dir.read("m.xml").find("<!-- TIntMatrix / RIZ Ovavavude Rarev -->"), std::string::npos);
  // A document announcing billions of elements is refused before anything is allocated.
  TStringStream huge(
      "<matrix sig=\"ZUDUZidad\" vers=\"6.0\" dim=\"2\" id=\"\">\r\n<numcols>100000</numcols>\r\n"
      "<numrows>100000</numrows>\r\n<cell ix=\"1\" iy=\"1\">1</cell>\r\n</matrix>\r\n");
  EXPECT_THROW(back.ReadFromXMLStream(huge, ""), ESDLMatrixError);
  EXPECT_EQ(back.NrOfColumns(), 3);
}

TEST(IntMatrix, MatrixCopiesAWindowOfIntegersAndOneLayerOf3D) {
  auto ints = Dense({{1, 2}, {3, 4}});
  TMatrix m(nullptr);
  m.Resize(3, 3);
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  m.CopyFrom(ints.get(), 0, 0, 9, 9, 2, 2);  // 0 means 1 here; targets beyond are dropped
  EXPECT_EQ(m.GetVal(2, 2), 1);
  EXPECT_EQ(m.GetVal(3, 3), 4);
  EXPECT_EQ(changes, 5);  // four values through SetVal, then once more
  TMat3D cube(nullptr);
  cube.Resize(2, 2, 3);
  cube.SetVal(2, 1, 3, 7);
  m.CopyFrom(&cube, 1, 1, 2, 2, 99, 1, 1);  // the layer clamped to the last one
  EXPECT_EQ(m.GetVal(2, 1), 7);
}
