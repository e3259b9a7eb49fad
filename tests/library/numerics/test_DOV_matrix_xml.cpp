#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Classes.h"
#include "DOV_matrix.h"
#include "DOV_matrix_xml.h"
#include "DOV_streams.h"
#include "TestSupport.h"
#include "TextFile.h"

namespace {

// The same value: equal with the same sign (so -0 is not 0), or both NaN.
bool Same(double a, double b) {
  return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
}

void SetAll(TMatrix& m, Integer nc, Integer nr, const std::vector<double>& colMajor) {
  m.Resize(nc, nr);
  for (Integer c = 1; c <= nc; ++c)
    for (Integer r = 1; r <= nr; ++r)
      m.SetVal(c, r, colMajor[static_cast<size_t>((c - 1) * nr + r - 1)]);
}

String Written(TMatrix& m, bool header, const String& id = "") {
  TStringStream s;
  m.WriteToXMLStream(s, header, id);
  return s.DataString();
}

}  // namespace

TEST(MatrixXml, WriterLayout) {
  TMatrix m(nullptr);
  SetAll(m, 2, 2, {0, 2, 1.5, 0});
  m.SetDataID("M1");
  EXPECT_EQ(Written(m, true),
            "<?xml version=\"1.0\"?>\r\n"
            "\r\n"
            "<!-- TMatrix / RIZ Ovavavude Rarev -->\r\n"
            "<matrix sig=\"ZUDUZidad\" vers=\"6.0\" dim=\"2\" id=\"M1\">\r\n"
            "<numcols>2</numcols>\r\n"
            "<numrows>2</numrows>\r\n"
            "<cell ix=\"2\" iy=\"1\">1.5</cell>\r\n"
            "<cell ix=\"1\" iy=\"2\">2</cell>\r\n"
            "</matrix>\r\n");
  EXPECT_EQ(Written(m, false, "other").substr(0, 2), "\r\n");
  EXPECT_NE(Written(m, false, "other").find("id=\"other\""), String::npos);
}

TEST(MatrixXml, FindsTheDocumentByIdAndDimension) {
  TMatrix a(nullptr), b(nullptr);
  SetAll(a, 1, 1, {1});
  SetAll(b, 1, 1, {2});
  TStringStream s;
  s.WriteString(
      "<matrix sig=\"ZUDUZidad\" vers=\"6.0\" dim=\"3\" id=\"B\">\r\n"
      "<numcols>1</numcols><cell ix=\"1\" iy=\"1\">3</cell></matrix>\r\n");
  a.WriteToXMLStream(s, true, "A");
  b.WriteToXMLStream(s, false, "  B ");
  TMatrix m(nullptr);
  s.SetPosition(0);
  ASSERT_TRUE(m.ReadFromXMLStream(s, "b"));
  EXPECT_EQ(m.Elem(1, 1), 2);  // the dim="3" document was passed over
  EXPECT_EQ(m.DataID(), "b");
  s.SetPosition(0);
  ASSERT_TRUE(m.ReadFromXMLStream(s, ""));
  EXPECT_EQ(m.Elem(1, 1), 1);
  EXPECT_EQ(m.DataID(), "a");
  // Then the next document follows in the same stream.
  ASSERT_TRUE(m.ReadFromXMLStream(s, ""));
  EXPECT_EQ(m.Elem(1, 1), 2);

  int fired = 0;
  m.OnChange = [&](TObject*) { ++fired; };
  s.SetPosition(0);
  EXPECT_FALSE(m.ReadFromXMLStream(s, "C"));
  EXPECT_EQ(fired, 0);
  EXPECT_EQ(m.DataID(), "b");
}

