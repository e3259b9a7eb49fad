#include "Unit2.h"

#include "Unit1.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_LOAD_PARTS("Unit2", KESTAL_UNIT2_PARTS);
  // Only names, azimuths and elevations show; the Moon's extra boxes lie beyond the edge.
  SetWidth(302);
  OnClose = [this](TObject*, TCloseAction&) { HideMain.Restore(Form1, Button2, Button1); };
}

void TForm2::Button1Click(TObject* Sender) {
  Hide();
  if (Form1 != nullptr) Form1->Show();
}

void TForm2::Button2Click(TObject* Sender) { HideMain.Toggle(Form1, Button2, Button1); }
