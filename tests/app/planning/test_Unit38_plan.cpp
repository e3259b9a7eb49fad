// The planning windows from the main window: the PLAN grid with the horizon the user entered
// and a day forward or back, notes recorded and shown, the drift-scan positions, a tracking
// plan over chosen dates and interval, the next culminations.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "../main/support_mainwin.h"
#include "ExtCtrls.h"
#include "SysUtils.h"
#include "Unit34.h"
#include "Unit38.h"
#include "Unit40.h"
#include "Unit41.h"

namespace {

const std::vector<std::string> Pulsars = {
    "J0332+5434;53.247;54.579;0.714520;26.76;6.6;1500;203;1.0;5.53e+06;",
    "J1935+1616;293.949;16.278;0.358738;158.52;8.1;242;42;3.7;9.47e+05;",
};

class PlanWindowTest : public MainWindowTest {
protected:
  // The main window at 1303 MHz with two pulsars, CALCULATE pressed, the plan opened (the clock
  // stands at 15 January 2024 12:00 UTC, the zone is UTC).
  void OpenPlan() {
    dir.write("ATNF.csv", CatalogueText(Pulsars));
    dir.write("KestalDB.txt", ConfigText(ConfigLines()));
    Start();
    Form1->Button1Click(Form1->Button1);
    Form1->Button33Click(Form1->Button33);
  }
  TStringGrid* Grid() const { return Form38->StringGrid1; }
  // Releases the mouse over cell (Col, Row) of the plan grid.
  void ClickPlanCell(int Col, int Row) {
    for (int y = 0; y < 400; ++y)
      for (int x = 0; x < 600; x += 5) {
        int c = -1, r = -1;
        Grid()->MouseToCell(x, y, c, r);
        if (c == Col && r == Row) {
          Form38->StringGrid1MouseUp(Grid(), mbLeft, {}, x, y);
          return;
        }
      }
    FAIL() << "no cell " << Col << ", " << Row;
  }
};

}  // namespace

