// CALCULATE: the receiving-system figures, the pending sort by expected S/N, the detectable
// list, the stored S/N values; the list selection, the sort dialog, the full list and the
// buttons that open other windows.

#include <algorithm>
#include <clocale>

#include "NetConfig.h"
#include "ReceiverFigures.h"
#include "SysUtils.h"
#include "Unit30.h"
#include "Unit34.h"
#include "Unit35.h"
#include "Unit38.h"
#include "Unit42.h"
#include "support_mainwin.h"

namespace {

const std::string OutsideBandsText =
    "Please note the Pulsar detectability analysis is performed only for following frequency "
    "intervals \n \n390Mhz-500Mhz and 1,000Mhz - 1,500Mhz ";
const std::string SunNoiseText =
    "Please note that the Sun noise is only calculated in the interval 245Mhz - 15400Mhz that are "
    "the limits of NOAA RSTN \n(Radio Solar Telescope Network)";

// Observed from 52.1 N: declinations of 50 and more never set, -80 and below never rise.
const std::vector<std::string> Pulsars = {
    "J1000+0000;150;0;0.5;10;5;-999.99;10;1;1e6;",  // S1400 10 mJy: below the MDS
    "J1100+5000;165;50;0.5;20;5;100;200;2;2e6;",       "J1200+6000;180;60;1.0;30;10;50;80;3;3e6;",
    "J1300+7000;195;70;0.3;40;3;20;40;0.5;4e6;",
    "J1400-8500;210;-85;0.8;50;8;300;300;1;1;",  // never above the horizon
    "J1500+6500;225;65;0.5;50;5;400;100;1.5;-999.99;",
    "J1600+6600;240;66;0.5;0;5;100;-999.99;1;1;",  // DM 0: 400 MHz only
};

std::vector<std::string> ListItems() {
  std::vector<std::string> items;
  for (int i = 0; i < Form1->ListBox1->Items()->Count(); ++i)
    items.push_back(Form1->ListBox1->Items()->Strings(i));
  return items;
}

std::vector<double> Column(TMatrix* M, int Count, int Col) {
  std::vector<double> v;
  for (int r = 1; r <= Count; ++r) v.push_back(M->GetVal(Col, r));
  return v;
}

bool Descending(const std::vector<double>& v) {
  return std::is_sorted(v.begin(), v.end(), std::greater<double>());
}

void Click(TButton* B) { B->Click(); }

int SelectInList(const std::string& Name) {
  const auto items = ListItems();
  const auto it = std::find(items.begin(), items.end(), Name);
  if (it == items.end()) return -1;
  const int ix = static_cast<int>(it - items.begin());
  Form1->ListBox1->SetItemIndex(ix);
  Form1->ListBox1Click(Form1->ListBox1);
  return ix;
}

}  // namespace

class CalculateTest : public MainWindowTest {
protected:
  void StartWith(const std::vector<std::string>& Rows, const std::string& Mode = "DP") {
    dir.write("ATNF.csv", CatalogueText(Rows));
    dir.write("KestalDB.txt", ConfigText(ConfigLines(Mode)));
    Start();
  }
};

TEST_F(CalculateTest, FiguresOfTheFiveMetreDishAt1303MHz) {
  StartWith(Pulsars);
  Click(Form1->Button1);
  EXPECT_TRUE(Boxes().empty());
  const std::pair<TEdit*, const char*> shown[] = {
      {Form1->Edit15, "0.23"},    {Form1->Edit14, "19.63"}, {Form1->Edit10, "35.06"},
      {Form1->Edit16, "13.5"},    {Form1->Edit27, "3.22"},  {Form1->Edit18, "217"},
      {Form1->Edit21, "36.98"},   {Form1->Edit22, "0.52"},  {Form1->Edit34, "19.38"},
      {Form1->Edit35, "-103.46"}, {Form1->Edit17, "17.77"}};
  for (const auto& [field, text] : shown) EXPECT_EQ(field->Text(), text) << field->Name();
  EXPECT_EQ(Form1->Label34->Caption(), "m");
  EXPECT_FALSE(Form1->NotCalculatedYet);
  EXPECT_DOUBLE_EQ(Form1->Receiver.Frequency, 1303);
  EXPECT_NEAR(Form1->Figures.Tsys, 36.98, 0.005);
  EXPECT_NEAR(Form1->Figures.MinimumDetectableSignal, 17.77, 0.005);
  for (TControl* c :
       {static_cast<TControl*>(Form1->ComboBox1), static_cast<TControl*>(Form1->Button20),
        static_cast<TControl*>(Form1->Button28), static_cast<TControl*>(Form1->Button33),
        static_cast<TControl*>(Form1->Button30), static_cast<TControl*>(Form1->Button36)})
    EXPECT_TRUE(c->Enabled()) << c->Name();
  EXPECT_FALSE(Form1->Button32->Enabled());  // culminations wait for a selection
}

