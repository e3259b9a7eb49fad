// The sun-noise window driven as the user does: download from a loopback FTP server, the
// calculation on the list, then measurements saved, deleted, exported.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "Dialogs.h"
#include "NetConfig.h"
#include "NoiseDatabase.h"
#include "NoisePlotLink.h"
#include "SunFluxList.h"
#include "SysUtils.h"
#include "TestServers.h"
#include "TestSupport.h"
#include "TimeZone.h"
#include "Unit1.h"
#include "Unit35.h"
#include "Unit36.h"
#include "support_noise.h"

namespace fs = std::filesystem;
using namespace SunNoiseWindowTexts;

namespace {

using noisetest::ProgramEnded;

const fs::path kRealList =
    testsupport::TestDataDir() / "noaa_rstn" / "rad_txt_layout_assembled_2025-02-20_21.txt";

// Counts what the sun-noise window asks of the plot window.
struct TCountingPlot : TNoisePlotLink {
  int* Opened;
  int* Redrawn;
  TCountingPlot(int* O, int* R) : Opened(O), Redrawn(R) {}
  void OpenPlot() override { ++*Opened; }
  void RedrawShownSeries() override { ++*Redrawn; }
};

class SunNoiseWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    noisetest::FixSurroundings();
    NetConfig().FtpHost = "127.0.0.1";
    NetConfig().FtpPort = nettest::ClosedPort();
    SetNoisePlot(std::make_unique<TCountingPlot>(&Opened, &Redrawn));
  }
  void TearDown() override {
    SetNoisePlot(nullptr);
    SetNoiseFileFaultForTesting(nullptr);
    noisetest::CloseWindowsAndRestore();
  }
  // The main window and the two noise windows, with a 10 m2 aperture, Tsys 100 K at 1415 MHz.
  void Start() {
    Form1 = new TForm1(nullptr);
    Form35 = new TForm35(nullptr);
    Form36 = new TForm36(nullptr);
    Form1->Receiver.Frequency = 1415;
    Form1->Figures.EffectiveAperture = 10;
    Form1->Figures.Tsys = 100;
    Form1->Figures.AntennaGain = 30.5;
    dialogs->Clear();
  }
  void ServeRealList() {
    const fs::path root = dir.path() / "server";
    fs::create_directories(root / "pub/lists/radio");
    fs::copy_file(kRealList, root / "pub/lists/radio/rad.txt");
    Server = std::make_unique<nettest::TTestServer>(
        "ftp_server.py",
        std::vector<std::string>{root.string(), (dir.path() / "ftp.log").string()});
    NetConfig().FtpPort = Server->Port();
  }
  void ListOnFile(const std::string& Text) { dir.write("SunFlowNoaa.txt", Text); }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> t;
    for (const auto& b : dialogs->Boxes()) t.push_back(b.Text);
    return t;
  }
  // A successful calculation on the real list, then the measured value typed.
  void CalculateAndType(const std::string& Measured, const std::string& Comment = "") {
    ListOnFile(testsupport::ReadFileBytes(kRealList));
    Form35->Button4Click(Form35->Button4);
    Form35->Edit4->SetText(Measured);
    Form35->Edit5->SetText(Comment);
    dialogs->Clear();
  }
  void Save(const std::string& Measured, const std::string& Comment = "") {
    Form35->Edit4->SetText(Measured);
    Form35->Edit5->SetText(Comment);
    Form35->Button5Click(Form35->Button5);
  }
  std::vector<std::string> Column(int Col) const {
    std::vector<std::string> c;
    for (int r = 2; r < 2 + NoiseRecordCount; ++r) c.push_back(Form35->StringGrid2->Cells(Col, r));
    return c;
  }

  testsupport::TempDir dir;
  TScopedDialogScript dialogs;
  std::unique_ptr<nettest::TTestServer> Server;
  int Opened = 0, Redrawn = 0;
};

}  // namespace

