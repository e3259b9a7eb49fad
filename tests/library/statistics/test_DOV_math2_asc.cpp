// The curve fit's ASC files: the exact bytes written, round trips, exchange with the data
// table's ASC files, and damaged files that must leave the component as it was.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "DOV_datatable.h"
#include "DOV_math2.h"
#include "DOV_matrix.h"
#include "TestSupport.h"

namespace {

using TPoints = std::vector<std::pair<double, double>>;

class AscTest : public ::testing::Test {
protected:
  void Enter(TCurveFit& c, const TPoints& pts) {
    for (const auto& [x, y] : pts) c.EnterStatValue(x, y);
  }
  String Name(const std::string& file) const { return (dir.path() / file).string(); }
  // Points, count and sums as one comparable text.
  static std::string State(const TCurveFit& c) {
    std::string s = std::to_string(c.NumData()) + ":";
    for (Integer i = 1; i <= c.NumData(); ++i)
      s += std::to_string(c.DataX(i)) + "," + std::to_string(c.DataY(i)) + ";";
    const TCurveFitSums& m = c.Sums();
    for (Extended v : {m.sumx, m.sumy, m.sumxq, m.sumyq, m.sumxy, m.sumlnx, m.sum1byy})
      s += std::to_string(static_cast<double>(v)) + " ";
    return s + std::to_string(c.ErrIndic().Bits());
  }
  testsupport::TempDir dir;
  TCurveFit cf{nullptr};
};

}  // namespace

TEST_F(AscTest, ExportWritesTheDocumentedLines) {
  Enter(cf, {{1, 2.5}, {-3.25, 4}, {1e3, 0.125}});
  EXPECT_EQ(cf.ExportAsASC(Name("p.asc"), "", 2), "");
  EXPECT_EQ(dir.read("p.asc"), "Exported by DOV TCurveFit component: " + Name("p.asc") +
                                   "\r\n"
                                   "2\t;nr. of columns\r\n3\t;nr. of rows\r\n"
                                   "FALSE TRUE FALSE\t;row attributes, column names, row names\r\n"
                                   "x   y\r\n1.00\t2.50\r\n-3.25\t4.00\r\n1000.00\t0.13\r\n");
}

TEST_F(AscTest, RoundTripRestoresPointsAndSums) {
  Enter(cf, {{1, 2.5}, {-3.25, 4}, {0, -1}, {7.5, 1e-3}});
  ASSERT_EQ(cf.ExportAsASC(Name("p.asc"), "line one\nline two\r\nthree", 6), "");
  const std::string text = dir.read("p.asc");
  EXPECT_EQ(text.substr(0, text.find("\r\n")), "line one line two  three");
  TCurveFit back(nullptr);
  back.EnterStatValue(99, 99);  // whatever it held is replaced, sums included
  EXPECT_EQ(back.ImportASC(Name("p.asc")), 0);
  EXPECT_EQ(State(back), State(cf));
  EXPECT_FALSE(back.RankCountsValid());
  EXPECT_FALSE(back.SplineValid());
  // The imported points are the component's: fits and new points work on them.
  EXPECT_EQ(back.EnterStatValue(2, 2), 5);
}

// Every number of the file reads as the double its digits name, as the data table's reader
// reads it: 17 significant digits, and the shortest ones, come back bit for bit.
TEST_F(AscTest, NumbersReadToTheNearestDouble) {
  const double values[] = {2.3871552257471772e174, 0.1, -1.2345678901234567e308,
                           4.9406564584124654e-324, 123456.78901234567};
  std::vector<std::string> texts;
  for (const char* format : {"%.17g", "%.16g"})
    for (double v : values) {
      char digits[40];
      std::snprintf(digits, sizeof digits, format, v);
      texts.push_back(digits);
    }
  texts.push_back("2.387155225747177e+174");  // the shortest text of the first value
  std::string file = "c\r\n2\r\n" + std::to_string(texts.size()) + "\r\nFALSE TRUE FALSE\r\nx y\r\n";
  for (const std::string& t : texts) file += t + " 1\r\n";
  dir.write("n.asc", file);
  ASSERT_EQ(cf.ImportASC(Name("n.asc")), 0);
  ASSERT_EQ(cf.NumData(), static_cast<Integer>(texts.size()));
  for (size_t i = 0; i < texts.size(); ++i)
    EXPECT_EQ(cf.DataX(static_cast<Integer>(i) + 1), std::strtod(texts[i].c_str(), nullptr))
        << texts[i];
  EXPECT_EQ(cf.DataX(static_cast<Integer>(texts.size())), 2.3871552257471772e174);
}

