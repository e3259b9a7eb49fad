// The band tables built from the pulsar catalogue, and what the main window shows of them.

#include <filesystem>

#include "DOV_datatable.h"
#include "InputNumbers.h"
#include "SysUtils.h"
#include "TextFile.h"
#include "Unit1Catalogue.h"
#include "Unit1Config.h"
#include "support_mainwin.h"

namespace {

// Every acceptance rule once; the line with running number 0 is the last one examined.
std::string FixtureCatalogue(bool CrLf) {
  const std::string eol = CrLf ? "\r\n" : "\n";
  std::string s = CatalogueText(
      {
          "J0001+0001;10;20;0.5;30;5;-999.99;0.5;1.0;1e6;",  // S400 missing: 1400 only
          "J0002+0002;11;21;0.6;40;6;3.0;2.0;1.1;2e6;",      // both
          "J0003+0003;12;22;0.09;50;100;5;5;1;1;",           // P0 below W50: neither
          "J0004+0004;13;23;0.1;50;100;5;5;1;1;",            // P0 equal to W50: neither
          "J0005+0005;14;24;0.7;0;7;4;3;1;-999.99;",         // DM 0: 400 only
          "J0006+0006;15;25;0.8;-999.99;8;4;3;1;1;",         // DM missing: neither
          "J0007+0007;16;26;0.9;60;-999.99;4;3;1;1;",        // W50 missing: neither
          "J0007+0008;16.5;-26;0.9;60;9;0;3;1;1;",           // S400 zero: 1400 only
      },
      "2.6.3", CrLf);
  s += "0;J0008+0008;17;27;1.0;70;9;6;5;1;1;" + eol;
  s += "10;J0009+0009;18;28;1.1;80;10;7;6;1;1;" + eol;  // after the 0 line: never examined
  return s;
}

struct Built {
  TBandTableResult Result;
  int ByteTwentySixLine = 0;
  std::vector<std::vector<double>> Rows400, Rows1400;
  int Rows1400Size = 0;
};

// The catalogue as the program reads it at start-up.
Built Build(const std::string& FileText) {
  TDataTable table(nullptr);
  table.Resize(11, 5000);
  TMatrix m400(nullptr), m1400(nullptr);
  m400.Resize(11, 5000);
  m1400.Resize(11, 5000);
  Built b;
  const TCatalogueReading reading = ReadCatalogue(FileText, table, m400, m1400);
  EXPECT_TRUE(reading.Usable());
  b.Result = reading.Bands;
  b.ByteTwentySixLine = reading.ByteTwentySixLine;
  for (int r = 1; r <= b.Result.Count400; ++r) {
    std::vector<double> row;
    for (int c = 1; c <= 11; ++c) row.push_back(m400.GetVal(c, r));
    b.Rows400.push_back(row);
  }
  for (int r = 1; r <= b.Result.Count1400; ++r) {
    std::vector<double> row;
    for (int c = 1; c <= 11; ++c) row.push_back(m1400.GetVal(c, r));
    b.Rows1400.push_back(row);
  }
  b.Rows1400Size = m1400.NrOfRows();
  EXPECT_EQ(m400.NrOfRows(), 5000);
  return b;
}

}  // namespace

TEST(BandTables, AcceptanceRulesNameIndexesAndTheEndOfThePass) {
  const Built b = Build(FixtureCatalogue(false));
  EXPECT_EQ(b.Result.Names400, (std::vector<String>{"J0002+0002", "J0005+0005", "J0008+0008"}));
  EXPECT_EQ(b.Result.Names1400,
            (std::vector<String>{"J0001+0001", "J0002+0002", "J0007+0008", "J0008+0008"}));
  EXPECT_EQ(b.Rows1400Size, 4);
  // (RAJD, DECJD, DM, W50, S400, S1400, P0, name index, S/N, DIST, AGE)
  EXPECT_EQ(b.Rows400[0], (std::vector<double>{11, 21, 40, 6, 3.0, 2.0, 0.6, 1, -1, 1.1, 2e6}));
  EXPECT_EQ(b.Rows400[1], (std::vector<double>{14, 24, 0, 7, 4, 3, 0.7, 2, -1, 1, -999.99}));
  EXPECT_EQ(b.Rows1400[0],
            (std::vector<double>{10, 20, 30, 5, -999.99, 0.5, 0.5, 1, -1, 1.0, 1e6}));
  EXPECT_EQ(b.Rows1400[3], (std::vector<double>{17, 27, 70, 9, 6, 5, 1.0, 4, -1, 1, 1}));
}

