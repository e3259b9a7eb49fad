// Start-up of the main window: its three end states, the configuration file, the fields'
// validation and the two ways of ending the program.

#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

#include <filesystem>
#include <limits>

#include "NetConfig.h"
#include "SysUtils.h"
#include "Unit35.h"
#include "Unit36.h"
#include "support_mainwin.h"

namespace {

const std::string MissingCatalogueText =
    "ERROR : The file ATNF.csv with Pulsars data was not found.\n\nATNF.csv file must be created "
    "again\n\nClick the button <Check ATNF Catalogue version> and follow all steps\n\nANY OTHER "
    "FUNCTION WILL CAUSE THE PROGRAM CRASH\n";
const std::string CorruptedText =
    "Configuration file was found, but is either corrupted or obsolete.\n\n Please delete "
    "'KestalDB.txt' and restart the program \n";
const std::string FirstRunText =
    "Please note that following files will be created in the installation folder to store the "
    "configuration, the history and the Pulsar Data Base:\n\nKestalDB.txt                          "
    "     Local configuration\nSunFlowNoaa.txt                          Most recent sun flow data "
    "from NOAA\nNoiseMeasurements.txt               Noise measurements data\nddmmyy.csv            "
    "                     Archive of noise measurements \nKestal_horizon.txt                     "
    "Radio horizon configuration \nATNF.csv                                        Current Pulsar "
    "Data Base\nATNFx.y.z.csv                                 Old Pulsar Data Base\nRelease.txt    "
    "                                  Check for latest program release\nKestal_captured.txt       "
    "            Pulsars detected with comments\nVersionPage.txt                             ATNF "
    "version\nOLD_NoiseMeasurements.txt     OLD Noise measurements data\n\n";
const std::string DecimalText = "ERROR: Please use . as decimal separator";

const std::vector<std::string> SmallCatalogue = {
    "J0332+5434;53.247;54.579;0.714520;26.76;6.6;1500;203;1.0;5.53e+06;",
    "J1935+1616;293.949;16.278;0.358738;158.52;8.1;242;42;3.7;9.47e+05;",
};

// A listening socket on 127.0.0.1, so that the connection probe succeeds.
class Listener {
public:
  Listener() {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(fd_, 4);
    socklen_t len = sizeof a;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
  }
  ~Listener() { close(fd_); }
  int port() const { return port_; }

private:
  int fd_;
  int port_;
};

TEdit* const* FieldsInFileOrder() {
  static TEdit* fields[14];
  TEdit* f[] = {Form1->Edit1,  Form1->Edit2,  Form1->Edit3,  Form1->Edit4, Form1->Edit5,
                Form1->Edit6,  Form1->Edit7,  Form1->Edit8,  Form1->Edit9, Form1->Edit11,
                Form1->Edit12, Form1->Edit13, Form1->Edit19, Form1->Edit20};
  std::copy(std::begin(f), std::end(f), fields);
  return fields;
}

std::vector<std::string> FieldTexts() {
  std::vector<std::string> t;
  for (int i = 0; i < 14; ++i) t.push_back(FieldsInFileOrder()[i]->Text());
  t.push_back(Form1->Edit36->Text());
  return t;
}

}  // namespace

using StartUpTest = MainWindowTest;

