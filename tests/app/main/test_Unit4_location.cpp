// The observer location dialog: the three notations, confirm, save, choose and reset, against
// the configuration file in a fresh folder.

#include <filesystem>
#include <functional>

#include "LocationRecord.h"
#include "SysUtils.h"
#include "TextFile.h"
#include "Unit4.h"
#include "support_mainwin.h"

namespace {

const std::vector<std::string> SmallCatalogue = {
    "J0332+5434;53.247;54.579;0.714520;26.76;6.6;1500;203;1.0;5.53e+06;",
};
const std::string DecimalText = "ERROR: Please use . as decimal separator";

// The position and its parts, as a record holds them.
std::vector<double> Numbers(const TLocationRecord& R) {
  return {R.Latitude,    R.Longitude,    R.LatitudeDeg,  R.LatitudeMin,
          R.LatitudeSec, R.LongitudeDeg, R.LongitudeMin, R.LongitudeSec};
}

// The position that a record's parts and letters give.
double LatitudeOfParts(const TLocationRecord& R) {
  return (R.NorthSouth == "S" ? -1 : 1) *
         (R.LatitudeDeg + R.LatitudeMin / 60 + R.LatitudeSec / 3600);
}
double LongitudeOfParts(const TLocationRecord& R) {
  return (R.EastWest == "W" ? -1 : 1) *
         (R.LongitudeDeg + R.LongitudeMin / 60 + R.LongitudeSec / 3600);
}

std::vector<std::string> Entries() {
  std::vector<std::string> e;
  for (int i = 0; i < Form4->ListBox1->Count(); ++i)
    e.push_back(Form4->ListBox1->Items()->Strings(i));
  return e;
}

}  // namespace

class LocationTest : public MainWindowTest {
protected:
  void StartConfigured(const std::vector<std::string>& Locations = {}) {
    dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
    dir.write("KestalDB.txt", ConfigText(ConfigLines("DP", Locations)));
    Start();
    Form1->Button26Click(Form1->Button26);
    dialogs->Clear();
  }
  std::vector<String> FileLines() { return SplitTextLines(dir.read("KestalDB.txt")); }
  std::vector<String> SavedLines() {
    const auto lines = FileLines();
    for (size_t i = 0; i < lines.size(); ++i)
      if (lines[i] == "KESTAL LOCATIONS :")
        return {lines.begin() + static_cast<long>(i) + 1, lines.end()};
    return {};
  }
  // Lets the window system deliver what is waiting (focus changes).
  static void Pump() {
    for (int i = 0; i < 3; ++i) Application->ProcessMessages();
  }
  // Confirms a decimal position and saves it under Name.
  void SaveDecimal(const std::string& Name, const std::string& Lat, const std::string& Lon) {
    Form4->RadioButton3->Click();
    Type(Form4->Edit11, Lat);
    Type(Form4->Edit12, Lon);
    Form4->Button6->Click();
    Type(Form4->Edit1, Name);
    Form4->Button2->Click();
  }
};

TEST_F(LocationTest, OpeningSavesTheSettingsAndShowsThePosition) {
  StartConfigured();
  EXPECT_TRUE(Form4->Visible());
  EXPECT_FALSE(Form4->Button1->Enabled());  // until a saved location is chosen
  EXPECT_EQ(Form4->Edit31->Text(), "52");
  EXPECT_EQ(Form4->Edit32->Text(), "6");
  EXPECT_EQ(Form4->Edit35->Text(), "5");
  EXPECT_EQ(Form4->Edit4->Text(), "JO22CC00");
  EXPECT_EQ(Form4->Edit1->Text(), "Enter Location");
  EXPECT_EQ(Form4->Edit11->Text(), "52.1000");
  EXPECT_DOUBLE_EQ(Form1->Location.Latitude, 52.1);
  EXPECT_EQ(Entries(), std::vector<std::string>{""});  // no record yet: the empty entry
  EXPECT_TRUE(Boxes().empty());
}

