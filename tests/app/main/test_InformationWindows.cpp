// The "i" buttons, the information windows with their pictures, and the release history.

#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <set>

#include "InfoPictures.h"
#include "InformationWindows.h"
#include "ReleaseHistory.h"
#include "Unit11.h"
#include "Unit12.h"
#include "Unit17.h"
#include "Unit18.h"
#include "Unit19.h"
#include "Unit20.h"
#include "Unit21.h"
#include "Unit23.h"
#include "Unit24.h"
#include "Unit25.h"
#include "Unit26.h"
#include "Unit27.h"
#include "Unit28.h"
#include "Unit29.h"
#include "Unit46.h"
#include "Unit48.h"
#include "Unit49.h"
#include "Unit5.h"
#include "Unit50.h"
#include "Unit51.h"
#include "Unit6.h"
#include "Unit7.h"
#include "Unit8.h"
#include "support_mainwin.h"

#define EACH_INFORMATION_WINDOW(X)                                                               \
  X(5)                                                                                           \
  X(6)                                                                                           \
  X(7)                                                                                           \
  X(8) X(11) X(12) X(17) X(18) X(19) X(20) X(21) X(23) X(24) X(25) X(26) X(27) X(28) X(29) X(46) \
      X(48) X(49) X(50) X(51)

namespace {

// Button, window name and title, as the main window's description and the windows' own
// describe them.
const std::map<std::string, std::pair<std::string, std::string>> Expected = {
    {"Button17", {"Form5", "Ks Sensitivity constant"}},
    {"Button12", {"Form6", "T Sky"}},
    {"Button11", {"Form7", "T Spillover"}},
    {"Button13", {"Form8", "T Atmosphere"}},
    {"Button5", {"Form11", "Effective antenna aperture"}},
    {"Button7", {"Form17", "Far Field"}},
    {"Button8", {"Form18", "Dish Gain"}},
    {"Button10", {"Form19", "T System"}},
    {"Button9", {"Form20", "System noise figure"}},
    {"Button6", {"Form21", "MDS"}},
    {"Button38", {"Form23", "Pulsar Period"}},
    {"Button15", {"Form24", "Pulsar Dispersion measure"}},
    {"Button21", {"Form25", "Pulsar flow @400 MHz"}},
    {"Button22", {"Form26", "Pulsar flow @ 1,400 Mhz"}},
    {"Button14", {"Form27", "Pulsar Max integration bandwidth allowed without de-dispersion"}},
    {"Button27", {"Form28", "Expected system S/N ratio for the specific Pulsar"}},
    {"Button29", {"Form29", "HPBW"}},
    {"Button16", {"Form46", "Pulse width"}},
    {"Button39", {"Form48", "Age"}},
    {"Button37", {"Form49", "Distance"}},
    {"Button40", {"Form50", "G/T ratio"}},
    {"Button41", {"Form51", "Noise floor"}},
    {"Button4", {"Form12", "Revision History"}},
};

bool SamePixels(TBitmap& A, TBitmap& B) {
  if (A.Width() != B.Width() || A.Height() != B.Height()) return false;
  for (int y = 0; y < A.Height(); ++y)
    for (int x = 0; x < A.Width(); ++x)
      if (A.Canvas()->GetPixel(x, y) != B.Canvas()->GetPixel(x, y)) return false;
  return true;
}

}  // namespace

class InformationWindowsTest : public MainWindowTest {
protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    UseRealCatalogue();
    Start();
#define CREATE(N) Form##N = new TForm##N(nullptr);
    EACH_INFORMATION_WINDOW(CREATE)
#undef CREATE
    dialogs->Clear();
  }
  void TearDown() override {
#define DROP(N)   \
  delete Form##N; \
  Form##N = nullptr;
    EACH_INFORMATION_WINDOW(DROP)
#undef DROP
    MainWindowTest::TearDown();
  }
};

TEST_F(InformationWindowsTest, EachButtonShowsItsOwnWindowOnce) {
  ASSERT_EQ(std::size(InformationButtonTable), Expected.size());
  for (const auto& [button, window] : Expected) {
    SCOPED_TRACE(button);
    auto* b = dynamic_cast<TButton*>(Form1->FindComponent(button));
    ASSERT_NE(b, nullptr);
    TForm* shown = InformationWindowOf(b);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->Name(), window.first);
    EXPECT_EQ(shown->Caption(), window.second);
    EXPECT_FALSE(shown->Visible());
    b->Click();
    EXPECT_TRUE(shown->Visible());
    b->Click();  // a second press leaves the one window open
    EXPECT_TRUE(shown->Visible());
    shown->Close();
    EXPECT_FALSE(shown->Visible());
  }
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(InformationWindowsTest, MdsButtonGoesWithTheMdsRowInEvaluationMode) {
  Form1->Button43Click(Form1->Button43);  // System evaluation mode
  EXPECT_FALSE(Form1->Button6->Visible());
  EXPECT_FALSE(Form1->Edit17->Visible());
  Form1->Button47Click(Form1->Button47);  // Pulsar mode
  EXPECT_TRUE(Form1->Button6->Visible());
}