TEST_F(StartUpTest, WithoutCatalogueOnlyExitCatalogueCheckAndInputsStayUsable) {
  for (bool online : {false, true}) {
    SCOPED_TRACE(online ? "probe succeeds" : "probe fails");
    Listener listener;
    if (online) NetConfig().ProbeURL = "http://127.0.0.1:" + std::to_string(listener.port()) + "/";
    dir.write("KestalDB.txt", ConfigText(ConfigLines()));
    Start();

    EXPECT_EQ(BoxTexts(), std::vector<std::string>{MissingCatalogueText});
    EXPECT_TRUE(Form1->CatalogueMissing());
    for (TTimer* t : {Form1->Timer1, Form1->Timer2, Form1->Timer7, Form1->Timer13})
      EXPECT_EQ(t->Interval(), 0);
    EXPECT_EQ(Form1->Button46->Enabled(), online);
    EXPECT_EQ(Form1->InternetAvailable, online);
    EXPECT_EQ(Form1->Label110->Caption(),
              online ? "" : "Internet connection not available. Program functions will be limited");
    EXPECT_TRUE(Form1->Button2->Enabled());
    EXPECT_TRUE(Form1->Edit4->Enabled());
    for (TControl* c :
         {static_cast<TControl*>(Form1->Button1), static_cast<TControl*>(Form1->Button3),
          static_cast<TControl*>(Form1->Button43), static_cast<TControl*>(Form1->ComboBox1),
          static_cast<TControl*>(Form1->RadioButton3), static_cast<TControl*>(Form1->Button31)})
      EXPECT_FALSE(c->Enabled()) << c->Name();
    EXPECT_FALSE(Form1->Button44->Visible());
    EXPECT_FALSE(Form1->Button45->Visible());
    // Nothing after the catalogue step ran: no threshold list, no configuration, no Julian day.
    EXPECT_EQ(Form1->ComboBox1->Items()->Count(), 0);
    EXPECT_EQ(Form1->Label104->Caption(), "");
    EXPECT_EQ(Form1->Location.Name, "");

    // A valid input must not make SAVE possible: it would overwrite the configuration with
    // values that were never read.
    Type(Form1->Edit4, "1420");
    EXPECT_FALSE(Form1->Button3->Enabled());
    Form1->Button3Click(Form1->Button3);
    EXPECT_EQ(dir.read("KestalDB.txt"), ConfigText(ConfigLines()));

    try {
      Form1->Button2Click(Form1->Button2);
      ADD_FAILURE() << "EXIT did not end the program";
    } catch (const ProgramEnded& e) {
      EXPECT_EQ(e.Code, 0);
    }
    TearDown();
    dialogs->Clear();
  }
}

TEST_F(StartUpTest, FirstRunSetsDefaultsShowsTheNoticeAndWritesNothing) {
  dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
  Start();

  EXPECT_EQ(BoxTexts(), std::vector<std::string>{FirstRunText});
  EXPECT_EQ(FieldTexts(),
            (std::vector<std::string>{"5", "69", "1", "1303", "0.23", "38", "0.1", "0.5", "4",
                                      "18000", "10000", "4", "10", "0", "3000"}));
  EXPECT_EQ(Form1->Receiver.ReceiverBandwidthHz, 3000);
  EXPECT_EQ(Form1->Location.Name, "Default");
  EXPECT_EQ(Form1->Location.NorthSouth, "N");
  EXPECT_EQ(Form1->Location.EastWest, "E");
  EXPECT_EQ(Form1->Location.Locator.size(), 8u);
  EXPECT_FALSE(Form1->Button1->Enabled());
  EXPECT_FALSE(Form1->Button3->Enabled());
  EXPECT_FALSE(Form1->Button26->Enabled());
  EXPECT_FALSE(Form1->Edit4->Visible());
  EXPECT_FALSE(Form1->Edit11->Visible());
  EXPECT_TRUE(Form1->PulsarModeOn);
  EXPECT_EQ(Form1->Label103->Caption(), "Pulsar mode");
  EXPECT_EQ(Form1->Timer1->Interval(), 0);
  EXPECT_EQ(Form1->Timer2->Interval(), 1000);
  EXPECT_EQ(Form1->Timer13->Interval(), 1000);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "KestalDB.txt"));

  // Choosing the antenna type shows the inputs and allows CALCULATE and SAVE.
  Form1->RadioButton3->SetChecked(true);
  EXPECT_TRUE(Form1->Edit4->Visible());
  EXPECT_TRUE(Form1->Edit11->Visible());
  EXPECT_TRUE(Form1->Button1->Enabled());
  EXPECT_TRUE(Form1->Button3->Enabled());
}