// The stored hemisphere letters appear on the buttons and the position keeps its sign, on
// every opening; opening changes nothing of the stored position. Parts a file holds out of
// range are shown as they are and refused only when the position is confirmed.
TEST_F(LocationTest, OpeningKeepsTheStoredPosition) {
  struct Case {
    const char* what;
    std::vector<std::pair<size_t, const char*>> lines;  // 0-based line, text
    const char* northSouth;
    const char* eastWest;
    std::vector<std::string> confirmed;  // the messages of Confirm in degrees-minutes-seconds
  };
  const Case cases[] = {
      {"southern and western",
       {{2, "-33.8689"},
        {3, "-70.5"},
        {4, "33"},
        {5, "52"},
        {6, "8"},
        {7, "S"},
        {8, "70"},
        {9, "30"},
        {10, "0"},
        {11, "W"}},
       "S",
       "W",
       {}},
      {"minutes below 0",
       {{2, "45.05"}, {4, "45"}, {5, "-3"}, {6, "0"}},
       "N",
       "E",
       {"Must be >= 0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
    auto lines = ConfigLines();
    for (const auto& [line, text] : c.lines) lines[line] = text;
    dir.write("KestalDB.txt", ConfigText(lines));
    Start();
    const TLocationRecord stored = Form1->Location;
    for (int opening = 0; opening < 3; ++opening) {
      SCOPED_TRACE(opening);
      Form1->Button26Click(nullptr);
      EXPECT_EQ(Form4->Button23->Caption(), c.northSouth);
      EXPECT_EQ(Form4->Button24->Caption(), c.eastWest);
      EXPECT_EQ(Numbers(Form1->Location), Numbers(stored));
      EXPECT_EQ(Form1->Location.NorthSouth, c.northSouth);
      EXPECT_EQ(Form1->Location.EastWest, c.eastWest);
      EXPECT_EQ(Form4->Edit34->Text(), FormatFloat("00.0000", stored.Latitude));
      EXPECT_TRUE(Boxes().empty());
      Form4->Hide();
    }
    Form1->Button26Click(nullptr);
    Form4->RadioButton1->Click();
    Form4->Button4->Click();
    EXPECT_EQ(BoxTexts(), c.confirmed);
    EXPECT_EQ(Form4->Button2->Enabled(), c.confirmed.empty());
    TearDown();
    SetUp();
  }
}

TEST_F(LocationTest, DegreesMinutesSeconds) {
  StartConfigured();
  Form4->RadioButton1->Click();
  EXPECT_TRUE(Form4->Edit31->Enabled());
  EXPECT_FALSE(Form4->Edit11->Enabled());
  EXPECT_FALSE(Form4->Button2->Enabled());
  Type(Form4->Edit31, "45");
  Type(Form4->Edit32, "30");
  Type(Form4->Edit33, "36");
  EXPECT_DOUBLE_EQ(Form1->Location.Latitude, 45.510001);
  EXPECT_EQ(Form4->Edit34->Text(), "45.5100");

  // The hemisphere button flips letter and sign together; editing a part afterwards keeps the
  // south.
  Form4->Button23->Click();
  EXPECT_EQ(Form1->Location.NorthSouth, "S");
  EXPECT_DOUBLE_EQ(Form1->Location.Latitude, -45.510001);
  Type(Form4->Edit33, "0");
  EXPECT_NEAR(Form1->Location.Latitude, -45.500001, 1e-12);
  EXPECT_EQ(Form4->Edit34->Text(), "-45.5000");
  Form4->Button23->Click();
  EXPECT_NEAR(Form1->Location.Latitude, 45.500001, 1e-12);

  // Longitude; then the locator follows.
  Type(Form4->Edit35, "6");
  Type(Form4->Edit36, "23");
  Type(Form4->Edit37, "45");
  EXPECT_NEAR(Form1->Location.Longitude, 6 + 23 / 60.0 + 45 / 3600.0 + 1e-6, 1e-12);
  EXPECT_EQ(Form4->Edit2->Text(), "JN35EM70");

  // A text that can still become a number waits for more keystrokes; leaving the field with it
  // is the conversion error naming the field and what is wrong. The part keeps its value.
  dialogs->Clear();
  for (const auto& [text, left] : {std::pair{"-", "Latitude minutes: '-' is an incomplete number"},
                                   {"+.", "Latitude minutes: '+.' is an incomplete number"},
                                   {"", "Latitude minutes: the number is missing"}}) {
    SCOPED_TRACE(text);
    EXPECT_NO_THROW(Type(Form4->Edit32, text));
    EXPECT_TRUE(Boxes().empty());
    try {
      Form4->PartFieldExit(Form4->Edit32);
      ADD_FAILURE() << "left with an unfinished number";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.what(), std::string(left));
    }
    EXPECT_EQ(Form1->Location.LatitudeMin, 30);
  }
  Type(Form4->Edit32, "30");

  // A part that is no number is the conversion error naming the field.
  EXPECT_THROW(Type(Form4->Edit32, "3O"), EConvertError);

  // Out of range: the message, nothing else.
  struct Case {
    TEdit* field;
    const char* text;
    const char* message;
  };
  for (const Case& c :
       {Case{Form4->Edit31, "91", "Must be <= 90"}, Case{Form4->Edit31, "-91", "Must be >= -90"},
        Case{Form4->Edit35, "181", "Must be <= 180"},
        Case{Form4->Edit35, "-181", "Must be >= -180"}, Case{Form4->Edit32, "61", "Must be <=60"},
        Case{Form4->Edit37, "60.5", "Must be <=60"},
        // Within the limit in degrees, beyond it with the minutes and seconds.
        Case{Form4->Edit31, "90", "Must be <= 90"}, Case{Form4->Edit31, "-90", "Must be >= -90"},
        Case{Form4->Edit35, "180", "Must be <= 180"},
        // Minutes and seconds carry no sign: the hemisphere button does.
        Case{Form4->Edit32, "-30", "Must be >= 0"}, Case{Form4->Edit33, "-1", "Must be >= 0"},
        Case{Form4->Edit36, "-3", "Must be >= 0"}, Case{Form4->Edit37, "-7200", "Must be >= 0"}}) {
    SCOPED_TRACE(c.text);
    Type(Form4->Edit31, "45");
    Type(Form4->Edit32, "30");
    Type(Form4->Edit35, "6");
    Type(Form4->Edit37, "45");
    dialogs->Clear();
    const TLocationRecord before = Form1->Location;
    Type(c.field, c.text);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{c.message});
    // A refused value is never stored.
    EXPECT_EQ(Numbers(Form1->Location), Numbers(before));
  }

  // Confirm takes the position the fields show: one that holds a refused value stops it.
  dialogs->Clear();
  Form4->Button4->Click();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Must be >= 0"});
  EXPECT_FALSE(Form4->Button2->Enabled());
  EXPECT_TRUE(Form4->Edit37->Enabled());

  // The pole and the date line: the stored position stays on them and the locator is one of
  // the grid's.
  Type(Form4->Edit33, "0");
  Type(Form4->Edit32, "0");
  Type(Form4->Edit31, "90");
  Type(Form4->Edit37, "0");
  Type(Form4->Edit36, "0");
  Type(Form4->Edit35, "180");
  EXPECT_EQ(Form1->Location.Latitude, 90);
  EXPECT_EQ(Form1->Location.Longitude, 180);
  EXPECT_EQ(Form4->Edit2->Text(), "RR99XX99");

  // A degree typed with a minus: the button's letter gives the sign, the size is kept.
  Type(Form4->Edit31, "45");
  Type(Form4->Edit32, "30");
  Type(Form4->Edit33, "0");
  ASSERT_EQ(Form4->Button23->Caption(), "N");
  Type(Form4->Edit31, "-45");
  EXPECT_NEAR(Form1->Location.Latitude, 45.500001, 1e-12);
  EXPECT_EQ(Form1->Location.LatitudeDeg, 45);
  Form4->Button23->Click();
  Type(Form4->Edit31, "-45");
  EXPECT_NEAR(Form1->Location.Latitude, -45.500001, 1e-12);
  Form4->Button23->Click();

  Type(Form4->Edit31, "45");
  Type(Form4->Edit32, "0");
  Form4->Button4->Click();
  EXPECT_EQ(Form1->Location.Locator, Form4->Edit2->Text());
  EXPECT_EQ(Form4->ConfirmedEastWest, "E");
  EXPECT_TRUE(Form4->Edit1->Enabled());
  EXPECT_TRUE(Form4->Button2->Enabled());
  EXPECT_FALSE(Form4->Edit31->Enabled());
}

