#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <thread>
#include <vector>

#include "DOV_matrix.h"
#include "DOV_matrix3d.h"
#include "DOV_matrix4d.h"
#include "DOV_univconst.h"
#include "TestSupport.h"
#include "TextFile.h"

using testsupport::TempDir;

namespace {

// Element (x, y, z, t) holds 1000 t + 100 z + 10 y + x: a misplaced value shows its origin.
std::unique_ptr<TMat4D> Coded(Integer X, Integer Y, Integer Z, Integer T) {
  auto m = std::make_unique<TMat4D>(nullptr);
  m->Resize(X, Y, Z, T);
  for (Integer x = 1; x <= X; ++x)
    for (Integer y = 1; y <= Y; ++y)
      for (Integer z = 1; z <= Z; ++z)
        for (Integer t = 1; t <= T; ++t) m->SetVal(x, y, z, t, 1000 * t + 100 * z + 10 * y + x);
  return m;
}

String ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const ESDLMatrixError& e) {
    return e.Message;
  }
  return "";
}

class Mat4DFiles : public ::testing::Test {
protected:
  TempDir dir;
  String Name(const char* n) const { return (dir.path() / n).string(); }
};

}  // namespace

TEST(Mat4D, SizesNeverBelowOneAndResizeKeepsValues) {
  TMat4D m(nullptr);
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  m.SetNLayers(0);
  EXPECT_EQ(m.NrOfLayers(), 1);
  EXPECT_TRUE(m.Resize(2, 1, 1, 1));
  m.SetVal(1, 1, 1, 1, 5);
  m.SetVal(2, 1, 1, 1, 6);
  EXPECT_EQ(changes, 1);  // SetVal is silent
  EXPECT_TRUE(m.Resize(2, 2, 0, 3));
  EXPECT_EQ(m.NrOfRows(), 1);
  m.Resize(3, 2, 2, 2);
  EXPECT_EQ(m.GetVal(1, 1, 1, 1), 5);
  EXPECT_EQ(m.GetVal(2, 1, 1, 1), 6);
  EXPECT_EQ(m.Sum(0, 0, 0, 0, 0, 0, 0, 0), 11);
  EXPECT_EQ(m.GetVal(4, 1, 1, 1), 0);
  m.SetVal(0, 1, 1, 1, 9);  // ignored
  EXPECT_EQ(m.Sum(0, 0, 0, 0, 0, 0, 0, 0), 11);
}

TEST(Mat4D, LinearAddressesAndMemory) {
  TMat4D m(nullptr);
  m.Resize(3, 2, 4, 1);
  EXPECT_EQ(m.Lin3DAddr(1, 1, 1), 0);
  EXPECT_EQ(m.Lin3DAddr(2, 1, 1), 4);
  EXPECT_EQ(m.Lin3DAddr(1, 2, 3), 14);
  EXPECT_EQ(m.Lin3DAddr(4, 1, 1), -1);
  Integer x = 0, y = 0, z = 0;
  EXPECT_TRUE(m.ConvertLinTo3DAddr(14, x, y, z));
  EXPECT_EQ(x * 100 + y * 10 + z, 123);
  EXPECT_FALSE(m.ConvertLinTo3DAddr(24, x, y, z));
  m.Resize(1024, 1024, 1, 1);
  EXPECT_DOUBLE_EQ(m.MemoryConsumed(), 8);
}

