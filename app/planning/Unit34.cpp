#include "Unit34.h"

#include "CRT.h"
#include "Dialogs.h"
#include "MainWindow.h"
#include "SysUtils.h"

TForm34* Form34 = nullptr;

namespace {

constexpr int CulminationCount = 30;

// The date texts end with the line feed of their C form; in a one-line list row it would only
// push the text out of line with the numbers beside it.
String OneLine(const String& Text) {
  return !Text.empty() && Text.back() == '\n' ? Text.substr(0, Text.size() - 1) : Text;
}
constexpr int PulsarCode = 7;

struct TListColumnSpec {
  const char* Caption;
  int Width;
  TAlignment Alignment;
};
constexpr TListColumnSpec ListColumns[] = {{"Date Time ( UTC )", 231, taLeftJustify},
                                           {"Date Time ( Local )", 231, taLeftJustify},
                                           {"Azimuth ( Deg.)", 146, taRightJustify},
                                           {"Elevation  (Deg.)", 146, taRightJustify}};

}  // namespace

TForm34::TForm34(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_LOAD_PARTS("Unit34", KESTAL_UNIT34_PARTS);
  // Until a pulsar is picked there is no position to search for; the main window enables the
  // button when it names it after the pulsar.
  Button7->SetEnabled(false);
  const TZoneTexts zone = CulminationZoneTexts(ReadZoneState());
  Edit1->SetText(zone.DaylightStarts);
  Edit2->SetText(zone.DaylightEnds);
  Edit3->SetText(zone.Bias);
  Edit5->SetText(zone.ZoneName);
  Label1->SetCaption(zone.Note);
  OnClose = [this](TObject*, TCloseAction&) { HideMain.Restore(MainWindow, Button9, Button8); };
}

void TForm34::FindCulminations(int Code) {
  ListView1->Columns()->Clear();
  ListView1->Items()->Clear();
  for (const TListColumnSpec& c : ListColumns) {
    TListColumn* column = ListView1->Columns()->Add();
    column->SetCaption(c.Caption);
    column->SetWidth(c.Width);
    column->SetAlignment(c.Alignment);
  }
  ListView1->SetViewStyle(vsReport);

  TSkyObject object = CulminationObjects()[static_cast<size_t>(Code - 1)];
  if (Code == PulsarCode) {
    object.RightAscension = MainWindow->SelectedRA;
    object.Declination = MainWindow->SelectedDec;
  }
  const crt::time_t start = CulminationStart(crt::time(nullptr));
  const TCulminationResult result =
      ::FindCulminations(object, {MainWindow->Location.Latitude, MainWindow->Location.Longitude},
                         start, CulminationCount, [this](const TCulmination& Row) {
                           TListItem* item = ListView1->Items()->Add();
                           item->SetCaption(OneLine(Row.UtcText));
                           item->SubItems()->Add(OneLine(Row.LocalText));
                           item->SubItems()->Add(AzimuthText(Row.Azimuth, "#0.00"));
                           item->SubItems()->Add(FormatFloat("#0.00", Row.Elevation));
                           Repaint();
                         });
  // The rows' own offsets from UTC; a search without rows leaves the note as it was.
  if (!result.Rows.empty()) Label1->SetCaption(CulminationNote(result.Rows));
  if (result.GaveUp) ShowMessage(CulminationTexts::GaveUp);
}

void TForm34::Button1Click(TObject* Sender) { FindCulminations(1); }
void TForm34::Button2Click(TObject* Sender) { FindCulminations(2); }
void TForm34::Button3Click(TObject* Sender) { FindCulminations(3); }
void TForm34::Button4Click(TObject* Sender) { FindCulminations(4); }
void TForm34::Button5Click(TObject* Sender) { FindCulminations(5); }
void TForm34::Button6Click(TObject* Sender) { FindCulminations(6); }
void TForm34::Button7Click(TObject* Sender) { FindCulminations(PulsarCode); }
void TForm34::Button10Click(TObject* Sender) { FindCulminations(8); }

void TForm34::Button8Click(TObject* Sender) {
  Hide();
  MainWindow->ShowMainWindow();
}

void TForm34::Button9Click(TObject* Sender) { HideMain.Toggle(MainWindow, Button9, Button8); }