TEST_F(LocationTest, DecimalDegrees) {
  StartConfigured();
  Form4->RadioButton3->Click();
  struct Case {
    const char* text;
    const char* deg;
    const char* min;
    const char* sec;
    const char* letter;
  };
  for (const Case& c :
       {Case{"0.5", "00", "30", "00.0000", "N"}, Case{"-0.5", "00", "30", "00.0000", "S"},
        Case{"51.4792", "51", "28", "45.1200", "N"}}) {
    SCOPED_TRACE(c.text);
    Type(Form4->Edit11, c.text);
    EXPECT_EQ(Form4->Edit14->Text(), c.deg);
    EXPECT_EQ(Form4->Edit15->Text(), c.min);
    EXPECT_EQ(Form4->Edit16->Text(), c.sec);
    EXPECT_EQ(Form4->Button7->Caption(), c.letter);
    EXPECT_EQ(Form1->Location.NorthSouth, c.letter);
  }
  Type(Form4->Edit12, "-1.25");
  EXPECT_EQ(Form4->Button8->Caption(), "W");
  EXPECT_EQ(Form4->ConfirmedEastWest, "W");
  EXPECT_EQ(Form4->Edit17->Text(), "15");

  // While typing, a text that can still become a number waits; a decimal comma and any other
  // text that is no number are reported, naming the fault. None becomes the position.
  struct Typed {
    const char* text;
    std::vector<std::string> boxes;
  };
  const std::string notANumber = "is not a number (use . as decimal separator)";
  for (const Typed& t :
       {Typed{"1,5", {DecimalText}}, Typed{"-31,5546", {DecimalText}}, Typed{"-,", {DecimalText}},
        Typed{"nan", {"ERROR: Latitude: 'nan' " + notANumber}},
        Typed{"inf", {"ERROR: Latitude: 'inf' " + notANumber}},
        Typed{"1,5,2", {"ERROR: Latitude: '1,5,2' " + notANumber}}, Typed{"", {}}, Typed{"-", {}},
        Typed{"+", {}}, Typed{".", {}}, Typed{"-.", {}}, Typed{"-2.5e-", {}}}) {
    SCOPED_TRACE(t.text);
    dialogs->Clear();
    Type(Form4->Edit11, t.text);
    EXPECT_EQ(BoxTexts(), t.boxes);
    EXPECT_DOUBLE_EQ(Form1->Location.Latitude, 51.4792);
    EXPECT_EQ(Form4->Edit14->Text(), "51");
  }
  dialogs->Clear();
  Type(Form4->Edit11, "1e999");
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(BoxTexts()[0].rfind("ERROR: ", 0), 0u);
  dialogs->Clear();
  Type(Form4->Edit11, "90.5");
  Type(Form4->Edit12, "-180.5");
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Must be <= 90", "Must be >= -180"}));
  EXPECT_DOUBLE_EQ(Form1->Location.Latitude, 51.4792);
  EXPECT_DOUBLE_EQ(Form1->Location.Longitude, -1.25);
  // Confirm uses the values: the fields still hold refused or unfinished ones.
  for (const auto& [text, message] : {std::pair{"90.5", "Must be <= 90"},
                                      {"-", "ERROR: Latitude: '-' is an incomplete number"},
                                      {" ", "ERROR: Latitude: the number is missing"},
                                      {"-31,5", DecimalText.c_str()}}) {
    SCOPED_TRACE(text);
    Type(Form4->Edit11, text);
    dialogs->Clear();
    Form4->Button6->Click();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{message});
    EXPECT_FALSE(Form4->Button2->Enabled());
  }

  Type(Form4->Edit11, "51.4792");
  Type(Form4->Edit12, "-1.2917");
  Form4->Button6->Click();
  EXPECT_EQ(Form1->Location.Locator, "IO91IL45");
  EXPECT_TRUE(Form4->Button2->Enabled());
}