TEST(Mat4D, CopiesValidateLayerBeforeTimeSlot) {
  auto m = Coded(2, 2, 4, 2);
  TMatrix dest(nullptr);
  EXPECT_NE(ErrorOf([&] {
              m->CopyLayerToMatrix(&dest, 0, 0, 0, 0, 0, 9);
            }).find("specified layer beyond data range"),
            String::npos);
  EXPECT_NE(ErrorOf([&] {
              m->CopyLayerToMatrix(&dest, 0, 0, 0, 0, 1, 9);
            }).find("specified time slot beyond data range"),
            String::npos);
  m->CopyLayerToMatrix(&dest, 2, 2, 0, 0, 3, 2);
  EXPECT_EQ(dest.NrOfColumns(), 1);
  EXPECT_EQ(dest.GetVal(1, 2), 2322);

  TDoubleArray five = {1, 2, 3, 4, 5};
  m->Copy1DArrayToPixel(five, 1, 1, 3, 1);
  EXPECT_EQ(m->GetVal(1, 1, 3, 1), 1);
  EXPECT_EQ(m->GetVal(1, 1, 4, 1), 2);
  EXPECT_EQ(m->GetVal(1, 1, 2, 1), 1211);  // untouched
  EXPECT_NE(ErrorOf([&] {
              m->Copy1DArrayToPixel(five, 1, 1, 5, 1);
            }).find("specified layer beyond data range"),
            String::npos);
  EXPECT_NE(ErrorOf([&] {
              m->Copy1DArrayToPixel(five, 3, 1, 1, 1);
            }).find("specified column beyond data range"),
            String::npos);
}

TEST(Mat4D, CopiesIntoLayersAreSilentAndSkipWhatArraysLack) {
  TMat4D m(nullptr);
  m.Resize(3, 3, 1, 1);
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  // A ragged array: the second column is shorter than the first.
  TDouble2DArray ragged = {{1, 2, 3}, {4}};
  m.CopyArrayToLayer(ragged, 2, 1, 1, 1);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(m.GetVal(2, 3, 1, 1), 3);
  EXPECT_EQ(m.GetVal(3, 1, 1, 1), 4);
  EXPECT_EQ(m.GetVal(3, 2, 1, 1), 0);
  TMat4D other(nullptr);
  other.CopyFrom(&m, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1);
  int otherChanges = 0;
  other.OnChange = [&](TObject*) { ++otherChanges; };
  other.Resize(3, 3, 1, 1);
  other.CopyFrom(&m, 2, 3, 1, 1, 0, 0, 0, 0, 1, 1, 1, 1);
  EXPECT_EQ(otherChanges, 2);  // Resize, then CopyFrom once
  EXPECT_EQ(other.GetVal(1, 1, 1, 1), 1);
  EXPECT_EQ(other.GetVal(2, 1, 1, 1), 4);
}

TEST(Mat4D, AssignCopiesHandlersCloneDoesNot) {
  auto m = Coded(2, 1, 1, 2);
  int calls = 0;
  m->OnChange = [&](TObject*) { ++calls; };
  m->SetDataID("src");
  TMat4D a(nullptr), c(nullptr);
  a.Assign(m.get());
  EXPECT_EQ(a.DataID(), "src");
  EXPECT_EQ(a.GetVal(2, 1, 1, 2), 2112);
  EXPECT_TRUE(static_cast<bool>(a.OnChange));
  c.Clone(m.get());
  EXPECT_FALSE(static_cast<bool>(c.OnChange));
  EXPECT_EQ(c.DataID(), "");
  EXPECT_EQ(c.CRCofData(), m->CRCofData());
  TMatrix plain(nullptr);
  EXPECT_THROW(a.Assign(&plain), EAssignError);
}

TEST(Mat4D, FreeArrayRoutinesReadOnlyWhatTheArrayHas) {
  TDouble3DArray arr = {{{1, 2}, {3, 4}}, {{5, 6}}};  // [x][y][layer], x = 1 lacks y = 1
  TDouble2DArray out;
  CopyArr3DLayerToArr2D(arr, out, 0, 1, 0, 1, 1);
  EXPECT_EQ(out[0][0], 2);
  EXPECT_EQ(out[0][1], 4);
  EXPECT_EQ(out[1][0], 6);
  EXPECT_EQ(out[1][1], 0);
  TMatrix mat(nullptr);
  CopyArr3DLayerToMatrix(arr, &mat, 0, 1, 0, 1, 0);
  EXPECT_EQ(mat.GetVal(2, 1), 5);
  CopyMatrixToArray(&mat, out, 1, 2, 1, 3);
  EXPECT_EQ(out.size(), 2u);
  EXPECT_EQ(out[1][2], 0);  // row 3 lies outside the matrix
}