TEST_F(CalculateTest, StoresTheExpectedSNOfEveryPulsarAndListsTheDetectableOnes) {
  StartWith(Pulsars);
  Click(Form1->Button1);
  // The 10 mJy pulsar is below the MDS: not listed, but its S/N is stored.
  const auto items = ListItems();
  EXPECT_EQ(std::count(items.begin(), items.end(), "J1000+0000"), 0);
  TMatrix* m = Form1->Matrix_DB_1400Mhz;
  bool found = false;
  for (int r = 1; r <= Form1->Count1400; ++r)
    if (Form1->PulsarNames[20000 + static_cast<int>(m->GetVal(8, r)) - 1] == "J1000+0000") {
      EXPECT_EQ(FormatFloat("0.00", m->GetVal(9, r)), "5.60");
      found = true;
    }
  EXPECT_TRUE(found);
  // The pulsar that never rises is left out while the list shows only those above the horizon.
  EXPECT_EQ(items,
            (std::vector<std::string>{"J1100+5000", "J1500+6500", "J1200+6000", "J1300+7000"}));
  for (size_t i = 0; i < items.size(); ++i)
    EXPECT_EQ(
        Form1->PulsarNames[static_cast<int>(Form1->PulsarTable[11 * Form1->ListRowMap[i] + 7]) - 1],
        items[i]);
}

TEST_F(CalculateTest, AnInputChangeMakesTheNextCalculateSortBothTablesByExpectedSN) {
  StartWith(Pulsars);
  Form42->RadioButton3->SetChecked(true);  // sorted by W50 from an earlier choice
  Click(Form1->Button1);
  for (const char* f : {"1303", "430"}) {
    SCOPED_TRACE(f);
    Type(Form1->Edit4, "");
    dialogs->Clear();
    Type(Form1->Edit4, f);
    EXPECT_EQ(Form1->SortState, 1);
    Click(Form1->Button1);
    EXPECT_EQ(Form1->SortState, 2);
    EXPECT_EQ(Form1->Button36->Caption(), "Sorted by S/N ");
    EXPECT_EQ(Form30->Label1->Caption(), "Sorted by S/N ");
    EXPECT_TRUE(Form42->RadioButton8->Checked());
    EXPECT_FALSE(Form42->Visible());
    EXPECT_TRUE(Descending(Column(Form1->Matrix_DB_1400Mhz, Form1->Count1400, 9)));
    EXPECT_TRUE(Descending(Column(Form1->Matrix_DB_400Mhz, Form1->Count400, 9)));
  }
  // The list follows the table: expected S/N descending.
  std::vector<double> listed;
  for (size_t i = 0; i < ListItems().size(); ++i)
    listed.push_back(Form1->PulsarTable[11 * Form1->ListRowMap[i] + 8]);
  EXPECT_EQ(listed.size(), 5u);
  EXPECT_TRUE(Descending(listed));
}

TEST_F(CalculateTest, FrequenciesOutsideTheBandsAreRefusedInPulsarMode) {
  StartWith(Pulsars);
  Type(Form1->Edit4, "389.9");
  Click(Form1->Button1);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{OutsideBandsText});
  EXPECT_EQ(Form1->Edit15->Text(), "");
  EXPECT_FALSE(Form1->Button33->Enabled());
  EXPECT_FALSE(Form1->Button30->Enabled());
  EXPECT_FALSE(Form1->NotCalculatedYet);
  TearDown();
  dialogs->Clear();

  // In "System evaluation mode" every frequency is computed.
  StartWith(Pulsars, "DE");
  Type(Form1->Edit4, "144");
  Click(Form1->Button44);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Form1->Edit15->Text(), "2.08");
}