TEST_F(StartUpTest, ConfiguredStartFillsTheFieldsAndSelectsAntennaAndMode) {
  struct Case {
    const char* Code;
    bool Dish;
    const char* Mode;
  } cases[] = {{"DP", true, "Pulsar mode"},
               {"D", true, "Pulsar mode"},
               {"O", false, "Pulsar mode"},
               {"OP", false, "Pulsar mode"},
               {"DE", true, "System evaluation mode"},
               {"OE", false, "System evaluation mode"},
               {"X", false, "System evaluation mode"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Code);
    dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
    auto lines = ConfigLines(c.Code);
    lines[27] = "7";  // T atmosphere: always read back as 0
    dir.write("KestalDB.txt", ConfigText(lines));
    Start();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Form1->RadioButton3->Checked(), c.Dish);
    EXPECT_EQ(Form1->RadioButton4->Checked(), !c.Dish);
    EXPECT_EQ(Form1->Label103->Caption(), c.Mode);
    EXPECT_EQ(Form1->StoredModeCode, c.Code);
    EXPECT_EQ(Form1->Edit1->Text(), "5");
    EXPECT_EQ(Form1->Edit4->Text(), "1303");
    EXPECT_EQ(Form1->Edit20->Text(), "0");
    EXPECT_EQ(Form1->Edit36->Text(), "3000");
    EXPECT_EQ(Form1->Label65->Caption(), "Home");
    EXPECT_EQ(Form1->Label70->Caption(), "52.1000");
    EXPECT_EQ(Form1->Label68->Caption(), "05.2000");
    EXPECT_DOUBLE_EQ(Form1->Location.LatitudeMin, 6);
    EXPECT_EQ(Form1->Location.Locator, "JO22CC00");
    EXPECT_TRUE(Form1->Button1->Enabled());
    EXPECT_TRUE(Form1->Button3->Enabled());
    EXPECT_EQ(Form1->Edit2->Visible(), c.Dish);
    EXPECT_EQ(Form1->Timer2->Interval(), 1000);
    EXPECT_EQ(Form1->Timer1->Interval(), 0);
    EXPECT_EQ(Form1->SortState, 1);
    EXPECT_EQ(Form1->ComboBox1->ItemIndex(), 2);
    EXPECT_EQ(Form1->MinimumSN, 10);
    TearDown();
  }
}

TEST_F(StartUpTest, AWrongFirstLineEndsTheProgramWithTheMessage) {
  for (const char* header :
       {"KESTAL DEFAULTS 6 : ", "KESTAL DEFAULTS 7 :", "kestal defaults 7 : ", ""}) {
    SCOPED_TRACE(header);
    dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
    auto lines = ConfigLines();
    lines[0] = header;
    dir.write("KestalDB.txt", ConfigText(lines));
    try {
      Start();
      ADD_FAILURE() << "the program went on";
    } catch (const ProgramEnded& e) {
      EXPECT_EQ(e.Code, 0);
    }
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{CorruptedText});
    dialogs->Clear();
    TearDown();
  }
}

TEST_F(StartUpTest, CrLfFilesReadAsLfFiles) {
  std::vector<std::string> results[2];
  for (bool crlf : {false, true}) {
    dir.write("ATNF.csv", CatalogueText(SmallCatalogue, "2.6.3", crlf));
    dir.write("KestalDB.txt", ConfigText(ConfigLines("DP"), crlf));
    Start();
    EXPECT_TRUE(Boxes().empty());
    results[crlf] = FieldTexts();
    results[crlf].push_back(Form1->Location.Name);
    results[crlf].push_back(Form1->Location.Locator);
    results[crlf].push_back(Form1->CatalogueVersion);
    results[crlf].push_back(std::to_string(Form1->Count400) + "/" +
                            std::to_string(Form1->Count1400));
    results[crlf].push_back(Form1->PulsarNames[5000 + 1]);
    TearDown();
  }
  EXPECT_EQ(results[0], results[1]);
  EXPECT_EQ(results[1].back(), "J1935+1616");
}

TEST_F(StartUpTest, MissingReceiverBandwidthLineReadsAs3000) {
  dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
  auto lines = ConfigLines("DE");
  lines[28] = "1200";
  dir.write("KestalDB.txt", ConfigText(lines));
  Start();
  EXPECT_EQ(Form1->Edit36->Text(), "1200");
  TearDown();

  lines.erase(lines.begin() + 28);  // the heading follows line 28 directly
  dir.write("KestalDB.txt", ConfigText(lines));
  Start();
  EXPECT_EQ(Form1->Edit36->Text(), "3000");
  TearDown();

  lines.pop_back();  // and a file that simply ends there
  dir.write("KestalDB.txt", ConfigText(lines));
  Start();
  EXPECT_EQ(Form1->Edit36->Text(), "3000");
}