// Each window shows the picture drawn for it from text: the one compiled into the program is
// exactly what the drawing code makes, and no two windows share a picture.
TEST_F(InformationWindowsTest, EachWindowShowsItsOwnReproduciblePicture) {
  ASSERT_EQ(InfoPictures::Windows().size(), 22u);
  std::vector<TBitmap*> seen;
  for (const auto& [button, window] : Expected) {
    if (window.first == "Form12") continue;
    SCOPED_TRACE(window.first);
    TForm* shown = InformationWindowOf(Form1->FindComponent(button));
    auto* image = dynamic_cast<TImage*>(shown->FindComponent("Image1"));
    ASSERT_NE(image, nullptr);
    ASSERT_NE(dynamic_cast<TBevel*>(shown->FindComponent("Bevel1")), nullptr);
    auto* picture = dynamic_cast<TBitmap*>(image->Picture()->Graphic());
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), InfoPictures::PictureWidth);
    EXPECT_EQ(picture->Height(), InfoPictures::PictureHeight);

    TBitmap drawn;
    InfoPictures::Draw(window.first, drawn);
    EXPECT_TRUE(SamePixels(*picture, drawn));
    for (TBitmap* other : seen) EXPECT_FALSE(SamePixels(*picture, *other));
    seen.push_back(picture);
  }
  TBitmap none;
  EXPECT_THROW(InfoPictures::Draw("Form9", none), Exception);
}

// In the sky-noise picture the galactic lines end where they reach the 1 K floor: from 10 GHz
// up nothing blue runs along it. (Drawing it checks that no label covers a line or another
// label.)
TEST(InformationPictures, GalacticLinesEndAtTheFloor) {
  TBitmap sky;
  InfoPictures::Draw("Form6", sky);
  const int floor = InfoPictures::PictureHeight - 48;  // the plot's bottom edge
  int blue = 0;
  for (int y = floor - 4; y <= floor + 1; ++y)
    for (int x = InfoPictures::PictureWidth * 3 / 4; x < InfoPictures::PictureWidth - 20; ++x)
      blue += sky.Canvas()->GetPixel(x, y) == clBlue;
  EXPECT_EQ(blue, 0);
}

// The sky-noise picture is where users read T sky: its galactic lines, read back from the
// drawn pixels through the diagram's own axes, give the measured sky. Away from the galactic
// plane that is about 60 K times the wavelength in metres to the power 2.55; towards the
// galactic centre an order of magnitude and more above it. Each column holds exactly the two
// lines (no label crosses it): the upper is the centre's.
TEST(InformationPictures, GalacticLinesGiveTheMeasuredSkyTemperatures) {
  TBitmap sky;
  InfoPictures::Draw("Form6", sky);
  const InfoPictures::TSkyPlot& plot = InfoPictures::SkyPlot();
  const struct {
    double MHz;
    double ColdSkyK;                 // 60 K * (300 / MHz)^2.55
    double CentreLowK, CentreHighK;  // the galactic centre
  } rows[] = {
      {100, 990, 1e4, 1e5},
      {408, 27, 270, 3000},  // the centre is hundreds of K
      {1420, 1.1, 11, 110},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.MHz);
    const int x = plot.Column(std::log10(r.MHz));
    std::vector<double> lines;  // log10 K of each blue run, top first
    for (int y = plot.Frame.Top; y <= plot.Frame.Bottom; ++y) {
      if (sky.Canvas()->GetPixel(x, y) != clBlue) continue;
      const int first = y;
      while (y + 1 <= plot.Frame.Bottom && sky.Canvas()->GetPixel(x, y + 1) == clBlue) ++y;
      lines.push_back(plot.LogKOfRow((first + y) / 2.0));
    }
    ASSERT_EQ(lines.size(), 2u);
    const double centreK = std::pow(10.0, lines[0]), coldK = std::pow(10.0, lines[1]);
    EXPECT_NEAR(coldK / r.ColdSkyK, 1.0, 0.15) << coldK << " K";
    EXPECT_GE(centreK, r.CentreLowK);
    EXPECT_LE(centreK, r.CentreHighK);
  }
}

// The pictures are drawn where the program is built, and every machine has fonts of its own.
// Under a font configuration that offers other faces under the program's family names
// (DejaVu Serif and Sans Mono faces renamed Liberation Sans and Liberation Serif), none of
// the program's Liberation files, no other font for symbols and another hinting, the build
// tool draws the very pictures the windows show.
TEST_F(InformationWindowsTest, PicturesDoNotDependOnTheMachinesFonts) {
  const std::string text = R"(<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts/truetype/dejavu</dir>
  <cachedir>)" + (dir.path() / "cache").string() +
                           R"(</cachedir>
  <match target="scan">
    <test name="family"><string>DejaVu Serif</string></test>
    <test name="style" compare="contains"><string>Bold</string></test>
    <edit name="family" mode="assign"><string>Liberation Sans</string></edit>
  </match>
  <match target="scan">
    <test name="family"><string>DejaVu Serif</string></test>
    <edit name="family" mode="assign"><string>Liberation Serif</string></edit>
  </match>
  <match target="scan">
    <test name="family"><string>DejaVu Sans Mono</string></test>
    <edit name="family" mode="assign"><string>Liberation Sans</string></edit>
  </match>
  <match target="font">
    <edit name="hintstyle" mode="assign"><const>hintfull</const></edit>
    <edit name="antialias" mode="assign"><bool>true</bool></edit>
  </match>
