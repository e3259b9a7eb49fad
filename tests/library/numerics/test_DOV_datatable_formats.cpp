// The data table's XML document and ASC text format.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "Classes.h"
#include "Clipbrd.h"
#include "DOV_datatable.h"
#include "SysUtils.h"
#include "TestSupport.h"
#include "TextFile.h"

using testsupport::TempDir;

namespace {

// 2 columns x 3 rows: values 10 r + c, named, with attributes, a nominal second column and
// one empty, one "no number" and one imputed cell.
std::unique_ptr<TDataTable> Sample() {
  auto t = std::make_unique<TDataTable>(nullptr);
  t->Resize(2, 3);
  for (Integer c = 1; c <= 2; ++c)
    for (Integer r = 1; r <= 3; ++r) t->NumericData->SetVal(c, r, 10 * r + c);
  t->SetColName(1, "Flux density");
  t->SetColName(2, "Kind");
  t->SetRowName(1, "");
  t->SetRowName(2, "B\"x");
  t->SetRowAttrib(3, -7);
  t->SetColAttrib(2, 300);
  t->SetMScaleType(2, stNominal);
  t->SetNominalID(2, 1, "a");
  t->SetNominalID(2, 2, "b");
  t->SetCellState(1, 2, csEmpty);
  t->SetCellState(1, 3, csNoNumber);
  t->SetCellState(2, 3, csImputed);
  t->SetFComment("first\nsecond");
  return t;
}

void ExpectSameContent(TDataTable& a, TDataTable& b) {
  ASSERT_EQ(a.NrOfColumns(), b.NrOfColumns());
  ASSERT_EQ(a.NrOfRows(), b.NrOfRows());
  EXPECT_EQ(a.CRCofNamesAndAttributes(), b.CRCofNamesAndAttributes());
  EXPECT_EQ(a.CRCofCellStates(), b.CRCofCellStates());
  for (Integer c = 1; c <= a.NrOfColumns(); ++c) {
    EXPECT_EQ(a.GetMScaleType(c), b.GetMScaleType(c)) << c;
    for (Integer k = 1; k <= 3; ++k) EXPECT_EQ(a.GetNominalID(c, k), b.GetNominalID(c, k));
    for (Integer r = 1; r <= a.NrOfRows(); ++r) {
      if (a.IsNumber(c, r)) {
        EXPECT_EQ(a.GetElem(c, r), b.GetElem(c, r)) << c << "," << r;
      }
    }
  }
}

class DataTableFiles : public ::testing::Test {
protected:
  TempDir dir;
  String Name(const char* n) const { return (dir.path() / n).string(); }
};

}  // namespace

TEST_F(DataTableFiles, XmlGoldenDocument) {
  TDataTable t(nullptr);
  t.Resize(2, 2);
  t.SetColName(1, " A ");
  t.SetColName(2, "   ");
  t.SetCellState(1, 1, csEmpty);
  t.SetFComment("x y");
  TStringStream s("");
  t.WriteToXMLStream(s, true, 3, "T1");
  EXPECT_EQ(t.Comment(), "x y");
  EXPECT_EQ(
      s.DataString(),
      "<?xml version=\"1.0\"?>\r\n\r\n<datatable sig=\"ZUDUZidad\" vers=\"1.0\" id=\"T1\">\r\n"
      "<!-- TDataTable / RIZ Ovavavude Rarev -->\r\n<comment>x y</comment>\r\n"
      "<size cols=\"2\" rows=\"2\" />\r\n<colnames default=\"\">\r\n<col ix=\"1\">A</col>\r\n"
      "</colnames>\r\n<rownames default=\"\">\r\n<row ix=\"1\">R-1</row>\r\n"
      "<row ix=\"2\">R-2</row>\r\n</rownames>\r\n<colattrib default=\"0\">\r\n</colattrib>\r\n"
      "<rowattrib default=\"0\">\r\n</rowattrib>\r\n<datacells default=\"0\">\r\n"
      "<cell col=\"1\" row=\"1\" state=\"2\">       0.000</cell>\r\n</datacells>\r\n"
      "</datatable>\r\n");
  TDataTable back(nullptr);
  back.SetCellState(1, 1, csMarkA);
  s.SetPosition(0);
  EXPECT_TRUE(back.ReadFromXMLStream(s, ""));
  EXPECT_EQ(back.GetColName(2), "");
  EXPECT_EQ(back.GetCellState(1, 1), csEmpty);
  EXPECT_EQ(back.NrOfRows(), 2);
}