TEST(MatrixXml, ReadingAppliesCellsAndFiresOnce) {
  struct Case {
    String content;
    bool ok;
    Integer nc, nr;
    std::vector<double> values;  // column-major, after reading into a fresh 1 x 1 matrix
    const char* why;
  };
  const Case cases[] = {
      {"<numcols>2</numcols><numrows>1</numrows></matrix>",
       true,
       2,
       1,
       {0, 0},
       "no cells: the announced size"},
      {"<numcols>2</numcols><numrows>1</numrows><cell ix=\"3\" iy=\"1\">9</cell>"
       "<cell ix=\"2\" iy=\"1\">-2.5e-3</cell></matrix>",
       true,
       2,
       1,
       {0, -0.0025},
       "a cell beyond numcols is ignored"},
      {"<numcols>2</numcols><numrows>1</numrows><cell ix=\"1\" iy=\"1\">4</cell><cell ix=\"2\"",
       false,
       2,
       1,
       {4, 0},
       "cut short: what was read is kept"},
      {"<numcols>1</numcols><numrows>1</numrows><cell ix=\"1\" iy=\"1\">4</cell><foo/>"
       "<cell ix=\"1\" iy=\"1\">5</cell></matrix>",
       false,
       1,
       1,
       {4},
       "an unknown tag stops"},
      {"<numcols>1</numcols><numrows>2</numrows><cell ix=\"1\" iy=\"2\">1x5</cell></matrix>",
       true,
       1,
       2,
       {0, 1},
       "a malformed number reads up to its end"},
      {"<numcols>-3</numcols><numrows>0</numrows><cell ix=\"1\" iy=\"1\">7</cell></matrix>",
       true,
       1,
       1,
       {7},
       "counts below 1 read as 1"},
      {"<numcols>5</numcols><numrows>1</numrows><cell ix=\"1\" iy=\"1\">NAN</cell>"
       "<cell ix=\"2\" iy=\"1\">+Inf</cell><cell ix=\"3\" iy=\"1\">-INF</cell>"
       "<cell ix=\"4\" iy=\"1\">-0</cell><cell ix=\"5\" iy=\"1\">0.30000000000000004</cell>"
       "</matrix>",
       true,
       5,
       1,
       {std::numeric_limits<double>::quiet_NaN(), HUGE_VAL, -HUGE_VAL, -0.0, 0.1 + 0.2},
       "non-finite spellings, -0 and all digits of a double"},
      {"<numcols>2</numcols><numrows>1</numrows><cell ix=\"1\" iy=\"1\">\xFF\xFE</cell>"
       "<cell ix=\"2\" iy=\"1\">\xC3</cell></matrix>",
       true,
       2,
       1,
       {0, 0},
       "bytes that are no UTF-8 read as no number"},
  };
  for (const Case& c : cases) {
    TStringStream s("<matrix sig=\"ZUDUZidad\" vers=\"6.0\" dim=\"2\" id=\"x\">\r\n" + c.content);
    TMatrix m(nullptr);
    int fired = 0;
    m.OnChange = [&](TObject*) { ++fired; };
    EXPECT_EQ(m.ReadFromXMLStream(s, "x"), c.ok) << c.why;
    EXPECT_EQ(fired, 1) << c.why;
    EXPECT_EQ(m.NrOfColumns(), c.nc) << c.why;
    EXPECT_EQ(m.NrOfRows(), c.nr) << c.why;
    for (Integer col = 1; col <= c.nc; ++col)
      for (Integer r = 1; r <= c.nr; ++r)
        EXPECT_PRED2(Same, m.GetVal(col, r),
                     c.values[static_cast<size_t>((col - 1) * c.nr + r - 1)])
            << c.why << " " << col << "," << r;
  }
}

TEST(MatrixXml, AnAbsurdSizeIsRefused) {
  const String doc =
      "<matrix sig=\"ZUDUZidad\" vers=\"6.0\" dim=\"2\" id=\"x\">\r\n"
      "<numcols>2000000000</numcols><numrows>2000000</numrows><cell ix=\"1\" iy=\"1\">1</cell>"
      "</matrix>\r\n";
  TStringStream s(doc);
  TMatrix m(nullptr);
  m.SetName("Mat");
  int fired = 0;
  m.OnChange = [&](TObject*) { ++fired; };
  try {
    m.ReadFromXMLStream(s, "");
    FAIL() << "no exception";
  } catch (const ESDLMatrixError& e) {
    EXPECT_NE(e.Message.find("2000000000 x 2000000"), String::npos) << e.Message;
  }
  EXPECT_EQ(m.NrOfColumns(), 1);
  m.SetVal(1, 1, 3);
  EXPECT_EQ(fired, 1);  // the handler is back in place
  testsupport::TempDir dir;
  dir.write("big.xml", doc);
  EXPECT_FALSE(m.LoadFromXMLFile("big.xml", ""));
  EXPECT_FALSE(m.LoadFromXMLFile("missing.xml", ""));
}

