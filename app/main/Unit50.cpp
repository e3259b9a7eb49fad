#include "Unit50.h"

#include "NotBuiltYet.h"

TForm50* Form50 = nullptr;

TForm50::TForm50(TComponent* AOwner) : TForm(AOwner) {
  LoadDescription("Unit50");
  MarkNotBuiltYet(this);
}