TEST(BandTables, CrLfCatalogueGivesTheSameTables) {
  const Built lf = Build(FixtureCatalogue(false));
  const Built crlf = Build(FixtureCatalogue(true));
  EXPECT_EQ(crlf.Result.Names400, lf.Result.Names400);
  EXPECT_EQ(crlf.Result.Names1400, lf.Result.Names1400);
  EXPECT_EQ(crlf.Rows400, lf.Rows400);
  EXPECT_EQ(crlf.Rows1400, lf.Rows1400);
}

TEST(BandTables, ACatalogueWithoutUsableLinesGivesEmptyTables) {
  const Built b = Build(CatalogueText({"J0006+0006;15;25;0.8;-999.99;8;4;3;1;1;"}));
  EXPECT_EQ(b.Result.Count400, 0);
  EXPECT_EQ(b.Result.Count1400, 0);
}

// The whole version counts, so that a six-character version can ever be "the latest" and
// its backup is not named "ATNF2.10..csv".
TEST(BandTables, VersionIsTheWholeVersionAfterTheLabel) {
  EXPECT_EQ(CatalogueVersionOf("Catalogue Version: 2.6.3"), "2.6.3");
  EXPECT_EQ(CatalogueVersionOf("Catalogue Version: 2.10.1"), "2.10.1");
  EXPECT_EQ(CatalogueVersionOf("Catalogue Version: 1.6"), "1.6");
  EXPECT_EQ(CatalogueVersionOf("Catalogue Version: 2.6.3 "), "2.6.3");
  EXPECT_EQ(CatalogueVersionOf("Catalogue"), "");
  // Nothing but digits and points reaches a file name.
  EXPECT_EQ(CatalogueVersionOf("Catalogue Version: ../../etc"), "");
  EXPECT_EQ(CatalogueVersionOf("Catalogue Version: 2/../x"), "2");
  EXPECT_EQ(CatalogueVersionOf("Catalogue Version: " + std::string(21, '1')), "");
  EXPECT_EQ(CatalogueVersionOf("\xEF\xBB\xBF"
                               "Catalogue Version: 2.6.3"),
            "2.6.3");
}

// In a numeric column, whatever is not a finite number is a missing value: the data table
// would give a text the number of its category, and that made pulsars appear.
TEST(BandTables, ValuesThatAreNoNumbersAreMissing) {
  const std::string good = "J0002+0002;11;21;0.6;40;6;3.0;2.0;1.1;2e6;";
  struct Case {
    const char* Row;
    int Count400, Count1400;
  } cases[] = {
      {"J0100+0100;11;21;0.6;40;6;nan;nan;1;1;", 0, 0},
      {"J0100+0100;11;21;0.6;40;6;inf;*;1;1;", 0, 0},
      {"J0100+0100;11;21;0.6;40;6;1e400;n/a;1;1;", 0, 0},
      {"J0100+0100;11;21;0.6;40;6;12abc;2mJy;1;1;", 0, 0},
      {"J0100+0100;*;21;0.6;40;6;3;2;1;1;", 0, 0},      // RAJD
      {"J0100+0100;11;21;0.6;40;wide;3;2;1;1;", 0, 0},  // W50
      {"J0100+0100;11;21;abc;40;6;3;2;1;1;", 0, 0},     // P0
      {"J0100+0100;11;21;0.6;DM;6;3;2;1;1;", 0, 0},     // DM
      {"J0100+0100;11;21;0.6;40;6;3;2;1;1;", 1, 1},     // the same row with numbers
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Row);
    // Categories are numbered per column: the good row makes the texts' ordinals 2 and up.
    const Built b = Build(CatalogueText({good, c.Row, good}));
    EXPECT_EQ(b.Result.Count400, 2 + c.Count400);
    EXPECT_EQ(b.Result.Count1400, 2 + c.Count1400);
    for (const auto& name : b.Result.Names400) EXPECT_TRUE(name == "J0002+0002" || c.Count400 == 1);
  }
}