</fontconfig>
)";
  const std::string config = dir.write("fonts.conf", text).string();
  std::filesystem::create_directory(dir.path() / "drawn");
  const std::string command = "FONTCONFIG_FILE='" + config + "' '" KESTAL_MAKE_PICTURES "' '" +
                              (dir.path() / "drawn").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  for (const auto& [button, window] : Expected) {
    if (window.first == "Form12") continue;
    SCOPED_TRACE(window.first);
    TForm* shown = InformationWindowOf(Form1->FindComponent(button));
    auto* picture = dynamic_cast<TBitmap*>(
        dynamic_cast<TImage*>(shown->FindComponent("Image1"))->Picture()->Graphic());
    ASSERT_NE(picture, nullptr);
    TPicture drawn;
    drawn.LoadFromFile((dir.path() / "drawn" / InfoPictures::FileNameOf(window.first)).string());
    EXPECT_TRUE(SamePixels(*picture, *drawn.Bitmap()));
  }
}

TEST_F(InformationWindowsTest, ReleaseHistoryListsTheReleasesNewestFirst) {
  TListView* list = Form12->ListView1;
  ASSERT_EQ(list->Columns()->Count(), 2);
  EXPECT_EQ(list->Columns()->Items(0)->Caption(), "Date           ");
  EXPECT_EQ(list->Columns()->Items(0)->Width(), 110);
  EXPECT_EQ(list->Columns()->Items(1)->Caption(), "Change");
  EXPECT_EQ(list->Columns()->Items(1)->Width(), 645);
  EXPECT_EQ(list->ViewStyle(), vsReport);
  EXPECT_EQ(Form12->Label26->Caption(), "");

  const auto count = list->Items()->Count();
  ASSERT_EQ(count, 233);
  EXPECT_EQ(list->Items()->Item(0)->SubItems()->Strings(0), "Release 20.0.0");
  EXPECT_EQ(list->Items()->Item(count - 1)->Caption(), "31 May 2016");
  EXPECT_EQ(list->Items()->Item(count - 1)->SubItems()->Strings(0), "First candidate relase");

  // Showing the window again adds nothing.
  Form1->Button4->Click();
  Form12->Close();
  Form1->Button4->Click();
  EXPECT_EQ(list->Items()->Count(), 233);
}

// The rows keep their form: releases with their dates in order, changes of at most 130
// characters, continuation and separator rows with twelve blanks, two rows wholly empty.
TEST(ReleaseHistory, RowsKeepTheirForm) {
  const std::regex release(R"(Release \d+\.\d+\.\d+( BETA)?)");
  const std::regex date(R"((\d{1,2}) ([A-Z][a-z]+) (\d{4}))");
  const std::vector<std::string> months = {"January",   "February", "March",    "April",
                                           "May",       "June",     "July",     "August",
                                           "September", "October",  "November", "December"};
  const std::string blanks(12, ' ');
  int releases = 0, betas = 0, empty = 0, separators = 0;
  long previous = 99999999;
  std::string previousRow = "release";
  for (const TReleaseHistoryRow& row : ReleaseHistory()) {
    const std::string d = row.Date;
    const std::string change = row.Change ? row.Change : "";
    SCOPED_TRACE(d + " | " + change);
    std::smatch m;
    if (!row.Change) {
      EXPECT_TRUE(d.empty() || d == blanks);
      (d.empty() ? empty : separators) += 1;
      previousRow = "separator";
      continue;
    }
    EXPECT_LE(change.size(), 130u);
    if (d == blanks) {  // continues the row above
      EXPECT_NE(previousRow, "separator");
      previousRow = "continuation";
      continue;
    }
    ASSERT_TRUE(std::regex_match(d, m, date));
    const long day = std::stol(m[1]), year = std::stol(m[3]);
    const auto named = std::find(months.begin(), months.end(), m[2].str());
    ASSERT_NE(named, months.end());
    const long month = named - months.begin() + 1;
    const long key = year * 10000 + month * 100 + day;
    if (std::regex_match(change, release)) {
      ++releases;
      betas += change.ends_with(" BETA");
      EXPECT_LT(key, previous);  // newest first
      previous = key;
      previousRow = "release";
    } else {
      EXPECT_NE(previousRow, "separator");  // a change belongs to the release above it
      EXPECT_LE(key, previous);
      previousRow = "change";
    }
  }
  EXPECT_EQ(ReleaseHistory().size(), 233u);
  EXPECT_EQ(releases, 36);
  EXPECT_EQ(betas, 2);
  EXPECT_EQ(empty, 2);
  EXPECT_EQ(separators + empty, releases - 1);
}
