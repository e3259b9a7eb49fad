// The Y-factor window of the Moon and the radio sources, opened from the sun-noise window as the
// user does, with values worked out by hand (see test_NoiseSources for the arithmetic).
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "Dialogs.h"
#include "NetConfig.h"
#include "SysUtils.h"
#include "TestSupport.h"
#include "TimeZone.h"
#include "Unit1.h"
#include "Unit35.h"
#include "Unit36.h"
#include "support_noise.h"

namespace {

using noisetest::ProgramEnded;

class YFactorWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    noisetest::FixSurroundings();
    Form1 = new TForm1(nullptr);
    Form35 = new TForm35(nullptr);
    Form36 = new TForm36(nullptr);
    // 10 m2 effective aperture, Tsys 100 K, the Moon 17.75 days old at 384 400 km.
    Form1->Figures.EffectiveAperture = 10;
    Form1->Figures.Tsys = 100;
    Form1->MoonAge = 17.75f;
    Form1->MoonDistance = 384400;
    SetFrequency(1420);
    dialogs->Clear();
  }
  void TearDown() override { noisetest::CloseWindowsAndRestore(); }
  static void SetFrequency(double MHz) {
    Form1->Receiver.Frequency = MHz;
    Form1->Figures.Wavelength = 300.0 / MHz;
  }
  // "Show Y-factor for all noise sources" on the sun-noise window.
  static void ShowYFactors() { Form35->Button2Click(Form35->Button2); }

  // Flux and Y-factor texts by object.
  static std::map<std::string, std::pair<std::string, std::string>> Shown() {
    const TForm36* f = Form36;
    return {{"Cassiopeia A", {f->Edit21->Text(), f->Edit28->Text()}},
            {"Cygnus A", {f->Edit19->Text(), f->Edit26->Text()}},
            {"Taurus A", {f->Edit20->Text(), f->Edit27->Text()}},
            {"Sagittarius A", {f->Edit22->Text(), f->Edit29->Text()}},
            {"Virgo A", {f->Edit4->Text(), f->Edit3->Text()}},
            {"3C273", {f->Edit1->Text(), f->Edit2->Text()}},
            {"Moon", {f->Edit17->Text(), f->Edit24->Text()}}};
  }

  testsupport::TempDir dir;
  TScopedDialogScript dialogs;
};

}  // namespace

TEST_F(YFactorWindowTest, BuiltWithItsDescription) {
  EXPECT_EQ(Form36->Caption(), "Y-Factor noise ");
  EXPECT_EQ(Form36->Button2->Caption(), "Close");
  EXPECT_EQ(Form36->Button1->Caption(), "Calculate");
  EXPECT_GE(Form36->Button1->Top(), Form36->ClientHeight());  // run from the sun-noise window
  EXPECT_EQ(Form36->CurveFit1->Name(), "CurveFit1");
  EXPECT_FALSE(Form36->Edit21->Enabled());
  EXPECT_EQ(Form36->Edit21->Text(), "");
  EXPECT_GT(Form36->Image1->Picture()->Width(), 0);
  EXPECT_FALSE(Form36->Visible());
  // No strip saying the window is not built.
  for (int i = 0; i < Form36->ComponentCount(); ++i)
    if (auto* l = dynamic_cast<TLabel*>(Form36->Components(i))) {
      EXPECT_EQ(l->Caption().find("not built"), String::npos) << l->Caption();
    }
}