TEST_F(SunNoiseWindowTest, DownloadsTheListAndShowsTheSunYFactor) {
  ServeRealList();
  Start();
  EXPECT_FALSE(Form35->Button4->Enabled());  // no list on file yet
  EXPECT_EQ(Form35->Label1->Caption(),
            "Sun flux data downloaded from :  127.0.0.1/pub/lists/radio/rad.txt"
            "  ( -1 stands for  data not available )");
  // "CALCULATE Noise Y-Factor" takes the main window's frequency and opens the window.
  Form1->Edit4->SetText("1415");
  Form1->Figures.EffectiveAperture = 10;
  Form1->Figures.Tsys = 100;
  dialogs->Clear();
  Form1->Button30Click(Form1->Button30);
  EXPECT_TRUE(Form35->Visible());
  Form35->Button3Click(Form35->Button3);

  EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
  EXPECT_EQ(dir.read("SunFlowNoaa.txt"), testsupport::ReadFileBytes(kRealList));
  EXPECT_EQ(Form35->Button3->Caption(), "Download latest sun flow data and calculate sun noise ");
  EXPECT_TRUE(Form35->Button4->Enabled());
  EXPECT_TRUE(Form35->Visible());
  TStringGrid* g = Form35->StringGrid1;
  EXPECT_EQ(g->Cells(0, 0), "2025 Feb 21");
  EXPECT_EQ(g->Cells(1, 1), "Learmonth  ");
  EXPECT_EQ(g->Cells(9, 1), "Best set ");
  EXPECT_EQ(g->Cells(0, 2), "Mhz ");
  EXPECT_EQ(g->Cells(0, 6), " 1415     ");
  EXPECT_EQ(g->Cells(1, 3), "     30   ");
  EXPECT_EQ(g->Cells(9, 3), "30");
  EXPECT_EQ(g->Cells(9, 8), "-1");
  EXPECT_EQ(SunFluxTable[3][0], 132.0F);
  // 132 sfu at 1415 MHz: 1 320 000 Jy; Ta = 10 / 2760 x 1 320 000 = 4782.6 K; Y = 16.887 dB.
  EXPECT_EQ(Form35->Edit1->Text(), "1415");
  EXPECT_EQ(Form35->Edit2->Text(), "1320000");
  EXPECT_EQ(Form35->Edit3->Text(), "16.89");
  EXPECT_DOUBLE_EQ(SunFlux, 1.32e6);
  EXPECT_TRUE(Form35->Edit4->Enabled());
  EXPECT_TRUE(Form35->Edit5->Enabled());
}

TEST_F(SunNoiseWindowTest, AFailedDownloadSaysSoAndCalculatesOnTheOlderList) {
  ListOnFile(testsupport::ReadFileBytes(kRealList));
  Start();  // nothing listens on the configured port
  EXPECT_TRUE(Form35->Button4->Enabled());
  EXPECT_EQ(Form35->Button4->Caption(), "Calculate sun noise   ( with sun flow data on file )");
  Form35->Button3Click(Form35->Button3);
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(BoxTexts()[0].rfind(SunNoiseTexts::FtpError, 0), 0u);
  EXPECT_GT(BoxTexts()[0].size(), std::string(SunNoiseTexts::FtpError).size());  // and why
  EXPECT_EQ(dir.read("SunFlowNoaa.txt"), testsupport::ReadFileBytes(kRealList));
  EXPECT_EQ(Form35->Button3->Caption(), "Download latest sun flow data and calculate sun noise ");
  EXPECT_EQ(Form35->Edit3->Text(), "16.89");
}

// Without a list it can read, the window says why and closes; a list far beyond any genuine
// size is refused before it is read.
TEST_F(SunNoiseWindowTest, WithoutAListTheWindowCloses) {
  const struct {
    const char* Name;
    std::uintmax_t SparseSize;  // 0: no list on file
    std::string Message;
  } cases[] = {
      {"no list", 0, SunNoiseTexts::NoListFile},
      {"a list of 2 GB", std::uintmax_t{2} << 30,
       "Cannot read SunFlowNoaa.txt: it is larger than any file the program reads (more than 64 "
       "MB)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    if (c.SparseSize != 0) {
      ListOnFile(testsupport::ReadFileBytes(kRealList));
      std::filesystem::resize_file(dir.path() / "SunFlowNoaa.txt", c.SparseSize);
    }
    Start();
    Form35->Show();
    Form35->Button3Click(Form35->Button3);
    ASSERT_EQ(BoxTexts().size(), 2u);
    EXPECT_EQ(BoxTexts()[1], c.Message);
    EXPECT_FALSE(Form35->Visible());
    EXPECT_TRUE(Form35->Button4->Enabled());
    TearDown();
    SetUp();
  }
}