TEST_F(StartUpTest, SaveWritesWhatStartUpReadsAndKeepsEverySavedLocation) {
  std::vector<std::string> locations;
  for (int i = 0; i < 25; ++i) {  // 250 lines: more than a fixed carry-over buffer would keep
    locations.push_back("Place" + std::to_string(i) + "                 51.4791     -0.0015");
    for (const char* l : {"51", "28", "45", "N", "0", "0", "5", "W", "IO91XL00"})
      locations.push_back(l);
  }
  dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
  dir.write("KestalDB.txt", ConfigText(ConfigLines("DP", locations)));
  Start();
  Type(Form1->Edit4, "1420.5");
  Type(Form1->Edit20, "3");
  Type(Form1->Edit36, "2500");
  const auto before = FieldTexts();
  Form1->Button3Click(Form1->Button3);
  EXPECT_TRUE(Form1->Button26->Enabled());

  const std::string saved = dir.read("KestalDB.txt");
  auto expected = ConfigLines("DP", locations);
  expected[17] = "1420.5";
  expected[28] = "2500";
  EXPECT_EQ(saved, ConfigText(expected));
  TearDown();

  Start();
  auto after = FieldTexts();
  auto want = before;
  want[13] = "0";  // T atmosphere
  EXPECT_EQ(after, want);
}

TEST_F(StartUpTest, SaveWithoutAFileWritesTheParametersAndTheHeadingOnly) {
  dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
  Start();  // first run
  Form1->RadioButton4->SetChecked(true);
  EXPECT_EQ(Form1->Edit1->Text(), "30.00");
  Form1->Button43Click(Form1->Button43);
  Form1->Button3Click(Form1->Button3);
  auto expected = ConfigLines("OE");
  expected[1] = "Default";
  expected[2] = "45";
  expected[3] = "10";
  expected[4] = "45";
  expected[5] = "0";
  expected[6] = "0";
  expected[8] = "10";
  expected[9] = "0";
  expected[12] = Form1->Location.Locator;
  expected[14] = "30";
  EXPECT_EQ(dir.read("KestalDB.txt"), ConfigText(expected));
}

TEST_F(StartUpTest, SaveWithAFieldThatDoesNotConvertLeavesTheFileAsItWas) {
  dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
  dir.write("KestalDB.txt", ConfigText(ConfigLines()));
  Start();
  Type(Form1->Edit6, "38,5");
  EXPECT_THROW(Form1->Button3Click(Form1->Button3), EConvertError);
  EXPECT_EQ(dir.read("KestalDB.txt"), ConfigText(ConfigLines()));
}