TEST_F(DataTableFiles, XmlRoundTripsFindsByIdAndFiresOnceAtTheEnd) {
  auto t = Sample();
  TStringStream s("");
  TDataTable other(nullptr);
  other.WriteToXMLStream(s, false, 2, "T1");
  t->WriteToXMLStream(s, false, 6, "T2");
  const String text = s.DataString();
  EXPECT_NE(text.find("<vardef col=\"1\" type=\"interval\">\r\n</vardef>"), String::npos);
  EXPECT_NE(text.find("<vardef col=\"2\" type=\"nominal\">\r\n<idf ix=\"1\">a</idf>"),
            String::npos);
  TDataTable back(nullptr);
  std::vector<std::string> events;
  back.OnChange = [&](TObject*) { events.push_back("Change"); };
  back.OnChangeNames = [&](TObject*) { events.push_back("Names"); };
  s.SetPosition(0);
  EXPECT_TRUE(back.ReadFromXMLStream(s, "t2"));
  EXPECT_EQ(events, (std::vector<std::string>{"Change", "Names"}));
  ExpectSameContent(*t, back);
  Integer at = 1;
  TDataTable fromString(nullptr);
  EXPECT_TRUE(fromString.ReadFromXMLString(text, at, "T2"));
  ExpectSameContent(*t, fromString);
  EXPECT_FALSE(fromString.ReadFromXMLString(text, at, "T2"));  // nothing after it

  t->SaveAsXMLFile(Name("t.xml"), 4, "");
  TDataTable fromFile(nullptr);
  EXPECT_TRUE(fromFile.LoadFromXMLFile(Name("t.xml"), ""));
  ExpectSameContent(*t, fromFile);
  EXPECT_FALSE(fromFile.LoadFromXMLFile(Name("t.xml"), "nope"));
}

TEST_F(DataTableFiles, XmlDamagedDocuments) {
  auto t = Sample();
  TStringStream s("");
  t->WriteToXMLStream(s, false, 2, "");
  const String text = s.DataString();
  // Cut short: what was read stays, the result is false.
  TStringStream cut(text.substr(0, text.find("</datacells>")));
  TDataTable a(nullptr);
  EXPECT_FALSE(a.ReadFromXMLStream(cut, ""));
  EXPECT_EQ(a.NrOfColumns(), 2);
  // Items outside the table are dropped; nothing is written beyond its arrays.
  String outside = text;
  outside.replace(outside.find("<col ix=\"1\">"), 12, "<col ix=\"9\">");
  outside.replace(outside.find("<cell col=\"1\" row=\"1\""), 21, "<cell col=\"7\" row=\"-4\"");
  outside.replace(outside.find("<row ix=\"3\">-7"), 14, "<row ix=\"0\">-7");
  TStringStream o(outside);
  TDataTable b(nullptr);
  EXPECT_TRUE(b.ReadFromXMLStream(o, ""));
  EXPECT_EQ(b.GetColName(1), "");
  // A text where an integer belongs raises the conversion error; OnChange is bound again.
  String bad = text;
  bad.replace(bad.find("cols=\"2\""), 8, "cols=\"x\"");
  TStringStream bs(bad);
  TDataTable c(nullptr);
  bool fired = false;
  c.OnChange = [&](TObject*) { fired = true; };
  EXPECT_THROW(c.ReadFromXMLStream(bs, ""), EConvertError);
  EXPECT_TRUE(static_cast<bool>(c.OnChange));
  String huge = text;
  huge.replace(huge.find("cols=\"2\" rows=\"3\""), 17, "cols=\"90000\" rows=\"90000\"");
  TStringStream hs(huge);
  EXPECT_THROW(c.ReadFromXMLStream(hs, ""), ESDLDataTableError);
  EXPECT_EQ(c.NrOfColumns(), 1);
  dir.write("bad.xml", bad);
  EXPECT_FALSE(c.LoadFromXMLFile(Name("bad.xml"), ""));
  EXPECT_FALSE(c.LoadFromXMLFile(Name("missing.xml"), ""));
}