TEST_F(Mat4DFiles, XmlHoldsOnlyNonZeroCellsAndReadsBack) {
  TMat4D m(nullptr);
  m.Resize(1, 1, 1, 2);
  m.SetVal(1, 1, 1, 2, 2.5);
  m.SaveAsXMLFile(Name("m.xml"), "Q");
  const std::string text = dir.read("m.xml");
  EXPECT_NE(text.find("<matrix sig=\"ZUDUZidad\" vers=\"1.0\" dim=\"4\" id=\"Q\">"),
            std::string::npos);
  EXPECT_NE(text.find("<numtimeslots>2</numtimeslots>\r\n<cell ix=\"1\" iy=\"1\" il=\"1\" "
                      "it=\"2\">2.5</cell>\r\n</matrix>"),
            std::string::npos);
  EXPECT_EQ(text.find("<cell", text.find("<cell") + 1), std::string::npos);
  TMat4D back(nullptr);
  int changes = 0;
  back.OnChange = [&](TObject*) { ++changes; };
  EXPECT_TRUE(back.LoadFromXMLFile(Name("m.xml"), "q"));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(back.NrOfTimeSlots(), 2);
  EXPECT_EQ(back.GetVal(1, 1, 1, 2), 2.5);
  EXPECT_FALSE(back.LoadFromXMLFile(Name("m.xml"), "other"));
  dir.write("cut.xml", text.substr(0, text.find("</matrix>")));
  EXPECT_FALSE(back.LoadFromXMLFile(Name("cut.xml"), ""));
  std::string huge = text;
  huge.replace(huge.find("<numcols>1</numcols>"), 20, "<numcols>90000</numcols>");
  huge.replace(huge.find("<numrows>1</numrows>"), 20, "<numrows>90000</numrows>");
  dir.write("huge.xml", huge);
  EXPECT_FALSE(back.LoadFromXMLFile(Name("huge.xml"), ""));  // refused, not allocated
  EXPECT_EQ(back.NrOfColumns(), 1);
  TMat3D cube(nullptr);
  TStringStream s3(
      "<matrix sig=\"ZUDUZidad\" vers=\"6.0\" dim=\"3\" id=\"\">\r\n<numcols>5000</numcols>\r\n"
      "<numrows>5000</numrows>\r\n<numplanes>5000</numplanes>\r\n<cell ix=\"1\" iy=\"1\" "
      "iz=\"1\">1</cell>\r\n");
  EXPECT_THROW(cube.ReadFromXMLStream(s3, ""), ESDLMatrixError);
  EXPECT_EQ(cube.NrOfLayers(), 1);
}

// The XML of the 3-D and 4-D matrices keeps every double: all digits, -0 and the non-finite.
TEST_F(Mat4DFiles, XmlKeepsEveryDouble) {
  const double values[] = {0.1 + 0.2, -0.0,      std::numeric_limits<double>::quiet_NaN(),
                           HUGE_VAL,  -HUGE_VAL, std::numeric_limits<double>::denorm_min(),
                           1.0 / 3,   0};
  auto same = [](double a, double b) {
    return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
  };
  const Integer n = static_cast<Integer>(std::size(values));
  TMat4D m4(nullptr);
  TMat3D m3(nullptr);
  m4.Resize(n, 1, 1, 2);
  m3.Resize(n, 1, 2);
  for (Integer x = 1; x <= n; ++x) {
    m4.SetVal(x, 1, 1, 2, values[x - 1]);
    m3.SetVal(x, 1, 2, values[x - 1]);
  }
  m4.SaveAsXMLFile(Name("m4.xml"), "");
  m3.SaveAsXMLFile(Name("m3.xml"), "");
  TMat4D back4(nullptr);
  TMat3D back3(nullptr);
  ASSERT_TRUE(back4.LoadFromXMLFile(Name("m4.xml"), ""));
  ASSERT_TRUE(back3.LoadFromXMLFile(Name("m3.xml"), ""));
  for (Integer x = 1; x <= n; ++x) {
    EXPECT_PRED2(same, back4.GetVal(x, 1, 1, 2), values[x - 1]) << x;
    EXPECT_PRED2(same, back3.GetVal(x, 1, 2), values[x - 1]) << x;
  }
  // The file is written beside and renamed over: a folder that is missing leaves nothing.
  EXPECT_THROW(m4.SaveAsXMLFile(Name("missing/m4.xml"), ""), EInOutError);
}