TEST_F(LocationTest, LocatorIsStoredAsTyped) {
  StartConfigured();
  Form4->RadioButton2->Click();
  Type(Form4->Edit4, "io91");
  EXPECT_EQ(Form4->Edit10->Text(), "51.4792");
  EXPECT_EQ(Form4->Edit5->Text(), "-1.2917");
  Type(Form4->Edit4, "io9");  // not (yet) a locator: the boxes stay
  EXPECT_EQ(Form4->Edit10->Text(), "51.4792");
  dialogs->Clear();
  Form4->Button5->Click();  // refused: the text is no locator
  EXPECT_EQ(BoxTexts().size(), 1u);
  EXPECT_FALSE(Form4->Button2->Enabled());
  Type(Form4->Edit4, "io91");
  Form4->Button5->Click();
  EXPECT_EQ(Form1->Location.Locator, "io91");
  EXPECT_NEAR(Form1->Location.Latitude, 51.479167, 1e-6);
  EXPECT_NEAR(Form1->Location.Longitude, -1.291667, 1e-6);
  // The parts follow, so the next opening rebuilds the same position.
  EXPECT_EQ(Form1->Location.NorthSouth, "N");
  EXPECT_EQ(Form1->Location.EastWest, "W");
  Form4->Hide();
  Form1->Button26Click(nullptr);
  EXPECT_NEAR(Form1->Location.Latitude, 51.479167, 1e-4);
  EXPECT_NEAR(Form1->Location.Longitude, -1.291667, 1e-4);
}