TEST_F(DataTableFiles, AscGoldenStreamOfANewTable) {
  TDataTable t(nullptr);
  TStringStream s("");
  EXPECT_EQ(t.ExportAsASC(s, 3), "");
  EXPECT_EQ(s.DataString(),
            "Exported by DOV DataTable component\r\n1\t;nr. of columns\r\n1\t;nr. of rows\r\n"
            "TRUE TRUE TRUE FALSE\t;row attributes, column names, row names, nominal variables\r\n"
            "\tC-1\r\n0\tR-1\t       0.000\r\n");
}

TEST_F(DataTableFiles, AscFileRoundTrip) {
  auto t = Sample();
  t->SetCellState(2, 3, 0);  // the file writer puts imputed values in parentheses
  t->SetColAttrib(2, 0);     // the format carries no column attributes
  EXPECT_EQ(t->ExportAsASC(Name("t.asc"), 3), "");
  const std::string text = dir.read("t.asc");
  EXPECT_NE(text.find("\t\"Flux density\"\tKind\r\n"), std::string::npos);
  EXPECT_NE(text.find("0\t(.;#;.)\t      11.000"), std::string::npos);
  EXPECT_NE(text.find("0\tB\"\"x\t###"), std::string::npos);
  EXPECT_NE(text.find("<VARTYPES>\r\n2 Nominal <1=a><2=b>\r\n</VARTYPES>\r\n"), std::string::npos);
  TDataTable back(nullptr);
  std::vector<std::string> events;
  back.OnResize = [&](TObject*, Integer, Integer, Integer nc, Integer nr) {
    events.push_back("Resize " + std::to_string(nc) + "x" + std::to_string(nr));
  };
  EXPECT_EQ(back.ImportASC(Name("t.asc")), 0);
  EXPECT_EQ(events, (std::vector<std::string>{"Resize 2x3"}));
  ExpectSameContent(*t, back);
  EXPECT_EQ(back.GetRowName(1), "");
  EXPECT_EQ(back.GetRowName(2), "B\"x");
  EXPECT_EQ(back.Comment(), t->Comment());
  EXPECT_EQ(back.ImportASC(Name("missing.asc")), -8);
}

TEST_F(DataTableFiles, AscImportStopsAtAnUnreadableCell) {
  auto t = Sample();
  EXPECT_EQ(t->ExportAsASC(Name("t.asc"), 3), "");  // imputed (2, 3) in parentheses
  TDataTable back(nullptr);
  EXPECT_EQ(back.ImportASC(Name("t.asc")), -6);
  EXPECT_EQ(back.NrOfRows(), 3);
  EXPECT_EQ(back.GetMScaleType(2), stNominal);  // the block is read all the same
  dir.write("abc.asc",
            "c\r\n1\tx\r\n5\tx\r\nTRUE TRUE TRUE FALSE\r\n\tA\r\n0\tR1\t1\r\n0\tR2\t2\r\n"
            "0\tR3\tabc\r\n0\tR4\t4\r\n0\tR5\t5\r\n");
  EXPECT_EQ(back.ImportASC(Name("abc.asc")), -6);
  EXPECT_EQ(back.NrOfRows(), 3);
  EXPECT_EQ(back.GetElem(1, 2), 2);
  dir.write("attr.asc",
            "c\r\n1\tx\r\n2\tx\r\nTRUE TRUE TRUE FALSE\r\n\tA\r\n0\tR1\t1\r\nq\tR2\t2\r\n");
  EXPECT_EQ(back.ImportASC(Name("attr.asc")), -5);
  // A header that promises a billion rows in a few bytes allocates nothing of the kind.
  dir.write("huge.asc",
            "c\r\n2\tx\r\n1000000000\tx\r\nTRUE TRUE TRUE FALSE\r\n\tA\tB\r\n0\tR\t1\t2\r\n");
  EXPECT_EQ(back.ImportASC(Name("huge.asc")), -5);  // the second row's attribute is missing
  EXPECT_EQ(back.NrOfRows(), 2);
  dir.write("wide.asc", "c\r\n1000000000\tx\r\n1\tx\r\nTRUE TRUE TRUE FALSE\r\n\tA\r\n");
  EXPECT_EQ(back.ImportASC(Name("wide.asc")), -1);  // more columns than the file could hold
  EXPECT_EQ(back.NrOfColumns(), 2);  // as the last import left it
  // Bytes that are no UTF-8 make no number: the cell is unreadable like any other word.
  dir.write("bytes.asc",
            "c\r\n1\tx\r\n2\tx\r\nTRUE TRUE TRUE FALSE\r\n\tA\r\n0\tR1\t1\r\n"
            "0\tR2\t\xFF\xFE\r\n");
  EXPECT_EQ(back.ImportASC(Name("bytes.asc")), -6);
  EXPECT_EQ(back.GetElem(1, 1), 1);
}

