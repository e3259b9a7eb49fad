#include "Unit38.h"

TForm38* Form38 = nullptr;

TForm38::TForm38(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_HANDLER(Button1Click);
  LoadDescription("Unit38");
  KESTAL_BIND(Button1);
}

void TForm38::Button1Click(TObject* Sender) {}