TEST_F(CalculateTest, ABandLimitIsComputedButSelectsNoPulsars) {
  StartWith(Pulsars);
  Click(Form1->Button1);
  auto values1400 = Column(Form1->Matrix_DB_1400Mhz, Form1->Count1400, 9);
  auto values400 = Column(Form1->Matrix_DB_400Mhz, Form1->Count400, 9);
  Type(Form1->Edit4, "500");
  Click(Form1->Button1);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Form1->Edit15->Text(), "0.60");
  EXPECT_TRUE(ListItems().empty());
  auto after1400 = Column(Form1->Matrix_DB_1400Mhz, Form1->Count1400, 9);
  std::sort(values1400.begin(), values1400.end());
  std::sort(after1400.begin(), after1400.end());
  EXPECT_EQ(after1400, values1400);  // re-sorted, not recomputed
  EXPECT_EQ(Column(Form1->Matrix_DB_400Mhz, Form1->Count400, 9), values400);
}

TEST_F(CalculateTest, WithNoCandidateAboveTheHorizonTheListIsEmpty) {
  StartWith(
      {"J1400-8500;210;-85;0.8;50;8;300;300;1;1;", "J1401-8000;211;-80;0.8;50;8;300;250;1;1;"});
  Click(Form1->Button1);
  EXPECT_TRUE(ListItems().empty());
  EXPECT_DOUBLE_EQ(Form1->SelectedRA, 211.0 / 15);
  EXPECT_DOUBLE_EQ(Form1->SelectedDec, -80);

  Click(Form1->Button20);  // "All"
  EXPECT_EQ(Form1->Button20->Caption(), "All");
  EXPECT_EQ(ListItems(), (std::vector<std::string>{"J1400-8500", "J1401-8000"}));
  Click(Form1->Button20);
  EXPECT_EQ(Form1->Button20->Caption(), "Above horizon");
  EXPECT_TRUE(ListItems().empty());
}

// A figure or an S/N that would not be finite: the message, no list, no stored S/N.
TEST_F(CalculateTest, UndefinedResultsAreReportedAndNothingIsStored) {
  struct Case {
    TEdit* (*field)();
    const char* text;
  } cases[] = {
      {[] { return Form1->Edit11; }, "0"},      // integration time: the MDS
      {[] { return Form1->Edit11; }, "1e308"},  // integration time: the S/N alone
      {[] { return Form1->Edit1; }, "1e150"},   // dish diameter: the S/N alone
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    StartWith(Pulsars);
    Type(c.field(), c.text);
    dialogs->Clear();
    Click(Form1->Button1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{UndefinedFiguresMessage});
    EXPECT_TRUE(ListItems().empty());
    EXPECT_EQ(Column(Form1->Matrix_DB_1400Mhz, Form1->Count1400, 9),
              std::vector<double>(Form1->Count1400, -1.0));
    TearDown();
  }
}

TEST_F(CalculateTest, AFieldThatDoesNotConvertStopsCalculate) {
  StartWith(Pulsars);
  Type(Form1->Edit9, "4,0");
  dialogs->Clear();
  EXPECT_THROW(Click(Form1->Button1), EConvertError);
}

TEST_F(CalculateTest, ThresholdChangeRecalculatesWithTheNewThreshold) {
  StartWith(Pulsars);
  Click(Form1->Button1);
  const size_t before = ListItems().size();
  Form1->ComboBox1->SetItemIndex(4);
  Form1->ComboBox1Change(Form1->ComboBox1);
  EXPECT_EQ(Form1->MinimumSN, 30);
  EXPECT_LT(ListItems().size(), before);
  EXPECT_EQ(Form1->Edit17->Text(), "17.77");
  Form1->ComboBox1->SetItemIndex(0);
  Form1->ComboBox1Change(Form1->ComboBox1);
  EXPECT_EQ(Form1->MinimumSN, 6);
}