TEST_F(DataTableFiles, AscImportLeavesAnExternalMatrixAlone) {
  TMatrix external(nullptr);
  external.Resize(1, 1);
  external.SetVal(1, 1, 42);
  TDataTable t(nullptr);
  t.AssignAnotherDataMatrix(&external);
  auto src = Sample();
  EXPECT_EQ(src->ExportAsASC(Name("t.asc"), 3), "");
  EXPECT_EQ(t.ImportASC(Name("t.asc")), -6);  // the imputed cell stops it; the size is taken
  EXPECT_NE(t.NumericData, &external);
  EXPECT_EQ(t.NrOfColumns(), 2);
  EXPECT_EQ(t.GetElem(1, 1), 11);
  EXPECT_EQ(external.NrOfColumns(), 1);
  EXPECT_EQ(external.NrOfRows(), 1);
  EXPECT_EQ(external.GetVal(1, 1), 42);
  int changes = 0;
  t.OnChange = [&](TObject*) { ++changes; };
  external.SetVal(1, 1, 43);  // no longer the table's values
  EXPECT_EQ(changes, 0);
  t.NumericData->SetVal(1, 1, 5);
  EXPECT_EQ(changes, 1);
}

TEST_F(DataTableFiles, AscStreamRoundTrip) {
  auto t = Sample();
  t->SetCellState(1, 2, 0);
  t->SetCellState(1, 3, 0);
  t->SetColAttrib(2, 0);
  TStringStream s("");
  t->ExportAsASC(s, 3);
  EXPECT_EQ(s.DataString().find("(  "), String::npos);  // no parentheses on a stream
  s.SetPosition(0);
  TDataTable back(nullptr);
  EXPECT_EQ(back.ImportASC(s), 0);
  t->SetCellState(2, 3, 0);  // a stream keeps no states
  ExpectSameContent(*t, back);
}

// Every file the writers call written reads back, each value equal to its text: a value whose
// text at the chosen precision would not read back (rounded beyond the largest double, or an
// exponent of three digits in the two-digit form of precision -2, which gives asterisks) is
// written in its shortest exact digits. A number cell no text of the file holds writes nothing.
TEST_F(DataTableFiles, AscNumbersReadBack) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::string notFinite =
      "Cannot write cell (column 1, row 2): its value is not a finite number";
  struct Case {
    double value;
    Integer precision;
    std::string text;  // the cell's text, or the failure
    bool fails = false;
  };
  for (const Case& c : std::vector<Case>{
           {1.7976931348623157e308, 3, "1.7976931348623157e+308"},
           {-1.7976931348623157e308, 3, "-1.7976931348623157e+308"},
           {1.7976e308, 0, "1.7976e+308"},
           {2.5e-300, -2, "2.5e-300"},
           {-1.5e300, -2, "-1.5e+300"},
           {inf, 3, notFinite, true},
           {-std::numeric_limits<double>::quiet_NaN(), 3, notFinite, true},
       }) {
    SCOPED_TRACE(c.text);
    TDataTable t(nullptr);
    t.Resize(1, 2);
    t.SetElem(1, 1, 1);
    t.SetElem(1, 2, c.value);
    std::filesystem::remove(dir.path() / "t.asc");
    const String reason = t.ExportAsASC(Name("t.asc"), c.precision);
    TStringStream s("");
    const String streamReason = t.ExportAsASC(s, c.precision);
    if (c.fails) {
      EXPECT_EQ(reason, c.text);
      EXPECT_FALSE(std::filesystem::exists(dir.path() / "t.asc"));
      EXPECT_EQ(streamReason, c.text);
      EXPECT_EQ(s.DataString(), "");
      continue;
    }
    ASSERT_EQ(reason, "");
    EXPECT_NE(dir.read("t.asc").find("\tR-2\t" + c.text + "\r\n"), std::string::npos);
    TDataTable back(nullptr);
    ASSERT_EQ(back.ImportASC(Name("t.asc")), 0);
    EXPECT_EQ(back.GetElem(1, 2), c.value);
    ASSERT_EQ(streamReason, "");
    s.SetPosition(0);
    TDataTable fromStream(nullptr);
    ASSERT_EQ(fromStream.ImportASC(s), 0);
    // The stream's number scanner clamps at 1.7e308.
    EXPECT_EQ(fromStream.GetElem(1, 2), std::clamp(c.value, -1.7e308, 1.7e308));
  }
}