TEST_F(AscTest, ExchangeWithTheDataTable) {
  // A data-table file (row attributes, quoted column names, row names) reads as points.
  TDataTable t(nullptr);
  t.Resize(2, 3);
  t.SetColName(1, "Flux density");
  t.SetColName(2, "Kind");
  for (Integer r = 1; r <= 3; ++r) {
    t.SetElem(1, r, r * 1.5);
    t.SetElem(2, r, -r);
  }
  t.SetRowName(2, "B\"x");
  ASSERT_EQ(t.ExportAsASC(Name("t.asc"), 3), "");
  ASSERT_EQ(cf.ImportASC(Name("t.asc")), 0);
  ASSERT_EQ(cf.NumData(), 3);
  for (Integer r = 1; r <= 3; ++r) {
    EXPECT_EQ(cf.DataX(r), r * 1.5);
    EXPECT_EQ(cf.DataY(r), -r);
  }
  // And the data table reads ours.
  ASSERT_EQ(cf.ExportAsASC(Name("c.asc"), "two columns", 4), "");
  TDataTable back(nullptr);
  ASSERT_EQ(back.ImportASC(Name("c.asc")), 0);
  EXPECT_EQ(back.NrOfColumns(), 2);
  EXPECT_EQ(back.NrOfRows(), 3);
  EXPECT_EQ(back.GetColName(1), "x");
  EXPECT_EQ(back.GetElem(1, 3), 4.5);
  EXPECT_EQ(back.GetElem(2, 2), -2);
  // Three columns are refused with the documented text.
  t.Resize(3, 3);
  ASSERT_EQ(t.ExportAsASC(Name("t3.asc"), 3), "");
  try {
    cf.ImportASC(Name("t3.asc"));
    FAIL() << "no exception";
  } catch (const ESDLMath2Error& e) {
    EXPECT_STREQ(e.what(), "TCurveFit.ImportASC: number of columns must be 2 (is actually 3).");
  }
  EXPECT_EQ(cf.NumData(), 3);
}

