#include "Unit2.h"

#include "NotBuiltYet.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit2");
  MarkNotBuiltYet(this);
}
