#include "Unit41.h"

#include <cmath>

#include "Dialogs.h"
#include "SysUtils.h"
#include "MainWindow.h"
#include "Unit38.h"

TForm41* Form41 = nullptr;

namespace {

constexpr int TimeColumn = 0;
constexpr int TimeColumnWidth = 190;
constexpr int HeaderRows = 1;
constexpr int InitialRows = 100;
// Column widths of the objects, in column order.
constexpr int ObjectColumnWidths[PlannerObjectCount] = {80, 80, 80, 80, 80, 80, 70, 90, 80, 90, 90};
// Interval list: item index -> minutes (item 0 "Select interval" changes nothing).
constexpr int IntervalOfItem[] = {0, 1, 5, 10, 30, 60};
const char* const IntervalItems[] = {"Select interval", "1 minute",   "5 minutes",
                                     "10 minutes",      "30 minutes", "60 minutes"};

TCalendarDate DateOf(TDateTime Value) {
  Word y = 0, m = 0, d = 0;
  DecodeDate(Value, y, m, d);
  return {y, m, d};
}

}  // namespace

TForm41::TForm41(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_LOAD_PARTS("Unit41", KESTAL_UNIT41_PARTS);
  for (const char* item : IntervalItems) ComboBox1->Items()->Add(item);
  ComboBox1->SetText("Select");
  ReadyForStartDate();
  StringGrid1->SetVisible(false);
}

void TForm41::ReadyForStartDate() {
  CalendarPicker1->SetEnabled(true);
  CalendarPicker2->SetEnabled(false);
  ComboBox1->SetEnabled(false);
  Button1->SetEnabled(false);
}

void TForm41::InitTrackingGrid(int Rows) {
  StringGrid1->SetCellTextProvider(nullptr);
  FPlan.Clear();
  StringGrid1->ClearCells();
  StringGrid1->SetRowCount(HeaderRows + Rows);
  StringGrid1->SetCells(TimeColumn, 0, "Local time");
  StringGrid1->SetColWidths(TimeColumn, TimeColumnWidth);
  for (int c = 1; c <= PlannerObjectCount; ++c) {
    StringGrid1->SetCells(c, 0, TrackingColumnNames()[static_cast<size_t>(c - 1)]);
    StringGrid1->SetColWidths(c, ObjectColumnWidths[c - 1]);
  }
}

void TForm41::OpenFromPlan() {
  if (FCalculating) {  // the PLAN window stays usable while a table is computed
    Show();
    return;
  }
  Refresh();
  InitTrackingGrid(InitialRows);
  StringGrid1->SetVisible(false);
  ReadyForStartDate();
  Show();
}

void TForm41::CalendarPicker1Change(TObject* Sender) {
  // A new start date begins a new table: the one on screen belongs to the dates before.
  InitTrackingGrid(InitialRows);
  StringGrid1->SetVisible(false);
  Label4->SetCaption("");
  StartDate = DateOf(CalendarPicker1->Date());
  CalendarPicker1->SetEnabled(false);
  CalendarPicker2->SetEnabled(true);
}

void TForm41::CalendarPicker2Change(TObject* Sender) {
  StopDate = DateOf(CalendarPicker2->Date());
  Days = static_cast<int>(std::trunc(CalendarPicker2->Date() - CalendarPicker1->Date())) + 1;
  ComboBox1->SetItemIndex(0);
  if (Days < 1 || Days > MaxTrackingDays) {
    ShowMessage(Days < 1 ? TrackingTexts::StopBeforeStart : TrackingTexts::WindowTooLong);
    ReadyForStartDate();
    return;
  }
  CalendarPicker1->SetEnabled(false);
  CalendarPicker2->SetEnabled(false);
  ComboBox1->SetEnabled(true);
}

void TForm41::ComboBox1Change(TObject* Sender) {
  const int item = ComboBox1->ItemIndex();
  if (item >= 1 && item < static_cast<int>(std::size(IntervalOfItem)))
    IntervalMinutes = IntervalOfItem[item];
  if (IntervalMinutes == 0) {
    ShowMessage(TrackingTexts::ChooseInterval);
    return;
  }
  RowCount = TrackingRowEstimate(Days, IntervalMinutes);
  StringGrid1->SetRowCount(RowCount + HeaderRows);
  CalendarPicker1->SetEnabled(false);
  CalendarPicker2->SetEnabled(false);
  ComboBox1->SetEnabled(false);
  Button1->SetEnabled(true);
}

void TForm41::Button1Click(TObject* Sender) {
  StringGrid1->SetVisible(true);
  InitTrackingGrid(RowCount);
  Button1->SetEnabled(false);
  Button2->SetEnabled(false);

  TTrackingRequest request;
  request.Observer = {MainWindow->Location.Latitude, MainWindow->Location.Longitude};
  request.Start = StartDate;
  request.Stop = StopDate;
  request.IntervalMinutes = IntervalMinutes;
  request.Horizon = Form38->HorizonProfile;
  FCancelled = false;
  FCalculating = true;
  Button3->SetVisible(true);
  TTrackingPlan plan;
  const bool done = ComputeTrackingPlan(request, plan, [this](double Done) {
    Label4->SetCaption("Calculating ... " + IntToStr(static_cast<int>(Done * 100)) + " %");
    Application->ProcessMessages();
    return !FCancelled;
  });
  FCalculating = false;
  FPlan = std::move(plan);
  Button3->SetVisible(false);
  Label4->SetCaption(done ? FPlan.LocalTimeNote() : String());
  Button2->SetEnabled(true);

  // The grid takes the rows produced: one hour fewer or more than the estimate when daylight
  // time starts or ends inside the window.
  StringGrid1->SetRowCount(HeaderRows + (done ? FPlan.RowCount() : 0));
  StringGrid1->SetCellTextProvider([this](int Col, int Row, String& Text) {
    if (Row < HeaderRows || Col > PlannerObjectCount) return false;
    const int r = Row - HeaderRows;
    if (r >= FPlan.RowCount()) return false;
    if (Col != TimeColumn) {
      Text = FPlan.CellText(r, Col);
    } else {
      // Without the line feed of the C date text: a grid cell is one line.
      Text = FPlan.TimeText(r);
      if (!Text.empty() && Text.back() == '\n') Text.pop_back();
    }
    return true;
  });
  ReadyForStartDate();
  StringGrid1->SetTopRow(HeaderRows);
}

void TForm41::Button2Click(TObject* Sender) {
  Hide();
  MainWindow->ShowMainWindow();
}

void TForm41::Button3Click(TObject* Sender) { FCancelled = true; }
