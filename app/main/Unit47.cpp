#include "Unit47.h"

#include "Unit1.h"
#include "Unit39.h"

TForm47* Form47 = nullptr;

TForm47::TForm47(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_LOAD_PARTS("Unit47", KESTAL_UNIT47_PARTS);
  OnClose = [this](TObject*, TCloseAction&) { HideMain.Restore(Form1, Button1, Button2); };
}

void TForm47::Button1Click(TObject* Sender) { HideMain.Toggle(Form1, Button1, Button2); }

void TForm47::Button2Click(TObject* Sender) {
  Hide();
  if (Form39 != nullptr) Form39->Hide();
  if (Form1 != nullptr) Form1->Show();
}
