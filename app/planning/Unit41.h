#pragma once
// The tracking planner: azimuth and elevation of the eleven planner objects over up to a year
// at a fixed interval, "-" where an object is below the radio horizon. The user goes strictly
// start date, stop date, interval, "Calculate"; each step enables only the next control.

#include "ComCtrls.h"
#include "Forms.h"
#include "Grids.h"
#include "StdCtrls.h"
#include "TrackingPlan.h"

// The controls of the description and the handlers it names (FormParts.h).
// clang-format off
#define KESTAL_UNIT41_PARTS(Controls, Handlers)                                          \
  Controls(TCalendarPicker, CalendarPicker1) /* start */                                 \
  Controls(TCalendarPicker, CalendarPicker2) /* stop */                                  \
  Controls(TComboBox, ComboBox1) /* interval */                                          \
  Controls(TButton, Button1) /* Calculate */                                             \
  Controls(TButton, Button2) /* Exit */                                                  \
  Controls(TButton, Button3) /* Cancel, while calculating */                             \
  Controls(TLabel, Label4) /* progress, then the rows' offset from UTC */                \
  Controls(TStringGrid, StringGrid1)                                                     \
  Handlers(CalendarPicker1Change, CalendarPicker2Change, ComboBox1Change, Button1Click,  \
      Button2Click, Button3Click)
// clang-format on

class TForm41 : public TForm {
public:
  explicit TForm41(TComponent* AOwner);
  String ClassName() const override { return "TForm41"; }

  KESTAL_DECLARE_PARTS(KESTAL_UNIT41_PARTS)

  void CalendarPicker1Change(TObject* Sender);
  void CalendarPicker2Change(TObject* Sender);
  void ComboBox1Change(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Button3Click(TObject* Sender);

  // The PLAN window's "Tracking planner": an empty table, ready for a start date.
  void OpenFromPlan();
  void InitTrackingGrid(int Rows);

  TCalendarDate StartDate, StopDate;
  int Days = 0;
  int IntervalMinutes = 0;  // 0 until first chosen
  int RowCount = 0;         // days x 1440 / interval
  const TTrackingPlan& Plan() const { return FPlan; }

private:
  void ReadyForStartDate();
  TTrackingPlan FPlan;
  bool FCancelled = false;
  bool FCalculating = false;
};

extern TForm41* Form41;