TEST_F(LocationTest, SaveChooseAndTheList) {
  StartConfigured();
  dialogs->Clear();
  Form4->RadioButton3->Click();
  Form4->Button6->Click();
  Form4->Button2->Click();  // the name still reads "Enter Location"
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Please enter name of location"});

  SaveDecimal("ABCDEFGHIJKLMNO", "51.4792", "-1.2917");  // 15 characters
  SaveDecimal("Home", "-33.8689", "151.2093");
  ASSERT_EQ(Entries().size(), 3u);
  EXPECT_EQ(Entries()[0], "ABCDEFGHIJKLMNO      51.4792     -1.2917");
  EXPECT_EQ(Entries()[0].size(), 40u);
  EXPECT_EQ(Entries()[2], "");
  const auto saved = SavedLines();
  ASSERT_EQ(saved.size(), 20u);
  EXPECT_EQ(saved[14], "S");
  EXPECT_EQ(saved[18], "E");
  EXPECT_EQ(saved[19], Form1->Location.Locator);
  EXPECT_EQ(Form1->Location.Name, "Home            ");

  // Choosing the second restores it and makes it the current position.
  Form4->ListBox1->SetItemIndex(1);
  Form4->ListBox1Click(nullptr);
  EXPECT_EQ(Form1->Location.Name, "Home            ");
  EXPECT_DOUBLE_EQ(Form1->Location.Latitude, -33.8689);
  EXPECT_DOUBLE_EQ(Form1->Location.Longitude, 151.2093);
  EXPECT_EQ(Form1->Label65->Caption(), "Home            ");
  EXPECT_EQ(Form1->Label70->Caption(), "-33.8689");
  EXPECT_EQ(Form1->Timer7->Interval(), 1000);
  EXPECT_TRUE(Form4->Button1->Enabled());
  EXPECT_EQ(FileLines()[2], "-33.8689");  // saved as the current settings

  // The empty last entry moves the selection to the record before it and changes nothing.
  Form4->ListBox1->SetItemIndex(2);
  Form4->ListBox1Click(nullptr);
  EXPECT_EQ(Form4->ListBox1->ItemIndex(), 1);
  EXPECT_DOUBLE_EQ(Form1->Location.Latitude, -33.8689);

  Form4->ListBox1->SetItemIndex(0);
  Form4->ListBox1Click(nullptr);
  EXPECT_EQ(Form1->Location.Name, "ABCDEFGHIJKLMNO ");
  EXPECT_DOUBLE_EQ(Form1->Location.Latitude, 51.4792);
  EXPECT_DOUBLE_EQ(Form1->Location.Longitude, -1.2917);
}