TEST_F(SunNoiseWindowTest, ListsWithoutAResultKeepThePreviousResults) {
  Start();
  CalculateAndType("10");
  const auto lines = [] {
    std::vector<std::string> l;
    std::istringstream in(testsupport::ReadFileBytes(kRealList));
    for (std::string s; std::getline(in, s);) l.push_back(s);
    return l;
  }();
  const auto join = [](const std::vector<std::string>& L) {
    std::string s;
    for (const auto& l : L) s += l + "\n";
    return s;
  };
  auto allMissing = lines;
  for (size_t i = 27; i < 36; ++i) allMissing[i] = allMissing[i].substr(0, 8) + "       -1";
  auto twoReadings = allMissing;
  twoReadings[27] = lines[27];
  twoReadings[28] = lines[28];
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {"all missing", join(allMissing), {SunNoiseTexts::FewReadings, SunNoiseTexts::NotUpdated}},
      {"two readings",
       join(twoReadings),
       {SunNoiseTexts::FewReadings, SunNoiseTexts::TooFewReadings}},
      {"empty file",
       "",
       {std::string(SunNoiseTexts::BadFormat) + "\nIt has 0 lines, 36 are needed."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ListOnFile(c.text);
    dialogs->Clear();
    Form35->Button4Click(Form35->Button4);
    EXPECT_EQ(BoxTexts(), c.boxes);
    EXPECT_EQ(Form35->Edit3->Text(), "16.89");
    EXPECT_DOUBLE_EQ(SunFlux, 1.32e6);
    // Nothing can be saved against these until a calculation succeeds again.
    EXPECT_FALSE(Form35->Edit4->Enabled());
    EXPECT_FALSE(Form35->ResultsValid());
  }
}

TEST_F(SunNoiseWindowTest, MeasurementsAreSavedDeletedAndExported) {
  Start();
  CalculateAndType("10.2", "clear, calm");
  EXPECT_TRUE(Form35->Button5->Enabled());
  Form35->Button5Click(Form35->Button5);
  Save("11", "pasted\x1a");  // a Ctrl-Z would end the file for the reader
  Save("12.5", "after rain");
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
  EXPECT_EQ(NoiseRecordCount, 3);
  EXPECT_EQ(Form35->SampleCount, 4);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(Column(1), (std::vector<std::string>{"2026-12-08", "2026-12-08", "2026-12-08"}));
  EXPECT_EQ(Column(2)[0], "10:15:00");
  EXPECT_EQ(Column(6)[0], "1320000");
  EXPECT_EQ(Column(7)[0], "16.88");
  EXPECT_EQ(Column(8), (std::vector<std::string>{"10.2 ", "11   ", "12.5 "}));
  EXPECT_EQ(Column(10), (std::vector<std::string>{"clear, calm", "pasted ", "after rain"}));
  EXPECT_FLOAT_EQ(Form35->SampleFlux[1], 1320.0F);
  EXPECT_FLOAT_EQ(Form35->SampleMeasured[3], 12.5F);
  EXPECT_EQ(Form35->StringGrid2->RowCount(), 7);

  // Delete row 2, keep the change.
  Form35->Edit6->SetText("2");
  dialogs->Answer(IDYES);
  Form35->Button7Click(Form35->Button7);
  ASSERT_EQ(dialogs->Boxes().size(), 1u);
  EXPECT_EQ(dialogs->Boxes()[0].Title, "Pls confirm");
  EXPECT_EQ(dialogs->Boxes()[0].DefaultButton, IDNO);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(Column(8), (std::vector<std::string>{"10.2 ", "12.5 "}));
  EXPECT_TRUE(fs::exists(dir.path() / "OLD_NoiseMeasurements.txt"));
  EXPECT_EQ(Opened, 2);
  EXPECT_EQ(Redrawn, 2);

  // Delete row 1, then think better of it.
  dialogs->Clear();
  Form35->Edit6->SetText("1");
  dialogs->Answer(IDNO);
  Form35->Button7Click(Form35->Button7);
  EXPECT_EQ(Column(8), (std::vector<std::string>{"10.2 ", "12.5 "}));
  EXPECT_FALSE(fs::exists(dir.path() / "OLD_NoiseMeasurements.txt"));

  // Export: named after today's date, the grid texts as shown.
  dialogs->Clear();
  Form35->Button9Click(Form35->Button9);
  EXPECT_EQ(BoxTexts(),
            std::vector<std::string>{"Data saved in the working folder as :    120826.csv"});
  const std::string csv = dir.read("120826.csv");
  EXPECT_EQ(
      csv.substr(0, csv.find("\r\n")),
      "#,Date,Hour,Frequency,Antenna Gain,Tsys,SFU,Expected Noise,Measured Noise,Delta,Comments");
  EXPECT_NE(csv.find("\r\n1,2026-12-08,10:15:00,1415,30.5  ,100   ,1320000,16.88,10.2 "
                     ",6.686,\"clear, calm\"\r\n"),
            std::string::npos)
      << csv;

  // Delete all: Yes is the default; the database becomes the backup.
  dialogs->Clear();
  const std::string two = dir.read("NoiseMeasurements.txt");
  Form35->Button6Click(Form35->Button6);
  ASSERT_EQ(dialogs->Boxes().size(), 1u);
  EXPECT_EQ(dialogs->Boxes()[0].Title, "test title");
  EXPECT_EQ(dialogs->Boxes()[0].Buttons, (std::vector<int>{IDYES, IDNO, IDCANCEL}));
  EXPECT_EQ(NoiseRecordCount, 0);
  EXPECT_EQ(Form35->SampleCount, 1);
  EXPECT_EQ(Form35->StringGrid2->Cells(0, 2), "");
  EXPECT_EQ(Form35->StringGrid2->Cells(3, 1), "( Mhz )");
  EXPECT_EQ(dir.read("OLD_NoiseMeasurements.txt"), two);
  dialogs->Clear();
  Form35->Button10Click(Form35->Button10);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{NoDatabase});
}