TEST_F(PlanWindowTest, PlanOfTheDayAndTheDayButtons) {
  OpenPlan();
  EXPECT_TRUE(Form38->Visible());
  EXPECT_EQ(Form38->Label1->Caption(), "1303");
  EXPECT_EQ(Form38->Edit1->Text(), "1/15/2024");
  EXPECT_EQ(Form38->Label8->Caption(), "local time (UTC+00:00)");
  ASSERT_EQ(Grid()->RowCount(), 14);
  EXPECT_EQ(Grid()->ColCount(), 27);
  EXPECT_EQ(Grid()->Cells(0, 0), "Object");
  EXPECT_EQ(Grid()->Cells(1, 0), "Detection");
  EXPECT_EQ(Grid()->Cells(2, 0), "S/N");
  EXPECT_EQ(Grid()->Cells(3, 0), "   00");
  EXPECT_EQ(Grid()->Cells(26, 0), "   23");
  EXPECT_EQ(Grid()->ColWidths(0), 90);
  EXPECT_EQ(Grid()->ColWidths(26), 40);
  EXPECT_EQ(Grid()->Cells(0, 1), "Moon");
  EXPECT_EQ(Grid()->Cells(0, 11), "SGR 1935+2154");
  std::set<std::string> pulsars = {Grid()->Cells(0, 12), Grid()->Cells(0, 13)};
  EXPECT_EQ(pulsars, (std::set<std::string>{"J0332+5434", "J1935+1616"}));
  EXPECT_TRUE(std::regex_match(Grid()->Cells(2, 12), std::regex("[0-9]+")));
  // J0332+5434 is circumpolar at 52 N: every hour is filled.
  const int circumpolar = Grid()->Cells(0, 12) == "J0332+5434" ? 12 : 13;
  for (int c = 3; c < 27; ++c)
    EXPECT_TRUE(std::regex_match(Grid()->Cells(c, circumpolar), std::regex("[0-9]+:[0-9]+")));

  Grid()->SetCells(5, 2500, "left over");
  Form38->Button4Click(Form38->Button4);
  EXPECT_EQ(Form38->Edit1->Text(), "1/16/2024");
  EXPECT_EQ(Grid()->Cells(5, 2500), "");
  Form38->Button6Click(Form38->Button6);
  Form38->Button6Click(Form38->Button6);
  EXPECT_EQ(Form38->Edit1->Text(), "1/14/2024");

  Form38->Button3Click(Form38->Button3);
  EXPECT_FALSE(Form38->Visible());
  EXPECT_EQ(Form38->DayOffset, 0);
  EXPECT_FALSE(Form1->Button33->Enabled());
  EXPECT_FALSE(Form1->Button28->Enabled());
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(PlanWindowTest, TheHorizonEnteredTakesEffectAndIsSaved) {
  OpenPlan();
  EXPECT_EQ(Form38->SectorStart[0]->Text(), "0");
  EXPECT_EQ(Form38->SectorEnd[11]->Text(), "360");
  EXPECT_EQ(Form38->SectorStart[11]->Text(), "330");
  for (TEdit* e : Form38->SectorMinimum) e->SetText("90");
  Form38->Button1Click(Form38->Button1);
  for (int r = 1; r < Grid()->RowCount(); ++r)
    for (int c = 3; c < 27; ++c) EXPECT_EQ(Grid()->Cells(c, r), "") << c << " " << r;

  Form38->Button5Click(Form38->Button5);
  THorizonProfile saved = THorizonProfile::Defaults();
  saved.MinEl.fill(90);
  EXPECT_EQ(dir.read("Kestal_horizon.txt"), HorizonFileText(saved));

  // An empty minimum stops both actions with its sector named; the file stays as it was.
  Form38->SectorMinimum[2]->SetText("");
  EXPECT_THROW(
      {
        try {
          Form38->Button5Click(Form38->Button5);
        } catch (const EConvertError& e) {
          EXPECT_EQ(e.Message, "Minimum elevation of sector 3: '' is not a whole number");
          throw;
        }
      },
      EConvertError);
  EXPECT_THROW(Form38->Button1Click(Form38->Button1), EConvertError);
  EXPECT_EQ(dir.read("Kestal_horizon.txt"), HorizonFileText(saved));

  // The next start shows the saved horizon.
  delete Form38;
  Form38 = new TForm38(nullptr);
  EXPECT_EQ(Form38->SectorMinimum[11]->Text(), "90");
  EXPECT_EQ(Form38->HorizonProfile, saved);
}

TEST_F(PlanWindowTest, ADamagedHorizonFileGivesTheDefaultsAndOneNotice) {
  dir.write("Kestal_horizon.txt", "0\n30\nsixty\n");
  OpenPlan();
  EXPECT_EQ(Form38->HorizonProfile, THorizonProfile::Defaults());
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_EQ(BoxTexts()[0],
            "Kestal_horizon.txt, line 3: 'sixty' is not a whole number; the default radio horizon "
            "is used.");
  Form38->Button1Click(Form38->Button1);
  EXPECT_EQ(BoxTexts().size(), 1u);
}

TEST_F(PlanWindowTest, NotesAreRecordedShownAndDeleted) {
  OpenPlan();
  EXPECT_FALSE(Form38->Edit39->Enabled());
  EXPECT_FALSE(Form38->Button8->Enabled());
  EXPECT_FALSE(Form38->Button9->Enabled());
  ClickPlanCell(1, 2);
  EXPECT_EQ(Form38->Edit38->Text(), "Sun");
  EXPECT_EQ(Form38->Edit39->Text(), "Enter note here");
  EXPECT_TRUE(Form38->Button8->Enabled());
  Form38->Button8Click(Form38->Button8);  // the prompt itself
  EXPECT_EQ(Grid()->Cells(1, 2), "Enter note here");
  Form38->Edit39->SetText("seen");
  Form38->Button8Click(Form38->Button8);
  EXPECT_EQ(Grid()->Cells(1, 2), "seen");
  EXPECT_EQ(dir.read("Kestal_captured.txt"), "Sun\r\nEnter note here\r\nSun\r\nseen\r\n");
  Form38->Button4Click(Form38->Button4);  // notes do not depend on the day
  EXPECT_EQ(Grid()->Cells(1, 2), "seen");

  ClickPlanCell(5, 2);
  EXPECT_EQ(Form38->Edit38->Text(), "");
  EXPECT_FALSE(Form38->Button9->Enabled());

  ClickPlanCell(1, 3);
  dialogs->Answer(IDNO);
  Form38->Button9Click(Form38->Button9);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].Text, "Are you sure that you want to delete all notes ?");
  EXPECT_EQ(Boxes()[0].Title, "Pls confirm");
  EXPECT_EQ(Boxes()[0].DefaultButton, IDNO);
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "Kestal_captured.txt"));
  dialogs->Answer(IDYES);
  Form38->Button9Click(Form38->Button9);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "Kestal_captured.txt"));
  EXPECT_EQ(Grid()->Cells(1, 2), "");

  // A notes file that cannot be written is said so; the plan goes on.
  std::filesystem::create_directory(dir.path() / "Kestal_captured.txt");
  Form38->Button8Click(Form38->Button8);
  EXPECT_NE(BoxTexts().back().find("Kestal_captured.txt"), std::string::npos);
  EXPECT_EQ(Grid()->Cells(0, 1), "Moon");
}