// A name that would push the numbers out of their columns is refused; odd bytes and line
// breaks never split a record.
TEST_F(LocationTest, NamesThatWouldCorruptARecord) {
  StartConfigured();
  const std::string before = dir.read("KestalDB.txt");
  dialogs->Clear();
  Form4->RadioButton3->Click();
  Form4->Button6->Click();
  Type(Form4->Edit1, std::string(300, 'x'));
  Form4->Edit1Change(nullptr);
  Form4->Button2->Click();
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Must be <=15", "Must be <=15"}));
  EXPECT_EQ(dir.read("KestalDB.txt"), before);

  // Letters beyond ASCII count as one character each: 14 letters in 17 bytes are accepted.
  dialogs->Clear();
  Type(Form4->Edit1, "Zürich Süd Öst");
  Form4->Edit1Change(nullptr);
  EXPECT_TRUE(BoxTexts().empty());

  SaveDecimal("Caf\xC3\xA9\t\"A;B\"", "10", "20");
  const auto saved = SavedLines();
  ASSERT_EQ(saved.size(), 10u);
  EXPECT_EQ(saved[0].substr(0, 16), "Caf\xC3\xA9 \"A;B\"     ");
  Form4->ListBox1->SetItemIndex(0);
  Form4->ListBox1Click(nullptr);
  EXPECT_DOUBLE_EQ(Form1->Location.Latitude, 10);
  EXPECT_DOUBLE_EQ(Form1->Location.Longitude, 20);

  SaveDecimal("Zürich Süd Öst", "47.3769", "8.5417");
  EXPECT_TRUE(BoxTexts().empty());
  ASSERT_EQ(Entries().size(), 3u);
  Form4->ListBox1->SetItemIndex(1);
  Form4->ListBox1Click(nullptr);
  EXPECT_EQ(Form1->Location.Name, "Zürich Süd Öst  ");
  EXPECT_DOUBLE_EQ(Form1->Location.Latitude, 47.3769);
  EXPECT_DOUBLE_EQ(Form1->Location.Longitude, 8.5417);
}

TEST_F(LocationTest, ResetLeavesDefaultsAndAnEmptyLocationsSection) {
  StartConfigured();
  SaveDecimal("Home", "10", "20");
  ASSERT_EQ(SavedLines().size(), 10u);

  // A field that does not convert: nothing is written, the old file and its records stay.
  Type(Form1->Edit5, "abc");
  const std::string before = dir.read("KestalDB.txt");
  EXPECT_THROW(Form4->Button3Click(nullptr), EConvertError);
  EXPECT_EQ(dir.read("KestalDB.txt"), before);

  Type(Form1->Edit5, "0.23");
  Form4->Button3Click(nullptr);
  EXPECT_TRUE(Entries().empty());
  EXPECT_TRUE(SavedLines().empty());
  const auto lines = FileLines();
  EXPECT_EQ(lines.front(), "KESTAL DEFAULTS 7 : ");
  EXPECT_EQ(lines.back(), "KESTAL LOCATIONS :");
  EXPECT_TRUE(Form4->Visible());
  EXPECT_FALSE(Form4->Button1->Enabled());
  EXPECT_FALSE(Form4->Button2->Enabled());
  EXPECT_EQ(Form4->Edit1->Text(), "Enter Location");
  EXPECT_TRUE(Form1->Button26->Enabled());
}