TEST_F(CalculateTest, PickingAPulsarShowsItsDataAndStartsItsTracking) {
  StartWith(Pulsars);
  Click(Form1->Button1);
  ASSERT_GE(SelectInList("J1500+6500"), 0);
  EXPECT_EQ(Form1->Edit44->Text(), "225.00");
  EXPECT_EQ(Form1->Edit45->Text(), "65.00");
  EXPECT_EQ(Form1->Edit24->Text(), "5.0");
  EXPECT_EQ(Form1->Edit23->Text(), "0.50000");
  EXPECT_EQ(Form1->Edit25->Text(), "50.00");
  EXPECT_EQ(Form1->Edit29->Text(), "400.0");
  EXPECT_EQ(Form1->Edit30->Text(), "100.0");
  EXPECT_EQ(Form1->Edit31->Text(), "1.50");
  EXPECT_EQ(Form1->Edit32->Text(), "4892.3");
  EXPECT_EQ(Form1->Edit33->Text(), "-1.00e+03");  // a missing age is formatted like any value
  EXPECT_EQ(Form1->Edit26->Text(), "14");
  EXPECT_EQ(Form1->Label51->Caption(), "Mhz");
  EXPECT_EQ(Form1->Edit28->Text(),
            FormatFloat("#0.0", ExpectedSN(100, 5, 0.5, 10000, 18000,
                                           Form1->Figures.EffectiveAperture, Form1->Figures.Tsys)));
  EXPECT_EQ(Form1->Timer1->Interval(), 1000);
  EXPECT_DOUBLE_EQ(Form1->SelectedRA, 15);
  EXPECT_DOUBLE_EQ(Form1->SelectedDec, 65);
  EXPECT_EQ(Form1->PulsarNames[Form1->SelectedNameIndex - 1], "J1500+6500");
  EXPECT_EQ(Form34->Button7->Caption(), "J1500+6500");
  for (TButton* b : {Form1->Button18, Form1->Button19, Form1->Button23, Form1->Button24,
                     Form1->Button25, Form1->Button32, Form1->Button34})
    EXPECT_TRUE(b->Enabled()) << b->Name();

  Type(Form1->Edit4, "430");
  Click(Form1->Button1);
  ASSERT_GE(SelectInList("J1500+6500"), 0);
  EXPECT_EQ(Form1->Edit26->Text(), "480");
  EXPECT_EQ(Form1->Label51->Caption(), "Khz");
  ASSERT_GE(SelectInList("J1600+6600"), 0);
  EXPECT_EQ(Form1->Edit26->Text(), "Any !");
}

TEST_F(CalculateTest, TheStrongNorthernPulsarsOfTheRealCatalogue) {
  StartThreeMetreDishAt1420WithTheRealCatalogue();
  int hoursWithB0950 = 0;
  for (double hour : {0.0, 6.0, 12.0, 18.0}) {
    SCOPED_TRACE(hour);
    SetClockForTesting([hour] { return UnixTime(2024, 1, 15, 0) + hour * 3600; });
    Click(Form1->Button1);
    const auto items = ListItems();
    // B0329+54 never sets at 52 N; Vela never rises there; B0950+08 rises and sets.
    EXPECT_NE(std::find(items.begin(), items.end(), "B0329+54"), items.end());
    EXPECT_EQ(std::find(items.begin(), items.end(), "B0833-45"), items.end());
    hoursWithB0950 += std::count(items.begin(), items.end(), "B0950+08");
  }
  EXPECT_GT(hoursWithB0950, 0);
  EXPECT_LT(hoursWithB0950, 4);
  Click(Form1->Button20);  // all pulsars, above the horizon or not
  const auto all = ListItems();
  // Above S/N 10 with a 3 m dish: the few strongest pulsars of the sky, strongest first.
  EXPECT_EQ(all, (std::vector<std::string>{"B0833-45", "B1641-45", "B0329+54", "J0437-4715",
                                           "B0950+08"}));

  ASSERT_GE(SelectInList("B0329+54"), 0);
  EXPECT_EQ(Form1->Edit44->Text(), "53.25");
  EXPECT_EQ(Form1->Edit45->Text(), "54.58");
  EXPECT_EQ(Form1->Edit25->Text(), "26.76");
  EXPECT_EQ(Form1->Edit30->Text(), "203.0");
  EXPECT_EQ(Form1->Edit33->Text(), "5.53e+06");
}

