// The main window's input side: every field's validation, the two antenna layouts and the way
// back from "Other antenna" to "Dish antenna", and what the two modes show.

#include "support_mainwin.h"

namespace {

const std::vector<std::string> SmallCatalogue = {
    "J0332+5434;53.247;54.579;0.714520;26.76;6.6;1500;203;1.0;5.53e+06;",
};
const std::string DecimalText = "ERROR: Please use . as decimal separator";

}  // namespace

class InputsTest : public MainWindowTest {
protected:
  void StartConfigured(const std::string& Mode = "DP") {
    dir.write("ATNF.csv", CatalogueText(SmallCatalogue));
    dir.write("KestalDB.txt", ConfigText(ConfigLines(Mode)));
    Start();
    dialogs->Clear();
  }
};

// Every one of the fifteen fields: a comma, an empty field or a word is refused with the
// message and disables SAVE without touching the results; a number enables SAVE and clears them.
TEST_F(InputsTest, EveryFieldRefusesWhatIsNoNumber) {
  StartConfigured();
  struct Field {
    TEdit* edit;
    const char* valid;
  };
  const Field fields[] = {
      {Form1->Edit1, "5"},      {Form1->Edit2, "69"},     {Form1->Edit3, "1"},
      {Form1->Edit4, "1303"},   {Form1->Edit5, "0.23"},   {Form1->Edit6, "38"},
      {Form1->Edit7, "0.1"},    {Form1->Edit8, "0.5"},    {Form1->Edit9, "4"},
      {Form1->Edit11, "18000"}, {Form1->Edit12, "10000"}, {Form1->Edit36, "3000"},
      {Form1->Edit13, "4"},     {Form1->Edit19, "10"},    {Form1->Edit20, "0"}};
  for (const Field& f : fields) {
    SCOPED_TRACE(f.edit->Name());
    Form1->Button1Click(nullptr);
    const std::string tsys = Form1->Edit21->Text();
    ASSERT_NE(tsys, "");
    for (const char* bad : {"1,5", "", "abc", "1.5.2", "nan"}) {
      dialogs->Clear();
      Type(f.edit, bad);
      EXPECT_EQ(BoxTexts(), std::vector<std::string>{DecimalText}) << bad;
      EXPECT_FALSE(Form1->Button3->Enabled());
      EXPECT_EQ(Form1->Edit21->Text(), tsys);
    }
    dialogs->Clear();
    Type(f.edit, f.valid);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(Form1->Button3->Enabled());
    EXPECT_EQ(Form1->Edit21->Text(), "");
  }
}

// A number too large for a double is refused naming the field by the caption of its row; the
// first row's caption follows the antenna.
TEST_F(InputsTest, EveryFieldIsNamedByItsRowWhenItRefusesANumber) {
  StartConfigured();
  const std::pair<TEdit*, const char*> dish[] = {
      {Form1->Edit1, "Dish diameter"},
      {Form1->Edit2, "Dish efficiency"},
      {Form1->Edit3, "Sensitivity constant Ks"},
      {Form1->Edit4, "Frequency"},
      {Form1->Edit5, "LNA noise figure"},
      {Form1->Edit6, "LNA gain"},
      {Form1->Edit7, "Line loss before LNA"},
      {Form1->Edit8, "Line loss after LNA"},
      {Form1->Edit9, "Receiver noise figure"},
      {Form1->Edit11, "Integration time"},
      {Form1->Edit12, "Integration bandwidth"},
      {Form1->Edit13, "T sky"},
      {Form1->Edit19, "T spillover"},
      {Form1->Edit20, "T atmosphere"},
      {Form1->Edit36, "Receiver bandwidth"}};
  auto refusal = [](const std::string& Name) {
    return std::vector<std::string>{"ERROR: " + Name + ": '1e400' is too large a number"};
  };
  for (const auto& [field, name] : dish) {
    SCOPED_TRACE(field->Name());
    dialogs->Clear();
    Type(field, "1e400");
    EXPECT_EQ(BoxTexts(), refusal(name));
  }
  Form1->RadioButton4->SetChecked(true);
  dialogs->Clear();
  Type(Form1->Edit1, "1e400");
  EXPECT_EQ(BoxTexts(), refusal("Antenna gain"));
}