TEST_F(Mat4DFiles, BlockFileSizesAndTimeSlotRule) {
  struct Case {
    Integer X, Y, Z, T, Start, End;
    std::uintmax_t Bytes;
  };
  const Case cases[] = {{1, 1, 1, 1, 0, 0, 8192},
                        {16, 16, 2, 1, 0, 0, 8192},
                        {16, 16, 2, 2, 0, 0, 12288},
                        {1, 1, 1, 5, 3, 0, 8192},
                        {16, 16, 2, 5, 2, 3, 12288}};
  for (const auto& c : cases) {
    auto m = Coded(c.X, c.Y, c.Z, c.T);
    m->SaveBinary(Name("b.dat"), c.Start, c.End);
    EXPECT_EQ(std::filesystem::file_size(dir.path() / "b.dat"), c.Bytes) << c.X << " " << c.T;
  }
  auto m = Coded(2, 2, 1, 5);
  m->SetDataID("block");
  m->SaveBinary(Name("b.dat"), 2, 3);
  Integer X, Y, Z, T;
  String id;
  EXPECT_TRUE(m->ReadBinaryHeader(Name("b.dat"), X, Y, Z, T, id));
  EXPECT_EQ(T, 2);
  EXPECT_EQ(id, "block");
  EXPECT_NE(ErrorOf([&] {
              m->SaveBinary(Name("c.dat"), 6, 9);
            }).find("specified time slot beyond data range"),
            String::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "c.dat"));
}

TEST_F(Mat4DFiles, LoadPartsStreamLayersAndAppend) {
  auto m = Coded(3, 2, 4, 3);
  m->SaveBinary(Name("b.dat"), 0, 0);
  TMat4D one(nullptr);
  one.LoadBinary(Name("b.dat"), 2, 2);
  EXPECT_EQ(one.NrOfTimeSlots(), 1);
  EXPECT_EQ(one.GetVal(3, 2, 4, 1), 2423);

  std::vector<Integer> slots;
  Integer count = 0;
  one.OnReadElement = [&](TObject*, Integer, Integer, Integer, Integer it, double) {
    if (slots.empty() || slots.back() != it) slots.push_back(it);
    ++count;
  };
  one.ReadBinary(Name("b.dat"), 2, 3);
  EXPECT_EQ(count, 3 * 2 * 4 * 2);
  EXPECT_EQ(slots, (std::vector<Integer>{1, 2}));

  TMat4D layer(nullptr);
  layer.Resize(3, 2, 4, 3);
  layer.ReadLayer(Name("b.dat"), 2, 3);
  EXPECT_EQ(layer.GetVal(3, 2, 2, 3), 3223);
  EXPECT_EQ(layer.GetVal(3, 2, 1, 3), 0);
  TDouble2DArray data;
  layer.ReadLayer(Name("b.dat"), 4, 1, data);
  EXPECT_EQ(data[2][1], 1423);
  // The matrix must hold what the file's layer would write.
  TMat4D small(nullptr);
  small.Resize(2, 2, 4, 3);
  EXPECT_NE(ErrorOf([&] { small.ReadLayer(Name("b.dat"), 1, 1); }).find("column"), String::npos);
  EXPECT_NE(ErrorOf([&] { layer.ReadLayer(Name("b.dat"), 1, 4); }).find("time slot"), String::npos);
}

