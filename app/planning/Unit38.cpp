#include "Unit38.h"

#include "CRT.h"
#include "Dialogs.h"
#include "SysUtils.h"
#include "MainWindow.h"
#include "Unit40.h"
#include "Unit41.h"

TForm38* Form38 = nullptr;

namespace {

constexpr int NameColumn = 0, NoteColumn = 1, SignalColumn = 2, FirstHourColumn = 3;
constexpr int PlanColumns = FirstHourColumn + 24;
constexpr int HeaderRows = 1;

struct TPlanColumn {
  const char* Header;
  int Width;
};
constexpr TPlanColumn LeadingColumns[] = {{"Object", 90}, {"Detection", 60}, {"S/N", 30}};
constexpr int HourColumnWidth = 40;

String SectorEditName(int Number) { return "Edit" + IntToStr(Number); }

}  // namespace

TForm38::TForm38(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_LOAD_PARTS("Unit38", KESTAL_UNIT38_PARTS);
  // Sector i (1-based): start Edit2 / Edit2i / Edit35, end Edit(2i+1) / Edit36, minimum
  // Edit(23+i) / Edit37.
  for (int i = 1; i <= HorizonSectors; ++i) {
    const auto k = static_cast<size_t>(i - 1);
    const int start = i == 1 ? 2 : i == HorizonSectors ? 35 : 2 * i;
    const int end = i == HorizonSectors ? 36 : 2 * i + 1;
    const int minimum = i == HorizonSectors ? 37 : 23 + i;
    Bind(SectorStart[k], SectorEditName(start));
    Bind(SectorEnd[k], SectorEditName(end));
    Bind(SectorMinimum[k], SectorEditName(minimum));
  }
  EnableNoteEntry(false);

  const THorizonRead horizon = ReadHorizonFile(HorizonFileName);
  HorizonProfile = horizon.Profile;
  ShowHorizon(HorizonProfile);
  // Told when the plan is first computed, not in the middle of start-up.
  FHorizonProblem = horizon.Problem;
}

void TForm38::ShowHorizon(const THorizonProfile& Profile) {
  for (size_t k = 0; k < HorizonSectors; ++k) {
    SectorStart[k]->SetText(IntToStr(Profile.Az[k]));
    SectorEnd[k]->SetText(IntToStr(Profile.Az[k + 1]));
    SectorMinimum[k]->SetText(IntToStr(Profile.MinEl[k]));
  }
}

THorizonProfile TForm38::HorizonFromFields() const {
  // The azimuth limits are display only: they come from the profile in use, never from the
  // start copies.
  THorizonProfile p = HorizonProfile;
  for (size_t k = 0; k < HorizonSectors; ++k) {
    Integer value = 0;
    const String text = SectorMinimum[k]->Text();
    if (!TryStrToInt(Trim(text), value))
      throw EConvertError("Minimum elevation of sector " + IntToStr(static_cast<Int64>(k + 1)) +
                          ": '" + text + "' is not a whole number");
    p.MinEl[k] = value;
  }
  return p;
}

void TForm38::InitPlanGrid(int Rows) {
  // Every row goes, not only the first 2000: a smaller table leaves nothing of a larger one.
  StringGrid1->ClearCells();
  StringGrid1->SetColCount(PlanColumns);
  StringGrid1->SetRowCount(HeaderRows + Rows);
  for (int c = 0; c < FirstHourColumn; ++c) {
    StringGrid1->SetCells(c, 0, LeadingColumns[c].Header);
    StringGrid1->SetColWidths(c, LeadingColumns[c].Width);
  }
  for (int h = 0; h < 24; ++h) {
    StringGrid1->SetCells(FirstHourColumn + h, 0, "   " + FormatFloat("00", h));
    StringGrid1->SetColWidths(FirstHourColumn + h, HourColumnWidth);
  }
}