// Each field is judged by the main window's one number conversion: what it takes is a value,
// what it refuses is missing, even where the data table read a number by its own rules (it
// takes "1,5" as 1.5 and clamps "1e309"). The texts stand in the RAJD column, where any value
// above -900 lets the row in.
TEST(BandTables, AFieldIsAValueExactlyWhenTheNumberConversionTakesIt) {
  struct Case {
    std::string Text;
    bool Value;
  } cases[] = {
      {"350.5", true},
      {" \t350.5\t ", true},
      {"+350", true},
      {"350.", true},
      {".5", true},
      {"-0", true},
      {"2.5e99", true},
      {"2.5E-99", true},
      {"1e308", true},
      {"1e-400", true},  // below the smallest double: 0
      {std::string(100, '9'), true},
      {std::string(101, '9'), true},
      {"1" + std::string(308, '0'), true},
      {"1e309", false},
      {"1" + std::string(309, '0'), false},
      {"0." + std::string(400, '0') + "1", false},
      {"1,5", false},
      {".", false},
      {"1e", false},
      {"1e+", false},
      {"3.5.1", false},
      {"0x10", false},
      {"1 5", false},
      {"--1", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text.substr(0, 40));
    double value = 0;
    EXPECT_EQ(CheckNumberText(c.Text, value) == TNumberCheck::Valid, c.Value);
    const Built b = Build(CatalogueText({"J0100+0100;" + c.Text + ";21;0.6;40;6;3;2;1;1;"}));
    EXPECT_EQ(b.Result.Count400, c.Value ? 1 : 0);
    EXPECT_EQ(b.Result.Count1400, c.Value ? 1 : 0);
  }
}

// One matrix given for both bands ends as the 1400 MHz table, written over the 400 MHz one.
TEST(BandTables, OneMatrixForBothBandsEndsAsThe1400MHzTable) {
  testsupport::TempDir dir;
  const std::string text = FixtureCatalogue(false);
  const Built separate = Build(text);
  dir.write("ATNF.csv", text);
  TDataTable table(nullptr);
  table.ImportFromCSV("ATNF.csv", csvSemicolon, true, false);
  TMatrix m(nullptr);
  m.Resize(11, 5000);
  const TBandTableResult result = BuildBandTables(*table.NumericData, SplitTextLines(text), m, m);
  EXPECT_EQ(result.Names400, separate.Result.Names400);
  EXPECT_EQ(result.Names1400, separate.Result.Names1400);
  ASSERT_EQ(m.NrOfRows(), separate.Rows1400Size);
  for (int r = 1; r <= m.NrOfRows(); ++r)
    for (int c = 1; c <= 11; ++c)
      EXPECT_EQ(m.GetVal(c, r), separate.Rows1400[static_cast<size_t>(r - 1)][static_cast<size_t>(c - 1)]);
}