TEST_F(Mat4DFiles, AppendEqualsSavingTheJoinedData) {
  // 513 values in a file of one time slot: appending completes the second block.
  for (Integer X : {512, 513}) {
    auto all = Coded(X, 1, 1, 2);
    all->SaveBinary(Name("joined.dat"), 0, 0);
    all->SaveBinary(Name("grown.dat"), 1, 1);
    all->AppendToBinaryFile(Name("grown.dat"), 2, 2);
    TMat4D a(nullptr), b(nullptr);
    a.LoadBinary(Name("joined.dat"), 0, 0);
    b.LoadBinary(Name("grown.dat"), 0, 0);
    EXPECT_EQ(b.NrOfTimeSlots(), 2);
    EXPECT_EQ(a.CRCofData(), b.CRCofData()) << X;
    EXPECT_EQ(b.CRCofData(), all->CRCofData());
  }
  auto other = Coded(512, 1, 2, 1);
  EXPECT_NE(ErrorOf([&] {
              other->AppendToBinaryFile(Name("grown.dat"), 0, 0);
            }).find("X,Y,Z of matrices do not match"),
            String::npos);
}

TEST_F(Mat4DFiles, DamagedFilesEndInTheLoadError) {
  auto m = Coded(2, 2, 2, 2);
  m->SaveBinary(Name("b.dat"), 0, 0);
  std::string bytes = dir.read("b.dat");
  auto damaged = [&](const std::string& b) {
    dir.write("d.dat", b);
    TMat4D t(nullptr);
    return ErrorOf([&] { t.LoadBinary(Name("d.dat"), 0, 0); });
  };
  std::string huge = bytes;
  huge[0] = '\xff';
  huge[1] = '\xff';
  huge[2] = '\xff';
  huge[3] = '\x3f';  // a billion columns
  EXPECT_NE(damaged(huge).find("cannot resize, memory low"), String::npos);
  EXPECT_NE(damaged(bytes.substr(0, 4096)).find("cannot resize, memory low"), String::npos);
  EXPECT_NE(damaged(bytes.substr(0, 100)).find("cannot resize, memory low"), String::npos);
  std::string negative = bytes;
  negative[8] = '\xff';
  negative[9] = '\xff';
  negative[10] = '\xff';
  negative[11] = '\xff';
  EXPECT_NE(damaged(negative).find("cannot resize, memory low"), String::npos);
}

TEST(Mat4DReductions, SameResultForAnyThreadCountAndSpecifiedValues) {
  auto m = std::make_unique<TMat4D>(nullptr);
  m->Resize(37, 5, 3, 4);
  m->FillRandomGauss(1, 3);
  using Fn = void (TMat4D::*)(TMatrix*, Integer, Integer, Integer, Integer, Integer, Integer,
                              Integer, Integer, Integer);
  const Fn reductions[] = {&TMat4D::MeanOfLayersToMatrix, &TMat4D::MaximumOfLayersToMatrix,
                           &TMat4D::MinimumOfLayersToMatrix, &TMat4D::StdDevOfLayersToMatrix};
  for (Fn f : reductions) {
    TMatrix r1(nullptr), r2(nullptr), r8(nullptr), r0(nullptr);
    (m.get()->*f)(&r1, 2, 36, 0, 0, 1, 2, 2, 4, 1);
    (m.get()->*f)(&r2, 2, 36, 0, 0, 1, 2, 2, 4, 2);
    (m.get()->*f)(&r8, 2, 36, 0, 0, 1, 2, 2, 4, 8);
    (m.get()->*f)(&r0, 2, 36, 0, 0, 1, 2, 2, 4, 0);
    EXPECT_EQ(r1.NrOfColumns(), 35);
    EXPECT_EQ(r1.CRCofData(), r2.CRCofData());
    EXPECT_EQ(r1.CRCofData(), r8.CRCofData());
    EXPECT_EQ(r0.NrOfColumns(), 35);
    EXPECT_EQ(r0.Sum(0, 0, 0, 0), 0);
  }
  // ProcStat: one step per second cell of the 37 x 5 window on one thread (185 / 2 = 92
  // steps); 100 / 37 per column on the workers, 100 in all.
  for (Integer threads : {1, 3, 8}) {
    TMatrix r(nullptr);
    const double before = ProcStat.load();
    m->MeanOfLayersToMatrix(&r, 0, 0, 0, 0, 0, 0, 0, 0, threads);
    EXPECT_NEAR(ProcStat.load() - before, threads == 1 ? 92 : 100, 1e-9) << threads;
  }
  TMat4D two(nullptr);
  two.Resize(1, 1, 2, 1);
  two.SetVal(1, 1, 1, 1, 1);
  two.SetVal(1, 1, 2, 1, 3);
  TMatrix r(nullptr);
  two.StdDevOfLayersToMatrix(&r, 0, 0, 0, 0, 0, 0, 0, 0, 2);
  EXPECT_EQ(r.GetVal(1, 1), 1);
  two.MeanOfLayersToMatrix(&r, 0, 0, 0, 0, 0, 0, 0, 0, 1);
  EXPECT_EQ(r.GetVal(1, 1), 2);
  two.SetVal(1, 1, 1, 1, -1e39);
  two.SetVal(1, 1, 2, 1, -2e39);
  two.MaximumOfLayersToMatrix(&r, 0, 0, 0, 0, 0, 0, 0, 0, 3);
  EXPECT_EQ(r.GetVal(1, 1), -static_cast<double>(uc_MaxReal));
}