// Every record is listed and can be chosen, however many there are (more than 200 lines of
// them too); a file without the locations heading lists nothing.
TEST_F(LocationTest, ManySavedLocationsAndAFileWithoutTheHeading) {
  std::vector<std::string> records;
  for (int i = 0; i < 25; ++i) {
    TLocationRecord r;
    r.Name = "Site " + std::to_string(i);
    r.Latitude = i;
    r.Longitude = -i;
    r.NorthSouth = "N";
    r.EastWest = "W";
    r.Locator = "AA00AA00";
    for (const String& l : ComposeLocationRecord(r)) records.push_back(l);
  }
  StartConfigured(records);
  ASSERT_EQ(Entries().size(), 26u);
  Form4->ListBox1->SetItemIndex(24);
  Form4->ListBox1Click(nullptr);
  EXPECT_EQ(Form1->Location.Name, "Site 24         ");
  EXPECT_DOUBLE_EQ(Form1->Location.Latitude, 24);
  EXPECT_DOUBLE_EQ(Form1->Location.Longitude, -24);
  EXPECT_EQ(SavedLines().size(), 250u);  // the save that choosing runs kept them all

  auto lines = ConfigLines();
  lines.pop_back();  // no heading
  dir.write("KestalDB.txt", ConfigText(lines));
  EXPECT_TRUE(Form4->FillList());
  EXPECT_TRUE(Entries().empty());
}

