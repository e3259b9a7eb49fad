#include "Unit30.h"

#include "Unit1.h"

TForm30* Form30 = nullptr;

TForm30::TForm30(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_HANDLER(Button2Click);
  LoadDescription("Unit30");
  KESTAL_BIND(Label1);
  KESTAL_BIND(Label2);
  KESTAL_BIND(ListView1);
  KESTAL_BIND(Button2);
}

void TForm30::Button2Click(TObject* Sender) {
  Hide();
  if (Form1 != nullptr) Form1->Show();
}