TEST_F(StartUpTest, ValidatorsReportBadNumbersAndResetOutOfRangeValues) {
  dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
  dir.write("KestalDB.txt", ConfigText(ConfigLines()));
  Start();
  Form1->Button1Click(Form1->Button1);
  ASSERT_EQ(Form1->Edit21->Text(), "36.98");
  dialogs->Clear();

  // A comma, or an empty field: message, SAVE disabled, results kept.
  for (const char* text : {"1,5", ""}) {
    Type(Form1->Edit4, text);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{DecimalText});
    EXPECT_FALSE(Form1->Button3->Enabled());
    EXPECT_EQ(Form1->Edit21->Text(), "36.98");
    dialogs->Clear();
  }
  // A valid value enables SAVE again and clears the results.
  Type(Form1->Edit4, "1303");
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(Form1->Button3->Enabled());
  EXPECT_EQ(Form1->Edit21->Text(), "");
  EXPECT_EQ(Form1->SortState, 1);

  struct Case {
    TEdit* Field;
    const char* Typed;
    const char* After;
    std::vector<std::string> Messages;
  } cases[] = {
      {Form1->Edit2, "120", "69", {"ERROR: The value must be <=100"}},
      {Form1->Edit2, "100", "100", {}},
      {Form1->Edit3, "1", "1", {}},
      {Form1->Edit3, "1.01", "1", {"ERROR: The value must be <=1"}},
      {Form1->Edit3, "0", "1", {"ERROR: The value must be >0"}},
      {Form1->Edit3, "-0.5", "1", {"ERROR: The value must be >0"}},
      {Form1->Edit3, "0.01", "0.01", {}},
      // A dish has a diameter above 0; a gain (other antenna) may be anything.
      {Form1->Edit1, "0", "5", {"ERROR: The value must be >0"}},
      {Form1->Edit1, "-3", "5", {"ERROR: The value must be >0"}},
      {Form1->Edit1, "0.01", "0.01", {}},
      // Written as a number but too large: named, and left for the user to correct.
      {Form1->Edit4, "1e400", "1e400", {"ERROR: Frequency: '1e400' is too large a number"}},
      {Form1->Edit1,
       "-1e4000",
       "-1e4000",
       {"ERROR: Dish diameter: '-1e4000' is too large a number"}},
      {Form1->Edit36,
       "1e309",
       "1e309",
       {"ERROR: Receiver bandwidth: '1e309' is too large a number"}},
      {Form1->Edit4, "inf", "inf", {DecimalText}},
      {Form1->Edit4, "nan", "nan", {DecimalText}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Typed);
    Type(c.Field, "0.5");
    dialogs->Clear();
    Type(c.Field, c.Typed);
    EXPECT_EQ(c.Field->Text(), c.After);
    EXPECT_EQ(BoxTexts(), c.Messages);
  }

  // The receiver bandwidth shares the integration bandwidth's handler; its own text counts.
  dialogs->Clear();
  Type(Form1->Edit36, "3 kHz");
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{DecimalText});
  EXPECT_FALSE(Form1->Button3->Enabled());
}

// A value that is no finite number is refused everywhere: by the field's check, by CALCULATE
// and by SAVE, each naming the field, so the configuration never gets a value that would stop
// the next start.
TEST_F(StartUpTest, AFieldThatOverflowsIsRefusedByCalculateAndSave) {
  struct Case {
    size_t ConfigLine;  // 0-based line of the configuration holding the value, or none
    TEdit* TForm1::*Field;
    const char* Text;
    const char* Named;
  } cases[] = {
      {14, &TForm1::Edit1, "1e400", "Dish diameter"},
      {17, &TForm1::Edit4, "1e4000", "Frequency"},
      {28, &TForm1::Edit36, "-1e400", "Receiver bandwidth"},
      {0, &TForm1::Edit11, "1e400", "Integration time"},  // typed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text + std::string(" in ") + c.Named);
    dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
    auto lines = ConfigLines(c.ConfigLine == 28 ? "DE" : "DP");
    if (c.ConfigLine != 0) lines[c.ConfigLine] = c.Text;
    const std::string file = ConfigText(lines);
    dir.write("KestalDB.txt", file);
    Start();
    TEdit* field = Form1->*c.Field;
    if (c.ConfigLine == 0) Type(field, c.Text);
    const std::string message = std::string(c.Named) + ": '" + c.Text + "' is too large a number";
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"ERROR: " + message});
    EXPECT_EQ(field->Text(), c.Text);
    if (c.ConfigLine == 0) {
      EXPECT_FALSE(Form1->Button3->Enabled());
    }
    for (auto handler : {&TForm1::Button1Click, &TForm1::Button3Click}) {
      try {
        (Form1->*handler)(Form1);
        ADD_FAILURE() << "CALCULATE or SAVE went on";
      } catch (const EConvertError& e) {
        EXPECT_EQ(e.what(), message);
      }
    }
    EXPECT_EQ(dir.read("KestalDB.txt"), file);
    EXPECT_EQ(Form1->ListBox1->Items()->Count(), 0);
    EXPECT_EQ(Form1->Matrix_DB_1400Mhz->GetVal(9, 1), -1);
    dialogs->Clear();
    TearDown();
  }
}