TEST_F(PlanWindowTest, DriftScanFromThePlan) {
  OpenPlan();
  Form38->Button2Click(Form38->Button2);
  EXPECT_TRUE(Form40->Visible());
  TStringGrid* g = Form40->StringGrid1;
  EXPECT_EQ(g->Cells(0, 0), "Object");
  EXPECT_EQ(g->Cells(0, 1), "Moon");
  EXPECT_EQ(g->Cells(0, 6), "Sagittarius-A");
  EXPECT_EQ(g->Cells(1, 0), "+10min.(12:10:00)");
  EXPECT_EQ(g->Cells(6, 0), "+120min.(14:00:00)");
  // Cassiopeia is circumpolar at 52 N.
  EXPECT_TRUE(
      std::regex_match(g->Cells(3, 5), std::regex("[0-9]{3}\\.[0-9]{2} : [0-9]{2}\\.[0-9]{2}")));

  Form40->Button2Click(Form40->Button2);
  EXPECT_FALSE(Form1->Visible());
  EXPECT_EQ(Form40->Button2->Caption(), "Show main screen");
  EXPECT_FALSE(Form40->Button1->Enabled());
  Form40->Button2Click(Form40->Button2);
  EXPECT_TRUE(Form1->Visible());
  EXPECT_TRUE(Form40->Button1->Enabled());
  Form40->Button1Click(Form40->Button1);
  EXPECT_FALSE(Form40->Visible());
}