void TForm38::Button1Click(TObject* Sender) {
  HorizonProfile = HorizonFromFields();
  const TPlanResult plan = ComputePlan(*MainWindow, HorizonProfile, crt::time(nullptr), DayOffset);
  Label1->SetCaption(FloatToStr(MainWindow->Receiver.Frequency));
  Edit1->SetText(plan.Day.DateText);
  Label8->SetCaption(plan.LocalTimeText);
  InitPlanGrid(static_cast<int>(plan.Rows.size()));
  for (size_t k = 0; k < plan.Rows.size(); ++k) {
    const TPlanRow& row = plan.Rows[k];
    const int r = HeaderRows + static_cast<int>(k);
    StringGrid1->SetCells(NameColumn, r, row.Name);
    StringGrid1->SetCells(SignalColumn, r, row.SignalToNoise);
    for (int h = 0; h < 24; ++h)
      StringGrid1->SetCells(FirstHourColumn + h, r, row.Hours[static_cast<size_t>(h)]);
  }
  ShowNotes();
  if (!FHorizonProblem.empty()) {
    ShowMessage(FHorizonProblem);
    FHorizonProblem.clear();
  }
}

void TForm38::ShowNotes() {
  // The file is read once per Re-calculate, whatever the number of rows.
  TNoteMap notes;
  try {
    notes = ReadNotes(NotesFileName);
  } catch (const EInOutError& e) {
    ShowMessage(e.Message);
  }
  if (notes.empty()) return;
  for (int r = HeaderRows; r < StringGrid1->RowCount(); ++r) {
    const auto note = notes.find(StringGrid1->Cells(NameColumn, r));
    if (note != notes.end()) StringGrid1->SetCells(NoteColumn, r, note->second);
  }
}

void TForm38::Button4Click(TObject* Sender) {
  ++DayOffset;
  Button1Click(Button1);
}

void TForm38::Button6Click(TObject* Sender) {
  --DayOffset;
  Button1Click(Button1);
}

void TForm38::Button5Click(TObject* Sender) {
  HorizonProfile = HorizonFromFields();
  WriteHorizonFile(HorizonFileName, HorizonProfile);
}

void TForm38::Button3Click(TObject* Sender) {
  Hide();
  MainWindow->ShowMainWindow();
  DayOffset = 0;
  // The plan belongs to the last CALCULATE: it must run again before the plan opens again.
  MainWindow->PlanNeedsCalculate();
}

void TForm38::Button2Click(TObject* Sender) {
  Form40->Show();
  Form40->ShowTable(
      ComputeDriftScan({MainWindow->Location.Latitude, MainWindow->Location.Longitude},
                       HorizonProfile, [] { return crt::time(nullptr); }));
}

void TForm38::Button7Click(TObject* Sender) { Form41->OpenFromPlan(); }

void TForm38::EnableNoteEntry(bool Enabled) {
  Edit39->SetEnabled(Enabled);
  Button8->SetEnabled(Enabled);
  Button9->SetEnabled(Enabled);
}

void TForm38::StringGrid1MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                                 int Y) {
  int col = -1, row = -1;
  StringGrid1->MouseToCell(X, Y, col, row);
  if (col == NoteColumn && row >= 0) {
    EnableNoteEntry(true);
    SelectedObjectName = StringGrid1->Cells(NameColumn, row);
    Edit38->SetText(SelectedObjectName);
    Edit39->SetText(PlanTexts::NotePrompt);
    Edit39->SetFocus();
  } else {
    Edit38->SetText("");
    Edit39->SetText("");
    EnableNoteEntry(false);
  }
}

void TForm38::Button8Click(TObject* Sender) {
  try {
    AppendNote(NotesFileName, SelectedObjectName, Edit39->Text());
  } catch (const EInOutError& e) {
    ShowMessage(e.Message);
  }
  Button1Click(Button1);
}

void TForm38::Button9Click(TObject* Sender) {
  if (MessageBox(PlanTexts::ConfirmDelete, PlanTexts::ConfirmTitle, MB_YESNO | MB_DEFBUTTON2) !=
      IDYES)
    return;
  DeleteFile(NotesFileName);
  Button1Click(Button1);
}