TEST_F(InputsTest, OtherAntennaLayoutAndTheWayBackToTheDish) {
  StartConfigured();
  ASSERT_EQ(Form1->Edit1->Text(), "5");
  Form1->RadioButton4->Click();
  EXPECT_EQ(Form1->Label1->Caption(), "Antenna gain");
  EXPECT_EQ(Form1->Label2->Caption(), "dBi");
  EXPECT_EQ(Form1->Edit1->Text(), "30.00");  // no gain known yet
  EXPECT_EQ(Form1->Edit1->Top(), 245);
  EXPECT_EQ(Form1->Edit15->Top(), 287);
  EXPECT_EQ(Form1->Edit16->Top(), 314);
  EXPECT_FALSE(Form1->Edit2->Visible());
  EXPECT_FALSE(Form1->Edit3->Visible());
  EXPECT_FALSE(Form1->Edit14->Visible());
  EXPECT_FALSE(Form1->Edit27->Visible());
  EXPECT_FALSE(Form1->ComboBox1->Enabled());
  EXPECT_TRUE(Form1->Edit11->Visible());  // pulsar mode: integration rows stay
  EXPECT_TRUE(Form1->Button1->Enabled());
  EXPECT_FALSE(Form1->Button25->Enabled());

  // A gain typed here must not come back as a 41.08 m dish.
  Type(Form1->Edit1, "41.08");
  Form1->RadioButton3->Click();
  EXPECT_EQ(Form1->Label1->Caption(), "Dish diameter");
  EXPECT_EQ(Form1->Label2->Caption(), "m");
  EXPECT_EQ(Form1->Edit1->Text(), "5");
  EXPECT_EQ(Form1->Edit1->Top(), 218);
  EXPECT_EQ(Form1->Edit15->Top(), 180);
  EXPECT_TRUE(Form1->Edit2->Visible());
  EXPECT_TRUE(Form1->Edit27->Visible());

  // A diameter typed before the switch is the one in force.
  Type(Form1->Edit1, "7.5");
  Form1->RadioButton4->Click();
  Form1->RadioButton3->Click();
  EXPECT_EQ(Form1->Edit1->Text(), "7.5");
  EXPECT_TRUE(Boxes().empty());
}

// Started with another antenna, no diameter is known: the dish gets its saved one if any, else
// the first-run default.
TEST_F(InputsTest, DishAfterAStartWithAnotherAntenna) {
  StartConfigured("OP");
  ASSERT_EQ(Form1->Label1->Caption(), "Antenna gain");
  ASSERT_EQ(Form1->Edit1->Text(), "5");  // the stored gain
  Form1->RadioButton3->Click();
  EXPECT_EQ(Form1->Label1->Caption(), "Dish diameter");
  EXPECT_EQ(Form1->Edit1->Text(), "5");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(InputsTest, EvaluationModeShowsTheReceiverBandwidthAndHidesThePulsarSide) {
  StartConfigured("DE");
  ASSERT_EQ(Form1->Label103->Caption(), "System evaluation mode");
  for (TControl* hidden : std::initializer_list<TControl*>{
           Form1->Edit11, Form1->Edit12, Form1->Edit17, Form1->Label58, Form1->Button26}) {
    SCOPED_TRACE(hidden->Name());
    EXPECT_FALSE(hidden->Visible());
  }
  EXPECT_TRUE(Form1->Edit36->Visible());
  EXPECT_FALSE(Form1->Button43->Enabled());
  EXPECT_TRUE(Form1->Button47->Enabled());
  // Switching the antenna in this mode keeps the integration rows hidden.
  Form1->RadioButton4->Click();
  EXPECT_FALSE(Form1->Edit11->Visible());
  Form1->Button47Click(nullptr);
  EXPECT_TRUE(Form1->Edit11->Visible());
  EXPECT_TRUE(Form1->Button26->Visible());
  EXPECT_TRUE(Form1->Label58->Visible());
  EXPECT_FALSE(Form1->Edit36->Visible());
}