// A position line is no field: it stops the start, naming the file and the line.
TEST_F(StartUpTest, APositionLineThatIsNoFiniteNumberStopsTheStartNamingTheLine) {
  struct Case {
    size_t Line;  // 0-based
    const char* Text;
    const char* Message;
  } cases[] = {
      {2, "1e400", "KestalDB.txt, line 3: '1e400' is too large a number"},
      {6, "-1e4000", "KestalDB.txt, line 7: '-1e4000' is too large a number"},
      {8, "inf", "KestalDB.txt, line 9: 'inf' is not a number (use . as decimal separator)"},
      {10, "nan", "KestalDB.txt, line 11: 'nan' is not a number (use . as decimal separator)"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Message);
    dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
    auto lines = ConfigLines();
    lines[c.Line] = c.Text;
    dir.write("KestalDB.txt", ConfigText(lines));
    try {
      Start();
      ADD_FAILURE() << "the program went on";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.what(), std::string(c.Message));
    }
    TearDown();
  }
}

TEST_F(StartUpTest, SaveNeverWritesAValueThatIsNotFinite) {
  EXPECT_THROW(ConfigNumberText(std::numeric_limits<double>::infinity()), EConvertError);
  EXPECT_THROW(ConfigNumberText(std::numeric_limits<double>::quiet_NaN()), EConvertError);
  EXPECT_EQ(ConfigNumberText(1.7976931348623157e308), "1.79769e+308");
  dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
  dir.write("KestalDB.txt", ConfigText(ConfigLines()));
  Start();
  Form1->Location.Latitude = std::numeric_limits<double>::infinity();  // set by another window
  EXPECT_THROW(Form1->Button3Click(Form1->Button3), EConvertError);
  EXPECT_EQ(dir.read("KestalDB.txt"), ConfigText(ConfigLines()));
}

// A configuration that is there but cannot be read says which file and why, not what the
// C++ run-time calls it. One far beyond any genuine size is refused at once, before it is read.
TEST_F(StartUpTest, AnUnreadableConfigurationIsNamedWithTheReason) {
  auto longLine = ConfigLines();
  longLine[2] += std::string(17 << 20, ' ');
  struct Case {
    const char* Name;
    std::string Text;               // empty: KestalDB.txt is a folder
    std::uintmax_t SparseSize = 0;  // when set, the file is made this long without more data
    const char* Message;
  } cases[] = {
      {"a folder", "", 0, "Cannot read KestalDB.txt: it is a folder, not a file"},
      {"2 GB without a line end", ConfigText(ConfigLines()), std::uintmax_t{2} << 30,
       "Cannot read KestalDB.txt: it is larger than any file the program reads (more than 64 "
       "MB)"},
      {"a line of 17 MB", ConfigText(longLine), 0,
       "Cannot read KestalDB.txt, line 3: it is longer than any line the program reads (more "
       "than 16 MB)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
    if (c.Text.empty())
      std::filesystem::create_directory(dir.path() / "KestalDB.txt");
    else
      dir.write("KestalDB.txt", c.Text);
    if (c.SparseSize != 0)
      std::filesystem::resize_file(dir.path() / "KestalDB.txt", c.SparseSize);
    try {
      Start();
      ADD_FAILURE() << "the program went on";
    } catch (const EInOutError& e) {
      EXPECT_STREQ(e.what(), c.Message);
    }
    TearDown();
    std::filesystem::remove_all(dir.path() / "KestalDB.txt");
  }
}

// A configuration kept in a synchronised folder and linked into the working folder: SAVE
// replaces the linked file and keeps the link.
TEST_F(StartUpTest, SaveThroughALinkedConfigurationUpdatesTheLinkedFile) {
  dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
  std::filesystem::create_directory(dir.path() / "sync");
  dir.write("sync/KestalDB.txt", ConfigText(ConfigLines()));
  std::filesystem::create_symlink("sync/KestalDB.txt", dir.path() / "KestalDB.txt");
  Start();
  Type(Form1->Edit4, "1420.5");
  Form1->Button3Click(Form1->Button3);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "KestalDB.txt"));
  auto expected = ConfigLines();
  expected[17] = "1420.5";
  EXPECT_EQ(dir.read("sync/KestalDB.txt"), ConfigText(expected));
}

TEST_F(StartUpTest, YFactorWindowsAreClosedByInputChangesOnlyAfterTheFirstCalculate) {
  dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
  dir.write("KestalDB.txt", ConfigText(ConfigLines()));
  Start();
  Form35->Show();
  Form36->Show();
  Type(Form1->Edit5, "0.3");
  EXPECT_TRUE(Form35->Visible());
  EXPECT_TRUE(Form36->Visible());
  Form1->Button1Click(Form1->Button1);
  Type(Form1->Edit5, "0.23");
  EXPECT_FALSE(Form35->Visible());
  EXPECT_FALSE(Form36->Visible());
}