TEST_F(YFactorWindowTest, OpenedFromTheSunNoiseWindowShowsEveryObject) {
  Form36->SetEnabled(false);
  ShowYFactors();
  EXPECT_TRUE(Form36->Visible());
  EXPECT_TRUE(Form36->Enabled());

  const auto shown = Shown();
  // 1420 MHz is a table point of Cassiopeia A; Ta = 10 / 2760 x 1676 = 6.072 K, so
  // Y = 10 log10(1.06072) = 0.256 dB.
  EXPECT_EQ(shown.at("Cassiopeia A"), std::make_pair(std::string("1676"), std::string("0.26")));
  // Between table points, the monotone cubic through the table (test_NoiseSources has the
  // digits).
  for (const auto& [name, texts] : shown) {
    EXPECT_NE(texts.first, "") << name;
    EXPECT_NE(texts.first, "0") << name;
    EXPECT_NE(texts.second, "") << name;
  }
  // The Moon: v = 1 at 17.75 days, T = 242.4 K above 0.03 m; B = 242.4 / 0.21127^2 x 2760 =
  // 1.4989e7 Jy/sr, Omega = 3.14 (1730 / 384400)^2 = 6.3600e-5 sr, S = 953.3 Jy, Ta = 3.454 K,
  // Y = 0.147 dB.
  EXPECT_EQ(shown.at("Moon"), std::make_pair(std::string("953"), std::string("0.15")));
  EXPECT_EQ(Form36->Edit6->Text(), "384400");
  EXPECT_EQ(Form36->Edit5->Text(), "17.75");
  EXPECT_EQ(Form36->Edit7->Text(), "242.4");
  EXPECT_FLOAT_EQ(Form36->Moon.SurfaceTemp, 242.4f);
}

TEST_F(YFactorWindowTest, FrequenciesOutsideTheTables) {
  SetFrequency(245);
  ShowYFactors();
  auto shown = Shown();
  for (const char* name : {"Cassiopeia A", "Cygnus A", "Taurus A", "Virgo A", "Sagittarius A"})
    EXPECT_EQ(shown.at(name), std::make_pair(std::string("0"), std::string("0.00"))) << name;
  EXPECT_NE(shown.at("3C273").first, "0");

  SetFrequency(9000);
  ShowYFactors();
  shown = Shown();
  EXPECT_EQ(shown.at("3C273"), std::make_pair(std::string("0"), std::string("0.00")));
  EXPECT_EQ(shown.at("Cygnus A").first, "186");
  EXPECT_EQ(shown.at("Virgo A").first, "46");
}

TEST_F(YFactorWindowTest, MoonModelAtAndAroundThreeCentimetres) {
  struct Case {
    double frequency;
    const char* temperature;
  };
  // Above 10 000 MHz the short-wave model (240 K at full brightening), at and below it the
  // long-wave one (242.4 K); exactly 10 000 MHz is 0.03 m.
  const Case cases[] = {{20000, "240"}, {10000, "242.4"}, {9999, "242.4"}};
  for (const Case& c : cases) {
    SetFrequency(c.frequency);
    ShowYFactors();
    EXPECT_EQ(Form36->Edit7->Text(), c.temperature) << c.frequency;
  }
  // Whatever ran before: each calculation sets the temperature anew.
  Form1->MoonAge = 10.375f;  // v = 0.6875
  SetFrequency(10000);
  ShowYFactors();
  EXPECT_EQ(Form36->Edit7->Text(), "240.9");
}

TEST_F(YFactorWindowTest, CloseLeavesTheFixedFluxTextsAndACalculationReplacesThem) {
  ShowYFactors();
  const auto computed = Shown();
  Form36->Button2Click(Form36->Button2);
  EXPECT_FALSE(Form36->Visible());
  const auto closed = Shown();
  const std::map<std::string, std::string> closeTexts = {
      {"Moon", "800"},          {"Cygnus A", "1495"},      {"Taurus A", "875"},
      {"Cassiopeia A", "2477"}, {"Sagittarius A", "2010"}, {"3C273", "47"},
      {"Virgo A", "200"}};
  for (const auto& [name, text] : closeTexts) {
    EXPECT_EQ(closed.at(name).first, text) << name;
    EXPECT_EQ(closed.at(name).second, computed.at(name).second) << name;  // Y-factors stay
  }
  ShowYFactors();
  EXPECT_EQ(Shown(), computed);
}

TEST_F(YFactorWindowTest, WithoutTheMoonsDistanceItsFluxStaysEmpty) {
  Form1->MoonDistance = 0;  // the Moon has not been tracked yet
  ShowYFactors();
  EXPECT_EQ(Shown().at("Moon"), std::make_pair(std::string(""), std::string("")));
  EXPECT_EQ(Form36->Edit7->Text(), "242.4");
  EXPECT_EQ(Shown().at("Cassiopeia A").first, "1676");
  EXPECT_EQ(dialogs->Boxes().size(), 0u);
}