TEST_F(DataTableFiles, AscMergeIntoATable) {
  TDataTable src(nullptr);
  src.Resize(2, 2);
  for (Integer c = 1; c <= 2; ++c)
    for (Integer r = 1; r <= 2; ++r) src.NumericData->SetVal(c, r, 10 * c + r);
  src.SetMScaleType(2, stRatio);
  src.ExportAsASC(Name("b.asc"), 2);
  TDataTable t(nullptr);
  t.Resize(3, 3);
  t.SetMScaleType(3, stOrdinal);
  EXPECT_EQ(t.ReadFromASC(Name("b.asc"), 3, 1, false), 0);
  EXPECT_EQ(t.GetElem(3, 1), 11);
  EXPECT_EQ(t.GetElem(3, 2), 12);
  EXPECT_EQ(t.GetElem(2, 1), 0);
  EXPECT_EQ(t.NrOfColumns(), 3);
  t.SetMScaleType(1, stNominal);
  EXPECT_EQ(t.ReadFromASC(Name("b.asc"), 1, 1, true), 0);
  EXPECT_EQ(t.GetMScaleType(1), stInterval);
  EXPECT_EQ(t.GetMScaleType(2), stRatio);
  EXPECT_EQ(t.GetMScaleType(3), stOrdinal);
  EXPECT_EQ(t.GetColName(1), "C-1");
  EXPECT_EQ(t.ReadFromASC(Name("b.asc"), -5, -5, true), 0);  // targets before 1 are dropped
  TStringStream s("");
  src.ExportAsASC(s, 2);
  s.SetPosition(0);
  t.Resize(2, 2);
  t.Clear();
  EXPECT_EQ(t.ReadFromASC(s, 2, 2, false), 0);
  EXPECT_EQ(t.GetElem(2, 2), 11);
  EXPECT_EQ(t.ReadFromASC(Name("missing.asc"), 1, 1, false), -8);
}

