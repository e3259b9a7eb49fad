// The culmination window's table as the user reads it.
#include <gtest/gtest.h>

#include <regex>

#include "../main/support_mainwin.h"
#include "SysUtils.h"
#include "Unit34.h"

namespace {

class CulminationWindowTest : public MainWindowTest {};

}  // namespace

TEST_F(CulminationWindowTest, AzimuthsAreShownFrom0ToBelow360) {
  // Objects that culminate north of the zenith stand near azimuth 0 at the second found, on
  // either side of it; one that rounds up to 360 is due north and reads 0.00, as the planners
  // show it. The clock stands at 15 January 2024 12:00 UTC.
  struct Case {
    const char* what;
    double latitude;
    void (TForm34::*Click)(TObject*);
    bool dueNorth;  // some rows round up to 360
  } cases[] = {
      {"Cassiopeia-A at 30 N", 30, &TForm34::Button5Click, true},
      {"Cassiopeia-A at 40 N", 40, &TForm34::Button5Click, true},
      {"Cygnus-A at 30 N: 359.97 .. 359.99 stay", 30, &TForm34::Button3Click, false},
      {"the Sun at 52.1 N, near south", 52.1, &TForm34::Button2Click, false},
  };
  dir.write("KestalDB.txt", ConfigText(ConfigLines()));
  Start();
  const std::regex shown("(0|[1-9][0-9]{0,2})\\.[0-9]{2}");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Form1->Location.Latitude = c.latitude;
    (Form34->*c.Click)(nullptr);
    TListView* list = Form34->ListView1;
    ASSERT_EQ(list->Items()->Count(), 30);
    int north = 0;
    for (int i = 0; i < list->Items()->Count(); ++i) {
      const String azimuth = list->Items()->Item(i)->SubItems()->Strings(1);
      EXPECT_TRUE(std::regex_match(azimuth, shown)) << i << ": " << azimuth;
      EXPECT_LT(StrToFloat(azimuth), 360) << i;
      north += azimuth == "0.00";
    }
    EXPECT_EQ(north > 0, c.dueNorth) << north;
  }
}
