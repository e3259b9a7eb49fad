#include "Unit13.h"

#include "Planning.h"
#include "Unit1.h"

TForm13* Form13 = nullptr;

TForm13::TForm13(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_LOAD_PARTS("Unit13", KESTAL_UNIT13_PARTS);
  OnClose = [this](TObject*, TCloseAction&) { HideMain.Restore(Form1, Button2, Button1); };
}

void TForm13::Button1Click(TObject* Sender) {
  Hide();
  if (Form1 != nullptr) Form1->Show();
}

void TForm13::Button2Click(TObject* Sender) { HideMain.Toggle(Form1, Button2, Button1); }

void TForm13::ShowTable(TTableKind Kind, const TTableTarget& Target, const String& PulsarName,
                        crt::time_t Start) {
  const TTableSpec& spec = TableSpecOf(Kind);
  Label1->SetCaption(spec.TitlePrefix + PulsarName);
  SetCaption(spec.Caption);

  ListView1->Columns()->Clear();
  ListView1->Items()->Clear();
  Show();
  struct TColumnSpec {
    const char* Caption;
    int Width;
  };
  static const TColumnSpec columns[] = {{"Date Time ( UTC )", 200},
                                        {"Date Time ( Local )", 200},
                                        {"Azimuth ( Deg.)", 110},
                                        {"Elevation  (Deg.)", 110}};
  for (const TColumnSpec& c : columns) {
    TListColumn* column = ListView1->Columns()->Add();
    column->SetCaption(c.Caption);
    column->SetWidth(c.Width);
    column->SetAlignment(taRightJustify);
  }
  ListView1->SetViewStyle(vsReport);

  // A month is 720 steps: keeping the main window painted after every one of them costs far
  // more than the table itself, so it is painted every couple of days of table.
  constexpr int RepaintEverySteps = 48;
  auto step = [&spec](int k) {
    if (spec.RepaintEachStep && k % RepaintEverySteps == RepaintEverySteps - 1 && Form1 != nullptr)
      Form1->Repaint();
  };
  const std::vector<TTableRow> rows = ComputeTable(Kind, Target, Start, step);

  // The date texts end with the line feed of their C form; in a one-line cell it would only
  // push the text out of line with the numbers beside it.
  auto oneLine = [](const String& Text) {
    return !Text.empty() && Text.back() == '\n' ? Text.substr(0, Text.size() - 1) : Text;
  };
  ListView1->Items()->BeginUpdate();
  for (const TTableRow& row : rows) {
    TListItem* item = ListView1->Items()->Add();
    item->SetCaption(oneLine(row.UtcText));
    TStrings* sub = item->SubItems();
    sub->Add(oneLine(row.LocalText));
    sub->Add(AzimuthText(row.Azimuth, "##.00"));
    sub->Add(FormatFloat("#0.00", row.Elevation));
  }
  ListView1->Items()->EndUpdate();
  // An empty table leaves the note as it was.
  const String note = TableNote(rows);
  if (!note.empty()) Label2->SetCaption(note);
  if (spec.RepaintEachStep && Form1 != nullptr) Form1->Repaint();
}