TEST_F(SunNoiseWindowTest, SaveChecksTheMeasuredValue) {
  Start();
  CalculateAndType("1");
  SunYFactor = 3.25;
  Save("3.26");
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{AboveExpected});
  EXPECT_FALSE(fs::exists(dir.path() / "NoiseMeasurements.txt"));  // not even created
  dialogs->Clear();
  Save("3.25");  // equal is accepted: delta 0
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{});
  EXPECT_EQ(Column(9), std::vector<std::string>{"0    "});

  // A write that fails keeps the database and says so.
  SetNoiseFileFaultForTesting([](const String& Step) { return Step == "write"; });
  const std::string one = dir.read("NoiseMeasurements.txt");
  Save("2");
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(BoxTexts()[0].rfind("ERROR : The measurement could not be saved", 0), 0u);
  EXPECT_EQ(dir.read("NoiseMeasurements.txt"), one);
  EXPECT_EQ(NoiseRecordCount, 1);
  SetNoiseFileFaultForTesting(nullptr);

  // A new frequency on the main window: no saving against the old expected values.
  dialogs->Clear();
  Form1->Button47Click(Form1->Button47);
  Form1->Edit4->SetText("2800");
  Form1->Button30Click(Form1->Button30);
  EXPECT_FALSE(Form35->Edit4->Enabled());
  dialogs->Clear();
  Form35->Button5Click(Form35->Button5);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{CalculateFirst});
  EXPECT_EQ(NoiseRecordCount, 1);
}

TEST_F(SunNoiseWindowTest, EntryAndRowFieldsRefuseWhatIsNoNumber) {
  Start();
  CalculateAndType("1");
  wchar_t key = L'a';
  Form35->Edit4KeyPress(Form35->Edit4, key);
  EXPECT_EQ(key, 0);
  // Digits, the point, and keys that edit or select rather than type: backspace, Ctrl+A,
  // Ctrl+C, Ctrl+V, Ctrl+X, Ctrl+Z, Enter, Escape.
  for (wchar_t ok : {L'7', L'.', wchar_t(8), wchar_t(1), wchar_t(3), wchar_t(22), wchar_t(24),
                     wchar_t(26), wchar_t(13), wchar_t(27)}) {
    key = ok;
    Form35->Edit4KeyPress(Form35->Edit4, key);
    EXPECT_EQ(key, ok);
  }
  Form35->Edit4->SetText("1,5");
  Form35->Edit4->SetText("1e39");  // pasted: more than a single-precision sample holds
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::string>{NumeralsOnly, DecimalSeparator, DecimalSeparator}));
  // Save refuses it too, through the same conversion, and writes nothing.
  Form35->Button5->SetEnabled(true);
  EXPECT_THROW(Form35->Button5Click(Form35->Button5), EConvertError);
  EXPECT_FALSE(fs::exists(dir.path() / "NoiseMeasurements.txt"));

  dialogs->Clear();
  Form35->Edit6->SetText("0");
  Form35->Button7Click(Form35->Button7);
  Form35->Edit6->SetText("9");
  Form35->Button7Click(Form35->Button7);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{RowZero, InvalidRow}));
  EXPECT_EQ(Form35->Edit6->Text(), "0");
}

