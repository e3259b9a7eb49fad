#include "Unit47.h"

#include "Unit1.h"
#include "Unit39.h"

TForm47* Form47 = nullptr;

TForm47::TForm47(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_HANDLER(Button1Click);
  KESTAL_HANDLER(Button2Click);
  LoadDescription("Unit47");
  KESTAL_BIND(Label91);
  KESTAL_BIND(Edit31);
  KESTAL_BIND(Edit32);
  KESTAL_BIND(Button1);
  KESTAL_BIND(Button2);
  OnClose = [this](TObject*, TCloseAction&) { HideMain.Restore(Form1, Button1, Button2); };
}

void TForm47::Button1Click(TObject* Sender) { HideMain.Toggle(Form1, Button1, Button2); }

void TForm47::Button2Click(TObject* Sender) {
  Hide();
  if (Form39 != nullptr) Form39->Hide();
  if (Form1 != nullptr) Form1->Show();
}