// The catalogue, the configuration and the shown figures use "." whatever the user's locale
// says; under a comma locale every catalogue number would otherwise read as a name.
TEST_F(CalculateTest, ACommaDecimalLocaleChangesNothing) {
  if (testsupport::UseCommaDecimalLocale().empty())
    GTEST_SKIP() << "no comma-decimal locale can be made";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  StartThreeMetreDishAt1420WithTheRealCatalogue();
  Click(Form1->Button20);
  const auto all = ListItems();
  const std::string dishArea = Form1->Edit14->Text();
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(all, (std::vector<std::string>{"B0833-45", "B1641-45", "B0329+54", "J0437-4715",
                                           "B0950+08"}));
  EXPECT_EQ(dishArea, "7.07");
}

TEST_F(CalculateTest, SortChoicesReorderBothTablesAndTheList) {
  StartWith(Pulsars);
  Click(Form1->Button1);
  Form1->Button36Click(Form1->Button36);
  EXPECT_TRUE(Form42->Visible());

  struct Choice {
    TRadioButton* Button;
    int Column;
    bool Ascending;
    const char* Caption;
  } choices[] = {{Form42->RadioButton6, 5, false, "Sorted by S400 "},
                 {Form42->RadioButton1, 1, true, "Sorted by RAJD "},
                 {Form42->RadioButton2, 2, true, "Sorted by DECJD "},
                 {Form42->RadioButton3, 4, true, "Sorted by W50 "},
                 {Form42->RadioButton4, 7, true, "Sorted by P0 "},
                 {Form42->RadioButton5, 3, true, "Sorted by DM "},
                 {Form42->RadioButton7, 6, false, "Sorted by S1400 "},
                 {Form42->RadioButton10, 10, false, "Sorted by Distance "},
                 {Form42->RadioButton11, 11, false, "Sorted by Age "},
                 {Form42->RadioButton8, 9, false, "Sorted by S/N "},
                 {Form42->RadioButton9, 8, true, "Sorted by Name "}};
  for (const Choice& c : choices) {
    SCOPED_TRACE(c.Caption);
    Form42->Show();
    c.Button->SetChecked(true);
    EXPECT_EQ(Form1->Button36->Caption(), c.Caption);
    EXPECT_EQ(Form30->Label1->Caption(), c.Caption);
    EXPECT_EQ(Form1->SortState, 2);
    EXPECT_FALSE(Form42->Visible());
    for (TMatrix* m : {Form1->Matrix_DB_400Mhz, Form1->Matrix_DB_1400Mhz}) {
      auto key =
          Column(m, m == Form1->Matrix_DB_400Mhz ? Form1->Count400 : Form1->Count1400, c.Column);
      if (c.Ascending) std::reverse(key.begin(), key.end());
      EXPECT_TRUE(Descending(key));
    }
    if (c.Column == 5) {
      EXPECT_EQ(ListItems().front(), "J1500+6500");  // brightest S400 listed
    }
  }
  // Name order is the import order.
  EXPECT_EQ(ListItems(),
            (std::vector<std::string>{"J1100+5000", "J1200+6000", "J1300+7000", "J1500+6500"}));
}