TEST_F(SunNoiseWindowTest, ADamagedDatabaseListsItsSoundRecordsAndNamesTheBadOne) {
  String text;
  for (int n = 1; n <= 4; ++n) {
    TNoiseLines r = NewNoiseRecord(n, "2026-12-01", "09:00:0" + std::to_string(n), 1296, 30, 90,
                                   1e6, 10, 8.0F, "");
    if (n == 2) r[nlMeasured] = "8,5";
    for (const auto& l : r) text += l + "\n";
  }
  text += "\n";  // a blank line at the end is no record
  dir.write("NoiseMeasurements.txt", text);
  Form1 = new TForm1(nullptr);
  dialogs->Clear();
  Form35 = new TForm35(nullptr);
  const std::string notice =
      std::string(DamagedRecords) + "\nRecord 2 (lines 12-22): line 20 '8,5' is not a number.";
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{notice});
  EXPECT_EQ(NoiseRecordCount, 3);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "3", "4"}));
  EXPECT_EQ(dir.read("NoiseMeasurements.txt"), text);

  // The number read in the "#" column is the record deleted; the notice comes once for the
  // whole deletion, its question and the reloads around it.
  dialogs->Clear();
  Form35->Edit6->SetText("3");
  dialogs->Answer(IDOK);
  dialogs->Answer(IDYES);
  Form35->Button7Click(Form35->Button7);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{notice, ConfirmUpdate}));
  EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "3"}));
  EXPECT_EQ(Column(2), (std::vector<std::string>{"09:00:01", "09:00:04"}));

  // Saving is not refused: the new record follows the last one.
  Form36 = new TForm36(nullptr);
  Form1->Receiver.Frequency = 1415;
  Form1->Figures.EffectiveAperture = 10;
  Form1->Figures.Tsys = 100;
  CalculateAndType("1");
  Save("1");
  EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "3", "4"}));
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{notice});
}

TEST_F(SunNoiseWindowTest, HidesAndShowsTheMainWindowAndCloses) {
  Start();
  Form1->Show();
  Form35->Show();
  Form35->Edit6->SetText("3");
  Form35->Button8Click(Form35->Button8);
  EXPECT_FALSE(Form1->Visible());
  EXPECT_EQ(Form35->Button8->Caption(), "Show main screen");
  EXPECT_FALSE(Form35->Button1->Enabled());
  Form35->Button8Click(Form35->Button8);
  EXPECT_TRUE(Form1->Visible());
  EXPECT_EQ(Form35->Button8->Caption(), "Hide main screen");
  EXPECT_TRUE(Form35->Button1->Enabled());
  Form35->Button1Click(Form35->Button1);
  EXPECT_FALSE(Form35->Visible());
  EXPECT_EQ(Form35->Edit6->Text(), "0");
}

// No fixed limit of 4999 records: every record is listed and sampled.
TEST_F(SunNoiseWindowTest, LoadsMoreRecordsThanTheOldArraysHeld) {
  const int n = 6000;
  String text;
  for (int k = 1; k <= n; ++k)
    for (const auto& l : NewNoiseRecord(k, "2026-12-01", "09:00:00", 1296, 30, 90, 1e6, 10,
                                        static_cast<float>(k % 10), "c" + std::to_string(k)))
      text += l + "\r\n";
  dir.write("NoiseMeasurements.txt", text);
  Start();
  EXPECT_EQ(NoiseRecordCount, n);
  EXPECT_EQ(Form35->SampleCount, n + 1);
  EXPECT_EQ(Form35->StringGrid2->RowCount(), n + 4);
  EXPECT_EQ(Form35->StringGrid2->Cells(0, n + 1), "6000");
  EXPECT_EQ(Form35->SampleComment[n], "c6000");
  EXPECT_FLOAT_EQ(Form35->SampleMeasured[5999], 9.0F);
}