// The passes stop at the first blank line and after file line 5000; the result says how many
// pulsar lines they read out of how many the file has (up to a byte 26, where every reading of
// a text ends). What follows the lines read is only counted, however much there is.
TEST(BandTables, RowsReadOutOfThePulsarLinesOfTheFile) {
  const std::string row = "J0002+0002;11;21;0.6;40;6;3.0;2.0;1.1;2e6;";
  auto rows = [&](int n) { return std::vector<std::string>(static_cast<size_t>(n), row); };
  std::string millionRows, lineEnds;
  for (int n = 0; n < 1000000; ++n) millionRows += "1;\n";
  for (int n = 0; n < 16 << 20; ++n) lineEnds += "\r\n";
  std::string ctrlZ = CatalogueText(rows(3));
  ctrlZ.insert(ctrlZ.find("\n3;") + 5, "\x1A");  // line 6 holds it
  struct Case {
    const char* Name;
    std::string Text;
    int Read, Lines;
    int Accepted = -1;  // -1: as many as read
    int ByteTwentySixLine = 0;
  } cases[] = {
      {"32 MB of blank lines after the rows", CatalogueText(rows(3)) + std::string(32 << 20, '\n'),
       3, 3},
      {"32 MB of CR LF line ends after the rows", CatalogueText(rows(3)) + lineEnds, 3, 3},
      {"a million rows of empty fields", CatalogueText(rows(3)) + millionRows, 4997, 1000003, 3},
      {"a million rows of empty fields after a blank line",
       CatalogueText(rows(3)) + "\n" + millionRows, 3, 1000003},
      {"a byte 26 inside the last row", ctrlZ, 3, 3, 2, 6},
      {"a byte 26 that ends the file", CatalogueText(rows(3)) + "\x1A", 3, 3},
      {"whole file", CatalogueText(rows(3)), 3, 3},
      {"blank lines at the end", CatalogueText(rows(3)) + "\n\n", 3, 3},
      {"blank line in the middle", CatalogueText(rows(2)) + "\n" + "3;" + row + "\n", 2, 3},
      {"more rows than the tables take", CatalogueText(rows(5100)), 4997, 5100},
      // As an older download installed the reply: its end came along.
      {"a blank line and closing tags at the end",
       CatalogueText(rows(3)) + "\n</pre>\n</body></html>\n", 3, 3},
      {"the last row cut short", CatalogueText(rows(3)) + "4;J0004+00", 4, 4, 3},
      {"a name that is no UTF-8", CatalogueText({"J\xE9\xFF;11;21;0.6;40;6;3.0;2.0;1.1;2e6;"}), 1,
       1},
      {"an overlong name",
       CatalogueText({std::string(100000, 'J') + ";11;21;0.6;40;6;3.0;2.0;1.1;2e6;"}), 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const Built b = Build(c.Text);
    EXPECT_EQ(b.Result.RowsRead, c.Read);
    EXPECT_EQ(b.Result.PulsarLines, c.Lines);
    EXPECT_EQ(b.Result.Count400, c.Accepted < 0 ? c.Read : c.Accepted);
    EXPECT_EQ(b.ByteTwentySixLine, c.ByteTwentySixLine);
  }
  EXPECT_TRUE(CouldBePulsarRow(" 12 ;J1;"));
  for (const char* none : {"", "   ", "</pre>", "#;NAME;", " ; ;(deg);", "1a;J1;", "12"})
    EXPECT_FALSE(CouldBePulsarRow(none)) << none;
}

TEST(BandTables, HeaderAndLineWidthChecks) {
  const std::string header = "#;NAME;RAJD;DECJD;P0;DM;W50;S400;S1400;DIST;AGE;";
  const std::string row = "1;J0002+0002;11;21;0.6;40;6;3.0;2.0;1.1;2e6;";
  struct Case {
    std::vector<String> Lines;
    bool HeaderValid;
    int TooWide;
  } cases[] = {
      {{"Catalogue Version: 2.6.3", header, "units", row}, true, 0},
      {{"Catalogue Version: 2.6.3", "#;RAJD;DECJD;P0;DM;W50;S400;S1400;DIST;AGE;", "units", row},
       false,
       0},
      {{"Catalogue Version: 2.6.3", header + "EXTRA;", "units", row}, false, 2},
      {{"Catalogue Version: 2.6.3", row}, false, 0},
      {{"Catalogue Version: 2.6.3"}, false, 0},
      {{"Catalogue Version: 2.6.3", header, "units", row, row + ";"}, true, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Lines.size() > 1 ? c.Lines[1] : "one line");
    EXPECT_EQ(CatalogueHeaderValid(c.Lines), c.HeaderValid);
    EXPECT_EQ(FirstTooWideCatalogueLine(c.Lines), c.TooWide);
  }
}

using CatalogueImportTest = MainWindowTest;

TEST_F(CatalogueImportTest, TheMainWindowShowsCountsVersionAndKeepsTheNames) {
  dir.write("ATNF.csv", FixtureCatalogue(false));
  dir.write("KestalDB.txt", ConfigText(ConfigLines()));
  Start();
  EXPECT_EQ(Form1->Count400, 3);
  EXPECT_EQ(Form1->Count1400, 4);
  EXPECT_EQ(Form1->Label93->Caption(), "3");
  EXPECT_EQ(Form1->Label95->Caption(), "4");
  EXPECT_EQ(Form1->CatalogueVersion, "2.6.3");
  EXPECT_EQ(Form1->Label94->Caption(), "2.6.3");
  EXPECT_EQ(Form1->PulsarNames[5000 + 1], "J0005+0005");
  EXPECT_EQ(Form1->PulsarNames[20000 + 2], "J0007+0008");
  EXPECT_EQ(Form1->Matrix_DB_400Mhz->GetVal(9, 3), -1);
}

// A catalogue that is there but cannot be used is refused with the reason, at once, and the
// program goes on as without a catalogue.
TEST_F(CatalogueImportTest, AnUnusableCatalogueIsRefusedWithItsReason) {
  const std::string notUsed = "ERROR : The file ATNF.csv with Pulsars data could not be used.\n\n";
  const std::string reload =
      "\n\nThe program goes on without the catalogue. Click the button <Check ATNF Catalogue "
      "version> to load it again\n";
  const std::string headerReason =
      "Its second line must be the column list\n#;NAME;RAJD;DECJD;P0;DM;W50;S400;S1400;DIST;AGE;";
  std::string withoutName = CatalogueText({"10;20;0.5;30;5;-999.99;0.5;1.0;1e6;"});
  withoutName.replace(withoutName.find("#;NAME;"), 7, "#;");
  std::string hostile = CatalogueText({"J0001+0001;10;20;0.5;30;5;-999.99;0.5;1.0;1e6;"});
  hostile += "2;J0002+0002" + std::string(500000, ';') + "\n";
  std::string shipped;
  ASSERT_TRUE(ReadUserFile((testsupport::ShippedDataDir() / "ATNF.csv").string(), shipped));
  const std::string tooLarge =
      "Cannot read ATNF.csv: it is larger than any file the program reads (more than 64 MB)";
  struct Case {
    const char* Name;
    std::string Text;  // empty: ATNF.csv is a folder
    std::string Reason;
    std::uintmax_t SparseSize = 0;  // when set, the file is made this long without more data
  } cases[] = {
      {"name column missing", withoutName, headerReason},
      {"no header line", "Catalogue Version: 2.6.3\n1;J0001+0001;10;20;0.5;30;5;1;0.5;1.0;1e6;\n",
       headerReason},
      {"a line of half a million separators", hostile,
       "Its line 5 has more fields than the column list"},
      {"a folder", "", "Cannot read ATNF.csv: it is a folder, not a file"},
      {"the shipped catalogue and 2 GB without a line end", shipped, tooLarge,
       std::uintmax_t{2} << 30},
      {"the shipped catalogue made 65 MB long with zero bytes", shipped, tooLarge, 65 << 20},
      {"a line of 17 MB", CatalogueText({"J0001+0001" + std::string(17 << 20, ' ')}),
       "Cannot read ATNF.csv, line 4: it is longer than any line the program reads (more than "
       "16 MB)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.Text.empty())
      std::filesystem::create_directory(dir.path() / "ATNF.csv");
    else
      dir.write("ATNF.csv", c.Text);
    if (c.SparseSize != 0) std::filesystem::resize_file(dir.path() / "ATNF.csv", c.SparseSize);
    dir.write("KestalDB.txt", ConfigText(ConfigLines()));
    Start();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{notUsed + c.Reason + reload});
    EXPECT_TRUE(Form1->CatalogueMissing());
    EXPECT_EQ(Form1->Count400, 0);
    EXPECT_EQ(Form1->Count1400, 0);
    EXPECT_EQ(Form1->DB_Base->NrOfColumns(), 11);  // as described: nothing was imported
    EXPECT_FALSE(Form1->Button1->Enabled());
    dialogs->Clear();
    TearDown();
    std::filesystem::remove_all(dir.path() / "ATNF.csv");
  }
}

// What the start-up reading leaves unread is told once, with where it stops; what follows the
// catalogue costs nothing however long it is. A byte order mark is skipped.
TEST_F(CatalogueImportTest, WhatIsLeftUnreadIsToldOnce) {
  const std::string row = "J0002+0002;11;21;0.6;40;6;3.0;2.0;1.1;2e6;";
  std::string shipped;
  ASSERT_TRUE(ReadUserFile((testsupport::ShippedDataDir() / "ATNF.csv").string(), shipped));
  std::string ctrlZ = shipped;
  ctrlZ[5000] = '\x1A';  // inside pulsar line 58
  std::string millionRows;
  for (int n = 0; n < 1000000; ++n) millionRows += "1;\n";
  const std::string rowsRead = "Please note that only ";
  const std::string readTo =
      " pulsar lines of ATNF.csv were read: the catalogue is read up to its first empty line "
      "and up to its line 5000";
  const struct {
    const char* Name;
    std::string Text;
    std::vector<std::string> Notes;
    int Count400, Count1400;
    String Version = "1.66";
  } cases[] = {
      {"a blank line before the last row, behind a byte order mark",
       "\xEF\xBB\xBF" + CatalogueText({row, row}) + "\n3;" + row + "\n",
       {rowsRead + "2 of the 3" + readTo},
       2,
       2,
       "2.6.3"},
      {"the shipped catalogue", shipped, {}, 714, 1902},
      {"the shipped catalogue with a byte 26 in its line 61",
       ctrlZ,
       {"Please note that ATNF.csv cannot be read whole: its line 61 holds a byte 26 (Ctrl-Z), "
        "where the reading of a text file ends, so the pulsars after it are not read. Click the "
        "button <Check ATNF Catalogue version> to load the catalogue again"},
       13,
       13},
      {"the shipped catalogue ending in a byte 26", shipped + "\x1A", {}, 714, 1902},
      {"the shipped catalogue and 32 MB of blank lines",
       shipped + std::string(32 << 20, '\n'),
       {},
       714,
       1902},
      {"the three header lines and 32 MB of blank lines",
       CatalogueText({}, "1.66") + std::string(32 << 20, '\n'),
       {},
       0,
       0},
      {"the shipped catalogue and a million rows of empty fields",
       shipped + millionRows,
       {rowsRead + "4997 of the 1003282" + readTo},
       714,
       1902},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    dir.write("ATNF.csv", c.Text);
    dir.write("KestalDB.txt", ConfigText(ConfigLines()));
    Start();
    EXPECT_EQ(BoxTexts(), c.Notes);
    EXPECT_FALSE(Form1->CatalogueMissing());
    EXPECT_EQ(Form1->CatalogueVersion, c.Version);
    EXPECT_EQ(Form1->Label94->Caption(), c.Version);
    EXPECT_EQ(Form1->Count400, c.Count400);
    EXPECT_EQ(Form1->Count1400, c.Count1400);
    EXPECT_LE(Form1->DB_Base->NrOfRows(), 5000);
    dialogs->Clear();
    TearDown();
    SetUp();
  }
}

TEST_F(CatalogueImportTest, TheRealCatalogueImportsBothBands) {
  UseRealCatalogue();
  dir.write("KestalDB.txt", ConfigText(ConfigLines()));
  Start();
  EXPECT_EQ(Form1->CatalogueVersion, "1.66");
  EXPECT_GT(Form1->Count400, 300);
  EXPECT_GT(Form1->Count1400, 1000);
  for (int r = 1; r <= Form1->Count1400; ++r) {
    ASSERT_EQ(Form1->Matrix_DB_1400Mhz->GetVal(8, r), r);
    ASSERT_EQ(Form1->Matrix_DB_1400Mhz->GetVal(9, r), -1);
    ASSERT_GT(Form1->Matrix_DB_1400Mhz->GetVal(6, r), 0);
  }
}
