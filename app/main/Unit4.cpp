#include "Unit4.h"

#include "NotBuiltYet.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit4");
  MarkNotBuiltYet(this);
}