TEST_F(AscTest, DamagedFilesChangeNothing) {
  Enter(cf, {{1, 1}, {2, 4}, {3, 9}, {4, 16}, {5, 25}});
  double p;
  cf.KendallsTau(p);
  const std::string before = State(cf);
  const std::string head = "c\r\n2\t;c\r\n3\t;r\r\n";
  struct Case {
    const char* name;
    std::string text;
    Integer code;
  };
  const Case cases[] = {
      {"nominal", head + "FALSE TRUE FALSE TRUE\r\nx y\r\n1 2\r\n3 4\r\n5 6\r\n", -7},
      {"bad cell", head + "FALSE TRUE FALSE\r\nx y\r\n1 2\r\n3 ###\r\n5 6\r\n", -6},
      {"short file", head + "FALSE TRUE FALSE\r\nx y\r\n1 2\r\n3 4\r\n", -6},
      {"not finite", head + "FALSE TRUE FALSE\r\nx y\r\n1 2\r\n3 inf\r\n5 6\r\n", -6},
      {"too large", head + "FALSE TRUE FALSE\r\nx y\r\n1 2\r\n3 1e999\r\n5 6\r\n", -6},
      {"bad attribute", head + "TRUE TRUE FALSE\r\nx y\r\n1 1 2\r\nq 3 4\r\n2 5 6\r\n", -5},
      {"bad flag", head + "FALSE MAYBE FALSE\r\nx y\r\n1 2\r\n", -3},
      {"bad count", "c\r\nzwei\r\n3\r\nFALSE TRUE FALSE\r\n", -1},
      {"negative rows", "c\r\n2\r\n-3\r\nFALSE TRUE FALSE\r\n", -2},
      {"billion rows", "c\r\n2\r\n1000000000\r\nFALSE TRUE FALSE\r\nx y\r\n1 2\r\n", -6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    dir.write("bad.asc", c.text);
    EXPECT_EQ(cf.ImportASC(Name("bad.asc")), c.code);
    EXPECT_EQ(State(cf), before);
    EXPECT_FALSE(cf.RankCountsValid());  // every outcome flags the caches stale
  }
  EXPECT_THROW(cf.ImportASC(Name("missing.asc")), EInOutError);
  EXPECT_EQ(State(cf), before);
}

TEST_F(AscTest, QuotedNamesRowNamesAndAttributes) {
  dir.write("q.asc",
            "names\r\n2\t;c\r\n2\t;r\r\nTRUE TRUE TRUE\r\n\"first name\"\t\"y value\"\r\n"
            "7\t\"row one\"\t1.5\t-2\r\n8\trow2\t3e2\t4\r\n");
  EXPECT_EQ(cf.ImportASC(Name("q.asc")), 0);
  ASSERT_EQ(cf.NumData(), 2);
  EXPECT_EQ(cf.DataX(1), 1.5);
  EXPECT_EQ(cf.DataY(1), -2);
  EXPECT_EQ(cf.DataX(2), 300);
  EXPECT_EQ(cf.DataY(2), 4);
}

TEST_F(AscTest, ExportFailureIsReportedAndCreatesNothing) {
  Enter(cf, {{1, 2}});
  const String reason = cf.ExportAsASC(Name("no/such/folder/p.asc"), "", 2);
  EXPECT_NE(reason, "");
  EXPECT_NE(reason.find("no/such/folder/p.asc"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "no"));
  // An existing file is replaced whole.
  dir.write("keep.asc", "old content that is longer than the new file will be ......");
  EXPECT_EQ(cf.ExportAsASC(Name("keep.asc"), "c", 0), "");
  EXPECT_EQ(dir.read("keep.asc"),
            "c\r\n2\t;nr. of columns\r\n1\t;nr. of rows\r\n"
            "FALSE TRUE FALSE\t;row attributes, column names, row names\r\nx   y\r\n1\t2\r\n");
}

// Every file the writer calls written reads back, each value equal to its text: a value whose
// text at the chosen precision would not read back (rounded beyond the largest double, or an
// exponent of three digits in the two-digit form of precision -2, which gives asterisks) is
// written in its shortest exact digits. A value no text of the file holds writes nothing.
TEST_F(AscTest, ExportedNumbersReadBack) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double x;
    Integer precision;
    std::string text;  // the x of the data line, or the failure
    bool fails = false;
  };
  for (const Case& c : std::vector<Case>{
           {1.7976931348623157e308, 3, "1.7976931348623157e+308"},
           {-1.7976931348623157e308, 6, "-1.7976931348623157e+308"},
           {1.79e308, 0, "1.79e+308"},
           {2.5e-300, -2, "2.5e-300"},
           {-1.5e300, -2, "-1.5e+300"},
           {inf, 2,
            "Cannot write point 2 to \"" + Name("p.asc") + "\": its x value is not a finite number",
            true},
       }) {
    SCOPED_TRACE(c.text);
    TCurveFit fit(nullptr);
    Enter(fit, {{1, 1}, {c.x, 2}});
    std::filesystem::remove(dir.path() / "p.asc");
    const String reason = fit.ExportAsASC(Name("p.asc"), "c", c.precision);
    if (c.fails) {
      EXPECT_EQ(reason, c.text);
      EXPECT_FALSE(std::filesystem::exists(dir.path() / "p.asc"));
      continue;
    }
    ASSERT_EQ(reason, "");
    const std::string file = dir.read("p.asc");
    const size_t line = file.rfind("\r\n", file.size() - 3) + 2;
    EXPECT_EQ(file.substr(line, file.find('\t', line) - line), c.text);
    TCurveFit back(nullptr);
    ASSERT_EQ(back.ImportASC(Name("p.asc")), 0);
    ASSERT_EQ(back.NumData(), 2);
    EXPECT_EQ(back.DataX(2), c.x);
  }
}