TEST_F(PlanWindowTest, TrackingPlanStepByStep) {
  OpenPlan();
  Form38->Button7Click(Form38->Button7);
  EXPECT_TRUE(Form41->Visible());
  EXPECT_FALSE(Form41->StringGrid1->Visible());
  EXPECT_TRUE(Form41->CalendarPicker1->Enabled());
  EXPECT_FALSE(Form41->CalendarPicker2->Enabled());
  EXPECT_FALSE(Form41->ComboBox1->Enabled());
  EXPECT_FALSE(Form41->Button1->Enabled());

  auto pick = [](TCalendarPicker* Picker, int Y, int M, int D, void (TForm41::*Handler)(TObject*)) {
    Picker->SetDate(EncodeDate(Y, M, D));
    (Form41->*Handler)(Picker);
  };
  pick(Form41->CalendarPicker1, 2024, 1, 15, &TForm41::CalendarPicker1Change);
  EXPECT_FALSE(Form41->CalendarPicker1->Enabled());
  EXPECT_TRUE(Form41->CalendarPicker2->Enabled());
  pick(Form41->CalendarPicker2, 2024, 1, 14, &TForm41::CalendarPicker2Change);
  EXPECT_EQ(BoxTexts().back(), " ERROR : Stop Date must be after Start date");
  EXPECT_TRUE(Form41->CalendarPicker1->Enabled());
  EXPECT_FALSE(Form41->ComboBox1->Enabled());

  pick(Form41->CalendarPicker1, 2024, 1, 1, &TForm41::CalendarPicker1Change);
  pick(Form41->CalendarPicker2, 2024, 12, 31, &TForm41::CalendarPicker2Change);  // 366 days
  EXPECT_EQ(BoxTexts().back(), " ERROR : Max 1 year time window allowed");

  pick(Form41->CalendarPicker1, 2024, 1, 15, &TForm41::CalendarPicker1Change);
  pick(Form41->CalendarPicker2, 2024, 1, 15, &TForm41::CalendarPicker2Change);
  EXPECT_TRUE(Form41->ComboBox1->Enabled());
  Form41->ComboBox1->SetItemIndex(0);
  Form41->ComboBox1Change(Form41->ComboBox1);
  EXPECT_EQ(BoxTexts().back(), "ERROR: Please use dropdown menu");
  EXPECT_TRUE(Form41->ComboBox1->Enabled());
  Form41->ComboBox1->SetItemIndex(5);
  Form41->ComboBox1Change(Form41->ComboBox1);
  EXPECT_EQ(Form41->IntervalMinutes, 60);
  EXPECT_EQ(Form41->RowCount, 24);
  EXPECT_TRUE(Form41->Button1->Enabled());
  EXPECT_FALSE(Form41->ComboBox1->Enabled());

  Form41->Button1Click(Form41->Button1);
  TStringGrid* g = Form41->StringGrid1;
  EXPECT_TRUE(g->Visible());
  ASSERT_EQ(g->RowCount(), 25);
  EXPECT_EQ(g->Cells(0, 0), "Local time");
  EXPECT_EQ(g->Cells(6, 0), "Sgr-A*");
  EXPECT_EQ(g->ColWidths(0), 190);
  EXPECT_EQ(g->Cells(0, 1), "Mon Jan 15 00:00:00 2024");
  EXPECT_EQ(g->Cells(0, 24), "Mon Jan 15 23:00:00 2024");
  EXPECT_EQ(Form41->Label4->Caption(), "Local time = UTC+00:00");
  EXPECT_TRUE(std::regex_match(g->Cells(5, 1), std::regex("[0-9]+ : [0-9]+")));
  for (int r = 1; r <= 24; ++r)
    EXPECT_TRUE(std::regex_match(g->Cells(2, r), std::regex("-|[0-9]+ : -?[0-9]+")));
  EXPECT_TRUE(Form41->CalendarPicker1->Enabled());
  EXPECT_FALSE(Form41->Button1->Enabled());

  // A new plan: the table of the dates before goes with the new start date; the interval
  // chosen before is kept when "Select interval" is chosen.
  pick(Form41->CalendarPicker1, 2025, 1, 1, &TForm41::CalendarPicker1Change);
  EXPECT_FALSE(g->Visible());
  EXPECT_EQ(g->Cells(0, 1), "");
  EXPECT_EQ(Form41->Label4->Caption(), "");
  pick(Form41->CalendarPicker2, 2025, 12, 31, &TForm41::CalendarPicker2Change);
  Form41->ComboBox1->SetItemIndex(1);
  Form41->ComboBox1Change(Form41->ComboBox1);
  Form41->Button1Click(Form41->Button1);
  ASSERT_EQ(g->RowCount(), 525601);
  EXPECT_EQ(g->Cells(0, 525600), "Wed Dec 31 23:59:00 2025");

  // "Cancel", pressed while the year is computed, leaves an empty table and the window usable.
  pick(Form41->CalendarPicker1, 2025, 1, 1, &TForm41::CalendarPicker1Change);
  pick(Form41->CalendarPicker2, 2025, 12, 31, &TForm41::CalendarPicker2Change);
  Form41->ComboBox1->SetItemIndex(1);
  Form41->ComboBox1Change(Form41->ComboBox1);
  TTimer press(nullptr);
  press.SetInterval(1);
  press.OnTimer = [&press](TObject*) {
    EXPECT_TRUE(Form41->Button3->Visible());
    EXPECT_FALSE(Form41->Button2->Enabled());
    Form41->Button3Click(Form41->Button3);
    press.SetEnabled(false);
  };
  press.SetEnabled(true);
  Form41->Button1Click(Form41->Button1);
  EXPECT_EQ(g->RowCount(), 1);
  EXPECT_FALSE(Form41->Button3->Visible());
  EXPECT_TRUE(Form41->Button2->Enabled());
  EXPECT_TRUE(Form41->CalendarPicker1->Enabled());

  Form41->Button2Click(Form41->Button2);
  EXPECT_FALSE(Form41->Visible());
  EXPECT_TRUE(Form1->Visible());
}

