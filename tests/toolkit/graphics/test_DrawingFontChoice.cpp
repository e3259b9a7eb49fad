// Which of the program's faces are registered with Qt and which are found as installed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DrawingFontChoice.h"

namespace {

const std::string kDir = "/usr/share/fonts/truetype/liberation2/";
const std::string kRegular = kDir + "LiberationSans-Regular.ttf";
const std::string kBold = kDir + "LiberationSans-Bold.ttf";

const std::vector<TDrawingFace> kOurs = {{kRegular, "Liberation Sans"},
                                         {kBold, "Liberation Sans"}};

// The two faces as a stock configuration lists them.
std::vector<TInstalledFace> Stock() {
  return {{kRegular, 0, {"Liberation Sans"}, 80, 0, 100},
          {kBold, 0, {"Liberation Sans"}, 200, 0, 100}};
}

TInstalledFace Other(const std::string& Family, int Weight, int Slant, int Width) {
  return {"/home/user/.fonts/other.ttf", 0, {Family}, Weight, Slant, Width};
}

}  // namespace

TEST(DrawingFontChoice, OnlyFacesTheMachineDoesNotOfferAsTheyAreAreRegistered) {
  struct TCase {
    const char* What;
    std::vector<TInstalledFace> Installed;
    std::vector<std::size_t> Registered;
  };
  std::vector<TCase> cases = {
      {"a stock machine offers both files under their family", Stock(), {}},
      {"nothing can be listed", {}, {0, 1}},
      {"only the bold file is installed", {Stock()[1]}, {0}},
  };
  {
    auto renamed = Stock();  // a rule of the machine's configuration renamed the regular face
    renamed[0].Families = {"Liberation Sans Local"};
    cases.push_back({"the file is listed under another family", renamed, {0}});
  }
  {
    auto second = Stock();  // the family is only its second name
    second[1].Families = {"Liberation Sans Bold", "Liberation Sans"};
    cases.push_back({"the family is not the first name of the face", second, {1}});
  }
  {
    auto other = Stock();
    other[0].Index = 1;
    cases.push_back({"the file's face is not its first", other, {0}});
  }
  {
    auto installed = Stock();
    installed.push_back(Other("Liberation Sans", 80, 0, 100));
    cases.push_back({"another file offers the regular style", installed, {0}});
  }
  {
    auto installed = Stock();
    installed.push_back(Other("Liberation Sans", 75, 0, 100));  // "Book", as good as regular
    cases.push_back({"another file offers a weight within the span", installed, {0}});
  }
  {
    auto installed = Stock();
    installed.push_back({"/opt/fonts/renamed.ttf", 0, {"Local Sans", "Liberation Sans"}, 200, 0, 100});
    cases.push_back({"another file has the family as a second name, bold", installed, {1}});
  }
  {
    auto installed = Stock();
    installed.push_back(Other("Liberation Sans", 80, 0, 87));  // condensed
    installed.push_back(Other("Liberation Sans", 40, 0, 100));  // extra light
    installed.push_back(Other("Liberation Sans", 80, 100, 100));  // italic
    installed.push_back(Other("Liberation Serif", 80, 0, 100));  // another family
    cases.push_back({"other widths, weights, slants and families do not compete", installed, {}});
  }
  {
    auto installed = Stock();
    TInstalledFace variable = Other("Liberation Sans", -1000, 0, 100);
    variable.Variable = true;
    installed.push_back(variable);
    cases.push_back({"a variable face of the family could stand in for any", installed, {0, 1}});
  }
  {
    auto installed = Stock();
    installed[1].Variable = true;
    // It could stand in for the regular face too.
    cases.push_back({"our own face listed as variable is trusted for neither", installed, {0, 1}});
  }
  for (const TCase& c : cases)
    EXPECT_EQ(FacesToRegister(kOurs, c.Installed), c.Registered) << c.What;
}
