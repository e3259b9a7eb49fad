#pragma once
// The tracking planner: azimuth and elevation of the eleven planner objects over up to a year
// at a fixed interval, "-" where an object is below the radio horizon. The user goes strictly
// start date, stop date, interval, "Calculate"; each step enables only the next control.

#include "ComCtrls.h"
#include "Forms.h"
#include "Grids.h"
#include "StdCtrls.h"
#include "TrackingPlan.h"

class TForm41 : public TForm {
public:
  explicit TForm41(TComponent* AOwner);
  String ClassName() const override { return "TForm41"; }

  TCalendarPicker* CalendarPicker1 = nullptr;  // start
  TCalendarPicker* CalendarPicker2 = nullptr;  // stop
  TComboBox* ComboBox1 = nullptr;              // interval
  TButton* Button1 = nullptr;                  // Calculate
  TButton* Button2 = nullptr;                  // Exit
  TButton* Button3 = nullptr;                  // Cancel, while calculating
  TLabel* Label4 = nullptr;                    // progress, then the rows' offset from UTC
  TStringGrid* StringGrid1 = nullptr;

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
