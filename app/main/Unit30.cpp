#include "Unit30.h"

#include "Unit1.h"

TForm30* Form30 = nullptr;

TForm30::TForm30(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_LOAD_PARTS("Unit30", KESTAL_UNIT30_PARTS);
}

void TForm30::Button2Click(TObject* Sender) {
  Hide();
  if (Form1 != nullptr) Form1->Show();
}