// A locations section that is no whole number of records: every record is listed and can be
// chosen, a location saved after it too; what is no record is named once and stays as it is.
TEST_F(LocationTest, DamagedSectionsStayUsable) {
  TLocationRecord site;
  site.Name = "Site";
  site.Latitude = 12;
  site.Longitude = -34;
  site.NorthSouth = "N";
  site.EastWest = "W";
  site.Locator = "HK52";
  const std::vector<String> record = ComposeLocationRecord(site);
  const std::vector<String> cut(record.begin(), record.begin() + 4);
  auto join = [](std::initializer_list<std::vector<String>> Parts) {
    std::vector<std::string> lines;
    for (const auto& p : Parts) lines.insert(lines.end(), p.begin(), p.end());
    return lines;
  };
  struct Case {
    const char* what;
    std::vector<std::string> locations;
    bool named;  // a message names lines that are no record
  };
  const Case cases[] = {
      {"a blank line before the first", join({{""}, record}), false},
      {"a record cut short", join({cut, record}), true},
      {"an overlong line", join({record, {std::string(300, 'x')}}), true},
      {"cut short at the end", join({record, cut}), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
    dir.write("KestalDB.txt", ConfigText(ConfigLines("DP", c.locations)));
    Start();
    dialogs->Clear();
    Form1->Button26Click(Form1->Button26);
    const auto texts = BoxTexts();
    ASSERT_EQ(texts.size(), c.named ? 1u : 0u);
    if (c.named) {
      EXPECT_EQ(texts[0].rfind(LocationTexts::DamagedLocations, 0), 0u) << texts[0];
    }
    EXPECT_EQ(Entries(), (std::vector<std::string>{record[0], ""}));
    dialogs->Clear();
    SaveDecimal("Home", "-33.8689", "151.2093");
    EXPECT_TRUE(BoxTexts().empty());  // named once, not again at each filling of the list
    EXPECT_EQ(Entries().size(), 3u);
    for (int pick : {1, 0}) {
      Form4->ListBox1->SetItemIndex(pick);
      Form4->ListBox1Click(nullptr);
      EXPECT_EQ(Form1->Location.Name, pick == 1 ? "Home            " : "Site            ");
    }
    EXPECT_DOUBLE_EQ(Form1->Location.Latitude, 12);
    // The save that choosing runs keeps the lines that are no record.
    const auto saved = SavedLines();
    for (const auto& line : c.locations)
      EXPECT_NE(std::find(saved.begin(), saved.end(), line), saved.end()) << line.substr(0, 20);
    TearDown();
    SetUp();
  }
}

// Confirming a position in any notation, with the focus on Confirm and a saved location chosen
// before, stores one position in all the record's parts and chooses no saved location; saved,
// chosen and opened again after a restart, it stays where it was.
TEST_F(LocationTest, ConfirmStoresOnePositionThatStaysAfterARestart) {
  struct Case {
    const char* what;
    std::function<void()> enter;
    std::function<TButton*()> confirm;
    double lat, lon;
  };
  const Case cases[] = {
      {"degrees, minutes, seconds",
       [this] {
         Form4->RadioButton1->Click();
         Form4->Button23->Click();  // S
         Type(Form4->Edit31, "31");
         Type(Form4->Edit32, "33");
         Type(Form4->Edit33, "16.56");
         Type(Form4->Edit35, "159");
         Type(Form4->Edit36, "4");
         Type(Form4->Edit37, "58.44");
       },
       [] { return Form4->Button4; }, -(31 + 33 / 60.0 + 16.56 / 3600 + 1e-6),
       159 + 4 / 60.0 + 58.44 / 3600 + 1e-6},
      {"locator",
       [this] {
         Form4->RadioButton2->Click();
         Type(Form4->Edit4, "io91");
       },
       [] { return Form4->Button5; }, 51.479167, -1.291667},
      {"decimal",
       [this] {
         Form4->RadioButton3->Click();
         Type(Form4->Edit11, "-31.5546");
         Type(Form4->Edit12, "159.0829");
       },
       [] { return Form4->Button6; }, -31.5546, 159.0829},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StartConfigured();
    SaveDecimal("Home", "52", "5");
    Form4->ListBox1->SetItemIndex(0);
    Form4->ListBox1Click(nullptr);
    ASSERT_EQ(Form1->Location.Name, "Home            ");
    // Opening shows the chosen location and changes nothing of it.
    Form4->Hide();
    const TLocationRecord home = Form1->Location;
    Form1->Button26Click(nullptr);
    EXPECT_EQ(Numbers(Form1->Location), Numbers(home));

    c.enter();
    dialogs->Clear();
    c.confirm()->SetFocus();
    Pump();
    c.confirm()->Click();
    Pump();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Form4->ListBox1->ItemIndex(), -1);
    const TLocationRecord& at = Form1->Location;
    EXPECT_NEAR(at.Latitude, c.lat, 1e-6);
    EXPECT_NEAR(at.Longitude, c.lon, 1e-6);
    EXPECT_NEAR(LatitudeOfParts(at), at.Latitude, 2e-6);
    EXPECT_NEAR(LongitudeOfParts(at), at.Longitude, 2e-6);

    Type(Form4->Edit1, "LordHowe");
    Form4->Button2->Click();
    const TSavedLocations saved = ReadSavedLocations(SavedLines());
    ASSERT_EQ(saved.Records.size(), 2u);
    const TLocationRecord& kept = saved.Records[1];
    EXPECT_NEAR(kept.Latitude, c.lat, 1e-4);
    EXPECT_NEAR(LatitudeOfParts(kept), kept.Latitude, 1 / 3600.0);
    EXPECT_NEAR(LongitudeOfParts(kept), kept.Longitude, 1 / 3600.0);
    Form4->ListBox1->SetItemIndex(1);
    Form4->ListBox1Click(nullptr);

    // The configuration keeps six digits of the position.
    TearDown();
    SetUp();
    Start();
    const TLocationRecord restarted = Form1->Location;
    EXPECT_EQ(restarted.Name, "LordHowe        ");
    EXPECT_NEAR(restarted.Latitude, kept.Latitude, 1e-3);
    EXPECT_NEAR(restarted.Longitude, kept.Longitude, 1e-3);
    Form1->Button26Click(nullptr);
    EXPECT_EQ(Numbers(Form1->Location), Numbers(restarted));
    TearDown();
    SetUp();
  }
}