TEST_F(PlanWindowTest, CulminationsOfTheSunAndAnObjectThatNeverRises) {
  OpenPlan();
  EXPECT_EQ(Form34->Edit1->Text(), CulminationTexts::NoDaylightSaving);
  EXPECT_EQ(Form34->Edit3->Text(), "Current time Zone Bias : 0 hours");
  Form1->Button32Click(Form1->Button32);
  Form34->Button2Click(Form34->Button2);
  TListView* list = Form34->ListView1;
  ASSERT_EQ(list->Columns()->Count(), 4);
  EXPECT_EQ(list->Columns()->Items(0)->Caption(), "Date Time ( UTC )");
  EXPECT_EQ(list->Columns()->Items(3)->Caption(), "Elevation  (Deg.)");
  ASSERT_EQ(list->Items()->Count(), 30);
  EXPECT_EQ(list->Items()->Item(0)->Caption().substr(0, 13), "Tue Jan 16 11");
  EXPECT_TRUE(std::regex_match(list->Items()->Item(0)->SubItems()->Strings(1),
                               std::regex("1[78][0-9]\\.[0-9]{2}")));
  EXPECT_EQ(list->Items()->Item(29)->Caption().substr(0, 10), "Wed Feb 14");
  const String note =
      "Please note that above table is calculated assuming DST NOT ACTIVE (local time = UTC+00:00)";
  EXPECT_EQ(Form34->Label1->Caption(), note);

  // "PSR" waits for a pulsar picked in the main window, then searches for its position.
  EXPECT_FALSE(Form34->Button7->Enabled());
  TStrings* listed = Form1->ListBox1->Items();
  int pick = -1;
  for (int i = 0; i < listed->Count(); ++i)
    if (listed->Strings(i).find("J0332+5434") != String::npos) pick = i;
  ASSERT_GE(pick, 0);
  Form1->ListBox1->SetItemIndex(pick);
  Form1->ListBox1Click(Form1->ListBox1);
  EXPECT_TRUE(Form34->Button7->Enabled());
  EXPECT_EQ(Form34->Button7->Caption(), "J0332+5434");
  Form34->Button7Click(Form34->Button7);
  EXPECT_EQ(list->Items()->Count(), 30);

  Form1->Location.Latitude = 70;
  Form34->Button6Click(Form34->Button6);
  EXPECT_EQ(list->Items()->Count(), 0);
  EXPECT_EQ(BoxTexts().back(), CulminationTexts::GaveUp);
  EXPECT_EQ(Form34->Label1->Caption(), note);
}
