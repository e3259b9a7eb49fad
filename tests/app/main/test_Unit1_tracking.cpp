// Live tracking and the clock, the tracking windows and the tables, driven through the main
// window's handlers with an injected clock and zone.

#include <chrono>

#include "Astral.h"
#include "SysUtils.h"
#include "TimeBase.h"
#include "TimeZone.h"
#include "Unit13.h"
#include "Unit2.h"
#include "Unit39.h"
#include "Unit47.h"
#include "support_mainwin.h"

namespace {

const std::vector<std::string> SmallCatalogue = {
    "J0332+5434;53.247;54.579;0.714520;26.76;6.6;1500;203;1.0;5.53e+06;",
    "J1935+1616;293.949;16.278;0.358738;158.52;8.1;242;42;3.7;9.47e+05;",
};

// Where the engine puts an object for the window's observer at the injected clock.
Astral EngineNow() {
  Astral a;
  a.Latitude = Form1->Location.Latitude;
  a.Longitude = Form1->Location.Longitude;
  a.UtcTime = UtcNow();
  return a;
}

}  // namespace

class TrackingTest : public MainWindowTest {
protected:
  void StartConfigured() {
    dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
    dir.write("KestalDB.txt", ConfigText(ConfigLines()));
    Start();
  }
  // Selects B0329+54 (J0332+5434) as the list selection does.
  void SelectPulsar() {
    Form1->SelectedRA = 53.247 / 15;
    Form1->SelectedDec = 54.579;
    Form1->SelectedNameIndex = 1;
    Form1->PulsarNames[0] = " J0332+5434 ";
  }
};