TEST_F(CalculateTest, TheFullListShowsEveryPulsarOfTheBand) {
  StartWith(Pulsars);
  Click(Form1->Button1);
  Click(Form1->Button28);
  EXPECT_TRUE(Form30->Visible());
  EXPECT_EQ(Form30->Caption(), "Pulsar list derived from ATNF Catalogue " +
                                   NetConfig().CatalogueURL + "/research/pulsar/psrcat/");
  EXPECT_EQ(Form30->Label2->Caption(), "1303");
  EXPECT_EQ(Form1->Timer1->Interval(), 1);
  TListView* list = Form30->ListView1;
  const std::pair<const char*, int> columns[] = {{" ", 1},
                                                 {"PSR #", 45},
                                                 {"PSR name", 95},
                                                 {"RA(Deg)", 80},
                                                 {"DEC(Deg)", 70},
                                                 {"DM(cm^-3 pc)", 85},
                                                 {"W50(ms)", 80},
                                                 {"S400(mJy)", 80},
                                                 {"S1400(mJy)", 80},
                                                 {"Barycentric Period(sec.)", 145},
                                                 {"Distance (kpc)", 90},
                                                 {"Age (years)", 80},
                                                 {"Expected S/N", 90}};
  ASSERT_EQ(list->Columns()->Count(), 13);
  for (int i = 0; i < 13; ++i) {
    EXPECT_EQ(list->Columns()->Items(i)->Caption(), columns[i].first);
    EXPECT_EQ(list->Columns()->Items(i)->Width(), columns[i].second);
    EXPECT_EQ(list->Columns()->Items(i)->Alignment(), i < 3 ? taLeftJustify : taRightJustify);
  }
  ASSERT_EQ(list->Items()->Count(), Form1->Count1400);
  for (int i = 0; i < list->Items()->Count(); ++i)
    EXPECT_EQ(list->Items()->Item(i)->SubItems()->Strings(0), std::to_string(i));
  // The row of the 10 mJy pulsar: no S400, its stored S/N.
  for (int i = 0; i < list->Items()->Count(); ++i) {
    TStrings* s = list->Items()->Item(i)->SubItems();
    if (s->Strings(1) != "J1000+0000") continue;
    EXPECT_EQ(s->Strings(2), "150.0000");
    EXPECT_EQ(s->Strings(6), "*");
    EXPECT_EQ(s->Strings(7), "10.00");
    EXPECT_EQ(s->Strings(8), "0.50000000");
    EXPECT_EQ(s->Strings(10), "1.00e+06");
    EXPECT_EQ(s->Strings(11), "5.601");
  }
  // A selection hides it; its "Exit" too.
  Click(Form1->Button28);
  SelectInList("J1100+5000");
  EXPECT_FALSE(Form30->Visible());
  Click(Form1->Button28);
  Form30->Button2Click(Form30->Button2);
  EXPECT_FALSE(Form30->Visible());
}

// A mode switch keeps the results, the list and the sort order; the full list shows only a
// table that CALCULATE filled for the band of the frequency: never an empty table (name index
// 0 would read the name at -1) nor the other band's table.
TEST_F(CalculateTest, ModeSwitchesKeepTheResultsAndTheFullListNeverShowsAnUnfilledTable) {
  struct Step {
    enum { Pulsar, Evaluation, Calculate, SetFrequency } Kind;
    const char* Frequency;
  };
  struct Case {
    const char* Name;
    const char* Mode;
    std::vector<Step> Steps;
    bool Band400;  // the list, when not empty, is the 400 MHz table
    bool Empty;
  } cases[] = {
      {"a pulsar-mode list through two switches",
       "DP",
       {{Step::Calculate, nullptr}, {Step::Evaluation, nullptr}, {Step::Pulsar, nullptr}},
       false,
       false},
      {"calculated in evaluation mode only",
       "DE",
       {{Step::Calculate, nullptr}, {Step::Pulsar, nullptr}},
       false,
       true},
      {"430 MHz table, then 1303 MHz in evaluation mode",
       "DP",
       {{Step::SetFrequency, "430"},
        {Step::Calculate, nullptr},
        {Step::Evaluation, nullptr},
        {Step::SetFrequency, "1303"},
        {Step::Calculate, nullptr},
        {Step::Pulsar, nullptr}},
       false,
       true},
      {"and calculated again in pulsar mode",
       "DP",
       {{Step::SetFrequency, "430"},
        {Step::Calculate, nullptr},
        {Step::Evaluation, nullptr},
        {Step::SetFrequency, "1303"},
        {Step::Calculate, nullptr},
        {Step::Pulsar, nullptr},
        {Step::Calculate, nullptr}},
       false,
       false},
      {"between the bands the last table stays",
       "DP",
       {{Step::SetFrequency, "430"},
        {Step::Calculate, nullptr},
        {Step::Evaluation, nullptr},
        {Step::SetFrequency, "700"},
        {Step::Calculate, nullptr}},
       true,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    StartWith(Pulsars, c.Mode);
    for (const Step& step : c.Steps) {
      const auto items = ListItems();
      const std::string tsys = Form1->Edit21->Text();
      const int sortState = Form1->SortState;
      const bool fullList = Form1->Button28->Enabled();
      switch (step.Kind) {
        case Step::Pulsar: Form1->Button47Click(Form1->Button47); break;
        case Step::Evaluation: Form1->Button43Click(Form1->Button43); break;
        case Step::Calculate: Form1->Button1Click(Form1->Button1); break;
        case Step::SetFrequency: Type(Form1->Edit4, step.Frequency); break;
      }
      if (step.Kind == Step::Pulsar || step.Kind == Step::Evaluation) {
        EXPECT_EQ(ListItems(), items);
        EXPECT_EQ(Form1->Edit21->Text(), tsys);
        EXPECT_EQ(Form1->SortState, sortState);
        EXPECT_EQ(Form1->Button28->Enabled(), fullList);
      }
    }
    Form1->Button28Click(Form1->Button28);
    TListView* list = Form30->ListView1;
    const int want = c.Empty ? 0 : c.Band400 ? Form1->Count400 : Form1->Count1400;
    ASSERT_EQ(list->Items()->Count(), want);
    const std::vector<String> names = {"J1100+5000", "J1200+6000", "J1300+7000",
                                       "J1400-8500", "J1500+6500", "J1600+6600"};  // S400 > 0
    for (int i = 0; i < list->Items()->Count(); ++i) {
      const String name = list->Items()->Item(i)->SubItems()->Strings(1);
      EXPECT_FALSE(name.empty()) << i;
      if (c.Band400) {
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
      } else {
        EXPECT_NE(name, "J1600+6600");  // DM 0: not in the 1400 MHz table
      }
    }
    dialogs->Clear();
    TearDown();
  }
}

TEST_F(CalculateTest, SunNoiseButtonChecksTheRangeOnlyInEvaluationMode) {
  StartWith(Pulsars, "DE");
  Type(Form1->Edit4, "20000");
  Click(Form1->Button1);
  Form1->Button30Click(Form1->Button30);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{SunNoiseText});
  EXPECT_FALSE(Form35->Visible());
  EXPECT_FALSE(Form1->Button30->Enabled());
  EXPECT_DOUBLE_EQ(Form1->Receiver.Frequency, 20000);
  dialogs->Clear();

  Form1->Button47Click(Form1->Button47);
  Form35->StringGrid1->SetCells(12, 11, "x");
  Form35->Edit2->SetText("1.5");
  Form1->Button30Click(Form1->Button30);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(Form35->Visible());
  EXPECT_EQ(Form35->StringGrid1->Cells(12, 11), "");
  EXPECT_EQ(Form35->Edit2->Text(), "");
}