TEST_F(StartUpTest, JulianDayAndMoonAgeOfToday) {
  struct Case {
    int Y, M, D;
    const char* Shown;
  } cases[] = {{2024, 1, 15, "2460324.5"}, {2024, 3, 1, "2460370.5"}, {2025, 2, 28, "2460734.5"}};
  dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
  dir.write("KestalDB.txt", ConfigText(ConfigLines()));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Shown);
    SetClockForTesting([c] { return UnixTime(c.Y, c.M, c.D, 10, 0); });
    Start();
    EXPECT_EQ(Form1->Label104->Caption(), c.Shown);
    const float jd = static_cast<float>(std::stod(c.Shown));
    const float x = (jd - 2451549.5f) / 29.53f;
    EXPECT_EQ(Form1->MoonAge, (x - static_cast<float>(static_cast<int>(x))) * 29.53f);
    EXPECT_EQ(Form1->Label105->Caption(), FormatFloat("#.##", Form1->MoonAge));
    TearDown();
  }
}

TEST_F(StartUpTest, LegacyNoiseDatabaseIsCopiedOnlyWhenTheNewOneIsMissing) {
  dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
  dir.write("KestalDB.txt", ConfigText(ConfigLines()));
  dir.write("NoiseMeasurents.txt", std::string("old\r\ndata\0x", 11));
  Start();
  EXPECT_EQ(dir.read("NoiseMeasurements.txt"), std::string("old\r\ndata\0x", 11));
  EXPECT_EQ(dir.read("NoiseMeasurents.txt"), std::string("old\r\ndata\0x", 11));
  TearDown();

  dir.write("NoiseMeasurements.txt", "new\n");
  Start();
  EXPECT_EQ(dir.read("NoiseMeasurements.txt"), "new\n");
  EXPECT_EQ(dir.read("NoiseMeasurents.txt"), std::string("old\r\ndata\0x", 11));
}

TEST_F(StartUpTest, ResetAsksFirstAndDeletesOnlyTheSixSettingsFiles) {
  const std::vector<std::string> deleted = {"KestalDB.txt",       "SunFlowNoaa.txt",
                                            "Kestal_horizon.txt", "Kestal_captured.txt",
                                            "Release.txt",        "VersionPage.txt"};
  const std::vector<std::string> kept = {"ATNF.csv", "NoiseMeasurements.txt", "011524.csv",
                                         "OLD_NoiseMeasurements.txt"};
  dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
  for (const auto& f : deleted) dir.write(f, "x\n");
  dir.write("KestalDB.txt", ConfigText(ConfigLines()));
  for (const auto& f : kept)
    if (f != "ATNF.csv") dir.write(f, "x\n");
  Start();
  dialogs->Clear();  // the sun-noise window names the one-line database as damaged

  dialogs->Answer(IDNO);
  Form1->Button31Click(Form1->Button31);
  ASSERT_EQ(Boxes().size(), 1u);
  const TMessageBoxRequest box = Boxes()[0];
  EXPECT_EQ(box.Title, "Pls confirm");
  EXPECT_EQ(box.Text, "Are you sure that you want to delete local settings ?");
  EXPECT_EQ(box.Buttons, (std::vector<int>{IDYES, IDNO}));
  EXPECT_EQ(box.DefaultButton, IDNO);
  for (const auto& f : deleted) EXPECT_TRUE(std::filesystem::exists(dir.path() / f)) << f;

  std::filesystem::remove(dir.path() / "Release.txt");  // a missing one is no error
  dialogs->Answer(IDYES);
  try {
    Form1->Button31Click(Form1->Button31);
    ADD_FAILURE() << "RESET did not end the program";
  } catch (const ProgramEnded& e) {
    EXPECT_EQ(e.Code, 0);
  }
  for (const auto& f : deleted) EXPECT_FALSE(std::filesystem::exists(dir.path() / f)) << f;
  for (const auto& f : kept) EXPECT_TRUE(std::filesystem::exists(dir.path() / f)) << f;
}