// ---- round trips
// ---------------------------------------------------------------------------------

enum class Medium { Stream, OpenFile, NamedFile };

struct RoundTripCase {
  Medium medium;
  Integer nc, nr;
  std::vector<double> values;  // repeated to fill the matrix column by column
};

class MatrixXmlRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(MatrixXmlRoundTrip, ValuesComeBack) {
  const RoundTripCase p = GetParam();
  TMatrix m(nullptr);
  m.Resize(p.nc, p.nr);
  size_t k = 0;
  for (Integer c = 1; c <= p.nc; ++c)
    for (Integer r = 1; r <= p.nr; ++r) m.SetVal(c, r, p.values[k++ % p.values.size()]);
  TMatrix back(nullptr);
  testsupport::TempDir dir;
  switch (p.medium) {
    case Medium::Stream: {
      TStringStream s;
      m.WriteToXMLStream(s, true, "RT");
      s.SetPosition(0);
      ASSERT_TRUE(back.ReadFromXMLStream(s, "rt"));
      break;
    }
    case Medium::OpenFile: {
      TTextFile f("m.xml");
      f.Rewrite();
      m.WriteToOpenXMLFile(f, false, "RT");
      f.CloseFile();
      f.Reset();
      ASSERT_TRUE(back.ReadFromOpenXMLFile(f, "RT"));
      f.CloseFile();
      break;
    }
    case Medium::NamedFile:
      m.SaveAsXMLFile("m.xml", "RT");
      ASSERT_TRUE(back.LoadFromXMLFile("m.xml", "RT"));
      break;
  }
  EXPECT_EQ(back.DataID(), "rt");
  ASSERT_EQ(back.NrOfColumns(), p.nc);
  ASSERT_EQ(back.NrOfRows(), p.nr);
  for (Integer c = 1; c <= p.nc; ++c)
    for (Integer r = 1; r <= p.nr; ++r)
      ASSERT_PRED2(Same, back.GetVal(c, r), m.GetVal(c, r)) << c << "," << r;
}

const std::vector<double> kValues = {
    0, 1.5, -2, 1e-300, 6.02214076e23, -123456789012345, 0.1, 1e15, 3.14159265358979};
// Every double comes back bit for bit: all 17 digits, the extremes, -0 and the non-finite.
const std::vector<double> kExact = {0.1 + 0.2,
                                    -0.0,
                                    std::numeric_limits<double>::quiet_NaN(),
                                    HUGE_VAL,
                                    -HUGE_VAL,
                                    std::numeric_limits<double>::denorm_min(),
                                    std::numeric_limits<double>::max(),
                                    -std::numeric_limits<double>::min(),
                                    1.0 / 3,
                                    0};

INSTANTIATE_TEST_SUITE_P(Media, MatrixXmlRoundTrip,
                         ::testing::Values(RoundTripCase{Medium::Stream, 3, 4, kValues},
                                           RoundTripCase{Medium::OpenFile, 3, 4, kValues},
                                           RoundTripCase{Medium::NamedFile, 3, 4, kValues},
                                           RoundTripCase{Medium::Stream, 1, 1, {0}},
                                           RoundTripCase{Medium::Stream, 5, 1, {0, 0, 7}},
                                           RoundTripCase{Medium::NamedFile, 11, 500, kValues},
                                           RoundTripCase{Medium::Stream, 2, 5, kExact},
                                           RoundTripCase{Medium::OpenFile, 2, 5, kExact},
                                           RoundTripCase{Medium::NamedFile, 2, 5, kExact}));