TEST_F(CalculateTest, CulminationsAndPlanOpenTheirWindows) {
  StartWith(Pulsars);
  Click(Form1->Button1);
  Form34->ListView1->Columns()->Add();
  Form34->ListView1->Items()->Add();
  Form1->Button32Click(Form1->Button32);
  EXPECT_EQ(Form34->Caption(), "Next 30 culminations - THIS CAN TAKE SOME TIME !");
  EXPECT_EQ(Form34->ListView1->Columns()->Count(), 0);
  EXPECT_EQ(Form34->ListView1->Items()->Count(), 0);
  EXPECT_TRUE(Form34->Visible());

  Form38->SetCaption("x");
  Click(Form1->Button33);
  EXPECT_EQ(Form38->Caption(), "PLAN Observation");
  EXPECT_TRUE(Form38->Visible());
}

// Which controls each mode shows, and that the window narrows to the evaluation part with the
// pulsar frame moved out of sight; where everything lies is the layout test's to guard.
TEST_F(CalculateTest, ModesMoveTheControls) {
  StartWith(Pulsars);
  Form1->Button43Click(Form1->Button43);
  EXPECT_EQ(Form1->Label103->Caption(), "System evaluation mode");
  const int evaluationWidth = Form1->Width();
  EXPECT_TRUE(Form1->Button44->Visible());
  EXPECT_TRUE(Form1->Edit36->Visible());
  EXPECT_FALSE(Form1->Edit11->Visible());
  EXPECT_FALSE(Form1->Edit17->Visible());
  EXPECT_GE(Form1->Bevel2->Left(), Form1->ClientWidth());
  Form1->Button47Click(Form1->Button47);
  EXPECT_EQ(Form1->Label103->Caption(), "Pulsar mode");
  EXPECT_GT(Form1->Width(), evaluationWidth);
  EXPECT_FALSE(Form1->Button44->Visible());
  EXPECT_FALSE(Form1->Edit36->Visible());
  EXPECT_TRUE(Form1->Edit11->Visible());
  EXPECT_LT(Form1->Bevel2->Left(), Form1->ClientWidth());
}