TEST(Mat4DReductions, AFailingResultHandlerJoinsEveryWorker) {
  auto m = std::make_unique<TMat4D>(nullptr);
  m->Resize(64, 8, 2, 2);
  TMatrix r(nullptr);
  std::atomic<int> calls{0};
  r.OnChange = [&](TObject*) {
    if (++calls == 100) throw ESDLMatrixError("handler failed");
  };
  EXPECT_THROW(m->MeanOfLayersToMatrix(&r, 0, 0, 0, 0, 0, 0, 0, 0, 8), ESDLMatrixError);
  const int after = calls.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(calls.load(), after);  // nothing runs on behind the caller's back
  r.OnChange = nullptr;
  m->MeanOfLayersToMatrix(&r, 0, 0, 0, 0, 0, 0, 0, 0, 8);  // the next one runs normally
}

TEST(Mat4DReshape, CutResampleTransposeMirror) {
  auto m = Coded(4, 2, 1, 1);
  m->Cut(2, 3, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(m->NrOfColumns(), 2);
  EXPECT_EQ(m->GetVal(1, 2, 1, 1), 1122);
  EXPECT_EQ(m->GetVal(2, 1, 1, 1), 1113);

  struct Case {
    Integer Offset;
    bool Average;
    std::vector<double> Want;
  };
  const Case cases[] = {{0, false, {1, 3, 5}}, {0, true, {1.5, 3.5, 2.5}}, {3, false, {2, 4}}};
  for (const auto& c : cases) {
    TMat4D row(nullptr);
    row.Resize(5, 1, 1, 1);
    for (Integer x = 1; x <= 5; ++x) row.SetVal(x, 1, 1, 1, x);
    row.Resample(2, c.Offset, 1, 0, 1, 0, 1, 0, c.Average);
    ASSERT_EQ(row.NrOfColumns(), static_cast<Integer>(c.Want.size()));
    for (Integer x = 1; x <= row.NrOfColumns(); ++x)
      EXPECT_EQ(row.GetVal(x, 1, 1, 1), c.Want[x - 1]);
  }
  TMat4D guard(nullptr);
  guard.Resize(3, 1, 1, 1);
  guard.Resample(0, -4, -1, 0, 1, 0, 1, 0, true);  // divisors below 1 count as 1
  EXPECT_EQ(guard.NrOfColumns(), 3);

  auto t = Coded(3, 2, 1, 2);
  EXPECT_TRUE(t->Transpose());
  EXPECT_EQ(t->NrOfColumns(), 2);
  EXPECT_EQ(t->NrOfRows(), 3);
  EXPECT_EQ(t->GetVal(1, 3, 1, 2), 2113);  // the old (3, 1, 1, 2)
  AbortMathProc = true;
  EXPECT_FALSE(t->Transpose());
  AbortMathProc = false;
  EXPECT_EQ(t->NrOfColumns(), 3);  // sizes exchanged all the same

  auto l = Coded(1, 1, 3, 1);
  l->MirrorLayers();
  EXPECT_EQ(l->GetVal(1, 1, 1, 1), 1311);
  EXPECT_EQ(l->GetVal(1, 1, 2, 1), 1211);
  auto c = Coded(3, 1, 1, 2);
  c->MirrorTimeSlots();
  EXPECT_EQ(c->GetVal(3, 1, 1, 1), 2113);
}

TEST(Mat4DStats, WindowStatistics) {
  TMat4D m(nullptr);
  m.Resize(3, 1, 1, 1);
  for (Integer x = 1; x <= 3; ++x) m.SetVal(x, 1, 1, 1, x);
  double mean, var, lo, hi;
  m.MeanVar(0, 0, 0, 0, 0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 2);
  EXPECT_EQ(var, 1);
  m.MeanVar(1, 2, 0, 0, 0, 0, 0, 0, mean, var);
  EXPECT_EQ(var, 1);
  TMat4D offset(nullptr);
  offset.Resize(2, 1, 2, 1);
  for (Integer x = 1; x <= 2; ++x)
    for (Integer z = 1; z <= 2; ++z) offset.SetVal(x, 1, z, 1, 1e9 + 2 * (x - 1) + z);
  offset.MeanVar(0, 0, 0, 0, 0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 1e9 + 2.5);
  EXPECT_EQ(var, 5.0 / 3);  // the offset costs no digits
  EXPECT_EQ(m.CountValues(0, 0, 0, 0, 0, 0, 0, 0, 2, 2), 1);
  EXPECT_EQ(m.SquaredSum(0, 0, 0, 0, 0, 0, 0, 0), 14);
  m.MinMax(0, 0, 0, 0, 0, 0, 0, 0, lo, hi);
  EXPECT_EQ(lo * 10 + hi, 13);
  Integer cx, cy, cz, ct;
  m.Find(0, 0, 0, 0, 0, 0, 0, 0, 2.5, cx, cy, cz, ct);
  EXPECT_EQ(cx, 2);
}

TEST(Mat4DStats, PercentileIsExactEvenWhenProbesMiss) {
  TMat4D m(nullptr);
  m.Resize(200, 1, 1, 1);
  for (Integer x = 1; x <= 200; ++x) m.SetVal(x, 1, 1, 1, 1000 - x);
  for (int rep = 0; rep < 20; ++rep) {
    EXPECT_EQ(m.Percentile(0, 0, 0, 0, 0, 0, 0, 0, 0), 800);
    EXPECT_EQ(m.Percentile(100, 0, 0, 0, 0, 0, 0, 0, 0), 999);
  }
  m.Fill(7);
  for (double p : {0.0, 37.0, 100.0}) EXPECT_EQ(m.Percentile(p, 0, 0, 0, 0, 0, 0, 0, 0), 7);
  // Mostly equal values with a few lower ones: the common value must not answer rank 0.
  for (Integer x = 1; x <= 3; ++x) m.SetVal(x, 1, 1, 1, x);
  EXPECT_EQ(m.Percentile(0, 0, 0, 0, 0, 0, 0, 0, 0), 1);
  EXPECT_EQ(m.Percentile(50, 0, 0, 0, 0, 0, 0, 0, 0), 7);
  EXPECT_EQ(m.Percentile(50, 0, 0, 0, 0, 0, 0, 0, 0, 1000), 7);  // sample size >= n: exact
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(m.Percentile(nan, 0, 0, 0, 0, 0, 0, 0, 0), 1);  // a percent that is NaN counts as 0
  const double sampled = m.Percentile(nan, 0, 0, 0, 0, 0, 0, 0, 0, 10);
  EXPECT_TRUE(sampled >= 1 && sampled <= 7);
  m.SetVal(100, 1, 1, 1, nan);  // a value without order: no percentile
  for (double p : {0.0, 50.0, 100.0})
    EXPECT_TRUE(std::isnan(m.Percentile(p, 0, 0, 0, 0, 0, 0, 0, 0))) << p;
}

TEST(Mat4DStats, DigestSamplesLayers) {
  auto four = Coded(2, 1, 4, 1);
  auto even = Coded(2, 1, 4, 1);
  even->SetVal(1, 1, 1, 1, -1);  // layer 1 is not sampled with Sample 2
  even->SetVal(2, 1, 3, 1, -1);
  EXPECT_EQ(four->CRCofData(3), even->CRCofData(2));
  EXPECT_NE(four->CRCofData(), even->CRCofData());
  EXPECT_EQ(four->CRCofData().size(), 64u);
}

TEST(Mat3D, CoreCopiesAndXml) {
  TMat3D m(nullptr);
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  EXPECT_TRUE(m.Resize(3, 0, 2));
  EXPECT_EQ(m.NrOfColumns(), 1);
  m.SetNRows(0);
  EXPECT_EQ(m.NrOfRows(), 1);
  m.Resize(2, 2, 2);
  changes = 0;
  m.SetVal(1, 2, 2, 5);
  m.Fill(3);
  EXPECT_EQ(changes, 0);
  m.FillDiag(1);
  EXPECT_EQ(changes, 1);
  m.ResizeAndClear(2, 2, 2);
  double lo, hi;
  m.MinMax(0, 0, 0, 0, 0, 0, lo, hi);
  EXPECT_EQ(hi, 0);
  m.SetVal(1, 2, 2, 5);

  TMatrix layer(nullptr);
  EXPECT_THROW(m.CopyLayerToMatrix(&layer, 0, 0, 0, 0, 0), ESDLMatrixError);
  m.CopyLayerToMatrix(&layer, 0, 0, 0, 0, 2);
  EXPECT_EQ(layer.NrOfColumns(), 2);
  EXPECT_EQ(layer.GetVal(1, 2), 5);
  TMatrix src(nullptr);
  src.Resize(2, 1);
  src.SetVal(1, 1, 7);
  src.SetVal(2, 1, 8);
  m.CopyMatrixToLayer(&src, 1, 2, 1, 1, 1, 0, 1);  // target column 0 drops the first column
  EXPECT_EQ(m.GetVal(1, 1, 1), 8);
  EXPECT_EQ(m.GetVal(2, 1, 1), 0);
  EXPECT_EQ(m.Percentile(100, 0, 0, 0, 0, 0, 0), 8);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(m.Percentile(nan, 0, 0, 0, 0, 0, 0), 0);  // a percent that is NaN counts as 0
  const double sampled = m.Percentile(nan, 0, 0, 0, 0, 0, 0, 3);
  EXPECT_TRUE(sampled == 0 || sampled == 5 || sampled == 8);

  m.SetVal(1, 1, 1, 0);
  TStringStream s("");
  m.WriteToXMLStream(s, false, "");
  const String text = s.DataString();
  EXPECT_NE(
      text.find(
          "<numplanes>2</numplanes>\r\n<cell ix=\"1\" iy=\"2\" iz=\"2\">5</cell>\r\n</matrix>"),
      String::npos);
  TMat3D back(nullptr);
  s.SetPosition(0);
  EXPECT_TRUE(back.ReadFromXMLStream(s, ""));
  EXPECT_EQ(back.CRCofData(), m.CRCofData());
  TMat3D copy(nullptr);
  copy.Clone(&m);
  EXPECT_EQ(copy.CRCofData(), m.CRCofData());
  EXPECT_THROW(copy.Assign(&m), EAssignError);
}
