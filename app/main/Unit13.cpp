#include "Unit13.h"

#include "NotBuiltYet.h"

TForm13* Form13 = nullptr;

TForm13::TForm13(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit13");
  MarkNotBuiltYet(this);
}