// Merging reads no more than the input holds: a header that promises more columns or rows
// than the rest of the input could hold is the header error at once, with the table as it
// was, and a stream that ends early reads zeros only into the table's own rows. Replacing the
// table refuses such columns and counts below 0 alike, with the table as it was.
TEST_F(DataTableFiles, AscMergeBelievesTheHeaderOnlyAsFarAsTheInputGoes) {
  auto file = [](const char* cols, const char* rows, const char* flags, const char* rest) {
    return std::string("x\r\n") + cols + "\t;c\r\n" + rows + "\t;r\r\n" + flags + "\t;a\r\n" + rest;
  };
  const char* none = "FALSE FALSE FALSE FALSE";
  // Blanks give room for four rows, but only one value follows.
  const std::string early = file("1", "4", none, "5          ");
  struct Case {
    bool stream;
    std::string text;
    Integer posY, status;
    std::vector<double> column1;  // of the 3 x 3 table after the merge
    bool replace = false;         // ImportASC instead of ReadFromASC
  };
  std::vector<Case> cases;
  for (const bool stream : {false, true}) {
    const std::vector<Case> both = {
        {stream, file("2147483647", "1", none, "1 2\r\n"), 1, -1, {11, 21, 31}},
        {stream, file("100000000", "1", none, "1 2\r\n1 2\r\n"), 1, -1, {11, 21, 31}},
        {stream, file("100000000", "0", "FALSE TRUE FALSE FALSE", "a b\r\n"), 1, -1, {11, 21, 31}},
        {stream, file("1", "2147483647", none, "1 2\r\n"), 1, -2, {11, 21, 31}},
        {stream, file("0", "2147483647", "TRUE FALSE FALSE FALSE", "1 2\r\n"), 1, -2, {11, 21, 31}},
        // Rows without items read nothing, however many there are.
        {stream, file("0", "2147483647", none, "\r\n"), 1, 0, {11, 21, 31}},
        {stream, file("1", "2", none, "5 6\r\n"), 2, 0, {11, 5, 6}},
        // a value is the nearest double to its digits
        {stream, file("1", "1", none, "2.387155225747177e+174\r\n"), 1, 0,
         {2.3871552257471772e174, 21, 31}},
    };
    cases.insert(cases.end(), both.begin(), both.end());
  }
  // The file form stops where the input ends; the stream form reads zeros from there on, and
  // only the rows of the table take them.
  cases.push_back({false, early, 1, -6, {5, 21, 31}});
  cases.push_back({true, early, 1, 0, {5, 0, 0}});
  cases.push_back({true, early, -1000000000, 0, {11, 21, 31}});
  for (const bool stream : {false, true}) {
    const std::vector<Case> replacing = {
        {stream, file("2147483647", "1", none, "1 2\r\n"), 1, -1, {11, 21, 31}, true},
        {stream, file("-5", "-2147483648", none, "1 2\r\n"), 1, -1, {11, 21, 31}, true},
        {stream, file("1", "-1", none, "1 2\r\n"), 1, -2, {11, 21, 31}, true},
        {stream, file("0", "2147483647", none, "\r\n"), 1, -2, {11, 21, 31}, true},
    };
    cases.insert(cases.end(), replacing.begin(), replacing.end());
  }
  for (const Case& c : cases) {
    TDataTable t(nullptr);
    t.Resize(3, 3);
    for (Integer col = 1; col <= 3; ++col)
      for (Integer r = 1; r <= 3; ++r) t.NumericData->SetVal(col, r, 10 * r + col);
    Integer status;
    if (c.stream) {
      TStringStream s(c.text);
      status = c.replace ? t.ImportASC(s) : t.ReadFromASC(s, 1, c.posY, true);
    } else {
      dir.write("m.asc", c.text);
      status = c.replace ? t.ImportASC(Name("m.asc")) : t.ReadFromASC(Name("m.asc"), 1, c.posY, true);
    }
    EXPECT_EQ(status, c.status) << c.stream << " " << c.text;
    for (Integer r = 1; r <= 3; ++r)
      EXPECT_EQ(t.GetElem(1, r), c.column1[static_cast<std::size_t>(r - 1)])
          << c.stream << " " << c.text;
    EXPECT_EQ(t.NrOfColumns(), 3);
    EXPECT_EQ(t.NrOfRows(), 3);
    EXPECT_EQ(t.Comment(), "") << c.stream << " " << c.text;  // the file's "x" is not taken
  }
}

TEST_F(DataTableFiles, AscFromTheClipboard) {
  String text;
  TClipboard::TProvider p;
  bool hasText = false;
  p.HasText = [&] { return hasText; };
  p.GetText = [&] { return text; };
  const TClipboard::TProvider saved = SetClipboardProvider(p);
  TDataTable t(nullptr);
  t.Resize(2, 2);
  EXPECT_EQ(t.ImportASC(Clipboard()), -7);  // a picture, no text: nothing changes
  EXPECT_EQ(t.ReadFromASC(Clipboard(), 1, 1, false), -7);
  EXPECT_EQ(t.NrOfColumns(), 2);
  TDataTable src(nullptr);
  src.Resize(3, 1);
  src.NumericData->SetVal(3, 1, 2.5);
  TStringStream s("");
  src.ExportAsASC(s, 2);
  text = s.DataString();
  hasText = true;
  EXPECT_EQ(t.ImportASC(Clipboard()), 0);
  EXPECT_EQ(t.NrOfColumns(), 3);
  EXPECT_EQ(t.GetElem(3, 1), 2.5);
  EXPECT_EQ(t.ReadFromASC(Clipboard(), 2, 1, false), 0);
  EXPECT_EQ(t.GetElem(3, 1), 0);  // the block's second column lands in column 3
  SetClipboardProvider(saved);
}
