#include "Unit40.h"

#include "MainWindow.h"

TForm40* Form40 = nullptr;

TForm40::TForm40(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_LOAD_PARTS("Unit40", KESTAL_UNIT40_PARTS);
  Button2->SetCaption("Hide main screen");
  OnClose = [this](TObject*, TCloseAction&) { HideMain.Restore(MainWindow, Button2, Button1); };
}

void TForm40::Button1Click(TObject* Sender) { Hide(); }

void TForm40::Button2Click(TObject* Sender) { HideMain.Toggle(MainWindow, Button2, Button1); }

void TForm40::ShowTable(const TDriftTable& Table) {
  for (size_t r = 0; r < Table.size(); ++r)
    for (size_t c = 0; c < Table[r].size(); ++c)
      StringGrid1->SetCells(static_cast<int>(c), static_cast<int>(r), Table[r][c]);
}
