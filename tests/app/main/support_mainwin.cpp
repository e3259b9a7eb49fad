#include "support_mainwin.h"

#include <filesystem>

#include "DefaultSystem.h"
#include "NetConfig.h"
#include "SysUtils.h"
#include "TimeZone.h"
#include "Unit13.h"
#include "Unit2.h"
#include "Unit30.h"
#include "Unit34.h"
#include "Unit35.h"
#include "Unit36.h"
#include "Unit38.h"
#include "Unit40.h"
#include "Unit41.h"
#include "Unit39.h"
#include "Unit4.h"
#include "Unit42.h"
#include "Unit47.h"

double UnixTime(int Year, int Month, int Day, int Hour, int Minute) {
  return DateTimeToUnix(EncodeDateTime(Year, Month, Day, Hour, Minute, 0, 0));
}

std::string ConfigText(const std::vector<std::string>& Lines, bool CrLf) {
  std::string s;
  for (const auto& l : Lines) s += l + (CrLf ? "\r\n" : "\n");
  return s;
}

std::vector<std::string> ConfigLines(const std::string& ModeCode,
                                     const std::vector<std::string>& Locations) {
  std::vector<std::string> lines = {"KESTAL DEFAULTS 7 : ",
                                    "Home",
                                    "52.1",
                                    "5.2",
                                    "52",
                                    "6",
                                    "0",
                                    "N",
                                    "5",
                                    "12",
                                    "0",
                                    "E",
                                    "JO22CC00",
                                    ModeCode};
  lines.insert(lines.end(), DefaultFieldTexts.begin(), DefaultFieldTexts.end());
  lines.push_back(DefaultReceiverBandwidthText);
  lines.push_back("KESTAL LOCATIONS :");
  lines.insert(lines.end(), Locations.begin(), Locations.end());
  return lines;
}

std::string CatalogueText(const std::vector<std::string>& Rows, const std::string& Version,
                          bool CrLf) {
  const std::string eol = CrLf ? "\r\n" : "\n";
  std::string s = "Catalogue Version: " + Version + eol +
                  "#;NAME;RAJD;DECJD;P0;DM;W50;S400;S1400;DIST;AGE;" + eol +
                  " ; ;(deg);(deg);(s);(cm^-3 pc);(ms);(mJy);(mJy);(kpc);(Yr);" + eol;
  int n = 0;
  for (const auto& r : Rows) s += std::to_string(++n) + ";" + r + eol;
  return s;
}

void MainWindowTest::SetUp() {
  ProgramExit = [](int Code) { throw ProgramEnded{Code}; };
  SetClockForTesting([] { return UnixTime(2024, 1, 15, 12, 0); });
  SetTimeZoneForTesting(TTimeZoneInformation{});  // UTC, no daylight time
  NetConfig().ProbeURL = "http://127.0.0.1:1/";
  NetConfig().ProbeTimeoutMs = 1000;
}

template <class T>
static void Drop(T*& Form) {
  delete Form;
  Form = nullptr;
}

void MainWindowTest::TearDown() {
  Drop(Form47);
  Drop(Form39);
  Drop(Form13);
  Drop(Form4);
  Drop(Form2);
  Drop(Form41);
  Drop(Form40);
  Drop(Form38);
  Drop(Form36);
  Drop(Form35);
  Drop(Form34);
  Drop(Form42);
  Drop(Form30);
  Drop(Form1);
  SetClockForTesting(nullptr);
}

void MainWindowTest::Start() {
  Form1 = new TForm1(nullptr);
  Form2 = new TForm2(nullptr);
  Form4 = new TForm4(nullptr);
  Form13 = new TForm13(nullptr);
  Form30 = new TForm30(nullptr);
  Form34 = new TForm34(nullptr);
  Form35 = new TForm35(nullptr);
  Form36 = new TForm36(nullptr);
  Form38 = new TForm38(nullptr);
  Form40 = new TForm40(nullptr);
  Form41 = new TForm41(nullptr);
  Form39 = new TForm39(nullptr);
  Form42 = new TForm42(nullptr);
  Form47 = new TForm47(nullptr);
}

void MainWindowTest::UseRealCatalogue() {
  std::filesystem::copy_file(testsupport::TestDataDir() / "atnf" / "ATNF_v1.66.csv",
                             dir.path() / "ATNF.csv");
}

void MainWindowTest::StartThreeMetreDishAt1420WithTheRealCatalogue() {
  UseRealCatalogue();
  auto lines = ConfigLines();
  lines[14] = "3";
  lines[17] = "1420";
  dir.write("KestalDB.txt", ConfigText(lines));
  Start();
}

std::vector<std::string> MainWindowTest::BoxTexts() const {
  std::vector<std::string> texts;
  for (const auto& b : dialogs->Boxes()) texts.push_back(b.Text);
  return texts;
}