// With daylight time in force (bias -60, daylight bias -60) UTC is two hours behind local time;
// in standard time one hour; a zone without daylight rule reports neither. Santiago's clock
// goes forward on the Saturday night after the first of September: 8 September in 2024.
TEST_F(TrackingTest, ClockShowsUtcLocalTimeAndTheZone) {
  StartConfigured();
  struct Case {
    const char* name;  // "CET" the injected rule, "" the zone without rule, else a zone name
    double now;
    const char* utc;
    const char* local;
    const char* zone;
  };
  TTimeZoneInformation noRule;
  noRule.Bias = -60;
  noRule.DaylightBias = -60;
  const Case cases[] = {
      {"CET", UnixTime(2026, 7, 1, 22, 30), "Wed Jul  1 22:30:00 2026\n",
       "Thu Jul  2 00:30:00 2026\n", "Current Time Zone Name : CEST (DST)"},
      {"CET", UnixTime(2026, 1, 15, 12, 0), "Thu Jan 15 12:00:00 2026\n",
       "Thu Jan 15 13:00:00 2026\n", "Current Time Zone Name : CET (Not DST)"},
      {"", UnixTime(2026, 7, 1, 12, 0), "Wed Jul  1 12:00:00 2026\n",
       "Wed Jul  1 13:00:00 2026\n", "PC 'Set time zone automatically' is disabled"},
      {"America/Santiago", UnixTime(2024, 9, 5, 12, 0), "Thu Sep  5 12:00:00 2024\n",
       "Thu Sep  5 08:00:00 2024\n", "Current Time Zone Name : -04 (Not DST)"},
      {"America/Santiago", UnixTime(2024, 9, 9, 12, 0), "Mon Sep  9 12:00:00 2024\n",
       "Mon Sep  9 09:00:00 2024\n", "Current Time Zone Name : -03 (DST)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zone);
    if (c.name == String("CET"))
      SetTimeZoneForTesting(CentralEuropeanTimeZone());
    else if (*c.name == '\0')
      SetTimeZoneForTesting(noRule);
    else
      ASSERT_TRUE(SetTimeZoneForTesting(String(c.name)));
    const double now = c.now;
    SetClockForTesting([now] { return now; });
    Form1->Timer7Timer(Form1->Timer7);
    EXPECT_EQ(Form1->Label58->Caption(), c.utc);
    EXPECT_EQ(Form1->Label72->Caption(), c.local);
    EXPECT_EQ(Form1->Label85->Caption(), c.zone);
  }
}

TEST_F(TrackingTest, EveryObjectTimerWritesItsBoxesAndTheChosenOneReachesTheDisplay) {
  StartConfigured();
  SelectPulsar();
  struct Case {
    int code;
    void (TForm1::*tick)(TObject*);
    TEdit* az;
    TEdit* el;
    const char* name;
    double ra, dec;  // fixed objects
  };
  const Case cases[] = {
      {3, &TForm1::Timer4Timer, Form2->Edit5, Form2->Edit10, "Cygnus A", 19.991, 40.733},
      {4, &TForm1::Timer5Timer, Form2->Edit6, Form2->Edit11, "Taurus A", 5.575, 22.016},
      {5, &TForm1::Timer6Timer, Form2->Edit7, Form2->Edit12, "Cassiopeia A", 23.39, 58.83},
      {6, &TForm1::Timer8Timer, Form2->Edit16, Form2->Edit15, "Sagittarius A", 17.768, -28.85},
      {7, &TForm1::Timer9Timer, Form2->Edit17, Form2->Edit18, "3c273", 12.485, 2.0524},
      {8, &TForm1::Timer1Timer, Form2->Edit14, Form2->Edit13, "J0332+5434", 53.247 / 15, 54.579},
      {9, &TForm1::Timer10Timer, Form2->Edit19, Form2->Edit20, "FRB 20220912A", 23.151346666666665,
       48.7066},
      {10, &TForm1::Timer11Timer, Form2->Edit21, Form2->Edit22, "VIRGO A", 12.5137, 12.3831},
      {11, &TForm1::Timer12Timer, Form2->Edit24, Form2->Edit23, "FRB 20201124A", 5.134305553333333,
       26.0605556},
      {12, &TForm1::Timer13Timer, Form2->Edit26, Form2->Edit25, "SGR 1935+2154", 19.582133333333335,
       21.8967},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Form1->TrackedObject = c.code;
    (Form1->*c.tick)(nullptr);
    Astral a = EngineNow();
    a.TrackObject(c.ra, c.dec);
    EXPECT_EQ(c.az->Text(), FormatFloat("#0.00", a.Azimuth));
    EXPECT_EQ(c.el->Text(), FormatFloat("#0.00", a.Elevation));
    EXPECT_EQ(Form47->Edit31->Text(), c.az->Text());
    EXPECT_EQ(Form47->Edit32->Text(), c.el->Text());
    EXPECT_EQ(Form47->Label91->Caption(), c.name);
  }
  // The pulsar's position also goes to the main window.
  EXPECT_EQ(Form1->Edit39->Text(), Form2->Edit14->Text());
  EXPECT_EQ(Form1->Edit40->Text(), Form2->Edit13->Text());

  // An object not chosen leaves the display alone.
  Form1->TrackedObject = 3;
  Form1->Timer5Timer(nullptr);
  EXPECT_EQ(Form47->Label91->Caption(), "SGR 1935+2154");
}

// The Sun's boxes use "##.##" (no leading zero below 1), the display "#0.00"; the Moon fills
// range, Doppler and degradation and keeps its distance in the main window's state.
TEST_F(TrackingTest, SunAndMoon) {
  StartConfigured();
  Form1->TrackedObject = 2;
  Form1->Timer3Timer(nullptr);
  Astral sun = EngineNow();
  sun.TrackSun();
  EXPECT_EQ(Form2->Edit46->Text(), FormatFloat("##.##", sun.Azimuth));
  EXPECT_EQ(Form2->Edit9->Text(), FormatFloat("##.##", sun.Elevation));
  EXPECT_EQ(Form47->Edit31->Text(), FormatFloat("#0.00", sun.Azimuth));
  EXPECT_EQ(Form47->Label91->Caption(), "Sun");

  Form1->TrackedObject = 1;
  Form1->Timer2Timer(nullptr);
  Astral moon = EngineNow();
  moon.Frequency = 1296.0;
  moon.Elevation = 300.0;
  moon.TrackMoon();
  EXPECT_EQ(Form2->Edit4->Text(), FormatFloat("#0.00", moon.Azimuth));
  EXPECT_EQ(Form2->Edit8->Text(), FormatFloat("#0.00", moon.Elevation));
  EXPECT_EQ(Form2->Edit1->Text(), FormatFloat("#0.00", moon.Doppler));
  EXPECT_EQ(Form2->Edit2->Text(), FormatFloat("#0.0", moon.Distance));
  EXPECT_EQ(Form2->Edit3->Text(), FormatFloat("#0.00", moon.Degradation));
  EXPECT_FLOAT_EQ(Form1->MoonDistance, static_cast<float>(moon.Distance));
  EXPECT_EQ(Form47->Label91->Caption(), "Moon");
}

TEST_F(TrackingTest, AStoredZeroPositionMovesOffZeroAtTheFirstTick) {
  StartConfigured();
  Form1->Location.Latitude = 0;
  Form1->Location.Longitude = 0;
  Form1->Timer2Timer(nullptr);
  EXPECT_EQ(Form1->Location.Latitude, 1e-7);
  EXPECT_EQ(Form1->Location.Longitude, 1e-7);
  EXPECT_NE(Form2->Edit4->Text(), "");
  EXPECT_EQ(Form2->Edit4->Text().find("nan"), std::string::npos);
}

TEST_F(TrackingTest, TrackingWindowsAndHideMainScreen) {
  StartConfigured();
  EXPECT_EQ(Form2->Width(), 302);
  Form1->Show();
  Form1->Button25Click(nullptr);
  EXPECT_TRUE(Form2->Visible());

  // One behaviour, three windows, each with its own flag.
  struct Case {
    TForm* window;
    TButton* hide;
    TButton* exit;
  };
  for (const Case& c :
       {Case{Form2, Form2->Button2, Form2->Button1}, Case{Form13, Form13->Button2, Form13->Button1},
        Case{Form47, Form47->Button1, Form47->Button2}}) {
    SCOPED_TRACE(c.window->Name());
    c.window->Show();
    c.hide->Click();
    EXPECT_FALSE(Form1->Visible());
    EXPECT_EQ(c.hide->Caption(), "Show main screen");
    EXPECT_FALSE(c.exit->Enabled());
    c.hide->Click();
    EXPECT_TRUE(Form1->Visible());
    EXPECT_EQ(c.hide->Caption(), "Hide main screen");
    EXPECT_TRUE(c.exit->Enabled());
    c.exit->Click();
    EXPECT_FALSE(c.window->Visible());
    EXPECT_TRUE(Form1->Visible());
    // Closed by its title bar while the main window is hidden: the main window comes back.
    c.window->Show();
    c.hide->Click();
    c.window->Close();
    EXPECT_TRUE(Form1->Visible());
    EXPECT_EQ(c.hide->Caption(), "Hide main screen");
    EXPECT_TRUE(c.exit->Enabled());
  }

  // "Select object  to track" shows the chooser and the display; a choice sets the code and
  // closes the chooser; the display's "Exit" closes both.
  Form1->Button34Click(nullptr);
  EXPECT_TRUE(Form39->Visible());
  EXPECT_TRUE(Form47->Visible());
  Form39->RadioButton10->Click();
  EXPECT_EQ(Form1->TrackedObject, 10);
  EXPECT_FALSE(Form39->Visible());
  Form39->Show();
  Form47->Button2->Click();
  EXPECT_FALSE(Form47->Visible());
  EXPECT_FALSE(Form39->Visible());
}

TEST_F(TrackingTest, TablesFillTheOneListAndReplaceEachOther) {
  SetTimeZoneForTesting(CentralEuropeanTimeZone());
  SetClockForTesting([] { return UnixTime(2026, 7, 1, 12, 0); });
  StartConfigured();
  SelectPulsar();
  struct Case {
    void (TForm1::*click)(TObject*);
    const char* caption;
    const char* title;
    int rows;
  };
  const Case cases[] = {
      {&TForm1::Button24Click, "24h Pulsar tracking",
       "Next 24 hours Pulsar full tracking table :  J0332+5434 ", 48},
      {&TForm1::Button23Click, "1 Month Pulsar tracking",
       "1 Month Pulsar full tracking table :  J0332+5434 ", 720},
      // Circumpolar from 52 N: the visibility tables are full too.
      {&TForm1::Button18Click, "24h Pulsar visibility",
       "Next 24 hours Pulsar visibility :  J0332+5434 ", 48},
      {&TForm1::Button19Click, "1 Month Pulsar visibility",
       "1 Month Pulsar visibility :  J0332+5434 ", 720},
      {&TForm1::Button24Click, "24h Pulsar tracking",
       "Next 24 hours Pulsar full tracking table :  J0332+5434 ", 48},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    (Form1->*c.click)(nullptr);
    EXPECT_TRUE(Form13->Visible());
    EXPECT_EQ(Form13->Caption(), c.caption);
    EXPECT_EQ(Form13->Label1->Caption(), c.title);
    ASSERT_EQ(Form13->ListView1->Columns()->Count(), 4);
    EXPECT_EQ(Form13->ListView1->Columns()->Items(3)->Caption(), "Elevation  (Deg.)");
    EXPECT_EQ(Form13->ListView1->Columns()->Items(0)->Width(), 200);
    EXPECT_EQ(Form13->ListView1->Columns()->Items(2)->Alignment(), taRightJustify);
    ASSERT_EQ(Form13->ListView1->Items()->Count(), c.rows);
    TListItem* first = Form13->ListView1->Items()->Item(0);
    EXPECT_EQ(first->Caption(), "Wed Jul  1 12:00:00 2026");
    EXPECT_EQ(first->SubItems()->Strings(0), "Wed Jul  1 14:00:00 2026");
    EXPECT_EQ(Form13->Label2->Caption(),
              "Please note that above table is calculated assuming DST ACTIVE (local time = "
              "UTC+02:00)");
  }
  // A pulsar that never rises: an empty visibility table, the note left as it was.
  Form1->SelectedDec = -80;
  Form1->Button18Click(nullptr);
  EXPECT_EQ(Form13->ListView1->Items()->Count(), 0);
  EXPECT_EQ(Form13->Label2->Caption(),
            "Please note that above table is calculated assuming DST ACTIVE (local time = "
            "UTC+02:00)");
}

// Started with a configured site, the clock and the positions update by themselves.
TEST_F(TrackingTest, TheLiveViewRuns) {
  SetClockForTesting(nullptr);  // the real clock
  StartConfigured();
  EXPECT_EQ(Form1->Timer7->Interval(), 1000);
  EXPECT_EQ(Form1->Timer3->Interval(), 1000);
  // The clock ticks once a second; a machine busy with other work may delay a tick, so the
  // wait ends at the second tick or after ten seconds.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  String firstClock;
  while (std::chrono::steady_clock::now() < until) {
    Application->ProcessMessages();
    if (firstClock.empty()) firstClock = Form1->Label58->Caption();
    if (!firstClock.empty() && Form1->Label58->Caption() != firstClock &&
        Form2->Edit46->Text() != "")
      break;
  }
  EXPECT_NE(Form1->Label58->Caption(), "");
  EXPECT_NE(Form1->Label72->Caption(), "");
  EXPECT_NE(Form1->Label58->Caption(), firstClock);  // it ticked at least once more
  EXPECT_NE(Form2->Edit46->Text(), "");
  EXPECT_NE(Form2->Edit8->Text(), "");
  EXPECT_NE(Form2->Edit25->Text(), "");
}
