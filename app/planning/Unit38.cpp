#include "Unit38.h"

#include "NotBuiltYet.h"

TForm38* Form38 = nullptr;

TForm38::TForm38(TComponent* AOwner) : TForm(AOwner) {
  KESTAL_HANDLER(Button1Click);
  LoadDescription("Unit38");
  MarkNotBuiltYet(this);
  KESTAL_BIND(Button1);
}

void TForm38::Button1Click(TObject* Sender) {}
